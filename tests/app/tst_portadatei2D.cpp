// The editor window: settings shown and changed through the controls, the
// card-list grids, the record dialogs, display lines, saving and leaving.

#include "support/Testlauf.h"
#include "Editorhilfe.h"

#include "support/MeldungAufnahme.h"
#include "base/Zustand.h"
#include "app/Ladeablauf.h"
#include "app/Listengitter.h"
#include "app/Listenmodell.h"
#include "app/displayeingabe2D.h"
#include "app/portadatei2D.h"

#include "support/Fensterhilfe.h"

#include <QTest>
#include <QtWidgets>
#include <functional>
#include <memory>

namespace {

// Chooses name in the next file dialog, whose caption must be titel; then
// runs danach (which may wait for the next dialog).
void imDateidialog(const QString &titel, const QString &name, std::function<void()> danach = {})
{
    imDialog([=](QWidget *d) {
        auto *fd = qobject_cast<QFileDialog *>(d);
        QVERIFY(fd);
        QCOMPARE(fd->windowTitle(), titel);
        const QString fremd = dateiWaehlen(fd, name);
        QVERIFY2(fremd.isEmpty(), qPrintable(fremd));
        if (danach)
            danach();
    });
}

template <class T>
T *kind(QWidget *w, const char *name)
{
    T *k = w->findChild<T *>(QLatin1String(name));
    if (!k)
        qFatal("control %s missing", name);
    return k;
}

void tippe(QWidget *w, const QString &text)
{
    for (QChar c : text)
        QTest::keyClick(w, Qt::Key(c.toUpper().unicode()), Qt::NoModifier);
}

QColor hintergrund(Listenmodell *m, int zeile, int spalte)
{
    return m->data(m->index(zeile, spalte), Qt::BackgroundRole).value<QColor>();
}

QString zelle(Listenmodell *m, int zeile, int spalte) { return m->data(m->index(zeile, spalte)).toString(); }

}  // namespace

class tst_portadatei2D : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    Zustand m_z;
    MeldungAufnahme m_m;

    QString datei(const QString &name, const Bytes &b, const QStringList &kommentare = {})
    {
        const QString pfad = m_dir.filePath(name + ".S2D");
        if (!schreibeDatei(pfad, hauptdateiInhalt(b)))
            qFatal("cannot write");
        QFile::remove(m_dir.filePath(name + ".B2D"));
        if (!kommentare.isEmpty())
            schreibeDatei(m_dir.filePath(name + ".B2D"), begleitInhalt(kommentare, 2001));
        return pfad;
    }

    std::unique_ptr<portadatei2D> oeffne(const QString &pfad)
    {
        auto w = std::make_unique<portadatei2D>(m_z, m_m);
        if (!w->oeffne(pfad))
            qFatal("cannot open %s", qPrintable(pfad));
        w->show();
        QApplication::setActiveWindow(w.get());
        if (!QTest::qWaitForWindowActive(w.get()))
            qWarning("window not active");
        return w;
    }

