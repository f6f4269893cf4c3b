// portavo-sim on its pseudo-terminal: how long the line takes as a program
// sees it. An identify request and its answer, 100 bytes echoed at 2400 and
// at 19200 baud, the pause between a request's echo and its answer; each
// against what the line needs (10 bits per byte).
//
//   bench_sim [RUNS]     (portavo-sim from the build, or $PORTAVO_SIM)

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
int g_fd = -1;

bool speed(int baud)
{
    termios t{};
    if (tcgetattr(g_fd, &t) != 0)
        return false;
    cfmakeraw(&t);
    const speed_t s = baud == 2400 ? B2400 : B19200;
    cfsetispeed(&t, s);
    cfsetospeed(&t, s);
    return tcsetattr(g_fd, TCSANOW, &t) == 0;
}

// Writes the bytes and reads until n bytes are in; ms until then, -1 when they do not come.
qint64 rundlauf(const QByteArray &raus, int n, qint64 *ersteMs = nullptr, int ersteN = 0)
{
    QElapsedTimer uhr;
    uhr.start();
    if (::write(g_fd, raus.constData(), size_t(raus.size())) != raus.size())
        return -1;
    int da = 0;
    while (da < n && uhr.elapsed() < 5000) {
        pollfd p{g_fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        char buf[4096];
        const ssize_t r = ::read(g_fd, buf, sizeof buf);
        if (r > 0) {
            if (ersteMs && da < ersteN && da + r >= ersteN)
                *ersteMs = uhr.elapsed();
            da += int(r);
        }
    }
    return da >= n ? uhr.elapsed() : -1;
}

QByteArray telegramm(int adresse, char befehl)
{
    QByteArray t = QByteArray(1, 0x02) + char(adresse) + befehl + char(0x03);
    t += char(t[1] ^ t[2] ^ t[3]);
    return t;
}
}  // namespace

int main(int argc, char *argv[])
{
    const int laeufe = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QString sim = qEnvironmentVariable("PORTAVO_SIM");
    if (sim.isEmpty())
        sim = QStringLiteral(PORTAVO_SIM_PFAD);
    QProcess p;
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(sim, {QStringLiteral("--turnaround"), QStringLiteral("30")});
    if (!p.waitForStarted(5000) || !p.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_sim: %s does not start\n", qPrintable(sim));
        return 1;
    }
    const QByteArray geraet = p.readLine().trimmed();
    g_fd = ::open(geraet.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (g_fd < 0 || !speed(19200)) {
        std::fprintf(stderr, "bench_sim: cannot open %s\n", geraet.constData());
        return 1;
    }
    std::printf("portavo-sim on %s, turnaround 30 ms\n", geraet.constData());
    std::printf("%-32s %4s %10s %10s\n", "", "run", "measured", "line");
    for (int i = 1; i <= laeufe; ++i) {
        qint64 echo = -1;
        // Terminal 1 of the demo bus: 5 bytes out and back, 30 ms, 6 bytes of answer.
        const qint64 x = rundlauf(telegramm(1, 'X'), 11, &echo, 5);
        std::printf("%-32s %4d %7lld ms %7.1f ms\n", "identify: request + answer", i, x, 11 * 10000.0 / 19200 + 30);
        std::printf("%-32s %4d %7lld ms %7.1f ms\n", "identify: echo -> answer end", i, x - echo,
                    6 * 10000.0 / 19200 + 30);
        speed(2400);
        std::printf("%-32s %4d %7lld ms %7.1f ms\n", "100 bytes echoed at 2400", i,
                    rundlauf(QByteArray(100, 'a'), 100), 100 * 10000.0 / 2400);
        speed(19200);
        std::printf("%-32s %4d %7lld ms %7.1f ms\n", "100 bytes echoed at 19200", i,
                    rundlauf(QByteArray(100, 'b'), 100), 100 * 10000.0 / 19200);
    }
    ::close(g_fd);
    p.terminate();
    p.waitForFinished(3000);
    return 0;
}
