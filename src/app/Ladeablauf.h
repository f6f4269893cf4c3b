#pragma once
// How the main window opens the terminal-file editor:
//   bearbeiteTerminaldatei()  opens the editor modally on a main file with
//                             a caption (Datei / Laden, or the read-out's
//                             "Geladene Datei bearbeiten ?" Yes with the
//                             caption "PORTAVO.S2D");
//   dateiLaden()              the whole Datei / Laden command: file dialog,
//                             load routine, editor.

#include "app/Grundeinstellungsseite.h"
#include "termfile/Dateiablauf.h"

#include <QString>

struct Zustand;
class Meldung;
class QWidget;

// The outcome of Datei / Laden.
struct Ladeablauf {
    bool gewaehlt = false;  // a file was chosen (not cancelled)
    QString pfad;           // the chosen file: the main window's current file
    Dateiablauf::Ladeergebnis ergebnis;  // geladen: enable the write button
    QString hauptdateiNachher;  // the editor's main file when it closed
};

// Opens the editor modally on hauptdatei with the given caption, on its
// first tab. Returns the main file current when it closed (Save as may
// have changed it), or an empty string when the file could not be loaded.
QString bearbeiteTerminaldatei(Zustand &z, Meldung &m, const QString &hauptdatei, const QString &titel,
                               QWidget *parent = nullptr, Passwortabfrage abfrage = {});

// Datei / Laden: the open-file dialog (texts 140..142, initial folder
// Startverzeichnis), LadenZumBearbeiten := 1, the load routine and then the
// editor with the file's full name as caption.
Ladeablauf dateiLaden(Zustand &z, Meldung &m, QWidget *parent = nullptr, Passwortabfrage abfrage = {});
