// The serial device calls on Linux and other POSIX systems.

#include "link/Geraetezugang.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#endif

namespace Geraetezugang {

bool zugriffErlaubt(const QString &geraet)
{
    return ::access(QFile::encodeName(geraet).constData(), R_OK | W_OK) == 0;
}

Leitungszaehler zaehler(qintptr handle)
{
    Leitungszaehler z;
#if defined(Q_OS_LINUX) && defined(TIOCGICOUNT)
    serial_icounter_struct ic;
    std::memset(&ic, 0, sizeof ic);
    if (handle >= 0 && ::ioctl(int(handle), TIOCGICOUNT, &ic) == 0) {
        z.rahmen = ic.frame;
        z.paritaet = ic.parity;
        z.unterbrechung = ic.brk;
        z.ueberlauf = ic.overrun + ic.buf_overrun;
        z.gueltig = true;
    }
#else
    Q_UNUSED(handle)
#endif
    return z;
}

qint64 imTreiber(qintptr handle)
{
#ifdef TIOCOUTQ
    int n = 0;
    if (handle >= 0 && ::ioctl(int(handle), TIOCOUTQ, &n) == 0 && n > 0)
        return n;
#else
    Q_UNUSED(handle)
#endif
    return 0;
}

void ausgabeAbwarten(qintptr handle)
{
    if (handle < 0)
        return;
    int r;
    do {
        r = ::tcdrain(int(handle));
    } while (r == -1 && errno == EINTR);
}

}  // namespace Geraetezugang
