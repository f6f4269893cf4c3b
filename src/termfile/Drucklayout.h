#pragma once
// The page layout of a printed terminal file, in twips on A4 portrait:
// the page head and foot, the basic settings, the authorization and block
// lists (grids printed row by row with page breaks and their column heads
// repeated, special-code card rows three to a line) and the display texts.
//
// Every section starts on a page of its own and every page carries the
// foot; a page is only begun when something goes onto it, so no run ever
// contains a blank page. The time of printing is handed in, so that a
// layout can be repeated exactly.

#include "termfile/Druckinhalt.h"
#include "termfile/Druckseite.h"

#include <QDateTime>
#include <QVector>

enum class Druckteil { Grundeinstellungen, Berechtigungen, Sperrlisten, Displaytexte };

class Drucklayout {
public:
    static constexpr int Seitenbreite = 11906;  // A4, 210 mm
    static constexpr int Seitenhoehe = 16838;   // A4, 297 mm

    // Where things go (twips).
    static constexpr int Kopfx = 1000, Kopfy = 500;
    static constexpr int Titely = 1500;
    static constexpr int Fussy = 15500, Fusszeitx = 5000, Fussseitex = 9000;
    static constexpr int Gitterx = 1000, Gittery = 3000, Gittertab = 3500, Gitterzeile = 300;
    static constexpr int Gittergrenze = 14000;  // a row below this goes onto the next page
    static constexpr int Folgeseitey = 1000;    // the column heads of a continued grid
    // Special-code card rows: three cards to a line, each a cell of the
    // card (marker, number, status) and its name.
    static constexpr int Kartenspalten[3] = {1000, 4400, 7800};
    static constexpr int Kartennamenabstand = 1500;
    static constexpr int Kartennamenbreite = 1800;

    Drucklayout(Druckinhalt inhalt, QDateTime zeitpunkt);

    // One print run of one section, pages numbered from 1.
    QVector<Druckseite> teil(Druckteil t) const;
    // All four sections in one run, each starting on a new page.
    QVector<Druckseite> alles() const;

    // "DD-MM-YYYY    HH:MM"; in English (offset 1000) the month comes first.
    static QString fusszeit(const QDateTime &zeitpunkt, int sprache);

private:
    class Lauf;
    void grundeinstellungen(Lauf &l) const;
    void listen(Lauf &l, int ersteListe, int ersterTitel) const;
    void gitter(Lauf &l, const Druckgitter &g) const;
    void displaytexte(Lauf &l) const;
    QString text(int nummer) const;

    Druckinhalt m_inhalt;
    QDateTime m_zeitpunkt;
};
