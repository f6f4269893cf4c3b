// The modem window frmmodem1 and its settings dialog frmeinst1 in offscreen
// windows on FakePort, and the modem start from the start window.

#include "support/Testlauf.h"

#include <QSignalSpy>
#include "support/Fensterhilfe.h"
#include "support/Testhilfe.h"
#include "app/frmeinst1.h"
#include "app/frmmodem1.h"
#include "app/portavo2D.h"
#include "app/start2d.h"
#include "base/Pfade.h"
#include "link/SerialPort.h"
#include "modem/Auflegen.h"
#include "modem/Modemeinstellungen.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {
QString geraet(int n) { return QStringLiteral("/dev/modemtest%1").arg(n); }

struct Modemaufbau {
    Zustand z;
    GeraetePort port;
    Verbindung v{z};
    MeldungAufnahme meldung;
    std::unique_ptr<frmmodem1> f;

    explicit Modemaufbau(bool zeigen = true)
    {
        Texttabelle::ladeTexte(z, 101, 389);
        Programmstart::modemBetrieb(z);
        f = std::make_unique<frmmodem1>(z, v, meldung, &port);
        f->auflegen().setSchutzzeit(10);
        f->auflegen().setDtrzeit(1);
        if (zeigen)
            f->show();
    }
    QString terminal() { return kind<QPlainTextEdit>(f.get(), "txtTerm")->toPlainText(); }
    QAction *aktion(const char *name) { return kind<QAction>(f.get(), name); }
};

void speichere(const QString &einst, const QString &com, const QString &hs, const QString &echo)
{
    Modemeinstellungen e{einst, com, hs, echo};
    QVERIFY(Modemeinstellungen::schreiben(e));
}
}  // namespace

