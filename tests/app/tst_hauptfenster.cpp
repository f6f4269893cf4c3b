// The main window with its start window, identification and read-out, in
// offscreen windows: against FakePort for start-up and exit, against
// portavo-sim for the flows on the bus.

#include "Simulator.h"
#include "diag/Adressident2D.h"
#include "link/FakePort.h"
#include "link/Telegramm.h"
#include "shell/Hauptfenster.h"
#include "shell/MeldungAufnahme.h"
#include "shell/Pfade.h"
#include "shell/Texttabelle.h"
#include "shell/Zustand.h"

#include <QAction>
#include <QComboBox>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

namespace {
void schreib(const QString &pfad, const QByteArray &inhalt)
{
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(inhalt);
}

QByteArray lies(const QString &pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Hands the modal window of that name to the test once it is open. The
// window runs its own event loop, so the test acts from a timer inside it;
// a window left open after a failed check is closed.
bool mitModal(const QString &name, const std::function<void(QWidget *)> &tun, int grenzeMs = 5000)
{
    bool erledigt = false;
    QTimer blick;
    blick.setInterval(20);
    QObject::connect(&blick, &QTimer::timeout, [&] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || w->objectName() != name)
            return;
        blick.stop();
        tun(w);
        if (QTest::currentTestFailed() && QApplication::activeModalWidget() == w)
            w->close();
        erledigt = true;
    });
    blick.start();
    return QTest::qWaitFor([&] { return erledigt; }, grenzeMs);
}

// Opening fails for the devices in the table.
class GeraetePort : public FakePort {
public:
    QMap<QString, Oeffnungsfehler> fehler;
    bool open() override
    {
        setOpenFailure(fehler.value(device(), Oeffnungsfehler::Keiner));
        return FakePort::open();
    }
};

void portkarte(const QString &port1)
{
    QByteArray k = port1.toUtf8() + "\r\n";
    for (int n = 2; n <= 16; ++n)
        k += "/dev/portavo-test-fehlt" + QByteArray::number(n) + "\r\n";
    schreib(Pfade::portsDatei(), k);
}
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
    static void starteBisBereit(portavo2D &f, int sprache = -1)
    {
        f.show();
        f.starte();
        QVERIFY(mitModal(QStringLiteral("start2d"), [sprache](QWidget *w) {
            if (sprache >= 0)
                w->findChild<QRadioButton *>(QStringLiteral("Option1_%1").arg(sprache))->click();
            w->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
        }));
        QTRY_VERIFY(f.findChild<QAction *>(QStringLiteral("mnuSchnittstelle"))->isEnabled());
    }

