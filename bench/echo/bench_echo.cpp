// Read-out and write end to end against portavo-sim at line pace, once
// behind an interface that echoes and once behind one that does not
// (--no-echo), the link finding out by itself each time: the times side by
// side and how far apart they are (goal: within 2 %).
//
//   bench_echo [RUNS]     (portavo-sim from the build, or $PORTAVO_SIM)

#include "diag/Adressidentifikation.h"
#include "link/Anmeldung.h"
#include "link/Auslesen.h"
#include "link/Programmstart.h"
#include "link/Schreiben.h"
#include "support/MeldungAufnahme.h"
#include "link/SerialPort.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "base/MeldungDruck.h"
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
#include <memory>
#include <vector>

namespace {
// The port at the terminals' speed, the link on it finding out about the echo by itself.
bool anschliessen(SerialPort &port, Verbindung &v, const QString &geraet)
{
    port.setDevice(geraet);
    port.setSettings(QStringLiteral("19200,n,8,1"));
    if (!port.open())
        return false;
    v.setPort(&port);
    v.setEchomodus(Verbindung::Echomodus::Automatisch);
    return true;
}

qint64 einLauf(const QString &geraet, int protokoll, bool *ok)
{
    Zustand z;
    Texttabelle::ladeTexte(z, 101, 178);
    Programmstart::rs485Betrieb(z);
    SerialPort port;
    Verbindung v(z);
    *ok = false;
    if (!anschliessen(port, v, geraet))
        return -1;
    MeldungDruck meldung;
    Anmeldung anmeldung(z, v);
    Auslesen auslesen(z, v, anmeldung, meldung);
    z.terminal.adresse = qint16(protokoll + 1);
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

// Write button to the end of the write (ms); ok when it succeeded.
qint64 schreibe(const QString &geraet, int adresse, bool varianteM, bool *ok)
{
    Zustand z;
    SerialPort port;
    Verbindung v(z);
    MeldungAufnahme meldung;
    Anmeldung anmeldung(z, v);
    Schreiben s(z, v, anmeldung, meldung);
    Texttabelle::ladeTexte(z, 101, 389);
    Programmstart::rs485Betrieb(z);
    *ok = false;
    if (!anschliessen(port, v, geraet))
        return -1;
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
    QObject::connect(&s, &Schreiben::erfolgreich, [ok] { *ok = true; });
    QEventLoop schleife;
    QObject::connect(&s, &Schreiben::beendet, &schleife, &QEventLoop::quit);
    QTimer::singleShot(60000, &schleife, &QEventLoop::quit);
    QElapsedTimer uhr;
    uhr.start();
    if (!s.starte())
        return -1;
    schleife.exec();
    return uhr.elapsed();
}

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
    if (!anschliessen(port, v, geraet))
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

// Starts portavo-sim; the device path, or empty.
QString starte(QProcess &p, const QString &sim, const QString &szenario, bool echo)
{
    QStringList args{QStringLiteral("--scenario"), szenario};
    if (!echo)
        args << QStringLiteral("--no-echo");
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(sim, args);
    if (!p.waitForStarted(5000) || !p.waitForReadyRead(5000))
        return {};
    return QString::fromLocal8Bit(p.readLine()).trimmed();
}

double median(std::vector<qint64> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : double(v[v.size() / 2]);
}
}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int laeufe = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    QString sim = qEnvironmentVariable("PORTAVO_SIM");
    if (sim.isEmpty())
        sim = QStringLiteral(PORTAVO_SIM_PFAD);

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
    const QString geraetMit = starte(mit, sim, f.fileName(), true);
    const QString geraetOhne = starte(ohne, sim, f.fileName(), false);
    if (geraetMit.isEmpty() || geraetOhne.isEmpty()) {
        std::fprintf(stderr, "bench_echo: %s does not start\n", qPrintable(sim));
        return 1;
    }
    int status = 0;
    std::printf("read-out end to end at 19200 baud (portavo-sim, paced), median of %d runs\n", laeufe);
    std::printf("%-9s %12s %12s %10s %8s\n", "protocol", "with echo", "no echo", "apart", "ok");
    for (const int protokoll : {0, 1}) {
        std::vector<qint64> zeitenMit, zeitenOhne;
        bool allesOk = true;
        for (int i = 0; i < laeufe; ++i) {
            bool ok = false;
            zeitenMit.push_back(einLauf(geraetMit, protokoll, &ok));
            allesOk = allesOk && ok;
            zeitenOhne.push_back(einLauf(geraetOhne, protokoll, &ok));
            allesOk = allesOk && ok;
        }
        const double a = median(zeitenMit), b = median(zeitenOhne);
        const double abstand = a > 0 ? 100.0 * (b - a) / a : 0.0;
        const bool imZiel = allesOk && abstand <= 2.0;
        if (!imZiel)
            status = 1;
        std::printf("%-9d %9.0f ms %9.0f ms %8.1f %% %8s\n", protokoll, a, b, abstand,
                    allesOk ? (imZiel ? "yes" : "SLOW") : "FAILED");
    }
    std::printf("write end to end (login, announcement, block, confirmation), median of %d runs\n", laeufe);
    std::printf("%-9s %12s %12s %10s %8s\n", "variant", "with echo", "no echo", "apart", "ok");
    for (const bool m : {false, true}) {
        std::vector<qint64> zeitenMit, zeitenOhne;
        bool allesOk = true;
        for (int i = 0; i < laeufe; ++i) {
            bool ok = false;
            zeitenMit.push_back(schreibe(geraetMit, m ? 3 : 1, m, &ok));
            allesOk = allesOk && ok;
            zeitenOhne.push_back(schreibe(geraetOhne, m ? 3 : 1, m, &ok));
            allesOk = allesOk && ok;
        }
        const double a = median(zeitenMit), b = median(zeitenOhne);
        const double abstand = a > 0 ? 100.0 * (b - a) / a : 0.0;
        const bool imZiel = allesOk && abstand <= 2.0;
        if (!imZiel)
            status = 1;
        std::printf("%-9s %9.0f ms %9.0f ms %8.1f %% %8s\n", m ? "M" : "standard", a, b, abstand,
                    allesOk ? (imZiel ? "yes" : "SLOW") : "FAILED");
    }
    {
        int mitGefunden = 0, ohneGefunden = 0;
        const qint64 a = scanne(geraetMit, &mitGefunden);
        const qint64 b = scanne(geraetOhne, &ohneGefunden);
        const double abstand = a > 0 ? 100.0 * double(b - a) / double(a) : 0.0;
        const bool ok = mitGefunden == 3 && ohneGefunden == 3;
        if (!ok || abstand > 2.0)
            status = 1;
        std::printf("scan 1..255 (one run)\n%-9s %9lld ms %9lld ms %8.1f %% %8s\n", "scan", a, b, abstand,
                    ok ? (abstand <= 2.0 ? "yes" : "SLOW") : "FAILED");
    }
    std::printf("goal: without echo at most 2 %% slower than with echo\n");
    mit.terminate();
    ohne.terminate();
    mit.waitForFinished(3000);
    ohne.waitForFinished(3000);
    return status;
}
