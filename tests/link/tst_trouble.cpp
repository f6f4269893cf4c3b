// The recovery scan: its triples and their timing, its ends, and the way
// from its end to the repair write.

#include "support/Testlauf.h"
#include "Aufbau.h"
#include "link/Troublesuche.h"

#include <QElapsedTimer>
#include <QSignalSpy>

class TestTrouble : public QObject {
    Q_OBJECT

private slots:
    void triplesImTakt()
    {
        Aufbau a;
        Troublesuche t(a.z, a.v, a.meldung);
        QVector<qint64> zeiten;
        QElapsedTimer uhr;
        connect(&a.port, &Port::gesendet, this, [&] { zeiten.append(uhr.elapsed()); });
        QSignalSpy sanduhr(&t, &Troublesuche::sanduhr);
        uhr.start();
        t.starte();
        QVERIFY(QTest::qWaitFor([&] { return a.port.writes().size() >= 12; }, 3000));
        t.stoppe();
        QCOMPARE(a.gesendet().mid(0, 12), (QList<QByteArray>{"111", "222", "333", "444", "555", "666", "777", "888",
                                                             "999", "000", "111", "222"}));
        // Not before 500 ms, then 50 ms apart: never closer (one triple per tick).
        QVERIFY2(zeiten.first() >= 500, qPrintable(QString::number(zeiten.first())));
        for (int i = 1; i < 12; ++i)
            QCOMPARE(a.port.writes().at(i).bytes.size(), 3);
        const qint64 elf = zeiten.at(11) - zeiten.first();
        QVERIFY2(elf >= 540, qPrintable(QString::number(elf)));
        QCOMPARE(sanduhr.first().first().toBool(), true);
        QCOMPARE(sanduhr.last().first().toBool(), false);
        QVERIFY(a.meldung.eintraege().isEmpty());
    }

    void fruehesEndeNurMitMehrAls40Bytes()
    {
        Aufbau a;
        Troublesuche t(a.z, a.v, a.meldung, &a.schreiben);
        t.setTakt(1, 1);
        QSignalSpy ende(&t, &Troublesuche::beendet);
        t.starte();
        // ACK STX 0xFF among 40 bytes is not enough yet.
        a.port.inject(QByteArray(37, '1') + "\x06\x02\xFF");
        QTest::qWait(30);
        QVERIFY(t.laeuft());
        QVERIFY(ende.isEmpty());
        a.port.inject("\x06\x02\xFF");
        QVERIFY(ende.wait(1000));
        QCOMPARE(ende.first().first().toBool(), true);
        QVERIFY(t.wartenderGesehen());
        QCOMPARE(a.v.ablage().zahl(), 0);
        // A waiting terminal was seen: the repair question; No ends there.
        QCOMPARE(a.meldung.textnummern(), QList<int>{Troublesuche::Reparaturfragenummer});
        QCOMPARE(a.meldung.eintraege().first().knoepfe, Meldung::Knoepfe::JaNein);
        QVERIFY(!t.taktLaeuft(6));
        QVERIFY(!a.schreiben.reparatur());
    }

    // Nobody answers: the scan runs its 2048 ticks; the repair is offered
    // only after a failed write, and Yes starts it after Timer6.
    void ohneAntwort_data()
    {
        QTest::addColumn<int>("schreibfehler");
        QTest::newRow("nach Schreibfehler") << 1;
        QTest::newRow("ohne Schreibfehler") << 0;
    }
    void ohneAntwort()
    {
        QFETCH(int, schreibfehler);
        Aufbau a;
        a.z.Schreibfehler = qint16(schreibfehler);
        a.meldung.antworte(Meldung::Ja);
        Troublesuche t(a.z, a.v, a.meldung, &a.schreiben);
        QSignalSpy reparatur(&t, &Troublesuche::reparaturStarten);
        QSignalSpy ende(&t, &Troublesuche::beendet);
        t.setTakt(1, 1);
        t.starte();
        QVERIFY(ende.wait(20000));
        QCOMPARE(t.gesendeteTicks(), 2048);
        QCOMPARE(a.letzterWrite(), QByteArray("888"));  // tick 2048
        QVERIFY(!t.wartenderGesehen());
        if (!schreibfehler) {
            // Nothing waits: said so once, as information, and no repair.
            QCOMPARE(a.meldung.textnummern(), QList<int>{554});
            QCOMPARE(a.meldung.eintraege().first().symbol, Meldung::Symbol::Information);
            QVERIFY(!t.taktLaeuft(6));
            return;
        }
        QCOMPARE(a.meldung.textnummern(), QList<int>{Troublesuche::Reparaturfragenummer});
        QCOMPARE(a.meldung.eintraege().first().text, Troublesuche::reparaturfrage(0));
        QVERIFY(t.taktLaeuft(6));
        QCOMPARE(t.taktabstand(6), 2000);
        QVERIFY(!a.schreiben.reparatur());
        t.naechsterTakt(6);
        QCOMPARE(reparatur.count(), 1);
        QVERIFY(a.schreiben.reparatur());
        QVERIFY(a.v.haelt(Empfaenger::Vorrang::Reparatur));
    }

