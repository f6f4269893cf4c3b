#include "app/Hauptfenster.h"

#include "link/Echoablage.h"

#include "app/Adressidentfenster.h"
#include "app/Auslesepanel.h"
#include "app/Dateidialog.h"
#include "link/Anmeldung.h"
#include "link/Auslesen.h"
#include "link/Schreiben.h"
#include "app/Schreibpanel.h"
#include "app/Modemfenster.h"
#include "link/SerialPort.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "base/Meldung.h"
#include "app/Passwortdialog.h"
#include "app/QtTexte.h"
#include "base/Pfade.h"
#include "link/Programmstart.h"
#include "app/Schnittstellendialog.h"
#include "app/Startfenster.h"
#include "app/Monitorfenster.h"
#include "app/Testfenster.h"
#include "link/Wiederanschluss.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "termfile/Dateiablauf.h"
#include "termfile/Terminaldatei.h"
#include "workflow/Anlaufsteuerung.h"
#include "workflow/Ausleseablauf.h"
#include "workflow/Menuefreigabe.h"
#include "workflow/Identifikationsablauf.h"
#include "app/Editorfenster.h"
#include "app/Ladeablauf.h"
#include "app/Sicherungsfenster.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

const QString Hauptfenster::Banner = QStringLiteral("Datenterminals der QRX GmbH: PORTAVO 485");

namespace {
const QColor Anzeigefarbe(13, 86, 178);

// The description that comes with the program: beside the program, in the
// documentation folder of an installation, or in the sources it was built from.
QStringList readmeOrte()
{
    const QString programm = QCoreApplication::applicationDirPath();
    return {programm + QStringLiteral("/README.md"), programm + QStringLiteral("/../share/doc/portavo/README.md"),
            QStringLiteral("/usr/share/doc/portavo/README.md"),
            QStringLiteral(PORTAVO_QUELLORDNER) + QStringLiteral("/README.md")};
}
// The echo mode for the link, with what is kept for the port's device now; returns that device.
QString echoAnwenden(Verbindung &v, Verbindung::Echomodus modus, Port *port)
{
    Echoablage::anwenden(v, modus, port);
    return port->device();
}
}  // namespace

