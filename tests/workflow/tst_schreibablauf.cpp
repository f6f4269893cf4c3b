// The write workflow on a FakePort: the write command's steps, the write button, recovery into repair.

#include "support/Testlauf.h"
#include "support/Datentabelle.h"

#include <QSignalSpy>
#include "support/Testhilfe.h"
#include "link/Schreiben.h"
#include "link/Troublesuche.h"
#include "workflow/Schreibablauf.h"

class TestSchreibablauf : public QObject {
    Q_OBJECT

    struct Lauf : Strecke<FakePort> {
        Schreibablauf ablauf{z, v, anmeldung, meldung};
        QString gewaehlt;
        int dateifragen = 0, protokollfragen = 0, passwortfragen = 0;
        bool protokollAntwort = true, passwortAntwort = true;

        Lauf()
        {
            z.terminal.adresse = 4;
            ablauf.setDateiwahl([this](auto &&...) { return ++dateifragen, gewaehlt; });
            ablauf.setProtokollwahl([this] { return ++protokollfragen, z.terminal.protokollGewaehlt = protokollAntwort; });
            ablauf.setPasswortfrage([this] {
                ++passwortfragen, z.terminal.passwort = Telegramm::packePasswort(QStringLiteral("246810"));
                return z.terminal.passwortOK = passwortAntwort;
            });
        }
    };

    QTemporaryDir m_ordner;

    // A main file; by default it keeps the terminal at its address 4.
    QString datei(const QString &name, int adresse = 4)
    {
        const QString pfad = m_ordner.filePath(name);
        const auto wert = [adresse](int i) { return i == 8 ? adresse : (i * 13) & 0xFF; };
        return schreib(pfad, hauptdatei(wert)) ? pfad : QString();
    }

private slots:
    // The write command ends before anything goes out; a repair mode ends with it.
    void endetOhneZuSenden_data()
    {
        // lage: identified, unknown (the question answered Ja/Nein), or repair; name empty: the file dialog
        // closed without a choice
        spalten<QString, QString, QList<int>, int>("lage", "name", "meldungen", "protokollfragen");
        QTest::newRow("unbekannt, Nein") << "Nein" << "gut.S2D" << QList<int>{144} << 0;
        QTest::newRow("unbekannt, Ja") << "Ja" << "gut.S2D" << QList<int>{144} << 1;
        QTest::newRow("Begleitdatei") << "bekannt" << "b.B2D" << QList<int>{176} << 0;
        QTest::newRow("gemischte Schreibung") << "bekannt" << "b.S2d" << QList<int>{176} << 0;
        QTest::newRow("keine Datei") << "bekannt" << "" << QList<int>{} << 0;
        QTest::newRow("Protokollwahl abgelehnt") << "bekannt" << "gut.S2D" << QList<int>{} << 1;
        QTest::newRow("Reparatur mit Begleitdatei") << "Reparatur" << "rep.B2D" << QList<int>{176} << 0;
        QTest::newRow("Reparatur ohne Datei") << "Reparatur" << "" << QList<int>{} << 0;
    }
    void endetOhneZuSenden()
    {
        const auto [lage, name, meldungen, protokollfragen] =
            werte<QString, QString, QList<int>, int>("lage", "name", "meldungen", "protokollfragen");
        Lauf l;
        l.z.terminal.identifiziert = lage == "bekannt";
        if (lage == "Reparatur")
            l.ablauf.schreiben().reparaturVormerken();
        if (lage == "Ja" || lage == "Nein")
            l.meldung.antworte(lage == "Ja" ? Meldung::Ja : Meldung::Nein);
        l.protokollAntwort = false;
        if (!name.isEmpty())
            l.gewaehlt = datei(name, 8);
        QSignalSpy bereit(&l.ablauf, &Schreibablauf::bereit);
        QSignalSpy nicht(&l.ablauf, &Schreibablauf::nichtBereit);
        QSignalSpy gewaehlt(&l.ablauf, &Schreibablauf::dateiGewaehlt);
        QVERIFY(!l.ablauf.schreibbefehl());
        QVERIFY(l.meldung.textnummern() == meldungen && nicht.count() == 1 && bereit.count() == 0);
        QCOMPARE(l.dateifragen, lage == "Nein" ? 0 : 1);  // declined: no file dialog
        QCOMPARE(l.protokollfragen, protokollfragen);
        // Only a file that passed is loaded (byte 8 from it).
        QCOMPARE(gewaehlt.count(), protokollfragen);
        QCOMPARE(int(l.z.bild.Daten[8]) == 8, protokollfragen == 1);
        QVERIFY(l.passwortfragen == 0 && !l.ablauf.schreiben().reparatur() && l.port.writes().isEmpty());
        QVERIFY(stillgelegt(l.ablauf));
    }

