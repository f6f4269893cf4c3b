#pragma once
// What every bus command of portavo-cli shares: the options that choose the
// port and the language, and the program's state, port and link opened on
// them the way the main window opens its port at start.

#include "link/SerialPort.h"
#include "link/Verbindung.h"
#include "base/Zustand.h"

#include <QStringList>
#include <QTextStream>
#include <functional>
#include <memory>
#include <optional>

class Modemsitzung;
class Unterbrechung;
class Wiederanschluss;

struct Busoptionen {
    QString port;                // number 1..16 or a device path; empty: the settings file's port
    std::optional<int> sprache;  // 0, 1000, 2000, 3000; unset: the settings file's language
    QString waehlen;             // --dial: the number; the port is then the modem's
    // --echo auto|yes|no; unset: the mode chosen in the program (echo.ini, Modus)
    std::optional<Verbindung::Echomodus> echo;
};

// The value after the option at args[i] (i then points at it); empty, with
// "OPTION needs a value" in fehler, when there is none.
QString optionswert(const QStringList &args, int &i, QString &fehler);

// Takes "--port N|PATH", "--device PATH", "--lang de|en|fr|es" or
// "--dial NUMBER" or "--echo auto|yes|no" at args[i] (i then points at its value). False when
// args[i] is none of them; a bad value leaves its reason in fehler. A
// number that no modem would take is refused here, before any port opens,
// in the language of --lang or of the settings file.
bool leseBusoption(const QStringList &args, int &i, Busoptionen &o, QString &fehler);

// With --dial the port is a modem's: oeffnen() dials and waits for the
// connection (modem intervals, Modembetrieb 1), and the connection is hung
// up when the Busanschluss ends, after a failure as well; Ctrl-C hangs up
// before the program ends.
class Busanschluss {
public:
    Zustand z;
    SerialPort port;
    Verbindung v{z};

    Busanschluss();
    ~Busanschluss();
    Busanschluss(const Busanschluss &) = delete;
    Busanschluss &operator=(const Busanschluss &) = delete;

    // Settings file, language, texts 101..178, protocol names and the RS485
    // time-outs, as the main window has them after its start window.
    void einstellen(const Busoptionen &o);  // once; later calls do nothing
    // einstellen(), then the port. False, with the reason on err, when the
    // port cannot be opened.
    bool oeffnen(const Busoptionen &o, QTextStream &err);

    // The connection went away while the command runs: the port's device
    // disappeared (text 633) or the modem lost its carrier (text 512). The
    // message goes to err once, then the callback runs.
    void beiVerlust(std::function<void()> f) { m_beiVerlust = std::move(f); }
    bool verloren() const { return m_verloren; }
    // From now on a lost port opens again by itself once the same adapter
    // (serial number or by-id link) is back: text 913 goes to err once, then
    // the callback runs, and a later loss is reported anew. False, and a loss
    // stays the end, when nothing tells the port's adapter from another (no
    // serial number, no by-id link) or the port is a modem's. An empty
    // callback ends the looking.
    bool wiederanschliessen(std::function<void()> wiederDa);

private:
    void verlust(const QString &meldung);
    bool waehlen(const QString &nummer, QTextStream &err);
    void auflegen();

    std::unique_ptr<Modemsitzung> m_sitzung;
    std::unique_ptr<Unterbrechung> m_ctrlC;
    std::unique_ptr<Wiederanschluss> m_wiederanschluss;
    QTextStream *m_err = nullptr;
    std::function<void()> m_beiVerlust;
    std::function<void()> m_wiederDa;
    bool m_verloren = false;
    bool m_eingestellt = false;
    int m_portnummer = 1;
    QString m_leitung = QStringLiteral("19200,n,8,1");
};
