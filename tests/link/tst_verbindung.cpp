// Sending and receive routing of the link, on FakePort.

#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "support/FakePort.h"
#include "link/Anmeldung.h"
#include "link/Empfangspuffer.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "base/Zustand.h"

#include <QSignalSpy>
#include <QTest>
#include <map>
#include <memory>
#include <vector>

namespace {

struct Aufbau {
    Zustand z;
    FakePort port;
    FakePort modem;
    Verbindung v{z};
    QStringList monitor;

    explicit Aufbau(const QByteArray &befehl = "E", int adresse = 1)
    {
        port.open();
        modem.open();
        v.setPort(&port);
        v.setModemPort(&modem);
        v.setzeBefehl(befehl);
        z.terminal.adresse = qint16(adresse);
        QObject::connect(&v, &Verbindung::monitorZeile, [this](const QString &s) { monitor << s; });
    }
    QByteArray empfangsbytes() const { return v.ablage().abschnitt(0, v.ablage().zahl()); }
};

}  // namespace

// A receiver of the repair write's kind: holds back NAK, passes on anything else.
struct Wecker : Empfaenger {
    int gesehen = 0;
    Annahme nimm(const QByteArray &bytes) override
    {
        if (bytes.at(0) != Telegramm::NAK)
            return Annahme::Weiter;
        ++gesehen;
        return Annahme::Zurueckgehalten;
    }
};

class TestVerbindung : public QObject {
    Q_OBJECT
private slots:
    void senden()
    {
        Aufbau a;
        QVERIFY(a.v.sendeAnfrage("E"));
        QCOMPARE(a.v.letzteAnfrage().toHex(), QByteArray("0201450347"));
        QVERIFY(a.monitor.isEmpty());  // monitor closed
        a.z.terminal.adresse = 255;
        QVERIFY(a.v.sendeAnfrage("X"));
        QCOMPARE(a.v.befehl(), QByteArray("X"));
        const auto w = a.port.writes();
        QCOMPARE(w.size(), 2);  // one write each
        QCOMPARE(w.at(0).settings, QStringLiteral("19200,n,8,1"));
        QCOMPARE(w.at(0).bytes.toHex() + w.at(1).bytes.toHex(), QByteArray("020145034702ff5803a4"));
        QVERIFY(a.modem.writes().isEmpty());
        a.z.terminal.adresse = 1;

        // Acknowledgements, raw strings (also on a given port) and their monitor lines.
        Empfangsrecht beobachtung = a.v.beobachten();
        a.monitor.clear();
        a.v.sendeAnfrage("E");
        a.v.sendeAck();
        a.v.sendeProtokoll1Quittung();
        a.v.sendeRoh(Telegramm::Startstring);
        a.v.sendeRoh(Telegramm::Schreibankuendigung, &a.modem);
        QCOMPARE(a.port.written().right(17).toHex(), QByteArray("0201450347" "06" "02060305" "02303750693603"));
        QCOMPARE(a.modem.written(), QByteArray("U24###"));
        QCOMPARE(a.monitor.mid(0, 3), (QStringList{"**<02><01>E<03>G**", "**06**", "**02060305**"}));

        // Modem operation: all on the modem port; without one, nothing goes anywhere.
        a.port.clearWrites();
        a.modem.clearWrites();
        a.z.sitzung.leitung = Leitungsart::Modem;
        QVERIFY(a.v.sendeAnfrage("E"));
        a.v.sendeAck();
        a.v.sendeRoh("###");
        QCOMPARE(a.modem.written().toHex(), QByteArray("020145034706232323"));
        a.v.setModemPort(nullptr);
        QVERIFY(a.v.sendeAnfrage("E") && a.port.writes().isEmpty());
    }

    void anfrageVerweigert()
    {
        for (const auto &[adresse, befehl] : QList<std::pair<int, QByteArray>>{{256, "X"}, {-1, "X"}, {1, ""}}) {
            Aufbau a;
            const Empfangsrecht beobachtung = a.v.beobachten();
            QVERIFY(a.v.sendeAnfrage("V"));
            a.z.terminal.adresse = qint16(adresse);
            Empfangspuffer empfang(true);
            const Empfangsrecht recht = a.v.nimmStrom(empfang, Empfaenger::Vorrang::Identifikation);
            empfang.bytes() = "bleibt";
            a.port.clearWrites();
            a.monitor.clear();
            QVERIFY(!a.v.sendeAnfrage(befehl));
            QCOMPARE(a.v.befehl(), befehl);  // the command is taken, the request not sent
            QVERIFY(a.port.writes().isEmpty());
            QCOMPARE(a.v.letzteAnfrage(), Telegramm::anfrage(1, "V"));
            QCOMPARE(empfang.bytes(), QByteArray("bleibt"));
            QVERIFY(a.monitor.isEmpty());
        }
    }

