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

// Listenbefehle.cpp: "--lang de|en|fr|es" taken out of args as the offset
// 0/1000/2000/3000 (without it the settings file's language); -1, with a
// message on err, for an unknown language.
int sprachoption(QStringList &args, QTextStream &err);
// Flushes out and writes daten to standard output; false, with the message
// on err in that language, when standard output took not everything.
bool standardausgabe(QTextStream &out, QTextStream &err, const QByteArray &daten, int sprache);

// "--help" or "-h" among args: writes hilfe to out and is true.
bool hilfeVerlangt(const QStringList &args, QTextStream &out, const char *hilfe);

// Anzeigebefehl.cpp: the protocol captions 0..255 as the program names them.
QVector<QString> protokollnamen();

// show FILE [--json]: prints a terminal file.
int runShow(const QStringList &args, QTextStream &out, QTextStream &err);
