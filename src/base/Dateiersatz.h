#pragma once
// Replacing files whole: the new content goes into a temporary file beside
// the old one, which is renamed over it only when every byte was written.
// A full disk or a crash never leaves a cut-off file behind.
//
// Several files that belong together (a main file and its companion files)
// are replaced all or nothing: every new file is written and checked first,
// then all of them are renamed into place in one short step during which
// Ctrl-C and SIGTERM wait. A failure before that step removes the new files
// and touches nothing.
//
// Only regular files are replaced. A name that is a symbolic link is
// replaced as a name (the file it points to is never written); a device,
// FIFO, socket or folder of that name, or a file without write permission,
// is refused. Every platform call for writing files lives in this file.

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>

namespace Dateiersatz {

enum class Fehlerart {
    Keiner,
    Voll,               // the disk (or the file size limit) is full
    KeineDatei,         // the name is a device, FIFO, socket or folder
    Schreibgeschuetzt,  // the file is there but may not be written
    System,             // anything else the system refused
};

struct Schreibfehler {
    Fehlerart art = Fehlerart::Keiner;
    QString pfad;           // the file concerned
    int fehlernummer = 0;   // errno for Fehlerart::System
    // The message for the user in the language with that offset (0, 1000,
    // 2000, 3000), naming the file.
    QString text(int sprache = 0) const;
};

// One file of a set: its new content, or (entfernen) that it goes.
struct Ersatz {
    QString pfad;
    QByteArray inhalt;
    bool entfernen = false;
};

// True when every file of the set now holds its new content (and every
// file to remove is gone); otherwise no file was changed and fehler (if
// given) says why.
bool ersetzeAlle(const QVector<Ersatz> &satz, Schreibfehler *fehler = nullptr);

// One file. grund (if given) receives the German message.
bool ersetze(const QString &pfad, const QByteArray &inhalt, QString *grund = nullptr);
bool ersetze(const QString &pfad, const QByteArray &inhalt, Schreibfehler *fehler);

// Writes all bytes to an open descriptor (standard output), unbuffered,
// retrying short writes. False, with fehler set, when the receiver takes
// fewer bytes (a full disk, a closed pipe).
bool ausgeben(int fd, const QByteArray &inhalt, Schreibfehler *fehler = nullptr);

// Called after each rename of the replacing step with the file now in
// place; for tests that watch the step from inside. Empty by default.
void setzeBeobachter(std::function<void(const QString &)> beobachter);

}  // namespace Dateiersatz