Hauptfenster::Hauptfenster(Zustand &z, Meldung &meldung, Port *port, QWidget *parent)
    : QMainWindow(parent), m_z(z), m_meldung(meldung), m_port(port)
{
    setObjectName(QStringLiteral("portavo2D"));
    if (!m_port) {
        m_eigenerPort = new SerialPort(this);
        m_port = m_eigenerPort;
    }
    m_verbindung = new Verbindung(m_z, this);
    m_verbindung->setPort(m_port);
    m_echoGeraet = echoAnwenden(*m_verbindung, Echoablage::modus(), m_port);
    m_anmeldung = new Anmeldung(m_z, *m_verbindung, this);
    m_identifikation = new Identifikationsablauf(m_z, *m_verbindung, m_meldung, this);

    m_anlauf = new Anlaufsteuerung(m_z, m_meldung, *m_port, *m_verbindung, this);
    // The adapter pulled and put back: the port opens on it again by
    // itself, and says so once.
    m_wiederanschluss = new Wiederanschluss(*m_port, this);
    // The port opens during start-up, which may first wait for the
    // clipboard: its adapter is known by the time the start window is answered.
    connect(m_anlauf, &Anlaufsteuerung::betriebsbereit, m_wiederanschluss, &Wiederanschluss::merken);
    connect(m_wiederanschluss, &Wiederanschluss::wiederDa, this, [this](const QString &geraet) {
        QTimer::singleShot(0, this, [this, geraet] {
            m_meldung.zeige(Texttabelle::text(m_z, 913).arg(geraet), Texttabelle::text(m_z, 137), Meldung::Knoepfe::Ok,
                            Meldung::Symbol::Information, 913, 137);
        });
    });
    m_anlauf->setZwischenablage([] { return QGuiApplication::clipboard()->text(); },
                                [](const QString &text) { QGuiApplication::clipboard()->setText(text); });
    connect(m_anlauf, &Anlaufsteuerung::anlaufBeginnt, this, [this] {
        m_auslesePanel->hide();
        m_schreibPanel->hide();
        m_anmeldung->stoppe();
        auslesen().timer3().stop();
    });
    connect(m_anlauf, &Anlaufsteuerung::texteSetzen, this, [this] {
        // Start-up has opened the port by now: what is kept for its device
        // counts; over a modem nothing kept for this port does.
        if (m_port->device() != m_echoGeraet || m_z.sitzung.leitung == Leitungsart::Modem)
            m_echoGeraet = echoAnwenden(*m_verbindung, m_verbindung->echomodus(), m_port);
    });
    connect(m_anlauf, &Anlaufsteuerung::texteSetzen, this, &Hauptfenster::texteUndBeschriftungen);
    connect(m_verbindung, &Verbindung::echoErkannt, this, &Hauptfenster::zeigeStatus);
    connect(m_anlauf, &Anlaufsteuerung::anzeigeZuruecksetzen, this, &Hauptfenster::anzeigeZuruecksetzen);
    connect(m_anlauf, &Anlaufsteuerung::startfensterFaellig, this, &Hauptfenster::startfenster);
    connect(m_anlauf, &Anlaufsteuerung::freigabeGeaendert, this, &Hauptfenster::zeigeFreigabe);
    connect(m_anlauf, &Anlaufsteuerung::betriebsbereit, this, &Hauptfenster::betriebsbereit);
    connect(m_anlauf, &Anlaufsteuerung::auslesenAnbieten, this, [this] {
        m_auslesePanel->freigeben();
        m_schreibPanel->hide();
    });
    connect(m_anlauf, &Anlaufsteuerung::schreibenAnbieten, this, [this] {
        if (auto *schreiben = m_schreibPanel->findChild<QPushButton *>(QStringLiteral("CommandSchreiben"))) {
            faerbe(schreiben, true);
            schreiben->setEnabled(true);
        }
    });
    connect(m_anlauf, &Anlaufsteuerung::panelsVerbergen, this, [this] {
        m_auslesePanel->hide();
        m_schreibPanel->hide();
    });
    connect(m_anlauf, &Anlaufsteuerung::schreibpanelVerbergen, this, [this] { m_schreibPanel->hide(); });
    connect(m_anlauf, &Anlaufsteuerung::bearbeiten, this, [this](const QString &datei, const QString &titel) {
        m_datei = datei;
        m_editor(datei, titel);
    });

    m_dateiwahl = [this](const QString &titel, const QString &filter, const QString &ordner, const QString &name) {
        return Dateidialog::oeffnen(this, titel, filter, ordner, name);
    };
    m_editor = [this](const QString &datei, const QString &titel) { oeffneEditor(datei, titel); };

    bauen();
    texteUndBeschriftungen();
    m_auslesePanel->hide();
    m_schreibPanel->hide();
    zeigeFreigabe(m_anlauf->freigabe());
    resize(760, 560);
}

Hauptfenster::~Hauptfenster() = default;

Auslesen &Hauptfenster::auslesen()
{
    return m_auslesePanel->ablauf().auslesen();
}

