#pragma once
// The view of one card-list grid: double click or Enter asks for an entry
// to be edited; the current cell is highlighted while the grid has the focus.

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

signals:
    void bearbeiten(int zeile, int spalte);
    // Entering a cell: the card number of its row (row - 3, at least 0).
    void zelleBetreten(int gruppenanfang);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void hebeHervor();
    Listenmodell *m_modell = nullptr;
    bool m_bearbeitung = false;
};
