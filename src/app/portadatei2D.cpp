#include "app/portadatei2D.h"

#include "base/Meldung.h"
#include "app/Passwort2D.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "app/Datensp2D.h"
#include "app/Listenmodell.h"
#include "termfile/Drucklayout.h"
#include "termfile/Terminaldatei.h"
#include "app/displayeingabe2D.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

using Einstellungsregeln::Option;
using Einstellungsregeln::Zahlfeld;

namespace {

constexpr int Twips = 15;  // twips per pixel at 96 dpi

// Option pairs: option, frame caption, object name stem.
struct Optionsangabe {
    Option option;
    int text;
    const char *name;
};
const Optionsangabe Optionsangaben[Einstellungsregeln::Optionszahl] = {
    {Option::Summer, 253, "Summer"},
    {Option::Intervallton, 256, "Intervallton"},
    {Option::Ueberwachungsmodul, 257, "Ueberwachungsmodul"},
    {Option::Chipkarte, 259, "Chipkarte"},
    {Option::Startzeichen, 260, "Startzeichen"},
    {Option::Display, 261, "Display"},
    {Option::Spur2, 262, "Spur2"},
    {Option::Spur31, 263, "Spur31"},
    {Option::Stoerung, 264, "Stoerung"},
    {Option::Sperrlisten, 266, "Sperrlisten"},
};

// Comment column widening per grid.
constexpr int Verbreiterung[4] = {54, 57, 57, 56};

bool istFensterwechsel(Qt::FocusReason grund)
{
    return grund == Qt::ActiveWindowFocusReason || grund == Qt::PopupFocusReason;
}

bool istEnter(const QKeyEvent *e)
{
    return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}

void erhoeheZaehler(Datenbild &bild)
{
    if (bild.Aenderungszaehler < 1)
        bild.Aenderungszaehler = 1;
}

}  // namespace

portadatei2D::portadatei2D(Zustand &z, Meldung &m, QWidget *parent)
    : QDialog(parent), m_z(z), m_meldung(m), m_druck(z, m, this)
{
    m_passwortabfrage = [this](Zustand &zustand, QWidget *eltern) {
        Passwort2D dialog(zustand, m_meldung, nullptr, eltern);
        dialog.exec();
    };
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
    QAction *ansicht = datei->addAction(Texttabelle::text(z, 430));
    ansicht->setObjectName(QStringLiteral("mnuPreview"));
    QAction *pdf = datei->addAction(Texttabelle::text(z, 431));
    pdf->setObjectName(QStringLiteral("mnuExportPdf"));
    QAction *beenden = datei->addAction(text(249));
    beenden->setObjectName(QStringLiteral("mnuFileExit"));
    m_code = menue->addAction(text(269));
    m_code->setObjectName(QStringLiteral("mnuCode"));
    m_code->setEnabled(false);
    connect(speichernAktion, &QAction::triggered, this, [this] { speichern(); });
    connect(alsAktion, &QAction::triggered, this, &portadatei2D::speichernAls);
    connect(m_drucken, &QAction::triggered, this, &portadatei2D::druckeTeil);
    connect(allesDrucken, &QAction::triggered, this, &portadatei2D::druckeAlles);
    connect(ansicht, &QAction::triggered, this, &portadatei2D::seitenansicht);
    connect(pdf, &QAction::triggered, this, &portadatei2D::alsPdfExportieren);
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

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->addTab(baueGrundeinstellungen(), text(250));
    m_tabs->addTab(baueListenseite(1), text(334));
    m_tabs->addTab(baueListenseite(3), text(335));
    m_tabs->addTab(baueDisplayseite(), text(336));
    connect(m_tabs, &QTabWidget::currentChanged, this, &portadatei2D::tabGewechselt);

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(menue);
    layout->addLayout(kopf);
    layout->addWidget(m_tabs);
    setGeometry(0, 300 / Twips, 12000 / Twips, 8200 / Twips);
    tabGewechselt(0);
    m_drucken->setText(text(273));
}

