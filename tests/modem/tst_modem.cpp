// The modem line logic on FakePort: dial strings, result lines, the modem window's receive side,
// the hang-up, the per-user settings, a session from dial to hang-up and a write over it.

#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "support/SimBus.h"
#include "support/Testhilfe.h"
#include "link/Auslesen.h"
#include "link/Schreiben.h"
#include "link/SerialPort.h"
#include "modem/Auflegen.h"
#include "modem/Modemeinstellungen.h"
#include "modem/Modemsitzung.h"
#include "modem/Modemterminal.h"
#include "modem/Modemzeilen.h"
#include "modem/Waehlstring.h"
#include "termfile/Terminaldatei.h"

#include <QSettings>
#include <QSignalSpy>

namespace {

using F = Waehlstring::Fehler;

// A FakePort that notes DTR changes, writes and closing in one list, in order.
class Protokollport : public FakePort {
public:
    QStringList ereignisse;
    void setDtr(bool on) override
    {
        FakePort::setDtr(on);
        ereignisse << QStringLiteral("dtr%1").arg(on ? 1 : 0);
    }
    void write(const QByteArray &b) override
    {
        FakePort::write(b);
        ereignisse << QString::fromLatin1(b);
    }
    void close() override
    {
        if (isOpen())
            ereignisse << QStringLiteral("close");
        FakePort::close();
    }
};

// A modem line to a remote bus: what the PC writes reaches the bus, what the bus sends comes back
// verzug ms later.
class Fernbus : public FakePort {
public:
    SimPort bus;
    int verzug = 0;
    bool anschliessen(const QString &geraet)
    {
        bus.setDevice(geraet);
        connect(&bus, &Port::ereignis, this, [this] {
            QTimer::singleShot(verzug, this, [this, b = bus.readAll()] { inject(b); });
        });
        return bus.open();
    }
    void write(const QByteArray &b) override
    {
        FakePort::write(b);
        bus.write(b);
    }
};

template <class P = FakePort>
struct Terminalaufbau {
    Zustand z;
    P port;
    Verbindung v{z};
    MeldungAufnahme meldung;
    Modemterminal t{z, v, meldung};
    Terminalaufbau()
    {
        Texttabelle::ladeTexte(z, 101, 549);
        port.open();
        v.setModemPort(&port);
        z.sitzung.leitung = Leitungsart::Modem;
        t.setPort(&port);
    }
};

// A session on a modem port that is the link's line.
struct Sitzungsaufbau {
    Zustand z;
    Protokollport port;
    Verbindung v{z};
    Modemsitzung s{z, v, port};
    Sitzungsaufbau()
    {
        port.open();
        z.sitzung.leitung = Leitungsart::Modem;
        v.setModemPort(&port);
    }
};

}  // namespace

