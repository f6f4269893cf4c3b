#include "diag/Protokollidentifikation.h"

#include "diag/Identhilfen.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"

namespace {
// Digits of a field as a number; an empty field is 0.
int zahl(const QString &text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok ? n : (text.trimmed().isEmpty() ? 0 : 256 * 256);
}
}  // namespace

Protokollidentifikation::Protokollidentifikation(Zustand &z, Verbindung &v, Meldung &meldung, QObject *parent)
    : Ablauf(z, v, &meldung, parent)
{
    taktAnlegen(1, Wache::Keine, true, [this] { startschritt(); });
    taktAnlegen(2, Wache::Abholen, true, [this] { versionAuswerten(); });
}

void Protokollidentifikation::laden()
{
    Texttabelle::ladeTexte(m_z, 344, 357);
    Texttabelle::ladeTexte(m_z, 196, 197);
    Texttabelle::ladeTexte(m_z, 388, 388);
    Texttabelle::ladeTexte(m_z, 880, 880);
    m_z.terminal.adresseBekannt = false;
    m_adressfeld = m_z.terminal.adresse > 0 ? QString::number(m_z.terminal.adresse) : QString();
    m_wahl = -1;
    m_version.clear();
    emit felderGeaendert();
    starteTakt(1, Startverzoegerung);
}

QString Protokollidentifikation::protokollname(int k) const
{
    return k >= 0 && k < Protokollwahlen ? m_z.sprache.protokollnamen.value(k) : QString();
}

bool Protokollidentifikation::protokollFrei(int k) const
{
    return protokollname(k).size() > 1;
}

void Protokollidentifikation::waehleProtokoll(int k)
{
    if (k < 0 || k >= Protokollwahlen)
        return;
    m_wahl = k;
    m_z.terminal.protokoll = qint16(k);
    emit felderGeaendert();
}

void Protokollidentifikation::startschritt()
{
    stoppeTakt(1);
    auto &d = m_z.bild.Daten;
    if (d[10] > 7)
        d[10] = 0;
    // The terminal's protocol as known before the file's choice is shown.
    const int protokollVorher = m_z.terminal.protokoll;
    waehleProtokoll(d[10]);
    m_neueAdresse = QString::number(d[8]);
    emit felderGeaendert();
    if (d[8] == m_z.terminal.adresse && d[10] == protokollVorher)
        return;
    const int antwort = zeige(354, 355, Meldung::Knoepfe::JaNein, Meldung::Symbol::Frage);
    if (antwort == Meldung::Ja)
        okAusfuehren(356, 357);
}

void Protokollidentifikation::adressfeldVerlassen(const QString &text)
{
    m_adressfeld = text;
    if (!text.trimmed().isEmpty() && zahl(text) > 255)
        m_adressfeld = QStringLiteral("1");
    emit felderGeaendert();
}

void Protokollidentifikation::neueAdresseVerlassen(const QString &text)
{
    const int n = zahl(text);
    m_neueAdresse = QString::number(n < 1 || n > 255 ? 1 : n);
    emit felderGeaendert();
}

void Protokollidentifikation::ok()
{
    okAusfuehren(350, 351);
}

void Protokollidentifikation::okAusfuehren(int textnummer, int titelnummer)
{
    if (taktLaeuft(2))
        return;  // an answer is awaited already
    if (m_adressfeld.trimmed().isEmpty()) {
        zeige(textnummer, titelnummer, Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen);
        emit adressfeldFokus();
        return;
    }
    // The fields are clamped as if they had been left.
    adressfeldVerlassen(m_adressfeld);
    neueAdresseVerlassen(m_neueAdresse);
    m_z.terminal.adresse = qint16(zahl(m_adressfeld));
    m_z.bild.Daten[8] = qint16(zahl(m_neueAdresse));
    m_z.bild.Daten[10] = m_z.terminal.protokoll;
    versionsanfrage();
}

void Protokollidentifikation::versionsanfrage()
{
    if (m_z.terminal.adresse > 255)
        return;
    m_empfang.leeren();
    if (!m_recht.haelt())
        m_recht = m_v.nimmStrom(m_empfang, Empfaenger::Vorrang::Identifikation);
    if (!m_v.sendeAnfrage(QByteArray("V"))) {
        m_recht.freigeben();
        return;
    }
    m_empfang.leeren();
    beginnen();
    emit versionAngefragt();
    starteTakt(2, Versionswartezeit);
}

void Protokollidentifikation::versionAuswerten()
{
    stoppeTakt(2);
    const QByteArray empfang = m_empfang.bytes();
    const QByteArray version = Identhilfen::version(empfang);
    if (version.size() < Identhilfen::Versionslaenge) {
        m_empfang.leeren();
        m_recht.freigeben();
        // Nothing but the request itself came back, and the interface has not
        // echoed: it may be missing or unpowered as well.
        const bool nichts = empfang.size() <= m_v.letzteAnfrage().size()
                            && m_v.echostand() != Verbindung::Echostand::Vorhanden;
        zeige(nichts ? 880 : 196, 197, Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen);
        emit versionGeprueft(false);
        abschliessen(Ende::Fehlschlag);
        return;
    }
    m_version = QString::fromLatin1(version);
    m_z.terminal.varianteM = version.at(10) == 'M';
    if (!Identhilfen::familiePasst(m_version, m_z.einstellungen.familienkennung)) {
        m_empfang.leeren();
        m_recht.freigeben();
        zeige(388, 197, Meldung::Knoepfe::Ok, Meldung::Symbol::Kritisch);
        emit versionGeprueft(false);
        abschliessen(Ende::Fehlschlag);
        emit schliessen(false);
        return;
    }
    m_recht.freigeben();
    m_z.terminal.protokollGewaehlt = true;
    m_z.terminal.version = m_version;
    emit versionAnzeigen(m_version);
    if (empfang.contains(Telegramm::Protokoll1Quittung)) {
        m_z.terminal.protokoll = 1;
        m_v.sendeRoh(Telegramm::Protokoll1Quittung, m_v.port());
        m_v.monitor(Telegramm::MonitorProtokoll1Quittung);
    } else {
        m_z.terminal.protokoll = 0;
        m_v.sendeRoh(Telegramm::Quittung, m_v.port());
        m_v.monitor(Telegramm::MonitorQuittung);
    }
    m_empfang.leeren();
    emit versionGeprueft(true);
    abschliessen(Ende::Erfolg);
    emit schliessen(true);
}

void Protokollidentifikation::abbrechen()
{
    abschliessen(Ende::Abbruch);
    emit schliessen(false);
}

void Protokollidentifikation::geschlossen()
{
    stoppeTakt(1);
    stoppeTakt(2);
    m_z.terminal.adresseBekannt = false;
    m_recht.freigeben();
    abschliessen(Ende::Abbruch);
}
