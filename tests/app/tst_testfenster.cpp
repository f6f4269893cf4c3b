// The test mode window and the RS485 monitor on a FakePort bus, and their
// menu items in the main window. Screenshots of both windows land in the
// test's PORTAVO_HOME folder.

#include "support/Testlauf.h"

#include <QSignalSpy>
#include "support/Fensterhilfe.h"
#include "support/Testhilfe.h"
#include "app/Test4852d.h"
#include "app/Testbetrieb2D.h"
#include "app/portavo2D.h"
#include "base/Pfade.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

namespace {
QByteArray rahmen(QByteArray rumpf)
{
    rumpf = Telegramm::STX + rumpf + Telegramm::ETX;
    return rumpf + char(Telegramm::blockpruefung(rumpf, 1, int(rumpf.size()) - 1));
}
QByteArray status(int st, char befehl = 'S') { return rahmen(QByteArray("\x11") + befehl + char(st)); }
QByteArray karte(const QByteArray &daten) { return rahmen("\x11L2017" + daten.leftJustified(25, ' ')); }

void bild(QWidget *w, const QString &name)
{
    QVERIFY(w->grab().save(QDir(Pfade::programm()).filePath(name + QStringLiteral(".png"))));
}

void aktiviere(QWidget *w)
{
    QEvent e(QEvent::WindowActivate);
    QApplication::sendEvent(w, &e);
}
}  // namespace

class TestTestfenster : public QObject {
    Q_OBJECT

    struct Aufbau : Strecke<FakePort> {
        QWidget haupt;
        Aufbau()
        {
            z.Adresse = 17;
            z.Protokoll = 0;
            haupt.show();
        }
    };

    // One request cycle of the window's sequence, without the clock.
    static void zyklus(Aufbau &a, Testbetrieb2D &f, const QByteArray &antwort)
    {
        a.port.clearWrites();
        f.ablauf().naechsterTakt(1);
        a.port.inject(a.port.written() + antwort);
        f.ablauf().naechsterTakt(2);
    }

private slots:
    void init() { QFile::remove(QDir(Pfade::programm()).filePath(QStringLiteral("Bewegungen.dat"))); }

