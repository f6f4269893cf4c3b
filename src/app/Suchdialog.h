#pragma once
// Dialog Suchdialog ("Suchen"): finds a text in a grid of the editor,
// ignoring case: in column 1 (comments, card names), or in the page view
// column by column in the name and customer columns 1..7. The match becomes
// the grid's current cell, is coloured and scrolled to the top;
// "Weitersuchen" goes on after it, so no match is skipped.

#include "termfile/Kartenregeln.h"

#include <QDialog>
#include <optional>

struct Zustand;
class Meldung;
class Listengitter;
class QLineEdit;

class Suchdialog : public QDialog {
    Q_OBJECT
public:
    // gitter: Mgd1 for Suchmodus 1, Mgd2 for Suchmodus 2.
    Suchdialog(Zustand &z, Meldung &m, Listengitter *gitter, QWidget *parent = nullptr);

    // Searches from the first entry row, or after the last match.
    void sucheStarten();
    void weitersuchen();

protected:
    bool eventFilter(QObject *objekt, QEvent *event) override;

private:
    void suche(std::optional<Kartenregeln::Treffer> ab);
    int startzeile() const;

    Zustand &m_z;
    Meldung &m_meldung;
    Listengitter *m_gitter;
    QLineEdit *m_text1;
    std::optional<Kartenregeln::Treffer> m_letzter;
    bool m_geoeffnet = false;  // Text1 had the focus once
};
