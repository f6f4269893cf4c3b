// Prints the end-to-end time of a write (from the write button, after the
// password, to the success message) against portavo-sim pacing at the real
// line speed, next to the goal: 2.5 s plus the block's wire time at
// 2400 baud, times 1.05.
//
//   bench_write [--runs N] [--sim PATH]

#include "common/Messlauf.h"
#include "link/Schreiben.h"
#include "link/Telegramm.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int laeufe = 1;
    QString sim = Messlauf::simPfad();
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs"))
            laeufe = qMax(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--sim"))
            sim = args[++i];
    }
    QTemporaryDir ordner;
    qputenv("PORTAVO_HOME", ordner.path().toLocal8Bit());
    QProcess p;
    const QString geraet = Messlauf::starteSim(p, sim, {});  // the demo bus: address 1 standard, address 20 variant M
    if (geraet.isEmpty()) {
        std::fprintf(stderr, "bench_write: %s does not start\n", qPrintable(sim));
        return 1;
    }

    const qint64 draht = Schreiben::leitungszeitMs(Telegramm::Schreibblocklaenge, 2400);
    const qint64 soll = 2500 + draht;
    std::printf("write block %d bytes: wire time %lld ms at 2400 baud; goal <= 1.05 x (2500 + %lld) = %lld ms\n",
                Telegramm::Schreibblocklaenge, draht, draht, soll * 105 / 100);
    bool alleOk = true;
    for (int lauf = 1; lauf <= laeufe; ++lauf) {
        const Messlauf::Schreibzeiten m = Messlauf::schreiben(geraet, 1, false, Verbindung::Echomodus::Ja);
        alleOk = alleOk && m.ok && m.gesamt * 100 <= soll * 105;
        std::printf("run %d standard:  %s end-to-end %lld ms (factor %.3f): to block %lld, block on line %lld, "
                    "confirmation %lld\n",
                    lauf, m.ok ? "ok    " : "FAILED", m.gesamt, double(m.gesamt) / double(soll), m.bisBlock,
                    m.leitung, m.bestaetigung);
    }
    const qint64 drahtM = Schreiben::leitungszeitMs(Telegramm::Schreibblocklaenge, 19200);
    const Messlauf::Schreibzeiten m = Messlauf::schreiben(geraet, 20, true, Verbindung::Echomodus::Ja);
    std::printf("variant M (19200): %s end-to-end %lld ms (2500 + wire %lld = %lld): to block %lld, block on line "
                "%lld, confirmation %lld\n",
                m.ok ? "ok    " : "FAILED", m.gesamt, drahtM, 2500 + drahtM, m.bisBlock, m.leitung, m.bestaetigung);
    std::fflush(stdout);
    p.terminate();
    p.waitForFinished(3000);
    return alleOk && m.ok ? 0 : 1;
}
