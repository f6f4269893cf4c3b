// The codec against byte strings written out by hand.

#include "link/Telegramm.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Two characters per memory byte, low nibble first.
QByteArray zeichen(const QByteArray &speicher)
{
    QByteArray z;
    for (const char ch : speicher) {
        z += char(0x30 + (quint8(ch) & 0x0F));
        z += char(0x30 + (quint8(ch) >> 4));
    }
    return z;
}

// The read-out answer as a terminal would put it together, built here
// independently of the codec: echo, skipped bytes, data characters low
// nibble first, ETX, check over [pruefVon, end of ETX].
QByteArray antwort(const QByteArray &vorspann, const QByteArray &speicher, int pruefVon)
{
    QByteArray s = vorspann + zeichen(speicher);
    s += '\x03';
    quint8 x = 0;
    for (int i = pruefVon; i < s.size(); ++i)
        x ^= quint8(s.at(i));
    s += char(x);
    return s;
}

QByteArray zufallsspeicher(int n = 2048)
{
    QByteArray b(n, 0);
    for (auto &ch : b)
        ch = char(QRandomGenerator::global()->bounded(256));
    return b;
}

const quint8 *roh(const QByteArray &b)
{
    return reinterpret_cast<const quint8 *>(b.constData());
}

}  // namespace

class TestTelegramm : public QObject {
    Q_OBJECT
private slots:
    void anfrageBytes_data();
    void anfrageBytes();
    void anfrageNichtBildbar();
    void blockpruefungBereiche();
    void passwortPacken();
    void anmeldetelegrammMitSteuerbytes();
    void schreibblockAufbau();
    void klartexte();
    void paarDekodieren();
    void vollstaendigkeit();
    void protokoll0();
    void protokoll1();
    void protokoll255();
    void dekodierenBleibtImStrom();
    void monitorzeilen();
};

void TestTelegramm::anfrageBytes_data()
{
    QTest::addColumn<int>("adresse");
    QTest::addColumn<QByteArray>("befehl");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("E an 1") << 1 << QByteArray("E") << hex("0201450347");
    QTest::newRow("X an alle") << 255 << QByteArray("X") << hex("02FF5803A4");
    // Address equals the command byte: the check comes out as ETX itself.
    QTest::newRow("Pruefbyte 03") << 0x45 << QByteArray("E") << hex("0245450303");
    QTest::newRow("Pruefbyte 02") << 0x44 << QByteArray("E") << hex("0244450302");
    QTest::newRow("Adresse 0") << 0 << QByteArray("V") << hex("0200560355");
    QTest::newRow("zwei Zeichen") << 3 << QByteArray("AB") << hex("020341420303");
}

void TestTelegramm::anfrageBytes()
{
    QFETCH(int, adresse);
    QFETCH(QByteArray, befehl);
    QFETCH(QByteArray, bytes);
    QCOMPARE(Telegramm::anfrage(adresse, befehl).toHex(), bytes.toHex());
}

void TestTelegramm::anfrageNichtBildbar()
{
    QVERIFY(Telegramm::anfrage(256, "E").isEmpty());
    QVERIFY(Telegramm::anfrage(-1, "E").isEmpty());
    QVERIFY(Telegramm::anfrage(1, QByteArray()).isEmpty());
}

void TestTelegramm::blockpruefungBereiche()
{
    const QByteArray b = hex("0102040810");
    QCOMPARE(Telegramm::blockpruefung(b), quint8(0x1F));
    QCOMPARE(Telegramm::blockpruefung(b, 1, 3), quint8(0x0E));
    QCOMPARE(Telegramm::blockpruefung(b, 2, 2), quint8(0x04));
    QCOMPARE(Telegramm::blockpruefung(b, 3, 1), quint8(0));    // inverted
    QCOMPARE(Telegramm::blockpruefung(b, 3, 99), quint8(0x18));  // clipped at the end
    QCOMPARE(Telegramm::blockpruefung(b, -5, 0), quint8(0x01));  // clipped at the start
    QCOMPARE(Telegramm::blockpruefung(QByteArray()), quint8(0));
}

