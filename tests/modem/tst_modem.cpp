// The modem line logic on FakePort: dial strings, connect detection over
// chunks, the receive side of the modem window with its dispatch and
// messages, the hang-up, the per-user settings and a whole connection.

#include "support/Testlauf.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "link/Anmeldung.h"
#include "link/Empfangspuffer.h"
#include "link/Programmstart.h"
#include "link/Schreiben.h"
#include "link/SerialPort.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "modem/Auflegen.h"
#include "modem/Modemeinstellungen.h"
#include "modem/Modemsitzung.h"
#include "modem/Modemterminal.h"
#include "modem/Modemzeilen.h"
#include "modem/Waehlstring.h"
#include "support/FakePort.h"
#include "support/MeldungAufnahme.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

namespace {

using R = Modemzeilen::Rueckmeldung;

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

struct Terminalaufbau {
    Zustand z;
    FakePort port;
    Verbindung v{z};
    MeldungAufnahme meldung;
    Modemterminal t{z, v, meldung};

    Terminalaufbau()
    {
        Texttabelle::ladeTexte(z, 101, 549);
        port.open();
        v.setModemPort(&port);
        z.Modembetrieb = 1;
        t.setPort(&port);
    }
    void verbinde() { port.inject("\r\nCONNECT 9600\r\n"); }
    QByteArray empfangsbytes() const
    {
        return v.ablage().abschnitt(0, v.ablage().zahl());
    }
};

}  // namespace

class TestModem : public QObject {
    Q_OBJECT
private slots:
    void waehlstringMitUndOhneAmtsholung()
    {
        QCOMPARE(Waehlstring::baue("1", "0", "47"), QByteArray("ATX3DT0,47\r\n"));
        QCOMPARE(Waehlstring::baue("1", "0", "47").size(), 12);
        QCOMPARE(Waehlstring::baue("0", "0", "47"), QByteArray("ATX3DT47\r\n"));
        QCOMPARE(Waehlstring::baue("", "0", "47"), QByteArray("ATX3DT47\r\n"));
        // Only exactly "1" asks for the prefix.
        QCOMPARE(Waehlstring::baue(" 1", "0", "47"), QByteArray("ATX3DT47\r\n"));
        QCOMPARE(Waehlstring::baue("1", "", "47"), QByteArray("ATX3DT,47\r\n"));
        // Every dial character passes as typed.
        QCOMPARE(Waehlstring::baue("1", "0W", "*31# 0711,P2"), QByteArray("ATX3DT0W,*31# 0711,P2\r\n"));
    }

    void waehlstringVerweigertFremdeZeichen()
    {
        Waehlstring::Fehler f = Waehlstring::Fehler::Keiner;
        for (const char *nummer : {"47;H", "47\r", "47\nATZ", "4a7", "47w", "+++", "47-11", "4\xc3\xa4"}) {
            QVERIFY2(Waehlstring::baue("0", "", QString::fromUtf8(nummer), &f).isEmpty(), nummer);
            QCOMPARE(f, Waehlstring::Fehler::Nummer);
            QCOMPARE(Waehlstring::textnummer(f), 501);
        }
        QVERIFY(Waehlstring::baue("1", "0;ATZ", "47", &f).isEmpty());
        QCOMPARE(f, Waehlstring::Fehler::Amtsholung);
        QCOMPARE(Waehlstring::textnummer(f), 502);
        // A bad outside-line number that is not used does not matter.
        QCOMPARE(Waehlstring::baue("0", "0;ATZ", "47", &f), QByteArray("ATX3DT47\r\n"));
        QCOMPARE(f, Waehlstring::Fehler::Keiner);
        QVERIFY(Waehlstring::baue("1", "0", "", &f).isEmpty());
        QCOMPARE(f, Waehlstring::Fehler::LeereNummer);
    }

