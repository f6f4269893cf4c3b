#include "app/Startfenster.h"

#include "base/Einstellungsdatei.h"
#include "base/Pfade.h"
#include "link/Programmstart.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

Startfenster::Startfenster(Zustand &z, int portnummer, QWidget *parent) : QDialog(parent), m_z(z), m_portnummer(portnummer)
{
    setObjectName(QStringLiteral("start2d"));
    setModal(true);
    m_frame = new QGroupBox(this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    auto *sprachen = new QVBoxLayout(m_frame);
    static const char *const namen[] = {"deutsch", "english", "francais", "espagnol"};
    for (int i = 0; i < 4; ++i) {
        m_option[i] = new QRadioButton(QString::fromLatin1(namen[i]), m_frame);
        m_option[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        m_option[i]->setProperty("Index", i);
        sprachen->addWidget(m_option[i]);
        connect(m_option[i], &QRadioButton::clicked, this, [this, i] { spracheGewaehlt(i); });
    }
    m_command = new QPushButton(this);
    m_command->setObjectName(QStringLiteral("Command1"));
    m_command->setDefault(true);
    connect(m_command, &QPushButton::clicked, this, [this] {
        Programmstart::rs485Betrieb(m_z);
        emit rs485Gewaehlt();
        accept();
    });
    m_modem = new QPushButton(this);
    m_modem->setObjectName(QStringLiteral("Command2"));
    connect(m_modem, &QPushButton::clicked, this, [this] {
        Programmstart::modemBetrieb(m_z);
        emit modemGewaehlt();
        accept();
    });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_frame);
    layout->addWidget(m_command);
    layout->addWidget(m_modem);

    texteLaden();
    const int gewaehlt = m_z.sprache.versatz / 1000;
    if (gewaehlt >= 0 && gewaehlt < 4)
        m_option[gewaehlt]->setChecked(true);
    setMinimumWidth(420);
}

void Startfenster::texteLaden()
{
    Texttabelle::ladeTexte(m_z, 179, 182);
    setWindowTitle(m_z.sprache.texte.at(179));
    m_frame->setTitle(m_z.sprache.texte.at(182));
    m_command->setText(m_z.sprache.texte.at(181));
    m_modem->setText(m_z.sprache.texte.at(180));
}

void Startfenster::spracheGewaehlt(int i)
{
    m_z.sprache.versatz = qint16(1000 * i);
    texteLaden();
    m_z.sprache.dateiwert = QString::number(m_z.sprache.versatz);
    Einstellungsdatei::setzeSprache(Pfade::einstellungsdatei(), m_z, m_portnummer);
}
