// The port map ports.dat from bytes on disk: the device of every port
// number 1..16, as the port selection and the start-up ask for it.

#include "Fuzzhilfe.h"

#include "base/Pfade.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzzhilfe::start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *daten, size_t groesse)
{
    Fuzzhilfe::leeren();
    const QByteArray inhalt(reinterpret_cast<const char *>(daten), qsizetype(groesse));
    const QString pfad = Pfade::portsDatei();
    FUZZ_PRUEFE(pfad.startsWith(Fuzzhilfe::ordner().path()));
    Fuzzhilfe::schreibe(pfad, inhalt);

    const QList<QByteArray> zeilen = inhalt.split('\n');
    for (int n = 1; n <= 16; ++n) {
        const QString g = Pfade::geraet(n);
        // Every number has a device; a line of the map names it as it stands.
        FUZZ_PRUEFE(!g.isEmpty());
        FUZZ_PRUEFE(g == g.trimmed());
        const QString zeile = n - 1 < zeilen.size() ? QString::fromUtf8(zeilen[n - 1]).trimmed() : QString();
        FUZZ_PRUEFE(zeile.isEmpty() || g == zeile);
    }
    FUZZ_PRUEFE(Pfade::geraet(0).isEmpty());
    FUZZ_PRUEFE(Pfade::geraet(17).isEmpty());
    return 0;
}
