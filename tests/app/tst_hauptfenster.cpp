// The main window with its start window, identification and read-out, in
// offscreen windows: against FakePort for start-up and exit, against the
// in-process simulated bus for the flows on the bus.

#include "support/Testlauf.h"
#include "support/Fensterhilfe.h"
#include "support/SimBus.h"
#include "support/SimPort.h"
#include "support/Testhilfe.h"
#include "app/Auslesepanel.h"
#include "app/Bewegungsanzeige.h"
#include "app/Testbetrieb2D.h"
#include "app/Schreibpanel.h"
#include "app/portavo2D.h"
#include "base/Pfade.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {
// Port 1 of the port map is the given device, the others do not exist.
void portkarte(const QString &port1)
{
    QByteArray k = port1.toUtf8() + "\r\n";
    for (int n = 2; n <= 16; ++n)
        k += "/dev/portavo-test-fehlt" + QByteArray::number(n) + "\r\n";
    QVERIFY(schreib(Pfade::portsDatei(), k));
}

bool menuFrei(portavo2D &f) { return kind<QMenu>(&f, "mnuFile")->menuAction()->isEnabled(); }
}  // namespace

class TestHauptfenster : public QObject {
    Q_OBJECT

    // A main window on a FakePort behind port 1 of the port map.
    template <class P = FakePort>
    struct Fenster {
        Zustand z;
        MeldungAufnahme meldung;
        P port;
        portavo2D f{z, meldung, &port};
    };

    // Start-up up to the start window, confirmed with "Rs485 Betrieb".
    static void starteBisBereit(portavo2D &f)
    {
        f.show();
        f.starte();
        QVERIFY(mitModal(QStringLiteral("start2d"), [](QWidget *w) { kind<QPushButton>(w, "Command1")->click(); }));
        QTRY_VERIFY(kind<QAction>(&f, "mnuSchnittstelle")->isEnabled());
    }

private slots:
    void init()
    {
        QFile::remove(Pfade::einstellungsdatei());
        QFile::remove(Pfade::orteDatei());
        QApplication::clipboard()->setText(QString());
        portkarte(QStringLiteral("fake"));
    }

    void sprachwahlSchreibtEinstellungenUndBeschriftungen()
    {
        QVERIFY(schreib(Pfade::einstellungsdatei(), "9600,n,8,1\r\n 1 \r\n1\r\n0049\r\n0\r\n"));
        Fenster<> w;
        w.f.show();
        w.f.starte();
        QVERIFY(w.port.isOpen());
        QCOMPARE(w.port.written(), Telegramm::Startstring);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Warten"));
        // Before the start window only Hilfe can be used.
        QVERIFY(!menuFrei(w.f));
        QVERIFY(!kind<QAction>(&w.f, "mnuTrouble")->isEnabled());
        QVERIFY(kind<QMenu>(&w.f, "mnuHilfe")->menuAction()->isEnabled());

        QVERIFY(mitModal(QStringLiteral("start2d"), [&](QWidget *s) {
            QVERIFY(kind<QRadioButton>(s, "Option1_0")->isChecked());
            kind<QRadioButton>(s, "Option1_2")->click();
            QCOMPARE(kind<QPushButton>(s, "Command1")->text(), Texttabelle::text(2181));
            // Only the language line changes; the others keep their bytes.
            QCOMPARE(lies(Pfade::einstellungsdatei()), QByteArray("9600,n,8,1\r\n 1 \r\n1\r\n0049\r\n2000\r\n"));
            kind<QPushButton>(s, "Command1")->click();
        }));
        QCOMPARE(int(w.z.Sprache), 2000);
        QCOMPARE(w.f.windowTitle(), Texttabelle::text(2114));
        QCOMPARE(kind<QAction>(&w.f, "mnuAuslesen")->text(), Texttabelle::text(2105));
        QCOMPARE(kind<QGroupBox>(&w.f, "FrameAuslesen")->title(), Texttabelle::text(2122));
        // RS485 operation: menus on (Modem stays off), intervals set.
        QVERIFY(menuFrei(w.f) && kind<QAction>(&w.f, "mnuTrouble")->isEnabled());
        QVERIFY(!kind<QAction>(&w.f, "mnuModem")->isEnabled());
        QCOMPARE(w.z.Timerintervall, (std::array<int, 6>{0, 100, 200, 100, 2500, 100}));

        // The next start window opens with French chosen; closed without the
        // RS485 button, the menus stay off.
        Fenster<> w2;
        w2.f.show();
        w2.f.starte();
        QVERIFY(mitModal(QStringLiteral("start2d"), [](QWidget *s) {
            QVERIFY(kind<QRadioButton>(s, "Option1_2")->isChecked());
            s->close();
        }));
        QVERIFY(!menuFrei(w2.f));
    }

