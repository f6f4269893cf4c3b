// portavo-cli scan, identify and read: the address identification and the
// read-out of the program, run on their own timers in an event loop.

#include "cli/Busanschluss.h"
#include "cli/Befehlstabelle.h"

#include "base/Ansi.h"
#include "base/MeldungDruck.h"
#include "base/Zustand.h"
#include "link/Anmeldung.h"
#include "link/Telegramm.h"
#include "workflow/Ausleseablauf.h"
#include "workflow/Identifikationsablauf.h"

#include <QEventLoop>

namespace {

struct Optionen {
    Busoptionen bus;
    QStringList rest;
    QString passwort;
    QString freiesPasswort;
    bool hatFreiesPasswort = false;
    QString ausgabe;
    QString fehler;
};

Optionen lies(const QStringList &args)
{
    Optionen o;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const auto wert = [&] { return optionswert(args, i, o.fehler); };
        if (leseBusoption(args, i, o.bus, o.fehler)) {
            if (!o.fehler.isEmpty())
                break;
            continue;
        }
        if (a == QLatin1String("--password")) {
            o.passwort = wert();
        } else if (a == QLatin1String("--free-password")) {
            o.freiesPasswort = wert();
            o.hatFreiesPasswort = true;
        } else if (a == QLatin1String("-o") || a == QLatin1String("--output")) {
            o.ausgabe = wert();
        } else if (a.startsWith(QLatin1String("--"))) {
            o.fehler = QStringLiteral("unknown option %1").arg(a);
        } else {
            o.rest << a;
        }
        if (!o.fehler.isEmpty())
            break;
    }
    return o;
}

// The program's state, link and port for one command.
struct Bus : Busanschluss {
    MeldungDruck meldung;
    bool oeffnen(const Optionen &o, QTextStream &err) { return Busanschluss::oeffnen(o.bus, err); }
};

using Identifikation = Identifikationsablauf::Ergebnis;

// Identifies one address as the window does after typing it and OK:
// identify, then the version with its family check.
Identifikation identifiziere(Bus &b, int adresse)
{
    Identifikationsablauf ablauf(b.z, b.v, b.meldung);
    QEventLoop schleife;
    QObject::connect(&ablauf, &Identifikationsablauf::identifiziert, &schleife, &QEventLoop::quit);
    ablauf.identifiziere(adresse);
    schleife.exec();
    return ablauf.ergebnis();
}

int adresseAus(const QString &text, QTextStream &err)
{
    bool ok = false;
    const int a = text.toInt(&ok);
    if (!ok || a < 1 || a > 255) {
        err << "portavo-cli: ADDRESS must be 1..255\n";
        return 0;
    }
    return a;
}

// ADDRESS of the command line, the port, then the identification of that
// address. 0 when the terminal answered; otherwise the exit status (2 for a
// bad address, 1 when the port failed or text 196 was shown).
int oeffneUndIdentifiziere(Bus &b, const Optionen &o, QTextStream &err, Identifikation &e)
{
    const int adresse = adresseAus(o.rest.first(), err);
    if (adresse == 0)
        return 2;
    if (!b.oeffnen(o, err))
        return 1;
    e = identifiziere(b, adresse);
    return e.geantwortet ? 0 : 1;
}

const char *const Hilfe =
    "Bus commands (scan, identify, read) run the program's own sequences and timers.\n"
    "\n"
    "  scan                 polls addresses 1..255 with the identify command; one line per\n"
    "                       terminal: ADDRESS PROTOCOL NAME\n"
    "  identify ADDRESS     identifies one address and fetches its version string; prints\n"
    "                       ADDRESS PROTOCOL NAME and the version; fails when the family\n"
    "                       character (13th of the version) is not \"1\"\n"
    "  read ADDRESS --password DIGITS [-o FILE]\n"
    "                       identifies the address, logs in and reads the 2048-byte memory\n"
    "                       into FILE (default PORTAVO.S2D in the current folder; the .B2D\n"
    "                       beside it is removed); prints the file written\n"
    "       --free-password TEXT  instead of --password: the free-entry login (\"X\" + TEXT)\n"
    "\n"
    "Options of all three:\n"
    "  --port N|PATH        port number 1..16 through the port map (ports.dat), or a device\n"
    "                       path; default: the port of the settings file Portavomodem.ini\n"
    "  --device PATH        the same as --port PATH\n"
    "  --lang de|en|fr|es   language of the messages; default: the settings file's\n"
    "  --echo auto|yes|no   whether the RS485 interface echoes what the PC sends; auto finds\n"
    "                       out on the line and keeps the finding per port (echo.ini); default:\n"
    "                       the mode chosen in the program (echo.ini, Modus), else auto\n"
    "  --dial NUMBER        the port is a telephone modem's: dial NUMBER (with the outside-line\n"
    "                       prefix of Portavomodem.ini), wait for the connection, run with the\n"
    "                       modem intervals and hang up at the end (also after a failure or\n"
    "                       Ctrl-C); BUSY, NO CARRIER, NO DIALTONE or no answer in 60 s fail.\n"
    "                       Without --port the modem window's stored port and settings\n"
    "\n"
    "Messages go to standard error in the program's wording. Exit status: 0 done,\n"
    "1 failed (no interface echo, no terminal found, no answer, foreign family, login or\n"
    "transfer failure, port not usable), 2 wrong usage.\n";

}  // namespace

