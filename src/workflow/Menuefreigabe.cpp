#include "workflow/Menuefreigabe.h"

Menuefreigabe Menuefreigabe::fuer(const Menuelage &lage)
{
    Menuefreigabe f;
    switch (lage.betrieb) {
    case Menuelage::Betrieb::Anlauf:
        break;
    case Menuelage::Betrieb::Rs485:
        f.datei = f.schnittstelle = f.testbetrieb = f.dialog = true;
        f.portavo = f.trouble = !lage.busBelegt;
        break;
    case Menuelage::Betrieb::Modem: {
        // No port selection and no dialog test over the modem line. The bus
        // commands need the line: PORTAVO until it is hung up, the recovery
        // scan only while connected.
        using M = Menuelage::Modem;
        f.datei = f.testbetrieb = true;
        f.modem = lage.modem == M::Unbenutzt || lage.modem == M::Beendet;
        const bool leitung = lage.modem == M::Unbenutzt || lage.modem == M::Verbunden || lage.modem == M::Auflegen;
        f.portavo = leitung && !lage.busBelegt;
        f.trouble = lage.modem == M::Verbunden && !lage.busBelegt;
        break;
    }
    }
    return f;
}

bool Menuefreigabe::operator==(const Menuefreigabe &o) const
{
    return datei == o.datei && portavo == o.portavo && schnittstelle == o.schnittstelle
           && testbetrieb == o.testbetrieb && dialog == o.dialog && modem == o.modem && trouble == o.trouble;
}
