#include "print/Seitenmaler.h"

#include "base/Dateiersatz.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>


namespace {
constexpr qreal TwipsJeZoll = 1440.0;
constexpr int A4Breite = 11906;
constexpr int A4Hoehe = 16838;
}  // namespace

void Seitenmaler::maleSeite(QPainter &p, const Druckseite &seite, qreal dpiX, qreal dpiY)
{
    const qreal fx = dpiX / TwipsJeZoll;
    const qreal fy = dpiY / TwipsJeZoll;
    p.save();
    p.setPen(Qt::black);
    for (const Druckelement &e : seite.elemente) {
        QFont schrift(e.schrift);
        schrift.setStyleHint(QFont::SansSerif);
        schrift.setPointSizeF(e.groesse);
        schrift.setBold(e.fett);
        p.setFont(schrift);
        // Metrics of the font as the device resolves it.
        const auto metrik = [&](qreal groesse) {
            QFont f = schrift;
            f.setPointSizeF(groesse);
            return QFontMetricsF(f, p.device());
        };
        const Druckelement::Satz satz = e.setze(
            [&](const QString &t, qreal groesse) { return metrik(groesse).horizontalAdvance(t) / fx; },
            [&](qreal groesse) { return metrik(groesse).lineSpacing() / fy; });
        schrift.setPointSizeF(satz.groesse);
        p.setFont(schrift);
        const QFontMetricsF fm(p.font(), p.device());
        qreal y = e.y * fy + fm.ascent();
        for (QString text : satz.zeilen) {
            if (e.breite > 0)
                text = fm.elidedText(text, Qt::ElideRight, e.breite * fx);
            p.drawText(QPointF(e.x * fx, y), text);
            y += fm.lineSpacing();
        }
    }
    p.restore();
}

bool Seitenmaler::male(QPainter &p, QPagedPaintDevice &geraet, const QVector<Druckseite> &seiten)
{
    const qreal dpiX = geraet.logicalDpiX();
    const qreal dpiY = geraet.logicalDpiY();
    for (int i = 0; i < seiten.size(); ++i) {
        if (i > 0 && !geraet.newPage())
            return false;
        maleSeite(p, seiten[i], dpiX, dpiY);
    }
    return true;
}

bool Seitenmaler::pdf(const QVector<Druckseite> &seiten, const QString &titel, QByteArray &inhalt)
{
    QBuffer puffer(&inhalt);
    puffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&puffer);
    pdf.setTitle(titel);
    pdf.setCreator(QStringLiteral("PORTAVO 485"));
    pdf.setResolution(1200);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter p;
    if (!p.begin(&pdf))
        return false;
    const bool ok = male(p, pdf, seiten);
    return p.end() && ok;
}

bool Seitenmaler::schreibePdf(const QVector<Druckseite> &seiten, const QString &pfad, const QString &titel,
                              QString *fehler, int sprache)
{
    QByteArray inhalt;
    if (!pdf(seiten, titel, inhalt)) {
        if (fehler)
            *fehler = QStringLiteral("the PDF could not be completed");
        return false;
    }
    // Through the one writer of the program: complete or not at all, never
    // through a link planted at the name, never over a device or FIFO.
    Dateiersatz::Schreibfehler f;
    if (!Dateiersatz::ersetze(pfad, inhalt, &f)) {
        if (fehler)
            *fehler = f.text(sprache);
        return false;
    }
    return true;
}

QImage Seitenmaler::bild(const Druckseite &seite, int dpi)
{
    QImage img(qRound(A4Breite * dpi / TwipsJeZoll), qRound(A4Hoehe * dpi / TwipsJeZoll), QImage::Format_RGB32);
    img.setDotsPerMeterX(qRound(dpi / 0.0254));
    img.setDotsPerMeterY(qRound(dpi / 0.0254));
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    maleSeite(p, seite, dpi, dpi);
    p.end();
    return img;
}
