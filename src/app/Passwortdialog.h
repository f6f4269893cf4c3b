#pragma once
// The password dialog Passwortdialog: six digits (packed into Passwort) or, after
// "X" in an empty box, free text. Returns through PasswortOK and Passwort.

#include "link/Passworteingabe.h"

#include "app/Felddialog.h"

struct Zustand;
class QLineEdit;
class QTimer;

class Passwortdialog : public Felddialog {
    Q_OBJECT
public:
    // timer1: the main window's login tick, stopped while the dialog is open.
    Passwortdialog(Zustand &z, Meldung &meldung, QTimer *timer1 = nullptr, QWidget *parent = nullptr);

private:
    void ok() override;
    std::optional<bool> taste(QLineEdit *feld, QKeyEvent *taste) override;

    Passworteingabe m_eingabe;
    QLineEdit *m_text1;
};
