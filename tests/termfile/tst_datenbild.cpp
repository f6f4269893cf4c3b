// The terminal data image (bytes, flags, lists, display) and the special-code card rules.
#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "base/Datenbild.h"
#include "base/Displayzeichen.h"
#include "termfile/Kartenregeln.h"
#include "termfile/Uebergabe.h"

#include <QSet>
#include <QTest>

#include <memory>
#include <numeric>

using namespace Kartenregeln;

namespace {
// Image with both tracks of L2 and L31 bytes and the given arrangement bits; code -1: special code.
std::unique_ptr<Datenbild> bild(int code = 0, int L2 = 0, int L31 = 0)
{
    auto b = std::make_unique<Datenbild>();
    b->setzeByte(Adresse::FlagB, code < 0 ? 0x81 : (code & 6) / 2);
    b->setzeFlag(Flag::Sperrlisten, code > 0 && (code & 1));
    b->setzeByte(Adresse::LaengeSpur2, L2);
    b->setzeByte(Adresse::LaengeSpur31, L31);
    if (code < 0)
        b->einstellungenAnzeigen();
    b->Aenderungszaehler = 0;
    return b;
}

bool alle(const Datenbild &b, int von, int bis, int wert)
{
    return std::all_of(&b.Daten[von], &b.Daten[bis] + 1, [wert](qint16 v) { return v == wert; });
}

// The card record dialog's hand-over: the highlighted card and the one double-clicked.
Uebergabe fuer(int anfang, int nummer)
{
    Uebergabe u;
    u.Gruppenanfang = qint16(anfang), u.Eintragsnummer = qint16(nummer);
    return u;
}
}  // namespace

class TstDatenbild : public QObject {
    Q_OBJECT
private slots:
    void flagsUndBytes()
    {
        // Every flag is a bit of its own in byte 1, 2 or 9; clearing it leaves the others alone.
        QSet<int> bits;
        for (int f = int(Flag::TueroeffnerMitSummer); f <= int(Flag::Spur31Ungerade); ++f) {
            auto b = bild();
            b->setzeFlag(Flag(f), true);
            const int a = flagort(Flag(f)).adresse, bit = b->byte(a);
            QVERIFY2((a == 1 || a == 2 || a == 9) && bit && (bit & (bit - 1)) == 0 && b->byte(1) + b->byte(2) + b->byte(9) == bit,
                     qPrintable(QString::number(f)));
            bits.insert(a * 256 + bit);
            b->setzeByte(a, 255), b->setzeFlag(Flag(f), false);
            QCOMPARE(b->byte(a), 255 - bit);
        }
        QCOMPARE(bits.size(), int(Flag::Spur31Ungerade) + 1);
        auto b = bild();  // byte 2048 lies outside the memory; a stray negative value reads as a byte
        b->setzeByte(5, 300), b->setzeByte(2048, 7), b->Daten[6] = -1;
        QVERIFY(b->byte(5) == (300 & 255) && b->Daten[2048] == 0 && b->byte(-1) == 0 && b->byte(6) == 255);
        for (const auto &[a, wert] : {std::pair{5, 0x21}, {6, 0x43}, {7, 0xF5}})
            b->setzeByte(a, wert);
        QVERIFY(!b->uebernimmPasswort("0\x11") && b->passwortZiffern() == "12345?");  // low nibble first; too short
    }

    void anordnungUndSlots_data()
    {
        spalten<int, QVector<int>>("code", "plaetze");  // plaetze: of lists 1..4, L = 11 on both tracks
        const QVector<QVector<int>> plaetze{{0, 0, 0, 0},  {0, 0, 0, 0},     {161, 0, 0, 0}, {92, 0, 68, 0},
                                            {0, 161, 0, 0}, {0, 92, 0, 68}, {44, 116, 0, 0}, {44, 48, 44, 23}};
        for (int code = 0; code < 8; ++code)
            QTest::addRow("%d", code) << code << plaetze[code];
    }
    void anordnungUndSlots()
    {
        const auto [code, plaetze] = werte<int, QVector<int>>("code", "plaetze");
        auto b = bild(code, 11, 11);
        QCOMPARE(b->listenanordnung(), code);
        QCOMPARE(b->baueListen(), std::accumulate(plaetze.begin(), plaetze.end(), 0));
        int erste = 0;  // entries are numbered across the lists in list order
        for (int liste = 1; liste <= 4; ++liste) {
            QCOMPARE(b->Listenanzahl[liste - 1], plaetze[liste - 1]);
            QCOMPARE(b->ersteEintragsnummer(liste), plaetze[liste - 1] ? erste : -1);
            erste += plaetze[liste - 1];
        }
        QVERIFY(b->Zeilentext[erste].isEmpty());
    }

