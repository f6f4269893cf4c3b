#include "support/SimPort.h"

#include "support/SimBus.h"

SimPort::SimPort(QObject *parent) : Port(parent) {}

SimPort::~SimPort()
{
    close();
}

bool SimPort::open()
{
    if (isOpen())
        return true;
    SimBus *bus = SimBus::zuGeraet(m_device);
    if (!bus || bus->weg()) {
        m_fehler = Oeffnungsfehler::GibtEsNicht;
        m_fehlertext = QStringLiteral("No such file or directory");
        return false;
    }
    if (!bus->belegen(this)) {
        m_fehler = Oeffnungsfehler::Belegt;
        m_fehlertext = QStringLiteral("Device or resource busy");
        return false;
    }
    m_bus = bus;
    m_bus->setBaud(m_settings.baud);
    m_fehler = Oeffnungsfehler::Keiner;
    m_fehlertext.clear();
    m_eingang.clear();
    ++m_openCount;
    return true;
}

void SimPort::close()
{
    if (!m_bus)
        return;
    m_bus->freigeben(this);
    m_bus = nullptr;
    m_eingang.clear();
}

bool SimPort::setSettings(const QString &settings)
{
    const auto s = LineSettings::parse(settings);
    if (!s)
        return false;
    m_settings = *s;
    if (m_bus)
        m_bus->setBaud(m_settings.baud);
    return true;
}

void SimPort::write(const QByteArray &bytes)
{
    if (m_bus)
        m_bus->vomPc(bytes);
}

QByteArray SimPort::readAll()
{
    QByteArray b;
    b.swap(m_eingang);
    return b;
}

void SimPort::flushOutput()
{
    if (m_bus)
        m_bus->verwerfen();
}

void SimPort::flushInput()
{
    m_eingang.clear();
}

qint64 SimPort::bytesToWrite() const
{
    return m_bus ? m_bus->unterwegs() : 0;
}

void SimPort::drain()
{
    if (m_bus)
        m_bus->leeren();
}

void SimPort::empfange(const QByteArray &bytes)
{
    if (!m_bus)
        return;
    m_eingang += bytes;
    emit ereignis(Ereigniscode::Empfangen);
}

void SimPort::gesendetMelden(qint64 bytes)
{
    if (m_bus)
        emit gesendet(bytes);
}

void SimPort::geraetWeg()
{
    if (!m_bus)
        return;
    close();
    emit verloren();
}
