#include "link/Geraeteliste.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QSerialPortInfo>

#include <algorithm>

namespace Geraeteliste {

QString standardOrdner()
{
    const QString ordner = qEnvironmentVariable("PORTAVO_SERIAL_BY_ID");
    return ordner.isEmpty() ? QStringLiteral("/dev/serial/by-id") : ordner;
}

QString aufgeloest(const QString &name)
{
    return name.isEmpty() ? QString() : QFileInfo(name).canonicalFilePath();
}

QString stabilerName(const QString &name, const QString &ordner)
{
    const QString ziel = aufgeloest(name);
    if (ziel.isEmpty())
        return QString();
    const QDir dir(ordner);
    const QFileInfo info(name);
    if (QFileInfo(info.absolutePath()).canonicalFilePath() == dir.canonicalPath())
        return info.absoluteFilePath();
    const QFileInfoList links =
        dir.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links) {
        if (link.isSymLink() && link.canonicalFilePath() == ziel)
            return link.absoluteFilePath();
    }
    return QString();
}

QVector<int> portnummern(const QString &name, const std::function<QString(int)> &karte)
{
    QVector<int> nummern;
    const QString ziel = aufgeloest(name);
    for (int n = 1; n <= 16; ++n) {
        const QString eintrag = karte(n);
        if (eintrag.isEmpty())
            continue;
        // A device that is not there is still named by its very path.
        if (eintrag == name || (!ziel.isEmpty() && aufgeloest(eintrag) == ziel))
            nummern.append(n);
    }
    return nummern;
}

QVector<Geraet> vorhandene(const QString &ordner)
{
    // The folder's links by the device each names (the first by name), read once.
    QMap<QString, QString> links;
    const QFileInfoList eintraege =
        QDir(ordner).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : eintraege) {
        const QString ziel = link.isSymLink() ? link.canonicalFilePath() : QString();
        if (!ziel.isEmpty() && !links.contains(ziel))
            links.insert(ziel, link.absoluteFilePath());
    }
    QVector<Geraet> liste;
    QSet<QString> gelistet;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &p : ports) {
        Geraet g;
        g.geraet = p.systemLocation();
        g.beschreibung = p.description();
        g.hersteller = p.manufacturer();
        g.seriennummer = p.serialNumber();
        g.usb = p.hasVendorIdentifier();
        const QString ziel = aufgeloest(g.geraet);
        g.stabilerName = links.value(ziel);
        gelistet.insert(ziel);
        liste.append(g);
    }
    // A link there always names a serial device, listed by the system or not.
    for (auto it = links.cbegin(); it != links.cend(); ++it) {
        if (gelistet.contains(it.key()))
            continue;
        Geraet g;
        g.geraet = it.key();
        g.stabilerName = it.value();
        liste.append(g);
    }
    std::sort(liste.begin(), liste.end(), [](const Geraet &a, const Geraet &b) { return a.geraet < b.geraet; });
    return liste;
}

}  // namespace Geraeteliste