void TestTelegramm::passwortPacken()
{
    QCOMPARE(Telegramm::packePasswort("123456").toHex(), QByteArray("30214365"));
    QCOMPARE(Telegramm::packePasswort("999999").toHex(), QByteArray("30999999"));
    QCOMPARE(Telegramm::packePasswort("000000").toHex(), QByteArray("30000000"));
    QVERIFY(Telegramm::packePasswort("12345").isEmpty());
    QVERIFY(Telegramm::packePasswort("1234567").isEmpty());
    QVERIFY(Telegramm::packePasswort("12a456").isEmpty());
    QVERIFY(Telegramm::packePasswort(" 23456").isEmpty());
    QVERIFY(Telegramm::packePasswort(QString::fromUtf8("12345\u0663")).isEmpty());  // Arabic-Indic three
}

void TestTelegramm::anmeldetelegrammMitSteuerbytes()
{
    // "203011" packs to 02 03 11: STX and ETX inside the command, sent raw.
    const QByteArray passwort = Telegramm::packePasswort("203011");
    QCOMPARE(passwort.toHex(), QByteArray("30020311"));
    const QByteArray t = Telegramm::anfrage(1, "P" + passwort);
    QCOMPARE(t.toHex(), QByteArray("020150300203110372"));
    QCOMPARE(t.size(), 9);
}

void TestTelegramm::schreibblockAufbau()
{
    QByteArray null(2048, 0);
    QByteArray block = Telegramm::schreibblock(null);
    QCOMPARE(block.size(), 2051);
    QCOMPARE(block.at(0), '\x02');
    QCOMPARE(block.mid(1, 2048), null);
    QCOMPARE(block.right(2).toHex(), QByteArray("0303"));

    // As the write button prepares it: byte 12 = 0, byte 13 = 15.
    null[13] = char(15);
    QCOMPARE(Telegramm::schreibblock(null).right(2).toHex(), QByteArray("030c"));

    const QByteArray speicher = zufallsspeicher();
    quint8 x = 0x03;
    for (const char ch : speicher)
        x ^= quint8(ch);
    block = Telegramm::schreibblock(speicher);
    QCOMPARE(quint8(block.at(2050)), x);
    QCOMPARE(Telegramm::schreibblockPruefbyte(speicher), x);
    QCOMPARE(block.at(2049), '\x03');

    QVERIFY(Telegramm::schreibblock(QByteArray(2047, 0)).isEmpty());
    QVERIFY(Telegramm::schreibblock(QByteArray(2049, 0)).isEmpty());
}

void TestTelegramm::klartexte()
{
    QCOMPARE(Telegramm::Quittung.toHex(), QByteArray("06"));
    QCOMPARE(Telegramm::Protokoll1Quittung.toHex(), QByteArray("02060305"));
    QCOMPARE(Telegramm::Schreibankuendigung, QByteArray("U24###"));
    QCOMPARE(Telegramm::Modemankuendigung, QByteArray("###"));
    QCOMPARE(Telegramm::Schreibbestaetigung, QByteArray("U19###"));
    QCOMPARE(Telegramm::Startstring.toHex(), QByteArray("02303750693603"));
    QCOMPARE(Telegramm::Endstring.size(), 15);
    QCOMPARE(Telegramm::Endstring.toHex(), QByteArray("7878787878787878780238486f3903"));
    QCOMPARE(Telegramm::Anmeldezusage.toHex(), QByteArray("4a03"));
}

void TestTelegramm::paarDekodieren()
{
    QCOMPARE(Telegramm::dekodierePaar('7', ':'), quint8(0xA7));
    QCOMPARE(Telegramm::dekodierePaar('0', '0'), quint8(0x00));
    QCOMPARE(Telegramm::dekodierePaar('?', '?'), quint8(0xFF));
    QCOMPARE(Telegramm::dekodierePaar('5', '0'), quint8(0x05));
    // Bits 4 and 5 are masked, bits 6 and 7 of the first character stay,
    // and the second character's upper bits fall off the byte.
    QCOMPARE(Telegramm::dekodierePaar(0x47, 0x3A), quint8(0xE7));
    QCOMPARE(Telegramm::dekodierePaar(0x30, 0xFF), quint8(0xF0));
}

