#pragma once
// Dialog Systemnummerdialog: the system number of a special-code terminal. Text1
// starts with Systemnummer as four digits; OK encodes a number 0..4095
// into bytes 272 and 273 (Dialogergebnis 1). Any other text is refused
// with a message and the dialog stays open.

#include "app/Felddialog.h"

struct Zustand;
struct Uebergabe;
class QLineEdit;

class Systemnummerdialog : public Felddialog {
    Q_OBJECT
public:
    Systemnummerdialog(Zustand &z, Meldung &m, Uebergabe &u, QWidget *parent = nullptr);

private:
    void ok() override;

    Uebergabe &m_u;
    QLineEdit *m_text1;
};
