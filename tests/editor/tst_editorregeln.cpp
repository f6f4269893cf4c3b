// The basic-settings rules, the load routine and saving, without windows.

#include "Editorhilfe.h"

#include "shell/MeldungAufnahme.h"
#include "shell/Texttabelle.h"
#include "shell/Zustand.h"
#include "termfile/Dateiablauf.h"
#include "termfile/Einstellungsregeln.h"
#include "termfile/Terminaldatei.h"

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace Einstellungsregeln;

class tst_editorregeln : public QObject {
    Q_OBJECT

    void bildLaden(Zustand &z, const Bytes &b)
    {
        for (int i = 0; i < 2048; ++i)
            z.bild.Daten[i] = qint16(b[i]);
        z.bild.Aenderungszaehler = 0;
        z.bild.einstellungenAnzeigen();
        z.bild.Aenderungszaehler = 0;
        z.bild.baueListen();
    }

private slots:
    void initTestCase()
    {
        m_z.Sprache = 0;
        Texttabelle::ladeTexte(m_z, 101, 389);
    }

    void tueroeffnungszeitWirdGeklemmt_data()
    {
        QTest::addColumn<QString>("eingabe");
        QTest::addColumn<int>("gespeichert");
        QTest::newRow("300") << "300" << 1;
        QTest::newRow("0") << "0" << 1;
        QTest::newRow("255") << "255" << 255;
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("256") << "256" << 1;
        QTest::newRow("leer") << "" << 1;
        QTest::newRow("fuehrend") << "  42x9" << 42;
        QTest::newRow("riesig") << "99999999999999" << 1;
    }
    void tueroeffnungszeitWirdGeklemmt()
    {
        QFETCH(QString, eingabe);
        QFETCH(int, gespeichert);
        Zustand z;
        bildLaden(z, grundbild());
        QCOMPARE(verlassen(z.bild, Zahlfeld::Tueroeffnungszeit, eingabe), gespeichert);
        QCOMPARE(z.bild.byte(0), gespeichert);
        QCOMPARE(verlassen(z.bild, Zahlfeld::Adresse, eingabe), gespeichert);
        QCOMPARE(z.bild.byte(8), gespeichert);
    }

    void spur2LaengeSetztByteUndUngeradeBit()
    {
        Zustand z;
        Bytes b = grundbild();
        b[2] = 1;  // track 2 evaluated
        b[3] = 3;
        bildLaden(z, b);
        QCOMPARE(verlassen(z.bild, Zahlfeld::LaengeSpur2, "21"), 21);
        QCOMPARE(z.bild.byte(3), 11);
        QVERIFY(z.bild.bit(9, 0));
        QCOMPARE(verlassen(z.bild, Zahlfeld::LaengeSpur2, "22"), 22);
        QCOMPARE(z.bild.byte(3), 11);
        QVERIFY(!z.bild.bit(9, 0));
        QCOMPARE(verlassen(z.bild, Zahlfeld::LaengeSpur2, "23"), 1);
        QCOMPARE(z.bild.byte(3), 1);
        QVERIFY(z.bild.bit(9, 0));
        QCOMPARE(verlassen(z.bild, Zahlfeld::LaengeSpur31, "26"), 26);
        QCOMPARE(z.bild.byte(4), 13);
        QCOMPARE(verlassen(z.bild, Zahlfeld::LaengeSpur31, "27"), 1);
    }

    void laengeVerlassenOhneAenderungLeertListen()
    {
        Zustand z;
        Bytes b = grundbild();
        b[2] = 1;
        b[3] = 2;
        for (int i = 272; i < 2048; ++i)
            b[i] = 0x99;
        bildLaden(z, b);
        z.bild.Begleittext[0] = "Kommentar";
        verlassen(z.bild, Zahlfeld::LaengeSpur2, "4");
        QCOMPARE(z.bild.byte(3), 2);
        QCOMPARE(z.bild.Begleittext[0], QStringLiteral("----------"));
        QCOMPARE(z.bild.byte(272), 0);
        QCOMPARE(z.bild.byte(2045), 0);  // the last of the empty entries
        QCOMPARE(z.bild.byte(2046), 255);  // filled up to the limit
        QCOMPARE(z.bild.byte(2047), 255);
        QCOMPARE(z.bild.Zeilentext[0], QStringLiteral("0000"));
        QCOMPARE(z.bild.Listenanzahl[0], 887);
    }

