// Start-up's settings and port handling, the port selection logic and the
// password box rules, without windows.

#include "link/FakePort.h"
#include "shell/Einstellungsdatei.h"
#include "shell/Passworteingabe.h"
#include "shell/Pfade.h"
#include "shell/Programmstart.h"
#include "shell/Schnittstellenwahl.h"
#include "shell/Zustand.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QtTest>

namespace {
// Opening fails per device as the table says.
class GeraetePort : public FakePort {
public:
    QMap<QString, Oeffnungsfehler> fehler;
    bool open() override
    {
        setOpenFailure(fehler.value(device(), Oeffnungsfehler::Keiner));
        return FakePort::open();
    }
};

QByteArray lies(const QString &pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void schreib(const QString &pfad, const QByteArray &inhalt)
{
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(inhalt);
}

QString geraet(int n) { return QStringLiteral("/dev/test%1").arg(n); }
}  // namespace

class TestStart : public QObject {
    Q_OBJECT

    void portkarte()
    {
        QByteArray k;
        for (int n = 1; n <= 16; ++n)
            k += geraet(n).toUtf8() + "\r\n";
        schreib(Pfade::portsDatei(), k);
    }

private slots:
    void init()
    {
        QVERIFY(!qEnvironmentVariableIsEmpty("PORTAVO_HOME"));
        QFile::remove(Pfade::einstellungsdatei());
        QFile::remove(Pfade::orteDatei());
        portkarte();
    }

    void einstellungenOeffnenDenPortDerKarte()
    {
        schreib(Pfade::einstellungsdatei(), "9600,n,8,1\r\n 3 \r\n1\r\n0049\r\n2000\r\n");
        Zustand z;
        GeraetePort port;
        const auto s = Programmstart::einstellungenUndPort(z, port, Pfade::einstellungsdatei());
        QVERIFY(s.offen);
        QVERIFY(!s.standardGeschrieben);
        QCOMPARE(port.device(), geraet(3));
        QCOMPARE(port.settings(), QStringLiteral("9600,n,8,1"));
        QCOMPARE(int(z.Portnummer), 3);
        QCOMPARE(int(z.Sprache), 2000);
        QCOMPARE(z.ModemText2, QStringLiteral("0049"));
        QVERIFY(!port.dtr());
        QVERIFY(!port.rts());
    }

    void fehlendeDateiUndToterPortFuehrenZuStandard_data()
    {
        QTest::addColumn<QByteArray>("datei");
        QTest::newRow("keine Datei") << QByteArray();
        QTest::newRow("vier Zeilen") << QByteArray("19200,n,8,1\r\n 2 \r\n0\r\n\r\n");
        QTest::newRow("Port 2 belegt") << QByteArray("19200,n,8,1\r\n 2 \r\n1\r\n77\r\n1000\r\n");
        QTest::newRow("unlesbare Leitung") << QByteArray("schnell\r\n 2 \r\n1\r\n77\r\n1000\r\n");
    }
    void fehlendeDateiUndToterPortFuehrenZuStandard()
    {
        QFETCH(QByteArray, datei);
        if (!datei.isEmpty())
            schreib(Pfade::einstellungsdatei(), datei);
        Zustand z;
        GeraetePort port;
        port.fehler[geraet(2)] = Port::Oeffnungsfehler::Belegt;
        const auto s = Programmstart::einstellungenUndPort(z, port, Pfade::einstellungsdatei());
        QVERIFY(s.offen);
        QVERIFY(s.standardGeschrieben);
        QCOMPARE(port.device(), geraet(1));
        QCOMPARE(port.settings(), QStringLiteral("19200,n,8,1"));
        QCOMPARE(int(z.Portnummer), 1);
        QCOMPARE(int(z.Sprache), 0);
        QCOMPARE(z.ModemText1, QStringLiteral("0"));
        QCOMPARE(z.ModemText2, QString());
        QCOMPARE(lies(Pfade::einstellungsdatei()), QByteArray("19200,n,8,1\r\n1\r\n0\r\n\r\n0\r\n"));
    }

