// A terminal file's printed pages as positioned text: sections, continued grids, card print, no blank pages.
#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "base/Datenbild.h"
#include "base/Texttabelle.h"
#include "termfile/Drucklayout.h"

#include <QTest>

#include <memory>

namespace {

const QDateTime Zeitpunkt(QDate(2026, 12, 5), QTime(14, 30, 59));
const QString Datei = QStringLiteral("/daten/kunde/TUER1.S2D");
const int Zeile = Drucklayout::Gitterzeile;

Drucklayout layout(const Datenbild &b, int sprache = 0, int seite = 1)
{
    QVector<QString> namen(256);
    for (int p = 0; p <= 7; ++p)
        namen[p] = Texttabelle::text(125 + p);
    return Drucklayout(Druckinhalt::ausBild(b, Datei, sprache, namen, seite), Zeitpunkt);
}

// Standard image, the tracks evaluated with these lengths in digits (0: not), lists laid afresh.
std::unique_ptr<Datenbild> standardbild(int spur2, int spur31 = 0)
{
    auto b = std::make_unique<Datenbild>();
    b->setzeFlag(Flag::Spur2Auswerten, spur2 > 0), b->setzeFlag(Flag::Spur31Auswerten, spur31 > 0);
    b->setzeDatenlaenge(Spur::Spur2, spur2), b->setzeDatenlaenge(Spur::Spur31, spur31);
    b->legeListenbereichNeuAn();
    return b;
}

// The line of an item (-1: not on the page) and the value printed right of a label.
int y(const Druckseite &s, const QString &text) { return s.finde(text) ? s.finde(text)->y : -1; }
QString wertNeben(const Druckseite &s, const QString &bezeichnung)
{
    const Druckelement *b = s.finde(bezeichnung);
    for (const Druckelement &e : s.elemente)
        if (b && e.y == b->y && e.x > b->x)
            return e.text;
    return QStringLiteral("(%1 fehlt)").arg(bezeichnung);
}

bool hatKopf(const Druckseite &s) { return y(s, Texttabelle::text(274) + Datei) == Drucklayout::Kopfy; }

// Items of a page above the foot, the lowest last.
QVector<Druckelement> ohneFuss(const Druckseite &s)
{
    QVector<Druckelement> v;
    for (const Druckelement &e : s.elemente)
        if (e.y != Drucklayout::Fussy)
            v.append(e);
    std::stable_sort(v.begin(), v.end(), [](const Druckelement &a, const Druckelement &b) { return a.y < b.y; });
    return v;
}

QString keine() { return Texttabelle::text(310); }  // the line closing a list
QString spaltenkopf() { return Texttabelle::text(330).section(QLatin1Char('|'), 0, 0); }

}  // namespace

class TstDrucklayout : public QObject {
    Q_OBJECT
private slots:
    void langesGitterGehtAufFolgeseitenWeiter()
    {
        // Arrangement 2 with one byte per entry: list 1 has 1774 slots.
        auto b = standardbild(2);
        b->Begleittext[34] = "letzte auf Seite 1", b->Begleittext[35] = "erste auf Seite 2", b->Begleittext[1773] = "ganz am Ende";
        const QVector<Druckseite> seiten = layout(*b).teil(Druckteil::Berechtigungen);
        // Page 1: count row and 35 entries; 40 pages of 43 rows, 19 rows; the empty track-3/1 list.
        QVERIFY(seiten.size() == 1 + 41 + 1 && hatKopf(seiten[42]) && y(seiten[42], keine()) == Drucklayout::Gittery);
        const Druckseite e = layout(*b).teil(Druckteil::Grundeinstellungen).value(0);  // track 3/1 not evaluated
        QCOMPARE(wertNeben(e, "Datenlänge Spur 2: ") + '|' + wertNeben(e, "Datenlänge Spur 3/1: "), QStringLiteral("2|----"));
        QVERIFY(hatKopf(seiten[0]) && y(seiten[0], spaltenkopf()) == Drucklayout::Gittery
                && y(seiten[0], "Anzahl(max)   1774") == Drucklayout::Gittery + Zeile);
        const Druckelement letzte = ohneFuss(seiten[0]).constLast();
        QVERIFY(letzte.text == "letzte auf Seite 1" && letzte.y + Zeile >= Drucklayout::Gittergrenze);
        // Further pages: no page head, the column heads again, the next row.
        for (int i = 1; i < 41; ++i) {
            QVERIFY(!hatKopf(seiten[i]) && seiten[i].nummer == i + 1 && seiten[i].finde(QStringLiteral("- Seite %1 -").arg(i + 1)));
            QVERIFY(y(seiten[i], spaltenkopf()) == Drucklayout::Folgeseitey && ohneFuss(seiten[i]).size() == 2 + 43 * 2);
        }
        QVERIFY(y(seiten[1], "00") == Drucklayout::Folgeseitey + Zeile && wertNeben(seiten[1], "00") == "erste auf Seite 2");
        // The last page of the grid: 19 rows, then the closing line.
        QCOMPARE(y(seiten[41], "ganz am Ende"), Drucklayout::Folgeseitey + 19 * Zeile);
        QVERIFY(ohneFuss(seiten[41]).constLast().text == keine() && y(seiten[41], keine()) == Drucklayout::Folgeseitey + 20 * Zeile);
        QCOMPARE(Drucklayout::fusszeit(Zeitpunkt, 1000), QStringLiteral("12-05-2026    14:30"));  // month first in English
    }

