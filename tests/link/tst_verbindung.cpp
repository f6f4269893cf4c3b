// Sending and receive routing of the link, on FakePort.

#include "support/Testlauf.h"
#include "support/FakePort.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "base/Zustand.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {
struct Aufbau {
    Zustand z;
    FakePort port;
    FakePort modem;
    Verbindung v{z};
    QStringList monitor;

    explicit Aufbau(const QByteArray &befehl = "E", int adresse = 1)
    {
        port.open();
        modem.open();
        v.setPort(&port);
        v.setModemPort(&modem);
        z.Befehl = befehl;
        z.Adresse = qint16(adresse);
        QObject::connect(&v, &Verbindung::monitorZeile, [this](const QString &s) { monitor << s; });
    }
    QByteArray empfangsbytes() const
    {
        return QByteArray(reinterpret_cast<const char *>(z.Empfangsbytes.data()), z.Empfangszahl);
    }
};

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}
}  // namespace

class TestVerbindung : public QObject {
    Q_OBJECT
private slots:
    void senden()
    {
        Aufbau a;
        a.z.Empfang = "alt";
        QVERIFY(a.v.sendeAnfrage());
        QCOMPARE(a.z.Rumpf.toHex(), QByteArray("0201450347"));
        QVERIFY(a.z.Empfang.isEmpty());
        QVERIFY(a.monitor.isEmpty());  // monitor closed
        // Login with packed bytes 02 03: nothing is escaped, one write.
        a.z.Befehl = "P" + Telegramm::packePasswort("203011");
        QVERIFY(a.v.sendeAnfrage());
        QCOMPARE(a.port.writes().size(), 2);
        QCOMPARE(a.port.writes().at(0).settings, QStringLiteral("19200,n,8,1"));
        QCOMPARE(a.port.writes().at(1).bytes.toHex(), QByteArray("020150300203110372"));
        QVERIFY(a.modem.writes().isEmpty());

        // Acknowledgements, raw strings (also on a given port) and their monitor lines.
        a.z.MonitorAktiv = 1;
        a.z.Befehl = "E";
        a.v.sendeAnfrage();
        a.v.sendeAck();
        a.v.sendeProtokoll1Quittung();
        a.v.sendeRoh(Telegramm::Startstring);
        a.v.sendeRoh(Telegramm::Schreibankuendigung, &a.modem);
        QCOMPARE(a.port.written().right(17).toHex(), QByteArray("0201450347" "06" "02060305" "02303750693603"));
        QCOMPARE(a.modem.written(), QByteArray("U24###"));
        QCOMPARE(a.monitor.mid(0, 3), (QStringList{"**<02><01>E<03>G**", "**06**", "**02060305**"}));

        // No telegram for an address out of range or an empty command.
        for (const auto &[adresse, befehl] : QList<std::pair<int, QByteArray>>{{256, "X"}, {-1, "X"}, {1, ""}}) {
            Aufbau b(befehl, adresse);
            b.z.MonitorAktiv = 1;
            b.z.Rumpf = "vorher";
            QVERIFY(!b.v.sendeAnfrage());
            QVERIFY(b.port.writes().isEmpty() && b.monitor.isEmpty());
            QCOMPARE(b.z.Rumpf, QByteArray("vorher"));
        }
    }

    void modembetrieb()
    {
        Aufbau a;
        a.z.Modembetrieb = 1;
        QCOMPARE(a.v.aktiverPort(), &a.modem);
        QVERIFY(a.v.sendeAnfrage());
        a.v.sendeAck();
        a.v.sendeRoh("###");
        QCOMPARE(a.modem.written().toHex(), QByteArray("020145034706232323"));
        QVERIFY(a.port.writes().isEmpty());
        a.z.Befehl = "P0\x01\x02\x03";
        // The modem window reads its own port; the link leaves it alone, line
        // errors included, and takes the data only through verarbeite().
        a.modem.inject("CONNECT");
        QCOMPARE(a.modem.pending(), QByteArray("CONNECT"));
        QVERIFY(a.z.Antwort.isEmpty());
        a.v.verarbeite(a.modem.readAll());
        QCOMPARE(a.z.Antwort, QByteArray("CONNECT"));
        a.modem.injectEvent(Ereigniscode::Framing);
        QCOMPARE(a.modem.closeCount(), 0);
        // Modem operation without a modem port: nothing goes anywhere.
        a.v.setModemPort(nullptr);
        QVERIFY(a.v.sendeAnfrage());
        QVERIFY(a.port.writes().isEmpty());
    }

