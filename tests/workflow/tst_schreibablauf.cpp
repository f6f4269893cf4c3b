// The write workflow on a FakePort: the write command's steps, the write button, recovery into repair.

#include "support/Testlauf.h"

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
        QStringList dateititel;
        int protokollfragen = 0;
        bool protokollAntwort = true;
        int passwortfragen = 0;
        bool passwortAntwort = true;

        Lauf()
        {
            z.terminal.adresse = 4;
            ablauf.setDateiwahl([this](const QString &titel, const QString &, const QString &, const QString &) {
                dateititel << titel;
                return gewaehlt;
            });
            ablauf.setProtokollwahl([this] {
                ++protokollfragen;
                if (protokollAntwort)
                    z.terminal.protokollGewaehlt = true;
                return protokollAntwort;
            });
            ablauf.setPasswortfrage([this] {
                ++passwortfragen;
                z.terminal.passwort = Telegramm::packePasswort(QStringLiteral("246810"));
                z.terminal.passwortOK = passwortAntwort;
                return passwortAntwort;
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
    void nichtIdentifiziertFragtZuerst()
    {
        Lauf l;
        l.gewaehlt = datei(QStringLiteral("a.S2D"));
        QSignalSpy nicht(&l.ablauf, &Schreibablauf::nichtBereit);
        QSignalSpy begonnen(&l.ablauf, &Schreibablauf::befehlBegonnen);
        l.meldung.antworte(Meldung::Nein);
        QVERIFY(!l.ablauf.schreibbefehl());
        QCOMPARE(l.meldung.textnummern(), QList<int>{144});
        QCOMPARE(l.meldung.eintraege().first().titelnummer, 145);
        QCOMPARE(begonnen.count(), 1);
        QCOMPARE(nicht.count(), 1);
        QVERIFY(l.dateititel.isEmpty());  // declined: no file dialog

        // Yes goes on to the file choice.
        l.meldung.leeren();
        l.meldung.antworte(Meldung::Ja);
        QVERIFY(l.ablauf.schreibbefehl());
        QCOMPARE(l.dateititel, QStringList{l.z.sprache.texte.value(148)});
        QCOMPARE(l.meldung.textnummern(), QList<int>{144});
    }

    // The write command ends before anything goes out; a repair mode ends with it.
    void endetOhneZuSenden_data()
    {
        QTest::addColumn<QString>("name");  // empty: the file dialog closed without a choice
        QTest::addColumn<bool>("reparatur");
        QTest::addColumn<QList<int>>("meldungen");
        QTest::addColumn<int>("protokollfragen");
        QTest::newRow("Begleitdatei") << "b.B2D" << false << QList<int>{176} << 0;
        QTest::newRow("gemischte Schreibung") << "b.S2d" << false << QList<int>{176} << 0;
        QTest::newRow("keine Datei") << "" << false << QList<int>{} << 0;
        QTest::newRow("Protokollwahl abgelehnt") << "gut.S2D" << false << QList<int>{} << 1;
        QTest::newRow("Reparatur mit Begleitdatei") << "rep.B2D" << true << QList<int>{176} << 0;
        QTest::newRow("Reparatur ohne Datei") << "" << true << QList<int>{} << 0;
    }
    void endetOhneZuSenden()
    {
        QFETCH(QString, name);
        QFETCH(bool, reparatur);
        QFETCH(QList<int>, meldungen);
        QFETCH(int, protokollfragen);
        Lauf l;
        l.z.terminal.identifiziert = true;
        if (reparatur)
            l.ablauf.schreiben().reparaturVormerken();
        l.protokollAntwort = false;
        if (!name.isEmpty())
            l.gewaehlt = datei(name, 8);
        QSignalSpy bereit(&l.ablauf, &Schreibablauf::bereit);
        QSignalSpy nicht(&l.ablauf, &Schreibablauf::nichtBereit);
        QSignalSpy gewaehlt(&l.ablauf, &Schreibablauf::dateiGewaehlt);
        QVERIFY(!l.ablauf.schreibbefehl());
        QCOMPARE(l.meldung.textnummern(), meldungen);
        QCOMPARE(nicht.count(), 1);
        QCOMPARE(bereit.count(), 0);
        QCOMPARE(l.protokollfragen, protokollfragen);
        // Only a file that passed is loaded (byte 8 from it).
        QCOMPARE(gewaehlt.count(), protokollfragen);
        QCOMPARE(int(l.z.bild.Daten[8]) == 8, protokollfragen == 1);
        QCOMPARE(l.passwortfragen, 0);
        QVERIFY(!l.ablauf.schreiben().reparatur());
        QVERIFY(l.port.writes().isEmpty());
        QVERIFY(stillgelegt(l.ablauf));
    }

    // A new address from the file must be free (unanswered version request), else nothing goes out.
    void neueAdresseMussFreiSein_data()
    {
        QTest::addColumn<int>("neu");
        QTest::addColumn<QByteArray>("antwort");  // from the new address, after the echo
        QTest::addColumn<bool>("frei");
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
        QTest::newRow("dieselbe Adresse") << 4 << QByteArray() << true;
    }
    void neueAdresseMussFreiSein()
    {
        QFETCH(int, neu);
        QFETCH(QByteArray, antwort);
        QFETCH(bool, frei);
        Lauf l;
        l.z.terminal.identifiziert = true;
        l.gewaehlt = datei(QStringLiteral("neu.S2D"), neu);
        QSignalSpy bereit(&l.ablauf, &Schreibablauf::bereit);
        QSignalSpy nicht(&l.ablauf, &Schreibablauf::nichtBereit);
        QSignalSpy laeuft(&l.ablauf, &Schreibablauf::laeuftGeaendert);
        QVERIFY(l.ablauf.schreibbefehl());
        if (neu == l.z.terminal.adresse) {
            // Nothing to ask: ready at once.
            QCOMPARE(bereit.count(), 1);
            QVERIFY(l.port.writes().isEmpty());
            return;
        }
        QCOMPARE(bereit.count() + nicht.count(), 0);
        const QByteArray anfrage = Telegramm::anfrage(neu, "V");
        QCOMPARE(l.gesendet(), QList<QByteArray>{anfrage});
        QVERIFY(!l.ablauf.schreibbefehl());  // the check runs
        l.port.inject(anfrage + antwort);
        QTRY_COMPARE(bereit.count() + nicht.count(), 1);
        QCOMPARE(bereit.count(), int(frei));
        QCOMPARE(int(l.z.terminal.adresse), 4);  // the write goes to the present address
        QCOMPARE(int(l.z.bild.Daten[8]), neu);
        QCOMPARE(l.z.terminal.protokollGewaehlt, false);
        QCOMPARE(laeuft.count(), 2);
        QCOMPARE(laeuft.last().first().toBool(), false);
        if (frei) {
            QVERIFY(l.meldung.eintraege().isEmpty());
            QVERIFY(l.ablauf.schreibknopf());
            QCOMPARE(l.gesendet().last(), Telegramm::anfrage(4, QByteArray("P") + l.z.terminal.passwort));
            QSignalSpy beendet(&l.ablauf, &Schreibablauf::schreibenBeendet);
            l.ablauf.abbrechen();  // the cancel reaches the write sequence
            QTRY_COMPARE(beendet.count(), 1);
            QCOMPARE(beendet.first().first().toInt(), 0);
            QVERIFY(!l.ablauf.schreiben().laeuft());
            return;
        }
        QCOMPARE(l.meldung.textnummern(), QList<int>{352});
        const auto &m = l.meldung.eintraege().first();
        QCOMPARE(m.text, QStringLiteral("Portavo Adresse %1 existiert im System!").arg(neu));
        QCOMPARE(m.titel, l.z.sprache.texte.value(351));
        QCOMPARE(m.symbol, Meldung::Symbol::Ausrufezeichen);
        QVERIFY(stillgelegt(l.ablauf));
        QCOMPARE(l.gesendet(), QList<QByteArray>{anfrage});  // nothing of the write
        QCOMPARE(l.passwortfragen, 0);
    }

    void schreibknopf()
    {
        Lauf l;
        l.z.terminal.identifiziert = true;
        l.gewaehlt = datei(QStringLiteral("gut.S2D"));
        QSignalSpy bereit(&l.ablauf, &Schreibablauf::bereit);
        QSignalSpy laeuft(&l.ablauf, &Schreibablauf::laeuftGeaendert);
        QSignalSpy beendet(&l.ablauf, &Schreibablauf::schreibenBeendet);
        QVERIFY(l.ablauf.schreibbefehl());
        QCOMPARE(bereit.count(), 1);
        QCOMPARE(bereit.first().first().toBool(), false);
        QCOMPARE(l.ablauf.datei(), l.gewaehlt);
        QCOMPARE(l.z.terminal.protokollGewaehlt, false);
        QCOMPARE(l.protokollfragen, 1);

        // No password confirmed: nothing goes out.
        l.passwortAntwort = false;
        QVERIFY(!l.ablauf.schreibknopf());
        QCOMPARE(l.passwortfragen, 1);
        QVERIFY(l.port.writes().isEmpty());
        QVERIFY(!l.ablauf.schreiben().laeuft());

        // Confirmed: the login of the write sequence.
        l.passwortAntwort = true;
        QVERIFY(l.ablauf.schreibknopf());
        QCOMPARE(l.gesendet(), QList<QByteArray>{Telegramm::anfrage(4, QByteArray("P") + l.z.terminal.passwort)});
        QCOMPARE(laeuft.count(), 1);
        QCOMPARE(laeuft.first().first().toBool(), true);
        QVERIFY(!l.ablauf.schreibknopf());  // running: the button does nothing
        QCOMPARE(l.passwortfragen, 2);

        // Nobody answers the login: text 154 ends the write.
        QVERIFY(beendet.wait(5000));
        QCOMPARE(beendet.first().first().toInt(), 154);
        QCOMPARE(laeuft.last().first().toBool(), false);
        QVERIFY(l.meldung.textnummern().contains(154));
    }

    void reparatur()
    {
        // Repair mode: no question, no protocol identification, no password;
        // the write starts with the wake-up characters.
        Lauf l;
        l.z.terminal.identifiziert = false;
        l.ablauf.schreiben().reparaturVormerken();
        l.gewaehlt = datei(QStringLiteral("rep.S2D"));
        QSignalSpy bereit(&l.ablauf, &Schreibablauf::bereit);
        QVERIFY(l.ablauf.schreibbefehl());
        QCOMPARE(bereit.count(), 1);
        QCOMPARE(bereit.first().first().toBool(), true);
        QVERIFY(l.meldung.eintraege().isEmpty());
        QCOMPARE(l.z.terminal.identifiziert, true);
        QCOMPARE(l.protokollfragen, 0);
        QVERIFY(l.ablauf.schreiben().reparatur());
        QVERIFY(l.ablauf.schreibknopf());
        QCOMPARE(l.passwortfragen, 0);
        QCOMPARE(l.ablauf.schreiben().phase(), Schreiben::Phase::Wecken);
        QTRY_VERIFY(!l.port.writes().isEmpty());
        QCOMPARE(l.port.writes().first().bytes, QByteArray(1, Telegramm::STX));
        l.ablauf.abbrechen();
        QVERIFY(!l.ablauf.schreiben().reparatur());
    }

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
        l.z.terminal.schreibfehler = true;  // the last write failed: the repair is offered
        l.ablauf.trouble().setTakt(1, 0);
        l.meldung.antworte(antwort);
        QSignalSpy laeuft(&l.ablauf, &Schreibablauf::laeuftGeaendert);
        QSignalSpy sanduhr(&l.ablauf, &Schreibablauf::sanduhr);
        QSignalSpy bereit(&l.ablauf, &Schreibablauf::bereit);
        l.ablauf.troubleStarten();
        QCOMPARE(laeuft.count(), 1);
        QCOMPARE(laeuft.first().first().toBool(), true);
        QVERIFY(!l.ablauf.schreibbefehl());  // no write command while the scan runs
        QTRY_VERIFY_WITH_TIMEOUT(!l.ablauf.trouble().laeuft(), 10000);
        QCOMPARE(laeuft.last().first().toBool(), false);
        QCOMPARE(sanduhr.first().first().toBool(), true);
        QCOMPARE(sanduhr.last().first().toBool(), false);
        QCOMPARE(l.meldung.textnummern(), QList<int>{Troublesuche::Reparaturfragenummer});
        if (antwort == Meldung::Nein) {
            QVERIFY(!l.ablauf.trouble().reparaturWartet());
            QVERIFY(!l.ablauf.schreiben().reparatur());
            return;
        }
        // Two seconds later the write command runs again, in repair mode.
        QVERIFY(bereit.wait(Troublesuche::Reparaturverzoegerung + 3000));
        QCOMPARE(bereit.first().first().toBool(), true);
        QVERIFY(l.ablauf.schreiben().reparatur());
        QCOMPARE(l.dateititel, QStringList{l.z.sprache.texte.value(148)});
        QCOMPARE(l.protokollfragen, 0);
        QCOMPARE(l.ablauf.datei(), l.gewaehlt);
    }
};

PORTAVO_TESTKLASSE(TestSchreibablauf)
#include "tst_schreibablauf.moc"
