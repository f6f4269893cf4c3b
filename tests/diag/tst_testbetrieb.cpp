// Test mode on a FakePort with scripted answers, one request and answer
// check at a time; and the movement log byte for byte.

#include "support/Testlauf.h"
#include "support/Datentabelle.h"

#include <QSignalSpy>
#include "support/SimBus.h"
#include "support/Testhilfe.h"
#include "diag/Testbetrieb.h"

namespace {
QByteArray rahmen(const QByteArray &rumpf)
{
    return Telegramm::STX + rumpf + Telegramm::ETX + char(Telegramm::blockpruefung(rumpf + Telegramm::ETX));
}
// A status answer in the layout of the protocol (status 4th or 6th character).
QByteArray statusantwort(int status, int protokoll = 0, char befehl = 'S')
{
    return rahmen(QByteArray(1, char(17)) + befehl + (protokoll == 1 ? "00" : "") + char(status));
}
// A card data answer: "L", source, three-digit number, 25 characters.
QByteArray kartenantwort(const QByteArray &daten)
{
    return rahmen("\x11L2017" + daten.leftJustified(25, ' '));
}
const QDateTime Zeit(QDate(2026, 12, 5), QTime(14, 30, 12));
}  // namespace

class TestTestbetrieb : public QObject {
    Q_OBJECT

    template <class P = FakePort>
    struct Aufbau : Strecke<P> {
        using Strecke<P>::z, Strecke<P>::v, Strecke<P>::port;
        QTemporaryDir ordner;
        Testbetrieb t{z, v};
        Empfangsrecht recht{t.empfangNehmen()};
        explicit Aufbau(int protokoll = 0, const QString &geraet = QString()) : Strecke<P>(geraet)
        {
            v.setEchomodus(Verbindung::Echomodus::Automatisch);
            z.terminal.adresse = 17;
            z.terminal.protokoll = qint16(protokoll);
            t.protokoll().setPfad(ordner.filePath(QStringLiteral("Bewegungen.dat")));
            t.protokoll().setUhr([] { return Zeit; });
            t.laden();
            t.start();
        }
        // One step off the clock: request out, echo and answer in, answer check.
        QByteArray zyklus(const QByteArray &antwort)
        {
            port.clearWrites();
            tick(1);
            const QByteArray anfrage = port.written();
            port.inject(anfrage + antwort);
            tick(2);
            return anfrage;
        }
        // Timer1 sends the next request, Timer2 checks for the answer.
        void tick(int n) { t.naechsterTakt(n); }
    };

private slots:
    void statusbits_data()
    {
        // erwartet: fault, skimming, data status, data there; empty: not read
        spalten<int, int, QList<int>>("protokoll", "status", "erwartet");
        using S = Testbetrieb::Skimming;
        const int keins = int(S::Keins), ausgeloest = int(S::Ausgeloest), sabotage = int(S::Sabotage);
        QTest::newRow("0: nichts") << 0 << 0x40 << QList<int>{0, keins, 0, 0};
        QTest::newRow("0: Stoerung vor Daten") << 0 << 0x45 << QList<int>{1, keins, 0, 0};
        QTest::newRow("0: Stoerung vor Skimming") << 0 << 0x51 << QList<int>{1, keins, 0, 0};
        QTest::newRow("0: Skimming vor Sabotage") << 0 << 0x70 << QList<int>{0, ausgeloest, 0, 0};
        QTest::newRow("0: Sabotage vor Daten") << 0 << 0x64 << QList<int>{0, sabotage, 0, 0};
        QTest::newRow("0: Daten") << 0 << 0x44 << QList<int>{0, keins, 2, 1};
        QTest::newRow("0: Fehlbuchung") << 0 << 0x48 << QList<int>{0, keins, 2, 0};
        QTest::newRow("1: Skimming vor Stoerung") << 1 << 0x51 << QList<int>{0, ausgeloest, 0, 0};
        QTest::newRow("1: Sabotage vor Stoerung") << 1 << 0x61 << QList<int>{0, sabotage, 0, 0};
        QTest::newRow("1: Stoerung vor Daten") << 1 << 0x45 << QList<int>{1, keins, 0, 0};
        QTest::newRow("1: Daten") << 1 << 0x44 << QList<int>{0, keins, 2, 1};
        QTest::newRow("255: nicht dekodiert") << 255 << 0x45 << QList<int>{};
        QTest::newRow("2: nicht dekodiert") << 2 << 0x45 << QList<int>{};
    }
    void statusbits()
    {
        auto [protokoll, status, erwartet] = werte<int, int, QList<int>>("protokoll", "status", "erwartet");
        Aufbau<> a(protokoll);
        a.zyklus(statusantwort(0x40, protokoll, 'K'));
        QSignalSpy spy(&a.t, &Testbetrieb::statusGelesen);
        a.zyklus(statusantwort(status, protokoll == 1 ? 1 : 0));
        QCOMPARE(spy.count(), erwartet.isEmpty() ? 0 : 1);
        if (erwartet.isEmpty())
            erwartet = {0, int(Testbetrieb::Skimming::Keins), 0, 0};
        else
            QCOMPARE(spy.first().first().toInt(), status);
        QCOMPARE((QList<int>{a.t.stoerung(), int(a.t.skimming()), a.t.datenstatus(), a.t.datenVorhanden()}), erwartet);
        const int datenstatus = erwartet.at(2);
        // Next: the fetch when data waits, else status; it clears the fault, the status answer skimming.
        QCOMPARE(a.zyklus(datenstatus == 2 ? QByteArray() : statusantwort(0x40, protokoll == 1 ? 1 : 0)),
                 Telegramm::anfrage(17, datenstatus == 2 ? "L2" : "S"));
        QVERIFY(!a.t.stoerung());
        QCOMPARE(a.t.skimming(), Testbetrieb::Skimming::Keins);
    }

