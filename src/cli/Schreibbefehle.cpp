// write FILE --address A --password DIGITS [--new-address N] [--protocol K]
//       [--use-file-settings] [--no-backup | --dry-run] [--installation NAME]
// trouble [--repair FILE]
// Both take [--port N|PATH] and [--lang de|en|fr|es]; without --port the port
// number of the settings file (else 1) on the port map.
//
// They run the program's own sequences: the load routine, the protocol
// identification (version request), the write sequence with its timers, the
// recovery scan and the repair write. Every message the program would show
// is printed on standard error; failures exit with 1, wrong usage with 2.

#include "cli/Busanschluss.h"
#include "cli/Unterbrechung.h"
#include "cli/Befehlstabelle.h"
#include "base/MeldungDruck.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "diag/Protokollidentifikation.h"
#include "link/Anmeldung.h"
#include "link/Schreiben.h"
#include "link/Telegramm.h"
#include "link/Troublesuche.h"
#include "termfile/Dateiablauf.h"
#include "termfile/Dateivergleich.h"
#include "termfile/Sicherungsablage.h"
#include "workflow/Schreibablauf.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QEventLoop>
#include <QTimer>

namespace {

// The longest a repair write keeps sending wake-up characters.
constexpr int Weckgrenze = 120000;

struct Optionen {
    QString datei;
    Busoptionen bus;
    int adresse = -1;
    int neueAdresse = -1;
    int protokoll = -1;
    bool dateieinstellungen = false;  // --use-file-settings
    bool ohneSicherung = false;       // --no-backup
    bool probelauf = false;           // --dry-run: read out, compare, stop
    QString anlage;                   // --installation: names the backup folder
    bool anlageGesetzt = false;
    QString passwort;
    QString reparatur;  // trouble --repair FILE
    bool varianteM = false;  // trouble --variant-m: the waiting terminal is a variant-M one
};

bool zahl(const QString &text, int von, int bis, int *wert)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < von || n > bis)
        return false;
    *wert = n;
    return true;
}

// Empty on success, otherwise what is wrong.
QString lese(const QStringList &args, bool schreiben, Optionen &o)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const auto wert = [&](QString *ziel) {
            if (i + 1 >= args.size())
                return false;
            *ziel = args.at(++i);
            return true;
        };
        QString w, fehler;
        if (leseBusoption(args, i, o.bus, fehler)) {
            if (!fehler.isEmpty())
                return fehler;
        } else if (schreiben && a == QLatin1String("--address")) {
            if (!wert(&w) || !zahl(w, 1, 255, &o.adresse))
                return QStringLiteral("--address needs a number 1..255");
        } else if (schreiben && a == QLatin1String("--new-address")) {
            if (!wert(&w) || !zahl(w, 1, 255, &o.neueAdresse))
                return QStringLiteral("--new-address needs a number 1..255");
        } else if (schreiben && a == QLatin1String("--protocol")) {
            if (!wert(&w) || !zahl(w, 0, 7, &o.protokoll))
                return QStringLiteral("--protocol needs a number 0..7");
        } else if (schreiben && a == QLatin1String("--use-file-settings")) {
            o.dateieinstellungen = true;
        } else if (schreiben && a == QLatin1String("--no-backup")) {
            o.ohneSicherung = true;
        } else if (schreiben && a == QLatin1String("--dry-run")) {
            o.probelauf = true;
        } else if (schreiben && a == QLatin1String("--installation")) {
            if (!wert(&o.anlage))
                return QStringLiteral("--installation needs a name");
            o.anlageGesetzt = true;
        } else if (schreiben && a == QLatin1String("--password")) {
            if (!wert(&o.passwort))
                return QStringLiteral("--password needs six digits");
        } else if (!schreiben && a == QLatin1String("--repair")) {
            if (!wert(&o.reparatur) || o.reparatur.isEmpty())
                return QStringLiteral("--repair needs a file");
        } else if (!schreiben && a == QLatin1String("--variant-m")) {
            o.varianteM = true;
        } else if (schreiben && !a.startsWith(QLatin1String("--")) && o.datei.isEmpty()) {
            o.datei = a;
        } else {
            return QStringLiteral("unknown argument \"%1\"").arg(a);
        }
    }
    if (!schreiben && o.varianteM && o.reparatur.isEmpty())
        return QStringLiteral("--variant-m belongs to --repair FILE");
    if (schreiben) {
        if (o.datei.isEmpty())
            return QStringLiteral("no FILE given");
        if (o.adresse < 0)
            return QStringLiteral("--address is required");
        if (Telegramm::packePasswort(o.passwort).isEmpty())
            return QStringLiteral("--password needs exactly six digits");
        if (o.probelauf && o.ohneSicherung)
            return QStringLiteral("--dry-run compares with the terminal's memory: not with --no-backup");
    }
    return {};
}

