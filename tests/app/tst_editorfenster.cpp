// The editor window: settings shown and changed through the controls, the
// card-list grids, the record dialogs, display lines, saving and leaving.

#include "support/Testlauf.h"
#include "Editorhilfe.h"
#include "support/Fensterhilfe.h"
#include "support/Datentabelle.h"

#include "app/Listengitter.h"

#include <QtWidgets>

namespace {
void tippe(QWidget *w, const QString &text)
{
    for (QChar c : text)
        QTest::keyClick(w, Qt::Key(c.toUpper().unicode()), Qt::NoModifier);
}

bool gewaehlt(QWidget *w, const char *name) { return kind<QRadioButton>(w, name)->isChecked(); }
}  // namespace

class tst_editorfenster : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    Zustand m_z;
    MeldungAufnahme m_m;

    QString datei(const QString &name, const Bytes &b, const QStringList &kommentare = {})
    {
        const QString pfad = m_dir.filePath(name + ".S2D");
        QFile::remove(m_dir.filePath(name + ".B2D"));
        if (!schreib(pfad, hauptdateiInhalt(b))
            || (!kommentare.isEmpty() && !schreib(m_dir.filePath(name + ".B2D"), begleitInhalt(kommentare, 2001))))
            qFatal("cannot write");
        return pfad;
    }

    std::unique_ptr<Editorfenster> oeffne(const QString &pfad) { return editor(m_z, m_m, pfad); }

