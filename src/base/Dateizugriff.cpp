#include "base/Dateizugriff.h"

#include "base/Texttabelle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Dateizugriff {

namespace {

QString systemgrund(int fehler)
{
    return QString::fromLocal8Bit(std::strerror(fehler));
}

Leseergebnis ergebnis(Lesestand stand, const QString &grund, qint64 hoechstens, int fehlernummer = 0)
{
    Leseergebnis e;
    e.stand = stand;
    e.grund = grund;
    e.hoechstens = hoechstens;
    e.fehlernummer = fehlernummer;
    return e;
}

}  // namespace

QString Leseergebnis::text(const QString &pfad, int sprache) const
{
    const QString name = QDir::toNativeSeparators(pfad);
    switch (stand) {
    case Lesestand::Gelesen:
        return QString();
    case Lesestand::Fehlt:
        return Texttabelle::text(664 + sprache).arg(name);
    case Lesestand::KeineDatei:
        return Texttabelle::text(665 + sprache).arg(name);
    case Lesestand::ZuGross:
        return Texttabelle::text(666 + sprache).arg(name).arg(hoechstens);
    case Lesestand::Fehler:
        break;
    }
    return Texttabelle::text(667 + sprache).arg(name, fehlernummer ? systemgrund(fehlernummer) : grund);
}

Leseergebnis lesen(const QString &pfad, qint64 hoechstens)
{
    const QByteArray name = QFile::encodeName(pfad);
    // O_NONBLOCK: opening a FIFO without a writer returns at once instead
    // of waiting for one; the type check below then refuses it.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int fehler = errno;
        if (fehler == ENOENT || fehler == ENOTDIR)
            return ergebnis(Lesestand::Fehlt, QStringLiteral("Die Datei gibt es nicht."), hoechstens);
        return ergebnis(Lesestand::Fehler, systemgrund(fehler), hoechstens, fehler);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int fehler = errno;
        ::close(fd);
        return ergebnis(Lesestand::Fehler, systemgrund(fehler), hoechstens, fehler);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return ergebnis(Lesestand::KeineDatei, QStringLiteral("Das ist keine gewöhnliche Datei."), hoechstens);
    }
    if (st.st_size > hoechstens) {
        ::close(fd);
        return ergebnis(Lesestand::ZuGross,
                        QStringLiteral("Die Datei ist zu groß (%1 Bytes, höchstens %2).")
                            .arg(qint64(st.st_size))
                            .arg(hoechstens),
                        hoechstens);
    }
    // Back to blocking reads: a regular file never blocks for long.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QByteArray inhalt;
    inhalt.resize(qsizetype(st.st_size) + 1);
    qint64 gelesen = 0;
    // One byte more than allowed is asked for: a file that grows while it
    // is read is caught as too large, not cut off silently.
    while (gelesen < hoechstens + 1) {
        if (gelesen == inhalt.size())
            inhalt.resize(qsizetype(qMin<qint64>(hoechstens + 1, inhalt.size() * 2 + 4096)));
        const ssize_t n = ::read(fd, inhalt.data() + gelesen, size_t(inhalt.size() - gelesen));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int fehler = errno;
            ::close(fd);
            return ergebnis(Lesestand::Fehler, systemgrund(fehler), hoechstens, fehler);
        }
        if (n == 0)
            break;
        gelesen += n;
    }
    ::close(fd);
    if (gelesen > hoechstens)
        return ergebnis(Lesestand::ZuGross,
                        QStringLiteral("Die Datei ist zu groß (höchstens %1 Bytes).").arg(hoechstens), hoechstens);
    inhalt.truncate(qsizetype(gelesen));
    Leseergebnis e = ergebnis(Lesestand::Gelesen, QString(), hoechstens);
    e.inhalt = inhalt;
    return e;
}

bool leerAnlegen(const QString &pfad)
{
    const QByteArray name = QFile::encodeName(pfad);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool belegt(const QString &pfad)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(pfad).constData(), &st) == 0;
}

}  // namespace Dateizugriff
