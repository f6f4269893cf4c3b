#pragma once
// Dialog Kundendatendialog: one card, or a group, of the page view ("12 000
// Karten") with the card's name and customer data. "Berechtigen"
// authorizes the range in time zone 1, "Sperren" blocks it; either stores
// what was typed into the boxes for every card of the range. "abbrechen"
// leaves the image and the page's arrays exactly as they were. A click
// into a box selects its text, ready to be typed over or kept.

#include "termfile/Kartenregeln.h"

#include <QDialog>
#include <array>

struct Zustand;
struct Uebergabe;
class Meldung;
class QLineEdit;

class Kundendatendialog : public QDialog {
    Q_OBJECT
public:
    Kundendatendialog(Zustand &z, Uebergabe &u, int seite, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *objekt, QEvent *event) override;

private:
    // The boxes typed into, stored for every card of the range.
    void uebernimmFelder(const Kartenregeln::Bereich &bereich);
    void berechtigen();
    void sperren();

    Zustand &m_z;
    Uebergabe &m_u;
    int m_seite;
    bool m_gruppe;
    // Field 0 the name (text1), 1..6 first name (text8), post code (text3),
    // town (text4), street (text5), telephone (text6), remarks (text7).
    std::array<QLineEdit *, 7> m_felder{};
    QLineEdit *m_geklickt = nullptr;  // the box a mouse click is giving the focus to
};
