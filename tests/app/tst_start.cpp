// Start-up's settings and port handling, the port selection logic and the
// password box rules, without windows.

#include "support/Testlauf.h"
#include "support/Testhilfe.h"
#include "link/Passworteingabe.h"
#include "base/Pfade.h"
#include "link/Schnittstellenwahl.h"

namespace {
QString geraet(int n) { return QStringLiteral("/dev/test%1").arg(n); }
}  // namespace

class TestStart : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QFile::remove(Pfade::einstellungsdatei());
        QFile::remove(Pfade::orteDatei());
        QByteArray karte;
        for (int n = 1; n <= 16; ++n)
            karte += geraet(n).toUtf8() + "\r\n";
        QVERIFY(schreib(Pfade::portsDatei(), karte));
    }

    // Port 2 is busy. The file is written only when there is none; a file
    // that is there keeps every byte, whatever start-up makes of it.
    void einstellungenUndPort_data()
    {
        QTest::addColumn<QByteArray>("datei");     // empty: no file
        QTest::addColumn<bool>("ohneEins");        // port 1 may not be opened either
        QTest::addColumn<int>("port");             // the port opened, 0 none
        QTest::addColumn<QStringList>("werte");    // Portnummer, Sprache, ModemText1, ModemText2, line settings
        QTest::addColumn<bool>("beschaedigt");
        const QByteArray gut("9600,n,8,1\r\n 3 \r\n1\r\n0049\r\n2000\r\n");
        const QByteArray belegt("19200,n,8,1\r\n 2 \r\n1\r\n77\r\n1000\r\n");
        QTest::newRow("Datei gilt") << gut << false << 3 << QStringList{"3", "2000", "1", "0049", "9600,n,8,1"} << false;
        QTest::newRow("keine Datei") << QByteArray() << false << 1 << QStringList{"1", "0", "0", "", "19200,n,8,1"}
                                     << false;
        QTest::newRow("Port 0") << QByteArray("19200,n,8,1\r\n0\r\n1\r\n77\r\n3000\r\n") << false << 1
                                << QStringList{"1", "3000", "1", "77", "19200,n,8,1"} << true;
        // A busy port: port 1 for this run; the file keeps port 2, the language and the modem lines.
        QTest::newRow("Port 2 belegt") << belegt << false << 1 << QStringList{"1", "1000", "1", "77", "19200,n,8,1"}
                                       << false;
        QTest::newRow("Port 2 belegt, 1 gesperrt") << belegt << true << 0
                                                   << QStringList{"2", "1000", "1", "77", "19200,n,8,1"} << false;
        QTest::newRow("kein Port") << QByteArray() << true << 0 << QStringList{"1", "0", "0", "", "19200,n,8,1"}
                                   << false;
    }
    void einstellungenUndPort()
    {
        QFETCH(QByteArray, datei);
        QFETCH(bool, ohneEins);
        QFETCH(int, port);
        QFETCH(QStringList, werte);
        QFETCH(bool, beschaedigt);
        if (!datei.isEmpty())
            QVERIFY(schreib(Pfade::einstellungsdatei(), datei));
        Zustand z;
        GeraetePort p;
        p.fehler[geraet(2)] = Port::Oeffnungsfehler::Belegt;
        if (ohneEins)
            p.fehler[geraet(1)] = Port::Oeffnungsfehler::KeineBerechtigung;
        const auto s = Programmstart::einstellungenUndPort(z, p, Pfade::einstellungsdatei());
        const QByteArray standard("19200,n,8,1\r\n1\r\n0\r\n\r\n0\r\n");
        QCOMPARE(lies(Pfade::einstellungsdatei()), datei.isEmpty() ? standard : datei);
        QCOMPARE(s.standardGeschrieben, datei.isEmpty());
        QCOMPARE(s.dateiBeschaedigt, beschaedigt);
        QCOMPARE((QStringList{QString::number(z.einstellungen.portnummer), QString::number(z.sprache.versatz), z.einstellungen.modemText1, z.einstellungen.modemText2,
                              p.settings()}),
                 werte);
        QVERIFY(s.offen == (port != 0) && p.isOpen() == (port != 0));
        if (!port) {
            // The port of the file is named, and it stays set.
            const int gewuenscht = werte.at(0).toInt();
            QCOMPARE(p.device() + s.geraet, geraet(gewuenscht) + geraet(gewuenscht));
            QCOMPARE(s.fehler, gewuenscht == 2 ? Port::Oeffnungsfehler::Belegt : Port::Oeffnungsfehler::KeineBerechtigung);
            return;
        }
        QCOMPARE(p.device() + s.geraet, geraet(port) + geraet(port));
        QCOMPARE(s.fehler, Port::Oeffnungsfehler::Keiner);
        QVERIFY(!p.dtr() && !p.rts());
    }

    void listeUndOrte()
    {
        QByteArray orte;
        for (int n = 1; n <= 20; ++n)
            orte += (n == 6 ? QByteArray("Halle NC") : "Ort " + QByteArray::number(n)) + "\r\n";
        QVERIFY(schreib(Pfade::orteDatei(), orte));
        Zustand z;
        GeraetePort port;
        using F = Port::Oeffnungsfehler;
        port.fehler = {{geraet(2), F::Belegt}, {geraet(3), F::GibtEsNicht}, {geraet(4), F::KeineBerechtigung},
                       {geraet(5), F::Sonstiger}};
        int nummer = 2;
        port.setDevice(geraet(2));
        Schnittstellenwahl w(z, port, nummer);
        QCOMPARE(w.laden(), 1);
        QVERIFY(!port.isOpen());
        const auto &e = w.eintraege();
        QCOMPARE(e.size(), 16);
        QCOMPARE(e.at(0).text, QStringLiteral("COM 1  ( Ort 1 )"));
        QCOMPARE(e.at(1).text, QStringLiteral("COM 2 OCCUPIED  ( Ort 2 )"));
        for (int n = 3; n <= 5; ++n)  // missing, no permission, any other failure
            QCOMPARE(e.at(n - 1).text, QStringLiteral("COM %1 NC  ( Ort %1 )").arg(n));
        QCOMPARE(e.at(11).text, QStringLiteral("COM 12  ( Ort 12 )"));
        QCOMPARE(w.ortText(), QStringLiteral("Ort 2"));
        QVERIFY(w.hinweis(3).contains(QStringLiteral("dialout")));
        QVERIFY(w.hinweis(2).isEmpty());

        // Port 12: characters 5 and 6 are "12".
        QCOMPARE(Schnittstellenwahl::nummer(e.at(11).text), 12);
        QCOMPARE(w.waehle(11, QStringLiteral("Ort 2")), QStringLiteral("Ort 12"));
        QCOMPARE(port.device(), geraet(12));
        // An NC entry, or one whose name holds "NC", keeps the port but takes the typed name.
        QCOMPARE(w.waehle(2, QStringLiteral("Werk 12")), QStringLiteral("Ort 3"));
        QVERIFY(!Schnittstellenwahl::nutzbar(e.at(5).text));
        w.waehle(5, QStringLiteral("Keller"));
        QCOMPARE(nummer, 12);
        QCOMPARE(int(z.einstellungen.portnummer), 12);
        // Names stay with their port.
        QCOMPARE(w.waehle(11, QStringLiteral("Halle NC")), QStringLiteral("Werk 12"));

        QString fehler;
        QVERIFY(w.ok(11, &fehler));
        QVERIFY(port.isOpen());
        QCOMPARE(lies(Pfade::einstellungsdatei()).split('\n').at(1), QByteArray(" 12 \r"));
        const QList<QByteArray> zeilen = lies(Pfade::orteDatei()).split('\n');
        QCOMPARE(zeilen.size(), 17);  // 16 lines; lines 17..20 are gone
        QCOMPARE(zeilen.at(2), QByteArray("Keller\r"));
        QCOMPARE(zeilen.at(11), QByteArray("Werk 12\r"));
    }

    void passwortbox()
    {
        using T = Passworteingabe::Taste;
        Zustand z;
        Passworteingabe p;
        QCOMPARE(p.taste(QLatin1Char('a'), QString(), z), T::Verschluckt);
        QCOMPARE(p.taste(QLatin1Char('1'), QString(), z), T::Weiter);
        QCOMPARE(p.taste(QLatin1Char('X'), QStringLiteral("12"), z), T::Verschluckt);
        QCOMPARE(p.taste(QChar(13), QStringLiteral("12345"), z), T::Ok);
        QCOMPARE(z.terminal.passwort, QByteArray("12345"));
        QCOMPARE(p.ok(QStringLiteral("12345"), z), Passworteingabe::Ergebnis::ZuKurz);
        QCOMPARE(z.terminal.passwortOK, false);
        QCOMPARE(p.ok(QStringLiteral("907132"), z), Passworteingabe::Ergebnis::Angenommen);
        QCOMPARE(z.terminal.passwortOK, true);
        QCOMPARE(z.terminal.passwort, QByteArray("0\x09\x17\x23"));

        // "X" into a box of at most one character: free entry of up to 8 characters.
        Zustand frei;
        Passworteingabe f;
        QCOMPARE(f.taste(QLatin1Char('X'), QStringLiteral("7"), frei), T::Verschluckt);
        QCOMPARE(f.modus(), int(Passworteingabe::Frei));
        QCOMPARE(f.taste(QLatin1Char('q'), QStringLiteral("7"), frei), T::Weiter);
        QCOMPARE(f.taste(QChar(13), QStringLiteral("7q"), frei), T::Weiter);
        QCOMPARE(f.ok(QStringLiteral("abJ"), frei), Passworteingabe::Ergebnis::Angenommen);
        QCOMPARE(frei.terminal.passwort, QByteArray("XabJ"));
        QCOMPARE(frei.terminal.passwortOK, true);
    }
};

PORTAVO_TESTKLASSE(TestStart)
#include "tst_start.moc"
