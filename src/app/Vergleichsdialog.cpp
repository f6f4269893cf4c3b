#include "app/Vergleichsdialog.h"

#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "termfile/Dateivergleich.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

Vergleichsdialog::Vergleichsdialog(const Zustand &z, const Dateivergleich &v, Art art, const QString &kopf,
                                   QWidget *parent)
    : QDialog(parent)
{
    const bool frage = art == Art::Frage;
    setObjectName(frage ? QStringLiteral("frmVergleich") : QStringLiteral("frmUnterschiede"));
    setWindowTitle(Texttabelle::text(z, frage ? 844 : 847));
    setModal(true);

    auto *l = new QVBoxLayout(this);
    auto *label = new QLabel(kopf, this);
    label->setObjectName(QStringLiteral("LabelKopf"));
    label->setWordWrap(true);
    label->setVisible(!kopf.isEmpty());
    l->addWidget(label);

    m_liste = new QListWidget(this);
    m_liste->setObjectName(QStringLiteral("ListeUnterschiede"));
    // The summary's first line counts the bytes; equal memories give "Keine Unterschiede." alone.
    m_liste->addItems(v.zusammenfassung(z.sprache.versatz));
    QFont fest(QStringLiteral("monospace"));
    fest.setStyleHint(QFont::TypeWriter);
    m_liste->setFont(fest);
    l->addWidget(m_liste);

    auto *knoepfe = new QDialogButtonBox(this);
    if (frage) {
        QPushButton *weiter = knoepfe->addButton(Texttabelle::text(z, 845), QDialogButtonBox::AcceptRole);
        weiter->setObjectName(QStringLiteral("CommandWeiter"));
        QPushButton *abbrechen = knoepfe->addButton(Texttabelle::text(z, 846), QDialogButtonBox::RejectRole);
        abbrechen->setObjectName(QStringLiteral("CommandAbbrechen"));
        abbrechen->setDefault(true);
    } else {
        QPushButton *zu = knoepfe->addButton(Texttabelle::text(z, 848), QDialogButtonBox::RejectRole);
        zu->setObjectName(QStringLiteral("CommandSchliessen"));
    }
    connect(knoepfe, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(knoepfe, &QDialogButtonBox::rejected, this, &QDialog::reject);
    l->addWidget(knoepfe);
    resize(560, 380);
}