    void modemportGeschlossenEndetNachEinemTick()
    {
        Aufbau a;
        FakePort modem;
        modem.setOpenFailure(Port::Oeffnungsfehler::GibtEsNicht);
        a.v.setModemPort(&modem);
        Troublesuche t(a.z, a.v, a.meldung);
        QSignalSpy ende(&t, &Troublesuche::beendet);
        t.starte();
        QVERIFY(ende.wait(1000));
        QCOMPARE(t.gesendeteTicks(), 0);
        QVERIFY(a.port.writes().isEmpty());
    }

    void laufenderSchreibvorgangWirdAbgebrochen()
    {
        Aufbau a;
        Troublesuche t(a.z, a.v, a.meldung, &a.schreiben);
        QVERIFY(a.schreiben.starte());
        t.starte();
        QVERIFY(!a.schreiben.laeuft());
        QVERIFY(!a.anmeldung.laeuft());
        t.stoppe();
    }

    // The adapter pulled during the scan: the scan ends at once with the
    // port message, and never reports that nothing was waiting.
    void portWegBeendetDenSuchlauf()
    {
        Aufbau a;
        a.z.Schreibfehler = 1;
        Troublesuche t(a.z, a.v, a.meldung);
        t.setTakt(1, 5);
        QSignalSpy ende(&t, &Troublesuche::beendet);
        QSignalSpy fortschritt(&t, &Troublesuche::fortschritt);
        t.starte();
        QTRY_VERIFY(fortschritt.size() >= 3);
        a.port.loseDevice();
        QCOMPARE(ende.size(), 1);
        QVERIFY(!t.laeuft());
        QCOMPARE(t.fehler(), 193);
        QCOMPARE(a.meldung.textnummern(), QList<int>{193});  // no repair question on a dead port
        QVERIFY(!t.taktLaeuft(6));
        QVERIFY(t.gesendeteTicks() < 2048);
    }

    void geschlossenerPortBeginntGarNicht()
    {
        Aufbau a;
        a.port.close();
        Troublesuche t(a.z, a.v, a.meldung);
        QSignalSpy ende(&t, &Troublesuche::beendet);
        t.starte();
        QCOMPARE(ende.size(), 1);
        QVERIFY(!t.laeuft());
        QCOMPARE(t.fehler(), 193);
        QCOMPARE(a.meldung.textnummern(), QList<int>{193});
        QVERIFY(a.port.writes().isEmpty());
    }

    // Cancel: the scan stops without a question; the progress ran up to
    // where it stood and counts against the 2048 ticks.
    void abbrechenOhneFrage()
    {
        Aufbau a;
        a.z.Schreibfehler = 1;
        Troublesuche t(a.z, a.v, a.meldung);
        t.setTakt(1, 1);
        QSignalSpy ende(&t, &Troublesuche::beendet);
        QSignalSpy fortschritt(&t, &Troublesuche::fortschritt);
        t.starte();
        QTRY_VERIFY(fortschritt.size() >= 10);
        t.abbrechen();
        QCOMPARE(ende.size(), 1);
        QVERIFY(t.abgebrochen());
        QVERIFY(a.meldung.eintraege().isEmpty());
        QVERIFY(!t.taktLaeuft(6));
        for (int i = 0; i < fortschritt.size(); ++i) {
            QCOMPARE(fortschritt.at(i).at(0).toInt(), i + 1);
            QCOMPARE(fortschritt.at(i).at(1).toInt(), 2048);
        }
        const int bisher = int(fortschritt.size());
        QTest::qWait(20);
        QCOMPARE(int(fortschritt.size()), bisher);  // no tick after the cancel
    }
};

PORTAVO_TESTKLASSE(TestTrouble)
#include "tst_trouble.moc"
