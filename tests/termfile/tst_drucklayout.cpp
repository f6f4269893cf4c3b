// The printed pages of a terminal file as positioned text: page head and
// foot, the four sections, grids continued over pages, the special-code
// card print and the absence of blank pages.

#include "support/Testlauf.h"
#include "base/Datenbild.h"
#include "base/Texttabelle.h"
#include "termfile/Drucklayout.h"
#include "termfile/Terminaldatei.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QDateTime Zeitpunkt(QDate(2026, 12, 5), QTime(14, 30, 59));
const QString Datei = QStringLiteral("/daten/kunde/TUER1.S2D");

QVector<QString> protokollnamen()
{
    QVector<QString> namen(256);
    for (int p = 0; p <= 7; ++p)
        namen[p] = Texttabelle::text(125 + p);
    return namen;
}

std::unique_ptr<Datenbild> standardbild()
{
    auto b = std::make_unique<Datenbild>();
    b->setzeByte(Adresse::Tueroeffnungszeit, 7);
    b->setzeFlag(Flag::TueroeffnerMitSummer, true);
    b->setzeFlag(Flag::Spur2Auswerten, true);
    b->setzeDatenlaenge(Spur::Spur2, 21);
    b->setzeByte(Adresse::Busadresse, 42);
    b->setzeByte(Adresse::Protokoll, 1);
    b->legeListenbereichNeuAn();
    b->einstellungenAnzeigen();
    return b;
}

Drucklayout layout(const Datenbild &b, int sprache = 0, int seite = 1)
{
    return Drucklayout(Druckinhalt::ausBild(b, Datei, sprache, protokollnamen(), seite), Zeitpunkt);
}

const Druckelement &element(const Druckseite &s, const QString &text)
{
    static const Druckelement fehlt{QString(), -1, -1, 0, false, QString(), 0};
    const Druckelement *e = s.finde(text);
    if (!e) {
        QTest::qFail(qPrintable(QStringLiteral("page %1 has no item \"%2\":\n%3")
                                    .arg(s.nummer).arg(text, s.lesetext().left(3000))),
                     __FILE__, __LINE__);
        return fehlt;
    }
    return *e;
}

// The value printed on the same line as a label, right of it.
QString wertNeben(const Druckseite &s, const QString &bezeichnung)
{
    const Druckelement &b = element(s, bezeichnung);
    for (const Druckelement &e : s.elemente)
        if (e.y == b.y && e.x > b.x)
            return e.text;
    return QString();
}

// Items of a page in reading order, excluding the foot.
QVector<Druckelement> ohneFuss(const Druckseite &s)
{
    QVector<Druckelement> v;
    for (const Druckelement &e : s.elemente)
        if (e.y != Drucklayout::Fussy)
            v.append(e);
    std::stable_sort(v.begin(), v.end(), [](const Druckelement &a, const Druckelement &b) {
        return a.y != b.y ? a.y < b.y : a.x < b.x;
    });
    return v;
}

bool hatKopf(const Druckseite &s)
{
    const Druckelement *e = s.finde(Texttabelle::text(274) + Datei);
    return e && e->x == 1000 && e->y == 500 && e->groesse == 12 && !e->fett;
}

}  // namespace