    void sperrlistenSchaltenChipkarteAus()
    {
        Zustand z;
        Bytes b = grundbild();
        b[1] |= 0x08;  // chip-card message on
        b[2] = 1;
        b[3] = 2;
        bildLaden(z, b);
        z.bild.Begleittext[3] = "weg";
        MeldungAufnahme m;
        m.antworte(Meldung::Abbrechen);
        QCOMPARE(optionGedrueckt(z, m, Option::Sperrlisten, true), Folge::Nichts);
        QCOMPARE(m.textnummern(), QList<int>{319});
        QVERIFY(z.bild.flag(Flag::MeldungChipkarte));
        QCOMPARE(z.bild.Begleittext[3], QStringLiteral("weg"));
        QCOMPARE(z.bild.Aenderungszaehler, qint16(0));

        m.antworte(Meldung::Ok);
        QCOMPARE(optionGedrueckt(z, m, Option::Sperrlisten, true), Folge::NeuAngelegt);
        QVERIFY(z.bild.flag(Flag::Sperrlisten));
        QVERIFY(!z.bild.flag(Flag::MeldungChipkarte));
        QVERIFY(!chipkarteFreigegeben(z.bild));
        QCOMPARE(z.bild.Begleittext[3], QStringLiteral("----------"));
        QCOMPARE(z.bild.listenanordnung(), 3);
        QCOMPARE(z.bild.byte(1294), 255);  // list 1's limit
        QVERIFY(z.bild.Aenderungszaehler > 0);

        m.antworte(Meldung::Ok);
        QCOMPARE(optionGedrueckt(z, m, Option::Sperrlisten, false), Folge::NeuAngelegt);
        QVERIFY(chipkarteFreigegeben(z.bild));
        QVERIFY(!z.bild.flag(Flag::MeldungChipkarte));  // stays off until chosen again
    }

    void zweitesNeinWirdAbgewiesen()
    {
        Zustand z;
        Bytes b = grundbild();
        b[2] = 1;  // track 2 on, track 3/1 off
        b[3] = 2;
        bildLaden(z, b);
        MeldungAufnahme m;
        QCOMPARE(optionGedrueckt(z, m, Option::Spur2, false), Folge::Nichts);
        QCOMPARE(m.textnummern(), QList<int>{323});
        QVERIFY(z.bild.flag(Flag::Spur2Auswerten));
        QVERIFY(!z.bild.flag(Flag::Spur31Auswerten));
        QCOMPARE(z.bild.Aenderungszaehler, qint16(0));
    }

    void jaAufGewaehlterOptionTutNichts()
    {
        Zustand z;
        Bytes b = grundbild();
        b[1] |= 0x01;
        b[2] = 1;
        b[3] = 2;
        bildLaden(z, b);
        const auto vorher = z.bild.Daten;
        MeldungAufnahme m;
        for (Option o : {Option::Summer, Option::Spur2, Option::Startzeichen})
            QCOMPARE(optionGedrueckt(z, m, o, true), Folge::Nichts);
        QCOMPARE(optionGedrueckt(z, m, Option::Sperrlisten, false), Folge::Nichts);
        QVERIFY(m.eintraege().isEmpty());
        QCOMPARE(z.bild.Aenderungszaehler, qint16(0));
        QVERIFY(z.bild.Daten == vorher);
    }

    void einfacheOptionenSetzenIhrBit()
    {
        Zustand z;
        bildLaden(z, grundbild());
        MeldungAufnahme m;
        QVERIFY(istJa(z.bild, Option::Startzeichen));  // bit 3 clear = "Ja"
        QCOMPARE(optionGedrueckt(z, m, Option::Startzeichen, false), Folge::Angezeigt);
        QVERIFY(z.bild.bit(2, 3));
        QCOMPARE(optionGedrueckt(z, m, Option::Stoerung, true), Folge::Angezeigt);
        QVERIFY(z.bild.bit(1, 7));
        QCOMPARE(optionGedrueckt(z, m, Option::Ueberwachungsmodul, true), Folge::Angezeigt);
        QVERIFY(z.bild.bit(2, 2));
        QCOMPARE(optionGedrueckt(z, m, Option::Display, true), Folge::Angezeigt);
        QVERIFY(z.bild.bit(1, 5));
        QVERIFY(m.eintraege().isEmpty());
        QCOMPARE(z.bild.Aenderungszaehler, qint16(4));
    }

