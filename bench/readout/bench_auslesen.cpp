// Read-out end to end against portavo-sim at line pace: the time from the
// login request to the written file, against the time the bytes need on the
// wire at 19200 baud (10 bits per byte) plus the ticks the sequence waits by
// design (the first login tick, 100 ms, and at most one Timer3 tick, 100 ms).
//
//   bench_auslesen [RUNS]     (portavo-sim from the build, or $PORTAVO_SIM)

#include "link/Anmeldung.h"
#include "link/Auslesen.h"
#include "link/SerialPort.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "base/MeldungDruck.h"
#include "link/Programmstart.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

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

qint64 einLauf(const QString &geraet, int adresse, int protokoll, bool *ok)
{
    Zustand z;
    Texttabelle::ladeTexte(z, 101, 178);
    Programmstart::rs485Betrieb(z);
    SerialPort port;
    port.setDevice(geraet);
    port.setSettings(QStringLiteral("19200,n,8,1"));
    *ok = false;
    if (!port.open())
        return -1;
    Verbindung v(z);
    v.setPort(&port);
    MeldungDruck meldung;
    Anmeldung anmeldung(z, v);
    Auslesen auslesen(z, v, anmeldung, meldung);
    z.terminal.adresse = qint16(adresse);
    z.terminal.protokoll = qint16(protokoll);
    z.terminal.passwort = Telegramm::packePasswort(QStringLiteral("123456"));
    QEventLoop schleife;
    QObject::connect(&auslesen, &Auslesen::fertig, &schleife, [&] {
        *ok = true;
        schleife.quit();
    });
    QObject::connect(&auslesen, &Auslesen::fehlgeschlagen, &schleife, &QEventLoop::quit);
    QTimer::singleShot(15000, &schleife, &QEventLoop::quit);
    QElapsedTimer uhr;
    uhr.start();
    if (!auslesen.starte())
        return -1;
    schleife.exec();
    return uhr.elapsed();
}
}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int laeufe = argc > 1 ? qMax(1, atoi(argv[1])) : 3;
    QString sim = qEnvironmentVariable("PORTAVO_SIM");
    if (sim.isEmpty())
        sim = QStringLiteral(PORTAVO_SIM_PFAD);

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
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(sim, {QStringLiteral("--scenario"), f.fileName()});
    if (!p.waitForStarted(5000) || !p.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_auslesen: %s does not start\n", qPrintable(sim));
        return 1;
    }
    QString geraet = QString::fromLocal8Bit(p.readLine()).trimmed();
    int status = 0;

    std::printf("read-out end to end at 19200 baud (portavo-sim, paced, turnaround %d ms)\n", Turnaround);
    std::printf("%-9s %6s %10s %10s %10s %10s %8s\n", "protocol", "run", "measured", "wire", "goal", "overhead",
                "ok");
    for (const int protokoll : {0, 1}) {
        const double draht = drahtMs(drahtbytes(protokoll)) + 2 * Turnaround;
        const double ziel = 1.10 * draht + TicksMs;
        for (int i = 1; i <= laeufe; ++i) {
            bool ok = false;
            const qint64 ms = einLauf(geraet, protokoll + 1, protokoll, &ok);
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
