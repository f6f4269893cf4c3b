// The read-out workflow on a FakePort bus: the password question, the
// read-out, and the file step that saves the image and drops the stale
// companion file, with its failure endings.

#include "support/Testlauf.h"

#include <QSignalSpy>
#include "support/Busattrappe.h"
#include "support/Testhilfe.h"
#include "link/Auslesen.h"
#include "termfile/Terminaldatei.h"
#include "workflow/Ausleseablauf.h"

#include <QFileInfo>

class TestAusleseablauf : public QObject {
    Q_OBJECT

    struct Lauf : Strecke<FakePort> {
        Busattrappe bus{port};
        Ausleseablauf ablauf{z, v, anmeldung, meldung};
        int fragen = 0;

        Lauf()
        {
            z.Adresse = 1;
            z.Protokoll = 0;
            ablauf.setPasswortfrage([this] {
                ++fragen;
                z.Passwort = Telegramm::packePasswort(QStringLiteral("246810"));
                z.PasswortOK = 1;
                return true;
            });
        }

        // Plays the terminal: the login is accepted, then the memory image
        // (byte n holds n mod 256) comes back.
        void terminalAntwortet()
        {
            QTRY_COMPARE(anmeldung.antwort().size(), 9);  // the echo of the login
            bus.echo = false;
            port.inject(QByteArray("\x02\x01PJ\x03", 5));
            QTRY_COMPARE(port.writes().size(), 3);  // ACK and "E" followed
            QByteArray antwort("\x02\x01" "E", 3);
            for (int n = 0; n < Bildgroesse; ++n)
                antwort += char(0x30 + (n % 256 & 15)) + QByteArray(1, char(0x30 + (n % 256 >> 4)));
            antwort += Telegramm::ETX;
            antwort += char(Telegramm::blockpruefung(antwort, 2, int(antwort.size()) - 1));
            port.inject(Telegramm::Quittung + Telegramm::anfrage(1, "E") + antwort);
        }
    };

    static void alteDateien(const QString &basis)
    {
        QVERIFY(schreib(basis + QStringLiteral(".S2D"), "alt\r\n"));
        QVERIFY(schreib(basis + QStringLiteral(".B2D"), "Kommentar einer alten Datei\r\n"));
    }

private slots:
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
        Lauf l;
        if (!ziel.isEmpty())
            l.ablauf.setZieldatei(ziel);
        QSignalSpy fertig(&l.ablauf, &Ausleseablauf::fertig);
        QSignalSpy fehler(&l.ablauf, &Ausleseablauf::fehlgeschlagen);
        QCOMPARE(l.ablauf.starte(), Ausleseablauf::Start::Gestartet);
        QCOMPARE(l.fragen, 1);
        l.terminalAntwortet();
        QTRY_COMPARE_WITH_TIMEOUT(fertig.count() + fehler.count(), 1, 5000);
        QCOMPARE(fehler.count(), 0);
        QCOMPARE(fertig.first().first().toString(), QFileInfo(datei).absoluteFilePath());
        QVERIFY(l.meldung.eintraege().isEmpty());
        QCOMPARE(int(l.z.Identifiziert), 1);