private slots:
    void init()
    {
        m_z = Zustand();
        m_m.leeren();
        m_z.Protokollnamen[0] = "Standard";
    }

    void einstellungenUndDruckmenue()
    {
        Bytes b = standardbild(21);
        b[0] = 0;  // shown and written back as 1
        b[1] |= 0x01 | 0x08 | 0x80;
        b[2] |= 0x04 | 0x08;
        b[8] = 200;
        auto w = oeffne(datei("E", b));
        QCOMPARE(kind<QLineEdit>(w.get(), "TextTueroeffnungszeit")->text(), QStringLiteral("1"));
        QCOMPARE(m_z.bild.byte(0), 1);
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(0));
        for (const char *name : {"SummerJa", "IntervalltonNein", "UeberwachungsmodulJa", "ChipkarteJa",
                                 "StartzeichenNein", "DisplayNein", "Spur2Ja", "Spur31Nein", "StoerungJa",
                                 "SperrlistenNein"})
            QVERIFY2(kind<QRadioButton>(w.get(), name)->isChecked(), name);
        QCOMPARE(kind<QLineEdit>(w.get(), "TextPasswort")->text(), QStringLiteral("123456"));
        QCOMPARE(kind<QLineEdit>(w.get(), "TextAdresse")->text(), QStringLiteral("200"));
        QCOMPARE(kind<QLabel>(w.get(), "LabelProtokoll")->text(), QStringLiteral("Standard"));
        QCOMPARE(kind<QLineEdit>(w.get(), "TextLaengeSpur2")->text(), QStringLiteral("21"));
        QVERIFY(!kind<QGroupBox>(w.get(), "FrameLaengeSpur31")->isEnabled());
        QVERIFY(kind<QGroupBox>(w.get(), "FrameChipkarte")->isEnabled());
        QVERIFY(!kind<QCheckBox>(w.get(), "Check12000")->isVisible());
        QCOMPARE(kind<QGroupBox>(w.get(), "FrameTueroeffnungszeit")->title(), QStringLiteral("Türöffnungszeit   (1-255)"));

        // The print item's caption follows the tab; only the current tab is usable.
        QAction *drucken = kind<QAction>(w.get(), "mnuPrint");
        QCOMPARE(drucken->text(), QStringLiteral("Grundeinstellungen &drucken"));
        QVERIFY(!kind<QAction>(w.get(), "mnuCode")->isEnabled());
        auto *tabs = kind<QTabWidget>(w.get(), "SSTab1");
        const QStringList erwartet = {"Berechtigungen &drucken", "Sperrliste/n &drucken", "Displaytexte &drucken",
                                      "Grundeinstellungen &drucken"};
        for (int i = 0; i < 4; ++i) {
            tabs->setCurrentIndex((i + 1) % 4);
            QCOMPARE(drucken->text(), erwartet[i]);
            QVERIFY(!tabs->widget((i + 2) % 4)->isEnabled());
        }
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
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(1));
        QTest::keyClick(zeit, Qt::Key_Return);
        QVERIFY(!zeit->hasFocus());
        QCOMPARE(m_z.bild.byte(0), 1);
        QCOMPARE(zeit->text(), QStringLiteral("1"));
        QVERIFY(m_m.eintraege().isEmpty());

        // A length box warns on entry (317); leaving it unchanged still
        // empties the lists and comments.
        auto *box = kind<QLineEdit>(w.get(), "TextLaengeSpur2");
        box->setFocus(Qt::TabFocusReason);
        QCOMPARE(m_m.textnummern(), QList<int>{317});
        kind<QTabWidget>(w.get(), "SSTab1")->tabBar()->setFocus();
        QCOMPARE(m_z.bild.Begleittext[0], QStringLiteral("----------"));
        QCOMPARE(m_z.bild.byte(272), 0);
        QCOMPARE(zelle(w->listenmodell(1), 2, 0), QStringLiteral("000000"));

        box->setFocus(Qt::TabFocusReason);
        box->selectAll();
        tippe(box, "21");
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(m_z.bild.byte(3), 11);
        QVERIFY(m_z.bild.bit(9, 0));
        QCOMPARE(w->listenmodell(1)->rowCount(), (2046 - 272) / 11 + 2);
        QCOMPARE(zelle(w->listenmodell(1), 2, 0), QStringLiteral("000000000000000000000#"));

        m_m.leeren();
        kind<QLineEdit>(w.get(), "TextAdresse")->setFocus(Qt::TabFocusReason);
        QCOMPARE(m_m.textnummern(), QList<int>{321});
    }

    void sperrlistenImFenster()
    {
        Bytes b = standardbild();
        b[1] |= 0x08;  // chip-card message on
        auto w = oeffne(datei("S", b, {"eins", "zwei"}));
        auto *ja = kind<QRadioButton>(w.get(), "SperrlistenJa");
        m_m.antworte(Meldung::Abbrechen);
        ja->click();
        QVERIFY(kind<QRadioButton>(w.get(), "SperrlistenNein")->isChecked());
        QCOMPARE(m_z.bild.Begleittext[1], QStringLiteral("zwei"));
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(0));

        // Block lists switch the chip-card message off and grey it, and lay
        // the lists out afresh.
        m_m.antworte(Meldung::Ok);
        ja->click();
        QVERIFY(ja->isChecked());
        QVERIFY(kind<QRadioButton>(w.get(), "ChipkarteNein")->isChecked());
        QVERIFY(!m_z.bild.flag(Flag::MeldungChipkarte));
        QVERIFY(!kind<QGroupBox>(w.get(), "FrameChipkarte")->isEnabled());
        QCOMPARE(w->listenmodell(3)->rowCount(), (2046 - 1295) / 3 + 2);
        QCOMPARE(m_z.bild.byte(1294), 255);  // list 1's limit
        QCOMPARE(m_z.bild.Begleittext[1], QStringLiteral("----------"));
        QCOMPARE(m_m.textnummern(), (QList<int>{319, 319}));

        // A second "nein" of the tracks is refused; "Ja" on the selected
        // option does nothing at all.
        m_m.leeren();
        const auto daten = m_z.bild.Daten;
        const qint16 zaehler = m_z.bild.Aenderungszaehler;
        kind<QRadioButton>(w.get(), "Spur2Nein")->click();
        QCOMPARE(m_m.textnummern(), QList<int>{323});
        QVERIFY(kind<QRadioButton>(w.get(), "Spur2Ja")->isChecked());
        QVERIFY(kind<QRadioButton>(w.get(), "Spur31Nein")->isChecked());
        m_m.leeren();
        kind<QRadioButton>(w.get(), "Spur2Ja")->click();
        ja->click();
        QVERIFY(m_m.eintraege().isEmpty());
        QCOMPARE(m_z.bild.Aenderungszaehler, zaehler);
        QVERIFY(m_z.bild.Daten == daten);

        // Block lists off again: the chip-card frame comes back, the message stays off.
        m_m.antworte(Meldung::Ok);
        kind<QRadioButton>(w.get(), "SperrlistenNein")->click();
        QVERIFY(kind<QGroupBox>(w.get(), "FrameChipkarte")->isEnabled());
        QVERIFY(kind<QRadioButton>(w.get(), "ChipkarteNein")->isChecked());
    }

    void anordnungenFuellenDieGitter_data()
    {
        QTest::addColumn<int>("code");
        for (int c = 0; c < 8; ++c)
            QTest::addRow("%d", c) << c;
    }
    void anordnungenFuellenDieGitter()
    {
        QFETCH(int, code);
        Bytes b = standardbild((code & 2) ? 22 : 0, (code & 4) ? 11 : 0, code & 1);
        b[3] = 11;  // also where the track is off
        b[4] = 6;
        auto w = oeffne(datei("A", b));
        // Running numbers follow list order 1, 2, 3, 4; lists not in the
        // arrangement show 25 empty rows.
        int erste = 0;
        for (int liste = 1; liste <= 4; ++liste) {
            const auto [anfang, ende] = listenbereich(code, liste);
            Listenmodell *m = w->listenmodell(liste);
            if (anfang == 0) {
                QCOMPARE(m->rowCount(), 25);
                QVERIFY(zelle(m, 1, 0).isEmpty() && zelle(m, 2, 0).isEmpty());
                continue;
            }
            const int L = (liste == 1 || liste == 3) ? b[3] : b[4];
            const int anzahl = (ende - anfang) / L;
            QCOMPARE(m->rowCount(), anzahl + 2);
            QCOMPARE(zelle(m, 1, 0), QStringLiteral("Anzahl(max)   %1").arg(anzahl));
            QCOMPARE(m->eintragsnummer(2), erste);
            QCOMPARE(m_z.bild.Zeilenadresse[erste + 1], anfang + L);
            erste += anzahl;
        }
        QCOMPARE(zelle(w->listenmodell(1), 0, 0), QStringLiteral("Berechtigungen Spur 2            "));
    }

    void eintragBearbeitenUndSpeichern_data()
    {
        QTest::addColumn<int>("ziffern");
        QTest::addColumn<QString>("eingabe");
        QTest::addColumn<QList<int>>("bytes");
        QTest::newRow("odd") << 5 << "12345#" << QList<int>{0x21, 0x43, 0xE5};
        QTest::newRow("even") << 6 << "123456" << QList<int>{0x21, 0x43, 0x65};
        QTest::newRow("# inside") << 4 << "#:?0" << QList<int>{0xAE, 0x0F};
    }
    void eintragBearbeitenUndSpeichern()
    {
        QFETCH(int, ziffern);
        QFETCH(QString, eingabe);
        QFETCH(QList<int>, bytes);
        const int adresse = 272 + (ziffern + 1) / 2;  // entry 1
        Bytes b = standardbild(ziffern, 8);
        b[1] = 0;  // bits 2 and 4 clear in the file: set again on loading
        b[adresse - 1] = 0x77;
        const QString pfad = datei("D", b, {"null", "eins"});
        auto w = oeffne(pfad);
        kind<QTabWidget>(w.get(), "SSTab1")->setCurrentIndex(1);
        auto *gitter = kind<Listengitter>(w.get(), "Mgd1");
        Listenmodell *m = w->listenmodell(1);
        imDialog([&](QWidget *d) {
            QCOMPARE(d->objectName(), QStringLiteral("Datensp2D"));
            auto *text1 = kind<QLineEdit>(d, "text1");
            QCOMPARE(text1->maxLength(), ((ziffern + 1) / 2) * 2);
            text1->setText(eingabe.left(eingabe.size() - 1));
            kind<QPushButton>(d, "Command2")->click();  // "Datenstring zu kurz": stays open
            text1->setText(eingabe);
            kind<QLineEdit>(d, "Text2")->setText(QStringLiteral("Grüße an Müller"));
            kind<QPushButton>(d, "Command2")->click();
        });
        QTest::mouseDClick(gitter->viewport(), Qt::LeftButton, {}, gitter->visualRect(m->index(3, 1)).center());
        QCOMPARE(m_m.textnummern(), QList<int>{203});
        QCOMPARE(w->uebergabe().Dialogergebnis, qint16(1));
        QCOMPARE(zelle(m, 3, 0), eingabe);
        QCOMPARE(zelle(m, 3, 1), QStringLiteral("Grüße an Müller"));
        gitter->clearFocus();
        QCOMPARE(hintergrund(m, 3, 1), QApplication::palette().color(QPalette::Button));  // edited comment
        QCOMPARE(hintergrund(m, 3, 0), QApplication::palette().color(QPalette::Base));

        kind<QAction>(w.get(), "mnuSave")->trigger();
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(0));
        b[1] = 0x14;
        for (int i = 0; i < bytes.size(); ++i)
            b[adresse + i] = bytes[i];  // entry 0 before it keeps its 0x77
        QCOMPARE(leseDatei(pfad), hauptdateiInhalt(b));
        QCOMPARE(leseDatei(m_dir.filePath("D.B2D")), begleitInhalt({"null", QStringLiteral("Grüße an Müller")}, 2001));
    }

    void datenstringAbbrechen()
    {
        auto w = oeffne(datei("K", standardbild(4)));
        kind<QTabWidget>(w.get(), "SSTab1")->setCurrentIndex(1);
        auto *gitter = kind<Listengitter>(w.get(), "Mgd1");
        gitter->setFocus();
        gitter->setCurrentIndex(w->listenmodell(1)->index(2, 0));
        QCOMPARE(hintergrund(w->listenmodell(1), 2, 0), QColor(255, 0, 0));  // current cell while focused
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
        QCOMPARE(w->uebergabe().Dialogergebnis, qint16(0));
        QCOMPARE(m_z.bild.byte(272), 0);
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(0));
        gitter->clearFocus();
        QCOMPARE(hintergrund(w->listenmodell(1), 2, 0), QApplication::palette().color(QPalette::Base));
    }

    void langerKommentarVerbreitert()
    {
        const QString lang(40, QLatin1Char('x'));
        auto w = oeffne(datei("B", standardbild(4, 4), {"kurz", lang}));
        QCOMPARE(w->listenmodell(1)->spaltenbeschriftung(1), QStringLiteral("Begleittext") + QString(36 + 54, ' '));
        QCOMPARE(w->listenmodell(2)->spaltenbeschriftung(1), QStringLiteral("Begleittext") + QString(36, ' '));
        QVERIFY(kind<Listengitter>(w.get(), "Mgd1")->columnWidth(1) > kind<Listengitter>(w.get(), "Mgd2")->columnWidth(1));
        QCOMPARE(zelle(w->listenmodell(1), 3, 1), lang);
    }

    void displayzeilen()
    {
        Bytes b = grundbild();
        b[16 + 16 * 3] = 226;
        b[16 + 16 * 3 + 1] = 223;
        auto w = oeffne(datei("Z", b));
        QCOMPARE(kind<QLineEdit>(w.get(), "Zeile3")->text(), QStringLiteral("ßß") + QString(14, ' '));  // 226, 223
        QCOMPARE(kind<QGroupBox>(w.get(), "FrameDisplaytext1")->title(), QStringLiteral("Displaytext  1"));

        const struct {
            int zeile;
            QString text;
            QList<int> bytes;
        } faelle[] = {
            {0, QStringLiteral("Grüße"), {71, 114, 245, 226, 101}},
            {1, QStringLiteral("ÄÖÜ"), {225, 239, 245}},
            {15, QStringLiteral("ABCDEFGHIJKLMNOPQRST"), {65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 80}},
        };
        kind<QTabWidget>(w.get(), "SSTab1")->setCurrentIndex(3);
        for (const auto &f : faelle) {
            auto *box = kind<QLineEdit>(w.get(), qPrintable(QStringLiteral("Zeile%1").arg(f.zeile)));
            imDialog([&](QWidget *d) {
                QCOMPARE(d->objectName(), QStringLiteral("displayeingabe2D"));
                kind<QLineEdit>(d, "Text1")->setText(f.text);
                kind<QPushButton>(d, "Co2")->click();
            });
            QTest::mouseClick(box, Qt::LeftButton);
            for (int j = 0; j < 16; ++j)
                QCOMPARE(m_z.bild.byte(16 + 16 * f.zeile + j), j < f.bytes.size() ? f.bytes[j] : 32);
            QCOMPARE(box->text().size(), 16);
            QCOMPARE(box->palette().color(QPalette::Text), displayeingabe2D::farbeNachBearbeitung());
        }
        QCOMPARE(kind<QLineEdit>(w.get(), "Zeile1")->text(), QStringLiteral("äöü") + QString(13, ' '));
        QCOMPARE(m_z.bild.byte(272), 0);  // line 15 ends at 271
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(3));

        // Cancel changes nothing.
        imDialog([](QWidget *d) {
            kind<QLineEdit>(d, "Text1")->setText("weg");
            kind<QPushButton>(d, "Co1")->click();
        });
        QTest::keyClick(kind<QLineEdit>(w.get(), "Zeile0"), Qt::Key_Return);
        QCOMPARE(m_z.bild.byte(16), 71);
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(3));
    }

    void speichernAlsMitUeberschreibfrage()
    {
        const QString pfad = datei("Q", standardbild());
        const QString ziel = m_dir.filePath("ZIEL.S2D");
        QVERIFY(schreibeDatei(ziel, "alt"));
        auto w = oeffne(pfad);
        imDateidialog(QStringLiteral("Datei speichern als"), ziel);
        m_m.antworte(Meldung::Nein);
        kind<QAction>(w.get(), "mnuSaveAs")->trigger();
        QCOMPARE(m_m.textnummern(), QList<int>{386});
        QCOMPARE(m_m.eintraege().at(0).text, QStringLiteral("Vorhandene Datei ") + ziel + QStringLiteral(" überschreiben?"));
        QCOMPARE(leseDatei(ziel), QByteArray("alt"));
        QVERIFY(!QFile::exists(m_dir.filePath("ZIEL.B2D")));
        QCOMPARE(w->hauptdatei(), pfad);

        imDateidialog(QStringLiteral("Datei speichern als"), ziel);
        m_m.antworte(Meldung::Ja);
        kind<QAction>(w.get(), "mnuSaveAs")->trigger();
        QCOMPARE(leseDatei(ziel), hauptdateiInhalt(standardbild()));
        QCOMPARE(leseDatei(m_dir.filePath("ZIEL.B2D")), begleitInhalt({}, 2001));
        QCOMPARE(w->windowTitle(), ziel);
        QCOMPARE(w->hauptdatei(), ziel);
    }

    void ungespeicherteAenderungenBeimSchliessen()
    {
        const QString pfad = datei("U", standardbild());
        const QByteArray vorher = leseDatei(pfad);
        auto w = oeffne(pfad);
        w->close();  // nothing changed: no question
        QVERIFY(m_m.eintraege().isEmpty());
        QVERIFY(!w->isVisible());

        // Beenden answered No: closes without saving; close answered Yes: saves.
        w = oeffne(pfad);
        kind<QRadioButton>(w.get(), "SummerJa")->click();
        m_m.antworte(Meldung::Nein);
        kind<QAction>(w.get(), "mnuFileExit")->trigger();
        QCOMPARE(m_m.textnummern(), QList<int>{275});
        QVERIFY(!w->isVisible());
        QCOMPARE(leseDatei(pfad), vorher);

        m_m.leeren();
        w = oeffne(pfad);
        kind<QRadioButton>(w.get(), "SummerJa")->click();
        m_m.antworte(Meldung::Ja);
        w->close();
        QCOMPARE(m_m.textnummern(), QList<int>{275});
        QVERIFY(!w->isVisible());
        QVERIFY(leseDatei(pfad) != vorher);
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(0));
    }

    void sondercodebildVerbirgtListeneinstellungen()
    {
        Bytes b = grundbild();
        b[1] |= 0x60;
        b[2] = 0x81;
        b[3] = 11;
        auto w = oeffne(datei("X", b));
        QCOMPARE(m_z.bild.byte(3), 4);
        QVERIFY(!kind<QGroupBox>(w.get(), "FrameDisplay")->isEnabled());
        QVERIFY(!kind<QRadioButton>(w.get(), "SperrlistenJa")->isVisible());
        QVERIFY(!kind<QLineEdit>(w.get(), "TextLaengeSpur2")->isVisible());
        QVERIFY(kind<QPushButton>(w.get(), "Suchen1")->isVisible());
        QVERIFY(kind<QCheckBox>(w.get(), "Check12000")->isVisible());
        // Track 2 evaluated: grid 1 is the card grid, the others stay empty.
        QCOMPARE(w->listenmodell(1)->rowCount(), 4099);
        for (int liste = 2; liste <= 4; ++liste)
            QCOMPARE(w->listenmodell(liste)->rowCount(), 25);
    }

    void ladenOeffnetDenEditor()
    {
        // Datei / Laden opens the editor on the chosen file.
        const QString gut = datei("G", standardbild());
        m_z.Startverzeichnis = m_dir.path();
        QString titel;
        imDateidialog(QStringLiteral("Datei zum Laden auswählen"), gut, [&] {
            imDialog([&](QWidget *d) {
                titel = d->windowTitle();
                QCOMPARE(kind<QTabWidget>(d, "SSTab1")->currentIndex(), 0);
                d->close();
            });
        });
        const Ladeablauf a = dateiLaden(m_z, m_m);
        QVERIFY(a.ergebnis.geladen);
        QCOMPARE(titel, gut);
        QCOMPARE(a.hauptdateiNachher, gut);

        // A missing file is reported (384) and no editor opens.
        QCOMPARE(bearbeiteTerminaldatei(m_z, m_m, m_dir.filePath("fehlt.S2D"), "x"), QString());
        QCOMPARE(m_m.textnummern(), QList<int>{384});
    }
};

PORTAVO_TESTKLASSE(tst_portadatei2D)
#include "tst_portadatei2D.moc"
