// Prints the end-to-end time of a write (from the write button, after the
// password, to the success message) against portavo-sim pacing at the real
// line speed, next to the goal: 2.5 s plus the block's wire time at
// 2400 baud, times 1.05.
//
//   bench_write [--runs N] [--sim PATH]

#include "link/Anmeldung.h"
#include "link/Schreiben.h"
#include "link/SerialPort.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "support/MeldungAufnahme.h"
#include "link/Programmstart.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

struct Messung {
    bool ok = false;
    qint64 gesamt = 0;        // write button to success
    qint64 bisBlock = 0;      // write button to the hand-over of the block
    qint64 leitung = 0;       // hand-over until the block was on the line
    qint64 bestaetigung = 0;  // block on the line until success
};

Messung schreibe(const QString &geraet, int adresse, bool varianteM)
{
    Messung m;
    Zustand z;
    SerialPort port;
    Verbindung v(z);
    MeldungAufnahme meldung;
    Anmeldung anmeldung(z, v);
    Schreiben s(z, v, anmeldung, meldung);
    Texttabelle::ladeTexte(z, 101, 389);
    Programmstart::rs485Betrieb(z);
    port.setDevice(geraet);
    port.setSettings(QStringLiteral("19200,n,8,1"));
    if (!port.open())
        return m;
    v.setPort(&port);
    for (int i = 0; i < 2048; ++i)
        z.bild.Daten[size_t(i)] = qint16((i * 37 + 11) & 0xFF);
    z.bild.Daten[5] = 0x21;  // password 123456
    z.bild.Daten[6] = 0x43;
    z.bild.Daten[7] = 0x65;
    z.bild.Daten[8] = qint16(adresse);
    z.bild.Daten[10] = 0;
    z.terminal.adresse = qint16(adresse);
    z.terminal.varianteM = varianteM;
    z.terminal.passwort = Telegramm::packePasswort(QStringLiteral("123456"));

    QElapsedTimer uhr;
    qint64 block = 0, aufLeitung = 0;
    QObject::connect(&s, &Schreiben::blockBegonnen, [&] { block = uhr.elapsed(); });
    QObject::connect(&s, &Schreiben::blockAufDerLeitung, [&] { aufLeitung = uhr.elapsed(); });
    QObject::connect(&s, &Schreiben::erfolgreich, [&] { m.ok = true; });
    QEventLoop schleife;
    QObject::connect(&s, &Schreiben::beendet, &schleife, &QEventLoop::quit);
    QTimer::singleShot(60000, &schleife, &QEventLoop::quit);
    uhr.start();
    if (!s.starte())
        return m;
    schleife.exec();
    m.gesamt = uhr.elapsed();
    m.bisBlock = block;
    m.leitung = aufLeitung - block;
    m.bestaetigung = m.gesamt - aufLeitung;
    return m;
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int laeufe = 1;
    QString sim = qEnvironmentVariable("PORTAVO_SIM", QStringLiteral(PORTAVO_SIM_PFAD));
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
    p.setStandardErrorFile(ordner.filePath(QStringLiteral("sim.err")));
    p.start(sim, {});  // the demo bus: address 1 standard, address 20 variant M
    if (!p.waitForStarted(5000) || !p.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_write: %s does not start\n", qPrintable(sim));
        return 1;
    }
    const QString geraet = QString::fromLocal8Bit(p.readLine()).trimmed();

    const qint64 draht = Schreiben::leitungszeitMs(Telegramm::Schreibblocklaenge, 2400);
    const qint64 soll = 2500 + draht;
    std::printf("write block %d bytes: wire time %lld ms at 2400 baud; goal <= 1.05 x (2500 + %lld) = %lld ms\n",
                Telegramm::Schreibblocklaenge, draht, draht, soll * 105 / 100);
    bool alleOk = true;
    for (int lauf = 1; lauf <= laeufe; ++lauf) {
        const Messung m = schreibe(geraet, 1, false);
        alleOk = alleOk && m.ok && m.gesamt * 100 <= soll * 105;
        std::printf("run %d standard:  %s end-to-end %lld ms (factor %.3f): to block %lld, block on line %lld, "
                    "confirmation %lld\n",
                    lauf, m.ok ? "ok    " : "FAILED", m.gesamt, double(m.gesamt) / double(soll), m.bisBlock,
                    m.leitung, m.bestaetigung);
    }
    const qint64 drahtM = Schreiben::leitungszeitMs(Telegramm::Schreibblocklaenge, 19200);
    const Messung m = schreibe(geraet, 20, true);
    std::printf("variant M (19200): %s end-to-end %lld ms (2500 + wire %lld = %lld): to block %lld, block on line "
                "%lld, confirmation %lld\n",
                m.ok ? "ok    " : "FAILED", m.gesamt, drahtM, 2500 + drahtM, m.bisBlock, m.leitung, m.bestaetigung);
    std::fflush(stdout);
    p.terminate();
    p.waitForFinished(3000);
    return alleOk && m.ok ? 0 : 1;
}
