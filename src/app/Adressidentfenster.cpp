#include "app/Adressidentfenster.h"

#include "app/Ziffernfeld.h"
#include "base/Zustand.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

Adressidentfenster::Adressidentfenster(Zustand &z, Verbindung &v, Meldung &meldung, QWidget *parent)
    : QDialog(parent), m_z(z), m_ident(new Adressidentifikation(z, v, meldung, this)),
      m_recht(m_ident->empfangNehmen())
{
    setObjectName(QStringLiteral("Adressident2D"));
    setModal(true);

    auto *label1 = new QLabel(this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("text1"));
    m_text1->setMaxLength(5);
    m_text1->installEventFilter(this);
    m_list3 = new QListWidget(this);
    m_list3->setObjectName(QStringLiteral("List3"));
    m_list3->installEventFilter(this);
    m_list3->setMinimumHeight(160);
    QFont fest = m_list3->font();
    fest.setFamily(QStringLiteral("Monospace"));
    fest.setStyleHint(QFont::TypeWriter);
    m_list3->setFont(fest);
    m_command1 = new QPushButton(this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    auto *command4 = new QPushButton(this);
    command4->setObjectName(QStringLiteral("Command4"));
    m_command2 = new QPushButton(this);
    m_command2->setObjectName(QStringLiteral("Command2"));
    auto *command2 = m_command2;
    m_command3 = new QPushButton(this);
    m_command3->setObjectName(QStringLiteral("Command3"));
    for (QPushButton *b : {m_command1, command4, command2, m_command3})
        b->setAutoDefault(false);

    auto *layout = new QGridLayout(this);
    layout->addWidget(label1, 0, 0);
    layout->addWidget(m_text1, 0, 1);
    layout->addWidget(m_list3, 1, 0, 1, 2);
    layout->addWidget(m_command1, 2, 0, 1, 2);
    layout->addWidget(command4, 3, 0, 1, 2);
    layout->addWidget(m_command3, 4, 0);
    layout->addWidget(command2, 4, 1);
    setMinimumWidth(460);

    Adressidentifikation &id = *m_ident;
    connect(&id, &Adressidentifikation::listeGeaendert, this, &Adressidentfenster::listeZeigen);
    connect(&id, &Adressidentifikation::auswahlGeaendert, this, [this](int zeile) {
        QSignalBlocker sperre(m_list3);
        m_list3->setCurrentRow(zeile);
    });
    connect(&id, &Adressidentifikation::adressfeldGeaendert, m_text1, &QLineEdit::setText);
    connect(&id, &Adressidentifikation::okFreigabe, m_command3, &QWidget::setEnabled);
    connect(&id, &Adressidentifikation::sperre, this, [this](bool g) {
        // Cancel stays usable: it stops a running scan.
        for (QWidget *w : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            w->setEnabled(w == m_command2 || (!g && (w != m_command3 || m_ident->okFreigegeben())));
    });
    connect(&id, &Adressidentifikation::listeFokus, m_list3, [this] { m_list3->setFocus(); });
    connect(&id, &Adressidentifikation::adressfeldFokus, m_text1, [this] { m_text1->setFocus(); });
    connect(&id, &Adressidentifikation::schliessen, this, [this] {
        if (!m_z.terminal.adresseBekannt && !m_ident->schliesstGleich())
            reject();
        else
            accept();
    });

    connect(m_command1, &QPushButton::clicked, &id, &Adressidentifikation::scan);
    connect(command4, &QPushButton::clicked, &id, &Adressidentifikation::reset);
    connect(command2, &QPushButton::clicked, &id, &Adressidentifikation::abbrechen);
    connect(m_command3, &QPushButton::clicked, &id, &Adressidentifikation::ok);
    connect(m_list3, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { m_ident->waehleZeile(m_list3->row(item)); });

    id.laden();
    setWindowTitle(m_z.sprache.texte.at(183));
    label1->setText(m_z.sprache.texte.at(184));
    m_command1->setText(m_z.sprache.texte.at(185));
    command4->setText(m_z.sprache.texte.at(186));
    command2->setText(m_z.sprache.texte.at(187));
    m_command3->setText(m_z.sprache.texte.at(188));
    m_command3->setEnabled(id.okFreigegeben());
}

void Adressidentfenster::listeZeigen()
{
    QSignalBlocker sperre(m_list3);
    m_list3->clear();
    m_list3->addItems(m_ident->liste());
    if (m_ident->auswahl() >= 0)
        m_list3->setCurrentRow(m_ident->auswahl());
}

bool Adressidentfenster::eventFilter(QObject *objekt, QEvent *ereignis)
{
    if (objekt == m_text1) {
        if (ereignis->type() == QEvent::FocusOut) {
            // Only when the user leaves the field: not when a message box
            // or another window takes the focus, and not when a scan locks
            // the window (the field still shows the old address then).
            const auto grund = static_cast<QFocusEvent *>(ereignis)->reason();
            if (!m_ident->gesperrt() && grund != Qt::ActiveWindowFocusReason && grund != Qt::PopupFocusReason)
                m_ident->adressfeldVerlassen(m_text1->text());
        } else if (Ziffernfeld::istEnter(ereignis)) {
            // Enter on a typed address identifies that address at once;
            // without one it leads on to the scan button.
            if (!m_ident->gesperrt()) {
                m_ident->adressfeldVerlassen(m_text1->text());
                if (m_ident->okFreigegeben() && m_ident->liste().isEmpty()) {
                    m_ident->ok();
                    return true;
                }
            }
            m_command1->setFocus();
            return true;
        } else if (Ziffernfeld::filtern(m_text1, ereignis)) {
            return true;
        }
    } else if (objekt == m_list3 && Ziffernfeld::istEnter(ereignis) && m_list3->currentRow() >= 0) {
        m_ident->waehleZeile(m_list3->currentRow());
        return true;
    }
    return QDialog::eventFilter(objekt, ereignis);
}

void Adressidentfenster::done(int ergebnis)
{
    m_ident->anhalten();
    QDialog::done(ergebnis);
}