    // The fetch is sent again at every tick until its answer; whatever comes then is card data.
    void datenquelleBestimmtDenAbruf_data()
    {
        spalten<int, QByteArray>("quelle", "befehl");
        QTest::newRow("Spur 2") << int(Testbetrieb::Quelle::Spur2) << QByteArray("L2");
        QTest::newRow("Spur 3") << int(Testbetrieb::Quelle::Spur3) << QByteArray("L3");
        QTest::newRow("Chip") << int(Testbetrieb::Quelle::Chip) << QByteArray("LC");
    }
    void datenquelleBestimmtDenAbruf()
    {
        const auto [quelle, befehl] = werte<int, QByteArray>("quelle", "befehl");
        Aufbau<> a;
        a.t.waehleQuelle(Testbetrieb::Quelle(quelle));
        a.zyklus(statusantwort(0x40, 0, 'K'));
        a.zyklus(statusantwort(0x44));
        QCOMPARE(a.zyklus({}), Telegramm::anfrage(17, befehl));
        QSignalSpy karten(&a.t, &Testbetrieb::kartendatenErhalten);
        QCOMPARE(a.zyklus(statusantwort(0x44)), Telegramm::anfrage(17, befehl));
        QCOMPARE(karten.count(), 1);
        QCOMPARE(a.t.kartendaten(), statusantwort(0x44));
        QCOMPARE(a.t.datenstatus(), 0);
        QCOMPARE(a.zyklus({}), Telegramm::anfrage(17, "S"));
    }

