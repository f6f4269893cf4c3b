#pragma once
// Dialog Displayzeilendialog: edits display line Displayzeile. OK cuts or pads
// the text to 16 characters, shows it in the editor's line box and writes
// the display codes into the image.

#include "app/Felddialog.h"

struct Zustand;
struct Uebergabe;
class QLineEdit;

class Displayzeilendialog : public Felddialog {
    Q_OBJECT
public:
    // zeilenbox: the editor's box of line Displayzeile.
    Displayzeilendialog(Zustand &z, Uebergabe &u, QLineEdit *zeilenbox, QWidget *parent = nullptr);

    void done(int ergebnis) override;
    static QColor farbeNachBearbeitung();  // &H800

private:
    void ok() override;

    Uebergabe &m_u;
    QLineEdit *m_zeilenbox;
    QLineEdit *m_text1;
};
