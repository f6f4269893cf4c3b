// The link against portavo-sim over a real pseudo-terminal: telegrams at
// 19200 and 2400 baud, the stores the echo and the answers land in, and the
// device pulled away in the middle of a read-out and of a write block.

#include "support/Testlauf.h"

#include <QSignalSpy>
#include "support/Simulator.h"
#include "link/Empfangspuffer.h"
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

QByteArray empfangsbytes(const Verbindung &v)
{
    return v.ablage().abschnitt(0, v.ablage().zahl());
}

// One simulated bus with the program's port and link on it.
struct Bus {
    Simulator sim;
    Zustand z;
    SerialPort port;
    Verbindung v{z};
    QString fehler;
    // The login's answer store, as the login holds it.
    Empfangspuffer antwort;
    Empfangsrecht antwortRecht;

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
        antwort.leeren();
        antwortRecht = v.nimmStrom(antwort, Empfaenger::Vorrang::Anmeldung);
        if (!v.sendeAnfrage("P" + Telegramm::packePasswort(QString::fromLatin1(TerminalPasswort))))
            return false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 3000) {
            // The answer is whole once its block check has followed "J" ETX;
            // a check byte arriving later would land in the next store.
            const int j = int(antwort.bytes().indexOf(Telegramm::Anmeldezusage, 4));
            if (j >= 4 && antwort.bytes().size() > j + 2)
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
        antwort.leeren();
        v.sendeAck();
        antwortRecht.freigeben();
        v.ablage().leeren();
        return v.sendeAnfrage(befehl);
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
    // the identification's store; nobody answers the broadcast address.
    Empfangspuffer empfang(true);
    Empfangsrecht suche = bus.v.nimmStrom(empfang, Empfaenger::Vorrang::Identifikation);
    z.Adresse = TerminalAdresse;
    QVERIFY(bus.v.sendeAnfrage("X"));
    QTRY_COMPARE_WITH_TIMEOUT(empfang.bytes().size(), 11, 2000);
    QCOMPARE(empfang.bytes().left(5), bus.v.letzteAnfrage());
    QCOMPARE(empfang.bytes().mid(5, 4), QByteArray("\x02\x11X@"));  // protocol 0
    QCOMPARE(empfang.bytes().at(9), Telegramm::ETX);
    QCOMPARE(quint8(empfang.bytes().at(10)), quint8(0x11 ^ 'X' ^ '@' ^ 0x03));
    empfang.leeren();
    z.Adresse = 255;
    QVERIFY(bus.v.sendeAnfrage("X"));
    QTRY_COMPARE_WITH_TIMEOUT(empfang.bytes().size(), 5, 2000);
    QTest::qWait(150);
    QCOMPARE(empfang.bytes().toHex(), QByteArray("02ff5803a4"));
    QCOMPARE(bus.v.ablage().zahl(), 0);

    // Login: echo and answer in the login's store, refused, then accepted.
    suche.freigeben();
    empfang.leeren();
    z.Adresse = TerminalAdresse;
    bus.antwortRecht = bus.v.nimmStrom(bus.antwort, Empfaenger::Vorrang::Anmeldung);
    QVERIFY(bus.v.sendeAnfrage("P" + Telegramm::packePasswort("999999")));
    QTRY_COMPARE_WITH_TIMEOUT(bus.antwort.bytes().size(), 9 + 6, 2000);
    QCOMPARE(bus.antwort.bytes().left(9), bus.v.letzteAnfrage());
    QCOMPARE(bus.antwort.bytes().mid(9, 4), QByteArray("\x02\x11PN"));
    QVERIFY(bus.anmelden());
    QCOMPARE(bus.antwort.bytes().indexOf(Telegramm::Anmeldezusage), 9 + 3);
    QCOMPARE(bus.v.ablage().zahl(), 0);
    QVERIFY(empfang.bytes().isEmpty());

    // Any other command: the byte store. At 2400 baud only the interface
    // module echoes; no terminal listens at that speed.
    bus.antwortRecht.freigeben();
    QVERIFY(bus.port.setSettings(QStringLiteral("2400,n,8,1")));
    QVERIFY(bus.v.sendeAnfrage("V"));
    QTRY_COMPARE_WITH_TIMEOUT(bus.v.ablage().zahl(), 5, 2000);
    QTest::qWait(200);
    QCOMPARE(empfangsbytes(bus.v), bus.v.letzteAnfrage());
    bus.port.drain();
    QVERIFY(bus.port.setSettings(QStringLiteral("19200,n,8,1")));
    bus.v.ablage().leeren();
    QVERIFY(bus.v.sendeAnfrage("V"));
    QTRY_VERIFY_WITH_TIMEOUT(empfangsbytes(bus.v).contains("Ver 3.12 TS 1 04"), 2000);
    QCOMPARE(empfangsbytes(bus.v).left(5), bus.v.letzteAnfrage());
    QVERIFY(bus.antwort.bytes().size() == 9 + 6 && empfang.bytes().isEmpty());
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
    QVERIFY(bus.lesebefehl("E"));
    // 4107 bytes at 19200 baud take a little over two seconds on the line.
    const Empfangsablage &ablage = bus.v.ablage();
    QTRY_COMPARE_WITH_TIMEOUT(ablage.zahl(), laenge, 8000);
    QTest::qWait(100);
    QCOMPARE(ablage.zahl(), laenge);  // nothing after the answer
    QCOMPARE(empfangsbytes(bus.v).left(6), Telegramm::Quittung + bus.v.letzteAnfrage());
    QVERIFY(bus.antwort.bytes().isEmpty());

    const auto f = Telegramm::ausleseformat(protokoll, ablage.zahl());
    QVERIFY(f);
    QVERIFY(Telegramm::pruefbyteStimmt(ablage.daten(), ablage.zahl(), *f));
    QCOMPARE(Telegramm::dekodiere(ablage.daten(), ablage.zahl(), *f), speicher(protokoll));
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
    QSignalSpy verloren(&bus.v, &Verbindung::portVerloren);
    const int ende = schreiben ? 2051 : 4107;
    QVERIFY(bus.lesebefehl(schreiben ? "D" : "E"));
    if (schreiben) {
        // The announcement at 19200 baud, the block at 2400.
        bus.v.sendeRoh(Telegramm::Schreibankuendigung);
        QTRY_VERIFY_WITH_TIMEOUT(empfangsbytes(bus.v).endsWith(Telegramm::Schreibankuendigung), 2000);
        bus.port.drain();
        QVERIFY(bus.port.setSettings(QStringLiteral("2400,n,8,1")));
        bus.v.ablage().leeren();
        bus.v.sendeRoh(Telegramm::schreibblock(speicher(0)));
    }
    // At 2400 baud the echo comes back at 240 bytes a second.
    QTRY_VERIFY_WITH_TIMEOUT(bus.v.ablage().zahl() > 100, 5000);
    QVERIFY(bus.v.ablage().zahl() < ende);

    bus.sim.abziehen();
    QTRY_COMPARE_WITH_TIMEOUT(verloren.size(), 1, 3000);
    QVERIFY(!bus.port.isOpen());
    QCOMPARE(bus.port.bytesToWrite(), qint64(0));
    // Sending on the lost port changes nothing and reports nothing more.
    QVERIFY(bus.v.sendeAnfrage(schreiben ? "D" : "E"));
    QTest::qWait(300);
    QCOMPARE(verloren.size(), 1);
    QVERIFY(bus.v.ablage().zahl() < ende);
}

PORTAVO_TESTKLASSE(TestE2eLink)
#include "tst_e2e_link.moc"
