#pragma once
// The start window Startfenster: language choice (rewrites the settings file)
// and the operating mode, RS485 or modem.

#include <QDialog>

struct Zustand;
class QGroupBox;
class QPushButton;
class QRadioButton;

class Startfenster : public QDialog {
    Q_OBJECT
public:
    // portnummer: the number set on the main window's port (for the settings file).
    Startfenster(Zustand &z, int portnummer, QWidget *parent = nullptr);

signals:
    // "Rs485 Betrieb" was pressed: Modembetrieb 0 and the intervals are set.
    void rs485Gewaehlt();
    // "Modembetrieb" was pressed: Modembetrieb 1 and the modem intervals are set.
    void modemGewaehlt();

private:
    void texteLaden();
    void spracheGewaehlt(int i);

    Zustand &m_z;
    int m_portnummer;
    QGroupBox *m_frame;
    QRadioButton *m_option[4];
    QPushButton *m_command;
    QPushButton *m_modem;
};
