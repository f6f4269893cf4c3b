// portavo-cli on the bus against portavo-sim. "PORT" in a row stands for the
// simulator's device, "@/" for the class's folder.

#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "support/Kommandozeile.h"
#include "support/Simulator.h"
#include "support/Testhilfe.h"
#include "link/SerialPort.h"

#include <QRegularExpression>

#include <fcntl.h>
#include <grp.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

class TestCliBus : public QObject {
    Q_OBJECT
    Simulator m_sim;
    Simulator m_simOhneEcho;  // terminal 5 behind an interface that does not echo ("OHNE")
    QTemporaryDir m_ordner;
    QTemporaryDir m_heim;  // PORTAVO_HOME of the writes: their backups
    QTemporaryDir m_echoHeim;  // the finding about "OHNE"

    QStringList ersetzt(const QStringList &l) const
    {
        return imOrdner(l, m_ordner.path())
            .replaceInStrings(QRegularExpression("^PORT$"), m_sim.device())
            .replaceInStrings(QRegularExpression("^OHNE$"), m_simOhneEcho.device());
    }
    // In the class's folder, with PORTAVO_HOME `heim` (empty: the class's own, as ctest set it).
    Kommandolauf cli(const QStringList &args, const QString &heim = {})
    {
        Kommandooptionen o;
        o.ordner = m_ordner.path();
        if (!heim.isEmpty())
            o.umgebung.insert("PORTAVO_HOME", heim);
        return kommando(ersetzt(args), o);
    }
    // What went on the bus since `vorher`: all of it, as a mark written now comes after it.
    void gesendet(int vorher, QByteArray *bytes)
    {
        const QByteArray marke = Telegramm::anfrage(200, "X");
        const int fd = ::open(QFile::encodeName(m_sim.device()), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, marke.constData(), size_t(marke.size())), ssize_t(marke.size()));
        QTRY_VERIFY((*bytes = Simulator::bytes(m_sim.verkehr(vorher))).endsWith(marke));
        bytes->chop(marke.size());
        QByteArray echo(64, 0);
        qint64 gelesen = 0;
        QTRY_VERIFY((gelesen += qMax<ssize_t>(0, ::read(fd, echo.data(), 64))) >= marke.size());  // its echo
        ::close(fd);
    }
    // test or monitor until `n` lines are out, then Ctrl-C (status 130).
    Kommandolauf bisZeilen(const QStringList &args, int n, const QString &heim = {})
    {
        QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
        if (!heim.isEmpty())
            umgebung.insert("PORTAVO_HOME", heim);
        LaufendesKommando l(ersetzt(args), m_ordner.path(), umgebung);
        const bool da = QTest::qWaitFor([&] { return l.zeilen().size() >= n || l.p.state() == QProcess::NotRunning; }, 30000);
        const int status = da ? l.unterbrechen() : -1;
        return {status, l.aus, l.fehler()};
    }

