// The settings file Portavomodem.ini from bytes on disk. What reads as a
// settings file is written back and must read as the same settings.

#include "Fuzzhilfe.h"

#include "base/Einstellungsdatei.h"
#include "base/Zustand.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzzhilfe::start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *daten, size_t groesse)
{
    Fuzzhilfe::leeren();
    const QString pfad = Fuzzhilfe::ordner().filePath(QStringLiteral("Portavomodem.ini"));
    Fuzzhilfe::schreibe(pfad, QByteArray(reinterpret_cast<const char *>(daten), qsizetype(groesse)));

    const std::optional<Einstellungen> e = Einstellungsdatei::lesen(pfad);
    if (!e)
        return 0;
    FUZZ_PRUEFE(e->Portnummer >= 1 && e->Portnummer <= 16);
    // A copy of one made before shares its big text arrays until they change.
    static const Zustand leer;
    Zustand z = leer;
    Einstellungsdatei::uebernehmen(z, *e);
    FUZZ_PRUEFE(z.sprache.versatz == 0 || z.sprache.versatz == 1000 || z.sprache.versatz == 2000 || z.sprache.versatz == 3000);

    // Written back by the start window, the file reads as the same settings
    FUZZ_PRUEFE(Einstellungsdatei::schreibe(pfad, z, e->Portnummer));
    const std::optional<Einstellungen> wieder = Einstellungsdatei::lesen(pfad);
    FUZZ_PRUEFE(wieder.has_value());
    FUZZ_PRUEFE(wieder->Portnummer == e->Portnummer);
    FUZZ_PRUEFE(wieder->Leitung == QStringLiteral("19200,n,8,1"));
    FUZZ_PRUEFE(wieder->ModemText1 == e->ModemText1);
    FUZZ_PRUEFE(wieder->ModemText2 == e->ModemText2);
    FUZZ_PRUEFE(wieder->SpracheText == e->SpracheText);
    return 0;
}
