// Which ticks count: a timeout delivered late, right after the one before,
// must not be taken for a tick that waited its interval.

#include "support/Testlauf.h"
#include "link/Taktwaechter.h"

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
        w.start();
        QVERIFY(!w.zaehlt(100000));  // at once after the start
        QTest::qWait(30);
        QVERIFY(w.zaehlt(40));       // half of 40 has passed
        QVERIFY(!w.zaehlt(100000));  // the next one right behind it does not count
        QVERIFY(w.zaehlt(0));        // an interval of 0 lets every tick count
    }
};

PORTAVO_TESTKLASSE(TstTaktwaechter)
#include "tst_taktwaechter.moc"
