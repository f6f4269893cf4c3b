// The echo of the interface module: how the link tells an echo from an answer, and how it stands in for
// the echo of an interface that does not echo (where, when, how fast, and how the monitor shows it).

#include "support/Testlauf.h"
#include "support/Datentabelle.h"

#include <QFile>
#include <QSignalSpy>
#include "support/FakePort.h"
#include "base/Zustand.h"
#include "link/Echoablage.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"

using Modus = Verbindung::Echomodus;
using Stand = Verbindung::Echostand;
Q_DECLARE_METATYPE(Verbindung::Echomodus)
Q_DECLARE_METATYPE(Verbindung::Echostand)

class TestEcho : public QObject {
    Q_OBJECT

    struct Aufbau {
        Zustand z;
        FakePort port;
        Verbindung v{z};
        qint64 jetzt = 1000;
        QStringList monitor;
        Empfangsrecht beobachtung = v.beobachten();
        Aufbau(Modus modus, Stand stand = Stand::Unbekannt)
        {
            port.open();
            v.setPort(&port);
            v.setEchomodus(modus);
            v.setEchostand(stand);
            v.setUhr([this] { return jetzt; });
            z.terminal.adresse = 5;
            QObject::connect(&v, &Verbindung::monitorZeile, [this](const QString &s) { monitor << s; });
        }
        QByteArray ablage() const { return v.ablage().abschnitt(0, v.ablage().zahl()); }
    };
    static QByteArray antwortV()
    {
        // Begins like the request: STX, address, command.
        QByteArray a = QByteArray("\x02\x05V", 3) + "Ver 3.12 TS 1 04" + Telegramm::ETX;
        return a + char(Telegramm::blockpruefung(a, 1, int(a.size()) - 1));
    }

private slots:
    // What a sequence finds in the store after "V": always the request's bytes, then the answer, once.
    void ablageWieMitEcho_data()
    {
        // stuecke: as they come from the port; "T" is the request; ersatz: monitor lines marked as stood-in echo
        spalten<Modus, Stand, QList<QByteArray>, QByteArray, Stand, int>(
            "modus", "anfangs", "stuecke", "ablage", "danach", "ersatz");
        const QByteArray t = Telegramm::anfrage(5, "V"), a = antwortV();
        QTest::newRow("automatisch, mit Echo in Stuecken")
            << Modus::Automatisch << Stand::Unbekannt << QList<QByteArray>{t.left(2), t.mid(2) + a.left(3), a.mid(3)}
            << t + a << Stand::Vorhanden << 0;
        QTest::newRow("automatisch, ohne Echo") << Modus::Automatisch << Stand::Unbekannt
                                                << QList<QByteArray>{a.left(3), a.mid(3)} << t + a << Stand::Fehlt << 5;
        QTest::newRow("gemerkt ohne, Echo kommt doch") << Modus::Automatisch << Stand::Fehlt
                                                       << QList<QByteArray>{t + a} << t + a << Stand::Vorhanden << 5;
        QTest::newRow("gemerkt ohne, stimmt") << Modus::Automatisch << Stand::Fehlt << QList<QByteArray>{a}
                                              << t + a << Stand::Fehlt << 5;
        QTest::newRow("erzwungen nein") << Modus::Nein << Stand::Unbekannt << QList<QByteArray>{a} << t + a
                                        << Stand::Fehlt << 5;
    }
    void ablageWieMitEcho()
    {
        const auto [modus, anfangs, stuecke, ablage, danach, ersatz] =
            werte<Modus, Stand, QList<QByteArray>, QByteArray, Stand, int>(
                "modus", "anfangs", "stuecke", "ablage", "danach", "ersatz");
        Aufbau a(modus, anfangs);
        QVERIFY(a.v.sendeAnfrage("V"));
        // Never within the send: the sequence may still empty its store.
        QCOMPARE(a.v.ablage().zahl(), 0);
        for (const QByteArray &s : stuecke)
            a.port.inject(s);
        QCOMPARE(a.ablage().toHex(' '), ablage.toHex(' '));
        QCOMPARE(a.v.echostand(), danach);
        QCOMPARE(a.port.writes().size(), 1);
        QCOMPARE(a.port.writes().first().bytes, Telegramm::anfrage(5, "V"));
        const QStringList markiert = a.monitor.filter(QRegularExpression("^\\(\\d+\\)$"));
        QCOMPARE(markiert.size(), ersatz);
        if (ersatz)
            QCOMPARE(a.monitor.mid(1, 5), (QStringList{"(2)", "(5)", "(86)", "(3)", "(80)"}));
    }

