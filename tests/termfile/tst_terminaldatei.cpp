// The terminal file set on disk: names, main file, companion files, load,
// save and the failures that must not cost the previous file.

#include "support/Testlauf.h"
#include "termfile/Terminaldatei.h"

#include "base/Dateiersatz.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "support/Dateigrenze.h"
#include "support/MeldungAufnahme.h"
#include "termfile/Dateiablauf.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFileInfo>

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

// n lines "<praefix> i" CR LF.
QByteArray textzeilen(int n, const char *praefix = "zeile ")
{
    QByteArray t;
    for (int i = 0; i < n; ++i)
        t += praefix + QByteArray::number(i) + "\r\n";
    return t;
}

// Main file text: " value " and the line end per value.
QByteArray hauptdatei(const QVector<int> &werte, const char *ende = "\r\n")
{
    QByteArray t;
    for (int w : werte)
        t += " " + QByteArray::number(w) + " " + ende;
    return t;
}

// A standard image (both tracks, arrangement 6, L = 11 and 4) or a
// special-code one, with a pattern in the other bytes.
QVector<int> werte(bool sondercode = false)
{
    QVector<int> w(Bildgroesse);
    for (int i = 0; i < Bildgroesse; ++i)
        w[i] = (i * 7) % 256;
    w[0] = 12;
    w[1] = 0;
    w[2] = sondercode ? 128 + 1 : 1 + 2;
    w[3] = 11;
    w[4] = 4;
    w[9] = 1;
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

int dateien(const QTemporaryDir &dir) { return int(QDir(dir.path()).entryList(QDir::Files).size()); }

}  // namespace

