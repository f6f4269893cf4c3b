// Writing end to end: the program's sequences on the in-process simulated
// bus, which records every byte with the speed it arrived at; one write and
// the command line over a pseudo-terminal against portavo-sim.

#include "support/Testlauf.h"

#include <QSignalSpy>
#include "support/SimBus.h"
#include "support/SimPort.h"
#include "support/Simulator.h"
#include "support/Testhilfe.h"
#include "diag/Protokollidentifikation.h"
#include "app/Protokollident2D.h"
#include "link/Schreiben.h"
#include "app/Schreibpanel.h"
#include "link/SerialPort.h"
#include "link/Troublesuche.h"
#include "termfile/Dateiablauf.h"
#include "termfile/Terminaldatei.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {
// A main file whose bytes differ from the simulator's default image;
// password 246810 in bytes 5..7, the address in byte 8, protocol 0.
QString hauptdateiMit(const QString &pfad, int saat, int adresse)
{
    const QMap<int, int> fest{{5, 0x42}, {6, 0x86}, {7, 0x01}, {8, adresse}, {10, 0}};
    return schreib(pfad, hauptdatei([&](int i) { return fest.value(i, (i * 31 + saat) & 0xFF); })) ? pfad : QString();
}

// Runs portavo-cli and checks its exit status and that its output and
// errors contain the given texts.
void cli(const QStringList &args, int status, const QString &aus, const QString &fehler)
{
    QProcess p;
    p.start(qEnvironmentVariable("PORTAVO_CLI"), args);
    QVERIFY(p.waitForFinished(60000));
    const QString o = QString::fromUtf8(p.readAllStandardOutput());
    const QString e = QString::fromUtf8(p.readAllStandardError());
    QVERIFY2(p.exitCode() == status && o.contains(aus) && e.contains(fehler), qPrintable(o + e));
}

struct CliErgebnis {
    int status = -1;
    QString aus, fehler;
};

// Runs portavo-cli to its end.
CliErgebnis cliLauf(const QStringList &args)
{
    QProcess p;
    p.start(qEnvironmentVariable("PORTAVO_CLI"), args);
    CliErgebnis l;
    if (p.waitForFinished(60000))
        l = {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    return l;
}

const QJsonObject verweigert{
    {"faults", QJsonArray{QJsonObject{{"type", "refuse"}, {"command", "block"}, {"count", 1}}}}};
}  // namespace

class TestSchreibenSim : public QObject {
    Q_OBJECT

    template <class P = SimPort>
    struct Lauf : Strecke<P> {
        using Strecke<P>::z;
        using Strecke<P>::v;
        using Strecke<P>::meldung;
        using Strecke<P>::anmeldung;
        Schreiben schreiben{z, v, anmeldung, meldung};

        explicit Lauf(const QString &geraet) : Strecke<P>(geraet)
        {
            // Timer4's quiet line before the block, shorter than the program's 2500 ms.
            z.Timerintervall[4] = 300;
        }

        // Load routine and protocol identification as the write command runs them.
        bool vorbereiten(const QString &datei, int adresse, int neueAdresse, int protokoll)
        {
            if (!Dateiablauf::ladeRoutine(z, meldung, datei).geladen)
                return false;
            Protokollidentifikation p(z, v, meldung);
            QSignalSpy geprueft(&p, &Protokollidentifikation::versionGeprueft);
            z.Adresse = qint16(adresse);
            p.waehleProtokoll(protokoll);
            p.setAdressfeld(QString::number(adresse));
            p.setNeueAdresse(QString::number(neueAdresse));
            p.ok();
            if (!geprueft.wait(2000))
                return false;
            p.geschlossen();
            return z.ProtokollGewaehlt == 1;
        }
        // The write button; waits for the end. 0 success, else the text number.
        int schreibe()
        {
            z.Passwort = Telegramm::packePasswort(QStringLiteral("246810"));
            QSignalSpy beendet(&schreiben, &Schreiben::beendet);
            QSignalSpy fehler(&schreiben, &Schreiben::fehlgeschlagen);
            if (!schreiben.starte() || !beendet.wait(30000))
                return -1;
            return fehler.isEmpty() ? 0 : fehler.first().first().toInt();
        }
        QByteArray erwarteterSpeicher() const { return Terminaldatei::hauptdateitext(z.bild); }
        QByteArray block() const { return Schreiben::block(z, schreiben.blockpruefsumme()); }
    };