class TestModem : public QObject {
    Q_OBJECT
private slots:
    // A modem takes 40 characters after "AT": "X3DT", then prefix and number.
    void waehlstring_data()
    {
        // amt: "1": dial the outside-line prefix
        // vorwahl: the outside-line prefix
        spalten<QString, QString, QString, QByteArray, int>("amt", "vorwahl", "nummer", "befehl", "fehler");
        QTest::newRow("mit Amtsholung") << "1" << "0" << "47" << QByteArray("ATX3DT0,47\r\n") << int(F::Keiner);
        QTest::newRow("ohne") << "0" << "0" << "47" << QByteArray("ATX3DT47\r\n") << int(F::Keiner);
        QTest::newRow("nur genau 1") << " 1" << "0" << "47" << QByteArray("ATX3DT47\r\n") << int(F::Keiner);
        QTest::newRow("leere Vorwahl") << "1" << "" << "47" << QByteArray("ATX3DT,47\r\n") << int(F::Keiner);
        QTest::newRow("Waehlzeichen wie getippt") << "1" << "0W" << "*31# 0711,P2"
                                                  << QByteArray("ATX3DT0W,*31# 0711,P2\r\n") << int(F::Keiner);
        for (const char *n : {"47;H", "47\r", "47\nATZ", "4a7", "47w", "+++", "47-11", "4\u00e4"})
            QTest::addRow("Nummer %s", QByteArray(n).toPercentEncoding().constData())
                << "0" << "" << QString::fromUtf8(n) << QByteArray() << int(F::Nummer);
        QTest::newRow("Vorwahl fremd") << "1" << "0;ATZ" << "47" << QByteArray() << int(F::Amtsholung);
        QTest::newRow("Vorwahl fremd, nicht gewaehlt") << "0" << "0;ATZ" << "47" << QByteArray("ATX3DT47\r\n")
                                                       << int(F::Keiner);
        QTest::newRow("Nummer leer") << "1" << "0" << "" << QByteArray() << int(F::LeereNummer);
        const QString n34(34, '7'), n35(35, '7'), n36(36, '7'), n37(37, '7');
        QTest::newRow("36 ohne Amtsholung") << "0" << "" << n36 << "ATX3DT" + n36.toLatin1() + "\r\n" << int(F::Keiner);
        QTest::newRow("37 ohne Amtsholung") << "0" << "" << n37 << QByteArray() << int(F::ZuLang);
        QTest::newRow("2 + 34") << "1" << "0" << n34 << "ATX3DT0," + n34.toLatin1() + "\r\n" << int(F::Keiner);
        QTest::newRow("2 + 35") << "1" << "0" << n35 << QByteArray() << int(F::ZuLang);
    }
    void waehlstring()
    {
        const auto [amt, vorwahl, nummer, befehl, fehler] =
            werte<QString, QString, QString, QByteArray, int>("amt", "vorwahl", "nummer", "befehl", "fehler");
        F f = F::Nummer;
        QCOMPARE(Waehlstring::baue(amt, vorwahl, nummer, &f), befehl);
        QCOMPARE(int(f), fehler);
        const QMap<int, int> texte{{int(F::Nummer), 501}, {int(F::Amtsholung), 502}, {int(F::ZuLang), 630}};
        if (texte.contains(fehler))
            QCOMPARE(Waehlstring::textnummer(f), texte.value(fehler));
        // The number alone is judged the same way before any prefix is known.
        if (amt != QLatin1String("1"))
            QCOMPARE(Waehlstring::pruefeNummer(nummer) == F::ZuLang, f == F::ZuLang);
    }

    // Port events: the message once, Cancel closes the port; on a closed port Break and framing open it.
    void portereignisse_data()
    {
        // zeichen: in the window before
        spalten<bool, int, int, int, QString, bool, int>(
                "offen", "zeichen", "code", "antwort", "meldung", "offenDanach", "zeichenDanach");
        const int ok = Meldung::Ok, ab = Meldung::Abbrechen;
        QTest::newRow("Break") << true << 10 << Ereigniscode::Break << ok << "Break  1001" << true << 10;
        QTest::newRow("Break leert ab 4001") << true << 4001 << Ereigniscode::Break << ok << "Break  1001" << true << 0;
        QTest::newRow("Break, Port zu") << false << 4000 << Ereigniscode::Break << ok << "" << true << 4000;
        QTest::newRow("Framing leert") << true << 3 << Ereigniscode::Framing << ok << "" << true << 0;
        QTest::newRow("Framing, Port zu") << false << 3 << Ereigniscode::Framing << ok << "Frameerror Wieder drann"
                                          << true << 0;
        QTest::newRow("Parity") << true << 0 << Ereigniscode::Parity << ok << "Parityerror" << true << 0;
        QTest::newRow("Overrun, Abbrechen") << true << 0 << Ereigniscode::Overrun << ab << "overrun" << false << 0;
        QTest::newRow("unbekannt") << true << 0 << Ereigniscode::RxOverflow << ok << Texttabelle::text(242) << true << 0;
        QTest::newRow("Leitungszustand") << true << 0 << 3 << ok << "" << true << 0;
    }
    void portereignisse()
    {
        const auto [offen, zeichen, code, antwort, meldung, offenDanach, zeichenDanach] =
            werte<bool, int, int, int, QString, bool, int>("offen", "zeichen", "code", "antwort", "meldung", "offenDanach", "zeichenDanach");
        Terminalaufbau<> a;
        a.t.anhaengen(QString(zeichen, QLatin1Char('x')));
        if (!offen)
            a.port.close();
        a.meldung.antworte(antwort);
        a.port.injectEvent(code);
        QCOMPARE(a.port.isOpen(), offenDanach);
        QCOMPARE(a.t.text().size(), zeichenDanach);
        a.port.inject("abc");  // later receive events show nothing more
        QCOMPARE(a.meldung.eintraege().size(), meldung.isEmpty() ? 0 : 1);
        for (const auto &e : a.meldung.eintraege())
            QVERIFY(e.text == meldung && e.titelnummer == 243 && e.knoepfe == Meldung::Knoepfe::OkAbbrechen);
    }

