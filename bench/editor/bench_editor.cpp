// Prints how long the editor takes to open on a full standard-mode terminal
// file (all four lists, one-byte entries: the most rows there can be, and a
// comment on every entry), and to rebuild all lists after a settings change.

#include "support/MeldungAufnahme.h"
#include "base/Zustand.h"
#include "termfile/Einstellungsregeln.h"
#include "termfile/Terminaldatei.h"
#include "app/Editorfenster.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTabWidget>
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

}  // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;

    // Arrangement 7 with one byte per entry on both tracks: 1768 entries.
    Zustand z;
    Datenbild &b = z.bild;
    b.setzeByte(0, 5);
    b.setzeByte(1, 0x54);
    b.setzeByte(2, 0x03);
    b.setzeByte(3, 1);
    b.setzeByte(4, 1);
    for (int i = 16; i < 272; ++i)
        b.setzeByte(i, 'A' + i % 26);
    for (int i = 272; i < 2048; ++i)
        b.setzeByte(i, i & 0xFF);
    for (int k = 0; k <= 2000; ++k)
        b.Begleittext[k] = QStringLiteral("Karte %1 Mitarbeiterin Beispiel").arg(k);
    b.Begleittextgrenze = 2000;
    const QString pfad = dir.filePath(QStringLiteral("VOLL.S2D"));
    Terminaldatei::speichernUnter(b, pfad);

    MeldungAufnahme m;
    m.setStandardantwort(Meldung::Ok);
    std::vector<double> oeffnen;
    std::vector<double> neuaufbau;
    int eintraege = 0;
    for (int lauf = 0; lauf < 15; ++lauf) {
        QElapsedTimer t;
        t.start();
        Editorfenster editor(z, m);
        editor.oeffne(pfad);
        editor.show();
        QCoreApplication::processEvents();
        oeffnen.push_back(t.nsecsElapsed() / 1e6);
        eintraege = z.bild.Listenanzahl[0] + z.bild.Listenanzahl[1] + z.bild.Listenanzahl[2]
            + z.bild.Listenanzahl[3];

        // The grids on show while they are rebuilt.
        editor.findChild<QTabWidget *>(QStringLiteral("SSTab1"))->setCurrentIndex(1);
        QCoreApplication::processEvents();

        // A settings change: an option press, settings shown again, all
        // four grids rebuilt and drawn.
        for (int i = 0; i < 10; ++i) {
            QElapsedTimer r;
            r.start();
            Einstellungsregeln::optionGedrueckt(z, m, Einstellungsregeln::Option::Summer, i % 2 == 0);
            editor.zeigeEinstellungen();
            editor.baueListenNeu();
            QCoreApplication::processEvents();
            neuaufbau.push_back(r.nsecsElapsed() / 1e6);
        }
        z.bild.Aenderungszaehler = 0;
        editor.hide();
    }
    std::printf("editor: %d list entries with comments\n", eintraege);
    std::printf("open editor on a full standard-mode file: median %.2f ms, max %.2f ms (goal < 50 ms)\n",
                median(oeffnen), *std::max_element(oeffnen.begin(), oeffnen.end()));
    std::printf("rebuild all lists after a settings change: median %.2f ms, max %.2f ms (goal < 20 ms)\n",
                median(neuaufbau), *std::max_element(neuaufbau.begin(), neuaufbau.end()));
    return 0;
}