    QTemporaryDir m_ordner;

    // One write and what the terminal received, byte by byte with its speed.
    template <class P, class B>
    static void pruefeSchreiben(B &sim, const QString &datei, int adresse, int neu, int protokoll, bool m)
    {
        Lauf<P> l(sim.device());
        QVERIFY(l.vorbereiten(datei, adresse, neu, protokoll));
        QCOMPARE(l.z.Variante, qint16(m));
        QTest::qWait(50);  // the acknowledgement of the version answer arrives
        const int beginn = int(sim.verkehr().size());
        QCOMPARE(l.schreibe(), 0);
        QCOMPARE(l.meldung.textnummern(), QList<int>{165});
        QCOMPARE(l.port.settings(), QStringLiteral("19200,n,8,1"));

        // The terminal's memory is the file with 12 = 0, 13 = 15, the new
        // address and the chosen protocol.
        QCOMPARE(l.z.bild.Daten[8], qint16(neu));
        QCOMPARE(l.z.bild.Daten[10], qint16(protokoll));
        QCOMPARE(l.z.bild.Daten[12], qint16(0));
        QCOMPARE(l.z.bild.Daten[13], qint16(15));
        QTRY_COMPARE(sim.speicher(neu), l.erwarteterSpeicher());

        // Every byte in order, each at its speed, and Timer4's quiet line before the block.
        const auto v = sim.verkehr(beginn);
        const QByteArray vorspann = Telegramm::anfrage(adresse, QByteArray("P") + l.z.Passwort) + Telegramm::Quittung
                                    + Telegramm::anfrage(adresse, m ? "d" : "D") + "U24###";
        QCOMPARE(B::bytes(v), vorspann + l.block());
        const int blockbaud = m ? 19200 : 2400;
        for (int i = 0; i < v.size(); ++i)
            QCOMPARE(v[i].baud, i < vorspann.size() ? 19200 : blockbaud);
        const qint64 luecke = v[vorspann.size()].us - v[vorspann.size() - 1].us;
        QVERIFY2(luecke >= qint64(l.z.Timerintervall[4]) * 1000, qPrintable(QString::number(luecke)));
    }

private slots:
    void schreibtProtokoll0Und1UndVarianteM()
    {
        SimBus sim;
        SIMBUS_STARTEN(sim, QJsonArray{SimBus::terminal(4, 0), SimBus::terminal(9, 1),
                                       SimBus::terminal(20, 0, {{"variant", "M"}})});
        const QString datei = hauptdateiMit(m_ordner.filePath(QStringLiteral("halle.S2D")), 5, 1);
        pruefeSchreiben<SimPort>(sim, datei, 4, 14, 1, false);
        pruefeSchreiben<SimPort>(sim, datei, 9, 19, 0, false);
        pruefeSchreiben<SimPort>(sim, datei, 20, 20, 0, true);
    }

    // The speed change for the block on the real serial port, paced by portavo-sim.
    void ueberPseudoterminal()
    {
        Simulator sim;
        SIM_STARTEN(sim, QJsonArray{Simulator::terminal(4, 0)});
        const QString datei = hauptdateiMit(m_ordner.filePath(QStringLiteral("pty.S2D")), 9, 1);
        pruefeSchreiben<SerialPort>(sim, datei, 4, 14, 1, false);
    }

