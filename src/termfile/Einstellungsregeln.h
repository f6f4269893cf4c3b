#pragma once
// The rules of the editor's basic-settings tab, free of widgets: what a
// press on a yes/no option, leaving a number box or a confirmed password
// does to the data image, including the questions asked on the way.
// The window only shows the image again afterwards.

#include <QString>

struct Zustand;
struct Datenbild;
class Meldung;

namespace Einstellungsregeln {

// The yes/no option pairs of the tab.
enum class Option {
    Summer,              // door opener with buzzer, A bit 0
    Intervallton,        // door opener interval tone, A bit 1
    Ueberwachungsmodul,  // B bit 2
    Chipkarte,           // chip-card message, A bit 3
    Startzeichen,        // start character sent, B bit 3 inverted
    Display,             // data on display, A bit 5
    Stoerung,            // door open on fault, A bit 7
    Sperrlisten,         // block lists, A bit 6
    Spur2,               // evaluate track 2, B bit 0
    Spur31,              // evaluate track 3 or 1, B bit 1
};
constexpr int Optionszahl = 10;

// What the window has to redraw after a press.
enum class Folge {
    Nichts,      // image unchanged
    Angezeigt,   // settings shown again (counter raised), lists rebuilt
    NeuAngelegt, // as Angezeigt, and the list area was laid out afresh
};

// Whether the "Ja" option of the pair is the selected one in the image.
bool istJa(const Datenbild &bild, Option o);

// A press on the "Ja" (ja = true) or "nein" option. Asks through m where
// the rules want a confirmation (text 319) or refuse (text 323). A press on
// the option that is already selected does nothing.
Folge optionGedrueckt(Zustand &z, Meldung &m, Option o, bool ja);

// Lays the list area out afresh. Standard mode: empty entries for the
// current arrangement, every comment "----------", lists rebuilt. A
// special-code image has no lists: its time-zone planes are cleared (every
// card blocked) and every name emptied; the system number stays.
void legeNeuAn(Datenbild &bild);

// Frame "Meldung Chipkarte" is usable only while no block list is in use:
// block lists switch the chip-card message off.
bool chipkarteFreigegeben(const Datenbild &bild);

// --- Number boxes ------------------------------------------------------------
enum class Zahlfeld { Tueroeffnungszeit, Adresse, LaengeSpur2, LaengeSpur31 };

int hoechstwert(Zahlfeld f);  // 255, 255, 22, 26
// The value the box shows for the image.
int wert(const Datenbild &bild, Zahlfeld f);
// The box's leading number (digits from the start, blanks before them
// skipped); 0 when there is none. Very long digit runs saturate.
int fuehrendeZahl(const QString &text);
// Leaving a box: the leading number, 1 when below 1 or above the maximum,
// goes into the image; a data length lays the list area out afresh every
// time. Returns the value stored (the box shows it).
int verlassen(Datenbild &bild, Zahlfeld f, const QString &text);
// Whether a key with this text may reach a number box (digits only).
bool zifferErlaubt(const QString &tastentext);

// --- Password ----------------------------------------------------------------
// After the password dialog closed: with PasswortOK set and a Passwort not
// starting with "X", bytes 5..7 take characters 2..4 of Passwort and the
// settings are shown again. Returns whether the image changed.
bool passwortUebernehmen(Zustand &z);

// --- Data strings ------------------------------------------------------------
// A character the data-string box takes: "0".."?" (nibbles 0..15) and "#".
bool datenstringZeichenErlaubt(QChar c);

}  // namespace Einstellungsregeln
