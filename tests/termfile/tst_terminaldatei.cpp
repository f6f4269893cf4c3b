// The terminal file set on disk: names, main file, companion files, load,
// save and the failures that must not cost the previous file.

#include "termfile/Terminaldatei.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

QByteArray lies(const QString &pfad)
{
    QFile f(pfad);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void schreibe(const QString &pfad, const QByteArray &inhalt)
{
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(inhalt), inhalt.size());
}

// n lines "zeile i" CR LF.
QByteArray textzeilen(int n, const char *praefix = "zeile ")
{
    QByteArray t;
    for (int i = 0; i < n; ++i)
        t += praefix + QByteArray::number(i) + "\r\n";
    return t;
}

// A main file text with the given values (one per line, LF or CR LF).
QByteArray hauptdatei(const QVector<int> &werte, const char *ende = "\r\n")
{
    QByteArray t;
    for (int w : werte)
        t += " " + QByteArray::number(w) + " " + ende;
    return t;
}

QVector<int> standardwerte()
{
    QVector<int> w(Bildgroesse, 0);
    for (int i = 0; i < Bildgroesse; ++i)
        w[i] = (i * 7) % 256;
    w[0] = 12;
    w[1] = 0;       // fixed bits clear in the file
    w[2] = 1 + 2;   // both tracks, standard mode
    w[3] = 11;
    w[4] = 4;
    w[9] = 1;
    return w;
}

QVector<int> sondercodewerte()
{
    QVector<int> w = standardwerte();
    w[2] = 128 + 1;
    return w;
}

std::unique_ptr<Datenbild> bildMitMuster()
{
    auto b = std::make_unique<Datenbild>();
    for (int i = 0; i < Bildgroesse; ++i)
        b->Daten[i] = qint16((i * 13) % 256);
    for (int i = 0; i <= Textobergrenze; ++i)
        b->Begleittext[i] = QStringLiteral("vorher %1").arg(i);
    b->Dateiname = QStringLiteral("vorher.B2D");
    b->Aenderungszaehler = 5;
    return b;
}

}  // namespace

class TstTerminaldatei : public QObject {
    Q_OBJECT
private slots:
    void namen();
    void hauptdateiRundreise();
    void hauptdateiToleriertZeilenenden();
    void hauptdateiVerweigert_data();
    void hauptdateiVerweigert();
    void fehlendeHauptdatei();
    void ladenSetztFestbitsUndZaehler();
    void begleittextKurzOderVoll_data();
    void begleittextKurzOderVoll();
    void begleittextStandardInSondercode();
    void fehlendeBegleitdateiWirdAngelegt();
    void seitendateien_data();
    void seitendateien();
    void ladeSeiteOhneHauptdatei();
    void begleittextKodierung();
    void speichernSeite1();
    void speichernSeite3NurS4D();
    void speichernUnter();
    void kundendatenSpeichern();
    void speichernInGesperrtenOrdner();
    void speichernBeiVollerPlatte();
};

