#pragma once
// Runs portavo-sim (PORTAVO_SIM) with SimBus's interface: scenario and state folder of its own (memories
// as main files, the traffic log), the device path from its first line.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "link/SerialPort.h"
#include "support/SimBus.h"

#define SIM_STARTEN BUS_STARTEN

class Simulator {
public:
    using Port = SerialPort;
    using Byte = SimBus::Byte;
    static QJsonObject terminal(int adresse, int protokoll = 0, const QJsonObject &extra = {})
    {
        return SimBus::terminal(adresse, protokoll, extra);
    }
    static QByteArray bytes(const QVector<Byte> &v) { return SimBus::bytes(v); }
    // A main file unlike a terminal's default memory: password 246810, address (byte 8) and protocol (10)
    // as named, a pattern elsewhere.
    static QByteArray hauptdateiMit(int adresse, int protokoll = 0)
    {
        const QMap<int, int> fest{{5, 0x42}, {6, 0x86}, {7, 0x01}, {8, adresse}, {10, protokoll}};
        QByteArray text;
        for (int i = 0; i < 2048; ++i)
            text += ' ' + QByteArray::number(fest.value(i, (i * 31 + 7) & 0xFF)) + " \r\n";
        return text;
    }

    Simulator() { m_proc.setProcessChannelMode(QProcess::ForwardedErrorChannel); }
    ~Simulator() { stoppen(); }

    // Empty on success, otherwise why it did not start.
    QString starten(const QJsonArray &terminals, const QStringList &weitere = {})
    {
        return starten(QJsonObject{{"terminals", terminals}}, weitere);
    }
    QString starten(const QJsonObject &szenario, const QStringList &weitere = {})
    {
        const QString programm = qEnvironmentVariable("PORTAVO_SIM");
        if (programm.isEmpty())
            return QStringLiteral("PORTAVO_SIM is not set");
        const QString datei = m_dir.filePath(QStringLiteral("szenario.json"));
        QFile f(datei);
        if (!m_dir.isValid() || !f.open(QIODevice::WriteOnly) || f.write(QJsonDocument(szenario).toJson()) < 0)
            return QStringLiteral("cannot write %1").arg(datei);
        f.close();
        m_proc.start(programm, QStringList{"--scenario", datei, "--state-dir", m_dir.path()} + weitere);
        if (!m_proc.waitForStarted(5000))
            return QStringLiteral("%1 does not start: %2").arg(programm, m_proc.errorString());
        if (!QTest::qWaitFor([this] { return m_proc.canReadLine() || m_proc.state() != QProcess::Running; }, 5000)
            || !m_proc.canReadLine())
            return QStringLiteral("no device line from the simulator (exit code %1)").arg(m_proc.exitCode());
        m_device = QString::fromLocal8Bit(m_proc.readLine()).trimmed();
        return m_device.startsWith(QLatin1Char('/')) ? QString()
                                                      : QStringLiteral("unexpected first line \"%1\"").arg(m_device);
    }

    QString device() const { return m_device; }

    // The terminal's memory in main-file format.
    QByteArray speicher(int adresse) const
    {
        QFile f(m_dir.filePath(QStringLiteral("terminal-%1.S2D").arg(adresse)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Every byte received so far, from the ab-th on.
    QVector<Byte> verkehr(int ab = 0) const
    {
        QVector<Byte> v;
        QFile f(m_dir.filePath(QStringLiteral("traffic.log")));
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray &zeile : f.readAll().split('\n')) {
                const QList<QByteArray> t = zeile.split(' ');
                if (t.size() == 3)
                    v.append({t[0].toLongLong(), t[1].toInt(), quint8(t[2].toInt(nullptr, 16))});
            }
        return v.mid(ab);
    }

    // The device disappears at once, as when an adapter is pulled.
    void abziehen()
    {
        if (m_proc.state() == QProcess::NotRunning)
            return;
        m_proc.kill();
        m_proc.waitForFinished(5000);
    }

    void stoppen()
    {
        if (m_proc.state() == QProcess::NotRunning)
            return;
        m_proc.terminate();
        if (!m_proc.waitForFinished(3000)) {
            m_proc.kill();
            m_proc.waitForFinished(3000);
        }
    }

private:
    QTemporaryDir m_dir;
    QProcess m_proc;
    QString m_device;
};
