// Address identification end to end against portavo-sim.

#include "Simulator.h"
#include "diag/Adressidentifikation.h"
#include "link/SerialPort.h"
#include "link/Verbindung.h"
#include "shell/MeldungAufnahme.h"
#include "shell/Programmstart.h"
#include "shell/Texttabelle.h"
#include "shell/Zustand.h"

#include <QJsonArray>

class TestIdentSim : public QObject {
    Q_OBJECT

    struct Lauf {
        Zustand z;
        SerialPort port;
        Verbindung v{z};
        MeldungAufnahme meldung;
        Adressidentifikation ident{z, v, meldung};
        QString version;
        bool geschlossen = false;

        bool oeffne(const QString &geraet)
        {
            Texttabelle::ladeTexte(z, 101, 178);
            Programmstart::protokollnamenSetzen(z);
            port.setDevice(geraet);
            if (!port.open())
                return false;
            v.setPort(&port);
            z.AdressSuche = 1;
            QObject::connect(&ident, &Adressidentifikation::versionAnzeigen, [this](const QString &t) { version = t; });
            QObject::connect(&ident, &Adressidentifikation::schliessen, [this] { geschlossen = true; });
            ident.laden();
            return true;
        }
        bool scan()
        {
            QSignalSpy ende(&ident, &Adressidentifikation::scanBeendet);
            ident.scan();
            return ende.wait(25000);
        }
    };

private slots:
    void leererBus()
    {
        Simulator sim;
        QString fehler = sim.starten(QJsonObject{{"terminals", QJsonArray{}}});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        Lauf l;
        QVERIFY(l.oeffne(sim.device()));
        QVERIFY(l.scan());
        QCOMPARE(l.ident.liste(), QStringList{l.z.Texte.at(195)});
        QCOMPARE(l.ident.auswahl(), 0);
        QCOMPARE(int(l.z.Adresse), 0);
        QVERIFY(l.meldung.eintraege().isEmpty());
        // OK on that line empties the list.
        l.ident.ok();
        QVERIFY(l.ident.liste().isEmpty());
    }

    void keinEcho()
    {
        Simulator sim;
        QString fehler = sim.starten(QJsonObject{{"terminals", QJsonArray{QJsonObject{{"address", 1}}}}},
                                     {QStringLiteral("--no-echo")});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        Lauf l;
        QVERIFY(l.oeffne(sim.device()));
        QVERIFY(l.scan());
        QCOMPARE(l.meldung.textnummern(), QList<int>{193});
        QCOMPARE(l.meldung.eintraege().first().text, l.z.Texte.at(193));
    }

    void fremdeFamilie()
    {
        Simulator sim;
        const QJsonArray t{QJsonObject{{"address", 40}, {"version", "Ver 3.12 TS 2 04"}}};
        QString fehler = sim.starten(QJsonObject{{"terminals", t}});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        Lauf l;
        QVERIFY(l.oeffne(sim.device()));
        l.ident.adressfeldVerlassen(QStringLiteral("40"));
        l.ident.ok();
        QTRY_VERIFY(l.geschlossen);
        QCOMPARE(l.meldung.textnummern(), QList<int>{388});
        QCOMPARE(int(l.z.AdresseBekannt), 0);
        QCOMPARE(l.version, QStringLiteral("Ver 3.12 TS 2 04"));
    }
};

QTEST_GUILESS_MAIN(TestIdentSim)
#include "tst_ident_sim.moc"