    void eintraegeLesenUndSchreiben()
    {
        auto b = bild(6, 11, 11);
        QVERIFY(b->baueListen() && b->Zeilenadresse[44] == 760 && b->listeVonEintrag(43) == 1 && b->listeVonEintrag(44) == 2);
        b = bild(2, 200);  // rebuilding for fewer entries leaves no stale rows behind
        QVERIFY(b->baueListen() == (2046 - 272) / 200 && b->Zeilentext[44].isEmpty());
        // Low nibble first, 14 as "#", others as character 48 + v; (2046 - 272) / 3 = 591 slots.
        b = bild(4, 2, 3);
        for (const auto &[a, wert] : {std::pair{275, 0x21}, {276, 0xE0}, {277, 0xFA}})
            b->setzeByte(a, wert);
        QCOMPARE(b->eintrag(2, 1), QStringLiteral("120#:?"));
        QVERIFY(b->eintrag(1, 0).isEmpty() && b->eintrag(2, 591).isEmpty() && !b->eintrag(2, 590).isEmpty());
        b = bild(2, 2);
        b->baueListen(), b->Zeilentext[1] = QStringLiteral("1#3?");
        QVERIFY(b->schreibeEintragZurueck(1) && b->byte(274) == 0xE1 && b->byte(275) == 0xF3);
        // Refused, nothing written: too short or too long, no nibble, no such entry, past the end.
        const auto vorher = b->Daten;
        for (const char *text : {"123", "123456", "12A4", "12 4"}) {
            b->Zeilentext[0] = QLatin1String(text);
            QVERIFY2(!b->schreibeEintragZurueck(0), text);
        }
        QVERIFY(!b->schreibeEintragZurueck(b->Listenanzahl[0]) && !b->schreibeEintragZurueck(-1));
        QVERIFY(!b->schreibeDatenstring(2047, QStringLiteral("1234")) && b->Daten == vorher);
    }

    void frischesLayout()
    {
        auto b = bild(6);
        for (int a = 272; a < 2048; ++a)
            b->setzeByte(a, 0x77);
        b->Begleittext[5000] = QStringLiteral("alt");
        b->setzeDatenlaenge(Spur::Spur2, 21);  // L = 11, odd: the last byte is 224
        b->setzeDatenlaenge(Spur::Spur31, 8);  // L = 4
        b->legeListenbereichNeuAn();
        // List 1: entries while start + 11 <= 759; list 2 while start + 4 <= 2047; 255 after each.
        for (int k = 0; k < 44; ++k)
            QVERIFY(alle(*b, 272 + 11 * k, 272 + 11 * k + 9, 0) && b->byte(272 + 11 * k + 10) == 224);
        QVERIFY(alle(*b, 756, 759, 255) && alle(*b, 760, 2043, 0) && alle(*b, 2044, 2047, 255));
        QVERIFY(b->Begleittext[5000] == Leerzeile && b->Listenanzahl[0] == 44 && b->Listenanzahl[1] == 321);
        // 2047 - 272 = 355 * 5: 355 entries are laid, 354 shown; only byte 2047 is filled.
        b = bild(2, 5);
        b->legeListenbereichNeuAn();
        QVERIFY(b->Listenanzahl[0] == 354 && alle(*b, 272, 2046, 0) && b->byte(2047) == 255);
        // Length 0 (a damaged file): no division by zero, no entries. Arrangement 0: all 0.
        b = bild(6, 0, 0);
        QCOMPARE(b->baueListen(), 0);
        b->legeListenbereichNeuAn();
        QVERIFY(alle(*b, 272, 2047, 255));
        b = bild(0, 11, 4);
        b->setzeByte(300, 9), b->legeListenbereichNeuAn();
        QVERIFY(alle(*b, 272, 2047, 0));
    }

