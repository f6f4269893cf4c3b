// The editor window: settings shown and changed through the controls and the rules behind them, the
// card-list grids, the record dialogs, display lines, saving and leaving; printing (the tab on show decides
// what is printed, the printer dialog's cancel is silent, printer errors, preview, PDF export, long names).

#include "support/Testlauf.h"
#include "Editorhilfe.h"
#include "support/Fensterhilfe.h"
#include "support/Datentabelle.h"
#include "support/Dateigrenze.h"
#include "termfile/Dateiablauf.h"
#include "termfile/Einstellungsregeln.h"
#include "termfile/Terminaldatei.h"

#include "app/Listengitter.h"

#include <QtWidgets>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

using namespace Einstellungsregeln;

Q_DECLARE_METATYPE(Zahlfeld)

namespace {
void tippe(QWidget *w, const QString &text)
{
    for (QChar c : text)
        QTest::keyClick(w, Qt::Key(c.toUpper().unicode()), Qt::NoModifier);
}

bool gewaehlt(QWidget *w, const char *name) { return kind<QRadioButton>(w, name)->isChecked(); }

// The image as the editor shows it after loading, texts loaded.
void bildLaden(Zustand &z, const Bytes &b)
{
    Texttabelle::ladeTexte(z, 101, 389);
    for (int i = 0; i < 2048; ++i)
        z.bild.Daten[i] = qint16(b[i]);
    z.bild.einstellungenAnzeigen();
    z.bild.Aenderungszaehler = 0;
    z.bild.baueListen();
}

// Page objects of a PDF written by Qt.
int pdfSeiten(const QString &pfad)
{
    const QByteArray inhalt = lies(pfad);
    if (!inhalt.startsWith("%PDF"))
        return -1;
    return int(inhalt.count("/Type /Page\n") + inhalt.count("/Type /Page ") + inhalt.count("/Type /Page>"));
}

// The words of page 1 of a PDF, as pdftotext (poppler-utils) reads them.
QStringList pdfWoerter(const QString &pfad)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {"-f", "1", "-l", "1", pfad, "-"});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        qWarning("pdftotext failed: install poppler-utils (scripts/deps.sh)");
    return QString::fromUtf8(p.readAllStandardOutput()).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

