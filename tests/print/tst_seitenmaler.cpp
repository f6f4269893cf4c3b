// Painting laid-out pages: positions in twips land where they should, a
// width limit cuts the text, and PDF files are complete or not written.

#include "support/Testlauf.h"
#include "print/Seitenmaler.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The ink of an image: leftmost, rightmost, top and bottom dark pixel.
QRect tinte(const QImage &img)
{
    int links = img.width(), rechts = -1, oben = img.height(), unten = -1;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *z = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (qGray(z[x]) < 128) {
                links = qMin(links, x);
                rechts = qMax(rechts, x);
                oben = qMin(oben, y);
                unten = qMax(unten, y);
            }
        }
    }
    return rechts < 0 ? QRect() : QRect(QPoint(links, oben), QPoint(rechts, unten));
}

Druckseite seiteMit(const QString &text, int x, int y, int groesse, int breite = 0)
{
    Druckseite s;
    s.nummer = 1;
    Druckelement e;
    e.text = text;
    e.x = x;
    e.y = y;
    e.groesse = groesse;
    e.breite = breite;
    s.elemente.append(e);
    return s;
}

// Counts the page objects of a PDF as QPdfWriter writes them.
int pdfSeiten(const QString &pfad)
{
    QFile f(pfad);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray inhalt = f.readAll();
    return int(inhalt.count("/Type /Page\n")) + int(inhalt.count("/Type /Page\r")) + int(inhalt.count("/Type /Page ")) +
           int(inhalt.count("/Type /Page>"));
}

}  // namespace

class TstSeitenmaler : public QObject {
    Q_OBJECT
private slots:
    void lageInTwips()
    {
        // One inch from the left and top: 100 pixels at 100 dpi.
        const QImage img = Seitenmaler::bild(seiteMit(QStringLiteral("HHHH"), 1440, 1440, 12), 100);
        QCOMPARE(img.width(), 827);   // 210 mm
        QCOMPARE(img.height(), 1169); // 297 mm
        const QRect t = tinte(img);
        QVERIFY2(t.isValid(), "nothing painted");
        QVERIFY2(qAbs(t.left() - 100) <= 3, qPrintable(QString::number(t.left())));
        // y is the top of the line: the capitals start a little below it,
        // and a 12-point line is about 17 pixels high.
        QVERIFY2(t.top() >= 100 && t.top() <= 106, qPrintable(QString::number(t.top())));
        QVERIFY2(t.bottom() > 106 && t.bottom() < 100 + 17, qPrintable(QString::number(t.bottom())));

        // Twice the size, twice the height of the ink.
        const QRect gross = tinte(Seitenmaler::bild(seiteMit(QStringLiteral("HHHH"), 1440, 1440, 24), 100));
        QVERIFY(qAbs(gross.height() - 2 * t.height()) <= 2);
    }

    void breiteSchneidetAb()
    {
        const QString lang = QStringLiteral("Ein Kommentar, der viel zu lang für seine Spalte ist und weiterläuft");
        const QRect frei = tinte(Seitenmaler::bild(seiteMit(lang, 1440, 1440, 10), 100));
        QVERIFY(frei.right() > 100 + 200);
        // 1440 twips = 100 pixels for the text, ellipsis included.
        const QRect begrenzt = tinte(Seitenmaler::bild(seiteMit(lang, 1440, 1440, 10, 1440), 100));
        QVERIFY2(begrenzt.right() <= 200 && begrenzt.right() > 150, qPrintable(QString::number(begrenzt.right())));
        // A text that fits is left alone.
        const QRect kurz = tinte(Seitenmaler::bild(seiteMit(QStringLiteral("Ein"), 1440, 1440, 10), 100));
        QCOMPARE(tinte(Seitenmaler::bild(seiteMit(QStringLiteral("Ein"), 1440, 1440, 10, 1440), 100)), kurz);
    }

    void pdfDatei()
    {
        QTemporaryDir dir;
        QVector<Druckseite> seiten;
        for (int n = 1; n <= 3; ++n) {
            seiten.append(seiteMit(QStringLiteral("Seite %1").arg(n), 1000, 1000, 10));
            seiten.last().nummer = n;
        }
        const QString pfad = dir.filePath(QStringLiteral("drei.pdf"));
        QString fehler;
        QVERIFY2(Seitenmaler::schreibePdf(seiten, pfad, QStringLiteral("Titel"), &fehler), qPrintable(fehler));
        QCOMPARE(pdfSeiten(pfad), 3);

        // Replaced as a whole.
        QVERIFY(Seitenmaler::schreibePdf(seiten.mid(0, 1), pfad, QStringLiteral("Titel"), &fehler));
        QCOMPARE(pdfSeiten(pfad), 1);

        // A folder that is not there: refused, with a reason.
        fehler.clear();
        QVERIFY(!Seitenmaler::schreibePdf(seiten, dir.filePath(QStringLiteral("fehlt/x.pdf")), QString(), &fehler));
        QVERIFY(!fehler.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("fehlt/x.pdf"))));
    }
};

PORTAVO_TESTKLASSE(TstSeitenmaler)
#include "tst_seitenmaler.moc"