QGroupBox *portadatei2D::neuerRahmen(const QString &name, int textnummer, QWidget *eltern)
{
    auto *rahmen = new QGroupBox(m_z.Texte.value(textnummer), eltern);
    rahmen->setObjectName(QStringLiteral("Frame") + name);
    return rahmen;
}

QWidget *portadatei2D::baueGrundeinstellungen()
{
    auto *seite = new QWidget;
    seite->setObjectName(QStringLiteral("TabGrundeinstellungen"));
    auto *gitter = new QGridLayout(seite);
    const auto zahlbox = [&](int index, Zahlfeld feld, const QString &name, int textnummer) -> QGroupBox * {
        QGroupBox *rahmen = neuerRahmen(name, textnummer, seite);
        auto *box = new QLineEdit(rahmen);
        box->setObjectName(QStringLiteral("Text") + name);
        box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
        box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
        box->installEventFilter(this);
        m_zahlboxen[index] = {feld, rahmen, box};
        auto *l = new QHBoxLayout(rahmen);
        l->addWidget(box);
        return rahmen;
    };

    // Door-open time with its unit.
    QGroupBox *zeit = zahlbox(0, Zahlfeld::Tueroeffnungszeit, QStringLiteral("Tueroeffnungszeit"), 251);
    auto *sekunden = new QLabel(m_z.Texte.value(252), zeit);
    sekunden->setObjectName(QStringLiteral("LabelSekunden"));
    zeit->layout()->addWidget(sekunden);
    gitter->addWidget(zeit, 0, 0);

    int position = 1;
    const auto setze = [&](QWidget *w) {
        gitter->addWidget(w, position % 5, position / 5);
        ++position;
    };
    for (int i = 0; i < Einstellungsregeln::Optionszahl; ++i) {
        const Optionsangabe &a = Optionsangaben[i];
        const QString name = QLatin1String(a.name);
        QGroupBox *rahmen = neuerRahmen(name, a.text, seite);
        auto *ja = new QRadioButton(m_z.Texte.value(254), rahmen);
        ja->setObjectName(name + QStringLiteral("Ja"));
        auto *nein = new QRadioButton(m_z.Texte.value(255), rahmen);
        nein->setObjectName(name + QStringLiteral("Nein"));
        auto *l = new QHBoxLayout(rahmen);
        l->addWidget(ja);
        l->addWidget(nein);
        m_optionen[i] = {a.option, rahmen, ja, nein};
        const Option o = a.option;
        connect(ja, &QRadioButton::clicked, this, [this, o] { optionGedrueckt(o, true); });
        connect(nein, &QRadioButton::clicked, this, [this, o] { optionGedrueckt(o, false); });
        setze(rahmen);
        if (a.option == Option::Ueberwachungsmodul) {
            m_passwortrahmen = neuerRahmen(QStringLiteral("Passwort"), 258, seite);
            m_passwort = new QLineEdit(m_passwortrahmen);
            m_passwort->setObjectName(QStringLiteral("TextPasswort"));
            m_passwort->setReadOnly(true);
            m_passwort->installEventFilter(this);
            (new QHBoxLayout(m_passwortrahmen))->addWidget(m_passwort);
            setze(m_passwortrahmen);
        }
        if (a.option == Option::Stoerung) {
            QGroupBox *rahmen2 = zahlbox(1, Zahlfeld::Adresse, QStringLiteral("Adresse"), 265);
            rahmen2->setObjectName(QStringLiteral("FrameProtokoll"));
            m_protokoll = new QLabel(rahmen2);
            m_protokoll->setObjectName(QStringLiteral("LabelProtokoll"));
            m_protokoll->setMinimumWidth(m_protokoll->fontMetrics().horizontalAdvance(QString(14, QLatin1Char('M'))));
            auto *l2 = static_cast<QHBoxLayout *>(rahmen2->layout());
            l2->insertWidget(0, m_protokoll);
            setze(rahmen2);
        }
    }
    setze(zahlbox(2, Zahlfeld::LaengeSpur2, QStringLiteral("LaengeSpur2"), 267));
    setze(zahlbox(3, Zahlfeld::LaengeSpur31, QStringLiteral("LaengeSpur31"), 268));
    return seite;
}

