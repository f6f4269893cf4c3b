#pragma once
// The rules of the special-code editor, free of widgets: what a card row
// shows, what the card record dialogs do to the time-zone planes and the
// names (single cards and groups), the system number and the search over
// the grid's cells. The windows only show the image afterwards.

#include "base/Datenbild.h"

#include <QString>
#include <QVector>
#include <array>
#include <functional>
#include <optional>

struct Uebergabe;

namespace Kartenregeln {

constexpr int Kartenzahl = 4096;        // card numbers 0..4095 of one page
constexpr int Gitterzeilen = 4099;      // caption, count, system row, 4096 cards
constexpr int ErsteKartenzeile = 3;     // card c is grid row c + 3
constexpr int Systemzeile = 2;

// The texts a card row is made of (from the text table: 390..393).
struct Zeilentexte {
    QString gesperrt;    // "     Gesperrt    "
    QString berechtigt;  // "           Berechtigt "
    QString zeitzone;    // "             Zeitzone " (the zone digits follow)
    QString system;      // "System:  >>>>"
};

// The names of page 1..3: Begleittext for page 1, Seitennamen otherwise.
QVector<QString> &namen(Datenbild &bild, int seite);
const QVector<QString> &namen(const Datenbild &bild, int seite);
// Page 1..3, field 0..6: 0 the name, 1..6 first name, post code, town,
// street, telephone, remarks (the page view's columns 1..7).
QVector<QString> &kundenfeld(Datenbild &bild, int seite, int feld);
const QVector<QString> &kundenfeld(const Datenbild &bild, int seite, int feld);

// The status text of a card: blocked, authorized at all times, or
// "Zeitzone" and the digits of its zones.
QString statustext(const Datenbild &bild, int karte, const Zeilentexte &t);
// Column 0 of card row: marker, the card number as four digits, status.
QString kartenzeile(const Datenbild &bild, int karte, const QString &marker, const Zeilentexte &t);
// Column 0 of the system row: "System:  >>>>" + four digits + "<<<<<<<<<<".
QString systemzeile(const Datenbild &bild, const Zeilentexte &t);
QString systemzeileRechts();  // "<<<<<<<<<<<<<<<<<<<<<<"
// Marker of a card row: page 1 ">" in the two-column grid and "> " in the
// page view; pages 2 and 3 "B " and "C " in either view.
QString marker(int seite, bool seitenansicht);
// What the card record dialogs put before a single card's number: nothing
// on page 1, "B " on page 2, "C " on page 3.
QString seitenpraefix(int seite);

// --- Card record dialogs ------------------------------------------------------
// The range of a group, as both dialogs work it out: from Gruppenanfang
// and Eintragsnummer, sets Gruppenende (and Eintragsnummer / Gruppenanfang
// as the dialogs leave them) and returns the first and last card.
struct Bereich {
    int von = 0;
    int bis = 0;
    bool gruppe() const { return bis > von; }
};
// Only the reading half: the range Gruppenanfang..Eintragsnummer in order.
Bereich bereich(const Uebergabe &u);

// Authorizes every card of the range in the zones given (zonen[0] zone 1
// ...); appends each card's zone digits to Zonenziffern; stores name as the
// card's name when given (std::nullopt keeps each card's own name).
// Dialogergebnis = 1, Aenderungszaehler rises by one, Gruppenende,
// Eintragsnummer and Gruppenanfang are left as the dialogs leave them.
// Refused (false, nothing changed) when no zone is given.
bool berechtigen(Datenbild &bild, Uebergabe &u, int seite, const std::array<bool, 3> &zonen,
                 const std::optional<QString> &name);
// Blocks every card of the range (all three bits cleared, names kept).
// Dialogergebnis = 2, Aenderungszaehler rises by one.
void sperren(Datenbild &bild, Uebergabe &u);

// --- System number --------------------------------------------------------------
// Takes the dialog's text: 1..4 digits giving 0..4095 are encoded into
// bytes 272, 273, Systemnummer takes the value, Dialogergebnis = 1 and
// Aenderungszaehler rises. Anything else is refused and changes nothing.
bool systemnummerUebernehmen(Datenbild &bild, Uebergabe &u, const QString &text);

// --- Search --------------------------------------------------------------------------
struct Treffer {
    int zeile = -1;
    int spalte = -1;
};
// Searches the cells text(zeile, spalte) for suchtext, ignoring case, in the
// given columns one after the other, each from startzeile down to
// zeilen - 1. With ab (a previous match) the search goes on after it: in the
// match's own column from the row below, then in the later columns from
// startzeile, so that no cell is skipped. An empty search text matches the
// first cell that is not empty.
std::optional<Treffer> suche(const std::function<QString(int, int)> &text, int zeilen,
                             const QVector<int> &spalten, int startzeile, const QString &suchtext,
                             std::optional<Treffer> ab = std::nullopt);

}  // namespace Kartenregeln
