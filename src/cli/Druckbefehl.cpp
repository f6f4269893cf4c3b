// portavo-cli print FILE --pdf OUT.pdf [--section S] [--lang L]: the
// printed lists of a terminal file as a PDF, laid out exactly as the
// editor prints them. The file is loaded as "show" loads it: nothing on
// disk is created or changed apart from the PDF.

#include "cli/Befehlstabelle.h"

#include "base/Datenbild.h"
#include "base/Texttabelle.h"
#include "print/Seitenmaler.h"
#include "termfile/Drucklayout.h"
#include "termfile/Terminaldatei.h"

#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>

#include <memory>
#include <optional>

namespace {

const char *const Aufruf =
    "usage: portavo-cli print FILE --pdf OUT.pdf [--section settings|authorizations|blocklists|display|all]"
    " [--lang de|en|fr|es]\n";

std::optional<int> sprachversatz(const QString &kuerzel)
{
    const QStringList sprachen = {QStringLiteral("de"), QStringLiteral("en"), QStringLiteral("fr"),
                                  QStringLiteral("es")};
    const int i = int(sprachen.indexOf(kuerzel));
    if (i < 0)
        return std::nullopt;
    return i * 1000;
}

const char *const Hilfe =
    "Writes the printed lists of a terminal file, laid out as the editor prints them\n"
    "(A4 portrait, page head and foot, the date and time of now), as a PDF file.\n"
    "  --section settings        basic settings\n"
    "            authorizations  authorization lists of track 2 and track 3/1\n"
    "            blocklists      block lists of track 2 and track 3/1\n"
    "            display         the eight display texts\n"
    "            all             all four, each starting on a new page (default)\n"
    "  --lang de|en|fr|es        language of the texts and of the date (default de)\n"
    "Pages 2 and 3 of a special-code file (.S3D, .S4D) print with their own names.\n";

}  // namespace

int runPrint(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QString datei;
    QString pdf;
    QString teil = QStringLiteral("all");
    QString sprache = QStringLiteral("de");
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out << Aufruf << Hilfe;
        return 0;
    }
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool mitWert = a == QLatin1String("--pdf") || a == QLatin1String("--section") || a == QLatin1String("--lang");
        if (mitWert) {
            if (i + 1 >= args.size()) {
                err << Aufruf;
                return 2;
            }
            const QString wert = args[++i];
            if (a == QLatin1String("--pdf"))
                pdf = wert;
            else if (a == QLatin1String("--section"))
                teil = wert;
            else
                sprache = wert;
        } else if (a.startsWith(QLatin1String("--")) || !datei.isEmpty()) {
            err << Aufruf;
            return 2;
        } else {
            datei = a;
        }
    }
    const std::optional<int> versatz = sprachversatz(sprache);
    const QStringList teile = {QStringLiteral("settings"), QStringLiteral("authorizations"),
                               QStringLiteral("blocklists"), QStringLiteral("display"), QStringLiteral("all")};
    const int teilnummer = int(teile.indexOf(teil));
    if (datei.isEmpty() || pdf.isEmpty() || !versatz || teilnummer < 0) {
        err << Aufruf;
        return 2;
    }
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        err << "portavo-cli print: no graphics to lay out text with\n";
        return 1;
    }

    auto bild = std::make_unique<Datenbild>();
    const Dateiergebnis e = Terminaldatei::laden(*bild, datei, Terminaldatei::Ablage::NurLesen, *versatz);
    if (!e.ok) {
        err << "portavo-cli print: " << e.meldung << '\n';
        return 1;
    }
    const int seite = bild->istSondercode() ? Terminaldatei::seiteVonHauptdatei(datei) : 1;
    if (seite > 1)
        Terminaldatei::ladeSeitendateien(*bild, Terminaldatei::basis(datei), seite, Terminaldatei::Ablage::NurLesen);

    // The protocol names the program knows in the chosen language.
    QVector<QString> protokollnamen(256);
    for (int p = 0; p <= 7; ++p)
        protokollnamen[p] = Texttabelle::text(125 + p + *versatz);
    protokollnamen[255] = Texttabelle::text(190 + *versatz);

    const Drucklayout layout(Druckinhalt::ausBild(*bild, QFileInfo(datei).absoluteFilePath(), *versatz, protokollnamen, seite),
                             QDateTime::currentDateTime());
    const QVector<Druckseite> seiten =
        teilnummer == 4 ? layout.alles() : layout.teil(static_cast<Druckteil>(teilnummer));

    QString fehler;
    if (!Seitenmaler::schreibePdf(seiten, pdf, datei, &fehler, *versatz)) {
        err << "portavo-cli print: " << fehler << '\n';
        return 1;
    }
    out << pdf << ": " << seiten.size() << (seiten.size() == 1 ? " page\n" : " pages\n");
    return 0;
}
