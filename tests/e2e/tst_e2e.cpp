// End to end over pseudo-terminals against portavo-sim: stalls, and portavo-cli's commands incl. modem.

#include "support/Testlauf.h"
#include "support/Datentabelle.h"

#include <QSignalSpy>
#include "support/Kommandozeile.h"
#include "support/Simulator.h"
#include "support/Testhilfe.h"
#include "base/Einstellungsdatei.h"
#include "base/Pfade.h"
#include "diag/Adressidentifikation.h"
#include "workflow/Identifikationsablauf.h"

#include <QThread>

namespace {
// The memory after a write of that file, as text: 8 the address, 10 the protocol, 12 = 0, 13 = 15.
QByteArray geschrieben(const QString &datei, int adresse, int protokoll)
{
    const QList<QByteArray> z = lies(datei).split('\n');
    const QMap<int, int> fest{{8, adresse}, {10, protokoll}, {12, 0}, {13, 15}};
    return hauptdatei([&](int i) { return fest.value(i, z.value(i).trimmed().toInt()); });
}
}  // namespace

class TestE2e : public QObject {
    Q_OBJECT
    QTemporaryDir m_ordner;
    QString pfad(const QString &name) const { return m_ordner.filePath(name); }

private slots:
    void initTestCase()
    {
        // Outside line "1" and "0" for the modem, as lines 3 and 4 of the settings file.
        Zustand z;
        z.einstellungen.modemText1 = QStringLiteral("1");
        z.einstellungen.modemText2 = QStringLiteral("0");
        QVERIFY(Einstellungsdatei::schreibe(Pfade::einstellungsdatei(), z, 1));
    }

    // The UI thread stalls after requests went out: the next tick must take the waiting answer.
    void scanUeberlebtStillstaende()
    {
        Simulator sim;
        BUS_STARTEN(sim, QJsonArray{Simulator::terminal(3), Simulator::terminal(40, 1), Simulator::terminal(90)});
        Strecke<SerialPort> s(sim.device());
        QVERIFY(s.port.isOpen());
        Identifikationsablauf ablauf(s.z, s.v, s.meldung);
        // Twice the program's 50 ms, so that a busy machine's scheduler alone
        // cannot make the simulator miss a tick; a 250 ms stall spans several.
        ablauf.ident().setTaktabstand(1, 100);
        QSignalSpy ende(&ablauf, &Identifikationsablauf::scanBeendet);
        int stalls = 0;
        QTimer stoerer;
        stoerer.setInterval(97);
        connect(&stoerer, &QTimer::timeout, this, [&] {
            if (++stalls >= 8)
                stoerer.stop();
            QThread::msleep(250);  // the stall under test
        });
        QVERIFY(ablauf.scan());
        stoerer.start();
        QVERIFY(ende.wait(60000));
        QVERIFY2(ende.first().first().toBool(), qPrintable(QString::number(s.z.terminal.adresse)));
        QCOMPARE(stalls, 8);
        QCOMPARE(s.meldung.textnummern(), QList<int>{});
        QCOMPARE(ablauf.terminals().size(), 3);
    }

