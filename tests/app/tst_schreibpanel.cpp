// The main window's panels: the write panel's backup before the write and its question, its view of the
// recovery scan (progress and a cancel, never a wait), its protocol choice, and the read-out button's caption.

#include "support/Testlauf.h"
#include "app/Auslesepanel.h"
#include "app/Protokollidentfenster.h"
#include "app/Schreibpanel.h"
#include "link/Troublesuche.h"
#include "support/Datentabelle.h"
#include "support/Fensterhilfe.h"
#include "support/SimPort.h"
#include "support/Testhilfe.h"
#include "termfile/Dateivergleich.h"
#include "termfile/Sicherungsablage.h"
#include "workflow/Schreibablauf.h"

#include <QSignalSpy>

#include <QtWidgets>

class TstSchreibpanel : public QObject {
    Q_OBJECT
private slots:
    // With the box ticked the terminal's memory is stored and what the write changes is put to the
    // user, whose answer decides whether the block goes out; unticked (and so stored) nothing is
    // backed up, nothing asked, and the panel says so.
    void sicherungVorDemSchreiben_data()
    {
        spalten<bool, bool>("sicherung", "weiter");
        QTest::newRow("gesichert, weiter") << true << true;
        QTest::newRow("gesichert, abgebrochen") << true << false;
        QTest::newRow("ohne Sicherung") << false << true;
    }
    void sicherungVorDemSchreiben()
    {
        const auto [sicherung, weiter] = werte<bool, bool>("sicherung", "weiter");
        QTemporaryDir ordner;
        SimBus bus;
        BUS_STARTEN(bus, QJsonArray{SimBus::terminal(4, 0)});
        const QByteArray vorher = bus.speicher(4);
        const QString datei = ordner.filePath(QStringLiteral("tuer.S2D"));
        QVERIFY(schreib(datei, hauptdatei([](int i) { return i == 8 ? 4 : i == 5 ? 0x42 : i == 6 ? 0x86 : i == 7 ? 1 : (i * 7) & 0xFF; })));
        QDir(Sicherungsablage::standardwurzel()).removeRecursively();
        QVERIFY(Sicherungsablage::setzeEinstellung({}));

        Strecke<SimPort> s(bus.device());
        s.z.terminal.adresse = 4;
        s.z.terminal.identifiziert = true;
        s.z.Timerintervall[1] = s.z.Timerintervall[3] = 20;
        s.z.Timerintervall[4] = 300;
        QWidget fenster;
        Schreibpanel panel(s.z, s.v, s.anmeldung, s.meldung, &fenster);
        fenster.show();
        panel.setDateiwahl([datei](auto &&...) { return datei; });
        panel.setProtokolldialog([&s] { s.z.terminal.protokollGewaehlt = true; });
        panel.setPasswortdialog([&s] {
            s.z.terminal.passwort = Telegramm::packePasswort(QStringLiteral("246810"));
            s.z.terminal.passwortOK = true;
        });
        auto *haken = kind<QCheckBox>(&panel, "CheckSicherung");
        QVERIFY(haken->isChecked());
        if (!sicherung)
            haken->click();
        QCOMPARE(Sicherungsablage::einstellung().aktiv, sicherung);

        QSignalSpy beendet(&panel.ablauf(), &Schreibablauf::schreibenBeendet);
        panel.schreibbefehl();
        QStringList gefragt;
        imDialog([&](QWidget *d) {
            QVERIFY(!kind<QPushButton>(&panel, "CommandSchreiben")->isEnabled());
            for (int i = 0; i < kind<QListWidget>(d, "ListeUnterschiede")->count(); ++i)
                gefragt << kind<QListWidget>(d, "ListeUnterschiede")->item(i)->text();
            kind<QPushButton>(d, weiter ? "CommandWeiter" : "CommandAbbrechen")->click();
        }, QStringLiteral("frmVergleich"));
        kind<QPushButton>(&panel, "CommandSchreiben")->click();
        QVERIFY(beendet.wait(30000));
        QCOMPARE(beendet.first().first().toInt(), 0);
        QCOMPARE(SimBus::bytes(bus.verkehr()).contains(Telegramm::anfrage(4, "D")), weiter);

        QVector<Sicherungsablage::Eintrag> liste;
        QVERIFY(Sicherungsablage(Sicherungsablage::standardwurzel()).liste(QString(), 4, liste).ok);
        QCOMPARE(liste.size(), sicherung ? 1 : 0);
        const QString stand = kind<QLabel>(&panel, "LabelSicherung")->text();
        if (!sicherung) {
            QVERIFY(gefragt.isEmpty());
            QCOMPARE(stand, Texttabelle::text(842));
            return;
        }
        QCOMPARE(lies(liste.first().hauptdatei()), vorher);
        QVERIFY2(stand.contains(QDir::toNativeSeparators(liste.first().hauptdatei())), qPrintable(stand));
        // The question listed what the block changes in the terminal.
        Terminaldatei::Speicherbytes alt{}, block{};
        QVERIFY(Terminaldatei::parseHauptdatei(vorher, alt).ok && Terminaldatei::leseHauptdatei(datei, block).ok);
        block[12] = 0, block[13] = 15;
        QCOMPARE(gefragt, Dateivergleich::vergleiche(alt, block, 0, s.z.sprache.protokollnamen).zusammenfassung(0));
        QVERIFY(gefragt.size() > 1);
    }

