// portavo-cli identify, read and scan against portavo-sim.

#include "support/Testlauf.h"
#include "support/Simulator.h"
#include "support/Testhilfe.h"

#include <sys/stat.h>
#include "link/SerialPort.h"

class TestCliBus : public QObject {
    Q_OBJECT

    struct Ergebnis {
        int status = -1;
        QString aus, fehler;
    };

    // "PORT" in the arguments stands for the simulator's device.
    Ergebnis cli(QStringList args, const QString &ordner = QString())
    {
        args.replaceInStrings(QRegularExpression(QStringLiteral("^PORT$")), m_sim.device());
        QProcess p;
        p.setWorkingDirectory(ordner.isEmpty() ? m_ordner.path() : ordner);
        p.start(qEnvironmentVariable("PORTAVO_CLI"), args);
        Ergebnis e;
        if (p.waitForFinished(30000))
            e = {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                 QString::fromUtf8(p.readAllStandardError())};
        return e;
    }

    Simulator m_sim;
    QTemporaryDir m_ordner;

private slots:
    void initTestCase()
    {
        QVERIFY(!qEnvironmentVariableIsEmpty("PORTAVO_CLI"));
        SIM_STARTEN(m_sim, QJsonArray{Simulator::terminal(5, 0, {{"password", "135790"}}),
                                      Simulator::terminal(6, 1, {{"version", "Ver 4.02 TS 3 11"}})});
    }