    void sondercodeKartenDreispaltig()
    {
        auto b = std::make_unique<Datenbild>();
        b->setzeFlag(Flag::Sondercodemodus, true), b->setzeFlag(Flag::Spur2Auswerten, true);
        b->einstellungenAnzeigen(), b->setzeSystemnummer(531);
        for (const auto &[karte, zone] : {std::pair{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 3}, {4095, 2}})
            b->setzeZeitzone(karte, zone, true);
        const QString lang = QStringLiteral("Friederike von Hohenstein-Waldburg, Lichtenau Nord");
        b->Begleittext[1] = "Meier", b->Begleittext[4] = lang, b->Seitennamen[0][5] = "Seite-2-Name";
        const QVector<Druckseite> seiten = layout(*b).teil(Druckteil::Berechtigungen);
        // Page 1: count, system row, 34 lines of three cards; 30 pages of 43 lines, 124 cards; empty grid.
        const Druckseite &s1 = seiten[0];
        const int erste = Drucklayout::Gittery + 3 * Zeile;
        QCOMPARE(y(s1, "System:  >>>>0531<<<<<<<<<<"), erste - Zeile);
        for (const char *k : {">0000 Gesperrt", ">0001 Berechtigt", ">0002 Zeitzone 13", "Meier"})
            QVERIFY2(y(s1, k) == erste, k);
        QVERIFY(y(s1, ">0101 Gesperrt") == erste + 33 * Zeile && s1.finde(">0002 Zeitzone 13")->x == Drucklayout::Kartenspalten[2]);
        QVERIFY(!s1.finde(">0102 Gesperrt") && !s1.finde(Leerzeile));  // an empty name slot stays blank
        // A long name keeps its text and its line's height: set smaller or wrapped, not cut.
        const Druckelement *langer = s1.finde(lang);
        QVERIFY(langer && langer->hoehe == Zeile && langer->x + langer->breite <= Drucklayout::Kartenspalten[2]);
        QCOMPARE(y(seiten[1], ">0102 Gesperrt"), Drucklayout::Folgeseitey + Zeile);
        QVERIFY(seiten.size() == 33 && y(seiten[31], keine()) == y(seiten[31], ">4095 Zeitzone 2") + Zeile);
        QCOMPARE(y(seiten[32], keine()), Drucklayout::Gittery);  // the empty track-3/1 grid
        // Page 2 goes into grid 1 with its own names, whatever track is on.
        b->setzeFlag(Flag::Spur2Auswerten, false), b->setzeFlag(Flag::Spur31Auswerten, true);
        const QVector<Druckseite> zwei = layout(*b, 0, 2).teil(Druckteil::Berechtigungen);
        QVERIFY(zwei.size() == 33 && wertNeben(zwei[0], "B 0005 Gesperrt") == "Seite-2-Name" && !zwei[0].finde("Meier"));
        // Page 1 with track 3/1: the cards move to the second grid.
        const QVector<Druckseite> andere = layout(*b).teil(Druckteil::Berechtigungen);
        QVERIFY(andere.size() == 33 && andere[0].finde(keine()) && andere[1].finde(">0001 Berechtigt"));
    }

    void langerTextWirdEingepasst_data()
    {
        // 10 twips per point and character, lines 23 twips per point apart: at 8 points 22
        // characters fill 1800 twips; two lines fit into 300 twips from 6.5 points down.
        spalten<QString, int, qreal, QStringList>("text", "hoehe", "groesse", "zeilen");
        const QString m22(22, QLatin1Char('M')), zwei = "Friederike Hohenstein Waldburg Lichtenau";
        QTest::newRow("genau breit genug") << m22 << 300 << 8.0 << QStringList{m22};
        QTest::newRow("zwei Zeilen") << zwei << 300 << 6.5 << QStringList{"Friederike Hohenstein", "Waldburg Lichtenau"};
        QTest::newRow("ein Wort bricht") << "Hohensteinwaldburglichtenauerstrasse" << 300 << 6.5 << QStringList{"Hohensteinwaldburglichtenau", "erstrasse"};
        QTest::newRow("mehr Hoehe") << zwei + " Nord" << 450 << 7.5 << QStringList{"Friederike Hohenstein", "Waldburg Lichtenau Nord"};
        QTest::newRow("zu lang: der Rest auf der letzten Zeile")
            << "Eine sehr lange Bezeichnung, die auch in kleiner Schrift auf zwei Zeilen nicht passt" << 300 << 5.0
            << QStringList{"Eine sehr lange Bezeichnung, die", "auch in kleiner Schrift auf zwei Zeilen nicht passt"};
        QTest::newRow("ohne Hoehe") << zwei << 0 << 8.0 << QStringList{zwei};
    }
    void langerTextWirdEingepasst()
    {
        const auto [text, hoehe, groesse, zeilen] = werte<QString, int, qreal, QStringList>("text", "hoehe", "groesse", "zeilen");
        const Druckelement e{text, 0, 0, 8, false, QStringLiteral("arial"), 1800, hoehe};
        const auto satz = e.setze([](const QString &t, qreal g) { return t.size() * g * 10; }, [](qreal g) { return g * 23; });
        QVERIFY2(satz.groesse == groesse && satz.zeilen == zeilen, qPrintable(QString::number(satz.groesse) + ':' + satz.zeilen.join('|')));
    }
};

PORTAVO_TESTKLASSE(TstDrucklayout)
#include "tst_drucklayout.moc"
