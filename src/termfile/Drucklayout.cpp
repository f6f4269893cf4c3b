#include "termfile/Drucklayout.h"

#include "base/Texttabelle.h"

#include <utility>

namespace {
// Texts are cut where they would run into the next column or off the paper.
constexpr int RechterRand = 600;
}  // namespace

// The print cursor of one run: left position, top position, value column
// offset, line height and font size, the pages done so far and the page
// being filled.
class Drucklayout::Lauf {
public:
    Lauf(const Drucklayout &layout) : m_layout(layout) {}

    int x = 1000;
    int y = 0;
    int tab = 0;
    int zeilenhoehe = 0;
    int groesse = 10;

    bool seiteOffen() const { return m_offen; }

    // Begins the next page; with kopf the page head goes on top.
    void neueSeite(bool kopf)
    {
        if (m_offen)
            beendeSeite();
        Druckseite s;
        s.nummer = m_seiten.size() + 1;
        m_seiten.append(std::move(s));
        m_offen = true;
        if (kopf) {
            const int vorher = groesse;
            groesse = 12;
            schreibe(Kopfx, Kopfy, m_layout.text(274) + m_layout.m_inhalt.datei,
                     Seitenbreite - RechterRand - Kopfx);
            groesse = vorher;
        }
    }

    // The foot, which ends every page.
    void beendeSeite()
    {
        if (!m_offen)
            return;
        const int vorher = groesse;
        groesse = 8;
        const int nummer = m_seiten.constLast().nummer;
        schreibe(Fusszeitx, Fussy, fusszeit(m_layout.m_zeitpunkt, m_layout.m_inhalt.sprache));
        schreibe(Fussseitex, Fussy, m_layout.text(283) + QString::number(nummer) + QStringLiteral(" -"));
        groesse = vorher;
        m_offen = false;
    }

    void schreibe(int px, int py, const QString &text, int breite = 0, int hoehe = 0)
    {
        if (text.trimmed().isEmpty())
            return;
        Druckelement e;
        e.text = text;
        e.x = px;
        e.y = py;
        e.groesse = groesse;
        e.breite = breite;
        e.hoehe = hoehe;
        m_seiten.last().elemente.append(std::move(e));
    }

    // Label at x, value at x + tab, then one line down.
    void zeile(const QString &bezeichnung, const QString &wert, int breiteBezeichnung = 0, int breiteWert = 0)
    {
        schreibe(x, y, bezeichnung, breiteBezeichnung);
        schreibe(x + tab, y, wert, breiteWert);
        y += zeilenhoehe;
    }

    QVector<Druckseite> ergebnis()
    {
        beendeSeite();
        return std::move(m_seiten);
    }

private:
    const Drucklayout &m_layout;
    QVector<Druckseite> m_seiten;
    bool m_offen = false;
};

Drucklayout::Drucklayout(Druckinhalt inhalt, QDateTime zeitpunkt)
    : m_inhalt(std::move(inhalt)), m_zeitpunkt(std::move(zeitpunkt))
{
}

QString Drucklayout::text(int nummer) const
{
    const QString t = Texttabelle::text(nummer + m_inhalt.sprache);
    return t.isNull() ? Texttabelle::text(nummer) : t;
}

QString Drucklayout::fusszeit(const QDateTime &zeitpunkt, int sprache)
{
    const QString datum = zeitpunkt.toString(sprache == 1000 ? QStringLiteral("MM-dd-yyyy")
                                                              : QStringLiteral("dd-MM-yyyy"));
    return datum + QStringLiteral("    ") + zeitpunkt.toString(QStringLiteral("HH:mm"));
}

QVector<Druckseite> Drucklayout::teil(Druckteil t) const
{
    Lauf l(*this);
    switch (t) {
    case Druckteil::Grundeinstellungen:
        grundeinstellungen(l);
        break;
    case Druckteil::Berechtigungen:
        listen(l, 1, 277);
        break;
    case Druckteil::Sperrlisten:
        listen(l, 3, 279);
        break;
    case Druckteil::Displaytexte:
        displaytexte(l);
        break;
    }
    return l.ergebnis();
}

QVector<Druckseite> Drucklayout::alles() const
{
    Lauf l(*this);
    grundeinstellungen(l);
    listen(l, 1, 277);
    listen(l, 3, 279);
    displaytexte(l);
    return l.ergebnis();
}

