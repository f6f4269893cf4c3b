// The terminal data image: byte map, flags, lengths, lists, special-code
// planes, system number and display characters.

#include "termfile/Datenbild.h"
#include "termfile/Displayzeichen.h"

#include <QTest>

#include <memory>

namespace {
std::unique_ptr<Datenbild> neuesBild()
{
    return std::make_unique<Datenbild>();
}

// Standard image with both tracks of L bytes and the given arrangement bits.
void setzeAnordnung(Datenbild &b, int code, int L2, int L31)
{
    b.setzeFlag(Flag::Sperrlisten, code & 1);
    b.setzeFlag(Flag::Spur2Auswerten, code & 2);
    b.setzeFlag(Flag::Spur31Auswerten, code & 4);
    b.setzeByte(Adresse::LaengeSpur2, L2);
    b.setzeByte(Adresse::LaengeSpur31, L31);
}
}  // namespace

class TstDatenbild : public QObject {
    Q_OBJECT
private slots:
    void flagsSitzenAufIhrenBits_data();
    void flagsSitzenAufIhrenBits();
    void bytesBleibenImBereich();
    void datenlaengeInZiffern_data();
    void datenlaengeInZiffern();
    void passwort();
    void anordnungUndSlots_data();
    void anordnungUndSlots();
    void laufendeNummernUeberListen();
    void eintragDekodieren();
    void ungeradeLaengeMitFuellnibble();
    void frischesLayout();
    void frischesLayoutExaktesVielfaches();
    void eintragslaengeNullStuerztNicht();
    void eintragZurueckschreiben();
    void eintragZurueckschreibenVerweigert();
    void sondercodeEbenen();
    void kartenstatus();
    void systemnummer();
    void systemnummerAusText_data();
    void systemnummerAusText();
    void displayzeichenLesen();
    void displayzeichenSchreiben();
    void einstellungenAnzeigenStandard();
    void einstellungenAnzeigenSondercode();
    void protokollbeschriftung();
};

void TstDatenbild::flagsSitzenAufIhrenBits_data()
{
    QTest::addColumn<int>("flag");
    QTest::addColumn<int>("adresse");
    QTest::addColumn<int>("wert");
    QTest::newRow("Summer") << int(Flag::TueroeffnerMitSummer) << 1 << 1;
    QTest::newRow("Intervallton") << int(Flag::TueroeffnerIntervallton) << 1 << 2;
    QTest::newRow("fest 2") << int(Flag::FestBit2) << 1 << 4;
    QTest::newRow("Chipkarte") << int(Flag::MeldungChipkarte) << 1 << 8;
    QTest::newRow("fest 4") << int(Flag::FestBit4) << 1 << 16;
    QTest::newRow("Display") << int(Flag::DatenAufDisplay) << 1 << 32;
    QTest::newRow("Sperrlisten") << int(Flag::Sperrlisten) << 1 << 64;
    QTest::newRow("Stoerung") << int(Flag::TuerAufBeiStoerung) << 1 << 128;
    QTest::newRow("Spur 2") << int(Flag::Spur2Auswerten) << 2 << 1;
    QTest::newRow("Spur 3/1") << int(Flag::Spur31Auswerten) << 2 << 2;
    QTest::newRow("Ueberwachung") << int(Flag::Ueberwachungsmodul) << 2 << 4;
    QTest::newRow("Startzeichen") << int(Flag::StartzeichenNichtSenden) << 2 << 8;
    QTest::newRow("B4") << int(Flag::FlagB4) << 2 << 16;
    QTest::newRow("B6") << int(Flag::FlagB6) << 2 << 64;
    QTest::newRow("Sondercode") << int(Flag::Sondercodemodus) << 2 << 128;
    QTest::newRow("Spur 2 ungerade") << int(Flag::Spur2Ungerade) << 9 << 1;
    QTest::newRow("Spur 3/1 ungerade") << int(Flag::Spur31Ungerade) << 9 << 2;
}