class TstTerminaldatei : public QObject {
    Q_OBJECT
private slots:
    void kleingeschriebenerSatzBleibtWoErIst()
    {
        // A set copied with lower-case extensions is read and saved in place:
        // no second set in upper case appears beside it.
        QTemporaryDir dir;
        const QString s = dir.filePath(QStringLiteral("t7.s2d"));
        schreibe(s, hauptdatei(werte(true)));
        schreibe(dir.filePath(QStringLiteral("t7.b2d")), textzeilen(5001, "name "));
        schreibe(dir.filePath(QStringLiteral("t7.v2d")), textzeilen(5001, "vorname "));
        auto b = std::make_unique<Datenbild>();
        QVERIFY(Terminaldatei::laden(*b, s).ok);
        QCOMPARE(b->Begleittext[7], QStringLiteral("name 7"));
        Terminaldatei::ladeSeitendateien(*b, Terminaldatei::basis(s), 1, Terminaldatei::Ablage::NurLesen);
        QCOMPARE(b->Kundendaten[0][0][3], QStringLiteral("vorname 3"));
        b->Daten[0] = 99;
        b->Begleittext[7] = QStringLiteral("neu");
        QVERIFY(Terminaldatei::speichern(*b, Terminaldatei::basis(s), 1).ok);
        QVERIFY(lies(s).startsWith(" 99 \r\n"));
        QVERIFY(lies(dir.filePath(QStringLiteral("t7.b2d"))).contains("\r\nneu\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 (QStringList{QStringLiteral("t7.b2d"), QStringLiteral("t7.s2d"), QStringLiteral("t7.v2d")}));

        QCOMPARE(Terminaldatei::vorhandeneDatei(dir.filePath(QStringLiteral("T7.S2D"))), s);
        // Brackets are no wildcards here; a name nobody has stays as asked.
        schreibe(dir.filePath(QStringLiteral("a1.S2D")), "x");
        const QString klammer = dir.filePath(QStringLiteral("a[1].S2D"));
        QCOMPARE(Terminaldatei::vorhandeneDatei(klammer), klammer);
        QCOMPARE(Terminaldatei::vorhandeneDatei(dir.filePath(QStringLiteral("fehlt.S2D"))),
                 dir.filePath(QStringLiteral("fehlt.S2D")));
    }

    void hauptdateiRundreise()
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
        QCOMPARE(text.count('\n'), qsizetype(Bildgroesse));
        QCOMPARE(text.count("\r\n"), qsizetype(Bildgroesse));

        // Reading it and writing what was read gives the file byte for byte.
        auto c = std::make_unique<Datenbild>();
        Terminaldatei::Speicherbytes zurueck{};
        QVERIFY(Terminaldatei::leseHauptdatei(pfad, zurueck).ok);
        std::copy(zurueck.begin(), zurueck.end(), c->Daten.begin());
        QCOMPARE(Terminaldatei::hauptdateitext(*c), text);

        // LF alone and blanks or tabs around a number are read too.
        const QVector<int> w = werte();
        QVERIFY(Terminaldatei::parseHauptdatei(hauptdatei(w, "\n").replace(" 12 ", "\t12  "), zurueck).ok);
        QCOMPARE(zurueck[0], qint16(12));
        QCOMPARE(zurueck[2047], qint16(w[2047]));
    }

    void hauptdateiVerweigert_data()
    {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<QString>("erwartet");  // part of the message
        const QVector<int> w = werte();
        const auto ersetzt = [&](const char *durch) { return hauptdatei(w).replace(" 12 \r\n", durch); };
        QTest::newRow("empty") << QByteArray() << QStringLiteral("nur 0 von 2048");
        QTest::newRow("2047 lines") << hauptdatei(w.mid(0, 2047)) << QStringLiteral("nur 2047 von 2048");
        QVector<int> v = w;
        v[999] = 256;
        QTest::newRow("256") << hauptdatei(v) << QStringLiteral("Zeile 1000 (Speicherbyte 999): 256");
        QTest::newRow("word") << ersetzt(" zwoelf \r\n")
                              << QStringLiteral("Zeile 1 (Speicherbyte 0): „zwoelf“ ist keine Zahl");
        QTest::newRow("two numbers") << ersetzt(" 1 2 \r\n") << QStringLiteral("ist keine Zahl");
        QTest::newRow("huge") << ersetzt(" 99999999999999999999999 \r\n") << QStringLiteral("Zeile 1 (Speicherbyte 0)");
        QTest::newRow("blank line") << ersetzt(" 12 \r\n\r\n") << QStringLiteral("Zeile 2 (Speicherbyte 1) ist leer");
    }
    void hauptdateiVerweigert()
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
        QVERIFY2(e.meldung.contains(erwartet) && e.meldung.contains(QStringLiteral("F.S2D")), qPrintable(e.meldung));
        // Nothing of the image or its texts changed.
        QVERIFY(b->Daten == daten);
        QCOMPARE(b->Begleittext[2000], QStringLiteral("vorher 2000"));
        QCOMPARE(b->Dateiname, QStringLiteral("vorher.B2D"));
        QCOMPARE(b->Aenderungszaehler, qint16(5));
    }

    void begleittextKurzOderVoll_data()
    {
        QTest::addColumn<bool>("sondercode");
        QTest::addColumn<int>("zeilen");
        QTest::addColumn<bool>("angenommen");
        QTest::newRow("standard 2000") << false << 2000 << true;
        QTest::newRow("standard 1999") << false << 1999 << false;
        QTest::newRow("standard 5001") << false << 5001 << true;
        QTest::newRow("special 5000") << true << 5000 << true;
        QTest::newRow("special 4999") << true << 4999 << false;
    }
    void begleittextKurzOderVoll()
    {
        QFETCH(bool, sondercode);
        QFETCH(int, zeilen);
        QFETCH(bool, angenommen);
        QTemporaryDir dir;
        const QString pfad = dir.filePath(QStringLiteral("K.S2D"));
        schreibe(pfad, hauptdatei(werte(sondercode)));
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
        // Lines up to the limit are read; the rest keep their value.
        const int gelesen = qMin(zeilen, grenze + 1);
        QCOMPARE(b->Begleittext[0], QStringLiteral("zeile 0"));
        QCOMPARE(b->Begleittext[gelesen - 1], QStringLiteral("zeile %1").arg(gelesen - 1));
        QCOMPARE(b->Begleittext[gelesen], QStringLiteral("vorher %1").arg(gelesen));
    }

