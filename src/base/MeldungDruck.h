#pragma once
// Meldung for portavo-cli: prints every message on standard error (title
// and text, trimmed) and answers questions with a fixed answer.

#include "base/Meldung.h"

#include <QList>

class MeldungDruck : public Meldung {
public:
    explicit MeldungDruck(int antwortAufFragen = Nein) : m_frage(antwortAufFragen) {}
    int zeige(const QString &text, const QString &titel, Knoepfe knoepfe, Symbol symbol, int textnummer,
              int titelnummer) override;
    using Meldung::zeige;

    // Text numbers of the messages printed so far.
    const QList<int> &textnummern() const { return m_nummern; }

private:
    int m_frage;
    QList<int> m_nummern;
};
