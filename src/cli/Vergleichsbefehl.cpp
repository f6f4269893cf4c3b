// portavo-cli diff: what differs between two terminal files, or between a
// file and the memory of a terminal on the bus (read out into a scratch
// folder first, as "read" reads it). Exit status 0 when equal, 1 when
// different, 2 on any error.

#include "cli/Befehlstabelle.h"

#include "termfile/Dateivergleich.h"

#include <QDir>
#include <QJsonDocument>
#include <QTemporaryDir>

int runRead(const QStringList &args, QTextStream &out, QTextStream &err);

namespace {

constexpr auto Aufruf = "usage: portavo-cli diff A.S2D B.S2D | diff A.S2D --address N --password DIGITS "
                        "[--port N|PATH] [--json] [--lang L]\n";

}  // namespace

int runDiff(const QStringList &argumente, QTextStream &out, QTextStream &err)
{
    if (hilfeVerlangt(argumente, out, Aufruf)) {
        out << "  Lists what differs: the bytes, the basic settings (old -> new), each list slot whose entry\n"
               "  changes, appears (+) or goes (-) (special code: each card whose state changes) and the display\n"
               "  lines. With --address the second memory is read out of that terminal (as \"read\" does,\n"
               "  password and port alike); nothing is written. --json gives one JSON object.\n"
               "  Exit status: 0 equal, 1 different, 2 error.\n";
        return 0;
    }
    QStringList args = argumente;
    const int sprache = sprachoption(args, err);
    if (sprache < 0)
        return 2;
    const bool json = args.removeAll(QStringLiteral("--json")) > 0;
    QStringList dateien, busargumente;
    QString adresse;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--address") && i + 1 < args.size())
            adresse = args[++i];
        else if ((a == QLatin1String("--password") || a == QLatin1String("--free-password")
                  || a == QLatin1String("--port"))
                 && i + 1 < args.size())
            busargumente << a << args[++i];
        else if (a.startsWith(QLatin1String("-")))
            dateien << QString(), dateien << QString();  // unknown option: usage below
        else
            dateien << a;
    }
    if (dateien.size() != (adresse.isEmpty() ? 2 : 1) || (adresse.isEmpty() && !busargumente.isEmpty())) {
        err << Aufruf;
        return 2;
    }

    QTemporaryDir ablage;
    if (!adresse.isEmpty()) {
        if (!ablage.isValid()) {
            err << "portavo-cli diff: " << ablage.errorString() << '\n';
            return 2;
        }
        const QString ziel = ablage.filePath(QStringLiteral("TERMINAL.S2D"));
        QString pfad;
        QTextStream still(&pfad);
        const QString kennung = QStringList{"de", "en", "fr", "es"}.value(sprache / 1000);
        if (runRead(QStringList{adresse, QStringLiteral("-o"), ziel, QStringLiteral("--lang"), kennung} + busargumente,
                    still, err)
            != 0)
            return 2;
        // The terminal first, the file second: what writing the file would change.
        dateien = QStringList{ziel, dateien.first()};
    }

    Terminaldatei::Speicherbytes a{}, b{};
    for (int i = 0; i < 2; ++i) {
        const Dateiergebnis e = Terminaldatei::leseHauptdatei(dateien[i], i == 0 ? a : b, sprache);
        if (!e.ok) {
            err << "portavo-cli diff: " << e.meldung << '\n';
            return 2;
        }
    }
    const Dateivergleich v = Dateivergleich::vergleiche(a, b, sprache, protokollnamen());
    if (json)
        out << QJsonDocument(v.json()).toJson(QJsonDocument::Compact) << '\n';
    else
        out << v.zusammenfassung(sprache).join(QLatin1Char('\n')) << '\n';
    return v.gleich() ? 0 : 1;
}
