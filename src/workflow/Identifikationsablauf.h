#pragma once
// Finding and identifying terminals, as the PORTAVO menu's address window
// and portavo-cli scan/identify run it. The identification's answer store
// holds the stream for exactly the time an identification runs, and gives
// it back on every ending, also when this object goes away mid-run.
//
// Without a window the identification runs on its own Adressidentifikation
// and reports its end through a signal; the window variant runs the address
// window through a seam and takes its result from the shared state.

#include "link/Empfangsrecht.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <functional>

struct Zustand;
class Verbindung;
class Meldung;
class Adressidentifikation;

class Identifikationsablauf : public QObject {
    Q_OBJECT
public:
    struct Terminal {
        int adresse = 0;
        int protokoll = 0;
    };
    // What the identification of one address found.
    struct Ergebnis {
        bool geantwortet = false;  // the terminal answered the identify command
        bool versionDa = false;    // its version answer came
        bool familieOk = false;    // and carries the family character
        bool bekannt = false;      // AdresseBekannt: accepted for read-out and write
        QString version;
        int adresse = 0;
        int protokoll = 0;
    };

    Identifikationsablauf(Zustand &z, Verbindung &v, Meldung &meldung, QObject *parent = nullptr);
    ~Identifikationsablauf() override;

    // The address window: Identifiziert := 0, `fenster` runs (a modal
    // window, whose identification holds the stream while it is open), then Identifiziert := 1 when a
    // terminal was accepted. Returns whether one was.
    bool imFenster(const std::function<void()> &fenster);

    // Polls addresses 1..255; ends with scanBeendet(). False when another
    // identification is running.
    bool scan();
    // One address as the window does after typing it and OK: identify, then
    // the version with its family check; ends with identifiziert().
    bool identifiziere(int adresse);

    bool laeuft() const { return m_art != Art::Keine; }
    // After scanBeendet(): the terminals that answered, in address order.
    const QVector<Terminal> &terminals() const { return m_terminals; }
    // After identifiziert().
    const Ergebnis &ergebnis() const { return m_ergebnis; }
    // The identification used without a window (its timers by name).
    Adressidentifikation &ident() { return *m_ident; }

signals:
    // schnittstelleOk false: the interface did not echo (text 193 is out).
    void scanBeendet(bool schnittstelleOk);
    // ergebnis() holds the outcome; text 196 or 388 is out where it failed.
    void identifiziert();

private:
    enum class Art { Keine, Scan, Einzeln };
    void scanEnde(bool ok);
    void einzelEnde();

    Zustand &m_z;
    Adressidentifikation *m_ident;
    Empfangsrecht m_recht;
    Art m_art = Art::Keine;
    QVector<Terminal> m_terminals;
    Ergebnis m_ergebnis;
};