    void displayzeichen()
    {
        QByteArray codes;  // the display's own umlauts, Windows-1252 otherwise, '?' outside it
        for (QChar c : QStringLiteral("GrüßeÄÖÜ€Ω"))
            codes += char(Displayzeichen::code(c));
        QCOMPARE(codes, QByteArray("Gr\xf5\xe2" "e\xe1\xef\xf5\x80?"));
        // Read back from the bytes; 16 characters kept, the next line untouched.
        auto b = bild();
        b->setzeDisplayzeile(0, QStringLiteral("Grüße")), b->setzeDisplayzeile(2, "ABCDEFGHIJKLMNOPQRST");
        QVERIFY(b->displayzeile(0) == "Grüße           " && b->displayzeile(2) == "ABCDEFGHIJKLMNOP" && b->byte(64) == 0);
        QVERIFY(b->displayzeile(16).isEmpty());
    }

    // Showing a special-code image puts its fixed settings in place (0 is written back as 1).
    void sondercodebildBeimAnzeigen()
    {
        auto b = bild();
        for (const auto &[a, wert] : {std::pair{1, 255}, {2, 128 + 1}, {3, 11}, {4, 13}, {9, 3}, {10, 1}})
            b->setzeByte(a, wert);
        b->einstellungenAnzeigen();
        QCOMPARE(QVector<int>({b->Sondercode, b->byte(0), b->byte(1), b->byte(3), b->byte(4), b->byte(9), b->baueListen()}),
                 QVector<int>({1, 1, 255 - 32 - 64, 4, 4, 0, 0}));
    }

    // The card record dialog on one card, a block (17..20 either way round) and the whole page;
    // zones are bits in the planes at 512, 1024, 1536.
    void berechtigenUndSperren()
    {
        auto b = bild(-1);
        Uebergabe u = fuer(9, 9);
        QVERIFY(berechtigen(*b, u, 1, {true, false, true}, QStringLiteral("Meier")) && b->Aenderungszaehler == 1);
        QVERIFY(b->byte(513) == 2 && b->byte(1025) == 0 && b->byte(1537) == 2 && u.Zonenziffern == "13" && u.Dialogergebnis == 1
                && u.Gruppenende == 9);
        const Zeilentexte t{"     Gesperrt    ", "           Berechtigt ", "             Zeitzone ", "System:  >>>>"};
        QCOMPARE(kartenzeile(*b, 9, ">", t) + '|' + kartenzeile(*b, 0, "C ", t) + '|' + b->kartenstatus(9) + b->kartenstatus(8),
                 QStringLiteral(">0009             Zeitzone 13|C 0000     Gesperrt    |Zeitzone 13Gesperrt"));
        // Re-authorizing clears what is not ticked; no name given: kept.
        u = fuer(9, 9);
        QVERIFY(berechtigen(*b, u, 1, {false, true, false}, std::nullopt) && b->zeitzonenziffern(9) == "2" && b->Begleittext[9] == "Meier");
        // No zone, or a card or zone outside the page: nothing changes.
        const auto daten = b->Daten;
        u = fuer(9, 9);
        QVERIFY(!berechtigen(*b, u, 1, {false, false, false}, QStringLiteral("x")));
        for (const auto &[karte, zone] : {std::pair{4096, 1}, {-1, 1}, {5, 0}, {5, 4}})
            b->setzeZeitzone(karte, zone, true);
        QVERIFY(b->Daten == daten && u.Dialogergebnis == 0 && b->Begleittext[9] == QStringLiteral("Meier"));

        for (int k = 16; k <= 21; ++k)
            b->setzeZeitzone(k, 1, true), b->Begleittext[k] = QStringLiteral("Name %1").arg(k);
        u = fuer(20, 17);
        sperren(*b, u);
        for (int k = 16; k <= 21; ++k)
            QCOMPARE(b->gesperrt(k), k >= 17 && k <= 20);
        QVERIFY(u.Gruppenende == 20 && u.Eintragsnummer == 20 && u.Gruppenanfang == 21 && u.Dialogergebnis == 2);
        u = fuer(17, 20);
        QVERIFY(berechtigen(*b, u, 1, {false, true, false}, std::nullopt) && u.Zonenziffern == "2222" && u.Eintragsnummer == 20
                && u.Gruppenanfang == 17);
        for (int k = 16; k <= 21; ++k)
            QVERIFY(b->zeitzonenziffern(k) == (k == 16 || k == 21 ? "1" : "2") && b->Begleittext[k] == QStringLiteral("Name %1").arg(k));
        // A typed name goes onto every card of the group, on the page's own names.
        u = fuer(4095, 4093);
        QVERIFY(berechtigen(*b, u, 3, {true, false, false}, QStringLiteral("Gast")));
        QCOMPARE(b->Seitennamen[1].mid(4092, 5), (QVector<QString>{Leerzeile, "Gast", "Gast", "Gast", Leerzeile}));
        QVERIFY(b->Begleittext[4095] == Leerzeile && b->byte(1023) == 0xE0 && b->byte(2047) == 0);
        u = fuer(0, 4095);
        QVERIFY(berechtigen(*b, u, 1, {true, true, true}, std::nullopt) && u.Zonenziffern.size() == 3 * 4096);
        QVERIFY(alle(*b, 512, 2047, 255) && b->kartenstatus(4095) == "Berechtigt");
    }

