#pragma once
// The program-wide shared variables. The application owns one instance and
// hands it by reference to windows and sequences; tests make their own.

#include "base/Datenbild.h"
#include "base/Einstellungsstand.h"
#include "base/Sitzung.h"
#include "base/Sprachstand.h"
#include "base/Terminalstand.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <array>

struct Zustand {
    Zustand();

    // Intervals in ms of the main window's ticks Timer1..Timer5 (index 1..5),
    // taken by the sequences each time they start a tick. Start-up holds the
    // design values; the start window's operating-mode button sets the
    // values of that mode.
    std::array<int, 6> Timerintervall{0, 100, 200, 100, 2000, 10};

    // Language and texts, settings, the terminal served, how it is reached
    Sprachstand sprache;
    Einstellungsstand einstellungen;
    Terminalstand terminal;
    Sitzung sitzung;

    // The terminal data image with its text arrays
    Datenbild bild;
};
