#include "app/Kartendialog.h"

#include "app/Kartendialogteile.h"

#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "termfile/Kartenregeln.h"
#include "termfile/Uebergabe.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

Kartendialog::Kartendialog(Zustand &z, Meldung &m, Uebergabe &u, int seite, QWidget *parent)
    : QDialog(parent), m_z(z), m_meldung(m), m_u(u), m_seite(seite)
{
    setObjectName(QStringLiteral("qrxdatensp2D"));
    Texttabelle::ladeTexte(z, 198, 225);
    const auto text = [&z](int n) { return z.sprache.texte.value(n); };
    setWindowTitle(text(198));
    const Kartendialogteile::Kopf kopf =
        Kartendialogteile::kopf(this, m_u, Kartenregeln::seitenpraefix(m_seite), text);
    const int karte = kopf.karte;
    m_gruppe = kopf.gruppe;
    QGroupBox *frame1 = kopf.rahmen;
    QLabel *label2 = kopf.zustand;

    auto *frame3 = new QGroupBox(text(209), this);
    frame3->setObjectName(QStringLiteral("Frame3"));
    auto *l3 = new QHBoxLayout(frame3);
    const QString beschriftung[4] = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), text(210)};
    bool berechtigt = false;
    for (int i = 0; i < 4; ++i) {
        m_check[i] = new QCheckBox(beschriftung[i], frame3);
        m_check[i]->setObjectName(QStringLiteral("Check1_%1").arg(i));
        l3->addWidget(m_check[i]);
        if (i < 3 && m_z.bild.zeitzone(karte, i + 1)) {
            m_check[i]->setChecked(true);
            berechtigt = true;
        }
    }
    // "alle" ticks or clears the three zones.
    connect(m_check[3], &QCheckBox::clicked, this, [this](bool an) {
        for (int i = 0; i < 3; ++i)
            m_check[i]->setChecked(an);
    });
    label2->setText(m_gruppe ? text(213) : berechtigt ? text(214) : text(215));

    auto *frame2 = new QGroupBox(text(200), this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    m_text2 = new QLineEdit(frame2);
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_text2->setText(m_gruppe ? Leerzeile : Kartenregeln::namen(m_z.bild, m_seite).value(karte));
    m_text2->installEventFilter(this);
    (new QVBoxLayout(frame2))->addWidget(m_text2);

    auto *knoepfe = Kartendialogteile::knopfzeile(
        this, text, [this] { berechtigen(); }, [this] { sperren(); });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame1);
    layout->addWidget(frame3);
    layout->addWidget(frame2);
    layout->addLayout(knoepfe);
    m_text2->setMinimumWidth(m_text2->fontMetrics().horizontalAdvance(QString(32, QLatin1Char('M'))));
}

bool Kartendialog::eventFilter(QObject *objekt, QEvent *event)
{
    if (objekt == m_text2 && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, m_text2, &QLineEdit::selectAll);
    return QDialog::eventFilter(objekt, event);
}

void Kartendialog::berechtigen()
{
    const bool alle = m_check[3]->isChecked();
    const std::array<bool, 3> zonen{alle || m_check[0]->isChecked(), alle || m_check[1]->isChecked(),
                                    alle || m_check[2]->isChecked()};
    // A group keeps each card's own name unless one was typed.
    std::optional<QString> name;
    if (!m_gruppe || m_text2->isModified())
        name = m_text2->text();
    if (!Kartenregeln::berechtigen(m_z.bild, m_u, m_seite, zonen, name)) {
        m_meldung.zeige(m_z, 216, 217, Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen);
        return;
    }
    accept();
}

void Kartendialog::sperren()
{
    Kartenregeln::sperren(m_z.bild, m_u);
    accept();
}
