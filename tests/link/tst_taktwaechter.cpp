// Which ticks count: a timeout delivered late, right after the one before,
// must not be taken for a tick that waited its interval.

#include "support/Testlauf.h"
#include "link/Taktwaechter.h"

#include <QElapsedTimer>
#include <QTest>

class TstTaktwaechter : public QObject {
    Q_OBJECT
private slots:
    void ohneStartZaehltJederTick()
    {
        Taktwaechter w;
        QVERIFY(w.zaehlt(100000));
    }

    void nachgeholterTickZaehltNicht()
    {
        Taktwaechter w;
        QElapsedTimer uhr;
        uhr.start();
        w.start();
        QVERIFY(!w.zaehlt(100000));  // at once after the start
        QVERIFY(!w.zaehlt(100000));  // a refused tick is no new reference
        QVERIFY(QTest::qWaitFor([&w] { return w.zaehlt(40); }, 1000));  // once half of 40 has passed
        QVERIFY(uhr.elapsed() >= 20);
        QVERIFY(!w.zaehlt(100000));  // the next one right behind it does not count
        QVERIFY(w.zaehlt(0));        // an interval of 0 lets every tick count
    }
};

PORTAVO_TESTKLASSE(TstTaktwaechter)
#include "tst_taktwaechter.moc"
