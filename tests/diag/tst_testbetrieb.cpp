// Test mode against a FakePort with scripted answers: the request sequence,
// the ACK after every answer, the status bits per protocol, card data and
// misreads, and the movement log byte for byte.

#include "support/Testlauf.h"

#include <QSignalSpy>
#include "support/Testhilfe.h"
#include "diag/Testbetrieb.h"
#include "base/Pfade.h"

#include <QFileInfo>

#include <QTemporaryDir>

namespace {
constexpr char STX = Telegramm::STX;
constexpr char ETX = Telegramm::ETX;

QByteArray rahmen(QByteArray rumpf)
{
    rumpf = STX + rumpf + ETX;
    return rumpf + char(Telegramm::blockpruefung(rumpf, 1, int(rumpf.size()) - 1));
}

// A status answer in the layout of the protocol (status 4th or 6th character).
QByteArray statusantwort(int adresse, int protokoll, int status, char befehl = 'S')
{
    QByteArray r = QByteArray(1, char(adresse)) + befehl;
    if (protokoll == 1)
        r += "00";
    return rahmen(r + char(status));
}

// A card data answer: "L", source, three-digit number, 25 characters.
QByteArray kartenantwort(int adresse, const QByteArray &daten, char quelle = '2')
{
    return rahmen(QByteArray(1, char(adresse)) + 'L' + quelle + "017" + daten.leftJustified(25, ' '));
}

const QDateTime Zeit(QDate(2026, 12, 5), QTime(14, 30, 12));
}  // namespace

class TestTestbetrieb : public QObject {
    Q_OBJECT

    struct Aufbau : Strecke<FakePort> {
        QTemporaryDir ordner;
        Testbetrieb t{z, v};
        Empfangsrecht recht = t.empfangNehmen();
        Empfangsrecht beobachtung = v.beobachten();
        QStringList monitor;

        explicit Aufbau(int protokoll = 0)
        {
            z.Adresse = 17;
            z.Protokoll = qint16(protokoll);
            QObject::connect(&v, &Verbindung::monitorZeile, [this](const QString &l) { monitor << l; });
            t.protokoll().setPfad(ordner.filePath(QStringLiteral("Bewegungen.dat")));
            t.protokoll().setUhr([] { return Zeit; });
            t.laden();
        }
        // The ticks, without waiting for the clock.
        void tick1() { t.naechsterTakt(1); }
        void tick2() { t.naechsterTakt(2); }
        // A request goes out; the bus gives its echo and the answer; the
        // answer check runs.
        QByteArray zyklus(const QByteArray &antwort)
        {
            port.clearWrites();
            tick1();
            const QByteArray anfrage = port.written();
            port.inject(anfrage + antwort);
            tick2();
            return anfrage;
        }
        QByteArray log() { return lies(t.protokoll().pfad()); }
    };

private slots:
    void ablaufKDannSMitQuittung()
    {
        Aufbau a;
        QCOMPARE(a.t.testbefehl(), QByteArray("K"));
        QCOMPARE(a.t.betriebsartwechsel(), 1);
        QVERIFY(!a.t.taktLaeuft(1) && !a.t.taktLaeuft(2));
        QCOMPARE(a.t.taktabstand(1), 1000);
        QCOMPARE(a.t.taktabstand(2), 100);
        QSignalSpy abgewaehlt(&a.t, &Testbetrieb::betriebsartAbgewaehlt);
        a.t.start();
        QVERIFY(a.t.taktLaeuft(1));
        QCOMPARE(abgewaehlt.count(), 1);
        QCOMPARE(a.t.betriebsartwechsel(), 1);  // the mode command stays due

        a.monitor.clear();
        a.tick1();
        const QByteArray k = Telegramm::anfrage(17, "K");
        QCOMPARE(a.port.written(), k);
        QCOMPARE(a.t.testtelegramm(), k);
        QCOMPARE(a.t.anfragefeld(), Testbetrieb::bytecodes(k));
        QVERIFY(a.t.anfrageHervorgehoben());
        QVERIFY(a.t.taktLaeuft(2));
        QCOMPARE(a.monitor, QStringList{Telegramm::monitorTelegramm(k)});

        // The echo alone: nothing sent, Timer2 stays armed.
        a.port.clearWrites();
        a.port.inject(k);
        a.tick2();
        QVERIFY(a.port.written().isEmpty());
        QVERIFY(a.t.taktLaeuft(2));
        QVERIFY(!a.t.anfrageHervorgehoben());
        // The answer: a bare ACK, Timer2 stops, the answer box shows it.
        const QByteArray antwort = statusantwort(17, 0, 0x40, 'K');
        a.port.inject(antwort);
        a.tick2();
        QCOMPARE(a.port.written(), QByteArray(1, Telegramm::ACK));
        QVERIFY(!a.t.taktLaeuft(2));
        QCOMPARE(a.t.antwortfeld(), Testbetrieb::bytecodes(antwort));
        QCOMPARE(a.monitor.last(), Telegramm::MonitorQuittung);

        QCOMPARE(a.zyklus(statusantwort(17, 0, 0x40)), Telegramm::anfrage(17, "S"));
        QCOMPARE(a.zyklus(statusantwort(17, 0, 0x40)), Telegramm::anfrage(17, "S"));
        // The answer store is cleared before each request.
        a.port.clearWrites();
        a.tick1();
        QVERIFY(a.t.empfang().isEmpty());
    }