class TstDrucklayout : public QObject {
    Q_OBJECT
private slots:
    void fussDeutschUndEnglisch()
    {
        QCOMPARE(Drucklayout::fusszeit(Zeitpunkt, 0), QStringLiteral("05-12-2026    14:30"));
        QCOMPARE(Drucklayout::fusszeit(Zeitpunkt, 1000), QStringLiteral("12-05-2026    14:30"));
        QCOMPARE(Drucklayout::fusszeit(Zeitpunkt, 2000), QStringLiteral("05-12-2026    14:30"));
        QCOMPARE(Drucklayout::fusszeit(QDateTime(QDate(2027, 1, 9), QTime(7, 5)), 3000),
                 QStringLiteral("09-01-2027    07:05"));

        const auto b = standardbild();
        for (int sprache : {0, 1000}) {
            const QVector<Druckseite> seiten = layout(*b, sprache).teil(Druckteil::Grundeinstellungen);
            QCOMPARE(seiten.size(), 1);
            const Druckelement &zeit =
                element(seiten[0], sprache ? QStringLiteral("12-05-2026    14:30") : QStringLiteral("05-12-2026    14:30"));
            QCOMPARE(zeit.x, 5000);
            QCOMPARE(zeit.y, 15500);
            QCOMPARE(zeit.groesse, 8);
            const Druckelement &nummer = element(seiten[0], Texttabelle::text(283 + sprache) + QStringLiteral("1 -"));
            QCOMPARE(nummer.x, 9000);
            QCOMPARE(nummer.y, 15500);
            QCOMPARE(nummer.groesse, 8);
        }
        QCOMPARE(Texttabelle::text(1283) + QStringLiteral("1 -"), QStringLiteral("- Page 1 -"));
    }

    void grundeinstellungen()
    {
        auto b = standardbild();
        QVector<Druckseite> seiten = layout(*b).teil(Druckteil::Grundeinstellungen);
        QCOMPARE(seiten.size(), 1);
        const Druckseite &s = seiten[0];
        QVERIFY(hatKopf(s));
        const Druckelement &titel = element(s, QStringLiteral("Grundeinstellungen:"));
        QCOMPARE(titel.x, 1000);
        QCOMPARE(titel.y, 1500);
        QCOMPARE(titel.groesse, 12);
        QCOMPARE(wertNeben(s, QStringLiteral("Türöffnungszeit:")), QStringLiteral("7 Sekunden"));
        QCOMPARE(wertNeben(s, QStringLiteral("Türöffner mit Summer:")), QStringLiteral("Ja"));
        QCOMPARE(wertNeben(s, QStringLiteral("Türöffner Intervalton: ")), QStringLiteral("Nein"));
        QCOMPARE(wertNeben(s, QStringLiteral("Passwort: ")), QStringLiteral("000000"));
        QCOMPARE(wertNeben(s, QStringLiteral("Spur 2 auswerten: ")), QStringLiteral("Ja"));
        QCOMPARE(wertNeben(s, QStringLiteral("PORTAVOadresse:")), QStringLiteral("42"));
        QCOMPARE(wertNeben(s, QStringLiteral("Protokoll:")), Texttabelle::text(126));
        // Track 3/1 is not evaluated: its length is not a number.
        QCOMPARE(wertNeben(s, QStringLiteral("Spur 3/1 auswerten: ")), QStringLiteral("Nein"));
        QCOMPARE(wertNeben(s, QStringLiteral("Datenlänge Spur 2: ")), QStringLiteral("21"));
        QCOMPARE(wertNeben(s, QStringLiteral("Datenlänge Spur 3/1: ")), QStringLiteral("----"));
        // Settings lines are font 10, label and value a fixed tab apart.
        const Druckelement &l = element(s, QStringLiteral("Türöffnungszeit:"));
        const Druckelement &w = element(s, QStringLiteral("7 Sekunden"));
        QCOMPARE(l.groesse, 10);
        QCOMPARE(w.y, l.y);
        QVERIFY(w.x > l.x);
        QVERIFY(l.y > titel.y);
        // The lines for handwriting close the page, above the foot.
        QCOMPARE(wertNeben(s, QStringLiteral("Datei erstellt für Kunden: ")), QString(33, QLatin1Char('_')));
        QCOMPARE(wertNeben(s, QStringLiteral("Softwareversion von PORTAVO: ")), QString(18, QLatin1Char('_')));
        QVERIFY(element(s, QStringLiteral("Softwareversion von PORTAVO: ")).y < Drucklayout::Gittergrenze);

        // Only track 3/1 evaluated: now track 2 has no length.
        b->setzeFlag(Flag::Spur2Auswerten, false);
        b->setzeFlag(Flag::Spur31Auswerten, true);
        b->setzeDatenlaenge(Spur::Spur31, 13);
        seiten = layout(*b, 1000).teil(Druckteil::Grundeinstellungen);
        QCOMPARE(wertNeben(seiten[0], QStringLiteral("Data length track 2: ")), QStringLiteral("----"));
        QCOMPARE(wertNeben(seiten[0], QStringLiteral("Data length track 3/1: ")), QStringLiteral("13"));
        QCOMPARE(wertNeben(seiten[0], QStringLiteral("Door opener with buzzer:")), QStringLiteral("Yes"));
    }