    // Hang-up: silence once the output has left, "+++", silence, "ATH" CR, DTR off and back, close.
    void auflegenWartetAufDenAbfluss()
    {
        Protokollport port;
        port.open();
        port.setDtr(true);
        port.setHoldOutput(true);
        port.write("noch unterwegs");
        port.ereignisse.clear();
        Auflegen auf;
        auf.setSchutzzeit(20);
        auf.setDtrzeit(1);
        QStringList folge;
        connect(&auf, &Auflegen::schritt, [&](Auflegen::Schritt s) {
            folge << QString::fromLatin1(QMetaEnum::fromType<Auflegen::Schritt>().valueToKey(int(s)));
        });
        connect(&port, &Port::gesendet, [&](qint64 n) { folge << QString::number(n); });
        auf.starte(&port);
        QCoreApplication::processEvents();
        port.sent(14);
        QTRY_COMPARE(folge.size(), 3);  // 14, Stille, Escape: "+++" now waits in the port
        QCoreApplication::processEvents();
        port.sent(3);
        QTRY_COMPARE(folge.size(), 6);
        port.sent(4);
        QTRY_VERIFY(!port.isOpen());
        QCOMPARE(folge, (QStringList{"14", "Stille", "Escape", "3", "Stille", "Ath", "4", "Dtr", "Geschlossen"}));
        QCOMPARE(port.ereignisse, (QStringList{"+++", "ATH\r", "dtr1", "dtr0", "dtr1", "close"}));
        QVERIFY(!auf.laeuft());
    }

    void auflegenOhneGeraet()
    {
        FakePort port;
        Auflegen auf;
        QSignalSpy fertig(&auf, &Auflegen::fertig);
        auf.starte(&port);  // closed: done at once
        QCOMPARE(fertig.count(), 1);
        port.open();
        auf.setSchutzzeit(20);
        auf.starte(&port);
        port.loseDevice();  // gone in the middle: the sequence ends
        QTRY_COMPARE(fertig.count(), 2);
        QVERIFY(port.writes().isEmpty());
    }

    // Section and keys exactly as named, "COM-Anschluß" with its sharp s (read back: TestModemfenster).
    void benutzereinstellungen()
    {
        QTemporaryDir heim;
        const QByteArray vorher = qgetenv("PORTAVO_HOME");
        qputenv("PORTAVO_HOME", heim.path().toLocal8Bit());
        QVERIFY(Modemeinstellungen::schreiben({"9600,E,7,2", "3", "2", Modemeinstellungen::echoText(true)}));
        QVERIFY(Modemeinstellungen::echoAus(Modemeinstellungen::lesen().Echo) && !Modemeinstellungen::echoAus("False"));
        QSettings s(heim.filePath(QFileInfo(Modemeinstellungen::datei()).fileName()), QSettings::IniFormat);
        QCOMPARE(s.value(QStringLiteral("Einstellungen/COM-Anschlu\u00df")).toString(), QStringLiteral("3"));
        QCOMPARE(s.allKeys().size(), 4);
        qputenv("PORTAVO_HOME", vorher);
    }

