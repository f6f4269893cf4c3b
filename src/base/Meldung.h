#pragma once
// The one seam through which every message box and question goes. The
// program shows a QMessageBox; portavo-cli prints; tests answer from a script.

#include <QString>

struct Zustand;

class Meldung {
public:
    enum class Knoepfe { Ok, OkAbbrechen, JaNein, AbbrechenWiederholenIgnorieren };
    enum class Symbol { Keins, Ausrufezeichen, Kritisch, Frage, Information };
    enum Antwort { Ok = 1, Abbrechen = 2, Abbruch = 3, Wiederholen = 4, Ignorieren = 5, Ja = 6, Nein = 7 };

    virtual ~Meldung() = default;
    // Shows text and title (already in the chosen language) and returns the answer.
    virtual int zeige(const QString &text, const QString &titel, Knoepfe knoepfe, Symbol symbol,
                      int textnummer, int titelnummer) = 0;

    // Text and title by number from the current text slice of z.
    int zeige(const Zustand &z, int textnummer, int titelnummer, Knoepfe knoepfe = Knoepfe::Ok,
              Symbol symbol = Symbol::Ausrufezeichen);
};
