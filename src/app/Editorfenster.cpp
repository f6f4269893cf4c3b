#include "app/Editorfenster.h"
#include "app/Tasten.h"

#include "app/Dateidialog.h"
#include "app/Displaytextseite.h"
#include "app/Kartenlistenseite.h"
#include "app/Listengitter.h"
#include "app/Listenmodell.h"
#include "app/Passwortdialog.h"
#include "app/Suchdialog.h"
#include "app/Vergleichsdialog.h"
#include "link/Anmeldung.h"
#include "link/Auslesen.h"
#include "termfile/Dateivergleich.h"
#include "termfile/Kartenregeln.h"
#include "workflow/Ausleseablauf.h"
#include "base/Dateiersatz.h"
#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "termfile/Dateiablauf.h"
#include "termfile/Drucklayout.h"
#include "termfile/Listenaustausch.h"
#include "termfile/Terminaldatei.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace {
}  // namespace

Editorfenster::Editorfenster(Zustand &z, Meldung &m, QWidget *parent)
    : QDialog(parent), m_z(z), m_meldung(m), m_druck(z, m, this)
{
    setObjectName(QStringLiteral("portadatei2D"));
    Texttabelle::ladeTexte(z, 244, 387);
    Texttabelle::ladeTexte(z, 388, 422);
    const auto text = [&z](int n) { return z.sprache.texte.value(n); };

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
    QAction *ansicht = datei->addAction(Texttabelle::text(z, 430));
    ansicht->setObjectName(QStringLiteral("mnuPreview"));
    QAction *pdf = datei->addAction(Texttabelle::text(z, 431));
    pdf->setObjectName(QStringLiteral("mnuExportPdf"));
    connect(m_drucken, &QAction::triggered, this, &Editorfenster::druckeTeil);
    connect(allesDrucken, &QAction::triggered, this, &Editorfenster::druckeAlles);
    connect(ansicht, &QAction::triggered, this, &Editorfenster::druckvorschau);
    connect(pdf, &QAction::triggered, this, &Editorfenster::alsPdfExportieren);
    datei->addSeparator();
    QAction *exportieren = datei->addAction(text(415));
    exportieren->setObjectName(QStringLiteral("mnuCsvExport"));
    QAction *importieren = datei->addAction(text(416));
    importieren->setObjectName(QStringLiteral("mnuCsvImport"));
    connect(exportieren, &QAction::triggered, this, &Editorfenster::listenExportieren);
    connect(importieren, &QAction::triggered, this, &Editorfenster::listenImportieren);
    datei->addSeparator();
    m_vergleichTerminal = datei->addAction(Texttabelle::text(z, 849));
    m_vergleichTerminal->setObjectName(QStringLiteral("mnuVergleichTerminal"));
    m_vergleichTerminal->setEnabled(false);
    QAction *vergleichDatei = datei->addAction(Texttabelle::text(z, 850));
    vergleichDatei->setObjectName(QStringLiteral("mnuVergleichDatei"));
    connect(m_vergleichTerminal, &QAction::triggered, this, &Editorfenster::mitTerminalVergleichen);
    connect(vergleichDatei, &QAction::triggered, this, &Editorfenster::mitDateiVergleichen);
    datei->addSeparator();
    QAction *beenden = datei->addAction(text(249));
    beenden->setObjectName(QStringLiteral("mnuFileExit"));
    m_code = menue->addAction(text(269));
    m_code->setObjectName(QStringLiteral("mnuCode"));
    m_code->setEnabled(false);
    connect(speichernAktion, &QAction::triggered, this, [this] { speichern(); });
    connect(alsAktion, &QAction::triggered, this, &Editorfenster::speichernAls);
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
    connect(m_suchen1, &QPushButton::clicked, this, [this] { suchen(1); });
    connect(m_suchen2, &QPushButton::clicked, this, [this] { suchen(2); });
    connect(m_karten12000, &QCheckBox::clicked, this, &Editorfenster::karten12000);
    kopf->addWidget(m_karten12000);
    m_seitenwahl = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        m_seitenoption[i] = new QRadioButton(text(398 + i), this);
        m_seitenoption[i]->setObjectName(QStringLiteral("OptionSeite%1").arg(i + 1));
        m_seitenoption[i]->hide();
        m_seitenwahl->addButton(m_seitenoption[i], i + 1);
        kopf->addWidget(m_seitenoption[i]);
    }
    connect(m_seitenwahl, &QButtonGroup::idClicked, this, [this](int seite) { seiteWaehlen(seite); });
    kopf->addStretch();
    kopf->addWidget(m_suchen1);
    kopf->addWidget(m_suchen2);

    m_grund = new Grundeinstellungsseite(m_z, m_meldung, this);
    m_berechtigungen = new Kartenlistenseite(m_z, m_meldung, m_u, 1, this);
    m_sperrlisten = new Kartenlistenseite(m_z, m_meldung, m_u, 3, this);
    m_display = new Displaytextseite(m_z, m_u, this);
    connect(m_grund, &Grundeinstellungsseite::listenGeaendert, this, &Editorfenster::baueListenNeu);
    connect(m_grund, &Grundeinstellungsseite::fokusAbgeben, this, &Editorfenster::fokusAufTabs);
    connect(m_grund, &Grundeinstellungsseite::angezeigt, this, &Editorfenster::kopfAnpassen);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->addTab(m_grund, text(250));
    m_tabs->addTab(m_berechtigungen, text(334));
    m_tabs->addTab(m_sperrlisten, text(335));
    m_tabs->addTab(m_display, text(336));
    connect(m_tabs, &QTabWidget::currentChanged, this, &Editorfenster::tabGewechselt);

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(menue);
    layout->addLayout(kopf);
    layout->addWidget(m_tabs);
    setGeometry(0, 300 / Tasten::Twips, 12000 / Tasten::Twips, 8200 / Tasten::Twips);
    tabGewechselt(0);
    m_drucken->setText(text(273));
}

