#include "modem/Portmeldung.h"

#include "base/Texttabelle.h"
#include "link/Port.h"
#include "link/Programmstart.h"

namespace Portmeldung {

QString oeffnen(int sprache, int portnummer, const Port &port)
{
    const QString geraet = port.device();
    switch (port.letzterFehler()) {
    case Port::Oeffnungsfehler::KeineBerechtigung:
        return Programmstart::berechtigungshinweis(sprache, geraet);
    case Port::Oeffnungsfehler::Belegt:
        return Texttabelle::text(561 + sprache).arg(geraet);
    case Port::Oeffnungsfehler::GibtEsNicht:
        return Texttabelle::text(634 + sprache).arg(portnummer).arg(geraet);
    default:
        return Texttabelle::text(635 + sprache).arg(portnummer).arg(geraet);
    }
}

QString einstellung(int sprache, const QString &einstellung)
{
    return Texttabelle::text(500 + sprache).arg(einstellung);
}

QString handshake(int sprache, const QString &handshake)
{
    return Texttabelle::text(636 + sprache).arg(handshake);
}

QString verloren(int sprache, const Port &port)
{
    return Texttabelle::text(633 + sprache).arg(port.device());
}

}  // namespace Portmeldung
