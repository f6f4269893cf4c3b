// The special-code rules: card rows, the card record dialogs' work on
// single cards and groups, the system number and the search.

#include "support/Testlauf.h"
#include "termfile/Kartenregeln.h"
#include "termfile/Uebergabe.h"

#include <QTest>

using namespace Kartenregeln;

namespace {

const Zeilentexte Texte{QStringLiteral("     Gesperrt    "), QStringLiteral("           Berechtigt "),
                        QStringLiteral("             Zeitzone "), QStringLiteral("System:  >>>>")};

Datenbild sonderbild()
{
    Datenbild b;
    b.setzeByte(2, 0x81);
    b.einstellungenAnzeigen();
    return b;
}

Uebergabe fuer(int gruppenanfang, int eintragsnummer)
{
    Uebergabe u;
    u.Gruppenanfang = qint16(gruppenanfang);
    u.Eintragsnummer = qint16(eintragsnummer);
    return u;
}

}  // namespace

class tst_kartenregeln : public QObject {
    Q_OBJECT

private slots:
    void kartenzeilen()
    {
        Datenbild b = sonderbild();
        b.setzeZeitzone(9, 1, true);
        b.setzeZeitzone(9, 3, true);
        for (int z = 1; z <= 3; ++z)
            b.setzeZeitzone(4095, z, true);
        QCOMPARE(b.byte(513), 2);
        QCOMPARE(b.byte(1537), 2);
        QCOMPARE(b.byte(1025), 0);
        QCOMPARE(kartenzeile(b, 9, ">", Texte), QStringLiteral(">0009             Zeitzone 13"));
        QCOMPARE(kartenzeile(b, 0, "> ", Texte), QStringLiteral("> 0000     Gesperrt    "));
        QCOMPARE(kartenzeile(b, 4095, "C ", Texte), QStringLiteral("C 4095           Berechtigt "));
        QCOMPARE(marker(1, false), QStringLiteral(">"));
        QCOMPARE(marker(2, true), QStringLiteral("B "));
        QCOMPARE(marker(3, true), QStringLiteral("C "));

        b.setzeByte(272, 18);
        b.setzeByte(273, 3);
        QCOMPARE(systemzeile(b, Texte), QStringLiteral("System:  >>>>0531<<<<<<<<<<"));
        QCOMPARE(systemzeileRechts(), QString(22, QLatin1Char('<')));
    }

    void einzelkarteBerechtigen()
    {
        Datenbild b = sonderbild();
        b.Aenderungszaehler = 0;
        b.Begleittext[9] = QStringLiteral("alt");
        Uebergabe u = fuer(9, 9);
        QVERIFY(berechtigen(b, u, 1, {true, false, true}, QStringLiteral("Meier")));
        QVERIFY(b.bit(513, 1) && b.bit(1537, 1) && !b.bit(1025, 1));
        QCOMPARE(u.Zonenziffern, QStringLiteral("13"));
        QCOMPARE(u.Dialogergebnis, qint16(1));
        QCOMPARE(b.Begleittext[9], QStringLiteral("Meier"));
        QCOMPARE(b.Aenderungszaehler, qint16(1));
        QCOMPARE(u.Gruppenende, qint16(9));

        // "alle": all three bits; re-authorizing clears what is not ticked.
        u = fuer(9, 9);
        QVERIFY(berechtigen(b, u, 1, {true, true, true}, std::nullopt));
        QCOMPARE(b.zeitzonenziffern(9), QStringLiteral("123"));
        QCOMPARE(u.Zonenziffern, QStringLiteral("123"));
        u = fuer(9, 9);
        QVERIFY(berechtigen(b, u, 1, {false, true, false}, std::nullopt));
        QCOMPARE(b.zeitzonenziffern(9), QStringLiteral("2"));
        QCOMPARE(b.Begleittext[9], QStringLiteral("Meier"));  // no name given: kept

        // No zone: refused, nothing changes.
        const auto daten = b.Daten;
        u = fuer(9, 9);
        QVERIFY(!berechtigen(b, u, 1, {false, false, false}, QStringLiteral("x")));
        QVERIFY(b.Daten == daten);
        QCOMPARE(u.Dialogergebnis, qint16(0));
        QCOMPARE(b.Begleittext[9], QStringLiteral("Meier"));
    }