void TstDatenbild::flagsSitzenAufIhrenBits()
{
    QFETCH(int, flag);
    QFETCH(int, adresse);
    QFETCH(int, wert);
    auto b = neuesBild();
    b->setzeFlag(Flag(flag), true);
    for (int a : {1, 2, 9})
        QCOMPARE(b->byte(a), a == adresse ? wert : 0);
    QVERIFY(b->flag(Flag(flag)));
    // Clearing leaves the other bits of the byte alone.
    b->setzeByte(adresse, 255);
    b->setzeFlag(Flag(flag), false);
    QCOMPARE(b->byte(adresse), 255 - wert);
    QVERIFY(!b->flag(Flag(flag)));
}

void TstDatenbild::bytesBleibenImBereich()
{
    auto b = neuesBild();
    b->setzeByte(5, 300);
    QCOMPARE(b->byte(5), 300 & 255);
    b->setzeByte(2048, 7);  // outside the memory: ignored
    QCOMPARE(b->Daten[2048], qint16(0));
    QCOMPARE(b->byte(-1), 0);
    b->Daten[6] = -1;  // a stray negative value reads as a byte
    QCOMPARE(b->byte(6), 255);
}

void TstDatenbild::datenlaengeInZiffern_data()
{
    QTest::addColumn<bool>("spur2");
    QTest::addColumn<int>("eingabe");
    QTest::addColumn<int>("gespeichert");
    QTest::addColumn<int>("byteWert");
    QTest::addColumn<bool>("ungerade");
    QTest::newRow("21 digits") << true << 21 << 21 << 11 << true;
    QTest::newRow("22 digits") << true << 22 << 22 << 11 << false;
    QTest::newRow("1 digit") << true << 1 << 1 << 1 << true;
    QTest::newRow("23 on track 2 becomes 1") << true << 23 << 1 << 1 << true;
    QTest::newRow("0 becomes 1") << true << 0 << 1 << 1 << true;
    QTest::newRow("26 on track 3/1") << false << 26 << 26 << 13 << false;
    QTest::newRow("25 on track 3/1") << false << 25 << 25 << 13 << true;
    QTest::newRow("27 on track 3/1 becomes 1") << false << 27 << 1 << 1 << true;
}

void TstDatenbild::datenlaengeInZiffern()
{
    QFETCH(bool, spur2);
    QFETCH(int, eingabe);
    QFETCH(int, gespeichert);
    QFETCH(int, byteWert);
    QFETCH(bool, ungerade);
    auto b = neuesBild();
    const Spur s = spur2 ? Spur::Spur2 : Spur::Spur31;
    // Start from the opposite odd bit so a missing update shows.
    b->setzeFlag(spur2 ? Flag::Spur2Ungerade : Flag::Spur31Ungerade, !ungerade);
    QCOMPARE(b->setzeDatenlaenge(s, eingabe), gespeichert);
    QCOMPARE(b->byte(spur2 ? 3 : 4), byteWert);
    QCOMPARE(b->flag(spur2 ? Flag::Spur2Ungerade : Flag::Spur31Ungerade), ungerade);
    QCOMPARE(b->datenlaenge(s), gespeichert);
    // The other track is untouched.
    QCOMPARE(b->byte(spur2 ? 4 : 3), 0);
}

void TstDatenbild::passwort()
{
    auto b = neuesBild();
    b->setzeByte(5, 0x21);
    b->setzeByte(6, 0x43);
    b->setzeByte(7, 0x65);
    QCOMPARE(b->passwortZiffern(), QStringLiteral("123456"));
    QCOMPARE(b->passwortGepackt(), QByteArray("\x21\x43\x65"));
    b->setzeByte(7, 0xF0);  // nibbles above 9 show as character 48 + v
    QCOMPARE(b->passwortZiffern(), QStringLiteral("12340?"));

    QVERIFY(b->uebernimmPasswort(QByteArray("0\x98\x76\x10", 4)));
    QCOMPARE(b->passwortZiffern(), QStringLiteral("896701"));
    QVERIFY(!b->uebernimmPasswort(QByteArray("Xgeheim")));
    QVERIFY(!b->uebernimmPasswort(QByteArray("0\x11")));
    QCOMPARE(b->passwortZiffern(), QStringLiteral("896701"));
}

void TstDatenbild::anordnungUndSlots_data()
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

