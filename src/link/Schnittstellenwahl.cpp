#include "link/Schnittstellenwahl.h"

#include "base/Ansi.h"
#include "base/Dateiersatz.h"
#include "base/Dateizugriff.h"
#include "base/Einstellungsdatei.h"
#include "base/Pfade.h"
#include "link/Programmstart.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"

#include <QFile>

const QString Schnittstellenwahl::LeererOrt = QStringLiteral("-------");

Schnittstellenwahl::Schnittstellenwahl(Zustand &z, Port &port, int &portnummer)
    : m_z(z), m_port(port), m_portnummer(portnummer), m_geraet(&Pfade::geraet),
      m_liste([] { return Geraeteliste::vorhandene(); })
{
}

QStringList Schnittstellenwahl::leseOrte(const QString &pfad)
{
    QStringList orte;
    for (int i = 0; i < Ports; ++i)
        orte << LeererOrt;
    const Dateizugriff::Leseergebnis gelesen = Dateizugriff::lesen(pfad, 64 * 1024);
    if (gelesen.stand == Dateizugriff::Lesestand::Fehlt) {
        Dateizugriff::leerAnlegen(pfad);
        return orte;
    }
    if (!gelesen.ok())
        return orte;
    const QByteArray inhalt = gelesen.inhalt;
    QList<QByteArray> zeilen = inhalt.split('\n');
    if (!zeilen.isEmpty() && zeilen.last().isEmpty())
        zeilen.removeLast();  // after the last line end
    for (int i = 0; i < Ports && i < zeilen.size(); ++i) {
        QByteArray z = zeilen.at(i);
        if (z.endsWith('\r'))
            z.chop(1);
        orte[i] = Ansi::dekodieren(z);
    }
    return orte;
}

bool Schnittstellenwahl::schreibeOrte(const QString &pfad, const QStringList &orte)
{
    QByteArray inhalt;
    for (int i = 0; i < Ports; ++i) {
        QString ort = orte.value(i);
        ort.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        inhalt += Ansi::kodieren(ort) + "\r\n";
    }
    return Dateiersatz::ersetze(pfad, inhalt);
}

int Schnittstellenwahl::nummer(const QString &eintrag)
{
    // The value of the leading digits, as a number reader takes it.
    const QString teil = eintrag.mid(4, 2);
    int wert = 0;
    for (const QChar c : teil) {
        if (!c.isDigit() || c.unicode() > 127)
            break;
        wert = wert * 10 + (c.unicode() - '0');
    }
    return wert;
}

bool Schnittstellenwahl::nutzbar(const QString &eintrag)
{
    return !eintrag.contains(QStringLiteral("NC"));
}

int Schnittstellenwahl::laden()
{
    m_aktuell = 1;
    m_orte = leseOrte(Pfade::orteDatei());
    const int vorher = m_portnummer;
    if (m_port.isOpen())
        m_port.close();
    m_eintraege.clear();
    const QVector<Geraeteliste::Geraet> liste = m_liste();
    for (int n = 1; n <= Ports; ++n) {
        Eintrag e;
        e.geraet = m_geraet(n);
        const QString ziel = Geraeteliste::aufgeloest(e.geraet);
        for (const Geraeteliste::Geraet &g : liste) {
            if (g.geraet == e.geraet || (!ziel.isEmpty() && Geraeteliste::aufgeloest(g.geraet) == ziel))
                e.info = g;
        }
        m_port.setDevice(e.geraet);
        e.text = QStringLiteral("COM %1").arg(n);
        if (!m_port.open()) {
            e.fehler = m_port.letzterFehler();
            e.fehlertext = m_port.fehlertext();
            // A port held by another program is busy; every other refusal
            // (no such device, no permission, no serial device at all)
            // means the port cannot be used here.
            e.text += e.fehler == Port::Oeffnungsfehler::Belegt ? QStringLiteral(" OCCUPIED") : QStringLiteral(" NC");
        }
        e.text += QStringLiteral("  ( ") + m_orte.at(n - 1) + QStringLiteral(" )");
        if (m_port.isOpen())
            m_port.close();
        m_eintraege.append(e);
    }
    m_port.setDevice(m_geraet(vorher));
    m_aktuell = vorher;
    return vorher - 1;
}

