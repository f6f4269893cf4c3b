#pragma once
// Hanging up a modem the way modems accept it: the output drains, one
// second of silence, "+++", one second of silence, "ATH" CR, then the DTR
// line goes on, off and back to where it was, and the port is closed.
// Every wait is a timer; nothing sleeps.
//
// (A plain "+++ATH" without the guard times reaches the far end as data.)

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include "link/Port.h"

class Auflegen : public QObject {
    Q_OBJECT
public:
    enum class Schritt { Stille, Escape, Ath, Dtr, Geschlossen };
    Q_ENUM(Schritt)

    // ms of silence around "+++". A modem's guard time is 1 s; the
    // silence it measures starts when it received our last byte, which
    // may be a little after we handed it over, so waiting exactly 1 s can
    // fall short and "+++" is then taken as data. A fifth more is safe.
    static constexpr int Schutzzeit = 1200;
    static constexpr int Dtrzeit = 200;         // ms the DTR line stays off
    static constexpr int Abflussblick = 50;     // ms between looks at the output
    static constexpr int Abflussgrenze = 10000; // ms the output may take to drain
    static const QByteArray Escape;             // "+++"
    static const QByteArray Auflegebefehl;      // "ATH" CR

    explicit Auflegen(QObject *parent = nullptr);

    void setSchutzzeit(int ms) { m_schutzzeit = ms; }
    void setDtrzeit(int ms) { m_dtrzeit = ms; }
    // Starts on the port (not owned). A closed port is simply done.
    void starte(Port *port);
    bool laeuft() const { return m_phase != Phase::Ruhe; }

signals:
    void schritt(Auflegen::Schritt s);
    // Done; the port is closed.
    void fertig();

private:
    enum class Phase { Ruhe, Abfluss, Stille1, Stille2, DtrAus };
    void weiter();
    void nachAbfluss();
    void ende();

    QPointer<Port> m_port;
    QTimer m_timer;
    Phase m_phase = Phase::Ruhe;
    Phase m_ziel = Phase::Ruhe;  // what follows the drain
    int m_schutzzeit = Schutzzeit;
    int m_dtrzeit = Dtrzeit;
    int m_abflussMs = 0;
    bool m_dtrVorher = false;
};
