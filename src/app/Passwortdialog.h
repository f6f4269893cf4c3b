#pragma once
// The password dialog Passwortdialog: six digits (packed into Passwort) or, after
// "X" in an empty box, free text. Returns through PasswortOK and Passwort.

#include "link/Passworteingabe.h"

#include <QDialog>

struct Zustand;
class Meldung;
class QLineEdit;
class QTimer;

class Passwortdialog : public QDialog {
    Q_OBJECT
public:
    // timer1: the main window's login tick, stopped while the dialog is open.
    Passwortdialog(Zustand &z, Meldung &meldung, QTimer *timer1 = nullptr, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *objekt, QEvent *ereignis) override;

private:
    void ok();

    Zustand &m_z;
    Meldung &m_meldung;
    Passworteingabe m_eingabe;
    QLineEdit *m_text1;
};
