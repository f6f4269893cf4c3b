// portavo-cli test and monitor: the test mode sequence of the program on its
// own timers, and a plain listing of every byte the bus brings.

#include "cli/Befehlstabelle.h"
#include "cli/Busanschluss.h"
#include "cli/Unterbrechung.h"

#include "workflow/Identifikationsablauf.h"
#include "diag/Testbetrieb.h"
#include "base/Ansi.h"
#include "base/MeldungDruck.h"
#include "base/Zustand.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace {

struct Optionen {
    Busoptionen bus;
    QStringList rest;
    int sekunden = 0;  // 0: until interrupted
    Testbetrieb::Quelle quelle = Testbetrieb::Quelle::Spur2;
    Testbetrieb::Betriebsart art = Testbetrieb::Betriebsart::Normalbetrieb;
    bool anlage = false;
    QString anlagenname;
    bool geschlossen = false;
    QString log;
    QString fehler;
};

Optionen lies(const QStringList &args, bool testbefehl)
{
    Optionen o;
    for (int i = 0; i < args.size() && o.fehler.isEmpty(); ++i) {
        const QString &a = args.at(i);
        const auto wert = [&] { return optionswert(args, i, o.fehler); };
        if (leseBusoption(args, i, o.bus, o.fehler))
            continue;
        if (a == QLatin1String("--seconds")) {
            bool ok = false;
            o.sekunden = wert().toInt(&ok);
            if (o.fehler.isEmpty() && (!ok || o.sekunden < 1 || o.sekunden > 24 * 3600))
                o.fehler = QStringLiteral("--seconds takes 1..86400");
        } else if (testbefehl && a == QLatin1String("--source")) {
            const QString q = wert().toLower();
            if (q == QLatin1String("2"))
                o.quelle = Testbetrieb::Quelle::Spur2;
            else if (q == QLatin1String("3"))
                o.quelle = Testbetrieb::Quelle::Spur3;
            else if (q == QLatin1String("chip"))
                o.quelle = Testbetrieb::Quelle::Chip;
            else if (o.fehler.isEmpty())
                o.fehler = QStringLiteral("--source takes 2, 3 or chip");
        } else if (testbefehl && a == QLatin1String("--mode")) {
            const QString m = wert().toLower();
            if (m == QLatin1String("normal"))
                o.art = Testbetrieb::Betriebsart::Normalbetrieb;
            else if (m == QLatin1String("open"))
                o.art = Testbetrieb::Betriebsart::TuereAuf;
            else if (m == QLatin1String("closed"))
                o.art = Testbetrieb::Betriebsart::TuereZu;
            else if (o.fehler.isEmpty())
                o.fehler = QStringLiteral("--mode takes normal, open or closed");
        } else if (testbefehl && a == QLatin1String("--installation")) {
            o.anlagenname = wert();
            o.anlage = true;
        } else if (testbefehl && a == QLatin1String("--private")) {
            o.geschlossen = true;
        } else if (testbefehl && a == QLatin1String("--log")) {
            o.log = wert();
            if (o.fehler.isEmpty() && o.log.isEmpty())
                o.fehler = QStringLiteral("--log needs a file name");
        } else if (a.startsWith(QLatin1String("--"))) {
            o.fehler = QStringLiteral("unknown option %1").arg(a);
        } else {
            o.rest << a;
        }
    }
    if (o.fehler.isEmpty() && o.geschlossen && !o.anlage)
        o.fehler = QStringLiteral("--private needs --installation");
    return o;
}

struct Bus : Busanschluss {
    MeldungDruck meldung;
};

// The identification the main window runs before it offers test mode: the
// terminal must answer and belong to the family. Protokoll is set by it.
bool identifiziere(Bus &b, int adresse)
{
    Identifikationsablauf ablauf(b.z, b.v, b.meldung);
    QEventLoop schleife;
    QObject::connect(&ablauf, &Identifikationsablauf::identifiziert, &schleife, &QEventLoop::quit);
    if (ablauf.identifiziere(adresse) && ablauf.laeuft())
        schleife.exec();
    return ablauf.ergebnis().geantwortet && ablauf.ergebnis().bekannt;
}

enum class Ende { Zeit, Abbruch, Verlust };

// Runs the event loop for the given seconds or until SIGINT / SIGTERM. A
// lost port or modem connection ends it too (the message is out then),
// unless the port's adapter can be told again: then the port opens again by
// itself when that adapter is back, wiederDa runs and the loop goes on.
// After the time, Verlust when the port is still gone.
Ende laufen(Bus &b, int sekunden, const std::function<void()> &wiederDa)
{
    if (b.verloren())
        return Ende::Verlust;
    QEventLoop schleife;
    Ende ende = Ende::Zeit;
    const bool wiederanschluss = b.wiederanschliessen(wiederDa);
    b.beiVerlust([&] {
        if (wiederanschluss)
            return;
        ende = Ende::Verlust;
        schleife.quit();
    });
    Unterbrechung ctrlC;
    QObject::connect(&ctrlC, &Unterbrechung::angekommen, &schleife, [&] {
        ende = Ende::Abbruch;
        schleife.quit();
    });
    if (sekunden > 0)
        QTimer::singleShot(sekunden * 1000, &schleife, &QEventLoop::quit);
    schleife.exec();
    b.beiVerlust({});
    b.wiederanschliessen({});
    return ende == Ende::Zeit && b.verloren() ? Ende::Verlust : ende;
}

