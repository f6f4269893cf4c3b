#pragma once
// Where the program keeps its files. PORTAVO_HOME puts every file under one folder.

#include <QString>

namespace Pfade {
// Folder of the settings file and the background picture.
QString konfiguration();
// The program's own folder: orte.dat, Bewegungen.dat, ports.dat.
QString programm();
QString einstellungsdatei();  // .../Portavomodem.ini
QString hintergrundbild();    // .../hauptbild.bmp
QString orteDatei();
QString portsDatei();
// Device path of port number n (1..16) from the port map; creates the map
// with its defaults when it is missing.
QString geraet(int portnummer);
// Line n of the port map becomes `geraet`; the other lines stay (a missing
// map is created with its defaults first). False when it cannot be written.
bool setzeGeraet(int portnummer, const QString &geraet);
}  // namespace Pfade
