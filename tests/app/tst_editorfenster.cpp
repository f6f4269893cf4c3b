// The editor window: settings shown and changed through the controls and the rules behind them, the
// card-list grids, the record dialogs, display lines, saving and leaving; printing (the tab on show decides
// what is printed, the printer dialog's cancel is silent, printer errors, preview, PDF export, long names);
// special code (card grid, card dialogs, system number, pages, search, the file set).

#include "support/Testlauf.h"
#include "support/Testhilfe.h"
#include "app/Listenmodell.h"
#include "app/Editorfenster.h"
#include "support/Fensterhilfe.h"
#include "support/Datentabelle.h"
#include "support/Dateigrenze.h"
#include "termfile/Dateiablauf.h"
#include "termfile/Einstellungsregeln.h"
#include "termfile/Terminaldatei.h"
#include "termfile/Dateivergleich.h"
#include "support/SimBus.h"

#include "app/Listengitter.h"

#include <QtWidgets>
#include <algorithm>
#include <array>
#include <memory>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

using namespace Einstellungsregeln;

Q_DECLARE_METATYPE(Zahlfeld)

namespace {
// Terminal files written by hand in the file format, the editor opened on one, and a grid cell's text.
using Bytes = std::array<int, 2048>;

// A plain standard image: door-open time 5, flag A bits 2 and 4 set,
// address 7, password 123456, display lines of blanks.
Bytes grundbild()
{
    Bytes b{};
    b[0] = 5, b[1] = 0x14, b[5] = 0x21, b[6] = 0x43, b[7] = 0x65, b[8] = 7;
    std::fill(b.begin() + 16, b.begin() + 272, 32);
    return b;
}

// grundbild() with track 2 and track 3/1 of the given digits evaluated (0: not evaluated).
Bytes standardbild(int ziffern2 = 6, int ziffern31 = 0)
{
    Bytes b = grundbild();
    b[2] = (ziffern2 ? 1 : 0) | (ziffern31 ? 2 : 0), b[3] = (ziffern2 + 1) / 2, b[4] = (ziffern31 + 1) / 2;
    b[9] = (ziffern2 % 2) | (ziffern31 % 2) << 1;
    return b;
}

QByteArray hauptdateiInhalt(const Bytes &b)
{
    return hauptdatei([&b](int i) { return b[i]; });
}

// A companion file of anzahl lines, "----------" after the given ones.
QByteArray begleitInhalt(const QStringList &zeilen, int anzahl)
{
    QByteArray text;
    for (int i = 0; i < anzahl; ++i)
        text += (i < zeilen.size() ? zeilen[i] : QStringLiteral("----------")).toLatin1() + "\r\n";
    return text;
}

// The editor on datei, shown and active.
std::unique_ptr<Editorfenster> editor(Zustand &z, Meldung &m, const QString &datei)
{
    auto w = std::make_unique<Editorfenster>(z, m);
    if (!w->oeffne(datei))
        qFatal("cannot open %s", qPrintable(datei));
    w->show();
    QApplication::setActiveWindow(w.get());
    if (!QTest::qWaitForWindowActive(w.get()))
        qWarning("window not active");
    return w;
}

QString zelle(Listenmodell *m, int zeile, int spalte) { return m->data(m->index(zeile, spalte)).toString(); }

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
    std::copy(b.begin(), b.end(), z.bild.Daten.begin());
    z.bild.einstellungenAnzeigen(), z.bild.Aenderungszaehler = 0, z.bild.baueListen();
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

// Special code (track 2), system number 531, card 9 in zones 1 and 3, card 100 always authorized.
Bytes sonderbild()
{
    Bytes b = grundbild();
    b[2] = 0x81, b[3] = b[4] = 4, b[272] = 18, b[273] = 243, b[513] = b[1537] = 2;
    for (int plane : {512, 1024, 1536})
        b[plane + 12] = 16;  // card 100 = byte 12, bit 4
    return b;
}

void klick(Listengitter *g, int zeile, int spalte, Qt::KeyboardModifiers mod = {})
{
    g->scrollTo(g->model()->index(zeile, spalte));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, mod, g->visualRect(g->model()->index(zeile, spalte)).center());
}

void doppelklick(Listengitter *g, int zeile, int spalte)
{
    klick(g, zeile, spalte);
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(zeile, spalte)).center());
}

QString label1(QWidget *d) { return kind<QLabel>(d, "Label1")->text(); }
void knopf(QWidget *d, const char *name) { kind<QPushButton>(d, name)->click(); }

