#pragma once
// The modem port's settings dialog Modemanschlussdialog ("COM-Anschluß-Einstellungen"):
// port number, speed, data format, handshake and the terminal's local echo.
// It works on the modem window's port; OK applies and stores the values in
// the per-user settings, Cancel changes nothing (not even the echo). A value
// the port refuses is reported in the chosen language; the dialog then
// stays open, nothing is stored and a changed port number is set back.
// Its captions are fixed German words; each port entry names the device
// behind it, and only the handshakes the port can use are offered.

#include <QDialog>

class Meldung;
class Port;
class QAction;
class QComboBox;
class QRadioButton;

class Modemanschlussdialog : public QDialog {
    Q_OBJECT
public:
    // portnummer and echo belong to the modem window and change only on OK;
    // mnuOpen is its "Anschluss öffnen" item (may be null).
    Modemanschlussdialog(Port &port, int &portnummer, bool &echo, Meldung &meldung, QAction *mnuOpen = nullptr,
              QWidget *parent = nullptr);

    void LoadPropertySettings();
    // Language offset (0, 1000, 2000, 3000) of the messages; German until set.
    void setSprache(int sprache) { m_sprache = sprache; }
    int handshakewahl() const { return m_handshake; }
    bool echowahl() const { return m_echowahl; }

private:
    void ok();
    void fehler(const QString &text);

    Port &m_port;
    int &m_portnummer;
    bool &m_echo;
    Meldung &m_meldung;
    QAction *m_mnuOpen;
    int m_sprache = 0;
    int m_handshake = 0;
    bool m_echowahl = false;

    QComboBox *m_cboPort, *m_cboSpeed, *m_cboDataBits, *m_cboParity, *m_cboStopBits;
    QRadioButton *m_optFlow[4];
    QRadioButton *m_optEcho[2];
};