    void verweigerterBlockTroubleUndReparatur()
    {
        SimBus sim;
        SIMBUS_STARTEN(sim, QJsonArray{SimBus::terminal(6, 0, verweigert)});
        const QByteArray vorher = sim.speicher(6);
        const QString datei = hauptdateiMit(m_ordner.filePath(QStringLiteral("r.S2D")), 77, 6);
        Lauf<> l(sim.device());
        QVERIFY(l.vorbereiten(datei, 6, 6, 0));
        l.z.Timerintervall[2] = 20;
        QCOMPARE(l.schreibe(), 167);
        QCOMPARE(l.meldung.eintraege().last().titelnummer, 168);
        QCOMPARE(l.meldung.eintraege().last().titel, l.z.Texte.value(168));
        QCOMPARE(l.port.settings(), QStringLiteral("19200,n,8,1"));
        QCOMPARE(sim.speicher(6), vorher);
        QCOMPARE(l.z.Schreibfehler, qint16(1));

        // Trouble: the triples, from 500 ms on, 50 ms apart; the waiting
        // terminal answers, the scan ends early and offers the repair.
        Troublesuche t(l.z, l.v, l.meldung, &l.schreiben);
        l.meldung.leeren();
        l.meldung.antworte(Meldung::Ja);
        QSignalSpy reparatur(&t, &Troublesuche::reparaturStarten);
        const int beginn = int(sim.verkehr().size());
        QSignalSpy beendet(&t, &Troublesuche::beendet);
        t.starte();
        QVERIFY(reparatur.wait(10000));
        QVERIFY(t.wartenderGesehen());
        // The repair starts on Timer6, after the scan has ended.
        QCOMPARE(beendet.count(), 1);
        QCOMPARE(l.meldung.textnummern(), QList<int>{Troublesuche::Reparaturfragenummer});
        const QVector<SimBus::Byte> v = sim.verkehr(beginn);
        QCOMPARE(SimBus::bytes(v).left(21), QByteArray("111222333444555666777"));
        QCOMPARE(v.size() % 3, 0);
        QCOMPARE(v.size() / 3, t.gesendeteTicks());
        // One triple per tick: never closer than the tick interval allows.
        for (int i = 3; i < v.size(); i += 3)
            QVERIFY2(v[i].us - v[i - 3].us >= 40000, qPrintable(QString::number(v[i].us - v[i - 3].us)));
        QVERIFY(l.schreiben.reparatur());

        // The repair write: wake-up, NAK, the block without login.
        l.meldung.leeren();
        QVERIFY(Dateiablauf::ladeRoutine(l.z, l.meldung, datei).geladen);
        const int vorReparatur = int(sim.verkehr().size());
        QCOMPARE(l.schreibe(), 0);
        QCOMPARE(l.meldung.textnummern(), QList<int>{165});
        QTRY_COMPARE(sim.speicher(6), l.erwarteterSpeicher());
        const QByteArray r = SimBus::bytes(sim.verkehr(vorReparatur));
        QVERIFY(r.startsWith(QByteArray(1, Telegramm::STX)));
        QVERIFY(!r.contains(Telegramm::anfrage(6, QByteArray("P") + l.z.Passwort)));
        QVERIFY(r.endsWith(l.block()));
        QVERIFY(!l.schreiben.reparatur());
    }

    // A variant-M terminal that refuses the block, or takes it without a
    // word: the echo of the block is no confirmation.
    void varianteMOhneBestaetigung_data()
    {
        QTest::addColumn<QString>("fehler");
        QTest::newRow("verweigert") << QStringLiteral("refuse");
        QTest::newRow("Antwort fehlt") << QStringLiteral("drop");
    }
    void varianteMOhneBestaetigung()
    {
        QFETCH(QString, fehler);
        SimBus sim;
        const QJsonObject m{{"variant", "M"},
                            {"faults", QJsonArray{QJsonObject{{"type", fehler}, {"command", "block"}}}}};
        SIMBUS_STARTEN(sim, QJsonArray{SimBus::terminal(20, 0, m)});
        const QString datei = hauptdateiMit(m_ordner.filePath(QStringLiteral("m.S2D")), 21, 20);
        Lauf<> l(sim.device());
        QVERIFY(l.vorbereiten(datei, 20, 20, 0));
        QCOMPARE(l.z.Variante, qint16(1));
        l.z.Timerintervall[2] = 20;
        const int beginn = int(sim.verkehr().size());
        QCOMPARE(l.schreibe(), 167);
        QCOMPARE(l.meldung.textnummern(), QList<int>{167});
        QCOMPARE(l.z.Schreibfehler, qint16(1));
        // The whole block went out at 19200 baud and came back as echo.
        const auto v = sim.verkehr(beginn);
        QVERIFY(SimBus::bytes(v).endsWith(l.block()));
        QCOMPARE(v.last().baud, 19200);
        QCOMPARE(l.schreiben.aufDerLeitung(), 2051);
        QVERIFY(!l.schreiben.rueckmeldung().contains("U19###"));
    }

