#include "base/Dateiersatz.h"

#include "base/Texttabelle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Dateiersatz {

namespace {

std::function<void(const QString &)> &beobachter()
{
    static std::function<void(const QString &)> b;
    return b;
}

QString systemgrund(int fehler)
{
    return QString::fromLocal8Bit(std::strerror(fehler));
}

mode_t standardrechte()
{
    const mode_t maske = ::umask(0);
    ::umask(maske);
    return 0666 & ~maske;
}

bool istVoll(int fehler)
{
    return fehler == ENOSPC || fehler == EFBIG || fehler == EDQUOT;
}

Schreibfehler fehlerFuer(const QString &pfad, int fehler)
{
    Schreibfehler f;
    f.pfad = pfad;
    f.art = istVoll(fehler) ? Fehlerart::Voll : Fehlerart::System;
    f.fehlernummer = fehler;
    return f;
}

// Writes every byte, retrying short writes; 0 or the errno of the failure
// (ENOSPC when the receiver took no more bytes).
int schreibeAlles(int fd, const QByteArray &inhalt)
{
    qint64 geschrieben = 0;
    while (geschrieben < inhalt.size()) {
        const ssize_t n = ::write(fd, inhalt.constData() + geschrieben, size_t(inhalt.size() - geschrieben));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        geschrieben += n;
    }
    return 0;
}

// One file of the set on its way: the temporary file with the new
// content, and a second name of the old file while the step runs, so that
// a rename failing halfway can put the earlier ones back.
struct Vorbereitet {
    QByteArray ziel;
    QByteArray neu;      // temporary file; empty for a file to remove
    QByteArray sicherung;  // second name of the old file; empty when none
    bool entfernen = false;
};

void raeumeAuf(const QVector<Vorbereitet> &teile)
{
    for (const Vorbereitet &t : teile) {
        if (!t.neu.isEmpty())
            ::unlink(t.neu.constData());
        if (!t.sicherung.isEmpty())
            ::unlink(t.sicherung.constData());
    }
}

// Is the name fit to be replaced? A link is replaced as a name; a regular
// file only when it may be written (checked by its permission bits too, so
// that root does not overwrite a file its owner protected).
bool zielPasst(const QString &pfad, const QByteArray &ziel, Schreibfehler *fehler)
{
    struct stat st {};
    if (::lstat(ziel.constData(), &st) != 0) {
        if (errno == ENOENT)
            return true;
        *fehler = fehlerFuer(pfad, errno);
        return false;
    }
    if (S_ISLNK(st.st_mode))
        return true;
    if (!S_ISREG(st.st_mode)) {
        fehler->pfad = pfad;
        fehler->art = Fehlerart::KeineDatei;
        return false;
    }
    if ((st.st_mode & 0222) == 0 || ::access(ziel.constData(), W_OK) != 0) {
        fehler->pfad = pfad;
        fehler->art = Fehlerart::Schreibgeschuetzt;
        return false;
    }
    return true;
}

// Writes one temporary file beside the target: complete, flushed to disk,
// with the old file's permissions. Its name goes to t.neu.
bool bereiteVor(const Ersatz &e, Vorbereitet &t, Schreibfehler *fehler)
{
    const QFileInfo info(e.pfad);
    QByteArray vorlage = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName()) + ".XXXXXX";
    const int fd = ::mkstemp(vorlage.data());
    if (fd < 0) {
        *fehler = fehlerFuer(e.pfad, errno);
        return false;
    }
    t.neu = vorlage;
    struct stat alt {};
    const bool gabEs = ::stat(t.ziel.constData(), &alt) == 0 && S_ISREG(alt.st_mode);
    ::fchmod(fd, gabEs ? (alt.st_mode & 07777) : standardrechte());
    int fehlernummer = schreibeAlles(fd, e.inhalt);
    if (fehlernummer == 0 && ::fsync(fd) != 0)
        fehlernummer = errno;
    if (::close(fd) != 0 && fehlernummer == 0)
        fehlernummer = errno;
    if (fehlernummer != 0) {
        *fehler = fehlerFuer(e.pfad, fehlernummer);
        return false;
    }
    return true;
}

// Ctrl-C, SIGTERM, SIGHUP and SIGQUIT wait while the object lives; one that
// arrives meanwhile acts when it ends.
class Signalsperre {
public:
    Signalsperre()
    {
        sigset_t menge;
        sigemptyset(&menge);
        for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            sigaddset(&menge, s);
        ::pthread_sigmask(SIG_BLOCK, &menge, &m_vorher);
    }
    ~Signalsperre() { ::pthread_sigmask(SIG_SETMASK, &m_vorher, nullptr); }
    Signalsperre(const Signalsperre &) = delete;
    Signalsperre &operator=(const Signalsperre &) = delete;

private:
    sigset_t m_vorher;
};

