// Read-out on the in-process bus for both answer layouts and every failure ending; login answer, modem loss.

#include "support/Testlauf.h"

#include <QSignalSpy>
#include "Aufbau.h"
#include "support/Busattrappe.h"
#include "support/Datentabelle.h"
#include "support/SimBus.h"
#include "support/Testhilfe.h"
#include "link/Auslesen.h"
#include "modem/Modemsitzung.h"
#include "modem/Modemterminal.h"
#include "termfile/Terminaldatei.h"

#include <algorithm>

class TestAuslesen : public QObject {
    Q_OBJECT

    template <class P>
    struct Lauf : Strecke<P> {
        Auslesen auslesen{this->z, this->v, this->anmeldung, this->meldung};
        using Strecke<P>::Strecke;
    };

    SimBus m_sim;
    SimBus m_simOhneEcho;  // the same bus behind an interface that does not echo
    Arbeitsordner m_ordner;
    const QByteArray m_passwort = Telegramm::packePasswort(QStringLiteral("246810"));

private slots:
    void initTestCase()
    {
        // A terminal with one fault in its answer to "E".
        const auto mit = [](int adresse, int protokoll, const char *typ, int nach) {
            return SimBus::terminal(adresse, protokoll, {{"faults", QJsonArray{QJsonObject{
                {"type", typ}, {"command", "E"}, {"afterBytes", nach}}}}});
        };
        const QJsonArray terminals{SimBus::terminal(4, 0), SimBus::terminal(9, 1), mit(5, 1, "badCheck", 0),
                                   mit(6, 0, "silence", 2000), mit(7, 0, "gone", 1000)};
        BUS_STARTEN(m_sim, terminals);
        BUS_STARTEN(m_simOhneEcho, terminals, {QStringLiteral("--no-echo")});
    }

