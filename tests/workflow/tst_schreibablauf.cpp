// The write workflow on a FakePort: the write command's steps and where
// each one stops, the write button, and the recovery scan that leads back
// into the write command in repair mode.

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
            z.Adresse = 4;
            ablauf.setDateiwahl([this](const QString &titel, const QString &, const QString &, const QString &) {
                dateititel << titel;
                return gewaehlt;
            });
            ablauf.setProtokollwahl([this] {
                ++protokollfragen;
                if (protokollAntwort)
                    z.ProtokollGewaehlt = 1;
                return protokollAntwort;
            });
            ablauf.setPasswortfrage([this] {
                ++passwortfragen;
                z.Passwort = Telegramm::packePasswort(QStringLiteral("246810"));
                z.PasswortOK = passwortAntwort ? 1 : 0;
                return passwortAntwort;
            });
        }
    };

    QTemporaryDir m_ordner;

    QString datei(const QString &name, int adresse = 8)
    {
        const QString pfad = m_ordner.filePath(name);
        return schreib(pfad, hauptdatei([adresse](int i) { return i == 8 ? adresse : (i * 13) & 0xFF; })) ? pfad
                                                                                                         : QString();
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
        QCOMPARE(l.dateititel, QStringList{l.z.Texte.value(148)});
        QCOMPARE(l.meldung.textnummern(), QList<int>{144});
    }

    void falscheEndungSendetNichts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("Begleitdatei") << QStringLiteral("b.B2D");
        QTest::newRow("gemischte Schreibung") << QStringLiteral("b.S2d");
    }
    void falscheEndungSendetNichts()
    {
        QFETCH(QString, name);
        Lauf l;
        l.z.Identifiziert = 1;
        l.gewaehlt = datei(name);
        QSignalSpy bereit(&l.ablauf, &Schreibablauf::bereit);
        QSignalSpy nicht(&l.ablauf, &Schreibablauf::nichtBereit);
        QSignalSpy gewaehlt(&l.ablauf, &Schreibablauf::dateiGewaehlt);
        QVERIFY(!l.ablauf.schreibbefehl());
        QCOMPARE(l.meldung.textnummern(), QList<int>{176});
        QCOMPARE(nicht.count(), 1);
        QCOMPARE(bereit.count(), 0);
        QCOMPARE(gewaehlt.count(), 0);
        QCOMPARE(l.protokollfragen, 0);
        QCOMPARE(l.ablauf.datei(), QString());
        QTest::qWait(50);
        QVERIFY(l.port.writes().isEmpty());
    }

    void keineDateiGewaehlt()
    {
        Lauf l;
        l.z.Identifiziert = 1;
        QSignalSpy nicht(&l.ablauf, &Schreibablauf::nichtBereit);
        QVERIFY(!l.ablauf.schreibbefehl());
        QCOMPARE(nicht.count(), 1);
        QVERIFY(l.meldung.eintraege().isEmpty());
        QCOMPARE(l.protokollfragen, 0);
    }

    void protokollwahlAbgelehntSendetNichts()
    {
        Lauf l;
        l.z.Identifiziert = 1;
        l.gewaehlt = datei(QStringLiteral("gut.S2D"));
        l.protokollAntwort = false;
        QSignalSpy bereit(&l.ablauf, &Schreibablauf::bereit);
        QSignalSpy nicht(&l.ablauf, &Schreibablauf::nichtBereit);
        QSignalSpy gewaehlt(&l.ablauf, &Schreibablauf::dateiGewaehlt);
        QVERIFY(!l.ablauf.schreibbefehl());
        QCOMPARE(l.protokollfragen, 1);
        QCOMPARE(gewaehlt.count(), 1);  // the file was loaded before
        QCOMPARE(int(l.z.bild.Daten[8]), 8);
        QCOMPARE(bereit.count(), 0);
        QCOMPARE(nicht.count(), 1);
        QCOMPARE(l.passwortfragen, 0);
        QTest::qWait(50);
        QVERIFY(l.port.writes().isEmpty());
    }

    void schreibknopf()
    {
        Lauf l;
        l.z.Identifiziert = 1;
        l.gewaehlt = datei(QStringLiteral("gut.S2D"));
        QSignalSpy bereit(&l.ablauf, &Schreibablauf::bereit);
        QSignalSpy laeuft(&l.ablauf, &Schreibablauf::laeuftGeaendert);
        QSignalSpy beendet(&l.ablauf, &Schreibablauf::schreibenBeendet);
        QVERIFY(l.ablauf.schreibbefehl());
        QCOMPARE(bereit.count(), 1);
        QCOMPARE(bereit.first().first().toBool(), false);
        QCOMPARE(l.ablauf.datei(), l.gewaehlt);
        QCOMPARE(int(l.z.ProtokollGewaehlt), 0);
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
        QCOMPARE(l.gesendet(), QList<QByteArray>{Telegramm::anfrage(4, QByteArray("P") + l.z.Passwort)});
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

    void abbrechen()
    {
        Lauf l;
        l.z.Identifiziert = 1;
        l.gewaehlt = datei(QStringLiteral("gut.S2D"));
        QVERIFY(l.ablauf.schreibbefehl());
        QVERIFY(l.ablauf.schreibknopf());
        QSignalSpy beendet(&l.ablauf, &Schreibablauf::schreibenBeendet);
        l.ablauf.abbrechen();
        QTRY_COMPARE(beendet.count(), 1);
        QCOMPARE(beendet.first().first().toInt(), 0);
        QVERIFY(!l.ablauf.schreiben().laeuft());
    }

    void reparatur()
    {
        // Repair mode: no question, no protocol identification, no password;
        // the write starts with the wake-up characters.
        Lauf l;
        l.z.Identifiziert = 0;
        l.z.Reparatur = 1;
        l.gewaehlt = datei(QStringLiteral("rep.S2D"));
        QSignalSpy bereit(&l.ablauf, &Schreibablauf::bereit);
        QVERIFY(l.ablauf.schreibbefehl());
        QCOMPARE(bereit.count(), 1);
        QCOMPARE(bereit.first().first().toBool(), true);
        QVERIFY(l.meldung.eintraege().isEmpty());
        QCOMPARE(int(l.z.Identifiziert), 1);
        QCOMPARE(l.protokollfragen, 0);
        QCOMPARE(int(l.z.Reparatur), 1);
        QVERIFY(l.ablauf.schreibknopf());
        QCOMPARE(l.passwortfragen, 0);
        QCOMPARE(l.ablauf.schreiben().phase(), Schreiben::Phase::Wecken);
        QTRY_VERIFY(!l.port.writes().isEmpty());
        QCOMPARE(l.port.writes().first().bytes, QByteArray(1, Telegramm::STX));
        l.ablauf.abbrechen();
        QCOMPARE(int(l.z.Reparatur), 0);
    }

    void reparaturMitAbgelehnterDateiVerlaesstDenReparaturmodus()
    {
        Lauf l;
        l.z.Reparatur = 1;
        l.gewaehlt = datei(QStringLiteral("rep.B2D"));
        QSignalSpy nicht(&l.ablauf, &Schreibablauf::nichtBereit);
        QVERIFY(!l.ablauf.schreibbefehl());
        QCOMPARE(nicht.count(), 1);
        QCOMPARE(l.meldung.textnummern(), QList<int>{176});
        QCOMPARE(int(l.z.Reparatur), 0);
        // The same for a file dialog closed without a choice.
        l.z.Reparatur = 1;
        l.gewaehlt.clear();
        QVERIFY(!l.ablauf.schreibbefehl());
        QCOMPARE(int(l.z.Reparatur), 0);
        QVERIFY(l.port.writes().isEmpty());
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
        l.z.Schreibfehler = 1;  // the last write failed: the repair is offered
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
            QVERIFY(!l.ablauf.trouble().timer6().isActive());
            QCOMPARE(int(l.z.Reparatur), 0);
            return;
        }
        // Two seconds later the write command runs again, in repair mode.
        QVERIFY(bereit.wait(Troublesuche::Reparaturverzoegerung + 3000));
        QCOMPARE(bereit.first().first().toBool(), true);
        QCOMPARE(int(l.z.Reparatur), 1);
        QCOMPARE(l.dateititel, QStringList{l.z.Texte.value(148)});
        QCOMPARE(l.protokollfragen, 0);
        QCOMPARE(l.ablauf.datei(), l.gewaehlt);
    }
};

QTEST_GUILESS_MAIN(TestSchreibablauf)
#include "tst_schreibablauf.moc"