void TstTerminaldatei::namen()
{
    QCOMPARE(Terminaldatei::basis(QStringLiteral("/x/PORTAVO.S2D")), QStringLiteral("/x/PORTAVO"));
    QCOMPARE(Terminaldatei::basis(QStringLiteral("abc")), QString());
    const QString b = QStringLiteral("/x/T");
    QCOMPARE(Terminaldatei::hauptdateiname(b, 1), QStringLiteral("/x/T.S2D"));
    QCOMPARE(Terminaldatei::hauptdateiname(b, 2), QStringLiteral("/x/T.S3D"));
    QCOMPARE(Terminaldatei::hauptdateiname(b, 3), QStringLiteral("/x/T.S4D"));
    QCOMPARE(Terminaldatei::hauptdateiname(b, 0), QStringLiteral("/x/T.S2D"));
    QCOMPARE(Terminaldatei::namensdateiname(b, 1), QStringLiteral("/x/T.B2D"));
    QCOMPARE(Terminaldatei::namensdateiname(b, 3), QStringLiteral("/x/T.B4D"));
    const char *erwartet[] = {"V", "P", "O", "R", "T", "M"};
    for (int f = 0; f < 6; ++f) {
        QCOMPARE(Terminaldatei::kundendateiname(b, 1, f), b + "." + erwartet[f] + "2D");
        QCOMPARE(Terminaldatei::kundendateiname(b, 2, f), b + "." + erwartet[f] + "3D");
        QCOMPARE(Terminaldatei::kundendateiname(b, 3, f), b + "." + erwartet[f] + "4D");
    }
    QVERIFY(Terminaldatei::kundendateiname(b, 1, 6).isEmpty());
    QCOMPARE(Terminaldatei::seiteVonHauptdatei(QStringLiteral("a.S2D")), 1);
    QCOMPARE(Terminaldatei::seiteVonHauptdatei(QStringLiteral("a.s3d")), 2);
    QCOMPARE(Terminaldatei::seiteVonHauptdatei(QStringLiteral("a.S4D")), 3);
    QCOMPARE(Terminaldatei::seiteVonHauptdatei(QStringLiteral("a.txt")), 1);
}

void TstTerminaldatei::hauptdateiRundreise()
{
    QTemporaryDir dir;
    auto b = std::make_unique<Datenbild>();
    for (int i = 0; i < Bildgroesse; ++i)
        b->Daten[i] = qint16((i * 31 + 5) % 256);
    b->Daten[0] = 12;
    b->Daten[1] = 0;
    b->Daten[2047] = 255;
    b->Daten[2100] = 77;  // beyond the memory: never saved
    const QString pfad = dir.filePath(QStringLiteral("R.S2D"));
    QVERIFY(Terminaldatei::schreibeHauptdatei(*b, pfad).ok);

    const QByteArray text = lies(pfad);
    QVERIFY(text.startsWith(" 12 \r\n 0 \r\n"));
    QVERIFY(text.endsWith("\r\n 255 \r\n"));
    QCOMPARE(text.count("\r\n"), qsizetype(Bildgroesse));
    QCOMPARE(text.count('\n'), qsizetype(Bildgroesse));

    Terminaldatei::Speicherbytes zurueck{};
    QVERIFY(Terminaldatei::leseHauptdatei(pfad, zurueck).ok);
    for (int i = 0; i < Bildgroesse; ++i)
        QCOMPARE(zurueck[i], b->Daten[i]);

    // Writing what was read gives the same file byte for byte.
    auto c = std::make_unique<Datenbild>();
    std::copy(zurueck.begin(), zurueck.end(), c->Daten.begin());
    QCOMPARE(Terminaldatei::hauptdateitext(*c), text);
}

void TstTerminaldatei::hauptdateiToleriertZeilenenden()
{
    const QVector<int> werte = standardwerte();
    Terminaldatei::Speicherbytes ziel{};
    QVERIFY(Terminaldatei::parseHauptdatei(hauptdatei(werte, "\n"), ziel).ok);
    QCOMPARE(ziel[0], qint16(12));
    QCOMPARE(ziel[2047], qint16(werte[2047]));

    // Blanks and tabs around the number, no line end after the last line,
    // anything after line 2048 not read.
    QByteArray t;
    for (int i = 0; i < Bildgroesse; ++i)
        t += "\t  " + QByteArray::number(werte[i]) + (i == 5 ? "   \r\n" : "\r\n");
    t.chop(2);
    QVERIFY(Terminaldatei::parseHauptdatei(t, ziel).ok);
    QCOMPARE(ziel[5], qint16(werte[5]));
    QVERIFY(Terminaldatei::parseHauptdatei(t + "\r\nGarbage\r\n", ziel).ok);
}