void Hauptfenster::bauen()
{
    auto *leiste = menuBar();
    m_mnuFile = leiste->addMenu(QString());
    m_mnuFile->setObjectName(QStringLiteral("mnuFile"));
    m_mnuOpen = m_mnuFile->addAction(QString(), this, &Hauptfenster::laden);
    m_mnuOpen->setObjectName(QStringLiteral("mnuOpen"));
    m_mnuFileExit = m_mnuFile->addAction(QString(), this, &Hauptfenster::beenden);
    m_mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));

    m_mnuPortavo = leiste->addMenu(QString());
    m_mnuPortavo->setObjectName(QStringLiteral("mnuPortavo"));
    connect(m_mnuPortavo, &QMenu::aboutToShow, this, [this] {
        // Opening the menu throws away output not yet sent, but never a
        // write block on its way: the terminal would be left half written.
        if (m_port->isOpen() && !m_schreibPanel->schreiben().laeuft())
            m_port->flushOutput();
    });
    m_mnuAuslesen = m_mnuPortavo->addAction(QString(), this, &Hauptfenster::identifizieren);
    m_mnuAuslesen->setObjectName(QStringLiteral("mnuAuslesen"));
    m_mnuBeschreiben = m_mnuPortavo->addAction(QString(), this, [this] { m_schreibPanel->schreibbefehl(); });
    m_mnuBeschreiben->setObjectName(QStringLiteral("mnuBeschreiben"));
    m_mnuSicherungen = m_mnuPortavo->addAction(QString(), this, &Hauptfenster::sicherungenOeffnen);
    m_mnuSicherungen->setObjectName(QStringLiteral("mnuSicherungen"));
    m_mnuFertig = m_mnuPortavo->addAction(QString(), this, &Hauptfenster::bearbeitenFertig);
    m_mnuFertig->setObjectName(QStringLiteral("mnuFertig"));

    m_mnuSchnittstelle = leiste->addAction(QString());
    m_mnuSchnittstelle->setObjectName(QStringLiteral("mnuSchnittstelle"));
    connect(m_mnuSchnittstelle, &QAction::triggered, this, [this] {
        m_wiederanschluss->aufhoeren();
        Schnittstellendialog d(m_z, m_meldung, *m_port, m_anlauf->portnummer(), this);
        // The port may be on another device now even when the dialog was cancelled.
        const auto modus = d.exec() == QDialog::Accepted ? d.echomodus() : m_verbindung->echomodus();
        m_echoGeraet = echoAnwenden(*m_verbindung, modus, m_port);
        zeigeStatus();
        m_wiederanschluss->merken();
    });

    m_mnuTestbetrieb = leiste->addMenu(QString());
    m_mnuTestbetrieb->setObjectName(QStringLiteral("mnuTestbetrieb"));
    m_mnuDialog = m_mnuTestbetrieb->addAction(QString(), this, &Hauptfenster::dialogMitPortavo);
    m_mnuDialog->setObjectName(QStringLiteral("mnuDialog"));
    m_mnuDiagnose = m_mnuTestbetrieb->addAction(QString(), this, [this] {
        // One monitor per main window, opened modeless and kept for the next time.
        auto *monitor = findChild<Monitorfenster *>(QString(), Qt::FindDirectChildrenOnly);
        if (!monitor) {
            monitor = new Monitorfenster(m_z, *m_verbindung, m_meldung, this);
            monitor->setAttribute(Qt::WA_DeleteOnClose, false);
            connect(m_wiederanschluss, &Wiederanschluss::wiederDa, monitor, &Monitorfenster::portWiederDa);
        } else {
            monitor->oeffnen();
        }
        monitor->show();
        monitor->raise();
        monitor->activateWindow();
        emit diagnoseGewaehlt();
    });
    m_mnuDiagnose->setObjectName(QStringLiteral("mnuDiagnose"));

    m_mnuModem = leiste->addAction(QString());
    m_mnuModem->setObjectName(QStringLiteral("mnuModem"));
    connect(m_mnuModem, &QAction::triggered, this, [this] {
        anzeigeZuruecksetzen();
        emit modemGewaehlt();
        modemOeffnen();
    });
    m_mnuTrouble = leiste->addAction(QString());
    m_mnuTrouble->setObjectName(QStringLiteral("mnuTrouble"));
    connect(m_mnuTrouble, &QAction::triggered, this, [this] { m_schreibPanel->troubleStarten(); });

    m_mnuHilfe = leiste->addMenu(QString());
    m_mnuHilfe->setObjectName(QStringLiteral("mnuHilfe"));
    m_mnuSoftware = m_mnuHilfe->addAction(QStringLiteral("&Software"), this, &Hauptfenster::hilfe);
    m_mnuSoftware->setObjectName(QStringLiteral("mnuSoftware"));
    m_mnuInstallation = m_mnuHilfe->addAction(QStringLiteral("&Installation"), this, &Hauptfenster::hilfe);
    m_mnuInstallation->setObjectName(QStringLiteral("mnuInstallation"));

    // --- window area ---
    m_flaeche = new QWidget(this);
    m_flaeche->setObjectName(QStringLiteral("Flaeche"));
    setCentralWidget(m_flaeche);
    auto *layout = new QVBoxLayout(m_flaeche);

    m_banner = new QLabel(Banner, m_flaeche);
    m_banner->setObjectName(QStringLiteral("LabelBanner"));
    m_banner->setAlignment(Qt::AlignCenter);
    QFont gross = m_banner->font();
    gross.setPointSize(gross.pointSize() + 8);
    gross.setBold(true);
    m_banner->setFont(gross);
    m_leer = new QLabel(m_flaeche);
    m_leer->setObjectName(QStringLiteral("LabelLeer"));
    layout->addWidget(m_banner);
    layout->addWidget(m_leer);

    auto anzeige = [this](const QString &name) {
        auto *l = new QLabel(m_flaeche);
        l->setObjectName(name);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, Anzeigefarbe);
        l->setPalette(p);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        return l;
    };
    auto *anzeigen = new QHBoxLayout;
    m_frameVersion = new QGroupBox(m_flaeche);
    m_frameVersion->setObjectName(QStringLiteral("FrameVersion"));
    m_version = anzeige(QStringLiteral("LabelVersion"));
    (new QVBoxLayout(m_frameVersion))->addWidget(m_version);
    m_frameProtokoll = new QGroupBox(m_flaeche);
    m_frameProtokoll->setObjectName(QStringLiteral("FrameProtokoll"));
    m_protokoll = anzeige(QStringLiteral("LabelProtokoll"));
    m_adresse = anzeige(QStringLiteral("LabelAdresse"));
    auto *pa = new QHBoxLayout(m_frameProtokoll);
    pa->addWidget(m_protokoll);
    pa->addWidget(m_adresse);
    pa->addStretch(1);
    anzeigen->addWidget(m_frameVersion, 1);
    anzeigen->addWidget(m_frameProtokoll, 1);
    layout->addLayout(anzeigen);

    // Read-out panel
    m_auslesePanel = new Auslesepanel(m_z, *m_verbindung, *m_anmeldung, m_meldung, m_flaeche);
    connect(m_auslesePanel, &Auslesepanel::fertig, this, [this](const QString &d) { m_anlauf->auslesenFertig(d); });
    connect(m_auslesePanel, &Auslesepanel::fehlgeschlagen, this,
            [this](int textnummer) { m_anlauf->auslesenFehlgeschlagen(textnummer); });
    layout->addWidget(m_auslesePanel);

    // Write panel: the write sequence and the recovery scan live in it.
    m_schreibPanel = new Schreibpanel(m_z, *m_verbindung, *m_anmeldung, m_meldung, m_flaeche);
    m_schreibPanel->setDateiwahl([this](const QString &titel, const QString &filter, const QString &ordner,
                                        const QString &name) { return m_dateiwahl(titel, filter, ordner, name); });
    m_schreibPanel->setAnlage([this] { return anlage(); });
    connect(m_schreibPanel, &Schreibpanel::auslesePanelVerbergen, m_auslesePanel, &QWidget::hide);
    connect(m_schreibPanel, &Schreibpanel::versionAnzeigen, m_version, &QLabel::setText);
    connect(m_schreibPanel, &Schreibpanel::dateiGewaehlt, this, [this](const QString &d) { m_datei = d; });
    // While a write or a recovery scan runs, no other bus command may start.
    connect(m_schreibPanel, &Schreibpanel::laeuftGeaendert, this,
            [this](bool laeuft) { m_anlauf->setBusBelegt(laeuft); });
    layout->addWidget(m_schreibPanel);
    layout->addStretch(1);

    statusBar()->setObjectName(QStringLiteral("StatusLeiste"));
    m_statusPort = new QLabel(statusBar());
    m_statusPort->setObjectName(QStringLiteral("StatusPort"));
    m_statusPort->setContentsMargins(4, 0, 16, 0);
    m_statusEcho = new QLabel(statusBar());
    m_statusEcho->setObjectName(QStringLiteral("StatusEcho"));
    statusBar()->addWidget(m_statusPort);
    statusBar()->addWidget(m_statusEcho, 1);
}

