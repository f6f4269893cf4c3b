#pragma once
// The modem window Modemfenster ("Modembetrieb"): a small terminal on a port
// of its own. It dials with an AT string, sees the modem's connect message,
// hangs up, and while the connection stands hands everything received to the
// program's receive stores, so that identification, read-out and write run
// over the telephone line. Modeless, opened from the main window's "M&odem".
//
// The main window follows it through the signals: verbindungSteht (Modem
// off, PORTAVO and Trouble on), auflegenBeginnt (Timer5 off, Trouble off),
// aufgelegt (identification display reset, PORTAVO off) and beendet (the
// window is closing: display reset, Modem on, PORTAVO off).
//
// Controls by name: txtTerm, Label1, Timer1, Timer2, mnuFile, mnuFileExit,
// mnuPort, mnuOpen, mnuproperties, mnuCall, mnuDial, mnuHangUp.

#include <QMainWindow>
#include <functional>

struct Zustand;
class Verbindung;
class Meldung;
class Port;
class Modemterminal;
class Auflegen;
class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QTimer;

class Modemfenster : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int Abflussgrenze = 10000;  // ms the output may take when closing
    static constexpr int Standardport = 2;       // port number without stored settings
    // A modem echoes the dial string at once: silence this long after a dial
    // means no modem on the port (text 632).
    static constexpr int Lebenszeichenfrist = 5000;

    // port: the modem port to use (not owned); nullptr: a serial port of its own.
    Modemfenster(Zustand &z, Verbindung &v, Meldung &meldung, Port *port = nullptr, QWidget *parent = nullptr);
    ~Modemfenster() override;

    Port &port() { return *m_port; }
    Modemterminal &terminal() { return *m_terminal; }
    Auflegen &auflegen() { return *m_auflegen; }
    int portnummer() const { return m_portnummer; }
    bool echo() const { return m_echo; }
    // The number dialled last: the installation the terminals on the line
    // belong to (their backups are kept under it).
    QString gewaehlt() const { return m_gewaehlt; }

    // Replaces the number input box: returns the number, "" for Cancel.
    void setNummernabfrage(std::function<QString()> abfrage) { m_abfrage = std::move(abfrage); }
    // Replaces the modal settings dialog (tests drive it themselves).
    void setAbflussgrenze(int ms) { m_abflussgrenze = ms; }
    void setLebenszeichenfrist(int ms);

    // The menu operations.
    void oeffnenSchliessen();
    void waehlen();
    void auflegenMenue();
    void beenden();
    void einstellungen();

signals:
    void verbindungSteht();
    void auflegenBeginnt();
    void aufgelegt();
    void beendet();

protected:
    void closeEvent(QCloseEvent *ereignis) override;
    void showEvent(QShowEvent *ereignis) override;
    bool eventFilter(QObject *objekt, QEvent *ereignis) override;

private:
    void laden();
    void menuesNachPort();
    void anzeigen();
    void abflussBlick();
    void schliessenAbschliessen();
    bool taste(const QString &text);

    Zustand &m_z;
    Verbindung &m_v;
    Meldung &m_meldung;
    Port *m_port;
    Modemterminal *m_terminal;
    Auflegen *m_auflegen;
    int m_portnummer = Standardport;
    bool m_echo = false;
    std::function<QString()> m_abfrage;
    QString m_gewaehlt;
    int m_abflussgrenze = Abflussgrenze;
    int m_abflussMs = 0;
    bool m_schliessenFrei = false;
    QString m_angezeigt;

    QPlainTextEdit *m_txtTerm;
    QLabel *m_label1;
    QTimer *m_timer1, *m_timer2, *m_abfluss, *m_lebenszeichen;
    bool m_gezeigt = false;
    QMenu *m_mnuFile, *m_mnuPort, *m_mnuCall;
    QAction *m_mnuFileExit, *m_mnuOpen, *m_mnuproperties, *m_mnuDial, *m_mnuHangUp;
};
