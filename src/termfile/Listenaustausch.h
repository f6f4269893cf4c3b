#pragma once
// The lists of a terminal file as CSV (RFC 4180, UTF-8, a header row), for
// spreadsheets and scripts:
//   standard mode       Liste, Eintrag, Datenstring, Begleittext: one row
//                       per entry slot of the lists of the arrangement
//                       (list 1..4, entry 0.. within its list);
//   special-code mode   Karte, Zeitzonen, Name, Vorname, PLZ, Ort, Strasse,
//                       Telefon, Bemerkungen: one row per card 0..4095 of
//                       one page (zones as digits, "" blocked, "123" always).
// An import checks every row before it changes anything: one faulty row
// (unknown list or entry, card number, zone digit, data string length or
// character, a text the file set cannot hold) refuses the whole file and
// names the row. Entries and cards without a row keep what they hold.

#include "termfile/Terminaldatei.h"

#include <QByteArray>
#include <QString>

namespace Listenaustausch {

struct Ergebnis {
    bool ok = true;
    int zeile = 0;    // the refused row (1 = the header row), 0 when none
    QString meldung;  // why, for the user
    int zeilen = 0;   // rows taken over
};

// The CSV of the image: its lists (standard mode) or the cards of page
// seite (special-code mode; names and customer data of that page).
QByteArray exportieren(const Datenbild &bild, int seite);
// Checks every row against the image and takes them over only when all
// are sound; Aenderungszaehler rises when anything was taken over.
Ergebnis uebernehmen(Datenbild &bild, int seite, const QByteArray &csv);

// The page a command works on: seite 1..3 when given (0 = not given),
// otherwise the page of the main file's name.
int seiteFuer(const QString &hauptdatei, int seite);
// Loads the file set of hauptdatei (the page's main file, names and
// customer files; nothing is created) and exports it.
Dateiergebnis exportiereDatei(const QString &hauptdatei, int seite, QByteArray &csv);
// Loads the file set, takes the CSV over and saves the page's main file,
// its names and (special code) its customer files. A refused CSV leaves
// every file as it was; when a file cannot be written, those already
// written get their old content back.
Ergebnis importiereDatei(const QString &hauptdatei, int seite, const QByteArray &csv);
// Saves what an import changes: the page's main file, names file and, in
// special-code mode, its six customer files; all or (as far as the disk
// allows) none.
Dateiergebnis speichereSatz(Datenbild &bild, const QString &basis, int seite);

}  // namespace Listenaustausch
