// portavo-cli test against portavo-sim: the telegram sequence with an ACK
// after every answer, the decoded status, card data and misreads, and the
// movement log line by line.

#include "support/Testlauf.h"
#include "support/Simulator.h"
#include "support/Testhilfe.h"

#include <QDir>
#include <QFileInfo>

#include <csignal>

class TestCliTest : public QObject {
    Q_OBJECT

    struct Ergebnis {
        int status = -1;
        QStringList zeilen;
        QString fehler;
    };

    Ergebnis cli(QStringList args)
    {
        args.replaceInStrings(QRegularExpression(QStringLiteral("^PORT$")), m_sim.device());
        QProcess p;
        p.setWorkingDirectory(m_ordner.path());
        p.start(qEnvironmentVariable("PORTAVO_CLI"), args);
        Ergebnis e;
        if (p.waitForFinished(60000)) {
            e.status = p.exitCode();
            e.zeilen = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            e.fehler = QString::fromUtf8(p.readAllStandardError());
        }
        return e;
    }

    // The request of an output line, as bytes.
    static QByteArray anfrage(const QString &zeile)
    {
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("request ((?:\\d+ )+) answer")).match(zeile);
        QByteArray b;
        for (const QString &code : m.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts))
            b += char(code.toInt());
        return b;
    }

    // A command that keeps running: started, and read from while it runs.
    struct Lauf {
        QProcess p;
        QString aus;
        QStringList zeilen()
        {
            aus += QString::fromUtf8(p.readAllStandardOutput());
            return aus.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        }
        // The process holds the device open (one of its descriptors leads there).
        bool haelt(const QString &geraet) const
        {
            const QString ziel = QFileInfo(geraet).canonicalFilePath();
            const QDir fds(QStringLiteral("/proc/%1/fd").arg(p.processId()));
            for (const QFileInfo &fd : fds.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot))
                if (fd.symLinkTarget() == ziel)
                    return true;
            return false;
        }
        ~Lauf()
        {
            if (p.state() != QProcess::NotRunning) {
                p.kill();
                p.waitForFinished(5000);
            }
        }
    };
    void starte(Lauf &l, const QStringList &args)
    {
        l.p.setWorkingDirectory(m_ordner.path());
        l.p.start(qEnvironmentVariable("PORTAVO_CLI"), args);
    }

    Simulator m_sim;
    QTemporaryDir m_ordner;

