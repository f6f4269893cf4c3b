#include "link/Anmeldung.h"

#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "base/Zustand.h"

Anmeldung::Anmeldung(Zustand &z, Verbindung &v, QObject *parent) : QObject(parent), m_z(z), m_v(v)
{
    m_timer1.setParent(this);  // so that windows and tests find it by name
    m_timer1.setObjectName(QStringLiteral("Timer1"));
    connect(&m_timer1, &QTimer::timeout, this, &Anmeldung::tick);
    // The login's answer routing lasts until a request of another command.
    connect(&m_v, &Verbindung::befehlGesetzt, this, [this](const QByteArray &befehl) {
        if (befehl.isEmpty() || befehl.at(0) != 'P')
            m_recht.freigeben();
    });
}

bool Anmeldung::starte(int stufe)
{
    m_timer1.stop();
    m_antwort.leeren();
    if (!m_recht.haelt())
        m_recht = m_v.nimmStrom(m_antwort, Empfaenger::Vorrang::Anmeldung);
    const QByteArray befehl = QByteArray("P") + m_z.terminal.passwort;
    if (!m_v.sendeAnfrage(befehl)) {
        m_stufe = 0;
        return false;
    }
    m_echo = m_v.letzteAnfrage();
    m_echoGanz = false;
    m_v.ablage().leeren();
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
    if (m_echo.isEmpty())
        return 0;
    const QByteArray &a = m_antwort.bytes();
    int n = 0;
    while (n < m_echo.size() && n < a.size() && a.at(n) == m_echo.at(n))
        ++n;
    if (n < m_echo.size() && n < a.size()) {
        m_echo.clear();  // something else came first: the echo is over
    } else {
        m_echo.remove(0, n);
        m_echoGanz = m_echo.isEmpty();
    }
    return n;
}

void Anmeldung::tick()
{
    if (!m_takt.tickNehmen(m_v, m_timer1))
        return;
    // The answer is looked for behind the echo, and at position 5 at the
    // earliest while the echo has not come back whole. Once it has, what
    // follows it is the terminal's: on a busy machine a tick can fall between
    // the echo and the answer, and the answer then stands at the start of
    // the next tick's store. Looking from position 5 there too would refuse
    // a right password as a login failure.
    const int echo = echoAmAnfang();
    const int ab = m_echoGanz ? echo : qMax(4, echo);
    const int stelle = int(m_antwort.bytes().indexOf(Telegramm::Anmeldezusage, ab));
    if (stelle >= 0) {
        m_antwort.leeren();
        m_v.sendeAck();
        m_timer1.stop();
        m_versuche = 0;
        m_echo.clear();
        const int stufe = m_stufe;
        m_stufe = 0;
        emit angemeldet(stufe);
        return;
    }
    m_antwort.leeren();
    if (++m_versuche > HoechsteFehlversuche) {
        m_timer1.stop();
        m_versuche = 0;
        m_echo.clear();
        const int stufe = m_stufe;
        m_stufe = 0;
        emit fehlgeschlagen(stufe);
    }
}
