#pragma once
// What decides which menu items of the main window can be chosen.

struct Menuelage {
    enum class Betrieb {
        Anlauf,  // before the start window was answered, or closed without a choice
        Rs485,
        Modem,
    };
    enum class Modem {
        Unbenutzt,  // no connection made since the start window
        Verbunden,
        Auflegen,   // hanging up
        Aufgelegt,  // hung up, modem window still open
        Beendet,    // modem window closed
    };
    Betrieb betrieb = Betrieb::Anlauf;
    Modem modem = Modem::Unbenutzt;
    bool busBelegt = false;  // a write or a recovery scan runs
};