    // A modem takes 40 characters after "AT": "X3DT", then prefix and number.
    void waehlstringLaengengrenze_data()
    {
        QTest::addColumn<QString>("text1");
        QTest::addColumn<QString>("text2");
        QTest::addColumn<int>("nummernlaenge");
        QTest::addColumn<bool>("passt");
        QTest::newRow("36 ohne Amtsholung") << "0" << "" << 36 << true;
        QTest::newRow("37 ohne Amtsholung") << "0" << "" << 37 << false;
        QTest::newRow("mit Amtsholung 2 + 34") << "1" << "0" << 34 << true;
        QTest::newRow("mit Amtsholung 2 + 35") << "1" << "0" << 35 << false;
    }
    void waehlstringLaengengrenze()
    {
        QFETCH(QString, text1);
        QFETCH(QString, text2);
        QFETCH(int, nummernlaenge);
        QFETCH(bool, passt);
        Waehlstring::Fehler f = Waehlstring::Fehler::Keiner;
        const QByteArray s = Waehlstring::baue(text1, text2, QString(nummernlaenge, QLatin1Char('7')), &f);
        QCOMPARE(f, passt ? Waehlstring::Fehler::Keiner : Waehlstring::Fehler::ZuLang);
        if (passt) {
            QVERIFY(s.size() <= 2 + Waehlstring::Befehlszeile + 2);
            QCOMPARE(int(s.size()), 2 + 4 + (text1 == "1" ? int(text2.size()) + 1 : 0) + nummernlaenge + 2);
        } else {
            QVERIFY(s.isEmpty());
            QCOMPARE(Waehlstring::textnummer(f), 630);
            QVERIFY(Texttabelle::text(630).contains(QString::number(Waehlstring::Hoechstlaenge)));
        }
        // The number alone is judged the same way before any prefix is known.
        QCOMPARE(Waehlstring::pruefeNummer(QString(nummernlaenge, QLatin1Char('7'))),
                 nummernlaenge > Waehlstring::Hoechstlaenge ? Waehlstring::Fehler::ZuLang : Waehlstring::Fehler::Keiner);
    }

    void connectNurAmZeilenanfang()
    {
        Modemzeilen m;
        QCOMPARE(m.lies("\r\nCONNECT 9600\r\n"), QVector<R>{R::Connect});
        m.zuruecksetzen();
        QVERIFY(m.lies("CONNECT 9600\r\n").isEmpty());
        m.zuruecksetzen();
        QVERIFY(m.lies("\r\nXCONNECT\r\n").isEmpty());
        m.zuruecksetzen();
        // After the echo of the dial string, further in the same chunk.
        QCOMPARE(m.lies("ATX3DT47\r\r\nCONNECT 2400\r\n"), QVector<R>{R::Connect});
    }

    void connectUeberMehrereStuecke()
    {
        Modemzeilen m;
        QVERIFY(m.lies("\r").isEmpty());
        QVERIFY(m.lies("\nC").isEmpty());
        QVERIFY(m.lies("O").isEmpty());
        QCOMPARE(m.lies("NNECT 96"), QVector<R>{R::Connect});
        QVERIFY(m.lies("00\r\n").isEmpty());  // once per line
        Modemzeilen b;
        QVERIFY(b.lies("ATDT47\r\n\r\nBU").isEmpty());
        QCOMPARE(b.lies("SY\r\n"), QVector<R>{R::Busy});
        QCOMPARE(b.lies("\r\nNO CARRIER\r\n\r\nNO DIALTONE\r\nERROR\r\nOK\r\n"),
                 (QVector<R>{R::NoCarrier, R::NoDialtone, R::Error, R::Ok}));
    }

    void terminalVerbindetSichNurMitVorangehendemZeilenende()
    {
        Terminalaufbau a;
        QSignalSpy verbunden(&a.t, &Modemterminal::verbunden);
        a.port.inject("CONNECT 9600\r\n");
        QCOMPARE(a.z.Modemverbindung, qint16(0));
        QCOMPARE(verbunden.count(), 0);
        a.t.verbindungZuruecksetzen();
        a.port.inject("\r\nCONNECT 9600\r\n");
        QCOMPARE(a.z.Modemverbindung, qint16(1));
        QCOMPARE(verbunden.count(), 1);
        QCOMPARE(a.t.text(), QStringLiteral("Modemverbindung    OK"));
    }