void TstDatenbild::anordnungUndSlots()
{
    QFETCH(int, code);
    QFETCH(QVector<int>, listen);
    QFETCH(QVector<int>, plaetze);
    auto b = neuesBild();
    setzeAnordnung(*b, code, 11, 11);
    QCOMPARE(b->listenanordnung(), code);
    const QVector<Listenlage> lagen = b->listenlagen();
    QCOMPARE(lagen.size(), listen.size());
    int summe = 0;
    for (int i = 0; i < lagen.size(); ++i) {
        QCOMPARE(lagen[i].liste, listen[i]);
        QCOMPARE(b->slotanzahl(lagen[i]), plaetze[i]);
        summe += plaetze[i];
    }
    QCOMPARE(b->baueListen(), summe);
    for (int liste = 1; liste <= 4; ++liste) {
        const int i = listen.indexOf(liste);
        QCOMPARE(b->Listenanzahl[liste - 1], i < 0 ? 0 : plaetze[i]);
    }
}

void TstDatenbild::laufendeNummernUeberListen()
{
    auto b = neuesBild();
    setzeAnordnung(*b, 6, 11, 11);
    b->baueListen();
    QCOMPARE(b->ersteEintragsnummer(1), 0);
    QCOMPARE(b->ersteEintragsnummer(2), 44);
    QCOMPARE(b->ersteEintragsnummer(3), -1);
    QCOMPARE(b->Zeilenadresse[0], 272);
    QCOMPARE(b->Zeilenadresse[43], 272 + 43 * 11);
    QCOMPARE(b->Zeilenadresse[44], 760);
    QCOMPARE(b->Zeilenadresse[44 + 115], 760 + 115 * 11);
    QCOMPARE(b->Zeilentext[159].size(), 22);
    QVERIFY(b->Zeilentext[160].isEmpty());
    QCOMPARE(b->listeVonEintrag(43), 1);
    QCOMPARE(b->listeVonEintrag(44), 2);
    QCOMPARE(b->listeVonEintrag(160), 0);

    // Rebuilding for fewer entries leaves no stale rows behind.
    setzeAnordnung(*b, 2, 11, 11);
    b->setzeByte(3, 200);
    QCOMPARE(b->baueListen(), (2046 - 272) / 200);
    QVERIFY(b->Zeilentext[44].isEmpty());
    QCOMPARE(b->Listenanzahl[1], 0);

    // Arrangement 0 or 1: no list at all.
    setzeAnordnung(*b, 1, 11, 11);
    QCOMPARE(b->baueListen(), 0);
    QCOMPARE(b->Listenanzahl, (std::array<int, 4>{0, 0, 0, 0}));
}

void TstDatenbild::eintragDekodieren()
{
    auto b = neuesBild();
    setzeAnordnung(*b, 4, 2, 3);
    // Entry 1 of list 2 (L = 3) starts at 275.
    b->setzeByte(275, 0x21);  // low nibble first: "12"
    b->setzeByte(276, 0xE0);  // 0, then 14 as "#"
    b->setzeByte(277, 0xFA);  // 10 ":" and 15 "?"
    QCOMPARE(b->eintrag(2, 1), QStringLiteral("120#:?"));
    QCOMPARE(b->eintrag(2, 0), QStringLiteral("000000"));
    QVERIFY(b->eintrag(1, 0).isEmpty());    // list 1 is not in arrangement 4
    QVERIFY(b->eintrag(2, 591).isEmpty());  // (2046 - 272) / 3 = 591 slots: 0..590
    QVERIFY(!b->eintrag(2, 590).isEmpty());
    b->baueListen();
    QCOMPARE(b->Zeilentext[1], QStringLiteral("120#:?"));
}

void TstDatenbild::ungeradeLaengeMitFuellnibble()
{
    auto b = neuesBild();
    setzeAnordnung(*b, 2, 0, 0);
    QCOMPARE(b->setzeDatenlaenge(Spur::Spur2, 21), 21);
    QCOMPARE(b->byte(3), 11);
    QCOMPARE(b->datenlaenge(Spur::Spur2), 21);
    QCOMPARE(b->leereintrag(1), (QVector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 224}));
    b->legeListenbereichNeuAn();
    QCOMPARE(b->Listenanzahl[0], 161);
    for (int k = 0; k < 161; ++k)
        QCOMPARE(b->Zeilentext[k], QStringLiteral("000000000000000000000#"));

    b->setzeDatenlaenge(Spur::Spur2, 22);
    QCOMPARE(b->leereintrag(1), QVector<int>(11, 0));
}

