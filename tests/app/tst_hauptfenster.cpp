// The main window: start window, settings, menus, identification and read-out, the write panel's recovery
// scan; the test mode window and the RS485 monitor (what they show of the bus, the log's installation name,
// the monitor working while test mode is open). On FakePort, and on the in-process simulated bus.

#include "support/Testlauf.h"
#include "Hauptfensteraufbau.h"
#include "support/SimBus.h"
#include "support/Testhilfe.h"
#include "app/Auslesepanel.h"
#include "app/Bewegungsanzeige.h"
#include "app/Schreibpanel.h"
#include "app/Hauptfenster.h"
#include "base/Pfade.h"
#include "support/Datentabelle.h"
#include "app/Protokollidentfenster.h"
#include "workflow/Menuefreigabe.h"
#include "link/Troublesuche.h"
#include "app/Monitorfenster.h"
#include "app/Testfenster.h"
#include "link/Wiederanschluss.h"
#include "link/Echoablage.h"
#include "link/Passworteingabe.h"
#include "link/Schnittstellenwahl.h"

#include <QClipboard>
#include <QtWidgets>

Q_DECLARE_METATYPE(Menuelage::Betrieb)
Q_DECLARE_METATYPE(Menuelage::Modem)

namespace {
// Port n of the port map: /dev/test<n> (none of them there), port 1 the given device.
QString geraet(int n) { return QStringLiteral("/dev/test%1").arg(n); }
void portkarte(const QString &port1 = geraet(1))
{
    QByteArray k = port1.toUtf8() + "\r\n";
    for (int n = 2; n <= 16; ++n)
        k += geraet(n).toUtf8() + "\r\n";
    QVERIFY(schreib(Pfade::portsDatei(), k));
}

QAction *aktion(QWidget *f, const char *name) { return kind<QAction>(f, name); }
QAction *menue(QWidget *f, const char *name) { return kind<QMenu>(f, name)->menuAction(); }
void klicke(QWidget *w, const char *name) { kind<QAbstractButton>(w, name)->click(); }
QStringList frei(const Menuefreigabe &f)
{
    QStringList l;
    for (const auto &[an, name] : {std::pair{f.datei, "datei"}, {f.portavo, "portavo"}, {f.schnittstelle, "schnittstelle"},
                                   {f.testbetrieb, "testbetrieb"}, {f.dialog, "dialog"}, {f.modem, "modem"}, {f.trouble, "trouble"}})
        if (an)
            l << QString::fromLatin1(name);
    return l;
}
QString text(QWidget *w, const char *name) { return kind<QLineEdit>(w, name)->text(); }
void aktiviere(QWidget *w)
{
    QEvent e(QEvent::WindowActivate);
    QApplication::sendEvent(w, &e);
}
QString logdatei() { return QDir(Pfade::programm()).filePath(QStringLiteral("Bewegungen.dat")); }
}  // namespace

class TestHauptfenster : public QObject {
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
    void init()
    {
        QFile::remove(Pfade::einstellungsdatei());
        QFile::remove(Pfade::orteDatei());
        QApplication::clipboard()->setText(QString());
        portkarte(QStringLiteral("fake"));
        QFile::remove(logdatei());
        QDir(Echoablage::datei()).removeRecursively();
        QFile::remove(Echoablage::datei());
    }