    void zwischenablageStopWartetOhneZuBlockieren()
    {
        Fenster<> w;
        QApplication::clipboard()->setText(QStringLiteral("Stop"));
        w.f.show();
        w.f.starte();
        QTest::qWait(350);
        QVERIFY(w.port.written().isEmpty());
        QApplication::clipboard()->setText(QStringLiteral("weiter"));
        QTRY_COMPARE_WITH_TIMEOUT(w.port.written(), Telegramm::Startstring, 1000);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Warten"));
        QVERIFY(mitModal(QStringLiteral("start2d"), [](QWidget *s) { s->close(); }));
    }

    void portOeffnetNichtEinmalMeldung()
    {
        // Port 2 of an English installation with an outside line; no port opens.
        const QByteArray datei("19200,n,8,1\r\n 2 \r\n1\r\n0049\r\n1000\r\n");
        QVERIFY(schreib(Pfade::einstellungsdatei(), datei));
        Fenster<> w;
        auto &[z, meldung, port, f] = w;
        port.setOpenFailure(Port::Oeffnungsfehler::Belegt);
        f.show();
        f.starte();
        QCOMPARE(meldung.textnummern(), QList<int>{136});
        QCOMPARE(meldung.eintraege().first().titelnummer, 137);
        QCOMPARE(meldung.eintraege().first().text, Texttabelle::text(1136));
        // Nothing of the file is lost, and the program runs on in English.
        QCOMPARE(lies(Pfade::einstellungsdatei()), datei);
        QCOMPARE(int(z.Sprache), 1000);
        QCOMPARE(z.ModemText1 + z.ModemText2, QStringLiteral("10049"));
        QCOMPARE(f.portnummer(), 2);
        QVERIFY(!port.isOpen());
        QCOMPARE(port.lostWrites(), 0);
        QVERIFY(mitModal(QStringLiteral("start2d"), [](QWidget *s) {
            QVERIFY(kind<QRadioButton>(s, "Option1_1")->isChecked());
            kind<QRadioButton>(s, "Option1_1")->click();  // the same language: the file stays
            QCOMPARE(lies(Pfade::einstellungsdatei()), QByteArray("19200,n,8,1\r\n 2 \r\n1\r\n0049\r\n1000\r\n"));
            kind<QRadioButton>(s, "Option1_3")->click();
            kind<QPushButton>(s, "Command1")->click();
        }));
        QCOMPARE(lies(Pfade::einstellungsdatei()), QByteArray("19200,n,8,1\r\n 2 \r\n1\r\n0049\r\n3000\r\n"));
        QCOMPARE(meldung.textnummern(), QList<int>{136});
    }

    // A settings file with unusable lines is kept as it is, and said once.
    void beschaedigteEinstellungenBleiben()
    {
        const QByteArray datei("19200,n,8,1\r\nCOM1\r\n1\r\n0049\r\n2000\r\n");
        QVERIFY(schreib(Pfade::einstellungsdatei(), datei));
        Fenster<> w;
        w.f.show();
        w.f.starte();
        QCOMPARE(w.meldung.textnummern(), QList<int>{562});
        QVERIFY(w.meldung.eintraege().first().text.contains(Pfade::einstellungsdatei()));
        QCOMPARE(w.meldung.eintraege().first().text.left(20), Texttabelle::text(2562).left(20));
        QVERIFY(w.port.isOpen());
        QCOMPARE(int(w.z.Sprache), 2000);
        QVERIFY(mitModal(QStringLiteral("start2d"), [](QWidget *s) { s->close(); }));
        QCOMPARE(lies(Pfade::einstellungsdatei()), datei);
    }

