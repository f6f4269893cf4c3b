#include "app/Systemnummerdialog.h"

#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "termfile/Kartenregeln.h"
#include "termfile/Uebergabe.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

Systemnummerdialog::Systemnummerdialog(Zustand &z, Meldung &m, Uebergabe &u, QWidget *parent)
    : QDialog(parent), m_z(z), m_meldung(m), m_u(u)
{
    setObjectName(QStringLiteral("qrxgruco2d"));
    Texttabelle::ladeTexte(z, 198, 225);
    Texttabelle::ladeTexte(z, 390, 422);
    setWindowTitle(z.sprache.texte.value(218));
    m_u.Dialogergebnis = 0;

    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setMaxLength(4);
    m_text1->setText(QStringLiteral("%1").arg(qBound(0, int(m_u.Systemnummer), 4095), 4, 10, QLatin1Char('0')));
    m_text1->installEventFilter(this);
    auto *co1 = new QPushButton(z.sprache.texte.value(201), this);
    co1->setObjectName(QStringLiteral("Co1"));
    auto *co2 = new QPushButton(z.sprache.texte.value(202), this);
    co2->setObjectName(QStringLiteral("Co2"));
    co1->setAutoDefault(false);
    co2->setDefault(true);
    connect(co1, &QPushButton::clicked, this, &QDialog::reject);
    connect(co2, &QPushButton::clicked, this, &Systemnummerdialog::ok);

    auto *knoepfe = new QHBoxLayout;
    knoepfe->addStretch();
    knoepfe->addWidget(co1);
    knoepfe->addWidget(co2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text1);
    layout->addLayout(knoepfe);
}

bool Systemnummerdialog::eventFilter(QObject *objekt, QEvent *event)
{
    if (objekt == m_text1 && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, m_text1, &QLineEdit::selectAll);
    return QDialog::eventFilter(objekt, event);
}

void Systemnummerdialog::ok()
{
    if (!Kartenregeln::systemnummerUebernehmen(m_z.bild, m_u, m_text1->text())) {
        m_meldung.zeige(m_z, 413, 217, Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen);
        m_text1->setFocus();
        return;
    }
    accept();
}