QWidget *portadatei2D::baueListenseite(int ersteListe)
{
    auto *seite = new QWidget;
    seite->setObjectName(ersteListe == 1 ? QStringLiteral("TabBerechtigungen") : QStringLiteral("TabSperrlisten"));
    auto *l = new QHBoxLayout(seite);
    for (int liste = ersteListe; liste < ersteListe + 2; ++liste) {
        auto *modell = new Listenmodell(m_z.bild, liste, Verbreiterung[liste - 1], this);
        modell->setTexte(m_z.Texte.value(329 + liste), m_z.Texte.value(329));
        auto *gitter = new Listengitter(seite);
        gitter->setObjectName(QStringLiteral("Mgd%1").arg(liste));
        gitter->setModell(modell);
        m_modelle[liste - 1] = modell;
        m_gitter[liste - 1] = gitter;
        connect(gitter, &Listengitter::bearbeiten, this,
                [this, liste](int zeile, int spalte) { eintragBearbeiten(liste, zeile, spalte); });
        connect(gitter, &Listengitter::zelleBetreten, this, [this](int g) { m_u.Gruppenanfang = qint16(g); });
        l->addWidget(gitter);
    }
    return seite;
}

QWidget *portadatei2D::baueDisplayseite()
{
    auto *seite = new QWidget;
    seite->setObjectName(QStringLiteral("TabDisplaytexte"));
    auto *gitter = new QGridLayout(seite);
    QFont schrift(QStringLiteral("monospace"));
    schrift.setStyleHint(QFont::Monospace);
    for (int n = 1; n <= 8; ++n) {
        auto *rahmen = new QGroupBox(m_z.Texte.value(337) + QLatin1Char(' ') + QString::number(n), seite);
        rahmen->setObjectName(QStringLiteral("FrameDisplaytext%1").arg(n));
        auto *l = new QVBoxLayout(rahmen);
        for (int i = 2 * (n - 1); i < 2 * n; ++i) {
            auto *box = new QLineEdit(rahmen);
            box->setObjectName(QStringLiteral("Zeile%1").arg(i));
            box->setReadOnly(true);
            box->setFont(schrift);
            box->installEventFilter(this);
            m_zeilen[i] = box;
            l->addWidget(box);
        }
        gitter->addWidget(rahmen, (n - 1) % 4, (n - 1) / 4);
    }
    return seite;
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
    m_offeneBox = nullptr;
    m_karten12000->setChecked(false);
    zeigeEinstellungen();
    baueListenNeu();
    zeigeDisplaytexte();
    m_tabs->setCurrentIndex(0);
    return true;
}

void portadatei2D::zeigeEinstellungen()
{
    const Datenbild &b = m_z.bild;
    for (Optionspaar &p : m_optionen) {
        const bool ja = Einstellungsregeln::istJa(b, p.option);
        const QSignalBlocker s1(p.ja), s2(p.nein);
        (ja ? p.ja : p.nein)->setChecked(true);
        p.rahmen->setEnabled(true);
        p.ja->setVisible(true);
        p.nein->setVisible(true);
    }
    for (Zahlbox &z : m_zahlboxen) {
        z.box->setText(QString::number(Einstellungsregeln::wert(b, z.feld)));
        z.rahmen->setEnabled(true);
        z.box->setVisible(true);
    }
    m_passwort->setText(b.passwortZiffern());
    m_passwortrahmen->setEnabled(true);
    m_protokoll->setText(b.protokollbeschriftung(m_z.Protokollnamen));

    const auto paar = [this](Option o) -> Optionspaar & {
        for (Optionspaar &p : m_optionen)
            if (p.option == o)
                return p;
        return m_optionen[0];
    };
    paar(Option::Chipkarte).rahmen->setEnabled(Einstellungsregeln::chipkarteFreigegeben(b));
    m_zahlboxen[2].rahmen->setEnabled(b.flag(Flag::Spur2Auswerten));
    m_zahlboxen[3].rahmen->setEnabled(b.flag(Flag::Spur31Auswerten));

    const bool sonder = b.istSondercode();
    if (sonder) {
        for (Option o : {Option::Display, Option::Sperrlisten}) {
            paar(o).rahmen->setEnabled(false);
            paar(o).ja->setVisible(false);
            paar(o).nein->setVisible(false);
        }
        for (int i : {2, 3}) {
            m_zahlboxen[i].rahmen->setEnabled(false);
            m_zahlboxen[i].box->setVisible(false);
        }
    }
    m_suchen1->setVisible(sonder);
    m_karten12000->setVisible(sonder);
    m_suchen2->setVisible(!m_karten12000->isChecked());
}

