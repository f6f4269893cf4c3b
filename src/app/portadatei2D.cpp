#include "app/portadatei2D.h"

#include "app/Dateidialog.h"
#include "app/Displaytextseite.h"
#include "app/Kartenlistenseite.h"
#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "termfile/Dateiablauf.h"
#include "termfile/Terminaldatei.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
constexpr int Twips = 15;  // twips per pixel at 96 dpi
}  // namespace

portadatei2D::portadatei2D(Zustand &z, Meldung &m, QWidget *parent)
    : QDialog(parent), m_z(z), m_meldung(m)
{
    setObjectName(QStringLiteral("portadatei2D"));
    Texttabelle::ladeTexte(z, 244, 387);
    const auto text = [&z](int n) { return z.Texte.value(n); };

    auto *menue = new QMenuBar(this);
    menue->setObjectName(QStringLiteral("menubar"));
    QMenu *datei = menue->addMenu(text(244));
    datei->setObjectName(QStringLiteral("mnuFile"));
    QAction *speichernAktion = datei->addAction(text(245));
    speichernAktion->setObjectName(QStringLiteral("mnuSave"));
    QAction *alsAktion = datei->addAction(text(246));
    alsAktion->setObjectName(QStringLiteral("mnuSaveAs"));
    m_drucken = datei->addAction(text(273));
    m_drucken->setObjectName(QStringLiteral("mnuPrint"));
    QAction *allesDrucken = datei->addAction(text(248));
    allesDrucken->setObjectName(QStringLiteral("mnuPrintAll"));
    QAction *beenden = datei->addAction(text(249));
    beenden->setObjectName(QStringLiteral("mnuFileExit"));
    m_code = menue->addAction(text(269));
    m_code->setObjectName(QStringLiteral("mnuCode"));
    m_code->setEnabled(false);
    connect(speichernAktion, &QAction::triggered, this, [this] { speichern(); });
    connect(alsAktion, &QAction::triggered, this, &portadatei2D::speichernAls);
    connect(beenden, &QAction::triggered, this, &QWidget::close);

    auto *kopf = new QHBoxLayout;
    m_suchen1 = new QPushButton(text(270), this);
    m_suchen1->setObjectName(QStringLiteral("Suchen1"));
    m_suchen2 = new QPushButton(text(270), this);
    m_suchen2->setObjectName(QStringLiteral("Suchen2"));
    m_karten12000 = new QCheckBox(text(271), this);
    m_karten12000->setObjectName(QStringLiteral("Check12000"));
    for (QPushButton *b : {m_suchen1, m_suchen2})
        b->setAutoDefault(false);
    connect(m_suchen1, &QPushButton::clicked, this, [this] { m_u.Suchmodus = 1; });
    connect(m_suchen2, &QPushButton::clicked, this, [this] { m_u.Suchmodus = 2; });
    kopf->addWidget(m_karten12000);
    kopf->addStretch();
    kopf->addWidget(m_suchen1);
    kopf->addWidget(m_suchen2);

    m_grund = new Grundeinstellungsseite(m_z, m_meldung, this);
    m_berechtigungen = new Kartenlistenseite(m_z, m_meldung, m_u, 1, this);
    m_sperrlisten = new Kartenlistenseite(m_z, m_meldung, m_u, 3, this);
    m_display = new Displaytextseite(m_z, m_u, this);
    connect(m_grund, &Grundeinstellungsseite::listenGeaendert, this, &portadatei2D::baueListenNeu);
    connect(m_grund, &Grundeinstellungsseite::fokusAbgeben, this, &portadatei2D::fokusAufTabs);
    connect(m_grund, &Grundeinstellungsseite::angezeigt, this, &portadatei2D::kopfAnpassen);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->addTab(m_grund, text(250));
    m_tabs->addTab(m_berechtigungen, text(334));
    m_tabs->addTab(m_sperrlisten, text(335));
    m_tabs->addTab(m_display, text(336));
    connect(m_tabs, &QTabWidget::currentChanged, this, &portadatei2D::tabGewechselt);

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(menue);
    layout->addLayout(kopf);
    layout->addWidget(m_tabs);
    setGeometry(0, 300 / Twips, 12000 / Twips, 8200 / Twips);
    tabGewechselt(0);
    m_drucken->setText(text(273));
}

