// The recovery scan: its triples and timing, its ends, and the way on to the repair write.

#include "support/Testlauf.h"
#include "Aufbau.h"
#include "support/SimBus.h"
#include "link/Troublesuche.h"

class TestTrouble : public QObject {
    Q_OBJECT

private slots:
    // A refused block; the scan's triples from 500 ms on, 50 ms apart on the bus clock; the waiting
    // terminal answers, the scan ends early, offers the repair, which writes after the wake-up, no login.
    void amBusBisZurReparatur()
    {
        SimBus sim;
        const QJsonObject verweigert{
            {"faults", QJsonArray{QJsonObject{{"type", "refuse"}, {"command", "block"}, {"count", 1}}}}};
        BUS_STARTEN(sim, QJsonArray{SimBus::terminal(6, 0, verweigert)});
        QTemporaryDir ordner;
        const QString datei = hauptdateiMit(ordner.filePath(QStringLiteral("r.S2D")), 77, 6);
        Schreibstrecke<SimPort> l(sim.device());
        l.z.Timerintervall[4] = 300;
        QVERIFY(l.vorbereiten(datei, 6, 6, 0));
        l.z.Timerintervall[2] = 20;
        QCOMPARE(l.schreibe(), 167);

        Troublesuche t(l.z, l.v, l.meldung, &l.schreiben);
        l.meldung.leeren();
        l.meldung.antworte(Meldung::Ja);
        QSignalSpy reparatur(&t, &Troublesuche::reparaturStarten);
        QSignalSpy beendet(&t, &Troublesuche::beendet);
        const int beginn = int(sim.verkehr().size());
        const qint64 start = sim.jetztUs();
        t.starte();
        QVERIFY(reparatur.wait(10000) && t.wartenderGesehen());
        QCOMPARE(beendet.count(), 1);  // the repair starts on Timer6, after the scan has ended
        QCOMPARE(l.meldung.textnummern(), QList<int>{Troublesuche::Reparaturfragenummer});
        const QVector<SimBus::Byte> v = sim.verkehr(beginn);
        QCOMPARE(SimBus::bytes(v).left(21), QByteArray("111222333444555666777"));
        QCOMPARE(v.size(), 3 * t.gesendeteTicks());
        QVERIFY2(v[0].us - start >= 500000, qPrintable(QString::number(v[0].us - start)));
        for (int i = 3; i < v.size(); i += 3)
            QVERIFY2(v[i].us - v[i - 3].us >= 40000, qPrintable(QString::number(v[i].us - v[i - 3].us)));
        QVERIFY(l.schreiben.reparatur());

        l.meldung.leeren();
        QVERIFY(Dateiablauf::ladeRoutine(l.z, l.meldung, datei).geladen);
        const int vorReparatur = int(sim.verkehr().size());
        QCOMPARE(l.schreibe(), 0);
        QTRY_COMPARE(sim.speicher(6), Terminaldatei::hauptdateitext(l.z.bild));
        const QByteArray r = SimBus::bytes(sim.verkehr(vorReparatur));
        QVERIFY(r.startsWith(QByteArray(1, Telegramm::STX)));
        QVERIFY(!r.contains(Telegramm::anfrage(6, QByteArray("P") + l.z.terminal.passwort)));
        QVERIFY(r.endsWith(l.block()) && !l.schreiben.reparatur());
    }

    void fruehesEndeNurMitMehrAls40Bytes()
    {
        Aufbau a;
        a.v.setzeBefehl("D");
        Troublesuche t(a.z, a.v, a.meldung);
        t.setTakt(1, 1);
        QSignalSpy ende(&t, &Troublesuche::beendet);
        QSignalSpy fortschritt(&t, &Troublesuche::fortschritt);
        t.starte();
        // ACK STX 0xFF among 40 bytes is not enough yet: the next tick goes on.
        a.port.inject(QByteArray(37, '1') + "\x06\x02\xFF");
        const int bisher = int(fortschritt.size());
        QTRY_VERIFY(fortschritt.size() > bisher + 1);
        QVERIFY(t.laeuft() && ende.isEmpty());
        a.port.inject("\x06\x02\xFF");
        QVERIFY(ende.wait(1000));
        QCOMPARE(ende.first().first().toBool(), true);
        QVERIFY(t.wartenderGesehen());
        QCOMPARE(a.v.ablage().zahl(), 0);
        // A waiting terminal was seen: the repair question; No ends there.
        QCOMPARE(a.meldung.textnummern(), QList<int>{Troublesuche::Reparaturfragenummer});
        QCOMPARE(a.meldung.eintraege().first().knoepfe, Meldung::Knoepfe::JaNein);
        QVERIFY(!t.reparaturWartet());
    }