void Drucklayout::grundeinstellungen(Lauf &l) const
{
    const Grundeinstellungen &g = m_inhalt.einstellungen;
    const auto jaNein = [this](bool ja) { return text(ja ? 287 : 288); };
    const auto laenge = [](bool ausgewertet, int ziffern) {
        return ausgewertet ? QString::number(ziffern) : QStringLiteral("----");
    };

    l.neueSeite(true);
    l.groesse = 12;
    l.schreibe(1000, Titely, text(284));
    l.groesse = 10;
    l.x = 1000;
    l.y = 2100;
    l.tab = 4000;
    l.zeilenhoehe = 330;
    l.zeile(text(285), QString::number(g.tueroeffnungszeit) + text(286));
    l.zeile(text(289), jaNein(g.tueroeffnerMitSummer));
    l.zeile(text(290), jaNein(g.tueroeffnerIntervallton));
    l.zeile(text(291), jaNein(g.ueberwachungsmodul));
    l.zeile(text(292), g.passwort);
    l.zeile(text(293), jaNein(g.meldungChipkarte));
    l.zeile(text(294), jaNein(g.tuerAufBeiStoerung));
    l.zeile(text(295), jaNein(g.startzeichenSenden));
    l.zeile(text(296), jaNein(g.datenAufDisplay));
    l.zeile(text(297), jaNein(g.sperrlisten));
    l.zeile(text(298), jaNein(g.spur2Auswerten));
    l.zeile(text(299), jaNein(g.spur31Auswerten));
    l.zeile(text(300), laenge(g.spur2Auswerten, g.laengeSpur2));
    l.zeile(text(301), laenge(g.spur31Auswerten, g.laengeSpur31));
    l.zeile(text(302), QString::number(g.adresse));
    l.zeile(text(303), m_inhalt.protokoll);

    // Lines to be filled in by hand.
    l.y += 400;
    l.zeilenhoehe = 600;
    l.zeile(text(304), text(305));
    l.zeile(text(306), text(305));
    l.zeile(text(307), text(309));
    l.zeile(text(308), text(309));
    l.beendeSeite();
}

void Drucklayout::listen(Lauf &l, int ersteListe, int ersterTitel) const
{
    for (int i = 0; i < 2; ++i) {
        l.neueSeite(true);
        l.groesse = 12;
        l.schreibe(1000, Titely, text(ersterTitel + i));
        gitter(l, m_inhalt.gitter[ersteListe - 1 + i]);
        l.beendeSeite();
    }
}

void Drucklayout::gitter(Lauf &l, const Druckgitter &g) const
{
    l.x = Gitterx;
    l.y = Gittery;
    l.tab = Gittertab;
    l.zeilenhoehe = Gitterzeile;
    l.groesse = 8;
    if (g.leer()) {
        l.schreibe(l.x, l.y, text(310));
        return;
    }

    constexpr int BreiteBezeichnung = Gittertab - 100;
    constexpr int BreiteWert = Seitenbreite - RechterRand - Gitterx - Gittertab;
    const auto koepfe = [&] { l.zeile(g.kopf[0], g.kopf[1], BreiteBezeichnung, BreiteWert); };
    const auto umbruch = [&] {
        if (l.y <= Gittergrenze)
            return;
        l.beendeSeite();
        l.neueSeite(false);
        l.y = Folgeseitey;
        koepfe();
    };

    koepfe();
    const int ende = g.kartenAb >= 0 ? g.kartenAb : g.zeilen.size();
    for (int r = 0; r < ende; ++r) {
        umbruch();
        l.zeile(g.zeilen[r][0], g.zeilen[r][1], BreiteBezeichnung, BreiteWert);
    }
    if (g.kartenAb >= 0) {
        // Card rows three to a line: the card at the cell's left, its name
        // beside it (an empty name slot is left blank). A long name is set
        // smaller or wrapped inside the line, never cut.
        for (int r = g.kartenAb; r < g.zeilen.size(); r += 3) {
            umbruch();
            for (int s = 0; s < 3 && r + s < g.zeilen.size(); ++s) {
                const auto &zeile = g.zeilen[r + s];
                const int zx = Kartenspalten[s];
                l.schreibe(zx, l.y, zeile[0].simplified(), Kartennamenabstand - 50, l.zeilenhoehe);
                if (zeile[1] != Leerzeile)
                    l.schreibe(zx + Kartennamenabstand, l.y, zeile[1], Kartennamenbreite, l.zeilenhoehe);
            }
            l.y += l.zeilenhoehe;
        }
    }
    l.schreibe(l.x, l.y, text(310));
}

void Drucklayout::displaytexte(Lauf &l) const
{
    l.neueSeite(true);
    l.groesse = 12;
    l.schreibe(1000, Titely, text(281));
    int y = 2200;
    for (int n = 1; n <= 8; ++n) {
        l.groesse = 10;
        l.schreibe(1000, y, text(282) + QString::number(n));
        l.groesse = 12;
        l.schreibe(4500, y, m_inhalt.displayzeilen[2 * (n - 1)]);
        l.schreibe(4500, y + 400, m_inhalt.displayzeilen[2 * (n - 1) + 1]);
        y += 1000;
    }
    l.beendeSeite();
}
