// Address identification on a FakePort bus, late answers on the simulated
// bus, and the answers found in a receive buffer.

#include "support/Testlauf.h"
#include "support/Datentabelle.h"

#include <QSignalSpy>
#include "support/Busattrappe.h"
#include "support/SimBus.h"
#include "support/Testhilfe.h"
#include "diag/Adressidentifikation.h"
#include "diag/Identhilfen.h"

class TestAdressidentifikation : public QObject {
    Q_OBJECT

    template <class P>
    struct Aufbau : Strecke<P> {
        Adressidentifikation ident{this->z, this->v, this->meldung};
        Empfangsrecht recht{ident.empfangNehmen()};
        QString adresse, protokoll, version;
        int geschlossen = 0;
        explicit Aufbau(const QString &geraet = {}) : Strecke<P>(geraet)
        {
            connect(&ident, &Adressidentifikation::terminalAnzeigen, [this](int a, const QString &p) {
                adresse = QString::number(a);
                protokoll = p;
            });
            connect(&ident, &Adressidentifikation::versionAnzeigen, [this](const QString &t) { version = t; });
            connect(&ident, &Adressidentifikation::schliessen, [this] { ++geschlossen; });
            ident.laden();
        }
        // A scan with steps of `takt` ms; returns at once with `warten` false.
        QList<QVariant> scan(int takt = 2, bool warten = true)
        {
            QSignalSpy ende(&ident, &Adressidentifikation::scanBeendet);
            ident.setTaktabstand(1, takt);
            ident.scan();
            return warten && ende.wait(20000) ? ende.first() : QList<QVariant>();
        }
        void ok(const QString &feld)  // the address typed in
        {
            ident.adressfeldVerlassen(feld);
            ident.ok();
        }
    };
    struct Attrappe : Aufbau<FakePort> {
        Busattrappe bus{port};
    };

private slots:
    // An empty bus: the single line 195; not even an echo: text 193 and the scan stops.
    void leererBusUndKeinEcho()
    {
        Attrappe a;
        QCOMPARE(a.scan(), QList<QVariant>{true});
        QCOMPARE(a.ident.liste(), QStringList{a.z.sprache.texte.at(195)});
        QCOMPARE(int(a.z.terminal.adresse), 0);
        QVERIFY(a.meldung.eintraege().isEmpty());
        a.ident.ok();
        QVERIFY(a.ident.liste().isEmpty());
        Attrappe stumm;
        stumm.bus.echo = false;
        QCOMPARE(stumm.scan(), QList<QVariant>{false});
        QCOMPARE(stumm.meldung.textnummern(), QList<int>{193});
        QVERIFY(!stumm.ident.gesperrt() && !stumm.ident.taktLaeuft(1));  // no further scan step
    }

    // Nothing comes back at all and the interface has never echoed: an empty bus behind an interface
    // without echo and a missing interface look alike, and the message names both (a single address:
    // TestCliBus::echoUndTestbetrieb).
    void wederEchoNochAntwort()
    {
        Attrappe a;
        a.bus.echo = false;
        a.v.setEchomodus(Verbindung::Echomodus::Automatisch);
        QCOMPARE(a.scan(10), QList<QVariant>{true});
        QCOMPARE(a.ident.liste(), QStringList{a.z.sprache.texte.at(195)});
        QCOMPARE(a.meldung.textnummern(), QList<int>{881});
        QCOMPARE(a.gesendet().size(), 255);

    }

    // Cancel during a scan stops it, keeps what was found and leaves the window open for a choice.
    void abbrechenWaehrendDesScans()
    {
        for (const bool terminals : {true, false}) {
            Attrappe a;
            for (int n : {3, 200})
                if (terminals)
                    a.bus.terminal(n, 0);
            QSignalSpy ende(&a.ident, &Adressidentifikation::scanBeendet);
            a.scan(2, false);
            QTRY_VERIFY(a.z.terminal.adresse > 10);
            a.ident.abbrechen();
            QCOMPARE(ende.size(), 1);
            QVERIFY(!a.ident.gesperrt() && !a.ident.taktLaeuft(1));  // no further scan step
            QCOMPARE(a.geschlossen, 0);
            QCOMPARE(a.ident.liste(), terminals ? QStringList{a.ident.listenzeile(3, 0)} : QStringList{a.z.sprache.texte.at(195)});
            QCOMPARE(a.ident.okFreigegeben(), terminals);
            // Nothing of the stopped scan goes out any more: a single identification is alone.
            a.bus.terminal(42, 1);
            if (!terminals)
                a.ident.ok();  // OK on the "none found" line empties the list
            a.port.clearWrites();
            a.ok(QStringLiteral("42"));
            QTRY_COMPARE(a.geschlossen, 1);
            QCOMPARE(a.gesendet(), (QList<QByteArray>{Telegramm::anfrage(42, "X"), Telegramm::Quittung,
                                                      Telegramm::anfrage(42, "V"), Telegramm::Quittung}));
        }
    }

