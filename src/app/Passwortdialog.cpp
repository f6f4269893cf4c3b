#include "app/Passwortdialog.h"

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
    : Felddialog(z, &meldung, QStringLiteral("Passwort2D"), parent)
{
    setModal(true);
    Texttabelle::ladeTexte(m_z, 338, 343);
    setWindowTitle(m_z.sprache.texte.at(341));

    auto *frame = new QGroupBox(m_z.sprache.texte.at(338), this);
    frame->setObjectName(QStringLiteral("Frame2"));
    m_text1 = new QLineEdit(frame);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setMaxLength(m_eingabe.hoechstlaenge());
    m_text1->setContextMenuPolicy(Qt::NoContextMenu);  // typed keys only: no paste around the filter
    beobachteTasten(m_text1);
    auto *rahmen = new QVBoxLayout(frame);
    rahmen->addWidget(m_text1);

    auto *okKnopf = knopf(m_z.sprache.texte.at(339), QStringLiteral("OK"), Rolle::Ok);
    auto *abbrechen = knopf(m_z.sprache.texte.at(340), QStringLiteral("abbrechen"), Rolle::Abbrechen);
    auto *knoepfe = knopfzeile({okKnopf, abbrechen}, false);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(knoepfe);

    if (timer1)
        timer1->stop();
    setMinimumWidth(320);
}

std::optional<bool> Passwortdialog::taste(QLineEdit *feld, QKeyEvent *taste)
{
    if (feld != m_text1)
        return std::nullopt;
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
    return std::nullopt;
}

void Passwortdialog::ok()
{
    if (m_eingabe.ok(m_text1->text(), m_z) == Passworteingabe::Ergebnis::ZuKurz) {
        abweisen(342, 343, m_text1, Meldung::Symbol::Keins);
        return;
    }
    accept();
}