    void beendenSendetEndstring_data()
    {
        QTest::addColumn<bool>("menue");
        QTest::addColumn<int>("mal");
        QTest::newRow("Schliessfeld") << false << 1;
        QTest::newRow("Beenden") << true << 2;
    }
    void beendenSendetEndstring()
    {
        QFETCH(bool, menue);
        QFETCH(int, mal);
        Fenster<> w;
        starteBisBereit(w.f);
        w.port.clearWrites();
        if (menue)
            kind<QAction>(&w.f, "mnuFileExit")->trigger();
        else
            w.f.close();
        QCOMPARE(Telegramm::Endstring.size(), 15);
        QCOMPARE(w.port.written(), Telegramm::Endstring.repeated(mal));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Übernehmen"));
        QVERIFY(!w.f.isVisible());
    }

    void schreibenSperrtDieBusmenues()
    {
        // While a write or recovery scan runs, neither the PORTAVO menu nor
        // Trouble may start another bus command.
        Fenster<> w;
        starteBisBereit(w.f);
        QAction *portavo = kind<QMenu>(&w.f, "mnuPortavo")->menuAction();
        QAction *trouble = kind<QAction>(&w.f, "mnuTrouble");
        QVERIFY(portavo->isEnabled() && trouble->isEnabled());
        emit w.f.schreibPanel()->laeuftGeaendert(true);
        QVERIFY(!portavo->isEnabled() && !trouble->isEnabled());
        emit w.f.schreibPanel()->laeuftGeaendert(false);
        QVERIFY(portavo->isEnabled() && trouble->isEnabled());
    }

    void ladenOeffnetDenEditorUndLehntKaputteDateiAb()
    {
        Fenster<> w;
        auto &[z, meldung, port, f] = w;
        starteBisBereit(f);
        QString gewaehlt;
        f.setDateiwahl([&](const QString &, const QString &, const QString &, const QString &) { return gewaehlt; });
        QTemporaryDir ordner;
        const QByteArray inhalt = hauptdatei([](int i) { return i == 0 ? 42 : 0; });
        auto *laden = kind<QAction>(&f, "mnuOpen");

        // Only main-file names are taken, in the case given.
        for (const char *name : {"A.S2d", "A.B2D"}) {
            gewaehlt = ordner.filePath(QLatin1String(name));
            QVERIFY(schreib(gewaehlt, inhalt));
            laden->trigger();
        }
        QCOMPARE(meldung.textnummern(), (QList<int>{176, 176}));
        QCOMPARE(f.aktuelleDatei(), QString());

        // The real editor opens on the file, captioned with its full name.
        gewaehlt = ordner.filePath(QStringLiteral("TUER.S2D"));
        QVERIFY(schreib(gewaehlt, inhalt));
        QTimer::singleShot(0, laden, &QAction::trigger);
        QVERIFY(mitModal(QStringLiteral("portadatei2D"), [&](QWidget *editor) {
            QCOMPARE(editor->windowTitle(), gewaehlt);
            QCOMPARE(kind<QLineEdit>(editor, "TextTueroeffnungszeit")->text(), QStringLiteral("42"));
            kind<QAction>(editor, "mnuFileExit")->trigger();
        }));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(f.aktuelleDatei(), gewaehlt);
        QCOMPARE(f.blockpruefsumme(), 42 ^ 3);

        // A file one line short is refused with a message; the image stays.
        gewaehlt = ordner.filePath(QStringLiteral("KURZ.S2D"));
        QVERIFY(schreib(gewaehlt, inhalt.left(inhalt.lastIndexOf(" 0 \r\n"))));
        meldung.leeren();
        laden->trigger();
        QCOMPARE(meldung.textnummern(), QList<int>{384});
        QVERIFY(meldung.eintraege().last().text.contains(QStringLiteral("2048")));
        QCOMPARE(int(z.bild.Daten[0]), 42);
        QCOMPARE(f.aktuelleDatei(), ordner.filePath(QStringLiteral("TUER.S2D")));
    }

