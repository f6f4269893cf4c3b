#include "app/Passwortdialog.h"

#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

Passwortdialog::Passwortdialog(Zustand &z, Meldung &meldung, QTimer *timer1, QWidget *parent)
    : QDialog(parent), m_z(z), m_meldung(meldung)
{
    setObjectName(QStringLiteral("Passwort2D"));
    setModal(true);
    Texttabelle::ladeTexte(m_z, 338, 343);
    setWindowTitle(m_z.sprache.texte.at(341));

    auto *frame = new QGroupBox(m_z.sprache.texte.at(338), this);
    frame->setObjectName(QStringLiteral("Frame2"));
    m_text1 = new QLineEdit(frame);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setMaxLength(m_eingabe.hoechstlaenge());
    m_text1->setContextMenuPolicy(Qt::NoContextMenu);  // typed keys only: no paste around the filter
    m_text1->installEventFilter(this);
    auto *rahmen = new QVBoxLayout(frame);
    rahmen->addWidget(m_text1);

    auto *okKnopf = new QPushButton(m_z.sprache.texte.at(339), this);
    okKnopf->setObjectName(QStringLiteral("OK"));
    okKnopf->setAutoDefault(false);
    auto *abbrechen = new QPushButton(m_z.sprache.texte.at(340), this);
    abbrechen->setObjectName(QStringLiteral("abbrechen"));
    abbrechen->setAutoDefault(false);
    connect(okKnopf, &QPushButton::clicked, this, &Passwortdialog::ok);
    connect(abbrechen, &QPushButton::clicked, this, &QDialog::reject);

    auto *knoepfe = new QHBoxLayout;
    knoepfe->addWidget(okKnopf);
    knoepfe->addWidget(abbrechen);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(knoepfe);

    if (timer1)
        timer1->stop();
    setMinimumWidth(320);
}

bool Passwortdialog::eventFilter(QObject *objekt, QEvent *ereignis)
{
    if (objekt != m_text1)
        return QDialog::eventFilter(objekt, ereignis);
    if (ereignis->type() == QEvent::KeyPress) {
        auto *taste = static_cast<QKeyEvent *>(ereignis);
        if (taste->key() == Qt::Key_Backspace)
            return false;
        if (taste->matches(QKeySequence::Paste))
            return true;
        QChar zeichen;
        if (taste->key() == Qt::Key_Return || taste->key() == Qt::Key_Enter)
            zeichen = QChar(13);
        else if (!taste->text().isEmpty())
            zeichen = taste->text().at(0);
        else
            return false;  // cursor keys and the like
        switch (m_eingabe.taste(zeichen, m_text1->text(), m_z)) {
        case Passworteingabe::Taste::Ok:
            ok();
            return true;
        case Passworteingabe::Taste::Verschluckt:
            m_text1->setMaxLength(m_eingabe.hoechstlaenge());
            return true;
        case Passworteingabe::Taste::Weiter:
            if (zeichen == QChar(13))
                return true;  // in free entry CR is taken as it stands: nothing to type
            return false;
        }
    }
    return QDialog::eventFilter(objekt, ereignis);
}

void Passwortdialog::ok()
{
    if (m_eingabe.ok(m_text1->text(), m_z) == Passworteingabe::Ergebnis::ZuKurz) {
        m_meldung.zeige(m_z, 342, 343, Meldung::Knoepfe::Ok, Meldung::Symbol::Keins);
        m_text1->setFocus();
        return;
    }
    accept();
}