    void langesGitterGehtAufFolgeseitenWeiter()
    {
        // Arrangement 2 with one byte per entry: list 1 has 1774 slots.
        auto b = std::make_unique<Datenbild>();
        b->setzeFlag(Flag::Spur2Auswerten, true);
        b->setzeDatenlaenge(Spur::Spur2, 2);
        b->legeListenbereichNeuAn();
        b->Begleittext[34] = QStringLiteral("letzte auf Seite 1");
        b->Begleittext[35] = QStringLiteral("erste auf Seite 2");
        b->Begleittext[1773] = QStringLiteral("ganz am Ende");
        QCOMPARE(b->Listenanzahl[0], 1774);

        const QVector<Druckseite> seiten = layout(*b).teil(Druckteil::Berechtigungen);
        // Page 1: heads at 3000 and rows down to 14000: the count row and 35
        // entries. Every further page: heads at 1000 and 43 rows.
        // 1774 - 35 = 1739 entries = 40 full pages and 19 rows; then one
        // page for the empty track-3/1 list.
        QCOMPARE(seiten.size(), 1 + 41 + 1);
        const QString kopf0 = Texttabelle::text(330).section(QLatin1Char('|'), 0, 0);
        const QString kopf1 = Texttabelle::text(330).section(QLatin1Char('|'), 1);

        const QVector<Druckelement> s1 = ohneFuss(seiten[0]);
        QVERIFY(hatKopf(seiten[0]));
        QCOMPARE(element(seiten[0], QStringLiteral("Berechtigungen Spur 2:")).y, 1500);
        const Druckelement &k1 = element(seiten[0], kopf0);
        QCOMPARE(k1.x, 1000);
        QCOMPARE(k1.y, 3000);
        QCOMPARE(k1.groesse, 8);
        QCOMPARE(element(seiten[0], kopf1).x, 1000 + 3500);
        QCOMPARE(element(seiten[0], QStringLiteral("Anzahl(max)   1774")).y, 3300);
        const Druckelement &letzte = element(seiten[0], QStringLiteral("letzte auf Seite 1"));
        QCOMPARE(letzte.y, 13800);  // the next row would lie below 14000
        QCOMPARE(s1.constLast().text, QStringLiteral("letzte auf Seite 1"));
        QVERIFY(seiten[0].finde(QStringLiteral("- Seite 1 -")));

        // Page 2: no page head, the column heads again at 1000, the next row.
        const Druckseite &s2 = seiten[1];
        QVERIFY(!hatKopf(s2));
        QCOMPARE(element(s2, kopf0).y, 1000);
        QCOMPARE(element(s2, kopf1).y, 1000);
        QCOMPARE(element(s2, QStringLiteral("erste auf Seite 2")).y, 1300);
        QCOMPARE(wertNeben(s2, QStringLiteral("00")), QStringLiteral("erste auf Seite 2"));
        QVERIFY(s2.finde(QStringLiteral("- Seite 2 -")));
        QVERIFY(!s2.finde(QStringLiteral("- Seite 1 -")));
        for (int i = 1; i < 41; ++i) {
            QCOMPARE(seiten[i].nummer, i + 1);
            QCOMPARE(element(seiten[i], kopf0).y, 1000);
            QCOMPARE(ohneFuss(seiten[i]).size(), 2 + 43 * 2);
        }
        // The last page of the grid: 19 rows, then the closing line.
        const QVector<Druckelement> s42 = ohneFuss(seiten[41]);
        QCOMPARE(s42.constLast().text, Texttabelle::text(310));
        QCOMPARE(s42.constLast().y, 1300 + 19 * 300);
        QCOMPARE(element(seiten[41], QStringLiteral("ganz am Ende")).y, 1300 + 18 * 300);

        // The empty list of track 3/1: its own page with head and title.
        QVERIFY(hatKopf(seiten[42]));
        QCOMPARE(element(seiten[42], QStringLiteral("Berechtigungen Spur 3:")).y, 1500);
        const Druckelement &keine = element(seiten[42], Texttabelle::text(310));
        QCOMPARE(keine.y, 3000);
        QVERIFY(seiten[42].finde(QStringLiteral("- Seite 43 -")));
    }