    // OK on a busy port: the port stays closed and the settings file as it
    // is, but the names typed for the ports are saved.
    void schnittstelleBelegtBehaeltOrte()
    {
        Fenster<GeraetePort> w;
        auto &[z, meldung, port, f] = w;
        const QString belegt = QStringLiteral("/dev/portavo-test-fehlt2");
        port.fehler[belegt] = Port::Oeffnungsfehler::Belegt;
        starteBisBereit(f);
        const QByteArray einstellungen = lies(Pfade::einstellungsdatei());
        QCOMPARE(einstellungen, QByteArray("19200,n,8,1\r\n1\r\n0\r\n\r\n0\r\n"));
        QTimer::singleShot(0, &f, [&f] { kind<QAction>(&f, "mnuSchnittstelle")->trigger(); });
        QVERIFY(mitModal(QStringLiteral("Schnittstelle2D"), [&](QWidget *s) {
            QVERIFY(!port.isOpen());
            auto *combo = kind<QComboBox>(s, "Combo1");
            auto *text1 = kind<QLineEdit>(s, "Text1");
            QCOMPARE(combo->itemText(1), QStringLiteral("COM 2 OCCUPIED  ( ------- )"));
            QCOMPARE(kind<QLabel>(s, "LabelGeraet")->text(), QStringLiteral("fake"));
            text1->selectAll();
            QTest::keyClicks(text1, QStringLiteral("Halle"));
            combo->setCurrentIndex(1);
            emit combo->activated(1);
            QCOMPARE(kind<QLabel>(s, "LabelGeraet")->text(), belegt);
            QCOMPARE(text1->text(), QStringLiteral("-------"));
            text1->selectAll();
            QTest::keyClicks(text1, QStringLiteral("Lager"));
            kind<QPushButton>(s, "Co1")->click();
            QCOMPARE(meldung.eintraege().size(), 1);
            QVERIFY(meldung.eintraege().first().text.contains(belegt));
            QCOMPARE(QApplication::activeModalWidget(), s);  // still open
            QCOMPARE(lies(Pfade::orteDatei()), "Halle\r\nLager\r\n" + QByteArray("-------\r\n").repeated(14));
            QCOMPARE(lies(Pfade::einstellungsdatei()), einstellungen);
            s->close();  // the user gives up
        }));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        // The choice took effect, the busy port stays closed, the names stay saved.
        QVERIFY(!port.isOpen());
        QCOMPARE(f.portnummer(), 2);
        QCOMPARE(lies(Pfade::orteDatei()), "Halle\r\nLager\r\n" + QByteArray("-------\r\n").repeated(14));
        QCOMPARE(lies(Pfade::einstellungsdatei()), einstellungen);

        // Back on port 1 with OK: the port opens, the names are there.
        QTimer::singleShot(0, &f, [&f] { kind<QAction>(&f, "mnuSchnittstelle")->trigger(); });
        QVERIFY(mitModal(QStringLiteral("Schnittstelle2D"), [&](QWidget *s) {
            auto *combo = kind<QComboBox>(s, "Combo1");
            QCOMPARE(combo->itemText(0), QStringLiteral("COM 1  ( Halle )"));
            QCOMPARE(kind<QLineEdit>(s, "Text1")->text(), QStringLiteral("Lager"));
            combo->setCurrentIndex(0);
            emit combo->activated(0);
            kind<QPushButton>(s, "Co1")->click();
        }));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY(port.isOpen());
        QCOMPARE(port.device(), QStringLiteral("fake"));
        QCOMPARE(f.portnummer(), 1);
        QCOMPARE(lies(Pfade::einstellungsdatei()), einstellungen);
    }

