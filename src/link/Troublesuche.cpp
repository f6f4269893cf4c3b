#include "link/Troublesuche.h"

#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "link/Port.h"
#include "link/Schreiben.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"

QString Troublesuche::reparaturfrage(int sprache)
{
    return Texttabelle::text(Reparaturfragenummer + sprache);
}

QString Troublesuche::reparaturtitel(int sprache)
{
    return Texttabelle::text(Reparaturfragenummer + 1 + sprache);
}

Troublesuche::Troublesuche(Zustand &z, Verbindung &v, Meldung &meldung, Schreiben *schreiben, QObject *parent)
    : Ablauf(z, v, &meldung, parent), m_schreiben(schreiben)
{
    taktAnlegen(8, Wache::Verspaetet, false, [this] { tick8(); }, ErsterTick, true);
    taktAnlegen(6, Wache::Keine, true, [this] { tick6(); });
}

void Troublesuche::starte()
{
    if (m_schreiben && m_schreiben->laeuft())
        m_schreiben->abbrechen();
    stoppeTakt(6);
    m_v.ablage().leeren();
    m_suchzaehler = 0;
    m_gesendet = 0;
    m_gesehen = false;
    m_fehler = 0;
    m_abgebrochen = false;
    beginnen();
    Port *port = m_v.port();
    if (!m_z.sitzung.modemVerbunden && (!port || !port->isOpen())) {
        // A port that is gone (or never opened) reaches no terminal.
        portFehlt();
        return;
    }
    starteTakt(8, m_ersterTick);
}

void Troublesuche::stoppe()
{
    if (!laeuft())
        return;
    stoppeTakt(8);
    emit sanduhr(false);
}

bool Troublesuche::antwortDa() const
{
    const Empfangsablage &ablage = m_v.ablage();
    if (ablage.zahl() <= 40)
        return false;
    return ablage.abschnitt(0, ablage.zahl()).contains(QByteArray("\x06\x02\xFF", 3));
}

void Troublesuche::tick8()
{
    ++m_suchzaehler;
    emit sanduhr(true);
    emit fortschritt(qMin(m_suchzaehler, int(HoechsterZaehler)), HoechsterZaehler);
    if (m_suchzaehler > HoechsterZaehler) {
        ende();
        return;
    }
    // Without a modem window there is no modem port to ask about.
    Port *modem = m_v.modemPort();
    if (modem && !modem->isOpen() && !modem->open()) {
        m_suchzaehler = HoechsterZaehler + 2;
    } else if (m_z.sitzung.modemVerbunden && modem) {
        ++m_gesendet;
        if (m_suchzaehler % 10 == 0)
            m_v.sendeRoh(QByteArrayLiteral("\r\n"), modem);
        m_v.sendeRoh(Telegramm::anfrage(255, QByteArrayLiteral("X")), modem);
    } else {
        ++m_gesendet;
        m_v.sendeRoh(QByteArray(3, char('0' + m_suchzaehler % 10)), m_v.port());
    }
    setTaktabstand(8, m_abstand);
    if (antwortDa()) {
        m_v.ablage().leeren();
        m_suchzaehler = HoechsterZaehler + 2;
        m_gesehen = true;
    }
}

void Troublesuche::ende()
{
    stoppeTakt(8);
    emit sanduhr(false);
    // Ended before the repair question: success when a waiting terminal answered.
    abschliessen(m_gesehen ? Ende::Erfolg : Ende::Fehlschlag);
    if (!m_z.terminal.schreibfehler && !m_gesehen) {
        // Nearly two minutes of scanning deserve an answer, not silence.
        zeige(554, 555, Meldung::Knoepfe::Ok, Meldung::Symbol::Information);
        return;
    }
    const int antwort = m_meldung->zeige(reparaturfrage(m_z.sprache.versatz), reparaturtitel(m_z.sprache.versatz),
                                         Meldung::Knoepfe::JaNein, Meldung::Symbol::Frage, Reparaturfragenummer,
                                         Reparaturfragenummer + 1);
    if (antwort == Meldung::Ja)
        starteTakt(6, Reparaturverzoegerung);
}

void Troublesuche::abbrechen()
{
    if (!laeuft())
        return;
    stoppeTakt(8);
    m_abgebrochen = true;
    emit sanduhr(false);
    abschliessen(Ende::Abbruch);
}

// Without its port the scan reaches no terminal: it ends at once with the
// port message, instead of ticking into the void for nearly two minutes and
// then reporting that nothing was waiting.
void Troublesuche::beiPortverlust()
{
    stoppeTakt(8);
    emit sanduhr(false);
    portFehlt();
}

void Troublesuche::portFehlt()
{
    m_fehler = 193;
    zeige(193, 194, Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen);
    abschliessen(Ende::Portverlust);
}

void Troublesuche::tick6()
{
    stoppeTakt(6);
    if (m_schreiben)
        m_schreiben->reparaturVormerken();
    emit reparaturStarten();
}
