#pragma once
// Reading and creating the program's own small files without surprises:
// only regular files are read, never more than a set number of bytes, and a
// name that is a symbolic link is never followed when a file is created.
//
// A FIFO would block a plain open() until some other program writes to it,
// and a link to /dev/zero would be read until the memory runs out; a link
// planted at a file name the program creates would make it write elsewhere.

#include <QByteArray>
#include <QString>

namespace Dateizugriff {

enum class Lesestand {
    Gelesen,      // inhalt holds the whole file
    Fehlt,        // there is no file of this name
    KeineDatei,   // a folder, FIFO, device or socket
    ZuGross,      // more than the allowed number of bytes
    Fehler,       // the system refused (permission, I/O error)
};

struct Leseergebnis {
    Lesestand stand = Lesestand::Fehler;
    QByteArray inhalt;
    QString grund;  // why it could not be read, for the user (German)
    int fehlernummer = 0;  // errno for Lesestand::Fehler
    qint64 hoechstens = 0; // the limit it was read with

    bool ok() const { return stand == Lesestand::Gelesen; }
    // Why the file at pfad could not be read, naming it, in the language
    // with that offset (0, 1000, 2000, 3000); empty when it was read.
    QString text(const QString &pfad, int sprache = 0) const;
};

// Reads a regular file (a link to a regular file is fine) of at most
// hoechstens bytes. Never blocks on a FIFO or device.
Leseergebnis lesen(const QString &pfad, qint64 hoechstens);

// Creates an empty file where there is no file and no link of that name.
// False when something is there already or it could not be created.
bool leerAnlegen(const QString &pfad);

// Whether something (a file, a folder, a link, even a dangling one) has
// this name.
bool belegt(const QString &pfad);

}  // namespace Dateizugriff
