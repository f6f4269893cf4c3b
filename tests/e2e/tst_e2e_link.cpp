// The link against portavo-sim over a real pseudo-terminal: telegrams at
// 19200 and 2400 baud, the stores the echo and the answers land in, and the
// device pulled away in the middle of a read-out and of a write block.

#include "Simulator.h"
#include "link/SerialPort.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "shell/Zustand.h"

#include <QJsonArray>
#include <QRandomGenerator>
#include <memory>

#include <sys/resource.h>

namespace {

constexpr int TerminalAdresse = 17;
const char *const TerminalPasswort = "204913";

// The memory as the terminal keeps it: our pattern, with the password,
// address and protocol that the simulator writes into bytes 5..8 and 10.
QByteArray speicher(int protokoll)
{
    QByteArray m(Telegramm::Speichergroesse, 0);
    for (int i = 0; i < m.size(); ++i)
        m[i] = char((i * 7 + 3) & 0xFF);
    const QByteArray p = Telegramm::packePasswort(QString::fromLatin1(TerminalPasswort));
    m.replace(5, 3, p.mid(1));
    m[8] = char(TerminalAdresse);
    m[10] = char(protokoll);
    return m;
}

QJsonObject szenario(int protokoll)
{
    QJsonArray bild;
    for (const char ch : speicher(protokoll))
        bild.append(int(quint8(ch)));
    QJsonObject terminal{{"address", TerminalAdresse},
                         {"protocol", protokoll},
                         {"version", "Ver 3.12 TS 1 04"},
                         {"password", TerminalPasswort},
                         {"image", bild}};
    return QJsonObject{{"terminals", QJsonArray{terminal}}};
}

double cpuSekunden()
{
    rusage r{};
    ::getrusage(RUSAGE_SELF, &r);
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// After a loss: half a second of nearly idle process and no second report.
bool ruhigNachVerlust(const QSignalSpy &verloren)
{
    const double cpu0 = cpuSekunden();
    QTest::qWait(500);
    const double cpu = cpuSekunden() - cpu0;
    if (cpu >= 0.25)
        qWarning("CPU %.2f s in 0.5 s after the loss", cpu);
    return cpu < 0.25 && verloren.size() == 1;
}

QByteArray empfangsbytes(const Zustand &z)
{
    return QByteArray(reinterpret_cast<const char *>(z.Empfangsbytes.data()), qMax<int>(0, z.Empfangszahl));
}

// One simulated bus with the program's port and link on it.
struct Bus {
    Simulator sim;
    Zustand z;
    SerialPort port;
    Verbindung v{z};
    QString fehler;

    explicit Bus(int protokoll, const QStringList &optionen = {})
    {
        fehler = sim.starten(szenario(protokoll), optionen);
        if (!fehler.isEmpty())
            return;
        port.setDevice(sim.device());
        port.setSettings(QStringLiteral("19200,n,8,1"));
        if (!port.open())
            fehler = QStringLiteral("cannot open %1: %2").arg(sim.device(), port.fehlertext());
        v.setPort(&port);
    }

    // Login as the read-out and write sequences do it.
    bool anmelden()
    {
        z.Adresse = TerminalAdresse;
        z.Befehl = "P" + Telegramm::packePasswort(QString::fromLatin1(TerminalPasswort));
        z.Antwort.clear();
        if (!v.sendeAnfrage())
            return false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 3000) {
            // The answer is whole once its block check has followed "J" ETX;
            // a check byte arriving later would land in the next store.
            const int j = int(z.Antwort.indexOf(Telegramm::Anmeldezusage, 4));
            if (j >= 4 && z.Antwort.size() > j + 2)
                return true;
            QTest::qWait(10);
        }
        return false;
    }
};

}  // namespace

class TestE2eLink : public QObject {
    Q_OBJECT
private slots:
    void identifikationInEmpfang();
    void anmeldungInAntwort();
    void auslesenInEmpfangsbytes_data();
    void auslesenInEmpfangsbytes();
    void schreibblockBei2400();
    void abziehenBeimAuslesen();
    void abziehenBeimSchreiben();
};

