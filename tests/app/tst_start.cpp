// Start-up's settings and port handling, the port selection logic and the
// password box rules, without windows.

#include "support/Testlauf.h"
#include "support/Testhilfe.h"
#include "link/Passworteingabe.h"
#include "base/Pfade.h"
#include "link/Schnittstellenwahl.h"
#include "support/Datentabelle.h"

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
        // werte: Portnummer, Sprache, ModemText1, ModemText2, line settings; port: the one opened, 0 none
        spalten<QByteArray, bool, int, QStringList, bool>("datei", "ohneEins", "port", "werte", "beschaedigt");
        const QByteArray gut("9600,n,8,1\r\n 3 \r\n1\r\n0049\r\n2000\r\n");
        const QByteArray belegt("19200,n,8,1\r\n 2 \r\n1\r\n77\r\n1000\r\n");
        const QStringList ohne{"1", "0", "0", "", "19200,n,8,1"};
        QTest::newRow("Datei gilt") << gut << false << 3 << QStringList{"3", "2000", "1", "0049", "9600,n,8,1"} << false;
        QTest::newRow("keine Datei") << QByteArray() << false << 1 << ohne << false;
        QTest::newRow("Port 0") << QByteArray("19200,n,8,1\r\n0\r\n1\r\n77\r\n3000\r\n") << false << 1
                                << QStringList{"1", "3000", "1", "77", "19200,n,8,1"} << true;
        // A busy port: port 1 for this run; the file keeps port 2, the language and the modem lines.
        QTest::newRow("Port 2 belegt") << belegt << false << 1 << QStringList{"1", "1000", "1", "77", "19200,n,8,1"} << false;
        QTest::newRow("Port 2 belegt, 1 gesperrt") << belegt << true << 0 << QStringList{"2", "1000", "1", "77", "19200,n,8,1"} << false;
        QTest::newRow("kein Port") << QByteArray() << true << 0 << ohne << false;
    }
    void einstellungenUndPort()
    {
        const auto [datei, ohneEins, port, erwartet, beschaedigt] =
            werte<QByteArray, bool, int, QStringList, bool>("datei", "ohneEins", "port", "werte", "beschaedigt");
        if (!datei.isEmpty())
            QVERIFY(schreib(Pfade::einstellungsdatei(), datei));
        Zustand z;
        GeraetePort p;
        p.fehler[geraet(2)] = Port::Oeffnungsfehler::Belegt;
        if (ohneEins)
            p.fehler[geraet(1)] = Port::Oeffnungsfehler::KeineBerechtigung;
        const auto s = Programmstart::einstellungenUndPort(z, p, Pfade::einstellungsdatei());
        QCOMPARE(lies(Pfade::einstellungsdatei()), datei.isEmpty() ? QByteArray("19200,n,8,1\r\n1\r\n0\r\n\r\n0\r\n") : datei);
        QVERIFY(s.standardGeschrieben == datei.isEmpty() && s.dateiBeschaedigt == beschaedigt);
        QCOMPARE((QStringList{QString::number(z.einstellungen.portnummer), QString::number(z.sprache.versatz),
                              z.einstellungen.modemText1, z.einstellungen.modemText2, p.settings()}),
                 erwartet);
        QVERIFY(s.offen == (port != 0) && p.isOpen() == (port != 0));
        // Without a port, the port of the file is named, and it stays set.
        const int gewuenscht = port ? port : erwartet.at(0).toInt();
        QCOMPARE(p.device() + s.geraet, geraet(gewuenscht) + geraet(gewuenscht));
        using F = Port::Oeffnungsfehler;
        QCOMPARE(s.fehler, port ? F::Keiner : gewuenscht == 2 ? F::Belegt : F::KeineBerechtigung);
        QVERIFY(!port || (!p.dtr() && !p.rts()));
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
        port.fehler = {{geraet(2), F::Belegt}, {geraet(3), F::GibtEsNicht}, {geraet(4), F::KeineBerechtigung}, {geraet(5), F::Sonstiger}};
        int nummer = 2;
        port.setDevice(geraet(2));
        Schnittstellenwahl w(z, port, nummer);
        QCOMPARE(w.laden(), 1);
        QVERIFY(!port.isOpen());
        QStringList texte;
        for (const auto &e : w.eintraege())
            texte << e.text;
        QCOMPARE(texte.size(), 16);
        // Busy; missing, no permission, any other failure: NC.
        QCOMPARE(texte.mid(0, 5), (QStringList{"COM 1  ( Ort 1 )", "COM 2 OCCUPIED  ( Ort 2 )", "COM 3 NC  ( Ort 3 )",
                                               "COM 4 NC  ( Ort 4 )", "COM 5 NC  ( Ort 5 )"}));
        QCOMPARE(texte.at(11), QStringLiteral("COM 12  ( Ort 12 )"));
        QCOMPARE(w.ortText(), QStringLiteral("Ort 2"));
        QVERIFY(w.hinweis(3).contains(QStringLiteral("dialout")) && w.hinweis(2).isEmpty());

        // Port 12: characters 5 and 6 are "12".
        QCOMPARE(Schnittstellenwahl::nummer(texte.at(11)), 12);
        QCOMPARE(w.waehle(11, QStringLiteral("Ort 2")), QStringLiteral("Ort 12"));
        QCOMPARE(port.device(), geraet(12));
        // An NC entry, or one whose name holds "NC", keeps the port but takes the typed name.
        QCOMPARE(w.waehle(2, QStringLiteral("Werk 12")), QStringLiteral("Ort 3"));
        QVERIFY(!Schnittstellenwahl::nutzbar(texte.at(5)));
        w.waehle(5, QStringLiteral("Keller"));
        QVERIFY(nummer == 12 && z.einstellungen.portnummer == 12);
        QCOMPARE(w.waehle(11, QStringLiteral("Halle NC")), QStringLiteral("Werk 12"));  // names stay with their port

        QString fehler;
        QVERIFY(w.ok(11, &fehler) && port.isOpen());
        QCOMPARE(lies(Pfade::einstellungsdatei()).split('\n').at(1), QByteArray(" 12 \r"));
        const QList<QByteArray> zeilen = lies(Pfade::orteDatei()).split('\n');
        QCOMPARE(zeilen.size(), 17);  // 16 lines; lines 17..20 are gone
        QVERIFY(zeilen.at(2) == "Keller\r" && zeilen.at(11) == "Werk 12\r");
    }

    // Digits, letters swallowed and the length check are driven through the windows. "X" into a box of at
    // most one character: free entry of up to 8 characters.
    void freiesPasswort()
    {
        using T = Passworteingabe::Taste;
        Zustand z;
        Passworteingabe f;
        QCOMPARE(f.taste(QLatin1Char('X'), QStringLiteral("12"), z), T::Verschluckt);
        QCOMPARE(f.taste(QChar(13), QStringLiteral("12"), z), T::Ok);  // Return is OK, but not in free entry
        QCOMPARE(f.taste(QLatin1Char('X'), QStringLiteral("7"), z), T::Verschluckt);
        QCOMPARE(f.modus(), int(Passworteingabe::Frei));
        QCOMPARE(f.taste(QLatin1Char('q'), QStringLiteral("7"), z), T::Weiter);
        QCOMPARE(f.taste(QChar(13), QStringLiteral("7q"), z), T::Weiter);
        QCOMPARE(f.ok(QStringLiteral("abJ"), z), Passworteingabe::Ergebnis::Angenommen);
        QVERIFY(z.terminal.passwort == "XabJ" && z.terminal.passwortOK);
    }
};

PORTAVO_TESTKLASSE(TestStart)
#include "tst_start.moc"
