// Identification workflow and its receive routing, on a FakePort bus answering "X" and "V".

#include "support/Testlauf.h"
#include "support/Datentabelle.h"

#include <QSignalSpy>
#include "support/Busattrappe.h"
#include "support/Testhilfe.h"
#include "diag/Adressidentifikation.h"
#include "workflow/Identifikationsablauf.h"

#include <memory>
#include <stdexcept>

class TestIdentifikationsablauf : public QObject {
    Q_OBJECT

    struct Lauf : Strecke<FakePort> {
        Busattrappe bus{port};
        Identifikationsablauf ablauf{z, v, meldung};
    };

private slots:
    void einzelneAdresse_data()
    {
        spalten<int, QByteArray, bool, bool, QList<int>>("adresse", "version", "geantwortet", "familieOk",
                                                         "meldungen");
        QTest::newRow("Protokoll 1, eigene Familie") << 5 << QByteArray("Ver 2.07 KD 1 00") << true << true
                                                     << QList<int>{};
        QTest::newRow("fremde Familie") << 5 << QByteArray("Ver 2.07 KD 7 00") << true << false
                                        << QList<int>{388};
        QTest::newRow("keine Antwort") << 6 << QByteArray() << false << false << QList<int>{196};
    }
    void einzelneAdresse()
    {
        const auto [adresse, version, geantwortet, familieOk, meldungen] =
            werte<int, QByteArray, bool, bool, QList<int>>("adresse", "version", "geantwortet", "familieOk",
                                                           "meldungen");
        Lauf l;
        l.bus.terminal(5, 1, version);
        QSignalSpy ende(&l.ablauf, &Identifikationsablauf::identifiziert);
        QVERIFY(l.ablauf.identifiziere(adresse) && l.v.haelt(Empfaenger::Vorrang::Identifikation) && l.ablauf.laeuft());
        QVERIFY(!l.ablauf.identifiziere(adresse));  // one at a time
        QVERIFY(ende.wait(5000) && !l.v.haelt(Empfaenger::Vorrang::Identifikation) && !l.ablauf.laeuft());
        const Identifikationsablauf::Ergebnis &e = l.ablauf.ergebnis();
        QVERIFY(e.geantwortet == geantwortet && e.versionDa == geantwortet && e.adresse == adresse);
        QVERIFY(e.familieOk == familieOk && e.bekannt == familieOk);
        QVERIFY(!geantwortet || (e.protokoll == 1 && e.version == QString::fromLatin1(version)));
        QCOMPARE(l.meldung.textnummern(), meldungen);
        QVERIFY(stillgelegt(l.ablauf));  // reported once: nothing runs on
    }

    // The scan holds the receive path until its end, or until its owner goes away mid-scan.
    void scanGibtDenEmpfangZurueck()
    {
        Lauf l;
        l.bus.echo = false;
        QSignalSpy ende(&l.ablauf, &Identifikationsablauf::scanBeendet);
        QVERIFY(l.ablauf.scan() && l.v.haelt(Empfaenger::Vorrang::Identifikation) && ende.wait(5000));
        QVERIFY(!ende.first().first().toBool() && !l.v.haelt(Empfaenger::Vorrang::Identifikation));
        QVERIFY(l.ablauf.terminals().isEmpty() && l.meldung.textnummern() == QList<int>{193});

        l.bus.echo = true;
        l.bus.terminal(3, 0);
        l.port.clearWrites();
        auto ablauf = std::make_unique<Identifikationsablauf>(l.z, l.v, l.meldung);
        QVERIFY(ablauf->scan());
        QTRY_VERIFY(l.port.writes().size() >= 3);
        QVERIFY(l.v.haelt(Empfaenger::Vorrang::Identifikation));
        ablauf.reset();  // its timers go with it
        QVERIFY(!l.v.haelt(Empfaenger::Vorrang::Identifikation));
    }

    void fenster()
    {
        Lauf l;
        l.z.terminal.identifiziert = true;
        // Cancelled: nothing identified, not even while the window is open.
        bool imFenster = true;
        QVERIFY(!l.ablauf.imFenster([&] { imFenster = l.z.terminal.identifiziert, l.z.terminal.adresseBekannt = false; }));
        QVERIFY(!imFenster && !l.z.terminal.identifiziert);
        // A terminal accepted in the window.
        QVERIFY(l.ablauf.imFenster([&] { l.z.terminal.adresseBekannt = true; }) && l.z.terminal.identifiziert);
        // A window that fails on its way out.
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 l.ablauf.imFenster([] { throw std::runtime_error("Fenster"); }));
        QVERIFY(!l.v.haelt(Empfaenger::Vorrang::Identifikation));
    }
};

PORTAVO_TESTKLASSE(TestIdentifikationsablauf)
#include "tst_identifikationsablauf.moc"
