// Settings file, port map and the Windows-1252 text conversion.
#include "support/Testlauf.h"
#include "base/Ansi.h"
#include "base/Einstellungsdatei.h"
#include "base/Pfade.h"
#include "base/Zustand.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

class tst_Einstellungen : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString datei(const QByteArray &inhalt = {}, const char *name = "Portavomodem.ini")
    {
        const QString pfad = m_dir.filePath(QLatin1String(name));
        QFile f(pfad);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(inhalt) != inhalt.size())
            qFatal("cannot write %s", name);
        return pfad;
    }

    static QByteArray lies(const QString &pfad)
    {
        QFile f(pfad);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void liestAlleFuenfZeilen()
    {
        auto e = Einstellungsdatei::lesen(datei("9600,e,7,2\r\n 12 \r\n1\r\n0049\r\n2000\r\n"));
        QVERIFY(e.has_value());
        QCOMPARE(e->Leitung, QStringLiteral("9600,e,7,2"));
        QCOMPARE(e->Portnummer, 12);
        QCOMPARE(e->ModemText1, QStringLiteral("1"));
        QCOMPARE(e->ModemText2, QStringLiteral("0049"));
        QCOMPARE(e->SpracheText, QStringLiteral("2000"));
        Zustand z;
        Einstellungsdatei::uebernehmen(z, *e);
        QCOMPARE(z.Sprache, qint16(2000));
        QCOMPARE(z.Portnummer, qint16(12));

        // LF alone and an empty line 4 are read as well.
        e = Einstellungsdatei::lesen(datei("19200,n,8,1\n3\n0\n\n1000\n"));
        QVERIFY(e.has_value());
        QCOMPARE(e->ModemText2, QString());
        QCOMPARE(e->SpracheText, QStringLiteral("1000"));
    }

    void unbrauchbareDateienGeltenAlsFehlend_data()
    {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::newRow("four lines") << QByteArray("19200,n,8,1\r\n1\r\n0\r\n\r\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("port 0") << QByteArray("19200,n,8,1\r\n0\r\n0\r\n\r\n0\r\n");
        QTest::newRow("port 17") << QByteArray("19200,n,8,1\r\n17\r\n0\r\n\r\n0\r\n");
        QTest::newRow("port text") << QByteArray("19200,n,8,1\r\nCOM1\r\n0\r\n\r\n0\r\n");
        QTest::newRow("language 500") << QByteArray("19200,n,8,1\r\n1\r\n0\r\n\r\n500\r\n");
    }
    void unbrauchbareDateienGeltenAlsFehlend()
    {
        QFETCH(QByteArray, inhalt);
        QVERIFY(!Einstellungsdatei::lesen(datei(inhalt)).has_value());
        QVERIFY(!Einstellungsdatei::lesen(m_dir.filePath(QStringLiteral("fehlt.ini"))).has_value());
    }

    // A FIFO or a link to a device in place of the settings file or the
    // port map: no hang, no endless read; the file counts as unusable.
    void sonderdateienGeltenAlsFehlend()
    {
        QTemporaryDir eigen;
        const QString fifo = eigen.filePath(QStringLiteral("fifo.ini"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(!Einstellungsdatei::lesen(fifo).has_value());
        const QString null = eigen.filePath(QStringLiteral("zero.ini"));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), null));
        QVERIFY(!Einstellungsdatei::lesen(null).has_value());
        // A settings file needs five short lines; megabytes are no such file.
        QVERIFY(!Einstellungsdatei::lesen(datei(QByteArray("19200,n,8,1\r\n1\r\n0\r\n\r\n0\r\n")
                                                + QByteArray(200 * 1024, ' ')))
                     .has_value());
    }

    void schreibtFuenfZeilen()
    {
        // Whatever line 1 held, the writer puts the constant back; text in
        // Windows-1252.
        const QString pfad = datei("2400,n,8,1\r\n 2 \r\n1\r\n0\r\n0\r\n");
        Zustand z;
        z.ModemText1 = QStringLiteral("1");
        z.ModemText2 = QStringLiteral("Büro €");
        z.SpracheText = QStringLiteral("3000");
        QVERIFY(Einstellungsdatei::schreibe(pfad, z, 5));
        QCOMPARE(lies(pfad), QByteArray("19200,n,8,1\r\n 5 \r\n1\r\nB\xfcro \x80\r\n3000\r\n"));
        const auto e = Einstellungsdatei::lesen(pfad);
        QVERIFY(e.has_value());
        QCOMPARE(e->Portnummer, 5);
        QCOMPARE(e->ModemText2, QStringLiteral("Büro €"));

        QVERIFY(Einstellungsdatei::schreibeStandard(pfad));
        QCOMPARE(lies(pfad), QByteArray("19200,n,8,1\r\n1\r\n0\r\n\r\n0\r\n"));
        QVERIFY(Einstellungsdatei::lesen(pfad).has_value());
    }

    // Start-up takes every usable line and the default of each other one.
    void liestSoweitMoeglich_data()
    {
        using S = Einstellungsdatei::Stand;
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<int>("stand");
        QTest::addColumn<QStringList>("werte");  // line settings, port, modem 1, modem 2, language
        QTest::newRow("whole") << QByteArray("9600,n,8,1\r\n 4 \r\n1\r\n0049\r\n 3000 \r\n") << int(S::Gelesen)
                               << QStringList{"9600,n,8,1", "4", "1", "0049", " 3000 "};
        QTest::newRow("port 0") << QByteArray("19200,n,8,1\r\n0\r\n1\r\n0049\r\n2000\r\n") << int(S::Beschaedigt)
                                << QStringList{"19200,n,8,1", "1", "1", "0049", "2000"};
        QTest::newRow("language 500") << QByteArray("19200,n,8,1\r\n 7 \r\n1\r\n0049\r\n500\r\n")
                                      << int(S::Beschaedigt) << QStringList{"19200,n,8,1", "7", "1", "0049", "0"};
        QTest::newRow("four lines") << QByteArray("2400,n,8,1\n 7 \n1\n0049") << int(S::Beschaedigt)
                                    << QStringList{"2400,n,8,1", "7", "1", "0049", "0"};
        QTest::newRow("empty") << QByteArray() << int(S::Beschaedigt)
                               << QStringList{"19200,n,8,1", "1", "0", "", "0"};
    }
    void liestSoweitMoeglich()
    {
        QFETCH(QByteArray, inhalt);
        QFETCH(int, stand);
        QFETCH(QStringList, werte);
        const auto s = Einstellungsdatei::lesenSoweitMoeglich(datei(inhalt));
        QCOMPARE(int(s.stand), stand);
        QCOMPARE((QStringList{s.werte.Leitung, QString::number(s.werte.Portnummer), s.werte.ModemText1,
                              s.werte.ModemText2, s.werte.SpracheText}),
                 werte);
        QCOMPARE(int(Einstellungsdatei::lesenSoweitMoeglich(m_dir.filePath(QStringLiteral("fehlt.ini"))).stand),
                 int(Einstellungsdatei::Stand::Fehlt));
    }

    // The language choice and the port selection change their own line and
    // leave every other byte of the file alone.
    void nurDieGeaenderteZeile_data()
    {
        QTest::addColumn<QByteArray>("vorher");  // "-" : no file
        QTest::addColumn<bool>("sprache");       // else the port number
        QTest::addColumn<int>("wert");
        QTest::addColumn<QByteArray>("nachher");
        QTest::newRow("language") << QByteArray("9600,n,8,1\r\n 3 \r\n1\r\n0049\r\n0\r\n") << true << 2000
                                  << QByteArray("9600,n,8,1\r\n 3 \r\n1\r\n0049\r\n2000\r\n");
        QTest::newRow("port, LF, further lines")
            << QByteArray("19200,n,8,1\n7\n1\nB\xfcro\n1000\nNotiz \x80\n") << false << 12
            << QByteArray("19200,n,8,1\n 12 \n1\nB\xfcro\n1000\nNotiz \x80\n");
        QTest::newRow("language unchanged") << QByteArray("2400,n,8,1\r\n5\r\n1\r\n\r\n 1000\r\n") << true << 1000
                                            << QByteArray("2400,n,8,1\r\n5\r\n1\r\n\r\n 1000\r\n");
        QTest::newRow("port unchanged") << QByteArray("2400,n,8,1\r\n3\r\n1\r\n\r\n0\r\n") << false << 3
                                        << QByteArray("2400,n,8,1\r\n3\r\n1\r\n\r\n0\r\n");
        QTest::newRow("damaged port line kept") << QByteArray("19200,n,8,1\r\nCOM1\r\n1\r\n0049\r\n0\r\n") << true
                                                << 3000
                                                << QByteArray("19200,n,8,1\r\nCOM1\r\n1\r\n0049\r\n3000\r\n");
        // Missing lines come from the program's values.
        QTest::newRow("three lines, no last end") << QByteArray("19200,n,8,1\r\n 4 \r\n1") << true << 3000
                                                  << QByteArray("19200,n,8,1\r\n 4 \r\n1\r\nX2\r\n3000\r\n");
        QTest::newRow("empty file") << QByteArray() << false << 5
                                    << QByteArray("19200,n,8,1\r\n 5 \r\nX1\r\nX2\r\n1000\r\n");
        QTest::newRow("no file") << QByteArray("-") << true << 2000
                                 << QByteArray("19200,n,8,1\r\n 9 \r\nX1\r\nX2\r\n2000\r\n");
    }
    void nurDieGeaenderteZeile()
    {
        QFETCH(QByteArray, vorher);
        QFETCH(bool, sprache);
        QFETCH(int, wert);
        QFETCH(QByteArray, nachher);
        QString pfad = m_dir.filePath(QStringLiteral("Portavomodem.ini"));
        QFile::remove(pfad);
        if (vorher != "-")
            pfad = datei(vorher);
        Zustand z;
        z.ModemText1 = QStringLiteral("X1");
        z.ModemText2 = QStringLiteral("X2");
        z.SpracheText = sprache ? QString::number(wert) : QStringLiteral("1000");
        QVERIFY(sprache ? Einstellungsdatei::setzeSprache(pfad, z, 9) : Einstellungsdatei::setzePortnummer(pfad, z, wert));
        QCOMPARE(lies(pfad), nachher);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"Portavomodem.ini"});
    }

    // A FIFO in place of the settings file is neither read nor replaced.
    void unlesbareDateiBleibt()
    {
        QTemporaryDir eigen;
        const QString fifo = eigen.filePath(QStringLiteral("Portavomodem.ini"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(int(Einstellungsdatei::lesenSoweitMoeglich(fifo).stand), int(Einstellungsdatei::Stand::Unlesbar));
        Zustand z;
        QVERIFY(!Einstellungsdatei::setzeSprache(fifo, z, 1));
        QVERIFY(!Einstellungsdatei::setzePortnummer(fifo, z, 2));
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(fifo).constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    }

    void fehlgeschlagenesSchreibenLaesstDieDatei()
    {
        // A file size limit of 16 bytes makes the write fail as a full disk
        // would (also for root, whom folder permissions do not stop).
        const QByteArray alt("19200,n,8,1\r\n 4 \r\n0\r\n\r\n1000\r\n");
        const QString pfad = datei(alt);
        rlimit vorher{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &vorher), 0);
        const auto altesSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit eng = vorher;
        eng.rlim_cur = 16;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &eng), 0);
        const bool ok = Einstellungsdatei::schreibe(pfad, Zustand(), 9);
        setrlimit(RLIMIT_FSIZE, &vorher);
        std::signal(SIGXFSZ, altesSignal);
        QVERIFY(!ok);
        QCOMPARE(lies(pfad), alt);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"Portavomodem.ini"});
    }

    void ansiRundreise()
    {
        QByteArray alle;
        for (int i = 0; i < 256; ++i)
            alle.append(char(i));
        QCOMPARE(Ansi::kodieren(Ansi::dekodieren(alle)), alle);
        QCOMPARE(Ansi::code(QChar(0x20AC)), 0x80);
        QCOMPARE(Ansi::code(QChar(u'ß')), 223);
        QCOMPARE(Ansi::kodieren(QStringLiteral("\u4e2d")), QByteArray("?"));
    }

    void portkarte()
    {
        qputenv("PORTAVO_HOME", m_dir.filePath(QStringLiteral("home")).toUtf8());
        QCOMPARE(Pfade::geraet(1), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(Pfade::geraet(5), QStringLiteral("/dev/ttyACM0"));
        QCOMPARE(Pfade::geraet(16), QStringLiteral("/dev/ttyS7"));
        QCOMPARE(Pfade::geraet(17), QString());
        QFile karte(Pfade::portsDatei());
        QVERIFY(karte.exists());
        QVERIFY(karte.open(QIODevice::WriteOnly | QIODevice::Truncate));
        karte.write("/tmp/pts-demo\r\n\r\n");
        karte.close();
        QCOMPARE(Pfade::geraet(1), QStringLiteral("/tmp/pts-demo"));
        QCOMPARE(Pfade::geraet(2), QStringLiteral("/dev/ttyUSB1"));  // empty line: default
        QCOMPARE(Pfade::einstellungsdatei(), m_dir.filePath(QStringLiteral("home/Portavomodem.ini")));
    }
    // The desktop program and portavo-cli have different application names
    // and must still share one settings file and port map; files the desktop
    // program kept one folder deeper before are carried over, not lost.
    void ordnerUnabhaengigVomProgrammnamen_data()
    {
        QTest::addColumn<QString>("programm");
        QTest::newRow("portavo") << QStringLiteral("portavo");
        QTest::newRow("portavo-cli") << QStringLiteral("portavo-cli");
    }
    void ordnerUnabhaengigVomProgrammnamen()
    {
        QFETCH(QString, programm);
        const QByteArray alteHeimat = qgetenv("PORTAVO_HOME");
        const QString vorher = QCoreApplication::applicationName();
        QTemporaryDir xdg;
        qunsetenv("PORTAVO_HOME");
        qputenv("XDG_CONFIG_HOME", xdg.filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_DATA_HOME", xdg.filePath(QStringLiteral("data")).toUtf8());
        QCoreApplication::setApplicationName(programm);
        QVERIFY(QDir().mkpath(xdg.filePath(QStringLiteral("config/portavo/portavo"))));
        QFile alt(xdg.filePath(QStringLiteral("config/portavo/portavo/Portavomodem.ini")));
        QVERIFY(alt.open(QIODevice::WriteOnly));
        alt.write("19200,n,8,1\r\n3\r\n");
        alt.close();
        // The modem port's settings already stand in the new folder: they
        // must not keep the older files from being carried over.
        QFile modem(xdg.filePath(QStringLiteral("config/portavo/portavo.conf")));
        QVERIFY(modem.open(QIODevice::WriteOnly));
        modem.close();

        const QString datei = Pfade::einstellungsdatei();
        const QString orte = Pfade::orteDatei();
        QCoreApplication::setApplicationName(vorher);
        qputenv("PORTAVO_HOME", alteHeimat);
        QCOMPARE(datei, xdg.filePath(QStringLiteral("config/portavo/Portavomodem.ini")));
        QCOMPARE(orte, xdg.filePath(QStringLiteral("data/portavo/orte.dat")));
        QCOMPARE(lies(datei), QByteArray("19200,n,8,1\r\n3\r\n"));
        QCOMPARE(lies(alt.fileName()), QByteArray("19200,n,8,1\r\n3\r\n"));
    }
};

PORTAVO_TESTKLASSE(tst_Einstellungen)
#include "tst_einstellungen.moc"
