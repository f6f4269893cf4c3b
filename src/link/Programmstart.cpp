#include "link/Programmstart.h"

#include "base/Dateizugriff.h"
#include "base/Einstellungsdatei.h"
#include "base/Pfade.h"
#include "base/Zustand.h"

#include <QFileInfo>

namespace Programmstart {

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

namespace {
int sprachindex(int sprache)
{
    return sprache == 1000 ? 1 : sprache == 2000 ? 2 : sprache == 3000 ? 3 : 0;
}
}  // namespace

QString berechtigungshinweis(int sprache, const QString &geraet)
{
    QString gruppe = QFileInfo(geraet).group();
    if (gruppe.isEmpty() || gruppe == QLatin1String("root"))
        gruppe = QStringLiteral("dialout");
    static const char *const vorlagen[] = {
        "Keine Berechtigung für %1.\n\nDie Schnittstelle gehört der Gruppe \"%2\". Nehmen Sie Ihren Benutzer "
        "in diese Gruppe auf (sudo adduser $USER %2) und melden Sie sich neu an.",
        "No permission to open %1.\n\nThe port belongs to the group \"%2\". Add your user to that group "
        "(sudo adduser $USER %2) and log in again.",
        "Pas d'autorisation pour ouvrir %1.\n\nLe port appartient au groupe \"%2\". Ajoutez votre utilisateur "
        "à ce groupe (sudo adduser $USER %2) puis reconnectez-vous.",
        "Sin permiso para abrir %1.\n\nEl puerto pertenece al grupo \"%2\". Añada su usuario a ese grupo "
        "(sudo adduser $USER %2) y vuelva a iniciar la sesión.",
    };
    return QString::fromUtf8(vorlagen[sprachindex(sprache)]).arg(geraet, gruppe);
}

QString oeffnungsfehler(int sprache, int portnummer, const QString &geraet, const QString &systemtext)
{
    static const char *const vorlagen[] = {
        "Die Schnittstelle COM %1 (%2) kann nicht geöffnet werden:\n%3",
        "The port COM %1 (%2) cannot be opened:\n%3",
        "Le port COM %1 (%2) ne peut pas être ouvert :\n%3",
        "El puerto COM %1 (%2) no se puede abrir:\n%3",
    };
    // A device given by its path has no port number: "COM 1" would name
    // another port than the one that failed.
    static const char *const ohneNummer[] = {
        "Die Schnittstelle %1 kann nicht geöffnet werden:\n%2",
        "The port %1 cannot be opened:\n%2",
        "Le port %1 ne peut pas être ouvert :\n%2",
        "El puerto %1 no se puede abrir:\n%2",
    };
    if (portnummer <= 0)
        return QString::fromUtf8(ohneNummer[sprachindex(sprache)]).arg(geraet, systemtext);
    return QString::fromUtf8(vorlagen[sprachindex(sprache)]).arg(portnummer).arg(geraet, systemtext);
}

}  // namespace Programmstart
