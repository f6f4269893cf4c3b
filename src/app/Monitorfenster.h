#pragma once
// The RS485 diagnosis monitor: a non-modal window owned by the main window
// that lists the traffic on the bus while it watches the link (received bytes
// in decimal, sent telegrams and control strings between "**"), with the
// time of each line and its direction. Selecting a byte line shows it in
// hexadecimal and as a character, a marker line in hexadecimal byte by byte.
// "Pause" freezes the list while the lines are still taken and counted;
// "Exportieren" writes the list to a text file.

#include "diag/Monitormodell.h"
#include "link/Empfangsrecht.h"

#include <QDialog>
#include <functional>

struct Zustand;
class Meldung;
class Verbindung;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QTimer;

class Monitorfenster : public QDialog {
    Q_OBJECT
public:
    static const QString Titel;  // "RS 485"

    Monitorfenster(Zustand &z, Verbindung &v, Meldung &meldung, QWidget *parent = nullptr);
    ~Monitorfenster() override;

    // Opening from the menu: texts, captions, empty list, Timer1 stopped.
    void oeffnen();
    // The port is open again after its adapter went away: a monitor that
    // stopped for the loss watches again.
    void portWiederDa();
    Monitormodell &modell() { return m_modell; }
    // Replaces the save dialog of the export: () -> chosen path or "".
    void setExportwahl(std::function<QString()> wahl) { m_exportwahl = std::move(wahl); }

protected:
    bool event(QEvent *ereignis) override;
    void closeEvent(QCloseEvent *ereignis) override;
    void showEvent(QShowEvent *ereignis) override;

private:
    void aktivieren();
    void zeileGewaehlt(int zeile);
    void boxenLeeren();
    void pauseUmschalten();
    void pauseAnzeigen();
    void exportieren();

    Zustand &m_z;
    Verbindung &m_v;
    Meldung &m_meldung;
    Monitormodell m_modell;
    Empfangsrecht m_beobachtung;  // held while the monitor runs
    std::function<QString()> m_exportwahl;
    // Stop holds until Reset: activating the window again does not undo it.
    bool m_gestoppt = false;
    bool m_verlorenGestoppt = false;  // stopped because the port went away

    QListView *m_list1;
    QLineEdit *m_text1, *m_text2, *m_textHex;
    QLabel *m_labelPause, *m_labelSpalten, *m_labelHex;
    QPushButton *m_command1, *m_command2, *m_command3, *m_commandPause, *m_commandExport;
    QTimer *m_timer1;
};