    void routing_data()
    {
        QTest::addColumn<int>("adressSuche");
        QTest::addColumn<int>("testAktiv");
        QTest::addColumn<QByteArray>("befehl");
        QTest::addColumn<QString>("ziel");
        QTest::newRow("Adresssuche") << 1 << 0 << QByteArray("X") << "Empfang";
        QTest::newRow("Adresssuche vor Anmeldung") << 1 << 0 << QByteArray("P0\x21\x43\x65") << "Empfang";
        QTest::newRow("Adresssuche vor Test") << 1 << 1 << QByteArray("E") << "Empfang";
        QTest::newRow("Test") << 0 << 1 << QByteArray("E") << "Testempfang";
        QTest::newRow("Test vor Anmeldung") << 0 << 1 << QByteArray("P0ab") << "Testempfang";
        QTest::newRow("Anmeldung") << 0 << 0 << QByteArray("P0ab") << "Antwort";
        QTest::newRow("klein p ist keine Anmeldung") << 0 << 0 << QByteArray("p") << "Empfangsbytes";
        QTest::newRow("Auslesen") << 0 << 0 << QByteArray("E") << "Empfangsbytes";
        QTest::newRow("kein Befehl") << 0 << 0 << QByteArray() << "Empfangsbytes";
        QTest::newRow("Flag 2 zaehlt nicht") << 2 << 2 << QByteArray("D") << "Empfangsbytes";
    }
    void routing()
    {
        QFETCH(int, adressSuche);
        QFETCH(int, testAktiv);
        QFETCH(QByteArray, befehl);
        QFETCH(QString, ziel);
        Aufbau a(befehl);
        a.z.AdressSuche = qint16(adressSuche);
        a.z.TestAktiv = qint16(testAktiv);
        QSignalSpy empfangen(&a.v, &Verbindung::empfangen);
        a.port.inject(hex("06024a"));
        a.port.inject(hex("0300ff"));
        const QByteArray alles = hex("06024a0300ff");
        const QMap<QString, QByteArray> speicher{{"Empfang", a.z.Empfang},
                                                 {"Testempfang", a.z.Testempfang},
                                                 {"Antwort", a.z.Antwort},
                                                 {"Empfangsbytes", a.empfangsbytes()}};
        for (auto i = speicher.begin(); i != speicher.end(); ++i)
            QCOMPARE(i.value(), i.key() == ziel ? alles : QByteArray());
        QCOMPARE(empfangen.size(), 2);
        QCOMPARE(empfangen.at(1).at(0).toInt(), 3);
        QVERIFY(a.port.pending().isEmpty());
    }

    void reparatur_data()
    {
        QTest::addColumn<int>("reparatur");
        QTest::addColumn<QByteArray>("eingang");
        QTest::addColumn<bool>("antwort");
        QTest::newRow("ein NAK") << 1 << hex("15") << true;
        QTest::newRow("NAK zuerst") << 1 << hex("1502") << true;
        QTest::newRow("zwei Bytes") << 1 << hex("0202") << true;
        QTest::newRow("ein STX") << 1 << hex("02") << false;
        QTest::newRow("ein ACK") << 1 << hex("06") << false;
        QTest::newRow("NAK ohne Reparatur") << 0 << hex("15") << false;
        QTest::newRow("viele ohne Reparatur") << 0 << hex("151515") << false;
    }
    void reparatur()
    {
        QFETCH(int, reparatur);
        QFETCH(QByteArray, eingang);
        QFETCH(bool, antwort);
        Aufbau a("D");
        a.z.MonitorAktiv = 1;
        a.z.Reparatur = qint16(reparatur);
        QSignalSpy rep(&a.v, &Verbindung::reparaturAntwort);
        QSignalSpy empfangen(&a.v, &Verbindung::empfangen);
        a.port.inject(eingang);
        QCOMPARE(rep.size(), antwort ? 1 : 0);
        // An answer to the repair is not routed and not logged: the write
        // sequence takes it from here. Anything else is stored as usual.
        QCOMPARE(a.empfangsbytes(), antwort ? QByteArray() : eingang);
        QCOMPARE(a.monitor.size(), antwort ? 0 : eingang.size());
        QCOMPARE(empfangen.size(), antwort ? 0 : 1);
    }

