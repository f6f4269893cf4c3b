// Writing end to end: the program's sequences on a pseudo-terminal against
// portavo-sim, which records every byte with the speed it arrived at.

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
#include <QElapsedTimer>
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

const QJsonObject verweigert{
    {"faults", QJsonArray{QJsonObject{{"type", "refuse"}, {"command", "block"}, {"count", 1}}}}};
}  // namespace

class TestSchreibenSim : public QObject {
    Q_OBJECT

    struct Lauf : Strecke<SerialPort> {
        Schreiben schreiben{z, v, anmeldung, meldung};
        qint64 dauer = 0;
        using Strecke::Strecke;

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
            QElapsedTimer uhr;
            uhr.start();
            if (!schreiben.starte() || !beendet.wait(30000))
                return -1;
            dauer = uhr.elapsed();
            return fehler.isEmpty() ? 0 : fehler.first().first().toInt();
        }
        QByteArray erwarteterSpeicher() const { return Terminaldatei::hauptdateitext(z.bild); }
        QByteArray block() const { return Schreiben::block(z, schreiben.blockpruefsumme()); }
    };

    QTemporaryDir m_ordner;

private slots:
    void schreibtProtokoll0Und1UndVarianteM()
    {
        Simulator sim;
        SIM_STARTEN(sim, QJsonArray{Simulator::terminal(4, 0), Simulator::terminal(9, 1),
                                    Simulator::terminal(20, 0, {{"variant", "M"}})});
        const QString datei = hauptdateiMit(m_ordner.filePath(QStringLiteral("halle.S2D")), 5, 1);
        struct Fall {
            int adresse, neu, protokoll;
            bool m;
        };
        for (const Fall &f : {Fall{4, 14, 1, false}, Fall{9, 19, 0, false}, Fall{20, 20, 0, true}}) {
            Lauf l(sim.device());
            QVERIFY(l.vorbereiten(datei, f.adresse, f.neu, f.protokoll));
            QCOMPARE(l.z.Variante, qint16(f.m));
            QTest::qWait(50);  // the acknowledgement of the version answer arrives
            const int beginn = int(sim.verkehr().size());
            QCOMPARE(l.schreibe(), 0);
            QCOMPARE(l.meldung.textnummern(), QList<int>{165});
            QCOMPARE(l.port.settings(), QStringLiteral("19200,n,8,1"));
            if (f.m)
                QCOMPARE(l.schreiben.versuche(), 0);  // success at the first tick

            // The terminal's memory is the file with 12 = 0, 13 = 15, the new
            // address and the chosen protocol.
            QCOMPARE(l.z.bild.Daten[8], qint16(f.neu));
            QCOMPARE(l.z.bild.Daten[10], qint16(f.protokoll));
            QCOMPARE(l.z.bild.Daten[12], qint16(0));
            QCOMPARE(l.z.bild.Daten[13], qint16(15));
            QTRY_COMPARE(sim.speicher(f.neu), l.erwarteterSpeicher());

            // Every byte in order, each at its speed, and Timer4's gap before the block.
            const QVector<Simulator::Byte> v = sim.verkehr(beginn);
            const QByteArray vorspann = Telegramm::anfrage(f.adresse, QByteArray("P") + l.z.Passwort)
                                        + Telegramm::Quittung + Telegramm::anfrage(f.adresse, f.m ? "d" : "D")
                                        + "U24###";
            QCOMPARE(Simulator::bytes(v), vorspann + l.block());
            const int blockbaud = f.m ? 19200 : 2400;
            for (int i = 0; i < v.size(); ++i)
                QCOMPARE(v[i].baud, i < vorspann.size() ? 19200 : blockbaud);
            const qint64 luecke = v[vorspann.size()].us - v[vorspann.size() - 1].us;
            QVERIFY2(luecke >= 2500000 && luecke < 2650000, qPrintable(QString::number(luecke)));
            // The whole write takes Timer4 and the block's line time.
            const qint64 soll = 2500 + Schreiben::leitungszeitMs(2051, blockbaud);
            if (!f.m)
                QVERIFY2(l.dauer <= soll * 105 / 100, qPrintable(QStringLiteral("%1 ms of %2").arg(l.dauer).arg(soll)));
        }
    }

    void verweigerterBlockTroubleUndReparatur()
    {
        Simulator sim;
        SIM_STARTEN(sim, QJsonArray{Simulator::terminal(6, 0, verweigert)}, {QStringLiteral("--no-pacing")});
        const QByteArray vorher = sim.speicher(6);
        const QString datei = hauptdateiMit(m_ordner.filePath(QStringLiteral("r.S2D")), 77, 6);
        Lauf l(sim.device());
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
        QElapsedTimer uhr;
        uhr.start();
        t.starte();
        QVERIFY(reparatur.wait(10000));
        QVERIFY(t.wartenderGesehen());
        QVERIFY(uhr.elapsed() >= 2000 + 500);
        QCOMPARE(l.meldung.textnummern(), QList<int>{Troublesuche::Reparaturfragenummer});
        const QVector<Simulator::Byte> v = sim.verkehr(beginn);
        QCOMPARE(Simulator::bytes(v).left(21), QByteArray("111222333444555666777"));
        QCOMPARE(v.size() % 3, 0);
        for (int i = 3; i < v.size(); i += 3)
            QVERIFY2(v[i].us - v[i - 3].us >= 40000 && v[i].us - v[i - 3].us < 90000,
                     qPrintable(QString::number(v[i].us - v[i - 3].us)));
        QCOMPARE(l.z.Reparatur, qint16(1));

        // The repair write: wake-up, NAK, the block without login.
        l.meldung.leeren();
        QVERIFY(Dateiablauf::ladeRoutine(l.z, l.meldung, datei).geladen);
        const int vorReparatur = int(sim.verkehr().size());
        QCOMPARE(l.schreibe(), 0);
        QCOMPARE(l.meldung.textnummern(), QList<int>{165});
        QTRY_COMPARE(sim.speicher(6), l.erwarteterSpeicher());
        const QByteArray r = Simulator::bytes(sim.verkehr(vorReparatur));
        QVERIFY(r.startsWith(QByteArray(1, Telegramm::STX)));
        QVERIFY(!r.contains(Telegramm::anfrage(6, QByteArray("P") + l.z.Passwort)));
        QVERIFY(r.endsWith(l.block()));
        QCOMPARE(l.z.Reparatur, qint16(0));
    }

    void kommandozeile()
    {
        Simulator sim;
        SIM_STARTEN(sim, QJsonArray{Simulator::terminal(3, 0, verweigert)}, {QStringLiteral("--no-pacing")});
        const QString richtig = hauptdateiMit(m_ordner.filePath(QStringLiteral("halle.S2D")), 1, 3);
        const QString falsch = hauptdateiMit(m_ordner.filePath(QStringLiteral("halle.B2D")), 1, 3);
        const QStringList schreiben{"write",    richtig,  "--address", "3",
                                    "--password", "246810", "--device", sim.device()};
        const auto cli = [](const QStringList &args, int status, const QString &aus, const QString &fehler) {
            QProcess p;
            p.start(qEnvironmentVariable("PORTAVO_CLI"), args);
            QVERIFY(p.waitForFinished(60000));
            const QString o = QString::fromUtf8(p.readAllStandardOutput());
            const QString e = QString::fromUtf8(p.readAllStandardError());
            QVERIFY2(p.exitCode() == status && o.contains(aus) && e.contains(fehler), qPrintable(o + e));
        };

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

    void schreibpanel()
    {
        Simulator sim;
        SIM_STARTEN(sim, QJsonArray{Simulator::terminal(5, 0)}, {QStringLiteral("--no-pacing")});
        Lauf l(sim.device());
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
        QVERIFY(!panel.isHidden());
        QCOMPARE(version, QStringLiteral("Ver 3.12 TS 1 04"));
        QCOMPARE(panel.findChild<QLabel *>(QStringLiteral("LabelDatei"))->text(), gewaehlt);

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

QTEST_MAIN(TestSchreibenSim)
#include "tst_schreiben_sim.moc"