void TstTerminaldatei::hauptdateiVerweigert_data()
{
    QTest::addColumn<QByteArray>("inhalt");
    QTest::addColumn<QString>("erwartet");  // part of the message
    const QVector<int> werte = standardwerte();
    QTest::newRow("empty") << QByteArray() << QStringLiteral("nur 0 von 2048");
    QTest::newRow("2047 lines") << hauptdatei(werte.mid(0, 2047)) << QStringLiteral("nur 2047 von 2048");
    QVector<int> w = werte;
    w[999] = 256;
    QTest::newRow("256") << hauptdatei(w) << QStringLiteral("Zeile 1000 (Speicherbyte 999): 256");
    w[999] = -1;
    QTest::newRow("negative") << hauptdatei(w) << QStringLiteral("Zeile 1000 (Speicherbyte 999): -1");
    QByteArray t = hauptdatei(werte);
    t.replace(" 12 \r\n", " zwoelf \r\n");
    QTest::newRow("word") << t << QStringLiteral("Zeile 1 (Speicherbyte 0): „zwoelf“ ist keine Zahl");
    t = hauptdatei(werte);
    t.insert(t.indexOf("\r\n") + 2, "\r\n");
    QTest::newRow("blank line") << t << QStringLiteral("Zeile 2 (Speicherbyte 1) ist leer");
    t = hauptdatei(werte);
    t.replace(" 12 \r\n", " 1 2 \r\n");
    QTest::newRow("two numbers") << t << QStringLiteral("ist keine Zahl");
    t = hauptdatei(werte);
    t.replace(" 12 \r\n", " 99999999999999999999999 \r\n");
    QTest::newRow("huge") << t << QStringLiteral("Zeile 1 (Speicherbyte 0)");
}

void TstTerminaldatei::hauptdateiVerweigert()
{
    QFETCH(QByteArray, inhalt);
    QFETCH(QString, erwartet);
    QTemporaryDir dir;
    const QString pfad = dir.filePath(QStringLiteral("F.S2D"));
    schreibe(pfad, inhalt);
    schreibe(dir.filePath(QStringLiteral("F.B2D")), textzeilen(2001, "neu "));

    auto b = bildMitMuster();
    const auto daten = b->Daten;
    const Dateiergebnis e = Terminaldatei::laden(*b, pfad);
    QVERIFY(!e.ok);
    QVERIFY2(e.meldung.contains(erwartet), qPrintable(e.meldung));
    QVERIFY(e.meldung.contains(QStringLiteral("F.S2D")));
    // Nothing of the image or its texts changed.
    QVERIFY(b->Daten == daten);
    QCOMPARE(b->Begleittext[0], QStringLiteral("vorher 0"));
    QCOMPARE(b->Begleittext[2000], QStringLiteral("vorher 2000"));
    QCOMPARE(b->Dateiname, QStringLiteral("vorher.B2D"));
    QCOMPARE(b->Aenderungszaehler, qint16(5));
}

void TstTerminaldatei::fehlendeHauptdatei()
{
    QTemporaryDir dir;
    auto b = bildMitMuster();
    const auto daten = b->Daten;
    const Dateiergebnis e = Terminaldatei::laden(*b, dir.filePath(QStringLiteral("fehlt.S2D")));
    QVERIFY(!e.ok);
    QVERIFY(!e.meldung.isEmpty());
    QVERIFY(b->Daten == daten);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("fehlt.B2D"))));
}

void TstTerminaldatei::ladenSetztFestbitsUndZaehler()
{
    QTemporaryDir dir;
    QVector<int> w = standardwerte();
    w[0] = 0;
    const QString pfad = dir.filePath(QStringLiteral("L.S2D"));
    schreibe(pfad, hauptdatei(w));
    auto b = std::make_unique<Datenbild>();
    b->Aenderungszaehler = 7;
    const Dateiergebnis e = Terminaldatei::laden(*b, pfad);
    QVERIFY2(e.ok, qPrintable(e.meldung));
    QCOMPARE(b->byte(1), 4 + 16);
    QCOMPARE(b->byte(0), 1);
    QCOMPARE(b->byte(100), w[100]);
    QCOMPARE(b->Aenderungszaehler, qint16(0));
    QCOMPARE(b->Sondercode, qint16(0));
    QCOMPARE(b->Begleittextgrenze, 2000);
    QCOMPARE(b->Dateiname, dir.filePath(QStringLiteral("L.B2D")));
    // Lists are built: arrangement 6 with 11 and 4 bytes.
    QCOMPARE(b->Listenanzahl[0], 44);
    QCOMPARE(b->Listenanzahl[1], 321);
    QCOMPARE(b->Zeilenadresse[44], 760);

    // Saving it again changes byte 1 of the file.
    QVERIFY(Terminaldatei::speichern(*b, Terminaldatei::basis(pfad), 1).ok);
    QVERIFY(lies(pfad).startsWith(" 1 \r\n 20 \r\n"));
}