    void kommandozeile()
    {
        Simulator sim;
        SIM_STARTEN(sim, QJsonArray{Simulator::terminal(3, 0, verweigert)}, {QStringLiteral("--no-pacing")});
        const QString richtig = hauptdateiMit(m_ordner.filePath(QStringLiteral("halle.S2D")), 1, 3);
        const QString falsch = hauptdateiMit(m_ordner.filePath(QStringLiteral("halle.B2D")), 1, 3);
        const QStringList schreiben{"write",    richtig,  "--address", "3",
                                    "--password", "246810", "--device", sim.device()};

        // A refused file ends the command with text 176 and sends nothing.
        cli(QStringList(schreiben).replaceInStrings(richtig, falsch), 1, "", "keine PORTAVOdatei");
        QTest::qWait(100);
        QVERIFY(sim.verkehr().isEmpty());
        // Wrong usage.
        cli(QStringList(schreiben).replaceInStrings(QStringLiteral("246810"), QStringLiteral("2468")), 2, "", "");
        // The terminal refuses the block: text 167.
        cli(schreiben, 1, "", "Trouble anklicken");
        // The terminal's memory after a write of that file.
        const auto speicher = [&richtig](int adresse, int protokoll) {
            Zustand z;
            Terminaldatei::Speicherbytes werte{};
            Terminaldatei::leseHauptdatei(richtig, werte);
            std::copy(werte.begin(), werte.end(), z.bild.Daten.begin());
            z.bild.Daten[8] = qint16(adresse);
            z.bild.Daten[10] = qint16(protokoll);
            z.bild.Daten[12] = 0;
            z.bild.Daten[13] = 15;
            return Terminaldatei::hauptdateitext(z.bild);
        };
        // trouble --repair: the scan sees the waiting terminal, the repair writes the file.
        cli({"trouble", "--repair", richtig, "--device", sim.device()}, 0, "waiting for its block answered", "");
        QTRY_COMPARE(sim.speicher(3), speicher(3, 0));
        // A normal write with a new address and protocol.
        const QStringList neu{"--new-address", "33", "--protocol", "1"};
        cli(schreiben + neu, 0, "PORTAVO erfolgreich programmiert", "");
        QTRY_COMPARE(sim.speicher(33), speicher(33, 1));
        int bei2400 = 0;
        for (const Simulator::Byte &b : sim.verkehr())
            bei2400 += b.baud == 2400;
        QCOMPARE(bei2400, 3 * 2051);  // refused, repaired, written
    }

    // On the command line: a new address where another terminal answers is
    // refused before anything of the write goes out.
    void kommandozeileNeueAdresseBelegt()
    {
        Simulator sim;
        SIM_STARTEN(sim, QJsonArray{Simulator::terminal(20, 0), Simulator::terminal(12, 0)},
                    {QStringLiteral("--no-pacing")});
        const QString datei = hauptdateiMit(m_ordner.filePath(QStringLiteral("b20.S2D")), 4, 20);
        const CliErgebnis e = cliLauf({"write", datei, "--address", "20", "--password", "246810", "--device",
                                       sim.device(), "--new-address", "12"});
        QVERIFY2(e.status == 1 && e.fehler.contains(QStringLiteral("Portavo Adresse 12 existiert im System!")),
                 qPrintable(e.aus + e.fehler));
        QVERIFY(!e.aus.contains(QStringLiteral("writing the file")));
        QTest::qWait(100);
        QCOMPARE(Simulator::bytes(sim.verkehr()),
                 Telegramm::anfrage(20, "V") + Telegramm::Quittung + Telegramm::anfrage(12, "V"));
    }