void TestTelegramm::vollstaendigkeit()
{
    using Telegramm::antwortKomplett;
    QVERIFY(antwortKomplett(0, 4107));
    QVERIFY(!antwortKomplett(0, 4106));
    QVERIFY(!antwortKomplett(0, 4108));
    QVERIFY(!antwortKomplett(0, 4109));
    QVERIFY(antwortKomplett(1, 4109));
    QVERIFY(!antwortKomplett(1, 4107));
    QVERIFY(!antwortKomplett(1, 4110));
    QVERIFY(antwortKomplett(255, 4107));
    QVERIFY(antwortKomplett(255, 4109));
    QVERIFY(!antwortKomplett(255, 4108));
    for (int p : {2, 3, 7, 254, -1})
        for (int n : {4107, 4109})
            QVERIFY2(!antwortKomplett(p, n), qPrintable(QString::number(p)));
    QVERIFY(!Telegramm::ausleseformat(0, 4109));
    QVERIFY(!Telegramm::ausleseformat(2, 4107));
}

void TestTelegramm::protokoll0()
{
    const QByteArray speicher = zufallsspeicher();
    // Echo of ACK and "E" (6), two bytes not inspected, one checked header byte.
    const QByteArray vorspann = hex("060201450347") + hex("1122") + '\x5A';
    QByteArray s = antwort(vorspann, speicher, 8);
    QCOMPARE(s.size(), 4107);
    const auto f = Telegramm::ausleseformat(0, int(s.size()));
    QVERIFY(f);
    QCOMPARE(f->pruefVon, 8);
    QCOMPARE(f->pruefBis, 4105);
    QCOMPARE(f->pruefbyte, 4106);
    QVERIFY(Telegramm::pruefbyteStimmt(roh(s), int(s.size()), *f));
    QCOMPARE(Telegramm::dekodiere(roh(s), int(s.size()), *f), speicher);

    // Bytes 6 and 7 are outside the check; the header byte at 8 is inside.
    s[7] = char(s.at(7) ^ 0x55);
    QVERIFY(Telegramm::pruefbyteStimmt(roh(s), int(s.size()), *f));
    s[8] = char(s.at(8) ^ 0x01);
    QVERIFY(!Telegramm::pruefbyteStimmt(roh(s), int(s.size()), *f));
    s[8] = char(s.at(8) ^ 0x01);
    s[4106] = char(s.at(4106) ^ 0x80);
    QVERIFY(!Telegramm::pruefbyteStimmt(roh(s), int(s.size()), *f));
}

void TestTelegramm::protokoll1()
{
    const QByteArray speicher = zufallsspeicher();
    const QByteArray vorspann = hex("060201450347") + hex("0201414243");
    QByteArray s = antwort(vorspann, speicher, 11);
    QCOMPARE(s.size(), 4109);
    const auto f = Telegramm::ausleseformat(1, int(s.size()));
    QVERIFY(f);
    QCOMPARE(f->ersteDaten, 11);
    QCOMPARE(f->grenze, 4105);
    QCOMPARE(f->pruefbyte, 4108);
    QVERIFY(Telegramm::pruefbyteStimmt(roh(s), int(s.size()), *f));
    const QByteArray d = Telegramm::dekodiere(roh(s), int(s.size()), *f);
    QCOMPARE(d.size(), 2048);
    QCOMPARE(d, speicher);
    // The five bytes after the echo are not covered by the check.
    s[10] = char(s.at(10) ^ 0x7F);
    QVERIFY(Telegramm::pruefbyteStimmt(roh(s), int(s.size()), *f));
    s[4107] = '\x04';  // ETX is
    QVERIFY(!Telegramm::pruefbyteStimmt(roh(s), int(s.size()), *f));
}