Editorfenster::~Editorfenster()
{
    // A read-out still running for a comparison gives the editor's memory back.
    if (m_auslese && m_auslese->laeuft()) {
        m_auslese->auslesen().abbrechen();
        terminalVergleichEnde();
    }
}

void Editorfenster::setTerminalzugang(Verbindung *v, Anmeldung *anmeldung)
{
    m_verbindung = v;
    m_anmeldung = anmeldung;
    m_vergleichTerminal->setEnabled(v && anmeldung);
}

Terminaldatei::Speicherbytes Editorfenster::eigenerSpeicher() const
{
    Terminaldatei::Speicherbytes b{};
    std::copy_n(m_z.bild.Daten.begin(), b.size(), b.begin());
    return b;
}

void Editorfenster::zeigeUnterschiede(const Terminaldatei::Speicherbytes &anderer, const QString &kopf)
{
    const Dateivergleich v =
        Dateivergleich::vergleiche(anderer, eigenerSpeicher(), m_z.sprache.versatz, m_z.sprache.protokollnamen);
    // A list slot k is grid row k + 1 (slots count from 1); card c is row c + 3.
    for (int liste = 1; liste <= 4; ++liste) {
        Listenmodell *modell = listenmodell(liste);
        QSet<int> zeilen;
        for (const Dateivergleich::Wert &w : v.listen[size_t(liste - 1)])
            zeilen.insert(modell->kartengitter() ? w.name.toInt() + Kartenregeln::ErsteKartenzeile : w.name.toInt() + 1);
        modell->setUnterschiede(zeilen);
    }
    Vergleichsdialog d(m_z, v, Vergleichsdialog::Art::Anzeige, kopf, this);
    d.exec();
}

