#include "link/Verbindung.h"

#include "link/Echopruefung.h"
#include "link/Telegramm.h"
#include "base/Zustand.h"

namespace {
// Bytes sent with no word back at all (an empty bus behind an interface of
// unknown kind) are not kept for the comparison beyond this.
constexpr int OffenGrenze = 8192;
}  // namespace

Verbindung::Verbindung(Zustand &z, QObject *parent) : QObject(parent), m_z(z)
{
    m_ersatzTakt.setSingleShot(true);
    connect(&m_ersatzTakt, &QTimer::timeout, this, [this] { ersatzFreigeben(false); });
}

QString Verbindung::echomodusText(Echomodus modus)
{
    return modus == Echomodus::Ja     ? QStringLiteral("yes")
           : modus == Echomodus::Nein ? QStringLiteral("no")
                                      : QStringLiteral("auto");
}

bool Verbindung::echomodusAusText(const QString &text, Echomodus *modus)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("auto"))
        *modus = Echomodus::Automatisch;
    else if (t == QLatin1String("yes"))
        *modus = Echomodus::Ja;
    else if (t == QLatin1String("no"))
        *modus = Echomodus::Nein;
    else
        return false;
    return true;
}

void Verbindung::setEchomodus(Echomodus modus)
{
    m_echomodus = modus;
    echoNeuBeginnen();
    m_echostand = modus == Echomodus::Ja     ? Echostand::Vorhanden
                  : modus == Echomodus::Nein ? Echostand::Fehlt
                                             : Echostand::Unbekannt;
}

void Verbindung::setEchostand(Echostand stand)
{
    if (m_echomodus != Echomodus::Automatisch)
        return;
    echoNeuBeginnen();
    m_echostand = stand;
}

void Verbindung::echoNeuBeginnen()
{
    m_offen.clear();
    m_gehalten.clear();
    m_ersatz.clear();
    m_ersatzFrei = 0;
    m_ersatzTakt.stop();
}

void Verbindung::echoVergessen()
{
    echoNeuBeginnen();
    if (m_echomodus == Echomodus::Automatisch)
        m_echostand = Echostand::Unbekannt;
}

void Verbindung::stand(Echostand neu)
{
    if (m_echostand == neu)
        return;
    m_echostand = neu;
    emit echoErkannt(neu == Echostand::Vorhanden);
}

void Verbindung::ausgeben(Port *port, const QByteArray &bytes)
{
    if (!port || bytes.isEmpty())
        return;
    port->write(bytes);
    if (m_echostand == Echostand::Vorhanden)
        return;
    if (m_echomodus == Echomodus::Automatisch) {
        // An echo may still come back (Unbekannt), or come after all (Fehlt).
        if (m_offen.size() + bytes.size() > OffenGrenze)
            m_offen.clear();
        if (m_offen.isEmpty()) {
            m_offenAb = m_uhr();
            m_offenBaud = port->baud() > 0 ? port->baud() : 19200;
        }
        m_offen += bytes;
    }
    if (m_echostand != Echostand::Fehlt)
        return;
    if (m_ersatz.isEmpty()) {
        m_ersatzAb = m_uhr();
        m_ersatzFrei = 0;
        m_ersatzBaud = port->baud() > 0 ? port->baud() : 19200;
    }
    m_ersatz += bytes;
    // Never before the sender has gone on: it may still empty a store for
    // the answer, as it would before a real echo arrives.
    if (!m_ersatzTakt.isActive())
        m_ersatzTakt.start(0);
}

void Verbindung::ersatzFreigeben(bool alles)
{
    if (m_ersatz.isEmpty())
        return;
    qint64 n = m_ersatz.size();
    if (!alles) {
        // 10 bit times per byte.
        const qint64 faellig = (m_uhr() - m_ersatzAb) * m_ersatzBaud / 10000 - m_ersatzFrei;
        n = qBound(qint64(0), faellig, n);
    }
    if (n > 0) {
        const QByteArray stueck = m_ersatz.left(n);
        m_ersatz.remove(0, n);
        m_ersatzFrei += n;
        weiterreichen(stueck, true, nullptr);
    }
    if (!m_ersatz.isEmpty()) {
        const qint64 gesamtMs = ((m_ersatzFrei + m_ersatz.size()) * 10000 + m_ersatzBaud - 1) / m_ersatzBaud;
        const qint64 restMs = gesamtMs - (m_uhr() - m_ersatzAb);
        m_ersatzTakt.start(int(qBound(qint64(1), restMs, qint64(20))));
    } else {
        m_ersatzTakt.stop();
    }
}

