// The in-process bus as a port sees it: echo ahead of the answer, line time on the bus clock, speed change.

#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "support/SimBus.h"
#include "support/Testhilfe.h"
#include "link/Telegramm.h"

#include <QSignalSpy>
#include <QTest>

namespace {
// A bus with terminal 5 (protocol 0) and 6 (protocol 1), a port open on it,
// and every receive event of the port, one entry per event.
struct Am {
    SimBus bus;
    SimPort port;
    QList<QByteArray> stuecke;
    explicit Am(const QStringList &optionen = {})
    {
        bus.starten({SimBus::terminal(5, 0), SimBus::terminal(6, 1)}, optionen);
        port.setDevice(bus.device());
        port.open();
        QObject::connect(&port, &Port::ereignis, &port, [this](int) { stuecke << port.readAll(); });
    }
    // Writes and waits until nothing more comes.
    bool schreibe(const QByteArray &b)
    {
        stuecke.clear();
        port.write(b);
        return QTest::qWaitFor([this] { return bus.ruhig(); }, 10000);
    }
};

}  // namespace

class TestSimPort : public QObject {
    Q_OBJECT

private slots:
    void echoVorDerAntwort_data()
    {
        spalten<int, bool, QByteArray>("adresse", "echo", "antwort");
        QTest::newRow("Protokoll 0") << 5 << true << QByteArray("\x02\x05X@\x03\x1E", 6);
        QTest::newRow("Protokoll 1") << 6 << true << QByteArray("\x02\x06X00A\x03\x1C", 8);
        QTest::newRow("niemand dort") << 9 << true << QByteArray();
        QTest::newRow("ohne Echo") << 5 << false << QByteArray("\x02\x05X@\x03\x1E", 6);
    }
    void echoVorDerAntwort()
    {
        const auto [adresse, echo, antwort] = werte<int, bool, QByteArray>("adresse", "echo", "antwort");
        Am a(echo ? QStringList() : QStringList{QStringLiteral("--no-echo")});
        QSignalSpy gesendet(&a.port, &Port::gesendet);
        const QByteArray x = Telegramm::anfrage(adresse, "X");
        a.port.write(x);
        // Nothing is on the line before the event loop runs.
        QCOMPARE(a.port.bytesToWrite(), qint64(x.size()));
        QVERIFY(QTest::qWaitFor([&] { return a.bus.ruhig(); }));
        QCOMPARE(a.port.bytesToWrite(), qint64(0));
        QCOMPARE(gesendet.size(), 1);
        QCOMPARE(gesendet.first().first().toLongLong(), qint64(x.size()));
        // The echo arrives on its own, ahead of the answer.
        QList<QByteArray> erwartet;
        if (echo)
            erwartet << x;
        if (!antwort.isEmpty())
            erwartet << antwort;
        QCOMPARE(a.stuecke, erwartet);
        // The clock counts 10 bit times per byte at 19200 baud, and the
        // turnaround before an answer, although none of it was waited for.
        const auto v = a.bus.verkehr();
        QCOMPARE(SimBus::bytes(v), x);
        for (int i = 1; i < v.size(); ++i)
            QCOMPARE(QList<qint64>({v[i].baud, v[i].us - v[i - 1].us}), QList<qint64>({19200, 521}));
        if (!antwort.isEmpty())
            QVERIFY(a.bus.jetztUs() >= v.last().us + 3000 + (antwort.size() - 1) * 521);
    }

    // The block goes at 2400 baud while the terminals listen at 19200: what
    // has not left the port when the speed changes goes at the new speed.
    void geschwindigkeitswechsel_data()
    {
        QTest::addColumn<bool>("geleert");
        QTest::newRow("vor dem Wechsel geleert") << true;
        QTest::newRow("nicht geleert") << false;
    }
    void geschwindigkeitswechsel()
    {
        QFETCH(bool, geleert);
        Am a;
        QByteArray speicher(2048, 0);
        for (int i = 0; i < speicher.size(); ++i)
            speicher[i] = char((i * 13 + 1) & 0xFF);
        speicher[8] = 5;
        speicher[10] = 0;
        const QByteArray block = Telegramm::schreibblock(speicher);
        // Login with password 246810 as the terminal keeps it (memory bytes 5..7).
        QVERIFY(a.schreibe(Telegramm::anfrage(5, QByteArray("P0\x42\x86\x01", 5))));
        const int beginn = int(a.bus.verkehr().size());
        a.port.write(Telegramm::Quittung + Telegramm::anfrage(5, "D") + "U24###");
        if (geleert)
            a.port.drain();
        QCOMPARE(a.port.bytesToWrite(), qint64(geleert ? 0 : 12));
        QVERIFY(a.port.setSettings(QStringLiteral("2400,n,8,1")) && a.schreibe(block));
        const auto v = a.bus.verkehr(beginn);
        for (int i = 0; i < v.size(); ++i)
            QCOMPARE(v[i].baud, i < 12 && geleert ? 19200 : 2400);
        // 10 bit times at 2400 baud between the block's bytes, on the bus clock.
        QCOMPARE(v.last().us - v[12].us, qint64(block.size() - 1) * 4167);
        QCOMPARE(a.bus.speicher(5) == hauptdatei([&](int i) { return quint8(speicher[i]); }), geleert);
        QCOMPARE(a.stuecke.join().mid(12), geleert ? block + "U19###" : block);  // after the echo of the announcement
    }
};

PORTAVO_TESTKLASSE(TestSimPort)
#include "tst_simport.moc"