    // A new address from the file must be free (unanswered version request), else nothing goes out.
    void neueAdresseMussFreiSein_data()
    {
        spalten<int, QByteArray, bool>("neu", "antwort", "frei");  // antwort: from the new address, after the echo
        const auto version = [](int adresse, bool protokoll1) {
            QByteArray a = QByteArray() + Telegramm::STX + char(adresse) + 'V' + (protokoll1 ? "00" : "")
                           + "Ver 3.12 TS 1 04" + Telegramm::ETX;
            a += char(Telegramm::blockpruefung(a, 1, int(a.size()) - 1));
            return protokoll1 ? Telegramm::Protokoll1Quittung + a : a;
        };
        QTest::newRow("belegt") << 12 << version(12, false) << false;
        QTest::newRow("belegt, Protokoll 1") << 12 << version(12, true) << false;
        QTest::newRow("fremde Familie belegt auch") << 200 << version(200, false).replace("TS 1", "TS 2") << false;
        QTest::newRow("frei") << 12 << QByteArray() << true;
        QTest::newRow("nur Stoerbytes") << 86 << QByteArray("\xff\x00Ve", 4) << true;
    }
    void neueAdresseMussFreiSein()
    {
        const auto [neu, antwort, frei] = werte<int, QByteArray, bool>("neu", "antwort", "frei");
        Lauf l;
        l.z.terminal.identifiziert = true;
        l.gewaehlt = datei(QStringLiteral("neu.S2D"), neu);
        QSignalSpy bereit(&l.ablauf, &Schreibablauf::bereit);
        QSignalSpy nicht(&l.ablauf, &Schreibablauf::nichtBereit);
        QSignalSpy laeuft(&l.ablauf, &Schreibablauf::laeuftGeaendert);
        QVERIFY(l.ablauf.schreibbefehl() && bereit.count() + nicht.count() == 0);
        const QByteArray anfrage = Telegramm::anfrage(neu, "V");
        QCOMPARE(l.gesendet(), QList<QByteArray>{anfrage});
        QVERIFY(!l.ablauf.schreibbefehl());  // the check runs
        l.port.inject(anfrage + antwort);
        QTRY_COMPARE(bereit.count() + nicht.count(), 1);
        QCOMPARE(bereit.count(), int(frei));
        // The write goes to the present address, the new one stands in the image.
        QVERIFY(l.z.terminal.adresse == 4 && l.z.bild.Daten[8] == neu && !l.z.terminal.protokollGewaehlt);
        QVERIFY(laeuft.count() == 2 && !laeuft.last().first().toBool());
        if (frei) {
            QVERIFY(l.meldung.eintraege().isEmpty() && l.ablauf.schreibknopf());
            QCOMPARE(l.gesendet().last(), Telegramm::anfrage(4, QByteArray("P") + l.z.terminal.passwort));
            QSignalSpy beendet(&l.ablauf, &Schreibablauf::schreibenBeendet);
            l.ablauf.abbrechen();  // the cancel reaches the write sequence
            QTRY_COMPARE(beendet.count(), 1);
            QVERIFY(beendet.first().first().toInt() == 0 && !l.ablauf.schreiben().laeuft());
            return;
        }
        QCOMPARE(l.meldung.textnummern(), QList<int>{352});
        QCOMPARE(l.meldung.eintraege().first().text, QStringLiteral("Portavo Adresse %1 existiert im System!").arg(neu));
        QVERIFY(stillgelegt(l.ablauf) && l.passwortfragen == 0);
        QCOMPARE(l.gesendet(), QList<QByteArray>{anfrage});  // nothing of the write
    }

