// The terminal data image: byte map, flags, lists, special-code planes
// and display characters.

#include "support/Testlauf.h"
#include "base/Datenbild.h"
#include "base/Displayzeichen.h"

#include <QSet>
#include <QTest>

#include <memory>

namespace {
// Image with both tracks of L2 and L31 bytes and the given arrangement bits.
std::unique_ptr<Datenbild> bild(int code = 0, int L2 = 0, int L31 = 0)
{
    auto b = std::make_unique<Datenbild>();
    b->setzeFlag(Flag::Sperrlisten, code & 1);
    b->setzeFlag(Flag::Spur2Auswerten, code & 2);
    b->setzeFlag(Flag::Spur31Auswerten, code & 4);
    b->setzeByte(Adresse::LaengeSpur2, L2);
    b->setzeByte(Adresse::LaengeSpur31, L31);
    return b;
}

// Bytes von..bis all hold wert.
bool alle(const Datenbild &b, int von, int bis, int wert)
{
    for (int a = von; a <= bis; ++a)
        if (b.byte(a) != wert)
            return false;
    return true;
}
}  // namespace

class TstDatenbild : public QObject {
    Q_OBJECT
private slots:
    void flagsUndBytes()
    {
        // Every flag is one bit of its own in byte 1, 2 or 9; clearing it
        // leaves the other bits of the byte alone.
        QSet<int> bits;
        for (int f = int(Flag::TueroeffnerMitSummer); f <= int(Flag::Spur31Ungerade); ++f) {
            auto b = bild();
            b->setzeFlag(Flag(f), true);
            const int a = flagort(Flag(f)).adresse, bit = b->byte(a);
            QVERIFY(a == 1 || a == 2 || a == 9);
            QVERIFY2(bit && (bit & (bit - 1)) == 0 && b->byte(1) + b->byte(2) + b->byte(9) == bit, qPrintable(QString::number(f)));
            bits.insert(a * 256 + bit);
            b->setzeByte(a, 255);
            b->setzeFlag(Flag(f), false);
            QCOMPARE(b->byte(a), 255 - bit);
        }
        QCOMPARE(bits.size(), int(Flag::Spur31Ungerade) + 1);
        auto b = bild();
        b->setzeByte(5, 300);
        QCOMPARE(b->byte(5), 300 & 255);
        b->setzeByte(2048, 7);  // outside the memory: ignored
        QCOMPARE(b->Daten[2048], qint16(0));
        QCOMPARE(b->byte(-1), 0);
        b->Daten[6] = -1;  // a stray negative value reads as a byte
        QCOMPARE(b->byte(6), 255);
        // The password: low nibble first, nibbles above 9 as character 48 + v.
        b->setzeByte(5, 0x21);
        b->setzeByte(6, 0x43);
        b->setzeByte(7, 0xF5);
        QCOMPARE(b->passwortZiffern(), QStringLiteral("12345?"));
        QVERIFY(!b->uebernimmPasswort(QByteArray("0\x11")));  // too short
        QCOMPARE(b->passwortGepackt(), QByteArray("\x21\x43\xF5"));
    }