void TstDatenbild::frischesLayout()
{
    auto b = neuesBild();
    for (int a = 272; a < 2048; ++a)
        b->setzeByte(a, 0x77);
    b->Begleittext[3] = QStringLiteral("alt");
    b->Begleittext[5000] = QStringLiteral("alt");
    setzeAnordnung(*b, 6, 0, 0);
    b->setzeDatenlaenge(Spur::Spur2, 21);  // L = 11, odd
    b->setzeDatenlaenge(Spur::Spur31, 8);  // L = 4
    b->legeListenbereichNeuAn();

    // List 1: entries while start + 11 <= 759: 44 entries at 272..755.
    for (int k = 0; k < 44; ++k) {
        for (int i = 0; i < 10; ++i)
            QCOMPARE(b->byte(272 + 11 * k + i), 0);
        QCOMPARE(b->byte(272 + 11 * k + 10), 224);
    }
    for (int a = 756; a <= 759; ++a)
        QCOMPARE(b->byte(a), 255);
    // List 2: entries while start + 4 <= 2047: last at 2040, 255 from 2044.
    QCOMPARE(b->byte(760), 0);
    QCOMPARE(b->byte(2043), 0);
    for (int a = 2044; a <= 2047; ++a)
        QCOMPARE(b->byte(a), 255);
    QCOMPARE(b->Begleittext[3], Leerzeile);
    QCOMPARE(b->Begleittext[5000], Leerzeile);
    QCOMPARE(b->Listenanzahl[0], 44);
    QCOMPARE(b->Listenanzahl[1], 321);
    QCOMPARE(b->Zeilentext[44], QStringLiteral("00000000"));

    // Arrangement 0: the whole area is 0.
    setzeAnordnung(*b, 0, 11, 4);
    b->legeListenbereichNeuAn();
    for (int a = 272; a < 2048; ++a)
        QCOMPARE(b->byte(a), 0);
}

void TstDatenbild::frischesLayoutExaktesVielfaches()
{
    // 2047 - 272 = 1775 = 355 * 5: the layout lays 355 entries, the view
    // shows (2046 - 272) / 5 = 354 of them; only byte 2047 is filled.
    auto b = neuesBild();
    setzeAnordnung(*b, 2, 5, 0);
    b->legeListenbereichNeuAn();
    QCOMPARE(b->Listenanzahl[0], 354);
    for (int a = 272; a <= 2046; ++a)
        QCOMPARE(b->byte(a), 0);
    QCOMPARE(b->byte(2047), 255);
}

void TstDatenbild::eintragslaengeNullStuerztNicht()
{
    // A damaged file may hold a length of 0: no division by zero, no
    // endless layout, just no entries.
    auto b = neuesBild();
    setzeAnordnung(*b, 6, 0, 0);
    QCOMPARE(b->baueListen(), 0);
    b->legeListenbereichNeuAn();
    for (int a = 272; a < 2048; ++a)
        QCOMPARE(b->byte(a), 255);
}

void TstDatenbild::eintragZurueckschreiben()
{
    auto b = neuesBild();
    setzeAnordnung(*b, 6, 11, 2);
    b->baueListen();
    // Entry 45 = second entry of list 2 (L = 2) at 762.
    b->Zeilentext[45] = QStringLiteral("1#3?");
    QVERIFY(b->schreibeEintragZurueck(45));
    QCOMPARE(b->byte(762), 0xE1);
    QCOMPARE(b->byte(763), 0xF3);
    QCOMPARE(b->byte(761), 0);
    QCOMPARE(b->byte(764), 0);
    // ">" is the same nibble as "#".
    QVERIFY(b->schreibeDatenstring(762, QStringLiteral(">0")));
    QCOMPARE(b->byte(762), 14);

    // Round trip of a whole entry through decode and write-back.
    b->Zeilentext[0] = QStringLiteral("123456789:;<=>?#012345");
    QVERIFY(b->schreibeEintragZurueck(0));
    b->baueListen();
    QCOMPARE(b->Zeilentext[0], QStringLiteral("123456789:;<=#?#012345"));
}

