#pragma once
// The serial link: sends request telegrams and plain strings on the active
// port and routes every received byte into the one store the shared state
// selects. One instance per program, on the UI thread.

#include "link/Port.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

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

    // Build the request telegram for Befehl to Adresse, keep it in Rumpf,
    // clear Empfang and write it in one piece to the active port.
    // Returns false (and sends nothing, changes nothing) when Adresse is
    // outside 0..255 or Befehl is empty. No monitor line for a refused request.
    bool sendeAnfrage();
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
    // Route one receive event's bytes (also used for the modem port's data).
    void verarbeite(const QByteArray &eingang);

    // The modem reported NO CARRIER while its connection stood: no answer
    // will come over it any more. Tells the running sequence at once
    // (verbindungAbgebrochen) instead of leaving it to its time-out.
    void modemverbindungVerloren();

    // One monitor line, shown only while MonitorAktiv = 1 (for the callers'
    // own lines, e.g. those of a write block, Telegramm::monitorSchreibblock).
    void monitor(const QString &zeile);

signals:
    // One line for the RS485 diagnosis monitor (only while MonitorAktiv = 1).
    void monitorZeile(const QString &zeile);
    // Repair mode: the wake-up got its answer (NAK or more than one byte).
    void reparaturAntwort();
    // The port's device went away; the port is closed.
    void portVerloren();
    // The modem connection broke off (NO CARRIER); the port stays open.
    void verbindungAbgebrochen();
    // Bytes were routed (after every receive event that carried bytes).
    void empfangen(int anzahl);

private:
    void anschliessen(Port *port);
    void neuOeffnen(Port *port);
    Zustand &m_z;
    // Cleared by Qt when a port is destroyed before the link.
    QPointer<Port> m_port;
    QPointer<Port> m_modemPort;
};