void portadatei2D::baueListenNeu()
{
    m_z.bild.baueListen();
    for (Listenmodell *modell : m_modelle)
        modell->neuAufbauen();
}

void portadatei2D::zeigeDisplaytexte()
{
    for (int i = 0; i < 16; ++i)
        m_zeilen[i]->setText(m_z.bild.displayzeile(i));
}

// --- Basic settings --------------------------------------------------------------

void portadatei2D::optionGedrueckt(Option o, bool ja)
{
    uebernimmOffeneBox();
    const Einstellungsregeln::Folge folge = Einstellungsregeln::optionGedrueckt(m_z, m_meldung, o, ja);
    zeigeEinstellungen();  // also puts a refused or cancelled press back
    if (folge != Einstellungsregeln::Folge::Nichts)
        baueListenNeu();
    else if (Einstellungsregeln::istJa(m_z.bild, o) != ja)
        fokusAufTabs();
}

void portadatei2D::fokusAufTabs()
{
    m_tabs->tabBar()->setFocus(Qt::OtherFocusReason);
}

portadatei2D::Zahlbox *portadatei2D::zahlboxVon(QObject *objekt)
{
    for (Zahlbox &z : m_zahlboxen)
        if (z.box == objekt)
            return &z;
    return nullptr;
}

void portadatei2D::zahlboxBetreten(Zahlbox &z, Qt::FocusReason grund)
{
    if (istFensterwechsel(grund))
        return;
    m_offeneBox = &z;
    if (z.feld == Zahlfeld::LaengeSpur2 || z.feld == Zahlfeld::LaengeSpur31)
        m_meldung.zeige(m_z, 317, 318, Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen);
    else if (z.feld == Zahlfeld::Adresse)
        m_meldung.zeige(m_z, 321, 322, Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen);
    QLineEdit *box = z.box;
    QTimer::singleShot(0, box, &QLineEdit::selectAll);
}

bool portadatei2D::zahlboxTaste(Zahlbox &z, QKeyEvent *e)
{
    if (e->key() == Qt::Key_Backspace)
        return false;
    const bool enter = istEnter(e);
    const QString t = e->text();
    const bool zeichen = enter || (!t.isEmpty() && t.at(0).isPrint());
    if (!zeichen)
        return false;  // cursor and editing keys
    m_z.bild.Aenderungszaehler = 1;
    m_offeneBox = &z;
    if (enter) {
        fokusAufTabs();
        return true;
    }
    return !Einstellungsregeln::zifferErlaubt(t);
}

void portadatei2D::uebernimmOffeneBox()
{
    Zahlbox *z = m_offeneBox;
    if (!z)
        return;
    m_offeneBox = nullptr;
    const int vorher = Einstellungsregeln::wert(m_z.bild, z->feld);
    const int wert = Einstellungsregeln::verlassen(m_z.bild, z->feld, z->box->text());
    z->box->setText(QString::number(wert));
    const bool laenge = z->feld == Zahlfeld::LaengeSpur2 || z->feld == Zahlfeld::LaengeSpur31;
    if (laenge || wert != vorher)
        erhoeheZaehler(m_z.bild);
    if (laenge) {
        zeigeEinstellungen();
        baueListenNeu();
    }
}

