#include "link/Schreiben.h"

#include "link/Anmeldung.h"
#include "link/Port.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "base/Meldung.h"
#include "base/Zustand.h"

namespace {
const QString Normalgeschwindigkeit = QStringLiteral("19200,n,8,1");
const QString Blockgeschwindigkeit = QStringLiteral("2400,n,8,1");
}  // namespace

Schreiben::Schreiben(Zustand &z, Verbindung &v, Anmeldung &anmeldung, Meldung &meldung, QObject *parent)
    : Ablauf(z, v, &meldung, parent), m_anmeldung(anmeldung)
{
    m_weckempfang.schreiben = this;
    // The protocol's time-outs and the 2500 ms before the block: never early.
    constexpr bool genau = true;
    taktAnlegen(2, Wache::Verspaetet, false, [this] { tick2(); }, 0, genau);
    taktAnlegen(4, Wache::Keine, true, [this] { blocktick(true); }, 0, genau);
    taktAnlegen(5, Wache::Abholen, false, [this] { tick5(); }, 0, genau);
    // The modem chain before the block.
    taktAnlegen(9, Wache::Keine, true, [this] { starteTakt(10); }, 300, genau);
    taktAnlegen(10, Wache::Keine, true, [this] { starteTakt(11); }, 300, genau);
    taktAnlegen(11, Wache::Keine, true, [this] { blocktick(false); }, 50, genau);
    m_leitung.setParent(this);
    m_leitung.setInterval(Leitungsblick);
    connect(&m_leitung, &QTimer::timeout, this, &Schreiben::leitungPruefen);
    connect(&m_anmeldung, &Anmeldung::angemeldet, this, &Schreiben::angemeldet);
    connect(&m_anmeldung, &Anmeldung::fehlgeschlagen, this, &Schreiben::anmeldungFehlgeschlagen);
    connect(&m_v, &Verbindung::empfangen, this, &Schreiben::empfangen);
}

void Schreiben::beiPortverlust()
{
    fehler(193, 194, m_phase != Phase::Anmeldung);
}

// A modem connection that breaks off ends the write at once, with the
// message its wait would have ended with.
void Schreiben::beiVerbindungsabbruch()
{
    if (m_phase == Phase::Anmeldung)
        fehler(154, 155, false);
    else
        fehler(167, 168, true);
}

qint64 Schreiben::leitungszeitMs(qint64 bytes, int baud)
{
    if (baud <= 0)
        return 0;
    return (bytes * 10 * 1000 + baud - 1) / baud;
}

QByteArray Schreiben::block(const Zustand &z, int blockpruefsumme)
{
    QByteArray b;
    b.reserve(Telegramm::Schreibblocklaenge);
    b += Telegramm::STX;
    for (int i = 0; i < Telegramm::Speichergroesse; ++i)
        b += char(quint8(z.bild.Daten[size_t(i)]));
    b += Telegramm::ETX;
    b += char(quint8(blockpruefsumme));
    return b;
}

bool Schreiben::brauchtPasswort() const
{
    return !reparatur();
}

Empfaenger::Annahme Schreiben::Weckempfang::nimm(const QByteArray &bytes)
{
    if (bytes.at(0) != Telegramm::NAK && bytes.size() <= 1)
        return Annahme::Weiter;  // the echo of one wake-up character
    schreiben->reparaturAntwort();
    return Annahme::Zurueckgehalten;
}

void Schreiben::reparaturVormerken()
{
    if (!reparatur())
        m_weckempfang.recht = m_v.nimmStrom(m_weckempfang, Empfaenger::Vorrang::Reparatur);
}

void Schreiben::reparaturVerwerfen()
{
    m_weckempfang.recht.freigeben();
}

bool Schreiben::starte()
{
    if (laeuft())
        return false;
    Port *port = m_v.aktiverPort();
    if (!port || !port->isOpen())
        return false;
    m_versuche = 0;
    m_z.terminal.passwortOK = false;
    auto &d = m_z.bild.Daten;
    m_z.terminal.protokoll = d[10];
    d[13] = 15;
    d[12] = 0;
    int pruef = 0;
    for (int i = 0; i < Telegramm::Speichergroesse; ++i)
        pruef ^= quint8(d[size_t(i)]);
    m_blockpruefsumme = pruef ^ 3;
    m_aufDerLeitung = 0;
    m_sendedauer = 0;
    m_rueckmeldung.clear();

    if (reparatur()) {
        // No login: the terminal waits for a block and answers no telegram.
        // What it sends goes to the byte store, as after "D".
        m_v.setzeBefehl(QByteArray(m_z.terminal.varianteM ? "d" : "D"));
        m_v.ablage().leeren();
        m_weckzeichen = 0;
        m_phase = Phase::Wecken;
        starteTakt(5, m_z.Timerintervall[5]);
        beginnen();
        emit gestartet();
        return true;
    }
    if (!m_anmeldung.starte(2)) {
        m_phase = Phase::Bereit;
        return false;
    }
    m_phase = Phase::Anmeldung;
    beginnen();
    emit gestartet();
    return true;
}

