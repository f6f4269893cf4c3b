#include "app/Schnittstellendialog.h"

#include "base/Meldung.h"
#include "base/Pfade.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "link/Echoablage.h"

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Schnittstellendialog::Schnittstellendialog(Zustand &z, Meldung &meldung, Port &port, int &portnummer, QWidget *parent)
    : QDialog(parent), m_z(z), m_meldung(meldung), m_wahl(z, port, portnummer)
{
    setObjectName(QStringLiteral("Schnittstelle2D"));
    setModal(true);
    Texttabelle::ladeTexte(m_z, 358, 363);
    setWindowTitle(m_z.sprache.texte.at(358));

    m_combo1 = new QComboBox(this);
    m_combo1->setObjectName(QStringLiteral("Combo1"));
    auto *label1 = new QLabel(Texttabelle::text(389 + m_z.sprache.versatz), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_geraet = new QLabel(this);
    m_geraet->setObjectName(QStringLiteral("LabelGeraet"));
    m_geraet->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A USB adapter's by-id link keeps the port on that adapter when it
    // comes back as another /dev/ttyUSBn.
    m_stabil = new QPushButton(Texttabelle::text(m_z, 909), this);
    m_stabil->setObjectName(QStringLiteral("CommandStabil"));
    m_stabil->setAutoDefault(false);
    m_echo = new QComboBox(this);
    m_echo->setObjectName(QStringLiteral("ComboEcho"));  // in the order of Verbindung::Echomodus
    for (int nr : {882, 883, 884})
        m_echo->addItem(Texttabelle::text(m_z, nr));
    m_echo->setCurrentIndex(int(Echoablage::modus()));
    m_echoGeraet = new QLabel(this);
    m_echoGeraet->setObjectName(QStringLiteral("LabelEcho"));
    auto *co1 = new QPushButton(m_z.sprache.texte.at(361), this);
    co1->setObjectName(QStringLiteral("Co1"));
    co1->setAutoDefault(false);

    auto *layout = new QGridLayout(this);
    layout->addWidget(m_combo1, 0, 0, 1, 2);
    layout->addWidget(m_geraet, 1, 0, 1, 2);
    layout->addWidget(m_stabil, 2, 0, 1, 2, Qt::AlignLeft);
    layout->addWidget(label1, 3, 0);
    layout->addWidget(m_text1, 3, 1);
    layout->addWidget(m_echo, 4, 0);
    layout->addWidget(m_echoGeraet, 4, 1);
    layout->addWidget(co1, 5, 1, Qt::AlignRight);
    setMinimumWidth(380);

    const int zeige = m_wahl.laden();
    for (const auto &e : m_wahl.eintraege()) {
        m_combo1->addItem(e.text);
        m_combo1->setItemData(m_combo1->count() - 1, m_wahl.details(m_combo1->count() - 1).join(QLatin1Char('\n')),
                              Qt::ToolTipRole);
    }
    m_text1->setText(m_wahl.ortText());
    m_combo1->setCurrentIndex(zeige);
    zeigeGeraet(zeige);

    connect(m_combo1, qOverload<int>(&QComboBox::activated), this, &Schnittstellendialog::gewaehlt);
    connect(m_text1, &QLineEdit::textEdited, this, [this](const QString &t) { m_wahl.ortGeaendert(t); });
    connect(co1, &QPushButton::clicked, this, &Schnittstellendialog::ok);
    connect(m_stabil, &QPushButton::clicked, this, [this] {
        const int index = m_combo1->currentIndex();
        if (!m_wahl.stabilenNamenVerwenden(index)) {
            m_meldung.zeige(Texttabelle::text(m_z, 912).arg(Pfade::portsDatei()),
                            Texttabelle::text(137 + m_z.sprache.versatz), Meldung::Knoepfe::Ok,
                            Meldung::Symbol::Ausrufezeichen, 912, 137);
            return;
        }
        m_combo1->setItemData(index, m_wahl.details(index).join(QLatin1Char('\n')), Qt::ToolTipRole);
        zeigeGeraet(index);
    });
}

void Schnittstellendialog::zeigeGeraet(int index)
{
    const auto &e = m_wahl.eintraege();
    const QString geraet = index >= 0 && index < e.size() ? e.at(index).geraet : QString();
    m_geraet->setText(m_wahl.details(index).join(QLatin1Char('\n')));
    m_combo1->setToolTip(geraet);
    m_stabil->setVisible(m_wahl.stabilerNameMoeglich(index));
    m_echoGeraet->setText(Texttabelle::text(m_z, 889).arg(
        echotext(m_z, Verbindung::Echomodus::Automatisch, geraet.isEmpty() ? Verbindung::Echostand::Unbekannt : Echoablage::lesen(geraet))));
}

Verbindung::Echomodus Schnittstellendialog::echomodus() const
{
    return Verbindung::Echomodus(m_echo->currentIndex());
}

QString Schnittstellendialog::echotext(Zustand &z, Verbindung::Echomodus modus, Verbindung::Echostand stand)
{
    using M = Verbindung::Echomodus;
    using S = Verbindung::Echostand;
    const int nr = modus == M::Ja ? 883 : modus == M::Nein ? 884 : stand == S::Vorhanden ? 886 : stand == S::Fehlt ? 887 : 888;
    return Texttabelle::text(z, nr);
}

void Schnittstellendialog::gewaehlt(int index)
{
    m_text1->setText(m_wahl.waehle(index, m_text1->text()));
    zeigeGeraet(index);
    const QString hinweis = m_wahl.hinweis(index);
    if (!hinweis.isEmpty())
        m_meldung.zeige(hinweis, Texttabelle::text(137 + m_z.sprache.versatz), Meldung::Knoepfe::Ok,
                        Meldung::Symbol::Ausrufezeichen, -1, 137);
}

void Schnittstellendialog::ok()
{
    // Whatever reached the box, typed or pasted, belongs to the current port.
    m_wahl.ortGeaendert(m_text1->text());
    QString fehler;
    if (!m_wahl.ok(m_combo1->currentIndex(), &fehler)) {
        // A port that does not open: say why and let the user choose again.
        m_meldung.zeige(fehler, Texttabelle::text(137 + m_z.sprache.versatz), Meldung::Knoepfe::Ok,
                        Meldung::Symbol::Ausrufezeichen, -1, 137);
        return;
    }
    if (!Echoablage::setModus(echomodus()))
        // It still holds until the program ends.
        m_meldung.zeige(Texttabelle::text(m_z, 891).arg(QDir::toNativeSeparators(Echoablage::datei())),
                        Texttabelle::text(137 + m_z.sprache.versatz), Meldung::Knoepfe::Ok,
                        Meldung::Symbol::Ausrufezeichen, 891, 137);
    accept();
}

void Schnittstellendialog::done(int ergebnis)
{
    m_wahl.schliessen();
    QDialog::done(ergebnis);
}