void ordnerSichern(const QVector<Vorbereitet> &teile)
{
    QVector<QByteArray> ordner;
    for (const Vorbereitet &t : teile) {
        const QByteArray o = QFile::encodeName(QFileInfo(QFile::decodeName(t.ziel)).absolutePath());
        if (ordner.contains(o))
            continue;
        ordner.append(o);
        const int fd = ::open(o.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }
}

}  // namespace

QString Schreibfehler::text(int sprache) const
{
    const QString name = QDir::toNativeSeparators(pfad);
    const QString grund = fehlernummer != 0 ? systemgrund(fehlernummer) : QString();
    if (pfad.isEmpty())
        return Texttabelle::text(668 + sprache).arg(grund.isEmpty() ? systemgrund(ENOSPC) : grund);
    switch (art) {
    case Fehlerart::Voll:
        return Texttabelle::text(660 + sprache).arg(name);
    case Fehlerart::KeineDatei:
        return Texttabelle::text(661 + sprache).arg(name);
    case Fehlerart::Schreibgeschuetzt:
        return Texttabelle::text(662 + sprache).arg(name);
    case Fehlerart::Keiner:
    case Fehlerart::System:
        break;
    }
    return Texttabelle::text(663 + sprache).arg(name, grund);
}

bool ersetzeAlle(const QVector<Ersatz> &satz, Schreibfehler *fehler)
{
    Schreibfehler eigener;
    if (!fehler)
        fehler = &eigener;
    *fehler = Schreibfehler();
    QVector<Vorbereitet> teile;
    teile.reserve(satz.size());
    for (const Ersatz &e : satz) {
        Vorbereitet t;
        t.ziel = QFile::encodeName(QFileInfo(e.pfad).absoluteFilePath());
        t.entfernen = e.entfernen;
        if (!e.entfernen && !zielPasst(e.pfad, t.ziel, fehler)) {
            raeumeAuf(teile);
            return false;
        }
        if (!e.entfernen && !bereiteVor(e, t, fehler)) {
            teile.append(t);
            raeumeAuf(teile);
            return false;
        }
        teile.append(t);
    }
    // A second name for every old file, so that the step below can be
    // undone should a rename fail (it practically never does: every new
    // file lies in its target's own folder).
    for (Vorbereitet &t : teile) {
        struct stat st {};
        if (::lstat(t.ziel.constData(), &st) != 0)
            continue;
        const QFileInfo info(QFile::decodeName(t.ziel));
        const QByteArray name =
            t.neu.isEmpty() ? QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".alt"))
                            : t.neu + ".alt";
        if (::link(t.ziel.constData(), name.constData()) == 0)
            t.sicherung = name;
    }

    bool ok = true;
    {
        const Signalsperre sperre;
        int geschafft = 0;
        for (; geschafft < teile.size(); ++geschafft) {
            Vorbereitet &t = teile[geschafft];
            const int r = t.entfernen ? ::unlink(t.ziel.constData()) : ::rename(t.neu.constData(), t.ziel.constData());
            if (r != 0 && !(t.entfernen && errno == ENOENT)) {
                *fehler = fehlerFuer(satz[geschafft].pfad, errno);
                ok = false;
                break;
            }
            t.neu.clear();
            if (beobachter())
                beobachter()(satz[geschafft].pfad);
        }
        // Undo what was done: old files back under their names, new ones gone.
        for (int j = geschafft - 1; !ok && j >= 0; --j) {
            Vorbereitet &t = teile[j];
            if (!t.sicherung.isEmpty() && ::rename(t.sicherung.constData(), t.ziel.constData()) == 0)
                t.sicherung.clear();
            else if (t.sicherung.isEmpty() && !t.entfernen)
                ::unlink(t.ziel.constData());
        }
    }
    raeumeAuf(teile);
    if (ok)
        ordnerSichern(teile);
    return ok;
}

bool ersetze(const QString &pfad, const QByteArray &inhalt, Schreibfehler *fehler)
{
    return ersetzeAlle({Ersatz{pfad, inhalt, false}}, fehler);
}

bool ersetze(const QString &pfad, const QByteArray &inhalt, QString *grund)
{
    Schreibfehler fehler;
    if (ersetze(pfad, inhalt, &fehler))
        return true;
    if (grund)
        *grund = fehler.text();
    return false;
}

bool ausgeben(int fd, const QByteArray &inhalt, Schreibfehler *fehler)
{
    const int fehlernummer = schreibeAlles(fd, inhalt);
    if (fehlernummer == 0)
        return true;
    if (fehler) {
        *fehler = fehlerFuer(QString(), fehlernummer);
    }
    return false;
}

void setzeBeobachter(std::function<void(const QString &)> b)
{
    beobachter() = std::move(b);
}

}  // namespace Dateiersatz
