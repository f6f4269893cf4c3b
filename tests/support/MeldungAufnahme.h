#pragma once
// Meldung for tests: keeps every message asked and answers from a script
// (first queued answer; when the queue is empty, the default answer).

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

    int zeige(const QString &text, const QString &titel, Knoepfe knoepfe, Symbol symbol, int textnummer,
              int titelnummer) override;
    using Meldung::zeige;

    void antworte(int antwort) { m_antworten.append(antwort); }
    void setStandardantwort(int antwort) { m_standard = antwort; }
    const QVector<Eintrag> &eintraege() const { return m_eintraege; }
    QList<int> textnummern() const;
    void leeren() { m_eintraege.clear(); }

private:
    QVector<Eintrag> m_eintraege;
    QList<int> m_antworten;
    int m_standard = Ok;
};