    void terminalVerbindetSichUeberGeteiltesStueck()
    {
        Terminalaufbau a;
        a.port.inject("\r\nCO");
        QCOMPARE(a.z.Modemverbindung, qint16(0));
        a.port.inject("NNECT 9600\r\n");
        QCOMPARE(a.z.Modemverbindung, qint16(1));
    }

    void weitergabeWieAmBus()
    {
        Terminalaufbau a;
        // Nothing reaches the stores before the connection stands.
        a.port.inject("\r\nRING\r\n");
        QCOMPARE(a.v.ablage().zahl(), 0);
        a.verbinde();
        a.v.ablage().leeren();

        // Repair: a lone NAK is the wake-up answer; the bytes stay.
        Anmeldung anmeldung(a.z, a.v);
        Schreiben schreiben(a.z, a.v, anmeldung, a.meldung);
        schreiben.reparaturVormerken();
        a.port.inject(QByteArray(1, Telegramm::NAK));
        QCOMPARE(a.t.modemempfang(), QByteArray(1, Telegramm::NAK));
        QCOMPARE(a.v.ablage().zahl(), 0);
        // A lone ACK is stored in the store the receivers choose.
        a.port.inject(QByteArray(1, Telegramm::ACK));
        QCOMPARE(a.empfangsbytes(), QByteArray(1, Telegramm::ACK));
        QVERIFY(a.t.modemempfang().isEmpty());
        schreiben.reparaturVerwerfen();

        Empfangspuffer antwort, empfang;
        Empfangsrecht login = a.v.nimmStrom(antwort, Empfaenger::Vorrang::Anmeldung);
        a.port.inject("J\x03");
        QCOMPARE(antwort.bytes(), QByteArray("J\x03"));
        {
            const Empfangsrecht suche = a.v.nimmStrom(empfang, Empfaenger::Vorrang::Identifikation);
            a.port.inject("xy");
        }
        QCOMPARE(empfang.bytes(), QByteArray("xy"));
        QCOMPARE(antwort.bytes(), QByteArray("J\x03"));

        // The stop at index 4500 holds over the modem as well.
        login.freigeben();
        a.v.verarbeite(QByteArray(4499 - a.v.ablage().zahl(), 'x'));
        a.port.inject("abcde");
        QCOMPARE(a.v.ablage().zahl(), 4501);
        QCOMPARE(a.v.ablage().byte(4500), quint8('b'));
        // The connected terminal shows what comes as well.
        QVERIFY(a.t.text().endsWith(QStringLiteral("abcde")));
        QVERIFY(a.meldung.eintraege().isEmpty());
    }

    void terminalKuerzung_data()
    {
        QTest::addColumn<int>("vorher");
        QTest::addColumn<int>("nachher");
        QTest::newRow("16001 + 10") << 16001 << 11915;
        QTest::newRow("16000 + 10 bleibt") << 16000 << 16010;
        QTest::newRow("leer") << 0 << 10;
    }
    void terminalKuerzung()
    {
        QFETCH(int, vorher);
        QFETCH(int, nachher);
        Terminalaufbau a;
        a.t.anhaengen(QString(vorher, QLatin1Char('a')));
        a.port.inject("0123456789");
        QCOMPARE(a.t.text().size(), nachher);
        QVERIFY(a.t.text().endsWith(QStringLiteral("0123456789")));
    }

    void breakMitOffenemUndGeschlossenemPort()
    {
        Terminalaufbau a;
        a.port.injectEvent(Ereigniscode::Break);
        QCOMPARE(a.meldung.eintraege().size(), 1);
        QCOMPARE(a.meldung.eintraege().at(0).text, QStringLiteral("Break  1001"));
        QCOMPARE(a.meldung.eintraege().at(0).titelnummer, 243);
        QCOMPARE(a.meldung.eintraege().at(0).knoepfe, Meldung::Knoepfe::OkAbbrechen);

        a.port.close();
        a.meldung.leeren();
        a.t.anhaengen(QString(4001, QLatin1Char('x')));
        a.port.injectEvent(Ereigniscode::Break);
        QVERIFY(a.port.isOpen());
        QVERIFY(a.meldung.eintraege().isEmpty());
        QVERIFY(a.t.text().isEmpty());  // 4001 characters and more go
        a.t.anhaengen(QString(4000, QLatin1Char('x')));
        a.port.injectEvent(Ereigniscode::Break);
        QCOMPARE(a.t.text().size(), 4000);
    }