    // The echo in the port selection and the status line: the mode stored and applied to the link at once,
    // the stored mode and what is kept for the device applied once start-up has opened the port; a mode
    // that cannot be stored is said, and holds for this run.
    void echoInDerAuswahl_data()
    {
        spalten<int, int>("vorher", "gewaehlt");  // Echomodus as the combo orders it; vorher -1: echo.ini not writable
        QTest::newRow("automatisch, dann nein") << 0 << 2;
        QTest::newRow("nein, dann automatisch") << 2 << 0;
        QTest::newRow("ja, dann nein") << 1 << 2;
        QTest::newRow("nicht schreibbar") << -1 << 1;
    }
    void echoInDerAuswahl()
    {
        const auto [vorher, gewaehlt] = werte<int, int>("vorher", "gewaehlt");
        using M = Verbindung::Echomodus;
        const bool schreibbar = vorher >= 0;
        portkarte(QStringLiteral("fake-2"));  // not the port's device until start-up opens it
        if (schreibbar)
            QVERIFY(Echoablage::schreiben(QStringLiteral("fake-2"), false) && Echoablage::setModus(M(vorher)));
        else
            QVERIFY(QDir().mkpath(Echoablage::datei()));
        // A forced mode as such, otherwise what is known of the device: no echo, kept from before.
        const auto echo = [&](int m) { return Texttabelle::text(m == 1 ? 883 : m == 2 ? 884 : schreibbar ? 887 : 888); };
        Hauptfensteraufbau<> w;
        w.bereit();
        const auto status = [&w] { return kind<QLabel>(&w.f, "StatusEcho")->text(); };
        QCOMPARE(status(), echo(vorher));
        QCOMPARE(kind<QLabel>(&w.f, "StatusPort")->text(), Texttabelle::text(890).arg(1).arg("fake-2"));
        imDialog([&](QWidget *d) {
            QCOMPARE(kind<QComboBox>(d, "ComboEcho")->currentIndex(), qMax(vorher, 0));
            QCOMPARE(kind<QLabel>(d, "LabelEcho")->text(), Texttabelle::text(889).arg(echo(0)));
            kind<QComboBox>(d, "ComboEcho")->setCurrentIndex(gewaehlt);
            klicke(d, "Co1");
        }, QStringLiteral("Schnittstelle2D"));
        aktion(&w.f, "mnuSchnittstelle")->trigger();
        QCOMPARE(w.f.verbindung().echomodus(), M(gewaehlt));
        QCOMPARE(status(), echo(gewaehlt));
        QCOMPARE(w.meldung.textnummern(), schreibbar ? QList<int>{} : QList<int>{891});
        if (!schreibbar) {
            // The value not written stays with the process: put it back for the next tests.
            QVERIFY(QDir(Echoablage::datei()).removeRecursively() && Echoablage::setModus(M::Automatisch));
            return;
        }
        const QString gespeichert = QSettings(Echoablage::datei(), QSettings::IniFormat).value("Modus").toString();
        QCOMPARE(gespeichert, QStringList({"auto", "yes", "no"}).at(gewaehlt));
        if (gewaehlt == 0) {  // the echo comes after all: the status line follows at once
            QVERIFY(w.f.verbindung().sendeAnfrage("V"));
            w.f.verbindung().verarbeite(w.f.verbindung().letzteAnfrage());
            QCOMPARE(status(), Texttabelle::text(886));
        }
    }

    // Before the start window only Hilfe can be used; RS485 operation turns the menus on (Modem stays
    // off); closing the start window leaves them off. A settings file with unusable lines is kept as it is,
    // and said once. Both Help items name where the program's files and its description are; no web address.
    void startfensterGibtDieMenuesFrei()
    {
        Hauptfensteraufbau<> w;
        w.starte();
        QVERIFY(!menue(&w.f, "mnuFile")->isEnabled() && !aktion(&w.f, "mnuTrouble")->isEnabled());
        QVERIFY(menue(&w.f, "mnuHilfe")->isEnabled());
        QVERIFY(mitModal(QStringLiteral("start2d"), [](QWidget *s) { klicke(s, "Command1"); }));
        QVERIFY(menue(&w.f, "mnuFile")->isEnabled() && aktion(&w.f, "mnuTrouble")->isEnabled()
                && !aktion(&w.f, "mnuModem")->isEnabled());

        const QByteArray datei("19200,n,8,1\r\nCOM1\r\n1\r\n0049\r\n2000\r\n");
        QVERIFY(schreib(Pfade::einstellungsdatei(), datei));
        Hauptfensteraufbau<> w2;
        w2.starte();
        QCOMPARE(w2.meldung.textnummern(), QList<int>{562});
        QVERIFY(w2.meldung.eintraege().first().text.contains(Pfade::einstellungsdatei()));
        QVERIFY(w2.port.isOpen() && w2.z.sprache.versatz == 2000);
        QVERIFY(mitModal(QStringLiteral("start2d"), [](QWidget *s) { s->close(); }));
        QVERIFY(!menue(&w2.f, "mnuFile")->isEnabled());
        QCOMPARE(lies(Pfade::einstellungsdatei()), datei);
        Arbeitsordner anderswo;
        for (const char *eintrag : {"mnuSoftware", "mnuInstallation"}) {
            w2.meldung.leeren();
            aktion(&w2.f, eintrag)->trigger();
            QCOMPARE(QDir::currentPath(), w2.z.einstellungen.startverzeichnis);
            const QStringList zeilen = w2.meldung.eintraege().value(0).text.split(QLatin1Char('\n'));
            QCOMPARE(zeilen.value(4) + zeilen.value(7), Pfade::konfiguration() + Pfade::programm());
            QVERIFY2(QFileInfo(zeilen.value(10)).isFile() && !zeilen.join(' ').contains("http"), qPrintable(zeilen.join('|')));
        }
    }