    void testbetriebZeigtDenAblauf()
    {
        Aufbau a;
        {
            Testbetrieb2D f(a.z, a.v, a.meldung, &a.haupt);
            QCOMPARE(f.windowModality(), Qt::WindowModal);
            QVERIFY(!a.v.haelt(Empfaenger::Vorrang::Testbetrieb));
            f.show();
            QVERIFY(a.v.haelt(Empfaenger::Vorrang::Testbetrieb));
            for (const char *name : {"Label1", "text1", "Label2", "Text2_0", "Frame2", "Option1", "Option2",
                                     "Option3", "Frame3", "Option5", "Option4", "Option7", "Frame1", "text3_0",
                                     "Label3", "Label4", "Label6", "Command1", "Command2", "text5", "Frame4",
                                     "text4_1", "Command4", "Option6", "Check2", "Command3"})
                QVERIFY2(kind(&f, name), name);
            QVERIFY(kind<QTimer>(&f, "Timer1") && kind<QTimer>(&f, "Timer2"));
            QCOMPARE(f.windowTitle(), Texttabelle::text(367));
            QCOMPARE(kind<QGroupBox>(&f, "Frame2")->title(), Texttabelle::text(374));
            QVERIFY(kind<QRadioButton>(&f, "Option5")->isChecked());
            QVERIFY(kind<QRadioButton>(&f, "Option1")->isChecked());
            QVERIFY(!kind(&f, "Check2")->isVisible() && !kind(&f, "Command3")->isVisible());
            QVERIFY(kind(&f, "text5")->isVisible() && kind(&f, "Frame4")->isVisible());
            QVERIFY(!kind(&f, "Label6")->isVisible());
            QCOMPARE(kind<QLabel>(&f, "Label3")->text(), Texttabelle::text(378));

            kind<QPushButton>(&f, "Command1")->click();
            QVERIFY(!kind(&f, "text5")->isVisible());
            for (const char *o : {"Option1", "Option2", "Option3"})
                QVERIFY(!kind<QRadioButton>(&f, o)->isChecked());
            QVERIFY(f.ablauf().taktLaeuft(1));

            zyklus(a, f, status(0x40, 'K'));
            QCOMPARE(kind<QLineEdit>(&f, "text1")->text(), Testbetrieb::bytecodes(Telegramm::anfrage(17, "K")));
            QCOMPARE(kind<QLineEdit>(&f, "Text2_0")->text(), Testbetrieb::bytecodes(status(0x40, 'K')));
            QVERIFY(kind<QLineEdit>(&f, "Text2_0")->styleSheet().contains(QLatin1String("0, 255, 0")));
            QVERIFY(kind<QLineEdit>(&f, "text1")->styleSheet().contains(QLatin1String("255, 0, 0")));

            zyklus(a, f, status(0x51));
            QCOMPARE(kind<QLabel>(&f, "Label4")->text(), Texttabelle::text(382));
            zyklus(a, f, status(0x50));
            QVERIFY(kind<QLabel>(&f, "Label4")->text().isEmpty());
            QVERIFY(kind(&f, "Label6")->isVisible());
            QCOMPARE(kind<QLabel>(&f, "Label6")->text(), QStringLiteral("Skimming ausgelöst"));
            zyklus(a, f, status(0x64));
            QCOMPARE(kind<QLabel>(&f, "Label6")->text(), QStringLiteral("Skimmingsabotage"));
            zyklus(a, f, status(0x44));
            QVERIFY(!kind(&f, "Label6")->isVisible());
            QCOMPARE(kind<QLabel>(&f, "Label3")->text(), Texttabelle::text(383));
            kind<QRadioButton>(&f, "Option7")->click();
            zyklus(a, f, karte("40012345"));
            QVERIFY(a.port.writes().first().bytes == Telegramm::anfrage(17, "LC"));
            // The whole answer, its control characters as blanks.
            const QString feld = kind<QLineEdit>(&f, "text3_0")->text();
            QCOMPARE(feld.left(32), QStringLiteral("  L2017") + QStringLiteral("40012345").leftJustified(25, ' '));
            QCOMPARE(feld.size(), 34);
            QCOMPARE(feld.at(32), QLatin1Char(' '));
            QCOMPARE(kind<QLabel>(&f, "Label3")->text(), Texttabelle::text(378));
            bild(&f, QStringLiteral("Testbetrieb2D"));
            zyklus(a, f, status(0x44));
            zyklus(a, f, karte("12??"));
            QCOMPARE(kind<QLineEdit>(&f, "text3_0")->text(), Texttabelle::text(370));

            // "Türe auf" is sent once in place of a status request.
            kind<QRadioButton>(&f, "Option2")->click();
            zyklus(a, f, {});
            QCOMPARE(a.port.writes().first().bytes, Telegramm::anfrage(17, "O"));
            zyklus(a, f, {});
            QCOMPARE(a.port.writes().first().bytes, Telegramm::anfrage(17, "S"));

            kind<QPushButton>(&f, "Command2")->click();
            QVERIFY(!f.isVisible());
            QVERIFY(!a.v.haelt(Empfaenger::Vorrang::Testbetrieb));
            QVERIFY(!f.ablauf().taktLaeuft(1) && !f.ablauf().taktLaeuft(2));
        }
        QVERIFY(!a.v.haelt(Empfaenger::Vorrang::Testbetrieb));
        // Both movement lines are in the log of the data folder.
        const QList<QByteArray> log = lies(QDir(Pfade::programm()).filePath(QStringLiteral("Bewegungen.dat"))).split('\n');
        QCOMPARE(log.size(), 3);
        QVERIFY(log.at(0).endsWith("Kartennummer:40012345                 \r"));
        QVERIFY(log.at(1).endsWith("Kartennummer:12??                     \r"));
    }

