#pragma once
// Which menu items of the main window can be chosen in a given situation.

#include "workflow/Menuelage.h"

struct Menuefreigabe {
    bool datei = false;          // menu Datei
    bool portavo = false;        // menu PORTAVO (read out, write, done)
    bool schnittstelle = false;  // port selection
    bool testbetrieb = false;    // menu Testbetrieb (monitor)
    bool dialog = false;         // Testbetrieb / Dialog mit PORTAVO
    bool modem = false;          // M&odem
    bool trouble = false;        // recovery scan

    static Menuefreigabe fuer(const Menuelage &lage);
    bool operator==(const Menuefreigabe &o) const;
};
