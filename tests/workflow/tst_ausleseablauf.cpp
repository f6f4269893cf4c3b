// The read-out workflow on the in-process bus: password question, read-out, file step, failure endings.

#include "support/Testlauf.h"

#include <QSignalSpy>
#include "support/SimPort.h"
#include "support/Testhilfe.h"
#include "link/Auslesen.h"
#include "termfile/Terminaldatei.h"
#include "workflow/Ausleseablauf.h"

#include <QFileInfo>

class TestAusleseablauf : public QObject {
    Q_OBJECT

    struct Lauf : Strecke<SimPort> {
        Ausleseablauf ablauf{z, v, anmeldung, meldung};
        int fragen = 0;
        QSignalSpy fertig{&ablauf, &Ausleseablauf::fertig};
        QSignalSpy fehler{&ablauf, &Ausleseablauf::fehlgeschlagen};

        explicit Lauf(const SimBus &bus, const QString &passwort = QStringLiteral("246810")) : Strecke(bus.device())
        {
            z.terminal.adresse = 1;
            z.terminal.protokoll = 0;
            z.Timerintervall[1] = z.Timerintervall[3] = 20;  // the bus answers at once
            ablauf.setPasswortfrage([this, passwort] {
                ++fragen;
                z.terminal.passwort = Telegramm::packePasswort(passwort);
                z.terminal.passwortOK = true;
                return true;
            });
        }
        bool ende() { return QTest::qWaitFor([this] { return fertig.count() + fehler.count() > 0; }, 10000); }
    };

    SimBus m_bus;

    static void alteDateien(const QString &basis)
    {
        QVERIFY(schreib(basis + QStringLiteral(".S2D"), "alt\r\n"));
        QVERIFY(schreib(basis + QStringLiteral(".B2D"), "Kommentar einer alten Datei\r\n"));
    }

private slots:
    void initTestCase() { BUS_STARTEN(m_bus, QJsonArray{SimBus::terminal(1, 0)}); }

    void speichertUndEntferntDieBegleitdatei_data()
    {
        QTest::addColumn<QString>("ziel");
        QTest::newRow("Vorgabe") << QString();
        QTest::newRow("anderer Name") << QStringLiteral("TUER7.S2D");
    }
    void speichertUndEntferntDieBegleitdatei()
    {
        QFETCH(QString, ziel);
        Arbeitsordner ordner;
        const QString datei = ordner.pfad(ziel.isEmpty() ? QStringLiteral("PORTAVO.S2D") : ziel);
        alteDateien(Terminaldatei::basis(datei));
        // A companion of another name stays.
        QVERIFY(schreib(ordner.pfad(QStringLiteral("ANDERE.B2D")), "bleibt\r\n"));
        Lauf l(m_bus);
        if (!ziel.isEmpty())
            l.ablauf.setZieldatei(ziel);
        QCOMPARE(l.ablauf.starte(), Ausleseablauf::Start::Gestartet);
        QCOMPARE(l.ablauf.starte(), Ausleseablauf::Start::NichtGesendet);  // not again while it runs
        QCOMPARE(l.fragen, 1);
        QVERIFY(l.ende());
        QCOMPARE(l.fehler.count(), 0);
        QCOMPARE(l.fertig.first().first().toString(), QFileInfo(datei).absoluteFilePath());
        QVERIFY(l.meldung.eintraege().isEmpty());
        QCOMPARE(l.z.terminal.identifiziert, true);
        QCOMPARE(lies(datei), m_bus.speicher(1));
        QVERIFY(!QFile::exists(Terminaldatei::basis(datei) + QStringLiteral(".B2D")));
        QCOMPARE(lies(ordner.pfad(QStringLiteral("ANDERE.B2D"))), QByteArray("bleibt\r\n"));
    }

    // Main file unwritable or login refused: reported with name and reason; no file is touched.
    void dateienBleibenBeimFehler_data()
    {
        QTest::addColumn<bool>("ordnerImWeg");
        QTest::addColumn<int>("text");
        QTest::newRow("Datei nicht schreibbar") << true << -1;
        QTest::newRow("Anmeldung abgelehnt") << false << 154;
    }
    void dateienBleibenBeimFehler()
    {
        QFETCH(bool, ordnerImWeg);
        QFETCH(int, text);
        Arbeitsordner ordner;
        const QString datei = ordner.pfad(QStringLiteral("PORTAVO.S2D"));
        if (ordnerImWeg) {
            QVERIFY(QDir().mkdir(datei));
            QVERIFY(schreib(datei + QStringLiteral("/innen.txt"), "drin"));
        } else {
            QVERIFY(schreib(datei, "alt\r\n"));
        }
        QVERIFY(schreib(ordner.pfad(QStringLiteral("PORTAVO.B2D")), "Texte\r\n"));
        Lauf l(m_bus, ordnerImWeg ? QStringLiteral("246810") : QStringLiteral("123456"));
        QCOMPARE(l.ablauf.starte(), Ausleseablauf::Start::Gestartet);
        QVERIFY(l.ende());
        QCOMPARE(l.fertig.count(), 0);
        QCOMPARE(l.fehler.first().first().toInt(), text);
        const auto &m = l.meldung.eintraege();
        QCOMPARE(m.size(), 1);
        QCOMPARE(m.first().titelnummer, ordnerImWeg ? 159 : 155);
        if (ordnerImWeg) {
            QVERIFY2(m.first().text.startsWith(datei + QLatin1Char('\n')), qPrintable(m.first().text));
            QVERIFY(m.first().text.size() > datei.size() + 1);  // and the reason
            QCOMPARE(lies(datei + QStringLiteral("/innen.txt")), QByteArray("drin"));
        } else {
            QCOMPARE(lies(datei), QByteArray("alt\r\n"));
        }
        QCOMPARE(l.z.terminal.identifiziert, false);
        QCOMPARE(lies(ordner.pfad(QStringLiteral("PORTAVO.B2D"))), QByteArray("Texte\r\n"));
        QVERIFY(!l.ablauf.laeuft());
    }

    void ohnePasswortGehtNichtsHinaus()
    {
        Lauf l(m_bus);
        QSignalSpy gestartet(&l.ablauf, &Ausleseablauf::gestartet);
        l.z.terminal.passwortOK = true;  // a confirmation of earlier does not count
        l.ablauf.setPasswortfrage([] { return false; });
        const int vorher = int(m_bus.verkehr().size());
        QCOMPARE(l.ablauf.starte(), Ausleseablauf::Start::KeinPasswort);
        QCOMPARE(l.z.terminal.passwortOK, false);
        QCOMPARE(gestartet.count(), 0);
        QVERIFY(!l.ablauf.laeuft());
        QVERIFY(stillgelegt(l.ablauf) && stillgelegt(l.anmeldung));
        QVERIFY(QTest::qWaitFor([this] { return m_bus.ruhig(); }));
        QCOMPARE(int(m_bus.verkehr().size()), vorher);
    }
};

PORTAVO_TESTKLASSE(TestAusleseablauf)
#include "tst_ausleseablauf.moc"