void TstTerminaldatei::begleittextKurzOderVoll_data()
{
    QTest::addColumn<bool>("sondercode");
    QTest::addColumn<int>("zeilen");
    QTest::addColumn<bool>("angenommen");
    QTest::newRow("standard 2000") << false << 2000 << true;
    QTest::newRow("standard 1999") << false << 1999 << false;
    QTest::newRow("standard 2001") << false << 2001 << true;
    QTest::newRow("standard 5001") << false << 5001 << true;
    QTest::newRow("special 5000") << true << 5000 << true;
    QTest::newRow("special 4999") << true << 4999 << false;
    QTest::newRow("special 5001") << true << 5001 << true;
}

void TstTerminaldatei::begleittextKurzOderVoll()
{
    QFETCH(bool, sondercode);
    QFETCH(int, zeilen);
    QFETCH(bool, angenommen);
    QTemporaryDir dir;
    const QString pfad = dir.filePath(QStringLiteral("K.S2D"));
    schreibe(pfad, hauptdatei(sondercode ? sondercodewerte() : standardwerte()));
    schreibe(dir.filePath(QStringLiteral("K.B2D")), textzeilen(zeilen));
    auto b = bildMitMuster();
    QVERIFY(Terminaldatei::laden(*b, pfad).ok);
    const int grenze = sondercode ? 5000 : 2000;
    QCOMPARE(b->Begleittextgrenze, grenze);
    if (!angenommen) {
        for (int i = 0; i <= Textobergrenze; ++i)
            QCOMPARE(b->Begleittext[i], Leerzeile);
        return;
    }
    const int gelesen = qMin(zeilen, grenze + 1);
    QCOMPARE(b->Begleittext[0], QStringLiteral("zeile 0"));
    QCOMPARE(b->Begleittext[gelesen - 1], QStringLiteral("zeile %1").arg(gelesen - 1));
    // Lines the file did not hold or that lie beyond the limit keep their value.
    if (gelesen <= Textobergrenze)
        QCOMPARE(b->Begleittext[gelesen], QStringLiteral("vorher %1").arg(gelesen));
}

void TstTerminaldatei::begleittextStandardInSondercode()
{
    // A .B2D saved from a standard image (2001 lines) does not fit a
    // special-code image, which needs 5000 lines: all names are reset.
    QTemporaryDir dir;
    const QString basis = dir.filePath(QStringLiteral("W"));
    auto b = std::make_unique<Datenbild>();
    schreibe(basis + ".S2D", hauptdatei(standardwerte()));
    QVERIFY(Terminaldatei::laden(*b, basis + ".S2D").ok);
    b->Begleittext[7] = QStringLiteral("Kommentar");
    QVERIFY(Terminaldatei::speichern(*b, basis, 1).ok);
    QCOMPARE(lies(basis + ".B2D").count("\r\n"), qsizetype(2001));

    schreibe(basis + ".S2D", hauptdatei(sondercodewerte()));
    QVERIFY(Terminaldatei::laden(*b, basis + ".S2D").ok);
    QCOMPARE(b->Sondercode, qint16(1));
    QCOMPARE(b->Begleittext[7], Leerzeile);
}

