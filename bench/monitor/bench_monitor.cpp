// CPU cost of the RS485 monitor during a read-out, and of test mode polling.
//
// 1. A read-out answer (4 107 bytes, echo included) arrives in chunks of 32
//    bytes, as a USB adapter hands them over, first as fast as possible
//    (CPU per read-out) and then paced like the line at 19200 baud (the
//    time to the last byte handled); each without and with the monitor
//    window open and logging (about 4 100 lines).
// 2. Test mode with its window open polls a terminal that answers at once:
//    the process's CPU share over some seconds of real polling.
//
//   bench_monitor [SECONDS_OF_POLLING]      (default 5; runs offscreen)

#include "support/FakePort.h"
#include "app/Monitorfenster.h"
#include "app/Testfenster.h"
#include "link/Programmstart.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "base/MeldungDruck.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>

namespace {
constexpr int Antwortbytes = 4107;
constexpr int Stueck = 32;
constexpr double MsProStueck = Stueck * 10.0 * 1000.0 / 19200.0;

double cpuMs()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000.0 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1000.0;
}

struct Aufbau {
    Zustand z;
    FakePort port;
    Verbindung v{z};
    MeldungDruck meldung;
    Aufbau()
    {
        Texttabelle::ladeTexte(z, 101, 389);
        Programmstart::rs485Betrieb(z);
        port.open();
        v.setPort(&port);
    }
};

QByteArray auslesestrom()
{
    QByteArray b(Antwortbytes, '0');
    for (int i = 0; i < b.size(); ++i)
        b[i] = char(0x30 + (i * 7) % 16);
    return b;
}

// Feeds the read-out stream; paced: one chunk per line time of 32 bytes.
// Returns {CPU ms, wall ms to the last chunk handled}.
std::pair<double, double> auslesen(bool mitMonitor, bool getaktet)
{
    Aufbau a;
    Monitorfenster *monitor = nullptr;
    if (mitMonitor) {
        monitor = new Monitorfenster(a.z, a.v, a.meldung);
        monitor->show();
        QEvent aktiv(QEvent::WindowActivate);
        QApplication::sendEvent(monitor, &aktiv);
    }
    const QByteArray strom = auslesestrom();
    QApplication::processEvents();
    const double cpu0 = cpuMs();
    QElapsedTimer uhr;
    uhr.start();
    if (getaktet) {
        QEventLoop schleife;
        int stelle = 0;
        QTimer takt;
        takt.setTimerType(Qt::PreciseTimer);
        QObject::connect(&takt, &QTimer::timeout, [&] {
            // Catch up with the line, as a driver hands over what came meanwhile.
            const int soll = qMin(int(uhr.elapsed() / MsProStueck + 1) * Stueck, int(strom.size()));
            if (soll > stelle) {
                a.port.inject(strom.mid(stelle, soll - stelle));
                stelle = soll;
            }
            if (stelle >= strom.size())
                schleife.quit();
        });
        takt.start(int(MsProStueck));
        schleife.exec();
    } else {
        for (int i = 0; i < strom.size(); i += Stueck) {
            a.port.inject(strom.mid(i, Stueck));
            QApplication::processEvents();
        }
    }
    if (monitor)
        monitor->modell().nachtragen();
    QApplication::processEvents();
    const double wand = uhr.nsecsElapsed() / 1e6;
    const double cpu = cpuMs() - cpu0;
    if (monitor) {
        if (monitor->modell().rowCount() != Antwortbytes)
            std::fprintf(stderr, "monitor holds %d lines, %d expected\n", monitor->modell().rowCount(), Antwortbytes);
        delete monitor;
    }
    return {cpu, wand};
}

double testbetriebCpuAnteil(int sekunden)
{
    Aufbau a;
    a.z.terminal.adresse = 1;
    a.z.terminal.protokoll = 0;
    Testfenster fenster(a.z, a.v, a.meldung);
    fenster.show();
    // The terminal answers each request at once with a plain status.
    QObject::connect(&fenster.ablauf(), &Testbetrieb::anfrageGesendet, [&](const QByteArray &t) {
        QTimer::singleShot(5, [&a, t] {
            QByteArray antwort = QByteArray() + Telegramm::STX + char(1) + 'S' + char(0x40) + Telegramm::ETX;
            antwort += char(Telegramm::blockpruefung(antwort, 1, int(antwort.size()) - 1));
            a.port.inject(t + antwort);
        });
    });
    int anfragen = 0;
    QObject::connect(&fenster.ablauf(), &Testbetrieb::anfrageGesendet, [&] { ++anfragen; });
    fenster.ablauf().start();
    QApplication::processEvents();
    const double cpu0 = cpuMs();
    QElapsedTimer uhr;
    uhr.start();
    QEventLoop schleife;
    QTimer::singleShot(sekunden * 1000, &schleife, &QEventLoop::quit);
    schleife.exec();
    const double anteil = (cpuMs() - cpu0) / double(uhr.elapsed()) * 100.0;
    std::printf("test mode polling: %d requests in %d s, CPU %.3f %% of one core\n", anfragen, sekunden, anteil);
    return anteil;
}
}  // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int sekunden = argc > 1 ? qMax(1, atoi(argv[1])) : 5;

    // Warm-up (fonts, styles), then the figures.
    auslesen(true, false);
    const auto ohne = auslesen(false, false);
    const auto mit = auslesen(true, false);
    std::printf("read-out stream, as fast as it comes: without monitor %.1f ms CPU, with monitor %.1f ms CPU "
                "(%d lines)\n",
                ohne.first, mit.first, Antwortbytes);
    const auto ohneTakt = auslesen(false, true);
    const auto mitTakt = auslesen(true, true);
    std::printf("read-out at line pace (%.0f ms on the wire): without monitor %.0f ms (CPU %.1f ms), "
                "with monitor %.0f ms (CPU %.1f ms): ratio %.3f\n",
                Antwortbytes * 10.0 * 1000.0 / 19200.0, ohneTakt.second, ohneTakt.first, mitTakt.second,
                mitTakt.first, mitTakt.second / ohneTakt.second);
    testbetriebCpuAnteil(sekunden);
    return 0;
}
