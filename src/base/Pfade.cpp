#include "base/Pfade.h"

#include "base/Dateiersatz.h"
#include "base/Dateizugriff.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>

namespace {
// The desktop program and portavo-cli carry different application names, so
// the folders are named here, not by Qt: both must see the same settings
// file, port map and location names (~/.config/portavo, ~/.local/share/portavo).
QString ordner(QStandardPaths::StandardLocation generisch)
{
    QString pfad = qEnvironmentVariable("PORTAVO_HOME");
    if (pfad.isEmpty()) {
        const QString basis = QStandardPaths::writableLocation(generisch);
        pfad = basis.isEmpty() ? QDir::homePath() + QStringLiteral("/.portavo") : basis + QStringLiteral("/portavo");
        QDir().mkpath(pfad);
        // Earlier versions of the desktop program kept their files one folder
        // deeper. Once per run, and only while none of them stands here yet,
        // they are carried over (copied, never moved), so a file the user
        // removes later is not brought back.
        static QSet<QString> geprueft;
        if (!geprueft.contains(pfad)) {
            geprueft.insert(pfad);
            const QDir frueher(pfad + QStringLiteral("/portavo"));
            const QStringList namen = frueher.entryList(QDir::Files | QDir::NoSymLinks);
            const auto schonDa = [&](const QString &name) { return QFileInfo::exists(QDir(pfad).filePath(name)); };
            if (std::none_of(namen.begin(), namen.end(), schonDa)) {
                for (const QString &name : namen)
                    QFile::copy(frueher.filePath(name), QDir(pfad).filePath(name));
            }
        }
    }
    QDir().mkpath(pfad);  // an existing folder is not an error
    return QDir(pfad).absolutePath();
}

QStringList standardPorts()
{
    QStringList geraete;
#ifdef Q_OS_WIN
    for (int n = 1; n <= 16; ++n)
        geraete << QStringLiteral("COM%1").arg(n);
#else
    for (int n = 0; n < 4; ++n)
        geraete << QStringLiteral("/dev/ttyUSB%1").arg(n);
    for (int n = 0; n < 4; ++n)
        geraete << QStringLiteral("/dev/ttyACM%1").arg(n);
    for (int n = 0; n < 8; ++n)
        geraete << QStringLiteral("/dev/ttyS%1").arg(n);
#endif
    return geraete;
}
}  // namespace

namespace Pfade {

QString konfiguration() { return ordner(QStandardPaths::GenericConfigLocation); }
QString programm() { return ordner(QStandardPaths::GenericDataLocation); }
QString einstellungsdatei() { return konfiguration() + QStringLiteral("/Portavomodem.ini"); }
QString hintergrundbild() { return konfiguration() + QStringLiteral("/hauptbild.bmp"); }
QString orteDatei() { return programm() + QStringLiteral("/orte.dat"); }
QString portsDatei() { return programm() + QStringLiteral("/ports.dat"); }

QString geraet(int portnummer)
{
    const QStringList standard = standardPorts();
    if (portnummer < 1 || portnummer > 16)
        return QString();
    const Dateizugriff::Leseergebnis gelesen = Dateizugriff::lesen(portsDatei(), 64 * 1024);
    if (gelesen.stand == Dateizugriff::Lesestand::Fehlt && !Dateizugriff::belegt(portsDatei())) {
        QByteArray karte;
        for (const QString &g : standard)
            karte += g.toUtf8() + "\r\n";
        Dateiersatz::ersetze(portsDatei(), karte);
        return standard.at(portnummer - 1);
    }
    if (!gelesen.ok())
        return standard.at(portnummer - 1);
    const QList<QByteArray> zeilen = gelesen.inhalt.split('\n');
    if (portnummer - 1 < zeilen.size()) {
        const QString g = QString::fromUtf8(zeilen.at(portnummer - 1)).trimmed();
        if (!g.isEmpty())
            return g;
    }
    return standard.at(portnummer - 1);
}

bool setzeGeraet(int portnummer, const QString &geraet)
{
    if (portnummer < 1 || portnummer > 16 || geraet.trimmed().isEmpty() || geraet.contains(QLatin1Char('\n')))
        return false;
    QByteArray karte;
    for (int n = 1; n <= 16; ++n)
        karte += (n == portnummer ? geraet.trimmed() : Pfade::geraet(n)).toUtf8() + "\r\n";
    return Dateiersatz::ersetze(portsDatei(), karte);
}

}  // namespace Pfade