void Hauptfenster::zeigeStatus()
{
    m_statusPort->setText(Texttabelle::text(m_z, 890).arg(m_anlauf->portnummer()).arg(m_port->device()));
    m_statusEcho->setText(Schnittstellendialog::echotext(m_z, m_verbindung->echomodus(), m_verbindung->echostand()));
}

void Hauptfenster::faerbe(QPushButton *knopf, bool bereit)
{
    knopf->setStyleSheet(bereit ? QStringLiteral("background-color: rgb(0, 255, 0); color: black;")
                                : QStringLiteral("background-color: rgb(255, 0, 0); color: black;"));
    knopf->setProperty("bereit", bereit);
}

void Hauptfenster::zeigeFreigabe(const Menuefreigabe &f)
{
    m_mnuFile->menuAction()->setEnabled(f.datei);
    m_mnuSchnittstelle->setEnabled(f.schnittstelle);
    m_mnuDialog->setEnabled(f.dialog);
    m_mnuPortavo->menuAction()->setEnabled(f.portavo);
    m_mnuTrouble->setEnabled(f.trouble);
    m_mnuTestbetrieb->menuAction()->setEnabled(f.testbetrieb);
    m_mnuModem->setEnabled(f.modem);
}

void Hauptfenster::texteUndBeschriftungen()
{
    Texttabelle::ladeTexte(m_z, 101, 178);
    QtTexte::waehle(m_z.sprache.versatz);
    const QVector<QString> &t = m_z.sprache.texte;
    setWindowTitle(t.at(114));
    m_mnuFile->setTitle(t.at(101));
    m_mnuOpen->setText(t.at(102));
    m_mnuFileExit->setText(t.at(103));
    m_mnuPortavo->setTitle(t.at(104));
    m_mnuAuslesen->setText(t.at(105));
    m_mnuBeschreiben->setText(t.at(106));
    m_mnuSicherungen->setText(Texttabelle::text(m_z, 854));
    m_mnuFertig->setText(t.at(107));
    m_mnuSchnittstelle->setText(t.at(108));
    m_mnuTestbetrieb->setTitle(t.at(109));
    m_mnuDialog->setText(t.at(110));
    m_mnuDiagnose->setText(t.at(111));
    m_mnuModem->setText(t.at(112));
    m_mnuTrouble->setText(t.at(113));
    m_mnuHilfe->setTitle(t.at(143));
    m_frameVersion->setTitle(t.at(115));
    m_frameProtokoll->setTitle(t.at(116));
    // The frame's caption names both values ("Protokoll   Adresse"): the
    // address stands under its heading, not at the far right.
    {
        const QString titel = t.at(116);
        const int wort = int(titel.trimmed().lastIndexOf(QLatin1Char(' '))) + 1;
        const int vorWort = wort > 0 ? int(titel.indexOf(titel.trimmed().mid(wort))) : 0;
        const int x = m_frameProtokoll->fontMetrics().horizontalAdvance(titel.left(vorWort));
        const QMargins rand = m_frameProtokoll->layout()->contentsMargins();
        m_protokoll->setMinimumWidth(qMax(0, x - rand.left() - m_frameProtokoll->layout()->spacing()));
    }
    m_schreibPanel->texteSetzen();
    m_auslesePanel->texteSetzen();
    hintergrund();
    zeigeStatus();
}

