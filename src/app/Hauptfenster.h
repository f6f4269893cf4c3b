#pragma once
// The main window Hauptfenster: menus, identification display, read-out and
// write panels. It owns the RS485 port, the link and the login and read-out
// sequences; the windows it opens get them by reference. What happens at
// start-up and exit, and which menu items can be chosen, the start-up
// control decides; the window shows it and forwards the user's choices.

#include "app/Modemfenster.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>

struct Zustand;
class Meldung;
class Port;
class Verbindung;
class Anmeldung;
class Auslesen;
class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class Schreibpanel;
class Auslesepanel;
class Identifikationsablauf;
class Anlaufsteuerung;
class Wiederanschluss;
struct Menuefreigabe;

class Hauptfenster : public QMainWindow {
    Q_OBJECT
public:
    static const QString Banner;

    // port: the RS485 port to use (not owned); nullptr: a serial port of its own.
    Hauptfenster(Zustand &z, Meldung &meldung, Port *port = nullptr, QWidget *parent = nullptr);
    ~Hauptfenster() override;

    // Start-up: clipboard handshake, settings file, port, start telegram,
    // and one second later the start window.
    void starte();

    Zustand &zustand() { return m_z; }
    Meldung &meldung() { return m_meldung; }
    Port &port() { return *m_port; }
    Verbindung &verbindung() { return *m_verbindung; }
    Wiederanschluss &wiederanschluss() { return *m_wiederanschluss; }
    Anmeldung &anmeldung() { return *m_anmeldung; }
    Auslesen &auslesen();
    int portnummer() const;
    int blockpruefsumme() const { return m_blockpruefsumme; }

    // The current terminal file (the file dialog's choice or the read-out's file).
    QString aktuelleDatei() const { return m_datei; }
    void setAktuelleDatei(const QString &datei) { m_datei = datei; }

    // Replaces the file dialog: (title, filter, folder, file name) -> chosen path or "".
    using Dateiwahl = std::function<QString(const QString &, const QString &, const QString &, const QString &)>;
    void setDateiwahl(Dateiwahl wahl) { m_dateiwahl = std::move(wahl); }
    // Opens the editor modally on a main file with the given caption.
    using Editor = std::function<void(const QString &datei, const QString &titel)>;
    void setEditor(Editor editor) { m_editor = std::move(editor); }

    // The identification display back to "keine Identifikation", "kein Protokoll", "---".
    void anzeigeZuruecksetzen();
    // The load routine shared by Laden and the write command; false when refused or unreadable.
    bool ladeDatei(const QString &datei);

    Auslesepanel *auslesePanel() const { return m_auslesePanel; }
    Schreibpanel *schreibPanel() const { return m_schreibPanel; }
    // The modem window while it is open (menu "M&odem").
    Modemfenster *modemfenster() const { return m_modemfenster; }
    // Replaces the modem window's own serial port (tests).
    void setModemport(Port *port) { m_modemport = port; }
    static void faerbe(QPushButton *knopf, bool bereit);
    // The text of the Help items: program and version, the settings and
    // data folders, where the description (README) is.
    static QString hilfetext(Zustand &z);

signals:
    // The start window was confirmed with "Rs485 Betrieb".
    void betriebsbereit();
    // Menu items whose windows live elsewhere.
    void testbetriebGewaehlt();
    void diagnoseGewaehlt();
    void modemGewaehlt();

protected:
    void closeEvent(QCloseEvent *ereignis) override;

private:
    void bauen();
    void texteUndBeschriftungen();
    void hintergrund();
    void startfenster();
    void zeigeFreigabe(const Menuefreigabe &f);
    void identifizieren();
    void laden();
    void bearbeitenFertig();
    void dialogMitPortavo();
    void hilfe();
    void beenden();
    void oeffneEditor(const QString &datei, const QString &titel);
    void modemOeffnen();
    void sicherungenOeffnen();
    // The installation of the terminal at hand: the number dialled in modem operation, else "".
    QString anlage() const;
    // The status line: the port and what is known of its echo.
    void zeigeStatus();

    Zustand &m_z;
    Meldung &m_meldung;
    Port *m_port;
    Port *m_eigenerPort = nullptr;
    Verbindung *m_verbindung;
    Anmeldung *m_anmeldung;
    Identifikationsablauf *m_identifikation;
    Anlaufsteuerung *m_anlauf;
    Wiederanschluss *m_wiederanschluss;
    int m_blockpruefsumme = 0;
    QString m_datei;
    Dateiwahl m_dateiwahl;
    Editor m_editor;
    QPointer<Modemfenster> m_modemfenster;
    Port *m_modemport = nullptr;

    QMenu *m_mnuFile, *m_mnuPortavo, *m_mnuTestbetrieb, *m_mnuHilfe;
    QAction *m_mnuOpen, *m_mnuFileExit, *m_mnuAuslesen, *m_mnuBeschreiben, *m_mnuSicherungen, *m_mnuFertig, *m_mnuSchnittstelle,
        *m_mnuDialog, *m_mnuDiagnose, *m_mnuModem, *m_mnuTrouble, *m_mnuSoftware, *m_mnuInstallation;

    QWidget *m_flaeche;
    QLabel *m_banner, *m_leer;
    QGroupBox *m_frameVersion, *m_frameProtokoll;
    QLabel *m_version, *m_protokoll, *m_adresse;
    Auslesepanel *m_auslesePanel;
    Schreibpanel *m_schreibPanel;
    QLabel *m_statusPort, *m_statusEcho;
    QString m_echoGeraet;  // the device echoAnwenden took the kept finding for
};
