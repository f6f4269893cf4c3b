#include "common/Messlauf.h"

#include "link/Anmeldung.h"
#include "link/Auslesen.h"
#include "link/Programmstart.h"
#include "link/Schreiben.h"
#include "link/SerialPort.h"
#include "link/Telegramm.h"
#include "support/MeldungAufnahme.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace Messlauf {

QString simPfad()
{
    return qEnvironmentVariable("PORTAVO_SIM", QStringLiteral(PORTAVO_SIM_PFAD));
}

QString starteSim(QProcess &p, const QString &sim, const QStringList &args)
{
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(sim, args);
    if (!p.waitForStarted(5000) || !p.waitForReadyRead(5000))
        return {};
    return QString::fromLocal8Bit(p.readLine()).trimmed();
}

bool anschliessen(SerialPort &port, Verbindung &v, const QString &geraet, Verbindung::Echomodus echo)
{
    port.setDevice(geraet);
    port.setSettings(QStringLiteral("19200,n,8,1"));
    if (!port.open())
        return false;
    v.setPort(&port);
    v.setEchomodus(echo);
    return true;
}

qint64 auslesen(const QString &geraet, int adresse, int protokoll, Verbindung::Echomodus echo, bool *ok)
{
    Zustand z;
    Texttabelle::ladeTexte(z, 101, 389);
    Programmstart::rs485Betrieb(z);
    SerialPort port;
    Verbindung v(z);
    *ok = false;
    if (!anschliessen(port, v, geraet, echo))
        return -1;
    MeldungAufnahme meldung;
    Anmeldung anmeldung(z, v);
    Auslesen a(z, v, anmeldung, meldung);
    z.terminal.adresse = qint16(adresse);
    z.terminal.protokoll = qint16(protokoll);
    z.terminal.passwort = Telegramm::packePasswort(QStringLiteral("123456"));
    QEventLoop schleife;
    QObject::connect(&a, &Auslesen::fertig, &schleife, [&] {
        *ok = true;
        schleife.quit();
    });
    QObject::connect(&a, &Auslesen::fehlgeschlagen, &schleife, &QEventLoop::quit);
    QTimer::singleShot(15000, &schleife, &QEventLoop::quit);
    QElapsedTimer uhr;
    uhr.start();
    if (!a.starte())
        return -1;
    schleife.exec();
    return uhr.elapsed();
}

Schreibzeiten schreiben(const QString &geraet, int adresse, bool varianteM, Verbindung::Echomodus echo)
{
    Schreibzeiten m;
    Zustand z;
    SerialPort port;
    Verbindung v(z);
    MeldungAufnahme meldung;
    Anmeldung anmeldung(z, v);
    Schreiben s(z, v, anmeldung, meldung);
    Texttabelle::ladeTexte(z, 101, 389);
    Programmstart::rs485Betrieb(z);
    if (!anschliessen(port, v, geraet, echo))
        return m;
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

}  // namespace Messlauf