    // The echo stood in for comes at the line speed of the port, after the sender has gone on.
    void ersatzImTaktDerLeitung()
    {
        Aufbau a(Modus::Nein);
        QVERIFY(a.port.setSettings(QStringLiteral("2400,n,8,1")));
        const QByteArray block(480, 'x');  // 2 s at 2400 baud
        a.v.sendeRoh(block);
        QCOMPARE(a.v.ablage().zahl(), 0);
        a.jetzt += 500;
        a.v.abholen();
        QCOMPARE(a.v.ablage().zahl(), 120);
        a.jetzt += 1499;
        a.v.abholen();
        QCOMPARE(a.v.ablage().zahl(), 479);
        a.jetzt += 1;
        QTRY_COMPARE(a.v.ablage().zahl(), 480);
        // An answer never overtakes the echo: what is left of it comes first.
        a.v.sendeRoh("yz");
        a.port.inject("\x06");
        QCOMPARE(a.ablage().right(3), QByteArray("yz\x06"));
    }

    // Nothing came back by the time a sequence looks: the interface is taken for one without echo, and a
    // late echo after all is dropped, not doubled.
    void echoBleibtAusBeimNachsehen()
    {
        Aufbau a(Modus::Automatisch);
        QSignalSpy erkannt(&a.v, &Verbindung::echoErkannt);
        QVERIFY(a.v.sendeAnfrage("X"));
        const QByteArray t = a.v.letzteAnfrage();
        a.jetzt += 2;  // 5 bytes take 2.6 ms at 19200 baud
        a.v.abholen();
        QCOMPARE(a.v.ablage().zahl(), 0);
        QCOMPARE(a.v.echostand(), Stand::Unbekannt);
        a.jetzt += 10;
        a.v.abholen();
        QCOMPARE(a.ablage(), t);
        QCOMPARE(a.v.echostand(), Stand::Fehlt);
        a.port.inject(t);
        QCOMPARE(a.ablage(), t);
        QCOMPARE(a.v.echostand(), Stand::Vorhanden);
        QCOMPARE(erkannt.size(), 2);
        QCOMPARE(erkannt.at(0).at(0).toBool(), false);
        QCOMPARE(erkannt.at(1).at(0).toBool(), true);
    }

    // A lost device may come back as another kind of interface: a finding starts over, a forced mode stays,
    // and nothing of the old line comes after.
    void geraetWeg_data()
    {
        spalten<Modus, Stand>("modus", "danach");
        QTest::newRow("erzwungen") << Modus::Nein << Stand::Fehlt;
        QTest::newRow("gefunden") << Modus::Automatisch << Stand::Unbekannt;
    }
    void geraetWeg()
    {
        const auto [modus, danach] = werte<Modus, Stand>("modus", "danach");
        Aufbau a(modus, Stand::Fehlt);
        QSignalSpy verloren(&a.v, &Verbindung::portVerloren);
        QVERIFY(a.v.sendeAnfrage("V"));  // its echo is still to come when the device goes
        a.port.loseDevice();
        QCOMPARE(verloren.count(), 1);
        QCOMPARE(a.v.echostand(), danach);
        a.jetzt += 1000;
        a.v.abholen();
        QCOMPARE(a.v.ablage().zahl(), 0);
    }

    // What is found out is kept for the port's device and starts the next run there; over a modem the far
    // installation's interface answers, so nothing kept for the port counts and nothing found is kept.
    void ablageJeGeraet_data()
    {
        spalten<bool>("modem");
        QTest::newRow("RS485") << false;
        QTest::newRow("Modem") << true;
    }
    void ablageJeGeraet()
    {
        const auto [modem] = werte<bool>("modem");
        QVERIFY(Echoablage::schreiben(QStringLiteral("/dev/ttyUSB7"), false));
        Aufbau a(Modus::Ja);
        a.port.setDevice(QStringLiteral("/dev/ttyUSB7"));
        a.z.sitzung.leitung = modem ? Leitungsart::Modem : Leitungsart::Rs485;
        a.v.setModemPort(&a.port);
        Echoablage::anwenden(a.v, Modus::Automatisch, &a.port);
        QCOMPARE(a.v.echostand(), modem ? Stand::Unbekannt : Stand::Fehlt);
        QVERIFY(a.v.sendeAnfrage("V"));
        a.v.verarbeite(a.port.written());  // an echo after all
        QCOMPARE(a.v.echostand(), Stand::Vorhanden);
        QCOMPARE(Echoablage::lesen(QStringLiteral("/dev/ttyUSB7")), modem ? Stand::Fehlt : Stand::Vorhanden);
        QFile::remove(Echoablage::datei());
    }
};

PORTAVO_TESTKLASSE(TestEcho)
#include "tst_echo.moc"