// The exit status after laufen(): 0 after the time (also when the adapter
// went and came back meanwhile), 130 interrupted, 1 the port or the modem
// connection went away for good.
int status(Ende ende)
{
    switch (ende) {
    case Ende::Zeit:
        return 0;
    case Ende::Abbruch:
        return 130;
    case Ende::Verlust:
        return 1;
    }
    return 1;
}

QString statusText(int status)
{
    QStringList teile;
    if (status & Testbetrieb::Stoerung)
        teile << QStringLiteral("fault");
    if (status & Testbetrieb::SkimmingAusgeloest)
        teile << QStringLiteral("skimming");
    if (status & Testbetrieb::Skimmingsabotage)
        teile << QStringLiteral("sabotage");
    if (status & Testbetrieb::DatenWartend)
        teile << QStringLiteral("data-waiting");
    if (status & Testbetrieb::FehlbuchungWartend)
        teile << QStringLiteral("error-booking-waiting");
    if (teile.isEmpty())
        teile << QStringLiteral("ok");
    return QStringLiteral("status 0x%1 %2").arg(status, 2, 16, QLatin1Char('0')).arg(teile.join(QLatin1Char(',')));
}

// The card data of an answer as the log takes it, control characters as blanks.
QString kartendaten(const QByteArray &antwort)
{
    QString s = Ansi::dekodieren(antwort.mid(7, 25));
    for (QChar &c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return s;
}

const char *const TestHilfe =
    "portavo-cli test ADDRESS [--seconds N] [--source 2|3|chip] [--mode normal|open|closed]\n"
    "                 [--installation NAME [--private]] [--log FILE] [--port N|PATH] [--lang L]\n"
    "\n"
    "Identifies the terminal at ADDRESS (it must answer and belong to the family), then\n"
    "runs the program's test mode on it: the operating-mode command first (K, O or G after\n"
    "--mode, default normal), then the status request S once a second, and after a status\n"
    "answer with card data waiting the fetch L2, L3 or LC after --source (default 2). Every\n"
    "answer is acknowledged with ACK. One line per answer on standard output:\n"
    "\n"
    "  COMMAND  request CODES  answer CODES  status 0xNN BITS | card \"DATA\" | misread \"DATA\"\n"
    "\n"
    "(CODES: the decimal code of each byte; BITS: fault, skimming, sabotage, data-waiting,\n"
    "error-booking-waiting or ok; an answer the protocol does not decode shows no status.)\n"
    "Every card data answer appends a movement line to the log, FILE or Bewegungen.dat in\n"
    "the data folder. --installation writes the log header for NAME first (\"Veranstaltung\n"
    "vom:\", with --private \"Geschlossene Gesellschaft vom:\"). A log that cannot be written\n"
    "is reported once on standard error; polling goes on.\n"
    "\n"
    "A request that got no answer before the next one goes out gets its own line:\n"
    "\n"
    "  COMMAND  request CODES  no answer        (no echo either: \"no answer, no echo\")\n"
    "\n"
    "  --seconds N   stop after N seconds (default: run until interrupted)\n"
    "\n"
    "When the port goes away (adapter unplugged), test says so once. A USB adapter with a\n"
    "serial number or a /dev/serial/by-id name is waited for: when that same adapter is\n"
    "back, the port opens again by itself (said once) and polling goes on; no other device\n"
    "is opened in its place. Without such a name, and when the modem of --dial loses its\n"
    "carrier (NO CARRIER), test ends at once with that message.\n"
    "\n"
    "Exit status: 0 after the time (also when the adapter went and came back), 1 no answer /\n"
    "foreign family / port not usable / port or modem connection lost and not back,\n"
    "2 wrong usage, 130 interrupted (Ctrl-C, SIGTERM).\n";

const char *const MonitorHilfe =
    "portavo-cli monitor [--seconds N] [--port N|PATH] [--lang L]\n"
    "\n"
    "Prints every byte the bus brings, one line each: milliseconds since the start, the\n"
    "byte in decimal and hexadecimal, and the character (\".\" for a control character).\n"
    "Sends nothing. --seconds N stops after N seconds (default: run until interrupted).\n"
    "When the port goes away, monitor says so once; a USB adapter with a serial number or\n"
    "a /dev/serial/by-id name is waited for and, once that same adapter is back, opened\n"
    "again (said once) and watched on. Without such a name, and when the modem of --dial\n"
    "loses its carrier, monitor ends at once with that message.\n"
    "\n"
    "Exit status: 0 after the time (also when the adapter went and came back), 1 port not\n"
    "usable / port or modem connection lost and not back, 2 wrong usage, 130 interrupted\n"
    "(Ctrl-C, SIGTERM).\n";

}  // namespace