void Schreiben::angemeldet(int stufe)
{
    if (stufe != 2 || m_phase != Phase::Anmeldung)
        return;
    const QByteArray befehl(m_z.terminal.varianteM ? "d" : "D");
    m_v.ablage().leeren();
    m_v.sendeAnfrage(befehl);
    m_versuche = 0;
    const QByteArray ankuendigung =
        !m_z.sitzung.modemVerbunden ? Telegramm::Schreibankuendigung : Telegramm::Modemankuendigung;
    Port *ziel = !m_z.sitzung.modemVerbunden ? m_v.port() : m_v.modemPort();
    m_v.sendeRoh(ankuendigung, ziel);
    // Timer4 counts from the moment the ACK, the request and the
    // announcement have left the line, so that the line stays quiet for the
    // whole delay before the block.
    const int baud = ziel ? ziel->baud() : 19200;
    const qint64 unterwegs = 1 + Telegramm::anfrage(m_z.terminal.adresse, befehl).size() + ankuendigung.size();
    m_phase = Phase::Angekuendigt;
    starteTakt(4, int(m_z.Timerintervall[4] + leitungszeitMs(unterwegs, baud)));
    emit angekuendigt();
}

void Schreiben::anmeldungFehlgeschlagen(int stufe)
{
    if (stufe != 2 || m_phase != Phase::Anmeldung)
        return;
    fehler(154, 155, false);
}

void Schreiben::tick5()
{
    // One wake-up character per tick until the terminal answers.
    m_v.ablage().leeren();
    ++m_weckzeichen;
    m_v.sendeRoh(QByteArray(1, Telegramm::STX));
    m_v.monitor(QStringLiteral("??") + QString::number(m_weckzeichen));
}

void Schreiben::reparaturAntwort()
{
    if (m_phase != Phase::Wecken)
        return;
    stoppeTakt(5);
    // The terminal is awake; from here on its bytes (echo, "U19###") must
    // reach the byte store, so the repair routing ends.
    reparaturVerwerfen();
    m_phase = Phase::Angekuendigt;
    starteTakt(4, m_z.Timerintervall[4]);
    emit angekuendigt();
}

void Schreiben::blocktick(bool ankuendigungsende)
{
    if (m_phase != Phase::Angekuendigt)
        return;
    Port *port = m_v.aktiverPort();
    if (!port || !port->isOpen()) {
        fehler(193, 194, true);
        return;
    }
    if (ankuendigungsende) {
        emit blockBegonnen();
        if (m_z.sitzung.leitung == Leitungsart::Modem) {
            m_v.sendeRoh(Telegramm::Modemankuendigung, port);
            starteTakt(9);
            return;
        }
    }
    blockSenden(port);
}

void Schreiben::blockSenden(Port *port)
{
    if (!m_z.terminal.varianteM) {
        // The announcement has long left; make sure before the speed changes.
        if (port->bytesToWrite() > 0)
            port->drain();
        port->setSettings(Blockgeschwindigkeit);
    }
    const QByteArray b = block(m_z, m_blockpruefsumme);
    m_block = b;
    m_blockAnfang = m_v.ablage().zahl();
    m_blockport = port;
    m_blocklaenge = int(b.size());
    m_blockbaud = port->baud();
    m_echo = 0;
    m_uebergeben = 0;
    m_aufDerLeitung = 0;
    m_gesendetVerbindung = connect(port, &Port::gesendet, this, &Schreiben::gesendet);
    m_phase = Phase::Senden;
    m_uebergabeMs = m_uhr();
    m_v.sendeRoh(b, port);
    if (m_v.beobachtet()) {
        for (const QString &zeile : Telegramm::monitorSchreibblock(b))
            m_v.monitor(zeile);
    }
    emit fortschritt(0, m_blocklaenge);
    m_leitung.start();
}

void Schreiben::gesendet(qint64 bytes)
{
    if (m_phase == Phase::Senden)
        m_uebergeben += bytes;
}

void Schreiben::empfangen(int anzahl)
{
    if (m_phase != Phase::Senden)
        return;
    // Half duplex: the echo of the block comes back ahead of any answer.
    m_echo += anzahl;
    leitungPruefen();
}

void Schreiben::leitungPruefen()
{
    if (m_phase != Phase::Senden)
        return;
    const qint64 vergangen = m_uhr() - m_uebergabeMs;
    // What the line can have carried since the hand-over, but no more than
    // the port has handed on.
    const qint64 nachZeit = vergangen * m_blockbaud / 10000;
    qint64 n = qMax(m_echo, qMin(m_uebergeben, nachZeit));
    n = qMin<qint64>(n, m_blocklaenge);
    aufDerLeitungMelden(int(n));

    const bool echoZurueck = m_echo >= m_blocklaenge;
    const bool leitungszeitVorbei = m_uebergeben >= m_blocklaenge && m_blockport &&
                                    m_blockport->bytesToWrite() == 0 &&
                                    vergangen >= leitungszeitMs(m_blocklaenge, m_blockbaud);
    if (!echoZurueck && !leitungszeitVorbei)
        return;
    m_leitung.stop();
    disconnect(m_gesendetVerbindung);
    m_sendedauer = vergangen;
    aufDerLeitungMelden(m_blocklaenge);
    m_phase = Phase::Bestaetigung;
    m_versuche = 0;
    emit blockAufDerLeitung();
    starteTakt(2, m_z.Timerintervall[2]);
}

