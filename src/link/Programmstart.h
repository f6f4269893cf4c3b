#pragma once
// The core of start-up, shared by the program and portavo-cli: the settings
// file, the RS485 port on the port map, the operating-mode intervals, the
// protocol names.

#include "link/Port.h"

#include <QString>

struct Zustand;

namespace Programmstart {

struct Portstart {
    bool offen = false;
    bool standardGeschrieben = false;  // there was no settings file; one with the defaults was written
    bool dateiBeschaedigt = false;     // the file holds unusable lines; their defaults apply
    Port::Oeffnungsfehler fehler = Port::Oeffnungsfehler::Keiner;
    QString geraet;
    QString fehlertext;
};

// Opens port number n (1..16) on the device of the port map: receive
// everything per event, DTR and RTS off.
bool oeffnePort(Port &port, int portnummer);
// Only the device of port number n, without opening.
void setzePortnummer(Port &port, int portnummer);

// Reads the settings file (line 1 becomes the port's settings, line 2 the
// port number and Portnummer, 3 and 4 ModemText1/2, 5 SpracheText and
// Sprache) and opens the port. A missing line or one that cannot be used
// gives its default ("19200,n,8,1", 1, "0", "", "0"); the other lines keep
// their values. Only a missing file is written, with the defaults: a file
// that is there is never rewritten at start-up, whatever it holds.
// A port that does not open: port number 1 is tried in its place (for this
// run only; the file keeps its number). If that does not open either, the
// port stays closed on the number of the file and the failure is that of
// this port (the caller says so once).
Portstart einstellungenUndPort(Zustand &z, Port &port, const QString &einstellungsdatei);

// Protokollnamen(0..7) = texts 125..132 of the current slice.
void protokollnamenSetzen(Zustand &z);

// The start window's "Rs485 Betrieb": Modembetrieb 0 and the intervals
// Timer1 100, Timer2 200, Timer3 100, Timer4 2500, Timer5 100 ms.
void rs485Betrieb(Zustand &z);
// The start window's "Modembetrieb": Modembetrieb 1 and the intervals of a
// telephone line: Timer1 200, Timer2 400, Timer3 200, Timer4 5000, Timer5 300 ms.
void modemBetrieb(Zustand &z);

// Messages about a port the program cannot open, in the language of
// sprache (0, 1000, 2000, 3000). The permission hint names the device and
// the group that owns it (the one the user has to join).
QString berechtigungshinweis(int sprache, const QString &geraet);
// portnummer 0: the device was given by its path, not by a number.
QString oeffnungsfehler(int sprache, int portnummer, const QString &geraet, const QString &systemtext);

}  // namespace Programmstart