// The shared state, the port and the link of one command.
struct Bus : Busanschluss {
    Anmeldung anmeldung{z, v};

    // Settings and texts before anything else, so that a refused file
    // is reported in the chosen language.
    explicit Bus(const Optionen &o)
    {
        einstellen(o.bus);
        Texttabelle::ladeTexte(z, 101, 389);
    }

    bool oeffne(const Optionen &o, QTextStream &err)
    {
        if (!oeffnen(o.bus, err))
            return false;
        Texttabelle::ladeTexte(z, 101, 389);
        return true;
    }
};

// The messages of a write on standard error, except the success: the
// command prints that once, on standard output, with what was written.
class Schreibmeldung : public MeldungDruck {
public:
    using MeldungDruck::MeldungDruck;
    int zeige(const QString &text, const QString &titel, Knoepfe knoepfe, Symbol symbol, int textnummer,
              int titelnummer) override
    {
        if (textnummer == 165)
            return Ok;
        return MeldungDruck::zeige(text, titel, knoepfe, symbol, textnummer, titelnummer);
    }
    using Meldung::zeige;
};

// How a write goes with its backup.
struct Sicherungsart {
    bool gesichert = false;  // the terminal is read out and backed up first
    bool probelauf = false;  // ... and nothing is written
    int vergleich = -1;      // after the backup: 0 the file equals the terminal, 1 not
};

// The write button of the workflow: start, wait, report. 0 success, 1 failure
// (a dry run: 0 equal, 1 different, 2 failed). datei: the file written, for
// the repair hint.
int schreibeUndWarte(Bus &bus, Schreibablauf &ablauf, const QString &datei, const Sicherungsart &art,
                     QTextStream &out, QTextStream &err)
{
    Schreiben &s = ablauf.schreiben();
    bool ok = false;
    int fehler = 0;
    QEventLoop schleife;
    QObject::connect(&s, &Schreiben::erfolgreich, &schleife, [&ok] { ok = true; });
    QObject::connect(&ablauf, &Schreibablauf::schreibenBeendet, &schleife, [&](int t) {
        fehler = t;
        schleife.quit();
    });
    QTimer weckgrenze;
    weckgrenze.setSingleShot(true);
    QObject::connect(&weckgrenze, &QTimer::timeout, &s, [&s] {
        if (s.phase() == Schreiben::Phase::Wecken)
            s.abbrechen();
    });
    QElapsedTimer uhr;
    uhr.start();
    if (!ablauf.schreibknopf()) {
        err << "portavo-cli: the write could not start\n";
        return 1;
    }
    if (s.phase() == Schreiben::Phase::Wecken)
        weckgrenze.start(Weckgrenze);
    // Ctrl-C ends the write (or the read-out of its backup) the way the
    // cancel button does; the terminal may then wait for a block that never
    // comes, and the user must know.
    bool unterbrochen = false;
    {
        Unterbrechung ctrlC;
        QObject::connect(&ctrlC, &Unterbrechung::angekommen, &s, [&] {
            if (!unterbrochen) {
                unterbrochen = true;
                ablauf.abbrechen();
            }
        });
        if (ablauf.schreibenLaeuft())
            schleife.exec();
    }
    // A terminal that was told to expect its block and did not take it
    // whole answers nothing until it is repaired: say how.
    const auto reparaturhinweis = [&] {
        if (bus.z.terminal.schreibfehler)
            err << "portavo-cli: "
                << Texttabelle::text(bus.z, 600)
                       .arg(datei, bus.z.terminal.varianteM ? QStringLiteral(" --variant-m") : QString())
                << '\n';
    };
    if (unterbrochen) {
        err << "portavo-cli: " << Texttabelle::text(bus.z, 601) << '\n';
        reparaturhinweis();
        return 130;
    }
    if (art.probelauf) {
        if (art.vergleich < 0)
            return 2;  // the read-out or the backup failed: its message is out
        out << Texttabelle::text(bus.z, 822) << '\n';
        return art.vergleich;
    }
    if (ok) {
        out << Texttabelle::text(bus.z, 165).trimmed() << '\n';
        out << "address " << bus.z.bild.Daten[8] << ", protocol " << bus.z.bild.Daten[10] << ", "
            << (bus.z.terminal.varianteM ? "variant M, " : "") << "block on the line after " << s.sendedauer()
            << " ms, " << uhr.elapsed() << " ms in all"
            << (art.gesichert ? QString() : QStringLiteral(", ") + Texttabelle::text(bus.z, 821)) << '\n';
        return 0;
    }
    if (fehler == 0)
        err << "portavo-cli: the terminal did not answer the wake-up characters\n";
    reparaturhinweis();
    return 1;
}