    void routing_data()
    {
        // Receivers in registration order (W repair write, I identification, T test, A login) and the
        // bytes' end ("-" held back, "B" the byte store).
        spalten<QString, QByteArray, QString>("angemeldet", "eingang", "ziel");
        const QByteArray nak("\x15\x02", 2);
        const QByteArray stx(1, Telegramm::STX);
        QTest::newRow("nichts") << "" << stx << "B";
        QTest::newRow("Anmeldung") << "A" << stx << "A";
        QTest::newRow("Test vor Anmeldung") << "AT" << stx << "T";
        QTest::newRow("Test vor Anmeldung, spaeter angemeldet") << "TA" << stx << "T";
        QTest::newRow("Identifikation vor Test") << "TIA" << stx << "I";
        QTest::newRow("Identifikation vor Anmeldung") << "AI" << stx << "I";
        QTest::newRow("Weckantwort vor allen") << "ITAW" << nak << "-";
        QTest::newRow("Weckantwort allein") << "W" << nak << "-";
        QTest::newRow("Echo am Wecker vorbei") << "WA" << stx << "A";
        QTest::newRow("Echo am Wecker vorbei in die Ablage") << "W" << stx << "B";
    }

    void routing()
    {
        const auto [angemeldet, eingang, ziel] = werte<QString, QByteArray, QString>("angemeldet", "eingang", "ziel");
        Aufbau a;
        Empfangsrecht beobachtung = a.v.beobachten();
        Wecker w;
        Empfangspuffer i, t, an;
        const std::map<QChar, std::pair<Empfaenger *, Empfaenger::Vorrang>> art{
            {'W', {&w, Empfaenger::Vorrang::Reparatur}},
            {'I', {&i, Empfaenger::Vorrang::Identifikation}},
            {'T', {&t, Empfaenger::Vorrang::Testbetrieb}},
            {'A', {&an, Empfaenger::Vorrang::Anmeldung}}};
        std::vector<Empfangsrecht> rechte;
        for (const QChar c : angemeldet)
            rechte.push_back(a.v.nimmStrom(*art.at(c).first, art.at(c).second));
        QSignalSpy empfangen(&a.v, &Verbindung::empfangen);
        a.port.inject(eingang);

        for (const auto &[wer, bytes] :
             {std::pair{"I", i.bytes()}, {"T", t.bytes()}, {"A", an.bytes()}, {"B", a.empfangsbytes()}})
            QCOMPARE(bytes, ziel == wer ? eingang : QByteArray());
        QCOMPARE(w.gesehen, ziel == "-" ? 1 : 0);
        // Held back: not logged, not reported as received.
        QCOMPARE(a.monitor.size(), ziel == "-" ? 0 : int(eingang.size()));
        QCOMPARE(empfangen.size(), ziel == "-" ? 0 : 1);

        // Given back, each in turn: the next lower takes over, at last the store.
        for (auto &r : rechte)
            r.freigeben();
        a.port.inject("z");
        QCOMPARE(a.empfangsbytes(), (ziel == "B" ? eingang : QByteArray()) + "z");
    }

    // Two of one rank: the later comes first until it gives up; a handle that
    // goes out of scope gives up, and one that outlives the link does no harm.
    void gleicherRangUndFreigabe()
    {
        Aufbau a;
        Empfangspuffer erster, zweiter;
        Empfangsrecht r1 = a.v.nimmStrom(erster, Empfaenger::Vorrang::Identifikation);
        {
            const Empfangsrecht r2 = a.v.nimmStrom(zweiter, Empfaenger::Vorrang::Identifikation);
            a.port.inject("a");
            QVERIFY(a.v.haelt(Empfaenger::Vorrang::Identifikation));
        }
        a.port.inject("b");
        QCOMPARE(zweiter.bytes(), QByteArray("a"));
        QCOMPARE(erster.bytes(), QByteArray("b"));
        Empfangsrecht verschoben = std::move(r1);
        QVERIFY(!r1.haelt() && verschoben.haelt());
        verschoben = Empfangsrecht();
        QVERIFY(!a.v.haelt(Empfaenger::Vorrang::Identifikation));
        a.port.inject("c");
        QCOMPARE(a.empfangsbytes(), QByteArray("c"));

        // Every request empties the identifications' store, none of the others.
        Empfangspuffer suche(true), bleibt;
        const Empfangsrecht r3 = a.v.nimmStrom(suche, Empfaenger::Vorrang::Identifikation);
        const Empfangsrecht r4 = a.v.nimmStrom(bleibt, Empfaenger::Vorrang::Testbetrieb);
        suche.bytes() = "alt";
        bleibt.bytes() = "alt";
        QVERIFY(a.v.sendeAnfrage("E") && suche.bytes().isEmpty());
        QCOMPARE(bleibt.bytes(), QByteArray("alt"));

        auto v = std::make_unique<Verbindung>(a.z);
        Empfangsrecht ueberlebt = v->beobachten();
        QVERIFY(v->beobachtet());
        v.reset();
        QVERIFY(!ueberlebt.haelt());
    }

