// portavo-cli export FILE [--page N] [-o OUT.csv]
// portavo-cli import FILE IN.csv [--page N]
// The lists of a terminal file as CSV: standard mode one row per list
// entry, special-code mode one row per card of a page. An import checks
// every row first; a faulty row refuses the whole file and no file changes.

#include "cli/Befehlstabelle.h"

#include "base/Dateiersatz.h"
#include "termfile/Listenaustausch.h"

#include <QFile>

namespace {

// --page N: 1..3; 0 when not given; -1 when wrong.
int seitenoption(QStringList &args, QTextStream &err)
{
    const int i = int(args.indexOf(QStringLiteral("--page")));
    if (i < 0)
        return 0;
    bool ok = false;
    const int seite = i + 1 < args.size() ? args.at(i + 1).toInt(&ok) : 0;
    if (!ok || seite < 1 || seite > 3) {
        err << "--page takes 1, 2 or 3\n";
        return -1;
    }
    args.remove(i, 2);
    return seite;
}

}  // namespace

int runExport(const QStringList &argumente, QTextStream &out, QTextStream &err)
{
    if (argumente.contains(QStringLiteral("--help"))) {
        out << "usage: portavo-cli export FILE [--page N] [-o OUT.csv]\n"
               "  Writes the lists of the terminal file as CSV (UTF-8, RFC 4180, a header row)\n"
               "  to OUT.csv or standard output. Standard mode: Liste,Eintrag,Datenstring,Begleittext;\n"
               "  special code: Karte,Zeitzonen,Name,Vorname,PLZ,Ort,Strasse,Telefon,Bemerkungen\n"
               "  for page N (1..3; default: the page of FILE's name).\n";
        return 0;
    }
    QStringList args = argumente;
    const int seite = seitenoption(args, err);
    if (seite < 0)
        return 2;
    QString ziel;
    const int o = int(args.indexOf(QStringLiteral("-o")));
    if (o >= 0) {
        if (o + 1 >= args.size()) {
            err << "-o needs a file name\n";
            return 2;
        }
        ziel = args.at(o + 1);
        args.remove(o, 2);
    }
    if (args.size() != 1 || args.at(0).startsWith(QLatin1Char('-'))) {
        err << "usage: portavo-cli export FILE [--page N] [-o OUT.csv]\n";
        return 2;
    }
    QByteArray csv;
    const Dateiergebnis e = Listenaustausch::exportiereDatei(args.at(0), seite, csv);
    if (!e.ok) {
        err << e.meldung << '\n';
        return 1;
    }
    if (ziel.isEmpty()) {
        out.flush();
        QFile ausgabe;
        if (!ausgabe.open(stdout, QIODevice::WriteOnly) || ausgabe.write(csv) != csv.size()) {
            err << "cannot write to standard output\n";
            return 1;
        }
        return 0;
    }
    QString grund;
    if (!Dateiersatz::ersetze(ziel, csv, &grund)) {
        err << ziel << ": " << grund << '\n';
        return 1;
    }
    return 0;
}

int runImport(const QStringList &argumente, QTextStream &out, QTextStream &err)
{
    if (argumente.contains(QStringLiteral("--help"))) {
        out << "usage: portavo-cli import FILE IN.csv [--page N]\n"
               "  Takes the rows of IN.csv (as export writes them) into the terminal file and\n"
               "  saves it. Every row is checked first: a faulty row refuses the whole file,\n"
               "  names the row and changes no file. Entries without a row keep their data.\n";
        return 0;
    }
    QStringList args = argumente;
    const int seite = seitenoption(args, err);
    if (seite < 0)
        return 2;
    if (args.size() != 2 || args.at(0).startsWith(QLatin1Char('-')) || args.at(1).startsWith(QLatin1Char('-'))) {
        err << "usage: portavo-cli import FILE IN.csv [--page N]\n";
        return 2;
    }
    QFile eingabe(args.at(1));
    if (!eingabe.open(QIODevice::ReadOnly)) {
        err << args.at(1) << ": " << eingabe.errorString() << '\n';
        return 1;
    }
    const Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(args.at(0), seite, eingabe.readAll());
    if (!e.ok) {
        err << args.at(1) << ": " << e.meldung << '\n';
        return 1;
    }
    out << e.zeilen << " rows taken over\n";
    return 0;
}
