#include "app/Kartendatendialog.h"

#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "termfile/Einstellungsregeln.h"
#include "termfile/Uebergabe.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

Kartendatendialog::Kartendatendialog(Zustand &z, Meldung &m, Uebergabe &u, QWidget *parent)
    : Felddialog(z, &m, QStringLiteral("Datensp2D"), parent), m_u(u)
{
    Texttabelle::ladeTexte(z, 198, 204);
    setWindowTitle(z.sprache.texte.at(198));
    m_u.Dialogergebnis = 0;
    m_k = qBound(0, int(m_u.Eintragsnummer), Zeilenobergrenze);

    auto *frame1 = new QGroupBox(z.sprache.texte.at(199), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    m_text1 = new QLineEdit(frame1);
    m_text1->setObjectName(QStringLiteral("text1"));
    const QString eintrag = z.bild.Zeilentext.value(m_k);
    m_text1->setText(eintrag);
    m_text1->setMaxLength(qMax(1, int(eintrag.size())));
    // Nibble characters "0".."?" and "#" only, typed or pasted.
    m_text1->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9:;<=>?#]*")),
                                                          m_text1));
    (new QVBoxLayout(frame1))->addWidget(m_text1);

    auto *frame2 = new QGroupBox(z.sprache.texte.at(200), this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    m_text2 = new QLineEdit(frame2);
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_text2->setText(z.bild.Begleittext.value(m_k));
    (new QVBoxLayout(frame2))->addWidget(m_text2);

    auto *command1 = knopf(z.sprache.texte.at(201), QStringLiteral("Command1"), Rolle::Abbrechen);
    auto *command2 = knopf(z.sprache.texte.at(202), QStringLiteral("Command2"), Rolle::Ok);
    auto *knoepfe = knopfzeile({command1, command2}, true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame1);
    layout->addWidget(frame2);
    layout->addLayout(knoepfe);

    markiereBeimBetreten(m_text1);
    markiereBeimBetreten(m_text2);
    const int breite = m_text1->fontMetrics().horizontalAdvance(QString(qMax(40, int(eintrag.size()) + 4), QLatin1Char('0')));
    m_text1->setMinimumWidth(breite);
}

void Kartendatendialog::ok()
{
    if (m_text1->text().size() < m_text1->maxLength()) {
        abweisen(203, 204, m_text1);
        return;
    }
    m_z.bild.Begleittext[m_k] = m_text2->text();
    m_z.bild.Zeilentext[m_k] = m_text1->text();
    m_u.Dialogergebnis = 1;
    if (m_z.bild.Aenderungszaehler < 32767)
        ++m_z.bild.Aenderungszaehler;
    accept();
}
