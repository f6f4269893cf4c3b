// The terminal file set from bytes on disk: the pieces of the input become
// the main file, its names file and customer files of page 1, and the main
// and names file of page 2, in a private folder. The set is loaded the ways
// the editor and the command line load it; its lists are exported and the
// export must be taken back unchanged.
//
// Pieces (separated by Fuzzhilfe::Trenner): 0 T.S2D, 1 T.B2D, 2..7 T.V2D
// T.P2D T.O2D T.R2D T.T2D T.M2D, 8 T.S3D, 9 T.B3D. A raw main file alone is
// a valid input.

#include "Fuzzhilfe.h"

#include "base/Datenbild.h"
#include "termfile/Listenaustausch.h"
#include "termfile/Terminaldatei.h"

#include <QFileInfo>

namespace {

// Copies of an empty image share its big text arrays until they change.
const Datenbild &leeresBild()
{
    static const Datenbild leer;
    return leer;
}

QString pfadFuer(const QString &basis, int stueck)
{
    if (stueck == 0)
        return Terminaldatei::hauptdateiname(basis, 1);
    if (stueck == 1)
        return Terminaldatei::namensdateiname(basis, 1);
    if (stueck <= 7)
        return Terminaldatei::kundendateiname(basis, 1, stueck - 2);
    if (stueck == 8)
        return Terminaldatei::hauptdateiname(basis, 2);
    if (stueck == 9)
        return Terminaldatei::namensdateiname(basis, 2);
    return QString();
}

// A main file that parses is written back and must read as the same bytes.
void hauptdateiHinUndZurueck(const QByteArray &inhalt)
{
    Terminaldatei::Speicherbytes bytes{};
    bytes.fill(-1);
    const Terminaldatei::Speicherbytes vorher = bytes;
    if (!Terminaldatei::parseHauptdatei(inhalt, bytes)) {
        FUZZ_PRUEFE(bytes == vorher);  // a refused file leaves the target alone
        return;
    }
    Datenbild bild = leeresBild();
    for (int i = 0; i < Bildgroesse; ++i) {
        FUZZ_PRUEFE(bytes[size_t(i)] >= 0 && bytes[size_t(i)] <= 255);
        bild.Daten[size_t(i)] = bytes[size_t(i)];
    }
    Terminaldatei::Speicherbytes wieder{};
    FUZZ_PRUEFE(Terminaldatei::parseHauptdatei(Terminaldatei::hauptdateitext(bild), wieder).ok);
    FUZZ_PRUEFE(wieder == bytes);
}

// Lines read from a companion file are written back and read again alike
// (a line break inside a line is written as a blank).
void begleitdateiHinUndZurueck(const QString &pfad)
{
    QVector<QString> zeilen(Textobergrenze + 1, Leerzeile);
    const int n = Terminaldatei::leseBegleitdatei(pfad, zeilen, Textobergrenze, 0,
                                                  Terminaldatei::Ablage::NurLesen);
    FUZZ_PRUEFE(n >= 0 && n <= Textobergrenze + 1);
    FUZZ_PRUEFE(zeilen.size() == Textobergrenze + 1);
    if (n == 0)
        return;
    const QString zurueck = Fuzzhilfe::ordner().filePath(QStringLiteral("zurueck.txt"));
    FUZZ_PRUEFE(Terminaldatei::schreibeBegleitdatei(zurueck, zeilen, n - 1).ok);
    QVector<QString> wieder(Textobergrenze + 1, Leerzeile);
    FUZZ_PRUEFE(Terminaldatei::leseBegleitdatei(zurueck, wieder, Textobergrenze, 0,
                                                Terminaldatei::Ablage::NurLesen) == n);
    for (int i = 0; i < n; ++i) {
        QString erwartet = zeilen[i];
        erwartet.replace(QLatin1Char('\r'), QLatin1Char(' '));
        FUZZ_PRUEFE(wieder[i] == erwartet);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzzhilfe::start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *daten, size_t groesse)
{
    Fuzzhilfe::leeren();
    const QList<QByteArray> stuecke = Fuzzhilfe::stuecke(daten, groesse);
    const QString basis = Fuzzhilfe::ordner().filePath(QStringLiteral("T"));
    for (int i = 0; i < stuecke.size(); ++i) {
        const QString pfad = pfadFuer(basis, i);
        if (!pfad.isEmpty())
            Fuzzhilfe::schreibe(pfad, stuecke[i]);
    }

    hauptdateiHinUndZurueck(stuecke[0]);
    if (stuecke.size() > 1)
        begleitdateiHinUndZurueck(pfadFuer(basis, 1));

    // The read-only load of the command line: nothing may appear in the folder.
    const int dateienVorher = int(Fuzzhilfe::ordner().entryList(QDir::Files).size());
    Datenbild bild = leeresBild();
    const Dateiergebnis geladen =
        Terminaldatei::laden(bild, Terminaldatei::hauptdateiname(basis, 1), Terminaldatei::Ablage::NurLesen);
    FUZZ_PRUEFE(geladen.ok == geladen.meldung.isEmpty());
    int seite = 1;
    if (geladen) {
        Terminaldatei::ladeSeitendateien(bild, basis, 1, Terminaldatei::Ablage::NurLesen);
        if (Terminaldatei::ladeSeite(bild, basis, 2, Terminaldatei::Ablage::NurLesen))
            seite = 2;
    }
    FUZZ_PRUEFE(int(Fuzzhilfe::ordner().entryList(QDir::Files).size()) == dateienVorher);
    FUZZ_PRUEFE(bild.Begleittext.size() == Textobergrenze + 1);

    if (geladen) {
        // What the lists hold is exported and taken back: nothing refused,
        // nothing changed.
        const QByteArray csv = Listenaustausch::exportieren(bild, seite);
        Datenbild kopie = bild;
        const Listenaustausch::Ergebnis e = Listenaustausch::uebernehmen(kopie, seite, csv);
        if (!e.ok)
            std::fprintf(stderr, "%s\n", qPrintable(e.meldung));
        FUZZ_PRUEFE(e.ok);
        FUZZ_PRUEFE(Listenaustausch::exportieren(kopie, seite) == csv);
    }

    // The editor's load creates the companion files that are missing.
    Datenbild editor = leeresBild();
    if (Terminaldatei::laden(editor, Terminaldatei::hauptdateiname(basis, 1))) {
        FUZZ_PRUEFE(QFileInfo::exists(Terminaldatei::namensdateiname(basis, 1)));
        Terminaldatei::ladeSeitendateien(editor, basis, 1);
    }
    return 0;
}