    void bytecodes()
    {
        QCOMPARE(Testbetrieb::bytecodes(QByteArray("\x02\x11S\x03") + char(65)), QStringLiteral("02 17 83 03 65 "));
        QCOMPARE(Testbetrieb::bytecodes(QByteArray(1, char(200))), QStringLiteral("200 "));
        QCOMPARE(Testbetrieb::bytecodes({}), QString());
    }

    void statusbits_data()
    {
        QTest::addColumn<int>("protokoll");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("stoerung");
        QTest::addColumn<int>("skimming");
        QTest::addColumn<int>("datenstatus");
        QTest::addColumn<bool>("datenVorhanden");
        QTest::addColumn<bool>("gelesen");
        using S = Testbetrieb::Skimming;
        const int keins = int(S::Keins), ausgeloest = int(S::Ausgeloest), sabotage = int(S::Sabotage);
        QTest::newRow("0: nichts") << 0 << 0x40 << false << keins << 0 << false << true;
        QTest::newRow("0: Stoerung vor Daten") << 0 << 0x45 << true << keins << 0 << false << true;
        QTest::newRow("0: Stoerung vor Skimming") << 0 << 0x51 << true << keins << 0 << false << true;
        QTest::newRow("0: Skimming vor Sabotage") << 0 << 0x70 << false << ausgeloest << 0 << false << true;
        QTest::newRow("0: Sabotage vor Daten") << 0 << 0x64 << false << sabotage << 0 << false << true;
        QTest::newRow("0: Daten") << 0 << 0x44 << false << keins << 2 << true << true;
        QTest::newRow("0: Fehlbuchung") << 0 << 0x48 << false << keins << 2 << false << true;
        QTest::newRow("1: Skimming vor Stoerung") << 1 << 0x51 << false << ausgeloest << 0 << false << true;
        QTest::newRow("1: Sabotage vor Stoerung") << 1 << 0x61 << false << sabotage << 0 << false << true;
        QTest::newRow("1: Stoerung vor Daten") << 1 << 0x45 << true << keins << 0 << false << true;
        QTest::newRow("1: Daten") << 1 << 0x44 << false << keins << 2 << true << true;
        QTest::newRow("255: nicht dekodiert") << 255 << 0x45 << false << keins << 0 << false << false;
        QTest::newRow("2: nicht dekodiert") << 2 << 0x45 << false << keins << 0 << false << false;
    }
    void statusbits()
    {
        QFETCH(int, protokoll);
        QFETCH(int, status);
        QFETCH(bool, stoerung);
        QFETCH(int, skimming);
        QFETCH(int, datenstatus);
        QFETCH(bool, datenVorhanden);
        QFETCH(bool, gelesen);
        Aufbau a(protokoll);
        a.t.waehleBetriebsart(Testbetrieb::Betriebsart::Normalbetrieb);
        a.t.start();
        a.zyklus(statusantwort(17, protokoll, 0x40, 'K'));
        QSignalSpy spy(&a.t, &Testbetrieb::statusGelesen);
        a.zyklus(statusantwort(17, protokoll == 1 ? 1 : 0, status));
        QCOMPARE(spy.count(), gelesen ? 1 : 0);
        if (gelesen)
            QCOMPARE(spy.first().first().toInt(), status);
        QCOMPARE(a.t.stoerung(), stoerung);
        QCOMPARE(int(a.t.skimming()), skimming);
        QCOMPARE(a.t.datenstatus(), datenstatus);
        QCOMPARE(a.t.datenVorhanden(), datenVorhanden);
        QVERIFY(a.t.taktLaeuft(1));
        // The next request: fetch when data is waiting, else status; the
        // fault indicator is cleared by it.
        const QByteArray naechste = a.zyklus({});
        QCOMPARE(naechste, Telegramm::anfrage(17, datenstatus == 2 ? "L2" : "S"));
        QVERIFY(!a.t.stoerung());
    }

