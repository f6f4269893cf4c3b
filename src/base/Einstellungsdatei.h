#pragma once
// The settings file Portavomodem.ini: five lines, CR LF.
//   1 line settings ("19200,n,8,1" in a new file)
//   2 serial port number of the RS485 link
//   3 ModemText1, 4 ModemText2 (modem dialer; only edited outside the program)
//   5 language offset "0", "1000", "2000" or "3000"
//
// The program changes two values only, the port number (port selection)
// and the language (start window). It rewrites just the line of the value
// that changed and leaves every other byte of the file as it was, so that
// nothing the user wrote into the file by hand is lost.

#include <QString>
#include <optional>

struct Zustand;

struct Einstellungen {
    QString Leitung = QStringLiteral("19200,n,8,1");
    int Portnummer = 1;
    QString ModemText1 = QStringLiteral("0");
    QString ModemText2;
    QString SpracheText = QStringLiteral("0");
};

namespace Einstellungsdatei {
// nullopt when the file is missing, has fewer than five lines, or holds a
// port number outside 1..16 or a language offset other than 0/1000/2000/3000.
std::optional<Einstellungen> lesen(const QString &pfad);

enum class Stand {
    Gelesen,      // five usable lines
    Fehlt,        // no file of this name
    Beschaedigt,  // lines missing or unusable; those keep their defaults
    Unlesbar,     // not a regular file, too large, or the system refused
};
struct Startwerte {
    Stand stand = Stand::Fehlt;
    Einstellungen werte;
};
// What start-up takes: every usable line, the defaults for the others.
Startwerte lesenSoweitMoeglich(const QString &pfad);

// Writes a new file of five lines: "19200,n,8,1", the port number,
// ModemText1, ModemText2, SpracheText. Replaces the old file only when the
// new one is complete; false when it could not be written.
bool schreiben(const QString &pfad, int portnummer, const QString &modemText1,
               const QString &modemText2, const QString &spracheText);
// The defaults "19200,n,8,1", "1", "0", "", "0".
bool schreibeStandard(const QString &pfad);
// Takes what start-up reads: Portnummer, ModemText1/2, SpracheText and Sprache.
void uebernehmen(Zustand &z, const Einstellungen &e);
// A whole new file with the port number and the modem lines and language of z.
bool schreibe(const QString &pfad, const Zustand &z, int portnummer);

// The port selection's OK: line 2 becomes the port number.
// The start window's language choice: line 5 becomes SpracheText of z.
// Only that line is rewritten, and only when it holds another value; a
// missing file or missing lines are completed with "19200,n,8,1", the port
// number and the modem lines and language of z. False when the file cannot
// be read (it is then left alone) or written.
bool setzePortnummer(const QString &pfad, const Zustand &z, int portnummer);
bool setzeSprache(const QString &pfad, const Zustand &z, int portnummer);
}  // namespace Einstellungsdatei
