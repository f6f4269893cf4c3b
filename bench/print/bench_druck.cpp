// Printing a full special-code file: 4096 card rows, every card with a
// name, laid out (all four sections) and written as a PDF. Prints the
// time of each step; runs without a display (offscreen platform).

#include "base/Datenbild.h"
#include "base/Texttabelle.h"
#include "print/Seitenmaler.h"
#include "termfile/Drucklayout.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    auto bild = std::make_unique<Datenbild>();
    bild->setzeFlag(Flag::Sondercodemodus, true);
    bild->setzeFlag(Flag::Spur2Auswerten, true);
    bild->einstellungenAnzeigen();
    bild->setzeSystemnummer(531);
    for (int c = 0; c < 4096; ++c) {
        for (int zone = 1; zone <= 3; ++zone)
            bild->setzeZeitzone(c, zone, (c >> (zone - 1)) & 1);
        bild->Begleittext[c] = QStringLiteral("Mitarbeiter Nr. %1 Müller-Lüdenscheidt").arg(c);
    }
    QVector<QString> namen(256);
    for (int p = 0; p <= 7; ++p)
        namen[p] = Texttabelle::text(125 + p);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("sondercode.pdf"));
    constexpr int Runden = 5;
    qint64 besterLayout = -1, besterPdf = -1, besterGesamt = -1;
    int seitenzahl = 0;
    for (int r = 0; r < Runden; ++r) {
        QElapsedTimer uhr;
        uhr.start();
        const Drucklayout layout(Druckinhalt::ausBild(*bild, QStringLiteral("/daten/SONDER.S2D"), 0, namen),
                                 QDateTime(QDate(2026, 12, 5), QTime(14, 30)));
        const QVector<Druckseite> seiten = layout.alles();
        const qint64 tLayout = uhr.nsecsElapsed();
        QString fehler;
        if (!Seitenmaler::schreibePdf(seiten, pdf, QStringLiteral("bench"), &fehler)) {
            std::fprintf(stderr, "PDF failed: %s\n", qPrintable(fehler));
            return 1;
        }
        const qint64 tGesamt = uhr.nsecsElapsed();
        seitenzahl = int(seiten.size());
        const auto min = [](qint64 &b, qint64 t) { b = b < 0 ? t : qMin(b, t); };
        min(besterLayout, tLayout);
        min(besterPdf, tGesamt - tLayout);
        min(besterGesamt, tGesamt);
    }
    std::printf("special-code file, 4096 card rows, all sections: %d pages, PDF %lld bytes\n", seitenzahl,
                static_cast<long long>(QFileInfo(pdf).size()));
    std::printf("best of %d: layout %.1f ms, PDF %.1f ms, together %.1f ms\n", Runden, besterLayout / 1e6,
                besterPdf / 1e6, besterGesamt / 1e6);
    return 0;
}
