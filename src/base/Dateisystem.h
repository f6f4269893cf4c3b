#pragma once
// The operating system's file calls, in one place. Dateizugriff and
// Dateiersatz decide what is safe; this seam only does what they ask of the
// system. DateisystemPosix.cpp implements it for Linux and other POSIX
// systems; a port to another system adds one file beside it.
//
// Names are in the system's own encoding (QFile::encodeName). Calls that
// fail return the system's error number (errno on POSIX) or set it in
// `fehler`; 0 means success.

#include <QByteArray>
#include <QString>

namespace Dateisystem {

// What a name stands for, without following a link.
enum class Art { Fehlt, Datei, Verweis, Anderes };

struct Eintrag {
    Art art = Art::Fehlt;
    bool schreibbar = false;  // by its permission bits and for this process
    int fehler = 0;           // why lstat failed, when not simply missing
};
Eintrag ansehen(const QByteArray &name);

// Reading a regular file (a link to one is followed) of at most hoechstens
// bytes. Never blocks on a FIFO or device; one byte more than allowed is
// asked for, so a file that grows while it is read is caught.
struct Lesung {
    enum Stand { Gelesen, Fehlt, KeineDatei, ZuGross, Fehler } stand = Fehler;
    QByteArray inhalt;
    qint64 groesse = -1;  // the size the system reported, when it did
    int fehler = 0;
};
Lesung lesen(const QByteArray &name, qint64 hoechstens);

// Creates an empty file; fails when anything has the name already, a
// dangling link included (no link is ever followed).
bool exklusivAnlegen(const QByteArray &name);

// A new file beside `vorlage` (a name ending in "XXXXXX", replaced by the
// call) holding inhalt, flushed to the disk, with the permissions of the
// regular file `rechteVon` where it exists, else the default ones. The
// chosen name comes back in vorlage; on failure no file is left behind.
int temporaerSchreiben(QByteArray &vorlage, const QByteArray &inhalt, const QByteArray &rechteVon);

int umbenennen(const QByteArray &von, const QByteArray &nach);  // replaces `nach` at once
int zweitname(const QByteArray &name, const QByteArray &zweiter);  // a hard link
int entfernen(const QByteArray &name);
void ordnerSichern(const QByteArray &ordner);  // the folder's entries to the disk

// Writes every byte to an open descriptor (standard output), retrying short
// writes; a receiver that takes nothing more counts as a full disk.
int ausgeben(int deskriptor, const QByteArray &inhalt);

bool istVoll(int fehler);              // the disk or the user's quota is full
bool istFehlend(int fehler);           // there was no such name
int fehlerVoll();                       // the number istVoll() stands for
QString grund(int fehler);              // the system's own words for it

// Interrupt, termination, hang-up and quit signals wait while the object
// lives; one that arrives meanwhile acts when it ends.
class Signalsperre {
public:
    Signalsperre();
    ~Signalsperre();
    Signalsperre(const Signalsperre &) = delete;
    Signalsperre &operator=(const Signalsperre &) = delete;

private:
    alignas(8) unsigned char m_vorher[256];
};

}  // namespace Dateisystem