// The protocol identification as its window would run with the fields of
// the command line. 0 when a protocol was chosen, else the exit status.
int protokollWaehlen(Bus &bus, MeldungDruck &meldung, const Optionen &o, QTextStream &out, QTextStream &err)
{
    if (!bus.oeffne(o, err))
        return 1;
    Protokollidentifikation ident(bus.z, bus.v, meldung);
    auto &d = bus.z.bild.Daten;
    if (d[10] > 7)
        d[10] = 0;
    const int protokoll = o.protokoll >= 0 ? o.protokoll : d[10];
    if (!ident.protokollFrei(protokoll)) {
        err << "portavo-cli write: protocol " << protokoll << " has no name and cannot be chosen\n";
        return 2;
    }
    // The file carries an address and a protocol of its own. Writing it
    // would give the terminal those: never without being told so.
    int neueAdresse = o.adresse;
    if (o.neueAdresse >= 0) {
        neueAdresse = o.neueAdresse;
    } else if (o.dateieinstellungen) {
        neueAdresse = d[8] >= 1 && d[8] <= 255 ? d[8] : o.adresse;
    } else if (d[8] != o.adresse) {
        err << "portavo-cli write: the file gives the terminal address " << d[8] << ", but it is at address "
            << o.adresse << " now. Say which address it is to have: --new-address " << d[8]
            << " (or --use-file-settings) to take the file's, --new-address " << o.adresse << " to keep it.\n";
        return 2;
    }
    bus.z.terminal.adresse = qint16(o.adresse);
    bus.z.terminal.protokollGewaehlt = false;
    ident.waehleProtokoll(protokoll);
    ident.setAdressfeld(QString::number(o.adresse));
    ident.setNeueAdresse(QString::number(neueAdresse));
    {
        QEventLoop schleife;
        QObject::connect(&ident, &Protokollidentifikation::versionGeprueft, &schleife, &QEventLoop::quit);
        ident.ok();
        if (ident.wartetAufVersion())
            schleife.exec();
        ident.geschlossen();
    }
    if (!bus.z.terminal.protokollGewaehlt)
        return 1;
    out << "terminal at address " << o.adresse << ": " << ident.version() << '\n';
    // The version answer tells the protocol the terminal speaks now.
    if (o.protokoll < 0 && !o.dateieinstellungen && protokoll != bus.z.terminal.protokoll) {
        err << "portavo-cli write: the file gives the terminal protocol " << protokoll << " ("
            << bus.z.sprache.protokollnamen.value(protokoll).trimmed() << "), but it speaks protocol " << bus.z.terminal.protokoll
            << " now. Say which it is to have: --protocol " << protokoll << " (or --use-file-settings), --protocol "
            << bus.z.terminal.protokoll << " to keep it.\n";
        return 2;
    }
    return 0;
}

// What the write sets, before the block goes out.
void ansage(Bus &bus, const Optionen &o, QTextStream &out)
{
    const auto &d = bus.z.bild.Daten;
    out << "writing the file: the terminal at address " << o.adresse << " gets address " << d[8]
        << " and protocol " << d[10] << " (" << bus.z.sprache.protokollnamen.value(d[10]).trimmed() << ")\n";
    out.flush();
}

