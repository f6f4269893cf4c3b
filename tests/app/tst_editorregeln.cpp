// The basic-settings rules and saving, without windows.

#include "support/Testlauf.h"
#include "Editorhilfe.h"

#include "support/Dateigrenze.h"
#include "support/Datentabelle.h"
#include "termfile/Dateiablauf.h"
#include "termfile/Einstellungsregeln.h"
#include "termfile/Terminaldatei.h"

using namespace Einstellungsregeln;

Q_DECLARE_METATYPE(Zahlfeld)

namespace {
// The image as the editor shows it after loading, texts loaded.
void bildLaden(Zustand &z, const Bytes &b)
{
    Texttabelle::ladeTexte(z, 101, 389);
    for (int i = 0; i < 2048; ++i)
        z.bild.Daten[i] = qint16(b[i]);
    z.bild.einstellungenAnzeigen();
    z.bild.Aenderungszaehler = 0;
    z.bild.baueListen();
}
}  // namespace

class tst_editorregeln : public QObject {
    Q_OBJECT

private slots:
    void zahlfeldVerlassen_data()
    {
        // ungerade: the odd bit of the length, -1: none
        spalten<Zahlfeld, QString, int, int, int, int>("feld", "eingabe", "gespeichert", "adresse", "byteWert", "ungerade");
        const auto T = Zahlfeld::Tueroeffnungszeit;
        for (const auto &[ein, wert] : {std::pair{"300", 1}, {"255", 255}, {"256", 1}, {"  42x9", 42}, {"99999999999999", 1}})
            QTest::addRow("door %s", ein) << T << ein << wert << 0 << wert << -1;
        QTest::newRow("address 300") << Zahlfeld::Adresse << "300" << 1 << 8 << 1 << -1;
        QTest::newRow("track 2: 21") << Zahlfeld::LaengeSpur2 << "21" << 21 << 3 << 11 << 1;
        QTest::newRow("track 2: 22") << Zahlfeld::LaengeSpur2 << "22" << 22 << 3 << 11 << 0;
        QTest::newRow("track 2: 23") << Zahlfeld::LaengeSpur2 << "23" << 1 << 3 << 1 << 1;
        QTest::newRow("track 3/1: 25") << Zahlfeld::LaengeSpur31 << "25" << 25 << 4 << 13 << 1;
        QTest::newRow("track 3/1: 27") << Zahlfeld::LaengeSpur31 << "27" << 1 << 4 << 1 << 1;
    }
    void zahlfeldVerlassen()
    {
        const auto [feld, eingabe, gespeichert, adresse, byteWert, ungerade] = werte<Zahlfeld, QString, int, int, int, int>(
            "feld", "eingabe", "gespeichert", "adresse", "byteWert", "ungerade");
        Zustand z;
        Bytes b = standardbild(4);
        b[9] = ungerade == 1 ? 0 : 3;  // the opposite odd bits, so a missing update shows
        bildLaden(z, b);
        QCOMPARE(verlassen(z.bild, feld, eingabe), gespeichert);
        QCOMPARE(z.bild.byte(adresse), byteWert);
        if (ungerade >= 0)
            QCOMPARE(z.bild.bit(9, feld == Zahlfeld::LaengeSpur31 ? 1 : 0), ungerade == 1);
    }

    void einfacheOptionenSetzenIhrBit()
    {
        Zustand z;
        bildLaden(z, standardbild(4));
        MeldungAufnahme m;
        QCOMPARE(optionGedrueckt(z, m, Option::Startzeichen, true), Folge::Nichts);  // already "Ja"
        // The plain options set their bit ("Startzeichen nein" sets B bit 3).
        const std::tuple<Option, bool, int, int> faelle[] = {{Option::Startzeichen, false, 2, 3}, {Option::Stoerung, true, 1, 7},
                                                             {Option::Ueberwachungsmodul, true, 2, 2}, {Option::Display, true, 1, 5}};
        for (const auto &[option, ja, adresse, bit] : faelle)
            QVERIFY(optionGedrueckt(z, m, option, ja) == Folge::Angezeigt && z.bild.bit(adresse, bit));
        QVERIFY(m.eintraege().isEmpty());
        QCOMPARE(z.bild.Aenderungszaehler, qint16(4));
    }

