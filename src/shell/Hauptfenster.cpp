#include "shell/Hauptfenster.h"

#include "shell/Texttabelle.h"
#include "shell/Zustand.h"

#include <QLabel>

portavo2D::portavo2D(Zustand &z, QWidget *parent) : QMainWindow(parent), m_z(z)
{
    setObjectName(QStringLiteral("portavo2D"));
    Texttabelle::ladeTexte(m_z, 101, 178);
    setWindowTitle(m_z.Texte.at(114));
    auto *banner = new QLabel(QStringLiteral("Datenterminals der QRX GmbH: PORTAVO 485"), this);
    banner->setAlignment(Qt::AlignCenter);
    setCentralWidget(banner);
    resize(800, 560);
}
