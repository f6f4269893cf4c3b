// The settings file, the folders and port map, the four-language text table, Windows-1252.
#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "support/Dateigrenze.h"
#include "support/Testhilfe.h"
#include "base/Ansi.h"
#include "base/Einstellungsdatei.h"
#include "base/Pfade.h"

#include <QTest>

#include <numeric>

class TstGrundlagen : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // The settings file with that content ("-": none), or what legeAn() puts there.
    QString datei(const QByteArray &inhalt)
    {
        const QString pfad = m_dir.filePath(QStringLiteral("Portavomodem.ini"));
        QFile::remove(pfad);
        if (inhalt != "-")
            inhalt == "fifo" || inhalt == "zero" ? legeAn(QString::fromLatin1(inhalt), pfad) : schreib(pfad, inhalt);
        return pfad;
    }

private slots:
    // Start-up takes every usable line and the default of each other one.
    void einstellungenLesen_data()
    {
        using S = Einstellungsdatei::Stand;
        using B = QByteArray;
        const int gut = int(S::Gelesen), kaputt = int(S::Beschaedigt);
        spalten<QByteArray, int, QStringList>("inhalt", "stand", "soll");  // line settings|port|modem 1|modem 2|language
        const auto zeilen = [](const char *text) { return QString::fromLatin1(text).split('|'); };
        const QStringList standard = zeilen("19200,n,8,1|1|0||0");
        QTest::newRow("whole") << B("9600,e,7,2\r\n 12 \r\n1\r\n0049\r\n 3000 \r\n") << gut << zeilen("9600,e,7,2|12|1|0049| 3000 ");
        QTest::newRow("LF, empty line 4") << B("19200,n,8,1\n3\n0\n\n1000\n") << gut << zeilen("19200,n,8,1|3|0||1000");
        QTest::newRow("port 0") << B("19200,n,8,1\r\n0\r\n1\r\n0049\r\n2000\r\n") << kaputt << zeilen("19200,n,8,1|1|1|0049|2000");
        for (const char *port : {"17", "COM1"})
            QTest::newRow(port) << "19200,n,8,1\r\n" + B(port) + "\r\n0\r\n\r\n0\r\n" << kaputt << standard;
        QTest::newRow("language 500") << B("19200,n,8,1\r\n 7 \r\n1\r\n0049\r\n500\r\n") << kaputt << zeilen("19200,n,8,1|7|1|0049|0");
        QTest::newRow("four lines") << B("2400,n,8,1\n 7 \n1\n0049") << kaputt << zeilen("2400,n,8,1|7|1|0049|0");
        QTest::newRow("empty") << B() << kaputt << standard;
        QTest::newRow("missing") << B("-") << int(S::Fehlt) << standard;
        for (const char *art : {"fifo", "zero"})  // a FIFO, a link to /dev/zero
            QTest::newRow(art) << B(art) << int(S::Unlesbar) << standard;
        QTest::newRow("200 KiB") << B("19200,n,8,1\r\n1\r\n0\r\n\r\n0\r\n") + B(200 * 1024, ' ') << int(S::Unlesbar) << standard;
    }
    void einstellungenLesen()
    {
        const auto [inhalt, stand, soll] = werte<QByteArray, int, QStringList>("inhalt", "stand", "soll");
        const QString pfad = datei(inhalt);
        const auto liste = [](const Einstellungen &e) {
            return QStringList{e.Leitung, QString::number(e.Portnummer), e.ModemText1, e.ModemText2, e.SpracheText};
        };
        const auto s = Einstellungsdatei::lesenSoweitMoeglich(pfad);
        QVERIFY(int(s.stand) == stand && liste(s.werte) == soll);
        const auto e = Einstellungsdatei::lesen(pfad);
        Zustand z;
        QCOMPARE(e.has_value(), stand == int(Einstellungsdatei::Stand::Gelesen));
        QVERIFY(!e || (Einstellungsdatei::uebernehmen(z, *e), liste(*e) == soll && z.sprache.versatz == soll[4].trimmed().toInt()));
    }

    // A new file in Windows-1252; a write failing as on a full disk leaves the old file whole.
    void einstellungenSchreiben()
    {
        const QString pfad = datei("2400,n,8,1\r\n 2 \r\n1\r\n0\r\n0\r\n");
        Zustand z;
        z.einstellungen.modemText1 = QStringLiteral("1"), z.einstellungen.modemText2 = QStringLiteral("Büro €");
        z.sprache.dateiwert = QStringLiteral("3000");
        QVERIFY(Einstellungsdatei::schreibe(pfad, z, 5) && lies(pfad) == "19200,n,8,1\r\n 5 \r\n1\r\nB\xfcro \x80\r\n3000\r\n");
        QCOMPARE(Einstellungsdatei::lesen(pfad)->ModemText2, QStringLiteral("Büro €"));
        QVERIFY(Einstellungsdatei::schreibeStandard(pfad) && lies(pfad) == "19200,n,8,1\r\n1\r\n0\r\n\r\n0\r\n");
        const QByteArray alt = lies(pfad);
        QVERIFY(!Dateigrenze::unter(16, [&] {
            return Einstellungsdatei::schreibe(pfad, z, 9) || Einstellungsdatei::setzePortnummer(pfad, z, 3);
        }));
        QCOMPARE(lies(pfad), alt);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Portavomodem.ini"});
    }

    // Language and port selection change their own line and leave every other byte alone.
    void nurDieGeaenderteZeile_data()
    {
        // sprache: else the port number; nachher: empty: refused, the FIFO stays
        spalten<QByteArray, bool, int, QByteArray>("vorher", "sprache", "wert", "nachher");
        QTest::newRow("language") << QByteArray("9600,n,8,1\r\n 3 \r\n1\r\n0049\r\n0\r\n") << true << 2000
                                  << QByteArray("9600,n,8,1\r\n 3 \r\n1\r\n0049\r\n2000\r\n");
        QTest::newRow("port, LF, further lines") << QByteArray("19200,n,8,1\n7\n1\nB\xfcro\n1000\nNotiz \x80\n") << false << 12
                                                 << QByteArray("19200,n,8,1\n 12 \n1\nB\xfcro\n1000\nNotiz \x80\n");
        QTest::newRow("language unchanged") << QByteArray("2400,n,8,1\r\n5\r\n1\r\n\r\n 1000\r\n") << true << 1000
                                            << QByteArray("2400,n,8,1\r\n5\r\n1\r\n\r\n 1000\r\n");
        QTest::newRow("damaged port line kept") << QByteArray("19200,n,8,1\r\nCOM1\r\n1\r\n0049\r\n0\r\n") << true << 3000
                                                << QByteArray("19200,n,8,1\r\nCOM1\r\n1\r\n0049\r\n3000\r\n");
        QTest::newRow("three lines, no last end") << QByteArray("19200,n,8,1\r\n 4 \r\n1") << true << 3000
                                                  << QByteArray("19200,n,8,1\r\n 4 \r\n1\r\nX2\r\n3000\r\n");
        QTest::newRow("no file") << QByteArray("-") << true << 2000 << QByteArray("19200,n,8,1\r\n 9 \r\nX1\r\nX2\r\n2000\r\n");
        for (const bool sprache : {true, false})
            QTest::addRow("FIFO, %s", sprache ? "language" : "port") << QByteArray("fifo") << sprache << 2000 << QByteArray();
    }
    void nurDieGeaenderteZeile()
    {
        const auto [vorher, sprache, wert, nachher] = werte<QByteArray, bool, int, QByteArray>("vorher", "sprache", "wert", "nachher");
        const QString pfad = datei(vorher);
        Zustand z;
        z.einstellungen.modemText1 = QStringLiteral("X1"), z.einstellungen.modemText2 = QStringLiteral("X2");
        z.sprache.dateiwert = sprache ? QString::number(wert) : QStringLiteral("1000");
        const bool ok = sprache ? Einstellungsdatei::setzeSprache(pfad, z, 9) : Einstellungsdatei::setzePortnummer(pfad, z, wert);
        QCOMPARE(ok, !nachher.isEmpty());
        QVERIFY(ok ? lies(pfad) == nachher : QFileInfo(pfad).exists() && !QFileInfo(pfad).isFile());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden), QStringList{"Portavomodem.ini"});
    }

    void portkarte()
    {
        qputenv("PORTAVO_HOME", m_dir.filePath(QStringLiteral("home")).toUtf8());
        QCOMPARE(Pfade::geraet(16) + '|' + Pfade::geraet(17), QStringLiteral("/dev/ttyS7|"));
        QVERIFY(QFile::exists(Pfade::portsDatei()) && schreib(Pfade::portsDatei(), "/tmp/pts-demo\r\n\r\n"));
        QCOMPARE(Pfade::geraet(1) + '|' + Pfade::geraet(2), QStringLiteral("/tmp/pts-demo|/dev/ttyUSB1"));  // empty line: default
        QCOMPARE(Pfade::einstellungsdatei(), m_dir.filePath(QStringLiteral("home/Portavomodem.ini")));
    }

    // Both programs share one settings folder; files kept one folder deeper before are carried
    // over, even when the modem port's settings already stand in the new folder.
    void ordnerUnabhaengigVomProgrammnamen()
    {
        const QByteArray alteHeimat = qgetenv("PORTAVO_HOME");
        const QString vorher = QCoreApplication::applicationName();
        for (const QString programm : {"portavo", "portavo-cli"}) {
            QTemporaryDir xdg;
            qunsetenv("PORTAVO_HOME");
            qputenv("XDG_CONFIG_HOME", xdg.filePath(QStringLiteral("config")).toUtf8());
            qputenv("XDG_DATA_HOME", xdg.filePath(QStringLiteral("data")).toUtf8());
            QCoreApplication::setApplicationName(programm);
            const QString alt = xdg.filePath(QStringLiteral("config/portavo/portavo/Portavomodem.ini"));
            QVERIFY(QDir().mkpath(QFileInfo(alt).path()) && schreib(alt, "19200,n,8,1\r\n3\r\n")
                    && schreib(xdg.filePath(QStringLiteral("config/portavo/portavo.conf")), ""));
            const QString datei = Pfade::einstellungsdatei(), orte = Pfade::orteDatei();
            QCoreApplication::setApplicationName(vorher);
            qputenv("PORTAVO_HOME", alteHeimat);
            QVERIFY2(datei == xdg.filePath("config/portavo/Portavomodem.ini") && orte == xdg.filePath("data/portavo/orte.dat"),
                     qPrintable(programm));
            QVERIFY(lies(datei) == "19200,n,8,1\r\n3\r\n" && lies(alt) == "19200,n,8,1\r\n3\r\n");
        }
    }

    // The German texts letter for letter (trailing blanks included); every text in all four languages.
    void texttabelle()
    {
        QFile datei(QStringLiteral(TESTDATA "/deutsche_texte.tsv"));
        QVERIFY2(datei.open(QIODevice::ReadOnly), qPrintable(datei.fileName()));
        int zeilen = 0;
        for (const QByteArray &zeile : datei.readAll().split('\n')) {
            const int tab = int(zeile.indexOf('\t'));
            if (tab > 0 && ++zeilen)
                QCOMPARE(Texttabelle::text(zeile.left(tab).toInt()), QString::fromUtf8(zeile.mid(tab + 1)));
        }
        QCOMPARE(zeilen, 235);  // guards against a truncated copy of the list
        for (int nr = 101; nr < 1000; ++nr)
            for (int sprache : {1000, 2000, 3000})
                QVERIFY2(Texttabelle::vorhanden(nr) == Texttabelle::vorhanden(nr + sprache)
                             && Texttabelle::text(nr + sprache).isEmpty() == Texttabelle::text(nr).isEmpty(),
                         qPrintable(QString::number(nr + sprache)));
        // A window's slice in its language; an offset that is no language gives German.
        Zustand z;
        z.sprache.texte.fill(QStringLiteral("frei")), z.sprache.versatz = 2000;
        Texttabelle::ladeTexte(z, 183, 197);
        const auto &t = z.sprache.texte;
        QVERIFY(t.at(182) == "frei" && t.at(183) == Texttabelle::text(2183) && t.at(197) == Texttabelle::text(2197) && t.at(198) == "frei");
        for (qint16 kaputt : {qint16(500), qint16(4000), qint16(-1000)}) {
            z.sprache.versatz = kaputt;
            Texttabelle::ladeTexte(z, 190, 190);
            QCOMPARE(t.at(190), Texttabelle::text(190));
        }
        // Windows-1252 both ways for every byte, '?' for what it lacks.
        QByteArray alle(256, 0);
        std::iota(alle.begin(), alle.end(), char(0));
        QVERIFY(Ansi::kodieren(Ansi::dekodieren(alle)) == alle && Ansi::kodieren(QStringLiteral("€\u4e2d")) == "\x80?");
    }
};

PORTAVO_TESTKLASSE(TstGrundlagen)
#include "tst_grundlagen.moc"
