// portavo-cli export FILE [--page N] [-o OUT.csv] [--lang L]
// portavo-cli import FILE IN.csv [--page N] [--replace-short-files] [--lang L]
// The lists of a terminal file as CSV: standard mode one row per list
// entry, special-code mode one row per card of a page. An import checks
// every row first; a faulty row refuses the whole file and no file changes.

#include "cli/Befehlstabelle.h"

#include "base/Dateiersatz.h"
#include "base/Einstellungsdatei.h"
#include "base/Pfade.h"
#include "base/Texttabelle.h"
#include "termfile/Listenaustausch.h"

#include <cstdio>

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

int sprachoption(QStringList &args, QTextStream &err)
{
    const int i = int(args.indexOf(QStringLiteral("--lang")));
    if (i < 0) {
        const auto e = Einstellungsdatei::lesen(Pfade::einstellungsdatei());
        const int sprache = e ? e->SpracheText.trimmed().toInt() : 0;
        return sprache == 1000 || sprache == 2000 || sprache == 3000 ? sprache : 0;
    }
    const QStringList sprachen = {QStringLiteral("de"), QStringLiteral("en"), QStringLiteral("fr"),
                                  QStringLiteral("es")};
    const int n = i + 1 < args.size() ? int(sprachen.indexOf(args.at(i + 1))) : -1;
    if (n < 0) {
        err << "--lang takes de, en, fr or es\n";
        return -1;
    }
    args.remove(i, 2);
    return 1000 * n;
}

bool standardausgabe(QTextStream &out, QTextStream &err, const QByteArray &daten, int sprache)
{
    out.flush();
    Dateiersatz::Schreibfehler fehler;
    bool ok = out.status() == QTextStream::Ok;
    if (ok && !daten.isEmpty()) {
        std::fflush(stdout);
        ok = Dateiersatz::ausgeben(fileno(stdout), daten, &fehler);
    }
    if (ok && (std::fflush(stdout) != 0 || std::ferror(stdout)))
        ok = false;
    if (!ok)
        err << fehler.text(sprache) << '\n';
    return ok;
}

int runExport(const QStringList &argumente, QTextStream &out, QTextStream &err)
{
    if (argumente.contains(QStringLiteral("--help"))) {
        out << "usage: portavo-cli export FILE [--page N] [-o OUT.csv] [--lang de|en|fr|es]\n"
               "  Writes the lists of the terminal file as CSV (UTF-8, RFC 4180, a header row)\n"
               "  to OUT.csv or standard output. Standard mode: Liste,Eintrag,Datenstring,Begleittext;\n"
               "  special code: Karte,Zeitzonen,Name,Vorname,PLZ,Ort,Strasse,Telefon,Bemerkungen\n"
               "  for page N (1..3; default: the page of FILE's name).\n"
               "  A field beginning with = + - @ ' TAB or CR gets a ' in front (so that a\n"
               "  spreadsheet does not take it for a formula); import takes it away again.\n"
               "  OUT.csv is replaced whole; a device, FIFO or read-only file is refused.\n";
        return 0;
    }
    QStringList args = argumente;
    const int seite = seitenoption(args, err);
    if (seite < 0)
        return 2;
    const int sprache = sprachoption(args, err);
    if (sprache < 0)
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
        err << "usage: portavo-cli export FILE [--page N] [-o OUT.csv] [--lang de|en|fr|es]\n";
        return 2;
    }
    QByteArray csv;
    const Dateiergebnis e = Listenaustausch::exportiereDatei(args.at(0), seite, csv, sprache);
    if (!e.ok) {
        err << e.meldung << '\n';
        return 1;
    }
    if (ziel.isEmpty())
        return standardausgabe(out, err, csv, sprache) ? 0 : 1;
    Dateiersatz::Schreibfehler fehler;
    if (!Dateiersatz::ersetze(ziel, csv, &fehler)) {
        err << fehler.text(sprache) << '\n';
        return 1;
    }
    return 0;
}

int runImport(const QStringList &argumente, QTextStream &out, QTextStream &err)
{
    const char *const aufruf =
        "usage: portavo-cli import FILE IN.csv [--page N] [--replace-short-files] [--lang de|en|fr|es]\n";
    if (argumente.contains(QStringLiteral("--help"))) {
        out << aufruf
            << "  Takes the rows of IN.csv (as export writes them) into the terminal file and\n"
               "  saves it. Every row is checked first: a faulty row refuses the whole file,\n"
               "  names the row and changes no file. Entries without a row keep their data.\n"
               "  One ' at the start of a field is taken away (export puts it there).\n"
               "  The files of the set are replaced all together or not at all.\n"
               "  A companion file with too few lines counts as empty when the file is loaded;\n"
               "  import refuses to replace it unless --replace-short-files is given, and\n"
               "  then keeps a copy of it as NAME.bak.\n";
        return 0;
    }
    QStringList args = argumente;
    const int seite = seitenoption(args, err);
    if (seite < 0)
        return 2;
    const int sprache = sprachoption(args, err);
    if (sprache < 0)
        return 2;
    const bool ersetzen = args.removeAll(QStringLiteral("--replace-short-files")) > 0;
    if (args.size() != 2 || args.at(0).startsWith(QLatin1Char('-')) || args.at(1).startsWith(QLatin1Char('-'))) {
        err << aufruf;
        return 2;
    }
    QByteArray csv;
    const Dateiergebnis gelesen = Listenaustausch::leseCsv(args.at(1), csv, sprache);
    if (!gelesen.ok) {
        err << gelesen.meldung << '\n';
        return 1;
    }
    const Listenaustausch::Ergebnis e = Listenaustausch::importiereDatei(args.at(0), seite, csv, sprache, ersetzen);
    if (!e.ok) {
        // Row and CSV faults are about IN.csv; the others name their file.
        if (e.csvFehler)
            err << args.at(1) << ": ";
        err << e.meldung << '\n';
        return 1;
    }
    for (const QString &kopie : e.gesichert)
        out << Texttabelle::text(671 + sprache).arg(kopie.chopped(4), kopie) << '\n';
    out << Texttabelle::text(689 + sprache).arg(e.zeilen) << '\n';
    return 0;
}