    void allesDruckenOhneLeerseiten()
    {
        // Arrangement 6, 11 bytes each: list 1 has 44 slots, list 2 116.
        auto b = std::make_unique<Datenbild>();
        b->setzeFlag(Flag::Spur2Auswerten, true);
        b->setzeFlag(Flag::Spur31Auswerten, true);
        b->setzeDatenlaenge(Spur::Spur2, 22);
        b->setzeDatenlaenge(Spur::Spur31, 22);
        b->legeListenbereichNeuAn();
        b->setzeDisplayzeile(0, QStringLiteral("Grüße Tür 1"));
        b->setzeDisplayzeile(15, QStringLiteral("Ende"));
        QCOMPARE(b->Listenanzahl[0], 44);
        QCOMPARE(b->Listenanzahl[1], 116);

        const QVector<Druckseite> seiten = layout(*b).alles();
        // Settings 1; list 1: 45 rows = 2 pages; list 2: 117 rows = 3
        // pages; the two empty block lists 1 each; display texts 1.
        QCOMPARE(seiten.size(), 1 + 2 + 3 + 1 + 1 + 1);
        const QStringList titel = {QStringLiteral("Grundeinstellungen:"),      QStringLiteral("Berechtigungen Spur 2:"),
                                   QString(),                                  QStringLiteral("Berechtigungen Spur 3:"),
                                   QString(),                                  QString(),
                                   QStringLiteral("Sperrlisten Spur 2:"),      QStringLiteral("Sperrlisten Spur 3:"),
                                   QStringLiteral("Displaytexte:")};
        for (int i = 0; i < seiten.size(); ++i) {
            const Druckseite &s = seiten[i];
            QCOMPARE(s.nummer, i + 1);
            QVERIFY(s.finde(QStringLiteral("- Seite %1 -").arg(i + 1)));
            QVERIFY(s.finde(QStringLiteral("05-12-2026    14:30")));
            // Nothing but a foot would be a blank page.
            QVERIFY2(!ohneFuss(s).isEmpty(), qPrintable(QString::number(i + 1)));
            // A section begins with the page head and its title at 1500;
            // continued grids carry neither.
            QCOMPARE(hatKopf(s), !titel[i].isEmpty());
            if (!titel[i].isEmpty()) {
                QCOMPARE(element(s, titel[i]).y, 1500);
                QCOMPARE(element(s, titel[i]).groesse, 12);
            }
        }
        QCOMPARE(element(seiten[6], Texttabelle::text(310)).y, 3000);
        QCOMPARE(element(seiten[7], Texttabelle::text(310)).y, 3000);

        // The sections printed one by one give the same pages, numbered
        // from 1 in each run.
        const Drucklayout l = layout(*b);
        QCOMPARE(l.teil(Druckteil::Berechtigungen).size(), 5);
        QCOMPARE(l.teil(Druckteil::Sperrlisten).size(), 2);
        QCOMPARE(l.teil(Druckteil::Berechtigungen)[4].lesetext(), seiten[5].lesetext().replace(
                     QStringLiteral("- Seite 6 -"), QStringLiteral("- Seite 5 -")));
    }

