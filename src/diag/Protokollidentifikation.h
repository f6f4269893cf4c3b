#pragma once
// Protocol identification before a write: the present address of the
// terminal (Text2), the address the file gives it (text1, image byte 8) and
// the protocol chosen for the file (ptk 0..7, image byte 10). OK writes both
// into the image and asks the terminal at its present address for its
// version ("V"): the family character must match, "M" as 11th character
// means variant M, and STX ACK ETX ENQ in the answer means protocol 1.
// Protokollidentfenster and portavo-cli drive it through the methods below.
//
// Its answer store holds the stream (rank Identifikation) while the version
// answer is awaited and gives it back whenever no answer is awaited, so that
// a closed window never leaves the receive routing bent.

#include "link/Ablauf.h"
#include "link/Empfangspuffer.h"
#include "link/Empfangsrecht.h"

#include <QString>

class Protokollidentifikation : public Ablauf {
    Q_OBJECT
public:
    static constexpr int Startverzoegerung = 100;   // Timer1, once
    static constexpr int Versionswartezeit = 300;   // Timer2, once per request
    static constexpr int Protokollwahlen = 8;

    Protokollidentifikation(Zustand &z, Verbindung &v, Meldung &meldung, QObject *parent = nullptr);

    // --- window events ---
    // Load: texts 344..357, 196, 197, 388; AdresseBekannt := 0; the present
    // address field shows Adresse when above 0; Timer1 starts.
    void laden();
    // The start-up step (Timer1's tick): protocol above 7 -> 0, choice :=
    // byte 10, text1 := byte 8; ask text 354 when the file's address or
    // protocol differs from the terminal's. Public so that callers without
    // a window can run it at once.
    void startschritt();
    void waehleProtokoll(int k);                       // ptk(k) click
    void ok();                                          // Cd2
    void abbrechen();                                   // Cd3
    void geschlossen();                                 // the window closes, any way
    void setAdressfeld(const QString &text) { m_adressfeld = text; }    // Text2 typed
    void setNeueAdresse(const QString &text) { m_neueAdresse = text; }  // text1 typed
    void adressfeldVerlassen(const QString &text);      // Text2 loses the focus
    void neueAdresseVerlassen(const QString &text);     // text1 loses the focus

    // --- state the window shows ---
    QString adressfeld() const { return m_adressfeld; }
    QString neueAdresse() const { return m_neueAdresse; }
    int protokollwahl() const { return m_wahl; }
    // Caption of choice k and whether it can be chosen (a name longer than
    // one character).
    QString protokollname(int k) const;
    bool protokollFrei(int k) const;
    QString version() const { return m_version; }
    // The version answer is awaited (Timer2).
    bool wartetAufVersion() const { return taktLaeuft(2); }
    bool haeltStrom() const { return m_recht.haelt(); }

signals:
    void felderGeaendert();
    void adressfeldFokus();
    // The main window's version display.
    void versionAnzeigen(const QString &version);
    // The window is to close; bestaetigt = ProtokollGewaehlt was set.
    void schliessen(bool bestaetigt);
    // A version request went out / its answer was evaluated (true: confirmed).
    void versionAngefragt();
    void versionGeprueft(bool bestaetigt);

private:
    void okAusfuehren(int textnummer, int titelnummer);
    void versionsanfrage();
    void versionAuswerten();

    QString m_adressfeld;
    QString m_neueAdresse;
    int m_wahl = -1;
    QString m_version;
    Empfangspuffer m_empfang{true};
    Empfangsrecht m_recht;
};
