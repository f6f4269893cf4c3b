#include "modem/Modemterminal.h"

#include "base/Ansi.h"
#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "link/Port.h"
#include "link/Verbindung.h"

Modemterminal::Modemterminal(Zustand &z, Verbindung &v, Meldung &meldung, QObject *parent)
    : QObject(parent), m_z(z), m_v(v), m_meldung(meldung)
{
}

void Modemterminal::setPort(Port *port)
{
    if (m_port)
        m_port->disconnect(this);
    m_port = port;
    if (port)
        connect(port, &Port::ereignis, this, &Modemterminal::ereignis);
}

void Modemterminal::leeren()
{
    m_text.clear();
    emit textGeaendert();
}

void Modemterminal::anhaengen(QString &box, const QString &text)
{
    if (box.size() > Hoechstlaenge)
        box.remove(0, Kuerzung);
    box += text;
}

void Modemterminal::anhaengen(const QString &text)
{
    anhaengen(m_text, text);
    emit textGeaendert();
}

void Modemterminal::verbindungZuruecksetzen()
{
    m_z.sitzung.modemVerbunden = false;
    m_modemempfang.clear();
    m_zeilen.zuruecksetzen();
}

void Modemterminal::ereignis(int code)
{
    switch (code) {
    case Ereigniscode::Empfangen:
        empfangen();
        if (m_z.sitzung.modemVerbunden)
            return;
        break;
    case 1:  // send
        break;
    case 3:
        m_ereignis = QStringLiteral("CTS");
        break;
    case 4:
        m_ereignis = QStringLiteral("DSR");
        break;
    case 5:
        m_ereignis = QStringLiteral("CD");
        break;
    case 6:
        m_ereignis = QStringLiteral("Telefon");
        break;
    case Ereigniscode::Break:
        m_fehler = QStringLiteral("Break ") + QLatin1Char(' ') + QString::number(code);
        if (m_port && !m_port->isOpen()) {
            neuOeffnen();
            m_fehler.clear();
        }
        if (m_text.size() >= Breakgrenze)
            leeren();
        break;
    case Ereigniscode::Framing:
        if (m_port && !m_port->isOpen()) {
            neuOeffnen();
            m_fehler = QStringLiteral("Frameerror Wieder drann");
        }
        leeren();
        break;
    case Ereigniscode::CdTimeout:
        m_fehler = QStringLiteral("CDerror");
        break;
    case Ereigniscode::CtsTimeout:
        m_fehler = QStringLiteral("CTSerror");
        break;
    case Ereigniscode::Dcb:
        m_fehler = QStringLiteral("DCBerror");
        break;
    case Ereigniscode::DsrTimeout:
        m_fehler = QStringLiteral("DSRerror");
        break;
    case Ereigniscode::Overrun:
        m_fehler = QStringLiteral("overrun");
        break;
    case Ereigniscode::Parity:
        m_fehler = QStringLiteral("Parityerror");
        break;
    default:
        m_fehler = Texttabelle::text(m_z, 242);
        break;
    }
    gemeinsamesEnde();
}

void Modemterminal::empfangen()
{
    if (!m_port)
        return;
    const QByteArray bytes = m_port->readAll();
    anhaengen(Ansi::dekodieren(bytes));
    m_modemempfang = bytes;
    const auto meldungen = m_zeilen.lies(bytes);
    if (meldungen.contains(Modemzeilen::Rueckmeldung::Connect)) {
        m_z.sitzung.modemVerbunden = true;
        m_text = Texttabelle::text(m_z, 240);
        emit textGeaendert();
        emit verbunden();
    }
    if (m_z.sitzung.modemVerbunden) {
        weitergeben();
        // The window shows NO CARRIER; a read-out or write waiting for an
        // answer over the line ends now instead of at its time-out.
        if (meldungen.contains(Modemzeilen::Rueckmeldung::NoCarrier))
            m_v.modemverbindungVerloren();
    }
}

void Modemterminal::weitergeben()
{
    const QByteArray b = m_modemempfang;
    if (b.isEmpty())
        return;
    // The repair write's wake-up answer: the link reports it; the bytes stay.
    if (m_v.verarbeite(b))
        m_modemempfang.clear();
}

// Each message is shown once: an event message only restarts Timer2, an
// error message beeps and asks; Cancel closes the port.
void Modemterminal::gemeinsamesEnde()
{
    if (!m_ereignis.isEmpty()) {
        m_ereignis.clear();
        emit meldungGezeigt();
        return;
    }
    if (m_fehler.isEmpty())
        return;
    const QString fehler = m_fehler;
    m_fehler.clear();
    emit piep();
    const int antwort = m_meldung.zeige(fehler, Texttabelle::text(m_z, 243), Meldung::Knoepfe::OkAbbrechen,
                                        Meldung::Symbol::Keins, -1, 243);
    if (antwort == Meldung::Abbrechen && m_port && m_port->isOpen()) {
        m_port->close();
        emit portGeaendert();
    }
    emit meldungGezeigt();
}

void Modemterminal::neuOeffnen()
{
    if (m_port && m_port->open())
        emit portGeaendert();
}