void TestE2eLink::identifikationInEmpfang()
{
    Bus bus(0);
    QVERIFY2(bus.fehler.isEmpty(), qPrintable(bus.fehler));
    Zustand &z = bus.z;
    z.AdressSuche = 1;
    z.Befehl = "X";

    // A terminal: echo of the request, then its answer, all in Empfang.
    z.Adresse = TerminalAdresse;
    QVERIFY(bus.v.sendeAnfrage());
    QTRY_COMPARE_WITH_TIMEOUT(z.Empfang.size(), 11, 2000);
    QCOMPARE(z.Empfang.left(5), z.Rumpf);
    QCOMPARE(z.Empfang.at(5), Telegramm::STX);
    QCOMPARE(int(quint8(z.Empfang.at(6))), TerminalAdresse);
    QCOMPARE(z.Empfang.at(9), Telegramm::ETX);
    QCOMPARE(quint8(z.Empfang.at(10)), Telegramm::blockpruefung(z.Empfang, 6, 9));
    QCOMPARE(quint8(z.Empfang.at(8)) - 64, 0);  // protocol 0
    QCOMPARE(z.Empfangszahl, qint16(0));
    QVERIFY(z.Antwort.isEmpty());

    // Nobody at the broadcast address: the echo alone.
    z.Adresse = 255;
    QVERIFY(bus.v.sendeAnfrage());
    QTRY_COMPARE_WITH_TIMEOUT(z.Empfang.size(), 5, 2000);
    QTest::qWait(150);
    QCOMPARE(z.Empfang.toHex(), QByteArray("02ff5803a4"));

    // Even a "P" command goes to Empfang while the address search is open.
    z.Adresse = 3;
    z.Befehl = "P0" + QByteArray(3, '\x11');
    QVERIFY(bus.v.sendeAnfrage());
    QTRY_COMPARE_WITH_TIMEOUT(z.Empfang.size(), 9, 2000);
    QVERIFY(z.Antwort.isEmpty());
}

void TestE2eLink::anmeldungInAntwort()
{
    Bus bus(0);
    QVERIFY2(bus.fehler.isEmpty(), qPrintable(bus.fehler));
    Zustand &z = bus.z;

    z.Adresse = TerminalAdresse;
    z.Befehl = "P" + Telegramm::packePasswort("999999");
    QVERIFY(bus.v.sendeAnfrage());
    QTRY_COMPARE_WITH_TIMEOUT(z.Antwort.size(), 9 + 6, 2000);
    QCOMPARE(z.Antwort.left(9), z.Rumpf);
    QCOMPARE(z.Antwort.mid(9, 4), QByteArray("\x02\x11PN"));  // refused

    QVERIFY(bus.anmelden());
    QCOMPARE(z.Antwort.indexOf(Telegramm::Anmeldezusage), 9 + 3);
    QCOMPARE(z.Empfangszahl, qint16(0));
    QVERIFY(z.Empfang.isEmpty());
}

void TestE2eLink::auslesenInEmpfangsbytes_data()
{
    QTest::addColumn<int>("protokoll");
    QTest::addColumn<int>("laenge");
    QTest::newRow("Protokoll 0") << 0 << 4107;
    QTest::newRow("Protokoll 1") << 1 << 4109;
}

void TestE2eLink::auslesenInEmpfangsbytes()
{
    QFETCH(int, protokoll);
    QFETCH(int, laenge);
    Bus bus(protokoll);
    QVERIFY2(bus.fehler.isEmpty(), qPrintable(bus.fehler));
    Zustand &z = bus.z;
    QVERIFY(bus.anmelden());

    // As the read-out does it: ACK, then "E" with a fresh byte store.
    z.Antwort.clear();
    bus.v.sendeAck();
    z.Befehl = "E";
    z.Empfangszahl = 0;
    QVERIFY(bus.v.sendeAnfrage());
    // 4107 bytes at 19200 baud take a little over two seconds on the line.
    QTRY_COMPARE_WITH_TIMEOUT(int(z.Empfangszahl), laenge, 8000);
    QTest::qWait(100);
    QCOMPARE(int(z.Empfangszahl), laenge);  // nothing after the answer
    QCOMPARE(empfangsbytes(z).left(6), Telegramm::Quittung + z.Rumpf);
    QVERIFY(z.Antwort.isEmpty());

    const auto f = Telegramm::ausleseformat(protokoll, z.Empfangszahl);
    QVERIFY(f);
    QVERIFY(Telegramm::pruefbyteStimmt(z.Empfangsbytes.data(), z.Empfangszahl, *f));
    QCOMPARE(Telegramm::dekodiere(z.Empfangsbytes.data(), z.Empfangszahl, *f), speicher(protokoll));
}

