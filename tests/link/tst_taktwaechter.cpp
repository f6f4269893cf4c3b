// Which ticks count (a late timeout right after the one before does not), and the sequence base using it
// (its messages from the text table: the command line's texts in TestCliBus).

#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "support/FakePort.h"
#include "base/Zustand.h"
#include "link/Ablauf.h"
#include "link/Taktwaechter.h"
#include "link/Verbindung.h"

#include <QTest>
#include <QTimer>

namespace {

// Hands its waiting bytes over when asked, or goes away then.
struct Abholport : FakePort {
    bool wegBeimAbholen = false;
    void abholen() override
    {
        if (wegBeimAbholen)
            loseDevice();
        else if (!pending().isEmpty())
            injectEvent(Ereigniscode::Empfangen);
    }
};

// A sequence with one tick that counts its steps and the bytes it saw.
struct Probe : Ablauf {
    int schritte = 0;
    int gesehen = -1;
    int portverluste = 0;
    Probe(Zustand &z, Verbindung &v, Meldung *m, Wache wache, bool einmal) : Ablauf(z, v, m)
    {
        taktAnlegen(7, wache, einmal, [this] {
            ++schritte;
            gesehen = m_v.ablage().zahl();
        }, 100000);
    }
    void beiPortverlust() override
    {
        ++portverluste;
        stoppeAlleTakte();
    }
    using Ablauf::starteTakt;
    using Ablauf::Wache;
};

}  // namespace

class TstTaktwaechter : public QObject {
    Q_OBJECT
private slots:
    void nachgeholterTickZaehltNicht()
    {
        Taktwaechter w;
        qint64 jetzt = 5000;
        w.setUhr([&jetzt] { return jetzt; });
        QVERIFY(w.zaehlt(100000));  // not started: every tick counts
        w.start();
        QVERIFY(!w.zaehlt(100000));  // at once after the start
        jetzt += 19;
        QVERIFY(!w.zaehlt(40));  // 19 ms: not yet half of 40
        jetzt += 1;
        QVERIFY(w.zaehlt(40));  // 20 ms since the start: a refused tick was no new reference
        QVERIFY(!w.zaehlt(100000));  // the next one right behind it does not count
        QVERIFY(w.zaehlt(0));        // an interval of 0 lets every tick count
    }

    // A tick at once after its start counts only without the late-tick guard; the guards fetch waiting
    // bytes first; a repeating tick whose port went away meanwhile is skipped.
    void ablaufWachen_data()
    {
        spalten<int, bool, bool, int, int>("wache", "einmal", "portWeg", "schritte", "gesehen");
        using W = Probe::Wache;
        QTest::newRow("ohne Wache") << int(W::Keine) << false << false << 1 << 0;
        QTest::newRow("abholen") << int(W::Abholen) << false << false << 1 << 2;
        QTest::newRow("verspaetet") << int(W::Verspaetet) << false << false << 0 << -1;
        QTest::newRow("abholen, Port weg") << int(W::Abholen) << false << true << 0 << -1;
        QTest::newRow("einmal, Port weg") << int(W::Abholen) << true << true << 1 << 0;
    }
    void ablaufWachen()
    {
        const auto [wache, einmal, portWeg, schritte, gesehen] =
            werte<int, bool, bool, int, int>("wache", "einmal", "portWeg", "schritte", "gesehen");
        Zustand z;
        Abholport port;
        port.open();
        Verbindung v(z);
        v.setPort(&port);
        Probe p(z, v, nullptr, Probe::Wache(wache), einmal);
        port.queue("ab");
        port.wegBeimAbholen = portWeg;
        p.starteTakt(7);
        QVERIFY(p.laeuft() && p.taktLaeuft(7));
        p.naechsterTakt(7);
        QCOMPARE(p.schritte, schritte);
        QCOMPARE(p.gesehen, gesehen);
        QCOMPARE(p.portverluste, portWeg ? 1 : 0);
    }
};

PORTAVO_TESTKLASSE(TstTaktwaechter)
#include "tst_taktwaechter.moc"