    void displaytexte()
    {
        auto b = standardbild();
        b->setzeDisplayzeile(0, QStringLiteral("Grüße Tür 1"));
        b->setzeDisplayzeile(1, QStringLiteral("bitte eintreten"));
        b->setzeDisplayzeile(15, QStringLiteral("Ende"));
        const QVector<Druckseite> seiten = layout(*b).teil(Druckteil::Displaytexte);
        QCOMPARE(seiten.size(), 1);
        const Druckseite &s = seiten[0];
        QVERIFY(hatKopf(s));
        QCOMPARE(element(s, QStringLiteral("Displaytexte:")).y, 1500);
        const Druckelement &n1 = element(s, QStringLiteral("Displaytext 1"));
        const Druckelement &n8 = element(s, QStringLiteral("Displaytext 8"));
        QCOMPARE(n1.x, 1000);
        QCOMPARE(n1.groesse, 10);
        QCOMPARE(n8.y - n1.y, 7 * 1000);
        const Druckelement &z0 = element(s, QStringLiteral("Grüße Tür 1     "));
        const Druckelement &z1 = element(s, QStringLiteral("bitte eintreten "));
        QCOMPARE(z0.x, 4500);
        QCOMPARE(z0.y, n1.y);
        QCOMPARE(z0.groesse, 12);
        QCOMPARE(z1.y, n1.y + 400);
        QCOMPARE(element(s, QStringLiteral("Ende            ")).y, n8.y + 400);
    }

    void sondercodeKartenDreispaltig()
    {
        auto b = std::make_unique<Datenbild>();
        b->setzeFlag(Flag::Sondercodemodus, true);
        b->setzeFlag(Flag::Spur2Auswerten, true);
        b->einstellungenAnzeigen();
        b->setzeSystemnummer(531);
        for (int zone : {1, 2, 3})
            b->setzeZeitzone(1, zone, true);
        b->setzeZeitzone(2, 1, true);
        b->setzeZeitzone(2, 3, true);
        b->setzeZeitzone(4095, 2, true);
        b->Begleittext[1] = QStringLiteral("Meier");
        b->Begleittext[102] = QStringLiteral("Schulz");
        const QString lang = QStringLiteral("Friederike von Hohenstein-Waldburg, Lichtenau Nord");
        b->Begleittext[4] = lang;

        const QVector<Druckseite> seiten = layout(*b).teil(Druckteil::Berechtigungen);
        // Page 1: heads, count and system row, then card lines from 3900 to
        // 14000 (34 lines, 102 cards); then 43 lines of three per page:
        // 3994 cards = 30 full pages and 124 cards; then the empty track-3/1
        // grid.
        QCOMPARE(seiten.size(), 1 + 31 + 1);
        const Druckseite &s1 = seiten[0];
        QCOMPARE(element(s1, QStringLiteral("Anzahl(max)   4095")).y, 3300);
        const Druckelement &system = element(s1, QStringLiteral("System:  >>>>0531<<<<<<<<<<"));
        QCOMPARE(system.y, 3600);
        QCOMPARE(wertNeben(s1, system.text), QString(22, QLatin1Char('<')));
        const Druckelement &k0 = element(s1, QStringLiteral(">0000 Gesperrt"));
        const Druckelement &k1 = element(s1, QStringLiteral(">0001 Berechtigt"));
        const Druckelement &k2 = element(s1, QStringLiteral(">0002 Zeitzone 13"));
        QCOMPARE(k0.y, 3900);
        QCOMPARE(k1.y, 3900);
        QCOMPARE(k2.y, 3900);
        QCOMPARE(k0.x, Drucklayout::Kartenspalten[0]);
        QCOMPARE(k1.x, Drucklayout::Kartenspalten[1]);
        QCOMPARE(k2.x, Drucklayout::Kartenspalten[2]);
        QCOMPARE(k0.groesse, 8);
        const Druckelement &meier = element(s1, QStringLiteral("Meier"));
        QCOMPARE(meier.y, 3900);
        QCOMPARE(meier.x, Drucklayout::Kartenspalten[1] + Drucklayout::Kartennamenabstand);
        QVERIFY(meier.breite > 0 && meier.x + meier.breite < Drucklayout::Seitenbreite);
        QVERIFY(!s1.finde(Leerzeile));  // an empty name slot stays blank
        // A long name keeps all of its text and the height of its line, so
        // that it is set smaller or wrapped rather than cut.
        const Druckelement &langer = element(s1, lang);
        QCOMPARE(langer.x, Drucklayout::Kartenspalten[1] + Drucklayout::Kartennamenabstand);
        QCOMPARE(langer.hoehe, Drucklayout::Gitterzeile);
        QCOMPARE(meier.hoehe, Drucklayout::Gitterzeile);
        QVERIFY(langer.x + langer.breite <= Drucklayout::Kartenspalten[2]);
        QCOMPARE(element(s1, QStringLiteral(">0101 Gesperrt")).y, 3900 + 33 * 300);
        QVERIFY(!s1.finde(QStringLiteral(">0102 Gesperrt")));

        const Druckseite &s2 = seiten[1];
        QCOMPARE(element(s2, Texttabelle::text(330).section(QLatin1Char('|'), 0, 0)).y, 1000);
        QCOMPARE(element(s2, QStringLiteral(">0102 Gesperrt")).y, 1300);
        QCOMPARE(element(s2, QStringLiteral("Schulz")).y, 1300);
        QCOMPARE(element(s2, QStringLiteral(">0230 Gesperrt")).y, 1300 + 42 * 300);

        const Druckseite &s32 = seiten[31];
        const Druckelement &letzte = element(s32, QStringLiteral(">4095 Zeitzone 2"));
        QCOMPARE(letzte.x, Drucklayout::Kartenspalten[0]);  // 4096 = 3 * 1365 + 1
        QCOMPARE(element(s32, Texttabelle::text(310)).y, letzte.y + 300);

        // Track 3/1 is not evaluated: its grid is empty.
        QCOMPARE(element(seiten[32], Texttabelle::text(310)).y, 3000);
        QCOMPARE(layout(*b).teil(Druckteil::Sperrlisten).size(), 2);

        // With track 3/1 evaluated instead, the cards move to the second grid.
        b->setzeFlag(Flag::Spur2Auswerten, false);
        b->setzeFlag(Flag::Spur31Auswerten, true);
        const QVector<Druckseite> andere = layout(*b).teil(Druckteil::Berechtigungen);
        QCOMPARE(andere.size(), 1 + 32);
        QVERIFY(andere[0].finde(Texttabelle::text(310)));
        QVERIFY(andere[1].finde(QStringLiteral(">0001 Berechtigt")));
    }

