#pragma once
// Printing laid-out pages from a window: the printer dialog and the system
// printer, the print preview, and the export as a PDF file. Cancelling a
// dialog ends the command silently; a printer or file error is reported
// through the Meldung seam (texts 435 and 437, title 436).

#include "termfile/Druckseite.h"

#include <QString>
#include <QVector>
#include <functional>

struct Zustand;
class Meldung;
class QPrinter;
class QWidget;

class Druckablauf {
public:
    // Lets the user choose and set up the printer; false when cancelled.
    // The program shows the system printer dialog (object name
    // "Druckdialog"); tests put their own choice in.
    using Druckerwahl = std::function<bool(QPrinter &drucker, QWidget *eltern)>;
    enum class Ergebnis { Erledigt, Abgebrochen, Fehler };

    Druckablauf(Zustand &z, Meldung &m, QWidget *eltern);
    void setDruckerwahl(Druckerwahl wahl) { m_wahl = std::move(wahl); }

    // Printer dialog, then the pages on the chosen printer.
    Ergebnis drucken(const QVector<Druckseite> &seiten, const QString &dokumentname);
    // The pages in the print preview (object name "Seitenansicht"), from
    // which they can be printed as well.
    void seitenansicht(const QVector<Druckseite> &seiten, const QString &dokumentname);
    // A save dialog (object name "PdfExport") and the pages as a PDF file.
    Ergebnis alsPdf(const QVector<Druckseite> &seiten, const QString &vorschlag);

private:
    Zustand &m_z;
    Meldung &m_meldung;
    QWidget *m_eltern;
    Druckerwahl m_wahl;
};
