// The modem window and its settings dialog on FakePort, and the modem start from the start window.

#include "support/Testlauf.h"
#include "Hauptfensteraufbau.h"
#include "support/Datentabelle.h"
#include "support/Testhilfe.h"
#include "app/Modemanschlussdialog.h"
#include "app/Modemfenster.h"
#include "app/Schreibpanel.h"
#include "base/Pfade.h"
#include "link/SerialPort.h"
#include "modem/Auflegen.h"
#include "modem/Modemeinstellungen.h"

#include <QSignalSpy>
#include <QtWidgets>

namespace {
QString geraet(int n) { return QStringLiteral("/dev/modemtest%1").arg(n); }

struct Modemaufbau {
    Zustand z;
    GeraetePort port;
    Verbindung v{z};
    MeldungAufnahme meldung;
    std::unique_ptr<Modemfenster> f;

    Modemaufbau()
    {
        Texttabelle::ladeTexte(z, 101, 389);
        Programmstart::modemBetrieb(z);
        f = std::make_unique<Modemfenster>(z, v, meldung, &port);
        f->auflegen().setSchutzzeit(10);
        f->auflegen().setDtrzeit(1);
        f->show();
    }
    QString terminal() { return kind<QPlainTextEdit>(f.get(), "txtTerm")->toPlainText(); }
    QAction *aktion(const char *name) { return kind<QAction>(f.get(), name); }
    void waehle(const QString &nummer)
    {
        f->setNummernabfrage([nummer] { return nummer; });
        aktion("mnuDial")->trigger();
    }
};

// The settings dialog on port, for the numbers and the echo below.
struct Einstelldialog {
    int nummer = 2;
    bool echo = false;
    MeldungAufnahme m;
    Modemanschlussdialog d;
    Einstelldialog(Port &port, int sprache = 0, QAction *offen = nullptr) : d(port, nummer, echo, m, offen)
    {
        d.setSprache(sprache);
        d.show();
    }
    void ok() { kind<QPushButton>(&d, "cmdOK")->click(); }
    QComboBox *combo(const char *name) { return kind<QComboBox>(&d, name); }
};
}  // namespace

