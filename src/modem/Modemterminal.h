#pragma once
// The receive side of the modem window without its widgets: the terminal
// text, the event and error messages of the port's events, the connect
// detection and, while the connection stands, the hand-over of every
// received chunk to the program's receive stores (Verbindung::verarbeite,
// the same routing as on the RS485 port, with its repair answer and its
// 4500-byte stop).
//
// The event and error messages are cleared once they have been shown, so a
// single line error does not make every later receive event beep and ask.
// The terminal text stays below about 16000 characters: beyond that its
// oldest 4096 characters go before new text is added.

#include "modem/Modemzeilen.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

struct Zustand;
class Verbindung;
class Meldung;
#include "link/Port.h"

class Modemterminal : public QObject {
    Q_OBJECT
public:
    static constexpr int Hoechstlaenge = 16000;
    static constexpr int Kuerzung = 4096;
    static constexpr int Breakgrenze = 4001;  // a break clears a terminal this long

    Modemterminal(Zustand &z, Verbindung &v, Meldung &meldung, QObject *parent = nullptr);

    // The modem window's port (not owned); its events come in here.
    void setPort(Port *port);
    Port *port() const { return m_port; }

    QString text() const { return m_text; }
    void leeren();
    // Appends to the terminal, dropping the oldest 4096 characters first
    // when it holds more than 16000.
    void anhaengen(const QString &text);
    static void anhaengen(QString &box, const QString &text);

    // The characters of the last receive event not yet handed on.
    QByteArray modemempfang() const { return m_modemempfang; }
    // Dial, hang-up, exit, close: no connection, nothing pending, the
    // connect detection starts afresh.
    void verbindungZuruecksetzen();

    QString ereignismeldung() const { return m_ereignis; }
    QString fehlermeldung() const { return m_fehler; }

    // One event of the port (2 received, 3..6 line states, 1001..1011 line errors).
    void ereignis(int code);

signals:
    void textGeaendert();
    // The connect message came: Modemverbindung is 1.
    void verbunden();
    // An error message is about to be shown (the window beeps).
    void piep();
    // Timer2 of the window: an event or error message was dealt with.
    void meldungGezeigt();
    // The port was opened or closed here (reopened after a line error,
    // closed on Cancel in the error box).
    void portGeaendert();

private:
    void empfangen();
    void weitergeben();
    void gemeinsamesEnde();
    void neuOeffnen();

    Zustand &m_z;
    Verbindung &m_v;
    Meldung &m_meldung;
    QPointer<Port> m_port;
    Modemzeilen m_zeilen;
    QString m_text;
    QByteArray m_modemempfang;
    QString m_ereignis;
    QString m_fehler;
};