    void begleittextStandardInSondercode()
    {
        // A .B2D saved from a standard image (2001 lines) does not fit a
        // special-code image, which needs 5000 lines: all names are reset.
        QTemporaryDir dir;
        const QString basis = dir.filePath(QStringLiteral("W"));
        auto b = std::make_unique<Datenbild>();
        schreibe(basis + ".S2D", hauptdatei(werte()));
        QVERIFY(Terminaldatei::laden(*b, basis + ".S2D").ok);
        b->Begleittext[7] = QStringLiteral("Kommentar");
        QVERIFY(Terminaldatei::speichern(*b, basis, 1).ok);
        QCOMPARE(lies(basis + ".B2D").count("\r\n"), qsizetype(2001));

        schreibe(basis + ".S2D", hauptdatei(werte(true)));
        QVERIFY(Terminaldatei::laden(*b, basis + ".S2D").ok);
        QCOMPARE(b->Sondercode, qint16(1));
        QCOMPARE(b->Begleittext[7], Leerzeile);
    }

    void seitendateien_data()
    {
        QTest::addColumn<int>("zeilen");
        QTest::newRow("4999") << 4999;
        QTest::newRow("5000") << 5000;
    }
    void seitendateien()
    {
        QFETCH(int, zeilen);
        const bool angenommen = zeilen >= 5000;
        QTemporaryDir dir;
        const QString basis = dir.filePath(QStringLiteral("P"));
        schreibe(basis + ".V2D", textzeilen(zeilen, "vorname "));
        schreibe(basis + ".B3D", textzeilen(zeilen, "name "));
        auto b = std::make_unique<Datenbild>();
        b->Kundendaten[0][0][5000] = QStringLiteral("alt");
        Terminaldatei::ladeSeitendateien(*b, basis, 1);
        QCOMPARE(b->Kundendaten[0][0][4999], angenommen ? QStringLiteral("vorname 4999") : Leerzeile);
        QCOMPARE(b->Kundendaten[0][0][5000], angenommen ? QStringLiteral("alt") : Leerzeile);
        QVERIFY(QFile::exists(basis + ".T2D"));  // missing customer files are created empty
        Terminaldatei::ladeSeitendateien(*b, basis, 2);
        QCOMPARE(b->Seitennamen[0][1], angenommen ? QStringLiteral("name 1") : Leerzeile);

        // A page whose main file is missing is refused and changes nothing.
        schreibe(basis + ".S2D", hauptdatei(werte(true)));
        QVERIFY(Terminaldatei::ladeSeite(*b, basis, 1).ok);
        const auto daten = b->Daten;
        const Dateiergebnis e = Terminaldatei::ladeSeite(*b, basis, 3);
        QVERIFY(!e.ok && e.meldung.contains(QStringLiteral("P.S4D")));
        QVERIFY(b->Daten == daten);
    }

    void begleittextKodierung()
    {
        QVector<QString> zeilen(Textobergrenze + 1, Leerzeile);
        zeilen[0] = QStringLiteral("Müller €");
        zeilen[1] = QStringLiteral("zwei\r\nZeilen");  // would shift every later line
        zeilen[2] = QString();
        QCOMPARE(Terminaldatei::begleittext(zeilen, 3), QByteArray("M\xFCller \x80\r\nzwei  Zeilen\r\n\r\n----------\r\n"));
    }

    void begleitzeileMitWagenruecklauf_data()
    {
        QTest::addColumn<QByteArray>("zeile");
        QTest::addColumn<QString>("gelesen");
        QTest::newRow("inside") << QByteArray("Tor\rNord\r\n") << QStringLiteral("Tor Nord");
        QTest::newRow("two before LF") << QByteArray("Tor\r\r\n") << QStringLiteral("Tor ");
        QTest::newRow("alone") << QByteArray("\r\r\n") << QStringLiteral(" ");
        QTest::newRow("last line") << QByteArray("Tor\r") << QStringLiteral("Tor");
    }
    void begleitzeileMitWagenruecklauf()
    {
        QFETCH(QByteArray, zeile);
        QFETCH(QString, gelesen);
        QTemporaryDir dir;
        const QString pfad = dir.filePath(QStringLiteral("K.B2D"));
        schreibe(pfad, "vorher\r\n" + zeile);
        QVector<QString> z(Textobergrenze + 1, Leerzeile);
        QCOMPARE(Terminaldatei::leseBegleitdatei(pfad, z, Textobergrenze, 0, Terminaldatei::Ablage::NurLesen), 2);
        QCOMPARE(z[0], QStringLiteral("vorher"));
        QCOMPARE(z[1], gelesen);
        // Written back, the line reads the same and the lines after it stay put.
        QCOMPARE(Terminaldatei::begleittext(z, 1), "vorher\r\n" + gelesen.toLatin1() + "\r\n");
    }