void tab(QWidget *w, int i) { kind<QTabWidget>(w, "SSTab1")->setCurrentIndex(i); }
void waehle(QWidget *w, const char *aktion) { kind<QAction>(w, aktion)->trigger(); }
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
        const int zeilen = b[2] & 0x80 ? 5001 : 2001;  // special code: 5001 names
        if (!schreib(pfad, hauptdateiInhalt(b))
            || (!kommentare.isEmpty() && !schreib(m_dir.filePath(name + ".B2D"), begleitInhalt(kommentare, zeilen))))
            qFatal("cannot write");
        return pfad;
    }

    std::unique_ptr<Editorfenster> oeffne(const QString &pfad) { return editor(m_z, m_m, pfad); }

    // Track 2 only, 21 digits: list 1 has 161 entries. Printing goes into
    // the PDF file pdf instead of asking for a printer (when one is given).
    std::unique_ptr<Editorfenster> druckeditor(const QString &pdf = QString(), const Bytes &b = standardbild(21),
                                               const QStringList &namen = {"Meier"})
    {
        auto w = oeffne(datei("DRUCK", b, namen));
        if (!pdf.isEmpty())
            w->druckablauf().setDruckerwahl([pdf](QPrinter &d, QWidget *) {
                d.setOutputFormat(QPrinter::PdfFormat);
                d.setOutputFileName(pdf);
                return true;
            });
        return w;
    }

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
        b[0] = 0, b[1] |= 0x01 | 0x08 | 0x80, b[2] |= 0x04 | 0x08, b[8] = 200;  // door time 0: shown and written back as 1
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

    void zahlfeldVerlassen_data()
    {
        // ungerade: the odd bit of the length, -1: none
        spalten<Zahlfeld, QString, int, int, int, int>("feld", "eingabe", "gespeichert", "adresse", "byteWert", "ungerade");
        const auto T = Zahlfeld::Tueroeffnungszeit;
        for (const auto &[ein, wert] : {std::pair{"300", 1}, {"255", 255}, {"256", 1}, {"  42x9", 42}, {"99999999999999", 1}})
            QTest::addRow("door %s", ein) << T << ein << wert << 0 << wert << -1;
        QTest::newRow("address 300") << Zahlfeld::Adresse << "300" << 1 << 8 << 1 << -1;
        QTest::newRow("track 2: 21") << Zahlfeld::LaengeSpur2 << "21" << 21 << 3 << 11 << 1;
        QTest::newRow("track 2: 22") << Zahlfeld::LaengeSpur2 << "22" << 22 << 3 << 11 << 0;
        QTest::newRow("track 2: 23") << Zahlfeld::LaengeSpur2 << "23" << 1 << 3 << 1 << 1;
        QTest::newRow("track 3/1: 25") << Zahlfeld::LaengeSpur31 << "25" << 25 << 4 << 13 << 1;
        QTest::newRow("track 3/1: 27") << Zahlfeld::LaengeSpur31 << "27" << 1 << 4 << 1 << 1;
    }
    void zahlfeldVerlassen()
    {
        const auto [feld, eingabe, gespeichert, adresse, byteWert, ungerade] = werte<Zahlfeld, QString, int, int, int, int>(
            "feld", "eingabe", "gespeichert", "adresse", "byteWert", "ungerade");
        Zustand z;
        Bytes b = standardbild(4);
        b[9] = ungerade == 1 ? 0 : 3;  // the opposite odd bits, so a missing update shows
        bildLaden(z, b);
        QCOMPARE(verlassen(z.bild, feld, eingabe), gespeichert);
        QCOMPARE(z.bild.byte(adresse), byteWert);
        if (ungerade >= 0)
            QCOMPARE(z.bild.bit(9, feld == Zahlfeld::LaengeSpur31 ? 1 : 0), ungerade == 1);
    }

    void einfacheOptionenSetzenIhrBit()
    {
        Zustand z;
        bildLaden(z, standardbild(4));
        MeldungAufnahme m;
        QCOMPARE(optionGedrueckt(z, m, Option::Startzeichen, true), Folge::Nichts);  // already "Ja"
        // The plain options set their bit ("Startzeichen nein" sets B bit 3).
        const std::tuple<Option, bool, int, int> faelle[] = {{Option::Startzeichen, false, 2, 3}, {Option::Stoerung, true, 1, 7},
                                                             {Option::Ueberwachungsmodul, true, 2, 2}, {Option::Display, true, 1, 5}};
        for (const auto &[option, ja, adresse, bit] : faelle)
            QVERIFY(optionGedrueckt(z, m, option, ja) == Folge::Angezeigt && z.bild.bit(adresse, bit));
        QVERIFY(m.eintraege().isEmpty());
        QCOMPARE(z.bild.Aenderungszaehler, qint16(4));
    }

    void spurJaFragtUndLegtNeuAn()
    {
        Zustand z;
        Bytes b = standardbild(4, 5);
        b[2] = 1;  // track 3/1 (5 digits) not evaluated yet
        bildLaden(z, b);
        MeldungAufnahme m;
        m.antworte(Meldung::Ok);
        QCOMPARE(optionGedrueckt(z, m, Option::Spur31, true), Folge::NeuAngelegt);
        QCOMPARE(z.bild.listenanordnung(), 6);
        QCOMPARE(z.bild.byte(760 + 2), 224);  // odd length: padding nibble 14
        QCOMPARE(z.bild.Zeilentext[z.bild.ersteEintragsnummer(2)], QStringLiteral("00000#"));
        m.antworte(Meldung::Ok);
        QCOMPARE(optionGedrueckt(z, m, Option::Spur2, false), Folge::NeuAngelegt);
        QCOMPARE(z.bild.listenanordnung(), 4);
        QCOMPARE(m.textnummern(), (QList<int>{319, 319}));
    }

    // Special code: changing tracks asks nothing and keeps the time zones;
    // laying out afresh blocks every card and keeps the system number.
    void sondercodebild()
    {
        Zustand z;
        Bytes b = grundbild();
        b[2] = 0x80 | 0x02, b[272] = 18, b[273] = 243;
        std::fill(b.begin() + 512, b.end(), 0xAA);
        bildLaden(z, b);
        z.bild.Begleittext[9] = "Name";
        MeldungAufnahme m;
        QCOMPARE(optionGedrueckt(z, m, Option::Spur2, true), Folge::Angezeigt);
        QVERIFY(m.eintraege().isEmpty() && z.bild.flag(Flag::Spur2Auswerten) && !z.bild.flag(Flag::Spur31Auswerten));
        QCOMPARE(z.bild.byte(600), 0xAA);
        legeNeuAn(z.bild);
        for (int i = 512; i < 2048; ++i)
            QCOMPARE(z.bild.byte(i), 0);
        QCOMPARE(z.bild.systemnummer(), 531);
        QCOMPARE(z.bild.Begleittext[9], QStringLiteral("----------"));
    }

    void passwortUndDateifilter()
    {
        Zustand z;
        bildLaden(z, grundbild());
        z.terminal.passwortOK = true, z.terminal.passwort = QByteArray("X1234");
        QVERIFY(!passwortUebernehmen(z));
        z.terminal.passwort = QByteArray("0\x98\x76\x54"), z.terminal.passwortOK = false;  // dialog cancelled
        QVERIFY(!passwortUebernehmen(z) && z.bild.passwortZiffern() == "123456");
        z.terminal.passwortOK = true;
        QVERIFY(passwortUebernehmen(z) && z.bild.passwortZiffern() == "896745" && z.bild.Aenderungszaehler == 1);

        QVERIFY(!zifferErlaubt(""));
    }

    void fehlgeschlagenesSpeichernLaesstAlteDatei()
    {
        QTemporaryDir dir;
        Zustand z;
        bildLaden(z, grundbild());
        z.bild.setzeByte(0, 99), z.bild.Aenderungszaehler = 2;
        const QString basis = dir.filePath("T");
        const QByteArray alt = hauptdateiInhalt(grundbild());
        QVERIFY(schreib(basis + ".S2D", alt));

        MeldungAufnahme m;
        QVERIFY(!Dateigrenze::unter(1000, [&] { return Dateiablauf::speichern(z, m, basis, 1); }));  // breaks off part way
        QCOMPARE(m.textnummern(), QList<int>{315});
        QVERIFY(m.eintraege().at(0).text.startsWith(QStringLiteral("Diskette voll")) && z.bild.Aenderungszaehler == 2);
        QCOMPARE(ordnerinhalt(dir.path()), (QMap<QString, QByteArray>{{"T.S2D", alt}}));
    }

    void druckdialogAbbrechenBleibtStill()
    {
        auto w = druckeditor();
        bool gesehen = false;
        imDialog([&](QWidget *d) {
            gesehen = qobject_cast<QPrintDialog *>(d) != nullptr;
            static_cast<QDialog *>(d)->reject();
        }, QStringLiteral("Druckdialog"));
        waehle(w.get(), "mnuPrint");
        QVERIFY(gesehen && m_m.eintraege().isEmpty());
    }

    void teilUndAllesDrucken()
    {
        const QString pdf = m_dir.filePath(QStringLiteral("drucker.pdf"));
        auto w = druckeditor(pdf);
        // The current tab decides the section: 162 grid rows take 4 pages
        // (36, then 43 each), then the empty track-3/1 list.
        const int seiten[] = {1, 5, 2};
        for (int i = 0; i < 3; ++i) {
            tab(w.get(), i);
            waehle(w.get(), "mnuPrint");
            QCOMPARE(pdfSeiten(pdf), seiten[i]);
        }
        waehle(w.get(), "mnuPrintAll");
        QCOMPARE(pdfSeiten(pdf), 1 + 5 + 2 + 1);
        QVERIFY(m_m.eintraege().isEmpty());

        // A printer that cannot be written is reported.
        w.reset();
        auto f = druckeditor(m_dir.filePath(QStringLiteral("gibtsnicht/drucker.pdf")));
        waehle(f.get(), "mnuPrintAll");
        QCOMPARE(m_m.textnummern(), QList<int>{435});
    }

    void druckvorschau()
    {
        auto w = druckeditor();
        tab(w.get(), 1);
        int seiten = -1;
        imDialog([&](QWidget *d) {
            auto *vorschau = d->findChild<QPrintPreviewWidget *>();
            QVERIFY(vorschau);
            QTRY_VERIFY(vorschau->pageCount() > 0);
            seiten = vorschau->pageCount();
            d->close();
        }, QStringLiteral("Seitenansicht"));
        waehle(w.get(), "mnuPreview");
        QCOMPARE(seiten, 5);
        QVERIFY(m_m.eintraege().isEmpty());
    }

    // Special code, three cards to a printed line: long names are set
    // smaller or wrapped, every word of them on paper.
    void langeNamenImKartendruckGanz()
    {
        Bytes b = grundbild();
        b[2] = 0x81, b[3] = b[4] = 4;
        const QStringList lang{QStringLiteral("Friederike von Hohenstein-Waldburg, Lichtenau Nord"),
                               QStringLiteral("Maximilian Mustermann-Oberhausen"),
                               QStringLiteral("Bauunternehmung Rheinland-Pfalz Gesellschaft mbH Zweigstelle")};
        const QString pdf = m_dir.filePath(QStringLiteral("karten.pdf"));
        auto w = druckeditor(pdf, b, {"----------", lang[0], "Meier", "----------", "----------", lang[1], lang[2]});
        tab(w.get(), 1);
        waehle(w.get(), "mnuPrint");
        QVERIFY(m_m.eintraege().isEmpty());
        const QStringList woerter = pdfWoerter(pdf);
        for (const QString &wort : (lang.join(' ') + QStringLiteral(" Meier")).split(QLatin1Char(' ')))
            QVERIFY2(woerter.contains(wort), qPrintable(wort + QStringLiteral(" missing in: ") + woerter.join(' ')));
    }

    void pdfExport()
    {
        auto w = druckeditor();
        const QString ziel = m_dir.filePath(QStringLiteral("export.pdf"));
        // Cancelled: nothing written, nothing said.
        imDialog([](QWidget *d) { d->close(); }, QStringLiteral("PdfExport"));
        waehle(w.get(), "mnuExportPdf");
        QVERIFY(!QFile::exists(ziel) && m_m.eintraege().isEmpty());

        // All four sections, whatever tab is open.
        tab(w.get(), 3);
        imDialog([&](QWidget *d) { dateiWaehlen(d, ziel); }, QStringLiteral("PdfExport"));
        waehle(w.get(), "mnuExportPdf");
        QCOMPARE(pdfSeiten(ziel), 9);
        QVERIFY(m_m.eintraege().isEmpty());

        // A file that cannot be written (no one creates files in /proc) is reported with its path.
        const QString falsch = QStringLiteral("/proc/portavo-export.pdf");
        imDialog([&](QWidget *d) { dateiWaehlen(d, falsch); }, QStringLiteral("PdfExport"));
        waehle(w.get(), "mnuExportPdf");
        QCOMPARE(m_m.textnummern(), QList<int>{437});
        QVERIFY(m_m.eintraege().constFirst().text.contains(falsch));
    }
};

PORTAVO_TESTKLASSE(tst_editorfenster)
#include "tst_editorfenster.moc"
