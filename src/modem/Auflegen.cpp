#include "modem/Auflegen.h"

#include "link/Port.h"

const QByteArray Auflegen::Escape = QByteArrayLiteral("+++");
const QByteArray Auflegen::Auflegebefehl = QByteArrayLiteral("ATH\r");

Auflegen::Auflegen(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    // The guard times are lower bounds for the modem: never fire early.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Auflegen::weiter);
}

void Auflegen::starte(Port *port)
{
    if (laeuft())
        return;
    m_port = port;
    if (!port || !port->isOpen()) {
        ende();
        return;
    }
    m_abflussMs = 0;
    m_phase = Phase::Abfluss;
    m_ziel = Phase::Stille1;
    weiter();
}

void Auflegen::weiter()
{
    if (!m_port || !m_port->isOpen()) {
        ende();
        return;
    }
    switch (m_phase) {
    case Phase::Ruhe:
        return;
    case Phase::Abfluss:
        // Silence counts from the moment the last byte has left the port.
        if (m_port->bytesToWrite() > 0 && m_abflussMs < Abflussgrenze) {
            m_abflussMs += Abflussblick;
            m_timer.start(Abflussblick);
            return;
        }
        m_abflussMs = 0;
        nachAbfluss();
        return;
    case Phase::Stille1:
        m_port->write(Escape);
        emit schritt(Schritt::Escape);
        m_phase = Phase::Abfluss;
        m_ziel = Phase::Stille2;
        weiter();
        return;
    case Phase::Stille2:
        m_port->write(Auflegebefehl);
        emit schritt(Schritt::Ath);
        m_phase = Phase::Abfluss;
        m_ziel = Phase::DtrAus;
        weiter();
        return;
    case Phase::DtrAus:
        m_port->setDtr(m_dtrVorher);
        m_port->close();
        emit schritt(Schritt::Geschlossen);
        ende();
        return;
    }
}

void Auflegen::nachAbfluss()
{
    m_phase = m_ziel;
    if (m_ziel == Phase::DtrAus) {
        // A modem hangs up when DTR drops (where the port has the line).
        m_dtrVorher = m_port->dtr();
        m_port->setDtr(true);
        m_port->setDtr(false);
        emit schritt(Schritt::Dtr);
        m_timer.start(m_dtrzeit);
        return;
    }
    emit schritt(Schritt::Stille);
    m_timer.start(m_schutzzeit);
}

void Auflegen::ende()
{
    m_timer.stop();
    m_phase = Phase::Ruhe;
    emit fertig();
}