    // Both Help items name the program, its version and where its files
    // and its description are, in the chosen language.
    void hilfeNenntVersionUndOrdner_data()
    {
        QTest::addColumn<int>("sprache");
        QTest::addColumn<QString>("eintrag");
        for (int sprache : {0, 1000, 2000, 3000})
            for (const char *eintrag : {"mnuSoftware", "mnuInstallation"})
                QTest::addRow("%d %s", sprache, eintrag) << sprache << QString::fromLatin1(eintrag);
    }
    void hilfeNenntVersionUndOrdner()
    {
        QFETCH(int, sprache);
        QFETCH(QString, eintrag);
        QVERIFY(schreib(Pfade::einstellungsdatei(), "19200,n,8,1\r\n 1 \r\n0\r\n\r\n" + QByteArray::number(sprache) + "\r\n"));
        Fenster<> w;
        w.f.show();
        w.f.starte();
        QVERIFY(mitModal(QStringLiteral("start2d"), [](QWidget *s) { s->close(); }));
        QVERIFY(w.f.findChild<QAction *>(eintrag)->isEnabled());
        Arbeitsordner anderswo;
        w.f.findChild<QAction *>(eintrag)->trigger();
        QCOMPARE(QDir::currentPath(), w.z.Startverzeichnis);
        QCOMPARE(w.meldung.eintraege().size(), 1);
        const auto &m = w.meldung.eintraege().first();
        QCOMPARE(m.titel, Texttabelle::text(720 + sprache));
        const QStringList zeilen = m.text.split(QLatin1Char('\n'));
        QCOMPARE(zeilen.size(), 11);
        QCOMPARE(zeilen.at(0), Texttabelle::text(721 + sprache));
        QVERIFY2(zeilen.at(1).contains(QStringLiteral(" 1.2 ")), qPrintable(zeilen.at(1)));
        QCOMPARE(zeilen.at(3), Texttabelle::text(723 + sprache));
        QCOMPARE(zeilen.at(4), Pfade::konfiguration());
        QCOMPARE(zeilen.at(6), Texttabelle::text(724 + sprache));
        QCOMPARE(zeilen.at(7), Pfade::programm());
        QCOMPARE(zeilen.at(9), Texttabelle::text(725 + sprache));
        QVERIFY2(zeilen.at(10).endsWith(QStringLiteral("/README.md")) && QFileInfo(zeilen.at(10)).isFile(),
                 qPrintable(zeilen.at(10)));
        QVERIFY(!m.text.contains(QStringLiteral("http")));
    }

    // "anzeigen" in test mode where no viewer for text can be started (as
    // here, offscreen): the log opens in a window of the program's own.
    void bewegungenAnzeigenOhneBetrachter()
    {
        Fenster<> w;
        starteBisBereit(w.f);
        const QString log = QDir(Pfade::programm()).filePath(QStringLiteral("Bewegungen.dat"));
        QFile::remove(log);
        Testbetrieb2D t(w.z, w.f.verbindung(), w.meldung, &w.f);
        t.setDateiwahl([](const QString &, const QString &, const QString &, const QString &) {
            return QStringLiteral("/daten/Halle 3.S2D");
        });
        t.show();
        QTest::mouseClick(kind<QLineEdit>(&t, "text4_1"), Qt::LeftButton);
        kind<QPushButton>(&t, "Command4")->click();
        kind<QPushButton>(&t, "Command3")->click();
        auto *fenster = t.findChild<Bewegungsanzeige *>();
        QVERIFY(fenster);
        QTRY_VERIFY(fenster->isVisible());
        QCOMPARE(fenster->pfad(), log);
        QVERIFY(kind<QLabel>(fenster, "LabelDatei")->text().contains(log));
        QVERIFY(kind<QPlainTextEdit>(fenster, "TextProtokoll")->toPlainText().endsWith(QStringLiteral("Ort:   Halle 3\n  \n")));
        QVERIFY(kind<QPlainTextEdit>(fenster, "TextProtokoll")->isReadOnly());
        t.close();
    }

