// Read-out end to end against portavo-sim at line pace: the time from the
// login request to the written file, against the time the bytes need on the
// wire at 19200 baud (10 bits per byte) plus the ticks the sequence waits by
// design (the first login tick, 100 ms, and at most one Timer3 tick, 100 ms).
//
//   bench_auslesen [RUNS]     (portavo-sim from the build, or $PORTAVO_SIM)

#include "common/Messlauf.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cstdio>

namespace {
constexpr double Baud = 19200.0;
constexpr double TicksMs = 200.0;  // first Timer1 tick + one Timer3 tick
constexpr int Turnaround = 3;      // the simulator's pause before each answer

double drahtMs(int bytes) { return bytes * 10.0 * 1000.0 / Baud; }

// Bytes on the line: login (9) and its answer, ACK, "E" (5), the answer, the acknowledgement.
int drahtbytes(int protokoll)
{
    return protokoll == 1 ? 9 + 7 + 1 + 5 + 4103 + 4 : 9 + 5 + 1 + 5 + 4101 + 1;
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int laeufe = argc > 1 ? qMax(1, atoi(argv[1])) : 3;
    const QString sim = Messlauf::simPfad();

    QTemporaryDir ordner;
    QDir::setCurrent(ordner.path());
    const QJsonObject szenario{{"turnaroundMs", Turnaround},
                               {"terminals", QJsonArray{QJsonObject{{"address", 1}, {"protocol", 0}},
                                                        QJsonObject{{"address", 2}, {"protocol", 1}}}}};
    QFile f(ordner.filePath(QStringLiteral("bus.json")));
    f.open(QIODevice::WriteOnly);
    f.write(QJsonDocument(szenario).toJson());
    f.close();

    QProcess p;
    const QString geraet = Messlauf::starteSim(p, sim, {QStringLiteral("--scenario"), f.fileName()});
    if (geraet.isEmpty()) {
        std::fprintf(stderr, "bench_auslesen: %s does not start\n", qPrintable(sim));
        return 1;
    }
    int status = 0;

    std::printf("read-out end to end at 19200 baud (portavo-sim, paced, turnaround %d ms)\n", Turnaround);
    std::printf("%-9s %6s %10s %10s %10s %10s %8s\n", "protocol", "run", "measured", "wire", "goal", "overhead",
                "ok");
    for (const int protokoll : {0, 1}) {
        const double draht = drahtMs(drahtbytes(protokoll)) + 2 * Turnaround;
        const double ziel = 1.10 * draht + TicksMs;
        for (int i = 1; i <= laeufe; ++i) {
            bool ok = false;
            const qint64 ms = Messlauf::auslesen(geraet, protokoll + 1, protokoll, Verbindung::Echomodus::Ja, &ok);
            const bool imZiel = ok && ms <= ziel;
            if (!imZiel)
                status = 1;
            std::printf("%-9d %6d %8lld ms %7.0f ms %7.0f ms %7.0f ms %8s\n", protokoll, i, ms, draht, ziel,
                        double(ms) - draht, ok ? (imZiel ? "yes" : "SLOW") : "FAILED");
        }
    }
    std::printf("goal: measured <= 1.10 x wire + %.0f ms of ticks\n", TicksMs);
    p.terminate();
    p.waitForFinished(3000);
    return status;
}