    // Card data and misreads each append a line (their lines: TestCliBus); an unwritable log is said once
    // and polling goes on.
    void unschreibbaresProtokollEinmalGemeldet()
    {
        Aufbau<> a;
        QVERIFY(QDir().mkpath(a.ordner.filePath("ordner")));
        a.t.protokoll().setPfad(a.ordner.filePath("ordner"));
        QSignalSpy fehler(&a.t, &Testbetrieb::protokollFehler);
        a.zyklus(statusantwort(0x40, 0, 'K'));
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(a.zyklus(statusantwort(0x44)), Telegramm::anfrage(17, "S"));
            QCOMPARE(a.zyklus(kartenantwort("4711")), Telegramm::anfrage(17, "L2"));
        }
        QCOMPARE(fehler.count(), 1);
        QCOMPARE(fehler.first().first().toString(), a.ordner.filePath("ordner"));
        QCOMPARE(a.zyklus({}), Telegramm::anfrage(17, "S"));
    }

    // K first; a chosen mode replaces exactly one status request.
    void betriebsartErsetztGenauEineStatusanfrage()
    {
        Aufbau<> a;
        QCOMPARE(a.zyklus(statusantwort(0x40, 0, 'K')), Telegramm::anfrage(17, "K"));
        a.t.waehleBetriebsart(Testbetrieb::Betriebsart::TuereAuf);
        QCOMPARE(a.zyklus(statusantwort(0x40, 0, 'O')), Telegramm::anfrage(17, "O"));
        QCOMPARE(a.zyklus(statusantwort(0x40)), Telegramm::anfrage(17, "S"));
        a.t.waehleBetriebsart(Testbetrieb::Betriebsart::TuereZu);
        QCOMPARE(a.zyklus({}), Telegramm::anfrage(17, "G"));
        QCOMPARE(a.zyklus({}), Telegramm::anfrage(17, "S"));
    }

    // Protocol 1: 5 characters hold no status, 6 do; a single character is acknowledged, nothing more.
    void kurzeAntworten()
    {
        Aufbau<> a(1);
        a.zyklus({});
        QSignalSpy spy(&a.t, &Testbetrieb::statusGelesen);
        a.zyklus(QByteArray("\x02\x11S00"));
        QCOMPARE(spy.count(), 0);
        a.zyklus(QByteArray("\x02\x11S00") + char(0x44));
        QCOMPARE(spy.count(), 1);
        a.zyklus({});
        QCOMPARE(a.zyklus("x"), Telegramm::anfrage(17, "L2"));
        QCOMPARE(a.port.writes().last().bytes, QByteArray(1, Telegramm::ACK));
        QCOMPARE(a.t.datenstatus(), 2);
        QVERIFY(a.t.kartendaten().isEmpty());
    }

    // A request unanswered when the next goes out is reported, with or without its echo; else not.
    void fehlendeAntwortGemeldet()
    {
        Aufbau<> a;
        QSignalSpy fehlt(&a.t, &Testbetrieb::keineAntwort);
        a.zyklus(statusantwort(0x40, 0, 'K'));
        a.zyklus({});
        QCOMPARE(a.port.writes().size(), 1);  // the echo alone is no answer: no ACK
        a.tick(1);
        QCOMPARE(fehlt.count(), 1);
        QCOMPARE(fehlt.at(0), (QList<QVariant>{Telegramm::anfrage(17, "S"), true}));
        a.tick(2);  // not even the echo of this one
        a.tick(1);
        QCOMPARE(fehlt.count(), 2);
        QCOMPARE(fehlt.at(1).at(1).toBool(), false);
        a.port.inject(a.port.writes().last().bytes + statusantwort(0x40));
        a.tick(1);
        QCOMPARE(fehlt.count(), 2);
    }

    // On the bus, its interface with or without echo, no option given: polling finds the card, whose
    // line goes into the movement log.
    void amBus_data()
    {
        spalten<bool>("echo");
        QTest::newRow("mit Echo") << true;
        QTest::newRow("ohne Echo") << false;
    }
    void amBus()
    {
        const auto [echo] = werte<bool>("echo");
        SimBus sim;
        const QJsonObject karte{{"type", "card"}, {"afterPolls", 1}, {"data", "40012345"}, {"number", 17}};
        BUS_STARTEN(sim, QJsonArray{SimBus::terminal(17, 0, {{"events", QJsonArray{karte}}})},
                    echo ? QStringList() : QStringList{"--no-echo"});
        Aufbau<SimPort> a(0, sim.device());
        QSignalSpy fehlt(&a.t, &Testbetrieb::keineAntwort);
        const QString datei = a.ordner.filePath(QStringLiteral("Bewegungen.dat"));
        QTRY_VERIFY_WITH_TIMEOUT(!lies(datei).isEmpty(), 10000);
        QCOMPARE(lies(datei), "am:;05.12.26; um: ;14.30  Uhr;Kartennummer:" + QByteArray("40012345").leftJustified(25) + "\r\n");
        QCOMPARE(fehlt.count(), 0);
        QCOMPARE(a.v.echostand(), echo ? Verbindung::Echostand::Vorhanden : Verbindung::Echostand::Fehlt);
    }

    void protokollzeilen()
    {
        QCOMPARE(Testbetrieb::bytecodes(QByteArray("\x02\x11S\x03") + char(200)), QStringLiteral("02 17 83 03 200 "));
        QCOMPARE(Bewegungsprotokoll::kopf(QString(), false, Zeit),
                 QByteArray("Veranstaltung vom:   05.12.26   Ort:   \r\n  \r\n"));
        QCOMPARE(Bewegungsprotokoll::kopf(QStringLiteral("Saal Müller"), true, Zeit),
                 QByteArray("Geschlossene Gesellschaft vom:   05.12.26   Ort:   Saal M\xFCller\r\n  \r\n"));
        QCOMPARE(Bewegungsprotokoll::kopf(QStringLiteral("a\r\nb"), false, Zeit),
                 QByteArray("Veranstaltung vom:   05.12.26   Ort:   a  b\r\n  \r\n"));
        // Characters 8 to 32 of the answer; ETX, check byte and control characters never break the line.
        const QDateTime frueh(QDate(2027, 1, 2), QTime(8, 5));
        const QByteArray kopf = "am:;02.01.27; um: ;08.05  Uhr;Kartennummer:";
        QCOMPARE(Bewegungsprotokoll::bewegungszeile("1234567890", frueh), kopf + "890\r\n");
        QCOMPARE(Bewegungsprotokoll::bewegungszeile("1234567", frueh), kopf + "\r\n");
        QCOMPARE(Bewegungsprotokoll::bewegungszeile(kartenantwort("1234567890123456789012345"), frueh),
                 kopf + "1234567890123456789012345\r\n");
        const QByteArray roh = "\x02\x11L2017" + QByteArray("40\r\n12\x03\x0D\x7F\xE9");
        QCOMPARE(Bewegungsprotokoll::bewegungszeile(roh, frueh), kopf + "40  12   \xE9\r\n");
    }
};

PORTAVO_TESTKLASSE(TestTestbetrieb)
#include "tst_testbetrieb.moc"
