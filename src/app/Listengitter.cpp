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
    m_anker = -1;
    for (int spalte = 0; spalte < m_modell->columnCount(); ++spalte) {
        int breite = fm.horizontalAdvance(m_modell->spaltenbeschriftung(spalte));
        // The card grid's system and card rows are wider than its caption.
        if (m_modell->kartengitter())
            for (int zeile = 1; zeile <= 3; ++zeile)
                breite = qMax(breite, fm.horizontalAdvance(m_modell->zelltext(zeile, spalte)));
        setColumnWidth(spalte, breite + 12);
    }
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
    m_shift = event->modifiers().testFlag(Qt::ShiftModifier);
    QTableView::keyPressEvent(event);
    m_shift = false;
}

void Listengitter::mousePressEvent(QMouseEvent *event)
{
    m_shift = event->modifiers().testFlag(Qt::ShiftModifier);
    const QModelIndex i = indexAt(event->position().toPoint());
    if (i.isValid() && i != currentIndex())
        setCurrentIndex(i);
    m_shift = false;
    QTableView::mousePressEvent(event);
}

void Listengitter::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex i = indexAt(event->position().toPoint());
    if (!i.isValid())
        return;
    // The press before already made the cell current (and, with Shift,
    // extended the group): the double click only asks for the edit.
    if (i != currentIndex()) {
        m_shift = event->modifiers().testFlag(Qt::ShiftModifier);
        setCurrentIndex(i);
        m_shift = false;
    }
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
    const bool gruppe = m_shift && m_modell && m_modell->kartengitter() && m_anker >= 3 && current.isValid()
                        && current.row() >= 3;
    if (!gruppe && current.isValid() && current.row() != 1) {
        m_anker = current.row();
        emit zelleBetreten(qMax(0, current.row() - 3));
    }
    zeigeGruppe();
    hebeHervor();
}

void Listengitter::setAnker(int zeile)
{
    m_anker = zeile;
    zeigeGruppe();
}

void Listengitter::zeigeGruppe()
{
    if (!m_modell)
        return;
    const int zeile = currentIndex().row();
    if (m_modell->kartengitter() && m_anker >= 3 && zeile >= 3 && zeile != m_anker)
        m_modell->setGruppe(m_anker, zeile);
    else
        m_modell->setGruppe(-1, -1);
}
