#include "app/Monitorfenster.h"

#include "app/Dateidialog.h"

#include "link/Verbindung.h"
#include "base/Ansi.h"
#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"

#include <QCloseEvent>
#include <QShowEvent>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

const QString Monitorfenster::Titel = QStringLiteral("RS 485");

namespace {
QFont festschrift(QFont f)
{
    f.setFamily(QStringLiteral("Monospace"));
    f.setStyleHint(QFont::TypeWriter);
    return f;
}
}  // namespace

Monitorfenster::Monitorfenster(Zustand &z, Verbindung &v, Meldung &meldung, QWidget *parent)
    : QDialog(parent), m_z(z), m_v(v), m_meldung(meldung)
{
    setObjectName(QStringLiteral("Test4852d"));
    setModal(false);
    setWindowTitle(Titel);

    m_exportwahl = [this] {
        // Qt's own dialog, which names file types without reading the files.
        return Dateidialog::speichern(this, Texttabelle::text(m_z, 458), Texttabelle::text(m_z, 459),
                                      QDir::currentPath(), QStringLiteral("rs485.txt"), QString(),
                                      QStringLiteral("Dateidialog"), true);
    };

    m_list1 = new QListView(this);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setModel(&m_modell);
    m_list1->setUniformItemSizes(true);
    m_list1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list1->setFont(festschrift(m_list1->font()));
    m_list1->setMinimumSize(420, 320);
    m_labelSpalten = new QLabel(this);
    m_labelSpalten->setObjectName(QStringLiteral("LabelSpalten"));

    auto *label1 = new QLabel(QStringLiteral("   Hex    Asci"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setFont(festschrift(label1->font()));
    const auto feld = [this](const QString &name, int breite) {
        auto *f = new QLineEdit(this);
        f->setObjectName(name);
        f->setReadOnly(true);
        f->setFont(festschrift(f->font()));
        if (breite > 0)
            f->setFixedWidth(breite);
        return f;
    };
    m_text1 = feld(QStringLiteral("text1"), 60);
    m_text2 = feld(QStringLiteral("Text2"), 60);
    m_labelHex = new QLabel(this);
    m_labelHex->setObjectName(QStringLiteral("LabelHex"));
    m_textHex = feld(QStringLiteral("TextHex"), 0);

    m_command1 = new QPushButton(this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command2 = new QPushButton(this);
    m_command2->setObjectName(QStringLiteral("Command2"));
    m_command3 = new QPushButton(this);
    m_command3->setObjectName(QStringLiteral("Command3"));
    m_commandPause = new QPushButton(this);
    m_commandPause->setObjectName(QStringLiteral("CommandPause"));
    m_commandPause->setCheckable(true);
    m_commandExport = new QPushButton(this);
    m_commandExport->setObjectName(QStringLiteral("CommandExport"));
    m_labelPause = new QLabel(this);
    m_labelPause->setObjectName(QStringLiteral("LabelPause"));
    for (QPushButton *b : {m_command1, m_command2, m_command3, m_commandPause, m_commandExport})
        b->setAutoDefault(false);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(1000);

    auto *rechts = new QVBoxLayout;
    rechts->addWidget(label1);
    auto *boxen = new QHBoxLayout;
    boxen->addWidget(m_text1);
    boxen->addWidget(m_text2);
    boxen->addStretch(1);
    rechts->addLayout(boxen);
    rechts->addWidget(m_labelHex);
    rechts->addWidget(m_textHex);
    rechts->addSpacing(12);
    for (QPushButton *b : {m_command1, m_command2, m_commandPause, m_commandExport})
        rechts->addWidget(b);
    rechts->addWidget(m_labelPause);
    rechts->addStretch(1);
    rechts->addWidget(m_command3);
    auto *raster = new QGridLayout(this);
    raster->addWidget(m_labelSpalten, 0, 0);
    raster->addWidget(m_list1, 1, 0);
    raster->addLayout(rechts, 0, 1, 2, 1);
    raster->setColumnStretch(0, 1);

    connect(&v, &Verbindung::monitorZeile, &m_modell, &Monitormodell::zeile);
    // The port went away: logging stops with what it has, said once (by
    // the test mode window instead while that one is open).
    connect(&v, &Verbindung::portVerloren, this, [this, &v] {
        if (!isVisible() || !m_beobachtung.haelt())
            return;
        m_beobachtung.freigeben();
        m_gestoppt = true;
        m_verlorenGestoppt = true;
        if (v.haelt(Empfaenger::Vorrang::Testbetrieb))
            return;
        const QString geraet = v.port() ? v.port()->device() : QString();
        QTimer::singleShot(0, this, [this, geraet] {
            m_meldung.zeige(Texttabelle::text(m_z, 633).arg(geraet), Texttabelle::text(m_z, 460),
                            Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 633, 460);
        });
    });
    // Follow the traffic while the newest line is in view.
    connect(&m_modell, &QAbstractItemModel::rowsInserted, m_list1, [this] {
        if (!m_list1->selectionModel()->hasSelection())
            m_list1->scrollToBottom();
    });
    connect(m_list1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &jetzt) {
                if (jetzt.isValid())
                    zeileGewaehlt(jetzt.row());
            });
    connect(m_list1, &QListView::clicked, this, [this](const QModelIndex &i) { zeileGewaehlt(i.row()); });
    connect(m_command1, &QPushButton::clicked, this, [this] {
        m_beobachtung.freigeben();
        m_gestoppt = true;
        m_verlorenGestoppt = false;
    });
    connect(m_command2, &QPushButton::clicked, this, [this] {
        m_modell.leeren();
        boxenLeeren();
        m_gestoppt = false;
        if (!m_beobachtung.haelt())
            m_beobachtung = m_v.beobachten();
        pauseAnzeigen();
    });
    connect(m_command3, &QPushButton::clicked, this, &QWidget::close);
    connect(m_commandPause, &QPushButton::clicked, this, &Monitorfenster::pauseUmschalten);
    connect(m_commandExport, &QPushButton::clicked, this, &Monitorfenster::exportieren);
    connect(m_timer1, &QTimer::timeout, this, [this] {
        if (m_modell.trimmen())
            boxenLeeren();
        pauseAnzeigen();
    });

    oeffnen();
}

Monitorfenster::~Monitorfenster()
{
    m_beobachtung.freigeben();
}

void Monitorfenster::portWiederDa()
{
    if (!m_verlorenGestoppt)
        return;
    m_verlorenGestoppt = false;
    if (!isVisible())
        return;
    m_gestoppt = false;
    if (!m_beobachtung.haelt())
        m_beobachtung = m_v.beobachten();
}

void Monitorfenster::oeffnen()
{
    Texttabelle::ladeTexte(m_z, 364, 366);
    m_command1->setText(m_z.sprache.texte.at(364));
    m_command2->setText(m_z.sprache.texte.at(365));
    m_command3->setText(m_z.sprache.texte.at(366));
    m_commandExport->setText(Texttabelle::text(m_z, 452));
    m_labelSpalten->setText(Texttabelle::text(m_z, 453));
    m_labelHex->setText(Texttabelle::text(m_z, 454));
    setWindowTitle(Titel);
    m_modell.setPause(false);
    m_commandPause->setChecked(false);
    m_modell.leeren();
    boxenLeeren();
    m_gestoppt = false;
    m_timer1->stop();
    pauseAnzeigen();
}

bool Monitorfenster::event(QEvent *ereignis)
{
    if (ereignis->type() == QEvent::WindowActivate)
        aktivieren();
    return QDialog::event(ereignis);
}

void Monitorfenster::showEvent(QShowEvent *ereignis)
{
    QDialog::showEvent(ereignis);
    // The main window owns the monitor, but the monitor's window does not
    // hang below the main window's: a window that is modal to the main
    // window only (test mode) would otherwise block it as well.
    if (QWindow *fenster = windowHandle())
        fenster->setTransientParent(nullptr);
}

void Monitorfenster::aktivieren()
{
    if (!m_gestoppt && !m_beobachtung.haelt())
        m_beobachtung = m_v.beobachten();
    if (!m_timer1->isActive())
        m_timer1->start();
}

void Monitorfenster::closeEvent(QCloseEvent *ereignis)
{
    m_beobachtung.freigeben();
    m_timer1->stop();
    QDialog::closeEvent(ereignis);
}

void Monitorfenster::boxenLeeren()
{
    m_text1->clear();
    m_text2->clear();
    m_textHex->clear();
}

void Monitorfenster::zeileGewaehlt(int zeile)
{
    const QString text = m_modell.zeileText(zeile);
    setWindowTitle(QStringLiteral(" %1").arg(zeile));
    if (text.size() > 3) {
        // A marker line.
        m_text1->clear();
        m_text2->clear();
        m_textHex->setText(Monitormodell::hexAnsicht(text));
        return;
    }
    bool ok = false;
    const int code = text.toInt(&ok);
    m_textHex->clear();
    if (!ok || code < 0 || code > 255) {
        m_text1->clear();
        m_text2->clear();
        return;
    }
    m_text1->setText(QStringLiteral("%1").arg(code, 2, 16, QLatin1Char('0')).toUpper());
    m_text2->setText(QString(Ansi::zeichen(quint8(code))));
}

void Monitorfenster::pauseUmschalten()
{
    m_modell.setPause(m_commandPause->isChecked());
    pauseAnzeigen();
}

void Monitorfenster::pauseAnzeigen()
{
    const bool pause = m_modell.pause();
    m_commandPause->setText(Texttabelle::text(m_z, pause ? 451 : 450));
    m_labelPause->setText(pause ? Texttabelle::text(m_z, 455) + QString::number(m_modell.wartend()) : QString());
}

void Monitorfenster::exportieren()
{
    const QString pfad = m_exportwahl();
    if (pfad.isEmpty())
        return;
    QString grund;
    if (!m_modell.exportieren(pfad, &grund))
        m_meldung.zeige(Texttabelle::text(m_z, 457) + QStringLiteral("\n\n") + QDir::toNativeSeparators(pfad)
                            + QStringLiteral("\n") + grund,
                        Texttabelle::text(m_z, 460), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 457,
                        460);
}
