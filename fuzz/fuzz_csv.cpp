// The CSV import: the text parser, and taking the rows into a terminal file
// of each mode. A text that parses is written and must parse alike; a
// refused import changes nothing, a taken one exports as it imports.

#include "Fuzzhilfe.h"

#include "base/Datenbild.h"
#include "termfile/Csvtabelle.h"
#include "termfile/Listenaustausch.h"
#include "termfile/Terminaldatei.h"

namespace {

// The two sample files of the tests, loaded once.
Datenbild g_standard;
Datenbild g_sondercode;

void lade(Datenbild &bild, const char *name)
{
    const QString pfad = QStringLiteral(PORTAVO_TESTDATEN "/") + QLatin1String(name);
    // The files are copied, so that loading creates nothing beside the originals.
    const QString kopie = Fuzzhilfe::ordner().filePath(QLatin1String(name));
    QFile::copy(pfad, kopie);
    QFile::copy(Terminaldatei::basis(pfad) + QStringLiteral(".B2D"), Terminaldatei::basis(kopie) + QStringLiteral(".B2D"));
    FUZZ_PRUEFE(Terminaldatei::laden(bild, kopie, Terminaldatei::Ablage::NurLesen).ok);
}

bool gleich(const Datenbild &a, const Datenbild &b)
{
    return a.Daten == b.Daten && a.Begleittext == b.Begleittext && a.Seitennamen == b.Seitennamen &&
           a.Kundendaten == b.Kundendaten && a.Aenderungszaehler == b.Aenderungszaehler;
}

void importiere(const Datenbild &vorlage, int seite, const QByteArray &csv)
{
    Datenbild bild = vorlage;
    const Listenaustausch::Ergebnis e = Listenaustausch::uebernehmen(bild, seite, csv);
    if (!e.ok) {
        FUZZ_PRUEFE(e.zeile >= 0);
        FUZZ_PRUEFE(!e.meldung.isEmpty());
        FUZZ_PRUEFE(gleich(bild, vorlage));
        return;
    }
    FUZZ_PRUEFE(e.zeilen >= 0);
    // What was taken over exports and imports again without a change.
    const QByteArray export1 = Listenaustausch::exportieren(bild, seite);
    Datenbild wieder = bild;
    const Listenaustausch::Ergebnis e2 = Listenaustausch::uebernehmen(wieder, seite, export1);
    if (!e2.ok)
        std::fprintf(stderr, "%s\n", qPrintable(e2.meldung));
    FUZZ_PRUEFE(e2.ok);
    FUZZ_PRUEFE(Listenaustausch::exportieren(wieder, seite) == export1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzzhilfe::start(argc, argv);
    lade(g_standard, "standard.S2D");
    lade(g_sondercode, "sondercode.S2D");
    FUZZ_PRUEFE(!g_standard.istSondercode() && g_sondercode.istSondercode());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *daten, size_t groesse)
{
    const QByteArray text(reinterpret_cast<const char *>(daten), qsizetype(groesse));

    Csvtabelle::Lesefehler fehler;
    fehler.zeile = -1;
    const QVector<QStringList> saetze = Csvtabelle::lesen(text, &fehler);
    if (fehler.zeile >= 0) {
        FUZZ_PRUEFE(saetze.isEmpty());
        FUZZ_PRUEFE(!fehler.grund.isEmpty());
    } else {
        for (const QStringList &s : saetze)
            FUZZ_PRUEFE(!s.isEmpty());
        Csvtabelle::Lesefehler fehler2;
        fehler2.zeile = -1;
        FUZZ_PRUEFE(Csvtabelle::lesen(Csvtabelle::schreiben(saetze), &fehler2) == saetze);
        FUZZ_PRUEFE(fehler2.zeile == -1);
    }

    importiere(g_standard, 1, text);
    importiere(g_sondercode, 1, text);
    importiere(g_sondercode, 3, text);
    return 0;
}