private slots:
    void initTestCase()
    {
        QVERIFY(!qEnvironmentVariableIsEmpty("PORTAVO_CLI"));
        const QJsonArray ereignisse5{
            QJsonObject{{"type", "card"}, {"afterPolls", 1}, {"data", "40012345"}, {"number", 17}},
            QJsonObject{{"type", "misread"}, {"afterPolls", 2}},
        };
        const QJsonArray ereignisse6{
            QJsonObject{{"type", "fault"}, {"afterPolls", 0}},
            QJsonObject{{"type", "sabotage"}, {"afterPolls", 1}},
        };
        // Terminal 7 answers two status requests, then no more.
        const QJsonArray verstummt{QJsonObject{{"type", "drop"}, {"command", "S"}, {"skip", 2}}};
        SIM_STARTEN(m_sim, QJsonArray{Simulator::terminal(5, 0, {{"events", ereignisse5}}),
                                      Simulator::terminal(6, 1, {{"events", ereignisse6}}),
                                      Simulator::terminal(7, 0, {{"faults", verstummt}})});
    }

    void ablaufUndProtokoll()
    {
        const int vorher = int(m_sim.verkehr().size());
        const Ergebnis e = cli({"test", "5", "--seconds", "7", "--port", "PORT", "--log", "bew.dat",
                                "--installation", "Halle 3", "--private"});
        QCOMPARE(e.status, 0);
        QVERIFY2(e.zeilen.size() >= 6, qPrintable(e.zeilen.join('\n')));
        const QStringList erwartet = {
            QStringLiteral("K  request 02 05 75 03 77  answer 02 05 75 64 03 13  status 0x40 ok"),
            QStringLiteral("S  request 02 05 83 03 85  answer 02 05 83 64 03 21  status 0x40 ok"),
            QStringLiteral("S  request 02 05 83 03 85  answer 02 05 83 68 03 17  status 0x44 data-waiting"),
        };
        QCOMPARE(e.zeilen.mid(0, 3), erwartet);
        QVERIFY2(e.zeilen.at(3).startsWith(QLatin1String("L2  request 02 05 76 50 03 ")), qPrintable(e.zeilen.at(3)));
        QVERIFY(e.zeilen.at(3).endsWith(QLatin1String("card \"40012345                 \"")));
        QVERIFY(e.zeilen.at(4).endsWith(QLatin1String("status 0x44 data-waiting")));
        QVERIFY2(e.zeilen.at(5).startsWith(QLatin1String("L2 ")) && e.zeilen.at(5).contains(QLatin1String("misread \"")),
                 qPrintable(e.zeilen.at(5)));

        // On the line: identification (X, ACK, V, ACK), then each request
        // answered and acknowledged, in order.
        const QByteArray gesendet = Simulator::bytes(m_sim.verkehr(vorher));
        QByteArray folge;
        for (const QString &z : e.zeilen) {
            QVERIFY2(anfrage(z).size() >= 5, qPrintable(z));
            folge += anfrage(z) + Telegramm::ACK;
        }
        const int ab = int(gesendet.indexOf(Telegramm::anfrage(5, "K")));
        QVERIFY(ab > 0);
        QVERIFY(gesendet.left(ab).startsWith(Telegramm::anfrage(5, "X") + Telegramm::ACK + Telegramm::anfrage(5, "V")));
        QVERIFY2(gesendet.mid(ab).startsWith(folge), gesendet.mid(ab).toHex(' ').constData());

        const QList<QByteArray> log = lies(m_ordner.filePath(QStringLiteral("bew.dat"))).split('\n');
        QCOMPARE(log.size(), 5);
        QVERIFY(QRegularExpression(QStringLiteral("^Geschlossene Gesellschaft vom:   \\d\\d\\.\\d\\d\\.\\d\\d   Ort:   Halle 3\r$"))
                    .match(QString::fromLatin1(log.at(0))).hasMatch());
        QCOMPARE(log.at(1), QByteArray("  \r"));
        const QRegularExpression zeile(QStringLiteral("^am:;\\d\\d\\.\\d\\d\\.\\d\\d; um: ;\\d\\d\\.\\d\\d  Uhr;Kartennummer:(.{25})\r$"));
        const auto karte = [&](int i) { return zeile.match(QString::fromLatin1(log.at(i))).captured(1); };
        QCOMPARE(karte(2), QStringLiteral("40012345").leftJustified(25));
        QVERIFY2(karte(3).contains(QLatin1String("??")), log.at(3).constData());
        QVERIFY(log.at(4).isEmpty());
    }

    void protokoll1StoerungUndSabotage()
    {
        const Ergebnis e = cli({"test", "6", "--seconds", "4", "--port", "PORT", "--mode", "closed", "--log",
                                m_ordner.path()});
        QCOMPARE(e.status, 0);
        QVERIFY2(e.zeilen.size() >= 3, qPrintable(e.zeilen.join('\n')));
        QVERIFY(e.zeilen.at(0).startsWith(QLatin1String("G  request 02 06 71 03 ")));
        QVERIFY2(e.zeilen.at(1).endsWith(QLatin1String("status 0x41 fault")), qPrintable(e.zeilen.at(1)));
        QVERIFY2(e.zeilen.at(2).endsWith(QLatin1String("status 0x60 sabotage")), qPrintable(e.zeilen.at(2)));
        // No card data: the log (a folder here) is never tried.
        QVERIFY(!e.fehler.contains(QLatin1String("movement log")));
    }

    void unbrauchbaresProtokollEinmalGemeldet()
    {
        const Ergebnis e = cli({"test", "5", "--seconds", "3", "--port", "PORT", "--log", m_ordner.path(),
                                "--installation", "X"});
        QCOMPARE(e.status, 0);
        QCOMPARE(e.fehler.count(QLatin1String("movement log")), 1);
        QVERIFY(e.zeilen.size() >= 2);
    }

    void falscherAufruf_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::newRow("ohne Adresse") << QStringList{"test"} << 2;
        QTest::newRow("Adresse 0") << QStringList{"test", "0"} << 2;
        QTest::newRow("Quelle") << QStringList{"test", "5", "--source", "4"} << 2;
        QTest::newRow("Betriebsart") << QStringList{"test", "5", "--mode", "auf"} << 2;
        QTest::newRow("privat allein") << QStringList{"test", "5", "--private"} << 2;
        QTest::newRow("Sekunden") << QStringList{"test", "5", "--seconds", "0"} << 2;
        QTest::newRow("monitor Argument") << QStringList{"monitor", "5"} << 2;
        QTest::newRow("stille Adresse") << QStringList{"test", "9", "--port", "PORT", "--seconds", "1"} << 1;
    }
    void falscherAufruf()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        const Ergebnis e = cli(args);
        QCOMPARE(e.status, status);
        QVERIFY(e.zeilen.isEmpty());
    }

    // Every request without an answer gets its line; answers go on as before.
    void verstummtesTerminal()
    {
        const Ergebnis e = cli({"test", "7", "--seconds", "10", "--port", "PORT"});
        QCOMPARE(e.status, 0);
        QVERIFY2(e.zeilen.size() >= 5, qPrintable(e.zeilen.join('\n')));
        QVERIFY(e.zeilen.at(0).startsWith(QLatin1String("K  request 02 07 75 03 ")));
        QVERIFY2(e.zeilen.at(1).endsWith(QLatin1String("status 0x40 ok")), qPrintable(e.zeilen.at(1)));
        QVERIFY2(e.zeilen.at(2).endsWith(QLatin1String("status 0x40 ok")), qPrintable(e.zeilen.at(2)));
        // From the third status request on: one line each, the echo still there.
        for (const QString &z : e.zeilen.mid(3))
            QCOMPARE(z, QStringLiteral("S  request 02 07 83 03 87  no answer"));
    }

    // The device goes away while test or monitor runs: the message once, exit 1 at once.
    void schnittstelleVerschwindet_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("test") << QStringList{"test", "5", "--port", "PORT"};
        QTest::newRow("monitor") << QStringList{"monitor", "--port", "PORT"};
    }
    void schnittstelleVerschwindet()
    {
        QFETCH(QStringList, args);
        Simulator sim;
        SIM_STARTEN(sim, QJsonArray{Simulator::terminal(5, 0)});
        args.replaceInStrings(QRegularExpression(QStringLiteral("^PORT$")), sim.device());
        Lauf l;
        starte(l, args);
        if (args.first() == QLatin1String("test"))
            QTRY_VERIFY_WITH_TIMEOUT(l.zeilen().size() >= 2, 20000);
        else
            QTRY_VERIFY_WITH_TIMEOUT(l.haelt(sim.device()), 20000);
        sim.abziehen();
        QVERIFY(l.p.waitForFinished(20000));
        QCOMPARE(l.p.exitCode(), 1);
        const QString fehler = QString::fromUtf8(l.p.readAllStandardError());
        QCOMPARE(fehler.count(Texttabelle::text(633).arg(sim.device())), 1);
    }

    // Ctrl-C ends test and monitor with status 130.
    void unterbrechen_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("test") << QStringList{"test", "5", "--port", "PORT"};
        QTest::newRow("monitor") << QStringList{"monitor", "--port", "PORT"};
    }
    void unterbrechen()
    {
        QFETCH(QStringList, args);
        args.replaceInStrings(QRegularExpression(QStringLiteral("^PORT$")), m_sim.device());
        Lauf l;
        starte(l, args);
        if (args.first() == QLatin1String("test"))
            QTRY_VERIFY_WITH_TIMEOUT(!l.zeilen().isEmpty(), 20000);
        else
            QTRY_VERIFY_WITH_TIMEOUT(l.haelt(m_sim.device()), 20000);
        QCOMPARE(::kill(pid_t(l.p.processId()), SIGINT), 0);
        QVERIFY(l.p.waitForFinished(20000));
        QCOMPARE(l.p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(l.p.exitCode(), 130);
    }

    void monitorZeigtNurEmpfangenes()
    {
        const Ergebnis e = cli({"monitor", "--seconds", "1", "--port", "PORT"});
        QCOMPARE(e.status, 0);
        QVERIFY(e.zeilen.isEmpty());  // the bus is silent and nothing was sent
    }
};

PORTAVO_TESTKLASSE(TestCliTest)
#include "tst_cli_test.moc"