    void langerTextWirdEingepasst_data()
    {
        // Measured as 10 twips per point and character, lines 23 twips per
        // point apart: at 8 points 22 characters fill the 1800 twips, and
        // two lines fit into 300 twips from 6.5 points down.
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("hoehe");
        QTest::addColumn<qreal>("groesse");
        QTest::addColumn<QStringList>("zeilen");
        QTest::newRow("passt") << "Meier" << 300 << 8.0 << QStringList{"Meier"};
        QTest::newRow("genau breit genug") << QString(22, QLatin1Char('M')) << 300 << 8.0
                                           << QStringList{QString(22, QLatin1Char('M'))};
        QTest::newRow("kleiner auf einer Zeile") << "Maximilian Mustermann-Ost" << 300 << 7.0
                                                 << QStringList{"Maximilian Mustermann-Ost"};
        QTest::newRow("zwei Zeilen") << "Friederike Hohenstein Waldburg Lichtenau" << 300 << 6.5
                                     << QStringList{"Friederike Hohenstein", "Waldburg Lichtenau"};
        QTest::newRow("ein Wort bricht zwischen Buchstaben") << "Hohensteinwaldburglichtenauerstrasse" << 300 << 6.5
                                                             << QStringList{"Hohensteinwaldburglichtenau", "erstrasse"};
        QTest::newRow("zwei Zeilen schon bei 7.5 mit mehr Hoehe") << "Friederike Hohenstein Waldburg Lichtenau Nord" << 450 << 7.5
                                                    << QStringList{"Friederike Hohenstein", "Waldburg Lichtenau Nord"};
        QTest::newRow("zu lang: der Rest auf der letzten Zeile")
            << "Eine sehr lange Bezeichnung, die auch in kleiner Schrift auf zwei Zeilen nicht passt" << 300 << 5.0
            << QStringList{"Eine sehr lange Bezeichnung, die", "auch in kleiner Schrift auf zwei Zeilen nicht passt"};
        QTest::newRow("ohne Hoehe wie bisher") << "Friederike Hohenstein Waldburg Lichtenau" << 0 << 8.0
                                              << QStringList{"Friederike Hohenstein Waldburg Lichtenau"};
    }

