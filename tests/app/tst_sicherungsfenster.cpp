// The backups window, opened from the main window on the simulated bus: the terminal's backups newest
// first, a damaged one refused with the reason, the number kept, and a backup written back through the
// write path, which backs the terminal up once more before it writes, after the question with the
// panel's box ticked, without it unticked.

#include "support/Testlauf.h"
#include "Hauptfensteraufbau.h"
#include "support/SimBus.h"
#include "support/Testhilfe.h"
#include "app/Schreibpanel.h"
#include "base/Pfade.h"
#include "termfile/Dateivergleich.h"
#include "termfile/Sicherungsablage.h"
#include "workflow/Schreibablauf.h"

#include <QSignalSpy>
#include <QtWidgets>

class TestSicherungsfenster : public QObject {
    Q_OBJECT
private slots:
    void zurueckschreiben()
    {
        SimBus sim;
        BUS_STARTEN(sim, QJsonArray{SimBus::terminal(4, 0)});
        QVERIFY(schreib(Pfade::portsDatei(), sim.device().toUtf8() + "\r\n"));
        QFile::remove(Pfade::einstellungsdatei());
        QVERIFY(Sicherungsablage::setzeEinstellung({}));
        const QString wurzel = Sicherungsablage::standardwurzel();
        QDir(wurzel).removeRecursively();

        // Two backups of terminal 4: the older one differs from the terminal in one byte, the newer is damaged.
        Terminaldatei::Speicherbytes alt{};
        QVERIFY(Terminaldatei::parseHauptdatei(sim.speicher(4), alt).ok);
        alt[0] = qint16(alt[0] == 9 ? 8 : 9);
        Sicherungsablage ablage(wurzel);
        for (int n = 0; n < 2; ++n) {
            Sicherungsablage::Eintrag e;
            e.adresse = 4, e.version = QStringLiteral("Ver %1").arg(n), e.ersetztDurch = QStringLiteral("tuer%1.S2D").arg(n);
            e.zeit = QDateTime(QDate(2026, 12, 1 + n), QTime(9, 0));
            QVERIFY(ablage.sichere(QString(), e, alt).ok);
        }
        QVector<Sicherungsablage::Eintrag> liste;
        QVERIFY(ablage.liste(QString(), 4, liste).ok && liste.size() == 2 && schreib(liste.first().hauptdatei(), "kaputt"));
        const QString gut = liste.last().hauptdatei();

        Arbeitsordner arbeit;
        QVERIFY(schreib(arbeit.pfad(QStringLiteral("tuer1.S2D")), sim.speicher(4)));  // written last: in the terminal now
        Hauptfensteraufbau<SimPort> w;
        w.bereit();
        w.identifiziere(QStringLiteral("4"));
        QTRY_VERIFY(w.z.terminal.identifiziert);
        Schreibpanel *panel = w.f.schreibPanel();
        panel->setProtokolldialog([&w] { w.z.terminal.protokollGewaehlt = true; });
        panel->setPasswortdialog([&w] {
            w.z.terminal.passwort = Telegramm::packePasswort(QStringLiteral("246810"));
            w.z.terminal.passwortOK = true;
        });

        QStringList zeilen, vergleich;
        QString kopf;
        imDialog([&](QWidget *d) {
            auto *l = kind<QTreeWidget>(d, "ListeSicherungen");
            for (int i = 0; i < l->topLevelItemCount(); ++i)
                zeilen << l->topLevelItem(i)->text(0) + QLatin1Char('|') + l->topLevelItem(i)->text(1) + QLatin1Char('|')
                              + l->topLevelItem(i)->text(2);
            // The damaged one: its reason, and no write.
            l->setCurrentItem(l->topLevelItem(0));
            kopf = kind<QLabel>(d, "LabelVergleich")->text();
            kind<QPushButton>(d, "CommandZurueckschreiben")->click();
            QVERIFY(d->isVisible());
            auto *behalten = kind<QSpinBox>(d, "SpinBehalten");
            QCOMPARE(behalten->value(), 20);
            behalten->setValue(7);
            emit behalten->editingFinished();
            // The sound one, against the file that replaced the newest backup.
            l->setCurrentItem(l->topLevelItem(1));
            auto *liste = kind<QListWidget>(d, "ListeVergleich");
            vergleich << kind<QLabel>(d, "LabelVergleich")->text() << (liste->count() ? liste->item(0)->text() : QString());
            kind<QPushButton>(d, "CommandZurueckschreiben")->click();
        }, QStringLiteral("frmSicherungen"));
        QSignalSpy beendet(&panel->ablauf(), &Schreibablauf::schreibenBeendet);
        imDialog([](QWidget *d) { kind<QPushButton>(d, "CommandWeiter")->click(); }, QStringLiteral("frmVergleich"));
        kind<QAction>(&w.f, "mnuSicherungen")->trigger();

        QCOMPARE(zeilen, (QStringList{QStringLiteral("2026-12-02 09:00:00|Ver 1|tuer1.S2D"),
                                      QStringLiteral("2026-12-01 09:00:00|Ver 0|tuer0.S2D")}));
        QVERIFY2(kopf.startsWith(Texttabelle::text(862).arg(QString()).trimmed()), qPrintable(kopf));
        QCOMPARE(w.meldung.textnummern(), QList<int>{862});
        QCOMPARE(vergleich, (QStringList{Texttabelle::text(864).arg(QStringLiteral("tuer1.S2D")), Texttabelle::text(801).arg(1)}));
        QCOMPARE(Sicherungsablage::einstellung().behalten, 7);

        // Written back: the terminal holds the backup, and it was backed up before (what: TestSicherung).
        QVERIFY(beendet.wait(30000));
        QCOMPARE(beendet.first().first().toInt(), 0);
        QCOMPARE(panel->datei(), gut);
        Terminaldatei::Speicherbytes jetzt{};
        QTRY_VERIFY(Terminaldatei::parseHauptdatei(sim.speicher(4), jetzt).ok && jetzt[0] == alt[0]);
        QVERIFY(ablage.liste(QString(), 4, liste).ok && liste.size() == 3);
        auto *stand = kind<QLabel>(panel, "LabelSicherung");
        QVERIFY(stand->text().contains(QDir::toNativeSeparators(liste.first().hauptdatei())));

        // The newest backup once more: cancelled at the question, nothing is stored or written; with the box
        // unticked (and so stored) nothing is asked or backed up, and the panel says so.
        const QString neueste = liste.first().hauptdatei();
        for (const bool sicherung : {true, false}) {
            QCOMPARE(kind<QCheckBox>(panel, "CheckSicherung")->isChecked(), sicherung);
            const int ab = sim.verkehr().size();
            QSignalSpy ende(&panel->ablauf(), &Schreibablauf::schreibenBeendet);
            imDialog([](QWidget *d) {
                kind<QTreeWidget>(d, "ListeSicherungen")->setCurrentItem(kind<QTreeWidget>(d, "ListeSicherungen")->topLevelItem(0));
                kind<QPushButton>(d, "CommandZurueckschreiben")->click();
            }, QStringLiteral("frmSicherungen"));
            QStringList gefragt;
            QPointer<QTimer> frage = imDialog([&](QWidget *d) {
                QVERIFY(!kind<QPushButton>(panel, "CommandSchreiben")->isEnabled());
                for (int i = 0; i < kind<QListWidget>(d, "ListeUnterschiede")->count(); ++i)
                    gefragt << kind<QListWidget>(d, "ListeUnterschiede")->item(i)->text();
                kind<QPushButton>(d, "CommandAbbrechen")->click();
            }, QStringLiteral("frmVergleich"));
            const QByteArray imTerminal = sim.speicher(4);
            kind<QAction>(&w.f, "mnuSicherungen")->trigger();
            QVERIFY(ende.wait(30000));
            delete frage;  // still waiting when nothing was asked
            QCOMPARE(SimBus::bytes(sim.verkehr(ab)).contains(Telegramm::anfrage(4, "D")), !sicherung);
            QVERIFY(ablage.liste(QString(), 4, liste).ok && liste.size() == 3);
            if (!sicherung) {
                QVERIFY(gefragt.isEmpty());
                QCOMPARE(stand->text(), Texttabelle::text(842));
                break;
            }
            // The question listed what the block changes in the terminal.
            Terminaldatei::Speicherbytes terminal{}, block{};
            QVERIFY(Terminaldatei::parseHauptdatei(imTerminal, terminal).ok && Terminaldatei::leseHauptdatei(neueste, block).ok);
            block[12] = 0, block[13] = 15;
            QCOMPARE(gefragt, Dateivergleich::vergleiche(terminal, block, 0, w.z.sprache.protokollnamen).zusammenfassung(0));
            QVERIFY(gefragt.size() > 1);
            kind<QCheckBox>(panel, "CheckSicherung")->click();
            QVERIFY(!Sicherungsablage::einstellung().aktiv);
        }
        w.f.close();
    }
};

PORTAVO_TESTKLASSE(TestSicherungsfenster)
#include "tst_sicherungsfenster.moc"
