#include "app/Testfenster.h"

#include "app/Dateidialog.h"

#include "app/Bewegungsanzeige.h"
#include "base/Ansi.h"
#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "link/Verbindung.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHideEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
// Captions the same in every language.
const QString Chip = QStringLiteral("Chip");
const QString SkimmingAusgeloest = QStringLiteral("Skimming ausgelöst");
const QString Skimmingsabotage = QStringLiteral("Skimmingsabotage");
const QString Hinweis = QStringLiteral("Start drücken oder Anlagennamen auswählen");
const QString Anlagenname = QStringLiteral("Anlagenname");
const QString Geschlossen = QStringLiteral("geschlossene Gesellschaft");
const QString Uebernehmen = QStringLiteral("Übernehmen");
const QString Speichern = QStringLiteral("Bewegungen speichern");
const QString Anzeigen = QStringLiteral("anzeigen");

const QString Gruen = QStringLiteral("background-color: rgb(0, 255, 0); color: black;");
const QString Rot = QStringLiteral("background-color: rgb(255, 0, 0); color: black;");

// Card data as text: control characters shown as blanks.
QString sichtbar(const QByteArray &bytes)
{
    QString s = Ansi::dekodieren(bytes);
    for (QChar &c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return s;
}

QLineEdit *anzeigefeld(const QString &name, QWidget *eltern)
{
    auto *f = new QLineEdit(eltern);
    f->setObjectName(name);
    f->setReadOnly(true);
    f->setFocusPolicy(Qt::NoFocus);
    QFont fest = f->font();
    fest.setFamily(QStringLiteral("Monospace"));
    fest.setStyleHint(QFont::TypeWriter);
    f->setFont(fest);
    f->setMinimumWidth(360);
    return f;
}
}  // namespace