    // Success is printed once, on standard output; a variant-M terminal that
    // refuses its block is a failure, with the way to repair it.
    void kommandozeileErfolgEinmalUndVarianteMVerweigert()
    {
        Simulator sim;
        const QJsonObject m{{"variant", "M"},
                            {"faults", QJsonArray{QJsonObject{
                                           {"type", "refuse"}, {"command", "block"}, {"skip", 1}, {"count", 1}}}}};
        SIM_STARTEN(sim, QJsonArray{Simulator::terminal(20, 0, m)}, {QStringLiteral("--no-pacing")});
        const QString datei = hauptdateiMit(m_ordner.filePath(QStringLiteral("m20.S2D")), 4, 20);
        const QStringList schreiben{"write", datei, "--address", "20", "--password", "246810", "--device",
                                    sim.device()};
        const QString erfolg = Texttabelle::text(165);
        CliErgebnis e = cliLauf(schreiben);
        QVERIFY2(e.status == 0 && e.aus.count(erfolg) == 1 && !e.fehler.contains(erfolg), qPrintable(e.aus + e.fehler));
        QVERIFY(e.aus.contains(QStringLiteral("variant M")));
        // The second block is refused.
        e = cliLauf(schreiben);
        QVERIFY2(e.status == 1 && !e.aus.contains(erfolg) && !e.fehler.contains(erfolg)
                     && e.fehler.contains(Texttabelle::text(167))
                     && e.fehler.contains(QStringLiteral("trouble --repair \"%1\" --variant-m").arg(datei)),
                 qPrintable(e.aus + e.fehler));
        // The command it names repairs the terminal: the block at 19200 baud.
        const QByteArray vorher = sim.speicher(20);
        const int beginn = int(sim.verkehr().size());
        e = cliLauf({"trouble", "--repair", datei, "--variant-m", "--device", sim.device()});
        QVERIFY2(e.status == 0 && e.aus.contains(QStringLiteral("waiting for its block answered"))
                     && e.aus.count(erfolg) == 1,
                 qPrintable(e.aus + e.fehler));
        QCOMPARE(sim.speicher(20), vorher);  // the same file, written again
        const auto v = sim.verkehr(beginn);
        QVERIFY(v.size() > 2051);
        QCOMPARE(v.last().baud, 19200);
        QCOMPARE(v[v.size() - 2051].wert, quint8(Telegramm::STX));
        QCOMPARE(v[v.size() - 2051].baud, 19200);
        // And it answers again.
        e = cliLauf({"identify", "20", "--device", sim.device()});
        QVERIFY2(e.status == 0, qPrintable(e.aus + e.fehler));
    }

    // The adapter goes away while the block is on its way: the terminal may
    // wait for the rest, and the command line says how to repair it.
    void kommandozeilePortWegImBlock()
    {
        Simulator sim;
        const QJsonObject weg{
            {"faults", QJsonArray{QJsonObject{{"type", "gone"}, {"command", "block"}, {"afterBytes", 300}}}}};
        SIM_STARTEN(sim, QJsonArray{Simulator::terminal(3, 0, weg)}, {QStringLiteral("--no-pacing")});
        const QString datei = hauptdateiMit(m_ordner.filePath(QStringLiteral("weg.S2D")), 6, 3);
        const CliErgebnis e = cliLauf({"write", datei, "--address", "3", "--password", "246810", "--device", sim.device(),
                                  "--lang", "en"});
        QVERIFY2(e.status == 1 && e.fehler.contains(Texttabelle::text(1193))
                     && e.fehler.contains(
                         QStringLiteral("Repair it with the same file: portavo-cli trouble --repair \"%1\"").arg(datei)),
                 qPrintable(e.aus + e.fehler));
    }

