// portavo-cli --dial against portavo-sim --modem over a real pseudo-terminal:
// the dial string with its outside-line prefix, identification, read-out and
// write over the connection, the hang-up, a busy line and a refused number.

#include "support/Testlauf.h"
#include "support/Testhilfe.h"
#include "base/Einstellungsdatei.h"
#include "base/Pfade.h"

#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

class TestModemE2e : public QObject {
    Q_OBJECT

    struct Sim {
        QProcess p;
        QTemporaryDir dir;
        QString device;
        ~Sim()
        {
            if (p.state() != QProcess::NotRunning) {
                p.terminate();
                if (!p.waitForFinished(5000))
                    p.kill();
            }
        }
        // What the simulator told the operator so far.
        QString log()
        {
            m_log += QString::fromLocal8Bit(p.readAllStandardError());
            return m_log;
        }
        QString m_log;
    };

    struct Ergebnis {
        int status = -1;
        QString aus, fehler;
    };

    static bool starte(Sim &s, const QStringList &weitere)
    {
        s.p.start(qEnvironmentVariable("PORTAVO_SIM"),
                  QStringList{"--modem", "--modem-delay", "300", "--state-dir", s.dir.path()} + weitere);
        if (!s.p.waitForStarted(5000))
            return false;
        if (!QTest::qWaitFor([&] { return s.p.canReadLine(); }, 5000))
            return false;
        s.device = QString::fromLocal8Bit(s.p.readLine()).trimmed();
        return s.device.startsWith(QLatin1Char('/'));
    }

    Ergebnis cli(const QStringList &args)
    {
        QProcess p;
        p.setWorkingDirectory(m_ordner.path());
        p.start(qEnvironmentVariable("PORTAVO_CLI"), args);
        Ergebnis e;
        if (p.waitForFinished(90000))
            e = {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                 QString::fromUtf8(p.readAllStandardError())};
        return e;
    }

    QTemporaryDir m_ordner;

private slots:
    void initTestCase()
    {
        QVERIFY(!qEnvironmentVariableIsEmpty("PORTAVO_CLI"));
        QVERIFY(!qEnvironmentVariableIsEmpty("PORTAVO_SIM"));
        // Outside line: "1" and "0", as lines 3 and 4 of the settings file.
        Zustand z;
        z.ModemText1 = QStringLiteral("1");
        z.ModemText2 = QStringLiteral("0");
        QVERIFY(Einstellungsdatei::schreibe(Pfade::einstellungsdatei(), z, 1));
    }

    void identifizierenLesenSchreibenUeberDasModem()
    {
        Sim s;
        QVERIFY(starte(s, {}));

        const Ergebnis id = cli({"identify", "1", "--port", s.device, "--dial", "47"});
        QCOMPARE(id.status, 0);
        QCOMPARE(id.aus, QStringLiteral("1 0 Standard\nVer 3.12 TS 1 04\n"));
        QVERIFY2(id.fehler.contains(Texttabelle::text(509)), qPrintable(id.fehler));
        QVERIFY2(id.fehler.contains(Texttabelle::text(510)), qPrintable(id.fehler));
        QTRY_VERIFY(s.log().contains(QStringLiteral("dial \"T0,47\"")));
        QTRY_VERIFY(s.log().contains(QStringLiteral("escape: command mode")));
        QTRY_VERIFY(s.log().contains(QStringLiteral("hung up")));

        const QString datei = m_ordner.filePath(QStringLiteral("MODEM.S2D"));
        const Ergebnis lesen = cli({"read", "1", "--password", "123456", "--port", s.device, "--dial", "47", "-o", datei});
        QCOMPARE(lesen.status, 0);
        QCOMPARE(lesen.aus.trimmed(), datei);
        const QByteArray ausgelesen = lies(datei);
        QCOMPARE(ausgelesen.count('\n'), 2048);
        QCOMPARE(ausgelesen, lies(s.dir.filePath(QStringLiteral("terminal-1.S2D"))));

        // Write the file back with a changed door-open time (byte 0).
        QList<QByteArray> zeilen = ausgelesen.split('\n');
        zeilen[0] = " 42 \r";
        const QString neu = m_ordner.filePath(QStringLiteral("NEU.S2D"));
        QVERIFY(schreib(neu, zeilen.join('\n')));
        const Ergebnis schreiben =
            cli({"write", neu, "--address", "1", "--password", "123456", "--port", s.device, "--dial", "47"});
        QVERIFY2(schreiben.status == 0, qPrintable(schreiben.fehler + schreiben.aus));
        QVERIFY(schreiben.aus.contains(Texttabelle::text(165).trimmed()));
        QVERIFY(lies(s.dir.filePath(QStringLiteral("terminal-1.S2D"))).startsWith(" 42 \r\n"));
        QTRY_VERIFY(s.log().contains(QStringLiteral("write announcement")));
        QTRY_COMPARE(s.log().count(QStringLiteral("hung up")), 3);
        QCOMPARE(s.log().count(QStringLiteral("dial \"")), 3);
        QCOMPARE(s.log().count(QStringLiteral("dial \"T0,47\"")), 3);
    }