void Editorfenster::mitDateiVergleichen()
{
    m_grund->uebernimmOffeneBox();
    const QString filter = Texttabelle::text(m_z, 141).section(QLatin1Char('|'), 0, 1);
    const QString pfad = Dateidialog::oeffnen(this, Texttabelle::text(m_z, 850), filter, QFileInfo(m_hauptdatei).absolutePath(),
                                              QString(), QStringLiteral("DateiVergleich"));
    if (pfad.isEmpty())
        return;
    Terminaldatei::Speicherbytes anderer{};
    Dateiergebnis e;
    if (!pfad.endsWith(QStringLiteral(".S2D"), Qt::CaseInsensitive))
        e = Dateiergebnis::fehler(Texttabelle::text(m_z, 176) + QStringLiteral(" (.S2D)"));
    else
        e = Terminaldatei::leseHauptdatei(pfad, anderer, m_z.sprache.versatz);
    if (!e.ok) {
        m_meldung.zeige(Texttabelle::text(m_z, 866).arg(QDir::toNativeSeparators(pfad) + QStringLiteral("\n") + e.meldung),
                        Texttabelle::text(m_z, 850), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 866, 850);
        return;
    }
    zeigeUnterschiede(anderer, Texttabelle::text(m_z, 852).arg(QDir::toNativeSeparators(pfad),
                                                               QDir::toNativeSeparators(m_hauptdatei)));
}

void Editorfenster::mitTerminalVergleichen()
{
    if (!m_verbindung || !m_anmeldung)
        return;
    if (!m_z.terminal.identifiziert) {
        m_meldung.zeige(Texttabelle::text(m_z, 853), Texttabelle::text(m_z, 849), Meldung::Knoepfe::Ok,
                        Meldung::Symbol::Ausrufezeichen, 853, 849);
        return;
    }
    if (m_auslese && m_auslese->laeuft())
        return;
    m_grund->uebernimmOffeneBox();
    if (!m_auslese) {
        m_auslese = new Ausleseablauf(m_z, *m_verbindung, *m_anmeldung, m_meldung, this);
        m_auslese->setPasswortfrage([this] {
            Passwortdialog d(m_z, m_meldung, &m_anmeldung->timer1(), this);
            d.exec();
            return m_z.terminal.passwortOK;
        });
        connect(m_auslese, &Ausleseablauf::fertig, this, &Editorfenster::terminalGelesen);
        connect(m_auslese, &Ausleseablauf::fehlgeschlagen, this, &Editorfenster::terminalVergleichEnde);
    }
    // The read-out leaves its file set in a folder of its own and the terminal's memory in the image:
    // the editor's file and memory stay untouched.
    m_ablage = std::make_unique<QTemporaryDir>();
    m_auslese->setZieldatei(m_ablage->filePath(QStringLiteral("PORTAVO.S2D")));
    m_gerettet = m_z.bild.Daten;
    if (m_auslese->starte() == Ausleseablauf::Start::Gestartet) {
        setEnabled(false);  // nothing is edited while the image holds the terminal's memory
        return;
    }
    terminalVergleichEnde();
    if (m_z.terminal.passwortOK)  // sent nothing: the port is gone
        m_meldung.zeige(Texttabelle::text(m_z, 193), Texttabelle::text(m_z, 849), Meldung::Knoepfe::Ok,
                        Meldung::Symbol::Ausrufezeichen, 193, 849);
}

void Editorfenster::terminalVergleichEnde()
{
    m_z.bild.Daten = m_gerettet;
    m_ablage.reset();
    setEnabled(true);
}

void Editorfenster::terminalGelesen()
{
    const Terminaldatei::Speicherbytes terminal = eigenerSpeicher();
    terminalVergleichEnde();
    zeigeUnterschiede(terminal, Texttabelle::text(m_z, 851).arg(m_z.terminal.adresse).arg(QDir::toNativeSeparators(m_hauptdatei)));
}

