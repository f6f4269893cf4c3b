#pragma once
// "Trouble": the recovery scan after a serious programming error, and the
// way to the repair write.
//
// The scan runs on Timer8: the first tick after 500 ms, then one every
// 50 ms. Each tick sends the digit of Suchzaehler mod 10 three times on the
// RS485 port ("111", "222", ... "000", "111", ...), over a modem connection
// the broadcast identification instead. It ends after 2048 ticks, at once
// when the modem port cannot be opened, or early when ACK STX 0xFF shows up
// among more than 40 received bytes: a terminal still waiting for its block
// answers the scan that way. The received bytes are looked for where they
// land after a write, in the link's byte store.
//
// It ends at once, with the port message, when the port is gone. At its
// end, if the last write failed (Schreibfehler = 1) or a waiting
// terminal answered, the repair write is offered (Yes/No). Yes starts the
// one-shot Timer6 (2000 ms), which puts the write into repair mode and asks
// for the write command to be run again (signal reparaturStarten).

#include "link/Ablauf.h"

#include <QPointer>
#include <QString>

class Schreiben;

class Troublesuche : public Ablauf {
    Q_OBJECT
public:
    static constexpr int ErsterTick = 500;  // ms
    static constexpr int Tickabstand = 50;  // ms
    static constexpr int HoechsterZaehler = 2048;
    static constexpr int Reparaturverzoegerung = 2000;  // Timer6, ms
    // Text numbers of the repair question and its title.
    static constexpr int Reparaturfragenummer = 550;

    // schreiben: the write sequence; a write still running is cancelled
    // first (its confirmation wait, Timer2, must not run into the scan).
    Troublesuche(Zustand &z, Verbindung &v, Meldung &meldung, Schreiben *schreiben = nullptr,
                 QObject *parent = nullptr);

    // The scan's pace (default 500 ms, then 50 ms); tests run it faster.
    void setTakt(int ersterTickMs, int abstandMs)
    {
        m_ersterTick = ersterTickMs;
        m_abstand = abstandMs;
    }

    // Menu "Tro&uble".
    void starte();
    // Ends the scan at once (no question).
    void stoppe();
    // The user's cancel: ends the scan at once, without the repair
    // question; beendet(Abbruch) follows.
    void abbrechen();

    bool laeuft() const override { return taktLaeuft(8); }
    // Timer6 runs: the repair write starts when it fires.
    bool reparaturWartet() const { return taktLaeuft(6); }
    int suchzaehler() const { return m_suchzaehler; }
    // Ticks of the last scan that sent something.
    int gesendeteTicks() const { return m_gesendet; }
    // A waiting terminal answered during the last scan.
    bool wartenderGesehen() const { return m_gesehen; }
    // 193 when the last scan ended because the port was gone, else 0.
    int fehler() const { return m_fehler; }
    bool abgebrochen() const { return m_abgebrochen; }

    // The repair question and its title in the language of sprache
    // (0, 1000, 2000, 3000).
    static QString reparaturfrage(int sprache);
    static QString reparaturtitel(int sprache);

signals:
    // The main window shows the hourglass pointer while the scan runs.
    void sanduhr(bool an);
    // Ticks so far of the most the scan runs.
    void fortschritt(int ticks, int hoechstens);
    // Timer6 fired: the write is in repair mode; run the write command again.
    void reparaturStarten();

private:
    void tick8();
    void tick6();
    void ende();
    void beiPortverlust() override;
    // The port message (193) and the end of the scan.
    void portFehlt();
    bool antwortDa() const;

    QPointer<Schreiben> m_schreiben;
    int m_ersterTick = ErsterTick;
    int m_abstand = Tickabstand;
    int m_suchzaehler = 0;
    int m_gesendet = 0;
    bool m_gesehen = false;
    int m_fehler = 0;
    bool m_abgebrochen = false;
};