    // A busy port is said once; the settings file keeps every byte, and the language chosen in the
    // start window rewrites its line only.
    void portBelegtUndSprachwahl()
    {
        const QByteArray datei("19200,n,8,1\r\n 2 \r\n1\r\n0049\r\n1000\r\n");
        QVERIFY(schreib(Pfade::einstellungsdatei(), datei));
        Hauptfensteraufbau<> w;
        w.port.setOpenFailure(Port::Oeffnungsfehler::Belegt);
        w.starte();
        QCOMPARE(w.meldung.eintraege().value(0).text, Texttabelle::text(1136));  // in English, as the file says
        QCOMPARE(lies(Pfade::einstellungsdatei()), datei);
        QVERIFY(w.f.portnummer() == 2 && !w.port.isOpen() && w.port.lostWrites() == 0);
        QVERIFY(mitModal(QStringLiteral("start2d"), [&datei](QWidget *s) {
            QVERIFY(kind<QRadioButton>(s, "Option1_1")->isChecked());
            klicke(s, "Option1_1");  // the same language: the file stays
            QCOMPARE(lies(Pfade::einstellungsdatei()), datei);
            klicke(s, "Option1_3");
            klicke(s, "Command1");
        }));
        QCOMPARE(lies(Pfade::einstellungsdatei()), QByteArray(datei).replace("1000", "3000"));
        QVERIFY(w.z.sprache.versatz == 3000 && w.meldung.textnummern() == QList<int>{136});
    }

    void beendenSendetEndstring_data()
    {
        spalten<bool, int>("menue", "mal");
        QTest::newRow("Schliessfeld") << false << 1;
        QTest::newRow("Beenden") << true << 2;
    }
    void beendenSendetEndstring()
    {
        const auto [ausDemMenue, mal] = werte<bool, int>("menue", "mal");
        Hauptfensteraufbau<> w;
        w.bereit();
        for (bool laeuft : {true, false}) {  // while a write or recovery scan runs, no other bus command may start
            emit w.f.schreibPanel()->laeuftGeaendert(laeuft);
            QCOMPARE(menue(&w.f, "mnuPortavo")->isEnabled(), !laeuft);
            QCOMPARE(aktion(&w.f, "mnuTrouble")->isEnabled(), !laeuft);
        }
        w.port.clearWrites();
        if (ausDemMenue)
            aktion(&w.f, "mnuFileExit")->trigger();
        else
            w.f.close();
        QCOMPARE(w.port.written(), Telegramm::Endstring.repeated(mal));
        QVERIFY(QApplication::clipboard()->text() == QStringLiteral("Übernehmen") && !w.f.isVisible());
    }

    void ladenOeffnetDenEditorUndLehntKaputteDateiAb()
    {
        Hauptfensteraufbau<> w;
        w.bereit();
        QTemporaryDir ordner;
        QString gewaehlt = ordner.filePath(QStringLiteral("TUER.S2D"));
        w.f.setDateiwahl([&](const QString &, const QString &, const QString &, const QString &) { return gewaehlt; });
        const QByteArray inhalt = hauptdatei([](int i) { return i == 0 ? 42 : 0; });
        QVERIFY(schreib(gewaehlt, inhalt));
        imDialog([&](QWidget *editor) {
            QCOMPARE(editor->windowTitle(), gewaehlt);
            QCOMPARE(kind<QLineEdit>(editor, "TextTueroeffnungszeit")->text(), QStringLiteral("42"));
            aktion(editor, "mnuFileExit")->trigger();
        }, QStringLiteral("portadatei2D"));
        aktion(&w.f, "mnuOpen")->trigger();
        QVERIFY(w.f.aktuelleDatei() == gewaehlt && w.f.blockpruefsumme() == (42 ^ 3));
        // A file one line short is refused with a message; the image stays.
        gewaehlt = ordner.filePath(QStringLiteral("KURZ.S2D"));
        QVERIFY(schreib(gewaehlt, inhalt.left(inhalt.lastIndexOf(" 0 \r\n"))));
        aktion(&w.f, "mnuOpen")->trigger();
        QCOMPARE(w.meldung.textnummern(), QList<int>{384});
        QVERIFY(w.z.bild.Daten[0] == 42 && w.f.aktuelleDatei() == ordner.filePath(QStringLiteral("TUER.S2D")));
    }

