// Writing end to end: the program's sequences on a pseudo-terminal against
// portavo-sim, which records every byte with the speed it arrived at.

#include "Simulator.h"
#include "diag/Protokollident.h"
#include "diag/Protokollident2D.h"
#include "link/Anmeldung.h"
#include "link/Schreiben.h"
#include "link/Schreibpanel.h"
#include "link/SerialPort.h"
#include "link/Telegramm.h"
#include "link/Trouble.h"
#include "link/Verbindung.h"
#include "shell/MeldungAufnahme.h"
#include "shell/Programmstart.h"
#include "shell/Texttabelle.h"
#include "shell/Zustand.h"
#include "termfile/Dateiablauf.h"
#include "termfile/Terminaldatei.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

struct Byte {
    qint64 us;
    int baud;
    quint8 wert;
};

QVector<Byte> verkehr(const QString &ordner)
{
    QVector<Byte> v;
    QFile f(ordner + QStringLiteral("/traffic.log"));
    if (!f.open(QIODevice::ReadOnly))
        return v;
    for (const QByteArray &zeile : f.readAll().split('\n')) {
        const QList<QByteArray> t = zeile.split(' ');
        if (t.size() == 3)
            v.append({t[0].toLongLong(), t[1].toInt(), quint8(t[2].toInt(nullptr, 16))});
    }
    return v;
}

QByteArray bytesVon(const QVector<Byte> &v, int ab = 0)
{
    QByteArray b;
    for (int i = ab; i < v.size(); ++i)
        b += char(v[i].wert);
    return b;
}

// A main file whose bytes differ from the simulator's default image;
// password 246810 in bytes 5..7, the address in byte 8, protocol 0.
QString schreibeDatei(const QString &pfad, int saat, int adresse = 1)
{
    QByteArray text;
    for (int i = 0; i < 2048; ++i) {
        int w = (i * 31 + saat) & 0xFF;
        if (i == 5)
            w = 0x42;
        else if (i == 6)
            w = 0x86;
        else if (i == 7)
            w = 0x01;
        else if (i == 8)
            w = adresse;
        else if (i == 10)
            w = 0;
        text += ' ' + QByteArray::number(w) + " \r\n";
    }
    QFile f(pfad);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(text);
    return pfad;
}

QJsonObject terminal(int adresse, int protokoll, const QJsonArray &faults = {})
{
    QJsonObject t{{"address", adresse}, {"protocol", protokoll}, {"password", "246810"}};
    if (!faults.isEmpty())
        t["faults"] = faults;
    return t;
}

}  // namespace

class TestSchreibenSim : public QObject {
    Q_OBJECT

    struct Lauf {
        Zustand z;
        SerialPort port;
        Verbindung v{z};
        MeldungAufnahme meldung;
        Anmeldung anmeldung{z, v};
        Schreiben schreiben{z, v, anmeldung, meldung};
        qint64 dauer = 0;

        bool oeffne(const QString &geraet)
        {
            Texttabelle::ladeTexte(z, 101, 389);
            Programmstart::rs485Betrieb(z);
            Programmstart::protokollnamenSetzen(z);
            port.setDevice(geraet);
            port.setSettings(QStringLiteral("19200,n,8,1"));
            if (!port.open())
                return false;
            v.setPort(&port);
            return true;
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
        int schreibe(int wartezeit = 30000)
        {
            z.Passwort = Telegramm::packePasswort(QStringLiteral("246810"));
            QSignalSpy beendet(&schreiben, &Schreiben::beendet);
            QSignalSpy fehler(&schreiben, &Schreiben::fehlgeschlagen);
            QElapsedTimer uhr;
            uhr.start();
            if (!schreiben.starte())
                return -2;
            if (!beendet.wait(wartezeit))
                return -1;
            dauer = uhr.elapsed();
            return fehler.isEmpty() ? 0 : fehler.first().first().toInt();
        }
        QByteArray erwarteterSpeicher() const { return Terminaldatei::hauptdateitext(z.bild); }
    };

