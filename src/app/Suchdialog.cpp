#include "app/Suchdialog.h"
#include "app/Tasten.h"

#include "app/Listengitter.h"
#include "app/Listenmodell.h"
#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
}  // namespace

Suchdialog::Suchdialog(Zustand &z, Meldung &m, Listengitter *gitter, QWidget *parent)
    : QDialog(parent), m_z(z), m_meldung(m), m_gitter(gitter)
{
    setObjectName(QStringLiteral("suchen2d"));
    Texttabelle::ladeTexte(z, 390, 422);
    const auto text = [&z](int n) { return z.sprache.texte.value(n); };
    setWindowTitle(Texttabelle::text(z, 270));

    auto *label1 = new QLabel(text(401), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->installEventFilter(this);
    auto *command1 = new QPushButton(text(402), this);
    command1->setObjectName(QStringLiteral("Command1"));
    auto *command2 = new QPushButton(text(403), this);
    command2->setObjectName(QStringLiteral("Command2"));
    auto *command3 = new QPushButton(text(404), this);
    command3->setObjectName(QStringLiteral("Command3"));
    command1->setDefault(true);
    command2->setAutoDefault(false);
    command3->setAutoDefault(false);
    connect(command1, &QPushButton::clicked, this, &Suchdialog::sucheStarten);
    connect(command2, &QPushButton::clicked, this, &Suchdialog::weitersuchen);
    connect(command3, &QPushButton::clicked, this, &QDialog::accept);

    auto *knoepfe = new QHBoxLayout;
    knoepfe->addWidget(command1);
    knoepfe->addWidget(command2);
    knoepfe->addWidget(command3);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addWidget(m_text1);
    layout->addLayout(knoepfe);
    if (parent)
        move(parent->mapToGlobal(QPoint(100 / Tasten::Twips, 100 / Tasten::Twips)));
}

bool Suchdialog::eventFilter(QObject *objekt, QEvent *event)
{
    if (objekt == m_text1 && event->type() == QEvent::FocusIn) {
        const auto grund = static_cast<QFocusEvent *>(event)->reason();
        // Coming back from the "not found" message is no new start.
        const bool fensterwechsel = grund == Qt::ActiveWindowFocusReason || grund == Qt::PopupFocusReason;
        if (!m_geoeffnet || !fensterwechsel) {
            m_geoeffnet = true;
            // Ready to be typed over; the next search starts from the top.
            m_letzter.reset();
            m_text1->setText(QStringLiteral("?????"));
            QTimer::singleShot(0, m_text1, &QLineEdit::selectAll);
        }
    }
    return QDialog::eventFilter(objekt, event);
}

int Suchdialog::startzeile() const
{
    // The first entry row: card 0 in a card grid, the first slot otherwise.
    const Listenmodell *m = m_gitter->modell();
    return m && m->kartengitter() ? Kartenregeln::ErsteKartenzeile : 2;
}

void Suchdialog::sucheStarten()
{
    suche(std::nullopt);
}

void Suchdialog::weitersuchen()
{
    suche(m_letzter);
}

void Suchdialog::suche(std::optional<Kartenregeln::Treffer> ab)
{
    Listenmodell *m = m_gitter->modell();
    if (!m)
        return;
    m_text1->setText(m_text1->text().toUpper());
    QVector<int> spalten{1};
    if (m->kartengitter() && m->seitenansicht())
        spalten = {1, 2, 3, 4, 5, 6, 7};
    const auto zelle = [m](int zeile, int spalte) { return m->zelltext(zeile, spalte); };
    const std::optional<Kartenregeln::Treffer> t =
        Kartenregeln::suche(zelle, m->rowCount(), spalten, startzeile(), m_text1->text(), ab);
    if (!t) {
        m_letzter.reset();
        m_meldung.zeige(m_z, 405, 406, Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen);
        return;
    }
    m_letzter = t;
    const QModelIndex i = m->index(t->zeile, t->spalte);
    m_gitter->setCurrentIndex(i);
    m->setTreffer(t->zeile, t->spalte);
    m_gitter->scrollTo(i, QAbstractItemView::PositionAtTop);
}