    // OK on a busy port: the port stays closed and the settings file as it is, but the names typed
    // for the ports are saved.
    void schnittstelleBelegtBehaeltOrte()
    {
        Hauptfensteraufbau<GeraetePort> w;
        const QString belegt = geraet(2);
        w.port.fehler[belegt] = Port::Oeffnungsfehler::Belegt;
        w.bereit();
        const QByteArray einstellungen = lies(Pfade::einstellungsdatei());
        const QByteArray orte = "Halle\r\nLager\r\n" + QByteArray("-------\r\n").repeated(14);
        imDialog([&](QWidget *s) {
            auto *ort = kind<QLineEdit>(s, "Text1");
            auto *combo = kind<QComboBox>(s, "Combo1");
            ort->selectAll();
            QTest::keyClicks(ort, QStringLiteral("Halle"));  // the name of the port left
            combo->setCurrentIndex(1);
            emit combo->activated(1);
            QCOMPARE(kind<QLabel>(s, "LabelGeraet")->text(), belegt);
            ort->selectAll();
            QTest::keyClicks(ort, QStringLiteral("Lager"));
            klicke(s, "Co1");
            QVERIFY(w.meldung.eintraege().size() == 1 && w.meldung.eintraege().first().text.contains(belegt));
            QCOMPARE(QApplication::activeModalWidget(), s);  // still open
            s->close();  // the user gives up
        }, QStringLiteral("Schnittstelle2D"));
        aktion(&w.f, "mnuSchnittstelle")->trigger();
        QVERIFY(!w.port.isOpen() && w.f.portnummer() == 2);
        QVERIFY(lies(Pfade::orteDatei()) == orte && lies(Pfade::einstellungsdatei()) == einstellungen);
    }

    // The movement log's end, from a whole line on, with a note where there is nothing or only the end.
    void bewegungsanzeige_data()
    {
        spalten<QByteArray, int, QString>("inhalt", "hinweis", "text");  // inhalt "-": no file; hinweis 0: none
        const QByteArray zeile("am:;05.12.26; um: ;14.31  Uhr;Kartennummer:M\xfcller 1\r\n");
        const QString text = QStringLiteral("am:;05.12.26; um: ;14.31  Uhr;Kartennummer:Müller 1\n");
        QTest::newRow("two lines") << zeile + zeile << 0 << text + text;
        QTest::newRow("no file") << QByteArray("-") << 734 << QString();
        QTest::newRow("long") << zeile + zeile + zeile << 730 << text + text;  // longer than 120 bytes
    }
    void bewegungsanzeige()
    {
        const auto [inhalt, hinweis, text] = werte<QByteArray, int, QString>("inhalt", "hinweis", "text");
        const QString log = logdatei();  // removed before each test
        if (inhalt != "-")
            QVERIFY(schreib(log, inhalt));
        Zustand z;
        QWidget eltern;
        Bewegungsanzeige f(z, log, &eltern, 120);
        f.show();
        auto *label = kind<QLabel>(&f, "LabelHinweis");
        QCOMPARE(label->isVisible(), hinweis != 0);
        if (hinweis)
            QCOMPARE(label->text(), Texttabelle::text(hinweis).arg(0));
        QCOMPARE(kind<QPlainTextEdit>(&f, "TextProtokoll")->toPlainText(), text);
    }

