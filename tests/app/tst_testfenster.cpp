// The test mode window and the RS485 monitor: what they show of the bus, the log's installation
// name, and their menu items in the main window (the monitor works while test mode is open).

#include "support/Testlauf.h"
#include "support/Fensterhilfe.h"
#include "support/SimBus.h"
#include "support/SimPort.h"
#include "support/Testhilfe.h"
#include "app/Bewegungsanzeige.h"
#include "app/Monitorfenster.h"
#include "app/Testfenster.h"
#include "app/Hauptfenster.h"
#include "base/Pfade.h"
#include "support/Datentabelle.h"

#include <QtWidgets>

namespace {
QString text(QWidget *w, const char *name) { return kind<QLineEdit>(w, name)->text(); }
void klicke(QWidget *w, const char *name) { kind<QAbstractButton>(w, name)->click(); }
void aktiviere(QWidget *w)
{
    QEvent e(QEvent::WindowActivate);
    QApplication::sendEvent(w, &e);
}
QString logdatei() { return QDir(Pfade::programm()).filePath(QStringLiteral("Bewegungen.dat")); }
}  // namespace

class TestTestfenster : public QObject {
    Q_OBJECT

    template <class P = FakePort>
    struct Aufbau : Strecke<P> {
        QWidget haupt;
        explicit Aufbau(const QString &geraet = QString()) : Strecke<P>(geraet)
        {
            this->z.terminal.adresse = 17;
            haupt.show();
        }
    };

private slots:
    void init() { QFile::remove(logdatei()); }

    // On the simulated bus: request and answer as byte codes, and a fault the terminal reports.
    void testbetriebZeigtDenBus()
    {
        SimBus sim;
        const QJsonArray ereignisse{QJsonObject{{"type", "fault"}, {"afterPolls", 1}, {"polls", 1000}}};
        SIMBUS_STARTEN(sim, QJsonArray{SimBus::terminal(17, 0, QJsonObject{{"events", ereignisse}})});
        Aufbau<SimPort> a(sim.device());
        Testfenster f(a.z, a.v, a.meldung, &a.haupt);
        QCOMPARE(f.windowModality(), Qt::WindowModal);
        f.show();
        klicke(&f, "Command1");
        QTRY_COMPARE(text(&f, "text1"), Testbetrieb::bytecodes(Telegramm::anfrage(17, "K")));
        QTRY_VERIFY(text(&f, "Text2_0").startsWith(Testbetrieb::bytecodes(QByteArray(1, Telegramm::STX))));
        QTRY_COMPARE_WITH_TIMEOUT(kind<QLabel>(&f, "Label4")->text(), Texttabelle::text(382), 10000);
        klicke(&f, "Command2");
        QVERIFY(!f.isVisible() && !f.ablauf().laeuft());
    }

    // Applying an installation writes the log's head and hides the main window; "anzeigen" shows the log.
    void anlagennameUndAnzeigen_data()
    {
        spalten<QString, QString>("gewaehlt", "anlage");
        QTest::newRow("Datei") << "/daten/Anlagen/Halle 3.S2D" << "Halle 3";
        QTest::newRow("keine") << "" << "";
    }
    void anlagennameUndAnzeigen()
    {
        QString gewaehlt, anlage;
        std::tie(gewaehlt, anlage) = werte<QString, QString>("gewaehlt", "anlage");
        Aufbau<> a;
        Testfenster f(a.z, a.v, a.meldung, &a.haupt);
        f.setDateiwahl([&](const QString &, const QString &, const QString &, const QString &) { return gewaehlt; });
        f.show();
        QTest::mouseClick(kind<QLineEdit>(&f, "text4_1"), Qt::LeftButton);
        QCOMPARE(text(&f, "text4_1"), anlage);
        klicke(&f, "Command4");
        QVERIFY(!kind(&f, "Command1")->isEnabled() && f.ablauf().laeuft());
        QVERIFY(lies(logdatei()).endsWith("   Ort:   " + anlage.toUtf8() + "\r\n  \r\n"));
        QCOMPARE(kind(&f, "Command3")->isEnabled(), !anlage.isEmpty());
        if (anlage.isEmpty())
            return;
        QVERIFY(!a.haupt.isVisible() && f.isVisible());
        klicke(&f, "Command3");  // no viewer offscreen: the program's own window
        auto *anzeige = f.findChild<Bewegungsanzeige *>();
        QVERIFY(anzeige && anzeige->isVisible() && anzeige->pfad() == logdatei());
        f.close();
        QVERIFY(a.haupt.isVisible());
    }

    // The port goes away: test mode stops and says so once, the monitor beside it stays quiet;
    // alone, the monitor says it itself.
    void portWegWirdEinmalGemeldet()
    {
        Aufbau<> a(QStringLiteral("/dev/ttyUSB7"));
        Monitorfenster m(a.z, a.v, a.meldung, &a.haupt);
        m.show();
        aktiviere(&m);
        Testfenster f(a.z, a.v, a.meldung, &a.haupt);
        f.show();
        klicke(&f, "Command1");
        a.port.loseDevice();
        QTRY_COMPARE(a.meldung.textnummern(), QList<int>{633});
        QVERIFY(a.meldung.eintraege().first().text.contains(QStringLiteral("/dev/ttyUSB7")) && !f.ablauf().laeuft());
        f.close();

        Aufbau<> b;
        Monitorfenster n(b.z, b.v, b.meldung, &b.haupt);
        n.show();
        aktiviere(&n);
        b.port.loseDevice();
        QTRY_COMPARE(b.meldung.textnummern(), QList<int>{633});
    }