    void spurJaFragtUndLegtNeuAn()
    {
        Zustand z;
        Bytes b = grundbild();
        b[2] = 1;
        b[3] = 2;
        b[4] = 3;
        b[9] = 2;  // track 3/1: 5 digits
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
    }

    void sondercodeSpurwechselOhneFrage()
    {
        Zustand z;
        Bytes b = grundbild();
        b[2] = 0x80 | 0x02;  // special code, track 3/1
        b[600] = 0x0F;
        bildLaden(z, b);
        MeldungAufnahme m;
        QCOMPARE(optionGedrueckt(z, m, Option::Spur2, true), Folge::Angezeigt);
        QVERIFY(m.eintraege().isEmpty());
        QVERIFY(z.bild.flag(Flag::Spur2Auswerten));
        QVERIFY(!z.bild.flag(Flag::Spur31Auswerten));
        QCOMPARE(z.bild.byte(600), 0x0F);  // time zones kept
        QCOMPARE(z.bild.byte(3), 4);
    }

    void sondercodeNeuAnlageSperrtAlleKarten()
    {
        Zustand z;
        Bytes b = grundbild();
        b[2] = 0x80 | 0x03;
        b[272] = 18;
        b[273] = 243;
        for (int i = 512; i < 2048; ++i)
            b[i] = 0xAA;
        bildLaden(z, b);
        z.bild.Begleittext[9] = "Name";
        legeNeuAn(z.bild);
        for (int i = 512; i < 2048; ++i)
            QCOMPARE(z.bild.byte(i), 0);
        QCOMPARE(z.bild.systemnummer(), 531);
        QCOMPARE(z.bild.Begleittext[9], QStringLiteral("----------"));
    }

    void passwortUebernahme()
    {
        Zustand z;
        bildLaden(z, grundbild());
        z.PasswortOK = 1;
        z.Passwort = QByteArray("X1234");
        QVERIFY(!passwortUebernehmen(z));
        QCOMPARE(z.bild.passwortZiffern(), QStringLiteral("123456"));
        z.Passwort = QByteArray("0") + char(0x98) + char(0x76) + char(0x54);
        z.PasswortOK = 0;
        QVERIFY(!passwortUebernehmen(z));
        z.PasswortOK = 1;
        QVERIFY(passwortUebernehmen(z));
        QCOMPARE(z.bild.passwortZiffern(), QStringLiteral("896745"));
        QCOMPARE(z.bild.Aenderungszaehler, qint16(1));
    }

    void tastenfilter()
    {
        QVERIFY(zifferErlaubt("7"));
        QVERIFY(!zifferErlaubt("a"));
        QVERIFY(!zifferErlaubt(""));
        QVERIFY(datenstringZeichenErlaubt(':'));
        QVERIFY(datenstringZeichenErlaubt('?'));
        QVERIFY(datenstringZeichenErlaubt('#'));
        QVERIFY(!datenstringZeichenErlaubt('A'));
        QVERIFY(!datenstringZeichenErlaubt('/'));
        QCOMPARE(dateifilter("PORTAVOdateien|*.S2D|alle Dateien)|*.*"),
                 QStringLiteral("PORTAVOdateien (*.S2D *.s2d);;alle Dateien) (*.*)"));
    }

    // --- The load routine ---------------------------------------------------------

    void ladeRoutine()
    {
        QTemporaryDir dir;
        Zustand z;
        Texttabelle::ladeTexte(z, 101, 389);
        MeldungAufnahme m;
        Bytes b = grundbild();
        b[100] = 0xFF;
        const QString gut = dir.filePath("A.S2D");
        QVERIFY(schreibeDatei(gut, hauptdateiInhalt(b)));
        QVERIFY(schreibeDatei(dir.filePath("A.S2d"), hauptdateiInhalt(b)));
        QVERIFY(schreibeDatei(dir.filePath("A.B2D"), "x\r\n"));

        z.LadenZumBearbeiten = 1;
        for (const char *name : {"A.S2d", "A.B2D"}) {
            m.leeren();
            QVERIFY(!Dateiablauf::ladeRoutine(z, m, dir.filePath(name)).geladen);
            QCOMPARE(m.textnummern(), QList<int>{176});
        }
        QCOMPARE(z.bild.byte(100), 0);

        m.leeren();
        const Dateiablauf::Ladeergebnis e = Dateiablauf::ladeRoutine(z, m, gut);
        QVERIFY(e.geladen);
        QVERIFY(e.bearbeiten);
        QCOMPARE(z.LadenZumBearbeiten, qint16(0));
        int x = 0;
        for (int v : b)
            x ^= v;
        QCOMPARE(e.Blockpruefsumme, x ^ 3);
        QCOMPARE(z.bild.byte(100), 0xFF);
        QVERIFY(m.eintraege().isEmpty());

        // A short main file leaves Daten as it was and is reported.
        QByteArray kurz = hauptdateiInhalt(grundbild());
        kurz.truncate(kurz.size() / 2);
        QVERIFY(schreibeDatei(dir.filePath("K.S2D"), kurz));
        const Dateiablauf::Ladeergebnis k = Dateiablauf::ladeRoutine(z, m, dir.filePath("K.S2D"));
        QVERIFY(!k.geladen);
        QVERIFY(!k.bearbeiten);
        QCOMPARE(m.textnummern(), QList<int>{384});
        QCOMPARE(z.bild.byte(100), 0xFF);
    }