    void speichernSeite3NurS4D()
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
        QCOMPARE(dateien(dir), 2);
        QCOMPARE(b->Aenderungszaehler, qint16(0));
    }

    void speichernUnter()
    {
        QTemporaryDir dir;
        auto b = bildMitMuster();
        b->Begleittextgrenze = 5000;
        const QString ziel = dir.filePath(QStringLiteral("neu.S2D"));
        QVERIFY(Terminaldatei::speichernUnter(*b, ziel).ok);
        QCOMPARE(lies(ziel), Terminaldatei::hauptdateitext(*b));
        QCOMPARE(lies(dir.filePath(QStringLiteral("neu.B2D"))).count("\r\n"), qsizetype(5001));
        QCOMPARE(dateien(dir), 2);  // customer data does not move with it

        // A name without an extension would cut the companion name out of
        // the folder part; it is refused before anything is written.
        b->Aenderungszaehler = 3;
        QVERIFY(!Terminaldatei::speichernUnter(*b, dir.filePath(QStringLiteral("ab"))).ok);
        QCOMPARE(b->Aenderungszaehler, qint16(3));
        QCOMPARE(dateien(dir), 2);
    }

    void kundendatenSpeichern()
    {
        QTemporaryDir dir;
        const QString basis = dir.filePath(QStringLiteral("K"));
        auto b = bildMitMuster();
        b->Seitennamen[0][9] = QStringLiteral("Gärtner");
        b->Kundendaten[1][1][9] = QStringLiteral("12345");
        QVERIFY(Terminaldatei::speichereKundendaten(*b, basis, 2).ok);
        QCOMPARE(b->Dateiname, basis + ".B2D");
        const QStringList erwartet = {"K.B3D", "K.M3D", "K.O3D", "K.P3D", "K.R3D", "K.T3D", "K.V3D"};
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name), erwartet);
        for (const QString &f : erwartet)
            QCOMPARE(lies(dir.filePath(f)).count("\r\n"), qsizetype(5001));
        QVERIFY(lies(basis + ".B3D").contains("\r\nG\xE4rtner\r\n") && lies(basis + ".P3D").contains("\r\n12345\r\n"));
        // Page 1: the six customer files only; the names are the .B2D of Save.
        QVERIFY(Terminaldatei::speichereKundendaten(*b, basis, 1).ok);
        QVERIFY(!QFile::exists(basis + ".B2D"));
        QCOMPARE(dateien(dir), 13);
    }

    void speichernBeiVollerPlatte()
    {
        // A file size limit makes every write beyond 4 KB fail as a full disk
        // would (also for root).
        QTemporaryDir dir;
        const QString basis = dir.filePath(QStringLiteral("D"));
        const QByteArray alt = hauptdatei(werte());
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
        QCOMPARE(dateien(dir), 2);  // no temporary file is left behind
    }

    // Files that are not what their name says: the program must answer at
    // once with a message, never hang on a FIFO or read a device forever.
    void keineGewoehnlicheDatei_data()
    {
        QTest::addColumn<QString>("art");
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("Link auf /dev/zero") << "zero";
        QTest::newRow("Ordner") << "ordner";
    }
    void keineGewoehnlicheDatei()
    {
        QFETCH(QString, art);
        QTemporaryDir dir;
        const QString haupt = dir.filePath(QStringLiteral("X.S2D"));
        if (art == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(haupt).constData(), 0600), 0);
        else if (art == "zero")
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), haupt));
        else
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("X.S2D")));
        Terminaldatei::Speicherbytes ziel{};
        ziel[3] = 77;
        const Dateiergebnis e = Terminaldatei::leseHauptdatei(haupt, ziel);
        QVERIFY(!e.ok);
        QVERIFY2(e.meldung.contains(QStringLiteral("X.S2D")), qPrintable(e.meldung));
        QCOMPARE(ziel[3], qint16(77));
    }

    void begleitdateiAlsFifoZaehltAlsFehlend()
    {
        QTemporaryDir dir;
        const QString b2d = dir.filePath(QStringLiteral("X.B2D"));
        QCOMPARE(::mkfifo(QFile::encodeName(b2d).constData(), 0600), 0);
        QVector<QString> ziel(Textobergrenze + 1, QStringLiteral("alt"));
        QCOMPARE(Terminaldatei::leseBegleitdatei(b2d, ziel, 2000, 2000), 0);
        QCOMPARE(ziel[0], Leerzeile);
        QCOMPARE(QFileInfo(b2d).isFile(), false);  // still the FIFO, nothing created over it
    }

    // A companion file that is missing is created empty, but never through
    // a link someone planted at its name.
    void fehlendeBegleitdateiNichtDurchEinenLink()
    {
        QTemporaryDir dir;
        const QString fremd = dir.filePath(QStringLiteral("fremd.txt"));
        const QString b2d = dir.filePath(QStringLiteral("X.B2D"));
        QVERIFY(QFile::link(fremd, b2d));  // dangling
        QVector<QString> ziel(Textobergrenze + 1);
        Terminaldatei::leseBegleitdatei(b2d, ziel, 2000, 2000);
        QVERIFY(!QFile::exists(fremd));
    }

    // Saving replaces the name, not the file a planted link points to.
    void speichernFolgtKeinemLink()
    {
        QTemporaryDir dir;
        const QString fremd = dir.filePath(QStringLiteral("fremd.txt"));
        schreibe(fremd, "nicht anfassen\n");
        const QString haupt = dir.filePath(QStringLiteral("T.S2D"));
        QVERIFY(QFile::link(fremd, haupt));
        auto b = bildMitMuster();
        QVERIFY(Terminaldatei::schreibeHauptdatei(*b, haupt).ok);
        QCOMPARE(lies(fremd), QByteArray("nicht anfassen\n"));
        QVERIFY(!QFileInfo(haupt).isSymLink());
        QCOMPARE(lies(haupt), Terminaldatei::hauptdateitext(*b));
    }

    void speichernBehaeltRechte()
    {
        QTemporaryDir dir;
        const QString haupt = dir.filePath(QStringLiteral("T.S2D"));
        schreibe(haupt, "x");
        QVERIFY(QFile::setPermissions(haupt, QFile::ReadOwner | QFile::WriteOwner));
        auto b = bildMitMuster();
        QVERIFY(Terminaldatei::schreibeHauptdatei(*b, haupt).ok);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(haupt).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0600);
        QCOMPARE(lies(haupt), Terminaldatei::hauptdateitext(*b));
    }

    // The one writer replaces regular files and links (as names) only.
    void ersetzenNurGewoehnlicheDateien_data()
    {
        QTest::addColumn<QString>("art");
        QTest::addColumn<int>("fehler");
        QTest::newRow("new file") << "neu" << int(Dateiersatz::Fehlerart::Keiner);
        QTest::newRow("link") << "link" << int(Dateiersatz::Fehlerart::Keiner);
        QTest::newRow("dangling link") << "toterLink" << int(Dateiersatz::Fehlerart::Keiner);
        QTest::newRow("FIFO") << "fifo" << int(Dateiersatz::Fehlerart::KeineDatei);
        QTest::newRow("folder") << "ordner" << int(Dateiersatz::Fehlerart::KeineDatei);
        QTest::newRow("read-only file") << "schreibgeschuetzt" << int(Dateiersatz::Fehlerart::Schreibgeschuetzt);
    }
    void ersetzenNurGewoehnlicheDateien()
    {
        QFETCH(QString, art);
        QFETCH(int, fehler);
        QTemporaryDir dir;
        const QString ziel = dir.filePath(QStringLiteral("ziel"));
        const QByteArray name = QFile::encodeName(ziel);
        const QString opfer = dir.filePath(QStringLiteral("opfer"));
        schreibe(opfer, "bleibt");
        if (art == "link")
            QVERIFY(QFile::link(opfer, ziel));
        else if (art == "toterLink")
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("nichts")), ziel));
        else if (art == "fifo")
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        else if (art == "ordner")
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ziel")));
        else if (art == "schreibgeschuetzt") {
            schreibe(ziel, "alt");
            QVERIFY(QFile::setPermissions(ziel, QFile::ReadOwner | QFile::ReadGroup));
        }
        Dateiersatz::Schreibfehler f;
        const bool ok = Dateiersatz::ersetze(ziel, "neu", &f);
        QCOMPARE(int(f.art), fehler);
        QCOMPARE(ok, fehler == int(Dateiersatz::Fehlerart::Keiner));
        QCOMPARE(lies(opfer), QByteArray("bleibt"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("nichts"))));
        struct stat st {};
        QCOMPARE(::lstat(name.constData(), &st), 0);
        if (ok) {
            QVERIFY(S_ISREG(st.st_mode));
            QCOMPARE(lies(ziel), QByteArray("neu"));
        } else {
            QVERIFY2(f.text().contains(ziel), qPrintable(f.text()));
            QVERIFY(art != "fifo" || S_ISFIFO(st.st_mode));
            QVERIFY(art != "ordner" || S_ISDIR(st.st_mode));
            QVERIFY(art != "schreibgeschuetzt" || lies(ziel) == "alt");
        }
        // Nothing but the two names is left in the folder.
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System).size(), 2);
    }

    // Save writes the main file and the .B2D together or not at all.
    void speichernAllesOderNichts_data()
    {
        QTest::addColumn<QString>("art");
        QTest::newRow("B2D is a folder") << "ordner";
        QTest::newRow("B2D is read-only") << "schreibgeschuetzt";
        QTest::newRow("disk full at the B2D") << "voll";
    }
    void speichernAllesOderNichts()
    {
        QFETCH(QString, art);
        QTemporaryDir dir;
        const QString basis = dir.filePath(QStringLiteral("A"));
        const QByteArray alt = hauptdatei(werte());
        schreibe(basis + ".S2D", alt);
        if (art == "ordner") {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("A.B2D")));
        } else {
            schreibe(basis + ".B2D", textzeilen(2001));
            if (art == "schreibgeschuetzt")
                QVERIFY(QFile::setPermissions(basis + ".B2D", QFile::ReadOwner));
        }
        auto b = bildMitMuster();
        b->Begleittextgrenze = 2000;
        Dateiergebnis e;
        {
            // The main file (about 12 KB) fits, the .B2D (2001 lines) does not.
            const Dateigrenze grenze(art == "voll" ? 16000 : RLIM_INFINITY);
            e = Terminaldatei::speichern(*b, basis, 1);
        }
        QVERIFY(!e.ok);
        QVERIFY2(e.meldung.contains(QStringLiteral("A.B2D")), qPrintable(e.meldung));
        QCOMPARE(lies(basis + ".S2D"), alt);
        QCOMPARE(b->Aenderungszaehler, qint16(5));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2);
    }

    // A .B2D that loading discards (too few lines) but that holds comments
    // is only saved over after a question, and a copy of it is kept.
    void speichernFragtVorVerworfenerBegleitdatei()
    {
        QTemporaryDir dir;
        const QString basis = dir.filePath(QStringLiteral("K"));
        schreibe(basis + ".S2D", hauptdatei(werte()));
        const QByteArray kurz = textzeilen(1999, "Kommentar ");
        schreibe(basis + ".B2D", kurz);
        Zustand z;
        z.Sprache = 1000;
        QVERIFY(Terminaldatei::laden(z.bild, basis + ".S2D").ok);
        QCOMPARE(z.bild.Begleittext[5], Leerzeile);
        MeldungAufnahme m;
        m.antworte(Meldung::Nein);
        QVERIFY(!Dateiablauf::speichern(z, m, basis, 1));
        QCOMPARE(m.textnummern(), QList<int>{669});
        QVERIFY2(m.eintraege().at(0).text.contains(QStringLiteral("K.B2D.bak")) &&
                     m.eintraege().at(0).text.contains(QStringLiteral("too few lines")),
                 qPrintable(m.eintraege().at(0).text));
        QCOMPARE(lies(basis + ".B2D"), kurz);
        QVERIFY(!QFile::exists(basis + ".B2D.bak"));

        m.leeren();
        m.antworte(Meldung::Ja);
        QVERIFY(Dateiablauf::speichern(z, m, basis, 1));
        QCOMPARE(m.textnummern(), QList<int>{669});
        QCOMPARE(lies(basis + ".B2D.bak"), kurz);
        QCOMPARE(lies(basis + ".B2D").count("\r\n"), qsizetype(2001));
        // Saved whole: the next Save asks nothing.
        m.leeren();
        QVERIFY(Dateiablauf::speichern(z, m, basis, 1));
        QVERIFY(m.eintraege().isEmpty());
    }

    // Which customer files of a page loading discards although they hold
    // something: those are the ones a save must not write over silently.
    void verworfeneKundendateien()
    {
        QTemporaryDir dir;
        const QString basis = dir.filePath(QStringLiteral("V"));
        schreibe(basis + ".B3D", textzeilen(4999));  // short: discarded
        schreibe(basis + ".V3D", textzeilen(5000));  // enough
        schreibe(basis + ".P3D", QByteArray());      // empty: nothing to lose
        schreibe(basis + ".O3D", "eine Zeile ohne Ende");
        auto b = bildMitMuster();
        const QVector<Terminaldatei::Satzteil> teile = Terminaldatei::kundendatenteile(*b, basis, 2);
        QCOMPARE(teile.size(), 7);
        QCOMPARE(Terminaldatei::verworfeneDateien(teile), (QStringList{basis + ".B3D", basis + ".O3D"}));
        QVERIFY(Terminaldatei::speichereKundendaten(*b, basis, 2).ok);
        QCOMPARE(lies(basis + ".B3D.bak"), textzeilen(4999));
        QCOMPARE(lies(basis + ".O3D.bak"), QByteArray("eine Zeile ohne Ende"));
        QVERIFY(!QFile::exists(basis + ".V3D.bak") && !QFile::exists(basis + ".P3D.bak"));
        QVERIFY(Terminaldatei::verworfeneDateien(teile).isEmpty());
    }

    // A read-out leaves its main file and drops the page's old names in
    // one step; when the main file cannot be written the names stay.
    void auslesungMitNamensdatei()
    {
        QTemporaryDir dir;
        const QString haupt = dir.filePath(QStringLiteral("R.S2D"));
        schreibe(dir.filePath(QStringLiteral("R.B2D")), "alte Namen\r\n");
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("R.S2D")));
        auto b = bildMitMuster();
        QVERIFY(!Terminaldatei::schreibeAuslesung(*b, haupt, true).ok);
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("R.B2D"))));
        QVERIFY(QDir(dir.path()).rmdir(QStringLiteral("R.S2D")));
        QVERIFY(Terminaldatei::schreibeAuslesung(*b, haupt, true).ok);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("R.B2D"))));
        QCOMPARE(lies(haupt), Terminaldatei::hauptdateitext(*b));
    }

    void hauptdateiMitByteOrderMark()
    {
        QByteArray text = "\xEF\xBB\xBF" + hauptdatei(werte());
        Terminaldatei::Speicherbytes ziel{};
        QVERIFY(Terminaldatei::parseHauptdatei(text, ziel).ok);
        QCOMPARE(int(ziel[0]), werte()[0]);
        QCOMPARE(int(ziel[2047]), werte()[2047]);
    }

    void mehrAls2048Zahlen()
    {
        Terminaldatei::Speicherbytes ziel{};
        ziel[0] = 99;
        QByteArray text = hauptdatei(werte()) + " 5 \r\n";
        const Dateiergebnis e = Terminaldatei::parseHauptdatei(text, ziel);
        QVERIFY(!e.ok);
        QVERIFY2(e.meldung.contains(QStringLiteral("Zeile 2049")), qPrintable(e.meldung));
        QCOMPARE(ziel[0], qint16(99));
        // Blank lines after the last number are no fault.
        QVERIFY(Terminaldatei::parseHauptdatei(hauptdatei(werte()) + "\r\n  \r\n", ziel).ok);
    }
};

PORTAVO_TESTKLASSE(TstTerminaldatei)
#include "tst_terminaldatei.moc"
