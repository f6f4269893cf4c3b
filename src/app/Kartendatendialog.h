#pragma once
// Dialog Kartendatendialog: edits the card data string of one list entry and its
// comment. The entry is Eintragsnummer of the hand-back variables; on OK
// Zeilentext and Begleittext take the new texts and Dialogergebnis is 1.
// The caller writes the string back into the image.

#include "app/Felddialog.h"

struct Zustand;
struct Uebergabe;
class QLineEdit;

class Kartendatendialog : public Felddialog {
    Q_OBJECT
public:
    Kartendatendialog(Zustand &z, Meldung &m, Uebergabe &u, QWidget *parent = nullptr);

private:
    void ok() override;

    Uebergabe &m_u;
    int m_k;
    QLineEdit *m_text1;
    QLineEdit *m_text2;
};