    // --- Saving ----------------------------------------------------------------------

    void speichernUnterNeinSchreibtNichts()
    {
        QTemporaryDir dir;
        Zustand z;
        Texttabelle::ladeTexte(z, 101, 389);
        bildLaden(z, grundbild());
        const QString ziel = dir.filePath("ALT.S2D");
        QVERIFY(schreibeDatei(ziel, "alt"));
        MeldungAufnahme m;
        m.antworte(Meldung::Nein);
        QCOMPARE(Dateiablauf::speichernUnter(z, m, ziel), Dateiablauf::Ergebnis::Abgelehnt);
        QCOMPARE(m.textnummern(), QList<int>{386});
        QCOMPARE(m.eintraege().at(0).text, QStringLiteral("Vorhandene Datei ") + ziel + QStringLiteral(" überschreiben?"));
        QCOMPARE(leseDatei(ziel), QByteArray("alt"));
        QVERIFY(!QFile::exists(dir.filePath("ALT.B2D")));

        m.antworte(Meldung::Ja);
        z.bild.Aenderungszaehler = 3;
        QCOMPARE(Dateiablauf::speichernUnter(z, m, ziel), Dateiablauf::Ergebnis::Gespeichert);
        Bytes erwartet = grundbild();
        QCOMPARE(leseDatei(ziel), hauptdateiInhalt(erwartet));
        QCOMPARE(leseDatei(dir.filePath("ALT.B2D")), begleitInhalt({}, 2001));
        QCOMPARE(z.bild.Aenderungszaehler, qint16(0));

        // A new name is written without a question.
        m.leeren();
        QCOMPARE(Dateiablauf::speichernUnter(z, m, dir.filePath("NEU.S2D")), Dateiablauf::Ergebnis::Gespeichert);
        QVERIFY(m.eintraege().isEmpty());
    }

    void fehlgeschlagenesSpeichernLaesstAlteDatei()
    {
        QTemporaryDir dir;
        Zustand z;
        Texttabelle::ladeTexte(z, 101, 389);
        bildLaden(z, grundbild());
        z.bild.setzeByte(0, 99);
        z.bild.Aenderungszaehler = 2;
        const QString basis = dir.filePath("T");
        const QByteArray alt = hauptdateiInhalt(grundbild());
        QVERIFY(schreibeDatei(basis + ".S2D", alt));

        // Files may grow to 1000 bytes only: the write breaks off part way.
        rlimit vorher{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &vorher), 0);
        const auto altesSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit eng = vorher;
        eng.rlim_cur = 1000;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &eng), 0);
        MeldungAufnahme m;
        const bool ok = Dateiablauf::speichern(z, m, basis, 1);
        setrlimit(RLIMIT_FSIZE, &vorher);
        std::signal(SIGXFSZ, altesSignal);

        QVERIFY(!ok);
        QCOMPARE(m.textnummern(), QList<int>{315});
        QVERIFY(m.eintraege().at(0).text.startsWith(QStringLiteral("Diskette voll")));
        QCOMPARE(leseDatei(basis + ".S2D"), alt);
        QCOMPARE(z.bild.Aenderungszaehler, qint16(2));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"T.S2D"});
    }

private:
    Zustand m_z;
};

QTEST_GUILESS_MAIN(tst_editorregeln)
#include "tst_editorregeln.moc"