void Editorfenster::setPasswortabfrage(Passwortabfrage abfrage)
{
    m_grund->setPasswortabfrage(std::move(abfrage));
}

Listenmodell *Editorfenster::listenmodell(int liste) const
{
    return (liste <= 2 ? m_berechtigungen : m_sperrlisten)->modell(liste);
}

// --- Loading and showing -------------------------------------------------------

bool Editorfenster::oeffne(const QString &hauptdatei)
{
    const Dateiergebnis e = Terminaldatei::laden(m_z.bild, hauptdatei);
    if (!e.ok) {
        m_meldung.zeige(m_z.sprache.texte.value(384) + QStringLiteral("\n\n") + e.meldung, m_z.sprache.texte.value(385),
                        Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 384, 385);
        return false;
    }
    m_hauptdatei = hauptdatei;
    m_basis = Terminaldatei::basis(hauptdatei);
    // Save writes the page that is open, so an .S3D stays page 2.
    m_seite = m_z.bild.istSondercode() ? Terminaldatei::seiteVonHauptdatei(hauptdatei) : 1;
    // The page's names and customer data, so that whatever writes the
    // page's files (a card change, a CSV import) writes what is on disk.
    if (m_z.bild.istSondercode())
        Terminaldatei::ladeSeitendateien(m_z.bild, m_basis, m_seite, Terminaldatei::Ablage::NurLesen);
    m_grund->vergisOffeneBox();
    m_karten12000->setChecked(false);
    m_seitenansicht = false;
    setzeSeitenwahl(0);
    for (QRadioButton *o : m_seitenoption)
        o->hide();
    m_grund->setNurProtokoll(false);
    for (int i = 0; i < m_tabs->count(); ++i)
        m_tabs->setTabVisible(i, true);
    // A second or third page names itself on the tab as in the page view.
    const bool andereSeite = m_z.bild.istSondercode() && m_seite > 1;
    m_tabs->setTabText(1, m_z.sprache.texte.value(andereSeite ? 394 + m_seite : 334));
    m_berechtigungen->gitter(2)->show();
    allesAnzeigen();
    m_tabs->setCurrentIndex(0);
    return true;
}

void Editorfenster::allesAnzeigen()
{
    zeigeEinstellungen();
    m_berechtigungen->setSeite(m_seite, m_seitenansicht, m_basis);
    m_sperrlisten->setSeite(m_seite, false, m_basis);
    baueListenNeu();
    zeigeDisplaytexte();
}

void Editorfenster::zeigeEinstellungen()
{
    m_grund->zeigeEinstellungen();  // then kopfAnpassen through angezeigt()
}

void Editorfenster::kopfAnpassen()
{
    m_karten12000->setVisible(m_z.bild.istSondercode());
    // While the page options wait for a choice no grid is on show.
    const bool seitenwahl = m_karten12000->isChecked() && !m_seitenansicht;
    for (int knopf = 1; knopf <= 2; ++knopf) {
        QPushButton *b = knopf == 1 ? m_suchen1 : m_suchen2;
        const int liste = suchliste(knopf);
        const Listenmodell *m = listenmodell(liste);
        // The page view shows grid 1 alone.
        const bool sichtbar = !seitenwahl && m->durchsuchbar() && !(m_seitenansicht && liste != 1);
        b->setText(Texttabelle::text(m_z, 691).arg(m->gittername()));
        b->setVisible(sichtbar);
    }
}

int Editorfenster::suchliste(int knopf) const
{
    // The two grids of the card-list tab on show; from any other tab the
    // authorizations, whose tab the search then brings up.
    const int erste = m_tabs && m_tabs->currentIndex() == 2 ? 3 : 1;
    return erste + (knopf == 2 ? 1 : 0);
}

// --- Special-code pages --------------------------------------------------------------

