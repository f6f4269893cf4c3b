#pragma once
// What the serial port needs of the operating system beyond QSerialPort, in
// one place. GeraetezugangPosix.cpp implements it for Linux and other POSIX
// systems; a port to another system adds one file beside it (where a call
// has no counterpart there, it answers "unknown" and the port does without).

#include <QString>
#include <QtGlobal>

namespace Geraetezugang {

// May this process read and write the device? Tells a port that is there
// but locked away (group rights) from one that is busy or missing.
bool zugriffErlaubt(const QString &geraet);

// The driver's counters of line errors on an open port.
struct Leitungszaehler {
    bool gueltig = false;  // false: the device keeps no counters (pseudo-terminal)
    int rahmen = 0;        // framing errors
    int paritaet = 0;
    int unterbrechung = 0;  // breaks
    int ueberlauf = 0;      // overruns of the UART and of the driver's buffer
};
Leitungszaehler zaehler(qintptr handle);

// Bytes still waiting in the driver's output queue of an open port (0 when
// unknown).
qint64 imTreiber(qintptr handle);

// Returns once the driver has put every byte of its output queue on the line.
void ausgabeAbwarten(qintptr handle);

}  // namespace Geraetezugang
