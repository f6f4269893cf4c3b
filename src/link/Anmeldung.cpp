#include "link/Anmeldung.h"

#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "base/Zustand.h"

Anmeldung::Anmeldung(Zustand &z, Verbindung &v, QObject *parent) : QObject(parent), m_z(z), m_v(v)
{
    m_timer1.setParent(this);  // so that windows and tests find it by name
    m_timer1.setObjectName(QStringLiteral("Timer1"));
    connect(&m_timer1, &QTimer::timeout, this, &Anmeldung::tick);
}

bool Anmeldung::starte(int stufe)
{
    m_timer1.stop();
    m_z.Befehl = QByteArray("P") + m_z.Passwort;
    m_z.Antwort.clear();
    if (!m_v.sendeAnfrage()) {
        m_stufe = 0;
        return false;
    }
    m_echo = m_z.Rumpf;
    m_z.Empfangszahl = 0;
    m_stufe = stufe;
    m_versuche = 0;
    m_timer1.start(m_z.Timerintervall[1]);
    m_takt.start();
    return true;
}

void Anmeldung::stoppe()
{
    m_timer1.stop();
}

int Anmeldung::echoAmAnfang()
{
    const QByteArray &a = m_z.Antwort;
    int n = 0;
    while (n < m_echo.size() && n < a.size() && a.at(n) == m_echo.at(n))
        ++n;
    if (n < m_echo.size() && n < a.size())
        m_echo.clear();  // something else came first: the echo is over
    else
        m_echo.remove(0, n);
    return n;
}

void Anmeldung::tick()
{
    if (!m_takt.tickNehmen(m_v, m_timer1))
        return;
    const int ab = qMax(4, echoAmAnfang());
    const int stelle = int(m_z.Antwort.indexOf(Telegramm::Anmeldezusage, ab));
    if (stelle >= 0) {
        m_z.Antwort.clear();
        m_v.sendeAck();
        m_timer1.stop();
        m_versuche = 0;
        m_echo.clear();
        const int stufe = m_stufe;
        m_stufe = 0;
        emit angemeldet(stufe);
        return;
    }
    m_z.Antwort.clear();
    if (++m_versuche > HoechsteFehlversuche) {
        m_timer1.stop();
        m_versuche = 0;
        m_echo.clear();
        const int stufe = m_stufe;
        m_stufe = 0;
        emit fehlgeschlagen(stufe);
    }
}
