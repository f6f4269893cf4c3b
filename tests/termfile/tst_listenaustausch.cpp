// CSV export and import of a terminal file's lists: RFC 4180 reading and
// writing, the round trip that leaves every file byte for byte, and the
// refusal of a faulty file that leaves every file as it was.

#include "termfile/Csvtabelle.h"
#include "termfile/Listenaustausch.h"
#include "termfile/Terminaldatei.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

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
        } falsch[] = {{"a,b\r\nc\"d,e\r\n", 2}, {"a,\"b\"x\r\n", 1}, {"a\r\nb\r\n\"offen,\r\n", 3}, {"\xff\xfe", 0}};
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

QTEST_APPLESS_MAIN(tst_listenaustausch)
#include "tst_listenaustausch.moc"
