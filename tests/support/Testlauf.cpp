#include "support/Testlauf.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#if defined(PORTAVO_TEST_WIDGETS)
#include <QApplication>
using Programm = QApplication;
#else
#include <QGuiApplication>
using Programm = QGuiApplication;
#endif

namespace {
std::vector<std::pair<const char *, Testlauf::Erzeuger>> &klassen()
{
    static std::vector<std::pair<const char *, Testlauf::Erzeuger>> liste;
    return liste;
}
}  // namespace

int Testlauf::anmelden(const char *name, Erzeuger erzeugen)
{
    klassen().emplace_back(name, erzeugen);
    return int(klassen().size());
}

int main(int argc, char **argv)
{
    // Run by hand, a test never touches the user's own files (settings, backups, port map): without
    // PORTAVO_HOME (ctest sets one per class) everything the program keeps goes into a folder of its own.
    QTemporaryDir heim;
    if (qEnvironmentVariableIsEmpty("PORTAVO_HOME"))
        qputenv("PORTAVO_HOME", heim.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Programm app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    auto &liste = klassen();
    std::sort(liste.begin(), liste.end(),
              [](const auto &a, const auto &b) { return std::strcmp(a.first, b.first) < 0; });

    if (argc > 1 && std::strcmp(argv[1], "-klassen") == 0) {
        for (const auto &k : liste)
            std::printf("%s\n", k.first);
        return 0;
    }

    // A class named first runs alone and gets the rest of the arguments.
    const char *gewaehlt = nullptr;
    std::vector<char *> args(argv, argv + argc);
    if (argc > 1) {
        const auto it = std::find_if(liste.begin(), liste.end(),
                                     [&](const auto &k) { return std::strcmp(k.first, argv[1]) == 0; });
        if (it != liste.end()) {
            gewaehlt = it->first;
            args.erase(args.begin() + 1);
        } else if (argv[1][0] != '-') {
            std::fprintf(stderr, "unknown test class: %s (-klassen lists them)\n", argv[1]);
            return 2;
        }
    }

    int fehler = 0;
    for (const auto &k : liste) {
        if (gewaehlt && k.first != gewaehlt)
            continue;
        std::unique_ptr<QObject> test(k.second());
        fehler += QTest::qExec(test.get(), int(args.size()), args.data());
    }
    return fehler == 0 ? 0 : 1;
}
