#pragma once
// One receiver of the bytes that come over the line. A sequence registers
// one with the link (Verbindung::nimmStrom) for as long as it waits for
// answers; the link hands every received chunk to the receiver of the
// highest rank that takes it.

#include <QByteArray>

class Empfaenger {
public:
    // Who gets a chunk while several receivers are registered: the highest
    // rank first. The byte store of the link is always there, lowest.
    enum class Vorrang {
        Ablage = 0,          // the byte store (read-out, write, recovery scan)
        Anmeldung = 1,       // the login's answer, while the last request was "P"
        Testbetrieb = 2,     // test mode, while its window is open
        Identifikation = 3,  // address and protocol identification
        Reparatur = 4,       // the repair write's wake-up answer
    };
    enum class Annahme {
        Weiter,          // not for this receiver: the next lower one gets it
        Genommen,        // taken
        Zurueckgehalten  // taken as a signal only: the chunk counts as not received
    };

    virtual ~Empfaenger() = default;
    virtual Annahme nimm(const QByteArray &bytes) = 0;
    // A request telegram went out on the link.
    virtual void anfrageGesendet() {}
};
