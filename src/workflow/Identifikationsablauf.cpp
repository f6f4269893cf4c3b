#include "workflow/Identifikationsablauf.h"

#include "base/Zustand.h"
#include "diag/Adressidentifikation.h"

Identifikationsablauf::Identifikationsablauf(Zustand &z, Verbindung &v, Meldung &meldung, QObject *parent)
    : QObject(parent), m_z(z), m_ident(new Adressidentifikation(z, v, meldung, this))
{
    connect(m_ident, &Adressidentifikation::scanBeendet, this, &Identifikationsablauf::scanEnde);
    connect(m_ident, &Adressidentifikation::einzelidentifikationBeendet, this, [this](bool ja) {
        if (m_art != Art::Einzeln)
            return;
        m_ergebnis.geantwortet = ja;
        if (!ja)
            einzelEnde();
    });
    connect(m_ident, &Adressidentifikation::versionGeprueft, this, [this](const QString &version, bool passt) {
        if (m_art != Art::Einzeln)
            return;
        m_ergebnis.versionDa = true;
        m_ergebnis.version = version;
        m_ergebnis.familieOk = passt;
    });
    connect(m_ident, &Adressidentifikation::schliessen, this, [this] {
        if (m_art == Art::Einzeln)
            einzelEnde();
    });
}

Identifikationsablauf::~Identifikationsablauf() = default;

bool Identifikationsablauf::imFenster(const std::function<void()> &fenster)
{
    if (laeuft())
        return false;
    m_z.terminal.identifiziert = false;
    fenster();
    if (!m_z.terminal.adresseBekannt)
        return false;
    m_z.terminal.identifiziert = true;
    return true;
}

bool Identifikationsablauf::scan()
{
    if (laeuft())
        return false;
    m_terminals.clear();
    m_art = Art::Scan;
    m_recht = m_ident->empfangNehmen();
    m_ident->laden();
    m_ident->scan();
    return true;
}

void Identifikationsablauf::scanEnde(bool ok)
{
    if (m_art != Art::Scan)
        return;
    m_recht.freigeben();
    m_art = Art::Keine;
    for (const QString &zeile : m_ident->liste()) {
        Terminal t;
        m_ident->zeileLesen(zeile, &t.adresse, &t.protokoll);
        if (t.adresse != 0)  // not the line that says nothing was found
            m_terminals.append(t);
    }
    emit scanBeendet(ok);
}

bool Identifikationsablauf::identifiziere(int adresse)
{
    if (laeuft())
        return false;
    m_ergebnis = Ergebnis();
    m_art = Art::Einzeln;
    m_recht = m_ident->empfangNehmen();
    m_ident->laden();
    m_ident->adressfeldVerlassen(QString::number(adresse));
    m_ident->ok();
    return true;
}

void Identifikationsablauf::einzelEnde()
{
    m_recht.freigeben();
    m_art = Art::Keine;
    m_ergebnis.adresse = m_z.terminal.adresse;
    m_ergebnis.protokoll = m_z.terminal.protokoll;
    m_ergebnis.bekannt = m_z.terminal.adresseBekannt;
    emit identifiziert();
}