    void gruppen()
    {
        // Highlighted card 20, double click on 17, block: 17..20; the
        // dialog leaves Gruppenende 20, Eintragsnummer 20, Gruppenanfang 21.
        Datenbild b = sonderbild();
        for (int k = 16; k <= 21; ++k)
            b.setzeZeitzone(k, 1, true);
        Uebergabe u = fuer(20, 17);
        sperren(b, u);
        for (int k = 17; k <= 20; ++k)
            QVERIFY(b.gesperrt(k));
        QVERIFY(!b.gesperrt(16) && !b.gesperrt(21));
        QCOMPARE(u.Gruppenende, qint16(20));
        QCOMPARE(u.Eintragsnummer, qint16(20));
        QCOMPARE(u.Gruppenanfang, qint16(21));
        QCOMPARE(u.Dialogergebnis, qint16(2));

        // Highlighted 17, double click on 20, zone 2: "2222"; without a
        // typed name every card keeps its own.
        for (int k = 17; k <= 20; ++k)
            b.Begleittext[k] = QStringLiteral("Name %1").arg(k);
        u = fuer(17, 20);
        QVERIFY(berechtigen(b, u, 1, {false, true, false}, std::nullopt));
        QCOMPARE(u.Zonenziffern, QStringLiteral("2222"));
        for (int k = 17; k <= 20; ++k) {
            QCOMPARE(b.zeitzonenziffern(k), QStringLiteral("2"));
            QCOMPARE(b.Begleittext[k], QStringLiteral("Name %1").arg(k));
        }
        QCOMPARE(u.Eintragsnummer, qint16(20));
        QCOMPARE(u.Gruppenanfang, qint16(17));
        QCOMPARE(b.zeitzonenziffern(16), QStringLiteral("1"));

        // A typed name goes onto every card of the group, on the page's own names.
        u = fuer(4095, 4093);
        QVERIFY(berechtigen(b, u, 3, {true, false, false}, QStringLiteral("Gast")));
        for (int k = 4093; k <= 4095; ++k)
            QCOMPARE(b.Seitennamen[1][k], QStringLiteral("Gast"));
        QCOMPARE(b.Begleittext[4095], QStringLiteral("----------"));

        // The whole page at once.
        u = fuer(0, 4095);
        QVERIFY(berechtigen(b, u, 1, {true, true, true}, std::nullopt));
        QCOMPARE(u.Zonenziffern.size(), 3 * 4096);
        for (int a = 512; a < 2048; ++a)
            QCOMPARE(b.byte(a), 255);
        QCOMPARE(bereich(fuer(30, 12)).von, 12);
        QCOMPARE(bereich(fuer(30, 12)).bis, 30);
    }

