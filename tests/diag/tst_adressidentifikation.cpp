// Address identification against a FakePort bus: scan, single
// identification, version check, reset and the address field.

#include "support/Testlauf.h"

#include <QSignalSpy>
#include "support/Busattrappe.h"
#include "support/SimBus.h"
#include "support/SimPort.h"
#include "support/Testhilfe.h"
#include "diag/Adressidentifikation.h"
#include "diag/Identhilfen.h"

class TestAdressidentifikation : public QObject {
    Q_OBJECT

    struct Aufbau : Strecke<FakePort> {
        Busattrappe bus{port};
        Adressidentifikation ident{z, v, meldung};
        Empfangsrecht recht = ident.empfangNehmen();
        QString adresse, protokoll, version;
        int geschlossen = 0;

        Aufbau()
        {
            QObject::connect(&ident, &Adressidentifikation::terminalAnzeigen, [this](int a, const QString &p) {
                adresse = QString::number(a);
                protokoll = p;
            });
            QObject::connect(&ident, &Adressidentifikation::versionAnzeigen, [this](const QString &t) { version = t; });
            QObject::connect(&ident, &Adressidentifikation::schliessen, [this] { ++geschlossen; });
            ident.laden();
        }
        // A scan at 10 ms per address instead of 50; the bus answers at once.
        QList<QVariant> scan()
        {
            QSignalSpy ende(&ident, &Adressidentifikation::scanBeendet);
            ident.setTaktabstand(1, 10);
            ident.scan();
            return ende.wait(20000) ? ende.first() : QList<QVariant>();
        }
        // Single identification of the address typed in.
        void ok(const QString &feld)
        {
            ident.adressfeldVerlassen(feld);
            ident.ok();
        }
    };

private slots:
    void ladenSetztAusgangszustand()
    {
        Aufbau a;
        QCOMPARE(int(a.z.Adresse), 48);
        QCOMPARE(a.ident.adressfeld(), QStringLiteral("48"));
        QVERIFY(!a.ident.okFreigegeben());
        QCOMPARE(a.z.Protokollnamen.at(255), a.z.Texte.at(190));
        QCOMPARE(a.ident.taktabstand(1), 50);
        QCOMPARE(a.ident.taktabstand(2), 300);
        a.z.Modembetrieb = 1;
        a.ident.laden();
        QCOMPARE(a.ident.taktabstand(1), 250);
        QCOMPARE(a.ident.taktabstand(2), 1000);
    }

    void scanFindetZweiTerminalsUndOkUebernimmt()
    {
        Aufbau a;
        a.bus.terminal(3, 0);
        a.bus.terminal(17, 1);
        QCOMPARE(a.scan(), QList<QVariant>{true});
        QVERIFY(!a.ident.gesperrt());
        QVERIFY(a.ident.okFreigegeben());
        const QString t191 = a.z.Texte.at(191), t192 = a.z.Texte.at(192);
        QCOMPARE(a.ident.liste(),
                 (QStringList{t191 + "003" + t192 + "000 Standard", t191 + "017" + t192 + "001 QRX / Norvall"}));
        // The first line is selected and current.
        QCOMPARE(a.ident.auswahl(), 0);
        QCOMPARE(int(a.z.Adresse), 3);
        // "X" to 1..255 in ascending order, an ACK after each answer.
        QList<QByteArray> erwartet;
        for (int n = 1; n <= 255; ++n) {
            erwartet << Telegramm::anfrage(n, "X");
            if (n == 3 || n == 17)
                erwartet << Telegramm::Quittung;
        }
        QCOMPARE(a.gesendet(), erwartet);

        a.ident.waehleZeile(1);
        QCOMPARE(int(a.z.Protokoll), 1);
        a.port.clearWrites();
        a.ident.ok();
        QCOMPARE(a.adresse, QStringLiteral("17"));
        QCOMPARE(a.protokoll, QStringLiteral("QRX / Norvall"));
        QTRY_COMPARE(a.geschlossen, 1);
        QCOMPARE(a.version, QStringLiteral("Ver 2.07 KD 1 00"));
        QCOMPARE(int(a.z.AdresseBekannt), 1);
        QCOMPARE(int(a.z.Adresse), 17);
        QCOMPARE(int(a.z.Protokoll), 1);
        QCOMPARE(a.gesendet(), (QList<QByteArray>{Telegramm::anfrage(17, "X"), Telegramm::Quittung,
                                                  Telegramm::anfrage(17, "V"), Telegramm::Quittung}));
        QVERIFY(a.meldung.eintraege().isEmpty());
    }

