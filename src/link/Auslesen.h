#pragma once
// Read-out of a terminal's 2048-byte memory: login (Stufe 1), then "E" and
// the nibble-coded answer, waited for on Timer3. The answer is checked,
// decoded into Daten and written as a main file ("PORTAVO.S2D" in the
// current folder unless another file is set); the companion text file of
// that name is removed so that no texts of an earlier file stay attached.
//
// Failure endings show their message through the Meldung seam and report
// the text number: 154 login failure, 156 record error (answer incomplete
// after 31 ticks), 158 compare error (check byte wrong; Daten and the file
// stay untouched), 193 the port's device went away.

#include <QObject>
#include <QString>
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

    // Where the main file goes; relative names are taken in the current
    // folder at the moment it is written. Default "PORTAVO.S2D".
    void setZieldatei(const QString &pfad) { m_zieldatei = pfad; }
    QString zieldatei() const { return m_zieldatei; }

    // Starts after the password was confirmed (Passwort holds it):
    // PasswortOK := 0, Identifiziert := 0, login with Stufe 1.
    // False when nothing could be sent.
    bool starte();
    bool laeuft() const { return m_laeuft; }
    QTimer &timer3() { return m_timer3; }
    int versuche() const { return m_versuche; }

    // Bytes of the whole answer (echo included) for a protocol: 4107 for 0,
    // 4109 for 1 and 255; 0 for a protocol that is never read out.
    static int erwarteteBytes(int protokoll);

signals:
    // The login went out (status text 153, read-out button red).
    void gestartet();
    // Bytes collected since "E" against the bytes the protocol needs.
    void fortschritt(int empfangen, int erwartet);
    // Daten filled and the file written (its full path); Identifiziert = 1.
    void fertig(const QString &datei);
    // One of the failure endings, its message already shown; -1 when the
    // memory was read but the file could not be written.
    void fehlgeschlagen(int textnummer);

private:
    void angemeldet(int stufe);
    void anmeldungFehlgeschlagen(int stufe);
    void tick();
    void echoAusrichten();
    void empfangen();
    void auswerten();
    void portVerloren();
    void beende(int textnummer, int titelnummer);

    Zustand &m_z;
    Verbindung &m_v;
    Anmeldung &m_anmeldung;
    Meldung &m_meldung;
    QTimer m_timer3;
    QString m_zieldatei = QStringLiteral("PORTAVO.S2D");
    int m_versuche = 0;
    bool m_ausgerichtet = false;
    bool m_laeuft = false;
    bool m_liest = false;  // "E" sent, answer awaited
};