    void auchPortEinsTot()
    {
        Zustand z;
        GeraetePort port;
        port.fehler[geraet(1)] = Port::Oeffnungsfehler::KeineBerechtigung;
        const auto s = Programmstart::einstellungenUndPort(z, port, Pfade::einstellungsdatei());
        QVERIFY(!s.offen);
        QCOMPARE(s.fehler, Port::Oeffnungsfehler::KeineBerechtigung);
        QCOMPARE(port.openCount(), 0);
        const QString hinweis = Programmstart::berechtigungshinweis(1000, geraet(1));
        QVERIFY(hinweis.contains(geraet(1)));
        QVERIFY(hinweis.contains(QStringLiteral("dialout")));
    }

    void rs485Intervalle()
    {
        Zustand z;
        QCOMPARE(z.Timerintervall[4], 2000);
        QCOMPARE(z.Timerintervall[5], 10);
        z.Modembetrieb = 1;
        Programmstart::rs485Betrieb(z);
        QCOMPARE(int(z.Modembetrieb), 0);
        QCOMPARE(z.Timerintervall[1], 100);
        QCOMPARE(z.Timerintervall[2], 200);
        QCOMPARE(z.Timerintervall[3], 100);
        QCOMPARE(z.Timerintervall[4], 2500);
        QCOMPARE(z.Timerintervall[5], 100);
    }

    // --- port selection ---

    void listeUndOrte()
    {
        QByteArray orte;
        for (int n = 1; n <= 20; ++n)
            orte += "Ort " + QByteArray::number(n) + "\r\n";
        orte.replace("Ort 6\r\n", "Halle NC\r\n");
        schreib(Pfade::orteDatei(), orte);

        Zustand z;
        GeraetePort port;
        port.fehler[geraet(2)] = Port::Oeffnungsfehler::Belegt;
        port.fehler[geraet(3)] = Port::Oeffnungsfehler::GibtEsNicht;
        port.fehler[geraet(4)] = Port::Oeffnungsfehler::KeineBerechtigung;
        port.fehler[geraet(5)] = Port::Oeffnungsfehler::Sonstiger;
        int nummer = 2;
        port.setDevice(geraet(2));
        Schnittstellenwahl w(z, port, nummer);
        QCOMPARE(w.laden(), 1);
        QVERIFY(!port.isOpen());
        QCOMPARE(port.device(), geraet(2));
        const auto &e = w.eintraege();
        QCOMPARE(e.size(), 16);
        QCOMPARE(e.at(0).text, QStringLiteral("COM 1  ( Ort 1 )"));
        QCOMPARE(e.at(1).text, QStringLiteral("COM 2 OCCUPIED  ( Ort 2 )"));
        QCOMPARE(e.at(2).text, QStringLiteral("COM 3 NC  ( Ort 3 )"));
        QCOMPARE(e.at(3).text, QStringLiteral("COM 4 NC  ( Ort 4 )"));
        QCOMPARE(e.at(4).text, QStringLiteral("COM 5 NC  ( Ort 5 )"));
        QCOMPARE(e.at(11).text, QStringLiteral("COM 12  ( Ort 12 )"));
        QCOMPARE(e.at(11).geraet, geraet(12));
        QCOMPARE(w.ortText(), QStringLiteral("Ort 2"));
        QVERIFY(w.hinweis(3).contains(QStringLiteral("dialout")));
        QVERIFY(w.hinweis(2).isEmpty());

        // Port 12: characters 5 and 6 are "12".
        QCOMPARE(Schnittstellenwahl::nummer(e.at(11).text), 12);
        QCOMPARE(Schnittstellenwahl::nummer(e.at(0).text), 1);
        QCOMPARE(w.waehle(11, QStringLiteral("Ort 2")), QStringLiteral("Ort 12"));
        QCOMPARE(nummer, 12);
        QCOMPARE(int(z.Portnummer), 12);
        QCOMPARE(port.device(), geraet(12));

        // An NC entry keeps the port but takes the typed name.
        QCOMPARE(w.waehle(2, QStringLiteral("Werk 12")), QStringLiteral("Ort 3"));
        QCOMPARE(nummer, 12);
        // A name with "NC" makes its entry unusable.
        QVERIFY(!Schnittstellenwahl::nutzbar(e.at(5).text));
        w.waehle(5, QStringLiteral("Keller"));
        QCOMPARE(nummer, 12);
        // Names stay with their port.
        QCOMPARE(w.waehle(11, QStringLiteral("Halle NC")), QStringLiteral("Werk 12"));

        QString fehler;
        QVERIFY(w.ok(11, &fehler));
        QVERIFY(port.isOpen());
        QCOMPARE(port.device(), geraet(12));
        QCOMPARE(lies(Pfade::einstellungsdatei()).split('\n').at(1), QByteArray(" 12 \r"));
        const QList<QByteArray> zeilen = lies(Pfade::orteDatei()).split('\n');
        QCOMPARE(zeilen.size(), 17);  // 16 lines; lines 17..20 are gone
        QCOMPARE(zeilen.at(2), QByteArray("Keller\r"));
        QCOMPARE(zeilen.at(11), QByteArray("Werk 12\r"));
    }