void Editorfenster::setzeSeitenwahl(int seite)
{
    m_seitenwahl->setExclusive(false);
    for (int i = 0; i < 3; ++i)
        m_seitenoption[i]->setChecked(i + 1 == seite);
    m_seitenwahl->setExclusive(true);
}

bool Editorfenster::aenderungenSichern()
{
    m_grund->uebernimmOffeneBox();
    if (m_z.bild.Aenderungszaehler > 0
        && m_meldung.zeige(m_z, 275, 276, Meldung::Knoepfe::JaNein, Meldung::Symbol::Frage) == Meldung::Ja)
        return speichern();
    return true;
}

void Editorfenster::karten12000(bool an)
{
    if (an) {
        m_grund->setNurProtokoll(true);
        for (int i = 1; i < m_tabs->count(); ++i)
            m_tabs->setTabVisible(i, false);
        m_tabs->setCurrentIndex(0);
        for (QRadioButton *o : m_seitenoption)
            o->show();
        setzeSeitenwahl(0);
        kopfAnpassen();
        return;
    }
    // Back to the standard layout; the terminal file is read again, so
    // unsaved changes are offered for saving first.
    if (!aenderungenSichern()) {
        m_karten12000->setChecked(true);
        return;
    }
    const QString datei = m_hauptdatei;
    if (!oeffne(datei))
        return;
}

bool Editorfenster::seiteWaehlen(int seite)
{
    if (seite < 1 || seite > 3)
        return false;
    const int vorher = m_seitenansicht ? m_seite : 0;
    if (!aenderungenSichern()) {
        setzeSeitenwahl(vorher);
        return false;
    }
    // A page that cannot be made or loaded: said with the reason, the page choice stays.
    const auto verweigert = [&](int text, const QString &grund) {
        m_meldung.zeige(m_z.sprache.texte.value(text) + QStringLiteral("\n\n") + grund, m_z.sprache.texte.value(text + 1),
                        Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, text, text + 1);
        setzeSeitenwahl(vorher);
        return false;
    };
    QString datei = Terminaldatei::vorhandeneDatei(Terminaldatei::hauptdateiname(m_basis, seite));
    if (!QFileInfo::exists(datei)) {
        // A page the terminal file does not have yet: made from this page.
        if (m_meldung.zeige(m_z, 414, 690, Meldung::Knoepfe::JaNein, Meldung::Symbol::Frage) != Meldung::Ja) {
            setzeSeitenwahl(vorher);
            return false;
        }
        const Dateiergebnis e = Terminaldatei::legeSeiteAn(m_z.bild, m_basis, seite);
        if (!e.ok)
            return verweigert(315, e.meldung);
    }
    const Dateiergebnis e = Terminaldatei::ladeSeite(m_z.bild, m_basis, seite);
    if (!e.ok)
        return verweigert(384, e.meldung);
    m_seite = seite;
    m_seitenansicht = true;
    m_hauptdatei = datei;
    setWindowTitle(m_hauptdatei);  // the caption names the page Save writes
    setzeSeitenwahl(seite);
    emit hauptdateiGeaendert(m_hauptdatei);
    zeigeSeite();
    return true;
}

void Editorfenster::zeigeSeite()
{
    m_grund->vergisOffeneBox();
    allesAnzeigen();
    m_tabs->setTabText(1, m_z.sprache.texte.value(394 + m_seite));
    m_tabs->setTabVisible(1, true);
    m_berechtigungen->gitter(2)->hide();
    m_tabs->setCurrentIndex(1);
}

void Editorfenster::suchen(int knopf)
{
    const int liste = suchliste(knopf);
    m_u.Suchmodus = qint16(liste);
    const int tab = liste <= 2 ? 1 : 2;
    Listengitter *gitter = (tab == 1 ? m_berechtigungen : m_sperrlisten)->gitter(liste);
    if (m_tabs->currentIndex() != tab)
        m_tabs->setCurrentIndex(tab);
    Suchdialog dialog(m_z, m_meldung, gitter, this);
    dialog.setWindowTitle((knopf == 1 ? m_suchen1 : m_suchen2)->text());
    dialog.exec();
}

