#pragma once
// How the main window opens the terminal-file editor: modally on a main file
// with a caption (Datei / Laden, or the read-out's "Geladene Datei
// bearbeiten ?" Yes with the caption "PORTAVO.S2D").

#include "app/Grundeinstellungsseite.h"

#include <QString>

struct Zustand;
class Meldung;
class Verbindung;
class Anmeldung;
class QWidget;

// Opens the editor modally on hauptdatei with the given caption, on its
// first tab. Returns the main file current when it closed (Save as may
// have changed it), or an empty string when the file could not be loaded.
// With the link and login the editor can compare its file with the
// terminal's memory.
QString bearbeiteTerminaldatei(Zustand &z, Meldung &m, const QString &hauptdatei, const QString &titel,
                               QWidget *parent = nullptr, Passwortabfrage abfrage = {}, Verbindung *v = nullptr,
                               Anmeldung *anmeldung = nullptr);

