#pragma once
// What every fuzz target shares: the application object, a private folder
// for the files a target writes, splitting one input into several files or
// several answers, and a check that stops the run on a broken property.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace Fuzzhilfe {

// Separates the pieces of one input: files of a file set, answers of a
// sequence. Each target's dictionary holds it, so the fuzzer finds it.
inline const QByteArray Trenner = QByteArrayLiteral("#~#~\n");

// The pieces of an input, in order; an input without a separator is one piece.
inline QList<QByteArray> stuecke(const uint8_t *daten, size_t groesse)
{
    const QByteArray alles(reinterpret_cast<const char *>(daten), qsizetype(groesse));
    QList<QByteArray> liste;
    qsizetype anfang = 0;
    for (;;) {
        const qsizetype ende = alles.indexOf(Trenner, anfang);
        if (ende < 0) {
            liste.append(alles.mid(anfang));
            return liste;
        }
        liste.append(alles.mid(anfang, ende - anfang));
        anfang = ende + Trenner.size();
    }
}

// The folder all files of a run live in: made once, under the system's
// temporary folder, and the program's own folder (PORTAVO_HOME) too, so that
// nothing a target does reaches the user's files.
inline QDir &ordner()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/portavo-fuzz-XXXXXX"));
    static QDir d(dir.path());
    return d;
}

// Removes everything a run left in the folder.
inline void leeren()
{
    QDir &d = ordner();
    for (const QString &name : d.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        if (!d.remove(name))
            QDir(d.filePath(name)).removeRecursively();
}

inline bool schreibe(const QString &pfad, const QByteArray &inhalt)
{
    QFile f(pfad);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(inhalt) == inhalt.size();
}

// One application object for the whole run; PORTAVO_HOME points into the
// private folder.
inline void start(int *argc, char ***argv)
{
    static QCoreApplication *app = nullptr;
    if (app)
        return;
    app = new QCoreApplication(*argc, *argv);
    qputenv("PORTAVO_HOME", ordner().filePath(QStringLiteral("home")).toLocal8Bit());
}

// A property that must hold for every input; the fuzzer keeps the input
// that breaks it.
#define FUZZ_PRUEFE(bedingung)                                                              \
    do {                                                                                    \
        if (!(bedingung)) {                                                                 \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #bedingung); \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

}  // namespace Fuzzhilfe
