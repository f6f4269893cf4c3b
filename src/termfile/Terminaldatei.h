#pragma once
// The terminal file on disk: one main file with the 2048 memory bytes
// (.S2D, .S3D, .S4D for pages 1..3) and the companion text files beside it
// (.B2D/.B3D/.B4D names or comments, .V .P .O .R .T .M + 2D/3D/4D customer
// data). All files of one terminal file share a base name: the main file's
// path without its last four characters.
//
// Nothing here shows a message: every operation returns a Dateiergebnis.
// Every save writes its files all or nothing: each goes to a temporary file
// in its folder first, and they replace the old files together only when
// all of them are complete, so a failed save leaves every file as it was.

#include "base/Datenbild.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>

struct Dateiergebnis {
    bool ok = true;
    QString meldung;  // why it failed, for the user; empty on success
    QString pfad;     // the file concerned (the main file written or read)

    explicit operator bool() const { return ok; }
    static Dateiergebnis erfolg(const QString &pfad = QString()) { return {true, QString(), pfad}; }
    static Dateiergebnis fehler(const QString &meldung, const QString &pfad = QString())
    {
        return {false, meldung, pfad};
    }
};

namespace Terminaldatei {

using Speicherbytes = std::array<qint16, Bildgroesse>;

// Whether reading a missing companion file creates it empty (as the editor
// does) or leaves the folder untouched (for read-only tools).
enum class Ablage { Anlegen, NurLesen };

// Customer data fields in file order: first name, post code, town, street,
// telephone, remarks.
constexpr int Kundenfelder = 6;

// --- Names -----------------------------------------------------------------
QString basis(const QString &hauptdatei);  // path minus its last four characters
// Page 1..3 -> base + ".S2D" / ".S3D" / ".S4D" (any other page: page 1).
QString hauptdateiname(const QString &basis, int seite);
// Page 1..3 -> base + ".B2D" / ".B3D" / ".B4D".
QString namensdateiname(const QString &basis, int seite);
// Page 1..3, field 0..5 -> base + "V" "P" "O" "R" "T" "M" + "2D"/"3D"/"4D".
QString kundendateiname(const QString &basis, int seite, int feld);
// The file on disk that pfad means: pfad itself when it exists, otherwise
// the one file of its folder whose name differs only in case ("t7.s2d" for
// "t7.S2D"), otherwise pfad. Every read and write of a set goes through it,
// so a set copied with lower-case extensions is read and saved in place.
QString vorhandeneDatei(const QString &pfad);
// 2 for ".S3D", 3 for ".S4D" (any case), otherwise 1.
int seiteVonHauptdatei(const QString &hauptdatei);

// --- Main file ---------------------------------------------------------------
// Parses main-file text: 2048 lines (CR LF or LF), one number 0..255 each,
// surrounding blanks ignored; lines after the 2048th are not read. On any
// fault the result names the line and why, and ziel is left untouched.
Dateiergebnis parseHauptdatei(const QByteArray &inhalt, Speicherbytes &ziel);
Dateiergebnis leseHauptdatei(const QString &pfad, Speicherbytes &ziel, int sprache = 0);
// " value " CR LF for each of the bytes 0..2047.
QByteArray hauptdateitext(const Datenbild &bild);
Dateiergebnis schreibeHauptdatei(const Datenbild &bild, const QString &pfad, int sprache = 0);

// --- Companion files ---------------------------------------------------------
// Reads lines 0..hoechstindex (Windows-1252, CR LF or LF) into ziel. When
// fewer than mindestzeilen lines were read (a missing or short file counts
// as no file) every element 0..5000 of ziel becomes "----------" instead;
// otherwise elements beyond the lines read keep their values. Returns the
// number of lines read. A missing file is created empty with Ablage::Anlegen;
// none of this is ever an error.
int leseBegleitdatei(const QString &pfad, QVector<QString> &ziel, int hoechstindex,
                     int mindestzeilen, Ablage ablage = Ablage::Anlegen);
// Lines 0..hoechstindex, Windows-1252, CR LF each. A line break inside a
// string would shift every later line, so it is written as a blank.
QByteArray begleittext(const QVector<QString> &zeilen, int hoechstindex);
Dateiergebnis schreibeBegleitdatei(const QString &pfad, const QVector<QString> &zeilen,
                                   int hoechstindex);

// --- The whole set -------------------------------------------------------------
// Loads a main file into bild: on success flag A bits 2 and 4 are set,
// Aenderungszaehler is -1 and then the settings are shown (so it is 0),
// Dateiname = base + ".B2D", Begleittextgrenze = 5000 (special code) or 2000,
// Begleittext is read from the .B2D and the lists are rebuilt. A main file
// that is missing or faulty changes nothing in bild.
Dateiergebnis laden(Datenbild &bild, const QString &hauptdatei, Ablage ablage = Ablage::Anlegen,
                    int sprache = 0);
// A page's companion files: for pages 2 and 3 its name file into
// Seitennamen; for every page its six customer files into Kundendaten.
// Each is read with lines 0..5000 and needs at least 5000 lines. (Page 1's
// names are Begleittext, which laden() reads.)
void ladeSeitendateien(Datenbild &bild, const QString &basis, int seite,
                       Ablage ablage = Ablage::Anlegen);
// Choosing a page: loads base + ".S2D"/".S3D"/".S4D" and the page's files.
// A missing main file is reported and changes nothing.
Dateiergebnis ladeSeite(Datenbild &bild, const QString &basis, int seite,
                        Ablage ablage = Ablage::Anlegen);

// --- Saving a set, all or nothing -------------------------------------------
// One file a save writes: its new content and, for a companion file, the
// number of lines loading needs (0 for a main file). entfernen: the file
// goes instead.
struct Satzteil {
    QString pfad;
    QByteArray inhalt;
    int mindestzeilen = 0;
    bool entfernen = false;
};
// The companion files among teile that are on disk with something in them
// but that loading discards (fewer lines than needed, or far too large):
// writing over them loses what they hold.
QStringList verworfeneDateien(const QVector<Satzteil> &teile);
// Where the copy of a discarded companion file is kept: its name + ".bak".
QString sicherungsname(const QString &pfad);
// Writes every part, or none: a failure changes no file. Each discarded
// companion file is first copied to sicherungsname() in the same step.
// Messages are in the language with offset sprache.
Dateiergebnis schreibeSatz(const QVector<Satzteil> &teile, int sprache = 0);
// The parts of Save: the page's main file and, for page 1, the .B2D.
QVector<Satzteil> speicherteile(const Datenbild &bild, const QString &basis, int seite);

// Save: writes the page's main file (pfad of the result) and, for page 1,
// Begleittext(0..Begleittextgrenze) to base + ".B2D" (which becomes
// Dateiname), all or nothing. Aenderungszaehler becomes 0 only when
// everything was written.
Dateiergebnis speichern(Datenbild &bild, const QString &basis, int seite, int sprache = 0);
// The writing half of "save as": the main file under the chosen name, then
// Begleittext(0..Begleittextgrenze) to its base + ".B2D"; Aenderungszaehler
// becomes 0 on success. The chosen name must end in a dot and a three-letter
// extension, since the companion name is cut from it.
Dateiergebnis speichernUnter(Datenbild &bild, const QString &hauptdatei, int sprache = 0);
// Customer data of a page: for pages 2 and 3 the page's name file, then the
// six customer files, lines 0..5000 each, all or nothing; Dateiname is set
// back to base + ".B2D".
Dateiergebnis speichereKundendaten(Datenbild &bild, const QString &basis, int seite, int sprache = 0);
// The parts speichereKundendaten writes.
QVector<Satzteil> kundendatenteile(const Datenbild &bild, const QString &basis, int seite);
// What a read-out leaves: the main file, and (ohneNamen) the names file of
// its page removed in the same step, so that no names of an earlier file
// stay attached to the new memory.
Dateiergebnis schreibeAuslesung(const Datenbild &bild, const QString &hauptdatei, bool ohneNamen,
                                int sprache = 0);

// Every file of a set: the three main files, the three name files and the
// eighteen customer files of basis.
QStringList satzdateien(const QString &basis);
// Save as with the whole set: copies every existing file of the old set to
// the new base name, except the files named in schonGeschrieben (already
// written from the image). Stops at the first file that cannot be written.
Dateiergebnis uebertrageSatz(const QString &alteBasis, const QString &neueBasis,
                             const QStringList &schonGeschrieben, int sprache = 0);
// A page that has no main file yet, made from the open page: its settings,
// display lines and system number, every card blocked; its names and
// customer files empty ("----------"). Writes the page's main file, name
// file and six customer files.
Dateiergebnis legeSeiteAn(const Datenbild &vorlage, const QString &basis, int seite, int sprache = 0);

}  // namespace Terminaldatei
