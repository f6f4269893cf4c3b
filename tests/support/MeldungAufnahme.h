#pragma once
// Meldung for tests: keeps every message asked and answers from a script.

#include "base/Meldung.h"

#include <QList>
#include <QString>
#include <QVector>

class MeldungAufnahme : public Meldung {
public:
    struct Eintrag {
        QString text;
        QString titel;
        Knoepfe knoepfe;
        Symbol symbol;
        int textnummer;
        int titelnummer;
    };

    // The first queued answer, else the default (Ok meets a yes/no question as No).
    int zeige(const QString &text, const QString &titel, Knoepfe knoepfe, Symbol symbol, int textnummer,
              int titelnummer) override
    {
        m_eintraege.append({text, titel, knoepfe, symbol, textnummer, titelnummer});
        if (!m_antworten.isEmpty())
            return m_antworten.takeFirst();
        return m_standard == Ok && knoepfe == Knoepfe::JaNein ? Nein : m_standard;
    }
    using Meldung::zeige;

    void antworte(int antwort) { m_antworten.append(antwort); }
    void setStandardantwort(int antwort) { m_standard = antwort; }
    const QVector<Eintrag> &eintraege() const { return m_eintraege; }
    QList<int> textnummern() const
    {
        QList<int> n;
        for (const Eintrag &e : m_eintraege)
            n.append(e.textnummer);
        return n;
    }
    void leeren() { m_eintraege.clear(); }

private:
    QVector<Eintrag> m_eintraege;
    QList<int> m_antworten;
    int m_standard = Ok;
};