int runTest(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (hilfeVerlangt(args, out, TestHilfe))
        return 0;
    const Optionen o = lies(args, true);
    QString fehler = o.fehler;
    int adresse = 0;
    if (fehler.isEmpty() && o.rest.size() != 1)
        fehler = QStringLiteral("ADDRESS expected");
    if (fehler.isEmpty()) {
        bool ok = false;
        adresse = o.rest.first().toInt(&ok);
        if (!ok || adresse < 1 || adresse > 255)
            fehler = QStringLiteral("ADDRESS must be 1..255");
    }
    if (!fehler.isEmpty()) {
        err << "portavo-cli test: " << fehler << '\n';
        return 2;
    }

    Bus b;
    if (!b.oeffnen(o.bus, err))
        return 1;
    if (!identifiziere(b, adresse) || b.verloren())
        return 1;  // text 196 or 388 (or the lost connection) is out

    Testbetrieb t(b.z, b.v);
    Empfangsrecht recht = t.empfangNehmen();
    if (!o.log.isEmpty())
        t.protokoll().setPfad(QDir::current().absoluteFilePath(o.log));
    t.laden();
    t.waehleQuelle(o.quelle);
    t.waehleBetriebsart(o.art);

    QString zeile;
    QObject::connect(&t, &Testbetrieb::antwortErhalten, [&](const QByteArray &telegramm, const QByteArray &antwort) {
        zeile = QStringLiteral("%1  request %2 answer %3")
                    .arg(QString::fromLatin1(telegramm.mid(2, telegramm.size() - 4)),
                         Testbetrieb::bytecodes(telegramm), Testbetrieb::bytecodes(antwort));
        if (zeile.endsWith(QLatin1Char(' ')))
            zeile.chop(1);
    });
    QObject::connect(&t, &Testbetrieb::statusGelesen, [&](int status) { zeile += QLatin1String("  ") + statusText(status); });
    QObject::connect(&t, &Testbetrieb::kartendatenErhalten, [&](const QByteArray &antwort, bool fehllesung) {
        zeile += QStringLiteral("  %1 \"%2\"").arg(fehllesung ? QStringLiteral("misread") : QStringLiteral("card"),
                                                   kartendaten(antwort));
    });
    // The answer check is through: the line is complete.
    QObject::connect(&t, &Testbetrieb::anzeigeGeaendert, [&] {
        if (zeile.isEmpty())
            return;
        out << zeile << '\n';
        out.flush();
        zeile.clear();
    });
    QObject::connect(&t, &Testbetrieb::keineAntwort, [&](const QByteArray &telegramm, bool echo) {
        out << QStringLiteral("%1  request %2 no answer%3")
                   .arg(QString::fromLatin1(telegramm.mid(2, telegramm.size() - 4)),
                        Testbetrieb::bytecodes(telegramm),
                        echo ? QString() : QStringLiteral(", no echo"))
            << '\n';
        out.flush();
    });
    QObject::connect(&t, &Testbetrieb::protokollFehler, [&](const QString &pfad, const QString &grund) {
        err << "portavo-cli: the movement log " << QDir::toNativeSeparators(pfad) << " cannot be written (" << grund
            << "); polling goes on\n";
        err.flush();
    });

    if (o.anlage)
        t.anlageUebernehmen(o.anlagenname, o.geschlossen);
    else
        t.start();
    // Polling stopped with the port; it starts again once the adapter is back.
    const Ende ende = laufen(b, o.sekunden, [&] { t.start(); });
    t.beenden();
    recht.freigeben();
    return status(ende);
}

int runMonitor(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (hilfeVerlangt(args, out, MonitorHilfe))
        return 0;
    const Optionen o = lies(args, false);
    if (!o.fehler.isEmpty() || !o.rest.isEmpty()) {
        err << "portavo-cli monitor: " << (o.fehler.isEmpty() ? QStringLiteral("no arguments expected") : o.fehler)
            << '\n';
        return 2;
    }
    Bus b;
    if (!b.oeffnen(o.bus, err))
        return 1;
    QElapsedTimer uhr;
    uhr.start();
    Empfangsrecht beobachtung = b.v.beobachten();
    QObject::connect(&b.v, &Verbindung::monitorZeile, [&](const QString &z) {
        if (z.startsWith(QLatin1String("**")))
            return;
        const int wert = z.toInt();
        const QChar c = Ansi::zeichen(quint8(wert));
        out << QStringLiteral("%1 %2 %3 %4\n")
                   .arg(uhr.elapsed(), 8)
                   .arg(wert, 3)
                   .arg(wert, 2, 16, QLatin1Char('0'))
                   .arg(c.isPrint() ? QString(c) : QStringLiteral("."));
        out.flush();
    });
    // The observation stays through a loss: bytes show again once the adapter is back.
    const Ende ende = laufen(b, o.sekunden, [] {});
    beobachtung.freigeben();
    return status(ende);
}
