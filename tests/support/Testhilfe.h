#pragma once
// Shared test helpers: files, main files, a working folder, a port failing to open per device, and the
// link set-up (state, port, connection, messages, login) on any port.

#include "link/Anmeldung.h"
#include "support/FakePort.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "support/MeldungAufnahme.h"
#include "link/Programmstart.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <sys/stat.h>

inline QByteArray lies(const QString &pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool schreib(const QString &pfad, const QByteArray &inhalt)
{
    QFile f(pfad);
    return f.open(QIODevice::WriteOnly) && f.write(inhalt) == inhalt.size();
}

// The text of a main file: 2048 lines " value " CR LF.
inline QByteArray hauptdatei(const std::function<int(int)> &wert)
{
    QByteArray text;
    for (int i = 0; i < 2048; ++i)
        text += ' ' + QByteArray::number(wert(i)) + " \r\n";
    return text;
}

// n lines "<praefix><i>" CR LF, as in a companion file.
inline QByteArray textzeilen(int n, const QByteArray &praefix = "zeile ")
{
    QByteArray t;
    for (int i = 0; i < n; ++i)
        t += praefix + QByteArray::number(i) + "\r\n";
    return t;
}

// Every file of a folder, by name, with its content.
inline QMap<QString, QByteArray> ordnerinhalt(const QString &ordner)
{
    QMap<QString, QByteArray> m;
    for (const QString &n : QDir(ordner).entryList(QDir::Files | QDir::Hidden))
        m[n] = lies(QDir(ordner).filePath(n));
    return m;
}

// Byte i of a test terminal memory: standard mode with both tracks
// (arrangement 6, 11 and 4 bytes per entry, track 3/1 odd) and a pattern in
// the list area, or special code (system number 531) with a pattern in the
// zone planes.
inline int satzbyte(bool sondercode, int i)
{
    switch (i) {
    case 0: return 5;
    case 1: return 0x14;
    case 2: return sondercode ? 0x81 : 3;
    case 3: return sondercode ? 4 : 11;
    case 4: return 4;
    case 9: return sondercode ? 0 : 2;
    }
    if (sondercode)
        return i == 272 ? 18 : i == 273 ? 243 : i >= 512 ? (i * 13) % 256 : 0;
    return i >= 272 ? (i * 37) % 256 : 0;
}

// A whole terminal file set "name" in ordner, every companion file with the
// lines loading needs: line i reads "<extension> <i>" (line 1 with a comma,
// quotes and an umlaut, every third line an empty slot). Special code:
// pages 1 and 2 (page 2's planes differ at byte 700) with their name and
// customer files. Returns the path of the main file of page 1.
inline QString terminalsatz(const QString &ordner, const QString &name, bool sondercode)
{
    const QString basis = QDir(ordner).filePath(name) + QLatin1Char('.');
    const auto begleit = [&](const QString &endung) {
        const QByteArray e = endung.toLatin1();
        QByteArray t;
        for (int i = 0; i <= (sondercode ? 5000 : 2000); ++i)
            t += (i % 3 == 0 ? QByteArray("----------") : i == 1 ? e + " 1, \"x\" \xe4" : e + ' ' + QByteArray::number(i))
                 + "\r\n";
        schreib(basis + endung, t);
    };
    schreib(basis + "S2D", hauptdatei([=](int i) { return satzbyte(sondercode, i); }));
    begleit(QStringLiteral("B2D"));
    if (sondercode) {
        schreib(basis + "S3D", hauptdatei([](int i) { return i == 700 ? 0 : satzbyte(true, i); }));
        begleit(QStringLiteral("B3D"));
        for (const char *feld : {"V", "P", "O", "R", "T", "M"})
            for (const char *seite : {"2D", "3D"})
                begleit(QLatin1String(feld) + QLatin1String(seite));
    }
    return basis + "S2D";
}

// Puts at pfad what art names: "fifo", "zero" (a link to /dev/zero),
// "ordner", "link" (to ziel), "toterLink" (to pfad + ".fehlt") or
// "schreibgeschuetzt" (a read-only file holding "alt"); anything else: nothing.
inline bool legeAn(const QString &art, const QString &pfad, const QString &ziel = QString())
{
    if (art == QLatin1String("fifo"))
        return ::mkfifo(QFile::encodeName(pfad).constData(), 0600) == 0;
    if (art == QLatin1String("zero"))
        return QFile::link(QStringLiteral("/dev/zero"), pfad);
    if (art == QLatin1String("ordner"))
        return QDir().mkdir(pfad);
    if (art == QLatin1String("link"))
        return QFile::link(ziel, pfad);
    if (art == QLatin1String("toterLink"))
        return QFile::link(pfad + QStringLiteral(".fehlt"), pfad);
    if (art == QLatin1String("schreibgeschuetzt"))
        return schreib(pfad, "alt") && QFile::setPermissions(pfad, QFile::ReadOwner);
    return true;
}

// Makes a temporary folder the current one for its lifetime.
class Arbeitsordner {
public:
    Arbeitsordner() : m_vorher(QDir::currentPath()) { QDir::setCurrent(m_ordner.path()); }
    ~Arbeitsordner() { QDir::setCurrent(m_vorher); }
    QString pfad(const QString &name) const { return m_ordner.filePath(name); }

private:
    QTemporaryDir m_ordner;
    QString m_vorher;
};

// Opening fails for the devices in the table.
class GeraetePort : public FakePort {
public:
    QMap<QString, Oeffnungsfehler> fehler;
    bool open() override
    {
        setOpenFailure(fehler.value(device(), Oeffnungsfehler::Keiner));
        return FakePort::open();
    }
};

// No timer of the object or of its children runs: it sends nothing more by itself.
inline bool stillgelegt(const QObject &o)
{
    const auto timer = o.findChildren<QTimer *>();
    return std::none_of(timer.begin(), timer.end(), [](const QTimer *t) { return t->isActive(); });
}

// State, port, connection, messages and login as the program sets them up for RS485, port open at 19200.
template <class P>
struct Strecke {
    Zustand z;
    P port;
    Verbindung v{z};
    MeldungAufnahme meldung;
    Anmeldung anmeldung{z, v};

    explicit Strecke(const QString &geraet = QString())
    {
        Texttabelle::ladeTexte(z, 101, 389);
        Programmstart::rs485Betrieb(z);
        Programmstart::protokollnamenSetzen(z);
        if (!geraet.isEmpty())
            port.setDevice(geraet);
        port.setSettings(QStringLiteral("19200,n,8,1"));
        if (port.open())
            v.setPort(&port);
    }

    // FakePort only: the telegrams written, and a login answer after the login's echo.
    QList<QByteArray> gesendet() const
    {
        QList<QByteArray> l;
        for (const auto &w : port.writes())
            l << w.bytes;
        return l;
    }
    QByteArray letzterWrite() const { return port.writes().isEmpty() ? QByteArray() : port.writes().last().bytes; }
    void loginAntwort(bool richtig = true)
    {
        QByteArray a = QByteArray() + Telegramm::STX + char(z.terminal.adresse) + 'P' + (richtig ? 'J' : 'N') + Telegramm::ETX;
        a += char(Telegramm::blockpruefung(a, 1, int(a.size()) - 1));
        port.inject(v.letzteAnfrage() + a);
    }
};
