#include "base/Dateiersatz.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Dateiersatz {

namespace {

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

}  // namespace

// The temporary file is renamed onto the name itself. rename() replaces
// whatever has that name, a symbolic link included, and never writes
// through a link to another file: a link planted at an output name in a
// shared folder cannot make the program overwrite the file it points to.
bool ersetze(const QString &pfad, const QByteArray &inhalt, QString *grund)
{
    const auto fehlschlag = [&](const QString &warum) {
        if (grund)
            *grund = warum;
        return false;
    };
    const QFileInfo info(pfad);
    const QByteArray ziel = QFile::encodeName(info.absoluteFilePath());
    QByteArray vorlage = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName())
        + ".XXXXXX";
    const int fd = ::mkstemp(vorlage.data());
    if (fd < 0)
        return fehlschlag(systemgrund(errno));
    const auto aufgeben = [&](const QString &warum) {
        ::close(fd);
        ::unlink(vorlage.constData());
        return fehlschlag(warum);
    };

    // A file replaced keeps its permissions; a new one gets the usual ones.
    struct stat alt {};
    const bool gabEs = ::lstat(ziel.constData(), &alt) == 0 && S_ISREG(alt.st_mode);
    ::fchmod(fd, gabEs ? (alt.st_mode & 07777) : standardrechte());

    qint64 geschrieben = 0;
    while (geschrieben < inhalt.size()) {
        const ssize_t n = ::write(fd, inhalt.constData() + geschrieben, size_t(inhalt.size() - geschrieben));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int fehler = n < 0 ? errno : ENOSPC;
            if (fehler == ENOSPC || fehler == EFBIG || fehler == EDQUOT)
                return aufgeben(QStringLiteral("Datenträger voll? Nur %1 von %2 Bytes geschrieben")
                                    .arg(geschrieben)
                                    .arg(inhalt.size()));
            return aufgeben(systemgrund(fehler));
        }
        geschrieben += n;
    }
    if (::fsync(fd) != 0)
        return aufgeben(systemgrund(errno));
    if (::close(fd) != 0) {
        const int fehler = errno;
        ::unlink(vorlage.constData());
        return fehlschlag(systemgrund(fehler));
    }
    if (::rename(vorlage.constData(), ziel.constData()) != 0) {
        const int fehler = errno;
        ::unlink(vorlage.constData());
        return fehlschlag(systemgrund(fehler));
    }
    return true;
}

}  // namespace Dateiersatz