    void langerTextWirdEingepasst()
    {
        QFETCH(QString, text);
        QFETCH(int, hoehe);
        QFETCH(qreal, groesse);
        QFETCH(QStringList, zeilen);
        Druckelement e;
        e.text = text;
        e.groesse = 8;
        e.breite = 1800;
        e.hoehe = hoehe;
        const auto breite = [](const QString &t, qreal g) { return t.size() * g * 10; };
        const auto abstand = [](qreal g) { return g * 23; };
        const Druckelement::Satz satz = e.setze(breite, abstand);
        QCOMPARE(satz.groesse, groesse);
        QCOMPARE(satz.zeilen, zeilen);
        if (hoehe > 0 && groesse > Druckelement::Kleinstgroesse) {
            // What fits is set whole, inside its box.
            QCOMPARE(satz.zeilen.join(QString()).remove(QLatin1Char(' ')), QString(text).remove(QLatin1Char(' ')));
            for (const QString &z : satz.zeilen)
                QVERIFY(breite(z, satz.groesse) <= e.breite);
            QVERIFY(satz.zeilen.size() * abstand(satz.groesse) <= hoehe);
        }
    }

    void sondercodeSeiteZwei()
    {
        auto b = std::make_unique<Datenbild>();
        b->setzeFlag(Flag::Sondercodemodus, true);
        b->setzeFlag(Flag::Spur31Auswerten, true);
        b->einstellungenAnzeigen();
        b->setzeZeitzone(5, 2, true);
        b->Seitennamen[0][5] = QStringLiteral("Seite-2-Name");
        b->Begleittext[5] = QStringLiteral("Seite-1-Name");
        const QVector<Druckseite> seiten = layout(*b, 0, 2).teil(Druckteil::Berechtigungen);
        // The page view shows the page in grid 1 whatever track is on.
        QCOMPARE(seiten.size(), 33);
        const Druckelement &k = element(seiten[0], QStringLiteral("B 0005 Zeitzone 2"));
        QCOMPARE(k.x, Drucklayout::Kartenspalten[2]);
        QCOMPARE(wertNeben(seiten[0], k.text), QStringLiteral("Seite-2-Name"));
        QVERIFY(!seiten[0].finde(QStringLiteral("Seite-1-Name")));
    }

    void geladeneDateiWieImEditor()
    {
        // The hand-made standard file: arrangement 6, comments from .B2D.
        QTemporaryDir dir;
        for (const char *f : {"standard.S2D", "standard.B2D"})
            QVERIFY(QFile::copy(QStringLiteral(TESTDATA "/") + f, dir.filePath(QLatin1String(f))));
        auto b = std::make_unique<Datenbild>();
        QVERIFY(Terminaldatei::laden(*b, dir.filePath(QStringLiteral("standard.S2D")), Terminaldatei::Ablage::NurLesen).ok);
        const QVector<Druckseite> seiten = layout(*b).teil(Druckteil::Berechtigungen);
        const Druckseite &s = seiten[0];
        QCOMPARE(wertNeben(s, QStringLiteral("123456789012345678901#")), QStringLiteral("Meier, Tor 1"));
        QCOMPARE(element(s, QStringLiteral("Anzahl(max)   44")).y, 3300);
        bool gefunden = false;
        for (const Druckseite &t : seiten)
            gefunden = gefunden || (t.finde(QStringLiteral("87654321")) && wertNeben(t, QStringLiteral("87654321")) == QStringLiteral("Müller Kasse"));
        QVERIFY(gefunden);
    }
};

PORTAVO_TESTKLASSE(TstDrucklayout)
#include "tst_drucklayout.moc"
