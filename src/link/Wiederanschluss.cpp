#include "link/Wiederanschluss.h"

#include "link/Port.h"

#include <QTimer>

QString Wiederanschluss::entscheide(const Kennung &kennung, const QVector<Geraeteliste::Geraet> &jetzt)
{
    if (!kennung.bekannt())
        return QString();
    if (!kennung.stabilerName.isEmpty()) {
        for (const Geraeteliste::Geraet &g : jetzt) {
            if (g.stabilerName == kennung.stabilerName)
                // A port opened by its link keeps that name.
                return kennung.name == kennung.stabilerName ? kennung.name : g.geraet;
        }
    }
    if (kennung.seriennummer.isEmpty())
        return QString();
    QString gefunden;
    for (const Geraeteliste::Geraet &g : jetzt) {
        if (!g.usb || g.seriennummer != kennung.seriennummer)
            continue;
        if (!gefunden.isEmpty())
            return QString();  // two adapters with one serial number: neither is surely ours
        gefunden = g.geraet;
    }
    return gefunden;
}

Wiederanschluss::Kennung Wiederanschluss::kennung(const QString &name, const QVector<Geraeteliste::Geraet> &jetzt,
                                                  const QString &ordner)
{
    Kennung k;
    k.name = name;
    const QString ziel = Geraeteliste::aufgeloest(name);
    if (ziel.isEmpty())
        return k;
    for (const Geraeteliste::Geraet &g : jetzt) {
        if (g.geraet != name && Geraeteliste::aufgeloest(g.geraet) != ziel)
            continue;
        if (g.usb)
            k.seriennummer = g.seriennummer.trimmed();
        k.stabilerName = g.stabilerName;
    }
    if (k.stabilerName.isEmpty())
        k.stabilerName = Geraeteliste::stabilerName(name, ordner);
    return k;
}

Wiederanschluss::Wiederanschluss(Port &port, QObject *parent)
    : QObject(parent), m_port(port), m_liste([] { return Geraeteliste::vorhandene(); }), m_timer(new QTimer(this))
{
    m_timer->setInterval(Abstand);
    connect(m_timer, &QTimer::timeout, this, &Wiederanschluss::nachsehen);
    connect(&m_port, &Port::verloren, this, &Wiederanschluss::verloren);
}

void Wiederanschluss::merken()
{
    m_timer->stop();
    m_kennung = m_port.isOpen() ? kennung(m_port.device(), m_liste()) : Kennung{};
}

bool Wiederanschluss::suchtNoch() const
{
    return m_timer->isActive();
}

void Wiederanschluss::aufhoeren()
{
    m_timer->stop();
    m_kennung = Kennung{};
}

void Wiederanschluss::verloren()
{
    if (m_kennung.bekannt())
        m_timer->start();
}

void Wiederanschluss::nachsehen()
{
    if (m_port.isOpen()) {
        // Opened again by someone else meanwhile.
        m_timer->stop();
        return;
    }
    const QString geraet = entscheide(m_kennung, m_liste());
    if (geraet.isEmpty())
        return;
    const QString vorher = m_port.device();
    m_port.setDevice(geraet);
    if (!m_port.open()) {
        // Not ready yet (udev may not have set its rights): next time.
        m_port.setDevice(vorher);
        return;
    }
    m_port.setDtr(false);
    m_port.setRts(false);
    m_timer->stop();
    m_kennung.name = geraet;
    emit wiederDa(geraet);
}
