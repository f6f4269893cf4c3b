#pragma once
// A receiver that collects every chunk it gets in one text of raw bytes:
// the answer stores of the login, test mode and the identifications.

#include "link/Empfaenger.h"

class Empfangspuffer : public Empfaenger {
public:
    // leertBeiAnfrage: every request telegram on the link empties it (the
    // identifications' store).
    explicit Empfangspuffer(bool leertBeiAnfrage = false) : m_leertBeiAnfrage(leertBeiAnfrage) {}

    Annahme nimm(const QByteArray &bytes) override
    {
        m_bytes += bytes;
        return Annahme::Genommen;
    }
    void anfrageGesendet() override
    {
        if (m_leertBeiAnfrage)
            m_bytes.clear();
    }

    QByteArray &bytes() { return m_bytes; }
    const QByteArray &bytes() const { return m_bytes; }
    void leeren() { m_bytes.clear(); }

private:
    QByteArray m_bytes;
    bool m_leertBeiAnfrage;
};