    void ohneOrteDateiUndBelegterPortBeiOk()
    {
        Zustand z;
        GeraetePort port;
        port.fehler[geraet(2)] = Port::Oeffnungsfehler::Belegt;
        int nummer = 1;
        Schnittstellenwahl w(z, port, nummer);
        w.laden();
        QVERIFY(QFile::exists(Pfade::orteDatei()));
        QCOMPARE(lies(Pfade::orteDatei()), QByteArray());
        QCOMPARE(w.eintraege().at(0).text, QStringLiteral("COM 1  ( ------- )"));
        w.waehle(1, w.ortText());
        QCOMPARE(nummer, 2);
        QString fehler;
        QVERIFY(!w.ok(1, &fehler));
        QVERIFY(fehler.contains(geraet(2)));
        QVERIFY(!port.isOpen());
        QVERIFY(!QFile::exists(Pfade::einstellungsdatei()));
        QCOMPARE(lies(Pfade::orteDatei()), QByteArray());
        // Back to port 1 and OK: 16 lines of "-------".
        w.waehle(0, w.ortText());
        QVERIFY(w.ok(0, &fehler));
        QCOMPARE(lies(Pfade::orteDatei()), QByteArray("-------\r\n").repeated(16));
    }

    // --- password box ---

    void passwortNormal()
    {
        Zustand z;
        Passworteingabe p;
        QCOMPARE(p.taste(QLatin1Char('a'), QString(), z), Passworteingabe::Taste::Verschluckt);
        QCOMPARE(p.taste(QLatin1Char('1'), QString(), z), Passworteingabe::Taste::Weiter);
        QCOMPARE(p.taste(QLatin1Char('X'), QStringLiteral("12"), z), Passworteingabe::Taste::Verschluckt);
        QCOMPARE(p.modus(), int(Passworteingabe::Normal));
        QCOMPARE(p.taste(QChar(13), QStringLiteral("12345"), z), Passworteingabe::Taste::Ok);
        QCOMPARE(z.Passwort, QByteArray("12345"));
        QCOMPARE(p.ok(QStringLiteral("12345"), z), Passworteingabe::Ergebnis::ZuKurz);
        QCOMPARE(int(z.PasswortOK), 0);
        QCOMPARE(p.ok(QStringLiteral("123456"), z), Passworteingabe::Ergebnis::Angenommen);
        QCOMPARE(int(z.PasswortOK), 1);
        QCOMPARE(z.Passwort, QByteArray("0\x21\x43\x65"));
        QCOMPARE(p.ok(QStringLiteral("907132"), z), Passworteingabe::Ergebnis::Angenommen);
        QCOMPARE(z.Passwort, QByteArray("0\x09\x17\x23"));
    }

    void passwortFrei()
    {
        Zustand z;
        Passworteingabe p;
        QCOMPARE(p.taste(QLatin1Char('X'), QStringLiteral("7"), z), Passworteingabe::Taste::Verschluckt);
        QCOMPARE(p.modus(), int(Passworteingabe::Frei));
        QCOMPARE(p.hoechstlaenge(), 8);
        QCOMPARE(p.taste(QLatin1Char('q'), QStringLiteral("7"), z), Passworteingabe::Taste::Weiter);
        QCOMPARE(p.taste(QChar(13), QStringLiteral("7q"), z), Passworteingabe::Taste::Weiter);
        QCOMPARE(p.ok(QStringLiteral("abJ"), z), Passworteingabe::Ergebnis::Angenommen);
        QCOMPARE(z.Passwort, QByteArray("XabJ"));
        QCOMPARE(int(z.PasswortOK), 1);
    }
};

QTEST_GUILESS_MAIN(TestStart)
#include "tst_start.moc"
