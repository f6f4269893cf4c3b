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
    return m_z.Modembetrieb == 1 ? m_modemPort : m_port;
}

void Verbindung::monitor(const QString &zeile)
{
    if (m_z.MonitorAktiv == 1)
        emit monitorZeile(zeile);
}

void Verbindung::modemverbindungVerloren()
{
    emit verbindungAbgebrochen();
}

bool Verbindung::sendeAnfrage()
{
    const QByteArray telegramm = Telegramm::anfrage(m_z.Adresse, m_z.Befehl);
    if (telegramm.isEmpty())
        return false;
    m_z.Rumpf = telegramm;
    m_z.Empfang.clear();
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

void Verbindung::verarbeite(const QByteArray &eingang)
{
    if (eingang.isEmpty())
        return;

    // Repair write: the terminal answers the wake-up characters with NAK, or
    // with more than the echo of one STX.
    if (m_z.Reparatur == 1 && (eingang.at(0) == Telegramm::NAK || eingang.size() > 1)) {
        emit reparaturAntwort();
        return;
    }

    if (m_z.AdressSuche == 1) {
        m_z.Empfang += eingang;
    } else if (m_z.TestAktiv == 1) {
        m_z.Testempfang += eingang;
    } else if (!m_z.Befehl.isEmpty() && m_z.Befehl.at(0) == 'P') {
        m_z.Antwort += eingang;
    } else {
        // Index Empfangsgrenze (4500) is the last one filled; whatever comes
        // after it in this event is dropped.
        for (const char ch : eingang) {
            if (m_z.Empfangszahl < 0 || m_z.Empfangszahl > Empfangsgrenze)
                break;
            m_z.Empfangsbytes[size_t(m_z.Empfangszahl)] = quint8(ch);
            ++m_z.Empfangszahl;
        }
    }

    // The monitor shows the line's traffic, dropped bytes included.
    if (m_z.MonitorAktiv == 1) {
        for (const char ch : eingang)
            emit monitorZeile(Telegramm::monitorEmpfang(quint8(ch)));
    }
    emit empfangen(int(eingang.size()));
}