// --- CSV ----------------------------------------------------------------------------------

void Editorfenster::listenExportieren()
{
    m_grund->uebernimmOffeneBox();
    const QString pfad = Dateidialog::speichern(this, m_z.sprache.texte.value(418), m_z.sprache.texte.value(417),
                                                QFileInfo(m_hauptdatei).absolutePath(),
                                                QFileInfo(m_basis).fileName() + QStringLiteral(".csv"),
                                                QStringLiteral("csv"), QStringLiteral("DateiCsvExport"));
    if (pfad.isEmpty())
        return;
    if (QFileInfo::exists(pfad)) {
        const QString frage = m_z.sprache.texte.value(386) + pfad + m_z.sprache.texte.value(387);
        if (m_meldung.zeige(frage, m_z.sprache.texte.value(324), Meldung::Knoepfe::JaNein, Meldung::Symbol::Frage, 386, 324)
            != Meldung::Ja)
            return;
    }
    QString grund;
    if (!Dateiersatz::ersetze(pfad, Listenaustausch::exportieren(m_z.bild, m_seite), &grund)) {
        m_meldung.zeige(m_z.sprache.texte.value(422) + QStringLiteral("\n\n") + grund, m_z.sprache.texte.value(406),
                        Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 422, 406);
    }
}

void Editorfenster::listenImportieren()
{
    m_grund->uebernimmOffeneBox();
    const QString pfad = Dateidialog::oeffnen(this, m_z.sprache.texte.value(419), m_z.sprache.texte.value(417),
                                              QFileInfo(m_hauptdatei).absolutePath(), QString(),
                                              QStringLiteral("DateiCsvImport"));
    if (pfad.isEmpty())
        return;
    const auto melde = [this](int nummer, const QString &grund) {
        m_meldung.zeige(m_z.sprache.texte.value(nummer) + QStringLiteral("\n\n") + grund, m_z.sprache.texte.value(406),
                        Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, nummer, 406);
    };
    QByteArray csv;
    const Dateiergebnis gelesen = Listenaustausch::leseCsv(pfad, csv, m_z.sprache.versatz);
    if (!gelesen.ok) {
        melde(420, gelesen.meldung);
        return;
    }
    // Checked on a copy: a refused file leaves the image as it was.
    Datenbild neu = m_z.bild;
    const Listenaustausch::Ergebnis e = Listenaustausch::uebernehmen(neu, m_seite, csv, m_z.sprache.versatz);
    if (!e.ok) {
        melde(420, e.meldung);
        return;
    }
    if (!Dateiablauf::verworfeneErsetzen(m_z, m_meldung, Listenaustausch::satzteile(neu, m_basis, m_seite)))
        return;
    const Dateiergebnis gespeichert = Listenaustausch::speichereSatz(neu, m_basis, m_seite, m_z.sprache.versatz);
    if (!gespeichert.ok) {
        melde(420, gespeichert.meldung);
        return;
    }
    m_z.bild = neu;
    allesAnzeigen();
    m_z.bild.Aenderungszaehler = 0;
    m_meldung.zeige(m_z, 421, 406, Meldung::Knoepfe::Ok, Meldung::Symbol::Information);
}

void Editorfenster::baueListenNeu()
{
    m_z.bild.baueListen();
    m_berechtigungen->neuAufbauen();
    m_sperrlisten->neuAufbauen();
    kopfAnpassen();
}

void Editorfenster::zeigeDisplaytexte()
{
    m_display->zeigeDisplaytexte();
}

void Editorfenster::fokusAufTabs()
{
    m_tabs->tabBar()->setFocus(Qt::OtherFocusReason);
}

