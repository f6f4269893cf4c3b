#include "link/Verbindung.h"

#include "link/Telegramm.h"
#include "base/Zustand.h"

Verbindung::Verbindung(Zustand &z, QObject *parent) : QObject(parent), m_z(z) {}

void Verbindung::setPort(Port *port)
{
    if (m_port == port)
        return;
    if (m_port)
        m_port->disconnect(this);
    m_port = port;
    anschliessen(port);
}

void Verbindung::setModemPort(Port *port)
{
    m_modemPort = port;
}

void Verbindung::anschliessen(Port *port)
{
    if (!port)
        return;
    connect(port, &Port::ereignis, this, &Verbindung::empfangsereignis);
    connect(port, &Port::verloren, this, &Verbindung::portVerloren);
}

Port *Verbindung::aktiverPort() const
{
    return m_z.sitzung.leitung == Leitungsart::Modem ? m_modemPort : m_port;
}

void Verbindung::monitor(const QString &zeile)
{
    if (beobachtet())
        emit monitorZeile(zeile);
}

Empfangsrecht Verbindung::nimmStrom(Empfaenger &empfaenger, Empfaenger::Vorrang vorrang)
{
    const int nummer = m_naechsteNummer++;
    int stelle = 0;
    while (stelle < m_empfaenger.size() && m_empfaenger.at(stelle).vorrang > vorrang)
        ++stelle;
    m_empfaenger.insert(stelle, Eintrag{nummer, vorrang, &empfaenger});
    return Empfangsrecht(this, nummer);
}

Empfangsrecht Verbindung::beobachten()
{
    const int nummer = m_naechsteNummer++;
    m_beobachtung.append(nummer);
    return Empfangsrecht(this, nummer);
}

void Verbindung::freigeben(int nummer)
{
    m_beobachtung.removeOne(nummer);
    for (int i = 0; i < m_empfaenger.size(); ++i) {
        if (m_empfaenger.at(i).nummer == nummer) {
            m_empfaenger.remove(i);
            return;
        }
    }
}

bool Verbindung::haelt(Empfaenger::Vorrang vorrang) const
{
    for (const Eintrag &e : m_empfaenger)
        if (e.vorrang == vorrang)
            return true;
    return vorrang == Empfaenger::Vorrang::Ablage;
}

void Verbindung::setzeBefehl(const QByteArray &befehl)
{
    m_befehl = befehl;
    emit befehlGesetzt(befehl);
}

void Verbindung::modemverbindungVerloren()
{
    emit verbindungAbgebrochen();
}

bool Verbindung::sendeAnfrage(const QByteArray &befehl)
{
    setzeBefehl(befehl);
    const QByteArray telegramm = Telegramm::anfrage(m_z.terminal.adresse, befehl);
    if (telegramm.isEmpty())
        return false;
    m_anfrage = telegramm;
    // A copy: a receiver may give up its hold meanwhile.
    const QVector<Eintrag> empfaenger = m_empfaenger;
    for (const Eintrag &e : empfaenger)
        e.empfaenger->anfrageGesendet();
    if (Port *p = aktiverPort())
        p->write(telegramm);
    monitor(Telegramm::monitorTelegramm(telegramm));
    return true;
}

void Verbindung::sendeAck()
{
    sendeRoh(Telegramm::Quittung);
    monitor(Telegramm::MonitorQuittung);
}

void Verbindung::sendeProtokoll1Quittung()
{
    sendeRoh(Telegramm::Protokoll1Quittung);
    monitor(Telegramm::MonitorProtokoll1Quittung);
}

void Verbindung::sendeRoh(const QByteArray &bytes, Port *port)
{
    if (!port)
        port = aktiverPort();
    if (port)
        port->write(bytes);
}

void Verbindung::abholen()
{
    if (Port *p = aktiverPort(); p && p->isOpen())
        p->abholen();
}

void Verbindung::empfangsereignis(int code)
{
    if (!m_port)
        return;
    switch (code) {
    case Ereigniscode::Empfangen:
        verarbeite(m_port->readAll());
        return;
    case Ereigniscode::Break:
    case Ereigniscode::CdTimeout:
    case Ereigniscode::CtsTimeout:
    case Ereigniscode::Dcb:
    case Ereigniscode::DsrTimeout:
    case Ereigniscode::Framing:
    case Ereigniscode::Overrun:
    case Ereigniscode::Parity:
        neuOeffnen(m_port);
        return;
    default:
        // Send events, line state changes, buffer overflow, transmit buffer
        // full: nothing to do.
        return;
    }
}

// A line error: the bytes of this event are not to be trusted. Throw away what
// waits, close and open again at once; the settings stay as they were. The
// running sequence notices the missing answer through its own time-out.
void Verbindung::neuOeffnen(Port *port)
{
    if (!port->isOpen())
        return;
    port->flushInput();
    port->readAll();
    port->close();
    port->open();
}

bool Verbindung::verarbeite(const QByteArray &eingang)
{
    if (eingang.isEmpty())
        return true;

    bool genommen = false;
    for (int i = 0; i < m_empfaenger.size() && !genommen; ++i) {
        switch (m_empfaenger.at(i).empfaenger->nimm(eingang)) {
        case Empfaenger::Annahme::Weiter:
            break;
        case Empfaenger::Annahme::Genommen:
            genommen = true;
            break;
        case Empfaenger::Annahme::Zurueckgehalten:
            return false;
        }
    }
    if (!genommen)
        m_ablage.nimm(eingang);

    // The monitor shows the line's traffic, dropped bytes included.
    if (beobachtet()) {
        for (const char ch : eingang)
            emit monitorZeile(Telegramm::monitorEmpfang(quint8(ch)));
    }
    emit empfangen(int(eingang.size()));
    return true;
}
