#pragma once
// The lists of a terminal file as CSV (RFC 4180, UTF-8, a header row), for
// spreadsheets and scripts:
//   standard mode       Liste, Eintrag, Datenstring, Begleittext: one row
//                       per entry slot of the lists of the arrangement
//                       (list 1..4, entry 0.. within its list);
//   special-code mode   Karte, Zeitzonen, Name, Vorname, PLZ, Ort, Strasse,
//                       Telefon, Bemerkungen: one row per card 0..4095 of
//                       one page (zones as digits, "" blocked, "123" always).
// A field that begins with = + - @ ' TAB or CR is written with a ' in front,
// so that a spreadsheet takes it as text and not as a formula; an import
// takes one leading ' away, so a round trip gives every text back exactly.
// Control characters (other than TAB) cannot be imported and are exported
// as blanks.
// An import checks every row before it changes anything: one faulty row
// (unknown list or entry, card number, zone digit, data string length or
// character, a text the file set cannot hold) refuses the whole file and
// names the row; the rows after it are not read. Entries and cards without
// a row keep what they hold.
//
// Messages are in the language with the offset sprache (0, 1000, 2000, 3000).

#include "termfile/Terminaldatei.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Listenaustausch {

// The largest CSV file an import reads.
constexpr qint64 HoechsteCsvgroesse = 64 << 20;

struct Ergebnis {
    bool ok = true;
    int zeile = 0;      // the refused row (1 = the header row), 0 when none
    bool csvFehler = false;  // the message is about the CSV's content
    QString meldung;    // why, for the user; names its file unless csvFehler
    int zeilen = 0;     // rows taken over
    QStringList gesichert;  // copies kept of discarded companion files
};

// The CSV of the image: its lists (standard mode) or the cards of page
// seite (special-code mode; names and customer data of that page).
QByteArray exportieren(const Datenbild &bild, int seite);
// Checks every row against the image and takes them over only when all
// are sound; Aenderungszaehler rises when anything was taken over.
Ergebnis uebernehmen(Datenbild &bild, int seite, const QByteArray &csv, int sprache = 0);

// The page a command works on: seite 1..3 when given (0 = not given),
// otherwise the page of the main file's name.
int seiteFuer(const QString &hauptdatei, int seite);
// Loads the file set of hauptdatei (the page's main file, names and
// customer files; nothing is created) and exports it.
Dateiergebnis exportiereDatei(const QString &hauptdatei, int seite, QByteArray &csv, int sprache = 0);
// Reads a CSV file for an import: a regular file (or a link to one) of at
// most HoechsteCsvgroesse bytes; never waits on a FIFO or reads a device.
Dateiergebnis leseCsv(const QString &pfad, QByteArray &csv, int sprache = 0);
// Loads the file set, takes the CSV over and saves the page's main file,
// its names and (special code) its customer files, all or nothing. A
// companion file that loading discarded (too few lines) but that holds
// something is not replaced unless verworfeneErsetzen: then a copy of it is
// kept (Ergebnis::gesichert).
Ergebnis importiereDatei(const QString &hauptdatei, int seite, const QByteArray &csv, int sprache = 0,
                         bool verworfeneErsetzen = false);
// What an import writes: the page's main file, names file and, in
// special-code mode, its six customer files.
QVector<Terminaldatei::Satzteil> satzteile(const Datenbild &bild, const QString &basis, int seite);
// Saves those files all or nothing (copies of discarded ones are kept).
Dateiergebnis speichereSatz(Datenbild &bild, const QString &basis, int seite, int sprache = 0);

}  // namespace Listenaustausch
