#include "app/Displayzeilendialog.h"

#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "base/Displayzeichen.h"
#include "termfile/Uebergabe.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

Displayzeilendialog::Displayzeilendialog(Zustand &z, Uebergabe &u, QLineEdit *zeilenbox, QWidget *parent)
    : QDialog(parent), m_z(z), m_u(u), m_zeilenbox(zeilenbox)
{
    setObjectName(QStringLiteral("displayeingabe2D"));
    Texttabelle::ladeTexte(z, 205, 207);
    setWindowTitle(z.sprache.texte.at(205));

    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setText(zeilenbox ? zeilenbox->text() : z.bild.displayzeile(u.Displayzeile));
    QFont schrift(QStringLiteral("monospace"));
    schrift.setStyleHint(QFont::Monospace);
    m_text1->setFont(schrift);
    m_text1->setMinimumWidth(m_text1->fontMetrics().horizontalAdvance(QString(24, QLatin1Char('M'))));
    m_text1->installEventFilter(this);

    auto *co1 = new QPushButton(z.sprache.texte.at(206), this);
    co1->setObjectName(QStringLiteral("Co1"));
    co1->setAutoDefault(false);
    auto *co2 = new QPushButton(z.sprache.texte.at(207), this);
    co2->setObjectName(QStringLiteral("Co2"));
    co2->setAutoDefault(false);
    connect(co1, &QPushButton::clicked, this, &QDialog::reject);
    connect(co2, &QPushButton::clicked, this, &Displayzeilendialog::ok);

    auto *knoepfe = new QHBoxLayout;
    knoepfe->addStretch();
    knoepfe->addWidget(co1);
    knoepfe->addWidget(co2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text1);
    layout->addLayout(knoepfe);
}

QColor Displayzeilendialog::farbeNachBearbeitung()
{
    return QColor(0, 8, 0);
}

bool Displayzeilendialog::eventFilter(QObject *objekt, QEvent *event)
{
    if (objekt == m_text1 && event->type() == QEvent::FocusIn) {
        QPointer<QLineEdit> box = m_text1;
        QTimer::singleShot(0, this, [box] {
            if (box)
                box->setSelection(0, qMin(Displayzeichen::Zeilenlaenge, int(box->text().size())));
        });
    }
    return QDialog::eventFilter(objekt, event);
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
