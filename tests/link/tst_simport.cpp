// The in-process simulated port: what a test on it can rely on. Echo ahead of
// the answer, a login and read-out, the speed the model sees, the device
// going away, line errors, opening failures. Telegrams are built here by hand.

#include "support/Testlauf.h"
#include "support/SimBus.h"
#include "support/SimPort.h"

#include <QSignalSpy>
#include <QTest>

namespace {
constexpr char STX = 0x02, ETX = 0x03, ACK = 0x06;

QByteArray telegramm(int adresse, const QByteArray &befehl)
{
    QByteArray t = QByteArray(1, STX) + char(adresse) + befehl + ETX;
    char x = 0;
    for (int i = 1; i < t.size(); ++i)
        x = char(x ^ t[i]);
    return t + x;
}

// Password 246810 as the terminal keeps it (memory bytes 5..7): "P0" and three bytes.
const QByteArray Login("P0\x42\x86\x01", 5);

// Collects every receive event of a port, one entry per event.
struct Empfaenger {
    SimPort &port;
    QList<QByteArray> stuecke;
    QList<int> codes;
    explicit Empfaenger(SimPort &p) : port(p)
    {
        QObject::connect(&port, &Port::ereignis, &port, [this](int code) {
            codes << code;
            if (code == Ereigniscode::Empfangen)
                stuecke << port.readAll();
        });
    }
    QByteArray alles() const { return stuecke.join(); }
    int groesse() const { return int(alles().size()); }
};

// The memory of the main-file text.
QByteArray speicherbytes(const QByteArray &hauptdatei)
{
    QByteArray m;
    for (const QByteArray &z : hauptdatei.split('\n'))
        if (!z.trimmed().isEmpty())
            m += char(z.trimmed().toInt());
    return m;
}
}  // namespace

class TestSimPort : public QObject {
    Q_OBJECT

private slots:
    void echoVorDerAntwort()
    {
        SimBus bus;
        SIMBUS_STARTEN(bus, QJsonArray{SimBus::terminal(5, 0), SimBus::terminal(6, 1)});
        SimPort port;
        port.setDevice(bus.device());
        QVERIFY(port.open());
        Empfaenger e(port);
        QSignalSpy gesendet(&port, &Port::gesendet);

        const QByteArray x = telegramm(5, "X");
        port.write(x);
        // Nothing is on the line before the event loop runs.
        QCOMPARE(port.bytesToWrite(), qint64(x.size()));
        QVERIFY(e.stuecke.isEmpty());
        QTRY_COMPARE(e.groesse(), 11);
        // The echo arrives on its own, ahead of the answer.
        QCOMPARE(e.stuecke.first(), x);
        QCOMPARE(e.stuecke.size(), 2);
        QCOMPARE(e.stuecke.at(1), QByteArray("\x02\x05X@\x03\x1E", 6));
        QCOMPARE(port.bytesToWrite(), qint64(0));
        qint64 summe = 0;
        for (const auto &s : gesendet)
            summe += s.first().toLongLong();
        QCOMPARE(summe, qint64(x.size()));

        // The model's clock counts 10 bit times per byte at 19200 baud and the
        // turnaround, although none of it was waited for.
        const auto v = bus.verkehr();
        QCOMPARE(SimBus::bytes(v), x);
        for (int i = 1; i < v.size(); ++i) {
            QCOMPARE(v[i].baud, 19200);
            QCOMPARE(v[i].us - v[i - 1].us, qint64(521));
        }
        QVERIFY(bus.jetztUs() >= v.last().us + 3000 + 6 * 521);

        // Protocol 1: the longer answer; a foreign address: the echo alone.
        e.stuecke.clear();
        port.write(telegramm(6, "X"));
        QTRY_COMPARE(e.groesse(), 5 + 8);
        QCOMPARE(e.alles().mid(5), QByteArray("\x02\x06X00A\x03\x1C", 8));
        e.stuecke.clear();
        port.write(telegramm(9, "X"));
        QTRY_COMPARE(e.groesse(), 5);
        QTest::qWait(20);
        QCOMPARE(e.groesse(), 5);
    }

    void ohneEcho()
    {
        SimBus bus;
        SIMBUS_STARTEN(bus, QJsonArray{SimBus::terminal(5, 0)}, {QStringLiteral("--no-echo")});
        SimPort port;
        port.setDevice(bus.device());
        QVERIFY(port.open());
        Empfaenger e(port);
        port.write(telegramm(5, "X"));
        QTRY_COMPARE(e.groesse(), 6);
        QCOMPARE(e.stuecke, QList<QByteArray>{QByteArray("\x02\x05X@\x03\x1E", 6)});
    }