void TstDatenbild::eintragZurueckschreibenVerweigert()
{
    auto b = neuesBild();
    setzeAnordnung(*b, 2, 2, 0);
    b->baueListen();
    const auto vorher = b->Daten;
    b->Zeilentext[0] = QStringLiteral("123");  // too short
    QVERIFY(!b->schreibeEintragZurueck(0));
    b->Zeilentext[0] = QStringLiteral("123456");  // would run into entry 1
    QVERIFY(!b->schreibeEintragZurueck(0));
    b->Zeilentext[0] = QStringLiteral("12A4");  // not a nibble character
    QVERIFY(!b->schreibeEintragZurueck(0));
    b->Zeilentext[0] = QStringLiteral("12 4");
    QVERIFY(!b->schreibeEintragZurueck(0));
    QVERIFY(!b->schreibeEintragZurueck(b->Listenanzahl[0]));  // no such entry
    QVERIFY(!b->schreibeEintragZurueck(-1));
    QVERIFY(!b->schreibeDatenstring(2047, QStringLiteral("1234")));  // past the end
    QVERIFY(b->Daten == vorher);
}

void TstDatenbild::sondercodeEbenen()
{
    auto b = neuesBild();
    b->setzeZeitzone(9, 1, true);
    b->setzeZeitzone(9, 2, true);
    b->setzeZeitzone(9, 3, true);
    for (int a = 0; a < Bildgroesse; ++a) {
        const bool erwartet = a == 513 || a == 1025 || a == 1537;
        QCOMPARE(b->byte(a), erwartet ? 2 : 0);
    }
    b->setzeZeitzone(9, 2, false);
    QCOMPARE(b->byte(1025), 0);
    QCOMPARE(b->byte(513), 2);

    b->setzeZeitzone(4095, 3, true);
    QCOMPARE(b->byte(2047), 128);
    b->setzeZeitzone(0, 1, true);
    QCOMPARE(b->byte(512), 1);
    QVERIFY(b->zeitzone(0, 1));
    QVERIFY(!b->zeitzone(1, 1));

    // Outside the page or the zones: nothing happens.
    const auto vorher = b->Daten;
    b->setzeZeitzone(4096, 1, true);
    b->setzeZeitzone(-1, 1, true);
    b->setzeZeitzone(5, 0, true);
    b->setzeZeitzone(5, 4, true);
    QVERIFY(b->Daten == vorher);
    QVERIFY(!b->zeitzone(4096, 1));
}

void TstDatenbild::kartenstatus()
{
    auto b = neuesBild();
    QCOMPARE(b->kartenstatus(9), QStringLiteral("Gesperrt"));
    QVERIFY(b->gesperrt(9));
    b->setzeByte(513, 2);
    b->setzeByte(1537, 2);
    QCOMPARE(b->zeitzonenziffern(9), QStringLiteral("13"));
    QCOMPARE(b->kartenstatus(9), QStringLiteral("Zeitzone 13"));
    b->setzeByte(1025, 2);
    QCOMPARE(b->kartenstatus(9), QStringLiteral("Berechtigt"));
    b->setzeByte(513, 0);
    QCOMPARE(b->kartenstatus(9), QStringLiteral("Zeitzone 23"));
    QCOMPARE(b->kartenstatus(8), QStringLiteral("Gesperrt"));
    QCOMPARE(b->kartenstatus(10), QStringLiteral("Gesperrt"));
}

