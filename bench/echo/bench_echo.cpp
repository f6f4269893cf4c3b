// Read-out and write end to end against portavo-sim at line pace, once
// behind an interface that echoes and once behind one that does not
// (--no-echo), the link finding out by itself each time: the times side by
// side and how far apart they are (goal: within 2 %).
//
//   bench_echo [RUNS]     (portavo-sim from the build, or $PORTAVO_SIM)

#include "common/Messlauf.h"
#include "diag/Adressidentifikation.h"
#include "link/Programmstart.h"
#include "link/SerialPort.h"
#include "support/MeldungAufnahme.h"
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

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
constexpr auto Auto = Verbindung::Echomodus::Automatisch;

// A whole scan over 1..255 at the program's step (ms); found: the lines of terminals.
qint64 scanne(const QString &geraet, int *gefunden)
{
    Zustand z;
    Texttabelle::ladeTexte(z, 101, 389);
    Programmstart::rs485Betrieb(z);
    Programmstart::protokollnamenSetzen(z);
    SerialPort port;
    Verbindung v(z);
    *gefunden = -1;
    if (!Messlauf::anschliessen(port, v, geraet, Auto))
        return -1;
    MeldungAufnahme meldung;
    Adressidentifikation ident(z, v, meldung);
    Empfangsrecht recht = ident.empfangNehmen();
    ident.laden();
    QEventLoop schleife;
    bool ok = false;
    QObject::connect(&ident, &Adressidentifikation::scanBeendet, &schleife, [&](bool schnittstelle) {
        ok = schnittstelle;
        schleife.quit();
    });
    QTimer::singleShot(60000, &schleife, &QEventLoop::quit);
    QElapsedTimer uhr;
    uhr.start();
    ident.scan();
    schleife.exec();
    *gefunden = ok && meldung.eintraege().isEmpty() ? int(ident.liste().size()) : -1;
    return uhr.elapsed();
}

double median(std::vector<qint64> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : double(v[v.size() / 2]);
}

// One line of the table: `lauf` timed on both buses, `laeufe` times each, by
// turns; the medians side by side. False when a run failed or the bus
// without echo was more than 2 % slower.
bool vergleiche(const char *zeile, int laeufe, const std::function<qint64(const QString &, bool *)> &lauf,
                const QString &geraetMit, const QString &geraetOhne)
{
    std::vector<qint64> zeitenMit, zeitenOhne;
    bool allesOk = true;
    for (int i = 0; i < laeufe; ++i) {
        bool ok = false;
        zeitenMit.push_back(lauf(geraetMit, &ok));
        allesOk = allesOk && ok;
        zeitenOhne.push_back(lauf(geraetOhne, &ok));
        allesOk = allesOk && ok;
    }
    const double a = median(zeitenMit), b = median(zeitenOhne);
    const double abstand = a > 0 ? 100.0 * (b - a) / a : 0.0;
    const bool imZiel = allesOk && abstand <= 2.0;
    std::printf("%-9s %9.0f ms %9.0f ms %8.1f %% %8s\n", zeile, a, b, abstand,
                allesOk ? (imZiel ? "yes" : "SLOW") : "FAILED");
    return imZiel;
}
}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int laeufe = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    const QString sim = Messlauf::simPfad();

    QTemporaryDir ordner;
    QDir::setCurrent(ordner.path());
    const QJsonObject szenario{{"terminals", QJsonArray{QJsonObject{{"address", 1}, {"protocol", 0}},
                                                        QJsonObject{{"address", 2}, {"protocol", 1}},
                                                        QJsonObject{{"address", 3}, {"protocol", 0}, {"variant", "M"}}}}};
    QFile f(ordner.filePath(QStringLiteral("bus.json")));
    f.open(QIODevice::WriteOnly);
    f.write(QJsonDocument(szenario).toJson());
    f.close();

    QProcess mit, ohne;
    const QString geraetMit = Messlauf::starteSim(mit, sim, {QStringLiteral("--scenario"), f.fileName()});
    const QString geraetOhne =
        Messlauf::starteSim(ohne, sim, {QStringLiteral("--scenario"), f.fileName(), QStringLiteral("--no-echo")});
    if (geraetMit.isEmpty() || geraetOhne.isEmpty()) {
        std::fprintf(stderr, "bench_echo: %s does not start\n", qPrintable(sim));
        return 1;
    }
    int status = 0;
    std::printf("read-out end to end at 19200 baud (portavo-sim, paced), median of %d runs\n", laeufe);
    std::printf("%-9s %12s %12s %10s %8s\n", "protocol", "with echo", "no echo", "apart", "ok");
    for (const int protokoll : {0, 1}) {
        const auto lauf = [protokoll](const QString &geraet, bool *ok) {
            return Messlauf::auslesen(geraet, protokoll + 1, protokoll, Auto, ok);
        };
        if (!vergleiche(protokoll ? "1" : "0", laeufe, lauf, geraetMit, geraetOhne))
            status = 1;
    }
    std::printf("write end to end (login, announcement, block, confirmation), median of %d runs\n", laeufe);
    std::printf("%-9s %12s %12s %10s %8s\n", "variant", "with echo", "no echo", "apart", "ok");
    for (const bool m : {false, true}) {
        const auto lauf = [m](const QString &geraet, bool *ok) {
            const Messlauf::Schreibzeiten zeiten = Messlauf::schreiben(geraet, m ? 3 : 1, m, Auto);
            *ok = zeiten.ok;
            return zeiten.gesamt;
        };
        if (!vergleiche(m ? "M" : "standard", laeufe, lauf, geraetMit, geraetOhne))
            status = 1;
    }
    std::printf("scan 1..255, one run\n");
    const auto scan = [](const QString &geraet, bool *ok) {
        int gefunden = 0;
        const qint64 ms = scanne(geraet, &gefunden);
        *ok = gefunden == 3;
        return ms;
    };
    if (!vergleiche("scan", 1, scan, geraetMit, geraetOhne))
        status = 1;
    std::printf("goal: without echo at most 2 %% slower than with echo\n");
    mit.terminate();
    ohne.terminate();
    mit.waitForFinished(3000);
    ohne.waitForFinished(3000);
    return status;
}