    void anmeldenUndAuslesen_data()
    {
        QTest::addColumn<QStringList>("optionen");
        QTest::newRow("ohne Wartezeit") << QStringList();
        QTest::newRow("in Leitungszeit") << QStringList{QStringLiteral("--paced")};
    }
    void anmeldenUndAuslesen()
    {
        QFETCH(QStringList, optionen);
        SimBus bus;
        SIMBUS_STARTEN(bus, QJsonArray{SimBus::terminal(4, 0)}, optionen);
        SimPort port;
        port.setDevice(bus.device());
        QVERIFY(port.open());
        Empfaenger e(port);

        const QByteArray login = telegramm(4, Login);
        port.write(login);
        QTRY_COMPARE(e.groesse(), 9 + 6);
        QCOMPARE(e.alles(), login + telegramm(4, "PJ"));

        e.stuecke.clear();
        const QByteArray lesen = QByteArray(1, ACK) + telegramm(4, "E");
        port.write(lesen);
        QTRY_COMPARE_WITH_TIMEOUT(e.groesse(), 6 + 4101, 10000);
        const QByteArray a = e.alles();
        QVERIFY(a.startsWith(lesen + QByteArray("\x02\x04" "E", 3)));
        // Two characters per memory byte, low nibble first.
        const QByteArray speicher = speicherbytes(bus.speicher(4));
        QCOMPARE(speicher.size(), 2048);
        for (int i = 0; i < 2048; ++i) {
            const quint8 b = quint8(speicher[i]);
            QCOMPARE(quint8(a[9 + 2 * i]), quint8(0x30 + (b & 15)));
            QCOMPARE(quint8(a[10 + 2 * i]), quint8(0x30 + (b >> 4)));
        }
        char pruef = 0;
        for (int i = 8; i < a.size() - 1; ++i)
            pruef = char(pruef ^ a[i]);
        QCOMPARE(a.back(), pruef);

        // Without a login just before it the terminal does not answer "E".
        e.stuecke.clear();
        port.write(telegramm(4, "E"));
        QTRY_COMPARE(e.groesse(), 5);
        QTest::qWait(20);
        QCOMPARE(e.groesse(), 5);
        QVERIFY(bus.notizen().contains(QStringLiteral("terminal 4: read-out without login ignored")));
    }

    // The write block goes at 2400 baud while the terminals listen at 19200.
    void geschwindigkeitswechsel()
    {
        SimBus bus;
        SIMBUS_STARTEN(bus, QJsonArray{SimBus::terminal(4, 0)});
        SimPort port;
        port.setDevice(bus.device());
        QVERIFY(port.setSettings(QStringLiteral("19200,n,8,1")));
        QVERIFY(port.open());
        Empfaenger e(port);
        QByteArray speicher(2048, 0);
        for (int i = 0; i < speicher.size(); ++i)
            speicher[i] = char((i * 13 + 1) & 0xFF);
        speicher[8] = 4;
        speicher[10] = 0;
        char pruef = ETX;
        for (char c : speicher)
            pruef = char(pruef ^ c);
        const QByteArray block = QByteArray(1, STX) + speicher + ETX + pruef;

        // Request and announcement written and the speed changed at once:
        // their bytes have not left the port, so they go at 2400 and
        // announce nothing.
        port.write(telegramm(4, Login));
        QTRY_COMPARE(e.groesse(), 15);
        port.write(QByteArray(1, ACK) + telegramm(4, "D") + "U24###");
        QVERIFY(port.setSettings(QStringLiteral("2400,n,8,1")));
        port.write(block);
        QTRY_COMPARE(bus.verkehr().size(), 9 + 12 + block.size());
        QTest::qWait(20);
        QCOMPARE(bus.verkehr().at(9).baud, 2400);
        QVERIFY(e.alles().indexOf("U19###") < 0);
        QVERIFY(speicherbytes(bus.speicher(4)) != speicher);

        // Drained before the switch: announced at 19200, block at 2400, confirmed.
        QVERIFY(port.setSettings(QStringLiteral("19200,n,8,1")));
        const int beginn = int(bus.verkehr().size());
        e.stuecke.clear();
        port.write(telegramm(4, Login));
        QTRY_COMPARE(e.groesse(), 15);
        port.write(QByteArray(1, ACK) + telegramm(4, "D") + "U24###");
        QVERIFY(port.bytesToWrite() > 0);
        port.drain();
        QCOMPARE(port.bytesToWrite(), qint64(0));
        QVERIFY(port.setSettings(QStringLiteral("2400,n,8,1")));
        port.write(block);
        QTRY_VERIFY(e.alles().endsWith("U19###"));
        const auto v = bus.verkehr(beginn);
        const int vorspann = 9 + 6 + 6;
        QCOMPARE(v.size(), vorspann + block.size());
        for (int i = 0; i < v.size(); ++i)
            QCOMPARE(v[i].baud, i < vorspann ? 19200 : 2400);
        // 10 bit times at 2400 baud between the block's bytes, on the model's clock.
        for (int i = vorspann + 1; i < v.size(); ++i)
            QCOMPARE(v[i].us - v[i - 1].us, qint64(4167));
        QCOMPARE(speicherbytes(bus.speicher(4)), speicher);
        // The echo of the block came back ahead of the confirmation.
        QCOMPARE(e.alles().right(6 + block.size()), block + "U19###");
    }

