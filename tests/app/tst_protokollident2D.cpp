// The protocol choice of the write command's identification window.

#include "support/Testlauf.h"
#include "app/Protokollident2D.h"
#include "support/Testhilfe.h"

#include <QRadioButton>

class TstProtokollident2D : public QObject {
    Q_OBJECT
private slots:
    // Only protocols with a name are offered; the six unnamed ones are not
    // shown as empty, greyed options.
    void nurBenannteProtokolle()
    {
        Strecke<FakePort> s;
        Protokollident2D d(s.z, s.v, s.meldung);
        d.show();
        int sichtbar = 0;
        for (int k = 0; k < 8; ++k) {
            auto *b = d.findChild<QRadioButton *>(QStringLiteral("ptk%1").arg(k));
            QVERIFY(b);
            QCOMPARE(b->isVisible(), !s.z.Protokollnamen.at(k).trimmed().isEmpty());
            sichtbar += b->isVisible();
        }
        QCOMPARE(sichtbar, 2);
        QVERIFY(d.findChild<QRadioButton *>(QStringLiteral("ptk0"))->isEnabled());
    }
};

PORTAVO_TESTKLASSE(TstProtokollident2D)
#include "tst_protokollident2D.moc"