    void ergebnisEndetMitKlarerMeldung_data()
    {
        QTest::addColumn<QString>("ergebnis");
        QTest::addColumn<int>("text");
        QTest::newRow("besetzt") << "busy" << 503;
        QTest::newRow("nimmt nicht ab") << "no-answer" << 631;
    }
    void ergebnisEndetMitKlarerMeldung()
    {
        QFETCH(QString, ergebnis);
        QFETCH(int, text);
        Sim s;
        QVERIFY(starte(s, {"--modem-result", ergebnis}));
        const Ergebnis e = cli({"identify", "1", "--port", s.device, "--dial", "47"});
        QCOMPARE(e.status, 1);
        QVERIFY(e.aus.isEmpty());
        QVERIFY2(e.fehler.contains(Texttabelle::text(text)), qPrintable(e.fehler));
    }

    // A number no modem takes is refused before any port opens: wrong usage.
    void nummerVorDemOeffnenGeprueft_data()
    {
        QTest::addColumn<QString>("nummer");
        QTest::addColumn<int>("text");
        QTest::newRow("fremde Zeichen") << "47;H" << 501;
        QTest::newRow("zu lang") << QString(37, QLatin1Char('4')) << 630;
    }
    void nummerVorDemOeffnenGeprueft()
    {
        QFETCH(QString, nummer);
        QFETCH(int, text);
        for (const char *befehl : {"identify", "test"}) {
            const Ergebnis e = cli({befehl, "1", "--port", "/dev/gibt-es-nicht", "--dial", nummer});
            QCOMPARE(e.status, 2);
            QVERIFY2(e.fehler.contains(Texttabelle::text(text)), qPrintable(e.fehler));
            QVERIFY2(!e.fehler.contains(Texttabelle::text(510)), qPrintable(e.fehler));
            QVERIFY2(!e.fehler.contains(QLatin1String("gibt-es-nicht")), qPrintable(e.fehler));
        }
        // In the language asked for.
        const Ergebnis en = cli({"identify", "1", "--dial", nummer, "--lang", "en"});
        QCOMPARE(en.status, 2);
        QVERIFY2(en.fehler.contains(Texttabelle::text(text + 1000)), qPrintable(en.fehler));
    }

    // Nothing at all comes back from the port: no modem there.
    void keinModemAmPort()
    {
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const QString geraet = QString::fromLocal8Bit(::ptsname(master));
        const Ergebnis e = cli({"identify", "1", "--port", geraet, "--dial", "47"});
        ::close(master);
        QCOMPARE(e.status, 1);
        QVERIFY2(e.fehler.contains(Texttabelle::text(632).arg(geraet)), qPrintable(e.fehler));
    }

    // The carrier goes while test runs: its message, at once, exit 1.
    void traegerGehtWaehrendDesTests()
    {
        Sim s;
        QVERIFY(starte(s, {"--modem-drop", "4000"}));
        const Ergebnis e = cli({"test", "1", "--port", s.device, "--dial", "47", "--seconds", "60"});
        QCOMPARE(e.status, 1);
        QVERIFY2(e.aus.contains(QLatin1String("status 0x")), qPrintable(e.aus));
        QCOMPARE(e.fehler.count(Texttabelle::text(512)), 1);
        QTRY_VERIFY(s.log().contains(QStringLiteral("carrier lost")));
    }
};

PORTAVO_TESTKLASSE(TestModemE2e)
#include "tst_modem_e2e.moc"