void TstDatenbild::systemnummer()
{
    auto b = neuesBild();
    b->setzeByte(272, 18);
    b->setzeByte(273, 3);
    QCOMPARE(b->systemnummer(), 531);
    QCOMPARE(b->systemnummerText(), QStringLiteral("0531"));

    QVERIFY(b->setzeSystemnummer(531));
    QCOMPARE(b->byte(272), 18);
    QCOMPARE(b->byte(273), 243);
    QVERIFY(b->setzeSystemnummer(4095));
    QCOMPARE(b->byte(272), 255);
    QCOMPARE(b->byte(273), 255);
    QVERIFY(b->setzeSystemnummer(256));
    QCOMPARE(b->byte(272), 1);
    QCOMPARE(b->byte(273), 240);
    QCOMPARE(b->systemnummerText(), QStringLiteral("0256"));

    // Values the two bytes cannot hold are refused and change nothing.
    QVERIFY(!b->setzeSystemnummer(4096));
    QVERIFY(!b->setzeSystemnummer(-1));
    QCOMPARE(b->systemnummer(), 256);

    // Every number survives encoding and decoding.
    for (int n = 0; n <= 4095; ++n) {
        b->setzeSystemnummer(n);
        if (b->systemnummer() != n)
            QFAIL(qPrintable(QStringLiteral("system number %1 decodes as %2").arg(n).arg(b->systemnummer())));
    }
}

void TstDatenbild::systemnummerAusText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("wert");  // -1: refused
    QTest::newRow("531") << "531" << 531;
    QTest::newRow("0531") << "0531" << 531;
    QTest::newRow("blanks") << " 42 " << 42;
    QTest::newRow("4095") << "4095" << 4095;
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("4096") << "4096" << -1;
    QTest::newRow("9999") << "9999" << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("letters") << "abc" << -1;
    QTest::newRow("mixed") << "12a" << -1;
    QTest::newRow("sign") << "-1" << -1;
    QTest::newRow("five digits") << "00001" << -1;
}

void TstDatenbild::systemnummerAusText()
{
    QFETCH(QString, text);
    QFETCH(int, wert);
    const std::optional<int> n = Datenbild::systemnummerAusText(text);
    QCOMPARE(n.has_value(), wert >= 0);
    if (n)
        QCOMPARE(*n, wert);
}

void TstDatenbild::displayzeichenLesen()
{
    auto b = neuesBild();
    for (int j = 0; j < 16; ++j)
        b->setzeByte(16 + j, 32);
    QCOMPARE(b->displayzeile(0), QString(16, QLatin1Char(' ')));

    const int bytes[] = {225, 239, 245, 226, 223, 228, 0x80, 65};
    for (int j = 0; j < 8; ++j)
        b->setzeByte(32 + j, bytes[j]);
    const QString zeile = b->displayzeile(1);
    QCOMPARE(zeile.size(), 16);
    QCOMPARE(zeile.left(8), QStringLiteral("äöüßßä€A"));
    QCOMPARE(zeile.at(4).unicode(), char16_t(223));

    // Line 15 is bytes 256..271; 272 belongs to the list area.
    b->setzeByte(271, 'Z');
    b->setzeByte(272, 'Y');
    QCOMPARE(b->displayzeile(15).at(15), QLatin1Char('Z'));
    QVERIFY(b->displayzeile(16).isEmpty());
}

