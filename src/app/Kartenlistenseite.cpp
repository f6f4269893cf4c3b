#include "app/Kartenlistenseite.h"

#include "app/Datensp2D.h"
#include "app/Listengitter.h"
#include "app/Listenmodell.h"
#include "base/Zustand.h"
#include "termfile/Uebergabe.h"

#include <QHBoxLayout>

namespace {
constexpr int Twips = 15;  // twips per pixel at 96 dpi
// Comment column widening per grid.
constexpr int Verbreiterung[4] = {54, 57, 57, 56};
}  // namespace

Kartenlistenseite::Kartenlistenseite(Zustand &z, Meldung &m, Uebergabe &u, int ersteListe, QWidget *parent)
    : QWidget(parent), m_z(z), m_meldung(m), m_u(u), m_ersteListe(ersteListe)
{
    setObjectName(ersteListe == 1 ? QStringLiteral("TabBerechtigungen") : QStringLiteral("TabSperrlisten"));
    auto *l = new QHBoxLayout(this);
    for (int i = 0; i < 2; ++i) {
        const int liste = ersteListe + i;
        auto *modell = new Listenmodell(m_z.bild, liste, Verbreiterung[liste - 1], this);
        modell->setTexte(m_z.Texte.value(329 + liste), m_z.Texte.value(329));
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

void Kartenlistenseite::eintragBearbeiten(int liste, int zeile, int spalte)
{
    Listenmodell *modell = this->modell(liste);
    Listengitter *gitter = this->gitter(liste);
    const int k = modell->eintragsnummer(zeile);
    if (modell->leer() || k < 0)
        return;
    gitter->setCurrentIndex(modell->index(zeile, spalte));
    gitter->setBearbeitung(true);
    m_u.Eintragsnummer = qint16(k);
    Datensp2D dialog(m_z, m_meldung, m_u, window());
    dialog.move(window()->mapToGlobal(QPoint(5750 / Twips, 3000 / Twips)));
    dialog.exec();
    gitter->setBearbeitung(false);
    if (m_u.Dialogergebnis != 0) {
        m_z.bild.schreibeEintragZurueck(k);
        modell->zeileNeuZeichnen(zeile);
        modell->markiereGeaendert(zeile, spalte);
    }
}
