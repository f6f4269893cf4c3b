#pragma once
// The runs the benchmark programs time against a portavo-sim they started
// themselves: the simulator, the port and link on its device, a read-out and
// a write from start to end, each as the program runs it.

#include "link/Verbindung.h"

#include <QProcess>
#include <QString>
#include <QStringList>

class SerialPort;

namespace Messlauf {

// $PORTAVO_SIM, else the simulator of this build.
QString simPfad();
// Starts the simulator with args; the device it opened (its first line), or
// empty when it did not start.
QString starteSim(QProcess &p, const QString &sim, const QStringList &args);
// Opens the port at the terminals' speed and puts the link on it in mode echo.
bool anschliessen(SerialPort &port, Verbindung &v, const QString &geraet, Verbindung::Echomodus echo);

// A read-out of the terminal at adresse (password 123456): from the login
// request to the filled data image, in ms; -1 when it could not start. ok:
// it ended well.
qint64 auslesen(const QString &geraet, int adresse, int protokoll, Verbindung::Echomodus echo, bool *ok);

struct Schreibzeiten {
    bool ok = false;
    qint64 gesamt = 0;        // write button to success
    qint64 bisBlock = 0;      // write button to the hand-over of the block
    qint64 leitung = 0;       // hand-over until the block was on the line
    qint64 bestaetigung = 0;  // block on the line until success
};
// A write of a fixed memory image (password 123456) into the terminal at adresse.
Schreibzeiten schreiben(const QString &geraet, int adresse, bool varianteM, Verbindung::Echomodus echo);

}  // namespace Messlauf