Testfenster::Testfenster(Zustand &z, Verbindung &v, Meldung &meldung, QWidget *parent)
    : QDialog(parent), m_z(z), m_v(v), m_meldung(meldung), m_ablauf(new Testbetrieb(z, v, this))
{
    setObjectName(QStringLiteral("Testbetrieb2D"));
    setWindowModality(Qt::WindowModal);

    m_dateiwahl = [this](const QString &titel, const QString &filter, const QString &ordner, const QString &name) {
        return Dateidialog::oeffnen(this, titel, filter, ordner, name);
    };
    // The desktop's viewer for text; a window of our own where there is none.
    m_anzeiger = [this](const QString &pfad) { Bewegungsanzeige::zeige(m_z, pfad, this); };

    Texttabelle::ladeTexte(m_z, 367, 383);
    const QVector<QString> &t = m_z.sprache.texte;
    setWindowTitle(t.at(367));

    auto *label1 = new QLabel(t.at(368), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = anzeigefeld(QStringLiteral("text1"), this);
    auto *label2 = new QLabel(t.at(369), this);
    label2->setObjectName(QStringLiteral("Label2"));
    m_text2 = anzeigefeld(QStringLiteral("Text2_0"), this);

    auto *frame2 = new QGroupBox(t.at(374), this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    m_option1 = new QRadioButton(t.at(375), frame2);
    m_option1->setObjectName(QStringLiteral("Option1"));
    m_option2 = new QRadioButton(t.at(376), frame2);
    m_option2->setObjectName(QStringLiteral("Option2"));
    m_option3 = new QRadioButton(t.at(377), frame2);
    m_option3->setObjectName(QStringLiteral("Option3"));
    m_betriebsart = new QButtonGroup(this);
    auto *f2 = new QVBoxLayout(frame2);
    for (QRadioButton *b : {m_option1, m_option2, m_option3}) {
        m_betriebsart->addButton(b);
        f2->addWidget(b);
    }

    auto *frame3 = new QGroupBox(t.at(371), this);
    frame3->setObjectName(QStringLiteral("Frame3"));
    m_option5 = new QRadioButton(t.at(373), frame3);
    m_option5->setObjectName(QStringLiteral("Option5"));
    m_option4 = new QRadioButton(t.at(372), frame3);
    m_option4->setObjectName(QStringLiteral("Option4"));
    m_option7 = new QRadioButton(Chip, frame3);
    m_option7->setObjectName(QStringLiteral("Option7"));
    auto *f3 = new QVBoxLayout(frame3);
    for (QRadioButton *b : {m_option5, m_option4, m_option7})
        f3->addWidget(b);

    auto *frame1 = new QGroupBox(t.at(379), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    m_text3 = anzeigefeld(QStringLiteral("text3_0"), frame1);
    (new QVBoxLayout(frame1))->addWidget(m_text3);

    m_label3 = new QLabel(this);
    m_label3->setObjectName(QStringLiteral("Label3"));
    m_label4 = new QLabel(this);
    m_label4->setObjectName(QStringLiteral("Label4"));
    QPalette rot = m_label4->palette();
    rot.setColor(QPalette::WindowText, Qt::red);
    m_label4->setPalette(rot);
    QFont fett = m_label4->font();
    fett.setBold(true);
    m_label4->setFont(fett);
    m_label6 = new QLabel(this);
    m_label6->setObjectName(QStringLiteral("Label6"));
    m_label6->setPalette(rot);
    m_label6->setFont(fett);

    m_command1 = new QPushButton(t.at(380), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    auto *command2 = new QPushButton(t.at(381), this);
    command2->setObjectName(QStringLiteral("Command2"));
    m_text5 = new QLabel(Hinweis, this);
    m_text5->setObjectName(QStringLiteral("text5"));

    // The movement log.
    m_frame4 = new QGroupBox(Anlagenname, this);
    m_frame4->setObjectName(QStringLiteral("Frame4"));
    m_text4 = new QLineEdit(m_frame4);
    m_text4->setObjectName(QStringLiteral("text4_1"));
    m_text4->setReadOnly(true);
    m_text4->setCursor(Qt::PointingHandCursor);
    m_text4->installEventFilter(this);
    m_option6 = new QRadioButton(Geschlossen, m_frame4);
    m_option6->setObjectName(QStringLiteral("Option6"));
    m_option6->setAutoExclusive(false);
    m_command4 = new QPushButton(Uebernehmen, m_frame4);
    m_command4->setObjectName(QStringLiteral("Command4"));
    m_check2 = new QCheckBox(Speichern, m_frame4);
    m_check2->setObjectName(QStringLiteral("Check2"));
    // An indicator only: the user cannot change it.
    m_check2->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_check2->setFocusPolicy(Qt::NoFocus);
    m_command3 = new QPushButton(Anzeigen, m_frame4);
    m_command3->setObjectName(QStringLiteral("Command3"));
    auto *f4 = new QGridLayout(m_frame4);
    f4->addWidget(m_text4, 0, 0, 1, 2);
    f4->addWidget(m_option6, 1, 0);
    f4->addWidget(m_command4, 1, 1);
    f4->addWidget(m_check2, 2, 0);
    f4->addWidget(m_command3, 2, 1);

    for (QPushButton *b : {m_command1, command2, m_command3, m_command4})
        b->setAutoDefault(false);

    auto *raster = new QGridLayout(this);
    raster->addWidget(label1, 0, 0);
    raster->addWidget(m_text1, 0, 1, 1, 2);
    raster->addWidget(label2, 1, 0);
    raster->addWidget(m_text2, 1, 1, 1, 2);
    raster->addWidget(frame2, 2, 0);
    raster->addWidget(frame3, 2, 1);
    auto *anzeiger = new QVBoxLayout;
    anzeiger->addWidget(m_label3);
    anzeiger->addWidget(m_label4);
    anzeiger->addWidget(m_label6);
    anzeiger->addStretch(1);
    raster->addLayout(anzeiger, 2, 2);
    raster->addWidget(frame1, 3, 0, 1, 3);
    raster->addWidget(m_frame4, 4, 0, 1, 2);
    auto *knoepfe = new QVBoxLayout;
    knoepfe->addWidget(m_command1);
    knoepfe->addWidget(command2);
    knoepfe->addStretch(1);
    raster->addLayout(knoepfe, 4, 2);
    raster->addWidget(m_text5, 5, 0, 1, 3);

    Testbetrieb &a = *m_ablauf;
    connect(&a, &Testbetrieb::anzeigeGeaendert, this, &Testfenster::anzeigen);
    connect(&a, &Testbetrieb::betriebsartAbgewaehlt, this, [this] {
        m_betriebsart->setExclusive(false);
        for (QAbstractButton *b : m_betriebsart->buttons())
            b->setChecked(false);
        m_betriebsart->setExclusive(true);
    });
    // Queued: the message box must not open inside a tick of the sequence.
    connect(&a, &Testbetrieb::protokollFehler, this, &Testfenster::protokollFehler, Qt::QueuedConnection);
    connect(
        &a, &Ablauf::beendet, this,
        [this](Ablauf::Ende ende) {
            if (ende == Ablauf::Ende::Portverlust)
                portVerloren();
        },
        Qt::QueuedConnection);

    connect(m_option1, &QRadioButton::clicked, &a, [&a] { a.waehleBetriebsart(Testbetrieb::Betriebsart::Normalbetrieb); });
    connect(m_option2, &QRadioButton::clicked, &a, [&a] { a.waehleBetriebsart(Testbetrieb::Betriebsart::TuereAuf); });
    connect(m_option3, &QRadioButton::clicked, &a, [&a] { a.waehleBetriebsart(Testbetrieb::Betriebsart::TuereZu); });
    connect(m_option5, &QRadioButton::clicked, &a, [&a] { a.waehleQuelle(Testbetrieb::Quelle::Spur2); });
    connect(m_option4, &QRadioButton::clicked, &a, [&a] { a.waehleQuelle(Testbetrieb::Quelle::Spur3); });
    connect(m_option7, &QRadioButton::clicked, &a, [&a] { a.waehleQuelle(Testbetrieb::Quelle::Chip); });
    connect(m_command1, &QPushButton::clicked, this, [this] {
        m_verlorenBeimLaufen = false;
        m_ablauf->start();
        m_text5->hide();
    });
    connect(command2, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_command4, &QPushButton::clicked, this, &Testfenster::uebernehmen);
    connect(m_command3, &QPushButton::clicked, this, [this] { m_anzeiger(m_ablauf->protokoll().pfad()); });

    laden();
}

Testfenster::~Testfenster()
{
    m_ablauf->beenden();
    m_recht.freigeben();
}

void Testfenster::laden()
{
    m_ablauf->laden();
    m_option5->setChecked(true);
    m_option1->setChecked(true);
    m_check2->hide();
    m_command3->hide();
    m_text5->show();
    m_frame4->show();
    m_text4->show();
    anzeigen();
}

void Testfenster::showEvent(QShowEvent *ereignis)
{
    if (!m_recht.haelt())
        m_recht = m_ablauf->empfangNehmen();
    QDialog::showEvent(ereignis);
}

void Testfenster::hideEvent(QHideEvent *ereignis)
{
    QDialog::hideEvent(ereignis);
    if (ereignis->spontaneous())
        return;  // minimised: still open
    m_ablauf->beenden();
    m_recht.freigeben();
    if (m_hauptfensterVerborgen && parentWidget()) {
        m_hauptfensterVerborgen = false;
        parentWidget()->show();
    }
}

bool Testfenster::eventFilter(QObject *objekt, QEvent *ereignis)
{
    if (objekt == m_text4 && ereignis->type() == QEvent::MouseButtonRelease) {
        anlagennameWaehlen();
        return true;
    }
    return QDialog::eventFilter(objekt, ereignis);
}

void Testfenster::anzeigen()
{
    const Testbetrieb &a = *m_ablauf;
    // Long answers are read from their beginning.
    const auto zeige = [](QLineEdit *feld, const QString &text) {
        if (feld->text() == text)
            return;
        feld->setText(text);
        feld->setCursorPosition(0);
    };
    zeige(m_text1, a.anfragefeld());
    zeige(m_text2, a.antwortfeld());
    // Request box green and answer box red from the request to the first
    // answer check, then the other way round.
    const bool anfrage = a.anfrageHervorgehoben();
    const bool gesendet = !a.testtelegramm().isEmpty();
    m_text1->setStyleSheet(gesendet ? (anfrage ? Gruen : Rot) : QString());
    m_text2->setStyleSheet(gesendet ? (anfrage ? Rot : Gruen) : QString());
    zeige(m_text3, a.fehllesung() ? m_z.sprache.texte.at(370) : sichtbar(a.kartendaten()));
    m_label3->setText(m_z.sprache.texte.at(a.datenVorhanden() ? 383 : 378));
    m_label4->setText(a.stoerung() ? m_z.sprache.texte.at(382) : QString());
    switch (a.skimming()) {
    case Testbetrieb::Skimming::Keins:
        m_label6->hide();
        break;
    case Testbetrieb::Skimming::Ausgeloest:
        m_label6->setText(SkimmingAusgeloest);
        m_label6->show();
        break;
    case Testbetrieb::Skimming::Sabotage:
        m_label6->setText(Skimmingsabotage);
        m_label6->show();
        break;
    }
}

void Testfenster::anlagennameWaehlen()
{
    m_text5->hide();
    m_text4->clear();
    const QString pfad = m_dateiwahl(QStringLiteral("Öffnen"), Texttabelle::text(m_z, 141),
                                     QDir::currentPath(), Texttabelle::text(m_z, 140));
    m_text4->setText(Testbetrieb::anlagenname(pfad));
}

void Testfenster::uebernehmen()
{
    m_command1->setEnabled(false);
    m_command3->setEnabled(true);
    m_command3->show();
    m_check2->show();
    m_check2->setChecked(true);
    const QString name = m_text4->text();
    if (name.isEmpty()) {
        m_command3->setEnabled(false);
        m_check2->hide();
    }
    m_frame4->show();
    m_text4->show();
    m_text5->hide();
    m_ablauf->anlageUebernehmen(name, m_option6->isChecked());
    if (QWidget *haupt = parentWidget()) {
        m_hauptfensterVerborgen = true;
        haupt->hide();
    }
}

void Testfenster::protokollFehler(const QString &pfad, const QString &grund)
{
    const QString text = Texttabelle::text(m_z, 456) + QStringLiteral("\n\n") + QDir::toNativeSeparators(pfad)
                         + QStringLiteral("\n") + grund;
    m_meldung.zeige(text, Texttabelle::text(m_z, 460), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 456,
                    460);
}

// Polling has stopped by now; Start tries again once the port is back.
void Testfenster::portVerloren()
{
    m_verlorenBeimLaufen = true;
    const QString geraet = m_v.port() ? m_v.port()->device() : QString();
    m_meldung.zeige(Texttabelle::text(m_z, 633).arg(geraet), Texttabelle::text(m_z, 460), Meldung::Knoepfe::Ok,
                    Meldung::Symbol::Ausrufezeichen, 633, 460);
    anzeigen();
}

void Testfenster::portWiederDa()
{
    if (!m_verlorenBeimLaufen || !isVisible())
        return;
    m_verlorenBeimLaufen = false;
    m_ablauf->start();
    m_text5->hide();
}