void portadatei2D::passwortEingeben()
{
    m_z.PasswortOK = 0;
    fokusAufTabs();
    if (m_passwortabfrage)
        m_passwortabfrage(m_z, this);
    if (Einstellungsregeln::passwortUebernehmen(m_z))
        zeigeEinstellungen();
}

// --- Lists and display lines -------------------------------------------------------

void portadatei2D::eintragBearbeiten(int liste, int zeile, int spalte)
{
    Listenmodell *modell = m_modelle[liste - 1];
    Listengitter *gitter = m_gitter[liste - 1];
    const int k = modell->eintragsnummer(zeile);
    if (modell->leer() || k < 0)
        return;
    gitter->setCurrentIndex(modell->index(zeile, spalte));
    gitter->setBearbeitung(true);
    m_u.Eintragsnummer = qint16(k);
    Datensp2D dialog(m_z, m_meldung, m_u, this);
    dialog.move(mapToGlobal(QPoint(5750 / Twips, 3000 / Twips)));
    dialog.exec();
    gitter->setBearbeitung(false);
    if (m_u.Dialogergebnis != 0) {
        m_z.bild.schreibeEintragZurueck(k);
        modell->zeileNeuZeichnen(zeile);
        modell->markiereGeaendert(zeile, spalte);
    }
}

void portadatei2D::displayzeileBearbeiten(int zeile)
{
    QLineEdit *box = m_zeilen[zeile];
    QPalette p = box->palette();
    p.setColor(QPalette::Text, QColor(255, 0, 0));
    box->setPalette(p);
    m_u.Displayzeile = qint16(zeile);
    displayeingabe2D dialog(m_z, m_u, box, this);
    dialog.exec();
}

bool portadatei2D::eventFilter(QObject *objekt, QEvent *event)
{
    const QEvent::Type typ = event->type();
    if (Zahlbox *z = zahlboxVon(objekt)) {
        if (typ == QEvent::FocusIn)
            zahlboxBetreten(*z, static_cast<QFocusEvent *>(event)->reason());
        else if (typ == QEvent::FocusOut && !istFensterwechsel(static_cast<QFocusEvent *>(event)->reason())
                 && m_offeneBox == z)
            uebernimmOffeneBox();
        else if (typ == QEvent::KeyPress)
            return zahlboxTaste(*z, static_cast<QKeyEvent *>(event));
        return false;
    }
    if (objekt == m_passwort) {
        if (typ == QEvent::FocusIn && !istFensterwechsel(static_cast<QFocusEvent *>(event)->reason())) {
            passwortEingeben();
            return true;
        }
        return false;
    }
    for (int i = 0; i < 16; ++i) {
        if (objekt != m_zeilen[i])
            continue;
        QLineEdit *box = m_zeilen[i];
        if ((typ == QEvent::FocusIn || typ == QEvent::FocusOut)
            && !istFensterwechsel(static_cast<QFocusEvent *>(event)->reason())) {
            QPalette p = box->palette();
            p.setColor(QPalette::Text, typ == QEvent::FocusIn ? QColor(255, 0, 0)
                                                              : QApplication::palette().color(QPalette::Text));
            box->setPalette(p);
        } else if (typ == QEvent::MouseButtonPress
                   && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            box->setFocus(Qt::MouseFocusReason);
            displayzeileBearbeiten(i);
            return true;
        } else if (typ == QEvent::KeyPress && istEnter(static_cast<QKeyEvent *>(event))) {
            displayzeileBearbeiten(i);
            return true;
        }
        return false;
    }
    return QDialog::eventFilter(objekt, event);
}

void portadatei2D::tabGewechselt(int tab)
{
    static const int drucktexte[4] = {325, 326, 327, 328};
    if (tab >= 0 && tab < 4)
        m_drucken->setText(m_z.Texte.value(drucktexte[tab]));
    for (int i = 0; i < m_tabs->count(); ++i)
        m_tabs->widget(i)->setEnabled(i == tab);
}

