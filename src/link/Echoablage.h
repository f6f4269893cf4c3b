#pragma once
// What the link found out about the interface behind each port (whether it
// echoes), kept between runs so that a scan behind an interface that does
// not echo begins right from its first address.

#include "link/Verbindung.h"

#include <QString>

class Echoablage {
public:
    // Unbekannt when nothing is kept for the device.
    static Verbindung::Echostand lesen(const QString &geraet);
    static bool schreiben(const QString &geraet, bool vorhanden);
    // Starts the link in mode modus: in Automatisch with what is kept for
    // the port's device now, and keeps every later finding for the device
    // the port has then.
    static void anwenden(Verbindung &v, Verbindung::Echomodus modus, Port *port);
    static QString datei();
    // The mode the user chose for every port (Automatisch when none was
    // chosen); the command line's --echo overrides it for one run.
    static Verbindung::Echomodus modus();
    static bool setModus(Verbindung::Echomodus modus);
};