        const QByteArray inhalt = lies(datei);
        QCOMPARE(inhalt.count("\r\n"), 2048);
        QCOMPARE(inhalt, QByteArray(Terminaldatei::hauptdateitext(l.z.bild)));
        for (int n : {0, 15, 200, 2047})
            QCOMPARE(int(l.z.bild.Daten[n]), n % 256);
        QVERIFY(!QFile::exists(Terminaldatei::basis(datei) + QStringLiteral(".B2D")));
        QCOMPARE(lies(ordner.pfad(QStringLiteral("ANDERE.B2D"))), QByteArray("bleibt\r\n"));
    }

    void dateiNichtSchreibbar()
    {
        // The main file's name is taken by a folder: the memory is read, but
        // the file cannot be written. That is reported with the file's name;
        // what was there and the companion file stay as they were.
        Arbeitsordner ordner;
        QVERIFY(QDir().mkdir(ordner.pfad(QStringLiteral("PORTAVO.S2D"))));
        QVERIFY(schreib(ordner.pfad(QStringLiteral("PORTAVO.S2D/innen.txt")), "drin"));
        QVERIFY(schreib(ordner.pfad(QStringLiteral("PORTAVO.B2D")), "Texte\r\n"));
        Lauf l;
        QSignalSpy fertig(&l.ablauf, &Ausleseablauf::fertig);
        QSignalSpy fehler(&l.ablauf, &Ausleseablauf::fehlgeschlagen);
        QCOMPARE(l.ablauf.starte(), Ausleseablauf::Start::Gestartet);
        l.terminalAntwortet();
        QTRY_COMPARE_WITH_TIMEOUT(fertig.count() + fehler.count(), 1, 5000);
        QCOMPARE(fehler.count(), 1);
        QCOMPARE(fehler.first().first().toInt(), -1);
        QCOMPARE(l.meldung.eintraege().size(), 1);
        const auto &m = l.meldung.eintraege().first();
        QCOMPARE(m.titelnummer, 159);
        QVERIFY2(m.text.startsWith(ordner.pfad(QStringLiteral("PORTAVO.S2D")) + QLatin1Char('\n')), qPrintable(m.text));
        QVERIFY(m.text.size() > ordner.pfad(QStringLiteral("PORTAVO.S2D")).size() + 1);  // and the reason
        QCOMPARE(int(l.z.Identifiziert), 0);
        QVERIFY(QFileInfo(ordner.pfad(QStringLiteral("PORTAVO.S2D"))).isDir());
        QCOMPARE(lies(ordner.pfad(QStringLiteral("PORTAVO.S2D/innen.txt"))), QByteArray("drin"));
        QCOMPARE(lies(ordner.pfad(QStringLiteral("PORTAVO.B2D"))), QByteArray("Texte\r\n"));
        QVERIFY(!l.ablauf.laeuft());
    }

    void anmeldungAbgelehnt()
    {
        Arbeitsordner ordner;
        alteDateien(ordner.pfad(QStringLiteral("PORTAVO")));
        Lauf l;
        l.bus.echo = false;  // nobody answers the login
        QSignalSpy fehler(&l.ablauf, &Ausleseablauf::fehlgeschlagen);
        QSignalSpy fertig(&l.ablauf, &Ausleseablauf::fertig);
        QCOMPARE(l.ablauf.starte(), Ausleseablauf::Start::Gestartet);
        QVERIFY(fehler.wait(5000));
        QCOMPARE(fehler.first().first().toInt(), 154);
        QCOMPARE(l.meldung.textnummern(), QList<int>{154});
        QCOMPARE(l.meldung.eintraege().first().titelnummer, 155);
        QCOMPARE(fertig.count(), 0);
        QCOMPARE(l.port.writes().size(), 1);  // the login only
        QCOMPARE(lies(ordner.pfad(QStringLiteral("PORTAVO.S2D"))), QByteArray("alt\r\n"));
        QVERIFY(QFile::exists(ordner.pfad(QStringLiteral("PORTAVO.B2D"))));
        QCOMPARE(int(l.z.Identifiziert), 0);
    }

    void ohnePasswortGehtNichtsHinaus()
    {
        Lauf l;
        QSignalSpy gestartet(&l.ablauf, &Ausleseablauf::gestartet);
        l.z.PasswortOK = 1;  // a confirmation of earlier does not count
        l.ablauf.setPasswortfrage([] { return false; });
        QCOMPARE(l.ablauf.starte(), Ausleseablauf::Start::KeinPasswort);
        QCOMPARE(int(l.z.PasswortOK), 0);
        QCOMPARE(gestartet.count(), 0);
        QVERIFY(l.port.writes().isEmpty());
        QVERIFY(!l.ablauf.laeuft());
    }

    void laufenderAusleseWirdNichtNeuGestartet()
    {
        Lauf l;
        QCOMPARE(l.ablauf.starte(), Ausleseablauf::Start::Gestartet);
        QCOMPARE(l.ablauf.starte(), Ausleseablauf::Start::NichtGesendet);
        QCOMPARE(l.fragen, 1);  // no second question while one runs
        QCOMPARE(l.port.writes().size(), 1);
    }
};

PORTAVO_TESTKLASSE(TestAusleseablauf)
#include "tst_ausleseablauf.moc"