    void spurJaFragtUndLegtNeuAn()
    {
        Zustand z;
        Bytes b = standardbild(4, 5);
        b[2] = 1;  // track 3/1 (5 digits) not evaluated yet
        bildLaden(z, b);
        MeldungAufnahme m;
        m.antworte(Meldung::Ok);
        QCOMPARE(optionGedrueckt(z, m, Option::Spur31, true), Folge::NeuAngelegt);
        QCOMPARE(z.bild.listenanordnung(), 6);
        QCOMPARE(z.bild.byte(760 + 2), 224);  // odd length: padding nibble 14
        QCOMPARE(z.bild.Zeilentext[z.bild.ersteEintragsnummer(2)], QStringLiteral("00000#"));
        m.antworte(Meldung::Ok);
        QCOMPARE(optionGedrueckt(z, m, Option::Spur2, false), Folge::NeuAngelegt);
        QCOMPARE(z.bild.listenanordnung(), 4);
        QCOMPARE(m.textnummern(), (QList<int>{319, 319}));
    }

    // Special code: changing tracks asks nothing and keeps the time zones;
    // laying out afresh blocks every card and keeps the system number.
    void sondercodebild()
    {
        Zustand z;
        Bytes b = grundbild();
        b[2] = 0x80 | 0x02;
        b[272] = 18;
        b[273] = 243;
        for (int i = 512; i < 2048; ++i)
            b[i] = 0xAA;
        bildLaden(z, b);
        z.bild.Begleittext[9] = "Name";
        MeldungAufnahme m;
        QCOMPARE(optionGedrueckt(z, m, Option::Spur2, true), Folge::Angezeigt);
        QVERIFY(m.eintraege().isEmpty() && z.bild.flag(Flag::Spur2Auswerten) && !z.bild.flag(Flag::Spur31Auswerten));
        QCOMPARE(z.bild.byte(600), 0xAA);
        legeNeuAn(z.bild);
        for (int i = 512; i < 2048; ++i)
            QCOMPARE(z.bild.byte(i), 0);
        QCOMPARE(z.bild.systemnummer(), 531);
        QCOMPARE(z.bild.Begleittext[9], QStringLiteral("----------"));
    }

    void passwortUndDateifilter()
    {
        Zustand z;
        bildLaden(z, grundbild());
        z.terminal.passwortOK = true;
        z.terminal.passwort = QByteArray("X1234");
        QVERIFY(!passwortUebernehmen(z));
        z.terminal.passwort = QByteArray("0\x98\x76\x54");
        z.terminal.passwortOK = false;  // dialog cancelled
        QVERIFY(!passwortUebernehmen(z) && z.bild.passwortZiffern() == "123456");
        z.terminal.passwortOK = true;
        QVERIFY(passwortUebernehmen(z) && z.bild.passwortZiffern() == "896745" && z.bild.Aenderungszaehler == 1);

        QVERIFY(!zifferErlaubt(""));
    }

    void fehlgeschlagenesSpeichernLaesstAlteDatei()
    {
        QTemporaryDir dir;
        Zustand z;
        bildLaden(z, grundbild());
        z.bild.setzeByte(0, 99);
        z.bild.Aenderungszaehler = 2;
        const QString basis = dir.filePath("T");
        const QByteArray alt = hauptdateiInhalt(grundbild());
        QVERIFY(schreib(basis + ".S2D", alt));

        MeldungAufnahme m;
        QVERIFY(!Dateigrenze::unter(1000, [&] { return Dateiablauf::speichern(z, m, basis, 1); }));  // breaks off part way
        QCOMPARE(m.textnummern(), QList<int>{315});
        QVERIFY(m.eintraege().at(0).text.startsWith(QStringLiteral("Diskette voll")) && z.bild.Aenderungszaehler == 2);
        QCOMPARE(ordnerinhalt(dir.path()), (QMap<QString, QByteArray>{{"T.S2D", alt}}));
    }
};

PORTAVO_TESTKLASSE(tst_editorregeln)
#include "tst_editorregeln.moc"