private slots:
    void init()
    {
        m_z = Zustand();
        m_m.leeren();
        m_z.sprache.protokollnamen[0] = "Standard";
    }

    void einstellungenAusDemBild()
    {
        Bytes b = standardbild(21);
        b[0] = 0;  // shown and written back as 1
        b[1] |= 0x01 | 0x08 | 0x80;
        b[2] |= 0x04 | 0x08;
        b[8] = 200;
        auto w = oeffne(datei("E", b));
        QCOMPARE(kind<QLineEdit>(w.get(), "TextTueroeffnungszeit")->text(), QStringLiteral("1"));
        QVERIFY(m_z.bild.byte(0) == 1 && m_z.bild.Aenderungszaehler == 0);
        for (const char *name : {"SummerJa", "IntervalltonNein", "UeberwachungsmodulJa", "ChipkarteJa",
                                 "StartzeichenNein", "DisplayNein", "Spur2Ja", "Spur31Nein", "StoerungJa",
                                 "SperrlistenNein"})
            QVERIFY2(gewaehlt(w.get(), name), name);
        QStringList felder;
        for (const char *name : {"TextPasswort", "TextAdresse", "TextLaengeSpur2"})
            felder << kind<QLineEdit>(w.get(), name)->text();
        QCOMPARE(felder, (QStringList{"123456", "200", "21"}));
        QVERIFY(!kind(w.get(), "FrameLaengeSpur31")->isEnabled());
        // Only the tab on show can be used (and printed).
        auto *tabs = kind<QTabWidget>(w.get(), "SSTab1");
        tabs->setCurrentIndex(2);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(tabs->widget(i)->isEnabled(), i == 2);
    }

    void zahlfelderImFenster()
    {
        Bytes b = standardbild();
        b[272] = 0x99;
        auto w = oeffne(datei("L", b, {"eins", "zwei"}));
        // Door-open time: selected on entry, letters swallowed, clamped on Return.
        auto *zeit = kind<QLineEdit>(w.get(), "TextTueroeffnungszeit");
        zeit->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(zeit->hasSelectedText());
        tippe(zeit, "3a00");
        QTest::keyClick(zeit, Qt::Key_Return);
        QVERIFY(m_z.bild.byte(0) == 1 && zeit->text() == "1" && m_m.eintraege().isEmpty());

        // A length box warns on entry (317); leaving it, even unchanged, empties the lists and comments.
        auto *box = kind<QLineEdit>(w.get(), "TextLaengeSpur2");
        box->setFocus(Qt::TabFocusReason);
        QCOMPARE(m_m.textnummern(), QList<int>{317});
        kind<QTabWidget>(w.get(), "SSTab1")->tabBar()->setFocus();
        QVERIFY(m_z.bild.Begleittext[0] == "----------" && m_z.bild.byte(272) == 0);

        box->setFocus(Qt::TabFocusReason);
        box->selectAll();
        tippe(box, "21");
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(m_z.bild.byte(3) == 11 && m_z.bild.bit(9, 0));
        QCOMPARE(w->listenmodell(1)->rowCount(), (2046 - 272) / 11 + 2);
        QCOMPARE(zelle(w->listenmodell(1), 2, 0), QStringLiteral("000000000000000000000#"));
    }

    void sperrlistenImFenster()
    {
        Bytes b = standardbild();
        b[1] |= 0x08;  // chip-card message on
        auto w = oeffne(datei("S", b, {"eins", "zwei"}));
        auto *ja = kind<QRadioButton>(w.get(), "SperrlistenJa");
        m_m.antworte(Meldung::Abbrechen);
        ja->click();
        QVERIFY(gewaehlt(w.get(), "SperrlistenNein") && m_z.bild.Begleittext[1] == "zwei" && m_z.bild.Aenderungszaehler == 0);

        // Block lists switch the chip-card message off and grey it.
        m_m.antworte(Meldung::Ok);
        ja->click();
        QVERIFY(gewaehlt(w.get(), "ChipkarteNein") && !m_z.bild.flag(Flag::MeldungChipkarte));
        QVERIFY(!kind(w.get(), "FrameChipkarte")->isEnabled());
        QCOMPARE(w->listenmodell(3)->rowCount(), (2046 - 1295) / 3 + 2);

        // A second "nein" of the tracks is refused.
        m_m.leeren();
        const auto daten = m_z.bild.Daten;
        kind<QRadioButton>(w.get(), "Spur2Nein")->click();
        QCOMPARE(m_m.textnummern(), QList<int>{323});
        QVERIFY(gewaehlt(w.get(), "Spur2Ja") && m_z.bild.Daten == daten);

        m_m.antworte(Meldung::Ok);
        kind<QRadioButton>(w.get(), "SperrlistenNein")->click();
        QVERIFY(kind(w.get(), "FrameChipkarte")->isEnabled() && gewaehlt(w.get(), "ChipkarteNein"));
    }

    void eintragBearbeitenUndSpeichern_data()
    {
        spalten<int, QString, QList<int>>("ziffern", "eingabe", "bytes");
        QTest::newRow("odd") << 5 << "12345#" << QList<int>{0x21, 0x43, 0xE5};
        QTest::newRow("even") << 6 << "123456" << QList<int>{0x21, 0x43, 0x65};
        QTest::newRow("# inside") << 4 << "#:?0" << QList<int>{0xAE, 0x0F};
    }
    void eintragBearbeitenUndSpeichern()
    {
        const auto [ziffern, eingabe, bytes] = werte<int, QString, QList<int>>("ziffern", "eingabe", "bytes");
        const int adresse = 272 + (ziffern + 1) / 2;  // entry 1
        Bytes b = standardbild(ziffern, 8);
        b[1] = 0;  // bits 2 and 4 clear in the file: set again on loading
        b[adresse - 1] = 0x77;
        const QString pfad = datei("D", b, {"null", "eins"});
        auto w = oeffne(pfad);
        kind<QTabWidget>(w.get(), "SSTab1")->setCurrentIndex(1);
        auto *gitter = kind<Listengitter>(w.get(), "Mgd1");
        imDialog([&](QWidget *d) {
            auto *text1 = kind<QLineEdit>(d, "text1");
            text1->setText(eingabe.left(eingabe.size() - 1));
            kind<QPushButton>(d, "Command2")->click();  // "Datenstring zu kurz": stays open
            text1->setText(eingabe);
            kind<QLineEdit>(d, "Text2")->setText(QStringLiteral("Grüße an Müller"));
            kind<QPushButton>(d, "Command2")->click();
        });
        QTest::mouseDClick(gitter->viewport(), Qt::LeftButton, {}, gitter->visualRect(w->listenmodell(1)->index(3, 1)).center());
        QCOMPARE(m_m.textnummern(), QList<int>{203});
        QCOMPARE(zelle(w->listenmodell(1), 3, 0), eingabe);

        kind<QAction>(w.get(), "mnuSave")->trigger();
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(0));
        b[1] = 0x14;
        for (int i = 0; i < bytes.size(); ++i)
            b[adresse + i] = bytes[i];  // entry 0 before it keeps its 0x77
        QCOMPARE(lies(pfad), hauptdateiInhalt(b));
        QCOMPARE(lies(m_dir.filePath("D.B2D")), begleitInhalt({"null", QStringLiteral("Grüße an Müller")}, 2001));
    }

    void datenstringAbbrechen()
    {
        auto w = oeffne(datei("K", standardbild(4)));
        kind<QTabWidget>(w.get(), "SSTab1")->setCurrentIndex(1);
        auto *gitter = kind<Listengitter>(w.get(), "Mgd1");
        gitter->setFocus();
        gitter->setCurrentIndex(w->listenmodell(1)->index(2, 0));
        QString getippt;
        imDialog([&](QWidget *d) {
            auto *text1 = kind<QLineEdit>(d, "text1");
            text1->setFocus();
            text1->clear();
            QTest::keyClicks(text1, "A1:?b#");
            getippt = text1->text();
            kind<QPushButton>(d, "Command1")->click();
        });
        QTest::keyClick(gitter, Qt::Key_Return);
        QCOMPARE(getippt, QStringLiteral("1:?#"));
        QVERIFY(m_z.bild.byte(272) == 0 && m_z.bild.Aenderungszaehler == 0);
    }

    void displayzeilen()
    {
        auto w = oeffne(datei("Z", grundbild()));
        kind<QTabWidget>(w.get(), "SSTab1")->setCurrentIndex(3);
        const auto zeile = [&](int n, const QString &text, const char *knopf) {
            imDialog([=](QWidget *d) {
                kind<QLineEdit>(d, "Text1")->setText(text);
                kind<QPushButton>(d, knopf)->click();
            });
            QTest::mouseClick(kind<QLineEdit>(w.get(), qPrintable(QStringLiteral("Zeile%1").arg(n))), Qt::LeftButton);
        };
        zeile(0, QStringLiteral("Grüße"), "Co2");
        zeile(15, QStringLiteral("ABCDEFGHIJKLMNOPQRST"), "Co2");
        const QList<int> gruesse{71, 114, 245, 226, 101};
        for (int j = 0; j < 16; ++j) {
            QCOMPARE(m_z.bild.byte(16 + j), j < 5 ? gruesse[j] : 32);
            QCOMPARE(m_z.bild.byte(16 + 16 * 15 + j), 65 + j);
        }
        QCOMPARE(kind<QLineEdit>(w.get(), "Zeile0")->text(), QStringLiteral("Grüße") + QString(11, ' '));
        QCOMPARE(m_z.bild.byte(272), 0);  // line 15 ends at 271
        // Cancel changes nothing.
        zeile(0, QStringLiteral("weg"), "Co1");
        QVERIFY(m_z.bild.byte(16) == 71 && m_z.bild.Aenderungszaehler == 2);
    }

    void speichernAlsMitUeberschreibfrage()
    {
        const QString pfad = datei("Q", standardbild());
        const QString ziel = m_dir.filePath("ZIEL.S2D");
        QVERIFY(schreib(ziel, "alt"));
        auto w = oeffne(pfad);
        imDialog([&](QWidget *d) { dateiWaehlen(d, ziel); });
        m_m.antworte(Meldung::Nein);
        kind<QAction>(w.get(), "mnuSaveAs")->trigger();
        QCOMPARE(m_m.textnummern(), QList<int>{386});
        QVERIFY(m_m.eintraege().at(0).text.contains(ziel) && lies(ziel) == "alt" && w->hauptdatei() == pfad);
        QVERIFY(!QFile::exists(m_dir.filePath("ZIEL.B2D")));

        imDialog([&](QWidget *d) { dateiWaehlen(d, ziel); });
        m_m.antworte(Meldung::Ja);
        kind<QAction>(w.get(), "mnuSaveAs")->trigger();
        QCOMPARE(lies(ziel), hauptdateiInhalt(standardbild()));
        QCOMPARE(lies(m_dir.filePath("ZIEL.B2D")), begleitInhalt({}, 2001));
        QVERIFY(w->windowTitle() == ziel && w->hauptdatei() == ziel);
    }

    void ungespeicherteAenderungenBeimSchliessen()
    {
        const QString pfad = datei("U", standardbild());
        const QByteArray vorher = lies(pfad);
        auto w = oeffne(pfad);
        w->close();  // nothing changed: no question
        QVERIFY(m_m.eintraege().isEmpty() && !w->isVisible());

        // Beenden answered No: closes without saving; close answered Yes: saves.
        for (auto antwort : {Meldung::Nein, Meldung::Ja}) {
            m_m.leeren();
            w = oeffne(pfad);
            kind<QRadioButton>(w.get(), "SummerJa")->click();
            m_m.antworte(antwort);
            antwort == Meldung::Nein ? kind<QAction>(w.get(), "mnuFileExit")->trigger() : void(w->close());
            QVERIFY(m_m.textnummern() == QList<int>{275} && !w->isVisible());
            QCOMPARE(lies(pfad) == vorher, antwort == Meldung::Nein);
        }
    }
};

PORTAVO_TESTKLASSE(tst_editorfenster)
#include "tst_editorfenster.moc"
