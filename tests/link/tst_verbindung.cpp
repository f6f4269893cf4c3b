// Sending and receive routing of the link, on FakePort.

#include "link/FakePort.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "shell/Zustand.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

namespace {

struct Aufbau {
    Zustand z;
    FakePort port;
    FakePort modem;
    Verbindung v{z};
    QStringList monitor;

    Aufbau()
    {
        port.open();
        modem.open();
        v.setPort(&port);
        v.setModemPort(&modem);
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
    void anfrageInEinemStueck();
    void anfrageVerweigert_data();
    void anfrageVerweigert();
    void anfrageMonitor();
    void quittungen();
    void modembetrieb();
    void rohAufBestimmtemPort();

    void routing_data();
    void routing();
    void adressSucheSchlaegtAnmeldung();
    void reparatur_data();
    void reparatur();
    void empfangsgrenze();
    void empfangsgrenzeUeberEreignisse();
    void monitorJeEmpfangenesByte();
    void leitungsfehlerOeffnetNeu_data();
    void leitungsfehlerOeffnetNeu();
    void andereCodesAendernNichts_data();
    void andereCodesAendernNichts();
    void modemdatenUeberVerarbeite();
    void geraetVerlorenEinmal();
    void portwechsel();
    void portZerstoert();
};

void TestVerbindung::anfrageInEinemStueck()
{
    Aufbau a;
    a.z.Adresse = 1;
    a.z.Befehl = "E";
    a.z.Empfang = "alt";
    QVERIFY(a.v.sendeAnfrage());
    QCOMPARE(a.port.writes().size(), 1);
    QCOMPARE(a.port.writes().at(0).bytes.toHex(), QByteArray("0201450347"));
    QCOMPARE(a.port.writes().at(0).settings, QStringLiteral("19200,n,8,1"));
    QCOMPARE(a.z.Rumpf.toHex(), QByteArray("0201450347"));
    QVERIFY(a.z.Empfang.isEmpty());
    QVERIFY(a.modem.writes().isEmpty());
    QVERIFY(a.monitor.isEmpty());  // monitor closed

    a.z.Adresse = 255;
    a.z.Befehl = "X";
    QVERIFY(a.v.sendeAnfrage());
    QCOMPARE(a.port.writes().at(1).bytes.toHex(), QByteArray("02ff5803a4"));

    // Login with packed bytes 02 03: nothing is escaped, one write.
    a.z.Adresse = 1;
    a.z.Befehl = "P" + Telegramm::packePasswort("203011");
    QVERIFY(a.v.sendeAnfrage());
    QCOMPARE(a.port.writes().size(), 3);
    QCOMPARE(a.port.writes().at(2).bytes.toHex(), QByteArray("020150300203110372"));
}

void TestVerbindung::anfrageVerweigert_data()
{
    QTest::addColumn<int>("adresse");
    QTest::addColumn<QByteArray>("befehl");
    QTest::newRow("256") << 256 << QByteArray("X");
    QTest::newRow("negativ") << -1 << QByteArray("X");
    QTest::newRow("leerer Befehl") << 1 << QByteArray();
}

void TestVerbindung::anfrageVerweigert()
{
    QFETCH(int, adresse);
    QFETCH(QByteArray, befehl);
    Aufbau a;
    a.z.MonitorAktiv = 1;
    a.z.Adresse = qint16(adresse);
    a.z.Befehl = befehl;
    a.z.Rumpf = "vorher";
    a.z.Empfang = "bleibt";
    QVERIFY(!a.v.sendeAnfrage());
    QVERIFY(a.port.writes().isEmpty());
    QCOMPARE(a.z.Rumpf, QByteArray("vorher"));
    QCOMPARE(a.z.Empfang, QByteArray("bleibt"));
    QVERIFY(a.monitor.isEmpty());
}

void TestVerbindung::anfrageMonitor()
{
    Aufbau a;
    a.z.MonitorAktiv = 1;
    a.z.Adresse = 1;
    a.z.Befehl = "E";
    a.v.sendeAnfrage();
    QCOMPARE(a.monitor, QStringList{QStringLiteral("**<02><01>E<03>G**")});
}

void TestVerbindung::quittungen()
{
    Aufbau a;
    a.v.sendeAck();
    a.v.sendeProtokoll1Quittung();
    QCOMPARE(a.port.written().toHex(), QByteArray("0602060305"));
    QCOMPARE(a.port.writes().size(), 2);
    QVERIFY(a.monitor.isEmpty());
    a.z.MonitorAktiv = 1;
    a.v.sendeAck();
    a.v.sendeProtokoll1Quittung();
    QCOMPARE(a.monitor, (QStringList{"**06**", "**02060305**"}));
}

void TestVerbindung::modembetrieb()
{
    Aufbau a;
    a.z.Modembetrieb = 1;
    a.z.Adresse = 1;
    a.z.Befehl = "E";
    QCOMPARE(a.v.aktiverPort(), &a.modem);
    QVERIFY(a.v.sendeAnfrage());
    a.v.sendeAck();
    a.v.sendeRoh("###");
    QCOMPARE(a.modem.written().toHex(), QByteArray("020145034706232323"));
    QVERIFY(a.port.writes().isEmpty());

    // Modem operation without a modem port: nothing goes anywhere.
    a.v.setModemPort(nullptr);
    QVERIFY(a.v.sendeAnfrage());
    QVERIFY(a.port.writes().isEmpty());

    a.z.Modembetrieb = 0;
    QCOMPARE(a.v.aktiverPort(), &a.port);
}

void TestVerbindung::rohAufBestimmtemPort()
{
    Aufbau a;
    a.v.sendeRoh(Telegramm::Schreibankuendigung, &a.modem);
    a.v.sendeRoh(Telegramm::Startstring);
    QCOMPARE(a.modem.written(), QByteArray("U24###"));
    QCOMPARE(a.port.written().toHex(), QByteArray("02303750693603"));
}

void TestVerbindung::routing_data()
{
    QTest::addColumn<int>("adressSuche");
    QTest::addColumn<int>("testAktiv");
    QTest::addColumn<QByteArray>("befehl");
    QTest::addColumn<QString>("ziel");
    QTest::newRow("Adresssuche") << 1 << 0 << QByteArray("X") << "Empfang";
    QTest::newRow("Adresssuche vor Test") << 1 << 1 << QByteArray("E") << "Empfang";
    QTest::newRow("Test") << 0 << 1 << QByteArray("E") << "Testempfang";
    QTest::newRow("Test vor Anmeldung") << 0 << 1 << QByteArray("P0ab") << "Testempfang";
    QTest::newRow("Anmeldung") << 0 << 0 << QByteArray("P0ab") << "Antwort";
    QTest::newRow("klein p ist keine Anmeldung") << 0 << 0 << QByteArray("p") << "Empfangsbytes";
    QTest::newRow("Auslesen") << 0 << 0 << QByteArray("E") << "Empfangsbytes";
    QTest::newRow("kein Befehl") << 0 << 0 << QByteArray() << "Empfangsbytes";
    QTest::newRow("Flag 2 zaehlt nicht") << 2 << 2 << QByteArray("D") << "Empfangsbytes";
}

void TestVerbindung::routing()
{
    QFETCH(int, adressSuche);
    QFETCH(int, testAktiv);
    QFETCH(QByteArray, befehl);
    QFETCH(QString, ziel);
    Aufbau a;
    a.z.AdressSuche = qint16(adressSuche);
    a.z.TestAktiv = qint16(testAktiv);
    a.z.Befehl = befehl;
    QSignalSpy empfangen(&a.v, &Verbindung::empfangen);
    const QByteArray eins = hex("06024a");
    const QByteArray zwei = hex("0300ff");
    a.port.inject(eins);
    a.port.inject(zwei);
    const QByteArray alles = eins + zwei;

    QCOMPARE(a.z.Empfang, ziel == "Empfang" ? alles : QByteArray());
    QCOMPARE(a.z.Testempfang, ziel == "Testempfang" ? alles : QByteArray());
    QCOMPARE(a.z.Antwort, ziel == "Antwort" ? alles : QByteArray());
    QCOMPARE(a.empfangsbytes(), ziel == "Empfangsbytes" ? alles : QByteArray());
    QCOMPARE(empfangen.size(), 2);
    QCOMPARE(empfangen.at(1).at(0).toInt(), 3);
    QVERIFY(a.port.pending().isEmpty());
}

void TestVerbindung::adressSucheSchlaegtAnmeldung()
{
    Aufbau a;
    a.z.AdressSuche = 1;
    a.z.Befehl = "P0\x21\x43\x65";
    a.z.Antwort = "x";
    a.port.inject("J\x03");
    QCOMPARE(a.z.Empfang, QByteArray("J\x03"));
    QCOMPARE(a.z.Antwort, QByteArray("x"));
}

void TestVerbindung::reparatur_data()
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

void TestVerbindung::reparatur()
{
    QFETCH(int, reparatur);
    QFETCH(QByteArray, eingang);
    QFETCH(bool, antwort);
    Aufbau a;
    a.z.MonitorAktiv = 1;
    a.z.Reparatur = qint16(reparatur);
    a.z.Befehl = "D";
    QSignalSpy rep(&a.v, &Verbindung::reparaturAntwort);
    QSignalSpy empfangen(&a.v, &Verbindung::empfangen);
    a.port.inject(eingang);
    QCOMPARE(rep.size(), antwort ? 1 : 0);
    if (antwort) {
        // Not routed, not logged: the write sequence takes it from here.
        QCOMPARE(a.z.Empfangszahl, qint16(0));
        QVERIFY(a.monitor.isEmpty());
        QCOMPARE(empfangen.size(), 0);
    } else {
        QCOMPARE(a.empfangsbytes(), eingang);
        QCOMPARE(a.monitor.size(), eingang.size());
        QCOMPARE(empfangen.size(), 1);
    }
}

void TestVerbindung::empfangsgrenze()
{
    Aufbau a;
    a.z.Befehl = "E";
    QByteArray viele(4600, 0);
    for (int i = 0; i < viele.size(); ++i)
        viele[i] = char(1 + i % 250);
    a.port.inject(viele);
    QCOMPARE(a.z.Empfangszahl, qint16(4501));
    QCOMPARE(a.empfangsbytes(), viele.left(4501));
    QCOMPARE(a.z.Empfangsbytes[4500], quint8(viele.at(4500)));
    for (size_t i = 4501; i < a.z.Empfangsbytes.size(); ++i)
        QCOMPARE(a.z.Empfangsbytes[i], quint8(0));  // the last 99 went nowhere
}

void TestVerbindung::empfangsgrenzeUeberEreignisse()
{
    Aufbau a;
    a.z.Befehl = "E";
    a.z.Empfangszahl = 4499;
    a.port.inject("abc");
    QCOMPARE(a.z.Empfangszahl, qint16(4501));
    QCOMPARE(a.z.Empfangsbytes[4499], quint8('a'));
    QCOMPARE(a.z.Empfangsbytes[4500], quint8('b'));
    QCOMPARE(a.z.Empfangsbytes[4501], quint8(0));
    a.port.inject("d");
    QCOMPARE(a.z.Empfangszahl, qint16(4501));
    QCOMPARE(a.z.Empfangsbytes[4501], quint8(0));
    // A counter that is out of range never writes outside the store.
    a.z.Empfangszahl = -3;
    a.port.inject("e");
    QCOMPARE(a.z.Empfangszahl, qint16(-3));
}

void TestVerbindung::monitorJeEmpfangenesByte()
{
    Aufbau a;
    a.z.AdressSuche = 1;
    a.port.inject(hex("02ff41"));
    QVERIFY(a.monitor.isEmpty());
    a.z.MonitorAktiv = 1;
    a.port.inject(hex("02ff41"));
    QCOMPARE(a.monitor, (QStringList{"2", "255", "65"}));
    // Bytes beyond the store's end are still shown: they were on the line.
    a.monitor.clear();
    a.z.AdressSuche = 0;
    a.z.Befehl = "E";
    a.z.Empfangszahl = 4501;
    a.port.inject("AB");
    QCOMPARE(a.monitor, (QStringList{"65", "66"}));
}

void TestVerbindung::leitungsfehlerOeffnetNeu_data()
{
    QTest::addColumn<int>("code");
    for (int c : {1001, 1002, 1003, 1004, 1006, 1007, 1009, 1011})
        QTest::newRow(qPrintable(QString::number(c))) << c;
}

void TestVerbindung::leitungsfehlerOeffnetNeu()
{
    QFETCH(int, code);
    Aufbau a;
    a.z.Befehl = "E";
    a.port.setSettings("2400,n,8,1");
    QSignalSpy empfangen(&a.v, &Verbindung::empfangen);
    QSignalSpy verloren(&a.v, &Verbindung::portVerloren);
    a.port.queue("kaputt");
    const int auf = a.port.openCount();
    const int zu = a.port.closeCount();
    a.port.injectEvent(code);
    QCOMPARE(a.port.closeCount(), zu + 1);
    QCOMPARE(a.port.openCount(), auf + 1);
    QVERIFY(a.port.isOpen());
    QVERIFY(a.port.pending().isEmpty());
    QCOMPARE(a.port.settings(), QStringLiteral("2400,n,8,1"));
    QCOMPARE(a.z.Empfangszahl, qint16(0));
    QCOMPARE(empfangen.size(), 0);
    QCOMPARE(verloren.size(), 0);
    // The port works on afterwards.
    a.port.inject("ok");
    QCOMPARE(a.empfangsbytes(), QByteArray("ok"));
}

void TestVerbindung::andereCodesAendernNichts_data()
{
    QTest::addColumn<int>("code");
    for (int c : {0, 1, 3, 4, 5, 6, 7, 1005, 1008, 1010, 1012, -1})
        QTest::newRow(qPrintable(QString::number(c))) << c;
}

void TestVerbindung::andereCodesAendernNichts()
{
    QFETCH(int, code);
    Aufbau a;
    a.z.Befehl = "E";
    a.port.queue("wartet");
    a.port.injectEvent(code);
    QCOMPARE(a.port.closeCount(), 0);
    QCOMPARE(a.port.openCount(), 1);
    QCOMPARE(a.port.pending(), QByteArray("wartet"));
    QCOMPARE(a.z.Empfangszahl, qint16(0));
    // Still there for the next receive event.
    a.port.injectEvent(Ereigniscode::Empfangen);
    QCOMPARE(a.empfangsbytes(), QByteArray("wartet"));
}

void TestVerbindung::modemdatenUeberVerarbeite()
{
    Aufbau a;
    a.z.Modembetrieb = 1;
    a.z.Befehl = "P0\x01\x02\x03";
    // The modem window reads its own port; the link leaves it alone.
    a.modem.inject("CONNECT");
    QCOMPARE(a.modem.pending(), QByteArray("CONNECT"));
    QVERIFY(a.z.Antwort.isEmpty());
    a.v.verarbeite(a.modem.readAll());
    QCOMPARE(a.z.Antwort, QByteArray("CONNECT"));
    // A line error of the modem port does not touch it either.
    a.modem.injectEvent(Ereigniscode::Framing);
    QCOMPARE(a.modem.closeCount(), 0);
    a.v.verarbeite(QByteArray());
    QCOMPARE(a.z.Antwort, QByteArray("CONNECT"));
}

void TestVerbindung::geraetVerlorenEinmal()
{
    Aufbau a;
    QSignalSpy verloren(&a.v, &Verbindung::portVerloren);
    a.port.loseDevice();
    a.port.loseDevice();
    QCOMPARE(verloren.size(), 1);
    QVERIFY(!a.port.isOpen());
    // Sending on a lost port does nothing and does not crash.
    a.z.Adresse = 1;
    a.z.Befehl = "E";
    QVERIFY(a.v.sendeAnfrage());
    QVERIFY(a.port.writes().isEmpty());
    QCOMPARE(a.port.lostWrites(), 1);
    // A line error on a closed port does not reopen it behind the user's back.
    a.port.injectEvent(Ereigniscode::Framing);
    QVERIFY(!a.port.isOpen());
    // The modem port's loss is the modem window's business.
    a.modem.loseDevice();
    QCOMPARE(verloren.size(), 1);
}

void TestVerbindung::portwechsel()
{
    Aufbau a;
    FakePort neu;
    neu.open();
    a.z.Befehl = "E";
    a.v.setPort(&neu);
    a.port.inject("alt");
    QCOMPARE(a.z.Empfangszahl, qint16(0));
    neu.inject("neu");
    QCOMPARE(a.empfangsbytes(), QByteArray("neu"));
    QSignalSpy verloren(&a.v, &Verbindung::portVerloren);
    a.port.loseDevice();
    QCOMPARE(verloren.size(), 0);
    neu.loseDevice();
    QCOMPARE(verloren.size(), 1);
}

void TestVerbindung::portZerstoert()
{
    Zustand z;
    Verbindung v(z);
    auto p = std::make_unique<FakePort>();
    p->open();
    v.setPort(p.get());
    p.reset();
    QCOMPARE(v.port(), nullptr);
    z.Adresse = 1;
    z.Befehl = "E";
    QVERIFY(v.sendeAnfrage());  // formed, kept in Rumpf, sent nowhere
    QCOMPARE(z.Rumpf.size(), 5);
    v.empfangsereignis(Ereigniscode::Framing);
}

QTEST_GUILESS_MAIN(TestVerbindung)
#include "tst_verbindung.moc"