    void skimmingVerschwindetMitDerNaechstenAntwort()
    {
        Aufbau a;
        a.t.start();
        a.zyklus(statusantwort(17, 0, 0x40, 'K'));
        a.zyklus(statusantwort(17, 0, 0x50));
        QCOMPARE(a.t.skimming(), Testbetrieb::Skimming::Ausgeloest);
        a.zyklus(statusantwort(17, 0, 0x40));
        QCOMPARE(a.t.skimming(), Testbetrieb::Skimming::Keins);
    }

    void stoerungStartetZyklusNeu()
    {
        for (int protokoll : {0, 1}) {
            Aufbau a(protokoll);
            a.t.start();
            a.zyklus(statusantwort(17, protokoll, 0x40, 'K'));
            a.t.beenden();
            a.zyklus(statusantwort(17, protokoll, 0x41));
            // Protocol 0 restarts the cycle; protocol 1 leaves Timer1 as it is.
            QCOMPARE(a.t.taktLaeuft(1), protokoll == 0);
        }
        Aufbau a;
        a.t.start();
        a.zyklus(statusantwort(17, 0, 0x40, 'K'));
        a.t.beenden();
        a.zyklus(statusantwort(17, 0, 0x60));
        QVERIFY(a.t.taktLaeuft(1));
    }

    void datenquelleBestimmtDenAbruf_data()
    {
        QTest::addColumn<int>("quelle");
        QTest::addColumn<QByteArray>("befehl");
        QTest::newRow("Spur 2") << int(Testbetrieb::Quelle::Spur2) << QByteArray("L2");
        QTest::newRow("Spur 3") << int(Testbetrieb::Quelle::Spur3) << QByteArray("L3");
        QTest::newRow("Chip") << int(Testbetrieb::Quelle::Chip) << QByteArray("LC");
    }
    void datenquelleBestimmtDenAbruf()
    {
        QFETCH(int, quelle);
        QFETCH(QByteArray, befehl);
        Aufbau a;
        a.t.waehleQuelle(Testbetrieb::Quelle(quelle));
        a.t.start();
        a.zyklus(statusantwort(17, 0, 0x40, 'K'));
        a.zyklus(statusantwort(17, 0, 0x44));
        QVERIFY(a.t.kartendaten().isEmpty());
        // No answer: the fetch is sent again at every tick.
        QCOMPARE(a.zyklus({}), Telegramm::anfrage(17, befehl));
        QCOMPARE(a.zyklus({}), Telegramm::anfrage(17, befehl));
        // Whatever comes now is card data, even a status answer.
        QSignalSpy karten(&a.t, &Testbetrieb::kartendatenErhalten);
        const QByteArray status = statusantwort(17, 0, 0x44);
        a.port.clearWrites();
        a.tick1();
        a.port.inject(a.port.written() + status);
        a.tick2();
        QCOMPARE(karten.count(), 1);
        QCOMPARE(a.t.kartendaten(), status);
        QCOMPARE(a.t.datenstatus(), 0);
        QVERIFY(!a.t.datenVorhanden());
        QCOMPARE(a.zyklus({}), Telegramm::anfrage(17, "S"));
    }