void Verbindung::setPort(Port *port)
{
    if (m_port == port)
        return;
    echoVergessen();
    if (m_port)
        m_port->disconnect(this);
    m_port = port;
    anschliessen(port);
}

void Verbindung::setModemPort(Port *port)
{
    m_modemPort = port;
}

void Verbindung::anschliessen(Port *port)
{
    if (!port)
        return;
    connect(port, &Port::ereignis, this, &Verbindung::empfangsereignis);
    connect(port, &Port::verloren, this, [this] {
        // Whatever is plugged in when the port opens again may be another
        // kind of interface: found out anew.
        echoVergessen();
        emit portVerloren();
    });
}

Port *Verbindung::aktiverPort() const
{
    return m_z.sitzung.leitung == Leitungsart::Modem ? m_modemPort : m_port;
}

void Verbindung::monitor(const QString &zeile)
{
    if (beobachtet())
        emit monitorZeile(zeile);
}

Empfangsrecht Verbindung::nimmStrom(Empfaenger &empfaenger, Empfaenger::Vorrang vorrang)
{
    const int nummer = m_naechsteNummer++;
    int stelle = 0;
    while (stelle < m_empfaenger.size() && m_empfaenger.at(stelle).vorrang > vorrang)
        ++stelle;
    m_empfaenger.insert(stelle, Eintrag{nummer, vorrang, &empfaenger});
    return Empfangsrecht(this, nummer);
}

Empfangsrecht Verbindung::beobachten()
{
    const int nummer = m_naechsteNummer++;
    m_beobachtung.append(nummer);
    return Empfangsrecht(this, nummer);
}

void Verbindung::freigeben(int nummer)
{
    m_beobachtung.removeOne(nummer);
    for (int i = 0; i < m_empfaenger.size(); ++i) {
        if (m_empfaenger.at(i).nummer == nummer) {
            m_empfaenger.remove(i);
            return;
        }
    }
}

bool Verbindung::haelt(Empfaenger::Vorrang vorrang) const
{
    for (const Eintrag &e : m_empfaenger)
        if (e.vorrang == vorrang)
            return true;
    return vorrang == Empfaenger::Vorrang::Ablage;
}

void Verbindung::setzeBefehl(const QByteArray &befehl)
{
    m_befehl = befehl;
    emit befehlGesetzt(befehl);
}

void Verbindung::modemverbindungVerloren()
{
    emit verbindungAbgebrochen();
}

bool Verbindung::sendeAnfrage(const QByteArray &befehl)
{
    setzeBefehl(befehl);
    const QByteArray telegramm = Telegramm::anfrage(m_z.terminal.adresse, befehl);
    if (telegramm.isEmpty())
        return false;
    m_anfrage = telegramm;
    // A copy: a receiver may give up its hold meanwhile.
    const QVector<Eintrag> empfaenger = m_empfaenger;
    for (const Eintrag &e : empfaenger)
        e.empfaenger->anfrageGesendet();
    ausgeben(aktiverPort(), telegramm);
    monitor(Telegramm::monitorTelegramm(telegramm));
    return true;
}

void Verbindung::sendeAck()
{
    sendeRoh(Telegramm::Quittung);
    monitor(Telegramm::MonitorQuittung);
}

void Verbindung::sendeProtokoll1Quittung()
{
    sendeRoh(Telegramm::Protokoll1Quittung);
    monitor(Telegramm::MonitorProtokoll1Quittung);
}

void Verbindung::sendeRoh(const QByteArray &bytes, Port *port)
{
    ausgeben(port ? port : aktiverPort(), bytes);
}

void Verbindung::abholen()
{
    if (Port *p = aktiverPort(); p && p->isOpen())
        p->abholen();
    echoAusgeblieben();
    ersatzFreigeben(false);
}