    void bewegungsanzeige_data()
    {
        QTest::addColumn<int>("sprache");
        QTest::addColumn<QByteArray>("inhalt");  // "-": no file
        QTest::addColumn<int>("hinweis");        // text number, 0 none
        QTest::addColumn<QString>("text");
        const QByteArray zeile1("am:;05.12.26; um: ;14.30  Uhr;Kartennummer:M\xfcller 1\r\n");
        const QByteArray zeile2("am:;05.12.26; um: ;14.31  Uhr;Kartennummer:4001\r\n");
        const QString text1 = QStringLiteral("am:;05.12.26; um: ;14.30  Uhr;Kartennummer:Müller 1\n");
        const QString text2 = QStringLiteral("am:;05.12.26; um: ;14.31  Uhr;Kartennummer:4001\n");
        QTest::newRow("two lines") << 0 << zeile1 + zeile2 << 0 << text1 + text2;
        QTest::newRow("no file") << 1000 << QByteArray("-") << 734 << QString();
        QTest::newRow("empty") << 2000 << QByteArray() << 729 << QString();
        // Longer than the window reads (120 bytes): the end, from a whole line on.
        QTest::newRow("long") << 3000 << zeile1 + zeile2 + zeile2 << 730 << text2 + text2;
    }
    void bewegungsanzeige()
    {
        QFETCH(int, sprache);
        QFETCH(QByteArray, inhalt);
        QFETCH(int, hinweis);
        QFETCH(QString, text);
        QTemporaryDir ordner;
        const QString log = ordner.filePath(QStringLiteral("Bewegungen.dat"));
        if (inhalt != "-")
            QVERIFY(schreib(log, inhalt));
        Zustand z;
        z.Sprache = qint16(sprache);
        QWidget eltern;
        Bewegungsanzeige f(z, log, &eltern, 120);
        f.show();
        QCOMPARE(f.windowTitle(), Texttabelle::text(727 + sprache));
        QCOMPARE(kind<QLabel>(&f, "LabelDatei")->text(), Texttabelle::text(728 + sprache).arg(log));
        auto *label = kind<QLabel>(&f, "LabelHinweis");
        QCOMPARE(label->isVisible(), hinweis != 0);
        if (hinweis)
            QCOMPARE(label->text(), hinweis == 730 ? Texttabelle::text(hinweis + sprache).arg(0)
                                                   : Texttabelle::text(hinweis + sprache));
        QCOMPARE(kind<QPlainTextEdit>(&f, "TextProtokoll")->toPlainText(), text);
    }

    // The desktop's viewer first; without one, one window per log, read again.
    void bewegungsanzeigeEinmal()
    {
        QTemporaryDir ordner;
        const QString log = ordner.filePath(QStringLiteral("Bewegungen.dat"));
        QVERIFY(schreib(log, "Veranstaltung vom:\r\n"));
        Zustand z;
        QWidget eltern;
        QList<QUrl> gefragt;
        const auto desktop = [&gefragt](bool geht) {
            return [&gefragt, geht](const QUrl &url) {
                gefragt << url;
                return geht;
            };
        };
        QCOMPARE(Bewegungsanzeige::zeige(z, log, &eltern, desktop(true)), nullptr);
        QCOMPARE(gefragt, QList<QUrl>{QUrl::fromLocalFile(log)});
        QVERIFY(eltern.findChildren<Bewegungsanzeige *>().isEmpty());
        Bewegungsanzeige *erstes = Bewegungsanzeige::zeige(z, log, &eltern, desktop(false));
        QVERIFY(erstes && erstes->isVisible());
        erstes->close();
        QVERIFY(schreib(log, "Veranstaltung vom:\r\nam:;\r\n"));
        QCOMPARE(Bewegungsanzeige::zeige(z, log, &eltern, desktop(false)), erstes);
        QVERIFY(erstes->isVisible());
        QCOMPARE(kind<QPlainTextEdit>(erstes, "TextProtokoll")->toPlainText(), QStringLiteral("Veranstaltung vom:\nam:;\n"));
        QCOMPARE(eltern.findChildren<Bewegungsanzeige *>().size(), 1);
        QCOMPARE(gefragt.size(), 3);
    }

