#include "app/Felddialog.h"

#include "base/Zustand.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

Felddialog::Felddialog(Zustand &z, Meldung *meldung, const QString &formname, QWidget *parent)
    : QDialog(parent), m_z(z), m_meldung(meldung)
{
    setObjectName(formname);
}

void Felddialog::markiereBeimBetreten(QLineEdit *feld, Markierung markierung)
{
    m_markierung.insert(feld, std::move(markierung));
    feld->installEventFilter(this);
}

void Felddialog::beobachteTasten(QLineEdit *feld)
{
    feld->installEventFilter(this);
}

QPushButton *Felddialog::knopf(const QString &text, const QString &name, Rolle rolle)
{
    auto *k = new QPushButton(text, this);
    k->setObjectName(name);
    k->setAutoDefault(false);
    if (rolle == Rolle::Ok)
        connect(k, &QPushButton::clicked, this, [this] { ok(); });
    else
        connect(k, &QPushButton::clicked, this, &QDialog::reject);
    return k;
}

QHBoxLayout *Felddialog::knopfzeile(std::initializer_list<QPushButton *> knoepfe, bool rechts)
{
    auto *zeile = new QHBoxLayout;
    if (rechts)
        zeile->addStretch();
    for (QPushButton *k : knoepfe)
        zeile->addWidget(k);
    return zeile;
}

void Felddialog::abweisen(int text, int titel, QLineEdit *feld, Meldung::Symbol symbol)
{
    if (m_meldung)
        m_meldung->zeige(m_z, text, titel, Meldung::Knoepfe::Ok, symbol);
    feld->setFocus();
}

std::optional<bool> Felddialog::taste(QLineEdit *, QKeyEvent *)
{
    return std::nullopt;
}

bool Felddialog::eventFilter(QObject *objekt, QEvent *ereignis)
{
    if (auto *feld = qobject_cast<QLineEdit *>(objekt)) {
        const auto markierung = m_markierung.constFind(feld);
        if (markierung != m_markierung.constEnd() && ereignis->type() == QEvent::FocusIn) {
            const Markierung waehle = *markierung;
            QTimer::singleShot(0, feld, [feld, waehle] {
                if (waehle)
                    waehle(feld);
                else
                    feld->selectAll();
            });
        }
        if (ereignis->type() == QEvent::KeyPress) {
            if (const std::optional<bool> geschluckt = taste(feld, static_cast<QKeyEvent *>(ereignis)))
                return *geschluckt;
        }
    }
    return QDialog::eventFilter(objekt, ereignis);
}