void Hauptfenster::hintergrund()
{
    const QPixmap bild(Pfade::hintergrundbild());
    if (bild.isNull()) {
        m_flaeche->setAutoFillBackground(false);
        m_banner->setText(Banner);
        m_banner->show();
        m_leer->hide();
        return;
    }
    QPalette p = m_flaeche->palette();
    p.setBrush(QPalette::Window, QBrush(bild));
    m_flaeche->setPalette(p);
    m_flaeche->setAutoFillBackground(true);
    m_banner->hide();
    m_leer->hide();
}

void Hauptfenster::anzeigeZuruecksetzen()
{
    m_version->setText(m_z.sprache.texte.at(133));
    m_protokoll->setText(m_z.sprache.texte.at(134));
    m_adresse->setText(m_z.sprache.texte.at(135));
}

// --- start-up ---------------------------------------------------------------

void Hauptfenster::starte()
{
    m_anlauf->starte();
    m_wiederanschluss->merken();
}

int Hauptfenster::portnummer() const
{
    return m_anlauf->portnummer();
}

void Hauptfenster::startfenster()
{
    Startfenster fenster(m_z, m_anlauf->portnummer(), this);
    Anlaufsteuerung::Wahl wahl = Anlaufsteuerung::Wahl::Keine;
    connect(&fenster, &Startfenster::rs485Gewaehlt, this, [&wahl] { wahl = Anlaufsteuerung::Wahl::Rs485; });
    connect(&fenster, &Startfenster::modemGewaehlt, this, [&wahl] { wahl = Anlaufsteuerung::Wahl::Modem; });
    fenster.exec();
    m_anlauf->startfensterBeantwortet(wahl);
}