void TstTerminaldatei::fehlendeBegleitdateiWirdAngelegt()
{
    QTemporaryDir dir;
    const QString pfad = dir.filePath(QStringLiteral("N.S2D"));
    schreibe(pfad, hauptdatei(standardwerte()));

    auto b = bildMitMuster();
    QVERIFY(Terminaldatei::laden(*b, pfad, Terminaldatei::Ablage::NurLesen).ok);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("N.B2D"))));
    QCOMPARE(b->Begleittext[0], Leerzeile);

    QVERIFY(Terminaldatei::laden(*b, pfad).ok);
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("N.B2D"))));
    QCOMPARE(QFileInfo(dir.filePath(QStringLiteral("N.B2D"))).size(), qint64(0));
}

void TstTerminaldatei::seitendateien_data()
{
    QTest::addColumn<int>("zeilen");
    QTest::addColumn<bool>("angenommen");
    QTest::newRow("4999") << 4999 << false;
    QTest::newRow("5000") << 5000 << true;
    QTest::newRow("5001") << 5001 << true;
}

void TstTerminaldatei::seitendateien()
{
    QFETCH(int, zeilen);
    QFETCH(bool, angenommen);
    QTemporaryDir dir;
    const QString basis = dir.filePath(QStringLiteral("P"));
    schreibe(basis + ".V2D", textzeilen(zeilen, "vorname "));
    schreibe(basis + ".B3D", textzeilen(zeilen, "name "));
    schreibe(basis + ".M3D", textzeilen(zeilen, "bemerkung "));
    auto b = std::make_unique<Datenbild>();
    b->Kundendaten[0][0][4999] = QStringLiteral("alt");
    b->Kundendaten[0][0][5000] = QStringLiteral("alt");

    Terminaldatei::ladeSeitendateien(*b, basis, 1);
    QCOMPARE(b->Kundendaten[0][0][0], angenommen ? QStringLiteral("vorname 0") : Leerzeile);
    QCOMPARE(b->Kundendaten[0][0][4999], angenommen ? QStringLiteral("vorname 4999") : Leerzeile);
    QCOMPARE(b->Kundendaten[0][0][5000],
             zeilen == 5001 ? QStringLiteral("vorname 5000") : angenommen ? QStringLiteral("alt") : Leerzeile);
    // Missing customer files of page 1 are created empty.
    QVERIFY(QFile::exists(basis + ".T2D"));

    Terminaldatei::ladeSeitendateien(*b, basis, 2);
    QCOMPARE(b->Seitennamen[0][1], angenommen ? QStringLiteral("name 1") : Leerzeile);
    QCOMPARE(b->Kundendaten[1][5][2], angenommen ? QStringLiteral("bemerkung 2") : Leerzeile);
    QCOMPARE(b->Seitennamen[1][1], Leerzeile);  // page 3 untouched
}

void TstTerminaldatei::ladeSeiteOhneHauptdatei()
{
    QTemporaryDir dir;
    const QString basis = dir.filePath(QStringLiteral("S"));
    schreibe(basis + ".S2D", hauptdatei(sondercodewerte()));
    auto b = std::make_unique<Datenbild>();
    QVERIFY(Terminaldatei::ladeSeite(*b, basis, 1).ok);
    const auto daten = b->Daten;
    const Dateiergebnis e = Terminaldatei::ladeSeite(*b, basis, 2);
    QVERIFY(!e.ok);
    QVERIFY(e.meldung.contains(QStringLiteral("S.S3D")));
    QVERIFY(b->Daten == daten);

    QVector<int> w = sondercodewerte();
    w[513] = 2;  // card 9: zone 1 only
    w[1025] = 0;
    w[1537] = 0;
    schreibe(basis + ".S3D", hauptdatei(w));
    QVERIFY(Terminaldatei::ladeSeite(*b, basis, 2).ok);
    QCOMPARE(b->kartenstatus(9), QStringLiteral("Zeitzone 1"));
}

