#include "workflow/Schreibablauf.h"

#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "link/Auslesen.h"
#include "link/Schreiben.h"
#include "link/Verbindung.h"
#include "link/Troublesuche.h"
#include "termfile/Dateiablauf.h"
#include "termfile/Dateivergleich.h"
#include "termfile/Sicherungsablage.h"
#include "workflow/Adresspruefung.h"

Schreibablauf::Schreibablauf(Zustand &z, Verbindung &v, Anmeldung &anmeldung, Meldung &meldung, QObject *parent)
    : QObject(parent), m_z(z), m_verbindung(v), m_meldung(meldung)
{
    m_schreiben = new Schreiben(z, v, anmeldung, meldung, this);
    m_trouble = new Troublesuche(z, v, meldung, m_schreiben, this);
    connect(m_schreiben, &Schreiben::gestartet, this, [this] { emit laeuftGeaendert(true); });
    connect(m_schreiben, &Schreiben::fehlgeschlagen, this, [this](int t) { m_letzterFehler = t; });
    connect(m_schreiben, &Schreiben::beendet, this, [this] {
        const int fehler = m_letzterFehler;
        m_letzterFehler = 0;
        emit schreibenBeendet(fehler);
        emit laeuftGeaendert(false);
    });
    connect(m_trouble, &Troublesuche::sanduhr, this, &Schreibablauf::sanduhr);
    connect(m_trouble, &Troublesuche::beendet, this, [this] { emit laeuftGeaendert(false); });
    connect(m_trouble, &Troublesuche::reparaturStarten, this, &Schreibablauf::schreibbefehl);
    m_adresspruefung = new Adresspruefung(z, v, meldung, this);
    connect(m_adresspruefung, &Adresspruefung::geprueft, this, &Schreibablauf::adresseGeprueft);
    m_auslesen = new Auslesen(z, v, anmeldung, meldung, this);
    connect(m_auslesen, &Auslesen::fertig, this, &Schreibablauf::gelesen);
    connect(m_auslesen, &Auslesen::fehlgeschlagen, this, [this](int n) { sicherungFehlgeschlagen(n, QString()); });
}

void Schreibablauf::setSicherung(Sicherungsablage *ablage, const QString &anlage)
{
    m_ablage = ablage;
    m_anlage = anlage;
}

bool Schreibablauf::schreibenLaeuft() const
{
    return m_auslesen->laeuft() || m_schreiben->laeuft();
}

// The read-out fills the image with the terminal's memory: the file's goes back.
void Schreibablauf::bildZurueck()
{
    std::copy(m_bild.begin(), m_bild.end(), m_z.bild.Daten.begin());
}

void Schreibablauf::sicherungFehlgeschlagen(int textnummer, const QString &grund)
{
    bildZurueck();
    // A refused login leaves the panel for another try, as the write's own does.
    if (textnummer != 154) {
        const QString t = grund.isEmpty() ? text(805) : text(805) + QStringLiteral("\n\n") + grund;
        m_meldung.zeige(t, text(194), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 805, 194);
    }
    emit schreibenBeendet(textnummer == 154 ? 154 : 805);
    emit laeuftGeaendert(false);
}

void Schreibablauf::gelesen()
{
    Terminaldatei::Speicherbytes terminal{};
    std::copy_n(m_z.bild.Daten.begin(), terminal.size(), terminal.begin());
    bildZurueck();
    // What the terminal will hold: the block as the write sends it.
    Terminaldatei::Speicherbytes block{};
    std::copy(m_bild.begin(), m_bild.end(), block.begin());
    block[12] = 0;
    block[13] = 15;
    const Dateivergleich vergleich =
        Dateivergleich::vergleiche(terminal, block, m_z.sprache.versatz, m_z.sprache.protokollnamen);
    // A backup names the file that replaced it: only a write that goes ahead stores one.
    if (m_vergleichsfrage && !m_vergleichsfrage(vergleich)) {
        emit schreibenBeendet(0);
        emit laeuftGeaendert(false);
        return;
    }
    Sicherungsablage::Eintrag kopf;
    kopf.adresse = m_z.terminal.adresse;
    kopf.protokoll = m_z.terminal.protokoll;
    kopf.version = m_z.terminal.version;
    kopf.zeit = QDateTime::currentDateTime();
    kopf.ersetztDurch = m_datei;
    if (const Dateiergebnis e = m_ablage->sichere(m_anlage, kopf, terminal, m_z.sprache.versatz); !e.ok) {
        sicherungFehlgeschlagen(805, e.meldung);
        return;
    }
    emit gesichert(kopf.hauptdatei());
    if (!m_schreiben->starte()) {
        m_meldung.zeige(text(193), text(194), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 193, 194);
        emit schreibenBeendet(193);
        emit laeuftGeaendert(false);
    }
}