    // The file keeps the address: ready at once; the password comes first, the write's end is passed on.
    void schreibknopf()
    {
        Lauf l;
        l.z.terminal.identifiziert = true;
        l.gewaehlt = datei(QStringLiteral("gut.S2D"));
        QSignalSpy bereit(&l.ablauf, &Schreibablauf::bereit);
        QSignalSpy laeuft(&l.ablauf, &Schreibablauf::laeuftGeaendert);
        QSignalSpy beendet(&l.ablauf, &Schreibablauf::schreibenBeendet);
        QVERIFY(l.ablauf.schreibbefehl() && l.port.writes().isEmpty());
        QVERIFY(bereit.count() == 1 && !bereit.first().first().toBool() && l.ablauf.datei() == l.gewaehlt);
        QVERIFY(!l.z.terminal.protokollGewaehlt && l.protokollfragen == 1);

        // No password confirmed: nothing goes out.
        l.passwortAntwort = false;
        QVERIFY(!l.ablauf.schreibknopf() && l.passwortfragen == 1);
        QVERIFY(l.port.writes().isEmpty() && !l.ablauf.schreiben().laeuft());

        // Confirmed: the login of the write sequence.
        l.passwortAntwort = true;
        QVERIFY(l.ablauf.schreibknopf());
        QCOMPARE(l.gesendet(), QList<QByteArray>{Telegramm::anfrage(4, QByteArray("P") + l.z.terminal.passwort)});
        QVERIFY(laeuft.count() == 1 && laeuft.first().first().toBool());
        QVERIFY(!l.ablauf.schreibknopf() && l.passwortfragen == 2);  // running: the button does nothing

        // Nobody answers the login: text 154 ends the write.
        QVERIFY(beendet.wait(5000));
        QVERIFY(beendet.first().first().toInt() == 154 && !laeuft.last().first().toBool());
        QVERIFY(l.meldung.textnummern().contains(154));
    }

    // After a failed write the scan offers the repair; Yes runs the write command again in repair mode:
    // no question, no protocol identification, no password, the wake-up characters first.
    void troubleFuehrtZurReparatur_data()
    {
        QTest::addColumn<int>("antwort");
        QTest::newRow("Ja") << int(Meldung::Ja);
        QTest::newRow("Nein") << int(Meldung::Nein);
    }
    void troubleFuehrtZurReparatur()
    {
        QFETCH(int, antwort);
        Lauf l;
        l.gewaehlt = datei(QStringLiteral("rep.S2D"));
        l.z.terminal.schreibfehler = true;
        l.ablauf.trouble().setTakt(1, 0);
        l.meldung.antworte(antwort);
        QSignalSpy laeuft(&l.ablauf, &Schreibablauf::laeuftGeaendert);
        QSignalSpy sanduhr(&l.ablauf, &Schreibablauf::sanduhr);
        QSignalSpy bereit(&l.ablauf, &Schreibablauf::bereit);
        l.ablauf.troubleStarten();
        QVERIFY(laeuft.count() == 1 && laeuft.first().first().toBool());
        QVERIFY(!l.ablauf.schreibbefehl());  // no write command while the scan runs
        QTRY_VERIFY_WITH_TIMEOUT(!l.ablauf.trouble().laeuft(), 10000);
        QVERIFY(!laeuft.last().first().toBool() && sanduhr.first().first().toBool() && !sanduhr.last().first().toBool());
        QCOMPARE(l.meldung.textnummern(), QList<int>{Troublesuche::Reparaturfragenummer});
        if (antwort == Meldung::Nein) {
            QVERIFY(!l.ablauf.trouble().reparaturWartet() && !l.ablauf.schreiben().reparatur());
            return;
        }
        QVERIFY(bereit.wait(Troublesuche::Reparaturverzoegerung + 3000));
        QVERIFY(bereit.first().first().toBool() && l.ablauf.schreiben().reparatur() && l.z.terminal.identifiziert);
        QVERIFY(l.dateifragen == 1 && l.protokollfragen == 0 && l.ablauf.datei() == l.gewaehlt);
        QCOMPARE(l.meldung.textnummern(), QList<int>{Troublesuche::Reparaturfragenummer});
        l.port.clearWrites();
        QVERIFY(l.ablauf.schreibknopf() && l.passwortfragen == 0);
        QCOMPARE(l.ablauf.schreiben().phase(), Schreiben::Phase::Wecken);
        QTRY_VERIFY(!l.port.writes().isEmpty());
        QCOMPARE(l.port.writes().first().bytes, QByteArray(1, Telegramm::STX));
        l.ablauf.abbrechen();
        QVERIFY(!l.ablauf.schreiben().reparatur());
    }
};

PORTAVO_TESTKLASSE(TestSchreibablauf)
#include "tst_schreibablauf.moc"
