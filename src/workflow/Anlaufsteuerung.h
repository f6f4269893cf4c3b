#pragma once
// What happens at start-up, after a sequence of the main window ends and
// when the program ends, and which menu items can be chosen as operation
// goes on. No widgets: the main window shows the start window, the texts,
// the panels and the editor when asked and reports what the user chose and
// how a sequence ended.
//
// Start-up: wait while a co-operating program says "Stop" on the clipboard,
// then the settings file, the port, the texts, the start telegram, and one
// second later the start window.

#include "workflow/Menuefreigabe.h"
#include "workflow/Menuelage.h"

#include <QObject>
#include <functional>

struct Zustand;
class Meldung;
class Port;
class Verbindung;
class QTimer;

class Anlaufsteuerung : public QObject {
    Q_OBJECT
public:
    enum class Wahl { Keine, Rs485, Modem };

    Anlaufsteuerung(Zustand &z, Meldung &meldung, Port &port, Verbindung &verbindung, QObject *parent = nullptr);

    // The clipboard the program shares with a co-operating one.
    using Lesen = std::function<QString()>;
    using Schreiben = std::function<void(const QString &)>;
    void setZwischenablage(Lesen lesen, Schreiben schreiben);

    void starte();
    // The start window was answered.
    void startfensterBeantwortet(Wahl wahl);
    // Datei / Beenden and closing the window: the end telegram, and the
    // clipboard tells the co-operating program to take over.
    void beenden();
    // Closing without Datei / Beenden: the timers stop as well.
    void schliessen();

    // How the identification ended: the read-out is offered for a terminal
    // found, the display is emptied otherwise.
    void identifikationBeendet(bool erkannt);
    // The read-out stored datei: edit it now (Yes) or put the panels away.
    void auslesenFertig(const QString &datei);
    // The read-out failed with message textnummer; 154 (the terminal has no
    // data) offers the write instead.
    void auslesenFehlgeschlagen(int textnummer);

    int &portnummer() { return m_portnummer; }
    const Menuelage &lage() const { return m_lage; }
    Menuefreigabe freigabe() const { return Menuefreigabe::fuer(m_lage); }
    void setBusBelegt(bool belegt);
    void setModem(Menuelage::Modem modem);

signals:
    // Start-up begins again: nothing may stay open from before.
    void anlaufBeginnt();
    // The texts of the chosen language are to be shown.
    void texteSetzen();
    // The identification display back to its empty texts.
    void anzeigeZuruecksetzen();
    // Time for the start window; the window answers with startfensterBeantwortet.
    void startfensterFaellig();
    void freigabeGeaendert(const Menuefreigabe &freigabe);
    // The start window was confirmed with RS485 or modem operation.
    void betriebsbereit();
    // What comes next after a sequence.
    void auslesenAnbieten();
    void schreibenAnbieten();
    void panelsVerbergen();
    void schreibpanelVerbergen();
    void bearbeiten(const QString &datei, const QString &titel);

private:
    void weiterStarten();
    void setLage(const Menuelage &lage);
    void sendeEndstring();

    Zustand &m_z;
    Meldung &m_meldung;
    Port &m_port;
    Verbindung &m_verbindung;
    Lesen m_lesen;
    Schreiben m_schreiben;
    int m_portnummer = 1;
    Menuelage m_lage;
    QTimer *m_timer7;
    QTimer *m_zwischenablage;
};