    // The file's address and protocol differ from the terminal's: the
    // command line never readdresses or switches a terminal silently.
    void kommandozeileFragtVorDemUmstellen()
    {
        Simulator sim;
        SIM_STARTEN(sim, QJsonArray{Simulator::terminal(3, 0)}, {QStringLiteral("--no-pacing")});
        const auto bei2400 = [&sim] {
            int n = 0;
            for (const Simulator::Byte &b : sim.verkehr())
                n += b.baud == 2400;
            return n;
        };
        const QStringList basis{"--address", "3", "--password", "246810", "--device", sim.device()};
        // Address 9 in the file, the terminal at 3: refused before anything is sent.
        const QString neun = hauptdateiMit(m_ordner.filePath(QStringLiteral("neun.S2D")), 2, 9);
        cli(QStringList{"write", neun} + basis, 2, "", "--new-address 9");
        QTest::qWait(100);
        QVERIFY(sim.verkehr().isEmpty());
        // Saying so: the terminal keeps its address, and the output says which it gets.
        cli(QStringList{"write", neun} + basis + QStringList{"--new-address", "3"}, 0,
            "gets address 3 and protocol 0", "");
        QTRY_VERIFY(!sim.speicher(3).isEmpty());
        QCOMPARE(bei2400(), 2051);
        // Protocol 1 in the file, the terminal speaks 0: refused after the
        // version check, before any block.
        QByteArray text = lies(neun);
        QList<QByteArray> zeilen = text.split('\n');
        zeilen[8] = " 3 \r";
        zeilen[10] = " 1 \r";
        const QString eins = m_ordner.filePath(QStringLiteral("eins.S2D"));
        QVERIFY(schreib(eins, zeilen.join('\n')));
        cli(QStringList{"write", eins} + basis, 2, "", "--protocol 1");
        QCOMPARE(bei2400(), 2051);
        cli(QStringList{"write", eins} + basis + QStringList{"--use-file-settings"}, 0,
            "gets address 3 and protocol 1", "");
        QCOMPARE(bei2400(), 2 * 2051);
        // --address 0 is no terminal's address.
        cli(QStringList{"write", eins, "--address", "0", "--password", "246810", "--device", sim.device()}, 2, "",
            "1..255");
    }

