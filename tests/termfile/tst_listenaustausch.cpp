// CSV export and import of a terminal file's lists: RFC 4180 reading and
// writing, the round trip that leaves every file byte for byte, and the
// refusal of a faulty file that leaves every file as it was.

#include "support/Testlauf.h"
#include "base/Dateiersatz.h"
#include "support/Dateigrenze.h"
#include "termfile/Csvtabelle.h"
#include "base/Ansi.h"
#include "termfile/Listenaustausch.h"
#include "termfile/Terminaldatei.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Lauf {
    int status = -1;
    QByteArray aus;
    QByteArray fehler;
};

// portavo-cli with args; ausgabe: a file for its standard output.
Lauf cli(const QStringList &args, const QString &ausgabe = QString(), rlim_t dateigrenze = 0)
{
    QProcess p;
    if (!ausgabe.isEmpty())
        p.setStandardOutputFile(ausgabe);
    if (dateigrenze > 0)
        p.setChildProcessModifier([dateigrenze] { Dateigrenze::imKind(dateigrenze); });
    p.start(qEnvironmentVariable("PORTAVO_CLI"), args);
    Lauf l;
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit) {
        l.status = p.exitCode();
        l.aus = p.readAllStandardOutput();
        l.fehler = p.readAllStandardError();
    }
    return l;
}

QByteArray lies(const QString &pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void schreibe(const QString &pfad, const QByteArray &inhalt)
{
    QFile f(pfad);
    if (!f.open(QIODevice::WriteOnly) || f.write(inhalt) != inhalt.size())
        qFatal("cannot write %s", qPrintable(pfad));
}

QByteArray hauptdatei(const QVector<int> &werte)
{
    QByteArray t;
    for (int w : werte)
        t += " " + QByteArray::number(w) + " \r\n";
    return t;
}

QByteArray zeilen(int n, const QByteArray &praefix)
{
    QByteArray t;
    for (int i = 0; i < n; ++i)
        t += i % 3 == 0 ? QByteArray("----------\r\n") : praefix + QByteArray::number(i) + "\r\n";
    return t;
}

// Standard: both tracks, arrangement 6, 22 and 7 digits (odd: padding).
QVector<int> standardwerte()
{
    QVector<int> w(2048, 0);
    w[0] = 5;
    w[1] = 0x14;
    w[2] = 3;
    w[3] = 11;
    w[4] = 4;
    w[9] = 2;
    for (int i = 272; i < 2048; ++i)
        w[i] = (i * 37) % 256;
    return w;
}

QVector<int> sonderwerte()
{
    QVector<int> w(2048, 0);
    w[0] = 5;
    w[1] = 0x14;
    w[2] = 0x81;
    w[3] = 4;
    w[4] = 4;
    w[272] = 18;
    w[273] = 243;
    for (int i = 512; i < 2048; ++i)
        w[i] = (i * 13) % 256;
    return w;
}

// Every file of the set in the folder, by name.
QMap<QString, QByteArray> alleDateien(const QString &ordner)
{
    QMap<QString, QByteArray> m;
    for (const QString &n : QDir(ordner).entryList(QDir::Files))
        m[n] = lies(QDir(ordner).filePath(n));
    return m;
}

}  // namespace

class tst_listenaustausch : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString standardsatz()
    {
        const QString s = m_dir.filePath("STD.S2D");
        schreibe(s, hauptdatei(standardwerte()));
        QByteArray b;
        for (int i = 0; i <= 2000; ++i)
            b += i == 1 ? QByteArray("Komma, \"Zitat\" und Umlaut \xe4\r\n") : "Kommentar " + QByteArray::number(i) + "\r\n";
        schreibe(m_dir.filePath("STD.B2D"), b);
        return s;
    }

    QString sondersatz()
    {
        const QString s = m_dir.filePath("SK.S2D");
        schreibe(s, hauptdatei(sonderwerte()));
        QVector<int> w3 = sonderwerte();
        w3[700] = 0;
        schreibe(m_dir.filePath("SK.S3D"), hauptdatei(w3));
        for (const char *e : {"B2D", "B3D"})
            schreibe(m_dir.filePath(QStringLiteral("SK.") + e), zeilen(5001, QByteArray("Name ") + e));
        for (const char *f : {"V", "P", "O", "R", "T", "M"})
            for (const char *s2 : {"2D", "3D"})
                schreibe(m_dir.filePath(QStringLiteral("SK.") + f + s2), zeilen(5001, QByteArray(f) + s2 + " "));
        return s;
    }

