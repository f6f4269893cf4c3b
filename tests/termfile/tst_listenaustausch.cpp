// CSV export and import of a terminal file's lists: round trips byte for byte, refusals change no file.
#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "support/Dateigrenze.h"
#include "support/Kommandozeile.h"
#include "support/Testhilfe.h"
#include "base/Ansi.h"
#include "termfile/Csvtabelle.h"
#include "termfile/Listenaustausch.h"

#include <QRegularExpression>
#include <QTest>

#include <array>
#include <memory>

static const QByteArray Standardkopf = "Liste,Eintrag,Datenstring,Begleittext\r\n";
static const QByteArray Kartenkopf = "Karte,Zeitzonen,Name,Vorname,PLZ,Ort,Strasse,Telefon,Bemerkungen\r\n";

class tst_listenaustausch : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString pfad(const QString &name) const { return m_dir->filePath(name); }
    QString satz(bool sondercode) const { return terminalsatz(m_dir->path(), sondercode ? "SK" : "STD", sondercode); }
    QMap<QString, QByteArray> dateien() const { return ordnerinhalt(m_dir->path()); }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void csvLesenUndSchreiben()
    {
        // LF, a byte-order mark, no last line end; a field that begins with the mark keeps it.
        QCOMPARE(Csvtabelle::lesen("\xef\xbb\xbfx,y\nz,\"w\""), (QVector<QStringList>{{"x", "y"}, {"z", "w"}}));
        const QVector<QStringList> mitMarke = {{QString(QChar(0xFEFF)) + "x", "y"}};
        QCOMPARE(Csvtabelle::lesen(Csvtabelle::schreiben(mitMarke)), mitMarke);
        for (const auto &[text, zeile] : {std::pair<QByteArray, int>{"a,b\r\nc\"d,e\r\n", 2}, {"a,\"b\"x\r\n", 1},
                                          {"a\r\nb\r\n\"offen,\r\n", 3}, {"a\r\n\xff\xfe", 2}}) {
            Csvtabelle::Lesefehler fehler;
            QVERIFY2(Csvtabelle::lesen(text, &fehler).isEmpty() && fehler.zeile == zeile && !fehler.grund.isEmpty(), text.constData());
        }
        int gesehen = 0;  // a row the caller refuses ends the reading: nothing after it is read
        const auto bisZwei = [&gesehen](const QStringList &, int zeile) { return ++gesehen, zeile < 2; };
        QVERIFY(Csvtabelle::lesen("a\r\nb\r\nc\r\n\"d\r\n", bisZwei) && gesehen == 2);
    }

    // Export and import again: every file as it was (CR in a line, read as a blank: the export as before).
    void rundreise_data()
    {
        spalten<bool, int, bool>("sondercode", "seite", "wagenruecklauf");
        for (const auto &[sonder, seite, cr] : {std::tuple{false, 0, false}, {true, 1, false}, {true, 2, false}, {false, 0, true}, {true, 1, true}})
            QTest::addRow("%s page %d%s", sonder ? "special" : "standard", seite, cr ? ", CR in a text" : "") << sonder << seite << cr;
    }
    void rundreise()
    {
        const auto [sondercode, seite, wagenruecklauf] = werte<bool, int, bool>("sondercode", "seite", "wagenruecklauf");
        const QString s = satz(sondercode);
        const QString datei = pfad(sondercode ? "SK.V2D" : "STD.B2D");
        if (wagenruecklauf)
            schreib(datei, "\r" + lies(datei).mid(1).replace("\r\n", "\r\r\n").replace(" 2\r", "\r2\r"));
        const auto vorher = dateien();
        QByteArray csv;
        QVERIFY(Listenaustausch::exportiereDatei(s, seite, csv).ok);
        const QStringList z = QString::fromUtf8(csv).split("\r\n");
        const QString endung = seite == 2 ? "3D" : "2D";
        if (sondercode) {
            QVERIFY(z[0] + "\r\n" == Kartenkopf && z.size() == 4096 + 2);  // header, cards, the rest after the last line end
            QCOMPARE(z[2].section(',', 2, 3), "\"B" + endung + " 1, \"\"x\"\" ä\"");
            QCOMPARE(z[3].section(',', 3, 3), wagenruecklauf ? "V2D 2 " : "V" + endung + " 2");
            // Page 2's planes differ from page 1's at byte 700 (card 1506).
            QCOMPARE(z[1 + 1506].section(',', 1, 1).contains('1'), seite == 1);
        } else {
            // Entry 1 of list 1: 22 characters, comment quoted; list 2 (8 characters) after 44 slots.
            QVERIFY(z[0] + "\r\n" == Standardkopf && z[2].startsWith("1,1,") && z[2].contains(",\"B2D 1, \"\"x\"\" ä"));
            QVERIFY(z[2].section(',', 2, 2).size() == 22 && z[45].section(',', 2, 2).size() == 8 && z[44].startsWith("1,43,")
                    && z[45].startsWith("2,0,"));
        }
        const Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(s, seite, csv);
        QVERIFY2(e.ok && e.zeilen == (sondercode ? 4096 : 44 + (2046 - 760) / 4), qPrintable(e.meldung));
        QByteArray wieder;
        QVERIFY(Listenaustausch::exportiereDatei(s, seite, wieder).ok && wieder == csv);
        QVERIFY(wagenruecklauf || dateien() == vorher);
    }

    void importAendert()
    {
        QString s = satz(false);
        Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(
            s, 0, Standardkopf + "2,3,1234567#,\"Neu, mit Komma\"\r\n1,0,1234567890123456789012,\r\n");
        Datenbild b;
        QVERIFY2(e.ok && Terminaldatei::laden(b, s, Terminaldatei::Ablage::NurLesen).ok, qPrintable(e.meldung));
        // List 2 entry 3: 4 bytes from 760 + 12, low digit first.
        QVERIFY(b.byte(772) == 0x21 && b.byte(775) == 0xE7 && b.byte(272) == 0x21);
        QCOMPARE(b.Begleittext.mid(0, 3) + b.Begleittext.mid(47, 1), (QVector<QString>{"", "B2D 1, \"x\" ä", "B2D 2", "Neu, mit Komma"}));

        s = satz(true);
        e = Listenaustausch::importiereDatei(
            s, 2, Kartenkopf + QStringLiteral("9,31,Müller,Jörg,70173,Stuttgart,\"Weg 1, Hinterhaus\",0711,ok\r\n").toUtf8());
        QVERIFY2(e.ok && Terminaldatei::ladeSeite(b, Terminaldatei::basis(s), 2, Terminaldatei::Ablage::NurLesen).ok, qPrintable(e.meldung));
        QCOMPARE((QStringList{b.zeitzonenziffern(9), b.Seitennamen[0][9], b.Kundendaten[1][3][9]}),
                 (QStringList{"13", "Müller", "Weg 1, Hinterhaus"}));
        // Windows-1252 on disk, page 1 untouched.
        QVERIFY(lies(pfad("SK.V3D")).contains("\r\nJ\xf6rg\r\n") && !lies(pfad("SK.V2D")).contains("J\xf6rg"));
    }

    // One faulty row, or a file that cannot be written, refuses the whole file and changes no file.
    void fehlerhafteCsvAendertNichts_data()
    {
        spalten<bool, int, QByteArray, int, QString>("sondercode", "seite", "csv", "zeile", "grund");
        const auto karten = [](const QByteArray &zeile) { return Kartenkopf + "5,2,gut,,,,,,\r\n" + zeile + "\r\n6,3,gut,,,,,,\r\n"; };
        // card 4096, not a number, zone 4, zone twice, too few fields, card twice, not in Windows-1252, bad
        // quoting, two faults (the first counts)
        int n = 0;
        for (const char *zeile : {"4096,1,a,,,,,,", "12x,1,a,,,,,,", "7,14,a,,,,,,", "7,11,a,,,,,,", "7,1,a", "5,1,b,,,,,,",
                                  "7,1,\xe2\x86\x92,,,,,,", "7,1,a\"b,,,,,,", "4096,1,a,,,,,,\r\n7,1,a\"b,,,,,,"})
            QTest::addRow("card row %d", ++n) << true << 1 << karten(zeile) << 3 << "";
        QTest::newRow("line break in a text") << true << 2 << Kartenkopf + "9,1,a,,,,,,\"zwei\r\nZeilen\"\r\n" << 2 << "Bemerkungen";
        QTest::newRow("page 3 has no main file") << true << 3 << karten("7,1,a,,,,,,") << 0 << "SK.S4D";
        QTest::newRow("a folder at the remarks file") << true << 1 << karten("7,1,a,,,,,,") << 0 << "SK.M2D";
        const QByteArray liste = Standardkopf + "1,1,1234567890123456789012,ok\r\n";
        QTest::newRow("list 3") << false << 0 << liste + "3,0,1234567890123456789012,x" << 3 << "Liste";
        QTest::newRow("entry 44") << false << 0 << liste + "1,44,1234567890123456789012,x" << 3 << "Eintrag";
        QTest::newRow("21 characters") << false << 0 << liste + "1,0,123456789012345678901,x" << 3 << "Zeichen";
        QTest::newRow("no data character") << false << 0 << liste + "2,0,1234567A,x" << 3 << "Datenstring";
        QTest::newRow("header of cards") << false << 0 << QByteArray("Karte,Zeitzonen\r\n1,1\r\n") << 1 << "";
        for (const auto &[name, text] : {std::pair<const char *, QByteArray>{"NUL", QByteArray("a\0b", 3)}, {"ESC", "\x1b[2J"},
                                         {"BEL", "klingel\x07"}, {"DEL", "x\x7f"}})
            QTest::newRow(name) << false << 0 << Standardkopf + "1,1,1234567890123456789012," + text + "\r\n" << 2 << "Steuerzeichen";
    }
    void fehlerhafteCsvAendertNichts()
    {
        const auto [sondercode, seite, csv, zeile, grund] = werte<bool, int, QByteArray, int, QString>("sondercode", "seite", "csv", "zeile", "grund");
        const QString s = satz(sondercode);
        if (grund == "SK.M2D")  // the files written before it are put back
            QVERIFY(QFile::remove(pfad(grund)) && legeAn("ordner", pfad(grund)));
        const auto vorher = dateien();
        const Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(s, seite, csv);
        QVERIFY2(!e.ok && e.zeile == zeile && e.meldung.contains(grund), qPrintable(e.meldung));
        QVERIFY2(zeile == 0 || e.meldung.startsWith(QStringLiteral("Zeile %1: ").arg(zeile)), qPrintable(e.meldung));
        QCOMPARE(dateien(), vorher);
    }

    // A formula-like text gets a ' in front and comes back whole; a control character becomes a blank.
    void zellenSindNurText_data()
    {
        spalten<QString, QString>("text", "zelle");
        const QString nul = QString::fromLatin1("a\0b", 3);
        for (const auto &[name, text, zelle] : std::initializer_list<std::array<QString, 3>>{
                 {"=", "=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""}, {"+", "+49 711", "'+49 711"}, {"-", "-1+2", "'-1+2"},
                 {"@", "@SUM(A1)", "'@SUM(A1)"}, {"TAB", "\tx", "'\tx"}, {"' itself", "'quoted", "''quoted"},
                 {"empty slot", "----------", "'----------"}, {"plain", "Meier", "Meier"}, {"= inside", "a=b", "a=b"},
                 {"NUL", nul, "a b"}, {"ESC", "\x1b[2J", " [2J"}, {"CR and DEL", "vorn\rhinten\x7f", "vorn hinten "}})
            QTest::newRow(qPrintable(name)) << text << zelle;
    }
    void zellenSindNurText()
    {
        const auto [text, zelle] = werte<QString, QString>("text", "zelle");
        const QString s = satz(false);
        schreib(pfad("STD.B2D"), Ansi::kodieren(text) + "\r\n" + textzeilen(2000));
        const auto vorher = dateien();
        QByteArray csv;
        QVERIFY(Listenaustausch::exportiereDatei(s, 0, csv).ok);
        QCOMPARE(QString::fromUtf8(csv).section("\r\n", 1, 1).section(',', 3), zelle);
        const Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(s, 0, csv);
        QVERIFY2(e.ok, qPrintable(e.meldung));
        if (!text.contains(QRegularExpression("[\\x00-\\x08\\x0a-\\x1f\\x7f]")))
            QCOMPARE(dateien(), vorher);
    }

    // The CSV file of an import: a regular file of at most 64 MiB.
    void csvDateiMitGrenzen_data()
    {
        spalten<QString, QString>("art", "grund");
        for (const char *art : {"fifo", "zero", "ordner"})  // a FIFO, a link to /dev/zero, a folder
            QTest::newRow(art) << art << "keine gewöhnliche Datei";
        QTest::newRow("64 MiB + 1") << "gross" << "zu groß";
        QTest::newRow("missing") << "fehlt" << "gibt es nicht";
    }
    void csvDateiMitGrenzen()
    {
        const auto [art, grund] = werte<QString, QString>("art", "grund");
        const QString csv = pfad("ein.csv");
        QVERIFY(legeAn(art, csv));
        QFile f(csv);  // sparse: takes no room on the disk
        QVERIFY(art != "gross" || (f.open(QIODevice::WriteOnly) && f.resize(Listenaustausch::HoechsteCsvgroesse + 1)));
        QByteArray inhalt;
        const Dateiergebnis e = Listenaustausch::leseCsv(csv, inhalt);
        QVERIFY2(!e.ok && e.meldung.contains(csv) && e.meldung.contains(grund), qPrintable(e.meldung));
    }

    // portavo-cli export -o uses the safe writer; import replaces a short (discarded) companion file only
    // when told, keeping a copy.
    void kommandozeileSchreibtSicher()
    {
        const QString s = satz(false), ziel = pfad("aus.csv");
        QVERIFY(schreib(pfad("opfer"), "bleibt") && legeAn("link", ziel, pfad("opfer")));
        Kommandolauf l = kommando({"export", s, "-o", ziel, "--lang", "en"});
        QVERIFY(l.status == 0 && !QFileInfo(ziel).isSymLink() && lies(ziel).startsWith(Standardkopf) && lies(pfad("opfer")) == "bleibt");

        const QByteArray kurz = textzeilen(10, "alt ");
        schreib(pfad("STD.B2D"), kurz);
        schreib(ziel, Standardkopf + "1,0,1234567890123456789012,x\r\n");
        const auto vorher = dateien();
        l = kommando({"import", s, ziel, "--lang", "en"});
        QVERIFY2(l.status == 1 && l.fehler.contains("STD.B2D") && l.fehler.contains("--replace-short-files"), qPrintable(l.fehler));
        QCOMPARE(dateien(), vorher);
        l = kommando({"import", s, ziel, "--lang", "en", "--replace-short-files"});
        QVERIFY2(l.status == 0 && l.aus.contains("STD.B2D.bak") && lies(pfad("STD.B2D.bak")) == kurz, qPrintable(l.aus));
        QCOMPARE(lies(pfad("STD.B2D")).count("\r\n"), 2001);
    }
};

PORTAVO_TESTKLASSE(tst_listenaustausch)
#include "tst_listenaustausch.moc"
