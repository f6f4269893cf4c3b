// The read-out workflow on the in-process bus: password question, read-out, file step, failure endings.

#include "support/Testlauf.h"

#include <QSignalSpy>
#include "support/SimBus.h"
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

        explicit Lauf(const SimBus &bus) : Strecke(bus.device())
        {
            z.terminal.adresse = 1;
            z.terminal.protokoll = 0;
            z.Timerintervall[1] = z.Timerintervall[3] = 20;  // the bus answers at once
            ablauf.setPasswortfrage([this] {
                ++fragen, z.terminal.passwort = Telegramm::packePasswort(QStringLiteral("246810"));
                return z.terminal.passwortOK = true;
            });
        }
        bool ende() { return QTest::qWaitFor([this] { return fertig.count() + fehler.count() > 0; }, 10000); }
    };

    SimBus m_bus;

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
        const QString basis = Terminaldatei::basis(datei);
        QVERIFY(schreib(datei, "alt\r\n") && schreib(basis + QStringLiteral(".B2D"), "Kommentar von früher\r\n"));
        // Another name's companion stays.
        QVERIFY(schreib(ordner.pfad(QStringLiteral("ANDERE.B2D")), "bleibt\r\n"));
        Lauf l(m_bus);
        if (!ziel.isEmpty())
            l.ablauf.setZieldatei(ziel);
        QCOMPARE(l.ablauf.starte(), Ausleseablauf::Start::Gestartet);
        QCOMPARE(l.ablauf.starte(), Ausleseablauf::Start::NichtGesendet);  // not again while it runs
        QVERIFY(l.fragen == 1 && l.ende() && l.fehler.count() == 0);
        QCOMPARE(l.fertig.first().first().toString(), QFileInfo(datei).absoluteFilePath());
        QVERIFY(l.meldung.eintraege().isEmpty() && l.z.terminal.identifiziert);
        QCOMPARE(lies(datei), m_bus.speicher(1));
        QVERIFY(!QFile::exists(basis + QStringLiteral(".B2D")));
        QCOMPARE(lies(ordner.pfad(QStringLiteral("ANDERE.B2D"))), QByteArray("bleibt\r\n"));
    }

    // A main file that cannot be written: reported with name and reason; no file is touched.
    void unschreibbareDateiWirdGemeldet()
    {
        Arbeitsordner ordner;
        const QString datei = ordner.pfad(QStringLiteral("PORTAVO.S2D"));
        QVERIFY(QDir().mkdir(datei) && schreib(datei + QStringLiteral("/innen.txt"), "drin"));
        QVERIFY(schreib(ordner.pfad(QStringLiteral("PORTAVO.B2D")), "Texte\r\n"));
        Lauf l(m_bus);
        QCOMPARE(l.ablauf.starte(), Ausleseablauf::Start::Gestartet);
        QVERIFY(l.ende() && l.fertig.count() == 0 && l.fehler.first().first().toInt() == -1);
        const auto &m = l.meldung.eintraege();
        QVERIFY(m.size() == 1 && m.first().titelnummer == 159);
        const QString &text = m.first().text;
        QVERIFY2(text.startsWith(datei + '\n') && text.size() > datei.size() + 1, qPrintable(text));
        QVERIFY(!l.z.terminal.identifiziert && !l.ablauf.laeuft());
        QCOMPARE(lies(datei + QStringLiteral("/innen.txt")), QByteArray("drin"));
        QCOMPARE(lies(ordner.pfad(QStringLiteral("PORTAVO.B2D"))), QByteArray("Texte\r\n"));
    }

    void ohnePasswortGehtNichtsHinaus()
    {
        Lauf l(m_bus);
        QSignalSpy gestartet(&l.ablauf, &Ausleseablauf::gestartet);
        l.z.terminal.passwortOK = true;  // a confirmation of earlier does not count
        l.ablauf.setPasswortfrage([] { return false; });
        const auto ruhig = [this] { return QTest::qWaitFor([this] { return m_bus.ruhig(); }); };
        QVERIFY(ruhig());  // the bytes of an earlier read-out are all in
        const int vorher = int(m_bus.verkehr().size());
        QCOMPARE(l.ablauf.starte(), Ausleseablauf::Start::KeinPasswort);
        QVERIFY(!l.z.terminal.passwortOK && gestartet.count() == 0 && !l.ablauf.laeuft());
        QVERIFY(stillgelegt(l.ablauf) && stillgelegt(l.anmeldung) && ruhig());
        QCOMPARE(int(m_bus.verkehr().size()), vorher);
    }
};

PORTAVO_TESTKLASSE(TestAusleseablauf)
#include "tst_ausleseablauf.moc"