    void sitzungScheitert_data()
    {
        // eingang: what the modem says
        spalten<QString, QList<QByteArray>, QByteArray, int>("nummer", "eingang", "gewaehlt", "text");
        const QByteArray w = "ATX3DT0,47\r\n";
        using L = QList<QByteArray>;
        QTest::newRow("besetzt") << "47" << L{"ATX3DT0,47\r\r\nBU", "SY\r\n"} << w << 503;
        QTest::newRow("kein Traeger") << "47" << L{"\r\nNO CARRIER\r\n"} << w << 504;
        QTest::newRow("kein Waehlton") << "47" << L{"\r\nNO DIALTONE\r\n"} << w << 505;
        QTest::newRow("keine Antwort") << "47" << L{"\r\nNO ANSWER\r\n"} << w << 631;
        QTest::newRow("Fehler") << "47" << L{"\r\nERROR\r\n"} << w << 507;
        QTest::newRow("nur das Echo: Wartezeit") << "47" << L{w} << w << 506;
        QTest::newRow("stumm: kein Modem") << "47" << L{} << w << 632;
        QTest::newRow("Nummer fremd") << "47;H0" << L{} << QByteArray() << 501;
        QTest::newRow("Nummer zu lang") << QString(37, '1') << L{} << QByteArray() << 630;
    }
    void sitzungScheitert()
    {
        const auto [nummer, eingang, gewaehlt, text] =
            werte<QString, QList<QByteArray>, QByteArray, int>("nummer", "eingang", "gewaehlt", "text");
        Sitzungsaufbau a;
        a.z.einstellungen.modemText1 = "1";
        a.z.einstellungen.modemText2 = "0";
        a.s.setWartezeit(30);
        a.s.setLebenszeichenfrist(20);
        QSignalSpy fehl(&a.s, &Modemsitzung::fehlgeschlagen);
        QCOMPARE(a.s.waehle(nummer), !gewaehlt.isEmpty());
        QCOMPARE(a.port.written(), gewaehlt);
        for (const QByteArray &b : eingang)
            a.port.inject(b);
        QTRY_COMPARE(fehl.count(), 1);
        QCOMPARE(fehl.first().first().toInt(), text);
        QVERIFY(!a.s.steht() && !a.s.waehlt());
        QCOMPARE(a.z.sitzung.modemVerbunden, false);
    }

    // The modem window and the command line's session pass bytes on to the link only once the connection
    // stands (the session's hang-up: the end-to-end modem test).
    void erstNachConnectWeiter_data()
    {
        spalten<bool>("fenster");
        QTest::newRow("Modemfenster") << true;
        QTest::newRow("Sitzung") << false;
    }
    void erstNachConnectWeiter()
    {
        const auto [fenster] = werte<bool>("fenster");
        Terminalaufbau<> a;
        Modemsitzung s(a.z, a.v, a.port);
        if (!fenster) {
            a.t.setPort(nullptr);
            QVERIFY(s.waehle(QStringLiteral("47")));
        }
        QSignalSpy weiter(&a.v, &Verbindung::empfangen);
        a.port.inject("\r\nRING\r\n\r\nCO");
        QCOMPARE(weiter.count(), 0);
        a.port.inject("NNECT 9600\r\n");
        QCOMPARE(a.z.sitzung.modemVerbunden, true);
        QCOMPARE(weiter.count(), fenster ? 1 : 0);  // the window shows the line on; for the session it is no answer
        QCOMPARE(a.t.text(), fenster ? Texttabelle::text(240) : QString());
        weiter.clear();
        a.port.inject("\x06\x02");
        QCOMPARE(weiter.count(), 1);
        QCOMPARE(weiter.first().first().toInt(), 2);
        QVERIFY(a.meldung.eintraege().isEmpty());
    }

