#pragma once
// The one way the tests run portavo-cli (path from PORTAVO_CLI): to the end,
// or started and read from while it runs.

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

#include <csignal>
#include <functional>

struct Kommandolauf {
    int status = -1;  // -1: did not end normally within the limit
    QString aus, fehler;
    QJsonObject json() const { return QJsonDocument::fromJson(aus.toUtf8()).object(); }
};

struct Kommandooptionen {
    QString ordner;  // working folder (empty: inherited)
    QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
    std::function<void()> imKind;  // runs in the child before the program (limits)
};

inline QString kommandoProgramm() { return qEnvironmentVariable("PORTAVO_CLI"); }

inline Kommandolauf kommando(const QStringList &args, const Kommandooptionen &o = {})
{
    QProcess p;
    p.setWorkingDirectory(o.ordner);
    p.setProcessEnvironment(o.umgebung);
    if (o.imKind)
        p.setChildProcessModifier(o.imKind);
    p.start(kommandoProgramm(), args);
    p.closeWriteChannel();
    Kommandolauf l;
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
        l.status = p.exitCode();
    p.kill();
    p.waitForFinished(5000);
    l.aus = QString::fromUtf8(p.readAllStandardOutput());
    l.fehler = QString::fromUtf8(p.readAllStandardError());
    return l;
}

// "@/" in the arguments stands for the folder `ordner`.
inline QStringList imOrdner(QStringList args, const QString &ordner)
{
    for (QString &s : args)
        s.replace(QLatin1String("@/"), ordner + QLatin1Char('/'));
    return args;
}

// Checks of a command's output: "TEXT" contained, "!TEXT" not contained,
// "=TEXT" the whole text, "^TEXT" its start. A failed check fails the test.
inline void kommandoPruefen(const QString &text, const QStringList &pruefungen)
{
    for (const QString &p : pruefungen) {
        const QString rest = p.mid(1);
        const bool ok = p.startsWith('=')   ? text == rest
                        : p.startsWith('!') ? !text.contains(rest)
                        : p.startsWith('^') ? text.startsWith(rest)
                                            : text.contains(p);
        QVERIFY2(ok, qPrintable(p + QStringLiteral("\n--- in:\n") + text));
    }
}

// A command that keeps running (test mode, monitor), killed when the object goes.
struct LaufendesKommando {
    QProcess p;
    QString aus, err;

    explicit LaufendesKommando(const QStringList &args, const QString &ordner = {},
                               const QProcessEnvironment &umgebung = QProcessEnvironment::systemEnvironment())
    {
        p.setWorkingDirectory(ordner);
        p.setProcessEnvironment(umgebung);
        p.start(kommandoProgramm(), args);
    }
    ~LaufendesKommando()
    {
        p.kill();
        p.waitForFinished(5000);
    }
    QStringList zeilen()
    {
        aus += QString::fromUtf8(p.readAllStandardOutput());
        return aus.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // Ctrl-C; the exit status (-1: no normal end).
    int unterbrechen()
    {
        ::kill(pid_t(p.processId()), SIGINT);
        return ende();
    }
    int ende()
    {
        const bool normal = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit;
        zeilen();
        return normal ? p.exitCode() : -1;
    }
    QString fehler() { return err += QString::fromUtf8(p.readAllStandardError()); }
    // The process holds the device open (one of its descriptors leads there).
    bool haelt(const QString &geraet) const
    {
        const QString ziel = QFileInfo(geraet).canonicalFilePath();
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(p.processId()));
        for (const QFileInfo &fd : fds.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot))
            if (fd.symLinkTarget() == ziel)
                return true;
        return false;
    }
};