    static QByteArray zustandsdatei(const QString &ordner, int adresse)
    {
        QFile f(ordner + QStringLiteral("/terminal-%1.S2D").arg(adresse));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_ordner;

private slots:
    void schreibtProtokoll0Und1()
    {
        QTemporaryDir zustand;
        Simulator sim;
        const QString fehler = sim.starten(QJsonObject{{"terminals", QJsonArray{terminal(4, 0), terminal(9, 1)}}},
                                           {QStringLiteral("--state-dir"), zustand.path()});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        const QString datei = schreibeDatei(m_ordner.filePath(QStringLiteral("halle.S2D")), 5);
        struct Fall {
            int adresse, neu, protokoll;
        };
        for (const Fall &f : {Fall{4, 14, 1}, Fall{9, 19, 0}}) {
            const int vorher = int(verkehr(zustand.path()).size());
            Lauf l;
            QVERIFY(l.oeffne(sim.device()));
            QVERIFY(l.vorbereiten(datei, f.adresse, f.neu, f.protokoll));
            QTest::qWait(50);  // the acknowledgement of the version answer arrives
            const int beginn = int(verkehr(zustand.path()).size());
            QCOMPARE(l.schreibe(), 0);
            QCOMPARE(l.meldung.textnummern(), QList<int>{165});
            QCOMPARE(l.port.settings(), QStringLiteral("19200,n,8,1"));

            // The terminal's memory is the file with 12 = 0, 13 = 15, the new
            // address and the chosen protocol.
            QCOMPARE(l.z.bild.Daten[8], qint16(f.neu));
            QCOMPARE(l.z.bild.Daten[10], qint16(f.protokoll));
            QCOMPARE(l.z.bild.Daten[12], qint16(0));
            QCOMPARE(l.z.bild.Daten[13], qint16(15));
            QTRY_COMPARE(zustandsdatei(zustand.path(), f.neu), l.erwarteterSpeicher());
            QVERIFY(vorher < beginn);

            // Every byte in order, and each at its speed.
            const QVector<Byte> v = verkehr(zustand.path()).mid(beginn);
            const QByteArray login = Telegramm::anfrage(f.adresse, QByteArray("P") + l.z.Passwort);
            const QByteArray vorspann = login + Telegramm::Quittung + Telegramm::anfrage(f.adresse, "D") + "U24###";
            const QByteArray block = Schreiben::block(l.z, l.schreiben.blockpruefsumme());
            QCOMPARE(bytesVon(v), vorspann + block);
            for (int i = 0; i < v.size(); ++i)
                QCOMPARE(v[i].baud, i < vorspann.size() ? 19200 : 2400);
            const qint64 luecke = v[vorspann.size()].us - v[vorspann.size() - 1].us;
            QVERIFY2(luecke >= 2500000 && luecke < 2650000, qPrintable(QString::number(luecke)));
            const qint64 soll = 2500 + Schreiben::leitungszeitMs(2051, 2400);
            qInfo("Protokoll %d: %lld ms (Sollzeit %lld ms, Faktor %.3f)", f.protokoll, l.dauer, soll,
                  double(l.dauer) / double(soll));
            QVERIFY(l.dauer <= soll * 105 / 100);
        }
    }

    void varianteM()
    {
        QTemporaryDir zustand;
        Simulator sim;
        QJsonObject t = terminal(20, 0);
        t["variant"] = "M";
        const QString fehler =
            sim.starten(QJsonObject{{"terminals", QJsonArray{t}}}, {QStringLiteral("--state-dir"), zustand.path()});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        const QString datei = schreibeDatei(m_ordner.filePath(QStringLiteral("m.S2D")), 9, 20);
        Lauf l;
        QVERIFY(l.oeffne(sim.device()));
        QVERIFY(l.vorbereiten(datei, 20, 20, 0));
        QCOMPARE(l.z.Variante, qint16(1));
        const int beginn = int(verkehr(zustand.path()).size());
        QSignalSpy aufDerLeitung(&l.schreiben, &Schreiben::blockAufDerLeitung);
        QCOMPARE(l.schreibe(), 0);
        QCOMPARE(l.schreiben.versuche(), 0);  // success at the first tick
        const QVector<Byte> v = verkehr(zustand.path()).mid(beginn);
        QVERIFY(bytesVon(v).contains(Telegramm::anfrage(20, "d") + "U24###"));
        for (const Byte &b : v)
            QCOMPARE(b.baud, 19200);
        QVERIFY(l.schreiben.sendedauer() >= Schreiben::leitungszeitMs(2051, 19200));
        QTRY_COMPARE(zustandsdatei(zustand.path(), 20), l.erwarteterSpeicher());
    }

    void verweigerterBlockTroubleUndReparatur()
    {
        QTemporaryDir zustand;
        Simulator sim;
        const QJsonArray faults{QJsonObject{{"type", "refuse"}, {"command", "block"}, {"count", 1}}};
        const QString fehler = sim.starten(QJsonObject{{"terminals", QJsonArray{terminal(6, 0, faults)}}},
                                           {QStringLiteral("--state-dir"), zustand.path(), QStringLiteral("--no-pacing")});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        const QByteArray vorher = zustandsdatei(zustand.path(), 6);
        const QString datei = schreibeDatei(m_ordner.filePath(QStringLiteral("r.S2D")), 77, 6);
        Lauf l;
        QVERIFY(l.oeffne(sim.device()));
        QVERIFY(l.vorbereiten(datei, 6, 6, 0));
        l.z.Timerintervall[2] = 20;
        QCOMPARE(l.schreibe(), 167);
        QCOMPARE(l.meldung.eintraege().last().titelnummer, 168);
        QCOMPARE(l.meldung.eintraege().last().titel, l.z.Texte.value(168));
        QCOMPARE(l.port.settings(), QStringLiteral("19200,n,8,1"));
        QCOMPARE(zustandsdatei(zustand.path(), 6), vorher);
        QCOMPARE(l.z.Schreibfehler, qint16(1));

        // Trouble: the triples, from 500 ms on, 50 ms apart; the waiting
        // terminal answers, the scan ends early and offers the repair.
        Troublesuche t(l.z, l.v, l.meldung, &l.schreiben);
        l.meldung.leeren();
        l.meldung.antworte(Meldung::Ja);
        QSignalSpy reparatur(&t, &Troublesuche::reparaturStarten);
        const int beginn = int(verkehr(zustand.path()).size());
        QElapsedTimer uhr;
        uhr.start();
        t.starte();
        QVERIFY(reparatur.wait(10000));
        QVERIFY(t.wartenderGesehen());
        QVERIFY(uhr.elapsed() >= 2000 + 500);
        QCOMPARE(l.meldung.textnummern(), QList<int>{Troublesuche::Reparaturfragenummer});
        const QVector<Byte> v = verkehr(zustand.path()).mid(beginn);
        QVERIFY(v.size() >= 21);
        QCOMPARE(bytesVon(v).left(21), QByteArray("111222333444555666777"));
        QCOMPARE(v.size() % 3, 0);
        for (int i = 3; i < v.size(); i += 3) {
            const qint64 abstand = v[i].us - v[i - 3].us;
            QVERIFY2(abstand >= 40000 && abstand < 90000, qPrintable(QString::number(abstand)));
        }
        QCOMPARE(l.z.Reparatur, qint16(1));

        // The repair write: wake-up, NAK, the block without login.
        l.meldung.leeren();
        QVERIFY(Dateiablauf::ladeRoutine(l.z, l.meldung, datei).geladen);
        const int vorReparatur = int(verkehr(zustand.path()).size());
        QCOMPARE(l.schreibe(), 0);
        QCOMPARE(l.meldung.textnummern(), QList<int>{165});
        QTRY_COMPARE(zustandsdatei(zustand.path(), 6), l.erwarteterSpeicher());
        const QByteArray r = bytesVon(verkehr(zustand.path()), vorReparatur);
        QVERIFY(r.startsWith(QByteArray(1, Telegramm::STX)));
        QVERIFY(!r.contains(Telegramm::anfrage(6, QByteArray("P") + l.z.Passwort)));
        QVERIFY(r.endsWith(Schreiben::block(l.z, l.schreiben.blockpruefsumme())));
        QCOMPARE(l.z.Reparatur, qint16(0));
    }

    void kommandozeile()
    {
        QTemporaryDir zustand;
        Simulator sim;
        const QJsonArray faults{QJsonObject{{"type", "refuse"}, {"command", "block"}, {"count", 1}}};
        const QString fehler =
            sim.starten(QJsonObject{{"terminals", QJsonArray{terminal(3, 0, faults)}}},
                        {QStringLiteral("--state-dir"), zustand.path(), QStringLiteral("--no-pacing")});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        const QString cli = qEnvironmentVariable("PORTAVO_CLI");
        const QString falsch = schreibeDatei(m_ordner.filePath(QStringLiteral("halle.B2D")), 1, 3);
        const QString richtig = schreibeDatei(m_ordner.filePath(QStringLiteral("halle.S2D")), 1, 3);
        const QStringList schreiben{QStringLiteral("write"), richtig, QStringLiteral("--address"),
                                    QStringLiteral("3"), QStringLiteral("--password"), QStringLiteral("246810"),
                                    QStringLiteral("--device"), sim.device()};
        QProcess p;

        // A refused file ends the command with text 176 and sends nothing.
        QStringList a = schreiben;
        a[1] = falsch;
        p.start(cli, a);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("keine PORTAVOdatei")));
        QTest::qWait(100);
        QVERIFY(verkehr(zustand.path()).isEmpty());

