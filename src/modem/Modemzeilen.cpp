#include "modem/Modemzeilen.h"

void Modemzeilen::zuruecksetzen()
{
    m_zeile.clear();
    m_nachZeilenende = false;
    m_zeileGueltig = false;
    m_connectGemeldet = false;
}

QVector<Modemzeilen::Rueckmeldung> Modemzeilen::lies(const QByteArray &chunk)
{
    QVector<Rueckmeldung> r;
    for (const char c : chunk) {
        if (c == '\r' || c == '\n') {
            if (m_zeileGueltig && !m_zeile.isEmpty()) {
                const QByteArray z = m_zeile.trimmed();
                if (z == "OK")
                    r << Rueckmeldung::Ok;
                else if (z == "BUSY")
                    r << Rueckmeldung::Busy;
                else if (z == "NO CARRIER")
                    r << Rueckmeldung::NoCarrier;
                else if (z == "NO DIALTONE" || z == "NO DIAL TONE")
                    r << Rueckmeldung::NoDialtone;
                else if (z == "NO ANSWER")
                    r << Rueckmeldung::NoAnswer;
                else if (z == "ERROR")
                    r << Rueckmeldung::Error;
            }
            m_zeile.clear();
            m_connectGemeldet = false;
            m_nachZeilenende = true;
            continue;
        }
        if (m_zeile.isEmpty())
            m_zeileGueltig = m_nachZeilenende;
        m_nachZeilenende = false;
        if (m_zeile.size() < Zeilengrenze)
            m_zeile += c;
        if (m_zeileGueltig && !m_connectGemeldet && m_zeile.size() == 3 && m_zeile == "CON") {
            m_connectGemeldet = true;
            r << Rueckmeldung::Connect;
        }
    }
    return r;
}
