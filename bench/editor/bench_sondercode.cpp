// Prints how long the special-code editor takes for its heavy steps on a
// full file set (three pages, every name and customer field filled):
// opening a file straight into the page view, switching page (main file and
// seven companion files of 5001 lines), a search over all 4096 x 7 cells
// that finds nothing, authorizing a group of all 4096 cards, and importing
// a 4096-row CSV.

#include "app/Editorfenster.h"
#include "base/Zustand.h"
#include "support/MeldungAufnahme.h"
#include "termfile/Kartenregeln.h"
#include "termfile/Listenaustausch.h"
#include "termfile/Terminaldatei.h"
#include "termfile/Uebergabe.h"
#include "app/Listenmodell.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> werte)
{
    std::sort(werte.begin(), werte.end());
    return werte[werte.size() / 2];
}

double ms(const QElapsedTimer &t) { return t.nsecsElapsed() / 1e6; }

void zeige(const char *was, const std::vector<double> &werte, const char *ziel)
{
    std::printf("%s: median %.2f ms, max %.2f ms (goal < %s)\n", was, median(werte),
                *std::max_element(werte.begin(), werte.end()), ziel);
}

}  // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString basis = dir.filePath(QStringLiteral("VOLL"));

    Datenbild b;
    b.setzeByte(0, 5);
    b.setzeByte(1, 0x14);
    b.setzeByte(2, 0x81);
    b.setzeByte(3, 4);
    b.setzeByte(4, 4);
    for (int i = 512; i < 2048; ++i)
        b.setzeByte(i, (i * 37) & 0xFF);
    for (int seite = 1; seite <= 3; ++seite) {
        for (int k = 0; k <= 5000; ++k) {
            Kartenregeln::namen(b, seite)[k] = QStringLiteral("Mitarbeiterin %1 Beispiel").arg(k);
            for (int feld = 0; feld < 6; ++feld)
                b.Kundendaten[seite - 1][feld][k] = QStringLiteral("Feld %1 Karte %2").arg(feld).arg(k);
        }
        Terminaldatei::schreibeHauptdatei(b, Terminaldatei::hauptdateiname(basis, seite));
        Terminaldatei::schreibeBegleitdatei(Terminaldatei::namensdateiname(basis, seite),
                                            Kartenregeln::namen(b, seite), 5000);
        for (int feld = 0; feld < 6; ++feld)
            Terminaldatei::schreibeBegleitdatei(Terminaldatei::kundendateiname(basis, seite, feld),
                                                b.Kundendaten[seite - 1][feld], 5000);
    }

    Zustand z;
    MeldungAufnahme m;
    m.setStandardantwort(Meldung::Nein);
    std::vector<double> oeffnen, wechsel, suche, gruppe, csv;
    const QByteArray csvText = Listenaustausch::exportieren(b, 1);
    for (int lauf = 0; lauf < 9; ++lauf) {
        QElapsedTimer t;
        t.start();
        Editorfenster editor(z, m);
        editor.oeffne(Terminaldatei::hauptdateiname(basis, 1));
        editor.findChild<QCheckBox *>(QStringLiteral("Check12000"))->setChecked(true);
        editor.karten12000(true);
        editor.seiteWaehlen(1);
        editor.show();
        QCoreApplication::processEvents();
        oeffnen.push_back(ms(t));

        t.restart();
        editor.seiteWaehlen(lauf % 2 ? 2 : 3);
        QCoreApplication::processEvents();
        wechsel.push_back(ms(t));

        // A search through every name and customer cell of the page view.
        Listenmodell *modell = editor.listenmodell(1);
        t.restart();
        const auto text = [modell](int zeile, int spalte) { return modell->zelltext(zeile, spalte); };
        const bool gefunden = Kartenregeln::suche(text, modell->rowCount(), {1, 2, 3, 4, 5, 6, 7}, 3,
                                                  QStringLiteral("nirgends")).has_value();
        suche.push_back(ms(t));
        if (gefunden)
            std::printf("unexpected match\n");

        Uebergabe u;
        u.Gruppenanfang = 0;
        u.Eintragsnummer = 4095;
        t.restart();
        Kartenregeln::berechtigen(z.bild, u, 1, {true, true, false}, std::nullopt);
        modell->markiereAngenommen(3, 4098);
        QCoreApplication::processEvents();
        gruppe.push_back(ms(t));

        Datenbild ziel = z.bild;
        t.restart();
        const Listenaustausch::Ergebnis e = Listenaustausch::uebernehmen(ziel, 1, csvText);
        csv.push_back(ms(t));
        if (!e.ok || e.zeilen != 4096)
            std::printf("import failed: %s\n", qPrintable(e.meldung));
        z.bild.Aenderungszaehler = 0;
    }
    zeige("open a special-code file in the page view", oeffnen, "100 ms");
    zeige("switch page (main file + 7 files of 5001 lines)", wechsel, "100 ms");
    zeige("search all 4096 x 7 cells without a match", suche, "20 ms");
    zeige("authorize a group of 4096 cards (and redraw)", gruppe, "50 ms");
    zeige("check and take over a 4096-row CSV", csv, "200 ms");
    return 0;
}