    void systemnummer_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("byte272");
        QTest::addColumn<int>("byte273");
        QTest::newRow("531") << "0531" << 18 << 243;
        QTest::newRow("4095") << "4095" << 255 << 255;
        QTest::newRow("256") << "256" << 1 << 240;
        QTest::newRow("0") << "0" << 0 << 240;
    }
    void systemnummer()
    {
        QFETCH(QString, text);
        QFETCH(int, byte272);
        QFETCH(int, byte273);
        Datenbild b = sonderbild();
        b.setzeByte(272, 0xAB);  // rebuilt from the new number alone
        Uebergabe u;
        QVERIFY(systemnummerUebernehmen(b, u, text));
        QCOMPARE(b.byte(272), byte272);
        QCOMPARE(b.byte(273), byte273);
        QCOMPARE(b.systemnummer(), text.toInt());
        QCOMPARE(int(u.Systemnummer), text.toInt());
        QCOMPARE(u.Dialogergebnis, qint16(1));
    }

    void systemnummerAbgelehnt()
    {
        for (const char *text : {"", "4096", "9999", "12a", "-1", "abcd", "1 2"}) {
            Datenbild b = sonderbild();
            b.setzeSystemnummer(531);
            const auto daten = b.Daten;
            Uebergabe u;
            u.Systemnummer = 531;
            QVERIFY2(!systemnummerUebernehmen(b, u, QString::fromLatin1(text)), text);
            QVERIFY(b.Daten == daten);
            QCOMPARE(u.Dialogergebnis, qint16(0));
            QCOMPARE(u.Systemnummer, qint16(531));
        }
    }

    void suche()
    {
        // A grid of 12 rows and 8 columns; cell texts by (row, column).
        QHash<QPair<int, int>, QString> zellen;
        const auto text = [&](int z, int s) { return zellen.value({z, s}); };
        zellen[{2, 1}] = QStringLiteral("MÜLLER erste Zeile");
        zellen[{3, 1}] = QStringLiteral("müller Karte 0");
        zellen[{4, 1}] = QStringLiteral("Maier");
        zellen[{9, 1}] = QStringLiteral("Bäckermaier");
        zellen[{5, 2}] = QStringLiteral("Maike");
        zellen[{10, 6}] = QStringLiteral("0711 4711");
        zellen[{7, 1}] = QStringLiteral("Kai");

        // The first entry row is searched (row 2 standard, row 3 card 0).
        auto t = Kartenregeln::suche(text, 12, {1}, 2, QStringLiteral("müller"));
        QVERIFY(t && t->zeile == 2 && t->spalte == 1);
        t = Kartenregeln::suche(text, 12, {1}, 3, QStringLiteral("MÜLLER"));
        QVERIFY(t && t->zeile == 3);

        // Lower case finds capitals; "Weitersuchen" goes on below; then no more.
        t = Kartenregeln::suche(text, 12, {1}, 3, QStringLiteral("maier"));
        QVERIFY(t && t->zeile == 4);
        t = Kartenregeln::suche(text, 12, {1}, 3, QStringLiteral("maier"), t);
        QVERIFY(t && t->zeile == 9);
        QVERIFY(!Kartenregeln::suche(text, 12, {1}, 3, QStringLiteral("maier"), t));

        // Page view: column by column; column 1 row 9 before column 2 row 5.
        const QVector<int> spalten{1, 2, 3, 4, 5, 6, 7};
        t = Kartenregeln::suche(text, 12, spalten, 3, QStringLiteral("ai"));
        QVERIFY(t && t->zeile == 4 && t->spalte == 1);
        t = Kartenregeln::suche(text, 12, spalten, 3, QStringLiteral("ai"), t);
        QVERIFY(t && t->zeile == 7 && t->spalte == 1);
        t = Kartenregeln::suche(text, 12, spalten, 3, QStringLiteral("ai"), t);
        QVERIFY(t && t->zeile == 9 && t->spalte == 1);
        // Going on after the last match of column 1 reaches column 2 row 5,
        // which lies above it: nothing is skipped.
        t = Kartenregeln::suche(text, 12, spalten, 3, QStringLiteral("ai"), t);
        QVERIFY(t && t->zeile == 5 && t->spalte == 2);
        QVERIFY(!Kartenregeln::suche(text, 12, spalten, 3, QStringLiteral("ai"), t));

        // Only in the telephone column of row 10.
        t = Kartenregeln::suche(text, 12, spalten, 3, QStringLiteral("4711"));
        QVERIFY(t && t->zeile == 10 && t->spalte == 6);

        // An empty text matches the first cell that is not empty.
        t = Kartenregeln::suche(text, 12, {1}, 4, QString());
        QVERIFY(t && t->zeile == 4);
        QVERIFY(!Kartenregeln::suche(text, 12, {1}, 3, QStringLiteral("nirgends")));
    }
};

PORTAVO_TESTKLASSE(tst_kartenregeln)
#include "tst_kartenregeln.moc"