    void schreibpanel()
    {
        SimBus sim;
        SIMBUS_STARTEN(sim, QJsonArray{SimBus::terminal(5, 0), SimBus::terminal(9, 1)});
        Lauf<> l(sim.device());
        Schreibpanel panel(l.z, l.v, l.anmeldung, l.meldung);
        QString gewaehlt = hauptdateiMit(m_ordner.filePath(QStringLiteral("falsch.s2D")), 3, 1);
        QStringList titel;
        panel.setDateiwahl([&](const QString &t, const QString &, const QString &, const QString &) {
            titel << t;
            return gewaehlt;
        });
        l.meldung.setStandardantwort(Meldung::Ja);

        // Nothing identified: question 144; then the refused file ends the command.
        panel.schreibbefehl();
        QCOMPARE(titel, QStringList{l.z.Texte.value(148)});
        QCOMPARE(l.meldung.textnummern(), (QList<int>{144, 176}));
        QVERIFY(panel.isHidden());
        QTest::qWait(50);
        QVERIFY(sim.verkehr().isEmpty());

        // A good file: the protocol window (the real one), then the panel.
        gewaehlt = hauptdateiMit(m_ordner.filePath(QStringLiteral("gut.S2D")), 3, 8);
        l.z.Identifiziert = 1;
        l.z.Adresse = 5;
        l.meldung.leeren();
        l.meldung.setStandardantwort(Meldung::Nein);
        QString version;
        connect(&panel, &Schreibpanel::versionAnzeigen, this, [&](const QString &s) { version = s; });
        QTimer::singleShot(300, this, [] {
            if (auto *d = qobject_cast<Protokollident2D *>(QApplication::activeModalWidget()))
                d->findChild<QPushButton *>(QStringLiteral("Cd2"))->click();
        });
        panel.schreibbefehl();
        // Address 8 is free: after the check the panel shows.
        QTRY_VERIFY(!panel.isHidden());
        QCOMPARE(version, QStringLiteral("Ver 3.12 TS 1 04"));
        QCOMPARE(panel.findChild<QLabel *>(QStringLiteral("LabelDatei"))->text(), gewaehlt);

        // A file that would put the terminal at 5 onto 9, where another
        // one answers: message 352/353, no panel, nothing of the write sent.
        panel.hide();
        gewaehlt = hauptdateiMit(m_ordner.filePath(QStringLiteral("neun.S2D")), 3, 9);
        l.meldung.leeren();
        l.meldung.setStandardantwort(Meldung::Nein);
        int beginn = int(sim.verkehr().size());
        QTimer::singleShot(300, this, [] {
            if (auto *d = qobject_cast<Protokollident2D *>(QApplication::activeModalWidget()))
                d->findChild<QPushButton *>(QStringLiteral("Cd2"))->click();
        });
        panel.schreibbefehl();
        QTRY_COMPARE(l.meldung.textnummern(), (QList<int>{354, 352}));
        QCOMPARE(l.meldung.eintraege().last().text, QStringLiteral("Portavo Adresse 9 existiert im System!"));
        QTest::qWait(100);
        QVERIFY(panel.isHidden());
        const QByteArray gefragt = SimBus::bytes(sim.verkehr(beginn));
        QCOMPARE(gefragt, Telegramm::anfrage(5, "V") + Telegramm::Quittung + Telegramm::anfrage(9, "V"));

        // Back to the file for 8.
        gewaehlt = hauptdateiMit(m_ordner.filePath(QStringLiteral("gut.S2D")), 3, 8);
        l.meldung.leeren();
        QTimer::singleShot(300, this, [] {
            if (auto *d = qobject_cast<Protokollident2D *>(QApplication::activeModalWidget()))
                d->findChild<QPushButton *>(QStringLiteral("Cd2"))->click();
        });
        panel.schreibbefehl();
        QTRY_VERIFY(!panel.isHidden());

        // A wrong password: text 154, the panel stays for another try.
        QString passwort = QStringLiteral("111111");
        panel.setPasswortdialog([&] {
            l.z.Passwort = Telegramm::packePasswort(passwort);
            l.z.PasswortOK = 1;
        });
        auto *knopf = panel.findChild<QPushButton *>(QStringLiteral("CommandSchreiben"));
        QSignalSpy fehlschlag(&panel.schreiben(), &Schreiben::fehlgeschlagen);
        knopf->click();
        QVERIFY(fehlschlag.wait(3000));
        QCOMPARE(fehlschlag.first().first().toInt(), 154);
        QVERIFY(!panel.isHidden());
        QVERIFY(knopf->isEnabled());
        passwort = QStringLiteral("246810");
        QSignalSpy erfolg(&panel.schreiben(), &Schreiben::erfolgreich);
        knopf->click();
        QVERIFY(!knopf->isEnabled());
        QVERIFY(erfolg.wait(10000));
        QVERIFY(panel.isHidden());
        QVERIFY(knopf->isEnabled());
        QCOMPARE(panel.findChild<QProgressBar *>(QStringLiteral("ProgressBar1"))->value(), 2045);
        QVERIFY(l.meldung.textnummern().contains(165));
        QCOMPARE(l.z.bild.Daten[8], qint16(8));  // the new address from the file
        QTRY_COMPARE(sim.speicher(8), l.erwarteterSpeicher());
    }
};

PORTAVO_TESTKLASSE(TestSchreibenSim)
#include "tst_schreiben_sim.moc"