QString Schreibablauf::text(int nummer) const
{
    return Texttabelle::text(m_z, nummer);
}

bool Schreibablauf::adresspruefungLaeuft() const
{
    return m_adresspruefung->laeuft();
}

bool Schreibablauf::schreibbefehl()
{
    if (m_schreiben->laeuft() || m_trouble->laeuft() || m_adresspruefung->laeuft())
        return false;
    const bool reparatur = m_schreiben->reparatur();
    // A repair that does not reach the write button must not leave the
    // receive routing in repair mode.
    const auto abbruch = [this, reparatur] {
        if (reparatur)
            m_schreiben->reparaturVerwerfen();
        emit nichtBereit();
        return false;
    };
    m_verbindung.ablage().leeren();
    emit befehlBegonnen();
    if (reparatur)
        m_z.terminal.identifiziert = true;
    if (!m_z.terminal.identifiziert &&
        m_meldung.zeige(text(144), text(145), Meldung::Knoepfe::JaNein, Meldung::Symbol::Frage, 144, 145) !=
            Meldung::Ja)
        return abbruch();

    const QString datei = m_dateiwahl ? m_dateiwahl(text(148), text(147), m_z.einstellungen.startverzeichnis, text(146)) : QString();
    if (datei.isEmpty())
        return abbruch();
    m_z.sitzung.ladenZumBearbeiten = false;
    Texttabelle::ladeTexte(m_z, 384, 385);  // the load routine's own message
    // A refused or unreadable file ends the command: the terminal never
    // gets an image that was not chosen.
    if (!Dateiablauf::ladeRoutine(m_z, m_meldung, datei).geladen)
        return abbruch();
    m_datei = datei;
    emit dateiGewaehlt(datei);

    if (!reparatur) {
        // The waiting terminal of a repair answers no version request; the
        // block goes out without address anyway.
        m_z.terminal.protokollGewaehlt = false;
        if (!m_protokollwahl || !m_protokollwahl())
            return abbruch();
        // The file gives the terminal another address: no other terminal
        // may answer there already.
        const int neueAdresse = m_z.bild.Daten[8];
        if (neueAdresse != m_z.terminal.adresse && m_adresspruefung->starte(neueAdresse)) {
            emit laeuftGeaendert(true);
            return true;
        }
    }
    m_z.terminal.protokollGewaehlt = false;
    m_z.sitzung.ladenZumBearbeiten = false;
    emit bereit(reparatur);
    return true;
}

void Schreibablauf::adresseGeprueft(bool frei)
{
    emit laeuftGeaendert(false);
    m_z.terminal.protokollGewaehlt = false;
    m_z.sitzung.ladenZumBearbeiten = false;
    if (!frei) {
        emit nichtBereit();
        return;
    }
    emit bereit(false);
}

bool Schreibablauf::schreibknopf()
{
    if (schreibenLaeuft())
        return false;
    m_letzterFehler = 0;
    if (m_schreiben->brauchtPasswort()) {
        m_z.terminal.passwort.clear();
        m_z.terminal.passwortOK = false;
        if (!m_passwortfrage || !m_passwortfrage())
            return false;
    }
    if (m_ablage && !m_schreiben->reparatur()) {
        std::copy_n(m_z.bild.Daten.begin(), m_bild.size(), m_bild.begin());
        if (m_auslesen->starte()) {
            emit laeuftGeaendert(true);
            emit sicherungBegonnen();
            return true;
        }
    } else if (m_schreiben->starte()) {
        return true;
    }
    m_meldung.zeige(text(193), text(194), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 193, 194);
    return false;
}

void Schreibablauf::abbrechen()
{
    if (m_auslesen->laeuft()) {
        m_auslesen->abbrechen();
        bildZurueck();
        emit schreibenBeendet(0);
        emit laeuftGeaendert(false);
        return;
    }
    // Ends through Schreiben::beendet: port at 19200, repair mode off.
    m_schreiben->abbrechen();
}

void Schreibablauf::troubleStarten()
{
    emit laeuftGeaendert(true);
    m_trouble->starte();
}
