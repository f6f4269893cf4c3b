#pragma once
// The subcommands of portavo-cli. Each one is a function in its own source
// file; Commands.cpp lists them. A command gets its arguments (without the
// command name) and the two output streams, and returns the exit status:
// 0 success, 1 failure, 2 wrong usage.

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QVector>

using CommandFunction = int (*)(const QStringList &args, QTextStream &out, QTextStream &err);

struct Command {
    QString name;
    QString synopsis;  // e.g. "show FILE [--json]"
    QString summary;   // one line for the help text
    CommandFunction run;
};

const QVector<Command> &commands();

// show FILE [--json]: prints a terminal file.
int runShow(const QStringList &args, QTextStream &out, QTextStream &err);