void Schreiben::aufDerLeitungMelden(int bytes)
{
    if (bytes <= m_aufDerLeitung)
        return;
    m_aufDerLeitung = bytes;
    emit fortschritt(bytes, m_blocklaenge);
}

void Schreiben::tick2()
{
    if (m_phase != Phase::Bestaetigung) {
        stoppeTakt(2);
        return;
    }
    m_rueckmeldung.clear();
    const Empfangsablage &ablage = m_v.ablage();
    const int zahl = ablage.zahl();
    if (zahl < Rueckmeldungslaenge) {
        fehler(167, 168, true);
        return;
    }
    m_rueckmeldung = ablage.abschnitt(zahl - Rueckmeldungslaenge, zahl);
    if (bestaetigt()) {
        erfolg();
        return;
    }
    if (++m_versuche > HoechsteWarteticks)
        fehler(167, 168, true);
}

int Schreiben::echoEnde() const
{
    // A few bytes of the announcement's echo may still have come in after
    // the hand-over, ahead of the block's.
    constexpr int HoechstensVorweg = 8;
    const Empfangsablage &ablage = m_v.ablage();
    const int zahl = ablage.zahl();
    const int anfang = m_blockAnfang <= zahl ? m_blockAnfang : 0;
    int ende = anfang;
    int laengste = 0;
    for (int vorweg = 0; vorweg <= HoechstensVorweg; ++vorweg) {
        int n = 0;
        for (int i = anfang + vorweg; n < m_block.size() && i < zahl; ++i, ++n) {
            if (ablage.byte(i) != quint8(m_block.at(n)))
                break;
        }
        if (n > laengste) {
            laengste = n;
            ende = anfang + vorweg + n;
        }
    }
    return ende;
}

// Only the terminal's own bytes confirm: the echo of the block is the PC's
// own data and may hold anything, "U19###" included, and a variant-M
// terminal that refused or lost the block sends nothing at all. So
// "U19###" counts among the last 200 bytes received only where it follows
// the block's echo.
bool Schreiben::bestaetigt() const
{
    const int zahl = m_v.ablage().zahl();
    const int ab = qMax(echoEnde(), zahl - Rueckmeldungslaenge);
    return m_v.ablage().abschnitt(ab, zahl).contains(Telegramm::Schreibbestaetigung);
}

void Schreiben::aufhoeren()
{
    stoppeAlleTakte();
    m_leitung.stop();
    disconnect(m_gesendetVerbindung);
    if (m_phase == Phase::Anmeldung)
        m_anmeldung.stoppe();
    m_phase = Phase::Bereit;
}

void Schreiben::auf19200()
{
    // A closed port (device gone) takes the settings for its next opening.
    if (Port *p = m_v.port())
        p->setSettings(Normalgeschwindigkeit);
    if (m_z.sitzung.leitung == Leitungsart::Modem) {
        if (Port *p = m_v.modemPort())
            p->setSettings(Normalgeschwindigkeit);
    }
}

void Schreiben::erfolg()
{
    aufhoeren();
    m_versuche = 0;
    m_z.terminal.schreibfehler = false;
    // Back to the telegram speed before the message waits for the user.
    auf19200();
    zeige(165, 166, Meldung::Knoepfe::Ok, Meldung::Symbol::Information);
    emit erfolgreich();
    abschliessen(Ende::Erfolg);
}

void Schreiben::fehler(int textnummer, int titelnummer, bool terminalWartet)
{
    aufhoeren();
    m_versuche = 0;
    if (terminalWartet)
        m_z.terminal.schreibfehler = true;
    auf19200();
    zeige(textnummer, titelnummer, Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen);
    emit fehlgeschlagen(textnummer);
    abschliessen(Ende::Fehlschlag);
}

void Schreiben::abbrechen()
{
    const Phase vorher = m_phase;
    reparaturVerwerfen();
    if (vorher == Phase::Senden && m_blockport)
        m_blockport->flushOutput();  // the rest of the block must not go out at 19200
    aufhoeren();
    if (vorher == Phase::Angekuendigt || vorher == Phase::Senden || vorher == Phase::Bestaetigung) {
        // The terminal was told to expect a block and did not get it whole.
        fehler(167, 168, true);
        return;
    }
    auf19200();
    beginnen();  // a cancel before the start ends a run too: the panel goes away on it
    abschliessen(Ende::Abbruch);
}