    void framingLeertImmerUndMeldetNachWiederoeffnen()
    {
        Terminalaufbau a;
        a.t.anhaengen(QStringLiteral("abc"));
        a.port.injectEvent(Ereigniscode::Framing);
        QVERIFY(a.t.text().isEmpty());
        QVERIFY(a.meldung.eintraege().isEmpty());
        a.port.close();
        a.port.injectEvent(Ereigniscode::Framing);
        QVERIFY(a.port.isOpen());
        QCOMPARE(a.meldung.eintraege().size(), 1);
        QCOMPARE(a.meldung.eintraege().at(0).text, QStringLiteral("Frameerror Wieder drann"));
    }

    void meldungenNurEinmal()
    {
        Terminalaufbau a;
        QSignalSpy piep(&a.t, &Modemterminal::piep);
        QSignalSpy timer2(&a.t, &Modemterminal::meldungGezeigt);
        a.port.injectEvent(Ereigniscode::Parity);
        QCOMPARE(a.meldung.eintraege().size(), 1);
        QCOMPARE(a.meldung.eintraege().at(0).text, QStringLiteral("Parityerror"));
        // Later events show nothing more.
        a.port.inject("abc");
        a.port.injectEvent(1);
        QCOMPARE(a.meldung.eintraege().size(), 1);
        QCOMPARE(piep.count(), 1);
        QCOMPARE(timer2.count(), 1);
        QVERIFY(a.t.fehlermeldung().isEmpty());

        // A line state only restarts Timer2, once.
        a.port.injectEvent(3);
        QCOMPARE(timer2.count(), 2);
        a.port.inject("d");
        QCOMPARE(timer2.count(), 2);
        QCOMPARE(a.meldung.eintraege().size(), 1);
        QVERIFY(a.t.ereignismeldung().isEmpty());

        // Unknown codes use text 242.
        a.port.injectEvent(1008);
        QCOMPARE(a.meldung.eintraege().size(), 2);
        QCOMPARE(a.meldung.eintraege().at(1).text, Texttabelle::text(242));
    }

    void abbrechenImFehlerfensterSchliesstDenPort()
    {
        Terminalaufbau a;
        a.meldung.antworte(Meldung::Abbrechen);
        a.port.injectEvent(Ereigniscode::Overrun);
        QVERIFY(!a.port.isOpen());
        a.port.open();
        a.port.injectEvent(Ereigniscode::Overrun);  // OK: port stays open
        QVERIFY(a.port.isOpen());
    }

    void auflegenReihenfolgeUndStille()
    {
        Protokollport port;
        port.open();
        port.setDtr(true);
        port.setHoldOutput(true);
        port.write("noch unterwegs");
        port.ereignisse.clear();

        Auflegen auf;
        auf.setSchutzzeit(60);
        auf.setDtrzeit(10);
        QStringList folge;
        connect(&auf, &Auflegen::schritt, [&](Auflegen::Schritt s) {
            folge << QString::fromLatin1(QMetaEnum::fromType<Auflegen::Schritt>().valueToKey(int(s)));
        });
        QSignalSpy fertig(&auf, &Auflegen::fertig);
        auf.starte(&port);
        // The silence begins only when the output has left the port.
        QVERIFY(folge.isEmpty());
        QVERIFY(auf.laeuft());
        QTest::qWait(120);
        QVERIFY(folge.isEmpty());
        port.sent(14);
        port.setHoldOutput(false);
        QTRY_COMPARE(folge.value(0), QStringLiteral("Stille"));
        QVERIFY(port.ereignisse.isEmpty());
        QVERIFY(fertig.wait(5000));
        QCOMPARE(folge, (QStringList{"Stille", "Escape", "Stille", "Ath", "Dtr", "Geschlossen"}));
        // "+++" and "ATH" CR each go out alone, each after its own silence;
        // the DTR line then goes on, off and back to where it was.
        QCOMPARE(port.ereignisse, (QStringList{"+++", "ATH\r", "dtr1", "dtr0", "dtr1", "close"}));
        QVERIFY(!port.isOpen());
        QVERIFY(!auf.laeuft());
    }