void Editorfenster::tabGewechselt(int tab)
{
    static const int drucktexte[4] = {325, 326, 327, 328};
    if (tab >= 0 && tab < 4)
        m_drucken->setText(m_z.sprache.texte.value(drucktexte[tab]));
    for (int i = 0; i < m_tabs->count(); ++i)
        m_tabs->widget(i)->setEnabled(i == tab);
    kopfAnpassen();
}

// --- Saving and leaving --------------------------------------------------------------

bool Editorfenster::speichern()
{
    m_grund->uebernimmOffeneBox();
    const int s = m_seite;
    if (!Dateiablauf::speichern(m_z, m_meldung, m_basis, s))
        return false;
    m_hauptdatei = Terminaldatei::vorhandeneDatei(Terminaldatei::hauptdateiname(m_basis, s));
    emit hauptdateiGeaendert(m_hauptdatei);
    return true;
}

void Editorfenster::speichernAls()
{
    m_grund->uebernimmOffeneBox();
    QString ordner = m_z.sprache.texte.value(314);
    if (!QDir(ordner).exists())
        ordner = QFileInfo(m_hauptdatei).absolutePath();
    const QString pfad = Dateidialog::speichern(this, m_z.sprache.texte.value(313), m_z.sprache.texte.value(312), ordner,
                                                m_z.sprache.texte.value(311), QStringLiteral("S2D"),
                                                QStringLiteral("DateiSpeichernAls"));
    if (pfad.isEmpty())
        return;
    // The open page keeps its place in the set: page 2 goes to the new
    // name's .S3D, page 3 to its .S4D.
    const QString neueBasis = Terminaldatei::basis(pfad);
    const QString ziel = m_seite > 1 ? Terminaldatei::hauptdateiname(neueBasis, m_seite) : pfad;
    if (Dateiablauf::speichernUnter(m_z, m_meldung, ziel) != Dateiablauf::Ergebnis::Gespeichert)
        return;
    // The rest of the set (other pages, names, customer data) moves along.
    const Dateiergebnis satz = Terminaldatei::uebertrageSatz(
        m_basis, neueBasis, {ziel, Terminaldatei::namensdateiname(neueBasis, 1)});
    if (!satz.ok) {
        m_meldung.zeige(m_z.sprache.texte.value(315) + QStringLiteral("\n\n") + satz.meldung, m_z.sprache.texte.value(316),
                        Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 315, 316);
    }
    // Later saves go to the file the caption names.
    setWindowTitle(ziel);
    m_hauptdatei = ziel;
    m_basis = neueBasis;
    m_berechtigungen->setSeite(m_seite, m_seitenansicht, m_basis);
    emit hauptdateiGeaendert(m_hauptdatei);
}

void Editorfenster::closeEvent(QCloseEvent *event)
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

void Editorfenster::reject()
{
    close();
}

// --- Printing --------------------------------------------------------------------------

QVector<Druckseite> Editorfenster::druckseiten(bool alles)
{
    m_grund->uebernimmOffeneBox();  // a number being typed counts as entered
    const Drucklayout layout(Druckinhalt::ausBild(m_z.bild, m_hauptdatei, m_z.sprache.versatz, m_z.sprache.protokollnamen, seite()),
                             QDateTime::currentDateTime());
    if (alles)
        return layout.alles();
    const int tab = qBound(0, m_tabs->currentIndex(), 3);
    return layout.teil(static_cast<Druckteil>(tab));
}

void Editorfenster::druckeTeil()
{
    m_druck.drucken(druckseiten(false), m_hauptdatei);
}

void Editorfenster::druckeAlles()
{
    m_druck.drucken(druckseiten(true), m_hauptdatei);
}

void Editorfenster::druckvorschau()
{
    m_druck.seitenansicht(druckseiten(false), m_hauptdatei);
}

void Editorfenster::alsPdfExportieren()
{
    m_druck.alsPdf(druckseiten(true), m_hauptdatei);
}
