#include "diag/Testbetrieb.h"

#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "base/Zustand.h"

namespace {
constexpr int StatusstelleProtokoll0 = 3;  // 4th character of the answer
constexpr int StatusstelleProtokoll1 = 5;  // 6th character
}  // namespace

Testbetrieb::Testbetrieb(Zustand &z, Verbindung &v, QObject *parent) : Ablauf(z, v, nullptr, parent)
{
    taktAnlegen(1, Wache::Keine, false, [this] { tick1(); }, Anfragetakt);
    taktAnlegen(2, Wache::Keine, false, [this] { tick2(); }, Antworttakt);
}

// Without its port nothing can come back: polling on would only tick.
void Testbetrieb::beiPortverlust()
{
    beenden();
}

QString Testbetrieb::bytecodes(const QByteArray &bytes)
{
    QString s;
    s.reserve(bytes.size() * 3);
    for (const char c : bytes)
        s += QStringLiteral("%1 ").arg(int(quint8(c)), 2, 10, QLatin1Char('0'));
    return s;
}

QString Testbetrieb::anlagenname(const QString &pfad)
{
    const int schnitt = int(qMax(pfad.lastIndexOf(QLatin1Char('\\')), pfad.lastIndexOf(QLatin1Char('/'))));
    const QString name = pfad.mid(schnitt + 1);
    const int punkt = int(name.indexOf(QLatin1Char('.')));
    return punkt < 0 ? name : name.left(punkt);
}

Empfangsrecht Testbetrieb::empfangNehmen()
{
    return m_v.nimmStrom(m_empfang, Empfaenger::Vorrang::Testbetrieb);
}

void Testbetrieb::laden()
{
    stoppeAlleTakte();
    m_datenstatus = 0;
    m_quelle = Quelle::Spur2;
    m_testtelegramm.clear();
    m_anfragefeld.clear();
    m_antwortfeld.clear();
    m_anfrageHervorgehoben = false;
    m_kartendaten.clear();
    m_fehllesung = false;
    m_stoerung = false;
    m_skimming = Skimming::Keins;
    m_datenVorhanden = false;
    waehleBetriebsart(Betriebsart::Normalbetrieb);
}

void Testbetrieb::waehleBetriebsart(Betriebsart art)
{
    switch (art) {
    case Betriebsart::Normalbetrieb:
        m_testbefehl = QByteArray("K");
        break;
    case Betriebsart::TuereAuf:
        m_testbefehl = QByteArray("O");
        break;
    case Betriebsart::TuereZu:
        m_testbefehl = QByteArray("G");
        break;
    }
    m_betriebsartwechsel = 1;
}

void Testbetrieb::start()
{
    starteTakt(1);
    ++m_zyklusstarts;
    beginnen();
    emit betriebsartAbgewaehlt();
}

bool Testbetrieb::anlageUebernehmen(const QString &anlagenname, bool geschlossen)
{
    const bool ok = m_protokoll.schreibeKopf(anlagenname, geschlossen);
    protokollErgebnis(ok);
    // The cycle starts here once; starting it a second time would only move
    // the next request a little later.
    starteTakt(1);
    ++m_zyklusstarts;
    beginnen();
    return ok;
}

void Testbetrieb::beenden()
{
    stoppeAlleTakte();
    abschliessen(Ende::Abbruch);
}

void Testbetrieb::zyklusNeuStarten()
{
    starteTakt(1);
}

void Testbetrieb::tick1()
{
    // Timer2 still waits: the last request got no answer in its cycle.
    if (taktLaeuft(2) && !m_testtelegramm.isEmpty() && m_empfang.bytes().size() <= m_testtelegramm.size())
        emit keineAntwort(m_testtelegramm, !m_empfang.bytes().isEmpty());
    m_anfrageHervorgehoben = true;
    m_stoerung = false;
    if (m_betriebsartwechsel == 1) {
        // The operating-mode command replaces this one request.
        m_betriebsartwechsel = 0;
    } else if (m_datenstatus == 0) {
        m_testbefehl = QByteArray("S");
    } else if (m_datenstatus == 2) {
        switch (m_quelle) {
        case Quelle::Spur2:
            m_testbefehl = QByteArray("L2");
            break;
        case Quelle::Spur3:
            m_testbefehl = QByteArray("L3");
            break;
        case Quelle::Chip:
            m_testbefehl = QByteArray("LC");
            break;
        }
    }
    m_empfang.bytes().clear();
    sende();
    emit anzeigeGeaendert();
}

