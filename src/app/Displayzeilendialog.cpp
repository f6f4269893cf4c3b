#include "app/Displayzeilendialog.h"

#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "base/Displayzeichen.h"
#include "termfile/Uebergabe.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Displayzeilendialog::Displayzeilendialog(Zustand &z, Uebergabe &u, QLineEdit *zeilenbox, QWidget *parent)
    : Felddialog(z, nullptr, QStringLiteral("displayeingabe2D"), parent), m_u(u), m_zeilenbox(zeilenbox)
{
    Texttabelle::ladeTexte(z, 205, 207);
    setWindowTitle(z.sprache.texte.at(205));

    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setText(zeilenbox ? zeilenbox->text() : z.bild.displayzeile(u.Displayzeile));
    QFont schrift(QStringLiteral("monospace"));
    schrift.setStyleHint(QFont::Monospace);
    m_text1->setFont(schrift);
    m_text1->setMinimumWidth(m_text1->fontMetrics().horizontalAdvance(QString(24, QLatin1Char('M'))));
    // Entering the line selects what fits on the display.
    markiereBeimBetreten(m_text1, [](QLineEdit *box) {
        box->setSelection(0, qMin(Displayzeichen::Zeilenlaenge, int(box->text().size())));
    });

    auto *co1 = knopf(z.sprache.texte.at(206), QStringLiteral("Co1"), Rolle::Abbrechen);
    auto *co2 = knopf(z.sprache.texte.at(207), QStringLiteral("Co2"), Rolle::Ok);
    auto *knoepfe = knopfzeile({co1, co2}, true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text1);
    layout->addLayout(knoepfe);
}

QColor Displayzeilendialog::farbeNachBearbeitung()
{
    return QColor(0, 8, 0);
}

void Displayzeilendialog::ok()
{
    const QString zeile = m_z.bild.setzeDisplayzeile(m_u.Displayzeile, m_text1->text());
    m_text1->setText(zeile);
    if (m_zeilenbox)
        m_zeilenbox->setText(zeile);
    if (m_z.bild.Aenderungszaehler < 32767)
        ++m_z.bild.Aenderungszaehler;
    accept();
}

void Displayzeilendialog::done(int ergebnis)
{
    if (m_zeilenbox) {
        QPalette p = m_zeilenbox->palette();
        p.setColor(QPalette::Text, farbeNachBearbeitung());
        m_zeilenbox->setPalette(p);
    }
    QDialog::done(ergebnis);
}