    void aufruf_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("aus");     // stdout, exactly
        QTest::addColumn<QString>("fehler");  // contained in stderr
        QTest::newRow("identify") << QStringList{"identify", "5", "--port", "PORT"} << 0
                                  << "5 0 Standard\nVer 3.12 TS 1 04\n" << "";
        QTest::newRow("fremde Familie") << QStringList{"identify", "6", "--port", "PORT", "--lang", "en"} << 1
                                        << "6 1 QRX / Norvall\nVer 4.02 TS 3 11\n" << Texttabelle::text(1388);
        QTest::newRow("stille Adresse") << QStringList{"identify", "9", "--port", "PORT"} << 1 << ""
                                        << Texttabelle::text(196);
        QTest::newRow("falsches Passwort")
            << QStringList{"read", "5", "--password", "111111", "--port", "PORT", "--lang", "es"} << 1 << ""
            << Texttabelle::text(3154);
        QTest::newRow("Port fehlt") << QStringList{"scan", "--port", "/dev/portavo-gibt-es-nicht"} << 1 << ""
                                    << "/dev/portavo-gibt-es-nicht";
        // Wrong usage.
        const QStringList falsch[] = {{"read", "5", "--password", "12345"}, {"read", "5", "--password", "12a456"},
                                      {"read", "5"}, {"identify", "0"}, {"identify", "256"},
                                      {"identify", "5", "--port", "17"}, {"scan", "--lang", "it"},
                                      {"trouble", "--variant-m"}};
        for (const QStringList &a : falsch)
            QTest::addRow("%s", qPrintable(a.join(' '))) << a << 2 << "" << "";
    }
    void aufruf()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, aus);
        QFETCH(QString, fehler);
        const Ergebnis e = cli(args);
        QCOMPARE(e.status, status);
        QCOMPARE(e.aus, aus);
        QVERIFY2(e.fehler.contains(fehler), qPrintable(e.fehler));
        QVERIFY(!QFile::exists(m_ordner.filePath(QStringLiteral("PORTAVO.S2D"))));
    }

    void liestInDatei()
    {
        QTemporaryDir ordner;
        Ergebnis e = cli({"read", "5", "--password", "135790", "--port", "PORT"}, ordner.path());
        QCOMPARE(e.status, 0);
        const QString datei = ordner.filePath(QStringLiteral("PORTAVO.S2D"));
        QCOMPARE(e.aus, datei + QLatin1Char('\n'));
        QCOMPARE(lies(datei), m_sim.speicher(5));
        const QString anders = ordner.filePath(QStringLiteral("x.S2D"));
        e = cli({"read", "5", "--password", "135790", "--port", "PORT", "-o", anders});
        QCOMPARE(e.status, 0);
        QCOMPARE(lies(anders), m_sim.speicher(5));
    }

    // An output name without a main-file extension would make the read-out
    // remove an unrelated companion ("notes.txt" -> "notes.B2D"): refused
    // before anything is sent, and so is a folder that cannot be written.
    void ausgabenameGeprueft()
    {
        QTemporaryDir ordner;
        const QString notizen = ordner.filePath(QStringLiteral("notes.B2D"));
        QVERIFY(schreib(notizen, "wichtig\r\n"));
        const int vorher = int(m_sim.verkehr().size());
        Ergebnis e = cli({"read", "5", "--password", "135790", "--port", "PORT", "-o",
                          ordner.filePath(QStringLiteral("notes.txt"))});
        QCOMPARE(e.status, 2);
        QVERIFY2(e.fehler.contains(Texttabelle::text(176)), qPrintable(e.fehler));
        e = cli({"read", "5", "--password", "135790", "--port", "PORT", "-o", ordner.filePath(QStringLiteral("abc"))});
        QCOMPARE(e.status, 2);
        e = cli({"read", "5", "--password", "135790", "--port", "PORT", "-o",
                 ordner.filePath(QStringLiteral("gibtsnicht/x.S2D"))});
        QCOMPARE(e.status, 2);
        QVERIFY2(e.fehler.contains(QStringLiteral("gibtsnicht")), qPrintable(e.fehler));
        QCOMPARE(lies(notizen), QByteArray("wichtig\r\n"));
        QCOMPARE(int(m_sim.verkehr().size()), vorher);  // nothing went on the bus
        // A proper name removes only its own companion file.
        QVERIFY(schreib(ordner.filePath(QStringLiteral("notes.B3D")), "bleibt\r\n"));
        e = cli({"read", "5", "--password", "135790", "--port", "PORT", "-o", ordner.filePath(QStringLiteral("notes.S2D"))});
        QCOMPARE(e.status, 0);
        QVERIFY(!QFile::exists(notizen));
        QVERIFY(QFile::exists(ordner.filePath(QStringLiteral("notes.B3D"))));
    }

    // The adapter pulled during the recovery scan: the command ends at once
    // with the port message and a failure status, not after the whole scan
    // with "no waiting terminal".
    void troubleEndetBeiVerlorenemPort()
    {
        Simulator weg;
        SIM_STARTEN(weg, QJsonArray{Simulator::terminal(1)});
        QProcess p;
        p.start(qEnvironmentVariable("PORTAVO_CLI"), {"trouble", "--port", weg.device()});
        QVERIFY(p.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(weg.verkehr().size() >= 9, 10000);  // the scan is under way
        weg.abziehen();
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 1);
        const QString fehler = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(fehler.contains(Texttabelle::text(193)), qPrintable(fehler));
        QVERIFY(!QString::fromUtf8(p.readAllStandardOutput()).contains(QStringLiteral("no waiting terminal")));
    }

    // trouble --repair FILE loads FILE before the scan of nearly two
    // minutes: a file the repair could not write ends the command at once,
    // and nothing goes on the bus.
    void troubleReparaturdateiVorDemSuchlauf_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("inhalt");  // "ordner": a folder of that name; empty: no file
        QTest::addColumn<int>("text");
        QTest::newRow("fehlt") << QStringLiteral("fehlt.S2D") << QByteArray() << 384;
        QTest::newRow("Ordner") << QStringLiteral("ordner.S2D") << QByteArray("ordner") << 384;
        QTest::newRow("kein Speicherabbild") << QStringLiteral("kurz.S2D") << QByteArray(" 1 \r\n 2 \r\n") << 384;
        QTest::newRow("Begleitdatei") << QStringLiteral("text.B2D") << hauptdatei([](int) { return 0; }) << 176;
    }
    void troubleReparaturdateiVorDemSuchlauf()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, inhalt);
        QFETCH(int, text);
        QTemporaryDir ordner;
        const QString pfad = ordner.filePath(name);
        if (inhalt == "ordner")
            QVERIFY(QDir().mkdir(pfad));
        else if (!inhalt.isEmpty())
            QVERIFY(schreib(pfad, inhalt));
        const int vorher = int(m_sim.verkehr().size());
        const Ergebnis e = cli({"trouble", "--repair", pfad, "--port", "PORT"});
        QCOMPARE(e.status, 1);
        QVERIFY2(e.fehler.contains(Texttabelle::text(text)), qPrintable(e.fehler));
        QVERIFY(e.aus.isEmpty());
        QTest::qWait(100);
        QCOMPARE(int(m_sim.verkehr().size()), vorher);
    }

    // A port held by another program is told apart from a missing one; a
    // device given by its path is named by its path alone.
    void portBelegtOderFehlt()
    {
        Simulator belegt;
        SIM_STARTEN(belegt, QJsonArray{Simulator::terminal(1)});
        SerialPort halter;
        halter.setDevice(belegt.device());
        QVERIFY(halter.open());
        Ergebnis e = cli({"scan", "--port", belegt.device(), "--lang", "en"});
        QCOMPARE(e.status, 1);
        QVERIFY2(e.fehler.contains(Texttabelle::text(1561).arg(belegt.device())), qPrintable(e.fehler));
        halter.close();
        e = cli({"scan", "--port", QStringLiteral("/dev/gibt-es-nicht"), "--lang", "en"});
        QCOMPARE(e.status, 1);
        QVERIFY2(e.fehler.startsWith(QStringLiteral("The port /dev/gibt-es-nicht cannot be opened")), qPrintable(e.fehler));
    }

    // A damaged settings file or port map is said once, and left as it is.
    void beschaedigteDateienEinmalGemeldet()
    {
        QTemporaryDir heim;
        const QString ini = heim.filePath(QStringLiteral("Portavomodem.ini"));
        QVERIFY(schreib(ini, "kaputt\r\n"));
        QCOMPARE(::mkfifo(QFile::encodeName(heim.filePath(QStringLiteral("ports.dat"))).constData(), 0600), 0);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PORTAVO_HOME"), heim.path());
        p.setProcessEnvironment(env);
        // read: the settings are taken before the target check and again
        // when the port opens; still one message each.
        p.start(qEnvironmentVariable("PORTAVO_CLI"),
                {"read", "5", "--password", "135790", "--port", m_sim.device(), "--lang", "en", "-o",
                 heim.filePath(QStringLiteral("x.S2D"))});
        QVERIFY(p.waitForFinished(30000));
        const QString fehler = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(fehler.count(Texttabelle::text(1562).arg(ini)), 1);
        QCOMPARE(fehler.count(Texttabelle::text(1563).section(QLatin1Char('('), 0, 0).arg(heim.filePath(QStringLiteral("ports.dat")))), 1);
        QCOMPARE(lies(ini), QByteArray("kaputt\r\n"));
    }

    void scanOhneEcho()
    {
        Simulator stumm;
        SIM_STARTEN(stumm, QJsonArray{Simulator::terminal(1)}, {QStringLiteral("--no-echo")});
        const Ergebnis e = cli({"scan", "--port", stumm.device()});
        QCOMPARE(e.status, 1);
        QVERIFY(e.fehler.contains(Texttabelle::text(193)));
    }
};

PORTAVO_TESTKLASSE(TestCliBus)
#include "tst_cli_bus.moc"
