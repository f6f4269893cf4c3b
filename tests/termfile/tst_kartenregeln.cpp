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
    b.Aenderungszaehler = 0;
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
        QCOMPARE(kartenzeile(b, 9, ">", Texte), QStringLiteral(">0009             Zeitzone 13"));
        QCOMPARE(kartenzeile(b, 0, "> ", Texte), QStringLiteral("> 0000     Gesperrt    "));
        QCOMPARE(kartenzeile(b, 4095, "C ", Texte), QStringLiteral("C 4095           Berechtigt "));
        QCOMPARE(marker(1, false) + marker(1, true) + marker(2, true) + marker(3, false), QStringLiteral(">> B C "));
        b.setzeSystemnummer(531);
        QCOMPARE(systemzeile(b, Texte), QStringLiteral("System:  >>>>0531<<<<<<<<<<"));
    }

    // The card record dialog on one card, a block of cards (highlighted 20,
    // double click on 17, or the other way round) and the whole page.
    void berechtigenUndSperren()
    {
        Datenbild b = sonderbild();
        Uebergabe u = fuer(9, 9);
        QVERIFY(berechtigen(b, u, 1, {true, false, true}, QStringLiteral("Meier")));
        QVERIFY(b.bit(513, 1) && b.bit(1537, 1) && !b.bit(1025, 1));
        QVERIFY(u.Zonenziffern == QStringLiteral("13") && u.Dialogergebnis == 1 && u.Gruppenende == 9);
        QVERIFY(b.Begleittext[9] == QStringLiteral("Meier") && b.Aenderungszaehler == 1);
        // Re-authorizing clears what is not ticked; no name given: kept.
        u = fuer(9, 9);
        QVERIFY(berechtigen(b, u, 1, {false, true, false}, std::nullopt));
        QCOMPARE(b.zeitzonenziffern(9), QStringLiteral("2"));
        QCOMPARE(b.Begleittext[9], QStringLiteral("Meier"));
        // No zone: refused, nothing changes.
        const auto daten = b.Daten;
        u = fuer(9, 9);
        QVERIFY(!berechtigen(b, u, 1, {false, false, false}, QStringLiteral("x")));
        QVERIFY(b.Daten == daten && u.Dialogergebnis == 0 && b.Begleittext[9] == QStringLiteral("Meier"));

        for (int k = 16; k <= 21; ++k)
            b.setzeZeitzone(k, 1, true);
        u = fuer(20, 17);
        sperren(b, u);
        for (int k = 16; k <= 21; ++k)
            QCOMPARE(b.gesperrt(k), k >= 17 && k <= 20);
        QVERIFY(u.Gruppenende == 20 && u.Eintragsnummer == 20 && u.Gruppenanfang == 21 && u.Dialogergebnis == 2);
        for (int k = 17; k <= 20; ++k)
            b.Begleittext[k] = QStringLiteral("Name %1").arg(k);
        u = fuer(17, 20);
        QVERIFY(berechtigen(b, u, 1, {false, true, false}, std::nullopt));
        QCOMPARE(u.Zonenziffern, QStringLiteral("2222"));
        for (int k = 17; k <= 20; ++k)
            QVERIFY(b.zeitzonenziffern(k) == QStringLiteral("2") && b.Begleittext[k] == QStringLiteral("Name %1").arg(k));
        QVERIFY(u.Eintragsnummer == 20 && u.Gruppenanfang == 17 && b.zeitzonenziffern(16) == QStringLiteral("1"));
        // A typed name goes onto every card of the group, on the page's own names.
        u = fuer(4095, 4093);
        QVERIFY(berechtigen(b, u, 3, {true, false, false}, QStringLiteral("Gast")));
        for (int k = 4093; k <= 4095; ++k)
            QCOMPARE(b.Seitennamen[1][k], QStringLiteral("Gast"));
        QCOMPARE(b.Begleittext[4095], Leerzeile);
        u = fuer(0, 4095);
        QVERIFY(berechtigen(b, u, 1, {true, true, true}, std::nullopt));
        QCOMPARE(u.Zonenziffern.size(), 3 * 4096);
        for (int a = 512; a < 2048; ++a)
            QCOMPARE(b.byte(a), 255);
    }

    void systemnummer_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("byte272");  // -1: refused
        QTest::addColumn<int>("byte273");
        QTest::newRow("531") << "0531" << 18 << 243;
        QTest::newRow("4095") << "4095" << 255 << 255;
        QTest::newRow("256") << "256" << 1 << 240;
        QTest::newRow("0") << "0" << 0 << 240;
        QTest::newRow("blanks") << " 42 " << 32 << 250;
        for (const char *falsch : {"", "4096", "9999", "12a", "-1", "abcd", "1 2", "00001"})
            QTest::addRow("'%s'", falsch) << falsch << -1 << 0;
    }
    void systemnummer()
    {
        QFETCH(QString, text);
        QFETCH(int, byte272);
        QFETCH(int, byte273);
        Datenbild b = sonderbild();
        b.setzeSystemnummer(531);
        b.setzeByte(272, 0xAB);  // rebuilt from the new number alone
        const auto vorher = b.Daten;
        Uebergabe u;
        u.Systemnummer = 7;
        const bool ok = systemnummerUebernehmen(b, u, text);
        QCOMPARE(ok, byte272 >= 0);
        if (!ok) {
            QVERIFY(b.Daten == vorher && u.Dialogergebnis == 0 && u.Systemnummer == 7);
            return;
        }
        QVERIFY(b.byte(272) == byte272 && b.byte(273) == byte273);
        QCOMPARE(b.systemnummer(), text.trimmed().toInt());
        QVERIFY(u.Systemnummer == text.trimmed().toInt() && u.Dialogergebnis == 1 && b.Aenderungszaehler == 1);
    }

    void suche()
    {
        // A grid of 12 rows; cell texts by (row, column).
        QHash<QPair<int, int>, QString> zellen{{{2, 1}, "MÜLLER erste Zeile"}, {{3, 1}, "müller Karte 0"},
                                               {{4, 1}, "Maier"},              {{9, 1}, "Bäckermaier"},
                                               {{5, 2}, "Maike"},              {{10, 6}, "0711 4711"},
                                               {{7, 1}, "Kai"}};
        const auto text = [&](int z, int s) { return zellen.value({z, s}); };
        // Each find from the start row, or on after the one before:
        // (columns, start row, text) -> rows and columns found, in order.
        const auto alle = [&](const QVector<int> &spalten, int start, const QString &gesucht) {
            QStringList gefunden;
            std::optional<Treffer> t;
            while ((t = Kartenregeln::suche(text, 12, spalten, start, gesucht, t)) && gefunden.size() < 20)
                gefunden << QStringLiteral("%1/%2").arg(t->zeile).arg(t->spalte);
            return gefunden;
        };
        QCOMPARE(alle({1}, 2, "müller"), (QStringList{"2/1", "3/1"}));
        QCOMPARE(alle({1}, 3, "MÜLLER"), (QStringList{"3/1"}));
        QCOMPARE(alle({1}, 3, "maier"), (QStringList{"4/1", "9/1"}));
        // Column by column: column 2 row 5 lies above the last match of
        // column 1 and is still reached.
        QCOMPARE(alle({1, 2, 3, 4, 5, 6, 7}, 3, "ai"), (QStringList{"4/1", "7/1", "9/1", "5/2"}));
        QCOMPARE(alle({1, 2, 3, 4, 5, 6, 7}, 3, "4711"), (QStringList{"10/6"}));
        QCOMPARE(alle({1}, 3, "nirgends"), QStringList());
        QCOMPARE(alle({1}, 4, QString()).value(0), QStringLiteral("4/1"));  // the first cell not empty
    }
};

PORTAVO_TESTKLASSE(tst_kartenregeln)
#include "tst_kartenregeln.moc"