    void monitorListetUndDekodiert()
    {
        Aufbau<> a;
        Monitorfenster m(a.z, a.v, a.meldung, &a.haupt);
        QTemporaryDir ordner;
        QString ziel = ordner.filePath(QStringLiteral("verkehr.txt"));
        m.setExportwahl([&] { return ziel; });
        m.show();
        aktiviere(&m);
        a.v.sendeAck();
        a.port.inject(QByteArray("A") + char(5));
        QCOMPARE(m.modell().anzahl(), 3);  // taken at once, shown when collected
        QTRY_COMPARE(m.modell().rowCount(), 3);
        auto *liste = kind<QListView>(&m, "List1");
        const QStringList erwartet{"", "", "41", "A", "05", QString(QChar(5))};
        for (int zeile : {1, 2, 0}) {
            liste->setCurrentIndex(m.modell().index(zeile));
            QCOMPARE(text(&m, "text1"), erwartet.value(2 * zeile));
            QCOMPARE(text(&m, "Text2"), erwartet.value(2 * zeile + 1));
        }
        QCOMPARE(text(&m, "TextHex"), QStringLiteral("06"));

        // Stop holds, even when the window is activated again; Reset resumes empty.
        klicke(&m, "Command1");
        a.port.inject("B");
        aktiviere(&m);
        a.port.inject("C");
        QCOMPARE(m.modell().anzahl(), 3);
        klicke(&m, "Command2");
        QCOMPARE(m.modell().anzahl(), 0);
        a.port.inject("D");
        QTRY_COMPARE(m.modell().rowCount(), 1);
        QCOMPARE(m.modell().zeileText(0), QStringLiteral("68"));

        // Pause: lines are counted, shown when it ends.
        klicke(&m, "CommandPause");
        a.port.inject("EF");
        QTRY_VERIFY(kind<QLabel>(&m, "LabelPause")->text().endsWith(QLatin1String("2")));
        klicke(&m, "CommandPause");
        QCOMPARE(m.modell().rowCount(), 3);
        klicke(&m, "CommandExport");
        QVERIFY(lies(ziel).endsWith("\t<\t70\r\n") && a.meldung.eintraege().isEmpty());
        ziel = ordner.path();  // a folder: cannot be written
        klicke(&m, "CommandExport");
        QCOMPARE(a.meldung.textnummern(), QList<int>{457});
        klicke(&m, "Command3");
        QVERIFY(!m.isVisible());
    }

    void hauptfensterOeffnetBeide()
    {
        QFile::remove(Pfade::einstellungsdatei());
        QVERIFY(schreib(Pfade::portsDatei(), "fake\r\n"));
        Zustand z;
        MeldungAufnahme meldung;
        FakePort port;
        Hauptfenster f(z, meldung, &port);
        f.show();
        f.starte();
        QVERIFY(mitModal(QStringLiteral("start2d"), [](QWidget *w) { klicke(w, "Command1"); }));
        auto *dialog = kind<QAction>(&f, "mnuDialog");
        QTRY_VERIFY(dialog->isEnabled());
        dialog->trigger();  // nothing identified yet
        QCOMPARE(meldung.textnummern(), QList<int>{138});

        kind<QAction>(&f, "mnuDiagnose")->trigger();
        auto *monitor = f.findChild<Monitorfenster *>();
        QVERIFY(monitor && monitor->isVisible() && !monitor->isModal());
        aktiviere(monitor);
        kind<QLabel>(&f, "LabelAdresse")->setText(QStringLiteral("17"));
        z.terminal.adresse = 17;
        QTimer::singleShot(0, dialog, &QAction::trigger);
        QVERIFY(mitModal(QStringLiteral("Testbetrieb2D"), [&](QWidget *w) {
            // The monitor takes input while test mode is open: Stop, then Reset.
            QTest::mouseClick(kind<QPushButton>(monitor, "Command1"), Qt::LeftButton);
            klicke(w, "Command1");
            QTRY_VERIFY(port.written().contains(Telegramm::anfrage(17, "K")));
            QCOMPARE(monitor->modell().anzahl(), 0);
            QTest::mouseClick(kind<QPushButton>(monitor, "Command2"), Qt::LeftButton);
            QTRY_VERIFY(monitor->modell().rowCount() > 0);
            QCOMPARE(monitor->modell().zeileText(0), Telegramm::monitorTelegramm(Telegramm::anfrage(17, "S")));
            klicke(w, "Command2");
        }));
        QVERIFY(f.isVisible());
        // The same monitor opens again, emptied.
        kind<QAction>(&f, "mnuDiagnose")->trigger();
        QVERIFY(f.findChildren<Monitorfenster *>().size() == 1 && monitor->modell().anzahl() == 0);
        f.close();
    }
};

PORTAVO_TESTKLASSE(TestTestfenster)
#include "tst_testfenster.moc"
