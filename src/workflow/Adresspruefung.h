#pragma once
// Before a terminal is given a new address: does another terminal answer
// there already? Two terminals on one address answer each other's
// telegrams, and neither can be served or told apart any more.
//
// The check asks the new address for its version ("V") and looks 300 ms
// later, as the protocol identification does, for "Ver" among the bytes
// that came back (its own store holds the stream meanwhile). An answer means the
// address is taken: "Portavo Adresse N existiert im System!" (texts 352,
// 353, title 351). Adresse keeps the terminal's present address.

#include "link/Empfangspuffer.h"
#include "link/Empfangsrecht.h"

#include <QObject>
#include <QTimer>

struct Zustand;
class Verbindung;
class Meldung;

class Adresspruefung : public QObject {
    Q_OBJECT
public:
    static constexpr int Wartezeit = 300;  // ms, as long as for the version answer

    Adresspruefung(Zustand &z, Verbindung &v, Meldung &meldung, QObject *parent = nullptr);

    // Asks address 1..255; geprueft() follows. False, and nothing sent,
    // when the address is outside 1..255 or a check runs.
    bool starte(int adresse);
    bool laeuft() const { return m_timer.isActive(); }
    bool haeltStrom() const { return m_recht.haelt(); }
    QTimer &timer() { return m_timer; }

signals:
    // frei false: a terminal answered there, its message is out.
    void geprueft(bool frei);

private:
    void auswerten();

    Zustand &m_z;
    Verbindung &m_v;
    Meldung &m_meldung;
    QTimer m_timer;
    Empfangspuffer m_empfang{true};
    Empfangsrecht m_recht;
    int m_adresse = 0;
};