const char *const SchreibHilfe =
    "write FILE --address A --password DIGITS [options]\n"
    "  Writes the main file FILE (.S2D/.S3D/.S4D) into the terminal at address A (1..255): the\n"
    "  file is loaded and checked first (nothing is sent for a refused file), the terminal's\n"
    "  version is checked, then login, the announcement and the block at 2400 baud (19200 for\n"
    "  variant M), and the terminal's confirmation.\n"
    "  The file carries an address (byte 8) and a protocol (byte 10) for the terminal. When\n"
    "  they differ from the terminal's present ones, the write is refused unless one of\n"
    "    --new-address N       the address the terminal is to have (1..255)\n"
    "    --protocol K          the protocol it is to have (0..7, a protocol with a name)\n"
    "    --use-file-settings   take the file's address and protocol\n"
    "  says what to do. A new address at which another terminal answers the version request\n"
    "  already is refused (exit 1; nothing is written). The address and protocol set are\n"
    "  printed before the block goes out.\n"
    "  Before the block, the terminal's present memory is read out and stored as a backup in\n"
    "  the data folder (\"Sicherungen\", the last N per terminal as sicherung.ini says,\n"
    "  default 20); what the write will change and the backup's main file are printed. A\n"
    "  read-out or backup that fails ends the command (exit 1) before anything is sent.\n"
    "    --no-backup           write without reading out and backing up first\n"
    "    --dry-run             read out, print the changes and stop: nothing is stored or\n"
    "                          written (exit 0 equal, 1 different, 2 failed)\n"
    "    --installation NAME   the installation the backup is filed under (with --dial\n"
    "                          the number dialled when not given)\n"
    "  \"portavo-cli backups\" lists the backups, \"portavo-cli restore\" writes one back.\n"
    "  --port N|PATH, --lang de|en|fr|es as for the other bus commands.\n"
    "  Success is printed on standard output, every other message on standard error. A\n"
    "  terminal that was told to expect its block and did not confirm it (refused, port\n"
    "  lost, modem connection lost, Ctrl-C) waits for it: repair it with\n"
    "  \"portavo-cli trouble --repair FILE\".\n"
    "  Exit status: 0 written and confirmed, 1 failed, 2 wrong usage or a refused difference,\n"
    "  130 interrupted.\n";

const char *const TroubleHilfe =
    "trouble [--repair FILE [--variant-m]] [--port N|PATH] [--lang de|en|fr|es]\n"
    "  The recovery scan after a failed write: up to 2048 ticks (about 104 s) looking for a\n"
    "  terminal still waiting for its block. With --repair FILE a terminal found waiting (or a\n"
    "  failed last write) is written again with FILE, without login. FILE is loaded before\n"
    "  the scan: a missing or unreadable file, or one that is no main file, ends the command\n"
    "  at once. --variant-m: the terminal is a variant-M one (block at 19200 baud); the\n"
    "  message of the failed write names it when needed. A waiting terminal cannot be read\n"
    "  out: the repair write makes no backup.\n"
    "  Exit status: 0 scan done (and repair written), 1 failed (the port went away, repair\n"
    "  failed), 2 wrong usage.\n";

}  // namespace