    void auflegenStilleNachEscapeWartetAufAbfluss()
    {
        Protokollport port;
        port.open();
        port.setHoldOutput(true);
        Auflegen auf;
        auf.setSchutzzeit(20);
        auf.setDtrzeit(1);
        QStringList folge;
        connect(&auf, &Auflegen::schritt, [&](Auflegen::Schritt s) {
            folge << QString::fromLatin1(QMetaEnum::fromType<Auflegen::Schritt>().valueToKey(int(s)));
        });
        auf.starte(&port);
        QTRY_COMPARE(folge.size(), 2);  // Stille, Escape
        QTest::qWait(100);
        QCOMPARE(folge.size(), 2);  // "+++" still in the port: no silence yet
        port.sent(3);
        QTRY_COMPARE(folge.size(), 4);
        QCOMPARE(folge.last(), QStringLiteral("Ath"));
        port.sent(4);
        QTRY_VERIFY(!port.isOpen());
    }

    void auflegenMitGeschlossenemPort()
    {
        FakePort port;
        Auflegen auf;
        QSignalSpy fertig(&auf, &Auflegen::fertig);
        auf.starte(&port);
        QCOMPARE(fertig.count(), 1);
        QVERIFY(port.writes().isEmpty());
        // The device goes away in the middle: the sequence ends.
        port.open();
        auf.setSchutzzeit(20);
        auf.starte(&port);
        port.loseDevice();
        QVERIFY(fertig.wait(2000));
        QCOMPARE(fertig.count(), 2);
        QVERIFY(port.written().isEmpty());
    }

    void benutzereinstellungen()
    {
        qputenv("PORTAVO_HOME", QDir::temp().filePath(QStringLiteral("portavo-modem-test-%1").arg(QCoreApplication::applicationPid())).toLocal8Bit());
        QFile::remove(Modemeinstellungen::datei());
        const Modemeinstellungen leer = Modemeinstellungen::lesen();
        QVERIFY(leer.Einstellungen.isEmpty() && leer.ComAnschluss.isEmpty() && leer.Echo.isEmpty());

        Modemeinstellungen e;
        e.Einstellungen = QStringLiteral("9600,E,7,2");
        e.ComAnschluss = QStringLiteral("3");
        e.Handshaking = QStringLiteral("2");
        e.Echo = Modemeinstellungen::echoText(true);
        QVERIFY(Modemeinstellungen::schreiben(e));
        QVERIFY(Modemeinstellungen::datei().startsWith(qEnvironmentVariable("PORTAVO_HOME")));

        const Modemeinstellungen g = Modemeinstellungen::lesen();
        QCOMPARE(g.Einstellungen, QStringLiteral("9600,E,7,2"));
        QCOMPARE(g.ComAnschluss, QStringLiteral("3"));
        QCOMPARE(g.Handshaking, QStringLiteral("2"));
        QCOMPARE(g.Echo, QStringLiteral("True"));
        QVERIFY(Modemeinstellungen::echoAus(g.Echo));
        QVERIFY(!Modemeinstellungen::echoAus(QStringLiteral("False")));
        // Section and keys exactly as named, "COM-Anschluß" with its sharp s.
        QSettings s(Modemeinstellungen::datei(), QSettings::IniFormat);
        s.beginGroup(QStringLiteral("Einstellungen"));
        QCOMPARE(s.value(QStringLiteral("COM-Anschlu\u00df")).toString(), QStringLiteral("3"));
        QCOMPARE(s.childKeys().size(), 4);
        QDir(qEnvironmentVariable("PORTAVO_HOME")).removeRecursively();
    }

