#include "base/Meldung.h"

#include "base/Texttabelle.h"
#include "base/Zustand.h"

int Meldung::zeige(const Zustand &z, int textnummer, int titelnummer, Knoepfe knoepfe, Symbol symbol)
{
    return zeige(Texttabelle::text(z, textnummer), Texttabelle::text(z, titelnummer), knoepfe, symbol, textnummer,
                 titelnummer);
}
