#include "app/Kartenlistenseite.h"
#include "app/Tasten.h"

#include "app/Kartendatendialog.h"
#include "app/Listengitter.h"
#include "app/Listenmodell.h"
#include "app/Kundendatendialog.h"
#include "app/Kartendialog.h"
#include "app/Systemnummerdialog.h"
#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "termfile/Kartenregeln.h"
#include "termfile/Dateiablauf.h"
#include "termfile/Terminaldatei.h"
#include "termfile/Uebergabe.h"

#include <QHBoxLayout>

namespace {
// Comment column widening per grid.
constexpr int Verbreiterung[4] = {54, 57, 57, 56};
}  // namespace

Kartenlistenseite::Kartenlistenseite(Zustand &z, Meldung &m, Uebergabe &u, int ersteListe, QWidget *parent)
    : QWidget(parent), m_z(z), m_meldung(m), m_u(u), m_ersteListe(ersteListe)
{
    setObjectName(ersteListe == 1 ? QStringLiteral("TabBerechtigungen") : QStringLiteral("TabSperrlisten"));
    Texttabelle::ladeTexte(z, 390, 422);
    const Kartenregeln::Zeilentexte kartentexte{z.sprache.texte.value(390), z.sprache.texte.value(391), z.sprache.texte.value(392),
                                                z.sprache.texte.value(393)};
    auto *l = new QHBoxLayout(this);
    for (int i = 0; i < 2; ++i) {
        const int liste = ersteListe + i;
        auto *modell = new Listenmodell(m_z.bild, liste, Verbreiterung[liste - 1], this);
        modell->setTexte(m_z.sprache.texte.value(329 + liste), m_z.sprache.texte.value(329));
        modell->setKartentexte(kartentexte, m_z.sprache.texte.value(394));
        auto *gitter = new Listengitter(this);
        gitter->setObjectName(QStringLiteral("Mgd%1").arg(liste));
        gitter->setModell(modell);
        m_modelle[i] = modell;
        m_gitter[i] = gitter;
        connect(gitter, &Listengitter::bearbeiten, this,
                [this, liste](int zeile, int spalte) { eintragBearbeiten(liste, zeile, spalte); });
        connect(gitter, &Listengitter::zelleBetreten, this, [this](int g) { m_u.Gruppenanfang = qint16(g); });
        l->addWidget(gitter);
    }
}

Listenmodell *Kartenlistenseite::modell(int liste) const
{
    const int i = liste - m_ersteListe;
    return i == 0 || i == 1 ? m_modelle[i] : nullptr;
}

Listengitter *Kartenlistenseite::gitter(int liste) const
{
    const int i = liste - m_ersteListe;
    return i == 0 || i == 1 ? m_gitter[i] : nullptr;
}

void Kartenlistenseite::neuAufbauen()
{
    for (Listenmodell *modell : m_modelle)
        modell->neuAufbauen();
}

void Kartenlistenseite::setSeite(int seite, bool seitenansicht, const QString &basis)
{
    m_seite = seite;
    m_seitenansicht = seitenansicht;
    m_basis = basis;
    for (int i = 0; i < 2; ++i)
        m_modelle[i]->setSeite(seite, seitenansicht && m_ersteListe + i == 1);
}

void Kartenlistenseite::eintragBearbeiten(int liste, int zeile, int spalte)
{
    Listenmodell *modell = this->modell(liste);
    Listengitter *gitter = this->gitter(liste);
    if (modell->kartengitter()) {
        if (zeile == Kartenregeln::Systemzeile)
            systemnummerBearbeiten(modell);
        else if (modell->karte(zeile) >= 0)
            karteBearbeiten(modell, gitter, zeile);
        return;
    }
    const int k = modell->eintragsnummer(zeile);
    if (modell->leer() || k < 0)
        return;
    gitter->setCurrentIndex(modell->index(zeile, spalte));
    gitter->setBearbeitung(true);
    m_u.Eintragsnummer = qint16(k);
    Kartendatendialog dialog(m_z, m_meldung, m_u, window());
    dialog.move(window()->mapToGlobal(QPoint(5750 / Tasten::Twips, 3000 / Tasten::Twips)));
    dialog.exec();
    gitter->setBearbeitung(false);
    if (m_u.Dialogergebnis != 0) {
        m_z.bild.schreibeEintragZurueck(k);
        modell->zeileNeuZeichnen(zeile);
        modell->markiereGeaendert(zeile, spalte);
    }
}

void Kartenlistenseite::systemnummerBearbeiten(Listenmodell *modell)
{
    m_u.Systemnummer = qint16(m_z.bild.systemnummer());
    Systemnummerdialog dialog(m_z, m_meldung, m_u, window());
    dialog.exec();
    if (m_u.Dialogergebnis != 0)
        modell->markiereAngenommen(Kartenregeln::Systemzeile, Kartenregeln::Systemzeile);
}

void Kartenlistenseite::karteBearbeiten(Listenmodell *modell, Listengitter *gitter, int zeile)
{
    const int karte = modell->karte(zeile);
    // The group runs from the anchor (the row entered without Shift) to
    // this card; without a group both are this card.
    const int anker = modell->karte(gitter->anker());
    m_u.Eintragsnummer = qint16(karte);
    m_u.Gruppenanfang = qint16(anker >= 0 ? anker : karte);
    const Kartenregeln::Bereich bereich = Kartenregeln::bereich(m_u);
    if (gitter->currentIndex().row() != zeile)
        gitter->setCurrentIndex(modell->index(zeile, 0));
    gitter->setBearbeitung(true);
    const QPoint ort = window()->mapToGlobal(QPoint(5750 / Tasten::Twips, 3000 / Tasten::Twips));
    if (modell->seitenansicht()) {
        // Someone may have changed the customer files meanwhile.
        Terminaldatei::ladeSeitendateien(m_z.bild, m_basis, m_seite);
        modell->zeileNeuZeichnen(zeile);
        Kundendatendialog dialog(m_z, m_u, m_seite, window());
        dialog.move(ort);
        dialog.exec();
    } else {
        Kartendialog dialog(m_z, m_meldung, m_u, m_seite, window());
        dialog.move(ort);
        dialog.exec();
    }
    gitter->setBearbeitung(false);
    const bool angenommen = m_u.Dialogergebnis != 0;
    if (!angenommen) {
        // Cancelled: the image and the arrays are as they were, and so are
        // the page's files.
        modell->zeileNeuZeichnen(zeile);
        return;
    }
    gitter->setAnker(zeile);
    modell->markiereAngenommen(bereich.von + Kartenregeln::ErsteKartenzeile,
                               bereich.bis + Kartenregeln::ErsteKartenzeile);
    // The page's files are written at once, so that the next edit, which
    // reads them again first, does not lose the change. A customer file that
    // loading discarded is only written over after the question (a copy of
    // it is kept).
    if ((modell->seitenansicht() || m_seite > 1)
        && Dateiablauf::verworfeneErsetzen(m_z, m_meldung,
                                           Terminaldatei::kundendatenteile(m_z.bild, m_basis, m_seite))) {
        const Dateiergebnis e = Terminaldatei::speichereKundendaten(m_z.bild, m_basis, m_seite, m_z.sprache.versatz);
        if (!e.ok) {
            m_meldung.zeige(Texttabelle::text(m_z, 315) + QStringLiteral("\n\n") + e.meldung,
                            Texttabelle::text(m_z, 316), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 315, 316);
        }
    }
}
