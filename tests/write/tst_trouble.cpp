// The recovery scan: its triples and their timing, its ends, and the way
// from its end to the repair write.

#include "Aufbau.h"
#include "link/Trouble.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

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
        const auto &w = a.port.writes();
        const char *erwartet[] = {"111", "222", "333", "444", "555", "666", "777", "888", "999", "000", "111", "222"};
        for (int i = 0; i < 12; ++i)
            QCOMPARE(w.at(i).bytes, QByteArray(erwartet[i]));
        QVERIFY2(zeiten.first() >= 500 && zeiten.first() < 600, qPrintable(QString::number(zeiten.first())));
        // 50 ms apart: eleven gaps take about 550 ms.
        const qint64 elf = zeiten.at(11) - zeiten.first();
        QVERIFY2(elf >= 540 && elf < 800, qPrintable(QString::number(elf)));
        QCOMPARE(sanduhr.first().first().toBool(), true);
        QCOMPARE(sanduhr.last().first().toBool(), false);
        QVERIFY(a.meldung.eintraege().isEmpty());
    }

    void fruehesEndeNurMitMehrAls40Bytes()
    {
        Aufbau a;
        a.z.Befehl = "D";
        Troublesuche t(a.z, a.v, a.meldung);
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
        QCOMPARE(a.z.Empfangszahl, qint16(0));
        // A waiting terminal was seen: the repair question; No ends there.
        QCOMPARE(a.meldung.textnummern(), QList<int>{Troublesuche::Reparaturfragenummer});
        QCOMPARE(a.meldung.eintraege().first().knoepfe, Meldung::Knoepfe::JaNein);
        QVERIFY(!t.timer6().isActive());
        QCOMPARE(a.z.Reparatur, qint16(0));
    }

    void nachSchreibfehlerJaFuehrtZurReparatur()
    {
        Aufbau a;
        a.z.Schreibfehler = 1;
        a.meldung.antworte(Meldung::Ja);
        Troublesuche t(a.z, a.v, a.meldung);
        QSignalSpy reparatur(&t, &Troublesuche::reparaturStarten);
        QSignalSpy ende(&t, &Troublesuche::beendet);
        t.setTakt(1, 1);
        t.starte();
        // Nobody answers: the scan runs its 2048 ticks.
        QVERIFY(ende.wait(20000));
        QCOMPARE(t.gesendeteTicks(), 2048);
        QCOMPARE(a.port.writes().last().bytes, QByteArray("888"));  // tick 2048
        QVERIFY(!t.wartenderGesehen());
        QCOMPARE(a.meldung.textnummern(), QList<int>{Troublesuche::Reparaturfragenummer});
        QCOMPARE(a.meldung.eintraege().first().text, Troublesuche::reparaturfrage(0));
        QVERIFY(t.timer6().isActive());
        QCOMPARE(t.timer6().interval(), 2000);
        QCOMPARE(a.z.Reparatur, qint16(0));
        t.timer6().setInterval(1);
        t.timer6().start();
        QVERIFY(reparatur.wait(1000));
        QCOMPARE(a.z.Reparatur, qint16(1));
    }

    void ohneFehlerKeineFrage()
    {
        Aufbau a;
        Troublesuche t(a.z, a.v, a.meldung);
        QSignalSpy ende(&t, &Troublesuche::beendet);
        t.setTakt(1, 1);
        t.starte();
        QVERIFY(ende.wait(20000));
        QVERIFY(a.meldung.eintraege().isEmpty());
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

    void texteInVierSprachen()
    {
        QStringList gesehen;
        for (int s : {0, 1000, 2000, 3000}) {
            QVERIFY(!Troublesuche::reparaturfrage(s).isEmpty());
            QVERIFY(!Troublesuche::reparaturtitel(s).trimmed().isEmpty());
            gesehen << Troublesuche::reparaturfrage(s);
        }
        gesehen.removeDuplicates();
        QCOMPARE(gesehen.size(), 4);
        QVERIFY(Troublesuche::reparaturfrage(0).contains(QStringLiteral("Reparatur")));
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
};

QTEST_GUILESS_MAIN(TestTrouble)
#include "tst_trouble.moc"