    // The scan would run nearly two minutes: the panel shows how far it
    // got and lets the user stop it; without a port it does not start.
    void troubleMitFortschrittUndAbbruch()
    {
        for (bool mitPort : {true, false}) {
            Strecke<FakePort> s;
            if (!mitPort)
                s.port.close();
            QWidget fenster;
            Schreibpanel panel(s.z, s.v, s.anmeldung, s.meldung, &fenster);
            fenster.show();
            panel.trouble().setTakt(1, 2);
            panel.troubleStarten();
            auto *dialog = fenster.findChild<QProgressDialog *>(QStringLiteral("Troublefortschritt"));
            QVERIFY(dialog);
            QCOMPARE(dialog->isVisible(), mitPort);
            if (!mitPort) {
                QCOMPARE(s.meldung.textnummern(), QList<int>{193});
                continue;
            }
            QCOMPARE(dialog->maximum(), 2048);
            QTRY_VERIFY(dialog->value() >= 5);
            QVERIFY(panel.trouble().laeuft());
            dialog->findChild<QPushButton *>()->click();
            QVERIFY(!panel.trouble().laeuft() && panel.trouble().abgebrochen());
            QVERIFY(!dialog->isVisible());
            QCOMPARE(s.meldung.textnummern(), QList<int>{557});
            QVERIFY(QApplication::overrideCursor() == nullptr);  // no wait cursor left behind
        }
    }

    // Only protocols with a name are offered, not as empty greyed options.
    void nurBenannteProtokolle()
    {
        Strecke<FakePort> s;
        Protokollidentfenster d(s.z, s.v, s.meldung);
        d.show();
        int sichtbar = 0;
        for (int k = 0; k < 8; ++k) {
            auto *b = d.findChild<QRadioButton *>(QStringLiteral("ptk%1").arg(k));
            QCOMPARE(b->isVisible(), !s.z.sprache.protokollnamen.at(k).trimmed().isEmpty());
            sichtbar += b->isVisible();
        }
        QCOMPARE(sichtbar, 2);
    }

    // Two lines without gaps, the words of the text as they are.
    void beschriftungOhneLuecke()
    {
        for (int sprache : {0, 1000, 2000, 3000}) {
            const QString roh = Texttabelle::text(124 + sprache);
            const QString b = Auslesepanel::beschriftung(roh);
            QCOMPARE(b.count(QLatin1Char('\n')), 1);
            QVERIFY2(!b.contains(QStringLiteral("  ")) && b == b.trimmed(), qPrintable(b));
            QCOMPARE(QString(b).replace(QLatin1Char('\n'), QLatin1Char(' ')), roh.simplified());
        }
    }
};

PORTAVO_TESTKLASSE(TstSchreibpanel)
#include "tst_schreibpanel.moc"
