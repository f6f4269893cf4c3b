#pragma once
// One modem connection from start to end, without a window: dial, wait for
// the connect message, hand every received chunk to the program's receive
// stores while the connection stands, hang up. portavo-cli runs its bus
// commands inside one.
//
// A dial ends in verbunden() or in fehlgeschlagen() with the number of the
// text that says why: 503 busy, 504 no carrier, 505 no dial tone, 506 no
// answer (also when nothing comes within the wait, 60 s), 507 the modem
// refused the command, 501/502 the number or the outside-line number holds
// other than dial characters, 511 the port is not open.

#include "modem/Auflegen.h"
#include "modem/Modemzeilen.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

struct Zustand;
class Verbindung;
#include "link/Port.h"

class Modemsitzung : public QObject {
    Q_OBJECT
public:
    static constexpr int Wartezeit = 60000;  // ms from the dial to the connect message
    // A modem echoes the dial string at once: silence this long means no modem.
    static constexpr int Lebenszeichenfrist = 5000;

    Modemsitzung(Zustand &z, Verbindung &v, Port &port, QObject *parent = nullptr);

    void setWartezeit(int ms) { m_warten.setInterval(ms); }
    void setLebenszeichenfrist(int ms) { m_lebenszeichen.setInterval(ms); }
    Auflegen &auflegen() { return m_auflegen; }

    // Sends the dial string (ModemText1/2 of the state give the prefix).
    // False, with fehlgeschlagen() already sent, when it cannot start.
    bool waehle(const QString &nummer);
    // Hangs up (also in the middle of a dial); aufgelegt() when done.
    void legeAuf();

    bool waehlt() const { return m_stand == Stand::Waehlen; }
    bool steht() const { return m_stand == Stand::Verbunden; }
    QByteArray gesendeterWaehlstring() const { return m_waehlstring; }

signals:
    void verbunden();
    void fehlgeschlagen(int textnummer);
    // NO CARRIER while the connection stood.
    void verbindungVerloren();
    void aufgelegt();

private:
    enum class Stand { Ruhe, Waehlen, Verbunden, Auflegen };
    void ereignis(int code);
    void fehler(int textnummer);

    Zustand &m_z;
    Verbindung &m_v;
    QPointer<Port> m_port;
    Modemzeilen m_zeilen;
    Auflegen m_auflegen;
    QTimer m_warten;
    QTimer m_lebenszeichen;
    Stand m_stand = Stand::Ruhe;
    QByteArray m_waehlstring;
};
