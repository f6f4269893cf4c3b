// The codec against byte strings written out by hand.

#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "link/Telegramm.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

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

const quint8 *roh(const QByteArray &b)
{
    return reinterpret_cast<const quint8 *>(b.constData());
}

}  // namespace

class TestTelegramm : public QObject {
    Q_OBJECT
private slots:
    void anfrageBytes_data()
    {
        spalten<int, QByteArray, QByteArray>("adresse", "befehl", "bytes");
        QTest::newRow("E an 1") << 1 << QByteArray("E") << QByteArray::fromHex("0201450347");
        QTest::newRow("X an alle") << 255 << QByteArray("X") << QByteArray::fromHex("02FF5803A4");
        // Address equals the command byte: the check is ETX itself, sent raw.
        QTest::newRow("Pruefbyte 03") << 0x45 << QByteArray("E") << QByteArray::fromHex("0245450303");
        QTest::newRow("Pruefbyte 02") << 0x44 << QByteArray("E") << QByteArray::fromHex("0244450302");
        QTest::newRow("Adresse 0") << 0 << QByteArray("V") << QByteArray::fromHex("0200560355");
        // "203011" packs to 02 03 11: STX and ETX inside the command, not escaped.
        QTest::newRow("Anmeldung 02 03") << 1 << QByteArray("P") + Telegramm::packePasswort("203011")
                                         << QByteArray::fromHex("020150300203110372");
        // Refused requests (address out of range, no command): TestVerbindung::anfrageVerweigert.
    }

    void anfrageBytes()
    {
        const auto [adresse, befehl, bytes] = werte<int, QByteArray, QByteArray>("adresse", "befehl", "bytes");
        QCOMPARE(Telegramm::anfrage(adresse, befehl).toHex(), bytes.toHex());
    }

    void blockpruefungBereiche()
    {
        const QByteArray b = QByteArray::fromHex("0102040810");
        QCOMPARE(Telegramm::blockpruefung(b), quint8(0x1F));
        QCOMPARE(Telegramm::blockpruefung(b, 1, 3), quint8(0x0E));
        QCOMPARE(Telegramm::blockpruefung(b, 3, 1), quint8(0));      // inverted
        QCOMPARE(Telegramm::blockpruefung(b, 3, 99), quint8(0x18));  // clipped at the end
        QCOMPARE(Telegramm::blockpruefung(b, -5, 0), quint8(0x01));  // clipped at the start
        QCOMPARE(Telegramm::blockpruefung(QByteArray()), quint8(0));
    }

    void passwortPacken()
    {
        QCOMPARE(Telegramm::packePasswort("123456").toHex(), QByteArray("30214365"));
        QCOMPARE(Telegramm::packePasswort("203011").toHex(), QByteArray("30020311"));
        QCOMPARE(Telegramm::packePasswort("000000").toHex(), QByteArray("30000000"));
        for (const char *falsch : {"12345", "1234567", "12a456", " 23456"})
            QVERIFY2(Telegramm::packePasswort(falsch).isEmpty(), falsch);
        QVERIFY(Telegramm::packePasswort(QString::fromUtf8("12345\u0663")).isEmpty());  // Arabic-Indic three
    }

    void paarDekodieren()
    {
        QCOMPARE(Telegramm::dekodierePaar('7', ':'), quint8(0xA7));
        QCOMPARE(Telegramm::dekodierePaar('?', '?'), quint8(0xFF));
        QCOMPARE(Telegramm::dekodierePaar('5', '0'), quint8(0x05));
        // Bits 4 and 5 are masked, bits 6 and 7 of the first character stay,
        // and the second character's upper bits fall off the byte.
        QCOMPARE(Telegramm::dekodierePaar(0x47, 0x3A), quint8(0xE7));
        QCOMPARE(Telegramm::dekodierePaar(0x30, 0xFF), quint8(0xF0));
    }

    void vollstaendigkeit()
    {
        const QList<std::tuple<int, int>> komplett{{0, 4107}, {1, 4109}, {255, 4107}, {255, 4109}};
        for (int p : {0, 1, 2, 7, 254, 255, -1}) {
            for (int n : {4106, 4107, 4108, 4109, 4110}) {
                const bool soll = komplett.contains({p, n});
                QVERIFY2(Telegramm::antwortKomplett(p, n) == soll, qPrintable(QStringLiteral("%1/%2").arg(p).arg(n)));
                QCOMPARE(bool(Telegramm::ausleseformat(p, n)), soll);
            }
        }
    }