    void leererBusUndKeinEcho()
    {
        // An empty bus: the single line 195, selected; OK on it empties the list.
        Aufbau a;
        QCOMPARE(a.scan(), QList<QVariant>{true});
        QCOMPARE(a.ident.liste(), QStringList{a.z.Texte.at(195)});
        QCOMPARE(a.ident.auswahl(), 0);
        QCOMPARE(int(a.z.Adresse), 0);
        QVERIFY(a.meldung.eintraege().isEmpty());
        a.ident.ok();
        QVERIFY(a.ident.liste().isEmpty());
        // Not even an echo: text 193 after the first request.
        Aufbau stumm;
        stumm.bus.echo = false;
        QCOMPARE(stumm.scan(), QList<QVariant>{false});
        QCOMPARE(stumm.meldung.textnummern(), QList<int>{193});
        QCOMPARE(stumm.meldung.eintraege().first().text, stumm.z.Texte.at(193));
        QCOMPARE(stumm.gesendet(), QList<QByteArray>{Telegramm::anfrage(1, "X")});
        QVERIFY(!stumm.ident.gesperrt());
    }

    void einzelidentifikationOhneZeile_data()
    {
        QTest::addColumn<QString>("feld");
        QTest::newRow("niemand an 12") << "12";
        QTest::newRow("0 antwortet, gibt aber keine Zeile") << "0";
    }
    void einzelidentifikationOhneZeile()
    {
        QFETCH(QString, feld);
        Aufbau a;
        a.bus.terminal(0, 0);
        QSignalSpy beendet(&a.ident, &Adressidentifikation::einzelidentifikationBeendet);
        a.ok(feld);
        QTRY_COMPARE(beendet.count(), 1);
        QCOMPARE(beendet.first().first().toBool(), false);
        QCOMPARE(a.meldung.textnummern(), QList<int>{196});
        QCOMPARE(int(a.z.AdresseBekannt), 0);
        QTest::qWait(400);
        QCOMPARE(a.geschlossen, 0);  // the window stays open
    }

    void adressfeldBegrenzt()
    {
        Aufbau a;
        for (const auto &[eingabe, adresse] : {std::pair{"300", 0}, {"0", 0}, {"", 0}, {"1", 1}, {"255", 255},
                                               {"256", 0}, {"99999999999", 0}}) {
            a.ident.adressfeldVerlassen(QLatin1String(eingabe));
            QCOMPARE(int(a.z.Adresse), adresse);
            QCOMPARE(a.ident.adressfeld(), QString::number(adresse));
        }
    }

    void protokollAusAntwortlaenge_data()
    {
        QTest::addColumn<QByteArray>("antwort");
        QTest::addColumn<int>("protokoll");
        // Six answer bytes after the five-byte echo: the ninth character counts.
        QTest::newRow("C gibt 3") << QByteArray("\x02\x05XC\x03z", 6) << 3;
        QTest::newRow("@ gibt 0") << QByteArray("\x02\x05X@\x03z", 6) << 0;
        QTest::newRow("unter @ unbekannt") << QByteArray("\x02\x05X0\x03z", 6) << 255;
        QTest::newRow("A an Stelle 11") << QByteArray("\x02\x05X01A\x03z", 8) << 1;
        QTest::newRow("sonst unbekannt") << QByteArray("\x02\x05X01B\x03z", 8) << 255;
    }
    void protokollAusAntwortlaenge()
    {
        QFETCH(QByteArray, antwort);
        QFETCH(int, protokoll);
        Aufbau a;
        QObject::connect(&a.port, &Port::gesendet, &a.bus, [&a, antwort] {
            if (a.letzterWrite() == Telegramm::anfrage(5, "X"))
                QTimer::singleShot(0, &a.port, [&a, antwort] { a.port.inject(antwort); });
        });
        QSignalSpy beendet(&a.ident, &Adressidentifikation::einzelidentifikationBeendet);
        a.ok(QStringLiteral("5"));
        QTRY_COMPARE(beendet.count(), 1);
        QCOMPARE(int(a.z.Protokoll), protokoll);
        QCOMPARE(a.ident.liste(), QStringList{a.ident.listenzeile(5, protokoll)});
        QVERIFY(a.ident.liste().first().endsWith(" " + a.z.Protokollnamen.at(protokoll)));
    }

