#include "workflow/Anlaufsteuerung.h"

#include "base/Meldung.h"
#include "base/Pfade.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "link/Port.h"
#include "link/Programmstart.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"

#include <QDir>
#include <QTimer>

namespace {
const QString Stop = QStringLiteral("Stop");
}

Anlaufsteuerung::Anlaufsteuerung(Zustand &z, Meldung &meldung, Port &port, Verbindung &verbindung, QObject *parent)
    : QObject(parent), m_z(z), m_meldung(meldung), m_port(port), m_verbindung(verbindung)
{
    m_lesen = [] { return QString(); };
    m_schreiben = [](const QString &) {};

    m_timer7 = new QTimer(this);
    m_timer7->setObjectName(QStringLiteral("Timer7"));
    m_timer7->setSingleShot(true);
    m_timer7->setInterval(1000);
    connect(m_timer7, &QTimer::timeout, this, [this] {
        m_timer7->stop();
        emit startfensterFaellig();
    });
    m_zwischenablage = new QTimer(this);
    m_zwischenablage->setObjectName(QStringLiteral("TimerZwischenablage"));
    m_zwischenablage->setInterval(100);
    connect(m_zwischenablage, &QTimer::timeout, this, [this] {
        if (m_lesen() == Stop)
            return;
        m_zwischenablage->stop();
        weiterStarten();
    });
}

void Anlaufsteuerung::setZwischenablage(Lesen lesen, Schreiben schreiben)
{
    m_lesen = std::move(lesen);
    m_schreiben = std::move(schreiben);
}

void Anlaufsteuerung::starte()
{
    QDir().mkpath(Pfade::konfiguration());
    // A co-operating program says "Stop" on the clipboard: wait, looking
    // again every 100 ms, with the window responsive.
    if (m_lesen() == Stop) {
        m_zwischenablage->start();
        return;
    }
    weiterStarten();
}

void Anlaufsteuerung::weiterStarten()
{
    m_schreiben(QStringLiteral("Warten"));

    emit anlaufBeginnt();
    m_z.terminal.identifiziert = false;
    setLage(Menuelage{});

    m_z.einstellungen.familienkennung = QStringLiteral("1");
    const Programmstart::Portstart port = Programmstart::einstellungenUndPort(m_z, m_port, Pfade::einstellungsdatei());
    m_portnummer = m_z.einstellungen.portnummer;
    m_z.einstellungen.startverzeichnis = QDir::currentPath();
    emit texteSetzen();
    if (!port.offen) {
        // Once, and the program runs on with the port closed: files can
        // still be edited and another port chosen.
        m_meldung.zeige(m_z, 136, 137);
        if (port.fehler == Port::Oeffnungsfehler::KeineBerechtigung)
            m_meldung.zeige(Programmstart::berechtigungshinweis(m_z.sprache.versatz, port.geraet),
                            m_z.sprache.texte.at(137), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, -1, 137);
    }
    if (port.dateiBeschaedigt)
        // The file stays as it is; the user may mend it by hand.
        m_meldung.zeige(Texttabelle::text(m_z, 562).arg(QDir::toNativeSeparators(Pfade::einstellungsdatei())),
                        m_z.sprache.texte.at(137), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 562, 137);
    Programmstart::protokollnamenSetzen(m_z);
    emit anzeigeZuruecksetzen();
    if (m_port.isOpen())
        m_verbindung.sendeRoh(Telegramm::Startstring, &m_port);
    m_timer7->start();
}

void Anlaufsteuerung::startfensterBeantwortet(Wahl wahl)
{
    emit texteSetzen();
    // The protocol names follow the chosen language as well.
    Programmstart::protokollnamenSetzen(m_z);
    emit anzeigeZuruecksetzen();  // nothing can be identified before this point
    if (wahl == Wahl::Keine)
        return;
    Menuelage lage = m_lage;
    lage.betrieb = wahl == Wahl::Rs485 ? Menuelage::Betrieb::Rs485 : Menuelage::Betrieb::Modem;
    setLage(lage);
    emit betriebsbereit();
}

void Anlaufsteuerung::identifikationBeendet(bool erkannt)
{
    if (erkannt)
        emit auslesenAnbieten();
    else
        emit anzeigeZuruecksetzen();
}

void Anlaufsteuerung::auslesenFertig(const QString &datei)
{
    if (m_meldung.zeige(m_z, 162, 163, Meldung::Knoepfe::JaNein, Meldung::Symbol::Frage) == Meldung::Ja)
        emit bearbeiten(datei, m_z.sprache.texte.at(160));
    else
        emit panelsVerbergen();
}

void Anlaufsteuerung::auslesenFehlgeschlagen(int textnummer)
{
    if (textnummer == 154)
        emit schreibenAnbieten();
    else
        emit schreibpanelVerbergen();
}

void Anlaufsteuerung::setBusBelegt(bool belegt)
{
    Menuelage lage = m_lage;
    lage.busBelegt = belegt;
    setLage(lage);
}

void Anlaufsteuerung::setModem(Menuelage::Modem modem)
{
    Menuelage lage = m_lage;
    lage.modem = modem;
    setLage(lage);
}

void Anlaufsteuerung::setLage(const Menuelage &lage)
{
    m_lage = lage;
    emit freigabeGeaendert(freigabe());
}

void Anlaufsteuerung::sendeEndstring()
{
    if (m_port.isOpen())
        m_verbindung.sendeRoh(Telegramm::Endstring, &m_port);
}

void Anlaufsteuerung::beenden()
{
    m_schreiben(QStringLiteral("Übernehmen"));
    sendeEndstring();
}

void Anlaufsteuerung::schliessen()
{
    m_zwischenablage->stop();
    m_timer7->stop();
    sendeEndstring();
    m_schreiben(QStringLiteral("Übernehmen"));
}
