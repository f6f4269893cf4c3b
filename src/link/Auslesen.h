#pragma once
// Read-out of a terminal's 2048-byte memory: login (Stufe 1), then "E" and
// the nibble-coded answer, waited for on Timer3. The answer is checked and
// decoded into Daten; saving it is the caller's step (no file is touched
// here).
//
// Failure endings show their message through the Meldung seam and report
// the text number: 154 login failure, 156 record error (answer incomplete
// after 31 ticks), 158 compare error (check byte wrong; Daten stays
// untouched), 193 the port's device went away. A modem connection that
// breaks off (NO CARRIER) ends the wait at once, with 154 during the login
// and 156 afterwards.

#include "link/Taktwaechter.h"

#include <QObject>
#include <QTimer>

struct Zustand;
class Verbindung;
class Anmeldung;
class Meldung;

class Auslesen : public QObject {
    Q_OBJECT
public:
    static constexpr int HoechsteWarteticks = 30;  // the 31st tick ends the wait

    Auslesen(Zustand &z, Verbindung &v, Anmeldung &anmeldung, Meldung &meldung,
             QObject *parent = nullptr);

    // Starts after the password was confirmed (Passwort holds it):
    // PasswortOK := 0, Identifiziert := 0, login with Stufe 1.
    // False when nothing could be sent.
    bool starte();
    bool laeuft() const { return m_laeuft; }
    // Stops at once, without a message or signal (Daten may hold part of the answer).
    void abbrechen();
    QTimer &timer3() { return m_timer3; }
    int versuche() const { return m_versuche; }

    // Bytes of the whole answer (echo included) for a protocol: 4107 for 0,
    // 4109 for 1 and 255; 0 for a protocol that is never read out.
    static int erwarteteBytes(int protokoll);
    // Memory bytes among the first `empfangen` bytes of the answer.
    static int datenbytes(int protokoll, int empfangen);

signals:
    // The login went out (status text 153, read-out button red).
    void gestartet();
    // Memory bytes received so far of the 2048: the echo, the answer's
    // head and its end do not count, and two characters make one byte.
    void fortschritt(int datenbytes, int gesamt);
    // Daten holds the terminal's memory; Identifiziert = 1.
    void fertig();
    // One of the failure endings, its message already shown.
    void fehlgeschlagen(int textnummer);

private:
    void angemeldet(int stufe);
    void anmeldungFehlgeschlagen(int stufe);
    void tick();
    void echoAusrichten();
    void empfangen();
    void auswerten();
    void portVerloren();
    void verbindungAbgebrochen();
    void beende(int textnummer, int titelnummer);

    Zustand &m_z;
    Verbindung &m_v;
    Anmeldung &m_anmeldung;
    Meldung &m_meldung;
    QTimer m_timer3;
    Taktwaechter m_takt;
    int m_versuche = 0;
    bool m_ausgerichtet = false;
    bool m_laeuft = false;
    bool m_liest = false;  // "E" sent, answer awaited
};
