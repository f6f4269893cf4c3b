#include "link/Programmstart.h"

#include "base/Dateizugriff.h"
#include "base/Einstellungsdatei.h"
#include "base/Pfade.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"

#include <QFileInfo>

namespace Programmstart {

namespace {
// An unknown language offset (a damaged settings file) speaks German.
int sprachversatz(int sprache)
{
    return sprache == 1000 || sprache == 2000 || sprache == 3000 ? sprache : 0;
}
}  // namespace

void setzePortnummer(Port &port, int portnummer)
{
    port.setDevice(Pfade::geraet(portnummer));
}

bool oeffnePort(Port &port, int portnummer)
{
    if (port.isOpen())
        port.close();
    setzePortnummer(port, portnummer);
    if (!port.open())
        return false;
    // A pseudo-terminal refuses the modem lines; that is no port failure.
    port.setDtr(false);
    port.setRts(false);
    return true;
}

Portstart einstellungenUndPort(Zustand &z, Port &port, const QString &einstellungsdatei)
{
    Portstart s;
    const Einstellungsdatei::Startwerte gelesen = Einstellungsdatei::lesenSoweitMoeglich(einstellungsdatei);
    if (gelesen.stand == Einstellungsdatei::Stand::Fehlt && !Dateizugriff::belegt(einstellungsdatei))
        s.standardGeschrieben = Einstellungsdatei::schreibeStandard(einstellungsdatei);
    s.dateiBeschaedigt = gelesen.stand == Einstellungsdatei::Stand::Beschaedigt
                         || gelesen.stand == Einstellungsdatei::Stand::Unlesbar;
    Einstellungsdatei::uebernehmen(z, gelesen.werte);
    if (!port.setSettings(gelesen.werte.Leitung))
        port.setSettings(Einstellungen().Leitung);

    const int gewuenscht = z.einstellungen.portnummer;
    bool ok = oeffnePort(port, gewuenscht);
    if (!ok) {
        s.fehler = port.letzterFehler();
        s.fehlertext = port.fehlertext();
        s.geraet = port.device();
        if (gewuenscht != 1) {
            ok = oeffnePort(port, 1);
            if (ok)
                z.einstellungen.portnummer = 1;
            else
                setzePortnummer(port, gewuenscht);
        }
    }
    s.offen = ok;
    if (ok) {
        s.geraet = port.device();
        s.fehler = Port::Oeffnungsfehler::Keiner;
        s.fehlertext.clear();
    }
    return s;
}

void protokollnamenSetzen(Zustand &z)
{
    for (int i = 0; i <= 7; ++i)
        z.sprache.protokollnamen[i] = z.sprache.texte.value(125 + i);
}

void rs485Betrieb(Zustand &z)
{
    z.sitzung.leitung = Leitungsart::Rs485;
    z.Timerintervall[1] = 100;
    z.Timerintervall[3] = 100;
    z.Timerintervall[2] = 200;
    z.Timerintervall[4] = 2500;
    z.Timerintervall[5] = 100;
}

void modemBetrieb(Zustand &z)
{
    z.sitzung.leitung = Leitungsart::Modem;
    z.Timerintervall[1] = 200;
    z.Timerintervall[3] = 200;
    z.Timerintervall[2] = 400;
    z.Timerintervall[4] = 5000;
    z.Timerintervall[5] = 300;
}

QString berechtigungshinweis(int sprache, const QString &geraet)
{
    // The group that owns the device; a device of root's group gets the
    // group serial ports usually have.
    QString gruppe = QFileInfo(geraet).group();
    if (gruppe.isEmpty() || gruppe == QLatin1String("root"))
        gruppe = QStringLiteral("dialout");
    return Texttabelle::text(900 + sprachversatz(sprache)).arg(geraet) + QStringLiteral("\n\n")
           + Texttabelle::text(901 + sprachversatz(sprache)).arg(gruppe);
}

QString oeffnungsfehler(int sprache, int portnummer, const QString &geraet, const QString &systemtext)
{
    // A device given by its path has no port number: "COM 1" would name
    // another port than the one that failed.
    const QString kopf = portnummer <= 0 ? Texttabelle::text(903 + sprachversatz(sprache)).arg(geraet)
                                         : Texttabelle::text(902 + sprachversatz(sprache)).arg(portnummer).arg(geraet);
    return kopf + QLatin1Char('\n') + systemtext;
}

}  // namespace Programmstart
