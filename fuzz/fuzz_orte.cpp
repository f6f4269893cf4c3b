// orte.dat, the location names of the ports, from bytes on disk. The names
// read are written back and must read alike.

#include "Fuzzhilfe.h"

#include "link/Schnittstellenwahl.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzzhilfe::start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *daten, size_t groesse)
{
    Fuzzhilfe::leeren();
    const QString pfad = Fuzzhilfe::ordner().filePath(QStringLiteral("orte.dat"));
    Fuzzhilfe::schreibe(pfad, QByteArray(reinterpret_cast<const char *>(daten), qsizetype(groesse)));

    const QStringList orte = Schnittstellenwahl::leseOrte(pfad);
    FUZZ_PRUEFE(orte.size() == Schnittstellenwahl::Ports);
    FUZZ_PRUEFE(Schnittstellenwahl::schreibeOrte(pfad, orte));
    const QStringList wieder = Schnittstellenwahl::leseOrte(pfad);
    FUZZ_PRUEFE(wieder.size() == Schnittstellenwahl::Ports);
    for (int i = 0; i < Schnittstellenwahl::Ports; ++i) {
        // A line break inside a name is written as a blank.
        QString erwartet = orte[i];
        erwartet.replace(QLatin1Char('\r'), QLatin1Char(' '));
        FUZZ_PRUEFE(wieder[i] == erwartet);
    }
    return 0;
}