    // The login's store holds from the login request until the link serves a
    // request of another command, also after the login has failed.
    void anmeldungHaeltBisZumNaechstenBefehl()
    {
        Aufbau a;
        a.z.terminal.passwort = Telegramm::packePasswort("123456");
        Anmeldung an(a.z, a.v);
        QVERIFY(an.starte(1) && an.haeltStrom());
        an.stoppe();
        a.port.inject("J");
        QCOMPARE(an.antwort(), QByteArray("J"));
        a.v.setzeBefehl("P0xyz");  // still a login
        a.port.inject("K");
        QCOMPARE(an.antwort(), QByteArray("JK"));
        a.v.setzeBefehl("p");  // small p is another command
        QVERIFY(!an.haeltStrom());
        a.port.inject("L");
        QCOMPARE(a.empfangsbytes(), QByteArray("L"));
    }

    void empfangsgrenze()
    {
        // The limit holds across receive events; the monitor still shows every byte.
        Aufbau a;
        a.port.inject(QByteArray(4499, 'x'));
        const Empfangsrecht beobachtung = a.v.beobachten();
        a.port.inject("abc");
        a.port.inject("d");
        QCOMPARE(a.v.ablage().zahl(), 4501);
        QCOMPARE(a.empfangsbytes().right(2), QByteArray("ab"));
        QCOMPARE(a.monitor, (QStringList{"97", "98", "99", "100"}));
        // Dropping from the front keeps the rest in order.
        a.v.ablage().vorneEntfernen(4498);
        QCOMPARE(a.empfangsbytes(), QByteArray("xab"));
        // One event far past the limit: its rest goes nowhere.
        a.v.ablage().leeren();
        QByteArray viele(4600, 0);
        for (int i = 0; i < viele.size(); ++i)
            viele[i] = char(1 + i % 250);
        a.port.inject(viele);
        QCOMPARE(a.empfangsbytes(), viele.left(4501));
        for (int i = 4501; i < 5001; ++i)
            QCOMPARE(a.v.ablage().byte(i), quint8(0));
    }

    void ereigniscodes_data()
    {
        spalten<int, bool>("code", "neuOeffnen");
        for (int c : {1001, 1002, 1003, 1004, 1006, 1007, 1009, 1011})
            QTest::newRow(qPrintable(QString::number(c))) << c << true;
        for (int c : {0, 1, 3, 4, 5, 6, 7, 1005, 1008, 1010, 1012, -1})
            QTest::newRow(qPrintable(QString::number(c))) << c << false;
    }

    void ereigniscodes()
    {
        const auto [code, neuOeffnen] = werte<int, bool>("code", "neuOeffnen");
        Aufbau a;
        a.port.setSettings("2400,n,8,1");
        QSignalSpy empfangen(&a.v, &Verbindung::empfangen);
        QSignalSpy verloren(&a.v, &Verbindung::portVerloren);
        a.port.queue("wartet");
        a.port.injectEvent(code);
        // A line error reopens the port with its settings and drops the bytes; other codes change nothing.
        QCOMPARE(a.port.closeCount(), neuOeffnen ? 1 : 0);
        QVERIFY(a.port.isOpen());
        QCOMPARE(a.port.settings(), QStringLiteral("2400,n,8,1"));
        QCOMPARE(empfangen.size(), 0);
        QCOMPARE(verloren.size(), 0);
        a.port.inject("ok");
        QCOMPARE(a.empfangsbytes(), neuOeffnen ? QByteArray("ok") : QByteArray("wartetok"));
    }

    void portVerlorenOderGewechselt()
    {
        Aufbau a;
        QSignalSpy verloren(&a.v, &Verbindung::portVerloren);
        a.port.loseDevice();
        a.port.loseDevice();
        QCOMPARE(verloren.size(), 1);
        QVERIFY(!a.port.isOpen());
        // Sending on a lost port does nothing and does not crash.
        QVERIFY(a.v.sendeAnfrage("E") && a.port.writes().isEmpty());
        QCOMPARE(a.port.lostWrites(), 1);
        // A line error on a closed port does not reopen it behind the user's back.
        a.port.injectEvent(Ereigniscode::Framing);
        QVERIFY(!a.port.isOpen());
        // The modem port's loss is the modem window's business.
        a.modem.loseDevice();
        QCOMPARE(verloren.size(), 1);

        // After a change of port only the new one counts.
        Aufbau b;
        QSignalSpy verlorenB(&b.v, &Verbindung::portVerloren);
        FakePort neu;
        neu.open();
        b.v.setPort(&neu);
        b.port.inject("alt");
        neu.inject("neu");
        QCOMPARE(b.empfangsbytes(), QByteArray("neu"));
        b.port.loseDevice();
        QCOMPARE(verlorenB.size(), 0);
        neu.loseDevice();
        QCOMPARE(verlorenB.size(), 1);

        // A destroyed port is forgotten: requests are formed and sent nowhere.
        auto p = std::make_unique<FakePort>();
        p->open();
        b.v.setPort(p.get());
        p.reset();
        QCOMPARE(b.v.port(), nullptr);
        QVERIFY(b.v.sendeAnfrage("AB"));
        QCOMPARE(b.v.letzteAnfrage().toHex(), QByteArray("020141420301"));
        b.v.empfangsereignis(Ereigniscode::Framing);
    }
};

PORTAVO_TESTKLASSE(TestVerbindung)
#include "tst_verbindung.moc"