private slots:
    void init()
    {
        QDir d(m_dir.path());
        for (const QString &n : d.entryList(QDir::Files))
            d.remove(n);
    }

    void csvNachRfc4180()
    {
        const QVector<QStringList> saetze = {{"a", "b,c", "d \"e\""}, {"zeile\r\numbruch", "", "Ä"}};
        const QByteArray text = Csvtabelle::schreiben(saetze);
        QCOMPARE(text, QByteArray("a,\"b,c\",\"d \"\"e\"\"\"\r\n\"zeile\r\numbruch\",,\xc3\x84\r\n"));
        QCOMPARE(Csvtabelle::lesen(text), saetze);
        // LF line ends, a byte-order mark and a last line without end are read.
        QCOMPARE(Csvtabelle::lesen("\xef\xbb\xbfx,y\nz,\"w\""), (QVector<QStringList>{{"x", "y"}, {"z", "w"}}));
        // A field that begins with the mark itself keeps it on the way through.
        const QVector<QStringList> mitMarke = {{QString(QChar(0xFEFF)) + "x", "y"}};
        QCOMPARE(Csvtabelle::lesen(Csvtabelle::schreiben(mitMarke)), mitMarke);
        QCOMPARE(Csvtabelle::lesen("\xef\xbb\xbf\xef\xbb\xbfx"), (QVector<QStringList>{{QString(QChar(0xFEFF)) + "x"}}));
        const struct {
            QByteArray text;
            int zeile;
        } falsch[] = {{"a,b\r\nc\"d,e\r\n", 2}, {"a,\"b\"x\r\n", 1}, {"a\r\nb\r\n\"offen,\r\n", 3}, {"a\r\n\xff\xfe", 2}};
        for (const auto &f : falsch) {
            Csvtabelle::Lesefehler fehler;
            QVERIFY2(Csvtabelle::lesen(f.text, &fehler).isEmpty(), f.text.constData());
            QCOMPARE(fehler.zeile, f.zeile);
            QVERIFY(!fehler.grund.isEmpty());
        }
    }

    void standardRundreise()
    {
        const QString s = standardsatz();
        const auto vorher = alleDateien(m_dir.path());
        QByteArray csv;
        QVERIFY(Listenaustausch::exportiereDatei(s, 0, csv).ok);
        const QStringList z = QString::fromUtf8(csv).split("\r\n");
        QCOMPARE(z[0], QStringLiteral("Liste,Eintrag,Datenstring,Begleittext"));
        // Entry 1 of list 1: 22 characters, its comment quoted.
        QVERIFY(z[2].startsWith(QStringLiteral("1,1,")));
        QVERIFY(z[2].endsWith(QStringLiteral(",\"Komma, \"\"Zitat\"\" und Umlaut ä\"")));
        // List 1 has 44 slots ((758 - 272) / 11), list 2 starts after them.
        QVERIFY(z[44].startsWith(QStringLiteral("1,43,")));
        QVERIFY(z[45].startsWith(QStringLiteral("2,0,")));
        QCOMPARE(z[45].section(',', 2, 2).size(), 8);

        const Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(s, 0, csv);
        QVERIFY2(e.ok, qPrintable(e.meldung));
        QCOMPARE(e.zeilen, 44 + (2046 - 760) / 4);
        QCOMPARE(alleDateien(m_dir.path()), vorher);
    }

    void standardImportAendert()
    {
        const QString s = standardsatz();
        const QByteArray csv = "Liste,Eintrag,Datenstring,Begleittext\r\n"
                               "2,3,1234567#,\"Neu, mit Komma\"\r\n"
                               "1,0,1234567890123456789012,\r\n";
        const Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(s, 0, csv);
        QVERIFY2(e.ok, qPrintable(e.meldung));
        Datenbild b;
        QVERIFY(Terminaldatei::laden(b, s, Terminaldatei::Ablage::NurLesen).ok);
        // List 2 entry 3: L = 4 bytes from 760 + 12.
        QCOMPARE(b.byte(772), 0x21);
        QCOMPARE(b.byte(775), 0xE7);
        QCOMPARE(b.Begleittext[44 + 3], QStringLiteral("Neu, mit Komma"));
        QCOMPARE(b.byte(272), 0x21);
        QCOMPARE(b.Begleittext[0], QString());
        QCOMPARE(b.Begleittext[1], QStringLiteral("Komma, \"Zitat\" und Umlaut ä"));  // no row: kept
    }

    void sondercodeRundreise()
    {
        const QString s = sondersatz();
        const auto vorher = alleDateien(m_dir.path());
        for (int seite : {1, 2}) {
            QByteArray csv;
            QVERIFY(Listenaustausch::exportiereDatei(s, seite, csv).ok);
            const QStringList z = QString::fromUtf8(csv).split("\r\n");
            QCOMPARE(z[0], QStringLiteral("Karte,Zeitzonen,Name,Vorname,PLZ,Ort,Strasse,Telefon,Bemerkungen"));
            QCOMPARE(z.size(), 4096 + 2);  // header, cards, the empty rest after the last line end
            QCOMPARE(z[2].section(',', 2, 2), seite == 1 ? QStringLiteral("Name B2D1") : QStringLiteral("Name B3D1"));
            QCOMPARE(z[3].section(',', 3, 3), seite == 1 ? QStringLiteral("V2D 2") : QStringLiteral("V3D 2"));
            const Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(s, seite, csv);
            QVERIFY2(e.ok, qPrintable(e.meldung));
            QCOMPARE(e.zeilen, 4096);
            QCOMPARE(alleDateien(m_dir.path()), vorher);
        }
        // Page 2's planes differ from page 1's at byte 700 (cards 1504..1511).
        QByteArray eins, zwei;
        QVERIFY(Listenaustausch::exportiereDatei(s, 1, eins).ok);
        QVERIFY(Listenaustausch::exportiereDatei(m_dir.filePath("SK.S3D"), 0, zwei).ok);
        QVERIFY(eins != zwei);
    }

    // A CR inside a line of a companion file (written by another editor)
    // is exported as the file set reads it and imported back without refusal.
    void wagenruecklaufImTextRundreise_data()
    {
        QTest::addColumn<bool>("sondercode");
        QTest::newRow("standard") << false;
        QTest::newRow("special code") << true;
    }
    void wagenruecklaufImTextRundreise()
    {
        QFETCH(bool, sondercode);
        const QString s = sondercode ? sondersatz() : standardsatz();
        const QString datei = m_dir.filePath(sondercode ? "SK.V2D" : "STD.B2D");
        QByteArray inhalt = lies(datei);
        inhalt.replace("\r\n", "\r\r\n");
        inhalt.replace(0, 1, "\r");
        schreibe(datei, inhalt);
        QByteArray csv;
        QVERIFY(Listenaustausch::exportiereDatei(s, 1, csv).ok);
        const Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(s, 1, csv);
        QVERIFY2(e.ok, qPrintable(e.meldung));
        QByteArray wieder;
        QVERIFY(Listenaustausch::exportiereDatei(s, 1, wieder).ok);
        QCOMPARE(wieder, csv);
    }

    void sondercodeImportAendert()
    {
        const QString s = sondersatz();
        const QByteArray csv = QStringLiteral("Karte,Zeitzonen,Name,Vorname,PLZ,Ort,Strasse,Telefon,Bemerkungen\r\n"
                                              "9,31,Müller,Jörg,70173,Stuttgart,\"Weg 1, Hinterhaus\",0711,\"zwei\r\nZeilen\"\r\n")
                                  .toUtf8();
        // A line break cannot live in a companion file: refused.
        Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(s, 3, csv);
        QVERIFY(!e.ok);
        QCOMPARE(e.zeile, 0);  // page 3 has no main file
        e = Listenaustausch::importiereDatei(s, 2, csv);
        QVERIFY(!e.ok);
        QCOMPARE(e.zeile, 2);
        QVERIFY(e.meldung.contains(QStringLiteral("Bemerkungen")));

        QByteArray gut = csv;
        gut.replace("\"zwei\r\nZeilen\"", "ok");
        e = Listenaustausch::importiereDatei(s, 2, gut);
        QVERIFY2(e.ok, qPrintable(e.meldung));
        Datenbild b;
        QVERIFY(Terminaldatei::ladeSeite(b, Terminaldatei::basis(s), 2, Terminaldatei::Ablage::NurLesen).ok);
        QCOMPARE(b.zeitzonenziffern(9), QStringLiteral("13"));
        QCOMPARE(b.Seitennamen[0][9], QStringLiteral("Müller"));
        QCOMPARE(b.Kundendaten[1][0][9], QStringLiteral("Jörg"));
        QCOMPARE(b.Kundendaten[1][3][9], QStringLiteral("Weg 1, Hinterhaus"));
        QVERIFY(lies(m_dir.filePath("SK.V3D")).contains("\r\nJ\xf6rg\r\n"));  // Windows-1252 on disk
        QCOMPARE(lies(m_dir.filePath("SK.B2D")), zeilen(5001, "Name B2D"));   // page 1 untouched
    }

    void fehlerhafteZeileAendertNichts_data()
    {
        QTest::addColumn<QByteArray>("zeile");
        QTest::addColumn<int>("nummer");
        QTest::newRow("card 4096") << QByteArray("4096,1,a,,,,,,") << 3;
        QTest::newRow("card not a number") << QByteArray("12x,1,a,,,,,,") << 3;
        QTest::newRow("zone 4") << QByteArray("7,14,a,,,,,,") << 3;
        QTest::newRow("zone twice") << QByteArray("7,11,a,,,,,,") << 3;
        QTest::newRow("too few fields") << QByteArray("7,1,a") << 3;
        QTest::newRow("card twice") << QByteArray("5,1,b,,,,,,") << 3;
        QTest::newRow("not in Windows-1252") << QByteArray("7,1,\xe2\x82\xac\xe2\x86\x92,,,,,,") << 3;
        QTest::newRow("bad quoting") << QByteArray("7,1,a\"b,,,,,,") << 3;
    }
    void fehlerhafteZeileAendertNichts()
    {
        QFETCH(QByteArray, zeile);
        QFETCH(int, nummer);
        const QString s = sondersatz();
        const auto vorher = alleDateien(m_dir.path());
        const QByteArray csv = "Karte,Zeitzonen,Name,Vorname,PLZ,Ort,Strasse,Telefon,Bemerkungen\r\n"
                               "5,2,gut,,,,,,\r\n"
                               + zeile + "\r\n6,3,auch gut,,,,,,\r\n";
        const Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(s, 1, csv);
        QVERIFY(!e.ok);
        QCOMPARE(e.zeile, nummer);
        QVERIFY2(e.meldung.startsWith(QStringLiteral("Zeile %1: ").arg(nummer)), qPrintable(e.meldung));
        QCOMPARE(alleDateien(m_dir.path()), vorher);
    }

    void standardFehler()
    {
        const QString s = standardsatz();
        const auto vorher = alleDateien(m_dir.path());
        const QByteArray kopf = "Liste,Eintrag,Datenstring,Begleittext\r\n";
        const struct {
            QByteArray zeile;
            const char *grund;
        } faelle[] = {
            {"3,0,1234567890123456789012,x", "Liste"},        // list 3 not in arrangement 6
            {"1,44,1234567890123456789012,x", "Eintrag"},     // 44 slots: 0..43
            {"1,0,123456789012345678901,x", "Zeichen"},       // 21 of 22 characters
            {"2,0,1234567A,x", "Datenstring"},                // "A" is no data-string character
        };
        for (const auto &f : faelle) {
            const Listenaustausch::Ergebnis e =
                Listenaustausch::importiereDatei(s, 0, kopf + "1,1,1234567890123456789012,ok\r\n" + f.zeile + "\r\n");
            QVERIFY2(!e.ok, f.zeile.constData());
            QCOMPARE(e.zeile, 3);
            QVERIFY2(e.meldung.contains(QLatin1String(f.grund)), qPrintable(e.meldung));
            QCOMPARE(alleDateien(m_dir.path()), vorher);
        }
        // The header of the other mode is refused at row 1.
        const Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(s, 0, "Karte,Zeitzonen\r\n1,1\r\n");
        QVERIFY(!e.ok);
        QCOMPARE(e.zeile, 1);
        QCOMPARE(alleDateien(m_dir.path()), vorher);
    }

    void schreibfehlerStelltDenSatzWiederHer()
    {
        // The remarks file cannot be written (a folder has its name): the
        // files written before it get their old content back.
        const QString s = sondersatz();
        QFile::remove(m_dir.filePath("SK.M2D"));
        QVERIFY(QDir(m_dir.path()).mkdir("SK.M2D"));
        QFile::remove(m_dir.filePath("SK.T2D"));  // did not exist: must not appear
        const auto vorher = alleDateien(m_dir.path());
        const QByteArray csv = "Karte,Zeitzonen,Name,Vorname,PLZ,Ort,Strasse,Telefon,Bemerkungen\r\n"
                               "5,2,neu,neu,,,,,\r\n";
        const Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(s, 1, csv);
        QVERIFY(!e.ok);
        QVERIFY2(e.meldung.contains(QStringLiteral("SK.M2D")), qPrintable(e.meldung));
        QCOMPARE(alleDateien(m_dir.path()), vorher);
        QVERIFY(!QFile::exists(m_dir.filePath("SK.T2D")));
        QDir(m_dir.filePath("SK.M2D")).removeRecursively();
    }

    void vollePlatteAendertNichts()
    {
        // The old main file is larger than the limit, the new one is not:
        // the main file could be written, its companion files cannot, and
        // putting the old main file back would fail as well. Nothing may
        // change, and no temporary file may stay.
        const QString s = sondersatz();
        QByteArray alt;
        for (int w : sonderwerte())
            alt += "        " + QByteArray::number(w) + "          \r\n";
        schreibe(s, alt);
        const auto vorher = alleDateien(m_dir.path());
        const QByteArray csv = "Karte,Zeitzonen,Name,Vorname,PLZ,Ort,Strasse,Telefon,Bemerkungen\r\n"
                               "5,2,neu,neu,,,,,\r\n";
        Listenaustausch::Ergebnis e;
        {
            const Dateigrenze grenze(20000);
            QVERIFY(grenze.gesetzt());
            QVERIFY(lies(s).size() > 20000 && Terminaldatei::hauptdateitext(Datenbild()).size() < 20000);
            e = Listenaustausch::importiereDatei(s, 1, csv);
        }
        QVERIFY(!e.ok);
        QVERIFY2(e.meldung.contains(QStringLiteral("voll")), qPrintable(e.meldung));
        QCOMPARE(alleDateien(m_dir.path()), vorher);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), vorher.size());
    }

    void signalWartetBisDerSatzSteht()
    {
        // Ctrl-C arrives while the new files are renamed into place: it
        // takes effect only when all of them are there.
        const QString s = standardsatz();
        static QByteArray stand;  // what the handler saw: 'n' new, 'a' old, per file
        static QString haupt, begleit;
        haupt = s;
        begleit = m_dir.filePath("STD.B2D");
        stand.clear();
        const auto alterHandler = std::signal(SIGINT, [](int) {
            stand += lies(haupt).startsWith(" 99 \r\n") ? 'n' : 'a';
            stand += lies(begleit).startsWith("neu\r\n") ? 'n' : 'a';
        });
        int umbenannt = 0;
        Dateiersatz::setzeBeobachter([&umbenannt](const QString &) {
            if (umbenannt++ == 0)
                std::raise(SIGINT);
        });
        Datenbild b;
        QVERIFY(Terminaldatei::laden(b, s, Terminaldatei::Ablage::NurLesen).ok);
        b.setzeByte(0, 99);
        b.Begleittext[0] = QStringLiteral("neu");
        const Dateiergebnis e = Terminaldatei::speichern(b, Terminaldatei::basis(s), 1);
        Dateiersatz::setzeBeobachter({});
        std::signal(SIGINT, alterHandler);
        QVERIFY2(e.ok, qPrintable(e.meldung));
        QCOMPARE(umbenannt, 2);
        QCOMPARE(stand, QByteArray("nn"));
    }

    void kurzeBegleitdateiWirdNichtStillErsetzt()
    {
        // 1 999 comment lines: loading discards them (all "----------"), so
        // an import would write 2 001 blank comments over them.
        const QString s = standardsatz();
        QByteArray kurz;
        for (int i = 0; i < 1999; ++i)
            kurz += "Kommentar " + QByteArray::number(i) + "\r\n";
        schreibe(m_dir.filePath("STD.B2D"), kurz);
        const auto vorher = alleDateien(m_dir.path());
        const QByteArray csv = "Liste,Eintrag,Datenstring,Begleittext\r\n2,3,1234567#,neu\r\n";
        Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(s, 0, csv);
        QVERIFY(!e.ok);
        QVERIFY(!e.csvFehler);
        QVERIFY2(e.meldung.contains(QDir::toNativeSeparators(m_dir.filePath("STD.B2D"))), qPrintable(e.meldung));
        QCOMPARE(alleDateien(m_dir.path()), vorher);

        e = Listenaustausch::importiereDatei(s, 0, csv, 0, true);
        QVERIFY2(e.ok, qPrintable(e.meldung));
        QCOMPARE(e.gesichert, QStringList{m_dir.filePath("STD.B2D.bak")});
        QCOMPARE(lies(m_dir.filePath("STD.B2D.bak")), kurz);
        QCOMPARE(lies(m_dir.filePath("STD.B2D")).count("\r\n"), qsizetype(2001));
        // Now a complete file: the next import needs no permission.
        QVERIFY(Listenaustausch::importiereDatei(s, 0, csv).ok);
        // An empty file (as loading creates it) holds nothing to lose.
        schreibe(m_dir.filePath("STD.B2D"), QByteArray());
        QVERIFY(Listenaustausch::importiereDatei(s, 0, csv).ok);
    }

    void formelnWerdenText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("zelle");
        QTest::newRow("=") << "=HYPERLINK(\"x\")" << "\"'=HYPERLINK(\"\"x\"\")\"";
        QTest::newRow("+") << "+49 711" << "'+49 711";
        QTest::newRow("-") << "-1+2" << "'-1+2";
        QTest::newRow("@") << "@SUM(A1)" << "'@SUM(A1)";
        QTest::newRow("TAB") << "\tx" << "'\tx";
        QTest::newRow("' itself") << "'quoted" << "''quoted";
        QTest::newRow("empty slot") << "----------" << "'----------";
        QTest::newRow("plain") << "Meier" << "Meier";
        QTest::newRow("= inside") << "a=b" << "a=b";
    }
    void formelnWerdenText()
    {
        QFETCH(QString, text);
        QFETCH(QString, zelle);
        const QString s = standardsatz();
        QByteArray b2d = Ansi::kodieren(text) + "\r\n";
        for (int i = 1; i <= 2000; ++i)
            b2d += "Kommentar " + QByteArray::number(i) + "\r\n";
        schreibe(m_dir.filePath("STD.B2D"), b2d);
        const auto vorher = alleDateien(m_dir.path());
        QByteArray csv;
        QVERIFY(Listenaustausch::exportiereDatei(s, 0, csv).ok);
        const QString zeile = QString::fromUtf8(csv).section(QStringLiteral("\r\n"), 1, 1);
        QCOMPARE(zeile.section(QLatin1Char(','), 3), zelle);
        // The round trip gives every text back as it was.
        const Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(s, 0, csv);
        QVERIFY2(e.ok, qPrintable(e.meldung));
        QCOMPARE(alleDateien(m_dir.path()), vorher);
    }

    void steuerzeichen_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("NUL") << QByteArray("a\0b", 3);
        QTest::newRow("ESC") << QByteArray("\x1b[2J");
        QTest::newRow("BEL") << QByteArray("klingel\x07");
        QTest::newRow("DEL") << QByteArray("x\x7f");
    }
    void steuerzeichen()
    {
        QFETCH(QByteArray, text);
        const QString s = standardsatz();
        const auto vorher = alleDateien(m_dir.path());
        const Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(
            s, 0, "Liste,Eintrag,Datenstring,Begleittext\r\n1,1,1234567890123456789012," + text + "\r\n");
        QVERIFY(!e.ok);
        QCOMPARE(e.zeile, 2);
        QVERIFY2(e.meldung.contains(QStringLiteral("Steuerzeichen")), qPrintable(e.meldung));
        QCOMPARE(alleDateien(m_dir.path()), vorher);

        // A companion file may hold such a character (and a stray CR): the
        // export writes a blank instead, so what it writes can be imported.
        QByteArray b2d = "vorn\rhinten" + text + "\r\n";
        for (int i = 1; i <= 2000; ++i)
            b2d += "Kommentar\r\n";
        schreibe(m_dir.filePath("STD.B2D"), b2d);
        QByteArray csv;
        QVERIFY(Listenaustausch::exportiereDatei(s, 0, csv).ok);
        QVERIFY(csv.contains("vorn hinten"));
        const Listenaustausch::Ergebnis wieder = Listenaustausch::importiereDatei(s, 0, csv);
        QVERIFY2(wieder.ok, qPrintable(wieder.meldung));
    }

    void ersterFehlerBeendetDasLesen()
    {
        // Row 3 is refused; row 5 is not even CSV. The first fault is the
        // one reported, and nothing after it is read.
        const QString s = sondersatz();
        const QByteArray csv = "Karte,Zeitzonen,Name,Vorname,PLZ,Ort,Strasse,Telefon,Bemerkungen\r\n"
                               "5,2,gut,,,,,,\r\n4096,1,a,,,,,,\r\n6,3,gut,,,,,,\r\n7,1,a\"b,,,,,,\r\n";
        const Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(s, 1, csv);
        QVERIFY(!e.ok);
        QCOMPARE(e.zeile, 3);
        int gesehen = 0;
        QVERIFY(Csvtabelle::lesen(csv, [&gesehen](const QStringList &, int zeile) {
            ++gesehen;
            return zeile < 3;
        }));
        QCOMPARE(gesehen, 3);
    }

    void csvDateiMitGrenzen_data()
    {
        QTest::addColumn<QString>("art");
        QTest::addColumn<QString>("grund");
        QTest::newRow("FIFO") << "fifo" << "keine gewöhnliche Datei";
        QTest::newRow("link to /dev/zero") << "zero" << "keine gewöhnliche Datei";
        QTest::newRow("folder") << "ordner" << "keine gewöhnliche Datei";
        QTest::newRow("64 MiB + 1") << "gross" << "zu groß";
        QTest::newRow("missing") << "fehlt" << "gibt es nicht";
    }
    void csvDateiMitGrenzen()
    {
        QFETCH(QString, art);
        QFETCH(QString, grund);
        const QString s = standardsatz();
        const QString csv = m_dir.filePath("ein.csv");
        const auto vorher = alleDateien(m_dir.path());
        if (art == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(csv).constData(), 0600), 0);
        else if (art == "zero")
            QVERIFY(QFile::link("/dev/zero", csv));
        else if (art == "ordner")
            QVERIFY(QDir(m_dir.path()).mkdir("ein.csv"));
        else if (art == "gross") {
            QFile f(csv);  // sparse: takes no room on the disk
            QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(Listenaustausch::HoechsteCsvgroesse + 1));
        }
        const Lauf l = cli({"import", s, csv, "--lang", "de"});
        QDir(csv).removeRecursively();
        QFile::remove(csv);
        QCOMPARE(l.status, 1);
        QVERIFY2(l.fehler.contains(QFile::encodeName(csv)), l.fehler.constData());
        QVERIFY2(QString::fromUtf8(l.fehler).contains(grund), l.fehler.constData());
        QCOMPARE(l.fehler.count('\n'), 1);  // said once
        QCOMPARE(alleDateien(m_dir.path()), vorher);
    }

    void ausgabeZiele_data()
    {
        QTest::addColumn<QString>("art");
        QTest::addColumn<bool>("ok");
        QTest::newRow("new file") << "neu" << true;
        QTest::newRow("link planted at the name") << "link" << true;
        QTest::newRow("FIFO") << "fifo" << false;
        QTest::newRow("read-only file") << "schreibgeschuetzt" << false;
        QTest::newRow("folder") << "ordner" << false;
    }
    void ausgabeZiele()
    {
        // export -o writes through the one safe writer: a link is replaced
        // as a name and its target stays as it was; a FIFO, a folder or a
        // read-only file of that name is refused and stays what it was.
        QFETCH(QString, art);
        QFETCH(bool, ok);
        const QString s = standardsatz();
        const QString ziel = m_dir.filePath("aus.csv");
        const QString opfer = m_dir.filePath("opfer.txt");
        schreibe(opfer, "bleibt");
        if (art == "link")
            QVERIFY(QFile::link(opfer, ziel));
        else if (art == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(ziel).constData(), 0600), 0);
        else if (art == "ordner")
            QVERIFY(QDir(m_dir.path()).mkdir("aus.csv"));
        else if (art == "schreibgeschuetzt") {
            schreibe(ziel, "alt");
            QVERIFY(QFile::setPermissions(ziel, QFileDevice::ReadOwner));
        }
        const Lauf l = cli({"export", s, "-o", ziel, "--lang", "en"});
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(ziel).constData(), &st), 0);
        QCOMPARE(lies(opfer), QByteArray("bleibt"));
        if (ok) {
            QCOMPARE(l.status, 0);
            QVERIFY(S_ISREG(st.st_mode));
            QVERIFY(lies(ziel).startsWith("Liste,Eintrag,"));
        } else {
            QCOMPARE(l.status, 1);
            QVERIFY2(l.fehler.contains(QFile::encodeName(ziel)) && l.fehler.contains("not replaced"),
                     l.fehler.constData());
            QVERIFY(art != "fifo" || S_ISFIFO(st.st_mode));
            QVERIFY(art != "ordner" || S_ISDIR(st.st_mode));
            QVERIFY(art != "schreibgeschuetzt" || lies(ziel) == "alt");
        }
        QFile::setPermissions(ziel, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QDir(ziel).removeRecursively();
        QFile::remove(ziel);
    }

    void volleStandardausgabe()
    {
        const QString s = standardsatz();
        for (const QStringList &args : {QStringList{"export", s, "--lang", "en"}, QStringList{"show", s, "--lang", "en"}}) {
            const Lauf l = cli(args, QStringLiteral("/dev/full"));
            QCOMPARE(l.status, 1);
            QVERIFY2(l.fehler.contains("standard output"), l.fehler.constData());
            QCOMPARE(l.fehler.count('\n'), 1);
        }
    }

    void meldungenMitIhremGegenstand()
    {
        const QString s = standardsatz();
        const QString csv = m_dir.filePath("ein.csv");
        schreibe(csv, "Liste,Eintrag,Datenstring,Begleittext\r\n9,0,1,x\r\n");
        // A row fault names the CSV and its row, in the chosen language.
        Lauf l = cli({"import", s, csv, "--lang", "en"});
        QCOMPARE(l.status, 1);
        QVERIFY2(l.fehler.startsWith(QFile::encodeName(csv) + ": Row 2: "), l.fehler.constData());
        l = cli({"import", s, csv, "--lang", "fr"});
        QVERIFY2(l.fehler.contains(": Ligne 2 : "), l.fehler.constData());
        // A missing main file is about the main file, not about the CSV.
        const QString fehlt = m_dir.filePath("FEHLT.S2D");
        l = cli({"import", fehlt, csv, "--lang", "en"});
        QCOMPARE(l.status, 1);
        QVERIFY2(!l.fehler.contains("ein.csv") && l.fehler.contains(QFile::encodeName(fehlt))
                     && l.fehler.contains("does not exist"),
                 l.fehler.constData());
        // A short companion file: refused by name, taken with the option.
        QByteArray kurz;
        for (int i = 0; i < 10; ++i)
            kurz += "alt\r\n";
        schreibe(m_dir.filePath("STD.B2D"), kurz);
        schreibe(csv, "Liste,Eintrag,Datenstring,Begleittext\r\n1,0,1234567890123456789012,x\r\n");
        l = cli({"import", s, csv, "--lang", "en"});
        QCOMPARE(l.status, 1);
        QVERIFY2(l.fehler.contains("STD.B2D") && l.fehler.contains("--replace-short-files"), l.fehler.constData());
        QCOMPARE(lies(m_dir.filePath("STD.B2D")), kurz);
        l = cli({"import", s, csv, "--lang", "en", "--replace-short-files"});
        QCOMPARE(l.status, 0);
        QVERIFY2(l.aus.contains("STD.B2D.bak") && l.aus.contains("1 rows taken over"), l.aus.constData());
        QCOMPARE(lies(m_dir.filePath("STD.B2D.bak")), kurz);
    }

    void kommandozeile()
    {
        const QString cli = qEnvironmentVariable("PORTAVO_CLI");
        if (cli.isEmpty() || !QFile::exists(cli))
            QSKIP("portavo-cli not built");
        const QString s = sondersatz();
        const auto vorher = alleDateien(m_dir.path());
        const QString csv = m_dir.filePath("seite2.csv");
        QProcess p;
        p.start(cli, {"export", s, "--page", "2", "-o", csv});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QByteArray erwartet;
        QVERIFY(Listenaustausch::exportiereDatei(m_dir.filePath("SK.S3D"), 0, erwartet).ok);
        QCOMPARE(lies(csv), erwartet);

        p.start(cli, {"export", s});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(p.readAllStandardOutput().startsWith("Karte,Zeitzonen,"));

        p.start(cli, {"import", s, csv, "--page", "2"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QFile::remove(csv);
        QCOMPARE(alleDateien(m_dir.path()), vorher);

        schreibe(csv, "Karte,Zeitzonen,Name,Vorname,PLZ,Ort,Strasse,Telefon,Bemerkungen\r\n1,9,,,,,,,\r\n");
        p.start(cli, {"import", s, csv});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(p.readAllStandardError().contains("Zeile 2"));
        QFile::remove(csv);
        QCOMPARE(alleDateien(m_dir.path()), vorher);

        p.start(cli, {"import", s, "--page", "7", csv});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 2);
    }
};

PORTAVO_TESTKLASSE(tst_listenaustausch)
#include "tst_listenaustausch.moc"