    // A write over the real port (its bytes and speeds: TestSchreiben on the in-process bus); refused, or the
    // adapter gone mid-block: the command says how to repair, and trouble --repair does (its bytes: TestTrouble).
    void schreiben_data()
    {
        // text: the failure's message, 0 when the write goes through
        spalten<QJsonObject, QStringList, int, int, int>("extra", "weitere", "neu", "protokoll", "text");
        const auto fehler = [](const char *typ, int nach) {
            QJsonObject f{{"type", typ}, {"command", "block"}, {"count", 1}};
            if (nach)
                f["afterBytes"] = nach;
            return QJsonArray{f};
        };
        QTest::newRow("neue Adresse und Protokoll") << QJsonObject{} << QStringList{"--new-address", "14", "--protocol", "1"}
                                                    << 14 << 1 << 0;
        QTest::newRow("Variante M") << QJsonObject{{"variant", "M"}} << QStringList{"--use-file-settings"} << 4 << 0 << 0;
        QTest::newRow("verweigert") << QJsonObject{{"faults", fehler("refuse", 0)}} << QStringList{} << 4 << 0 << 167;
        QTest::newRow("Variante M verweigert") << QJsonObject{{"variant", "M"}, {"faults", fehler("refuse", 0)}}
                                               << QStringList{} << 4 << 0 << 167;
        QTest::newRow("Adapter weg im Block") << QJsonObject{{"faults", fehler("gone", 300)}} << QStringList{} << 4 << 0 << 193;
    }
    void schreiben()
    {
        const auto [extra, weitere, neu, protokoll, text] =
            werte<QJsonObject, QStringList, int, int, int>("extra", "weitere", "neu", "protokoll", "text");
        const bool m = extra.value("variant") == QLatin1String("M");
        Simulator sim;
        BUS_STARTEN(sim, QJsonArray{Simulator::terminal(4, 0, extra)}, {QStringLiteral("--no-pacing")});
        const QByteArray vorher = sim.speicher(4);
        const QString datei = pfad(QStringLiteral("S.S2D"));
        QVERIFY(schreib(datei, Simulator::hauptdateiMit(4)));
        Kommandolauf l = kommando(QStringList{"write", datei, "--address", "4", "--password", "246810", "--port", sim.device()}
                                  + weitere);
        const QString geschafft = Texttabelle::text(165);
        if (!text) {
            QVERIFY2(l.status == 0 && l.aus.count(geschafft) == 1 && l.aus.contains(QLatin1String("variant M")) == m
                         && l.aus.contains(QStringLiteral("gets address %1 and protocol %2").arg(neu).arg(protokoll)),
                     qPrintable(l.aus + l.fehler));
            QCOMPARE(sim.speicher(neu), geschrieben(datei, neu, protokoll));
            return;
        }
        const QStringList zusatz = m ? QStringList{"--variant-m"} : QStringList();
        const QString befehl = QStringLiteral("trouble --repair \"%1\" %2").arg(datei, zusatz.join(' ')).trimmed();
        QVERIFY2(l.status == 1 && l.fehler.contains(Texttabelle::text(text)) && l.fehler.contains(befehl)
                     && !l.aus.contains(geschafft),
                 qPrintable(l.aus + l.fehler));
        QCOMPARE(sim.speicher(4), vorher);
        if (text == 193)
            return;  // the simulated adapter is gone for good
        const int beginn = int(sim.verkehr().size());
        l = kommando(QStringList{"trouble", "--repair", datei, "--port", sim.device()} + zusatz);
        QVERIFY2(l.status == 0 && l.aus.contains(QStringLiteral("waiting for its block answered"))
                     && l.aus.count(geschafft) == 1,
                 qPrintable(l.aus + l.fehler));
        // Its bytes (wake-up, no login, the block at 2400): TestTrouble on the in-process bus.
        QCOMPARE(sim.speicher(4), geschrieben(datei, 4, 0));
        const QByteArray login = Telegramm::anfrage(4, "P" + Telegramm::packePasswort(QStringLiteral("246810")));
        QVERIFY(!Simulator::bytes(sim.verkehr(beginn)).contains(login));
        QCOMPARE(sim.verkehr().last().baud, m ? 19200 : 2400);
    }

    // --dial against portavo-sim --modem: dial string, read-out (for the backup) and write, hang-up; carrier
    // lost in test.
    void ueberDasModem()
    {
        QProcess sim;
        QTemporaryDir zustand;
        QString log;
        const auto starte = [&](const QStringList &weitere) {
            sim.start(qEnvironmentVariable("PORTAVO_SIM"),
                      QStringList{"--modem", "--modem-delay", "300", "--state-dir", zustand.path()} + weitere);
            log.clear();
            return sim.waitForStarted(5000) && QTest::qWaitFor([&] { return sim.canReadLine(); }, 5000)
                       ? QString::fromLocal8Bit(sim.readLine()).trimmed()
                       : QString();
        };
        const auto protokoll = [&] { return log += QString::fromLocal8Bit(sim.readAllStandardError()); };
        QString geraet = starte({});
        QVERIFY(geraet.startsWith(QLatin1Char('/')));

        // A changed door-open time (byte 0) written; the write reads the terminal out first, for its backup.
        const QByteArray vorher = lies(zustand.filePath(QStringLiteral("terminal-1.S2D")));
        QList<QByteArray> zeilen = vorher.split('\n');
        zeilen[0] = " 42 \r";
        const QString datei = pfad(QStringLiteral("MODEM.S2D"));
        QVERIFY(schreib(datei, zeilen.join('\n')));
        const Kommandolauf schreiben =
            kommando({"write", datei, "--address", "1", "--password", "123456", "--port", geraet, "--dial", "47"});
        QVERIFY2(schreiben.status == 0 && schreiben.aus.contains(Texttabelle::text(165).trimmed())
                     && schreiben.fehler.contains(Texttabelle::text(510)),
                 qPrintable(schreiben.fehler + schreiben.aus));
        QCOMPARE(lies(schreiben.aus.section(Texttabelle::text(820).arg(QString()), 1).section('\n', 0, 0)), vorher);
        QCOMPARE(lies(zustand.filePath(QStringLiteral("terminal-1.S2D"))), zeilen.join('\n'));
        QTRY_COMPARE(protokoll().count(QStringLiteral("hung up")), 1);
        QVERIFY(log.count(QStringLiteral("dial \"T0,47\"")) == 1 && log.count(QStringLiteral("dial \"")) == 1);
        QVERIFY(log.contains(QStringLiteral("escape: command mode")) && log.contains(QStringLiteral("write announcement")));
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));

        geraet = starte({"--modem-drop", "4000"});
        const Kommandolauf test = kommando({"test", "1", "--port", geraet, "--dial", "47", "--seconds", "60"});
        QVERIFY2(test.status == 1 && test.aus.contains(QLatin1String("status 0x"))
                     && test.fehler.count(Texttabelle::text(512)) == 1,
                 qPrintable(test.aus + test.fehler));
        QTRY_VERIFY(protokoll().contains(QStringLiteral("carrier lost")));
        sim.terminate();
        sim.waitForFinished(5000);
    }
};

PORTAVO_TESTKLASSE(TestE2e)
#include "tst_e2e.moc"
