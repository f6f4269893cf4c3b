#pragma once
// The serial link: sends request telegrams and plain strings on the active
// port, handles line errors and a lost port, and hands every received chunk
// to the receiver of the highest rank that holds the stream (see
// Empfaenger) and to the monitor while someone watches it. One instance per
// program, on the UI thread.

#include "link/Empfaenger.h"
#include "link/Empfangsablage.h"
#include "link/Empfangsrecht.h"
#include "link/Port.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>

struct Zustand;

class Verbindung : public QObject {
    Q_OBJECT
public:
    explicit Verbindung(Zustand &z, QObject *parent = nullptr);

    // The main window's RS485 port (not owned). Its receive events are routed.
    void setPort(Port *port);
    Port *port() const { return m_port; }
    // The modem window's port; it is the active port while Modembetrieb = 1.
    // Only sent through: the modem window reads its own port and hands the
    // bytes to verarbeite() while a connection stands.
    void setModemPort(Port *port);
    Port *modemPort() const { return m_modemPort; }
    Port *aktiverPort() const;

    Zustand &zustand() { return m_z; }

    // Befehl := befehl; builds the request telegram for it to Adresse,
    // keeps it (letzteAnfrage), tells the receivers (the identifications'
    // store empties) and writes it in one piece to the active port.
    // Returns false (and sends nothing) when Adresse is outside 0..255 or
    // befehl is empty. No monitor line for a refused request.
    bool sendeAnfrage(const QByteArray &befehl);
    // The command of the request being served, without sending it (the
    // repair write waits for its block's answer as after "D").
    void setzeBefehl(const QByteArray &befehl);
    QByteArray befehl() const { return m_befehl; }
    // The last request telegram that went out.
    QByteArray letzteAnfrage() const { return m_anfrage; }
    // ACK alone (monitor "**06**").
    void sendeAck();
    // STX ACK ETX ENQ (monitor "**02060305**").
    void sendeProtokoll1Quittung();
    // Any other plain string, as it stands, on the given port (default: active).
    void sendeRoh(const QByteArray &bytes, Port *port = nullptr);

    // The receive event of the port: code 2 reads every waiting byte and
    // routes it; the line-error codes close and reopen the port.
    void empfangsereignis(int code);
    // Routes the bytes waiting on the active port now (see Port::abholen);
    // every sequence's tick calls it first.
    void abholen();
    // Hands one receive event's bytes on (also used for the modem port's
    // data). False when a receiver held them back (the repair write's
    // wake-up answer): they count as not received, the modem keeps them.
    bool verarbeite(const QByteArray &eingang);

    // Registers a receiver: it gets the chunks no receiver of a higher rank
    // takes, until the handle is released. Of two with the same rank the
    // later one comes first.
    [[nodiscard]] Empfangsrecht nimmStrom(Empfaenger &empfaenger, Empfaenger::Vorrang vorrang);
    // Some receiver of this rank is registered.
    bool haelt(Empfaenger::Vorrang vorrang) const;
    // The byte store, lowest of all receivers.
    Empfangsablage &ablage() { return m_ablage; }
    const Empfangsablage &ablage() const { return m_ablage; }

    // The monitor watches while at least one handle of this kind is held:
    // it gets a line for every byte received and for every telegram sent.
    [[nodiscard]] Empfangsrecht beobachten();
    bool beobachtet() const { return !m_beobachtung.isEmpty(); }

    // The modem reported NO CARRIER while its connection stood: no answer
    // will come over it any more. Tells the running sequence at once
    // (verbindungAbgebrochen) instead of leaving it to its time-out.
    void modemverbindungVerloren();

    // One monitor line, shown only while the monitor is watched (for the
    // callers' own lines, e.g. those of a write block,
    // Telegramm::monitorSchreibblock).
    void monitor(const QString &zeile);

signals:
    // One line for the RS485 diagnosis monitor (only while watched).
    void monitorZeile(const QString &zeile);
    // setzeBefehl or sendeAnfrage named the command of the request served.
    void befehlGesetzt(const QByteArray &befehl);
    // The port's device went away; the port is closed.
    void portVerloren();
    // The modem connection broke off (NO CARRIER); the port stays open.
    void verbindungAbgebrochen();
    // Bytes were handed on (after every receive event that carried bytes
    // and was not held back).
    void empfangen(int anzahl);

private:
    friend class Empfangsrecht;
    struct Eintrag {
        int nummer;
        Empfaenger::Vorrang vorrang;
        Empfaenger *empfaenger;
    };
    void freigeben(int nummer);
    void anschliessen(Port *port);
    void neuOeffnen(Port *port);
    Zustand &m_z;
    // Cleared by Qt when a port is destroyed before the link.
    QPointer<Port> m_port;
    QPointer<Port> m_modemPort;
    QByteArray m_befehl;
    QByteArray m_anfrage;
    Empfangsablage m_ablage;
    QVector<Eintrag> m_empfaenger;  // highest rank first, the later first among equals
    QVector<int> m_beobachtung;  // the monitor's handles
    int m_naechsteNummer = 1;
};