    void versionsantwort_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QList<int>>("texte");
        QTest::addColumn<int>("bekannt");
        QTest::newRow("passt") << QByteArray("Ver 2.07 KD 1 00") << QList<int>{} << 1;
        QTest::newRow("fremde Familie") << QByteArray("Ver 3.12 TS 2 04") << QList<int>{388} << 0;
        // Answers "X" but never "V": nothing more is sent, Timer2 closes.
        QTest::newRow("keine Antwort") << QByteArray() << QList<int>{} << 1;
    }
    void versionsantwort()
    {
        QFETCH(QByteArray, version);
        QFETCH(QList<int>, texte);
        QFETCH(int, bekannt);
        Aufbau a;
        a.bus.terminal(30, 0, version);
        a.ok(QStringLiteral("30"));
        QTRY_COMPARE(a.geschlossen, 1);
        QCOMPARE(a.meldung.textnummern(), texte);
        QCOMPARE(int(a.z.AdresseBekannt), bekannt);
        QCOMPARE(a.version, QString::fromLatin1(version));
        QList<QByteArray> erwartet{Telegramm::anfrage(30, "X"), Telegramm::Quittung, Telegramm::anfrage(30, "V")};
        QCOMPARE(a.gesendet(), erwartet + (version.isEmpty() ? QList<QByteArray>{} : QList{Telegramm::Quittung}));
    }

    void resetUndAbbrechen()
    {
        Aufbau a;
        a.bus.terminal(21, 1);
        a.ident.adressfeldVerlassen(QStringLiteral("21"));
        a.z.Protokoll = 1;
        a.ident.reset();
        QCOMPARE(a.gesendet(), QList<QByteArray>{Telegramm::anfrage(21, "R")});
        QTRY_VERIFY(!a.ident.taktLaeuft(1));
        QCOMPARE(a.ident.empfang(), QByteArray());
        // OK right after a reset accepts address and protocol as they stand.
        a.ident.ok();
        QCOMPARE(a.adresse, QStringLiteral("21"));
        QCOMPARE(a.protokoll, QStringLiteral("QRX / Norvall"));
        QTRY_COMPARE(a.geschlossen, 1);
        QCOMPARE(a.version, QStringLiteral("Ver 2.07 KD 1 00"));
        // Cancel forgets the terminal.
        a.ident.abbrechen();
        QCOMPARE(int(a.z.AdresseBekannt), 0);
        QCOMPARE(a.geschlossen, 2);
    }

    // Answers that come later than one tick: each stands behind the echo of
    // the next request, but names its own terminal.
    void spaeteAntwortenGehoerenIhremAbsender()
    {
        SimBus bus;
        const QJsonArray spaet{QJsonObject{{"type", "delay"}, {"command", "X"}, {"ms", 30}}};
        SIMBUS_STARTEN(bus, QJsonArray{SimBus::terminal(1, 0, {{"faults", spaet}}),
                                       SimBus::terminal(20, 1, {{"faults", spaet}})});
        Strecke<SimPort> s(bus.device());
        QVERIFY(s.port.isOpen());
        Adressidentifikation ident(s.z, s.v, s.meldung);
        const Empfangsrecht recht = ident.empfangNehmen();
        ident.laden();
        QSignalSpy ende(&ident, &Adressidentifikation::scanBeendet);
        ident.setTaktabstand(1, 20);
        ident.scan();
        QVERIFY(ende.wait(60000));
        QCOMPARE(ident.liste(), (QStringList{ident.listenzeile(1, 0), ident.listenzeile(20, 1)}));
        QVERIFY(s.meldung.eintraege().isEmpty());
    }

    void antwortenImEmpfang_data()
    {
        QTest::addColumn<QByteArray>("empfang");
        QTest::addColumn<QList<int>>("erwartet");  // address, protocol, address, protocol, ...
        const auto echo = [](int a) { return Telegramm::anfrage(a, "X"); };
        const auto antwort0 = [](int a, char p) {
            QByteArray b = QByteArray() + Telegramm::STX + char(a) + 'X' + p + Telegramm::ETX;
            return b + char(Telegramm::blockpruefung(b, 1, int(b.size()) - 1));
        };
        const auto antwort1 = [](int a) {
            QByteArray b = QByteArray() + Telegramm::STX + char(a) + "X00A" + Telegramm::ETX;
            return b + char(Telegramm::blockpruefung(b, 1, int(b.size()) - 1));
        };
        QTest::newRow("nur das Echo") << echo(7) << QList<int>{};
        QTest::newRow("Echo und Antwort") << echo(7) + antwort0(7, 'A') << QList<int>{7, 1};
        QTest::newRow("spaet hinter fremdem Echo") << echo(2) + antwort0(1, '@') << QList<int>{1, 0};
        QTest::newRow("hinter dem ACK-Echo") << QByteArray("\x06") + antwort1(20) << QList<int>{20, 1};
        QTest::newRow("Adressen STX und ETX") << echo(4) + antwort0(2, '@') + antwort0(3, 'C')
                                              << QList<int>{2, 0, 3, 3};
        // The echo to 89 ends with a check byte 0x02; the answer of 88 after it
        // must not be read from that byte on.
        QTest::newRow("Pruefbyte wie STX") << echo(89) + antwort0(88, '@') << QList<int>{88, 0};
        QTest::newRow("Protokoll 1 und 0 nacheinander") << echo(9) + antwort1(8) + antwort0(9, 'B')
                                                        << QList<int>{8, 1, 9, 2};
        QTest::newRow("angehaengtes Byte") << echo(5) + antwort0(5, 'C') + 'z' << QList<int>{5, 255};
        QTest::newRow("Rauschen") << echo(5) + QByteArray("\xff\x00\x55\x02", 4) << QList<int>{};
        QTest::newRow("Adresse 0 ist Rauschen") << echo(5) + antwort0(0, 'A') << QList<int>{};
    }
    void antwortenImEmpfang()
    {
        QFETCH(QByteArray, empfang);
        QFETCH(QList<int>, erwartet);
        QList<int> gefunden;
        for (const Identhilfen::Kennung &k : Identhilfen::kennungen(empfang))
            gefunden << k.adresse << k.protokoll;
        QCOMPARE(gefunden, erwartet);
    }

    // Cancel during a scan stops the scan, keeps what was found and leaves
    // the window open for a choice; cancel afterwards closes it.
    void abbrechenWaehrendDesScans()
    {
        Aufbau a;
        a.bus.terminal(3, 0);
        a.bus.terminal(200, 0);
        QSignalSpy ende(&a.ident, &Adressidentifikation::scanBeendet);
        a.ident.setTaktabstand(1, 5);
        a.ident.scan();
        QTRY_VERIFY(a.z.Adresse > 10);
        a.ident.abbrechen();
        QCOMPARE(ende.size(), 1);
        QCOMPARE(ende.first().first().toBool(), true);
        QVERIFY(!a.ident.taktLaeuft(1));
        QVERIFY(!a.ident.gesperrt());
        QCOMPARE(a.geschlossen, 0);
        QCOMPARE(a.ident.liste().size(), 1);  // address 3 only: 200 was never asked
        QVERIFY(a.ident.okFreigegeben());
        const int gesendet = int(a.port.writes().size());
        QTest::qWait(30);
        QCOMPARE(int(a.port.writes().size()), gesendet);
        a.ident.abbrechen();
        QCOMPARE(a.geschlossen, 1);
    }

    void abbrechenOhneFundeZeigtDieLeereZeile()
    {
        Aufbau a;
        a.ident.setTaktabstand(1, 5);
        a.ident.scan();
        QTRY_VERIFY(a.z.Adresse > 3);
        a.ident.abbrechen();
        QCOMPARE(a.ident.liste(), QStringList{a.z.Texte.at(195)});
        QVERIFY(!a.ident.okFreigegeben());
        QCOMPARE(a.geschlossen, 0);
    }

    // A typed address is identified without a scan of the whole bus.
    void getippteAdresseOhneScan()
    {
        Aufbau a;
        a.bus.terminal(42, 1);
        QVERIFY(!a.ident.okFreigegeben());
        a.ident.adressfeldVerlassen(QStringLiteral("0"));
        QVERIFY(!a.ident.okFreigegeben());
        a.ident.adressfeldVerlassen(QStringLiteral("42"));
        QVERIFY(a.ident.okFreigegeben());
        a.ident.ok();
        QTRY_COMPARE(a.geschlossen, 1);
        QCOMPARE(int(a.z.AdresseBekannt), 1);
        QCOMPARE(a.adresse, QStringLiteral("42"));
        QCOMPARE(a.protokoll, QStringLiteral("QRX / Norvall"));
        QCOMPARE(a.gesendet().first(), Telegramm::anfrage(42, "X"));
        QCOMPARE(int(a.gesendet().size()), 4);  // X, ACK, V, ACK: no scan
    }
};

PORTAVO_TESTKLASSE(TestAdressidentifikation)
#include "tst_adressidentifikation.moc"
