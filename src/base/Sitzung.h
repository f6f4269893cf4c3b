#pragma once
// How this run reaches the terminals.

enum class Leitungsart { Rs485, Modem };

struct Sitzung {
    Leitungsart leitung = Leitungsart::Rs485;
    bool modemVerbunden = false;      // the modem reported the connection
    bool ladenZumBearbeiten = false;  // the file being loaded opens in the editor
};
