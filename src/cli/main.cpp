// portavo-cli: the headless front end for scripts and batch work.

#include "cli/Befehlstabelle.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {
void printUsage(QTextStream &s)
{
    s << "usage: portavo-cli COMMAND [ARGUMENTS]\n\ncommands:\n";
    for (const Command &c : commands())
        s << "  " << c.synopsis.leftJustified(28) << ' ' << c.summary << '\n';
    s.flush();
}
}  // namespace

int main(int argc, char *argv[])
{
    // Laying text out for a PDF needs the fonts of a QGuiApplication. The
    // command line opens no window, so it takes the offscreen platform,
    // which needs no display and works the same with or without one.
    const bool grafik = argc > 1 && std::strcmp(argv[1], "print") == 0;
    // Qt's graphics start-up asks for the per-user runtime folder and warns
    // on stderr when a session provides none (cron, ssh, containers); a
    // private one for this run keeps that out of the command's messages.
    std::unique_ptr<QTemporaryDir> laufzeitordner;
    if (grafik) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            laufzeitordner = std::make_unique<QTemporaryDir>();
            if (laufzeitordner->isValid()) {
                QFile::setPermissions(laufzeitordner->path(),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
                qputenv("XDG_RUNTIME_DIR", QFile::encodeName(laufzeitordner->path()));
            }
        }
    }
    const std::unique_ptr<QCoreApplication> app =
        grafik ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("portavo-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        printUsage(err);
        return 2;
    }
    const QString name = args.first();
    if (name == QLatin1String("--version")) {
        out << "portavo-cli " << PORTAVO_VERSION << '\n';
        return 0;
    }
    if (name == QLatin1String("help") || name == QLatin1String("--help") || name == QLatin1String("-h")) {
        printUsage(out);
        return 0;
    }
    for (const Command &c : commands()) {
        if (c.name == name) {
            const int status = c.run(args.mid(1), out, err);
            out.flush();
            err.flush();
            return status;
        }
    }
    err << "portavo-cli: unknown command \"" << name << "\"\n";
    printUsage(err);
    return 2;
}