    void empfangsgrenze()
    {
        Aufbau a;
        QByteArray viele(4600, 0);
        for (int i = 0; i < viele.size(); ++i)
            viele[i] = char(1 + i % 250);
        a.port.inject(viele);
        QCOMPARE(a.z.Empfangszahl, qint16(4501));
        QCOMPARE(a.empfangsbytes(), viele.left(4501));
        for (size_t i = 4501; i < a.z.Empfangsbytes.size(); ++i)
            QCOMPARE(a.z.Empfangsbytes[i], quint8(0));  // the last 99 went nowhere
        // The limit holds across receive events, and the monitor still shows
        // every byte: it was on the line.
        Aufbau b;
        b.z.MonitorAktiv = 1;
        b.z.Empfangszahl = 4499;
        b.port.inject("abc");
        b.port.inject("d");
        QCOMPARE(b.z.Empfangszahl, qint16(4501));
        QCOMPARE(b.empfangsbytes().right(2), QByteArray("ab"));
        QCOMPARE(b.z.Empfangsbytes[4501], quint8(0));
        QCOMPARE(b.monitor, (QStringList{"97", "98", "99", "100"}));
        // A counter that is out of range never writes outside the store.
        b.z.Empfangszahl = -3;
        b.port.inject("e");
        QCOMPARE(b.z.Empfangszahl, qint16(-3));
    }

    // A line error reopens the port with its settings and drops the bytes;
    // any other code changes nothing.
    void ereigniscodes_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("neuOeffnen");
        for (int c : {1001, 1002, 1003, 1004, 1006, 1007, 1009, 1011})
            QTest::newRow(qPrintable(QString::number(c))) << c << true;
        for (int c : {0, 1, 3, 4, 5, 6, 7, 1005, 1008, 1010, 1012, -1})
            QTest::newRow(qPrintable(QString::number(c))) << c << false;
    }
    void ereigniscodes()
    {
        QFETCH(int, code);
        QFETCH(bool, neuOeffnen);
        Aufbau a;
        a.port.setSettings("2400,n,8,1");
        QSignalSpy empfangen(&a.v, &Verbindung::empfangen);
        QSignalSpy verloren(&a.v, &Verbindung::portVerloren);
        a.port.queue("wartet");
        a.port.injectEvent(code);
        QCOMPARE(QList<int>({a.port.closeCount(), a.port.openCount()}), QList<int>({neuOeffnen, 1 + neuOeffnen}));
        QVERIFY(a.port.isOpen());
        QCOMPARE(a.port.settings(), QStringLiteral("2400,n,8,1"));
        QCOMPARE(a.port.pending(), neuOeffnen ? QByteArray() : QByteArray("wartet"));
        QCOMPARE(a.z.Empfangszahl, qint16(0));
        QCOMPARE(empfangen.size() + verloren.size(), 0);
        a.port.inject("ok");
        QCOMPARE(a.empfangsbytes(), neuOeffnen ? QByteArray("ok") : QByteArray("wartetok"));
    }

    void portVerlorenOderGewechselt()
    {
        Aufbau a;
        QSignalSpy verloren(&a.v, &Verbindung::portVerloren);
        a.port.loseDevice();
        a.port.loseDevice();
        QCOMPARE(verloren.size(), 1);
        // Sending on a lost port does nothing and does not crash.
        QVERIFY(a.v.sendeAnfrage());
        QVERIFY(a.port.writes().isEmpty());
        QCOMPARE(a.port.lostWrites(), 1);
        // A line error on a closed port does not reopen it behind the user's back.
        a.port.injectEvent(Ereigniscode::Framing);
        QVERIFY(!a.port.isOpen());
        // The modem port's loss is the modem window's business.
        a.modem.loseDevice();
        QCOMPARE(verloren.size(), 1);

        // After a change of port only the new one counts.
        Aufbau b;
        QSignalSpy verlorenB(&b.v, &Verbindung::portVerloren);
        FakePort neu;
        neu.open();
        b.v.setPort(&neu);
        b.port.inject("alt");
        neu.inject("neu");
        QCOMPARE(b.empfangsbytes(), QByteArray("neu"));
        b.port.loseDevice();
        QCOMPARE(verlorenB.size(), 0);
        neu.loseDevice();
        QCOMPARE(verlorenB.size(), 1);
        // A destroyed port is forgotten: requests are formed and sent nowhere.
        auto p = std::make_unique<FakePort>();
        p->open();
        b.v.setPort(p.get());
        p.reset();
        QCOMPARE(b.v.port(), nullptr);
        b.z.Befehl = "AB";
        QVERIFY(b.v.sendeAnfrage());
        QCOMPARE(b.z.Rumpf.toHex(), QByteArray("020141420301"));
        b.v.empfangsereignis(Ereigniscode::Framing);
    }
};

PORTAVO_TESTKLASSE(TestVerbindung)
#include "tst_verbindung.moc"
