#pragma once
// Address identification: finds the terminals on the bus with the identify
// command "X", lists each with address and protocol, identifies one address
// alone, fetches and checks the version string ("V") and resets a terminal
// ("R"). The window Adressidentfenster and portavo-cli drive it through the
// methods below; everything waits on Timer1 (50 ms, 250 ms in modem
// operation) and the window closes through Timer2 (300 ms, 1000 ms).
//
// Its answer store must hold the stream while this runs: whoever runs it
// holds the handle of empfangNehmen().

#include "link/Ablauf.h"
#include "link/Empfangspuffer.h"
#include "link/Empfangsrecht.h"

#include <QString>
#include <QStringList>

class Adressidentifikation : public Ablauf {
    Q_OBJECT
public:
    Adressidentifikation(Zustand &z, Verbindung &v, Meldung &meldung, QObject *parent = nullptr);

    // --- window events ---
    // Load: Command3 off, timers stopped, Adresse 48, Protokoll 0,
    // AdresseBekannt 0, Protokollnamen(255) = text 190, intervals by mode.
    void laden();
    void scan();                                    // Command1
    void reset();                                   // Command4
    void ok();                                      // Command3
    // Command2: closes the window; during a scan it stops the scan only
    // (the list keeps what was found).
    void abbrechen();
    void waehleZeile(int zeile);                    // List3 click or Enter
    void adressfeldVerlassen(const QString &text);  // text1 loses the focus

    // --- state the window shows ---
    const QStringList &liste() const { return m_liste; }
    int auswahl() const { return m_auswahl; }
    QString adressfeld() const { return m_adressfeld; }
    bool okFreigegeben() const { return m_okFrei; }
    bool gesperrt() const { return m_gesperrt; }
    int anfragestatus() const { return m_anfragestatus; }
    int zeilenmodus() const { return m_zeilenmodus; }
    // Timer2 runs: the window closes when it fires.
    bool schliesstGleich() const { return taktLaeuft(2); }
    // The window goes: both ticks stop.
    void anhalten() { stoppeAlleTakte(); }

    // The answer store empties and takes the received bytes (rank
    // Identifikation) until the handle goes.
    [[nodiscard]] Empfangsrecht empfangNehmen();
    const QByteArray &empfang() const { return m_empfang.bytes(); }

    // A list line: text 191, address in three digits, text 192, protocol in
    // three digits, a blank and the protocol's name.
    QString listenzeile(int adresse, int protokoll) const;
    // Address and protocol of a list line (0 and 0 for a line without them).
    void zeileLesen(const QString &zeile, int *adresse, int *protokoll) const;

signals:
    void listeGeaendert();
    void auswahlGeaendert(int zeile);
    void adressfeldGeaendert(const QString &text);
    void okFreigabe(bool frei);
    void sperre(bool gesperrt);  // the window takes no input while a scan runs
    void listeFokus();
    void adressfeldFokus();
    // The main window's address and protocol displays.
    void terminalAnzeigen(int adresse, const QString &protokollname);
    // The main window's version display.
    void versionAnzeigen(const QString &version);
    // The window is to close (Cancel, or Timer2 after an accepted terminal).
    void schliessen();
    // A whole scan ended (the list is complete, or the interface failed).
    void scanBeendet(bool schnittstelleOk);
    // A single identification concluded: answered or not (text 196 shown).
    void einzelidentifikationBeendet(bool geantwortet);
    // The version answer was evaluated; passt = the family character matched.
    void versionGeprueft(const QString &version, bool passt);

private:
    void sendeAnfrage();
    void einzelidentifikation();
    void versionsanfrage();
    void einzelidentifikationAbschliessen();
    void versionAuswerten();
    void tick1();
    void tick2();
    void setzeAdressfeld(const QString &text);
    void setzeGesperrt(bool g);
    void setzeOkFrei(bool f);
    void fuegeZeileHinzu(const QString &zeile);

    Empfangspuffer m_empfang{true};
    QStringList m_liste;
    int m_auswahl = -1;
    QString m_adressfeld;
    bool m_okFrei = false;
    bool m_gesperrt = false;
    int m_anfragestatus = 0;
    int m_zeilenmodus = 0;
};
