// backups [--address N] [--installation NAME] [--json]
// restore BACKUP --address N --password DIGITS [write's options]
//
// The backups a write leaves in the data folder: listed per terminal, and
// written back through the write command (which backs up the memory it
// replaces as any write does).

#include "cli/Befehlstabelle.h"

#include "base/Texttabelle.h"
#include "termfile/Sicherungsablage.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <optional>

int runWrite(const QStringList &args, QTextStream &out, QTextStream &err);

namespace {

constexpr auto BackupsAufruf = "usage: portavo-cli backups [--address N] [--installation NAME] [--json] [--lang L]\n";
constexpr auto RestoreAufruf =
    "usage: portavo-cli restore BACKUP --address N --password DIGITS [--new-address N] [--protocol K] "
    "[--installation NAME] [--no-backup | --dry-run] [--port N|PATH] [--dial NUMBER] [--lang L]\n";

QString text(int nummer, int sprache)
{
    return Texttabelle::text(nummer + sprache);
}

QString zeit(const QDateTime &t)
{
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QJsonObject alsJson(const Sicherungsablage::Eintrag &e)
{
    return {{"time", e.zeit.toString(Qt::ISODate)}, {"address", e.adresse}, {"protocol", e.protokoll},
            {"version", e.version}, {"folder", QDir::toNativeSeparators(e.ordner)},
            {"mainFile", QDir::toNativeSeparators(e.hauptdatei())}, {"replacedBy", e.ersetztDurch}};
}

// A terminal folder's name: "[<installation> - ]Adresse 005".
struct Terminalname {
    QString anlage;
    int adresse = 0;
};
std::optional<Terminalname> terminalname(const QString &ordner)
{
    static const QRegularExpression muster(QStringLiteral("^(?:(.*) - )?Adresse (\\d{3})$"));
    const QRegularExpressionMatch m = muster.match(ordner);
    if (!m.hasMatch())
        return std::nullopt;
    return Terminalname{m.captured(1), m.captured(2).toInt()};
}

}  // namespace

int runBackups(const QStringList &argumente, QTextStream &out, QTextStream &err)
{
    if (hilfeVerlangt(argumente, out, BackupsAufruf)) {
        out << "  Without --address: the terminals that have backups, with their number and the newest.\n"
               "  With --address: that terminal's backups, newest first: time, address, protocol,\n"
               "  version string, folder and the file that replaced it. --installation chooses the\n"
               "  installation (a write with --dial files its backups under the number dialled unless\n"
               "  --installation names it). --json gives one JSON object.\n"
               "  Exit status: 0 listed (also when there are none), 1 an index is damaged, 2 wrong usage.\n";
        return 0;
    }
    QStringList args = argumente;
    const int sprache = sprachoption(args, err);
    if (sprache < 0)
        return 2;
    const bool json = args.removeAll(QStringLiteral("--json")) > 0;
    int adresse = -1;
    QString anlage;
    bool anlageGesetzt = false;
    for (int i = 0; i < args.size(); ++i) {
        bool ok = i + 1 < args.size();
        if (ok && args[i] == QLatin1String("--address")) {
            adresse = args[++i].toInt(&ok);
            ok = ok && adresse >= 1 && adresse <= 255;
        } else if (ok && args[i] == QLatin1String("--installation")) {
            anlage = args[++i];
            anlageGesetzt = true;
        } else {
            ok = false;
        }
        if (!ok) {
            err << BackupsAufruf;
            return 2;
        }
    }

    const Sicherungsablage ablage(Sicherungsablage::standardwurzel());
    if (adresse > 0) {
        QVector<Sicherungsablage::Eintrag> eintraege;
        const Dateiergebnis e = ablage.liste(anlage, adresse, eintraege, sprache);
        if (!e.ok) {
            err << "portavo-cli backups: " << e.meldung << '\n';
            return 1;
        }
        QJsonArray liste;
        const QVector<QString> namen = protokollnamen();
        for (const Sicherungsablage::Eintrag &s : eintraege) {
            liste.append(alsJson(s));
            if (!json)
                out << text(825, sprache)
                           .arg(zeit(s.zeit))
                           .arg(s.adresse)
                           .arg(QStringLiteral("%1 (%2)").arg(s.protokoll).arg(namen.value(s.protokoll).trimmed()),
                                s.version.trimmed(), QDir::toNativeSeparators(s.ordner),
                                QDir::toNativeSeparators(s.ersetztDurch))
                    << '\n';
        }
        if (json)
            out << QJsonDocument(QJsonObject{{"backups", liste}}).toJson(QJsonDocument::Compact) << '\n';
        else if (eintraege.isEmpty())
            out << text(823, sprache) << '\n';
        return 0;
    }

    QJsonArray terminals;
    int status = 0;
    for (const QString &ordner : ablage.terminals()) {
        const std::optional<Terminalname> name = terminalname(ordner);
        // Another installation's terminals (or a folder that is none) are not listed.
        if (!name || (anlageGesetzt && QDir(ablage.terminalordner(anlage, name->adresse)).dirName() != ordner))
            continue;
        QVector<Sicherungsablage::Eintrag> eintraege;
        const Dateiergebnis e = ablage.liste(name->anlage, name->adresse, eintraege, sprache);
        if (!e.ok) {
            err << "portavo-cli backups: " << e.meldung << '\n';
            status = 1;
            continue;
        }
        if (eintraege.isEmpty())
            continue;
        terminals.append(QJsonObject{{"installation", name->anlage}, {"address", name->adresse},
                                     {"folder", QDir::toNativeSeparators(ablage.terminalordner(name->anlage, name->adresse))},
                                     {"backups", int(eintraege.size())},
                                     {"newest", eintraege.first().zeit.toString(Qt::ISODate)}});
        if (!json)
            out << text(824, sprache).arg(ordner).arg(eintraege.size()).arg(zeit(eintraege.first().zeit)) << '\n';
    }
    if (json)
        out << QJsonDocument(QJsonObject{{"terminals", terminals}}).toJson(QJsonDocument::Compact) << '\n';
    else if (terminals.isEmpty() && status == 0)
        out << text(823, sprache) << '\n';
    return status;
}

int runRestore(const QStringList &argumente, QTextStream &out, QTextStream &err)
{
    if (hilfeVerlangt(argumente, out, RestoreAufruf)) {
        out << "  Writes a backup back into the terminal at address N. BACKUP is a backup's folder (as\n"
               "  \"backups --address N\" lists it) or its PORTAVO.S2D. A damaged or cut-off backup is\n"
               "  refused with the reason before anything is sent. Otherwise it is written as \"write\"\n"
               "  writes a file, with a backup of the memory it replaces first; the terminal gets the\n"
               "  address and protocol the backup holds unless --new-address / --protocol say otherwise.\n"
               "  Exit status as for write.\n";
        return 0;
    }
    QStringList args = argumente;
    const int sprache = sprachoption(args, err);
    if (sprache < 0)
        return 2;
    // The options of write that take a value; every other word but one is BACKUP.
    static const QStringList mitWert{"--address", "--password", "--new-address", "--protocol", "--installation",
                                     "--port",    "--device",   "--dial"};
    static const QStringList schalter{"--no-backup", "--dry-run", "--use-file-settings"};
    QString sicherung;
    QStringList weiter;
    bool falsch = !args.contains(QStringLiteral("--address")) || !args.contains(QStringLiteral("--password"));
    for (int i = 0; i < args.size() && !falsch; ++i) {
        const QString &a = args[i];
        if (mitWert.contains(a) && i + 1 < args.size())
            weiter << a << args[++i];
        else if (schalter.contains(a))
            weiter << a;
        else if (!a.startsWith(QLatin1Char('-')) && sicherung.isEmpty() && !a.isEmpty())
            sicherung = a;
        else
            falsch = true;
    }
    if (falsch || sicherung.isEmpty()) {
        err << RestoreAufruf;
        return 2;
    }
    const QString hauptdatei = QFileInfo(QFileInfo(sicherung).isDir() ? QDir(sicherung).filePath(QStringLiteral("PORTAVO.S2D"))
                                                                       : sicherung)
                                   .absoluteFilePath();
    Terminaldatei::Speicherbytes speicher{};
    if (const Dateiergebnis e = Terminaldatei::leseHauptdatei(hauptdatei, speicher, sprache); !e.ok) {
        err << "portavo-cli restore: " << text(826, sprache).arg(QDir::toNativeSeparators(sicherung), e.meldung)
            << '\n';
        return 1;
    }
    out << text(827, sprache).arg(QDir::toNativeSeparators(hauptdatei)) << '\n';
    out.flush();
    const QString kennung = QStringList{"de", "en", "fr", "es"}.value(sprache / 1000);
    // The backup holds the terminal's own address and protocol of then.
    return runWrite(QStringList{hauptdatei, QStringLiteral("--use-file-settings"), QStringLiteral("--lang"), kennung}
                        + weiter,
                    out, err);
}
