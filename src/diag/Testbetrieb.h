#pragma once
// Test mode: watches one terminal live. Timer1 sends a request once a second
// (a due operating-mode command "K"/"O"/"G", else the status request "S",
// or the card data fetch "L2"/"L3"/"LC" after a status answer announced
// data); Timer2 looks every 100 ms for an answer longer than the echo of the
// request, acknowledges it with a bare ACK, decodes the status character
// (4th character of the answer for protocol 0, 6th for protocol 1) and,
// for a card data answer, appends a movement line to the log.
//
// The window Testfenster and portavo-cli test drive it through the methods
// below and show its state; they hold the handle of empfangNehmen() while
// the window is open (the command while it runs), so that the answers reach
// the answer store.

#include "diag/Bewegungsprotokoll.h"
#include "link/Ablauf.h"
#include "link/Empfangspuffer.h"
#include "link/Empfangsrecht.h"

#include <QByteArray>
#include <QString>

class Testbetrieb : public Ablauf {
    Q_OBJECT
public:
    static constexpr int Anfragetakt = 1000;  // Timer1
    static constexpr int Antworttakt = 100;   // Timer2

    // Bits of the status character.
    enum Statusbit {
        Stoerung = 0x01,
        DatenWartend = 0x04,
        FehlbuchungWartend = 0x08,
        SkimmingAusgeloest = 0x10,
        Skimmingsabotage = 0x20,
    };
    enum class Quelle { Spur2, Spur3, Chip };
    enum class Betriebsart { Normalbetrieb, TuereAuf, TuereZu };
    enum class Skimming { Keins, Ausgeloest, Sabotage };

    Testbetrieb(Zustand &z, Verbindung &v, QObject *parent = nullptr);

    // --- window events ---
    // Load: Datenstatus 0, "Spur 2", "Normalbetrieb" chosen (so "K" is due),
    // timers stopped, displays cleared.
    void laden();
    // Command1: starts the request cycle; the operating-mode choice is
    // cleared without making a command due.
    void start();
    // Option1/2/3: the command is due at the next request.
    void waehleBetriebsart(Betriebsart art);
    // Option5/4/7: only chooses the source of the next fetch.
    void waehleQuelle(Quelle quelle) { m_quelle = quelle; }
    // Command4: writes the log header and starts the request cycle (once).
    // False when the header could not be written; polling starts anyway.
    bool anlageUebernehmen(const QString &anlagenname, bool geschlossen);
    // The window closes: both timers stop; beendet(Abbruch), or Portverlust
    // when the port went away.
    void beenden();
    bool laeuft() const override { return taktLaeuft(1) || taktLaeuft(2); }
    // The answer store takes the received bytes (rank Testbetrieb) until
    // the handle goes.
    [[nodiscard]] Empfangsrecht empfangNehmen();
    const QByteArray &empfang() const { return m_empfang.bytes(); }

    // --- state the window shows ---
    int datenstatus() const { return m_datenstatus; }
    QByteArray testbefehl() const { return m_testbefehl; }
    int betriebsartwechsel() const { return m_betriebsartwechsel; }
    QByteArray testtelegramm() const { return m_testtelegramm; }
    Quelle quelle() const { return m_quelle; }
    // Request and answer boxes as byte codes; true while the request box is
    // green and the answer box red (from a Timer1 tick to the next Timer2 tick).
    QString anfragefeld() const { return m_anfragefeld; }
    QString antwortfeld() const { return m_antwortfeld; }
    bool anfrageHervorgehoben() const { return m_anfrageHervorgehoben; }
    // Card data field: the last card data answer (empty when cleared).
    QByteArray kartendaten() const { return m_kartendaten; }
    bool fehllesung() const { return m_fehllesung; }
    bool stoerung() const { return m_stoerung; }          // Label4 "Störung!"
    Skimming skimming() const { return m_skimming; }      // Label6
    bool datenVorhanden() const { return m_datenVorhanden; }  // Label3
    // How often the request cycle was started by Start or an installation name.
    int zyklusstarts() const { return m_zyklusstarts; }

    Bewegungsprotokoll &protokoll() { return m_protokoll; }

    // Decimal code of each byte, at least two digits, each followed by a blank:
    // "02 17 83 03 65 ".
    static QString bytecodes(const QByteArray &bytes);
    // The installation name of a chosen file: the last path component, cut
    // before its first "." ("C:\\Anlagen\\Halle 3.S2D" gives "Halle 3").
    static QString anlagenname(const QString &pfad);
    // A card data answer holding "??" is a misread.
    static bool istFehllesung(const QByteArray &antwort) { return antwort.contains("??"); }

signals:
    // Any displayed state changed.
    void anzeigeGeaendert();
    // Start cleared the operating-mode choice.
    void betriebsartAbgewaehlt();
    void anfrageGesendet(const QByteArray &telegramm);
    // An answer came and was acknowledged (answer without the echo).
    void antwortErhalten(const QByteArray &telegramm, const QByteArray &antwort);
    // The status character of a status answer was decoded.
    void statusGelesen(int status);
    // A card data answer was shown and logged.
    void kartendatenErhalten(const QByteArray &antwort, bool fehllesung);
    // The log could not be written: sent once per instance; polling goes on.
    void protokollFehler(const QString &pfad, const QString &grund);
    // The next request goes out while the last one is still without an
    // answer; echo: at least part of its echo came back.
    void keineAntwort(const QByteArray &telegramm, bool echo);

private:
    void tick1();
    void tick2();
    void sende();
    void statusschritt(const QByteArray &antwort);
    void datenschritt(const QByteArray &antwort);
    void zyklusNeuStarten();
    void protokollErgebnis(bool ok);
    void beiPortverlust() override;

    Bewegungsprotokoll m_protokoll;
    Empfangspuffer m_empfang;

    int m_datenstatus = 0;
    QByteArray m_testbefehl;
    int m_betriebsartwechsel = 0;
    QByteArray m_testtelegramm;
    Quelle m_quelle = Quelle::Spur2;

    QString m_anfragefeld;
    QString m_antwortfeld;
    bool m_anfrageHervorgehoben = false;
    QByteArray m_kartendaten;
    bool m_fehllesung = false;
    bool m_stoerung = false;
    Skimming m_skimming = Skimming::Keins;
    bool m_datenVorhanden = false;
    int m_zyklusstarts = 0;
};
