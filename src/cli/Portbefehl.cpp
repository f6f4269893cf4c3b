// ports: the serial devices of this machine, the port numbers of the port
// map that name them, and whether each one can be opened now.

#include "cli/Befehlstabelle.h"

#include "base/Pfade.h"
#include "base/Texttabelle.h"
#include "link/Geraeteliste.h"
#include "link/SerialPort.h"

namespace {

const char *const Hilfe =
    "usage: portavo-cli ports [--lang de|en|fr|es]\n"
    "\n"
    "One line per serial device, the fields separated by tabs ('-' for none):\n"
    "  DEVICE  PORTS  STATE  DESCRIPTION  MAKER  SERIAL  STABLE-NAME\n"
    "PORTS are the numbers 1..16 whose port map entry (ports.dat) names the\n"
    "device, by its path or through a link. STATE tells whether it opens now:\n"
    "free, busy (another program holds it), no permission, not usable.\n"
    "STABLE-NAME is the device's link under /dev/serial/by-id: it stays the\n"
    "same when a USB adapter comes back as another /dev/ttyUSBn, so it is the\n"
    "name to put into the port map. Devices the system does not list as serial\n"
    "ports (pseudo-terminals) appear when the port map names them.\n";

int zustandstext(Port::Oeffnungsfehler f)
{
    switch (f) {
    case Port::Oeffnungsfehler::Keiner:
        return 904;
    case Port::Oeffnungsfehler::Belegt:
        return 905;
    case Port::Oeffnungsfehler::KeineBerechtigung:
        return 906;
    default:
        return 907;
    }
}

QString feld(const QString &s)
{
    QString t = s.trimmed();
    t.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return t.isEmpty() ? QStringLiteral("-") : t;
}

}  // namespace

int runPorts(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (hilfeVerlangt(args, out, Hilfe))
        return 0;
    QStringList rest = args;
    const int sprache = sprachoption(rest, err);
    if (sprache < 0)
        return 2;
    if (!rest.isEmpty()) {
        err << "portavo-cli ports: no arguments expected\n";
        return 2;
    }
    QVector<Geraeteliste::Geraet> geraete = Geraeteliste::vorhandene();
    // Port map entries the system does not list, as long as they are there.
    QStringList bekannt;
    for (const auto &g : geraete)
        bekannt << Geraeteliste::aufgeloest(g.geraet);
    for (int n = 1; n <= 16; ++n) {
        const QString ziel = Geraeteliste::aufgeloest(Pfade::geraet(n));
        if (ziel.isEmpty() || bekannt.contains(ziel))
            continue;
        bekannt << ziel;
        Geraeteliste::Geraet g;
        g.geraet = ziel;
        g.stabilerName = Geraeteliste::stabilerName(ziel);
        geraete.append(g);
    }
    if (geraete.isEmpty()) {
        err << Texttabelle::text(908 + sprache) << '\n';
        return 1;
    }
    for (const auto &g : geraete) {
        SerialPort probe;
        probe.setDevice(g.geraet);
        const bool offen = probe.open();
        const Port::Oeffnungsfehler fehler = offen ? Port::Oeffnungsfehler::Keiner : probe.letzterFehler();
        if (offen)
            probe.close();
        QStringList nummern;
        for (const int n : Geraeteliste::portnummern(g.geraet, &Pfade::geraet))
            nummern << QString::number(n);
        out << QStringList{g.geraet,
                           feld(nummern.join(QLatin1Char(','))),
                           Texttabelle::text(zustandstext(fehler) + sprache),
                           feld(g.beschreibung),
                           feld(g.hersteller),
                           feld(g.seriennummer),
                           feld(g.stabilerName)}
                   .join(QLatin1Char('\t'))
            << '\n';
    }
    return 0;
}