    // The desktop's viewer first; without one, one window per log, read again.
    void bewegungsanzeigeEinmal()
    {
        const QString log = logdatei();  // removed before each test
        QVERIFY(schreib(log, "Veranstaltung vom:\r\n"));
        Zustand z;
        QWidget eltern;
        QList<QUrl> gefragt;
        bool geht = true;
        const auto desktop = [&](const QUrl &url) { return gefragt << url, geht; };
        QCOMPARE(Bewegungsanzeige::zeige(z, log, &eltern, desktop), nullptr);
        QCOMPARE(gefragt, QList<QUrl>{QUrl::fromLocalFile(log)});
        geht = false;
        Bewegungsanzeige *erstes = Bewegungsanzeige::zeige(z, log, &eltern, desktop);
        QVERIFY(erstes && erstes->isVisible());
        erstes->close();
        QVERIFY(schreib(log, "Veranstaltung vom:\r\nam:;\r\n"));
        QVERIFY(Bewegungsanzeige::zeige(z, log, &eltern, desktop) == erstes && erstes->isVisible());
        QCOMPARE(kind<QPlainTextEdit>(erstes, "TextProtokoll")->toPlainText(), QStringLiteral("Veranstaltung vom:\nam:;\n"));
    }

    // On the simulated bus, the window's part of identifying and reading out: the typed address and the
    // version shown, the password box, the button held while it runs, the file handed to the editor; the
    // interface's echo found, said at once in the status line (without echo the same slot: its text in
    // echoInDerAuswahl, the bus in TestAuslesen and TestCliBus).
    void identifizierenUndAuslesenAmBus()
    {
        SimBus sim;
        const QJsonObject t17{{"version", "Ver 4.02 TS 1 11"}, {"password", "112233"}};
        BUS_STARTEN(sim, QJsonArray{SimBus::terminal(3, 0), SimBus::terminal(17, 1, t17)});
        portkarte(sim.device());
        Arbeitsordner arbeit;
        Hauptfensteraufbau<SimPort> w;
        QStringList editor;
        w.f.setEditor([&](const QString &datei, const QString &titel) { editor << datei << titel; });
        w.bereit();
        w.identifiziere(QStringLiteral("17"));
        QCOMPARE(kind<QLabel>(&w.f, "LabelAdresse")->text() + '/' + kind<QLabel>(&w.f, "LabelVersion")->text(),
                 QStringLiteral("17/Ver 4.02 TS 1 11"));
        QCOMPARE(kind<QLabel>(&w.f, "StatusEcho")->text(), Texttabelle::text(886));
        QVERIFY(w.f.auslesePanel()->isVisible());

        w.meldung.antworte(Meldung::Ja);  // the question afterwards: edit the file
        auto *knopf = kind<QPushButton>(&w.f, "CommandAuslesen");
        imDialog([](QWidget *d) {
            QTest::keyClicks(kind<QLineEdit>(d, "Text1"), QStringLiteral("11a2233"));  // the letter is swallowed
            klicke(d, "OK");
            QVERIFY(!d->isVisible());  // taken (a refusal would leave the box waiting)
        }, QStringLiteral("Passwort2D"));
        knopf->click();
        QTRY_VERIFY(!knopf->isEnabled());
        QTRY_VERIFY(!editor.isEmpty());
        QCOMPARE(editor, (QStringList{arbeit.pfad(QStringLiteral("PORTAVO.S2D")), QStringLiteral("PORTAVO.S2D")}));
        QVERIFY(knopf->isEnabled() && w.f.aktuelleDatei() == editor.at(0));
        w.f.close();
    }

