#include "cli/Busanschluss.h"

#include "base/Einstellungsdatei.h"
#include "base/Pfade.h"
#include "link/Programmstart.h"
#include "base/Texttabelle.h"

namespace {
std::optional<int> spracheAus(const QString &text)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("de") || t == QLatin1String("0"))
        return 0;
    if (t == QLatin1String("en") || t == QLatin1String("1000"))
        return 1000;
    if (t == QLatin1String("fr") || t == QLatin1String("2000"))
        return 2000;
    if (t == QLatin1String("es") || t == QLatin1String("3000"))
        return 3000;
    return std::nullopt;
}
}  // namespace

bool leseBusoption(const QStringList &args, int &i, Busoptionen &o, QString &fehler)
{
    const QString &a = args.at(i);
    const bool portOption = a == QLatin1String("--port") || a == QLatin1String("--device");
    if (!portOption && a != QLatin1String("--lang"))
        return false;
    if (i + 1 >= args.size()) {
        fehler = QStringLiteral("%1 needs a value").arg(a);
        return true;
    }
    const QString wert = args.at(++i);
    if (portOption) {
        o.port = wert;
        bool zahl = false;
        const int n = wert.toInt(&zahl);
        if (wert.isEmpty() || (zahl && (n < 1 || n > 16)))
            fehler = QStringLiteral("%1 takes a port number 1..16 or a device path").arg(a);
    } else {
        o.sprache = spracheAus(wert);
        if (!o.sprache)
            fehler = QStringLiteral("unknown language \"%1\" (de, en, fr, es)").arg(wert);
    }
    return true;
}

void Busanschluss::einstellen(const Busoptionen &o)
{
    if (const auto e = Einstellungsdatei::lesen(Pfade::einstellungsdatei())) {
        Einstellungsdatei::uebernehmen(z, *e);
        m_portnummer = e->Portnummer;
        m_leitung = e->Leitung;
    }
    if (o.sprache) {
        z.Sprache = qint16(*o.sprache);
        z.SpracheText = QString::number(*o.sprache);
    }
    Texttabelle::ladeTexte(z, 101, 178);
    Programmstart::protokollnamenSetzen(z);
    Programmstart::rs485Betrieb(z);
}

bool Busanschluss::oeffnen(const Busoptionen &o, QTextStream &err)
{
    einstellen(o);
    int portnummer = m_portnummer;
    QString geraet;
    if (!o.port.isEmpty()) {
        bool zahl = false;
        const int n = o.port.toInt(&zahl);
        if (zahl)
            portnummer = n;
        else
            geraet = o.port;
    }
    if (geraet.isEmpty())
        geraet = Pfade::geraet(portnummer);
    port.setDevice(geraet);
    if (!port.setSettings(m_leitung))
        port.setSettings(QStringLiteral("19200,n,8,1"));
    if (!port.open()) {
        if (port.letzterFehler() == Port::Oeffnungsfehler::KeineBerechtigung)
            err << Programmstart::berechtigungshinweis(z.Sprache, geraet) << '\n';
        else
            err << Programmstart::oeffnungsfehler(z.Sprache, portnummer, geraet, port.fehlertext()) << '\n';
        return false;
    }
    port.setDtr(false);
    port.setRts(false);
    v.setPort(&port);
    return true;
}
