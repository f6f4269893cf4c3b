#include "app/Listengitter.h"

#include "app/Listenmodell.h"

#include <QHeaderView>
#include <QKeyEvent>

Listengitter::Listengitter(QWidget *parent) : QTableView(parent)
{
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTabKeyNavigation(false);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
}

void Listengitter::setModell(Listenmodell *modell)
{
    m_modell = modell;
    setModel(modell);
    connect(modell, &QAbstractItemModel::modelReset, this, &Listengitter::passeSpaltenAn);
    passeSpaltenAn();
}

void Listengitter::passeSpaltenAn()
{
    if (!m_modell)
        return;
    const QFontMetrics fm = fontMetrics();
    for (int spalte = 0; spalte < 2; ++spalte)
        setColumnWidth(spalte, fm.horizontalAdvance(m_modell->spaltenbeschriftung(spalte)) + 12);
}

void Listengitter::setBearbeitung(bool an)
{
    m_bearbeitung = an;
    hebeHervor();
}

void Listengitter::hebeHervor()
{
    if (!m_modell)
        return;
    const QModelIndex c = currentIndex();
    const bool aktiv = (hasFocus() || m_bearbeitung) && m_modell->rowCount() >= 3 && !m_modell->leer();
    if (aktiv && c.isValid() && c.row() >= 2)
        m_modell->setHervorhebung(c.row(), c.column());
    else
        m_modell->setHervorhebung(-1, -1);
}

void Listengitter::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (m_modell && m_modell->leer() && event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab) {
        event->accept();  // an empty list takes no keys
        return;
    }
    if (enter) {
        const QModelIndex c = currentIndex();
        if (c.isValid())
            emit bearbeiten(c.row(), c.column());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void Listengitter::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex i = indexAt(event->position().toPoint());
    if (!i.isValid())
        return;
    setCurrentIndex(i);
    emit bearbeiten(i.row(), i.column());
}

void Listengitter::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    hebeHervor();
}

void Listengitter::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    hebeHervor();
}

void Listengitter::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (current.isValid() && current.row() != 1)
        emit zelleBetreten(qMax(0, current.row() - 3));
    hebeHervor();
}
