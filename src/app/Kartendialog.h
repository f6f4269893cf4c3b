#pragma once
// Dialog Kartendialog: one card, or a group of consecutive cards, of the
// plain special-code grid. Shows the card's state and zones, authorizes
// the range in the ticked time zones (with the name typed in Text2) or
// blocks it. Results go back through Uebergabe: Dialogergebnis 1
// authorized, 2 blocked, 0 cancelled; Zonenziffern, Gruppenende,
// Eintragsnummer, Gruppenanfang as the group rules leave them.

#include <QDialog>
#include <array>

struct Zustand;
struct Uebergabe;
class Meldung;
class QCheckBox;
class QLabel;
class QLineEdit;

class Kartendialog : public QDialog {
    Q_OBJECT
public:
    // seite: the page whose names the card's name belongs to (1..3).
    Kartendialog(Zustand &z, Meldung &m, Uebergabe &u, int seite, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *objekt, QEvent *event) override;

private:
    void berechtigen();
    void sperren();

    Zustand &m_z;
    Meldung &m_meldung;
    Uebergabe &m_u;
    int m_seite;
    bool m_gruppe;
    std::array<QCheckBox *, 4> m_check{};  // zones 1, 2, 3 and "alle"
    QLineEdit *m_text2 = nullptr;
};
