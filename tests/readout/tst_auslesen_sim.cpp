// Read-out end to end: the real link on a pseudo-terminal against
// portavo-sim, paced at the line speed.

#include "Simulator.h"
#include "link/Anmeldung.h"
#include "link/Auslesen.h"
#include "link/SerialPort.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "shell/MeldungAufnahme.h"
#include "shell/Programmstart.h"
#include "shell/Texttabelle.h"
#include "shell/Zustand.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QTemporaryDir>

class TestAuslesenSim : public QObject {
    Q_OBJECT

    struct Lauf {
        Zustand z;
        SerialPort port;
        Verbindung v{z};
        MeldungAufnahme meldung;
        Anmeldung anmeldung{z, v};
        Auslesen auslesen{z, v, anmeldung, meldung};
        int ende = -99;
        qint64 dauer = 0;

        bool oeffne(const QString &geraet)
        {
            Texttabelle::ladeTexte(z, 101, 178);
            Programmstart::rs485Betrieb(z);
            port.setDevice(geraet);
            port.setSettings(QStringLiteral("19200,n,8,1"));
            if (!port.open())
                return false;
            v.setPort(&port);
            return true;
        }
        void lese(int adresse, int protokoll, const QString &passwort)
        {
            z.Adresse = qint16(adresse);
            z.Protokoll = qint16(protokoll);
            z.Passwort = Telegramm::packePasswort(passwort);
            QSignalSpy fertig(&auslesen, &Auslesen::fertig);
            QSignalSpy fehler(&auslesen, &Auslesen::fehlgeschlagen);
            QElapsedTimer uhr;
            uhr.start();
            QVERIFY(auslesen.starte());
            QVERIFY(QTest::qWaitFor([&] { return fertig.count() + fehler.count() > 0; }, 10000));
            dauer = uhr.elapsed();
            ende = fehler.isEmpty() ? 0 : fehler.first().first().toInt();
        }
    };

    static QJsonObject terminal(int adresse, int protokoll, const QJsonArray &faults = {})
    {
        QJsonObject t{{"address", adresse}, {"protocol", protokoll}, {"password", "246810"}};
        QJsonArray bild;
        for (int i = 0; i < 2048; ++i)
            bild.append((i * 13 + adresse) & 0xFF);
        t["image"] = bild;
        if (!faults.isEmpty())
            t["faults"] = faults;
        return t;
    }

    QTemporaryDir m_ordner;
    QString m_vorher;

private slots:
    void init()
    {
        m_vorher = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_ordner.path()));
        QFile::remove(QStringLiteral("PORTAVO.S2D"));
    }
    void cleanup() { QDir::setCurrent(m_vorher); }

    void liestProtokoll0Und1()
    {
        QTemporaryDir zustand;
        Simulator sim;
        QString fehler = sim.starten(QJsonObject{{"terminals", QJsonArray{terminal(4, 0), terminal(9, 1)}}},
                                     {QStringLiteral("--state-dir"), zustand.path()});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        for (const auto &[adresse, protokoll, bytes] : {std::tuple{4, 0, 4107}, std::tuple{9, 1, 4109}}) {
            Lauf l;
            QVERIFY(l.oeffne(sim.device()));
            QFile::remove(QStringLiteral("PORTAVO.S2D"));
            l.lese(adresse, protokoll, QStringLiteral("246810"));
            QCOMPARE(l.ende, 0);
            QCOMPARE(int(l.z.Empfangszahl), bytes);
            QFile ist(QStringLiteral("PORTAVO.S2D"));
            QFile soll(zustand.filePath(QStringLiteral("terminal-%1.S2D").arg(adresse)));
            QVERIFY(ist.open(QIODevice::ReadOnly));
            QVERIFY(soll.open(QIODevice::ReadOnly));
            const QByteArray inhalt = ist.readAll();
            QCOMPARE(inhalt.count('\n'), 2048);
            QCOMPARE(inhalt, soll.readAll());
            // Wire time of login, answer and read-out at 19200 baud, plus
            // the first login tick and the Timer3 tick that finds it complete.
            const double draht = (9 + 9 + 1 + 5 + bytes - 6 + (protokoll == 1 ? 4 : 1)) * 10.0 / 19.2;
            qInfo("Protokoll %d: %lld ms, Leitung %.0f ms", protokoll, l.dauer, draht);
            QVERIFY(l.dauer < draht + 400);
        }
    }

    void falschesPasswort()
    {
        Simulator sim;
        QString fehler = sim.starten(QJsonObject{{"terminals", QJsonArray{terminal(4, 0)}}});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        Lauf l;
        QVERIFY(l.oeffne(sim.device()));
        l.lese(4, 0, QStringLiteral("123456"));
        QCOMPARE(l.ende, 154);
        QCOMPARE(l.meldung.eintraege().first().text, l.z.Texte.at(154));
        QVERIFY(!QFile::exists(QStringLiteral("PORTAVO.S2D")));
    }

    void falschesPruefbyte()
    {
        Simulator sim;
        QJsonArray faults{QJsonObject{{"type", "badCheck"}, {"command", "E"}}};
        QString fehler = sim.starten(QJsonObject{{"terminals", QJsonArray{terminal(4, 1, faults)}}});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        Lauf l;
        QVERIFY(l.oeffne(sim.device()));
        for (int i = 0; i < 2048; ++i)
            l.z.bild.Daten[size_t(i)] = 9;
        l.lese(4, 1, QStringLiteral("246810"));
        QCOMPARE(l.ende, 158);
        for (int i = 0; i < 2048; ++i)
            QCOMPARE(int(l.z.bild.Daten[size_t(i)]), 9);
        QVERIFY(!QFile::exists(QStringLiteral("PORTAVO.S2D")));
    }

    void schweigenNachTeil()
    {
        Simulator sim;
        QJsonArray faults{QJsonObject{{"type", "silence"}, {"command", "E"}, {"afterBytes", 2000}}};
        QString fehler = sim.starten(QJsonObject{{"terminals", QJsonArray{terminal(4, 0, faults)}}});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        Lauf l;
        QVERIFY(l.oeffne(sim.device()));
        l.lese(4, 0, QStringLiteral("246810"));
        QCOMPARE(l.ende, 156);
        QCOMPARE(int(l.z.Empfangszahl), 6 + 2000);
        QVERIFY(!QFile::exists(QStringLiteral("PORTAVO.S2D")));
    }

    void geraetVerschwindet()
    {
        Simulator sim;
        QJsonArray faults{QJsonObject{{"type", "gone"}, {"command", "E"}, {"afterBytes", 1000}}};
        QString fehler = sim.starten(QJsonObject{{"terminals", QJsonArray{terminal(4, 0, faults)}}});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        Lauf l;
        QVERIFY(l.oeffne(sim.device()));
        l.lese(4, 0, QStringLiteral("246810"));
        QCOMPARE(l.ende, 193);
        QVERIFY(l.dauer < 2500);  // ends at the loss, not after the wait
        QVERIFY(!l.port.isOpen());
        QVERIFY(!QFile::exists(QStringLiteral("PORTAVO.S2D")));
    }
};

QTEST_GUILESS_MAIN(TestAuslesenSim)
#include "tst_auslesen_sim.moc"