        // Wrong usage.
        a = schreiben;
        a[5] = QStringLiteral("2468");
        p.start(cli, a);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 2);

        // The terminal refuses the block: text 167, exit 1.
        p.start(cli, schreiben);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("Trouble anklicken")));

        // trouble --repair: the scan sees the waiting terminal, the repair writes the file.
        p.start(cli, {QStringLiteral("trouble"), QStringLiteral("--repair"), richtig, QStringLiteral("--device"),
                      sim.device()});
        QVERIFY(p.waitForFinished(60000));
        QString aus = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(p.exitCode() == 0, qPrintable(aus + QString::fromUtf8(p.readAllStandardError())));
        QVERIFY(aus.contains(QStringLiteral("waiting for its block answered")));
        QVERIFY(aus.contains(QStringLiteral("PORTAVO erfolgreich programmiert")));

        // A normal write with a new address and protocol.
        a = schreiben;
        a << QStringLiteral("--new-address") << QStringLiteral("33") << QStringLiteral("--protocol")
          << QStringLiteral("1");
        p.start(cli, a);
        QVERIFY(p.waitForFinished(30000));
        aus = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(p.exitCode() == 0, qPrintable(aus + QString::fromUtf8(p.readAllStandardError())));
        QVERIFY(aus.contains(QStringLiteral("PORTAVO erfolgreich programmiert")));
        Zustand z;
        Terminaldatei::Speicherbytes werte{};
        QVERIFY(Terminaldatei::leseHauptdatei(richtig, werte));
        std::copy(werte.begin(), werte.end(), z.bild.Daten.begin());
        z.bild.Daten[8] = 33;
        z.bild.Daten[10] = 1;
        z.bild.Daten[12] = 0;
        z.bild.Daten[13] = 15;
        QTRY_COMPARE(zustandsdatei(zustand.path(), 33), Terminaldatei::hauptdateitext(z.bild));
        const QVector<Byte> v = verkehr(zustand.path());
        int bei2400 = 0;
        for (const Byte &b : v)
            bei2400 += b.baud == 2400;
        QCOMPARE(bei2400, 3 * 2051);  // refused, repaired, written
    }

    void schreibpanel()
    {
        QTemporaryDir zustand;
        Simulator sim;
        const QString fehler =
            sim.starten(QJsonObject{{"terminals", QJsonArray{terminal(5, 0)}}},
                        {QStringLiteral("--state-dir"), zustand.path(), QStringLiteral("--no-pacing")});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        Lauf l;
        QVERIFY(l.oeffne(sim.device()));
        Schreibpanel panel(l.z, l.v, l.anmeldung, l.meldung);
        QString gewaehlt = m_ordner.filePath(QStringLiteral("falsch.s2D"));
        schreibeDatei(gewaehlt, 3);
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
        QVERIFY(verkehr(zustand.path()).isEmpty());

        // A good file: the protocol window (the real one), then the panel.
        gewaehlt = schreibeDatei(m_ordner.filePath(QStringLiteral("gut.S2D")), 3, 8);
        l.z.Identifiziert = 1;
        l.z.Adresse = 5;
        l.meldung.leeren();
        l.meldung.setStandardantwort(Meldung::Nein);
        QString version;
        connect(&panel, &Schreibpanel::versionAnzeigen, this, [&](const QString &s) { version = s; });
        QTimer::singleShot(300, this, [] {
            auto *d = qobject_cast<Protokollident2D *>(QApplication::activeModalWidget());
            if (d)
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
        QTRY_COMPARE(zustandsdatei(zustand.path(), 8), l.erwarteterSpeicher());
    }
};

QTEST_MAIN(TestSchreibenSim)
#include "tst_schreiben_sim.moc"