    // Nobody answers: 2048 ticks; the repair is offered only after a failed write.
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
        a.z.terminal.schreibfehler = qint16(schreibfehler);
        a.meldung.antworte(Meldung::Ja);
        Troublesuche t(a.z, a.v, a.meldung, &a.schreiben);
        QSignalSpy ende(&t, &Troublesuche::beendet);
        QSignalSpy fortschritt(&t, &Troublesuche::fortschritt);
        t.setTakt(1, 1);
        t.starte();
        QVERIFY(ende.wait(20000));
        QCOMPARE(t.gesendeteTicks(), 2048);
        QCOMPARE(a.letzterWrite(), QByteArray("888"));  // tick 2048
        // Progress counts the ticks against 2048 and stops there.
        for (int i = 0; i < fortschritt.size(); ++i)
            QCOMPARE(fortschritt.at(i), (QList<QVariant>{qMin(i + 1, 2048), 2048}));
        QVERIFY(!t.wartenderGesehen());
        if (!schreibfehler) {
            // Nothing waits: said so once, as information, and no repair.
            QCOMPARE(a.meldung.textnummern(), QList<int>{554});
            QCOMPARE(a.meldung.eintraege().first().symbol, Meldung::Symbol::Information);
            QVERIFY(!t.reparaturWartet());
            return;
        }
        QCOMPARE(a.meldung.textnummern(), QList<int>{Troublesuche::Reparaturfragenummer});
        QCOMPARE(a.meldung.eintraege().first().text, Troublesuche::reparaturfrage(0));
        QVERIFY(t.reparaturWartet());
    }

    // No port to send on: the scan ends there, never saying nothing was waiting.
    void endetAmPort_data()
    {
        QTest::addColumn<QString>("wie");
        QTest::addColumn<int>("text");
        QTest::newRow("Adapter weg im Suchlauf") << "weg" << 193;
        QTest::newRow("Port geschlossen") << "zu" << 193;
        QTest::newRow("Modemport geht nicht auf") << "modem" << 0;
    }
    void endetAmPort()
    {
        QFETCH(QString, wie);
        QFETCH(int, text);
        Aufbau a;
        a.z.terminal.schreibfehler = true;
        FakePort modem;
        modem.setOpenFailure(Port::Oeffnungsfehler::GibtEsNicht);
        if (wie == "modem")
            a.v.setModemPort(&modem);
        if (wie == "zu")
            a.port.close();
        Troublesuche t(a.z, a.v, a.meldung);
        t.setTakt(1, 5);
        QSignalSpy ende(&t, &Troublesuche::beendet);
        QSignalSpy fortschritt(&t, &Troublesuche::fortschritt);
        t.starte();
        if (wie == "weg") {
            QTRY_VERIFY(fortschritt.size() >= 3);
            a.port.loseDevice();
        }
        QVERIFY((ende.size() == 1 || ende.wait(1000)) && !t.laeuft());
        QCOMPARE(t.fehler(), text);
        if (text)
            QCOMPARE(a.meldung.textnummern(), QList<int>{text});  // no repair question on a dead port
        QVERIFY(stillgelegt(t));
        QCOMPARE(t.gesendeteTicks(), wie == "weg" ? int(fortschritt.size()) : 0);
        QCOMPARE(a.port.writes().size(), t.gesendeteTicks());
    }

    void laufenderSchreibvorgangWirdAbgebrochen()
    {
        Aufbau a;
        Troublesuche t(a.z, a.v, a.meldung, &a.schreiben);
        QVERIFY(a.schreiben.starte());
        t.starte();
        QVERIFY(!a.schreiben.laeuft() && !a.anmeldung.laeuft());
        t.stoppe();
    }
};

PORTAVO_TESTKLASSE(TestTrouble)
#include "tst_trouble.moc"