void TestTelegramm::protokoll255()
{
    // 4107 bytes: data characters at 10..4105, check over 9..4105 at 4106.
    const QByteArray speicher = zufallsspeicher();
    QByteArray s = hex("060201450347") + hex("0000") + hex("7E44") + zeichen(speicher);
    s += char(Telegramm::blockpruefung(s, 9, int(s.size()) - 1));
    QCOMPARE(s.size(), 4107);
    auto f = Telegramm::ausleseformat(255, int(s.size()));
    QVERIFY(f);
    QCOMPARE(f->pruefVon, 9);
    QCOMPARE(f->pruefBis, 4105);
    QCOMPARE(f->pruefbyte, 4106);
    QCOMPARE(f->ersteDaten, 10);
    QCOMPARE(f->grenze, 4104);
    QVERIFY(Telegramm::pruefbyteStimmt(roh(s), int(s.size()), *f));
    QCOMPARE(Telegramm::dekodiere(roh(s), int(s.size()), *f), speicher);
    s[9] = char(s.at(9) ^ 0x10);  // index 9 is checked
    QVERIFY(!Telegramm::pruefbyteStimmt(roh(s), int(s.size()), *f));

    // 4109 bytes: pairs from 10 up to 4106, one byte more (2049).
    QByteArray l = hex("060201450347") + hex("0000") + hex("7E44") + QByteArray("5:") + zeichen(speicher);
    l += char(Telegramm::blockpruefung(l, 9, int(l.size()) - 1));
    QCOMPARE(l.size(), 4109);
    f = Telegramm::ausleseformat(255, int(l.size()));
    QVERIFY(f);
    QCOMPARE(f->pruefBis, 4107);
    QCOMPARE(f->pruefbyte, 4108);
    QCOMPARE(f->grenze, 4106);
    QVERIFY(Telegramm::pruefbyteStimmt(roh(l), int(l.size()), *f));
    const QByteArray d = Telegramm::dekodiere(roh(l), int(l.size()), *f);
    QCOMPARE(d.size(), 2049);
    QCOMPARE(quint8(d.at(0)), quint8(0xA5));
    QCOMPARE(d.mid(1), speicher);
}

void TestTelegramm::dekodierenBleibtImStrom()
{
    // A format whose limit reaches past the end never reads beyond it.
    const QByteArray kurz("0123456789");
    const Telegramm::Ausleseformat f{0, 0, 0, 1, 100};
    const QByteArray d = Telegramm::dekodiere(roh(kurz), int(kurz.size()), f);
    QCOMPARE(d.size(), 4);  // pairs at 1, 3, 5, 7; the pair at 9 lacks its second half
    QVERIFY(!Telegramm::pruefbyteStimmt(roh(kurz), int(kurz.size()), {0, 0, 10, 0, 0}));
}

void TestTelegramm::monitorzeilen()
{
    QCOMPARE(Telegramm::monitorTelegramm(Telegramm::anfrage(1, "E")), QStringLiteral("**<02><01>E<03>G**"));
    QCOMPARE(Telegramm::monitorTelegramm(Telegramm::anfrage(255, "X")),
             QStringLiteral("**<02><FF>X<03><A4>**"));
    QCOMPARE(Telegramm::monitorTelegramm(QByteArray("<a ~")), QStringLiteral("**<3C>a ~**"));
    QCOMPARE(Telegramm::MonitorQuittung, QStringLiteral("**06**"));
    QCOMPARE(Telegramm::MonitorProtokoll1Quittung, QStringLiteral("**02060305**"));
    QCOMPARE(Telegramm::monitorEmpfang(2), QStringLiteral("2"));
    QCOMPARE(Telegramm::monitorEmpfang(255), QStringLiteral("255"));

    QByteArray speicher(2048, 0);
    speicher[0] = 2;
    speicher[2047] = 3;
    const QStringList z = Telegramm::monitorSchreibblock(Telegramm::schreibblock(speicher));
    QCOMPARE(z.size(), 2051);
    QCOMPARE(z.at(0), QStringLiteral("**02**"));
    QCOMPARE(z.at(1), QStringLiteral("**2**"));  // a memory byte is decimal
    QCOMPARE(z.at(2), QStringLiteral("**0**"));
    QCOMPARE(z.at(2048), QStringLiteral("**3**"));
    QCOMPARE(z.at(2049), QStringLiteral("**03**"));
    QCOMPARE(z.at(2050), QStringLiteral("**2**"));  // 2 ^ 3 ^ ETX
}

QTEST_GUILESS_MAIN(TestTelegramm)
#include "tst_telegramm.moc"