    // The write over a modem: "###" after "D" and again on Timer4, the block at 2400, then 19200 again.
    void schreibenUeberDasModem()
    {
        Terminalaufbau<> a;
        Programmstart::modemBetrieb(a.z);
        a.z.Timerintervall[4] = 20;
        a.port.inject("\r\nCONNECT 9600\r\n");
        Anmeldung anmeldung(a.z, a.v);
        Schreiben s(a.z, a.v, anmeldung, a.meldung);
        a.z.terminal.adresse = 1;
        a.z.terminal.passwort = Telegramm::packePasswort(QStringLiteral("123456"));
        a.z.terminal.passwortOK = true;
        a.port.clearWrites();
        QSignalSpy aufDerLeitung(&s, &Schreiben::blockAufDerLeitung);
        QSignalSpy erfolg(&s, &Schreiben::erfolgreich);
        QVERIFY(s.starte());
        const QByteArray k = QByteArray(1, char(1)) + "PJ" + Telegramm::ETX;
        a.port.inject(a.port.writes().last().bytes + Telegramm::STX + k + char(Telegramm::blockpruefung(k)));
        QTRY_COMPARE_WITH_TIMEOUT(a.port.writes().last().bytes.size(), Telegramm::Schreibblocklaenge, 5000);
        const auto &w = a.port.writes();
        QCOMPARE(w.at(w.size() - 3).bytes, Telegramm::Modemankuendigung);
        QCOMPARE(w.at(w.size() - 2).bytes, Telegramm::Modemankuendigung);
        QCOMPARE(w.last().settings, QStringLiteral("2400,n,8,1"));
        QVERIFY(!a.port.written().contains("U24###"));
        a.port.inject(w.last().bytes);  // its echo: the block is on the line
        QCOMPARE(aufDerLeitung.count(), 1);
        a.port.inject(QByteArray(200, 'x') + "U19###");
        QTRY_COMPARE(erfolg.count(), 1);
        QCOMPARE(a.port.settings(), QStringLiteral("19200,n,8,1"));
    }

    // A read-out over the modem window from a remote bus, its interface with or without echo, no option
    // given. Over a slow line the echo comes back ticks later: it must not be taken for missing.
    void auslesenUeberDasModem_data()
    {
        spalten<bool, int>("echo", "verzug");
        for (const int verzug : {0, 700})
            for (const bool echo : {true, false})
                QTest::addRow("%s Echo, %d ms", echo ? "mit" : "ohne", verzug) << echo << verzug;
    }
    void auslesenUeberDasModem()
    {
        const auto [echo, verzug] = werte<bool, int>("echo", "verzug");
        SimBus sim;
        BUS_STARTEN(sim, QJsonArray{SimBus::terminal(4, 0)}, echo ? QStringList() : QStringList{"--no-echo"});
        Terminalaufbau<Fernbus> a;
        Programmstart::modemBetrieb(a.z);
        a.port.inject("\r\nCONNECT 9600\r\n");
        QVERIFY(a.port.anschliessen(sim.device()));
        a.port.verzug = verzug;
        a.v.setEchomodus(Verbindung::Echomodus::Automatisch);
        Anmeldung anmeldung(a.z, a.v);
        Auslesen auslesen(a.z, a.v, anmeldung, a.meldung);
        a.z.terminal.adresse = 4;
        a.z.terminal.passwort = Telegramm::packePasswort(QStringLiteral("246810"));
        QSignalSpy fertig(&auslesen, &Auslesen::fertig);
        QSignalSpy fehler(&auslesen, &Auslesen::fehlgeschlagen);
        QVERIFY(auslesen.starte());
        QVERIFY(QTest::qWaitFor([&] { return fertig.count() + fehler.count() > 0; }, 20000));
        QCOMPARE(a.meldung.textnummern(), QList<int>{});
        QCOMPARE(QByteArray(Terminaldatei::hauptdateitext(a.z.bild)), sim.speicher(4));
        QCOMPARE(a.v.echostand(), echo ? Verbindung::Echostand::Vorhanden : Verbindung::Echostand::Fehlt);
    }

    // XON/XOFF and RTS/CTS at once: the serial layer has no such mode.
    void handshakeNurWasDieSchnittstelleKann()
    {
        SerialPort p;
        QVERIFY(p.setHandshake(2));
        for (int falsch : {3, -1, 4})
            QVERIFY(!p.setHandshake(falsch));
        QVERIFY(!p.fehlertext().isEmpty());
        QCOMPARE(p.handshake(), 2);
    }
};

PORTAVO_TESTKLASSE(TestModem)
#include "tst_modem.moc"
