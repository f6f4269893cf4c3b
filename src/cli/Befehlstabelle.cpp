#include "cli/Befehlstabelle.h"

// Busbefehle.cpp
int runScan(const QStringList &args, QTextStream &out, QTextStream &err);
int runIdentify(const QStringList &args, QTextStream &out, QTextStream &err);
int runRead(const QStringList &args, QTextStream &out, QTextStream &err);
// Vergleichsbefehl.cpp
int runDiff(const QStringList &args, QTextStream &out, QTextStream &err);
// Druckbefehl.cpp
int runPrint(const QStringList &args, QTextStream &out, QTextStream &err);
// Schreibbefehle.cpp
int runWrite(const QStringList &args, QTextStream &out, QTextStream &err);
int runTrouble(const QStringList &args, QTextStream &out, QTextStream &err);
// Sicherungsbefehle.cpp
int runBackups(const QStringList &args, QTextStream &out, QTextStream &err);
int runRestore(const QStringList &args, QTextStream &out, QTextStream &err);
// Testbefehle.cpp
int runTest(const QStringList &args, QTextStream &out, QTextStream &err);
int runMonitor(const QStringList &args, QTextStream &out, QTextStream &err);
// Portbefehl.cpp
int runPorts(const QStringList &args, QTextStream &out, QTextStream &err);
// Listenbefehle.cpp
int runExport(const QStringList &args, QTextStream &out, QTextStream &err);
int runImport(const QStringList &args, QTextStream &out, QTextStream &err);

bool hilfeVerlangt(const QStringList &args, QTextStream &out, const char *hilfe)
{
    if (!args.contains(QStringLiteral("--help")) && !args.contains(QStringLiteral("-h")))
        return false;
    out << hilfe;
    return true;
}

const QVector<Command> &commands()
{
    static const QVector<Command> table = {
        {QStringLiteral("show"), QStringLiteral("show FILE [--json]"),
         QStringLiteral("print a terminal file (.S2D/.S3D/.S4D) with its lists, texts and cards"), runShow},
        {QStringLiteral("diff"),
         QStringLiteral("diff A.S2D B.S2D | diff A.S2D --address N --password DIGITS [--port N|PATH] [--json] [--lang L]"),
         QStringLiteral("what differs between two terminal files, or a file and a terminal (exit 0 equal, 1 different)"),
         runDiff},
        {QStringLiteral("scan"), QStringLiteral("scan [--port N|PATH] [--lang de|en|fr|es]"),
         QStringLiteral("list the terminals on the bus: ADDRESS PROTOCOL NAME (scan --help)"), runScan},
        {QStringLiteral("identify"), QStringLiteral("identify ADDRESS [--port N|PATH] [--lang L]"),
         QStringLiteral("protocol and version string of one terminal, with the family check"), runIdentify},
        {QStringLiteral("read"), QStringLiteral("read ADDRESS --password DIGITS [-o FILE] [--port N|PATH] [--lang L]"),
         QStringLiteral("read a terminal's memory into a main file (default PORTAVO.S2D)"), runRead},
        {QStringLiteral("write"),
         QStringLiteral("write FILE --address A --password DIGITS [--new-address N] [--protocol K] "
                        "[--no-backup | --dry-run] [--installation NAME] [--port N|PATH] [--lang L]"),
         QStringLiteral("write a terminal file into the terminal at address A, backing up its memory first"),
         runWrite},
        {QStringLiteral("backups"), QStringLiteral("backups [--address N] [--installation NAME] [--json] [--lang L]"),
         QStringLiteral("the terminals with backups, or one terminal's backups newest first"), runBackups},
        {QStringLiteral("restore"),
         QStringLiteral("restore BACKUP --address N --password DIGITS [--port N|PATH] [--lang L] (restore --help)"),
         QStringLiteral("write a backup (its folder or PORTAVO.S2D) back into the terminal at address N"),
         runRestore},
        {QStringLiteral("trouble"), QStringLiteral("trouble [--repair FILE] [--port N|PATH] [--lang L]"),
         QStringLiteral("recovery scan after a failed write; --repair writes FILE into a waiting terminal"),
         runTrouble},
        {QStringLiteral("test"),
         QStringLiteral("test ADDRESS [--seconds N] [--source 2|3|chip] [--mode normal|open|closed] "
                        "[--installation NAME [--private]] [--log FILE] [--port N|PATH] [--lang L]"),
         QStringLiteral("test mode: status polling, card data into the movement log (test --help)"), runTest},
        {QStringLiteral("monitor"), QStringLiteral("monitor [--seconds N] [--port N|PATH] [--lang L]"),
         QStringLiteral("print every byte received from the bus with a time stamp"), runMonitor},
        {QStringLiteral("ports"), QStringLiteral("ports [--lang L]"),
         QStringLiteral("the serial devices: ports of the port map naming them, busy or free, maker, serial number, "
                        "stable name (ports --help)"),
         runPorts},
        {QStringLiteral("print"),
         QStringLiteral("print FILE --pdf OUT.pdf [--section settings|authorizations|blocklists|display|all] "
                        "[--lang L]"),
         QStringLiteral("the printed lists of a terminal file as a PDF (all sections unless --section)"), runPrint},
        {QStringLiteral("export"), QStringLiteral("export FILE [--page N] [-o OUT.csv]"),
         QStringLiteral("the lists of a terminal file (or the cards of page N) as CSV"), runExport},
        {QStringLiteral("import"), QStringLiteral("import FILE IN.csv [--page N]"),
         QStringLiteral("take CSV rows into a terminal file; any faulty row refuses the whole file"), runImport},
    };
    return table;
}
