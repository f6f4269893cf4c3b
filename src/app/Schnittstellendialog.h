#pragma once
// The port selection dialog Schnittstellendialog.

#include "link/Schnittstellenwahl.h"
#include "link/Verbindung.h"

#include <QDialog>

struct Zustand;
class Meldung;
class Port;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class Schnittstellendialog : public QDialog {
    Q_OBJECT
public:
    // port: the main window's RS485 port; portnummer: its number (changes with the choice).
    Schnittstellendialog(Zustand &z, Meldung &meldung, Port &port, int &portnummer, QWidget *parent = nullptr);

    Schnittstellenwahl &wahl() { return m_wahl; }
    // The echo mode chosen (stored on OK; the caller applies it to the link).
    Verbindung::Echomodus echomodus() const;
    // What the status line and the dialog say of the echo: a forced mode as
    // such, otherwise what is known (present, missing and stood in for, not yet known).
    static QString echotext(Zustand &z, Verbindung::Echomodus modus, Verbindung::Echostand stand);

    void done(int ergebnis) override;

private:
    void gewaehlt(int index);
    void ok();
    void zeigeGeraet(int index);

    Zustand &m_z;
    Meldung &m_meldung;
    Schnittstellenwahl m_wahl;
    QComboBox *m_combo1;
    QLineEdit *m_text1;
    QLabel *m_geraet;
    QPushButton *m_stabil;
    QComboBox *m_echo;
    QLabel *m_echoGeraet;
};
