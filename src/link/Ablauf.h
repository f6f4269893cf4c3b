#pragma once
// What every sequence on the link has in common: its numbered ticks
// (Timer1, Timer2, ... by name, for windows and tests that look for them),
// the guard against ticks delivered late (Taktwaechter), the bytes fetched
// from the port before a tick, the end when the port goes away or the modem
// connection breaks off, the texts in the chosen language and the messages.
// Every run ends with one signal, beendet(Ende), in one place. A sequence
// keeps only its steps; callers see verbs, signals and the small seam below,
// not the timers.

#include "base/Meldung.h"
#include "link/Taktwaechter.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class QTimer;
struct Zustand;
class Verbindung;

class Ablauf : public QObject {
    Q_OBJECT
public:
    // How a run ended.
    enum class Ende {
        Erfolg,
        Fehlschlag,   // the sequence's own failure message was shown
        Abbruch,      // cancelled
        Portverlust,  // the port's device went away (or was never there)
    };
    Q_ENUM(Ende)

    Ablauf(Zustand &z, Verbindung &v, Meldung *meldung, QObject *parent = nullptr);
    ~Ablauf() override;

    // Default: some tick is running.
    virtual bool laeuft() const;

    // --- seam for windows, the command line and tests ---
    bool taktLaeuft(int nummer) const;
    int taktabstand(int nummer) const;
    // The pace of a tick from its next start on (tests run faster).
    void setTaktabstand(int nummer, int ms);
    // Runs the tick's step now, as its timer would (guards included).
    void naechsterTakt(int nummer);

signals:
    // Once per run, after the sequence's own signals of that ending.
    void beendet(Ablauf::Ende ende);

protected:
    // A run begins (a run still open is forgotten).
    void beginnen() { m_offen = true; }
    // The run ends: beendet(ende) unless it has ended already. Within the
    // port-lost hook every ending is Portverlust.
    void abschliessen(Ende ende);

    // How a tick begins.
    enum class Wache {
        Keine,       // the step runs as it is
        Abholen,     // the waiting bytes are fetched first; a repeating tick
                     // whose timer stopped meanwhile (port gone) is skipped
        Verspaetet,  // as Abholen, and a tick delivered late is skipped
    };
    // Creates tick `nummer` (object name "Timer<nummer>").
    void taktAnlegen(int nummer, Wache wache, bool einmal, std::function<void()> schritt, int ms = 0,
                     bool genau = false);
    void starteTakt(int nummer);          // with its interval
    void starteTakt(int nummer, int ms);  // with a new interval
    void stoppeTakt(int nummer);
    void stoppeAlleTakte();

    QString text(int nummer) const;
    // The message with texts `textnummer` and `titelnummer`; the answer
    // (0 without a message seam).
    int zeige(int textnummer, int titelnummer, Meldung::Knoepfe knoepfe, Meldung::Symbol symbol);

    // Called only while laeuft(): the port's device went away / the modem
    // connection broke off.
    virtual void beiPortverlust() {}
    virtual void beiVerbindungsabbruch() {}

    Zustand &m_z;
    Verbindung &m_v;
    Meldung *m_meldung;

private:
    struct Takt;
    Takt *takt(int nummer) const;
    void tick(Takt &t);
    std::map<int, std::unique_ptr<Takt>> m_takte;
    bool m_offen = false;
    bool m_imPortverlust = false;
};
