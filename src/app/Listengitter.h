#pragma once
// The view of one card-list grid: double click or Enter asks for an entry
// to be edited; the current cell is highlighted while the grid has the focus.
// In the special-code card grid Shift+click and Shift+arrow extend a group
// of card rows from the anchor (the row entered without Shift) to the
// current row; Enter or a double click then edits that group.
//
// Row 0 of the model (the captions) stands in the column heads and
// column 0 (data string, or card number and status) in a column of its
// own over the grid's left edge: both stay on show however far the grid
// is scrolled, down or across.

#include <QTableView>

class Listenmodell;

class Listengitter : public QTableView {
    Q_OBJECT
public:
    explicit Listengitter(QWidget *parent = nullptr);
    void setModell(Listenmodell *modell);
    Listenmodell *modell() const { return m_modell; }
    // Column widths from the caption texts (a widened caption widens).
    void passeSpaltenAn();
    // Keeps the highlight on the current cell while a dialog edits it.
    void setBearbeitung(bool an);

    // The group's anchor row (the last row entered without Shift).
    int anker() const { return m_anker; }
    // Makes zeile the anchor: no group is chosen any more.
    void setAnker(int zeile);

    // Scrolls so that index is on show beside the fixed column 0.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

signals:
    void bearbeiten(int zeile, int spalte);
    // Entering a cell without Shift: the card number of its row (row - 3,
    // at least 0).
    void zelleBetreten(int gruppenanfang);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void resizeEvent(QResizeEvent *event) override;
    void updateGeometries() override;
    bool eventFilter(QObject *objekt, QEvent *event) override;

private:
    void hebeHervor();
    void zeigeGruppe();
    void druecke(const QModelIndex &i, Qt::KeyboardModifiers mod);
    void doppelklick(const QModelIndex &i, Qt::KeyboardModifiers mod);
    void richteFesteSpalteEin();
    void legeFesteSpalteAn();
    Listenmodell *m_modell = nullptr;
    QTableView *m_fest = nullptr;  // column 0, over the grid's left edge
    bool m_bearbeitung = false;
    bool m_shift = false;  // the key or click moving the current cell holds Shift
    int m_anker = -1;
};