// --- identification and read-out -------------------------------------------

void Hauptfenster::identifizieren()
{
    m_auslesePanel->hide();
    m_schreibPanel->hide();
    anzeigeZuruecksetzen();
    const bool erkannt = m_identifikation->imFenster([this] {
        Adressidentfenster fenster(m_z, *m_verbindung, m_meldung, this);
        connect(&fenster.ident(), &Adressidentifikation::terminalAnzeigen, this,
                [this](int adresse, const QString &name) {
                    m_adresse->setText(QString::number(adresse));
                    m_protokoll->setText(name);
                });
        connect(&fenster.ident(), &Adressidentifikation::versionAnzeigen, m_version, &QLabel::setText);
        fenster.exec();
    });
    m_anlauf->identifikationBeendet(erkannt);
}

void Hauptfenster::oeffneEditor(const QString &datei, const QString &titel)
{
    const QString nachher = bearbeiteTerminaldatei(m_z, m_meldung, datei, titel, this, {}, m_verbindung, m_anmeldung);
    // Save as may have moved the file; the main window follows it.
    if (!nachher.isEmpty())
        m_datei = nachher;
}

// --- files --------------------------------------------------------------------

void Hauptfenster::laden()
{
    const QString datei = m_dateiwahl(m_z.sprache.texte.at(142), m_z.sprache.texte.at(141), m_z.einstellungen.startverzeichnis, m_z.sprache.texte.at(140));
    if (datei.isEmpty())
        return;
    m_z.sitzung.ladenZumBearbeiten = true;
    ladeDatei(datei);
}

bool Hauptfenster::ladeDatei(const QString &datei)
{
    const Dateiablauf::Ladeergebnis e = Dateiablauf::ladeRoutine(m_z, m_meldung, datei);
    if (!e.geladen)
        return false;
    m_blockpruefsumme = e.Blockpruefsumme;
    m_datei = datei;
    if (auto *schreiben = m_schreibPanel->findChild<QPushButton *>(QStringLiteral("CommandSchreiben"))) {
        schreiben->setEnabled(true);
        faerbe(schreiben, true);
    }
    if (e.bearbeiten)
        m_editor(datei, datei);
    return true;
}

// --- other menu items -----------------------------------------------------------

void Hauptfenster::bearbeitenFertig()
{
    m_auslesePanel->hide();
    m_schreibPanel->hide();
    m_protokoll->setText(m_z.sprache.texte.at(134));
    m_adresse->setText(m_z.sprache.texte.at(135));
    m_z.terminal.identifiziert = false;
}

