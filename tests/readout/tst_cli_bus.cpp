// portavo-cli identify, read and scan against portavo-sim.

#include "Simulator.h"
#include "shell/Texttabelle.h"

#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

class TestCliBus : public QObject {
    Q_OBJECT

    struct Ergebnis {
        int status = -1;
        QString aus;
        QString fehler;
    };

    Ergebnis cli(const QStringList &args, const QString &ordner = QString())
    {
        QProcess p;
        if (!ordner.isEmpty())
            p.setWorkingDirectory(ordner);
        p.start(qEnvironmentVariable("PORTAVO_CLI"), args);
        Ergebnis e;
        if (!p.waitForFinished(30000))
            return e;
        e.status = p.exitCode();
        e.aus = QString::fromUtf8(p.readAllStandardOutput());
        e.fehler = QString::fromUtf8(p.readAllStandardError());
        return e;
    }

    Simulator m_sim;
    QTemporaryDir m_zustand;

private slots:
    void initTestCase()
    {
        QVERIFY(!qEnvironmentVariableIsEmpty("PORTAVO_CLI"));
        const QJsonArray t{QJsonObject{{"address", 5}, {"protocol", 0}, {"password", "135790"}},
                           QJsonObject{{"address", 6}, {"protocol", 1}, {"version", "Ver 4.02 TS 3 11"}}};
        const QString fehler =
            m_sim.starten(QJsonObject{{"terminals", t}}, {QStringLiteral("--state-dir"), m_zustand.path()});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
    }

    void identifiziert()
    {
        const Ergebnis e = cli({"identify", "5", "--port", m_sim.device()});
        QCOMPARE(e.status, 0);
        QCOMPARE(e.aus, QStringLiteral("5 0 Standard\nVer 3.12 TS 1 04\n"));
    }

    void fremdeFamilieUndStilleAdresse()
    {
        Ergebnis e = cli({"identify", "6", "--port", m_sim.device(), "--lang", "en"});
        QCOMPARE(e.status, 1);
        QVERIFY(e.aus.startsWith(QStringLiteral("6 1 QRX / Norvall\n")));
        QVERIFY2(e.fehler.contains(Texttabelle::text(1388)), qPrintable(e.fehler));
        e = cli({"identify", "9", "--port", m_sim.device()});
        QCOMPARE(e.status, 1);
        QVERIFY(e.fehler.contains(Texttabelle::text(196)));
        QVERIFY(e.aus.isEmpty());
    }

    void liestInDatei()
    {
        QTemporaryDir ordner;
        Ergebnis e = cli({"read", "5", "--password", "135790", "--port", m_sim.device()}, ordner.path());
        QCOMPARE(e.status, 0);
        const QString datei = ordner.filePath(QStringLiteral("PORTAVO.S2D"));
        QCOMPARE(e.aus, datei + QLatin1Char('\n'));
        QFile ist(datei), soll(m_zustand.filePath(QStringLiteral("terminal-5.S2D")));
        QVERIFY(ist.open(QIODevice::ReadOnly) && soll.open(QIODevice::ReadOnly));
        QCOMPARE(ist.readAll(), soll.readAll());

        const QString anders = ordner.filePath(QStringLiteral("x.S2D"));
        e = cli({"read", "5", "--password", "135790", "--port", m_sim.device(), "-o", anders});
        QCOMPARE(e.status, 0);
        QVERIFY(QFile::exists(anders));
    }

    void falschesPasswort()
    {
        QTemporaryDir ordner;
        const Ergebnis e = cli({"read", "5", "--password", "111111", "--port", m_sim.device(), "--lang", "es"},
                               ordner.path());
        QCOMPARE(e.status, 1);
        QVERIFY2(e.fehler.contains(Texttabelle::text(3154)), qPrintable(e.fehler));
        QVERIFY(!QFile::exists(ordner.filePath(QStringLiteral("PORTAVO.S2D"))));
    }

    void falscherAufruf_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("kurzes Passwort") << QStringList{"read", "5", "--password", "12345"};
        QTest::newRow("Buchstaben") << QStringList{"read", "5", "--password", "12a456"};
        QTest::newRow("kein Passwort") << QStringList{"read", "5"};
        QTest::newRow("Adresse 0") << QStringList{"identify", "0"};
        QTest::newRow("Adresse 256") << QStringList{"identify", "256"};
        QTest::newRow("Port 17") << QStringList{"identify", "5", "--port", "17"};
        QTest::newRow("Sprache") << QStringList{"scan", "--lang", "it"};
    }
    void falscherAufruf()
    {
        QFETCH(QStringList, args);
        QCOMPARE(cli(args).status, 2);
    }

    void portFehlt()
    {
        const Ergebnis e = cli({"scan", "--port", "/dev/portavo-gibt-es-nicht"});
        QCOMPARE(e.status, 1);
        QVERIFY(e.fehler.contains(QStringLiteral("/dev/portavo-gibt-es-nicht")));
    }

    void scanOhneEcho()
    {
        Simulator stumm;
        const QString fehler = stumm.starten(QJsonObject{{"terminals", QJsonArray{QJsonObject{{"address", 1}}}}},
                                             {QStringLiteral("--no-echo")});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        const Ergebnis e = cli({"scan", "--port", stumm.device()});
        QCOMPARE(e.status, 1);
        QVERIFY(e.fehler.contains(Texttabelle::text(193)));
    }

    void hilfe()
    {
        const Ergebnis e = cli({"read", "--help"});
        QCOMPARE(e.status, 0);
        QVERIFY(e.aus.contains(QStringLiteral("--port N|PATH")));
        QVERIFY(e.aus.contains(QStringLiteral("--lang")));
    }
};

QTEST_GUILESS_MAIN(TestCliBus)
#include "tst_cli_bus.moc"