// --- Printing --------------------------------------------------------------------------

QVector<Druckseite> portadatei2D::druckseiten(bool alles)
{
    uebernimmOffeneBox();  // a number being typed counts as entered
    const Drucklayout layout(Druckinhalt::ausBild(m_z.bild, m_hauptdatei, m_z.Sprache, m_z.Protokollnamen, seite()),
                             QDateTime::currentDateTime());
    if (alles)
        return layout.alles();
    const int tab = qBound(0, m_tabs->currentIndex(), 3);
    return layout.teil(static_cast<Druckteil>(tab));
}

void portadatei2D::druckeTeil()
{
    m_druck.drucken(druckseiten(false), m_hauptdatei);
}

void portadatei2D::druckeAlles()
{
    m_druck.drucken(druckseiten(true), m_hauptdatei);
}

void portadatei2D::seitenansicht()
{
    m_druck.seitenansicht(druckseiten(false), m_hauptdatei);
}

void portadatei2D::alsPdfExportieren()
{
    m_druck.alsPdf(druckseiten(true), m_hauptdatei);
}

// --- Saving and leaving --------------------------------------------------------------

int portadatei2D::seite() const
{
    return 1;  // standard mode knows page 1 only
}

bool portadatei2D::speichern()
{
    uebernimmOffeneBox();
    const int s = seite();
    if (!Dateiablauf::speichern(m_z, m_meldung, m_basis, s))
        return false;
    m_hauptdatei = Terminaldatei::hauptdateiname(m_basis, s);
    emit hauptdateiGeaendert(m_hauptdatei);
    return true;
}

void portadatei2D::speichernAls()
{
    uebernimmOffeneBox();
    QString ordner = m_z.Texte.value(314);
    if (!QDir(ordner).exists())
        ordner = QFileInfo(m_hauptdatei).absolutePath();
    QFileDialog dialog(this, m_z.Texte.value(313), ordner, Einstellungsregeln::dateifilter(m_z.Texte.value(312)));
    dialog.setObjectName(QStringLiteral("DateiSpeichernAls"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // the question below asks
    dialog.setDefaultSuffix(QStringLiteral("S2D"));
    dialog.selectFile(m_z.Texte.value(311));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString pfad = dialog.selectedFiles().constFirst();
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
    uebernimmOffeneBox();
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

// --- Entry points -----------------------------------------------------------------------

QString bearbeiteTerminaldatei(Zustand &z, Meldung &m, const QString &hauptdatei, const QString &titel,
                               QWidget *parent, Passwortabfrage abfrage)
{
    portadatei2D editor(z, m, parent);
    if (abfrage)
        editor.setPasswortabfrage(std::move(abfrage));
    if (!editor.oeffne(hauptdatei))
        return QString();
    editor.setWindowTitle(titel);
    editor.exec();
    return editor.hauptdatei();
}

Ladeablauf dateiLaden(Zustand &z, Meldung &m, QWidget *parent, Passwortabfrage abfrage)
{
    Ladeablauf ablauf;
    Texttabelle::ladeTexte(z, 140, 142);
    Texttabelle::ladeTexte(z, 176, 177);
    QFileDialog dialog(parent, z.Texte.value(142), z.Startverzeichnis, Einstellungsregeln::dateifilter(z.Texte.value(141)));
    dialog.setObjectName(QStringLiteral("DateiLaden"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.selectFile(z.Texte.value(140));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return ablauf;
    ablauf.gewaehlt = true;
    ablauf.pfad = dialog.selectedFiles().constFirst();
    z.LadenZumBearbeiten = 1;
    ablauf.ergebnis = Dateiablauf::ladeRoutine(z, m, ablauf.pfad);
    // A refused file must not leave the request behind for the next load.
    z.LadenZumBearbeiten = 0;
    if (ablauf.ergebnis.bearbeiten)
        ablauf.hauptdateiNachher = bearbeiteTerminaldatei(z, m, ablauf.pfad, ablauf.pfad, parent, std::move(abfrage));
    return ablauf;
}
