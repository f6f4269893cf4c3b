#include "support/MeldungAufnahme.h"

int MeldungAufnahme::zeige(const QString &text, const QString &titel, Knoepfe knoepfe, Symbol symbol,
                           int textnummer, int titelnummer)
{
    m_eintraege.append({text, titel, knoepfe, symbol, textnummer, titelnummer});
    if (!m_antworten.isEmpty())
        return m_antworten.takeFirst();
    if (m_standard == Ok && knoepfe == Knoepfe::JaNein)
        return Nein;
    return m_standard;
}

QList<int> MeldungAufnahme::textnummern() const
{
    QList<int> n;
    for (const Eintrag &e : m_eintraege)
        n.append(e.textnummer);
    return n;
}
