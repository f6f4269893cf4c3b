#include "link/Auslesen.h"

#include "link/Anmeldung.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"


Auslesen::Auslesen(Zustand &z, Verbindung &v, Anmeldung &anmeldung, Meldung &meldung, QObject *parent)
    : QObject(parent), m_z(z), m_v(v), m_anmeldung(anmeldung), m_meldung(meldung)
{
    m_timer3.setParent(this);  // so that windows and tests find it by name
    m_timer3.setObjectName(QStringLiteral("Timer3"));
    connect(&m_timer3, &QTimer::timeout, this, &Auslesen::tick);
    connect(&m_anmeldung, &Anmeldung::angemeldet, this, &Auslesen::angemeldet);
    connect(&m_anmeldung, &Anmeldung::fehlgeschlagen, this, &Auslesen::anmeldungFehlgeschlagen);
    connect(&m_v, &Verbindung::empfangen, this, &Auslesen::empfangen);
    connect(&m_v, &Verbindung::portVerloren, this, &Auslesen::portVerloren);
    connect(&m_v, &Verbindung::verbindungAbgebrochen, this, &Auslesen::verbindungAbgebrochen);
}

int Auslesen::erwarteteBytes(int protokoll)
{
    switch (protokoll) {
    case 0:
        return 4107;
    case 1:
    case 255:
        return 4109;
    default:
        return 0;
    }
}

int Auslesen::datenbytes(int protokoll, int empfangen)
{
    const int erwartet = erwarteteBytes(protokoll);
    if (erwartet == 0)
        return 0;
    // Two characters per memory byte; after them only ETX and the check byte.
    const int kopf = erwartet - 2 * Bildgroesse - 2;
    return qBound(0, (empfangen - kopf) / 2, int(Bildgroesse));
}

bool Auslesen::starte()
{
    if (m_laeuft)
        return false;
    m_versuche = 0;
    m_z.terminal.passwortOK = false;
    m_z.terminal.identifiziert = false;
    if (!m_anmeldung.starte(1))
        return false;
    m_laeuft = true;
    m_liest = false;
    emit gestartet();
    return true;
}

void Auslesen::angemeldet(int stufe)
{
    if (stufe != 1 || !m_laeuft)
        return;
    m_v.ablage().leeren();
    m_v.sendeAnfrage(QByteArray("E"));
    m_versuche = 0;
    m_liest = true;
    m_ausgerichtet = false;
    m_timer3.start(m_z.Timerintervall[3]);
    m_takt.start();
    emit fortschritt(0, Bildgroesse);
}

void Auslesen::anmeldungFehlgeschlagen(int stufe)
{
    if (stufe != 1 || !m_laeuft)
        return;
    beende(154, 155);
}

void Auslesen::empfangen()
{
    if (m_liest)
        emit fortschritt(datenbytes(m_z.terminal.protokoll, m_v.ablage().zahl()), Bildgroesse);
}

// The login answer's last byte (its block check) can arrive just after the
// tick that found "J" ETX, and then lands in the byte store ahead of the echo
// of ACK and "E", so that the answer would never have its length. The store
// must begin with that echo: whatever came before it is dropped.
void Auslesen::echoAusrichten()
{
    constexpr int HoechstensVorweg = 3;
    Empfangsablage &ablage = m_v.ablage();
    const QByteArray echo = Telegramm::Quittung + m_v.letzteAnfrage();
    const quint8 *b = ablage.daten();
    const auto echoAb = [&](int k) {
        if (k + echo.size() > ablage.zahl())
            return false;
        for (int i = 0; i < echo.size(); ++i)
            if (b[k + i] != quint8(echo.at(i)))
                return false;
        return true;
    };
    if (m_ausgerichtet || ablage.zahl() < echo.size())
        return;
    for (int k = 0; k <= HoechstensVorweg; ++k) {
        if (!echoAb(k))
            continue;
        ablage.vorneEntfernen(k);
        break;
    }
    m_ausgerichtet = true;
}

void Auslesen::tick()
{
    if (!m_takt.tickNehmen(m_v, m_timer3))
        return;
    echoAusrichten();
    if (Telegramm::antwortKomplett(m_z.terminal.protokoll, m_v.ablage().zahl())) {
        m_timer3.stop();
        auswerten();
        return;
    }
    if (++m_versuche > HoechsteWarteticks)
        beende(156, 157);
}

void Auslesen::auswerten()
{
    m_liest = false;
    const int protokoll = m_z.terminal.protokoll;
    const int anzahl = m_v.ablage().zahl();
    if (protokoll == 1)
        m_v.sendeProtokoll1Quittung();
    else
        m_v.sendeAck();

    const auto format = Telegramm::ausleseformat(protokoll, anzahl);
    const quint8 *bytes = m_v.ablage().daten();
    if (Port *p = m_v.aktiverPort())
        p->flushInput();
    if (!format || !Telegramm::pruefbyteStimmt(bytes, anzahl, *format)) {
        beende(158, 159);
        return;
    }

    const QByteArray speicher = Telegramm::dekodiere(bytes, anzahl, *format);
    for (int i = 0; i < speicher.size() && i <= Datenobergrenze; ++i)
        m_z.bild.Daten[size_t(i)] = qint16(quint8(speicher.at(i)));
    m_anmeldung.stoppe();
    m_versuche = 0;

    m_z.terminal.identifiziert = true;
    m_laeuft = false;
    emit fertig();
}

void Auslesen::portVerloren()
{
    if (!m_laeuft)
        return;
    beende(193, 194);
}

// The modem connection broke off: the answer cannot come any more. The
// read-out ends now with the message its wait would have ended with.
void Auslesen::verbindungAbgebrochen()
{
    if (!m_laeuft)
        return;
    if (m_liest)
        beende(156, 157);
    else
        beende(154, 155);
}

void Auslesen::abbrechen()
{
    m_timer3.stop();
    m_anmeldung.stoppe();
    m_versuche = 0;
    m_laeuft = false;
    m_liest = false;
}

void Auslesen::beende(int textnummer, int titelnummer)
{
    abbrechen();
    // 193/194 belong to another window's slice: take them from the table.
    const auto text = [this](int n) {
        const QString t = m_z.sprache.texte.value(n);
        return t.isEmpty() ? Texttabelle::text(n + m_z.sprache.versatz) : t;
    };
    m_meldung.zeige(text(textnummer), text(titelnummer), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen,
                    textnummer, titelnummer);
    emit fehlgeschlagen(textnummer);
}
