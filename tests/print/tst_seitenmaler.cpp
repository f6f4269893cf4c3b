// Painting laid-out pages: twips land in place, a width limit cuts.
#include "support/Testlauf.h"
#include "print/Seitenmaler.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The ink of one text painted at 100 dpi (1440 twips = 100 pixels): the box of its dark pixels.
QRect tinte(const QString &text, int x, int y, int groesse, int breite = 0)
{
    const QImage img = Seitenmaler::bild(Druckseite{1, {Druckelement{text, x, y, groesse, false, "arial", breite, 0}}}, 100);
    if (img.size() != QSize(827, 1169))  // A4 at 100 dpi
        return QRect(0, 0, img.width(), img.height());
    QRect r;
    for (int py = 0; py < img.height(); ++py)
        for (int px = 0; px < img.width(); ++px)
            if (qGray(img.pixel(px, py)) < 128)
                r |= QRect(px, py, 1, 1);
    return r;
}

}  // namespace

class TstSeitenmaler : public QObject {
    Q_OBJECT
private slots:
    void lageUndBreiteInTwips()
    {
        // One inch from left and top; y is the line's top, a 12-point line about 17 pixels high.
        const QRect t = tinte(QStringLiteral("HHHH"), 1440, 1440, 12);
        QVERIFY2(qAbs(t.left() - 100) <= 3 && t.top() >= 100 && t.top() <= 106 && t.bottom() > 106 && t.bottom() < 117,
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(t.x()).arg(t.y()).arg(t.width()).arg(t.height())));
        QVERIFY(qAbs(tinte(QStringLiteral("HHHH"), 1440, 1440, 24).height() - 2 * t.height()) <= 2);
        // A width of 1440 twips cuts a long text to 100 pixels and leaves a short one alone.
        const QString lang = QStringLiteral("Ein Kommentar, der viel zu lang für seine Spalte ist und weiterläuft");
        QVERIFY(tinte(lang, 1440, 1440, 10).right() > 300);
        const int rechts = tinte(lang, 1440, 1440, 10, 1440).right();
        QVERIFY2(rechts <= 200 && rechts > 150, qPrintable(QString::number(rechts)));
        QCOMPARE(tinte(QStringLiteral("Ein"), 1440, 1440, 10, 1440), tinte(QStringLiteral("Ein"), 1440, 1440, 10));
    }
};

PORTAVO_TESTKLASSE(TstSeitenmaler)
#include "tst_seitenmaler.moc"