    void auslesestrom_data()
    {
        // The stream as a terminal puts it together, built independently of the
        // codec: echo of ACK and "E", bytes before the data, data characters,
        // ETX (not for 255), check over [pruefVon, end].
        // vorspann: the echo and all before the data; mehr: bytes decoded before the memory
        spalten<int, QByteArray, bool, int, int, int, QByteArray>(
            "protokoll", "vorspann", "etx", "pruefVon", "ersteDaten", "grenze", "mehr");
        const auto echo = [](const char *rest) { return QByteArray::fromHex(QByteArray("060201450347") + rest); };
        QTest::newRow("0") << 0 << echo("11225A") << true << 8 << 9 << 4104 << QByteArray();
        QTest::newRow("1") << 1 << echo("0201414243") << true << 11 << 11 << 4105 << QByteArray();
        QTest::newRow("255, 4107") << 255 << echo("00007E44") << false << 9 << 10 << 4104 << QByteArray();
        QTest::newRow("255, 4109") << 255 << echo("00007E44353A") << false << 9 << 10 << 4106 << QByteArray("\xA5");
    }

    void auslesestrom()
    {
        const auto [protokoll, vorspann, etx, pruefVon, ersteDaten, grenze, mehr] =
            werte<int, QByteArray, bool, int, int, int, QByteArray>(
                "protokoll", "vorspann", "etx", "pruefVon", "ersteDaten", "grenze", "mehr");
        QByteArray speicher(2048, 0);
        for (auto &ch : speicher)
            ch = char(QRandomGenerator::global()->bounded(256));
        QByteArray s = vorspann + zeichen(speicher) + (etx ? "\x03" : "");
        quint8 x = 0;
        for (int i = pruefVon; i < s.size(); ++i)
            x ^= quint8(s.at(i));
        s += char(x);
        const int n = int(s.size());
        QCOMPARE(n, 4107 + 2 * mehr.size() + (protokoll == 1 ? 2 : 0));

        const auto f = Telegramm::ausleseformat(protokoll, n);
        QVERIFY(f);
        QCOMPARE(f->pruefVon, pruefVon);
        QCOMPARE(f->pruefBis, n - 2);
        QCOMPARE(f->pruefbyte, n - 1);
        QCOMPARE(f->ersteDaten, ersteDaten);
        QCOMPARE(f->grenze, grenze);
        QVERIFY(Telegramm::pruefbyteStimmt(roh(s), n, *f));
        QCOMPARE(Telegramm::dekodiere(roh(s), n, *f), mehr + speicher);

        // The byte before the checked region is free; the first one inside and
        // the check byte itself are not.
        s[pruefVon - 1] = char(s.at(pruefVon - 1) ^ 0x55);
        QVERIFY(Telegramm::pruefbyteStimmt(roh(s), n, *f));
        for (int i : {pruefVon, n - 1}) {
            s[i] = char(s.at(i) ^ 0x01);
            QVERIFY2(!Telegramm::pruefbyteStimmt(roh(s), n, *f), qPrintable(QString::number(i)));
            s[i] = char(s.at(i) ^ 0x01);
        }
    }

    void dekodierenBleibtImStrom()
    {
        // A format whose limit reaches past the end never reads beyond it.
        const QByteArray kurz("0123456789");
        const Telegramm::Ausleseformat f{0, 0, 0, 1, 100};
        QCOMPARE(Telegramm::dekodiere(roh(kurz), int(kurz.size()), f).size(), 4);  // the pair at 9 lacks its half
        QVERIFY(!Telegramm::pruefbyteStimmt(roh(kurz), int(kurz.size()), {0, 0, 10, 0, 0}));
    }

    void festeTexte()
    {
        QCOMPARE(Telegramm::Startstring.toHex(), QByteArray("02303750693603"));
        QCOMPARE(Telegramm::Endstring.toHex(), QByteArray("7878787878787878780238486f3903"));
        QCOMPARE(Telegramm::Anmeldezusage + Telegramm::Schreibankuendigung + Telegramm::Schreibbestaetigung
                     + Telegramm::Modemankuendigung,
                 QByteArray("J\x03U24###U19######"));
        QCOMPARE(Telegramm::monitorTelegramm(Telegramm::anfrage(255, "X")),
                 QStringLiteral("**<02><FF>X<03><A4>**"));
        QCOMPARE(Telegramm::monitorTelegramm(QByteArray("<a ~")), QStringLiteral("**<3C>a ~**"));

        QByteArray speicher(2048, 0);
        speicher[0] = 2;
        speicher[2047] = 3;
        const QStringList z = Telegramm::monitorSchreibblock(Telegramm::schreibblock(speicher));
        QCOMPARE(z.mid(0, 3), (QStringList{"**02**", "**2**", "**0**"}));  // a memory byte is decimal
        QCOMPARE(z.mid(2048), (QStringList{"**3**", "**03**", "**2**"}));   // check 2 ^ 3 ^ ETX
    }
};

PORTAVO_TESTKLASSE(TestTelegramm)
#include "tst_telegramm.moc"