    void kartendatenUndFehllesungWerdenProtokolliert()
    {
        Aufbau a;
        a.t.start();
        a.zyklus(statusantwort(17, 0, 0x40, 'K'));
        a.zyklus(statusantwort(17, 0, 0x44));
        QCOMPARE(a.zyklus(kartenantwort(17, "40012345")), Telegramm::anfrage(17, "L2"));
        QVERIFY(!a.t.fehllesung());
        a.zyklus(statusantwort(17, 0, 0x44));
        const QByteArray fehl = kartenantwort(17, "4001??45");
        a.zyklus(fehl);
        QVERIFY(a.t.fehllesung());
        QCOMPARE(a.t.kartendaten(), fehl);
        const QByteArray zeile1 = "am:;05.12.26; um: ;14.30  Uhr;Kartennummer:40012345                 \r\n";
        const QByteArray zeile2 = "am:;05.12.26; um: ;14.30  Uhr;Kartennummer:4001??45                 \r\n";
        QCOMPARE(a.log(), zeile1 + zeile2);
    }

    void betriebsartErsetztGenauEineStatusanfrage()
    {
        Aufbau a;
        a.t.start();
        a.zyklus(statusantwort(17, 0, 0x40, 'K'));
        QCOMPARE(a.zyklus(statusantwort(17, 0, 0x40)), Telegramm::anfrage(17, "S"));
        a.t.waehleBetriebsart(Testbetrieb::Betriebsart::TuereAuf);
        QCOMPARE(a.zyklus(statusantwort(17, 0, 0x40, 'O')), Telegramm::anfrage(17, "O"));
        QCOMPARE(a.zyklus(statusantwort(17, 0, 0x40)), Telegramm::anfrage(17, "S"));
        a.t.waehleBetriebsart(Testbetrieb::Betriebsart::TuereZu);
        QCOMPARE(a.zyklus({}), Telegramm::anfrage(17, "G"));
        QCOMPARE(a.zyklus({}), Telegramm::anfrage(17, "S"));
    }

    void kurzeAntworten()
    {
        // Protocol 1: 5 characters hold no status character; 6 do.
        Aufbau a(1);
        a.t.start();
        a.zyklus({});
        QSignalSpy spy(&a.t, &Testbetrieb::statusGelesen);
        a.zyklus(QByteArray("\x02\x11S00"));
        QCOMPARE(spy.count(), 0);
        a.zyklus(QByteArray("\x02\x11S00") + char(0x44));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(a.t.datenstatus(), 2);
        // One character after the echo is acknowledged and nothing more.
        a.zyklus({});
        a.port.clearWrites();
        a.tick1();
        a.port.inject(a.port.written() + 'x');
        a.port.clearWrites();
        a.tick2();
        QCOMPARE(a.port.written(), QByteArray(1, Telegramm::ACK));
        QCOMPARE(a.t.datenstatus(), 2);
        QVERIFY(a.t.kartendaten().isEmpty());
    }

    void keineAntwortLaesstAnzeigenStehen()
    {
        Aufbau a;
        a.t.start();
        a.zyklus(statusantwort(17, 0, 0x40, 'K'));
        a.zyklus(statusantwort(17, 0, 0x44));
        const QString antwort = a.t.antwortfeld();
        QVERIFY(!antwort.isEmpty());
        a.port.clearWrites();
        a.tick1();
        QCOMPARE(a.t.antwortfeld(), antwort);
        QVERIFY(a.t.datenVorhanden());
        QCOMPARE(a.port.written(), Telegramm::anfrage(17, "L2"));
    }