    void amBus_data()
    {
        spalten<bool, int, int, QString, int, int>("echo", "adresse", "protokoll", "passwort", "ende", "bytes");
        // With an echoing interface and with one that does not: the link finds out by itself.
        for (const bool echo : {true, false}) {
            const auto zeile = [echo](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(QString::fromLatin1(name) + (echo ? ", mit Echo" : ", ohne Echo")))
                       << echo;
            };
            zeile("Protokoll 0") << 4 << 0 << "246810" << 0 << 4107;
            zeile("Protokoll 1") << 9 << 1 << "246810" << 0 << 4109;
            zeile("falsches Passwort") << 4 << 0 << "123456" << 154 << 0;
            zeile("falsches Pruefbyte") << 5 << 1 << "246810" << 158 << 4109;
            zeile("Schweigen nach 2000 Bytes") << 6 << 0 << "246810" << 156 << 6 + 2000;
            // A protocol-0 answer never counts for protocol 2, which is never read out.
            zeile("Protokoll 2") << 4 << 2 << "246810" << 156 << 4107;
            // 4109 bytes where 4107 are expected never count as complete.
            zeile("zu lang") << 9 << 0 << "246810" << 156 << 4109;
            // It ends at the loss, not after Timer3's wait. Last on its bus: the bus is gone afterwards.
            zeile("Geraet weg nach 1000 Bytes") << 7 << 0 << "246810" << 193 << 6 + 1000;
        }
    }
    void amBus()
    {
        const auto [echo, adresse, protokoll, passwort, ende, bytes] =
            werte<bool, int, int, QString, int, int>("echo", "adresse", "protokoll", "passwort", "ende", "bytes");
        // The folder holds an old file and its companion text before each read-out.
        QVERIFY(schreib(QStringLiteral("PORTAVO.S2D"), "alt\r\n"));
        QVERIFY(schreib(QStringLiteral("PORTAVO.B2D"), "Kommentar einer alten Datei\r\n"));
        SimBus &sim = echo ? m_sim : m_simOhneEcho;
        Lauf<SimPort> l(sim.device());
        l.v.setEchomodus(Verbindung::Echomodus::Automatisch);
        // The simulated bus answers at once: login and read-out ticks of 20 ms.
        l.z.Timerintervall[1] = l.z.Timerintervall[3] = 20;
        l.z.bild.Daten.fill(9);
        QSignalSpy fortschritt(&l.auslesen, &Auslesen::fortschritt);
        QSignalSpy verloren(&l.port, &Port::verloren);
        l.z.terminal.adresse = qint16(adresse);
        l.z.terminal.protokoll = qint16(protokoll);
        l.z.terminal.passwort = Telegramm::packePasswort(passwort);
        QSignalSpy fertig(&l.auslesen, &Auslesen::fertig);
        QSignalSpy fehler(&l.auslesen, &Auslesen::fehlgeschlagen);
        QSignalSpy anmeldeticks(l.anmeldung.findChild<QTimer *>(QStringLiteral("Timer1")), &QTimer::timeout);
        const int beginn = int(sim.verkehr().size());
        QVERIFY(l.auslesen.starte());
        // Looked at right at the end, before the echo of the closing acknowledgement.
        QVERIFY(QTest::qWaitFor([&] { return fertig.count() + fehler.count() > 0; }, 20000));
        QCOMPARE(fehler.isEmpty() ? 0 : fehler.first().first().toInt(), ende);
        QCOMPARE(int(l.v.ablage().zahl()), bytes);
        const QByteArray login = Telegramm::anfrage(adresse, QByteArray("P") + l.z.terminal.passwort);
        QCOMPARE(verloren.count(), int(ende == 193));
        QCOMPARE(l.port.isOpen(), ende != 193);
        // Saving is the caller's step: the files stay as they were.
        QCOMPARE(lies(QStringLiteral("PORTAVO.S2D")), QByteArray("alt\r\n"));
        QVERIFY(QFile::exists(QStringLiteral("PORTAVO.B2D")));
        if (ende != 0) {
            QVERIFY(!l.auslesen.laeuft() && stillgelegt(l.auslesen) && stillgelegt(l.anmeldung));
            QCOMPARE(l.meldung.textnummern(), QList<int>{ende});
            QCOMPARE(l.meldung.eintraege().first().text, l.z.sprache.texte.at(ende));
            QVERIFY(std::all_of(l.z.bild.Daten.begin(), l.z.bild.Daten.end(), [](qint16 d) { return d == 9; }));
            if (ende == 154) {
                // The sixth empty login tick gives up; nothing but the login went out.
                QCOMPARE(anmeldeticks.count(), 6);
                        QCOMPARE(SimBus::bytes(sim.verkehr(beginn)), login);
            }
            return;
        }
        QVERIFY(l.meldung.eintraege().isEmpty());
        QCOMPARE(l.v.echostand(), echo ? Verbindung::Echostand::Vorhanden : Verbindung::Echostand::Fehlt);
        QCOMPARE(l.z.terminal.identifiziert, true);
        QCOMPARE(QByteArray(Terminaldatei::hauptdateitext(l.z.bild)), sim.speicher(adresse));
        // Login, ACK, "E", then the protocol's acknowledgement.
        const QByteArray quittung = protokoll == 1 ? Telegramm::Protokoll1Quittung : Telegramm::Quittung;
        QTRY_COMPARE(SimBus::bytes(sim.verkehr(beginn)),
                     login + Telegramm::Quittung + Telegramm::anfrage(adresse, "E") + quittung);
        // Progress counts memory bytes, not the characters with the echo.
        QCOMPARE(fortschritt.first(), (QList<QVariant>{0, 2048}));
        QCOMPARE(fortschritt.last(), (QList<QVariant>{2048, 2048}));
        for (int i = 1; i < fortschritt.size(); ++i)
            QVERIFY(fortschritt.at(i).at(0).toInt() >= fortschritt.at(i - 1).at(0).toInt());
        QCOMPARE(Auslesen::datenbytes(protokoll, bytes - 2 - 2 * 2048 + 1), 0);
    }

    // A faulty echo: garbled, partial, only now and then, or the device gone in the middle of it. Before
    // the echo is known it cannot be told from a missing one. Each read-out or write ends, in bounded
    // time, with its own message and takes nothing over, or succeeds byte for byte; the terminal's memory
    // holds either what it held or the whole file, never a part.
    void gestoertesEcho_data()
    {
        spalten<bool, QJsonObject, int, bool>("schreiben", "szenario", "ende", "geschrieben");
        const auto jedes = [](const char *art, int n) { return QJsonObject{{art, n}}; };
        QTest::newRow("Auslesen, erstes Echo verstuemmelt") << false << jedes("echoGarbleEvery", 3) << 156 << false;
        // Later the echo bytes are not inspected and the check byte vouches for the data.
        QTest::newRow("Auslesen, Echo von ACK und E verstuemmelt") << false << jedes("echoGarbleEvery", 12) << 0 << false;
        QTest::newRow("Auslesen, Teilecho") << false << jedes("echoDropEvery", 3) << 156 << false;
        QTest::newRow("Auslesen, Echo nur manchmal") << false << jedes("echoMissEvery", 2) << 156 << false;
        // The login's missing echo is found out; the block's comes back whole.
        QTest::newRow("Schreiben, Echo nur manchmal") << true << jedes("echoMissEvery", 2) << 0 << true;
        // Once the echo is known the link no longer looks for it: the block's missing echo leaves fewer
        // than 200 bytes, and the write counts as failed although the terminal took the block whole.
        QTest::newRow("Schreiben, Echo des Blocks fehlt") << true << jedes("echoMissEvery", 3) << 167 << true;
        const QJsonObject weg{{"type", "gone"}, {"command", "block"}, {"afterBytes", 1000}};
        QTest::newRow("Schreiben, Geraet weg mitten im Echo des Blocks")
            << true << QJsonObject{{"terminals", QJsonArray{SimBus::terminal(4, 0, {{"faults", QJsonArray{weg}}})}}}
            << 193 << false;
    }
    void gestoertesEcho()
    {
        auto [schreiben, szenario, ende, geschrieben] =
            werte<bool, QJsonObject, int, bool>("schreiben", "szenario", "ende", "geschrieben");
        if (!szenario.contains("terminals"))
            szenario.insert("terminals", QJsonArray{SimBus::terminal(4, 0)});
        SimBus sim;
        BUS_STARTEN(sim, szenario);
        const QByteArray vorher = sim.speicher(4);
        Schreibstrecke<SimPort> l(sim.device());
        Auslesen auslesen(l.z, l.v, l.anmeldung, l.meldung);
        l.v.setEchomodus(Verbindung::Echomodus::Automatisch);
        l.z.Timerintervall[1] = l.z.Timerintervall[3] = 20;
        l.z.Timerintervall[4] = 300;
        l.z.bild.Daten.fill(9);
        l.z.bild.Daten[8] = 4;
        l.z.bild.Daten[10] = 0;
        const auto bild = l.z.bild.Daten;
        l.z.terminal.adresse = 4;
        l.z.terminal.passwort = m_passwort;
        QSignalSpy fertig(&auslesen, &Auslesen::fertig);
        QSignalSpy fehler(&auslesen, &Auslesen::fehlgeschlagen);
        if (schreiben) {
            QCOMPARE(l.schreibe(), ende);
        } else {
            QVERIFY(auslesen.starte());
            QVERIFY(QTest::qWaitFor([&] { return fertig.count() + fehler.count() > 0; }, 20000));
            QCOMPARE(fehler.isEmpty() ? 0 : fehler.first().first().toInt(), ende);
        }
        QCOMPARE(l.meldung.textnummern(), ende || schreiben ? QList<int>{ende ? ende : 165} : QList<int>{});
        if (schreiben)
            QCOMPARE(sim.speicher(4), geschrieben ? Terminaldatei::hauptdateitext(l.z.bild) : vorher);
        else if (ende)
            QVERIFY(l.z.bild.Daten == bild);
        else
            QCOMPARE(QByteArray(Terminaldatei::hauptdateitext(l.z.bild)), sim.speicher(4));
    }

    // The terminal at 1 stays silent; the test plays its answer "J" ETX.
    void loginzusage_data()
    {
        spalten<QByteArray, bool, bool, bool, bool>("passwort", "echo", "zusage", "spaeter", "angemeldet");
        // Free entry ending in "J": the echo holds "J" ETX from position 5 on.
        QTest::newRow("Echo des eigenen Logins") << QByteArray("XabJ") << true << false << false << false;
        // No interface echo: "J" ETX alone in its tick stands at position 1.
        QTest::newRow("Zusage vor Stelle 5") << m_passwort << false << true << false << false;
        QTest::newRow("Zusage nach dem Echo im selben Tick") << m_passwort << true << true << false << true;
        // A tick fell between the echo and the answer (a busy machine): the answer has the store to itself.
        QTest::newRow("Zusage einen Tick nach dem Echo") << m_passwort << true << true << true << true;
    }
    void loginzusage()
    {
        const auto [passwort, echo, zusage, spaeter, angemeldet] =
            werte<QByteArray, bool, bool, bool, bool>("passwort", "echo", "zusage", "spaeter", "angemeldet");
        Lauf<FakePort> a;
        Busattrappe bus(a.port);
        bus.echo = echo;
        QSignalSpy ja(&a.anmeldung, &Anmeldung::angemeldet);
        QSignalSpy nein(&a.auslesen, &Auslesen::fehlgeschlagen);
        QSignalSpy fertig(&a.auslesen, &Auslesen::fertig);
        a.z.terminal.adresse = 1;
        a.z.terminal.protokoll = 0;
        a.z.terminal.passwort = passwort;
        QVERIFY(a.auslesen.starte());
        QTRY_COMPARE(a.anmeldung.antwort().size(), echo ? 9 : 0);
        bus.echo = false;  // the test plays the rest
        if (spaeter)
            QTRY_VERIFY(a.anmeldung.versuche() == 1);
        if (zusage)
            a.port.inject(QByteArray("J\x03", 2));
        QTRY_COMPARE_WITH_TIMEOUT(ja.count() + nein.count(), 1, 3000);
        QCOMPARE(ja.count(), int(angemeldet));
        if (!angemeldet) {
            QCOMPARE(nein.first().first().toInt(), 154);
            QCOMPARE(a.port.writes().size(), 1);  // the login only
            QVERIFY(!a.anmeldung.laeuft());
            return;
        }
        QCOMPARE(a.gesendet().mid(1), (QList<QByteArray>{Telegramm::Quittung, Telegramm::anfrage(1, "E")}));
        // The check byte closing "J" ETX comes after the tick that found the answer, ahead of the echo of
        // ACK and "E" in the byte store: it must not spoil the read-out.
        QByteArray antwort("\x02\x01" "E", 3);
        for (int n = 0; n < Bildgroesse; ++n)
            antwort += char(0x30 + (n % 256 & 15)) + QByteArray(1, char(0x30 + (n % 256 >> 4)));
        antwort += Telegramm::ETX;
        antwort += char(Telegramm::blockpruefung(antwort, 2, int(antwort.size()) - 1));
        a.port.inject(QByteArray(1, '\x18') + Telegramm::Quittung + Telegramm::anfrage(1, "E") + antwort);
        QTRY_COMPARE_WITH_TIMEOUT(fertig.count() + nein.count(), 1, 5000);
        QCOMPARE(nein.count(), 0);
        for (int n : {0, 15, 200, 2047})
            QCOMPARE(int(a.z.bild.Daten[n]), n % 256);
    }

    // NO CARRIER while a read-out or write waits ends it at once with that wait's message; the connection
    // is the command line's (Modemsitzung) or the modem window's (Modemterminal).
    void modemverbindungBrichtAb_data()
    {
        // schritt: 0 login; 1 reading or block announced; 2 write confirmation
        spalten<bool, bool, int, int>("fenster", "schreiben", "schritt", "text");
        for (const bool fenster : {false, true}) {
            const char *wer = fenster ? "Modemfenster" : "Kommandozeile";
            QTest::addRow("%s, Anmeldung", wer) << fenster << false << 0 << 154;
            QTest::addRow("%s, Lesen", wer) << fenster << false << 1 << 156;
        }
        QTest::newRow("Schreiben, Anmeldung") << false << true << 0 << 154;
        QTest::newRow("Schreiben, angekuendigt") << false << true << 1 << 167;
        QTest::newRow("Schreiben, Bestaetigung") << false << true << 2 << 167;
    }
    void modemverbindungBrichtAb()
    {
        const auto [fenster, schreiben, schritt, text] =
            werte<bool, bool, int, int>("fenster", "schreiben", "schritt", "text");
        Aufbau a;
        Auslesen auslesen(a.z, a.v, a.anmeldung, a.meldung);
        FakePort modem;
        modem.setSettings(QStringLiteral("19200,n,8,1"));
        QVERIFY(modem.open());
        a.z.sitzung.leitung = Leitungsart::Modem;
        a.v.setModemPort(&modem);
        // Each reads the port itself: only one of them may listen.
        std::unique_ptr<Modemsitzung> sitzung;
        std::unique_ptr<Modemterminal> terminal;
        if (fenster) {
            terminal = std::make_unique<Modemterminal>(a.z, a.v, a.meldung);
            terminal->setPort(&modem);
        } else {
            sitzung = std::make_unique<Modemsitzung>(a.z, a.v, modem);
            QVERIFY(sitzung->waehle(QStringLiteral("0301234")));
        }
        modem.inject("\r\nCONNECT 9600\r\n");
        QCOMPARE(a.z.sitzung.modemVerbunden, true);
        a.z.Timerintervall[4] = schritt == 1 ? 5000 : 10;
        QSignalSpy fehler(schreiben ? static_cast<QObject *>(&a.schreiben) : &auslesen, SIGNAL(fehlgeschlagen(int)));
        QVERIFY(schreiben ? a.schreiben.starte() : auslesen.starte());
        if (schritt > 0) {
            modem.inject(a.v.letzteAnfrage() + QByteArray("\x02\x04PJ\x03\x1D", 6));
            if (!schreiben) {
                QTRY_VERIFY(auslesen.timer3().isActive());
                modem.inject(Telegramm::Quittung + Telegramm::anfrage(4, "E") + QByteArray(1000, '0'));
            } else {
                QVERIFY(a.warteAufPhase(schritt == 1 ? Schreiben::Phase::Angekuendigt : Schreiben::Phase::Senden));
                if (schritt == 2)
                    modem.inject(modem.writes().last().bytes);
                QCOMPARE(a.schreiben.phase(), schritt == 1 ? Schreiben::Phase::Angekuendigt
                                                            : Schreiben::Phase::Bestaetigung);
            }
        }
        modem.inject("\r\nNO CARRIER\r\n");
        QCOMPARE(fehler.count(), 1);
        QCOMPARE(fehler.first().first().toInt(), text);
        QCOMPARE(a.meldung.textnummern(), QList<int>{text});
        QVERIFY(!auslesen.laeuft() && !a.schreiben.laeuft() && !a.anmeldung.laeuft());
        QVERIFY(stillgelegt(auslesen) && stillgelegt(a.schreiben));
        QCOMPARE(a.z.terminal.schreibfehler, qint16(text == 167));
        QCOMPARE(modem.settings(), QStringLiteral("19200,n,8,1"));
    }
};

PORTAVO_TESTKLASSE(TestAuslesen)
#include "tst_auslesen.moc"