void TstTerminaldatei::begleittextKodierung()
{
    QVector<QString> zeilen(Textobergrenze + 1, Leerzeile);
    zeilen[0] = QStringLiteral("Müller €");
    zeilen[1] = QStringLiteral("zwei\r\nZeilen");
    zeilen[2] = QString();
    const QByteArray t = Terminaldatei::begleittext(zeilen, 3);
    QCOMPARE(t, QByteArray("M\xFCller \x80\r\nzwei  Zeilen\r\n\r\n----------\r\n"));

    QTemporaryDir dir;
    const QString pfad = dir.filePath(QStringLiteral("k.V2D"));
    schreibe(pfad, t + textzeilen(4997));
    QVector<QString> ziel(Textobergrenze + 1);
    QCOMPARE(Terminaldatei::leseBegleitdatei(pfad, ziel, 5000, 5000), 5001);
    QCOMPARE(ziel[0], QStringLiteral("Müller €"));
    QCOMPARE(ziel[2], QString());
    QCOMPARE(ziel[3], Leerzeile);
    // LF alone is tolerated too.
    schreibe(pfad, QByteArray("a\nb\r\nc"));
    QCOMPARE(Terminaldatei::leseBegleitdatei(pfad, ziel, 5000, 3), 3);
    QCOMPARE(ziel[0], QStringLiteral("a"));
    QCOMPARE(ziel[2], QStringLiteral("c"));
}

