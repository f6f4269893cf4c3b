// portavo-cli --dial against portavo-sim --modem over a real pseudo-terminal:
// the dial string with its outside-line prefix, identification, read-out and
// write over the connection, the hang-up, a busy line and a refused number.

#include "support/Testhilfe.h"
#include "base/Einstellungsdatei.h"
#include "base/Pfade.h"

#include <QProcess>
#include <QTemporaryDir>

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
        // A number with other than dial characters never reaches the modem.
        const Ergebnis falsch = cli({"identify", "1", "--port", s.device, "--dial", "47;H"});
        QCOMPARE(falsch.status, 1);
        QVERIFY2(falsch.fehler.contains(Texttabelle::text(501)), qPrintable(falsch.fehler));

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

    void besetztEndetMitKlarerMeldung()
    {
        Sim s;
        QVERIFY(starte(s, {"--modem-result", "busy"}));
        const Ergebnis e = cli({"identify", "1", "--port", s.device, "--dial", "47"});
        QCOMPARE(e.status, 1);
        QVERIFY(e.aus.isEmpty());
        QVERIFY2(e.fehler.contains(Texttabelle::text(503)), qPrintable(e.fehler));
    }
};

QTEST_GUILESS_MAIN(TestModemE2e)
#include "tst_modem_e2e.moc"