QString Schnittstellenwahl::waehle(int index, const QString &text1)
{
    ortGeaendert(text1);
    if (index < 0 || index >= m_eintraege.size())
        return ortText();
    const QString &t = m_eintraege.at(index).text;
    const int n = nummer(t);
    if (n >= 1 && n <= Ports) {
        m_aktuell = n;
        if (nutzbar(t)) {
            m_z.einstellungen.portnummer = qint16(n);
            m_portnummer = n;
            m_port.setDevice(m_geraet(n));
        }
    }
    return ortText();
}

void Schnittstellenwahl::ortGeaendert(const QString &text1)
{
    if (m_aktuell >= 1 && m_aktuell <= Ports)
        m_orte[m_aktuell - 1] = text1;
}

QString Schnittstellenwahl::meldungFuer(const Eintrag &e, int n) const
{
    if (e.fehler == Port::Oeffnungsfehler::KeineBerechtigung)
        return Programmstart::berechtigungshinweis(m_z.sprache.versatz, e.geraet);
    return Programmstart::oeffnungsfehler(m_z.sprache.versatz, n, e.geraet, e.fehlertext);
}

bool Schnittstellenwahl::ok(int index, QString *fehlermeldung)
{
    if (index >= 0 && index < m_eintraege.size()) {
        const QString &t = m_eintraege.at(index).text;
        const int n = nummer(t);
        if (nutzbar(t) && n >= 1 && n <= Ports) {
            m_z.einstellungen.portnummer = qint16(n);
            m_portnummer = n;
            m_port.setDevice(m_geraet(n));
        }
    }
    // The names are the user's typing: saved whatever becomes of the port.
    schreibeOrte(Pfade::orteDatei(), m_orte);
    if (!m_port.isOpen()) {
        if (!m_port.open()) {
            // A port that does not open never goes into the settings file.
            if (fehlermeldung) {
                Eintrag e;
                e.geraet = m_port.device();
                e.fehler = m_port.letzterFehler();
                e.fehlertext = m_port.fehlertext();
                *fehlermeldung = meldungFuer(e, m_portnummer);
            }
            return false;
        }
        m_port.setDtr(false);
        m_port.setRts(false);
    }
    Einstellungsdatei::setzePortnummer(Pfade::einstellungsdatei(), m_z, m_portnummer);
    return true;
}

void Schnittstellenwahl::schliessen()
{
    if (!m_port.isOpen() && m_port.open()) {
        m_port.setDtr(false);
        m_port.setRts(false);
    }
}

QString Schnittstellenwahl::hinweis(int index) const
{
    if (index < 0 || index >= m_eintraege.size())
        return QString();
    const Eintrag &e = m_eintraege.at(index);
    if (e.fehler != Port::Oeffnungsfehler::KeineBerechtigung)
        return QString();
    return Programmstart::berechtigungshinweis(m_z.sprache.versatz, e.geraet);
}

QStringList Schnittstellenwahl::details(int index) const
{
    if (index < 0 || index >= m_eintraege.size())
        return {};
    const Eintrag &e = m_eintraege.at(index);
    QStringList zeilen{e.geraet};
    const Geraeteliste::Geraet &g = e.info;
    if (g.usb) {
        QStringList teile;
        for (const QString &t : {g.beschreibung, g.hersteller})
            if (!t.trimmed().isEmpty())
                teile << t.trimmed();
        if (!g.seriennummer.trimmed().isEmpty())
            teile << Texttabelle::text(m_z, 910).arg(g.seriennummer.trimmed());
        if (!teile.isEmpty())
            zeilen << teile.join(QStringLiteral(", "));
    }
    if (!g.stabilerName.isEmpty() && g.stabilerName != e.geraet)
        zeilen << Texttabelle::text(m_z, 911).arg(g.stabilerName);
    return zeilen;
}

bool Schnittstellenwahl::stabilerNameMoeglich(int index) const
{
    if (index < 0 || index >= m_eintraege.size())
        return false;
    const Eintrag &e = m_eintraege.at(index);
    return !e.info.stabilerName.isEmpty() && e.info.stabilerName != e.geraet;
}

bool Schnittstellenwahl::stabilenNamenVerwenden(int index)
{
    if (!stabilerNameMoeglich(index))
        return false;
    Eintrag &e = m_eintraege[index];
    const int n = index + 1;
    if (!Pfade::setzeGeraet(n, e.info.stabilerName))
        return false;
    e.geraet = e.info.stabilerName;
    if (m_portnummer == n && !m_port.isOpen())
        m_port.setDevice(e.geraet);
    return true;
}