class TestModemfenster : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QFile::remove(Modemeinstellungen::datei());
        QByteArray karte;
        for (int n = 1; n <= 16; ++n)
            karte += geraet(n).toUtf8() + "\r\n";
        QVERIFY(schreib(Pfade::portsDatei(), karte));
    }

    // Without stored settings: port 2 of the map, opened, DTR on; stored ones are taken (with the echo on, a key
    // goes to the modem and into the box; with the port closed into the box only); refused ones stop loading
    // with a message.
    void ladenDerEinstellungen()
    {
        {
            Modemaufbau a;
            QCOMPARE(a.port.device(), geraet(Modemfenster::Standardport));
            QVERIFY(a.port.isOpen() && a.port.dtr() && a.v.modemPort() == &a.port);
            QVERIFY(a.aktion("mnuOpen")->isChecked() && a.aktion("mnuHangUp")->isEnabled());
        }
        QVERIFY(Modemeinstellungen::schreiben({"9600,e,7,1", "5", "2", "True"}));
        {
            Modemaufbau a;
            QCOMPARE(a.port.settings() + a.port.device(), "9600,e,7,1" + geraet(5));
            QVERIFY(a.port.handshake() == 2 && a.f->echo() && a.port.isOpen() && a.meldung.eintraege().isEmpty());
            auto *term = kind<QPlainTextEdit>(a.f.get(), "txtTerm");
            QTest::keyClick(term, Qt::Key_T);
            QTest::keyClick(term, Qt::Key_Return);
            QVERIFY(a.port.written() == "t\r\n" && a.terminal() == "t\n");
            a.aktion("mnuOpen")->trigger();
            QTest::keyClick(term, Qt::Key_X);
            QVERIFY(a.port.written() == "t\r\n" && a.terminal() == "t\nx");
        }
        QVERIFY(Modemeinstellungen::schreiben({"9600,n,4,1", "3", "0", "True"}));
        Modemaufbau a;
        QVERIFY(a.meldung.eintraege().size() == 1 && !a.port.isOpen() && !a.aktion("mnuOpen")->isChecked());
        QVERIFY(!a.aktion("mnuHangUp")->isEnabled() && !a.f->echo());  // loading stopped before the echo
    }

    // A closed port is opened for a number, not for a cancelled or refused
    // dial; the connection stands only after a dial.
    void waehlenUndVerbinden()
    {
        Modemaufbau a;
        QSignalSpy steht(a.f.get(), &Modemfenster::verbindungSteht);
        a.port.inject("CONNECT 9600\r\n");
        a.aktion("mnuOpen")->trigger();
        for (const char *nummer : {"", "47;H"})
            a.waehle(QLatin1String(nummer));
        QVERIFY(!a.port.isOpen());
        QCOMPARE(a.meldung.textnummern(), QList<int>{501});
        a.z.einstellungen.modemText1 = "1";
        a.z.einstellungen.modemText2 = "0";
        a.waehle(QStringLiteral("47"));
        QVERIFY(a.port.isOpen() && a.aktion("mnuHangUp")->isEnabled() && steht.isEmpty());  // an earlier CONNECT counts nothing
        a.port.inject("ATX3DT0,47\r\r\nCONNECT 9600\r\n");
        QCOMPARE(steht.count(), 1);
        QVERIFY(a.terminal().startsWith(QStringLiteral("Modemverbindung    OK")));
    }

    // Hang-up from the menu, or a vanished device: the port closes and dialling is possible again.
    void verbindungEndet()
    {
        Modemaufbau a;
        QSignalSpy aufgelegt(a.f.get(), &Modemfenster::aufgelegt);
        a.port.inject("\r\nCONNECT\r\n");
        a.aktion("mnuHangUp")->trigger();
        QVERIFY(!a.aktion("mnuDial")->isEnabled() && aufgelegt.wait());
        QVERIFY(!a.port.isOpen() && !a.aktion("mnuOpen")->isChecked() && !a.aktion("mnuHangUp")->isEnabled());
        QVERIFY(a.aktion("mnuDial")->isEnabled());

        Modemaufbau b;
        b.port.inject("\r\nCONNECT\r\n");
        b.port.loseDevice();
        QVERIFY(!b.z.sitzung.modemVerbunden && !b.aktion("mnuOpen")->isChecked() && !b.aktion("mnuHangUp")->isEnabled());
        QCOMPARE(b.meldung.textnummern(), QList<int>{633});
    }

    // Nothing back after a dial: no modem on that port. One byte (the modem's echo) shows one.
    void waehlenOhneModem()
    {
        Modemaufbau a;
        a.f->setLebenszeichenfrist(20);
        a.waehle(QStringLiteral("47"));
        QTRY_COMPARE(a.meldung.textnummern(), QList<int>{632});
        QVERIFY(a.meldung.eintraege().at(0).text.contains(geraet(Modemfenster::Standardport)));
        auto *frist = kind<QTimer>(a.f.get(), "TimerLebenszeichen");
        a.waehle(QStringLiteral("47"));
        QVERIFY(frist->isActive());
        a.port.inject("A");  // the modem's echo
        QVERIFY(!frist->isActive());
    }

    // Output that does not leave: closing asks (Abort, Retry, Ignore) and never blocks.
    void schliessenWartetAufAusgabe()
    {
        Modemaufbau a;
        a.f->setAbflussgrenze(50);
        QSignalSpy beendet(a.f.get(), &Modemfenster::beendet);
        a.port.setHoldOutput(true);
        a.port.write("haengt");
        a.meldung.antworte(Meldung::Abbruch);
        a.f->close();
        QTRY_COMPARE(a.meldung.textnummern(), QList<int>{235});
        QVERIFY(a.f->isVisible() && a.port.isOpen());  // abort: all stays
        a.meldung.antworte(Meldung::Wiederholen);
        a.f->close();
        QTRY_COMPARE(a.meldung.eintraege().size(), 2);
        a.port.sent(6);  // the output leaves meanwhile: the window closes
        QTRY_VERIFY(!a.f->isVisible());
        QVERIFY(beendet.count() == 1 && !a.port.isOpen());

        Modemaufbau b;
        b.f->setAbflussgrenze(50);
        b.port.setHoldOutput(true);
        b.port.write("haengt");
        b.port.inject("\r\nCONNECT\r\n");
        b.meldung.antworte(Meldung::Ignorieren);
        b.f->close();
        QTRY_VERIFY(!b.f->isVisible());
        QVERIFY(!b.port.isOpen() && !b.z.sitzung.modemVerbunden);
    }

    // The dialog shows the port as it is and offers only the handshakes the port can use; OK takes and
    // stores what was chosen.
    void einstellungenOkUebernimmtUndSpeichert()
    {
        Modemaufbau a;
        QVERIFY(a.port.setSettings(QStringLiteral("38400,o,8,1.5")));
        a.port.setHandshake(1);
        Einstelldialog e(a.port, 0, a.aktion("mnuOpen"));
        QStringList gezeigt;
        for (const char *name : {"cboSpeed", "cboParity", "cboDataBits", "cboStopBits", "cboPort"})
            gezeigt << e.combo(name)->currentText();
        gezeigt << QString::number(e.d.handshakewahl());
        QCOMPARE(gezeigt, (QStringList{"38400", "Odd", "8", "1.5", "Com2  (" + geraet(2) + ")", "1"}));
        SerialPort seriell;
        Einstelldialog sd(seriell);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(kind(&sd.d, qPrintable(QStringLiteral("optFlow_%1").arg(i)))->isEnabled(), seriell.kannHandshake(i));

        e.combo("cboPort")->setCurrentIndex(2);
        e.combo("cboSpeed")->setEditText(QStringLiteral(" 9600 "));
        e.combo("cboParity")->setCurrentText(QStringLiteral("Even"));
        e.combo("cboDataBits")->setCurrentText(QStringLiteral("7"));
        e.combo("cboStopBits")->setCurrentText(QStringLiteral("2"));
        kind<QRadioButton>(&e.d, "optFlow_2")->click();
        kind<QRadioButton>(&e.d, "optEcho_1")->click();
        QVERIFY(!e.echo);  // only OK takes it
        const int oeffnungen = a.port.openCount();
        e.ok();
        QVERIFY(e.d.result() == QDialog::Accepted && e.nummer == 3 && e.echo);
        QCOMPARE(a.port.device() + a.port.settings(), geraet(3) + "9600,e,7,2");
        QCOMPARE(a.port.handshake(), 2);
        // The port was open: closed, switched, opened again, still checked.
        QVERIFY(a.port.isOpen() && a.port.openCount() == oeffnungen + 1 && a.aktion("mnuOpen")->isChecked());
        const Modemeinstellungen s = Modemeinstellungen::lesen();
        QCOMPARE((QStringList{s.Einstellungen, s.ComAnschluss, s.Handshaking, s.Echo}),
                 (QStringList{"9600,E,7,2", "3", "2", "True"}));
    }

    // Cancel, or settings refused: the dialog stays and says why in the chosen language (never the
    // serial layer's words); nothing is taken or stored.
    void einstellungenNichtUebernommen_data()
    {
        // fehler: of port 7, chosen in the dialog; meldung empty: Cancel
        spalten<int, QString, QString, int, int, QString>("fehler", "geschw", "daten", "fluss", "sprache", "meldung");
        using F = Port::Oeffnungsfehler;
        const int bleibt = -1;  // the port is not changed
        QTest::newRow("abgebrochen") << bleibt << "9600" << "7" << 1 << 0 << QString();
        QTest::newRow("Geschwindigkeit getippt") << bleibt << "96oo" << "8" << 0 << 0 << Texttabelle::text(500).arg("96oo,N,8,1");
        QTest::newRow("vom Adapter verweigert, englisch")
            << bleibt << "256000" << "8" << 0 << 1000 << Texttabelle::text(1500).arg("256000,N,8,1");
        QTest::newRow("Handshake verweigert, spanisch")
            << bleibt << "19200" << "8" << 3 << 3000 << Texttabelle::text(3636).arg("Xon/RTS");
        QTest::newRow("Port belegt") << int(F::Belegt) << "19200" << "8" << 0 << 0 << Texttabelle::text(561).arg(geraet(7));
        QTest::newRow("Port fehlt") << int(F::GibtEsNicht) << "19200" << "8" << 0 << 0
                                    << Texttabelle::text(634).arg(7).arg(geraet(7));
        QTest::newRow("keine Berechtigung") << int(F::KeineBerechtigung) << "19200" << "8" << 0 << 0
                                            << Programmstart::berechtigungshinweis(0, geraet(7));
    }
    void einstellungenNichtUebernommen()
    {
        const auto [fehler, geschw, daten, fluss, sprache, meldung] =
            werte<int, QString, QString, int, int, QString>("fehler", "geschw", "daten", "fluss", "sprache", "meldung");
        GeraetePort port;
        port.setDevice(geraet(2));
        port.open();
        port.refuseBaud(256000, QStringLiteral("Invalid baud rate"));
        port.refuseHandshake(3, QStringLiteral("no such flow control"));
        if (fehler >= 0)
            port.fehler[geraet(7)] = Port::Oeffnungsfehler(fehler);
        Einstelldialog e(port, sprache);
        e.combo("cboPort")->setCurrentIndex(fehler >= 0 || meldung.isEmpty() ? 6 : 1);
        e.combo("cboSpeed")->setEditText(geschw);
        e.combo("cboDataBits")->setCurrentText(daten);
        kind<QRadioButton>(&e.d, qPrintable(QStringLiteral("optFlow_%1").arg(fluss)))->click();
        if (meldung.isEmpty()) {
            kind<QRadioButton>(&e.d, "optEcho_1")->click();
            kind<QPushButton>(&e.d, "cmdCancel")->click();
        } else {
            e.ok();
        }
        QCOMPARE(e.d.isVisible(), !meldung.isEmpty());
        QCOMPARE(e.m.eintraege().size(), meldung.isEmpty() ? 0 : 1);
        QCOMPARE(e.m.eintraege().value(0).text, meldung);
        QVERIFY(e.nummer == 2 && !e.echo && port.device() == geraet(2) && port.isOpen() && port.handshake() == 0);
        QVERIFY(port.settings() == QStringLiteral("19200,n,8,1") || fluss == 3);  // the handshake comes last
        QVERIFY(!QFile::exists(Modemeinstellungen::datei()));
    }

    // Modem operation: PORTAVO and Trouble only while a connection stands.
    void modembetriebAusDemStartfenster()
    {
        QFile::remove(Pfade::einstellungsdatei());
        FakePort modemport;
        Hauptfensteraufbau<> w;
        w.f.setModemport(&modemport);
        w.starte();
        QVERIFY(mitModal(QStringLiteral("start2d"), [](QWidget *s) { kind<QPushButton>(s, "Command2")->click(); }));
        auto *modem = kind<QAction>(&w.f, "mnuModem");
        QAction *portavo = kind<QMenu>(&w.f, "mnuPortavo")->menuAction();
        QAction *trouble = kind<QAction>(&w.f, "mnuTrouble");
        QTRY_VERIFY(modem->isEnabled() && portavo->isEnabled() && !trouble->isEnabled());

        modem->trigger();
        Modemfenster *m = w.f.modemfenster();
        QVERIFY(m && m->isVisible());
        m->auflegen().setSchutzzeit(10);
        modemport.inject("\r\nCONNECT 9600\r\n");
        QVERIFY(!modem->isEnabled() && portavo->isEnabled() && trouble->isEnabled());

        kind<QAction>(m, "mnuHangUp")->trigger();
        QVERIFY(!trouble->isEnabled());
        QTRY_VERIFY(!portavo->isEnabled());
        QVERIFY(!modem->isEnabled());  // hang-up leaves Modem off while the window stays
        emit w.f.schreibPanel()->laeuftGeaendert(false);  // a write ending after the hang-up
        QVERIFY(!portavo->isEnabled() && !trouble->isEnabled());

        kind<QAction>(m, "mnuFileExit")->trigger();
        QTRY_VERIFY(!w.f.modemfenster());
        QVERIFY(modem->isEnabled() && !portavo->isEnabled());
    }
};

PORTAVO_TESTKLASSE(TestModemfenster)
#include "tst_modemfenster.moc"
