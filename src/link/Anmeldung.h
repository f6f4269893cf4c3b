#pragma once
// Login to the terminal before a read-out (Stufe 1) or a write (Stufe 2):
// sends "P" + Passwort and waits on Timer1 for "J" ETX in its answer store.
// The store takes the received bytes (rank Anmeldung) from the login
// request until the link serves a request of another command.
//
// Each tick looks only at what arrived since the previous tick. The answer
// counts when "J" ETX stands after the echo of the PC's own login telegram,
// and at 1-based position 5 or later of that text until the echo has come
// back whole: a password typed in free entry may itself end in "J", and its
// echo must never count as the terminal's answer. Six ticks without the
// answer end the login.

#include "link/Empfangspuffer.h"
#include "link/Empfangsrecht.h"
#include "link/Taktwaechter.h"

#include <QObject>
#include <QTimer>

struct Zustand;
class Verbindung;

class Anmeldung : public QObject {
    Q_OBJECT
public:
    static constexpr int HoechsteFehlversuche = 5;  // the sixth empty tick fails

    Anmeldung(Zustand &z, Verbindung &v, QObject *parent = nullptr);

    // The answer store is emptied and takes the stream; sends "P" +
    // Passwort; the link's byte store is emptied; Stufe := stufe; starts Timer1 with the interval in
    // Zustand::Timerintervall[1]. False (nothing started) when the request
    // cannot be formed (address above 255).
    bool starte(int stufe);
    // Stops Timer1 (the password dialog does so when it loads, and every
    // failure ending).
    void stoppe();

    bool laeuft() const { return m_timer1.isActive(); }
    int stufe() const { return m_stufe; }
    int versuche() const { return m_versuche; }
    // The answer store (bytes since the last tick).
    const QByteArray &antwort() const { return m_antwort.bytes(); }
    bool haeltStrom() const { return m_recht.haelt(); }
    QTimer &timer1() { return m_timer1; }

signals:
    // The answer was found: the store is cleared, the ACK is sent, Timer1 is
    // stopped and Stufe is back to 0. The receiver sends its next request.
    void angemeldet(int stufe);
    // Six ticks without the answer; Timer1 is stopped, Stufe is back to 0.
    void fehlgeschlagen(int stufe);

private:
    void tick();
    // Leading bytes of the answer store that are the still outstanding echo of the
    // login telegram; consumes them from the outstanding echo.
    int echoAmAnfang();

    Zustand &m_z;
    Verbindung &m_v;
    QTimer m_timer1;
    Taktwaechter m_takt;
    int m_stufe = 0;
    int m_versuche = 0;
    QByteArray m_echo;  // the part of the login telegram whose echo is still due
    bool m_echoGanz = false;  // the login telegram's echo came back whole
    Empfangspuffer m_antwort;
    Empfangsrecht m_recht;
};
