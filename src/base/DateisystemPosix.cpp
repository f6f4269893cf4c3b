// The file calls on Linux and other POSIX systems.

#include "base/Dateisystem.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace Dateisystem {

namespace {

mode_t standardrechte()
{
    const mode_t maske = ::umask(0);
    ::umask(maske);
    return 0666 & ~maske;
}

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

Lesung stand(Lesung::Stand s, int fehler = 0, qint64 groesse = -1)
{
    Lesung l;
    l.stand = s;
    l.fehler = fehler;
    l.groesse = groesse;
    return l;
}

}  // namespace

Eintrag ansehen(const QByteArray &name)
{
    Eintrag e;
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) {
        if (errno != ENOENT)
            e.fehler = errno;
        return e;
    }
    if (S_ISLNK(st.st_mode))
        e.art = Art::Verweis;
    else if (S_ISREG(st.st_mode))
        e.art = Art::Datei;
    else
        e.art = Art::Anderes;
    // The permission bits count too, so that root does not overwrite a file
    // its owner protected.
    e.schreibbar = (st.st_mode & 0222) != 0 && ::access(name.constData(), W_OK) == 0;
    return e;
}

Lesung lesen(const QByteArray &name, qint64 hoechstens)
{
    // O_NONBLOCK: opening a FIFO without a writer returns at once instead
    // of waiting for one; the type check below then refuses it.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int fehler = errno;
        return fehler == ENOENT || fehler == ENOTDIR ? stand(Lesung::Fehlt) : stand(Lesung::Fehler, fehler);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int fehler = errno;
        ::close(fd);
        return stand(Lesung::Fehler, fehler);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return stand(Lesung::KeineDatei);
    }
    if (st.st_size > hoechstens) {
        ::close(fd);
        return stand(Lesung::ZuGross, 0, st.st_size);
    }
    // Back to blocking reads: a regular file never blocks for long.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QByteArray inhalt;
    inhalt.resize(qsizetype(st.st_size) + 1);
    qint64 gelesen = 0;
    while (gelesen < hoechstens + 1) {
        if (gelesen == inhalt.size())
            inhalt.resize(qsizetype(qMin<qint64>(hoechstens + 1, inhalt.size() * 2 + 4096)));
        const ssize_t n = ::read(fd, inhalt.data() + gelesen, size_t(inhalt.size() - gelesen));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int fehler = errno;
            ::close(fd);
            return stand(Lesung::Fehler, fehler);
        }
        if (n == 0)
            break;
        gelesen += n;
    }
    ::close(fd);
    if (gelesen > hoechstens)
        return stand(Lesung::ZuGross);
    inhalt.truncate(qsizetype(gelesen));
    Lesung l = stand(Lesung::Gelesen, 0, st.st_size);
    l.inhalt = inhalt;
    return l;
}

bool exklusivAnlegen(const QByteArray &name)
{
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

int temporaerSchreiben(QByteArray &vorlage, const QByteArray &inhalt, const QByteArray &rechteVon)
{
    const int fd = ::mkstemp(vorlage.data());
    if (fd < 0)
        return errno;
    struct stat alt {};
    const bool gabEs = ::stat(rechteVon.constData(), &alt) == 0 && S_ISREG(alt.st_mode);
    ::fchmod(fd, gabEs ? (alt.st_mode & 07777) : standardrechte());
    int fehler = schreibeAlles(fd, inhalt);
    if (fehler == 0 && ::fsync(fd) != 0)
        fehler = errno;
    if (::close(fd) != 0 && fehler == 0)
        fehler = errno;
    if (fehler != 0)
        ::unlink(vorlage.constData());
    return fehler;
}

int umbenennen(const QByteArray &von, const QByteArray &nach)
{
    return ::rename(von.constData(), nach.constData()) == 0 ? 0 : errno;
}

int zweitname(const QByteArray &name, const QByteArray &zweiter)
{
    return ::link(name.constData(), zweiter.constData()) == 0 ? 0 : errno;
}

int entfernen(const QByteArray &name)
{
    return ::unlink(name.constData()) == 0 ? 0 : errno;
}

void ordnerSichern(const QByteArray &ordner)
{
    const int fd = ::open(ordner.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

int ausgeben(int deskriptor, const QByteArray &inhalt)
{
    return schreibeAlles(deskriptor, inhalt);
}

bool istVoll(int fehler)
{
    return fehler == ENOSPC || fehler == EFBIG || fehler == EDQUOT;
}

bool istFehlend(int fehler)
{
    return fehler == ENOENT;
}

int fehlerVoll()
{
    return ENOSPC;
}

QString grund(int fehler)
{
    return QString::fromLocal8Bit(std::strerror(fehler));
}

static_assert(sizeof(sigset_t) <= 256, "Signalsperre keeps the old mask in 256 bytes");

Signalsperre::Signalsperre()
{
    sigset_t menge;
    sigemptyset(&menge);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        sigaddset(&menge, s);
    ::pthread_sigmask(SIG_BLOCK, &menge, new (m_vorher) sigset_t);
}

Signalsperre::~Signalsperre()
{
    ::pthread_sigmask(SIG_SETMASK, reinterpret_cast<const sigset_t *>(m_vorher), nullptr);
}

}  // namespace Dateisystem
