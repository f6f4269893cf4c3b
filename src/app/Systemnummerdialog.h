#pragma once
// Dialog Systemnummerdialog: the system number of a special-code terminal. Text1
// starts with Systemnummer as four digits; OK encodes a number 0..4095
// into bytes 272 and 273 (Dialogergebnis 1). Any other text is refused
// with a message and the dialog stays open.

#include <QDialog>

struct Zustand;
struct Uebergabe;
class Meldung;
class QLineEdit;

class Systemnummerdialog : public QDialog {
    Q_OBJECT
public:
    Systemnummerdialog(Zustand &z, Meldung &m, Uebergabe &u, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *objekt, QEvent *event) override;

private:
    void ok();

    Zustand &m_z;
    Meldung &m_meldung;
    Uebergabe &m_u;
    QLineEdit *m_text1;
};
