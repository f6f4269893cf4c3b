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
#include "link/Taktwaechter.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
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

    // The echo of the interface module. Every sequence counts the echo of
    // what it sent ahead of the answer; with an interface that does not echo,
    // the link puts the bytes it sent into the receive path itself, where and
    // when the echo would have come (at the line speed of the port), so that
    // no sequence has to know. Automatisch finds out on the line (see
    // Echopruefung); Ja and Nein force it. A new link takes the line as it
    // is (Ja); the programs switch to Automatisch unless told otherwise.
    enum class Echomodus { Automatisch, Ja, Nein };
    // What is known of the interface now.
    enum class Echostand { Unbekannt, Vorhanden, Fehlt };
    // The words of the command line and the settings file: auto, yes, no.
    static QString echomodusText(Echomodus modus);
    static bool echomodusAusText(const QString &text, Echomodus *modus);
    void setEchomodus(Echomodus modus);
    Echomodus echomodus() const { return m_echomodus; }
    // In Automatisch: what was found out about this interface before (the
    // setting kept per port); Fehlt makes the link stand in for the echo
    // from the first byte sent, until an echo comes back after all.
    void setEchostand(Echostand stand);
    Echostand echostand() const { return m_echostand; }
    // Clock for the pace of the echo the link stands in for (ms).
    void setUhr(Taktwaechter::Uhr uhr) { m_uhr = std::move(uhr); }

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
    // every sequence's tick calls it first. Also hands on the echo the link
    // stands in for as far as it is due, and in Automatisch takes a missing
    // echo for an interface that does not echo once its line time is over
    // (never over a modem: there only what comes back decides).
    void abholen();
    // Hands one receive event's bytes on (also used for the modem port's
    // data). False when a receiver held them back (the repair write's
    // wake-up answer): they count as not received, the modem keeps them.
    // An echo the link stands in for always goes first; while it is not yet
    // known whether the interface echoes, bytes that may still be the echo
    // are held until that is clear.
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
    // Automatisch found out whether the interface echoes (once per change).
    void echoErkannt(bool vorhanden);

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
    // Every byte the link puts on a line goes through here.
    void ausgeben(Port *port, const QByteArray &bytes);
    // Hands on what the echo would have brought by now (alles: all of it).
    void ersatzFreigeben(bool alles);
    void weiterreichen(const QByteArray &bytes, bool ersatz, bool *gehalten);
    void echoNeuBeginnen();
    // Another port or a lost one: in Automatisch nothing is known any more.
    void echoVergessen();
    void stand(Echostand neu);
    void echoAusgeblieben();
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

    Echomodus m_echomodus = Echomodus::Ja;
    Echostand m_echostand = Echostand::Vorhanden;
    // Automatisch: the bytes sent whose echo has not been settled yet, and
    // what came back since (held while it still may be the echo).
    QByteArray m_offen;
    QByteArray m_gehalten;
    qint64 m_offenAb = 0;  // when the first of m_offen went out
    int m_offenBaud = 19200;
    // Echostand Fehlt: the echo to stand in, not yet handed on; it comes at
    // the line speed from m_ersatzAb on (m_ersatzFrei bytes of it are out).
    QByteArray m_ersatz;
    qint64 m_ersatzAb = 0;
    qint64 m_ersatzFrei = 0;
    int m_ersatzBaud = 19200;
    QTimer m_ersatzTakt;
    Taktwaechter::Uhr m_uhr = &Taktwaechter::monoton;
};