    void anlagennameUndAnzeigen()
    {
        Aufbau a;
        Testbetrieb2D f(a.z, a.v, a.meldung, &a.haupt);
        QStringList gefragt;
        f.setDateiwahl([&](const QString &titel, const QString &filter, const QString &, const QString &name) {
            gefragt << titel << filter << name;
            return QStringLiteral("/daten/Anlagen/Halle 3.S2D");
        });
        QString angezeigt;
        f.setAnzeiger([&](const QString &pfad) { angezeigt = pfad; });
        f.show();
        QTest::mouseClick(kind<QLineEdit>(&f, "text4_1"), Qt::LeftButton);
        QCOMPARE(gefragt, (QStringList{QStringLiteral("Öffnen"), Texttabelle::text(141), Texttabelle::text(140)}));
        QCOMPARE(kind<QLineEdit>(&f, "text4_1")->text(), QStringLiteral("Halle 3"));
        QVERIFY(!kind(&f, "text5")->isVisible());
        kind<QRadioButton>(&f, "Option6")->click();
        QVERIFY(kind<QRadioButton>(&f, "Option6")->isChecked());
        kind<QPushButton>(&f, "Command4")->click();

        QVERIFY(!kind(&f, "Command1")->isEnabled());
        QVERIFY(kind(&f, "Check2")->isVisible() && kind<QCheckBox>(&f, "Check2")->isChecked());
        QVERIFY(kind(&f, "Command3")->isVisible() && kind(&f, "Command3")->isEnabled());
        QCOMPARE(f.ablauf().zyklusstarts(), 1);
        QVERIFY(f.ablauf().taktLaeuft(1));
        // The main window is hidden while movements are saved; test mode stays.
        QVERIFY(!a.haupt.isVisible());
        QVERIFY(f.isVisible());
        const QString log = QDir(Pfade::programm()).filePath(QStringLiteral("Bewegungen.dat"));
        const QByteArray kopf = lies(log);
        QVERIFY(kopf.startsWith("Geschlossene Gesellschaft vom:   "));
        QVERIFY(kopf.endsWith("   Ort:   Halle 3\r\n  \r\n"));
        kind<QPushButton>(&f, "Command3")->click();
        QCOMPARE(angezeigt, log);
        bild(&f, QStringLiteral("Testbetrieb2D-Anlage"));
        f.close();
        QVERIFY(a.haupt.isVisible());
        QVERIFY(!a.v.haelt(Empfaenger::Vorrang::Testbetrieb));
    }

    void leererAnlagenname()
    {
        Aufbau a;
        Testbetrieb2D f(a.z, a.v, a.meldung, &a.haupt);
        f.setDateiwahl([](const QString &, const QString &, const QString &, const QString &) { return QString(); });
        f.show();
        QTest::mouseClick(kind<QLineEdit>(&f, "text4_1"), Qt::LeftButton);
        kind<QPushButton>(&f, "Command4")->click();
        QVERIFY(!kind(&f, "Command3")->isEnabled());
        QVERIFY(!kind(&f, "Check2")->isVisible());
        QVERIFY(!kind(&f, "Command1")->isEnabled());
        QCOMPARE(f.ablauf().zyklusstarts(), 1);
        QVERIFY(lies(QDir(Pfade::programm()).filePath(QStringLiteral("Bewegungen.dat"))).endsWith("   Ort:   \r\n  \r\n"));
    }

    void protokollfehlerEinmalGemeldet()
    {
        Aufbau a;
        Testbetrieb2D f(a.z, a.v, a.meldung, &a.haupt);
        QTemporaryDir ordner;
        f.ablauf().protokoll().setPfad(ordner.path());  // a folder: cannot be written
        f.show();
        kind<QPushButton>(&f, "Command1")->click();
        zyklus(a, f, status(0x40, 'K'));
        for (int i = 0; i < 3; ++i) {
            zyklus(a, f, status(0x44));
            zyklus(a, f, karte("4711"));
        }
        QTRY_COMPARE(a.meldung.textnummern(), QList<int>{456});
        QVERIFY(a.meldung.eintraege().first().text.contains(ordner.path()));
        QCOMPARE(a.meldung.eintraege().first().text.left(20), Texttabelle::text(456).left(20));
        zyklus(a, f, {});
        QCOMPARE(a.port.writes().first().bytes, Telegramm::anfrage(17, "S"));
        QTest::qWait(20);
        QCOMPARE(a.meldung.eintraege().size(), 1);
    }

    // The port goes away: test mode stops polling and says so once; the
    // monitor stops logging and stays quiet while test mode speaks.
    void portWegWirdEinmalGemeldet()
    {
        Aufbau a;
        a.port.setDevice(QStringLiteral("/dev/ttyUSB7"));
        Test4852d m(a.z, a.v, a.meldung, &a.haupt);
        m.show();
        aktiviere(&m);
        Testbetrieb2D f(a.z, a.v, a.meldung, &a.haupt);
        f.show();
        kind<QPushButton>(&f, "Command1")->click();
        zyklus(a, f, status(0x40, 'K'));
        f.ablauf().naechsterTakt(1);
        a.port.loseDevice();
        QTRY_COMPARE(a.meldung.textnummern(), QList<int>{633});
        QCOMPARE(a.meldung.eintraege().first().text, Texttabelle::text(633).arg(QStringLiteral("/dev/ttyUSB7")));
        QVERIFY(!f.ablauf().laeuft());
        QVERIFY(!a.v.beobachtet());
        aktiviere(&m);
        QVERIFY(!a.v.beobachtet());  // stays stopped until Reset
        f.close();

        // The monitor alone says it itself.
        Aufbau b;
        Test4852d n(b.z, b.v, b.meldung, &b.haupt);
        n.show();
        aktiviere(&n);
        b.port.loseDevice();
        QTRY_COMPARE(b.meldung.textnummern(), QList<int>{633});
        QVERIFY(!b.v.beobachtet());
    }

