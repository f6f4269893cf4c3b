#include "termfile/Einstellungsregeln.h"

#include "base/Meldung.h"
#include "base/Zustand.h"
#include "base/Datenbild.h"


namespace Einstellungsregeln {

namespace {

Flag flagVon(Option o)
{
    switch (o) {
    case Option::Summer: return Flag::TueroeffnerMitSummer;
    case Option::Intervallton: return Flag::TueroeffnerIntervallton;
    case Option::Ueberwachungsmodul: return Flag::Ueberwachungsmodul;
    case Option::Chipkarte: return Flag::MeldungChipkarte;
    case Option::Startzeichen: return Flag::StartzeichenNichtSenden;
    case Option::Display: return Flag::DatenAufDisplay;
    case Option::Stoerung: return Flag::TuerAufBeiStoerung;
    case Option::Sperrlisten: return Flag::Sperrlisten;
    case Option::Spur2: return Flag::Spur2Auswerten;
    case Option::Spur31: return Flag::Spur31Auswerten;
    }
    return Flag::TueroeffnerMitSummer;
}

// "Alle Kartendaten gehen verloren" with OK and Cancel.
bool bestaetigt(Zustand &z, Meldung &m)
{
    return m.zeige(z, 319, 320, Meldung::Knoepfe::OkAbbrechen, Meldung::Symbol::Ausrufezeichen) == Meldung::Ok;
}

Folge neuAngelegt(Datenbild &b)
{
    b.einstellungenAnzeigen();
    legeNeuAn(b);
    return Folge::NeuAngelegt;
}

Folge spurGedrueckt(Zustand &z, Meldung &m, Option o, bool ja)
{
    Datenbild &b = z.bild;
    const Flag diese = flagVon(o);
    const Flag andere = o == Option::Spur2 ? Flag::Spur31Auswerten : Flag::Spur2Auswerten;
    if (ja) {
        if (b.istSondercode() && b.flag(andere)) {
            // Only one track is evaluated in special-code mode: switch over.
            b.setzeFlag(diese, true);
            b.setzeFlag(andere, false);
            b.einstellungenAnzeigen();
            b.baueListen();
            return Folge::Angezeigt;
        }
        if (!bestaetigt(z, m))
            return Folge::Nichts;
        b.setzeFlag(diese, true);
        return neuAngelegt(b);
    }
    if (!b.flag(andere)) {
        m.zeige(z, 323, 324, Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen);
        return Folge::Nichts;
    }
    if (!bestaetigt(z, m))
        return Folge::Nichts;
    b.setzeFlag(diese, false);
    return neuAngelegt(b);
}

}  // namespace

bool istJa(const Datenbild &bild, Option o)
{
    const bool gesetzt = bild.flag(flagVon(o));
    return o == Option::Startzeichen ? !gesetzt : gesetzt;
}

Folge optionGedrueckt(Zustand &z, Meldung &m, Option o, bool ja)
{
    Datenbild &b = z.bild;
    if (istJa(b, o) == ja)
        return Folge::Nichts;
    switch (o) {
    case Option::Sperrlisten:
        if (!bestaetigt(z, m))
            return Folge::Nichts;
        b.setzeFlag(Flag::Sperrlisten, ja);
        if (ja)
            b.setzeFlag(Flag::MeldungChipkarte, false);
        return neuAngelegt(b);
    case Option::Spur2:
    case Option::Spur31:
        return spurGedrueckt(z, m, o, ja);
    default:
        b.setzeFlag(flagVon(o), o == Option::Startzeichen ? !ja : ja);
        b.einstellungenAnzeigen();
        b.baueListen();
        return Folge::Angezeigt;
    }
}

void legeNeuAn(Datenbild &bild)
{
    if (!bild.istSondercode()) {
        bild.legeListenbereichNeuAn();
        return;
    }
    // Standard entries laid over the time-zone planes would authorize
    // arbitrary cards; an emptied special-code area blocks every card.
    for (int a = Adresse::Zeitzonenebene1; a < Bildgroesse; ++a)
        bild.setzeByte(a, 0);
    bild.Begleittext.fill(Leerzeile);
    bild.baueListen();
}

bool chipkarteFreigegeben(const Datenbild &bild)
{
    return !bild.flag(Flag::Sperrlisten);
}

int hoechstwert(Zahlfeld f)
{
    switch (f) {
    case Zahlfeld::LaengeSpur2: return Datenbild::hoechstlaenge(Spur::Spur2);
    case Zahlfeld::LaengeSpur31: return Datenbild::hoechstlaenge(Spur::Spur31);
    default: return 255;
    }
}

int wert(const Datenbild &bild, Zahlfeld f)
{
    switch (f) {
    case Zahlfeld::Tueroeffnungszeit: return bild.grundeinstellungen().tueroeffnungszeit;
    case Zahlfeld::Adresse: return bild.byte(Adresse::Busadresse);
    case Zahlfeld::LaengeSpur2: return bild.datenlaenge(Spur::Spur2);
    case Zahlfeld::LaengeSpur31: return bild.datenlaenge(Spur::Spur31);
    }
    return 0;
}

int fuehrendeZahl(const QString &text)
{
    int i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    int zahl = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i)
        zahl = qMin(1000000, 10 * zahl + (text[i].unicode() - '0'));
    return zahl;
}

int verlassen(Datenbild &bild, Zahlfeld f, const QString &text)
{
    int v = fuehrendeZahl(text);
    if (v < 1 || v > hoechstwert(f))
        v = 1;
    switch (f) {
    case Zahlfeld::Tueroeffnungszeit: bild.setzeByte(Adresse::Tueroeffnungszeit, v); break;
    case Zahlfeld::Adresse: bild.setzeByte(Adresse::Busadresse, v); break;
    case Zahlfeld::LaengeSpur2:
        bild.setzeDatenlaenge(Spur::Spur2, v);
        legeNeuAn(bild);
        break;
    case Zahlfeld::LaengeSpur31:
        bild.setzeDatenlaenge(Spur::Spur31, v);
        legeNeuAn(bild);
        break;
    }
    return v;
}

bool zifferErlaubt(const QString &tastentext)
{
    if (tastentext.isEmpty())
        return false;
    for (QChar c : tastentext)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

bool passwortUebernehmen(Zustand &z)
{
    if (!z.terminal.passwortOK || !z.bild.uebernimmPasswort(z.terminal.passwort))
        return false;
    z.bild.einstellungenAnzeigen();
    return true;
}

bool datenstringZeichenErlaubt(QChar c)
{
    return c == QLatin1Char('#') || (c >= QLatin1Char('0') && c <= QLatin1Char('?'));
}

}  // namespace Einstellungsregeln