void TstDatenbild::displayzeichenSchreiben()
{
    auto b = neuesBild();
    QCOMPARE(b->setzeDisplayzeile(0, QStringLiteral("Grüße")), QStringLiteral("Grüße           "));
    const int gruesse[] = {71, 114, 245, 226, 101};
    for (int j = 0; j < 16; ++j)
        QCOMPARE(b->byte(16 + j), j < 5 ? gruesse[j] : 32);

    b->setzeDisplayzeile(1, QStringLiteral("ÄÖÜ"));
    QCOMPARE(b->byte(32), 225);
    QCOMPARE(b->byte(33), 239);
    QCOMPARE(b->byte(34), 245);
    QCOMPARE(b->byte(35), 32);
    QCOMPARE(b->displayzeile(1), QStringLiteral("äöü             "));

    // 20 characters: the first 16 are kept, line 3 is untouched.
    b->setzeDisplayzeile(2, QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
    QCOMPARE(b->displayzeile(2), QStringLiteral("ABCDEFGHIJKLMNOP"));
    QCOMPARE(b->byte(64), 0);

    // Characters outside the code page become '?'; '€' keeps its code 128.
    b->setzeDisplayzeile(3, QStringLiteral("€Ω"));
    QCOMPARE(b->byte(64), 128);
    QCOMPARE(b->byte(65), int('?'));

    // Line 15 writes exactly bytes 256..271.
    b->setzeByte(272, 99);
    b->setzeDisplayzeile(15, QStringLiteral("xxxxxxxxxxxxxxxxxxxx"));
    QCOMPARE(b->byte(271), int('x'));
    QCOMPARE(b->byte(272), 99);

    QCOMPARE(Displayzeichen::code(QChar(0x00DF)), 226);
    QCOMPARE(Displayzeichen::code(QChar(0x00E1)), 225);  // á has the same code as the display's ä
}

void TstDatenbild::einstellungenAnzeigenStandard()
{
    auto b = neuesBild();
    b->setzeByte(3, 11);
    b->setzeByte(9, 3);
    b->setzeFlag(Flag::Sperrlisten, true);
    b->setzeFlag(Flag::DatenAufDisplay, true);
    b->Aenderungszaehler = -1;
    b->Sondercode = 1;
    b->einstellungenAnzeigen();
    QCOMPARE(b->byte(0), 1);  // 0 is written back as 1
    QCOMPARE(b->Aenderungszaehler, qint16(0));
    QCOMPARE(b->Sondercode, qint16(0));
    QCOMPARE(b->byte(3), 11);
    QCOMPARE(b->byte(9), 3);
    QVERIFY(b->flag(Flag::Sperrlisten));
    QVERIFY(b->flag(Flag::DatenAufDisplay));
    b->einstellungenAnzeigen();
    QCOMPARE(b->Aenderungszaehler, qint16(1));

    b->setzeByte(0, 255);
    b->einstellungenAnzeigen();
    QCOMPARE(b->byte(0), 255);
    const Grundeinstellungen g = b->grundeinstellungen();
    QCOMPARE(g.tueroeffnungszeit, 255);
    QCOMPARE(g.laengeSpur2, 21);
    QVERIFY(g.sperrlisten);
    QVERIFY(g.startzeichenSenden);
    b->setzeFlag(Flag::StartzeichenNichtSenden, true);
    QVERIFY(!b->grundeinstellungen().startzeichenSenden);
}

void TstDatenbild::einstellungenAnzeigenSondercode()
{
    auto b = neuesBild();
    b->setzeByte(1, 255);
    b->setzeByte(2, 128 + 1);
    b->setzeByte(3, 11);
    b->setzeByte(4, 13);
    b->setzeByte(9, 3);
    b->setzeByte(0, 9);
    b->einstellungenAnzeigen();
    QCOMPARE(b->Sondercode, qint16(1));
    QCOMPARE(b->byte(3), 4);
    QCOMPARE(b->byte(4), 4);
    QCOMPARE(b->byte(9), 0);
    QCOMPARE(b->byte(1), 255 - 32 - 64);
    QCOMPARE(b->byte(2), 129);
    QCOMPARE(b->byte(0), 9);
    QCOMPARE(b->datenlaenge(Spur::Spur2), 8);
    QCOMPARE(b->datenlaenge(Spur::Spur31), 8);
    // A special-code image shows no lists.
    QCOMPARE(b->baueListen(), 0);
}

void TstDatenbild::protokollbeschriftung()
{
    QVector<QString> namen(256);
    namen[0] = QStringLiteral("Standard");
    namen[1] = QStringLiteral("QRX / Norvall");
    namen[255] = QStringLiteral("Unbekannt");
    auto b = neuesBild();
    b->setzeByte(10, 1);
    QCOMPARE(b->protokollbeschriftung(namen), QStringLiteral("QRX / Norvall"));
    b->setzeFlag(Flag::Sondercodemodus, true);
    QCOMPARE(b->protokollbeschriftung(namen), QStringLiteral("SKQRX / Norvall"));
    b->setzeByte(10, 255);
    QCOMPARE(b->protokollbeschriftung(namen), QStringLiteral("SKUnbekannt"));
    b->setzeFlag(Flag::Sondercodemodus, false);
    QCOMPARE(b->protokollbeschriftung(QVector<QString>(2)), QString());  // short table
}

QTEST_APPLESS_MAIN(TstDatenbild)
#include "tst_datenbild.moc"