void Hauptfenster::dialogMitPortavo()
{
    if (m_adresse->text() == m_z.sprache.texte.at(135)) {
        m_meldung.zeige(m_z, 138, 139);
        return;
    }
    emit testbetriebGewaehlt();
    {
        // Modal to this window only: the RS485 monitor stays usable. The
        // window holds the stream for test mode while it is open.
        Testfenster fenster(m_z, *m_verbindung, m_meldung, this);
        connect(m_wiederanschluss, &Wiederanschluss::wiederDa, &fenster, &Testfenster::portWiederDa);
        fenster.exec();
    }
}

QString Hauptfenster::hilfetext(Zustand &z)
{
    Texttabelle::ladeTexte(z, 720, 726);
    const QVector<QString> &t = z.sprache.texte;
    const auto ordner = [](const QString &pfad) { return QDir::toNativeSeparators(pfad); };
    const QStringList orte = readmeOrte();
    QString readme = orte.last();
    bool gefunden = false;
    for (const QString &ort : orte) {
        if (QFileInfo(ort).isFile()) {
            readme = QFileInfo(ort).canonicalFilePath();
            gefunden = true;
            break;
        }
    }
    QStringList zeilen;
    zeilen << t.at(721) << t.at(722).arg(QStringLiteral(PORTAVO_VERSION), QString::fromLatin1(qVersion()))
           << QString() << t.at(723) << ordner(Pfade::konfiguration()) << QString() << t.at(724)
           << ordner(Pfade::programm()) << QString() << t.at(725)
           << (gefunden ? ordner(readme) : ordner(readme) + QLatin1Char(' ') + t.at(726));
    return zeilen.join(QLatin1Char('\n'));
}

void Hauptfenster::hilfe()
{
    QDir::setCurrent(m_z.einstellungen.startverzeichnis);
    const QString text = hilfetext(m_z);
    m_meldung.zeige(text, m_z.sprache.texte.at(720), Meldung::Knoepfe::Ok, Meldung::Symbol::Information, 721, 720);
}

// --- exit -------------------------------------------------------------------------

void Hauptfenster::beenden()
{
    m_anlauf->beenden();
    close();
}

void Hauptfenster::closeEvent(QCloseEvent *ereignis)
{
    m_anlauf->schliessen();
    ereignis->accept();
}

// --- modem operation --------------------------------------------------------

void Hauptfenster::modemOeffnen()
{
    if (m_modemfenster) {
        m_modemfenster->raise();
        m_modemfenster->activateWindow();
        return;
    }
    auto *f = new Modemfenster(m_z, *m_verbindung, m_meldung, m_modemport, this);
    f->setAttribute(Qt::WA_DeleteOnClose);
    m_modemfenster = f;
    connect(f, &Modemfenster::verbindungSteht, this, [this] { m_anlauf->setModem(Menuelage::Modem::Verbunden); });
    connect(f, &Modemfenster::auflegenBeginnt, this, [this] {
        m_schreibPanel->schreiben().weckenAnhalten();
        m_anlauf->setModem(Menuelage::Modem::Auflegen);
    });
    connect(f, &Modemfenster::aufgelegt, this, [this] {
        anzeigeZuruecksetzen();
        m_anlauf->setModem(Menuelage::Modem::Aufgelegt);
    });
    connect(f, &Modemfenster::beendet, this, [this] {
        anzeigeZuruecksetzen();
        m_anlauf->setModem(Menuelage::Modem::Beendet);
    });
    f->show();
}

// --- backups ------------------------------------------------------------------

QString Hauptfenster::anlage() const
{
    return m_z.sitzung.leitung == Leitungsart::Modem && m_modemfenster ? m_modemfenster->gewaehlt() : QString();
}

void Hauptfenster::sicherungenOeffnen()
{
    Sicherungsfenster f(m_z, m_meldung, Sicherungsablage::standardwurzel(), anlage(), m_schreibPanel->datei(), this);
    connect(&f, &Sicherungsfenster::zurueckschreiben, m_schreibPanel, &Schreibpanel::schreibeDatei, Qt::QueuedConnection);
    f.exec();
}