    void sitzungWaehltUndMeldetBesetzt()
    {
        Zustand z;
        z.ModemText1 = "1";
        z.ModemText2 = "0";
        FakePort port;
        port.open();
        Verbindung v(z);
        Modemsitzung s(z, v, port);
        QSignalSpy fehl(&s, &Modemsitzung::fehlgeschlagen);
        QVERIFY(s.waehle(QStringLiteral("47")));
        QCOMPARE(port.written(), QByteArray("ATX3DT0,47\r\n"));
        port.inject("ATX3DT0,47\r\r\nBU");
        QCOMPARE(fehl.count(), 0);
        port.inject("SY\r\n");
        QCOMPARE(fehl.count(), 1);
        QCOMPARE(fehl.at(0).at(0).toInt(), 503);
        QVERIFY(!s.steht());
        QCOMPARE(z.Modemverbindung, qint16(0));
    }

    void sitzungVerweigertUndWartetNichtEwig()
    {
        Zustand z;
        FakePort port;
        port.open();
        Verbindung v(z);
        Modemsitzung s(z, v, port);
        QSignalSpy fehl(&s, &Modemsitzung::fehlgeschlagen);
        QVERIFY(!s.waehle(QStringLiteral("47;H0")));
        QCOMPARE(fehl.takeFirst().at(0).toInt(), 501);
        QVERIFY(port.writes().isEmpty());

        // The echo shows a modem: then the wait for the result counts.
        s.setWartezeit(30);
        s.setLebenszeichenfrist(20);
        QVERIFY(s.waehle(QStringLiteral("47")));
        port.inject("ATX3DT47\r\n");
        QVERIFY(fehl.wait(2000));
        QCOMPARE(fehl.takeFirst().at(0).toInt(), 506);
        // Not a single byte: no modem on that port.
        s.setWartezeit(Modemsitzung::Wartezeit);
        QVERIFY(s.waehle(QStringLiteral("47")));
        QVERIFY(fehl.wait(2000));
        QCOMPARE(fehl.takeFirst().at(0).toInt(), 632);
        QVERIFY(!s.waehlt());
        QVERIFY(!s.waehle(QString(37, QLatin1Char('1'))));
        QCOMPARE(fehl.takeFirst().at(0).toInt(), 630);
        s.setLebenszeichenfrist(Modemsitzung::Lebenszeichenfrist);

        for (const auto &[antwort, nummer] : {std::pair{"\r\nNO CARRIER\r\n", 504}, {"\r\nNO DIALTONE\r\n", 505},
                                              {"\r\nNO ANSWER\r\n", 631}, {"\r\nERROR\r\n", 507}}) {
            QVERIFY(s.waehle(QStringLiteral("47")));
            port.inject(antwort);
            QCOMPARE(fehl.count(), 1);
            QCOMPARE(fehl.takeFirst().at(0).toInt(), nummer);
        }
    }

    void sitzungVerbindetGibtWeiterUndLegtAuf()
    {
        Zustand z;
        z.Modembetrieb = 1;
        Protokollport port;
        port.open();
        Verbindung v(z);
        v.setModemPort(&port);
        Modemsitzung s(z, v, port);
        s.auflegen().setSchutzzeit(10);
        s.auflegen().setDtrzeit(1);
        QSignalSpy verbunden(&s, &Modemsitzung::verbunden);
        QVERIFY(s.waehle(QStringLiteral("47")));
        port.inject("ATX3DT47\r\r\nCONNECT 9600\r\n");
        QCOMPARE(verbunden.count(), 1);
        QCOMPARE(z.Modemverbindung, qint16(1));
        QCOMPARE(v.ablage().zahl(), 0);  // the connect message is no answer
        port.inject("\x06\x02");
        QCOMPARE(v.ablage().zahl(), 2);

        QSignalSpy aufgelegt(&s, &Modemsitzung::aufgelegt);
        port.ereignisse.clear();
        s.legeAuf();
        QCOMPARE(z.Modemverbindung, qint16(0));
        QVERIFY(aufgelegt.wait(3000));
        QCOMPARE(port.ereignisse.mid(0, 2), (QStringList{"+++", "ATH\r"}));
        QVERIFY(!port.isOpen());
    }

