#include "shell/Meldung.h"

#include "shell/Zustand.h"

int Meldung::zeige(const Zustand &z, int textnummer, int titelnummer, Knoepfe knoepfe, Symbol symbol)
{
    const auto text = [&z](int n) { return n >= 0 && n < z.Texte.size() ? z.Texte.at(n) : QString(); };
    return zeige(text(textnummer), text(titelnummer), knoepfe, symbol, textnummer, titelnummer);
}