    // Which menu items can be chosen, for every kind of operation, modem line state and a bus command running.
    void freigabe_data()
    {
        using B = Menuelage::Betrieb;
        using M = Menuelage::Modem;
        spalten<Menuelage::Betrieb, Menuelage::Modem, bool, QString>("betrieb", "modem", "belegt", "erwartet");
        const QString alles = QStringLiteral("datei portavo schnittstelle testbetrieb dialog trouble");
        QTest::newRow("Anlauf") << B::Anlauf << M::Unbenutzt << false << QString();
        QTest::newRow("Anlauf, Modem verbunden") << B::Anlauf << M::Verbunden << false << QString();
        QTest::newRow("RS485") << B::Rs485 << M::Unbenutzt << false << alles;
        QTest::newRow("RS485, Bus belegt") << B::Rs485 << M::Unbenutzt << true << "datei schnittstelle testbetrieb dialog";
        QTest::newRow("RS485 nach Modemereignis") << B::Rs485 << M::Beendet << false << alles;
        QTest::newRow("Modem, nicht verbunden") << B::Modem << M::Unbenutzt << false << "datei portavo testbetrieb modem";
        QTest::newRow("Modem, nicht verbunden, belegt") << B::Modem << M::Unbenutzt << true << "datei testbetrieb modem";
        QTest::newRow("Modem verbunden") << B::Modem << M::Verbunden << false << "datei portavo testbetrieb trouble";
        QTest::newRow("Modem verbunden, Bus belegt") << B::Modem << M::Verbunden << true << "datei testbetrieb";
        QTest::newRow("Modem legt auf") << B::Modem << M::Auflegen << false << "datei portavo testbetrieb";
        QTest::newRow("Modem legt auf, Bus belegt") << B::Modem << M::Auflegen << true << "datei testbetrieb";
        QTest::newRow("Modem aufgelegt") << B::Modem << M::Aufgelegt << false << "datei testbetrieb";
        QTest::newRow("Modem aufgelegt, Bus belegt") << B::Modem << M::Aufgelegt << true << "datei testbetrieb";
        QTest::newRow("Modemfenster zu") << B::Modem << M::Beendet << false << "datei testbetrieb modem";
        QTest::newRow("Modemfenster zu, Bus belegt") << B::Modem << M::Beendet << true << "datei testbetrieb modem";
    }
    void freigabe()
    {
        Menuelage lage;
        QString erwartet;
        std::tie(lage.betrieb, lage.modem, lage.busBelegt, erwartet) =
            werte<Menuelage::Betrieb, Menuelage::Modem, bool, QString>("betrieb", "modem", "belegt", "erwartet");
        QCOMPARE(frei(Menuefreigabe::fuer(lage)), erwartet.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    }

    // The scan would run nearly two minutes: the panel shows how far it got and lets the user stop it;
    // without a port it does not start.
    void troubleMitFortschrittUndAbbruch()
    {
        Strecke<FakePort> s;
        QWidget fenster;
        Schreibpanel panel(s.z, s.v, s.anmeldung, s.meldung, &fenster);
        fenster.show();
        panel.trouble().setTakt(1, 2);
        panel.troubleStarten();
        auto *dialog = kind<QProgressDialog>(&fenster, "Troublefortschritt");
        QVERIFY(dialog->isVisible() && dialog->maximum() == 2048);
        QTRY_VERIFY(dialog->value() >= 5);  // running
        dialog->findChild<QPushButton *>()->click();
        QVERIFY(!panel.trouble().laeuft() && panel.trouble().abgebrochen() && !dialog->isVisible());
        QCOMPARE(s.meldung.textnummern(), QList<int>{557});
        QVERIFY(QApplication::overrideCursor() == nullptr);  // no wait cursor left behind
        s.port.close();  // without a port it does not start
        panel.troubleStarten();
        QVERIFY(!dialog->isVisible() && s.meldung.textnummern() == (QList<int>{557, 193}));
    }

    // Only protocols with a name are offered, not as empty greyed options.
    void nurBenannteProtokolle()
    {
        Strecke<FakePort> s;
        Protokollidentfenster d(s.z, s.v, s.meldung);
        d.show();
        int sichtbar = 0;
        for (int k = 0; k < 8; ++k) {
            const bool zu = kind<QRadioButton>(&d, qPrintable(QStringLiteral("ptk%1").arg(k)))->isVisible();
            QCOMPARE(zu, !s.z.sprache.protokollnamen.at(k).trimmed().isEmpty());
            sichtbar += zu;
        }
        QCOMPARE(sichtbar, 2);
    }

    // Two lines without gaps, the words of the text as they are.
    void beschriftungOhneLuecke()
    {
        for (int sprache : {0, 1000, 2000, 3000}) {
            const QString roh = Texttabelle::text(124 + sprache);
            const QString b = Auslesepanel::beschriftung(roh);
            QCOMPARE(b.count(QLatin1Char('\n')), 1);
            QCOMPARE(QString(b).replace(QLatin1Char('\n'), QLatin1Char(' ')), roh.simplified());
        }
    }

    // On the simulated bus: request and answer as byte codes, and a fault the terminal reports.
    void testbetriebZeigtDenBus()
    {
        SimBus sim;
        const QJsonArray ereignisse{QJsonObject{{"type", "fault"}, {"afterPolls", 1}, {"polls", 1000}}};
        BUS_STARTEN(sim, QJsonArray{SimBus::terminal(17, 0, QJsonObject{{"events", ereignisse}})});
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

    // Start-up waiting for the clipboard; the monitor (modeless, kept) and test mode (modal) from the menu, on a
    // USB adapter pulled and put back while both run: said once; back as another device with the same serial
    // number, the port opens on it by itself (its adapter noted although start-up waited), says so once, and
    // both go on.
    void monitorUndTestbetriebUeberstehenWiederanschluss()
    {
        QTemporaryDir dev;
        QVERIFY(schreib(dev.filePath("ttyUSB0"), QByteArray()));
        portkarte(dev.filePath("ttyUSB0"));
        QVector<Geraeteliste::Geraet> jetzt{{dev.filePath("ttyUSB0"), "USB-RS485", "FTDI", "A1", "", true}};
        Hauptfensteraufbau<> w;
        w.f.wiederanschluss().setGeraeteliste([&] { return jetzt; });
        QGuiApplication::clipboard()->setText(QStringLiteral("Stop"));
        w.starte();
        QVERIFY(!w.port.isOpen());  // nor blocked: the event loop runs
        QGuiApplication::clipboard()->setText(QString());
        QTRY_COMPARE(w.port.written(), Telegramm::Startstring);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Warten"));
        QVERIFY(mitModal(QStringLiteral("start2d"), [](QWidget *s) { klicke(s, "Command1"); }));
        QAction *dialog = aktion(&w.f, "mnuDialog");
        QTRY_VERIFY(dialog->isEnabled());
        dialog->trigger();  // nothing identified yet
        QCOMPARE(w.meldung.textnummern(), QList<int>{138});

        aktion(&w.f, "mnuDiagnose")->trigger();
        auto *monitor = w.f.findChild<Monitorfenster *>();
        QVERIFY(monitor && monitor->isVisible() && !monitor->isModal());
        aktiviere(monitor);
        kind<QLabel>(&w.f, "LabelAdresse")->setText(QStringLiteral("17"));
        w.z.terminal.adresse = 17;
        QTimer::singleShot(0, dialog, &QAction::trigger);
        QVERIFY(mitModal(QStringLiteral("Testbetrieb2D"), [&](QWidget *t) {
            // The monitor takes input while test mode is open: Stop, then Reset.
            QTest::mouseClick(kind<QPushButton>(monitor, "Command1"), Qt::LeftButton);
            klicke(t, "Command1");
            QTRY_VERIFY(w.port.written().contains(Telegramm::anfrage(17, "K")));
            QCOMPARE(monitor->modell().anzahl(), 0);
            QTest::mouseClick(kind<QPushButton>(monitor, "Command2"), Qt::LeftButton);
            QTRY_VERIFY(monitor->modell().rowCount() > 0);
            QCOMPARE(monitor->modell().zeileText(0), Telegramm::monitorTelegramm(Telegramm::anfrage(17, "S")));

            w.port.loseDevice();
            QTRY_COMPARE(w.meldung.textnummern(), (QList<int>{138, 633}));  // test mode says it, the monitor is quiet
            QVERIFY(w.meldung.eintraege().last().text.contains(dev.filePath("ttyUSB0")));
            const int gesehen = monitor->modell().anzahl();
            w.port.clearWrites();
            jetzt = {{dev.filePath("ttyS0"), "", "", "", "", false}, {dev.filePath("ttyUSB3"), "USB-RS485", "FTDI", "A1", "", true}};
            QTRY_COMPARE(w.meldung.textnummern(), (QList<int>{138, 633, 913}));
            QVERIFY(w.port.device() == dev.filePath("ttyUSB3") && w.meldung.eintraege().last().text.contains(dev.filePath("ttyUSB3")));
            QTRY_VERIFY(w.port.written().contains(Telegramm::anfrage(17, "S")));  // test mode polls again
            QTRY_VERIFY(monitor->modell().anzahl() > gesehen);
            klicke(t, "Command2");
        }));
        QVERIFY(w.f.isVisible());
        jetzt.clear();  // the monitor alone says the loss itself
        aktiviere(monitor);
        w.port.loseDevice();
        QTRY_COMPARE(w.meldung.textnummern(), (QList<int>{138, 633, 913, 633}));
        // The same monitor opens again, emptied.
        aktion(&w.f, "mnuDiagnose")->trigger();
        QVERIFY(w.f.findChildren<Monitorfenster *>().size() == 1 && monitor->modell().anzahl() == 0);
        w.f.close();
    }

    // Start-up's settings and port handling, the port selection logic and the password box, without windows.
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
        portkarte();
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

    // A USB adapter in the port selection: what it is, and its by-id link offered for the port map,
    // which then names the adapter by that link (matched to the listed device through it).
    void stabilerNameInDerKarte()
    {
        portkarte();
        QTemporaryDir dev;
        const QString usb = dev.filePath("ttyUSB0"), stabil = dev.filePath("by-id/usb-FTDI_FT232R_A10K1234-if00-port0");
        QVERIFY(schreib(usb, {}) && QDir(dev.path()).mkdir("by-id") && QFile::link("../ttyUSB0", stabil));
        QVERIFY(Pfade::setzeGeraet(3, usb));
        const QByteArray karte = lies(Pfade::portsDatei());
        Zustand z;
        GeraetePort port;
        int nummer = 3;
        Schnittstellenwahl w(z, port, nummer);
        w.setGeraeteliste([&] {
            return QVector<Geraeteliste::Geraet>{{usb, "FT232R USB UART", "FTDI", "A10K1234", stabil, true},
                                                 {geraet(4), "ttyS3", "", "", "", false}};
        });
        w.laden();
        const QString usbText = QStringLiteral("FT232R USB UART, FTDI, Seriennummer A10K1234");
        QCOMPARE(w.details(2), (QStringList{usb, usbText, "Stabiler Name: " + stabil}));
        QCOMPARE(w.details(3), QStringList{geraet(4)});  // no USB device: its path only
        QVERIFY(w.stabilerNameMoeglich(2) && !w.stabilerNameMoeglich(3) && !w.stabilenNamenVerwenden(3));
        QVERIFY(w.stabilenNamenVerwenden(2) && port.device() == stabil);
        QCOMPARE(lies(Pfade::portsDatei()), QByteArray(karte).replace(usb.toUtf8(), stabil.toUtf8()));  // the other lines stay
        w.laden();
        QCOMPARE(w.details(2), (QStringList{stabil, usbText}));
        QVERIFY(!w.stabilerNameMoeglich(2));
    }

    void listeUndOrte()
    {
        portkarte();
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
        QCOMPARE(w.waehle(11, QStringLiteral("Ort 2")), QStringLiteral("Ort 12"));
        QCOMPARE(port.device(), geraet(12));
        // An NC entry, or one whose name holds "NC", keeps the port but takes the typed name.
        QCOMPARE(w.waehle(2, QStringLiteral("Werk 12")), QStringLiteral("Ort 3"));
        w.waehle(5, QStringLiteral("Keller"));
        QVERIFY(nummer == 12 && z.einstellungen.portnummer == 12);
        QCOMPARE(w.waehle(11, QStringLiteral("Halle NC")), QStringLiteral("Werk 12"));  // names stay with their port

        QVERIFY(w.ok(11, nullptr) && port.isOpen());
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
        QVERIFY(f.taste('X', "12", z) == T::Verschluckt && f.taste(QChar(13), "12", z) == T::Ok);  // Return: OK
        QCOMPARE(z.terminal.passwort, QByteArray("12"));  // what was typed, kept at each key
        QVERIFY(f.taste('X', "7", z) == T::Verschluckt && f.modus() == Passworteingabe::Frei);
        QVERIFY(f.taste('q', "7", z) == T::Weiter && f.taste(QChar(13), "7q", z) == T::Weiter);  // not in free entry
        QCOMPARE(f.ok(QStringLiteral("abJ"), z), Passworteingabe::Ergebnis::Angenommen);
        QVERIFY(z.terminal.passwort == "XabJ" && z.terminal.passwortOK);
    }
};

PORTAVO_TESTKLASSE(TestHauptfenster)
#include "tst_hauptfenster.moc"
