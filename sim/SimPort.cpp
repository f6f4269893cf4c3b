#include "sim/SimPort.h"

#include "sim/SimBus.h"

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
