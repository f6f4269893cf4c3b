// The recovery scan: its triples and timing, its ends, and the way on to the repair write.

#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "Aufbau.h"
#include "support/SimBus.h"
#include "link/Troublesuche.h"

namespace {
// A scan on a FakePort that may end a write, ticking every `abstand` ms.
struct Suchlauf : Aufbau {
    Troublesuche t{z, v, meldung, &schreiben};
    QSignalSpy ende{&t, &Troublesuche::beendet};
    QSignalSpy fortschritt{&t, &Troublesuche::fortschritt};
    explicit Suchlauf(int abstand = 1) { t.setTakt(1, abstand); }
};
}  // namespace

class TestTrouble : public QObject {
    Q_OBJECT

private slots:
    // A refused block; the scan's triples from 500 ms on, 50 ms apart on the bus clock; the waiting
    // terminal answers, the scan ends early, offers the repair, which writes after the wake-up, no login.
    // With an echoing interface and with one that does not.
    void amBusBisZurReparatur_data()
    {
        QTest::addColumn<bool>("echo");
        QTest::newRow("mit Echo") << true;
        QTest::newRow("ohne Echo") << false;
    }
    void amBusBisZurReparatur()
    {
        QFETCH(bool, echo);
        SimBus sim;
        const QJsonObject verweigert{
            {"faults", QJsonArray{QJsonObject{{"type", "refuse"}, {"command", "block"}, {"count", 1}}}}};
        BUS_STARTEN(sim, QJsonArray{SimBus::terminal(6, 0, verweigert)},
                    echo ? QStringList() : QStringList{QStringLiteral("--no-echo")});
        QTemporaryDir ordner;
        const QString datei = hauptdateiMit(ordner.filePath(QStringLiteral("r.S2D")), 77, 6);
        Schreibstrecke<SimPort> l(sim.device());
        l.v.setEchomodus(Verbindung::Echomodus::Automatisch);
        l.v.setUhr([&sim] { return sim.jetztUs() / 1000; });
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
        QCOMPARE(l.v.echostand(), echo ? Verbindung::Echostand::Vorhanden : Verbindung::Echostand::Fehlt);
    }

    void fruehesEndeNurMitMehrAls40Bytes()
    {
        Suchlauf a;
        a.v.setzeBefehl("D");
        a.t.starte();
        // ACK STX 0xFF among 40 bytes is not enough yet: the next tick goes on.
        a.port.inject(QByteArray(37, '1') + "\x06\x02\xFF");
        const int bisher = int(a.fortschritt.size());
        QTRY_VERIFY(a.fortschritt.size() > bisher + 1);
        QVERIFY(a.t.laeuft() && a.ende.isEmpty());
        a.port.inject("\x06\x02\xFF");
        QVERIFY(a.ende.wait(1000) && a.t.wartenderGesehen());
        QCOMPARE(a.ende.first().first().value<Ablauf::Ende>(), Ablauf::Ende::Erfolg);
        QCOMPARE(a.v.ablage().zahl(), 0);
        // A waiting terminal was seen: the repair question; No ends there.
        QCOMPARE(a.meldung.textnummern(), QList<int>{Troublesuche::Reparaturfragenummer});
        QCOMPARE(a.meldung.eintraege().first().knoepfe, Meldung::Knoepfe::JaNein);
        QVERIFY(!a.t.reparaturWartet());
    }

    // Nobody answers: 2048 ticks; nothing waits and no write failed: said so once, as information, and no
    // repair (after a failed write the repair is offered: TestSchreibablauf::troubleFuehrtZurReparatur).
    void ohneAntwort()
    {
        Suchlauf a;
        a.t.starte();
        QVERIFY(a.ende.wait(20000));
        QCOMPARE(a.t.gesendeteTicks(), 2048);
        QCOMPARE(a.letzterWrite(), QByteArray("888"));  // tick 2048
        // Progress counts the ticks against 2048 and stops there.
        for (int i = 0; i < a.fortschritt.size(); ++i)
            QCOMPARE(a.fortschritt.at(i), (QList<QVariant>{qMin(i + 1, 2048), 2048}));
        QVERIFY(!a.t.wartenderGesehen() && !a.t.reparaturWartet());
        QCOMPARE(a.meldung.textnummern(), QList<int>{554});
        QCOMPARE(a.meldung.eintraege().first().symbol, Meldung::Symbol::Information);
    }

    // No port to send on: the scan ends there, never saying nothing was waiting (a port closed from the
    // start: TstSchreibpanel::troubleMitFortschrittUndAbbruch).
    void endetAmPort_data()
    {
        spalten<QString, int>("wie", "text");
        QTest::newRow("Adapter weg im Suchlauf") << "weg" << 193;
        QTest::newRow("Modemport geht nicht auf") << "modem" << 0;
    }
    void endetAmPort()
    {
        const auto [wie, text] = werte<QString, int>("wie", "text");
        Suchlauf a(5);
        a.z.terminal.schreibfehler = true;
        FakePort modem;
        modem.setOpenFailure(Port::Oeffnungsfehler::GibtEsNicht);
        if (wie == "modem")
            a.v.setModemPort(&modem);
        a.t.starte();
        if (wie == "weg") {
            QTRY_VERIFY(a.fortschritt.size() >= 3);
            a.port.loseDevice();
        }
        QVERIFY((a.ende.size() == 1 || a.ende.wait(1000)) && !a.t.laeuft());
        QCOMPARE(a.ende.first().first().value<Ablauf::Ende>(), text ? Ablauf::Ende::Portverlust : Ablauf::Ende::Fehlschlag);
        QCOMPARE(a.t.fehler(), text);
        if (text)
            QCOMPARE(a.meldung.textnummern(), QList<int>{text});  // no repair question on a dead port
        QVERIFY(stillgelegt(a.t));
        QCOMPARE(a.t.gesendeteTicks(), wie == "weg" ? int(a.fortschritt.size()) : 0);
        QCOMPARE(a.port.writes().size(), a.t.gesendeteTicks());
    }

    void laufenderSchreibvorgangWirdAbgebrochen()
    {
        Suchlauf a;
        QVERIFY(a.schreiben.starte());
        a.t.starte();
        QVERIFY(!a.schreiben.laeuft() && !a.anmeldung.laeuft());
        a.t.stoppe();
    }
};

PORTAVO_TESTKLASSE(TestTrouble)
#include "tst_trouble.moc"