    // A request still without an answer when the next goes out is reported,
    // with or without its echo; an answer that came in the meantime is not.
    void fehlendeAntwortGemeldet()
    {
        Aufbau a;
        QSignalSpy fehlt(&a.t, &Testbetrieb::keineAntwort);
        a.t.start();
        a.zyklus(statusantwort(17, 0, 0x40, 'K'));
        a.zyklus({});  // only the echo of "S"
        a.tick1();
        QCOMPARE(fehlt.count(), 1);
        QCOMPARE(fehlt.at(0).at(0).toByteArray(), Telegramm::anfrage(17, "S"));
        QCOMPARE(fehlt.at(0).at(1).toBool(), true);
        a.tick2();  // not even the echo of this one
        a.tick1();
        QCOMPARE(fehlt.count(), 2);
        QCOMPARE(fehlt.at(1).at(1).toBool(), false);
        // The answer is there, only the answer check has not looked yet.
        a.port.inject(a.port.writes().last().bytes + statusantwort(17, 0, 0x40));
        a.tick1();
        QCOMPARE(fehlt.count(), 2);
    }

    // The port goes away while polling: both timers stop, said once.
    void portWegBeendetDieAbfrage()
    {
        Aufbau a;
        QSignalSpy weg(&a.t, &Testbetrieb::portVerloren);
        a.t.start();
        a.zyklus(statusantwort(17, 0, 0x40, 'K'));
        a.tick1();
        QVERIFY(a.t.laeuft());
        a.port.loseDevice();
        QCOMPARE(weg.count(), 1);
        QVERIFY(!a.t.taktLaeuft(1));
        QVERIFY(!a.t.taktLaeuft(2));
        a.port.loseDevice();
        QCOMPARE(weg.count(), 1);
    }

    void ungueltigeAdresseSendetNichts()
    {
        Aufbau a;
        a.z.Adresse = 300;
        a.t.start();
        a.tick1();
        QVERIFY(a.port.written().isEmpty());
        QVERIFY(!a.t.taktLaeuft(2));
    }