void TestE2eLink::schreibblockBei2400()
{
    // Without pacing: 2051 bytes at 2400 baud would take 8.5 s of line time.
    Bus bus(0, {QStringLiteral("--no-pacing")});
    QVERIFY2(bus.fehler.isEmpty(), qPrintable(bus.fehler));
    Zustand &z = bus.z;

    // A request at 2400 baud: the interface module echoes it, no terminal
    // listens at that speed.
    QVERIFY(bus.port.setSettings(QStringLiteral("2400,n,8,1")));
    z.Adresse = TerminalAdresse;
    z.Befehl = "V";
    QVERIFY(bus.v.sendeAnfrage());
    QTRY_COMPARE_WITH_TIMEOUT(int(z.Empfangszahl), 5, 2000);
    QTest::qWait(200);
    QCOMPARE(empfangsbytes(z), z.Rumpf);
    // The same at 19200 baud: echo and the 16-character version answer.
    bus.port.drain();
    QVERIFY(bus.port.setSettings(QStringLiteral("19200,n,8,1")));
    z.Empfangszahl = 0;
    QVERIFY(bus.v.sendeAnfrage());
    QTRY_VERIFY_WITH_TIMEOUT(empfangsbytes(z).contains("Ver 3.12 TS 1 04"), 2000);
    QCOMPARE(empfangsbytes(z).left(5), z.Rumpf);

    // Login, write command, announcement at 19200 baud.
    QVERIFY(bus.anmelden());
    z.Antwort.clear();
    bus.v.sendeAck();
    z.Befehl = "D";
    z.Empfangszahl = 0;
    QVERIFY(bus.v.sendeAnfrage());
    bus.v.sendeRoh(Telegramm::Schreibankuendigung);
    QTRY_VERIFY_WITH_TIMEOUT(empfangsbytes(z).endsWith(Telegramm::Schreibankuendigung), 2000);

    // The block at 2400 baud: its echo, then "U19###".
    bus.port.drain();
    QVERIFY(bus.port.setSettings(QStringLiteral("2400,n,8,1")));
    QByteArray neu = speicher(0);
    neu[100] = char(0x5A);
    neu[12] = 0;
    neu[13] = 15;
    const QByteArray block = Telegramm::schreibblock(neu);
    z.Empfangszahl = 0;
    bus.v.sendeRoh(block);
    QTRY_VERIFY_WITH_TIMEOUT(empfangsbytes(z).contains(Telegramm::Schreibbestaetigung), 5000);
    QCOMPARE(empfangsbytes(z).left(block.size()), block);

    // Back to 19200: the terminal answers requests again.
    bus.port.drain();
    QVERIFY(bus.port.setSettings(QStringLiteral("19200,n,8,1")));
    z.AdressSuche = 1;
    z.Befehl = "X";
    QVERIFY(bus.v.sendeAnfrage());
    QTRY_COMPARE_WITH_TIMEOUT(z.Empfang.size(), 11, 2000);
}

void TestE2eLink::abziehenBeimAuslesen()
{
    Bus bus(0);
    QVERIFY2(bus.fehler.isEmpty(), qPrintable(bus.fehler));
    Zustand &z = bus.z;
    QSignalSpy verloren(&bus.v, &Verbindung::portVerloren);
    QVERIFY(bus.anmelden());
    bus.v.sendeAck();
    z.Befehl = "E";
    z.Empfangszahl = 0;
    QVERIFY(bus.v.sendeAnfrage());
    QTRY_VERIFY_WITH_TIMEOUT(z.Empfangszahl > 500, 5000);
    QVERIFY(z.Empfangszahl < 4107);

    bus.sim.abziehen();
    QTRY_COMPARE_WITH_TIMEOUT(verloren.size(), 1, 3000);
    QVERIFY(!bus.port.isOpen());
    QVERIFY(ruhigNachVerlust(verloren));
    QVERIFY(z.Empfangszahl < 4107);

    // Sending on the lost port changes nothing and reports nothing more.
    z.Befehl = "X";
    QVERIFY(bus.v.sendeAnfrage());
    QTest::qWait(100);
    QCOMPARE(verloren.size(), 1);
}

void TestE2eLink::abziehenBeimSchreiben()
{
    Bus bus(0);
    QVERIFY2(bus.fehler.isEmpty(), qPrintable(bus.fehler));
    Zustand &z = bus.z;
    QSignalSpy verloren(&bus.v, &Verbindung::portVerloren);
    QVERIFY(bus.anmelden());
    bus.v.sendeAck();
    z.Befehl = "D";
    z.Empfangszahl = 0;
    QVERIFY(bus.v.sendeAnfrage());
    bus.v.sendeRoh(Telegramm::Schreibankuendigung);
    QTRY_VERIFY_WITH_TIMEOUT(empfangsbytes(z).endsWith(Telegramm::Schreibankuendigung), 2000);
    bus.port.drain();
    QVERIFY(bus.port.setSettings(QStringLiteral("2400,n,8,1")));
    z.Empfangszahl = 0;
    bus.v.sendeRoh(Telegramm::schreibblock(speicher(0)));
    // At 2400 baud the echo comes back at 240 bytes a second.
    QTRY_VERIFY_WITH_TIMEOUT(z.Empfangszahl > 100, 5000);

    bus.sim.abziehen();
    QTRY_COMPARE_WITH_TIMEOUT(verloren.size(), 1, 3000);
    QVERIFY(!bus.port.isOpen());
    QCOMPARE(bus.port.bytesToWrite(), qint64(0));
    QVERIFY(ruhigNachVerlust(verloren));
    QVERIFY(z.Empfangszahl < 2051);
}

QTEST_GUILESS_MAIN(TestE2eLink)
#include "tst_e2e_link.moc"