void TstTerminaldatei::speichernSeite1()
{
    QTemporaryDir dir;
    const QString basis = dir.filePath(QStringLiteral("T"));
    auto b = bildMitMuster();
    b->Begleittextgrenze = 2000;
    const Dateiergebnis e = Terminaldatei::speichern(*b, basis, 1);
    QVERIFY2(e.ok, qPrintable(e.meldung));
    QCOMPARE(e.pfad, basis + ".S2D");
    QCOMPARE(b->Aenderungszaehler, qint16(0));
    QCOMPARE(b->Dateiname, basis + ".B2D");
    QCOMPARE(lies(basis + ".S2D"), Terminaldatei::hauptdateitext(*b));
    const QByteArray b2d = lies(basis + ".B2D");
    QCOMPARE(b2d.count("\r\n"), qsizetype(2001));
    QVERIFY(b2d.startsWith("vorher 0\r\n"));
    QVERIFY(b2d.endsWith("vorher 2000\r\n"));
    // Nothing else, and no temporary file left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

void TstTerminaldatei::speichernSeite3NurS4D()
{
    QTemporaryDir dir;
    const QString basis = dir.filePath(QStringLiteral("T"));
    schreibe(basis + ".B2D", "unberührt\r\n");
    auto b = bildMitMuster();
    const Dateiergebnis e = Terminaldatei::speichern(*b, basis, 3);
    QVERIFY(e.ok);
    QCOMPARE(e.pfad, basis + ".S4D");
    QCOMPARE(lies(basis + ".S4D"), Terminaldatei::hauptdateitext(*b));
    QCOMPARE(lies(basis + ".B2D"), QByteArray("unberührt\r\n"));
    QVERIFY(!QFile::exists(basis + ".S2D"));
    QVERIFY(!QFile::exists(basis + ".S3D"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    QCOMPARE(b->Aenderungszaehler, qint16(0));
}

void TstTerminaldatei::speichernUnter()
{
    QTemporaryDir dir;
    auto b = bildMitMuster();
    b->Begleittextgrenze = 5000;
    const QString ziel = dir.filePath(QStringLiteral("neu.S2D"));
    QVERIFY(Terminaldatei::speichernUnter(*b, ziel).ok);
    QCOMPARE(b->Aenderungszaehler, qint16(0));
    QCOMPARE(lies(ziel), Terminaldatei::hauptdateitext(*b));
    QCOMPARE(lies(dir.filePath(QStringLiteral("neu.B2D"))).count("\r\n"), qsizetype(5001));
    // Customer data does not move with it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);

    // A name without an extension would cut the companion name out of the
    // folder part; it is refused before anything is written.
    b->Aenderungszaehler = 3;
    const Dateiergebnis e = Terminaldatei::speichernUnter(*b, dir.filePath(QStringLiteral("ab")));
    QVERIFY(!e.ok);
    QVERIFY(!e.meldung.isEmpty());
    QCOMPARE(b->Aenderungszaehler, qint16(3));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

void TstTerminaldatei::kundendatenSpeichern()
{
    QTemporaryDir dir;
    const QString basis = dir.filePath(QStringLiteral("K"));
    auto b = bildMitMuster();
    b->Seitennamen[0][9] = QStringLiteral("Gärtner");
    b->Kundendaten[1][1][9] = QStringLiteral("12345");
    b->Dateiname = QStringLiteral("woanders");
    QVERIFY(Terminaldatei::speichereKundendaten(*b, basis, 2).ok);
    QCOMPARE(b->Dateiname, basis + ".B2D");
    const QStringList erwartet = {"K.B3D", "K.M3D", "K.O3D", "K.P3D", "K.R3D", "K.T3D", "K.V3D"};
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name), erwartet);
    for (const QString &f : erwartet)
        QCOMPARE(lies(dir.filePath(f)).count("\r\n"), qsizetype(5001));
    QVERIFY(lies(basis + ".B3D").contains("\r\nG\xE4rtner\r\n"));
    QVERIFY(lies(basis + ".P3D").contains("\r\n12345\r\n"));

    // Page 1: the six customer files only; the names are the .B2D of Save.
    QVERIFY(Terminaldatei::speichereKundendaten(*b, basis, 1).ok);
    QVERIFY(QFile::exists(basis + ".V2D"));
    QVERIFY(!QFile::exists(basis + ".B2D"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 13);
}

void TstTerminaldatei::speichernInGesperrtenOrdner()
{
#ifdef Q_OS_UNIX
    if (::geteuid() == 0)
        QSKIP("root may write into a read-only folder");
#endif
    QTemporaryDir dir;
    const QString basis = dir.filePath(QStringLiteral("G"));
    schreibe(basis + ".S2D", "alt\r\n");
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    auto b = bildMitMuster();
    const Dateiergebnis e = Terminaldatei::speichern(*b, basis, 1);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(!e.ok);
    QVERIFY(e.meldung.contains(QStringLiteral("G.S2D")));
    QCOMPARE(b->Aenderungszaehler, qint16(5));
    QCOMPARE(lies(basis + ".S2D"), QByteArray("alt\r\n"));
}

void TstTerminaldatei::speichernBeiVollerPlatte()
{
#ifndef Q_OS_UNIX
    QSKIP("needs a file size limit");
#else
    // A file size limit makes every write beyond 4 KB fail as a full disk
    // would (also for root).
    QTemporaryDir dir;
    const QString basis = dir.filePath(QStringLiteral("D"));
    const QByteArray alt = hauptdatei(standardwerte());
    schreibe(basis + ".S2D", alt);
    schreibe(basis + ".B2D", "alte Namen\r\n");
    auto b = bildMitMuster();

    rlimit vorher{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &vorher), 0);
    const auto signalVorher = std::signal(SIGXFSZ, SIG_IGN);
    rlimit eng = vorher;
    eng.rlim_cur = 4096;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &eng), 0);
    const Dateiergebnis haupt = Terminaldatei::speichern(*b, basis, 1);
    const Dateiergebnis kunden = Terminaldatei::speichereKundendaten(*b, basis, 2);
    ::setrlimit(RLIMIT_FSIZE, &vorher);
    std::signal(SIGXFSZ, signalVorher);

    QVERIFY(!haupt.ok);
    QVERIFY2(haupt.meldung.contains(QStringLiteral("D.S2D")), qPrintable(haupt.meldung));
    QCOMPARE(b->Aenderungszaehler, qint16(5));
    QCOMPARE(lies(basis + ".S2D"), alt);
    QCOMPARE(lies(basis + ".B2D"), QByteArray("alte Namen\r\n"));
    QVERIFY(!kunden.ok);
    QVERIFY(!QFile::exists(basis + ".B3D"));
    // No temporary file is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
#endif
}

QTEST_GUILESS_MAIN(TstTerminaldatei)
#include "tst_terminaldatei.moc"