private slots:
    void initTestCase()
    {
        const QJsonArray karten{QJsonObject{{"type", "card"}, {"afterPolls", 1}, {"data", "40012345"}, {"number", 17}},
                                QJsonObject{{"type", "misread"}, {"afterPolls", 2}}};
        // Terminal 7 answers two status requests, then no more.
        const QJsonArray verstummt{QJsonObject{{"type", "drop"}, {"command", "S"}, {"skip", 2}}};
        SIM_STARTEN(m_sim, QJsonArray{Simulator::terminal(5, 0, {{"password", "135790"}, {"events", karten}}),
                                      Simulator::terminal(7, 0, {{"faults", verstummt}}),
                                      Simulator::terminal(8, 1, {{"version", "Ver 4.02 TS 3 11"}}),
                                      Simulator::terminal(6, 0, {{"password", "246810"}})},
                    {QStringLiteral("--no-pacing")});
        SIM_STARTEN(m_simOhneEcho, QJsonArray{Simulator::terminal(5, 0, {{"password", "135790"}})},
                    {QStringLiteral("--no-pacing"), QStringLiteral("--no-echo")});
        QVERIFY(schreib(m_ordner.filePath("notes.B2D"), "wichtig\r\n"));
        QVERIFY(schreib(m_ordner.filePath("kurz.S2D"), " 1 \r\n 2 \r\n"));
        QVERIFY(schreib(m_ordner.filePath("text.B2D"), hauptdatei([](int) { return 0; })));
        QVERIFY(QDir(m_ordner.path()).mkdir("ordner.S2D"));
        QVERIFY(QDir(m_ordner.path()).mkpath("defekt") && QDir(m_ordner.path()).mkpath("blockiert"));
        QVERIFY(schreib(m_ordner.filePath("blockiert/Sicherungen"), "kein Ordner"));
        QVERIFY(schreib(m_ordner.filePath("defekt/PORTAVO.S2D"), hauptdatei([](int i) { return i == 700 ? 256 : 0; })));
        // Main files for the write: address (byte 8) and protocol (byte 10) as named.
        for (const auto &[name, adresse, protokoll] :
             {std::tuple{"s5.S2D", 5, 0}, {"a9.S2D", 9, 0}, {"p1.S2D", 5, 1}, {"n8.S2D", 8, 0}})
            QVERIFY(schreib(m_ordner.filePath(name), Simulator::hauptdateiMit(adresse, protokoll)));
    }

    // The test mode's polling: K, then S, L2 after data waiting, each answer acknowledged; the log.
    void testAblaufUndProtokoll()
    {
        const int vorher = int(m_sim.verkehr().size());
        const Kommandolauf t =
            bisZeilen({"test", "5", "--port", "PORT", "--log", "bew.dat", "--installation", "Halle 3", "--private"}, 6);
        QCOMPARE(t.status, 130);
        kommandoPruefen(t.aus, {"^K  request 02 05 75 03 77  answer 02 05 75 64 03 13  status 0x40 ok\n"
                                "S  request 02 05 83 03 85  answer 02 05 83 64 03 21  status 0x40 ok\n"
                                "S  request 02 05 83 03 85  answer 02 05 83 68 03 17  status 0x44 data-waiting\n"
                                "L2  request 02 05 76 50 03 ",
                                " card \"40012345                 \"\nS  request 02 05 83 03 85  answer 02 05 83 68 03 17  status "
                                "0x44 data-waiting\nL2 ", " misread \""});
        // On the line: identification (X, V), then each request; every answer acknowledged.
        const QByteArray s = Telegramm::anfrage(5, "S") + Telegramm::ACK, l2 = Telegramm::anfrage(5, "L2") + Telegramm::ACK;
        const QByteArray folge = Telegramm::anfrage(5, "X") + Telegramm::ACK + Telegramm::anfrage(5, "V") + Telegramm::ACK
                                 + Telegramm::anfrage(5, "K") + Telegramm::ACK + s + s + l2 + s + l2;
        const auto bus = [&] { return Simulator::bytes(m_sim.verkehr(vorher)); };
        QTRY_VERIFY2(bus().startsWith(folge), bus().toHex(' ').constData());

        const QString d = "\\d\\d\\.\\d\\d", zeile = "am:;" + d + "\\.\\d\\d; um: ;" + d + "  Uhr;Kartennummer:";
        const QByteArray log = lies(m_ordner.filePath("bew.dat"));
        QVERIFY2(QRegularExpression("^Geschlossene Gesellschaft vom:   " + d + "\\.\\d\\d   Ort:   Halle 3\r\n  \r\n" + zeile
                                    + "40012345 {17}\r\n" + zeile + "[^\r\n]*\\?\\?[^\r\n]*\r\n$")
                     .match(QString::fromLatin1(log)).hasMatch(), log.constData());
    }

    void aufruf_data()
    {
        // bus: exactly what goes on the bus ("*": not checked)
        spalten<QStringList, int, QStringList, QStringList, QByteArray>("args", "status", "aus", "fehler", "bus");
        const QByteArray frei("*");
        const auto text = [](int n) { return QStringList{Texttabelle::text(n)}; };
        QTest::newRow("fremde Familie") << QStringList{"identify", "8", "--port", "PORT", "--lang", "en"} << 1
                                        << QStringList{"=8 1 QRX / Norvall\nVer 4.02 TS 3 11\n"} << text(1388) << frei;
        QTest::newRow("stille Adresse") << QStringList{"identify", "9", "--port", "PORT"} << 1 << QStringList{"="}
                                        << text(196) << frei;
        QTest::newRow("test stille Adresse") << QStringList{"test", "9", "--port", "PORT", "--seconds", "1"} << 1
                                             << QStringList{"="} << QStringList{} << frei;
        // diff with a terminal reads it out first (one byte changed in a copy of its memory).
        QVERIFY(schreib(m_ordner.filePath("t5.S2D"), m_sim.speicher(5)));
        QList<QByteArray> t5 = m_sim.speicher(5).split('\n');
        t5[1] = " 7 \r";
        QVERIFY(schreib(m_ordner.filePath("t5x.S2D"), t5.join('\n')));
        const QStringList mit5{"--address", "5", "--password", "135790", "--port", "PORT"};
        QTest::newRow("diff mit Terminal") << QStringList{"diff", "@/t5x.S2D"} + mit5 << 1
                                           << QStringList{"^1 Byte(s) verschieden:\n"} << QStringList{"="} << frei;
        QTest::newRow("diff falsches Passwort")
            << QStringList{"diff", "@/t5.S2D", "--address", "5", "--password", "111111", "--port", "PORT"} << 2
            << QStringList{"="} << text(154) << frei;
        QTest::newRow("falsches Passwort")
            << QStringList{"read", "5", "--password", "111111", "--port", "PORT", "--lang", "es"} << 1
            << QStringList{"="} << text(3154) << frei;
        // A device given by its path is named by its path alone.
        QTest::newRow("Port fehlt") << QStringList{"scan", "--port", "/dev/portavo-gibt-es-nicht", "--lang", "en"} << 1
                                    << QStringList{"="}
                                    << QStringList{"^The port /dev/portavo-gibt-es-nicht cannot be opened"} << frei;
        // Listening sends nothing; after the time the status is 0.
        QTest::newRow("monitor mit Zeit") << QStringList{"monitor", "--seconds", "1", "--port", "PORT"} << 0
                                          << QStringList{"="} << QStringList{"="} << QByteArray();
        // An output name without a main-file extension ("notes.txt" would remove "notes.B2D") and an
        // unwritable folder are refused before anything is sent.
        const QStringList lesen{"read", "5", "--password", "135790", "--port", "PORT", "-o"};
        QTest::newRow("Ausgabe .txt") << lesen + QStringList{"@/notes.txt"} << 2 << QStringList{"="} << text(176) << QByteArray();
        QTest::newRow("Ausgabe ohne Endung") << lesen + QStringList{"@/abc"} << 2 << QStringList{"="} << QStringList{}
                                             << QByteArray();
        QTest::newRow("Ausgabeordner fehlt") << lesen + QStringList{"@/gibtsnicht/x.S2D"} << 2 << QStringList{"="}
                                             << QStringList{"gibtsnicht"} << QByteArray();
        // trouble --repair loads FILE before its long scan: a file it could not write ends it at once.
        for (const auto &[datei, nr] : {std::pair{"fehlt.S2D", 384}, {"ordner.S2D", 384}, {"kurz.S2D", 384}, {"text.B2D", 176}})
            QTest::addRow("trouble --repair %s", datei)
                << QStringList{"trouble", "--repair", QStringLiteral("@/") + datei, "--port", "PORT"} << 1
                << QStringList{"="} << text(nr) << QByteArray();
        // The write refuses before anything of the write goes out: never readdressed or switched silently.
        const QStringList schreiben{"--address", "5", "--password", "135790", "--port", "PORT"};
        const QByteArray v5 = Telegramm::anfrage(5, "V") + Telegramm::Quittung;
        QTest::newRow("write Begleitdatei") << QStringList{"write", "@/notes.B2D"} + schreiben << 1 << QStringList{"="}
                                            << text(176) << QByteArray();
        QTest::newRow("write andere Adresse in der Datei") << QStringList{"write", "@/a9.S2D"} + schreiben << 2
                                                           << QStringList{"="} << QStringList{"--new-address 9"} << QByteArray();
        QTest::newRow("write anderes Protokoll in der Datei") << QStringList{"write", "@/p1.S2D"} + schreiben << 2
                                                              << QStringList{"!" + Texttabelle::text(165)} << QStringList{"--protocol 1"} << v5;
        QTest::newRow("write neue Adresse belegt")
            << QStringList{"write", "@/n8.S2D", "--new-address", "8"} + schreiben << 1 << QStringList{"!" + Texttabelle::text(165)}
            << QStringList{"Portavo Adresse 8 existiert im System!"} << v5 + Telegramm::anfrage(8, "V");
        // A dry run that cannot run and a backup that cannot be written back send nothing.
        const QStringList mit6{"--address", "6", "--password", "246810", "--port", "PORT", "--lang", "en"};
        QTest::newRow("dry-run Begleitdatei") << QStringList{"write", "@/notes.B2D", "--dry-run"} + mit6 << 2
                                              << QStringList{"="} << text(1176) << QByteArray();
        QTest::newRow("dry-run ohne Sicherung") << QStringList{"write", "@/s5.S2D", "--dry-run", "--no-backup"} + mit6 << 2
                                                << QStringList{"="} << QStringList{"--no-backup"} << QByteArray();
        for (const char *sicherung : {"kurz.S2D", "defekt", "ordner.S2D"})
            QTest::addRow("restore %s", sicherung)
                << QStringList{"restore", QStringLiteral("@/") + sicherung} + mit6 << 1 << QStringList{"="}
                << QStringList{QStringLiteral("The backup @/%1 cannot be written back: ").arg(sicherung)} << QByteArray();
        const QStringList falsch[] = {
            {"write", "@/s5.S2D", "--address", "5", "--password", "2468"}, {"write", "@/s5.S2D", "--address", "0", "--password", "135790"},
            {"read", "5", "--password", "12345"}, {"read", "5", "--password", "12a456"}, {"read", "5"},
            {"identify", "0"}, {"identify", "256"}, {"identify", "5", "--port", "17"}, {"scan", "--lang", "it"},
            {"trouble", "--variant-m"}, {"test"}, {"test", "0"}, {"test", "5", "--source", "4"},
            {"test", "5", "--mode", "auf"}, {"test", "5", "--private"}, {"test", "5", "--seconds", "0"},
            {"monitor", "5"}, {"identify", "5", "--echo", "vielleicht"}};
        for (const QStringList &a : falsch)
            QTest::addRow("falsch: %s", qPrintable(a.join(' '))) << a << 2 << QStringList{"="} << QStringList{} << QByteArray();
    }
    void aufruf()
    {
        const auto [args, status, aus, fehler, bus] =
            werte<QStringList, int, QStringList, QStringList, QByteArray>("args", "status", "aus", "fehler", "bus");
        const int vorher = int(m_sim.verkehr().size());
        const Kommandolauf l = cli(args);
        QCOMPARE(l.status, status);
        kommandoPruefen(l.aus, ersetzt(aus));
        kommandoPruefen(l.fehler, ersetzt(fehler));
        QVERIFY(!QFile::exists(m_ordner.filePath("PORTAVO.S2D")));
        QCOMPARE(lies(m_ordner.filePath("notes.B2D")), QByteArray("wichtig\r\n"));
        QByteArray gesehen = bus;
        if (bus != "*")
            gesendet(vorher, &gesehen);
        QCOMPARE(gesehen.toHex(' '), bus.toHex(' '));
    }

    // Behind an interface that does not echo ("OHNE"), with no option: identify, read byte for byte, test
    // mode; the finding is said once and kept for the port (the rows without a mode share one home, in
    // order). The mode chosen in the program (echo.ini) counts unless --echo says otherwise; forced, no
    // answer at all names both causes. Test mode with echo on a terminal that falls silent: --mode closed
    // sends G first, each unanswered request gets its line, an unwritable log is said.
    void echoUndTestbetrieb_data()
    {
        spalten<QStringList, QString, int, QStringList, QStringList>("args", "modus", "status", "aus", "fehler");
        const QString einmal = Texttabelle::text(885).arg(m_simOhneEcho.device());
        const QStringList id5{"identify", "5", "--port", "OHNE"}, kennung{"=5 0 Standard\nVer 3.12 TS 1 04\n"};
        QTest::newRow("identify") << id5 << QString() << 0 << kennung << QStringList{einmal};
        QTest::newRow("read gemerkt") << QStringList{"read", "5", "--password", "135790", "--port", "OHNE", "-o", "@/ohne5.S2D"}
                                      << QString() << 0 << QStringList{"=@/ohne5.S2D\n"} << QStringList{"!" + einmal};
        QTest::newRow("test") << QStringList{"test", "5", "--port", "OHNE"} << QString() << 130
                              << QStringList{"^K  request 02 05 75 03 77  answer 02 05 75 64 03 13  status 0x40 ok\n"}
                              << QStringList{"!" + einmal};
        QTest::newRow("test verstummt")
            << QStringList{"test", "7", "--port", "PORT", "--mode", "closed", "--log", "@/", "--installation", "X"} << QString()
            << 130
            << QStringList{"^G  request 02 07 71 03 ", "status 0x40 ok\nS  request 02 07 83 03 87  answer ",
                           "status 0x40 ok\nS  request 02 07 83 03 87  no answer\nS  request 02 07 83 03 87  no answer\n"}
            << QStringList{"movement log"};
        QTest::newRow("Modus nein") << id5 << "no" << 0 << kennung << QStringList{"!" + einmal};
        QTest::newRow("Modus ja") << id5 << "yes" << 1 << QStringList{"="} << QStringList{Texttabelle::text(196)};
        QTest::newRow("Modus ja, --echo auto") << id5 + QStringList{"--echo", "auto"} << "yes" << 0 << kennung
                                               << QStringList{einmal};
        QTest::newRow("--echo no, niemand") << QStringList{"identify", "9", "--port", "OHNE", "--echo", "no"} << "auto" << 1
                                            << QStringList{"="} << QStringList{Texttabelle::text(880), "!" + einmal};
    }
    void echoUndTestbetrieb()
    {
        const auto [args, modus, status, aus, fehler] =
            werte<QStringList, QString, int, QStringList, QStringList>("args", "modus", "status", "aus", "fehler");
        QTemporaryDir eigenes;
        QVERIFY(modus.isEmpty() || schreib(eigenes.filePath("echo.ini"), "[General]\nModus=" + modus.toLatin1() + '\n'));
        const QString heim = modus.isEmpty() ? m_echoHeim.path() : eigenes.path();
        const Kommandolauf l = args.first() == QLatin1String("test") ? bisZeilen(args, 5, heim) : cli(args, heim);
        QCOMPARE(l.status, status);
        kommandoPruefen(l.aus, ersetzt(aus));
        kommandoPruefen(l.fehler, ersetzt(fehler));
        if (args.contains("-o"))
            QCOMPARE(lies(m_ordner.filePath("ohne5.S2D")), m_simOhneEcho.speicher(5));
    }

    // A device free, held by another program, or one this user may not open (the commands run as "nobody"
    // on a device only root may use): ports says which, with the port numbers of the map that name it by its
    // path (3) and through a link (5); a bus command names the reason (for the rights: group and new login).
    void portZustand_data()
    {
        spalten<QString, int, int, QString>("zustand", "status", "text", "fehler");
        QTest::newRow("frei") << "frei" << 0 << 1904 << QString();
        QTest::newRow("belegt") << "belegt" << 1 << 1905 << Texttabelle::text(1561) + '\n';
        QTest::newRow("keine Berechtigung") << "gesperrt" << 1 << 1906
                                            << Texttabelle::text(1900) + "\n\n" + Texttabelle::text(1901).arg("dialout") + '\n';
    }
    void portZustand()
    {
        const auto [zustand, status, text, fehler] = werte<QString, int, int, QString>("zustand", "status", "text", "fehler");
        if (zustand == "gesperrt" && ::geteuid() != 0)
            QSKIP("takes a device's rights away from the commands: needs root");
        Simulator sim;
        SIM_STARTEN(sim, QJsonArray{Simulator::terminal(5)}, {QStringLiteral("--no-pacing")});
        const QByteArray geraet = QFile::encodeName(sim.device());
        QTemporaryDir heim;
        QVERIFY(QFile::link(sim.device(), heim.filePath("bus")) && ::chmod(QFile::encodeName(heim.path()).constData(), 0777) == 0);
        QVERIFY(schreib(heim.filePath("ports.dat"),
                        "/dev/ttyUSB90\r\n\r\n" + geraet + "\r\n/dev/ttyUSB91\r\n" + QFile::encodeName(heim.filePath("bus")) + "\r\n"));
        SerialPort halter;
        halter.setDevice(sim.device());
        QVERIFY(zustand != "belegt" || halter.open());
        QVERIFY(zustand != "gesperrt" || (::chown(geraet.constData(), 0, 0) == 0 && ::chmod(geraet.constData(), 0600) == 0));
        Kommandooptionen o;
        o.umgebung.insert("PORTAVO_HOME", heim.path());
        o.imKind = [gesperrt = zustand == "gesperrt"] {
            if (gesperrt && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(99);
        };
        kommandoPruefen(kommando({"ports", "--lang", "en"}, o).aus,
                        {sim.device() + "\t3,5\t" + Texttabelle::text(text) + "\t-\t-\t-\t-\n"});
        const Kommandolauf l = kommando({"identify", "5", "--port", sim.device(), "--lang", "en"}, o);
        QCOMPARE(l.status, status);
        QCOMPARE(l.fehler, QString(fehler).replace("%1", sim.device()));
    }

    // Without -o the read-out goes to PORTAVO.S2D and removes only its own companion file; a damaged
    // settings file or port map is said once, and kept.
    void beschaedigteDateienEinmalGemeldet()
    {
        QTemporaryDir heim;
        const QString ini = heim.filePath("Portavomodem.ini");
        QVERIFY(schreib(ini, "kaputt\r\n"));
        QCOMPARE(::mkfifo(QFile::encodeName(heim.filePath("ports.dat")).constData(), 0600), 0);
        QVERIFY(schreib(m_ordner.filePath("PORTAVO.B2D"), "weg\r\n"));
        QVERIFY(schreib(m_ordner.filePath("PORTAVO.B3D"), "bleibt\r\n"));
        const Kommandolauf l = cli({"read", "5", "--password", "135790", "--port", "PORT", "--lang", "en"}, heim.path());
        QCOMPARE(l.status, 0);
        QCOMPARE(l.aus, m_ordner.filePath("PORTAVO.S2D") + '\n');
        QCOMPARE(lies(m_ordner.filePath("PORTAVO.S2D")), m_sim.speicher(5));
        QVERIFY(!QFile::exists(m_ordner.filePath("PORTAVO.B2D")) && QFile::exists(m_ordner.filePath("PORTAVO.B3D")));
        QCOMPARE(l.fehler.count(Texttabelle::text(1562).arg(ini)), 1);
        QCOMPARE(l.fehler.count(Texttabelle::text(1563).section('(', 0, 0).arg(heim.filePath("ports.dat"))), 1);
        QCOMPARE(lies(ini), QByteArray("kaputt\r\n"));
    }

    // The adapter pulled while trouble, test or monitor runs: the message once, status 1 at once. Opened
    // through a by-id link, test and monitor wait for that link's device instead (never for another by-id
    // name), say once it is back and go on; the monitor then prints every byte the bus brings, nothing else.
    void portWeg_data()
    {
        // zeilen: lines out before the pull
        spalten<QStringList, int, int, bool>("args", "zeilen", "text", "link");
        QTest::newRow("trouble") << QStringList{"trouble"} << 0 << 193 << true;
        QTest::newRow("test") << QStringList{"test", "1"} << 2 << 633 << false;
        QTest::newRow("monitor") << QStringList{"monitor"} << 0 << 633 << false;
        QTest::newRow("test wieder da") << QStringList{"test", "1"} << 2 << 633 << true;
        QTest::newRow("monitor wieder da") << QStringList{"monitor"} << 0 << 633 << true;
    }
    void portWeg()
    {
        const auto [args, zeilen, text, link] = werte<QStringList, int, int, bool>("args", "zeilen", "text", "link");
        QTemporaryDir byId;
        Simulator weg, fremd, zurueck;
        SIM_STARTEN(weg, QJsonArray{Simulator::terminal(1)});
        const QString name = link ? byId.filePath("usb-Portavo_485-if00") : weg.device();
        QVERIFY(!link || QFile::link(weg.device(), name));
        QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
        umgebung.insert("PORTAVO_SERIAL_BY_ID", byId.path());
        LaufendesKommando l(args + QStringList{"--port", name}, {}, umgebung);
        if (args.first() == QLatin1String("trouble"))
            QTRY_VERIFY_WITH_TIMEOUT(weg.verkehr().size() >= 9, 10000);  // the scan is under way
        QTRY_VERIFY_WITH_TIMEOUT(l.haelt(weg.device()) && l.zeilen().size() >= zeilen, 10000);
        const int blick = ::inotify_init1(IN_NONBLOCK);  // each look for the adapter reads the by-id folder
        QVERIFY(::inotify_add_watch(blick, QFile::encodeName(byId.path()).constData(), IN_OPEN) >= 0);
        weg.abziehen();
        const QString meldung = Texttabelle::text(text).replace("%1", name);
        if (!link || text != 633) {
            QCOMPARE(l.ende(), 1);
            QCOMPARE(l.fehler().count(meldung), 1);
            QVERIFY(!l.aus.contains(QLatin1String("no waiting terminal")));
            return;
        }
        QTRY_VERIFY(l.fehler().contains(meldung));
        SIM_STARTEN(fremd, QJsonArray{Simulator::terminal(1)});
        QVERIFY(QFile::link(fremd.device(), byId.filePath("usb-Fremd_485-if00")));
        char puffer[4096];
        (void)::read(blick, puffer, sizeof puffer);  // the looks before it came
        qint64 gelesen = 0;                           // two looks with it there: the first one has chosen by then
        QTRY_VERIFY((gelesen += qMax<ssize_t>(0, ::read(blick, puffer, sizeof puffer))) >= 2 * qint64(sizeof(inotify_event)));
        ::close(blick);
        QVERIFY(!l.haelt(fremd.device()));
        SIM_STARTEN(zurueck, QJsonArray{Simulator::terminal(1)});
        QVERIFY(QFile::remove(name) && QFile::link(zurueck.device(), name));
        QTRY_VERIFY_WITH_TIMEOUT(l.haelt(zurueck.device()), 10000);
        const bool monitor = args.first() == QLatin1String("monitor");
        const int vorher = int(l.zeilen().size());
        const QByteArray x = Telegramm::anfrage(1, "X"), k = QByteArray("\x01X@\x03");
        const QByteArray erwartet = x + Telegramm::STX + k + char(Telegramm::blockpruefung(k));
        if (monitor) {
            const int fd = ::open(QFile::encodeName(zurueck.device()), O_WRONLY | O_NOCTTY);
            QVERIFY(fd >= 0);
            QCOMPARE(::write(fd, x.constData(), 5), ssize_t(5));
            ::close(fd);
        }
        // Test mode polls again and gets answers; the monitor shows what the bus brings.
        QTRY_VERIFY(l.zeilen().mid(vorher).filter(monitor ? " " : " answer 02 01 ").size() >= (monitor ? erwartet.size() : 2));
        QCOMPARE(l.unterbrechen(), 130);
        QCOMPARE(l.fehler().count(meldung), 1);
        QCOMPARE(l.fehler().count(Texttabelle::text(913).arg(name)), 1);
        QByteArray gezeigt;
        for (const QString &z : l.zeilen())
            gezeigt += char(QRegularExpression("^\\s*\\d+\\s+(\\d+)\\s").match(z).captured(1).toInt());
        QVERIFY2(!monitor || gezeigt == erwartet, gezeigt.toHex(' ').constData());
    }

    // A write backs the terminal's memory up first; backups lists it, restore brings the memory back.
    void sicherungUndRueckschreiben()
    {
        const QByteArray vorher = m_sim.speicher(6);
        QList<QByteArray> z = vorher.split('\n');
        z[0] = " 9 \r";
        QVERIFY(schreib(m_ordner.filePath("t6.S2D"), z.join('\n')));
        const QStringList mit6{"--address", "6", "--password", "246810", "--port", "PORT", "--lang", "en"};
        Kommandolauf l = cli(QStringList{"write", "@/t6.S2D"} + mit6, m_heim.path());
        QVERIFY2(l.status == 0, qPrintable(l.aus + l.fehler));
        kommandoPruefen(l.aus, {"1 byte(s) differ:\n", "Door open time: 5 seconds -> 9 seconds", Texttabelle::text(1165).trimmed(),
                                "!" + Texttabelle::text(1821)});
        const QString sicherung = QRegularExpression("^Backup: (.*)$", QRegularExpression::MultilineOption).match(l.aus).captured(1);
        QCOMPARE(lies(sicherung), vorher);
        const QByteArray geschrieben = m_sim.speicher(6);
        QVERIFY(geschrieben != vorher);

        l = cli({"backups", "--lang", "en"}, m_heim.path());
        QCOMPARE(l.aus, "Adresse 006: 1 backup(s), the newest from " + l.aus.section("newest from ", 1));
        l = cli({"backups", "--address", "6", "--json"}, m_heim.path());
        QJsonArray liste = l.json()["backups"].toArray();
        QCOMPARE(liste.size(), 1);
        const QJsonObject erste = liste[0].toObject();
        QCOMPARE(erste["mainFile"].toString(), sicherung);
        QCOMPARE(erste["replacedBy"].toString(), m_ordner.filePath("t6.S2D"));
        QCOMPARE(erste["version"].toString(), QStringLiteral("Ver 3.12 TS 1 04"));

        l = cli(QStringList{"restore", QFileInfo(sicherung).path()} + mit6, m_heim.path());
        QVERIFY2(l.status == 0, qPrintable(l.aus + l.fehler));
        QCOMPARE(m_sim.speicher(6), vorher);
        // The restore backed up what it replaced, newest first.
        liste = cli({"backups", "--address", "6", "--json"}, m_heim.path()).json()["backups"].toArray();
        QCOMPARE(liste.size(), 2);
        QCOMPARE(liste[0].toObject()["replacedBy"].toString(), sicherung);
        QCOMPARE(lies(liste[0].toObject()["mainFile"].toString()), geschrieben);
        QCOMPARE(liste[1].toObject(), erste);

        // --no-backup: no read-out, no backup, and the line that reports the write says so.
        const int vorherBus = int(m_sim.verkehr().size());
        l = cli(QStringList{"write", "@/t6.S2D", "--no-backup"} + mit6, m_heim.path());
        QVERIFY2(l.status == 0, qPrintable(l.aus + l.fehler));
        kommandoPruefen(l.aus, {"!Backup: ", "ms in all, " + Texttabelle::text(1821) + "\n"});
        QCOMPARE(m_sim.speicher(6), geschrieben);
        QByteArray bus;
        gesendet(vorherBus, &bus);
        QVERIFY(!bus.contains(Telegramm::anfrage(6, "E")) && bus.contains(Telegramm::anfrage(6, "D")));
        QCOMPARE(cli({"backups", "--address", "6", "--json"}, m_heim.path()).json()["backups"].toArray().size(), 2);
    }

    // Nothing of the write goes out, but the terminal is read out first (E): a dry run, a backup that cannot
    // be stored.
    void nichtsGeschrieben_data()
    {
        spalten<QStringList, QString, int, QStringList, QStringList>("args", "heim", "status", "aus", "fehler");
        QVERIFY(schreib(m_ordner.filePath("t6jetzt.S2D"), m_sim.speicher(6)));
        QList<QByteArray> z = m_sim.speicher(6).split('\n');
        z[20] = " 66 \r";
        QVERIFY(schreib(m_ordner.filePath("t6x.S2D"), z.join('\n')));
        const QStringList mit6{"--address", "6", "--password", "246810", "--port", "PORT", "--lang", "en"};
        const QString probe = Texttabelle::text(1822);
        QTest::newRow("dry-run gleich") << QStringList{"write", "@/t6jetzt.S2D", "--dry-run"} + mit6 << QString() << 0
                                        << QStringList{"\nNo differences.\n" + probe + "\n", "!Backup: "} << QStringList{"="};
        QTest::newRow("dry-run verschieden") << QStringList{"write", "@/t6x.S2D", "--dry-run"} + mit6 << QString() << 1
                                             << QStringList{"\n1 byte(s) differ:\n", "\n" + probe + "\n", "!Backup: "} << QStringList{"="};
        QTest::newRow("Sicherung nicht beschreibbar")
            << QStringList{"write", "@/t6x.S2D"} + mit6 << "@/blockiert" << 1 << QStringList{"!Backup: ", "!" + probe}
            << QStringList{Texttabelle::text(1805), "blockiert/Sicherungen"};
    }
    void nichtsGeschrieben()
    {
        const auto [args, heim, status, aus, fehler] =
            werte<QStringList, QString, int, QStringList, QStringList>("args", "heim", "status", "aus", "fehler");
        const QByteArray speicher = m_sim.speicher(6);
        const int vorher = int(m_sim.verkehr().size());
        const Kommandolauf l = cli(args, heim.isEmpty() ? m_heim.path() : ersetzt({heim}).first());
        QCOMPARE(l.status, status);
        kommandoPruefen(l.aus, ersetzt(aus));
        kommandoPruefen(l.fehler, ersetzt(fehler));
        QByteArray bus;
        gesendet(vorher, &bus);
        QVERIFY(bus.contains(Telegramm::anfrage(6, "E")));
        QVERIFY(!bus.contains(Telegramm::anfrage(6, "D")) && !bus.contains("U24###"));
        QCOMPARE(m_sim.speicher(6), speicher);
    }
};

PORTAVO_TESTKLASSE(TestCliBus)
#include "tst_cli_bus.moc"
