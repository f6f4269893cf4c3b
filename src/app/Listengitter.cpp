#include "app/Listengitter.h"

#include "app/Listenmodell.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

Listengitter::Listengitter(QWidget *parent) : QTableView(parent)
{
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTabKeyNavigation(false);
    // Across by pixels, so that a cell can be brought to lie just beside
    // the fixed column.
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);

    m_fest = new QTableView(this);
    m_fest->setObjectName(QStringLiteral("FesteSpalte"));
    m_fest->setFocusPolicy(Qt::NoFocus);
    m_fest->setSelectionMode(QAbstractItemView::NoSelection);
    m_fest->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_fest->setWordWrap(false);
    m_fest->setFrameShape(QFrame::NoFrame);
    m_fest->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_fest->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_fest->verticalHeader()->hide();
    m_fest->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_fest->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    m_fest->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_fest->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_fest->horizontalHeader()->setHighlightSections(false);
    m_fest->viewport()->installEventFilter(this);
    viewport()->stackUnder(m_fest);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_fest->verticalScrollBar(), &QAbstractSlider::setValue);
    connect(m_fest->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(), &QAbstractSlider::setValue);
    // Column 0 can be widened from either head.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int spalte, int, int breite) {
        if (spalte == 0) {
            m_fest->setColumnWidth(0, breite);
            richteFesteSpalteEin();
        }
    });
    connect(m_fest->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int spalte, int, int breite) {
        if (spalte == 0)
            setColumnWidth(0, breite);
    });
}

void Listengitter::setModell(Listenmodell *modell)
{
    m_modell = modell;
    setModel(modell);
    m_fest->setModel(modell);
    m_fest->setSelectionModel(selectionModel());
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
    legeFesteSpalteAn();
    // A grid filled afresh starts at its top left corner.
    scrollToTop();
    horizontalScrollBar()->setValue(0);
}

void Listengitter::legeFesteSpalteAn()
{
    // Row 0 holds the captions, which the column heads show.
    setRowHidden(0, true);
    m_fest->setRowHidden(0, true);
    for (int spalte = 0; spalte < m_modell->columnCount(); ++spalte)
        m_fest->setColumnHidden(spalte, spalte != 0);
    m_fest->setColumnWidth(0, columnWidth(0));
    richteFesteSpalteEin();
}

void Listengitter::richteFesteSpalteEin()
{
    if (!m_fest)
        return;
    const int oben = horizontalHeader()->isVisible() ? horizontalHeader()->y() : viewport()->y();
    m_fest->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
    m_fest->setGeometry(viewport()->x(), oben, qMin(columnWidth(0), viewport()->width()),
                        viewport()->y() + viewport()->height() - oben);
    m_fest->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

void Listengitter::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    richteFesteSpalteEin();
}

void Listengitter::updateGeometries()
{
    QTableView::updateGeometries();
    richteFesteSpalteEin();
}

void Listengitter::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid())
        return;
    const int waagerecht = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    if (index.column() == 0) {
        // Column 0 is always on show: only the rows move.
        horizontalScrollBar()->setValue(waagerecht);
        return;
    }
    const int frei = m_fest->width();
    const int links = visualRect(index).left();
    if (links < frei)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - (frei - links));
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

void Listengitter::druecke(const QModelIndex &i, Qt::KeyboardModifiers mod)
{
    m_shift = mod.testFlag(Qt::ShiftModifier);
    if (i.isValid() && i != currentIndex())
        setCurrentIndex(i);
    m_shift = false;
}

void Listengitter::doppelklick(const QModelIndex &i, Qt::KeyboardModifiers mod)
{
    if (!i.isValid())
        return;
    // The press before already made the cell current (and, with Shift,
    // extended the group): the double click only asks for the edit.
    if (i != currentIndex())
        druecke(i, mod);
    emit bearbeiten(i.row(), i.column());
}

void Listengitter::mousePressEvent(QMouseEvent *event)
{
    druecke(indexAt(event->position().toPoint()), event->modifiers());
    QTableView::mousePressEvent(event);
}

void Listengitter::mouseDoubleClickEvent(QMouseEvent *event)
{
    doppelklick(indexAt(event->position().toPoint()), event->modifiers());
}

bool Listengitter::eventFilter(QObject *objekt, QEvent *event)
{
    // The fixed column acts as the grid's own column 0.
    if (objekt == m_fest->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto *maus = static_cast<QMouseEvent *>(event);
            if (maus->button() != Qt::LeftButton)
                return true;
            const QModelIndex i = m_fest->indexAt(maus->position().toPoint());
            setFocus(Qt::MouseFocusReason);
            if (event->type() == QEvent::MouseButtonPress)
                druecke(i, maus->modifiers());
            else
                doppelklick(i, maus->modifiers());
            return true;
        }
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
            return true;
        default:
            break;
        }
    }
    return QTableView::eventFilter(objekt, event);
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