    void systemnummer_data()
    {
        spalten<QString, int, int>("text", "byte272", "byte273");  // byte272: -1: refused
        for (const auto &[text, b272, b273] : {std::tuple{"0531", 18, 243}, {"4095", 255, 255}, {"256", 1, 240}, {"0", 0, 240}, {" 42 ", 32, 250}})
            QTest::addRow("'%s'", text) << text << b272 << b273;
        for (const char *falsch : {"", "4096", "9999", "12a", "-1", "abcd", "1 2", "00001"})
            QTest::addRow("'%s'", falsch) << falsch << -1 << 0;
    }
    void systemnummer()
    {
        const auto [text, byte272, byte273] = werte<QString, int, int>("text", "byte272", "byte273");
        auto b = bild(-1);
        b->setzeSystemnummer(531), b->setzeByte(272, 0xAB); // rebuilt from the new number alone
        const auto vorher = b->Daten;
        Uebergabe u;
        u.Systemnummer = 7;
        const bool ok = systemnummerUebernehmen(*b, u, text);
        const int n = text.trimmed().toInt();
        QCOMPARE(ok, byte272 >= 0);
        QVERIFY(ok ? b->byte(272) == byte272 && b->byte(273) == byte273 && b->systemnummer() == n && u.Systemnummer == n
                         && u.Dialogergebnis == 1 && b->Aenderungszaehler == 1
                   : b->Daten == vorher && u.Dialogergebnis == 0 && u.Systemnummer == 7);
    }

    void suche()
    {
        const QHash<QPair<int, int>, QString> zellen{{{2, 1}, "MÜLLER erste Zeile"}, {{3, 1}, "müller Karte 0"}, {{4, 1}, "Maier"},
                                                     {{9, 1}, "Bäckermaier"}, {{5, 2}, "Maike"}, {{10, 6}, "0711 4711"}, {{7, 1}, "Kai"}};
        const auto text = [&](int z, int s) { return zellen.value({z, s}); };
        // Every find, from the start row and then on after the one before.
        const auto alle = [&](const QVector<int> &spalten, int start, const QString &gesucht) {
            QStringList gefunden;
            std::optional<Treffer> t;
            while ((t = Kartenregeln::suche(text, 12, spalten, start, gesucht, t)) && gefunden.size() < 20)
                gefunden << QStringLiteral("%1/%2").arg(t->zeile).arg(t->spalte);
            return gefunden.join(QLatin1Char(' '));
        };
        QCOMPARE(alle({1}, 2, "müller") + '|' + alle({1}, 3, "MÜLLER") + '|' + alle({1}, 3, "maier") + '|' + alle({1}, 3, "nirgends"),
                 QStringLiteral("2/1 3/1|3/1|4/1 9/1|"));
        // Column by column: column 2 row 5 lies above the last find in column 1 and is still reached.
        const QVector<int> seite{1, 2, 3, 4, 5, 6, 7};
        QCOMPARE(alle(seite, 3, "ai") + '|' + alle(seite, 3, "4711"), QStringLiteral("4/1 7/1 9/1 5/2|10/6"));
        QCOMPARE(alle({1}, 4, QString()), QStringLiteral("4/1 7/1 9/1"));  // an empty text: the cells not empty
    }
};

PORTAVO_TESTKLASSE(TstDatenbild)
#include "tst_datenbild.moc"