class TestModemfenster : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(!qEnvironmentVariableIsEmpty("PORTAVO_HOME"));
        QFile::remove(Modemeinstellungen::datei());
        QFile::remove(Pfade::einstellungsdatei());
        QByteArray karte;
        for (int n = 1; n <= 16; ++n)
            karte += geraet(n).toUtf8() + "\r\n";
        QVERIFY(schreib(Pfade::portsDatei(), karte));
    }

    void steuerelementeUndTexte()
    {
        Modemaufbau a;
        for (const char *name : {"txtTerm", "Label1"})
            QVERIFY2(kind(a.f.get(), name), name);
        for (const char *name : {"Timer1", "Timer2"})
            QVERIFY2(kind<QTimer>(a.f.get(), name), name);
        QCOMPARE(kind<QTimer>(a.f.get(), "Timer1")->interval(), 1000);
        QCOMPARE(kind<QTimer>(a.f.get(), "Timer2")->interval(), 2000);
        QCOMPARE(a.f->windowTitle(), QStringLiteral("Modembetrieb"));
        const std::pair<const char *, const char *> menues[] = {
            {"mnuFile", "&Datei"}, {"mnuPort", "&Schnittstelle"}, {"mnuCall", "&Verbindung"}};
        for (const auto &[name, text] : menues)
            QCOMPARE(kind<QMenu>(a.f.get(), name)->title(), QString::fromUtf8(text));
        const std::pair<const char *, const char *> punkte[] = {{"mnuFileExit", "&Beenden"},
                                                                {"mnuOpen", "Anschluss \xc3\xb6&""ffnen"},
                                                                {"mnuproperties", "&Einstellungen"},
                                                                {"mnuDial", "Telefonnummer &w\xc3\xa4hlen"},
                                                                {"mnuHangUp", "Telefon &auflegen"}};
        for (const auto &[name, text] : punkte)
            QCOMPARE(a.aktion(name)->text(), QString::fromUtf8(text));
        // Without stored settings: port 2 of the map, opened, DTR on.
        QCOMPARE(a.port.device(), geraet(frmmodem1::Standardport));
        QVERIFY(a.port.isOpen());
        QVERIFY(a.port.dtr());
        QVERIFY(a.aktion("mnuOpen")->isChecked());
        QVERIFY(a.aktion("mnuHangUp")->isEnabled());
        QCOMPARE(a.v.modemPort(), &a.port);
        QCOMPARE(kind<QPlainTextEdit>(a.f.get(), "txtTerm")->palette().color(QPalette::Text), QColor(0, 0, 255));
        QTRY_COMPARE(kind<QLabel>(a.f.get(), "Label1")->text(), QStringLiteral(" 0"));
    }

    void ladenNimmtGespeicherteWerte()
    {
        speichere("9600,e,7,1", "5", "2", "True");
        Modemaufbau a;
        QCOMPARE(a.port.settings(), QStringLiteral("9600,e,7,1"));
        QCOMPARE(a.port.device(), geraet(5));
        QCOMPARE(a.port.handshake(), 2);
        QVERIFY(a.f->echo());
        QVERIFY(a.port.isOpen());
        QVERIFY(a.meldung.eintraege().isEmpty());
    }

    void ladenBrichtBeiVerweigertenWertenAb()
    {
        speichere("9600,n,4,1", "3", "0", "True");
        Modemaufbau a;
        QCOMPARE(a.meldung.eintraege().size(), 1);
        QCOMPARE(a.meldung.eintraege().at(0).symbol, Meldung::Symbol::Ausrufezeichen);
        QVERIFY(!a.port.isOpen());
        QVERIFY(!a.aktion("mnuOpen")->isChecked());
        QVERIFY(!a.aktion("mnuHangUp")->isEnabled());
        QVERIFY(!a.f->echo());  // loading stopped before the echo
    }

    void waehlenMitUndOhneAmtsholung()
    {
        Modemaufbau a;
        a.z.ModemText1 = "1";
        a.z.ModemText2 = "0";
        a.f->setNummernabfrage([] { return QStringLiteral("47"); });
        a.port.inject("alter Text");
        a.aktion("mnuDial")->trigger();
        QCOMPARE(a.port.written(), QByteArray("ATX3DT0,47\r\n"));
        QCOMPARE(a.port.written().size(), 12);
        QVERIFY(a.terminal().isEmpty());
        a.port.clearWrites();
        a.z.ModemText1 = "0";
        a.aktion("mnuDial")->trigger();
        QCOMPARE(a.port.written(), QByteArray("ATX3DT47\r\n"));

        // Cancel: nothing goes out; a closed port is opened only for a number.
        a.port.clearWrites();
        a.aktion("mnuOpen")->trigger();
        QVERIFY(!a.port.isOpen());
        a.f->setNummernabfrage([] { return QString(); });
        a.aktion("mnuDial")->trigger();
        QVERIFY(a.port.writes().isEmpty());
        QVERIFY(!a.port.isOpen());
        a.f->setNummernabfrage([] { return QStringLiteral("0711"); });
        a.aktion("mnuDial")->trigger();
        QVERIFY(a.port.isOpen());
        QCOMPARE(a.port.written(), QByteArray("ATX3DT0711\r\n"));
        QVERIFY(a.aktion("mnuHangUp")->isEnabled());
    }

    void waehlenVerweigertFremdeZeichen()
    {
        Modemaufbau a;
        a.f->setNummernabfrage([] { return QStringLiteral("47;H"); });
        a.aktion("mnuDial")->trigger();
        QVERIFY(a.port.writes().isEmpty());
        QCOMPARE(a.meldung.textnummern(), QList<int>{501});
        a.z.ModemText1 = "1";
        a.z.ModemText2 = "0\r";
        a.f->setNummernabfrage([] { return QStringLiteral("47"); });
        a.aktion("mnuDial")->trigger();
        QVERIFY(a.port.writes().isEmpty());
        QCOMPARE(a.meldung.textnummern(), (QList<int>{501, 502}));
    }

    void verbindungUndWeitergabe()
    {
        Modemaufbau a;
        QSignalSpy steht(a.f.get(), &frmmodem1::verbindungSteht);
        a.port.inject("CONNECT 9600\r\n");
        QCOMPARE(steht.count(), 0);
        a.f->setNummernabfrage([] { return QStringLiteral("47"); });
        a.aktion("mnuDial")->trigger();
        a.port.inject("ATX3DT47\r\r\nCONN");
        a.port.inject("ECT 9600\r\n");
        QCOMPARE(steht.count(), 1);
        QCOMPARE(a.z.Modemverbindung, qint16(1));
        QCOMPARE(a.f->windowTitle(), QStringLiteral("Modemverbindung OK"));
        QVERIFY(a.terminal().startsWith(QStringLiteral("Modemverbindung    OK")));
        a.v.ablage().leeren();
        a.port.inject("\x06\x02\x30");
        QCOMPARE(a.v.ablage().zahl(), 3);
    }

    void tastenGehenZumModem()
    {
        Modemaufbau a;
        auto *term = kind<QPlainTextEdit>(a.f.get(), "txtTerm");
        QTest::keyClick(term, Qt::Key_A);
        QTest::keyClick(term, Qt::Key_Return);
        QCOMPARE(a.port.written(), QByteArray("a\r\n"));
        QVERIFY(a.terminal().isEmpty());  // echo off: only the modem's answer shows
        a.port.inject("OK");
        QCOMPARE(a.terminal(), QStringLiteral("OK"));

        speichere("19200,n,8,1", "2", "0", "True");
        Modemaufbau b;
        auto *term2 = kind<QPlainTextEdit>(b.f.get(), "txtTerm");
        QTest::keyClick(term2, Qt::Key_T);
        QCOMPARE(b.port.written(), QByteArray("t"));
        QCOMPARE(b.terminal(), QStringLiteral("t"));
        // With the port closed a key only goes into the box.
        b.aktion("mnuOpen")->trigger();
        QTest::keyClick(term2, Qt::Key_X);
        QCOMPARE(b.terminal(), QStringLiteral("tx"));
        QCOMPARE(b.port.written(), QByteArray("t"));
    }

    void auflegenUeberDasMenue()
    {
        Modemaufbau a;
        QSignalSpy beginnt(a.f.get(), &frmmodem1::auflegenBeginnt);
        QSignalSpy aufgelegt(a.f.get(), &frmmodem1::aufgelegt);
        a.port.inject("\r\nCONNECT\r\n");
        a.aktion("mnuHangUp")->trigger();
        QCOMPARE(beginnt.count(), 1);
        QCOMPARE(a.z.Modemverbindung, qint16(0));
        QCOMPARE(a.f->windowTitle(), QStringLiteral("Modembetrieb"));
        QVERIFY(a.terminal().isEmpty());
        QVERIFY(!a.aktion("mnuDial")->isEnabled());
        QVERIFY(aufgelegt.wait(3000));
        QCOMPARE(a.port.written(), QByteArray("+++ATH\r"));
        QCOMPARE(a.port.writes().size(), 2);
        QVERIFY(!a.port.isOpen());
        QVERIFY(!a.aktion("mnuHangUp")->isEnabled());
        QVERIFY(a.aktion("mnuDial")->isEnabled());
        QVERIFY(!a.aktion("mnuOpen")->isChecked());
    }

    void fehlermeldungEinmalUndAbbrechenSchliesst()
    {
        Modemaufbau a;
        a.meldung.antworte(Meldung::Abbrechen);
        a.port.injectEvent(1009);
        QCOMPARE(a.meldung.eintraege().size(), 1);
        QCOMPARE(a.meldung.eintraege().at(0).titel, Texttabelle::text(243));
        QVERIFY(!a.port.isOpen());
        QVERIFY(!a.aktion("mnuOpen")->isChecked());
        QVERIFY(kind<QTimer>(a.f.get(), "Timer2")->isActive());
    }

    void geraetVerschwindet()
    {
        Modemaufbau a;
        a.port.inject("\r\nCONNECT\r\n");
        a.port.loseDevice();
        QCOMPARE(a.z.Modemverbindung, qint16(0));
        QVERIFY(!a.aktion("mnuOpen")->isChecked());
        QVERIFY(!a.aktion("mnuHangUp")->isEnabled());
        QCOMPARE(a.meldung.eintraege().size(), 1);
        QCOMPARE(a.meldung.eintraege().at(0).text, Texttabelle::text(633).arg(a.port.device()));
    }

    // Nothing comes back after a dial: no modem on that port, said after a
    // few seconds. A single byte (the modem's echo) is enough to show one.
    void waehlenOhneModem()
    {
        Modemaufbau a;
        a.f->setLebenszeichenfrist(20);
        a.f->setNummernabfrage([] { return QStringLiteral("47"); });
        a.aktion("mnuDial")->trigger();
        QTRY_COMPARE(a.meldung.textnummern(), QList<int>{632});
        QCOMPARE(a.meldung.eintraege().at(0).text, Texttabelle::text(632).arg(geraet(frmmodem1::Standardport)));
        auto *frist = kind<QTimer>(a.f.get(), "TimerLebenszeichen");
        QVERIFY(!frist->isActive());
        a.f->setLebenszeichenfrist(frmmodem1::Lebenszeichenfrist);
        a.aktion("mnuDial")->trigger();
        QVERIFY(frist->isActive());
        a.port.inject("A");
        QVERIFY(!frist->isActive());
    }

    // The window opens over the middle of the main window.
    void stehtUeberDemHauptfenster()
    {
        Zustand z;
        Texttabelle::ladeTexte(z, 101, 389);
        GeraetePort port;
        Verbindung v(z);
        MeldungAufnahme meldung;
        QWidget haupt;
        haupt.setGeometry(300, 200, 900, 700);
        haupt.show();
        QVERIFY(QTest::qWaitForWindowExposed(&haupt));
        frmmodem1 f(z, v, meldung, &port, &haupt);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QPoint abstand = f.frameGeometry().center() - haupt.frameGeometry().center();
        QVERIFY2(abstand.manhattanLength() <= 4, qPrintable(QStringLiteral("%1,%2").arg(abstand.x()).arg(abstand.y())));
    }

    void schliessenWartetAufAusgabe()
    {
        Modemaufbau a;
        a.f->setAbflussgrenze(100);
        QSignalSpy beendet(a.f.get(), &frmmodem1::beendet);
        a.port.setHoldOutput(true);
        a.port.write("haengt");
        a.meldung.antworte(Meldung::Abbruch);
        a.f->close();
        QTRY_COMPARE(a.meldung.eintraege().size(), 1);
        QCOMPARE(a.meldung.eintraege().at(0).textnummer, 235);
        QCOMPARE(a.meldung.eintraege().at(0).knoepfe, Meldung::Knoepfe::AbbrechenWiederholenIgnorieren);
        QCOMPARE(a.meldung.eintraege().at(0).symbol, Meldung::Symbol::Frage);
        // Abort: the window and the port stay open.
        QVERIFY(a.f->isVisible());
        QVERIFY(a.port.isOpen());
        QCOMPARE(beendet.count(), 0);

        // Retry waits again; the output leaves meanwhile and the window closes.
        a.meldung.antworte(Meldung::Wiederholen);
        a.f->close();
        QTRY_COMPARE(a.meldung.eintraege().size(), 2);
        QVERIFY(a.f->isVisible());
        a.port.sent(6);
        QTRY_VERIFY(!a.f->isVisible());
        QCOMPARE(beendet.count(), 1);
        QVERIFY(!a.port.isOpen());
    }

    void schliessenMitIgnorieren()
    {
        Modemaufbau a;
        a.f->setAbflussgrenze(50);
        a.port.setHoldOutput(true);
        a.port.write("haengt");
        a.port.inject("\r\nCONNECT\r\n");
        a.meldung.antworte(Meldung::Ignorieren);
        a.f->close();
        QTRY_VERIFY(!a.f->isVisible());
        QVERIFY(!a.port.isOpen());
        QCOMPARE(a.z.Modemverbindung, qint16(0));
    }

    void einstellungsdialogLiestDenPort_data()
    {
        QTest::addColumn<QString>("einstellung");
        QTest::addColumn<QString>("geschw");
        QTest::addColumn<QString>("paritaet");
        QTest::addColumn<QString>("daten");
        QTest::addColumn<QString>("stop");
        QTest::newRow("19200,n,8,1") << "19200,n,8,1" << "19200" << "None" << "8" << "1";
        QTest::newRow("9600,e,7,1.5") << "9600,e,7,1.5" << "9600" << "Even" << "7" << "1.5";
        QTest::newRow("115200,o,5,2") << "115200,o,5,2" << "115200" << "Odd" << "5" << "2";
    }
    void einstellungsdialogLiestDenPort()
    {
        QFETCH(QString, einstellung);
        FakePort port;
        QVERIFY(port.setSettings(einstellung));
        port.setHandshake(1);
        int nummer = 4;
        bool echo = true;
        MeldungAufnahme m;
        frmeinst1 d(port, nummer, echo, m);
        QCOMPARE(d.objectName(), QStringLiteral("frmeinst1"));
        QCOMPARE(d.windowTitle(), QStringLiteral("COM-Anschlu\u00df-Einstellungen"));
        QFETCH(QString, geschw);
        QFETCH(QString, paritaet);
        QFETCH(QString, daten);
        QFETCH(QString, stop);
        QCOMPARE(kind<QComboBox>(&d, "cboSpeed")->currentText(), geschw);
        QCOMPARE(kind<QComboBox>(&d, "cboParity")->currentText(), paritaet);
        QCOMPARE(kind<QComboBox>(&d, "cboDataBits")->currentText(), daten);
        QCOMPARE(kind<QComboBox>(&d, "cboStopBits")->currentText(), stop);
        // Each number with the device behind it.
        QCOMPARE(kind<QComboBox>(&d, "cboPort")->currentText(), QStringLiteral("Com4  (%1)").arg(geraet(4)));
        QCOMPARE(kind<QComboBox>(&d, "cboPort")->count(), 16);
        for (int n = 1; n <= 16; ++n)
            QCOMPARE(kind<QComboBox>(&d, "cboPort")->itemText(n - 1), QStringLiteral("Com%1  (%2)").arg(n).arg(geraet(n)));
        QCOMPARE(kind<QComboBox>(&d, "cboSpeed")->count(), 16);
        QCOMPARE(kind<QComboBox>(&d, "cboSpeed")->itemText(15), QStringLiteral("256000"));
        QCOMPARE(kind<QComboBox>(&d, "cboDataBits")->itemText(0), QStringLiteral("4"));
        QCOMPARE(kind<QComboBox>(&d, "cboParity")->itemText(4), QStringLiteral("Space"));
        QVERIFY(kind<QRadioButton>(&d, "optFlow_1")->isChecked());
        QVERIFY(kind<QRadioButton>(&d, "optEcho_1")->isChecked());
        QCOMPARE(d.handshakewahl(), 1);
        QVERIFY(d.echowahl());
        for (const char *name : {"tabSettings", "fraSettings", "Label1", "Frame1", "fraConnection", "Label3",
                                 "Label4", "Label5", "Frame5", "Frame7", "cmdOK", "cmdCancel"})
            QVERIFY2(kind(&d, name), name);
    }

    void einstellungenOkUebernimmtUndSpeichert()
    {
        Modemaufbau a;
        QVERIFY(a.port.isOpen());
        int nummer = 2;
        bool echo = false;
        frmeinst1 d(a.port, nummer, echo, a.meldung, a.aktion("mnuOpen"));
        d.show();
        kind<QComboBox>(&d, "cboPort")->setCurrentIndex(2);
        kind<QComboBox>(&d, "cboSpeed")->setEditText(QStringLiteral(" 9600 "));
        kind<QComboBox>(&d, "cboParity")->setCurrentText(QStringLiteral("Even"));
        kind<QComboBox>(&d, "cboDataBits")->setCurrentText(QStringLiteral("7"));
        kind<QComboBox>(&d, "cboStopBits")->setCurrentText(QStringLiteral("2"));
        kind<QRadioButton>(&d, "optFlow_2")->click();
        kind<QRadioButton>(&d, "optEcho_1")->click();
        QCOMPARE(d.handshakewahl(), 2);
        QVERIFY(d.echowahl());
        QVERIFY(!echo);  // only OK takes it
        const int oeffnungen = a.port.openCount();
        kind<QPushButton>(&d, "cmdOK")->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(a.meldung.eintraege().isEmpty());
        QCOMPARE(nummer, 3);
        QVERIFY(echo);
        QCOMPARE(a.port.device(), geraet(3));
        QCOMPARE(a.port.settings(), QStringLiteral("9600,e,7,2"));
        QCOMPARE(a.port.handshake(), 2);
        // The port was open: closed, switched, opened again, still checked.
        QVERIFY(a.port.isOpen());
        QCOMPARE(a.port.openCount(), oeffnungen + 1);
        QVERIFY(a.aktion("mnuOpen")->isChecked());
        const Modemeinstellungen e = Modemeinstellungen::lesen();
        QCOMPARE(e.Einstellungen, QStringLiteral("9600,E,7,2"));
        QCOMPARE(e.ComAnschluss, QStringLiteral("3"));
        QCOMPARE(e.Handshaking, QStringLiteral("2"));
        QCOMPARE(e.Echo, QStringLiteral("True"));
    }

    void einstellungenVerweigert_data()
    {
        QTest::addColumn<QString>("geschw");
        QTest::addColumn<QString>("daten");
        QTest::addColumn<int>("fluss");
        QTest::addColumn<int>("sprache");
        QTest::addColumn<QString>("meldung");
        // Every message in the chosen language, never the serial layer's own words.
        QTest::newRow("Geschwindigkeit getippt")
            << "96oo" << "8" << 0 << 0 << Texttabelle::text(500).arg("96oo,N,8,1");
        QTest::newRow("4 Datenbits") << "9600" << "4" << 0 << 0 << Texttabelle::text(500).arg("9600,N,4,1");
        QTest::newRow("vom Adapter verweigert")
            << "256000" << "8" << 0 << 0 << Texttabelle::text(500).arg("256000,N,8,1");
        QTest::newRow("vom Adapter verweigert, englisch")
            << "256000" << "8" << 0 << 1000 << Texttabelle::text(1500).arg("256000,N,8,1");
        QTest::newRow("Handshake verweigert") << "9600" << "8" << 3 << 0 << Texttabelle::text(636).arg("Xon/RTS");
        QTest::newRow("Handshake verweigert, spanisch")
            << "9600" << "8" << 3 << 3000 << Texttabelle::text(3636).arg("Xon/RTS");
    }
    void einstellungenVerweigert()
    {
        QFETCH(QString, geschw);
        QFETCH(QString, daten);
        QFETCH(int, fluss);
        QFETCH(int, sprache);
        QFETCH(QString, meldung);
        FakePort port;
        port.open();
        port.refuseBaud(256000, QStringLiteral("Invalid baud rate"));
        port.refuseHandshake(3, QStringLiteral("no such flow control"));
        int nummer = 2;
        bool echo = false;
        MeldungAufnahme m;
        frmeinst1 d(port, nummer, echo, m);
        d.setSprache(sprache);
        d.show();
        kind<QComboBox>(&d, "cboSpeed")->setEditText(geschw);
        kind<QComboBox>(&d, "cboDataBits")->setCurrentText(daten);
        kind<QRadioButton>(&d, QStringLiteral("optFlow_%1").arg(fluss).toLatin1().constData())->click();
        kind<QPushButton>(&d, "cmdOK")->click();
        QVERIFY(d.isVisible());
        QCOMPARE(d.result(), 0);
        QCOMPARE(m.eintraege().size(), 1);
        QCOMPARE(m.eintraege().at(0).symbol, Meldung::Symbol::Ausrufezeichen);
        QCOMPARE(m.eintraege().at(0).text, meldung);
        // The handshake comes after the settings string, which the port has taken by then.
        QCOMPARE(port.settings(), fluss == 3 ? QStringLiteral("9600,n,8,1") : QStringLiteral("19200,n,8,1"));
        QCOMPARE(port.handshake(), 0);
        QVERIFY(!QFile::exists(Modemeinstellungen::datei()));
    }

    void portwechselDerNichtOeffnetWirdZurueckgenommen_data()
    {
        QTest::addColumn<int>("fehler");
        QTest::addColumn<int>("sprache");
        QTest::addColumn<QString>("meldung");
        QTest::newRow("belegt") << int(Port::Oeffnungsfehler::Belegt) << 0 << Texttabelle::text(561).arg(geraet(7));
        QTest::newRow("gibt es nicht") << int(Port::Oeffnungsfehler::GibtEsNicht) << 0
                                       << Texttabelle::text(634).arg(7).arg(geraet(7));
        QTest::newRow("sonst, franzoesisch") << int(Port::Oeffnungsfehler::Sonstiger) << 2000
                                             << Texttabelle::text(2635).arg(7).arg(geraet(7));
        QTest::newRow("keine Berechtigung, englisch")
            << int(Port::Oeffnungsfehler::KeineBerechtigung) << 1000
            << Programmstart::berechtigungshinweis(1000, geraet(7));
    }
    void portwechselDerNichtOeffnetWirdZurueckgenommen()
    {
        QFETCH(int, fehler);
        QFETCH(int, sprache);
        QFETCH(QString, meldung);
        GeraetePort port;
        port.setDevice(geraet(2));
        port.open();
        port.fehler[geraet(7)] = Port::Oeffnungsfehler(fehler);
        int nummer = 2;
        bool echo = false;
        MeldungAufnahme m;
        frmeinst1 d(port, nummer, echo, m);
        d.setSprache(sprache);
        kind<QComboBox>(&d, "cboPort")->setCurrentIndex(6);
        kind<QPushButton>(&d, "cmdOK")->click();
        QCOMPARE(m.eintraege().size(), 1);
        QCOMPARE(m.eintraege().at(0).text, meldung);
        QCOMPARE(nummer, 2);
        QCOMPARE(port.device(), geraet(2));
        QVERIFY(port.isOpen());
        QVERIFY(!QFile::exists(Modemeinstellungen::datei()));
    }

    // Only the handshakes the port can use are offered.
    void handshakeNurWasDerPortKann()
    {
        SerialPort seriell;
        int nummer = 2;
        bool echo = false;
        MeldungAufnahme m;
        frmeinst1 d(seriell, nummer, echo, m);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(kind<QRadioButton>(&d, QStringLiteral("optFlow_%1").arg(i).toLatin1().constData())->isEnabled(),
                     seriell.kannHandshake(i));
        QVERIFY(!kind<QRadioButton>(&d, "optFlow_3")->isEnabled());
        QVERIFY(kind<QRadioButton>(&d, "optFlow_2")->isEnabled());
    }

    void abbrechenAendertNichts()
    {
        FakePort port;
        port.open();
        port.setSettings(QStringLiteral("2400,n,8,1"));
        int nummer = 2;
        bool echo = false;
        MeldungAufnahme m;
        frmeinst1 d(port, nummer, echo, m);
        d.show();
        kind<QComboBox>(&d, "cboPort")->setCurrentIndex(9);
        kind<QComboBox>(&d, "cboSpeed")->setEditText(QStringLiteral("9600"));
        kind<QComboBox>(&d, "cboParity")->setCurrentText(QStringLiteral("Odd"));
        kind<QRadioButton>(&d, "optFlow_1")->click();
        kind<QRadioButton>(&d, "optEcho_1")->click();
        kind<QPushButton>(&d, "cmdCancel")->click();
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(nummer, 2);
        QVERIFY(!echo);
        QCOMPARE(port.settings(), QStringLiteral("2400,n,8,1"));
        QCOMPARE(port.handshake(), 0);
        QCOMPARE(port.device(), QStringLiteral("fake"));
        QVERIFY(!QFile::exists(Modemeinstellungen::datei()));
        QVERIFY(m.eintraege().isEmpty());
    }

    void modembetriebAusDemStartfenster()
    {
        Zustand z;
        MeldungAufnahme meldung;
        FakePort port;
        FakePort modemport;
        portavo2D f(z, meldung, &port);
        f.setModemport(&modemport);
        f.show();
        f.starte();
        QVERIFY(mitModal(QStringLiteral("start2d"), [](QWidget *w) {
            auto *knopf = kind<QPushButton>(w, "Command2");
            QCOMPARE(knopf->text(), QStringLiteral("Modembetrieb"));
            knopf->click();
        }));
        auto *modem = kind<QAction>(&f, "mnuModem");
        QTRY_VERIFY(modem->isEnabled());
        QCOMPARE(z.Modembetrieb, qint16(1));
        QCOMPARE(z.Timerintervall[4], 5000);
        QVERIFY(kind<QMenu>(&f, "mnuPortavo")->menuAction()->isEnabled());
        QVERIFY(!kind<QAction>(&f, "mnuSchnittstelle")->isEnabled());
        QVERIFY(!kind<QAction>(&f, "mnuTrouble")->isEnabled());

        modem->trigger();
        frmmodem1 *m = f.modemfenster();
        QVERIFY(m);
        QVERIFY(m->isVisible());
        m->auflegen().setSchutzzeit(10);
        modemport.inject("\r\nCONNECT 9600\r\n");
        QVERIFY(!modem->isEnabled());
        QVERIFY(kind<QMenu>(&f, "mnuPortavo")->menuAction()->isEnabled());
        QVERIFY(kind<QAction>(&f, "mnuTrouble")->isEnabled());

        kind<QAction>(m, "mnuHangUp")->trigger();
        QVERIFY(!kind<QAction>(&f, "mnuTrouble")->isEnabled());
        QTRY_VERIFY(!kind<QMenu>(&f, "mnuPortavo")->menuAction()->isEnabled());
        QVERIFY(!modem->isEnabled());  // hang-up leaves Modem off while the window stays

        kind<QAction>(m, "mnuFileExit")->trigger();
        QTRY_VERIFY(!f.modemfenster());
        QVERIFY(modem->isEnabled());
        QVERIFY(!kind<QMenu>(&f, "mnuPortavo")->menuAction()->isEnabled());
        QCOMPARE(kind<QLabel>(&f, "LabelAdresse")->text(), QStringLiteral("---"));
    }

    void bilder()
    {
        const QString ordner = qEnvironmentVariable("PORTAVO_BILDER");
        if (ordner.isEmpty())
            QSKIP("PORTAVO_BILDER not set");
        Modemaufbau a;
        a.port.inject("ATX3DT0,47\r\r\nCONNECT 9600\r\n");
        a.f->resize(560, 380);
        QVERIFY(a.f->grab().save(ordner + QStringLiteral("/frmmodem1.png")));
        int nummer = 2;
        bool echo = false;
        frmeinst1 d(a.port, nummer, echo, a.meldung);
        d.show();
        QVERIFY(d.grab().save(ordner + QStringLiteral("/frmeinst1.png")));
        start2d s(a.z, 1);
        s.show();
        QVERIFY(s.grab().save(ordner + QStringLiteral("/start2d.png")));
    }
};

PORTAVO_TESTKLASSE(TestModemfenster)
#include "tst_modemfenster.moc"