    void monitorListetUndDekodiert()
    {
        Aufbau a;
        Test4852d m(a.z, a.v, a.meldung, &a.haupt);
        for (const char *name : {"List1", "Label1", "text1", "Text2", "Command1", "Command2", "Command3", "Timer1",
                                 "CommandPause", "CommandExport", "TextHex"})
            QVERIFY2(kind<QObject>(&m, name), name);
        QCOMPARE(kind<QPushButton>(&m, "Command1")->text(), Texttabelle::text(364));
        QCOMPARE(kind<QLabel>(&m, "Label1")->text(), QStringLiteral("   Hex    Asci"));
        QVERIFY(!m.isModal());
        m.show();
        aktiviere(&m);
        QVERIFY(a.v.beobachtet());
        QVERIFY(kind<QTimer>(&m, "Timer1")->isActive());

        a.v.sendeAck();
        a.port.inject(QByteArray("A") + char(5));
        QTRY_COMPARE(m.modell().rowCount(), 3);
        auto *liste = kind<QListView>(&m, "List1");
        liste->setCurrentIndex(m.modell().index(1));
        QCOMPARE(kind<QLineEdit>(&m, "text1")->text(), QStringLiteral("41"));
        QCOMPARE(kind<QLineEdit>(&m, "Text2")->text(), QStringLiteral("A"));
        QCOMPARE(m.windowTitle(), QStringLiteral(" 1"));
        liste->setCurrentIndex(m.modell().index(2));
        QCOMPARE(kind<QLineEdit>(&m, "text1")->text(), QStringLiteral("05"));
        QCOMPARE(kind<QLineEdit>(&m, "Text2")->text(), QString(QChar(5)));
        liste->setCurrentIndex(m.modell().index(0));
        QVERIFY(kind<QLineEdit>(&m, "text1")->text().isEmpty() && kind<QLineEdit>(&m, "Text2")->text().isEmpty());
        QCOMPARE(kind<QLineEdit>(&m, "TextHex")->text(), QStringLiteral("06"));
        QCOMPARE(m.windowTitle(), QStringLiteral(" 0"));
        bild(&m, QStringLiteral("Test4852d"));

        // Stop holds when the window is activated again; Reset resumes empty.
        kind<QPushButton>(&m, "Command1")->click();
        QVERIFY(!a.v.beobachtet());
        a.port.inject("B");
        aktiviere(&m);
        QVERIFY(!a.v.beobachtet());
        a.port.inject("C");
        QTest::qWait(2 * Monitormodell::Sammelzeit);
        QCOMPARE(m.modell().anzahl(), 3);
        kind<QPushButton>(&m, "Command2")->click();
        QVERIFY(a.v.beobachtet());
        QCOMPARE(m.modell().anzahl(), 0);
        QVERIFY(kind<QLineEdit>(&m, "TextHex")->text().isEmpty());
        a.port.inject("D");
        QTRY_COMPARE(m.modell().rowCount(), 1);
        QCOMPARE(m.modell().zeileText(0), QStringLiteral("68"));

        // Pause: lines are taken and counted, shown when it ends.
        kind<QPushButton>(&m, "CommandPause")->click();
        QCOMPARE(kind<QPushButton>(&m, "CommandPause")->text(), Texttabelle::text(451));
        a.port.inject("EF");
        QTest::qWait(2 * Monitormodell::Sammelzeit);
        QCOMPARE(m.modell().rowCount(), 1);
        QCOMPARE(m.modell().wartend(), 2);
        QTRY_VERIFY(kind<QLabel>(&m, "LabelPause")->text().endsWith(QLatin1String("2")));
        kind<QPushButton>(&m, "CommandPause")->click();
        QCOMPARE(m.modell().rowCount(), 3);

        // Ende.
        kind<QPushButton>(&m, "Command3")->click();
        QVERIFY(!a.v.beobachtet());
        QVERIFY(!m.isVisible());
    }