// A sequence is about to decide that nothing came back. If nothing at all
// came since the link sent, although the echo would be back by now, the
// interface is taken for one that does not echo, and the link stands in for
// the echo at once; an empty bus behind such an interface then looks as it
// does behind an echoing one. Should the echo only have been late, it is
// recognised when it comes and dropped (verarbeite).
void Verbindung::echoAusgeblieben()
{
    // Over a modem the telephone line's round trip, unknown and often longer
    // than a tick, comes on top: an echo stood in for before it is back would
    // part it from its answer. There only what comes back decides.
    if (m_echomodus != Echomodus::Automatisch || m_echostand != Echostand::Unbekannt || m_offen.isEmpty()
        || !m_gehalten.isEmpty() || m_z.sitzung.leitung == Leitungsart::Modem)
        return;
    constexpr qint64 SpielraumMs = 5;
    const qint64 leitungMs = (qint64(m_offen.size()) * 10000 + m_offenBaud - 1) / m_offenBaud;
    if (m_uhr() - m_offenAb < leitungMs + SpielraumMs)
        return;
    stand(Echostand::Fehlt);
    m_ersatz = m_offen;
    m_ersatzAb = m_offenAb;
    m_ersatzFrei = 0;
    m_ersatzBaud = m_offenBaud;
}

void Verbindung::empfangsereignis(int code)
{
    if (!m_port)
        return;
    switch (code) {
    case Ereigniscode::Empfangen:
        verarbeite(m_port->readAll());
        return;
    case Ereigniscode::Break:
    case Ereigniscode::CdTimeout:
    case Ereigniscode::CtsTimeout:
    case Ereigniscode::Dcb:
    case Ereigniscode::DsrTimeout:
    case Ereigniscode::Framing:
    case Ereigniscode::Overrun:
    case Ereigniscode::Parity:
        neuOeffnen(m_port);
        return;
    default:
        // Send events, line state changes, buffer overflow, transmit buffer
        // full: nothing to do.
        return;
    }
}

// A line error: the bytes of this event are not to be trusted. Throw away what
// waits, close and open again at once; the settings stay as they were. The
// running sequence notices the missing answer through its own time-out.
void Verbindung::neuOeffnen(Port *port)
{
    if (!port->isOpen())
        return;
    port->flushInput();
    port->readAll();
    echoNeuBeginnen();
    port->close();
    port->open();
}

bool Verbindung::verarbeite(const QByteArray &eingang)
{
    if (eingang.isEmpty())
        return true;
    // An echo the link stands in for comes ahead of any answer.
    ersatzFreigeben(true);

    QByteArray bytes = eingang;
    if (m_echomodus == Echomodus::Automatisch && !m_offen.isEmpty()) {
        m_gehalten += eingang;
        switch (Echopruefung::pruefe(m_offen, m_gehalten)) {
        case Echopruefung::Befund::Offen:
            return true;
        case Echopruefung::Befund::Echo:
            bytes = m_gehalten;
            // The link has handed on this echo already.
            if (m_echostand == Echostand::Fehlt)
                bytes.remove(0, m_offen.size());
            m_offen.clear();
            m_gehalten.clear();
            stand(Echostand::Vorhanden);
            break;
        case Echopruefung::Befund::KeinEcho: {
            bytes = m_gehalten;
            const QByteArray echo = m_offen;
            m_offen.clear();
            m_gehalten.clear();
            if (m_echostand == Echostand::Unbekannt) {
                stand(Echostand::Fehlt);
                weiterreichen(echo, true, nullptr);
            }
            break;
        }
        }
    }
    bool gehalten = false;
    weiterreichen(bytes, false, &gehalten);
    return !gehalten;
}

void Verbindung::weiterreichen(const QByteArray &eingang, bool ersatz, bool *gehalten)
{
    if (eingang.isEmpty())
        return;
    bool genommen = false;
    for (int i = 0; i < m_empfaenger.size() && !genommen; ++i) {
        switch (m_empfaenger.at(i).empfaenger->nimm(eingang)) {
        case Empfaenger::Annahme::Weiter:
            break;
        case Empfaenger::Annahme::Genommen:
            genommen = true;
            break;
        case Empfaenger::Annahme::Zurueckgehalten:
            if (gehalten)
                *gehalten = true;
            return;
        }
    }
    if (!genommen)
        m_ablage.nimm(eingang);

    // The monitor shows the line's traffic, dropped bytes included, and the
    // echo the link stood in for as such.
    if (beobachtet()) {
        for (const char ch : eingang)
            emit monitorZeile(ersatz ? Telegramm::monitorEchoersatz(quint8(ch)) : Telegramm::monitorEmpfang(quint8(ch)));
    }
    emit empfangen(int(eingang.size()));
}
