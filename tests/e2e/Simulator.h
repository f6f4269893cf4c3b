#pragma once
// Runs portavo-sim (path in PORTAVO_SIM) for one test: writes the scenario,
// starts the simulator and reads the device path from its first line.

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class Simulator {
public:
    Simulator() { m_proc.setProcessChannelMode(QProcess::ForwardedErrorChannel); }
    ~Simulator() { stoppen(); }

    // Empty on success, otherwise why it did not start.
    QString starten(const QJsonObject &szenario, const QStringList &weitere = {})
    {
        const QString programm = qEnvironmentVariable("PORTAVO_SIM");
        if (programm.isEmpty())
            return QStringLiteral("PORTAVO_SIM is not set");
        if (!m_dir.isValid())
            return QStringLiteral("no temporary folder");
        const QString datei = m_dir.filePath(QStringLiteral("szenario.json"));
        QFile f(datei);
        if (!f.open(QIODevice::WriteOnly) || f.write(QJsonDocument(szenario).toJson()) < 0)
            return QStringLiteral("cannot write %1").arg(datei);
        f.close();

        m_proc.start(programm, QStringList{QStringLiteral("--scenario"), datei} + weitere);
        if (!m_proc.waitForStarted(5000))
            return QStringLiteral("%1 does not start: %2").arg(programm, m_proc.errorString());
        QElapsedTimer t;
        t.start();
        while (!m_proc.canReadLine() && m_proc.state() == QProcess::Running && t.elapsed() < 5000)
            QTest::qWait(10);
        if (!m_proc.canReadLine())
            return QStringLiteral("no device line from the simulator (exit code %1)").arg(m_proc.exitCode());
        m_device = QString::fromLocal8Bit(m_proc.readLine()).trimmed();
        if (!m_device.startsWith(QLatin1Char('/')))
            return QStringLiteral("unexpected first line \"%1\"").arg(m_device);
        return {};
    }

    QString device() const { return m_device; }

    // The device disappears at once, as when an adapter is pulled.
    void abziehen()
    {
        if (m_proc.state() == QProcess::NotRunning)
            return;
        QSignalSpy beendet(&m_proc, &QProcess::finished);
        m_proc.kill();
        beendet.wait(5000);
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