int runScan(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (hilfeVerlangt(args, out, Hilfe))
        return 0;
    const Optionen o = lies(args);
    if (!o.fehler.isEmpty() || !o.rest.isEmpty()) {
        err << "portavo-cli scan: " << (o.fehler.isEmpty() ? QStringLiteral("no arguments expected") : o.fehler)
            << '\n';
        return 2;
    }
    Bus b;
    if (!b.oeffnen(o, err))
        return 1;
    Identifikationsablauf ablauf(b.z, b.v, b.meldung);
    QEventLoop schleife;
    bool schnittstelleOk = false;
    QObject::connect(&ablauf, &Identifikationsablauf::scanBeendet, &schleife, [&](bool ok) {
        schnittstelleOk = ok;
        schleife.quit();
    });
    ablauf.scan();
    schleife.exec();
    if (!schnittstelleOk)
        return 1;  // the message (text 193) is out
    int gefunden = 0;
    for (const Identifikationsablauf::Terminal &t : ablauf.terminals()) {
        out << t.adresse << ' ' << t.protokoll << ' ' << b.z.sprache.protokollnamen.value(t.protokoll) << '\n';
        ++gefunden;
    }
    if (gefunden == 0) {
        err << b.z.sprache.texte.value(195) << '\n';
        return 1;
    }
    return 0;
}

int runIdentify(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (hilfeVerlangt(args, out, Hilfe))
        return 0;
    const Optionen o = lies(args);
    if (!o.fehler.isEmpty() || o.rest.size() != 1) {
        err << "portavo-cli identify: " << (o.fehler.isEmpty() ? QStringLiteral("ADDRESS expected") : o.fehler)
            << '\n';
        return 2;
    }
    Bus b;
    Identifikation e;
    if (const int status = oeffneUndIdentifiziere(b, o, err, e))
        return status;
    out << e.adresse << ' ' << e.protokoll << ' ' << b.z.sprache.protokollnamen.value(e.protokoll) << '\n';
    if (!e.versionDa) {
        err << "portavo-cli: no version answer from address " << e.adresse << '\n';
        return 1;
    }
    out << e.version << '\n';
    return e.familieOk ? 0 : 1;  // text 388 is out when the family is foreign
}

int runRead(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (hilfeVerlangt(args, out, Hilfe))
        return 0;
    const Optionen o = lies(args);
    QString fehler = o.fehler;
    if (fehler.isEmpty() && o.rest.size() != 1)
        fehler = QStringLiteral("ADDRESS expected");
    QByteArray passwort;
    if (fehler.isEmpty()) {
        if (o.hatFreiesPasswort == !o.passwort.isEmpty())
            fehler = QStringLiteral("give either --password DIGITS or --free-password TEXT");
        else if (o.hatFreiesPasswort && (o.freiesPasswort.isEmpty() || o.freiesPasswort.size() > 8))
            fehler = QStringLiteral("--free-password takes 1..8 characters");
        else if (o.hatFreiesPasswort)
            passwort = QByteArray("X") + Ansi::kodieren(o.freiesPasswort);
        else if ((passwort = Telegramm::packePasswort(o.passwort)).isEmpty())
            fehler = QStringLiteral("--password takes exactly six digits");
    }
    if (!fehler.isEmpty()) {
        err << "portavo-cli read: " << fehler << '\n';
        return 2;
    }
    Bus b;
    // Where the memory goes is checked before anything is sent: a read-out
    // that cannot be saved, or a name whose companion file is another
    // file's, must not cost a transfer.
    b.einstellen(o.bus);
    const QString zielFehler =
        Ausleseablauf::zielFehler(b.z, o.ausgabe.isEmpty() ? QStringLiteral("PORTAVO.S2D") : o.ausgabe);
    if (!zielFehler.isEmpty()) {
        err << "portavo-cli read: " << zielFehler << '\n';
        return 2;
    }
    Identifikation e;
    if (const int status = oeffneUndIdentifiziere(b, o, err, e))
        return status;
    if (!e.bekannt)
        return 1;  // text 388 is out

    Anmeldung anmeldung(b.z, b.v);
    Ausleseablauf ablauf(b.z, b.v, anmeldung, b.meldung);
    if (!o.ausgabe.isEmpty())
        ablauf.setZieldatei(o.ausgabe);
    ablauf.setPasswortfrage([&] {
        b.z.terminal.passwort = passwort;
        b.z.terminal.passwortOK = true;
        return true;
    });
    QEventLoop schleife;
    QString datei;
    int ende = 0;
    QObject::connect(&ablauf, &Ausleseablauf::fertig, &schleife, [&](const QString &d) {
        datei = d;
        schleife.quit();
    });
    QObject::connect(&ablauf, &Ausleseablauf::fehlgeschlagen, &schleife, [&](int n) {
        ende = n == 0 ? -1 : n;
        schleife.quit();
    });
    if (ablauf.starte() != Ausleseablauf::Start::Gestartet) {
        err << "portavo-cli: nothing could be sent\n";
        return 1;
    }
    schleife.exec();
    if (ende != 0)
        return 1;  // the message of the failure ending is out
    out << datei << '\n';
    return 0;
}
