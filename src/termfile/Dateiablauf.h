#pragma once
// The file commands around the editor, with their messages: the main
// window's load routine (Datei / Laden and the write command) and the
// editor's Save and Save as. Writing goes through the file set, whose
// writes replace a file only once its new content is complete.

#include "termfile/Terminaldatei.h"

#include <QString>
#include <QVector>

struct Zustand;
class Meldung;

namespace Dateiablauf {

// ".S2D", ".s2d", ".S3D", ".s3d", ".S4D" or ".s4d" at the end; mixed case
// such as ".S2d" is not a main file.
bool istHauptdateiname(const QString &pfad);

struct Ladeergebnis {
    bool geladen = false;     // Daten(0..2047) holds the file
    bool bearbeiten = false;  // LadenZumBearbeiten was 1: open the editor
    int Blockpruefsumme = 0;  // XOR of Daten(0..2047), then XOR 3
};

// The load routine: refuses another extension with text 176, reads the
// 2048 values into Daten, computes the check byte of the write block and
// takes LadenZumBearbeiten (set back to 0). A missing or faulty main file
// leaves Daten untouched and is reported with text 384 and the reason.
Ladeergebnis ladeRoutine(Zustand &z, Meldung &m, const QString &pfad);

// Save: page 1..3's main file of basis and, for page 1, the .B2D, all or
// nothing. A companion file that loading discarded (too few lines) but that
// holds something is only replaced after the Yes/No question text 669
// (No saves nothing); a copy of it is kept. A failure is reported with
// text 315 and the reason; the files that were there before stay as they
// were. Returns whether everything was written.
bool speichern(Zustand &z, Meldung &m, const QString &basis, int seite);
// The question before writing over discarded companion files among teile,
// one per file; false when one was answered No.
bool verworfeneErsetzen(Zustand &z, Meldung &m, const QVector<Terminaldatei::Satzteil> &teile);

enum class Ergebnis { Gespeichert, Abgelehnt, Fehlgeschlagen };
// Save as onto a chosen main file: an existing file is only replaced after
// "Vorhandene Datei ... überschreiben?" was answered Yes (texts 386, 387).
Ergebnis speichernUnter(Zustand &z, Meldung &m, const QString &hauptdatei);

}  // namespace Dateiablauf