    // On the simulated bus: scan, choose, identify, read out.
    void identifizierenUndAuslesenAmBus()
    {
        SimBus sim;
        const QJsonObject t17{{"version", "Ver 4.02 TS 1 11"}, {"password", "112233"}};
        SIMBUS_STARTEN(sim, QJsonArray{SimBus::terminal(3, 0), SimBus::terminal(17, 1, t17)});
        portkarte(sim.device());
        Arbeitsordner arbeit;
        Zustand z;
        MeldungAufnahme meldung;
        SimPort port;
        portavo2D f(z, meldung, &port);
        QStringList editor;
        f.setEditor([&](const QString &datei, const QString &titel) { editor << datei << titel; });
        starteBisBereit(f);
        QVERIFY(f.port().isOpen());
        QCOMPARE(f.port().device(), sim.device());

        QTimer::singleShot(0, &f, [&f] { kind<QAction>(&f, "mnuAuslesen")->trigger(); });
        QVERIFY(mitModal(QStringLiteral("Adressident2D"), [&](QWidget *w) {
            QVERIFY(f.verbindung().haelt(Empfaenger::Vorrang::Identifikation));
            auto *liste = kind<QListWidget>(w, "List3");
            auto *ok = kind<QPushButton>(w, "Command3");
            QVERIFY(!ok->isEnabled());
            kind<QPushButton>(w, "Command1")->click();
            QVERIFY(!liste->isEnabled());
            QTRY_VERIFY_WITH_TIMEOUT(ok->isEnabled(), 25000);
            QCOMPARE(liste->count(), 2);
            QCOMPARE(liste->item(0)->text(), z.Texte.at(191) + "003" + z.Texte.at(192) + "000 Standard");
            QCOMPARE(liste->item(1)->text(), z.Texte.at(191) + "017" + z.Texte.at(192) + "001 QRX / Norvall");
            QTest::mouseClick(liste->viewport(), Qt::LeftButton, {}, liste->visualItemRect(liste->item(1)).center());
            QCOMPARE(kind<QLineEdit>(w, "text1")->text(), QStringLiteral("17"));
            ok->click();
        }));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY(!f.verbindung().haelt(Empfaenger::Vorrang::Identifikation));
        QCOMPARE(kind<QLabel>(&f, "LabelAdresse")->text(), QStringLiteral("17"));
        QCOMPARE(kind<QLabel>(&f, "LabelProtokoll")->text(), QStringLiteral("QRX / Norvall"));
        QCOMPARE(kind<QLabel>(&f, "LabelVersion")->text(), QStringLiteral("Ver 4.02 TS 1 11"));
        QVERIFY(f.auslesePanel()->isVisible());
        QCOMPARE(int(z.Identifiziert), 1);

        // Read-out; the question afterwards is answered Yes.
        meldung.antworte(Meldung::Ja);
        auto *knopf = kind<QPushButton>(&f, "CommandAuslesen");
        QTimer::singleShot(0, knopf, &QPushButton::click);
        QVERIFY(mitModal(QStringLiteral("Passwort2D"), [](QWidget *w) {
            auto *feld = kind<QLineEdit>(w, "Text1");
            QTest::keyClicks(feld, QStringLiteral("11a2233"));
            QCOMPARE(feld->text(), QStringLiteral("112233"));
            kind<QPushButton>(w, "OK")->click();
        }));
        auto *status = kind<QLabel>(&f, "LabelStatus");
        QTRY_COMPARE(status->text(), z.Texte.at(153));
        QVERIFY(!knopf->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!editor.isEmpty(), 8000);
        QCOMPARE(meldung.textnummern(), QList<int>{162});
        QCOMPARE(editor, (QStringList{arbeit.pfad(QStringLiteral("PORTAVO.S2D")), QStringLiteral("PORTAVO.S2D")}));
        QCOMPARE(lies(editor.at(0)), sim.speicher(17));
        QCOMPARE(status->text(), QString());
        QVERIFY(knopf->isEnabled());
        QCOMPARE(f.aktuelleDatei(), editor.at(0));
        f.close();
    }
};

PORTAVO_TESTKLASSE(TestHauptfenster)
#include "tst_hauptfenster.moc"
