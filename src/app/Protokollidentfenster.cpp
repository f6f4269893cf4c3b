#include "app/Protokollidentfenster.h"

#include "app/Ziffernfeld.h"
#include "base/Zustand.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

Protokollidentfenster::Protokollidentfenster(Zustand &z, Verbindung &v, Meldung &meldung, QWidget *parent)
    : QDialog(parent), m_z(z), m_ident(new Protokollidentifikation(z, v, meldung, this))
{
    setObjectName(QStringLiteral("Protokollident2D"));
    setModal(true);

    auto *label3 = new QLabel(this);
    label3->setObjectName(QStringLiteral("Label3"));
    m_text2 = new QLineEdit(this);
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_text2->setMaxLength(3);
    auto *label1 = new QLabel(this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("text1"));
    m_text1->setMaxLength(3);
    for (QLineEdit *e : {m_text1, m_text2})
        e->installEventFilter(this);

    auto *rahmen = new QGroupBox(this);
    rahmen->setObjectName(QStringLiteral("Label2"));
    auto *gruppe = new QButtonGroup(this);
    auto *rl = new QVBoxLayout(rahmen);
    for (int k = 0; k < Protokollidentifikation::Protokollwahlen; ++k) {
        auto *b = new QRadioButton(rahmen);
        b->setObjectName(QStringLiteral("ptk%1").arg(k));
        gruppe->addButton(b, k);
        rl->addWidget(b);
        m_ptk.append(b);
    }
    m_cd2 = new QPushButton(this);
    m_cd2->setObjectName(QStringLiteral("Cd2"));
    auto *cd3 = new QPushButton(this);
    cd3->setObjectName(QStringLiteral("Cd3"));
    m_cd2->setAutoDefault(false);
    cd3->setAutoDefault(false);

    auto *layout = new QGridLayout(this);
    layout->addWidget(label3, 0, 0);
    layout->addWidget(m_text2, 0, 1);
    layout->addWidget(label1, 1, 0);
    layout->addWidget(m_text1, 1, 1);
    layout->addWidget(rahmen, 2, 0, 1, 2);
    layout->addWidget(m_cd2, 3, 0);
    layout->addWidget(cd3, 3, 1);
    setMinimumWidth(360);

    Protokollidentifikation &id = *m_ident;
    connect(&id, &Protokollidentifikation::felderGeaendert, this, &Protokollidentfenster::felderZeigen);
    connect(&id, &Protokollidentifikation::adressfeldFokus, m_text2, [this] { m_text2->setFocus(); });
    connect(&id, &Protokollidentifikation::versionAnzeigen, this, &Protokollidentfenster::versionAnzeigen);
    connect(&id, &Protokollidentifikation::schliessen, this, [this](bool bestaetigt) {
        if (bestaetigt)
            accept();
        else
            reject();
    });
    connect(gruppe, &QButtonGroup::idClicked, &id, &Protokollidentifikation::waehleProtokoll);
    connect(m_text1, &QLineEdit::textEdited, &id, &Protokollidentifikation::setNeueAdresse);
    connect(m_text2, &QLineEdit::textEdited, &id, &Protokollidentifikation::setAdressfeld);
    connect(m_cd2, &QPushButton::clicked, this, [this] {
        // The fields count as left when OK is pressed.
        m_ident->setAdressfeld(m_text2->text());
        m_ident->setNeueAdresse(m_text1->text());
        m_ident->ok();
    });
    connect(cd3, &QPushButton::clicked, &id, &Protokollidentifikation::abbrechen);

    id.laden();
    setWindowTitle(m_z.sprache.texte.value(344));
    label3->setText(m_z.sprache.texte.value(346));
    label1->setText(m_z.sprache.texte.value(345));
    rahmen->setTitle(m_z.sprache.texte.value(347));
    m_cd2->setText(m_z.sprache.texte.value(348));
    cd3->setText(m_z.sprache.texte.value(349));
    for (int k = 0; k < m_ptk.size(); ++k) {
        m_ptk[k]->setText(id.protokollname(k));
        m_ptk[k]->setEnabled(id.protokollFrei(k));
        // A protocol without a name cannot be chosen: an empty, greyed
        // option would only puzzle.
        m_ptk[k]->setVisible(id.protokollFrei(k));
    }
    felderZeigen();
}

void Protokollidentfenster::felderZeigen()
{
    if (m_text2->text() != m_ident->adressfeld())
        m_text2->setText(m_ident->adressfeld());
    if (m_text1->text() != m_ident->neueAdresse())
        m_text1->setText(m_ident->neueAdresse());
    const int k = m_ident->protokollwahl();
    if (k >= 0 && k < m_ptk.size() && !m_ptk[k]->isChecked())
        m_ptk[k]->setChecked(true);
}

bool Protokollidentfenster::eventFilter(QObject *objekt, QEvent *ereignis)
{
    auto *feld = qobject_cast<QLineEdit *>(objekt);
    if (feld && (feld == m_text1 || feld == m_text2)) {
        if (ereignis->type() == QEvent::FocusOut) {
            if (feld == m_text1)
                m_ident->neueAdresseVerlassen(m_text1->text());
            else
                m_ident->adressfeldVerlassen(m_text2->text());
        } else if (Ziffernfeld::istEnter(ereignis)) {
            return feld == m_text2;  // swallowed in Text2, taken in text1
        } else if (Ziffernfeld::filtern(feld, ereignis)) {
            return true;
        }
    }
    return QDialog::eventFilter(objekt, ereignis);
}

void Protokollidentfenster::done(int ergebnis)
{
    m_ident->geschlossen();
    QDialog::done(ergebnis);
}