    void laeuftAufDenEigenenTimern()
    {
        Aufbau a;
        a.t.start();
        // K, then S once a second; answers are acknowledged by Timer2.
        QTRY_VERIFY_WITH_TIMEOUT(a.port.written().contains(Telegramm::anfrage(17, "K")), 3000);
        a.port.inject(a.t.testtelegramm() + statusantwort(17, 0, 0x40, 'K'));
        QTRY_VERIFY_WITH_TIMEOUT(a.port.written().endsWith(Telegramm::Quittung), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(a.port.written().endsWith(Telegramm::anfrage(17, "S")), 3000);
        a.t.beenden();
        QVERIFY(!a.t.taktLaeuft(1) && !a.t.taktLaeuft(2));
    }

    void anlagennameAusDemDateinamen()
    {
        QCOMPARE(Testbetrieb::anlagenname(QStringLiteral("/home/x/Anlagen/Halle 3.S2D")), QStringLiteral("Halle 3"));
        QCOMPARE(Testbetrieb::anlagenname(QStringLiteral("C:\\Anlagen\\Halle 3.alt.S2D")), QStringLiteral("Halle 3"));
        QCOMPARE(Testbetrieb::anlagenname(QStringLiteral("ohnepunkt")), QStringLiteral("ohnepunkt"));
        QCOMPARE(Testbetrieb::anlagenname(QString()), QString());
    }

    void anlageUebernehmenStartetEinmal()
    {
        Aufbau a;
        QVERIFY(a.t.anlageUebernehmen(QStringLiteral("Halle 3"), false));
        QCOMPARE(a.t.zyklusstarts(), 1);
        QVERIFY(a.t.taktLaeuft(1));
        QCOMPARE(a.log(), QByteArray("Veranstaltung vom:   05.12.26   Ort:   Halle 3\r\n  \r\n"));
        // The first request is the mode command chosen on loading.
        QCOMPARE(a.zyklus({}), Telegramm::anfrage(17, "K"));
    }

    // --- the movement log -------------------------------------------------

    void kopfzeilen()
    {
        QCOMPARE(Bewegungsprotokoll::kopf(QString(), false, Zeit),
                 QByteArray("Veranstaltung vom:   05.12.26   Ort:   \r\n  \r\n"));
        QCOMPARE(Bewegungsprotokoll::kopf(QStringLiteral("Saal Müller"), true, Zeit),
                 QByteArray("Geschlossene Gesellschaft vom:   05.12.26   Ort:   Saal M\xFCller\r\n  \r\n"));
        QCOMPARE(Bewegungsprotokoll::kopf(QStringLiteral("a\r\nb"), false, Zeit),
                 QByteArray("Veranstaltung vom:   05.12.26   Ort:   a  b\r\n  \r\n"));
    }

    void bewegungszeilen()
    {
        const QDateTime frueh(QDate(2027, 1, 2), QTime(8, 5));
        const QByteArray kopf = "am:;02.01.27; um: ;08.05  Uhr;Kartennummer:";
        // Characters 8 to 10 of a 10-character answer.
        QCOMPARE(Bewegungsprotokoll::bewegungszeile("1234567890", frueh), kopf + "890\r\n");
        QCOMPARE(Bewegungsprotokoll::bewegungszeile("1234567", frueh), kopf + "\r\n");
        // 25 characters from the 8th: the frame's ETX and check byte stay out.
        const QByteArray voll = kartenantwort(17, "1234567890123456789012345");
        QCOMPARE(Bewegungsprotokoll::bewegungszeile(voll, frueh), kopf + "1234567890123456789012345\r\n");
        // Control characters never break the line.
        QByteArray roh = "\x02\x11L2017" + QByteArray("40\r\n12") + char(0x03) + char(0x0D) + char(0x7F) + "\xE9";
        QCOMPARE(Bewegungsprotokoll::bewegungszeile(roh, frueh), kopf + "40  12   \xE9\r\n");
    }

    void protokollWaechstNurAn()
    {
        QTemporaryDir ordner;
        const QString pfad = ordner.filePath(QStringLiteral("Bewegungen.dat"));
        QVERIFY(schreib(pfad, "alt\r\n"));
        Bewegungsprotokoll p(pfad);
        p.setUhr([] { return Zeit; });
        QVERIFY(p.schreibeBewegung(kartenantwort(1, "A")));
        Bewegungsprotokoll p2(pfad);
        p2.setUhr([] { return Zeit; });
        QVERIFY(p2.schreibeBewegung(kartenantwort(1, "B")));
        const QByteArray z = "am:;05.12.26; um: ;14.30  Uhr;Kartennummer:";
        QCOMPARE(lies(pfad), "alt\r\n" + z + "A" + QByteArray(24, ' ') + "\r\n" + z + "B" + QByteArray(24, ' ') + "\r\n");
    }

    void liegtImDatenordner()
    {
        Bewegungsprotokoll p;
        QCOMPARE(QFileInfo(p.pfad()).absolutePath(), QDir(Pfade::programm()).absolutePath());
        QCOMPARE(QFileInfo(p.pfad()).fileName(), QStringLiteral("Bewegungen.dat"));
    }

    void schreibfehlerEinmalGemeldetAbfrageLaeuftWeiter()
    {
        Aufbau a;
        // A folder where the log should be: it cannot be opened for writing.
        const QString pfad = a.ordner.filePath(QStringLiteral("ordner"));
        QVERIFY(QDir().mkpath(pfad));
        a.t.protokoll().setPfad(pfad);
        QSignalSpy fehler(&a.t, &Testbetrieb::protokollFehler);
        QVERIFY(!a.t.anlageUebernehmen(QStringLiteral("Halle"), false));
        QCOMPARE(fehler.count(), 1);
        QCOMPARE(fehler.first().first().toString(), pfad);
        QVERIFY(a.t.taktLaeuft(1));
        a.zyklus(statusantwort(17, 0, 0x40, 'K'));
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(a.zyklus(statusantwort(17, 0, 0x44)), Telegramm::anfrage(17, "S"));
            QCOMPARE(a.zyklus(kartenantwort(17, "4711")), Telegramm::anfrage(17, "L2"));
            QCOMPARE(a.t.kartendaten(), kartenantwort(17, "4711"));
        }
        QCOMPARE(fehler.count(), 1);
        QCOMPARE(a.zyklus({}), Telegramm::anfrage(17, "S"));
    }
};

PORTAVO_TESTKLASSE(TestTestbetrieb)
#include "tst_testbetrieb.moc"