void portadatei2D::setPasswortabfrage(Passwortabfrage abfrage)
{
    m_grund->setPasswortabfrage(std::move(abfrage));
}

Listenmodell *portadatei2D::listenmodell(int liste) const
{
    return (liste <= 2 ? m_berechtigungen : m_sperrlisten)->modell(liste);
}

// --- Loading and showing -------------------------------------------------------

bool portadatei2D::oeffne(const QString &hauptdatei)
{
    const Dateiergebnis e = Terminaldatei::laden(m_z.bild, hauptdatei);
    if (!e.ok) {
        m_meldung.zeige(m_z.Texte.value(384) + QStringLiteral("\n\n") + e.meldung, m_z.Texte.value(385),
                        Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 384, 385);
        return false;
    }
    m_hauptdatei = hauptdatei;
    m_basis = Terminaldatei::basis(hauptdatei);
    m_grund->vergisOffeneBox();
    m_karten12000->setChecked(false);
    zeigeEinstellungen();
    baueListenNeu();
    zeigeDisplaytexte();
    m_tabs->setCurrentIndex(0);
    return true;
}

void portadatei2D::zeigeEinstellungen()
{
    m_grund->zeigeEinstellungen();  // then kopfAnpassen through angezeigt()
}

void portadatei2D::kopfAnpassen()
{
    const bool sonder = m_z.bild.istSondercode();
    m_suchen1->setVisible(sonder);
    m_karten12000->setVisible(sonder);
    m_suchen2->setVisible(!m_karten12000->isChecked());
}

void portadatei2D::baueListenNeu()
{
    m_z.bild.baueListen();
    m_berechtigungen->neuAufbauen();
    m_sperrlisten->neuAufbauen();
}

void portadatei2D::zeigeDisplaytexte()
{
    m_display->zeigeDisplaytexte();
}

void portadatei2D::fokusAufTabs()
{
    m_tabs->tabBar()->setFocus(Qt::OtherFocusReason);
}

void portadatei2D::tabGewechselt(int tab)
{
    static const int drucktexte[4] = {325, 326, 327, 328};
    if (tab >= 0 && tab < 4)
        m_drucken->setText(m_z.Texte.value(drucktexte[tab]));
    for (int i = 0; i < m_tabs->count(); ++i)
        m_tabs->widget(i)->setEnabled(i == tab);
}

// --- Saving and leaving --------------------------------------------------------------

int portadatei2D::seite() const
{
    return 1;  // standard mode knows page 1 only
}

bool portadatei2D::speichern()
{
    m_grund->uebernimmOffeneBox();
    const int s = seite();
    if (!Dateiablauf::speichern(m_z, m_meldung, m_basis, s))
        return false;
    m_hauptdatei = Terminaldatei::hauptdateiname(m_basis, s);
    emit hauptdateiGeaendert(m_hauptdatei);
    return true;
}

void portadatei2D::speichernAls()
{
    m_grund->uebernimmOffeneBox();
    QString ordner = m_z.Texte.value(314);
    if (!QDir(ordner).exists())
        ordner = QFileInfo(m_hauptdatei).absolutePath();
    const QString pfad = Dateidialog::speichern(this, m_z.Texte.value(313), m_z.Texte.value(312), ordner,
                                                m_z.Texte.value(311), QStringLiteral("S2D"),
                                                QStringLiteral("DateiSpeichernAls"));
    if (pfad.isEmpty())
        return;
    if (Dateiablauf::speichernUnter(m_z, m_meldung, pfad) != Dateiablauf::Ergebnis::Gespeichert)
        return;
    // Later saves go to the file the caption names.
    setWindowTitle(pfad);
    m_hauptdatei = pfad;
    m_basis = Terminaldatei::basis(pfad);
    emit hauptdateiGeaendert(m_hauptdatei);
}

void portadatei2D::closeEvent(QCloseEvent *event)
{
    m_grund->uebernimmOffeneBox();
    if (m_z.bild.Aenderungszaehler > 0
        && m_meldung.zeige(m_z, 275, 276, Meldung::Knoepfe::JaNein, Meldung::Symbol::Frage) == Meldung::Ja
        && !speichern()) {
        event->ignore();  // the changes could not be written: stay open
        return;
    }
    event->accept();
    QDialog::done(QDialog::Rejected);
}

void portadatei2D::reject()
{
    close();
}
