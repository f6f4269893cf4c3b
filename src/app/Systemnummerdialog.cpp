#include "app/Systemnummerdialog.h"

#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "termfile/Kartenregeln.h"
#include "termfile/Uebergabe.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Systemnummerdialog::Systemnummerdialog(Zustand &z, Meldung &m, Uebergabe &u, QWidget *parent)
    : Felddialog(z, &m, QStringLiteral("qrxgruco2d"), parent), m_u(u)
{
    Texttabelle::ladeTexte(z, 198, 225);
    Texttabelle::ladeTexte(z, 390, 422);
    setWindowTitle(z.sprache.texte.value(218));
    m_u.Dialogergebnis = 0;

    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setMaxLength(4);
    m_text1->setText(QStringLiteral("%1").arg(qBound(0, int(m_u.Systemnummer), 4095), 4, 10, QLatin1Char('0')));
    markiereBeimBetreten(m_text1);
    auto *co1 = knopf(z.sprache.texte.value(201), QStringLiteral("Co1"), Rolle::Abbrechen);
    auto *co2 = knopf(z.sprache.texte.value(202), QStringLiteral("Co2"), Rolle::Ok);
    co2->setAutoDefault(true);  // Enter in the field is OK
    co2->setDefault(true);
    auto *knoepfe = knopfzeile({co1, co2}, true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text1);
    layout->addLayout(knoepfe);
}

void Systemnummerdialog::ok()
{
    if (!Kartenregeln::systemnummerUebernehmen(m_z.bild, m_u, m_text1->text())) {
        abweisen(413, 217, m_text1);
        return;
    }
    accept();
}