int runWrite(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (hilfeVerlangt(args, out, SchreibHilfe))
        return 0;
    Optionen o;
    const QString falsch = lese(args, true, o);
    if (!falsch.isEmpty()) {
        err << "portavo-cli write: " << falsch << '\n';
        return 2;
    }
    Bus bus(o);
    Schreibmeldung meldung(Meldung::Nein);
    bus.z.terminal.identifiziert = true;
    Schreibablauf ablauf(bus.z, bus.v, bus.anmeldung, meldung);
    // The file first: a refused file sends nothing; the port opens for the
    // protocol identification.
    int status = 1;
    // Absolute: the backup's index names the file that replaced the memory.
    const QString datei = QFileInfo(o.datei).absoluteFilePath();
    ablauf.setDateiwahl([datei](const QString &, const QString &, const QString &, const QString &) { return datei; });
    ablauf.setProtokollwahl([&] { return (status = protokollWaehlen(bus, meldung, o, out, err)) == 0; });
    ablauf.setPasswortfrage([&] {
        bus.z.terminal.passwort = Telegramm::packePasswort(o.passwort);
        bus.z.terminal.passwortOK = true;
        return true;
    });
    // A dry run answers like diff: 1 means different, a failure is 2.
    const auto gescheitert = [&o](int status) { return o.probelauf && status == 1 ? 2 : status; };
    if (!ablauf.schreibbefehl())
        return gescheitert(status);
    if (ablauf.adresspruefungLaeuft()) {
        // A new address: another terminal must not answer there.
        bool frei = false;
        QEventLoop schleife;
        QObject::connect(&ablauf, &Schreibablauf::bereit, &schleife, [&] {
            frei = true;
            schleife.quit();
        });
        QObject::connect(&ablauf, &Schreibablauf::nichtBereit, &schleife, &QEventLoop::quit);
        schleife.exec();
        if (!frei)
            return gescheitert(1);  // its message is out
    }
    // The terminal's present memory is backed up and compared with the
    // file before anything of the write is sent.
    Sicherungsart art;
    art.gesichert = !o.ohneSicherung;
    art.probelauf = o.probelauf;
    Sicherungsablage ablage(Sicherungsablage::standardwurzel(), Sicherungsablage::einstellung().behalten);
    if (art.gesichert) {
        // A modem installation is told apart by its name, else by the number dialled.
        ablauf.setSicherung(&ablage, o.anlageGesetzt ? o.anlage : o.bus.waehlen);
        ablauf.setVergleichsfrage([&](const Dateivergleich &v) {
            out << v.zusammenfassung(bus.z.sprache.versatz).join(QLatin1Char('\n')) << '\n';
            out.flush();
            art.vergleich = v.gleich() ? 0 : 1;
            return !art.probelauf;
        });
        QObject::connect(&ablauf, &Schreibablauf::gesichert, &ablauf, [&](const QString &sicherung) {
            out << Texttabelle::text(bus.z, 820).arg(QDir::toNativeSeparators(sicherung)) << '\n';
            out.flush();
        });
    }
    if (!art.probelauf)
        ansage(bus, o, out);
    return schreibeUndWarte(bus, ablauf, o.datei, art, out, err);
}

int runTrouble(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (hilfeVerlangt(args, out, TroubleHilfe))
        return 0;
    Optionen o;
    const QString falsch = lese(args, false, o);
    if (!falsch.isEmpty()) {
        err << "portavo-cli trouble: " << falsch << '\n';
        return 2;
    }
    Bus bus(o);
    // With --repair the repair question is answered Yes.
    Schreibmeldung meldung(o.reparatur.isEmpty() ? Meldung::Nein : Meldung::Ja);
    // The file is loaded as the repair will load it, before the scan of
    // nearly two minutes: a name that is no main file, a file that is
    // missing, unreadable or no terminal image ends here, and nothing goes
    // on the bus.
    if (!o.reparatur.isEmpty() && !Dateiablauf::ladeRoutine(bus.z, meldung, o.reparatur).geladen)
        return 1;
    if (!bus.oeffne(o, err))
        return 1;

    Schreibablauf ablauf(bus.z, bus.v, bus.anmeldung, meldung);
    ablauf.setDateiwahl(
        [&o](const QString &, const QString &, const QString &, const QString &) { return o.reparatur; });
    Troublesuche &suche = ablauf.trouble();
    {
        QEventLoop schleife;
        QObject::connect(&suche, &Troublesuche::beendet, &schleife, &QEventLoop::quit);
        ablauf.troubleStarten();
        schleife.exec();
    }
    if (suche.fehler() != 0)
        return 1;  // the port went away: its message is out
    out << "recovery scan: " << suche.gesendeteTicks() << " ticks, "
        << (suche.wartenderGesehen() ? "a terminal waiting for its block answered"
                                     : "no waiting terminal answered")
        << '\n';
    out.flush();
    if (!suche.reparaturWartet())
        return 0;

    // Timer6 runs the write command in repair mode: the file, then the
    // block without login.
    bool bereit = false;
    {
        QEventLoop schleife;
        QObject::connect(&ablauf, &Schreibablauf::bereit, &schleife, [&] {
            bereit = true;
            schleife.quit();
        });
        QObject::connect(&ablauf, &Schreibablauf::nichtBereit, &schleife, &QEventLoop::quit);
        schleife.exec();
    }
    if (!bereit)
        return 1;
    // The waiting terminal answers no version request: the command line
    // says whether it takes its block at 19200 baud.
    bus.z.terminal.varianteM = o.varianteM;
    out << "repair write of " << o.reparatur << '\n';
    out.flush();
    // A terminal waiting for its block answers no read-out: no backup.
    return schreibeUndWarte(bus, ablauf, o.reparatur, Sicherungsart{}, out, err);
}
