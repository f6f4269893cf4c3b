#pragma once
// Writing the data image into a terminal, from the write button on: login
// (Stufe 2), "D" or "d", the announcement "U24###" ("###" over a modem
// connection), Timer4, the write block at 2400 baud (19200 for variant "M"),
// and the confirmation "U19###" among the last 200 received bytes on Timer2.
// The confirmation must be the terminal's own: the echo of the block is
// taken off first (it is the PC's own data and may hold those characters),
// and a variant-M terminal has to confirm like any other.
//
// The block goes to the port in one piece, but a pseudo-terminal or a USB
// adapter takes it at once while the line needs 8.5 s for it at 2400 baud.
// So the confirmation wait starts only when the block is on the line: its
// echo has come back in full, or the port has handed over every byte, holds
// none any more and the line time (10 bits per byte) since the hand-over has
// passed. The progress follows the same bytes.
//
// In modem operation the Timer4 tick sends "###" once more on the modem
// port and hands the block to a chain of ticks: Timer9 (300 ms), Timer10
// (300 ms), then Timer11 (50 ms) sends it at 2400 baud on the modem port.
//
// Repair mode (reparaturVormerken(), from the recovery scan): no login; one
// STX per Timer5 tick until the terminal answers (NAK, or more than one
// byte), then Timer4 and the block as above. From reparaturVormerken() until
// that answer (or the end of the repair) the write holds the stream with the
// highest rank, but takes only such an answer.
//
// Every ending sets the port back to "19200,n,8,1": success (text 165),
// failure (167 with title 168), login failure (154), the port's device going
// away (193), and cancel. A modem connection that breaks off (NO CARRIER)
// ends the write at once: 154 during the login, 167 once the terminal was
// told to expect its block.

#include "link/Ablauf.h"
#include "link/Empfaenger.h"
#include "link/Empfangsrecht.h"

#include <QByteArray>
#include <QPointer>
#include <QTimer>

class Anmeldung;
class Port;

class Schreiben : public Ablauf {
    Q_OBJECT
public:
    static constexpr int HoechsteWarteticks = 30;     // the 31st Timer2 tick fails
    static constexpr int Rueckmeldungslaenge = 200;   // bytes looked at for "U19###"
    static constexpr int Leitungsblick = 50;          // ms between looks at the line while sending

    enum class Phase { Bereit, Anmeldung, Angekuendigt, Wecken, Senden, Bestaetigung };
    Q_ENUM(Phase)

    Schreiben(Zustand &z, Verbindung &v, Anmeldung &anmeldung, Meldung &meldung, QObject *parent = nullptr);

    // The write button, after the password was confirmed (Passwort holds
    // it; in repair mode no password is needed): forces bytes 12 := 0 and
    // 13 := 15, Protokoll := byte 10, computes Blockpruefsumme and logs in,
    // or in repair mode starts the wake-up ticks. False when it cannot start
    // (already running, address above 255, no port).
    bool starte();
    // The cancel button: repair mode off, every tick of the write stopped,
    // a block still in the port discarded, port back at 19200 baud. A
    // terminal that was already told to expect a block is left waiting: that
    // is reported like a failed write (text 167), so it gets repaired.
    void abbrechen();

    bool laeuft() const override { return m_phase != Phase::Bereit; }
    // Repair mode: the next starte() wakes a terminal that waits for its
    // block instead of logging in. Vormerken takes the stream for the
    // wake-up answer at once.
    void reparaturVormerken();
    void reparaturVerwerfen();
    bool reparatur() const { return m_weckempfang.recht.haelt(); }
    // The modem hangs up: no more wake-up characters (Timer5 stops).
    void weckenAnhalten() { stoppeTakt(5); }
    Phase phase() const { return m_phase; }
    // A password is asked before starte() except in repair mode.
    bool brauchtPasswort() const;
    int blockpruefsumme() const { return m_blockpruefsumme; }
    int versuche() const { return m_versuche; }
    QByteArray rueckmeldung() const { return m_rueckmeldung; }
    // Bytes of the block that are on the line so far (0..2051).
    int aufDerLeitung() const { return m_aufDerLeitung; }
    // Milliseconds from the hand-over of the block until it was on the line.
    qint64 sendedauer() const { return m_sendedauer; }
    // The clock the line time is measured on; tests put in their own.
    void setUhr(Taktwaechter::Uhr uhr) { m_uhr = std::move(uhr); }


    // Line time of n bytes at the given speed, 10 bits per byte, rounded up.
    static qint64 leitungszeitMs(qint64 bytes, int baud);
    // The block as it goes out: STX, Daten(0..2047), ETX, Blockpruefsumme.
    static QByteArray block(const Zustand &z, int blockpruefsumme);

signals:
    // The login went out: the write button turns red.
    void gestartet();
    // The terminal was told to expect the block; Timer4 runs until the block
    // goes out (the panel says what it waits for).
    void angekuendigt();
    // Timer4 fired: the block is handed to the port (frame caption text 169).
    void blockBegonnen();
    // Bytes of the block on the line so far, of the whole block.
    void fortschritt(int bytes, int gesamt);
    // The block is on the line; the confirmation wait begins.
    void blockAufDerLeitung();
    // Text 165 was shown.
    void erfolgreich();
    // A failure ending, its message already shown: 154, 167, 193.
    void fehlgeschlagen(int textnummer);

private:
    void angemeldet(int stufe);
    void anmeldungFehlgeschlagen(int stufe);
    void tick2();
    void tick5();
    // Timer4 (ankuendigungsende) and, in modem operation, Timer11: the
    // block goes out when the port is still there.
    void blocktick(bool ankuendigungsende);
    void beiPortverlust() override;
    void beiVerbindungsabbruch() override;
    void blockSenden(Port *port);
    void reparaturAntwort();
    // Takes only the wake-up answer: NAK first, or more than one byte.
    struct Weckempfang : Empfaenger {
        Schreiben *schreiben = nullptr;
        Empfangsrecht recht;
        Annahme nimm(const QByteArray &bytes) override;
    };
    void empfangen(int anzahl);
    void gesendet(qint64 bytes);
    void leitungPruefen();
    void aufDerLeitungMelden(int bytes);
    // Where the echo of the block ends in the link's byte store: from the hand-over
    // on, as far as the received bytes repeat the block.
    int echoEnde() const;
    bool bestaetigt() const;
    void erfolg();
    void fehler(int textnummer, int titelnummer, bool terminalWartet);
    void aufhoeren();
    void auf19200();

    Anmeldung &m_anmeldung;
    QTimer m_leitung;  // looks at the line while the block goes out
    Phase m_phase = Phase::Bereit;
    int m_versuche = 0;
    int m_blockpruefsumme = 0;
    QByteArray m_rueckmeldung;
    int m_weckzeichen = 0;

    // The block on its way
    QByteArray m_block;
    int m_blockAnfang = 0;     // bytes in the byte store at the hand-over
    QPointer<Port> m_blockport;
    int m_blocklaenge = 0;
    int m_blockbaud = 0;
    qint64 m_echo = 0;         // bytes received since the hand-over
    qint64 m_uebergeben = 0;   // bytes the port reports handed to the line
    int m_aufDerLeitung = 0;
    qint64 m_sendedauer = 0;
    Taktwaechter::Uhr m_uhr = &Taktwaechter::monoton;
    qint64 m_uebergabeMs = 0;  // the block was handed to the port
    QMetaObject::Connection m_gesendetVerbindung;
    Weckempfang m_weckempfang;
};
