#pragma once
// Paints laid-out pages (twips from the paper's top left corner) with
// QPainter: onto any paged device the caller has opened (a printer, the
// print preview), into a PDF file on A4 portrait, or into an image.
// Texts with a width limit are cut with an ellipsis where they would
// overrun it in the device's own font metrics; those with a height as well
// are set smaller or wrapped to fit first (Druckelement::setze).

#include "termfile/Druckseite.h"

#include <QImage>
#include <QString>
#include <QVector>

class QPainter;
class QPagedPaintDevice;

class Seitenmaler {
public:
    // Paints one page onto p's device, whose resolution is dpiX x dpiY.
    static void maleSeite(QPainter &p, const Druckseite &seite, qreal dpiX, qreal dpiY);

    // Paints every page, starting a new device page between them, onto a
    // painter that is active on geraet. Returns false as soon as the device
    // refuses a new page (a printer error); the pages before stay painted.
    static bool male(QPainter &p, QPagedPaintDevice &geraet, const QVector<Druckseite> &seiten);

    // The pages as an A4 portrait PDF in memory; false when the PDF could
    // not be completed.
    static bool pdf(const QVector<Druckseite> &seiten, const QString &titel, QByteArray &inhalt);
    // Writes the pages as an A4 portrait PDF. The file is replaced only
    // when it was written completely (a device, FIFO or read-only file of
    // that name is refused); on failure fehler says why, in the language
    // with offset sprache.
    static bool schreibePdf(const QVector<Druckseite> &seiten, const QString &pfad, const QString &titel,
                            QString *fehler = nullptr, int sprache = 0);

    // One page as a white A4 image of the given resolution (for looking at
    // a layout without a printer).
    static QImage bild(const Druckseite &seite, int dpi = 100);
};