    void monitorLeertBeiDerGrenzeImSekundentakt()
    {
        Aufbau a;
        Test4852d m(a.z, a.v, a.meldung, &a.haupt);
        m.show();
        aktiviere(&m);
        for (int i = 0; i < Monitormodell::Grenze; ++i)
            m.modell().zeile(QStringLiteral("1"));
        m.modell().nachtragen();
        // Not at once: at the next tick of Timer1.
        QCOMPARE(m.modell().rowCount(), Monitormodell::Grenze);
        QTRY_COMPARE_WITH_TIMEOUT(m.modell().rowCount(), 0, 3000);
        // One line fewer stays.
        for (int i = 0; i < Monitormodell::Grenze - 1; ++i)
            m.modell().zeile(QStringLiteral("1"));
        m.modell().nachtragen();
        QSignalSpy tick(kind<QTimer>(&m, "Timer1"), &QTimer::timeout);
        QVERIFY(tick.wait(2000));
        QCOMPARE(m.modell().rowCount(), Monitormodell::Grenze - 1);
    }

    void monitorExportiert()
    {
        Aufbau a;
        Test4852d m(a.z, a.v, a.meldung, &a.haupt);
        QTemporaryDir ordner;
        QString ziel = ordner.filePath(QStringLiteral("verkehr.txt"));
        m.setExportwahl([&] { return ziel; });
        m.show();
        aktiviere(&m);
        a.port.inject("A");
        QTRY_COMPARE(m.modell().rowCount(), 1);
        kind<QPushButton>(&m, "CommandExport")->click();
        QVERIFY(lies(ziel).endsWith("\t<\t65\r\n"));
        QVERIFY(a.meldung.eintraege().isEmpty());
        ziel = ordner.path();
        kind<QPushButton>(&m, "CommandExport")->click();
        QCOMPARE(a.meldung.textnummern(), QList<int>{457});
    }

    void hauptfensterOeffnetBeide()
    {
        QFile::remove(Pfade::einstellungsdatei());
        QVERIFY(schreib(Pfade::portsDatei(), "fake\r\n"));
        Zustand z;
        MeldungAufnahme meldung;
        FakePort port;
        portavo2D f(z, meldung, &port);
        f.show();
        f.starte();
        QVERIFY(mitModal(QStringLiteral("start2d"), [](QWidget *w) { kind<QPushButton>(w, "Command1")->click(); }));
        QTRY_VERIFY(kind<QAction>(&f, "mnuDialog")->isEnabled());

        // Nothing identified yet: text 138.
        kind<QAction>(&f, "mnuDialog")->trigger();
        QCOMPARE(meldung.textnummern(), QList<int>{138});

        kind<QAction>(&f, "mnuDiagnose")->trigger();
        auto *monitor = f.findChild<Test4852d *>();
        QVERIFY(monitor && monitor->isVisible() && !monitor->isModal());
        aktiviere(monitor);
        QVERIFY(f.verbindung().beobachtet());

        kind<QLabel>(&f, "LabelAdresse")->setText(QStringLiteral("17"));
        z.Adresse = 17;
        bool geprueft = false;
        QTimer::singleShot(0, &f, [&] { kind<QAction>(&f, "mnuDialog")->trigger(); });
        QVERIFY(mitModal(QStringLiteral("Testbetrieb2D"), [&](QWidget *w) {
            QVERIFY(f.verbindung().haelt(Empfaenger::Vorrang::Testbetrieb));
            QCOMPARE(w->windowModality(), Qt::WindowModal);
            // The monitor takes input while test mode is open.
            QTest::mouseClick(kind<QPushButton>(monitor, "Command1"), Qt::LeftButton);
            QVERIFY(!f.verbindung().beobachtet());
            kind<QPushButton>(monitor, "Command2")->click();
            kind<QPushButton>(w, "Command1")->click();
            QTRY_VERIFY_WITH_TIMEOUT(port.written().contains(Telegramm::anfrage(17, "K")), 3000);
            QTRY_VERIFY(monitor->modell().rowCount() > 0);
            QCOMPARE(monitor->modell().zeileText(0), Telegramm::monitorTelegramm(Telegramm::anfrage(17, "K")));
            // Applying an installation hides the main window; test mode
            // and the monitor stay.
            kind<QPushButton>(w, "Command4")->click();
            QVERIFY(!f.isVisible());
            QVERIFY(w->isVisible() && monitor->isVisible());
            geprueft = true;
            kind<QPushButton>(w, "Command2")->click();
        }));
        QVERIFY(geprueft);
        QVERIFY(!f.verbindung().haelt(Empfaenger::Vorrang::Testbetrieb));
        QVERIFY(f.isVisible());
        // The same monitor opens again, emptied.
        kind<QAction>(&f, "mnuDiagnose")->trigger();
        QCOMPARE(f.findChildren<Test4852d *>().size(), 1);
        QCOMPARE(monitor->modell().anzahl(), 0);
        f.close();
    }
};

PORTAVO_TESTKLASSE(TestTestfenster)
#include "tst_testfenster.moc"