private slots:
    void init()
    {
        QFile::remove(Pfade::einstellungsdatei());
        QFile::remove(Pfade::orteDatei());
        QApplication::clipboard()->setText(QString());
    }

    void sprachwahlSchreibtEinstellungenUndBeschriftungen()
    {
        portkarte(QStringLiteral("fake"));
        schreib(Pfade::einstellungsdatei(), "9600,n,8,1\r\n 1 \r\n1\r\n0049\r\n0\r\n");
        Zustand z;
        MeldungAufnahme meldung;
        FakePort port;
        portavo2D f(z, meldung, &port);
        f.show();
        f.starte();
        QVERIFY(port.isOpen());
        QCOMPARE(port.written(), Telegramm::Startstring);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Warten"));
        // Before the start window only Hilfe can be used.
        QVERIFY(!f.findChild<QMenu *>(QStringLiteral("mnuFile"))->menuAction()->isEnabled());
        QVERIFY(!f.findChild<QAction *>(QStringLiteral("mnuTrouble"))->isEnabled());
        QVERIFY(f.findChild<QMenu *>(QStringLiteral("mnuHilfe"))->menuAction()->isEnabled());

        QVERIFY(mitModal(QStringLiteral("start2d"), [&](QWidget *w) {
            QVERIFY(w->findChild<QRadioButton *>(QStringLiteral("Option1_0"))->isChecked());
            w->findChild<QRadioButton *>(QStringLiteral("Option1_2"))->click();
            QCOMPARE(w->windowTitle(), Texttabelle::text(2179));
            QCOMPARE(w->findChild<QPushButton *>(QStringLiteral("Command1"))->text(), Texttabelle::text(2181));
            QCOMPARE(lies(Pfade::einstellungsdatei()), QByteArray("19200,n,8,1\r\n 1 \r\n1\r\n0049\r\n2000\r\n"));
            w->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
        }));
        QCOMPARE(int(z.Sprache), 2000);
        QCOMPARE(f.windowTitle(), Texttabelle::text(2114));
        QCOMPARE(f.findChild<QMenu *>(QStringLiteral("mnuFile"))->title(), Texttabelle::text(2101));
        QCOMPARE(f.findChild<QAction *>(QStringLiteral("mnuAuslesen"))->text(), Texttabelle::text(2105));
        QCOMPARE(f.findChild<QLabel *>(QStringLiteral("LabelVersion"))->text(), Texttabelle::text(2133));
        QCOMPARE(f.findChild<QGroupBox *>(QStringLiteral("FrameAuslesen"))->title(), Texttabelle::text(2122));
        // RS485 operation: menus on (Modem stays off), intervals set.
        QVERIFY(f.findChild<QMenu *>(QStringLiteral("mnuFile"))->menuAction()->isEnabled());
        QVERIFY(f.findChild<QAction *>(QStringLiteral("mnuTrouble"))->isEnabled());
        QVERIFY(f.findChild<QAction *>(QStringLiteral("mnuDialog"))->isEnabled());
        QVERIFY(!f.findChild<QAction *>(QStringLiteral("mnuModem"))->isEnabled());
        QCOMPARE(z.Timerintervall[4], 2500);

        // The French start window opens with French pre-selected next time.
        Zustand z2;
        FakePort port2;
        portavo2D f2(z2, meldung, &port2);
        f2.show();
        f2.starte();
        QVERIFY(mitModal(QStringLiteral("start2d"), [](QWidget *w) {
            QVERIFY(w->findChild<QRadioButton *>(QStringLiteral("Option1_2"))->isChecked());
            w->close();
        }));
        // Closed without the RS485 button: the menus stay off.
        QVERIFY(!f2.findChild<QMenu *>(QStringLiteral("mnuFile"))->menuAction()->isEnabled());
    }

    void zwischenablageStopWartetOhneZuBlockieren()
    {
        portkarte(QStringLiteral("fake"));
        Fenster<> w;
        auto &[z, meldung, port, f] = w;
        QApplication::clipboard()->setText(QStringLiteral("Stop"));
        f.show();
        f.starte();
        QTest::qWait(350);
        QVERIFY(port.written().isEmpty());
        QApplication::clipboard()->setText(QStringLiteral("weiter"));
        QTRY_COMPARE_WITH_TIMEOUT(port.written(), Telegramm::Startstring, 1000);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Warten"));
        QVERIFY(mitModal(QStringLiteral("start2d"), [](QWidget *w) { w->close(); }));
    }

    void portOeffnetNichtEinmalMeldung()
    {
        portkarte(QStringLiteral("fake"));
        schreib(Pfade::einstellungsdatei(), "19200,n,8,1\r\n 1 \r\n0\r\n\r\n1000\r\n");
        Zustand z;
        MeldungAufnahme meldung;
        FakePort port;
        port.setOpenFailure(Port::Oeffnungsfehler::Belegt);
        portavo2D f(z, meldung, &port);
        f.show();
        f.starte();
        QCOMPARE(meldung.textnummern(), QList<int>{136});
        QCOMPARE(meldung.eintraege().first().titelnummer, 137);
        // The defaults were written (German) and the program runs on.
        QCOMPARE(lies(Pfade::einstellungsdatei()), QByteArray("19200,n,8,1\r\n1\r\n0\r\n\r\n0\r\n"));
        QVERIFY(!port.isOpen());
        QCOMPARE(port.lostWrites(), 0);
        QVERIFY(mitModal(QStringLiteral("start2d"), [](QWidget *w) {
            w->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
        }));
        QCOMPARE(meldung.textnummern(), QList<int>{136});
    }

    void beendenSendetEndstring()
    {
        portkarte(QStringLiteral("fake"));
        Zustand z;
        MeldungAufnahme meldung;
        FakePort port;
        {
            portavo2D f(z, meldung, &port);
            starteBisBereit(f);
            port.clearWrites();
            f.close();
            QCOMPARE(port.written(), Telegramm::Endstring);
            QCOMPARE(port.written().size(), 15);
            QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Übernehmen"));
        }
        {
            portavo2D f(z, meldung, &port);
            starteBisBereit(f);
            port.clearWrites();
            QApplication::clipboard()->setText(QString());
            f.findChild<QAction *>(QStringLiteral("mnuFileExit"))->trigger();
            QCOMPARE(port.written(), Telegramm::Endstring + Telegramm::Endstring);
            QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Übernehmen"));
            QVERIFY(!f.isVisible());
        }
    }

    void hilfeUndDialogOhneTerminal()
    {
        portkarte(QStringLiteral("fake"));
        Fenster<> w;
        auto &[z, meldung, port, f] = w;
        starteBisBereit(f, 3);
        f.findChild<QAction *>(QStringLiteral("mnuInstallation"))->trigger();
        QCOMPARE(meldung.eintraege().last().titel, QStringLiteral("INTERNET"));
        QCOMPARE(meldung.eintraege().last().text, portavo2D::Webadresse);
        f.findChild<QAction *>(QStringLiteral("mnuDialog"))->trigger();
        QCOMPARE(meldung.eintraege().last().textnummer, 138);
        QCOMPARE(meldung.eintraege().last().text, Texttabelle::text(3138));
    }

    void ladenPrueftEndung()
    {
        portkarte(QStringLiteral("fake"));
        Fenster<> w;
        auto &[z, meldung, port, f] = w;
        starteBisBereit(f);
        QString gewaehlt;
        QStringList geoeffnet;
        f.setDateiwahl([&](const QString &, const QString &, const QString &, const QString &) { return gewaehlt; });
        f.setEditor([&](const QString &datei, const QString &) { geoeffnet << datei; });
        QTemporaryDir ordner;
        QByteArray inhalt;
        for (int i = 0; i < 2048; ++i)
            inhalt += " " + QByteArray::number(i % 251) + " \r\n";
        for (const QString &name : {QStringLiteral("A.S2d"), QStringLiteral("A.B2D"), QStringLiteral("A.S3D")}) {
            schreib(ordner.filePath(name), inhalt);
        }
        auto *laden = f.findChild<QAction *>(QStringLiteral("mnuOpen"));
        gewaehlt = ordner.filePath(QStringLiteral("A.S2d"));
        laden->trigger();
        gewaehlt = ordner.filePath(QStringLiteral("A.B2D"));
        laden->trigger();
        QCOMPARE(meldung.textnummern(), (QList<int>{176, 176}));
        QVERIFY(geoeffnet.isEmpty());
        gewaehlt = ordner.filePath(QStringLiteral("A.S3D"));
        laden->trigger();
        QCOMPARE(geoeffnet, QStringList{gewaehlt});
        QCOMPARE(int(z.bild.Daten[250]), 250);
        int pruef = 3;
        for (int i = 0; i < 2048; ++i)
            pruef ^= i % 251;
        QCOMPARE(f.blockpruefsumme(), pruef);
        QCOMPARE(int(z.LadenZumBearbeiten), 0);
    }

    void ladenOeffnetDenEditorUndLehntKaputteDateiAb()
    {
        portkarte(QStringLiteral("fake"));
        Fenster<> w;
        auto &[z, meldung, port, f] = w;
        starteBisBereit(f);
        QString gewaehlt;
        f.setDateiwahl([&](const QString &, const QString &, const QString &, const QString &) { return gewaehlt; });
        QTemporaryDir ordner;
        QByteArray inhalt;
        for (int i = 0; i < 2048; ++i)
            inhalt += " " + QByteArray::number(i == 0 ? 42 : 0) + " \r\n";
        gewaehlt = ordner.filePath(QStringLiteral("TUER.S2D"));
        schreib(gewaehlt, inhalt);
        auto *laden = f.findChild<QAction *>(QStringLiteral("mnuOpen"));

        // The real editor opens on the file, captioned with its full name.
        QTimer::singleShot(0, laden, &QAction::trigger);
        QVERIFY(mitModal(QStringLiteral("portadatei2D"), [&](QWidget *editor) {
            QCOMPARE(editor->windowTitle(), gewaehlt);
            QCOMPARE(editor->findChild<QLineEdit *>(QStringLiteral("TextTueroeffnungszeit"))->text(),
                     QStringLiteral("42"));
            editor->findChild<QAction *>(QStringLiteral("mnuFileExit"))->trigger();
        }));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(f.aktuelleDatei(), gewaehlt);

        // A file one line short is refused with a message; the image stays.
        const QString kurz = ordner.filePath(QStringLiteral("KURZ.S2D"));
        schreib(kurz, inhalt.left(inhalt.lastIndexOf(" 0 \r\n")));
        gewaehlt = kurz;
        meldung.leeren();
        laden->trigger();
        QCOMPARE(meldung.textnummern(), QList<int>{384});
        QVERIFY(meldung.eintraege().last().text.contains(QStringLiteral("2048")));
        QCOMPARE(int(z.bild.Daten[0]), 42);
        QCOMPARE(f.aktuelleDatei(), ordner.filePath(QStringLiteral("TUER.S2D")));
    }

    void schnittstelleBelegtBleibtOffen()
    {
        portkarte(QStringLiteral("fake"));
        Zustand z;
        MeldungAufnahme meldung;
        GeraetePort port;
        const QString belegt = QStringLiteral("/dev/portavo-test-fehlt2");
        port.fehler[belegt] = Port::Oeffnungsfehler::Belegt;
        for (int n = 3; n <= 16; ++n)
            port.fehler[QStringLiteral("/dev/portavo-test-fehlt%1").arg(n)] = Port::Oeffnungsfehler::GibtEsNicht;
        portavo2D f(z, meldung, &port);
        starteBisBereit(f);
        QTimer::singleShot(0, &f, [&f] { f.findChild<QAction *>(QStringLiteral("mnuSchnittstelle"))->trigger(); });
        QVERIFY(mitModal(QStringLiteral("Schnittstelle2D"), [&](QWidget *w) {
            QVERIFY(!port.isOpen());
            auto *combo = w->findChild<QComboBox *>(QStringLiteral("Combo1"));
            QCOMPARE(combo->count(), 16);
            QCOMPARE(combo->itemText(0), QStringLiteral("COM 1  ( ------- )"));
            QCOMPARE(combo->itemText(1), QStringLiteral("COM 2 OCCUPIED  ( ------- )"));
            QCOMPARE(combo->itemText(2), QStringLiteral("COM 3 NC  ( ------- )"));
            QCOMPARE(w->findChild<QLabel *>(QStringLiteral("LabelGeraet"))->text(), QStringLiteral("fake"));
            combo->setCurrentIndex(1);
            emit combo->activated(1);
            QCOMPARE(w->findChild<QLabel *>(QStringLiteral("LabelGeraet"))->text(), belegt);
            w->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("Lager"));
            w->findChild<QPushButton *>(QStringLiteral("Co1"))->click();
            QCOMPARE(meldung.eintraege().size(), 1);
            QVERIFY(meldung.eintraege().first().text.contains(belegt));
            QCOMPARE(QApplication::activeModalWidget(), w);  // still open
            combo->setCurrentIndex(0);
            emit combo->activated(0);
            w->findChild<QPushButton *>(QStringLiteral("Co1"))->click();
        }));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY(port.isOpen());
        QCOMPARE(port.device(), QStringLiteral("fake"));
        QCOMPARE(f.portnummer(), 1);
        QCOMPARE(lies(Pfade::orteDatei()).split('\n').value(1), QByteArray("Lager\r"));
    }

    // On the simulated bus: scan, choose, identify, read out.
    void identifizierenUndAuslesenAmBus()
    {
        Simulator sim;
        QTemporaryDir zustand;
        const QJsonArray t{QJsonObject{{"address", 3}, {"protocol", 0}, {"version", "Ver 3.12 TS 1 04"}},
                           QJsonObject{{"address", 17}, {"protocol", 1}, {"version", "Ver 4.02 TS 1 11"},
                                       {"password", "112233"}}};
        QString fehler = sim.starten(QJsonObject{{"terminals", t}}, {QStringLiteral("--state-dir"), zustand.path()});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        portkarte(sim.device());
        QTemporaryDir arbeit;
        const QString vorher = QDir::currentPath();
        QVERIFY(QDir::setCurrent(arbeit.path()));

        Zustand z;
        MeldungAufnahme meldung;
        portavo2D f(z, meldung);
        QStringList editor;
        f.setEditor([&](const QString &datei, const QString &titel) { editor << datei << titel; });
        starteBisBereit(f);
        QVERIFY(f.port().isOpen());

        QTimer::singleShot(0, &f, [&f] { f.findChild<QAction *>(QStringLiteral("mnuAuslesen"))->trigger(); });
        bool fertig = false;
        QVERIFY(mitModal(QStringLiteral("Adressident2D"), [&](QWidget *w) {
            QCOMPARE(int(z.AdressSuche), 1);
            auto *liste = w->findChild<QListWidget *>(QStringLiteral("List3"));
            auto *ok = w->findChild<QPushButton *>(QStringLiteral("Command3"));
            QVERIFY(!ok->isEnabled());
            w->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
            QVERIFY(!liste->isEnabled());
            QTRY_VERIFY_WITH_TIMEOUT(ok->isEnabled(), 25000);
            QCOMPARE(liste->count(), 2);
            QCOMPARE(liste->item(1)->text(), z.Texte.at(191) + "017" + z.Texte.at(192) + "001 QRX / Norvall");
            QTest::mouseClick(liste->viewport(), Qt::LeftButton, {},
                              liste->visualItemRect(liste->item(1)).center());
            QCOMPARE(w->findChild<QLineEdit *>(QStringLiteral("text1"))->text(), QStringLiteral("17"));
            ok->click();
            fertig = true;
        }));
        QVERIFY(fertig);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(int(z.AdressSuche), 0);
        QCOMPARE(f.findChild<QLabel *>(QStringLiteral("LabelAdresse"))->text(), QStringLiteral("17"));
        QCOMPARE(f.findChild<QLabel *>(QStringLiteral("LabelProtokoll"))->text(), QStringLiteral("QRX / Norvall"));
        QCOMPARE(f.findChild<QLabel *>(QStringLiteral("LabelVersion"))->text(), QStringLiteral("Ver 4.02 TS 1 11"));
        QVERIFY(f.auslesePanel()->isVisible());
        QCOMPARE(int(z.Identifiziert), 1);

        // Read-out; the question afterwards is answered Yes.
        meldung.antworte(Meldung::Ja);
        auto *knopf = f.findChild<QPushButton *>(QStringLiteral("CommandAuslesen"));
        QTimer::singleShot(0, knopf, &QPushButton::click);
        QVERIFY(mitModal(QStringLiteral("Passwort2D"), [](QWidget *w) {
            auto *feld = w->findChild<QLineEdit *>(QStringLiteral("Text1"));
            QTest::keyClicks(feld, QStringLiteral("11a2233"));
            QCOMPARE(feld->text(), QStringLiteral("112233"));
            w->findChild<QPushButton *>(QStringLiteral("OK"))->click();
        }));
        auto *status = f.findChild<QLabel *>(QStringLiteral("LabelStatus"));
        QTRY_COMPARE(status->text(), z.Texte.at(153));
        QVERIFY(!knopf->isEnabled());
        QCOMPARE(knopf->property("bereit").toBool(), false);
        QTRY_VERIFY_WITH_TIMEOUT(!editor.isEmpty(), 8000);
        QCOMPARE(meldung.textnummern(), QList<int>{162});
        QCOMPARE(editor.at(1), QStringLiteral("PORTAVO.S2D"));
        QCOMPARE(editor.at(0), QDir(arbeit.path()).absoluteFilePath(QStringLiteral("PORTAVO.S2D")));
        QCOMPARE(lies(editor.at(0)), lies(zustand.filePath(QStringLiteral("terminal-17.S2D"))));
        QCOMPARE(status->text(), QString());
        QVERIFY(knopf->isEnabled());
        QCOMPARE(f.aktuelleDatei(), editor.at(0));

        // A picture of the window for a look by eye.
        if (!qEnvironmentVariableIsEmpty("PORTAVO_BILD"))
            f.grab().save(qEnvironmentVariable("PORTAVO_BILD"));
        QDir::setCurrent(vorher);
        f.close();
    }
};

QTEST_MAIN(TestHauptfenster)
#include "tst_hauptfenster.moc"