    void adressfeldBegrenzt()
    {
        Attrappe a;
        for (const auto &[eingabe, adresse] : {std::pair{"300", 0}, {"0", 0}, {"", 0}, {"1", 1}, {"255", 255},
                                               {"256", 0}, {"99999999999", 0}}) {
            a.ident.adressfeldVerlassen(QLatin1String(eingabe));
            QCOMPARE(int(a.z.terminal.adresse), adresse);
            QCOMPARE(a.ident.adressfeld(), QString::number(adresse));
        }
        Attrappe b;  // OK only for an address typed in
        for (const auto &[eingabe, frei] : {std::pair{"", false}, {"0", false}, {"42", true}}) {
            b.ident.adressfeldVerlassen(QLatin1String(eingabe));
            QCOMPARE(b.ident.okFreigegeben(), frei);
        }
    }

    // Answers "X" but never "V": nothing more is sent, the terminal is taken over.
    void keineVersionsantwort()
    {
        Attrappe a;
        a.bus.terminal(30, 0, QByteArray());
        a.ok(QStringLiteral("30"));
        QTRY_COMPARE(a.geschlossen, 1);
        QVERIFY(a.meldung.eintraege().isEmpty() && a.version.isEmpty());
        QCOMPARE(a.z.terminal.adresseBekannt, true);
        QCOMPARE(a.gesendet(), (QList<QByteArray>{Telegramm::anfrage(30, "X"), Telegramm::Quittung,
                                                  Telegramm::anfrage(30, "V")}));
    }

    // Reset sends "R"; OK right after it accepts address and protocol as they stand.
    void resetDannOk()
    {
        Attrappe a;
        a.bus.terminal(21, 1);
        a.ident.adressfeldVerlassen(QStringLiteral("21"));
        a.z.terminal.protokoll = 1;
        a.ident.reset();
        QCOMPARE(a.gesendet(), QList<QByteArray>{Telegramm::anfrage(21, "R")});
        a.ident.ok();
        QCOMPARE(QStringList({a.adresse, a.protokoll}), QStringList({"21", "QRX / Norvall"}));
        QTRY_COMPARE(a.geschlossen, 1);
        QCOMPARE(a.version, QStringLiteral("Ver 2.07 KD 1 00"));
    }

