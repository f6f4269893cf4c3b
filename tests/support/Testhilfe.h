#pragma once
// Helpers shared by the test suites: files, main files, a working folder
// of its own, a port whose opening fails per device, and the link set-up
// (state, port, connection, messages, login) on a FakePort or a real port.

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

#include <functional>

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

// State, port, connection, messages and login as the program sets them up
// for RS485 operation, the port open at 19200 baud.
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

    // FakePort only: the telegrams written, and the terminal's answer to a
    // login after the echo of the login telegram.
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
        QByteArray a = QByteArray() + Telegramm::STX + char(z.Adresse) + 'P' + (richtig ? 'J' : 'N') + Telegramm::ETX;
        a += char(Telegramm::blockpruefung(a, 1, int(a.size()) - 1));
        port.inject(v.letzteAnfrage() + a);
    }
};
