#include "app/Kundendatendialog.h"

#include "app/Kartendialogteile.h"

#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "termfile/Kartenregeln.h"
#include "termfile/Uebergabe.h"

#include <QFocusEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Box name, label text number (0: no label) and initial text number per field.
struct Feldangabe {
    const char *name;
    int label;
    int anfang;
};
const Feldangabe Felder[7] = {
    {"text1", 219, 407}, {"text8", 220, 408}, {"text3", 221, 409}, {"text4", 222, 410},
    {"text5", 223, 411}, {"text6", 224, 412}, {"text7", 0, 225},
};

}  // namespace

Kundendatendialog::Kundendatendialog(Zustand &z, Uebergabe &u, int seite, QWidget *parent)
    : QDialog(parent), m_z(z), m_u(u), m_seite(seite)
{
    setObjectName(QStringLiteral("qrxdatensp12000"));
    Texttabelle::ladeTexte(z, 198, 225);
    Texttabelle::ladeTexte(z, 390, 422);
    const auto text = [&z](int n) { return z.sprache.texte.value(n); };
    setWindowTitle(text(198));
    const Kartendialogteile::Kopf kopf =
        Kartendialogteile::kopf(this, m_u, Kartenregeln::seitenpraefix(seite), text);
    const int karte = kopf.karte;
    m_gruppe = kopf.gruppe;
    QGroupBox *frame1 = kopf.rahmen;
    kopf.zustand->setText(m_gruppe ? text(213) : m_z.bild.gesperrt(karte) ? text(215) : text(214));
    kopf.zeile->addStretch();

    auto *form = new QFormLayout;
    for (int feld = 0; feld < 7; ++feld) {
        auto *box = new QLineEdit(this);
        box->setObjectName(QLatin1String(Felder[feld].name));
        box->setText(m_gruppe ? text(Felder[feld].anfang)
                              : Kartenregeln::kundenfeld(m_z.bild, m_seite, feld).value(karte));
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QString(feld == 6 ? 40 : 28, QLatin1Char('M'))));
        box->installEventFilter(this);
        m_felder[feld] = box;
        if (Felder[feld].label)
            form->addRow(text(Felder[feld].label), box);
        else
            form->addRow(box);
    }

    auto *knoepfe = Kartendialogteile::knopfzeile(
        this, text, [this] { berechtigen(); }, [this] { sperren(); });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame1);
    layout->addLayout(form);
    layout->addLayout(knoepfe);
}

bool Kundendatendialog::eventFilter(QObject *objekt, QEvent *event)
{
    for (QLineEdit *box : m_felder) {
        if (objekt != box)
            continue;
        if (event->type() == QEvent::FocusIn
            && static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason) {
            m_geklickt = box;
        } else if (event->type() == QEvent::MouseButtonRelease && m_geklickt == box) {
            // The click that brought the focus selects the whole text (a
            // drag that chose part of it is left as it is).
            m_geklickt = nullptr;
            if (!box->hasSelectedText())
                box->selectAll();
        }
        break;
    }
    return QDialog::eventFilter(objekt, event);
}

void Kundendatendialog::uebernimmFelder(const Kartenregeln::Bereich &bereich)
{
    // A single card's boxes start with its own data. A group's start with
    // their captions ("Vorname", ...): only what was typed is stored there,
    // never a caption.
    for (int feld = 0; feld < 7; ++feld) {
        QLineEdit *box = m_felder[feld];
        if (m_gruppe && !box->isModified())
            continue;
        QVector<QString> &ziel = Kartenregeln::kundenfeld(m_z.bild, m_seite, feld);
        for (int karte = bereich.von; karte <= bereich.bis && karte < ziel.size(); ++karte)
            ziel[karte] = box->text();
    }
}

void Kundendatendialog::berechtigen()
{
    uebernimmFelder(Kartenregeln::bereich(m_u));
    Kartenregeln::berechtigen(m_z.bild, m_u, m_seite, {true, false, false}, std::nullopt);
    accept();
}

void Kundendatendialog::sperren()
{
    uebernimmFelder(Kartenregeln::bereich(m_u));
    Kartenregeln::sperren(m_z.bild, m_u);
    accept();
}