    // The write over a modem connection: "###" after "D", "###" again on
    // Timer4, then Timer9, Timer10, Timer11 and the block at 2400 baud on the
    // modem port; afterwards the port is back at 19200.
    void schreibenUeberDasModem()
    {
        Terminalaufbau a;
        Programmstart::modemBetrieb(a.z);
        a.z.Timerintervall[4] = 20;
        a.verbinde();
        QCOMPARE(a.z.Modemverbindung, qint16(1));
        Anmeldung anmeldung(a.z, a.v);
        Schreiben s(a.z, a.v, anmeldung, a.meldung);
        a.z.Adresse = 1;
        a.z.Passwort = Telegramm::packePasswort(QStringLiteral("123456"));
        a.z.PasswortOK = 1;
        QStringList kette;
        for (const char *name : {"Timer9", "Timer10", "Timer11"}) {
            auto *t = s.findChild<QTimer *>(QLatin1String(name));
            QVERIFY2(t, name);
            connect(t, &QTimer::timeout, [&kette, name] { kette << QLatin1String(name); });
        }
        QCOMPARE(s.findChild<QTimer *>(QStringLiteral("Timer9"))->interval(), 300);
        QCOMPARE(s.findChild<QTimer *>(QStringLiteral("Timer11"))->interval(), 50);
        a.port.clearWrites();
        QVERIFY(s.starte());
        QByteArray antwort = QByteArray() + Telegramm::STX + char(1) + "PJ" + Telegramm::ETX;
        antwort += char(Telegramm::blockpruefung(antwort, 1, int(antwort.size()) - 1));
        a.port.inject(a.v.letzteAnfrage() + antwort);
        QSignalSpy aufDerLeitung(&s, &Schreiben::blockAufDerLeitung);
        QTRY_COMPARE_WITH_TIMEOUT(kette.size(), 3, 5000);
        QCOMPARE(kette, (QStringList{"Timer9", "Timer10", "Timer11"}));
        const auto &w = a.port.writes();
        QVERIFY(w.size() >= 6);
        QCOMPARE(w.at(w.size() - 3).bytes, Telegramm::Modemankuendigung);
        QCOMPARE(w.at(w.size() - 2).bytes, Telegramm::Modemankuendigung);
        QCOMPARE(w.last().bytes.size(), Telegramm::Schreibblocklaenge);
        QCOMPARE(w.last().settings, QStringLiteral("2400,n,8,1"));
        QVERIFY(!a.port.written().contains("U24###"));
        a.port.inject(w.last().bytes);  // its echo: the block is on the line
        QCOMPARE(aufDerLeitung.count(), 1);
        a.port.inject(QByteArray(200, 'x') + "U19###");
        QSignalSpy erfolg(&s, &Schreiben::erfolgreich);
        QVERIFY(erfolg.wait(3000));
        QCOMPARE(a.port.settings(), QStringLiteral("19200,n,8,1"));
    }

    void serielleSchnittstelleUndHandshake()
    {
        SerialPort p;
        QCOMPARE(p.handshake(), 0);
        QVERIFY(p.setHandshake(1));
        QVERIFY(p.setHandshake(2));
        QCOMPARE(p.handshake(), 2);
        // XON/XOFF and RTS/CTS at once: the serial layer has no such mode.
        QVERIFY(!p.setHandshake(3));
        QVERIFY(!p.fehlertext().isEmpty());
        QCOMPARE(p.handshake(), 2);
        QVERIFY(!p.setHandshake(-1));
        QVERIFY(!p.setHandshake(4));
        QCOMPARE(p.handshake(), 2);
        p.setDtr(true);
        QVERIFY(p.dtr());
        p.setDtr(false);
        QVERIFY(!p.dtr());
    }

    void sitzungVerliertTraeger()
    {
        Zustand z;
        FakePort port;
        port.open();
        Verbindung v(z);
        Modemsitzung s(z, v, port);
        QSignalSpy verloren(&s, &Modemsitzung::verbindungVerloren);
        s.waehle(QStringLiteral("47"));
        port.inject("\r\nCONNECT\r\n");
        port.inject("\r\nNO CA");
        QCOMPARE(verloren.count(), 0);
        port.inject("RRIER\r\n");
        QCOMPARE(verloren.count(), 1);
        QCOMPARE(z.Modemverbindung, qint16(0));
    }
};

PORTAVO_TESTKLASSE(TestModem)
#include "tst_modem.moc"
