#pragma once
// What a print of a terminal file shows: the editor's settings, the four
// card-list grids with their rows as the grids show them, and the sixteen
// display lines. Built from the data image the way the editor fills its
// controls, so a print reads like the window.

#include "base/Datenbild.h"

#include <QString>
#include <QVector>
#include <array>

// One grid: row 0 (the column heads) in kopf, every further row in zeilen.
// No rows at all means the list has no entries: the print says so.
struct Druckgitter {
    std::array<QString, 2> kopf;
    QVector<std::array<QString, 2>> zeilen;
    // Index in zeilen of the first card row of a special-code grid (card
    // rows run to the end); -1 for a standard grid.
    int kartenAb = -1;

    bool leer() const { return zeilen.isEmpty(); }
};

struct Druckinhalt {
    QString datei;       // path of the terminal file, for the page head
    int sprache = 0;     // language offset 0, 1000, 2000, 3000
    Grundeinstellungen einstellungen;
    QString protokoll;   // protocol caption as the editor shows it
    std::array<Druckgitter, 4> gitter;  // lists 1..4
    std::array<QString, 16> displayzeilen;

    // Fills everything from an image whose lists are built (after loading,
    // or Datenbild::baueListen). seite 1..3 is the special-code page on
    // show: page 1 in the two-column grid, pages 2 and 3 in the page view
    // (grid 1, markers "B " and "C ", the page's names). Texts come from
    // the text table in the language sprache.
    static Druckinhalt ausBild(const Datenbild &bild, const QString &datei, int sprache,
                               const QVector<QString> &Protokollnamen, int seite = 1);
};
