// The link against portavo-sim over a real pseudo-terminal: telegrams at
// 19200 and 2400 baud, the stores the echo and the answers land in, and the
// device pulled away in the middle of a read-out and of a write block.

#include "support/Testlauf.h"

#include <QSignalSpy>
#include "support/Simulator.h"
#include "link/SerialPort.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "base/Zustand.h"

#include <QJsonArray>

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

QJsonObject terminal(int protokoll)
{
    QJsonArray bild;
    for (const char ch : speicher(protokoll))
        bild.append(int(quint8(ch)));
    return QJsonObject{{"address", TerminalAdresse},
                       {"protocol", protokoll},
                       {"version", "Ver 3.12 TS 1 04"},
                       {"password", TerminalPasswort},
                       {"image", bild}};
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

    explicit Bus(int protokoll)
    {
        fehler = sim.starten(QJsonArray{terminal(protokoll)});
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

    // As the read-out and write sequences do it: login, ACK, then the
    // command with a fresh byte store.
    bool lesebefehl(const QByteArray &befehl)
    {
        if (!anmelden())
            return false;
        z.Antwort.clear();
        v.sendeAck();
        z.Befehl = befehl;
        z.Empfangszahl = 0;
        return v.sendeAnfrage();
    }
};

}  // namespace

class TestE2eLink : public QObject {
    Q_OBJECT
private slots:
    void anfragenUndIhreSpeicher();
    void auslesen_data();
    void auslesen();
    void abziehen_data();
    void abziehen();
};

void TestE2eLink::anfragenUndIhreSpeicher()
{
    Bus bus(0);
    QVERIFY2(bus.fehler.isEmpty(), qPrintable(bus.fehler));
    Zustand &z = bus.z;

    // Address search: echo of the request, then the terminal's answer, all in
    // Empfang; nobody answers the broadcast address.
    z.AdressSuche = 1;
    z.Befehl = "X";
    z.Adresse = TerminalAdresse;
    QVERIFY(bus.v.sendeAnfrage());
    QTRY_COMPARE_WITH_TIMEOUT(z.Empfang.size(), 11, 2000);
    QCOMPARE(z.Empfang.left(5), z.Rumpf);
    QCOMPARE(z.Empfang.mid(5, 4), QByteArray("\x02\x11X@"));  // protocol 0
    QCOMPARE(z.Empfang.at(9), Telegramm::ETX);
    QCOMPARE(quint8(z.Empfang.at(10)), quint8(0x11 ^ 'X' ^ '@' ^ 0x03));
    z.Empfang.clear();
    z.Adresse = 255;
    QVERIFY(bus.v.sendeAnfrage());
    QTRY_COMPARE_WITH_TIMEOUT(z.Empfang.size(), 5, 2000);
    QTest::qWait(150);
    QCOMPARE(z.Empfang.toHex(), QByteArray("02ff5803a4"));
    QCOMPARE(z.Empfangszahl, qint16(0));

    // Login: echo and answer in Antwort, refused, then accepted.
    z.AdressSuche = 0;
    z.Empfang.clear();
    z.Adresse = TerminalAdresse;
    z.Befehl = "P" + Telegramm::packePasswort("999999");
    QVERIFY(bus.v.sendeAnfrage());
    QTRY_COMPARE_WITH_TIMEOUT(z.Antwort.size(), 9 + 6, 2000);
    QCOMPARE(z.Antwort.left(9), z.Rumpf);
    QCOMPARE(z.Antwort.mid(9, 4), QByteArray("\x02\x11PN"));
    QVERIFY(bus.anmelden());
    QCOMPARE(z.Antwort.indexOf(Telegramm::Anmeldezusage), 9 + 3);
    QCOMPARE(z.Empfangszahl, qint16(0));
    QVERIFY(z.Empfang.isEmpty());

    // Any other command: Empfangsbytes. At 2400 baud only the interface
    // module echoes; no terminal listens at that speed.
    QVERIFY(bus.port.setSettings(QStringLiteral("2400,n,8,1")));
    z.Befehl = "V";
    QVERIFY(bus.v.sendeAnfrage());
    QTRY_COMPARE_WITH_TIMEOUT(int(z.Empfangszahl), 5, 2000);
    QTest::qWait(200);
    QCOMPARE(empfangsbytes(z), z.Rumpf);
    bus.port.drain();
    QVERIFY(bus.port.setSettings(QStringLiteral("19200,n,8,1")));
    z.Empfangszahl = 0;
    QVERIFY(bus.v.sendeAnfrage());
    QTRY_VERIFY_WITH_TIMEOUT(empfangsbytes(z).contains("Ver 3.12 TS 1 04"), 2000);
    QCOMPARE(empfangsbytes(z).left(5), z.Rumpf);
    QVERIFY(z.Antwort.size() == 9 + 6 && z.Empfang.isEmpty());
}

void TestE2eLink::auslesen_data()
{
    QTest::addColumn<int>("protokoll");
    QTest::addColumn<int>("laenge");
    QTest::newRow("Protokoll 0") << 0 << 4107;
    QTest::newRow("Protokoll 1") << 1 << 4109;
}

void TestE2eLink::auslesen()
{
    QFETCH(int, protokoll);
    QFETCH(int, laenge);
    Bus bus(protokoll);
    QVERIFY2(bus.fehler.isEmpty(), qPrintable(bus.fehler));
    Zustand &z = bus.z;
    QVERIFY(bus.lesebefehl("E"));
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

void TestE2eLink::abziehen_data()
{
    QTest::addColumn<bool>("schreiben");
    QTest::newRow("beim Auslesen") << false;
    QTest::newRow("beim Schreiben") << true;
}

void TestE2eLink::abziehen()
{
    QFETCH(bool, schreiben);
    Bus bus(0);
    QVERIFY2(bus.fehler.isEmpty(), qPrintable(bus.fehler));
    Zustand &z = bus.z;
    QSignalSpy verloren(&bus.v, &Verbindung::portVerloren);
    const int ende = schreiben ? 2051 : 4107;
    QVERIFY(bus.lesebefehl(schreiben ? "D" : "E"));
    if (schreiben) {
        // The announcement at 19200 baud, the block at 2400.
        bus.v.sendeRoh(Telegramm::Schreibankuendigung);
        QTRY_VERIFY_WITH_TIMEOUT(empfangsbytes(z).endsWith(Telegramm::Schreibankuendigung), 2000);
        bus.port.drain();
        QVERIFY(bus.port.setSettings(QStringLiteral("2400,n,8,1")));
        z.Empfangszahl = 0;
        bus.v.sendeRoh(Telegramm::schreibblock(speicher(0)));
    }
    // At 2400 baud the echo comes back at 240 bytes a second.
    QTRY_VERIFY_WITH_TIMEOUT(z.Empfangszahl > 100, 5000);
    QVERIFY(z.Empfangszahl < ende);

    bus.sim.abziehen();
    QTRY_COMPARE_WITH_TIMEOUT(verloren.size(), 1, 3000);
    QVERIFY(!bus.port.isOpen());
    QCOMPARE(bus.port.bytesToWrite(), qint64(0));
    // Sending on the lost port changes nothing and reports nothing more.
    QVERIFY(bus.v.sendeAnfrage());
    QTest::qWait(300);
    QCOMPARE(verloren.size(), 1);
    QVERIFY(z.Empfangszahl < ende);
}

PORTAVO_TESTKLASSE(TestE2eLink)
#include "tst_e2e_link.moc"