    void anordnungUndSlots_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QVector<int>>("listen");
        QTest::addColumn<QVector<int>>("plaetze");
        // L = 11 on both tracks.
        QTest::newRow("0") << 0 << QVector<int>{} << QVector<int>{};
        QTest::newRow("1") << 1 << QVector<int>{} << QVector<int>{};
        QTest::newRow("2") << 2 << QVector<int>{1} << QVector<int>{161};
        QTest::newRow("3") << 3 << QVector<int>{1, 3} << QVector<int>{92, 68};
        QTest::newRow("4") << 4 << QVector<int>{2} << QVector<int>{161};
        QTest::newRow("5") << 5 << QVector<int>{2, 4} << QVector<int>{92, 68};
        QTest::newRow("6") << 6 << QVector<int>{1, 2} << QVector<int>{44, 116};
        QTest::newRow("7") << 7 << QVector<int>{1, 2, 3, 4} << QVector<int>{44, 48, 44, 23};
    }
    void anordnungUndSlots()
    {
        QFETCH(int, code);
        QFETCH(QVector<int>, listen);
        QFETCH(QVector<int>, plaetze);
        auto b = bild(code, 11, 11);
        QCOMPARE(b->listenanordnung(), code);
        QCOMPARE(b->listenlagen().size(), listen.size());
        int summe = 0;
        for (int i = 0; i < listen.size(); ++i) {
            QCOMPARE(b->listenlagen()[i].liste, listen[i]);
            summe += plaetze[i];
        }
        QCOMPARE(b->baueListen(), summe);
        // Entries are numbered across the lists in list order.
        int erste = 0;
        for (int liste = 1; liste <= 4; ++liste) {
            const int i = int(listen.indexOf(liste));
            QCOMPARE(b->Listenanzahl[liste - 1], i < 0 ? 0 : plaetze[i]);
            QCOMPARE(b->ersteEintragsnummer(liste), i < 0 ? -1 : erste);
            erste += i < 0 ? 0 : plaetze[i];
        }
        QVERIFY(b->Zeilentext[summe].isEmpty());
    }

    void eintraegeLesenUndSchreiben()
    {
        auto b = bild(6, 11, 11);
        b->baueListen();
        QCOMPARE(b->Zeilenadresse[44], 760);
        QVERIFY(b->listeVonEintrag(43) == 1 && b->listeVonEintrag(44) == 2 && b->listeVonEintrag(160) == 0);
        // Rebuilding for fewer entries leaves no stale rows behind.
        b = bild(2, 200);
        QCOMPARE(b->baueListen(), (2046 - 272) / 200);
        QVERIFY(b->Zeilentext[44].isEmpty());
        // Low nibble first, 14 as "#", other values as character 48 + v.
        b = bild(4, 2, 3);
        b->setzeByte(275, 0x21);  // entry 1 of list 2 (L = 3)
        b->setzeByte(276, 0xE0);
        b->setzeByte(277, 0xFA);
        QCOMPARE(b->eintrag(2, 1), QStringLiteral("120#:?"));
        QVERIFY(b->eintrag(1, 0).isEmpty());    // list 1 is not in arrangement 4
        QVERIFY(b->eintrag(2, 591).isEmpty());  // (2046 - 272) / 3 = 591 slots: 0..590
        QVERIFY(!b->eintrag(2, 590).isEmpty());

        b = bild(2, 2);
        b->baueListen();
        b->Zeilentext[1] = QStringLiteral("1#3?");
        QVERIFY(b->schreibeEintragZurueck(1));
        QVERIFY(b->byte(274) == 0xE1 && b->byte(275) == 0xF3);
        // Refused, and nothing written: wrong length (too short, or running
        // into the next entry), a character that is no nibble, no such entry.
        const auto vorher = b->Daten;
        for (const char *text : {"123", "123456", "12A4", "12 4"}) {
            b->Zeilentext[0] = QLatin1String(text);
            QVERIFY2(!b->schreibeEintragZurueck(0), text);
        }
        QVERIFY(!b->schreibeEintragZurueck(b->Listenanzahl[0]) && !b->schreibeEintragZurueck(-1));
        QVERIFY(!b->schreibeDatenstring(2047, QStringLiteral("1234")));  // past the end
        QVERIFY(b->Daten == vorher);
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
        // List 1: entries while start + 11 <= 759: 44 entries at 272..755.
        for (int k = 0; k < 44; ++k)
            QVERIFY(alle(*b, 272 + 11 * k, 272 + 11 * k + 9, 0) && b->byte(272 + 11 * k + 10) == 224);
        // List 2: entries while start + 4 <= 2047: last at 2040, 255 from 2044.
        QVERIFY(alle(*b, 756, 759, 255) && alle(*b, 760, 2043, 0) && alle(*b, 2044, 2047, 255));
        QCOMPARE(b->Begleittext[5000], Leerzeile);
        QVERIFY(b->Listenanzahl[0] == 44 && b->Listenanzahl[1] == 321);
        QCOMPARE(b->Zeilentext[0], QStringLiteral("000000000000000000000#"));
        // 2047 - 272 = 355 * 5: 355 entries are laid, 354 shown; only byte 2047 is filled.
        b = bild(2, 5);
        b->legeListenbereichNeuAn();
        QVERIFY(b->Listenanzahl[0] == 354 && alle(*b, 272, 2046, 0) && b->byte(2047) == 255);
        // A damaged file's length 0: no division by zero, no entries.
        b = bild(6, 0, 0);
        QCOMPARE(b->baueListen(), 0);
        b->legeListenbereichNeuAn();
        QVERIFY(alle(*b, 272, 2047, 255));
        // Arrangement 0: the whole area is 0.
        b = bild(0, 11, 4);
        b->setzeByte(300, 9);
        b->legeListenbereichNeuAn();
        QVERIFY(alle(*b, 272, 2047, 0));
    }

    void sondercodeEbenen()
    {
        auto b = bild();
        b->setzeZeitzone(9, 1, true);
        b->setzeZeitzone(9, 3, true);
        for (int a = 0; a < Bildgroesse; ++a)
            QCOMPARE(b->byte(a), a == 513 || a == 1537 ? 2 : 0);
        QCOMPARE(b->zeitzonenziffern(9), QStringLiteral("13"));
        b->setzeZeitzone(9, 2, true);
        b->setzeZeitzone(9, 1, false);
        QVERIFY(b->byte(513) == 0 && b->byte(1025) == 2);
        QCOMPARE(b->zeitzonenziffern(9), QStringLiteral("23"));
        QVERIFY(b->kartenstatus(9) == QStringLiteral("Zeitzone 23") && b->kartenstatus(8) == QStringLiteral("Gesperrt"));
        b->setzeZeitzone(4095, 3, true);
        b->setzeZeitzone(0, 1, true);
        QVERIFY(b->byte(2047) == 128 && b->byte(512) == 1);
        // Outside the page or the zones: nothing happens.
        const auto vorher = b->Daten;
        for (const auto &[karte, zone] : {std::pair{4096, 1}, {-1, 1}, {5, 0}, {5, 4}})
            b->setzeZeitzone(karte, zone, true);
        QVERIFY(b->Daten == vorher);
    }

    void displayzeichen()
    {
        auto b = bild();
        QCOMPARE(b->setzeDisplayzeile(0, QStringLiteral("Grüße")), QStringLiteral("Grüße           "));
        QCOMPARE(QVector<int>({b->byte(16), b->byte(17), b->byte(18), b->byte(19), b->byte(20), b->byte(21)}),
                 QVector<int>({71, 114, 245, 226, 101, 32}));
        b->setzeDisplayzeile(1, QStringLiteral("ÄÖÜ"));
        QVERIFY(b->byte(32) == 225 && b->byte(33) == 239 && b->byte(34) == 245);
        QCOMPARE(b->displayzeile(1), QStringLiteral("äöü             "));
        // 20 characters: the first 16 are kept, line 3 is untouched.
        b->setzeDisplayzeile(2, QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
        QCOMPARE(b->displayzeile(2), QStringLiteral("ABCDEFGHIJKLMNOP"));
        QCOMPARE(b->byte(64), 0);
        // Outside the code page: '?'; '€' keeps 128. 223 and 226 both read as ß.
        b->setzeDisplayzeile(3, QStringLiteral("€Ω"));
        QVERIFY(b->byte(64) == 128 && b->byte(65) == '?');
        b->setzeByte(66, 223);
        b->setzeByte(67, 226);
        QCOMPARE(b->displayzeile(3).mid(0, 4), QStringLiteral("€?ßß"));
        QCOMPARE(Displayzeichen::code(QChar(0x00DF)), 226);
        // Line 15 is exactly bytes 256..271; 272 belongs to the list area.
        b->setzeByte(272, 99);
        b->setzeDisplayzeile(15, QStringLiteral("xxxxxxxxxxxxxxxxxxxx"));
        QVERIFY(b->byte(271) == 'x' && b->byte(272) == 99);
        QVERIFY(b->displayzeile(16).isEmpty());
    }

    // Showing a special-code image puts its fixed settings in place.
    void sondercodebildBeimAnzeigen()
    {
        auto b = bild();
        for (const auto &[a, wert] : {std::pair{1, 255}, {2, 128 + 1}, {3, 11}, {4, 13}, {9, 3}, {10, 1}})
            b->setzeByte(a, wert);
        b->einstellungenAnzeigen();
        QCOMPARE(b->Sondercode, qint16(1));
        QCOMPARE(QVector<int>({b->byte(0), b->byte(1), b->byte(3), b->byte(4), b->byte(9)}),
                 QVector<int>({1, 255 - 32 - 64, 4, 4, 0}));  // 0 is written back as 1
        QCOMPARE(b->baueListen(), 0);  // no lists in special-code mode
        QVector<QString> namen(256);
        namen[1] = QStringLiteral("QRX / Norvall");
        QCOMPARE(b->protokollbeschriftung(namen), QStringLiteral("SKQRX / Norvall"));
        QCOMPARE(b->protokollbeschriftung(QVector<QString>(1)), QStringLiteral("SK"));  // short table
    }
};

PORTAVO_TESTKLASSE(TstDatenbild)
#include "tst_datenbild.moc"