// Answers the next differences list: its lines, then Close.
void unterschiedeLesen(QStringList &zeilen)
{
    imDialog([&zeilen](QWidget *d) {
        auto *l = kind<QListWidget>(d, "ListeUnterschiede");
        for (int i = 0; i < l->count(); ++i)
            zeilen << l->item(i)->text();
        kind<QPushButton>(d, "CommandSchliessen")->click();
    }, QStringLiteral("frmUnterschiede"));
}
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

    QString pfad(const QString &name) const { return m_dir.filePath(name); }
    // A set "SK": pages 1 and 2 with names; customer files of both pages.
    QString satz()
    {
        for (const QString &n : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(pfad(n));
        schreib(pfad("SK.S2D"), hauptdateiInhalt(sonderbild()));
        Bytes b2 = sonderbild();
        b2[513] = b2[1537] = 0;
        b2[515] = 1;  // page 2: card 24 in zone 1
        schreib(pfad("SK.S3D"), hauptdateiInhalt(b2));
        schreib(pfad("SK.B2D"), textzeilen(5001, "Name "));
        schreib(pfad("SK.B3D"), textzeilen(5001, "Zwei "));
        for (const char *f : {"V", "P", "O", "R", "T", "M"})
            for (const char *s : {"2D", "3D"})  // card 7 of page 2 has a telephone number
                schreib(pfad(QStringLiteral("SK.%1%2").arg(f, s)),
                        textzeilen(5001, QByteArray(f) + s + ' ').replace("\r\nT3D 7\r\n", "\r\n0711 4711\r\n"));
        return pfad("SK.S2D");
    }

    QMap<QString, QByteArray> dateien() const { return ordnerinhalt(m_dir.path()); }

    // The page view of page 2 of a set just opened.
    static void zurSeite2(Editorfenster *w)
    {
        kind<QCheckBox>(w, "Check12000")->click();
        kind<QRadioButton>(w, "OptionSeite2")->click();
    }

    // Searches for text with the search button knopfname and closes the dialog.
    static void suche(Editorfenster *w, const QString &text, const char *knopfname = "Suchen1")
    {
        imDialog([text](QWidget *d) {
            kind<QLineEdit>(d, "Text1")->setText(text);
            knopf(d, "Command1");
            knopf(d, "Command3");
        });
        kind<QPushButton>(w, knopfname)->click();
    }

private slots:
    void init()
    {
        m_z = Zustand();
        m_m = MeldungAufnahme();  // answers queued for a question that never came go too
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
        tab(w.get(), 1);
        auto *gitter = kind<Listengitter>(w.get(), "Mgd1");
        // Entry 0 by Return: letters are swallowed as typed, and Cancel leaves it as it was.
        QString getippt;
        imDialog([&](QWidget *d) {
            auto *text1 = kind<QLineEdit>(d, "text1");
            text1->setFocus();
            text1->clear();
            QTest::keyClicks(text1, "A1:?b#");
            getippt = text1->text();
            kind<QPushButton>(d, "Command1")->click();
        });
        gitter->setFocus();
        gitter->setCurrentIndex(w->listenmodell(1)->index(2, 0));
        QTest::keyClick(gitter, Qt::Key_Return);
        QCOMPARE(getippt, QStringLiteral("1:?#"));
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

    void displayzeilen()
    {
        auto w = oeffne(datei("Z", grundbild()));
        tab(w.get(), 3);
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
        QTest::newRow("track 2: 22") << Zahlfeld::LaengeSpur2 << "22" << 22 << 3 << 11 << 0;
        QTest::newRow("track 2: 23") << Zahlfeld::LaengeSpur2 << "23" << 1 << 3 << 1 << 1;
        QTest::newRow("track 3/1: 25") << Zahlfeld::LaengeSpur31 << "25" << 25 << 4 << 13 << 1;
        QTest::newRow("track 3/1: 27") << Zahlfeld::LaengeSpur31 << "27" << 1 << 4 << 1 << 1;
    }
    void zahlfeldVerlassen()
    {
        const auto [feld, eingabe, gespeichert, adresse, byteWert, ungerade] = werte<Zahlfeld, QString, int, int, int, int>(
            "feld", "eingabe", "gespeichert", "adresse", "byteWert", "ungerade");
        Bytes b = standardbild(4);
        b[9] = ungerade == 1 ? 0 : 3;  // the opposite odd bits, so a missing update shows
        bildLaden(m_z, b);
        QCOMPARE(verlassen(m_z.bild, feld, eingabe), gespeichert);
        QCOMPARE(m_z.bild.byte(adresse), byteWert);
        if (ungerade >= 0)
            QCOMPARE(m_z.bild.bit(9, feld == Zahlfeld::LaengeSpur31 ? 1 : 0), ungerade == 1);
    }

    void einfacheOptionenSetzenIhrBit()
    {
        bildLaden(m_z, standardbild(4));
        QCOMPARE(optionGedrueckt(m_z, m_m, Option::Startzeichen, true), Folge::Nichts);  // already "Ja"
        // The plain options set their bit ("Startzeichen nein" sets B bit 3).
        const std::tuple<Option, bool, int, int> faelle[] = {{Option::Startzeichen, false, 2, 3}, {Option::Stoerung, true, 1, 7},
                                                             {Option::Ueberwachungsmodul, true, 2, 2}, {Option::Display, true, 1, 5}};
        for (const auto &[option, ja, adresse, bit] : faelle)
            QVERIFY(optionGedrueckt(m_z, m_m, option, ja) == Folge::Angezeigt && m_z.bild.bit(adresse, bit));
        QVERIFY(m_m.eintraege().isEmpty() && m_z.bild.Aenderungszaehler == 4);
    }

    // A track switched on or off on a standard image: asked, and the lists laid out afresh.
    void spurwechsel()
    {
        Bytes b = standardbild(4, 5);
        b[2] = 1;  // track 3/1 (5 digits) not evaluated yet
        bildLaden(m_z, b);
        m_m.antworte(Meldung::Ok);
        QCOMPARE(optionGedrueckt(m_z, m_m, Option::Spur31, true), Folge::NeuAngelegt);
        QCOMPARE(m_z.bild.listenanordnung(), 6);
        QCOMPARE(m_z.bild.byte(760 + 2), 224);  // odd length: padding nibble 14
        QCOMPARE(m_z.bild.Zeilentext[m_z.bild.ersteEintragsnummer(2)], QStringLiteral("00000#"));
        m_m.antworte(Meldung::Ok);
        QCOMPARE(optionGedrueckt(m_z, m_m, Option::Spur2, false), Folge::NeuAngelegt);
        QCOMPARE(m_z.bild.listenanordnung(), 4);
        QCOMPARE(m_m.textnummern(), (QList<int>{319, 319}));

        // Special code: changing tracks asks nothing and keeps the time zones;
        // laying out afresh blocks every card and keeps the system number.
        b = grundbild();
        b[2] = 0x80 | 0x02, b[272] = 18, b[273] = 243;
        std::fill(b.begin() + 512, b.end(), 0xAA);
        bildLaden(m_z, b);
        m_z.bild.Begleittext[9] = "Name";
        QCOMPARE(optionGedrueckt(m_z, m_m, Option::Spur2, true), Folge::Angezeigt);
        QVERIFY(m_m.eintraege().size() == 2 && m_z.bild.flag(Flag::Spur2Auswerten) && !m_z.bild.flag(Flag::Spur31Auswerten));
        QCOMPARE(m_z.bild.byte(600), 0xAA);
        legeNeuAn(m_z.bild);
        for (int i = 512; i < 2048; ++i)
            QCOMPARE(m_z.bild.byte(i), 0);
        QCOMPARE(m_z.bild.systemnummer(), 531);
        QCOMPARE(m_z.bild.Begleittext[9], QStringLiteral("----------"));
    }

    void passwortAusDemDialog()
    {
        bildLaden(m_z, grundbild());
        m_z.terminal.passwortOK = true, m_z.terminal.passwort = QByteArray("X1234");
        QVERIFY(!passwortUebernehmen(m_z));
        m_z.terminal.passwort = QByteArray("0\x98\x76\x54"), m_z.terminal.passwortOK = false;  // dialog cancelled
        QVERIFY(!passwortUebernehmen(m_z) && m_z.bild.passwortZiffern() == "123456");
        m_z.terminal.passwortOK = true;
        QVERIFY(passwortUebernehmen(m_z) && m_z.bild.passwortZiffern() == "896745" && m_z.bild.Aenderungszaehler == 1);

        QVERIFY(!zifferErlaubt(""));
    }

    // Disk full: said, and the image stays changed (that the files stay as they were: TstTerminaldatei).
    void speichernAufVolleDiskette()
    {
        bildLaden(m_z, grundbild());
        m_z.bild.setzeByte(0, 99), m_z.bild.Aenderungszaehler = 2;
        QVERIFY(!Dateigrenze::unter(1000, [&] { return Dateiablauf::speichern(m_z, m_m, pfad("VOLL"), 1); }));
        QCOMPARE(m_m.textnummern(), QList<int>{315});
        QVERIFY(m_m.eintraege().at(0).text.startsWith(QStringLiteral("Diskette voll")) && m_z.bild.Aenderungszaehler == 2);
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

        // A printer that cannot be written is reported.
        w.reset();
        auto f = druckeditor(m_dir.filePath(QStringLiteral("gibtsnicht/drucker.pdf")));
        waehle(f.get(), "mnuPrintAll");
        QCOMPARE(m_m.textnummern(), QList<int>{435});  // and nothing said before
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

    // The printer dialog cancelled: nothing said; the preview shows the tab on show. The PDF export holds
    // every section whatever the tab; cancelled it writes nothing, a file it cannot write is said.
    void druckdialogVorschauUndPdfExport()
    {
        auto w = druckeditor();
        bool gesehen = false;
        imDialog([&](QWidget *d) {
            gesehen = qobject_cast<QPrintDialog *>(d) != nullptr;
            static_cast<QDialog *>(d)->reject();
        }, QStringLiteral("Druckdialog"));
        waehle(w.get(), "mnuPrint");
        QVERIFY(gesehen);
        tab(w.get(), 1);
        int seiten = -1;
        imDialog([&](QWidget *d) {
            auto *vorschau = d->findChild<QPrintPreviewWidget *>();
            QTRY_VERIFY(vorschau && vorschau->pageCount() > 0);
            seiten = vorschau->pageCount();
            d->close();
        }, QStringLiteral("Seitenansicht"));
        waehle(w.get(), "mnuPreview");
        QCOMPARE(seiten, 5);

        const QString ziel = m_dir.filePath(QStringLiteral("export.pdf"));
        // Cancelled: nothing written, nothing said.
        imDialog([](QWidget *d) { d->close(); }, QStringLiteral("PdfExport"));
        waehle(w.get(), "mnuExportPdf");
        QVERIFY(!QFile::exists(ziel));

        // All four sections, whatever tab is open.
        tab(w.get(), 3);
        imDialog([&](QWidget *d) { dateiWaehlen(d, ziel); }, QStringLiteral("PdfExport"));
        waehle(w.get(), "mnuExportPdf");
        QCOMPARE(pdfSeiten(ziel), 9);

        // A file that cannot be written (no one creates files in /proc) is reported with its path.
        const QString falsch = QStringLiteral("/proc/portavo-export.pdf");
        imDialog([&](QWidget *d) { dateiWaehlen(d, falsch); }, QStringLiteral("PdfExport"));
        waehle(w.get(), "mnuExportPdf");
        QCOMPARE(m_m.textnummern(), QList<int>{437});  // the only message of all these steps
        QVERIFY(m_m.eintraege().constFirst().text.contains(falsch));
    }

    // Special code: the card grid, the system number, a card's dialog, a group chosen with Shift.
    void kartengitter()
    {
        auto w = oeffne(satz());
        tab(w.get(), 1);
        Listengitter *g = kind<Listengitter>(w.get(), "Mgd1");
        Listenmodell *m = w->listenmodell(1);
        QCOMPARE(m->rowCount(), 4099);
        QCOMPARE(zelle(m, 2, 0), QStringLiteral("System:  >>>>0531<<<<<<<<<<"));
        QCOMPARE(zelle(m, 12, 0), QStringLiteral(">0009             Zeitzone 13"));
        QCOMPARE(zelle(m, 103, 0), QStringLiteral(">0100           Berechtigt "));

        // CSV import: a bad line is said and nothing taken; a sound file is taken and saved.
        const auto alt = dateien();
        QTemporaryDir anderswo;
        const QString csv = anderswo.filePath("x.csv");
        const QByteArray kopf("Karte,Zeitzonen,Name,Vorname,PLZ,Ort,Strasse,Telefon,Bemerkungen\r\n1,2,A,,,,,,\r\n");
        for (const QByteArray &inhalt : {kopf + "4096,1,B,,,,,,\r\n", kopf}) {
            QCOMPARE(dateien(), alt);  // the second time round: the bad file took nothing
            schreib(csv, inhalt);
            imDialog([&](QWidget *d) { dateiWaehlen(d, csv); });
            kind<QAction>(w.get(), "mnuCsvImport")->trigger();
        }
        QCOMPARE(m_m.textnummern(), (QList<int>{420, 421}));
        QCOMPARE(zelle(m, 4, 0), QStringLiteral(">0001             Zeitzone 2"));
        QVERIFY(lies(pfad("SK.B2D")).startsWith("Name 0\r\nA\r\n") && lies(pfad("SK.V2D")).startsWith("V2D 0\r\n\r\n"));
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(0));
        m_m.leeren();

        // The count row opens nothing; the system row the system-number dialog.
        QTimer *wache = imDialog([](QWidget *d) { QFAIL(qPrintable(d->objectName())); });
        doppelklick(g, 1, 0);
        delete wache;
        QString gesehen;
        imDialog([&](QWidget *d) {
            gesehen = d->objectName() + kind<QLineEdit>(d, "Text1")->text();
            kind<QLineEdit>(d, "Text1")->setText(QStringLiteral("256"));
            knopf(d, "Co2");
        });
        doppelklick(g, 2, 0);
        QCOMPARE(gesehen, QStringLiteral("qrxgruco2d0531"));
        QVERIFY(m_z.bild.byte(272) == 1 && m_z.bild.byte(273) == 240);
        QCOMPARE(zelle(m, 2, 0), QStringLiteral("System:  >>>>0256<<<<<<<<<<"));

        // A card authorized (every zone) and one blocked, then saved.
        QStringList karte;
        imDialog([&](QWidget *d) {
            karte << label1(d) << kind<QLabel>(d, "Label2")->text() << kind<QLineEdit>(d, "Text2")->text();
            for (int i = 0; i < 4; ++i) {
                auto *zone = kind<QCheckBox>(d, qPrintable(QStringLiteral("Check1_%1").arg(i)));
                karte << QString::number(zone->isChecked());
                zone->setChecked(false);
            }
            knopf(d, "Command2");  // no zone: "Zeitzone eingeben", the dialog stays
            kind<QCheckBox>(d, "Check1_3")->click();  // "alle"
            kind<QLineEdit>(d, "Text2")->setText(QStringLiteral("Grüße Müller"));
            knopf(d, "Command2");
        });
        doppelklick(g, 12, 1);
        QCOMPARE(karte, (QStringList{"0009", "berechtigt", "Name 9", "1", "0", "1", "0"}));
        QCOMPARE(m_m.textnummern(), QList<int>{216});
        QCOMPARE(m_z.bild.zeitzonenziffern(9), QStringLiteral("123"));
        QCOMPARE(zelle(m, 12, 0), QStringLiteral(">0009           Berechtigt "));

        imDialog([](QWidget *d) { knopf(d, "Command3"); });
        doppelklick(g, 103, 0);
        QVERIFY(m_z.bild.gesperrt(100));
        kind<QAction>(w.get(), "mnuSave")->trigger();
        QVERIFY(lies(pfad("SK.B2D")).contains("\r\nGr\xfc\xdf" "e M\xfcller\r\n"));

        // Card 17, Shift+Down to card 20, Enter: the group 17..20.
        klick(g, 20, 0);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(g, Qt::Key_Down, Qt::ShiftModifier);
        QString label;
        imDialog([&](QWidget *d) {
            label = label1(d) + QLatin1Char('/') + kind<QLineEdit>(d, "Text2")->text();
            kind<QCheckBox>(d, "Check1_0")->setChecked(false);
            kind<QCheckBox>(d, "Check1_1")->setChecked(true);
            knopf(d, "Command2");
        });
        QTest::keyClick(g, Qt::Key_Return);
        QCOMPARE(label, QStringLiteral("0017-0020/----------"));
        for (int k = 17; k <= 20; ++k) {
            QCOMPARE(m_z.bild.zeitzonenziffern(k), QStringLiteral("2"));
            QCOMPARE(m_z.bild.Begleittext[k], QStringLiteral("Name %1").arg(k));  // own names kept
        }
        QVERIFY(m_z.bild.gesperrt(16) && m_z.bild.gesperrt(21));

        // Searching the names: a hit, the next, then none more (card 0 is found).
        m_m.leeren();
        m_z.bild.Begleittext[0] = QStringLiteral("Meyer");
        m_z.bild.Begleittext[6] = QStringLiteral("MEYERHOF");
        QStringList treffer;
        imDialog([&](QWidget *d) {
            kind<QLineEdit>(d, "Text1")->setText(QStringLiteral("meyer"));
            knopf(d, "Command1");
            treffer << QString::number(g->currentIndex().row());
            knopf(d, "Command2");
            treffer << QString::number(g->currentIndex().row());
            knopf(d, "Command2");  // no more
            knopf(d, "Command3");
        });
        kind<QPushButton>(w.get(), "Suchen1")->click();
        QCOMPARE(treffer, (QStringList{"3", "9"}));
        QCOMPARE(m_m.textnummern(), QList<int>{405});
        QCOMPARE(m->treffer(), m->index(9, 1));
    }

    // Save writes the page that is open (a lower-case name as it is; page 2 chosen in the page view, then
    // back to the standard layout), never page 1.
    void speichernSchreibtDieOffeneSeite_data()
    {
        spalten<QString, bool>("name", "ansicht");
        QTest::newRow("Seite 2") << "SK.S3D" << false;
        QTest::newRow("Seite 2 aus der Seitenansicht") << "SK.S3D" << true;
        QTest::newRow("klein geschrieben") << "t7.s2d" << false;
    }
    void speichernSchreibtDieOffeneSeite()
    {
        const auto [name, ansicht] = werte<QString, bool>("name", "ansicht");
        satz();
        schreib(pfad("t7.s2d"), hauptdateiInhalt(sonderbild()));
        schreib(pfad("t7.b2d"), textzeilen(5001, "klein "));
        auto vorher = dateien();
        auto w = oeffne(pfad(ansicht ? QStringLiteral("SK.S2D") : name));
        if (ansicht) {
            zurSeite2(w.get());
            kind<QCheckBox>(w.get(), "Check12000")->click();
            QVERIFY(m_m.textnummern().isEmpty() && w->windowTitle() == pfad(name));
        }
        QCOMPARE(zelle(w->listenmodell(1), 3, 1), name == "t7.s2d" ? QStringLiteral("klein 0") : QStringLiteral("Zwei 0"));
        kind<QRadioButton>(w.get(), "SummerJa")->click();
        kind<QAction>(w.get(), "mnuSave")->trigger();
        QVERIFY(lies(pfad(name)).startsWith(" 5 \r\n 21 \r\n"));
        QCOMPARE(w->hauptdatei(), pfad(name));
        auto nachher = dateien();
        vorher.remove(name), nachher.remove(name);
        QCOMPARE(nachher, vorher);
    }

    void seitenansicht()
    {
        auto w = oeffne(satz());
        const auto vorher = dateien();
        auto *tabs = kind<QTabWidget>(w.get(), "SSTab1");
        kind<QCheckBox>(w.get(), "Check12000")->click();
        QVERIFY(!tabs->isTabVisible(1) && !tabs->isTabVisible(3));
        // Page 3 has no main file: No leaves everything as it was, Yes lays it out.
        m_m.antworte(Meldung::Nein);
        kind<QRadioButton>(w.get(), "OptionSeite3")->click();
        QCOMPARE(m_m.textnummern(), QList<int>{414});
        QCOMPARE(m_m.eintraege().at(0).titelnummer, 690);  // its own question, not the one about changes
        QVERIFY(dateien() == vorher && w->seite() == 1);
        m_m.antworte(Meldung::Ja);
        kind<QRadioButton>(w.get(), "OptionSeite3")->click();
        QCOMPARE(w->seite(), 3);
        Bytes erwartet = sonderbild();
        std::fill(erwartet.begin() + 512, erwartet.end(), 0);
        QCOMPARE(lies(pfad("SK.S4D")), hauptdateiInhalt(erwartet));
        QVERIFY(lies(pfad("SK.B4D")) == begleitInhalt({}, 5001) && lies(pfad("SK.M4D")) == begleitInhalt({}, 5001));

        kind<QRadioButton>(w.get(), "OptionSeite2")->click();
        QCOMPARE(w->hauptdatei(), pfad("SK.S3D"));
        QVERIFY(tabs->isTabVisible(1));
        Listenmodell *m = w->listenmodell(1);
        QCOMPARE(zelle(m, 27, 0), QStringLiteral("B 0024             Zeitzone 1"));
        QCOMPARE(zelle(m, 27, 1) + zelle(m, 27, 2) + zelle(m, 27, 7), QStringLiteral("Zwei 24V3D 24M3D 24"));

        // A text only in the telephone column (card 7) is found and scrolled to the top, the card numbers beside it.
        Listengitter *g = kind<Listengitter>(w.get(), "Mgd1");
        suche(w.get(), QStringLiteral("4711"));
        QVERIFY(g->currentIndex() == m->index(10, 6) && g->rowAt(0) == 10);
        auto *nummern = kind<QTableView>(g, "FesteSpalte");
        QVERIFY(nummern->isVisible() && nummern->rowAt(0) == 10);

        // A first name typed, then "Sperren": stored and the page's customer files written.
        QString label;
        imDialog([&](QWidget *d) {
            label = d->objectName() + QLatin1Char('/') + label1(d) + QLatin1Char('/') + kind<QLineEdit>(d, "text8")->text();
            kind<QLineEdit>(d, "text8")->setText(QStringLiteral("Jörg"));
            knopf(d, "Command3");
        });
        doppelklick(g, 27, 1);
        QCOMPARE(label, QStringLiteral("qrxdatensp12000/B 0024/V3D 24"));
        QVERIFY(m_z.bild.gesperrt(24) && lies(pfad("SK.V3D")).contains("\r\nJ\xf6rg\r\n"));

        // Another page with unsaved changes: the question first (No drops them).
        m_m.leeren();
        m_m.antworte(Meldung::Nein);
        kind<QRadioButton>(w.get(), "OptionSeite1")->click();
        QCOMPARE(m_m.textnummern(), QList<int>{275});
        QVERIFY(w->seite() == 1 && zelle(m, 3, 2) == "V2D 0");
        QVERIFY(lies(pfad("SK.S3D")).contains("\r\n 0 \r\n"));  // page 2 not saved

        // A group keeps each card's names; a town typed goes to every card and its file.
        klick(g, 60, 2);
        klick(g, 58, 2, Qt::ShiftModifier);
        QStringList gesehen;
        imDialog([&](QWidget *d) {
            gesehen << label1(d) << kind<QLineEdit>(d, "text1")->text();
            kind<QLineEdit>(d, "text4")->selectAll();
            QTest::keyClicks(kind<QLineEdit>(d, "text4"), "Neustadt");  // typed, as a user does
            knopf(d, "Command2");
        });
        QTest::keyClick(g, Qt::Key_Enter);
        QCOMPARE(gesehen, (QStringList{"0057-0055", "Name"}));
        for (int k = 54; k <= 58; ++k) {
            const bool drin = k >= 55 && k <= 57;
            QCOMPARE(m_z.bild.zeitzonenziffern(k), drin ? QStringLiteral("1") : QString());
            QCOMPARE(m_z.bild.Kundendaten[0][2][k], drin ? QStringLiteral("Neustadt") : QStringLiteral("O2D %1").arg(k));
            QCOMPARE(m_z.bild.Kundendaten[0][1][k], QStringLiteral("P2D %1").arg(k));
            QCOMPARE(m_z.bild.Begleittext[k], QStringLiteral("Name %1").arg(k));
        }
        QVERIFY(lies(pfad("SK.O2D")).contains("\r\nO2D 54\r\nNeustadt\r\nNeustadt\r\nNeustadt\r\nO2D 58\r\n"));
    }

    // Track 3 and the block lists are searched in their own grids.
    void jedesGitterDurchsuchbar_data()
    {
        spalten<bool, int>("sperr", "liste");
        QTest::newRow("Spur 3") << false << 2;
        QTest::newRow("Sperrliste Spur 3") << true << 4;
    }
    void jedesGitterDurchsuchbar()
    {
        const auto [sperr, liste] = werte<bool, int>("sperr", "liste");
        Bytes b = standardbild(6, 8);
        b[1] |= sperr ? 0x40 : 0;
        auto w = oeffne(datei("ST", b, {"----------"}));
        kind<QTabWidget>(w.get(), "SSTab1")->setCurrentIndex(sperr ? 2 : 0);  // the button follows the tab
        Listenmodell *m = w->listenmodell(liste);
        m_z.bild.Begleittext[m->eintragsnummer(6)] = QStringLiteral("Wagner hinten");
        suche(w.get(), QStringLiteral("WAGNER"), "Suchen2");
        QCOMPARE(kind<Listengitter>(w.get(), qPrintable(QStringLiteral("Mgd%1").arg(liste)))->currentIndex(), m->index(6, 1));
        QCOMPARE(kind<QTabWidget>(w.get(), "SSTab1")->currentIndex(), liste <= 2 ? 1 : 2);
    }

    void kartendialogAbbrechenSchreibtNichts_data()
    {
        QTest::addColumn<QString>("wie");
        QTest::newRow("abbrechen") << "Command1";
        QTest::newRow("Escape") << "Escape";
        QTest::newRow("Fenster schliessen") << "close";
    }
    void kartendialogAbbrechenSchreibtNichts()
    {
        QFETCH(QString, wie);
        auto w = oeffne(satz());
        zurSeite2(w.get());
        const auto vorher = dateien();
        const Datenbild bildVorher = m_z.bild;
        QStringList gesehen;
        imDialog([&](QWidget *d) {
            QApplication::setActiveWindow(d);
            QVERIFY(QTest::qWaitForWindowActive(d));
            // A click into a box selects its text; nothing is emptied.
            auto *text8 = kind<QLineEdit>(d, "text8");
            QTest::mouseClick(text8, Qt::LeftButton, {}, text8->rect().center());
            gesehen << text8->selectedText();
            QTest::keyClicks(text8, "Joerg");
            kind<QLineEdit>(d, "text1")->setFocus(Qt::TabFocusReason);
            QTest::keyClicks(kind<QLineEdit>(d, "text1"), "Anders");
            kind<QLineEdit>(d, "text3")->setFocus(Qt::TabFocusReason);
            gesehen << text8->text();
            wie == "Escape" ? QTest::keyClick(d, Qt::Key_Escape) : wie == "close" ? void(d->close()) : knopf(d, qPrintable(wie));
        });
        doppelklick(kind<Listengitter>(w.get(), "Mgd1"), 27, 1);
        QCOMPARE(gesehen, (QStringList{"V3D 24", "Joerg"}));
        QVERIFY(m_z.bild.Kundendaten == bildVorher.Kundendaten && m_z.bild.Begleittext == bildVorher.Begleittext);
        QCOMPARE(dateien(), vorher);
    }

    // Save As on page 2 of a set: a file there is replaced only when the user says so; then page 2 stays
    // page 2, every other file of the set comes along, and the caption names the new file.
    void speichernAlsNimmtDenSatzMit()
    {
        satz();
        auto w = oeffne(pfad("SK.S3D"));
        const QString seite2 = pfad("neu/KOPIE.S3D");  // what the name chosen becomes for page 2
        QVERIFY(QDir().mkpath(pfad("neu")) && schreib(seite2, "alt"));
        for (auto antwort : {Meldung::Nein, Meldung::Ja}) {
            imDialog([&](QWidget *d) { dateiWaehlen(d, pfad("neu/KOPIE.S2D")); });
            m_m.antworte(antwort);
            kind<QAction>(w.get(), "mnuSaveAs")->trigger();
            QCOMPARE(m_m.textnummern(), QList<int>{386});
            QVERIFY(m_m.eintraege().at(0).text.contains(seite2));
            QVERIFY(antwort == Meldung::Ja || (lies(seite2) == "alt" && !QFile::exists(pfad("neu/KOPIE.B2D"))
                                               && w->hauptdatei() == pfad("SK.S3D")));
            m_m.leeren();
        }
        QVERIFY(w->hauptdatei() == pfad("neu/KOPIE.S3D") && w->windowTitle() == w->hauptdatei());
        for (const char *e : {"S2D", "S3D", "B2D", "B3D", "V2D", "T3D", "M3D"})
            QCOMPARE(lies(pfad(QStringLiteral("neu/KOPIE.") + e)), lies(pfad(QStringLiteral("SK.") + e)));
        QVERIFY(!QFile::exists(pfad("neu/KOPIE.S4D")));
    }

    // Another file: its differing list slot is listed and coloured until the next comparison, which
    // here finds nothing. The terminal (on the bus, with the password): the memory read is compared,
    // and the editor's own memory and file stay as they were.
    void vergleichen()
    {
        Bytes b = standardbild();
        b[8] = 4;
        const QString andere = datei("andere", b);
        b[272] = 0x99;
        const QString eigene = datei("eigene", b);
        SimBus bus;
        BUS_STARTEN(bus, QJsonArray{SimBus::terminal(4, 0)});
        Strecke<SimPort> s(bus.device());
        s.z.terminal.adresse = 4, s.z.terminal.identifiziert = true;
        s.z.Timerintervall[1] = s.z.Timerintervall[3] = 20;
        auto w = editor(s.z, s.meldung, eigene);
        Listenmodell *liste1 = w->listenmodell(1);
        QVERIFY(!kind<QAction>(w.get(), "mnuVergleichTerminal")->isEnabled());

        for (const QString &pfad : {andere, eigene}) {
            QStringList zeilen;
            imDialog([pfad](QWidget *d) { dateiWaehlen(d, pfad); }, QStringLiteral("DateiVergleich"));
            unterschiedeLesen(zeilen);
            kind<QAction>(w.get(), "mnuVergleichDatei")->trigger();
            const bool gleich = pfad == eigene;
            QCOMPARE(zeilen.value(0), gleich ? Texttabelle::text(800) : Texttabelle::text(801).arg(1));
            QCOMPARE(liste1->unterschiede(), gleich ? QSet<int>{} : QSet<int>{2});
            QCOMPARE(liste1->data(liste1->index(2, 0), Qt::BackgroundRole).value<QColor>() == Listenmodell::Unterschied, !gleich);
            QCOMPARE(liste1->data(liste1->index(3, 0), Qt::BackgroundRole).value<QColor>() == Listenmodell::Unterschied, false);
        }

        w->setTerminalzugang(&s.v, &s.anmeldung);
        const auto speicher = s.z.bild.Daten;
        QStringList zeilen;
        imDialog([](QWidget *d) {
            QTest::keyClicks(kind<QLineEdit>(d, "Text1"), QStringLiteral("246810"));
            kind<QAbstractButton>(d, "OK")->click();
        }, QStringLiteral("Passwort2D"));
        unterschiedeLesen(zeilen);
        kind<QAction>(w.get(), "mnuVergleichTerminal")->trigger();
        QTRY_VERIFY(!zeilen.isEmpty());
        Terminaldatei::Speicherbytes terminal{}, datei{};
        QVERIFY(Terminaldatei::parseHauptdatei(bus.speicher(4), terminal).ok && Terminaldatei::leseHauptdatei(eigene, datei).ok);
        QCOMPARE(zeilen, Dateivergleich::vergleiche(terminal, datei, 0, s.z.sprache.protokollnamen).zusammenfassung(0));
        QVERIFY(zeilen.size() > 1 && s.z.bild.Daten == speicher && w->isEnabled());
        QCOMPARE(lies(eigene), hauptdateiInhalt(b));
    }
};

PORTAVO_TESTKLASSE(tst_editorfenster)
#include "tst_editorfenster.moc"
