#include "modem/Modemsitzung.h"

#include "base/Zustand.h"
#include "link/Port.h"
#include "link/Verbindung.h"
#include "modem/Waehlstring.h"

Modemsitzung::Modemsitzung(Zustand &z, Verbindung &v, Port &port, QObject *parent)
    : QObject(parent), m_z(z), m_v(v), m_port(&port)
{
    m_warten.setSingleShot(true);
    m_warten.setInterval(Wartezeit);
    connect(&m_warten, &QTimer::timeout, this, [this] {
        if (m_stand == Stand::Waehlen)
            fehler(506);
    });
    m_lebenszeichen.setSingleShot(true);
    m_lebenszeichen.setInterval(Lebenszeichenfrist);
    connect(&m_lebenszeichen, &QTimer::timeout, this, [this] {
        if (m_stand == Stand::Waehlen)
            fehler(632);
    });
    connect(&port, &Port::ereignis, this, &Modemsitzung::ereignis);
    connect(&m_auflegen, &Auflegen::fertig, this, [this] {
        m_stand = Stand::Ruhe;
        emit aufgelegt();
    });
}

bool Modemsitzung::waehle(const QString &nummer)
{
    m_z.sitzung.modemVerbunden = false;
    m_zeilen.zuruecksetzen();
    Waehlstring::Fehler f = Waehlstring::Fehler::Keiner;
    m_waehlstring = Waehlstring::baue(m_z.einstellungen.modemText1, m_z.einstellungen.modemText2, nummer, &f);
    if (f != Waehlstring::Fehler::Keiner) {
        emit fehlgeschlagen(f == Waehlstring::Fehler::LeereNummer ? 501 : Waehlstring::textnummer(f));
        return false;
    }
    if (!m_port || !m_port->isOpen()) {
        emit fehlgeschlagen(511);
        return false;
    }
    m_port->readAll();  // whatever waited before the dial is no answer to it
    m_stand = Stand::Waehlen;
    m_port->write(m_waehlstring);
    m_warten.start();
    m_lebenszeichen.start();
    return true;
}

void Modemsitzung::legeAuf()
{
    m_warten.stop();
    m_lebenszeichen.stop();
    m_z.sitzung.modemVerbunden = false;
    if (m_stand == Stand::Auflegen)
        return;
    m_stand = Stand::Auflegen;
    m_auflegen.starte(m_port);
}

void Modemsitzung::fehler(int textnummer)
{
    m_warten.stop();
    m_lebenszeichen.stop();
    m_stand = Stand::Ruhe;
    m_z.sitzung.modemVerbunden = false;
    emit fehlgeschlagen(textnummer);
}

void Modemsitzung::ereignis(int code)
{
    if (code != Ereigniscode::Empfangen || !m_port)
        return;
    const QByteArray bytes = m_port->readAll();
    if (bytes.isEmpty())
        return;
    const auto meldungen = m_zeilen.lies(bytes);
    if (m_stand == Stand::Waehlen) {
        m_lebenszeichen.stop();  // a modem is there
        for (const auto m : meldungen) {
            switch (m) {
            case Modemzeilen::Rueckmeldung::Connect:
                m_warten.stop();
                m_stand = Stand::Verbunden;
                m_z.sitzung.modemVerbunden = true;
                emit verbunden();
                return;
            case Modemzeilen::Rueckmeldung::Busy:
                return fehler(503);
            case Modemzeilen::Rueckmeldung::NoCarrier:
                return fehler(504);
            case Modemzeilen::Rueckmeldung::NoDialtone:
                return fehler(505);
            case Modemzeilen::Rueckmeldung::NoAnswer:
                return fehler(631);
            case Modemzeilen::Rueckmeldung::Error:
                return fehler(507);
            case Modemzeilen::Rueckmeldung::Ok:
                break;
            }
        }
        return;
    }
    if (m_stand != Stand::Verbunden)
        return;
    m_v.verarbeite(bytes);
    if (meldungen.contains(Modemzeilen::Rueckmeldung::NoCarrier)) {
        m_stand = Stand::Ruhe;
        m_z.sitzung.modemVerbunden = false;
        emit verbindungVerloren();
        // The sequence waiting for an answer over it ends now, not at its time-out.
        m_v.modemverbindungVerloren();
    }
}
