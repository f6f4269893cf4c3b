#pragma once
// The settings file Portavomodem.ini: five lines, CR LF, always written whole.
//   1 line settings (always "19200,n,8,1" when written)
//   2 serial port number of the RS485 link
//   3 ModemText1, 4 ModemText2 (modem dialer)
//   5 language offset "0", "1000", "2000" or "3000"

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
// Writes the five lines: "19200,n,8,1", the port number, ModemText1,
// ModemText2, SpracheText. Replaces the old file only when the new one is
// complete; false when it could not be written.
bool schreiben(const QString &pfad, int portnummer, const QString &modemText1,
               const QString &modemText2, const QString &spracheText);
// The defaults "19200,n,8,1", "1", "0", "", "0".
bool schreibeStandard(const QString &pfad);
// Takes what start-up reads: Portnummer, ModemText1/2, SpracheText and Sprache.
void uebernehmen(Zustand &z, const Einstellungen &e);
// The writers of the start window and the port selection: the current
// port number with the modem lines and language of z.
bool schreibe(const QString &pfad, const Zustand &z, int portnummer);
}  // namespace Einstellungsdatei