    void geraetVerschwindet_data()
    {
        QTest::addColumn<bool>("perFehler");
        QTest::newRow("gone-Fehler im Szenario") << true;
        QTest::newRow("abgezogen") << false;
    }
    void geraetVerschwindet()
    {
        QFETCH(bool, perFehler);
        SimBus bus;
        const QJsonArray weg{QJsonObject{{"type", "gone"}, {"command", "E"}, {"afterBytes", 100}}};
        SIMBUS_STARTEN(bus, QJsonArray{SimBus::terminal(1, 0, perFehler ? QJsonObject{{"faults", weg}}
                                                                           : QJsonObject{})});
        SimPort port;
        port.setDevice(bus.device());
        QVERIFY(port.open());
        Empfaenger e(port);
        QSignalSpy verloren(&port, &Port::verloren);
        port.write(telegramm(1, Login));
        QTRY_COMPARE(e.groesse(), 15);
        e.stuecke.clear();
        port.write(QByteArray(1, ACK) + telegramm(1, "E"));
        if (perFehler) {
            // What was on the line before the device went arrives first.
            QVERIFY(verloren.wait(2000));
            QCOMPARE(e.groesse(), 6 + 100);
        } else {
            QTRY_VERIFY(e.groesse() > 6);
            bus.abziehen();
            QVERIFY(port.isOpen());  // the port notices it on the event loop, like a real one
            QVERIFY(verloren.wait(2000));
        }
        QCOMPARE(verloren.count(), 1);
        QVERIFY(!port.isOpen());
        QVERIFY(bus.weg());
        QCOMPARE(port.bytesToWrite(), qint64(0));
        port.write("X");  // lost, no crash
        QVERIFY(!port.open());
        QCOMPARE(port.letzterFehler(), Port::Oeffnungsfehler::GibtEsNicht);
        QTest::qWait(20);
        QCOMPARE(verloren.count(), 1);
    }

    void leitungsfehler()
    {
        SimBus bus;
        SIMBUS_STARTEN(bus, QJsonArray{SimBus::terminal(5, 0)});
        SimPort port;
        port.setDevice(bus.device());
        QVERIFY(port.open());
        Empfaenger e(port);
        bus.setLeitungsfehler(Ereigniscode::Framing);
        const QByteArray x = telegramm(5, "X");
        port.write(x);
        // The echo is spoiled: a framing error instead of its bytes; the answer comes.
        QTRY_COMPARE(e.codes.size(), 2);
        QCOMPARE(e.codes, (QList<int>{Ereigniscode::Framing, Ereigniscode::Empfangen}));
        QCOMPARE(e.alles(), QByteArray("\x02\x05X@\x03\x1E", 6));
    }

    void oeffnen()
    {
        SimBus bus;
        SimPort port;
        port.setDevice(bus.device());
        // A bus not started is no device.
        QVERIFY(!port.open());
        QCOMPARE(port.letzterFehler(), Port::Oeffnungsfehler::GibtEsNicht);
        SIMBUS_STARTEN(bus, QJsonArray{SimBus::terminal(5, 0)});
        QVERIFY(port.open());
        QCOMPARE(port.letzterFehler(), Port::Oeffnungsfehler::Keiner);
        SimPort zweiter;
        zweiter.setDevice(bus.device());
        QVERIFY(!zweiter.open());
        QCOMPARE(zweiter.letzterFehler(), Port::Oeffnungsfehler::Belegt);
        QVERIFY(!zweiter.fehlertext().isEmpty());
        // Closed and opened again, by the other port.
        port.close();
        QVERIFY(zweiter.open());
        Empfaenger e(zweiter);
        zweiter.write(telegramm(5, "X"));
        QTRY_COMPARE(e.groesse(), 11);
        // Bad settings are refused and change nothing.
        QVERIFY(!zweiter.setSettings(QStringLiteral("19200,n,9,1")));
        QCOMPARE(zweiter.settings(), QStringLiteral("19200,n,8,1"));
        // A scenario with an unknown key does not start.
        SimBus falsch;
        QVERIFY(!falsch.starten(QJsonArray{QJsonObject{{"address", 1}, {"adress", 2}}}).isEmpty());
        SimPort dritter;
        dritter.setDevice(QStringLiteral("sim:gibt-es-nicht"));
        QVERIFY(!dritter.open());
        QCOMPARE(dritter.letzterFehler(), Port::Oeffnungsfehler::GibtEsNicht);
    }
};

PORTAVO_TESTKLASSE(TestSimPort)
#include "tst_simport.moc"