    // "X" to 1..255 in order, an ACK after each answer; OK on a line asks X and V and takes it over. With
    // an echoing interface and with one that does not, nothing told; answers later than a scan step stand
    // behind the next echo but name their own terminal.
    void scanUndOkAmBus_data()
    {
        spalten<bool, int>("echo", "spaet");
        QTest::newRow("mit Echo") << true << 0;
        QTest::newRow("ohne Echo") << false << 0;
        QTest::newRow("spaete Antworten") << true << 30;
    }
    void scanUndOkAmBus()
    {
        const auto [echo, spaet] = werte<bool, int>("echo", "spaet");
        SimBus bus;
        const QJsonObject fehler{{"faults", QJsonArray{QJsonObject{{"type", "delay"}, {"command", "X"}, {"ms", spaet}}}}};
        BUS_STARTEN(bus, QJsonArray{SimBus::terminal(7, 0, fehler), SimBus::terminal(20, 1, fehler)},
                    echo ? QStringList() : QStringList{QStringLiteral("--no-echo")});
        Aufbau<SimPort> a(bus.device());
        a.v.setEchomodus(Verbindung::Echomodus::Automatisch);
        a.v.setUhr([&bus] { return bus.jetztUs() / 1000; });
        QCOMPARE(a.scan(10), QList<QVariant>{true});
        QCOMPARE(a.ident.liste(), (QStringList{a.ident.listenzeile(7, 0), a.ident.listenzeile(20, 1)}));
        QVERIFY(a.ident.liste().at(1).endsWith(QStringLiteral("020") + a.z.sprache.texte.at(192) + "001 QRX / Norvall"));
        QVERIFY(a.meldung.eintraege().isEmpty() && !a.ident.gesperrt() && a.ident.okFreigegeben());
        QCOMPARE(a.ident.auswahl(), 0);
        QCOMPARE(int(a.z.terminal.adresse), 7);
        QByteArray erwartet;
        for (int n = 1; n <= 255; ++n)
            erwartet += Telegramm::anfrage(n, "X") + (n == 7 || n == 20 ? Telegramm::Quittung : QByteArray());
        if (!spaet)
            QTRY_COMPARE(SimBus::bytes(bus.verkehr()), erwartet);
        QCOMPARE(a.v.echostand(), echo ? Verbindung::Echostand::Vorhanden : Verbindung::Echostand::Fehlt);

        a.ident.waehleZeile(1);
        const int beginn = int(bus.verkehr().size());
        a.ident.ok();
        QTRY_COMPARE(a.geschlossen, 1);
        QCOMPARE(QStringList({a.adresse, a.protokoll, a.version}), QStringList({"20", "QRX / Norvall", "Ver 3.12 TS 1 04"}));
        QVERIFY(a.z.terminal.adresseBekannt && a.z.terminal.protokoll == 1);
        QVERIFY(a.meldung.eintraege().isEmpty());
        if (!spaet)
            QTRY_COMPARE(SimBus::bytes(bus.verkehr(beginn)), Telegramm::anfrage(20, "X") + Telegramm::Quittung
                                                                + Telegramm::anfrage(20, "V") + Telegramm::Quittung);
    }

    void antwortenImEmpfang_data()
    {
        // erwartet: address, protocol, address, protocol, ...
        spalten<QByteArray, QList<int>>("empfang", "erwartet");
        const auto echo = [](int a) { return Telegramm::anfrage(a, "X"); };
        const auto rahmen = [](const QByteArray &k) { return Telegramm::STX + k + char(Telegramm::blockpruefung(k)); };
        const auto antwort0 = [&](int a, char p) { return rahmen(char(a) + QByteArray("X") + p + Telegramm::ETX); };
        const auto antwort1 = [&](int a) { return rahmen(char(a) + QByteArray("X00A") + Telegramm::ETX); };
        QTest::newRow("nur das Echo") << echo(7) << QList<int>{};
        QTest::newRow("Echo und Antwort") << echo(7) + antwort0(7, 'A') << QList<int>{7, 1};
        QTest::newRow("spaet hinter fremdem Echo") << echo(2) + antwort0(1, '@') << QList<int>{1, 0};
        QTest::newRow("hinter dem ACK-Echo") << QByteArray("\x06") + antwort1(20) << QList<int>{20, 1};
        QTest::newRow("Adressen STX und ETX") << echo(4) + antwort0(2, '@') + antwort0(3, 'C') << QList<int>{2, 0, 3, 3};
        // The echo to 89 ends with a check byte 0x02: the answer of 88 is not read from there.
        QTest::newRow("Pruefbyte wie STX") << echo(89) + antwort0(88, '@') << QList<int>{88, 0};
        QTest::newRow("Protokoll 1 und 0") << echo(9) + antwort1(8) + antwort0(9, 'B') << QList<int>{8, 1, 9, 2};
        QTest::newRow("unter @ unbekannt") << echo(5) + antwort0(5, '0') << QList<int>{5, 255};
        QTest::newRow("angehaengtes Byte") << echo(5) + antwort0(5, 'C') + 'z' << QList<int>{5, 255};
        QTest::newRow("Rauschen") << echo(5) + QByteArray("\xff\x00\x55\x02", 4) << QList<int>{};
        QTest::newRow("Adresse 0 ist Rauschen") << echo(5) + antwort0(0, 'A') << QList<int>{};
    }
    void antwortenImEmpfang()
    {
        const auto [empfang, erwartet] = werte<QByteArray, QList<int>>("empfang", "erwartet");
        QList<int> gefunden;
        for (const Identhilfen::Kennung &k : Identhilfen::kennungen(empfang))
            gefunden << k.adresse << k.protokoll;
        QCOMPARE(gefunden, erwartet);
    }
};

PORTAVO_TESTKLASSE(TestAdressidentifikation)
#include "tst_adressidentifikation.moc"