void Testbetrieb::sende()
{
    const QByteArray telegramm = Telegramm::anfrage(m_z.terminal.adresse, m_testbefehl);
    if (telegramm.isEmpty())
        return;  // no terminal can have that address
    m_testtelegramm = telegramm;
    m_v.sendeRoh(telegramm);
    m_v.monitor(Telegramm::monitorTelegramm(telegramm));
    m_anfragefeld = bytecodes(telegramm);
    starteTakt(2);
    emit anfrageGesendet(telegramm);
}

void Testbetrieb::tick2()
{
    m_anfrageHervorgehoben = false;
    m_antwortfeld.clear();
    // Only the echo of the request (or less): look again at the next tick.
    if (m_empfang.bytes().size() <= m_testtelegramm.size()) {
        emit anzeigeGeaendert();
        return;
    }
    m_v.sendeAck();
    stoppeTakt(2);
    const QByteArray antwort = m_empfang.bytes().mid(m_testtelegramm.size());
    m_antwortfeld = bytecodes(antwort);
    emit antwortErhalten(m_testtelegramm, antwort);
    if (antwort.size() >= 2) {
        if (m_datenstatus == 2)
            datenschritt(antwort);
        else
            statusschritt(antwort);
    }
    emit anzeigeGeaendert();
}

void Testbetrieb::statusschritt(const QByteArray &antwort)
{
    const int protokoll = m_z.terminal.protokoll;
    int stelle = -1;
    if (protokoll == 0)
        stelle = StatusstelleProtokoll0;
    else if (protokoll == 1)
        stelle = StatusstelleProtokoll1;
    if (stelle < 0 || stelle >= antwort.size())
        return;  // protocol 255 and unknown layouts are not decoded
    const int status = quint8(antwort.at(stelle));
    emit statusGelesen(status);

    const auto stoerung = [&] {
        if (!(status & Stoerung))
            return false;
        m_datenstatus = 0;
        m_stoerung = true;
        if (protokoll == 0) {
            zyklusNeuStarten();
        } else {
            m_kartendaten.clear();
            m_fehllesung = false;
        }
        return true;
    };
    const auto skimming = [&](int bit, Skimming art) {
        if (!(status & bit)) {
            m_skimming = Skimming::Keins;
            return false;
        }
        m_skimming = art;
        zyklusNeuStarten();
        return true;
    };
    const auto ausgeloest = [&] { return skimming(SkimmingAusgeloest, Skimming::Ausgeloest); };
    const auto sabotage = [&] { return skimming(Skimmingsabotage, Skimming::Sabotage); };

    // The order of the tests differs between the two layouts; the first bit
    // that ends the step wins.
    if (protokoll == 0 ? (stoerung() || ausgeloest() || sabotage()) : (ausgeloest() || sabotage() || stoerung()))
        return;
    if (status & DatenWartend) {
        m_datenVorhanden = true;
        m_kartendaten.clear();
        m_fehllesung = false;
        m_datenstatus = 2;
    }
    if (status & FehlbuchungWartend) {
        m_kartendaten.clear();
        m_fehllesung = false;
        m_datenstatus = 2;
    }
}

void Testbetrieb::datenschritt(const QByteArray &antwort)
{
    m_kartendaten = antwort;
    m_fehllesung = istFehllesung(antwort);
    m_datenstatus = 0;
    m_datenVorhanden = false;
    // A misread is logged with its raw characters as well. The state is
    // complete before anyone hears of a failure.
    protokollErgebnis(m_protokoll.schreibeBewegung(antwort));
    emit kartendatenErhalten(antwort, m_fehllesung);
}

void Testbetrieb::protokollErgebnis(bool ok)
{
    if (!ok && m_protokoll.fehlerNeu())
        emit protokollFehler(m_protokoll.pfad(), m_protokoll.fehlertext());
}
