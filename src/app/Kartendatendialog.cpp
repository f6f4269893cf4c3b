#include "app/Kartendatendialog.h"

#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "termfile/Einstellungsregeln.h"
#include "termfile/Uebergabe.h"

#include <QFocusEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

Kartendatendialog::Kartendatendialog(Zustand &z, Meldung &m, Uebergabe &u, QWidget *parent)
    : QDialog(parent), m_z(z), m_meldung(m), m_u(u)
{
    setObjectName(QStringLiteral("Datensp2D"));
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

    auto *command1 = new QPushButton(z.sprache.texte.at(201), this);
    command1->setObjectName(QStringLiteral("Command1"));
    command1->setAutoDefault(false);
    auto *command2 = new QPushButton(z.sprache.texte.at(202), this);
    command2->setObjectName(QStringLiteral("Command2"));
    command2->setAutoDefault(false);
    connect(command1, &QPushButton::clicked, this, &QDialog::reject);
    connect(command2, &QPushButton::clicked, this, &Kartendatendialog::ok);

    auto *knoepfe = new QHBoxLayout;
    knoepfe->addStretch();
    knoepfe->addWidget(command1);
    knoepfe->addWidget(command2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame1);
    layout->addWidget(frame2);
    layout->addLayout(knoepfe);

    m_text1->installEventFilter(this);
    m_text2->installEventFilter(this);
    const int breite = m_text1->fontMetrics().horizontalAdvance(QString(qMax(40, int(eintrag.size()) + 4), QLatin1Char('0')));
    m_text1->setMinimumWidth(breite);
}

bool Kartendatendialog::eventFilter(QObject *objekt, QEvent *event)
{
    auto *box = qobject_cast<QLineEdit *>(objekt);
    if (box && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, box, &QLineEdit::selectAll);
    return QDialog::eventFilter(objekt, event);
}

void Kartendatendialog::ok()
{
    if (m_text1->text().size() < m_text1->maxLength()) {
        m_meldung.zeige(m_z, 203, 204, Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen);
        m_text1->setFocus();
        return;
    }
    m_z.bild.Begleittext[m_k] = m_text2->text();
    m_z.bild.Zeilentext[m_k] = m_text1->text();
    m_u.Dialogergebnis = 1;
    if (m_z.bild.Aenderungszaehler < 32767)
        ++m_z.bild.Aenderungszaehler;
    accept();
}
