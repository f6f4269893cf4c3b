// Address identification against a FakePort bus: scan, single
// identification, version check, reset and the address field.

#include "Busattrappe.h"
#include "diag/Adressidentifikation.h"
#include "link/Verbindung.h"
#include "shell/MeldungAufnahme.h"
#include "shell/Programmstart.h"
#include "shell/Texttabelle.h"
#include "shell/Zustand.h"

#include <QSignalSpy>
#include <QtTest>

class TestAdressidentifikation : public QObject {
    Q_OBJECT

    struct Aufbau {
        Zustand z;
        FakePort port;
        Busattrappe bus{port};
        Verbindung v{z};
        MeldungAufnahme meldung;
        Adressidentifikation ident{z, v, meldung};
        QString angezeigtAdresse;
        QString angezeigtProtokoll;
        QString angezeigtVersion;
        int geschlossen = 0;

        Aufbau()
        {
            Texttabelle::ladeTexte(z, 101, 178);
            Programmstart::protokollnamenSetzen(z);
            port.open();
            v.setPort(&port);
            z.AdressSuche = 1;
            QObject::connect(&ident, &Adressidentifikation::terminalAnzeigen, [this](int a, const QString &p) {
                angezeigtAdresse = QString::number(a);
                angezeigtProtokoll = p;
            });
            QObject::connect(&ident, &Adressidentifikation::versionAnzeigen,
                             [this](const QString &v) { angezeigtVersion = v; });
            QObject::connect(&ident, &Adressidentifikation::schliessen, [this] { ++geschlossen; });
            ident.laden();
        }
        void terminal(int adresse, int protokoll, const QByteArray &version = "Ver 2.07 KD 1 00")
        {
            Testterminal t;
            t.protokoll = protokoll;
            t.version = version;
            bus.terminals.insert(adresse, t);
        }
        // The telegrams written, ACKs as a single byte.
        QList<QByteArray> gesendet() const
        {
            QList<QByteArray> l;
            for (const auto &w : port.writes())
                l << w.bytes;
            return l;
        }
    };

private slots:
    void ladenSetztAusgangszustand()
    {
        Aufbau a;
        QCOMPARE(int(a.z.Adresse), 48);
        QCOMPARE(a.ident.adressfeld(), QStringLiteral("48"));
        QCOMPARE(int(a.z.AdresseBekannt), 0);
        QVERIFY(!a.ident.okFreigegeben());
        QCOMPARE(a.z.Protokollnamen.at(255), a.z.Texte.at(190));
        QCOMPARE(a.ident.timer1().interval(), 50);
        QCOMPARE(a.ident.timer2().interval(), 300);
        a.z.Modembetrieb = 1;
        a.ident.laden();
        QCOMPARE(a.ident.timer1().interval(), 250);
        QCOMPARE(a.ident.timer2().interval(), 1000);
    }

    void scanFindetZweiTerminalsUndOkUebernimmt()
    {
        Aufbau a;
        a.terminal(3, 0);
        a.terminal(17, 1);
        QSignalSpy ende(&a.ident, &Adressidentifikation::scanBeendet);
        a.ident.scan();
        QVERIFY(a.ident.gesperrt());
        QTRY_COMPARE_WITH_TIMEOUT(ende.count(), 1, 20000);
        QCOMPARE(ende.first().first().toBool(), true);
        QVERIFY(!a.ident.gesperrt());
        QVERIFY(a.ident.okFreigegeben());

        const QString t191 = a.z.Texte.at(191), t192 = a.z.Texte.at(192);
        QCOMPARE(a.ident.liste(), (QStringList{t191 + "003" + t192 + "000 Standard",
                                               t191 + "017" + t192 + "001 QRX / Norvall"}));
        // The first line is selected and current.
        QCOMPARE(a.ident.auswahl(), 0);
        QCOMPARE(int(a.z.Adresse), 3);
        QCOMPARE(int(a.z.Protokoll), 0);

        // Bytes: "X" to 1..255 in ascending order, an ACK after each answer.
        QList<QByteArray> erwartet;
        for (int n = 1; n <= 255; ++n) {
            erwartet << Telegramm::anfrage(n, "X");
            if (n == 3 || n == 17)
                erwartet << Telegramm::Quittung;
        }
        QCOMPARE(a.gesendet(), erwartet);

        a.ident.waehleZeile(1);
        QCOMPARE(int(a.z.Adresse), 17);
        QCOMPARE(int(a.z.Protokoll), 1);
        a.port.clearWrites();
        a.ident.ok();
        QCOMPARE(a.angezeigtAdresse, QStringLiteral("17"));
        QCOMPARE(a.angezeigtProtokoll, QStringLiteral("QRX / Norvall"));
        QCOMPARE(int(a.z.AdresseBekannt), 1);
        QTRY_COMPARE(a.geschlossen, 1);
        QCOMPARE(a.angezeigtVersion, QStringLiteral("Ver 2.07 KD 1 00"));
        QCOMPARE(int(a.z.AdresseBekannt), 1);
        QCOMPARE(int(a.z.Adresse), 17);
        QCOMPARE(int(a.z.Protokoll), 1);
        QCOMPARE(a.gesendet(), (QList<QByteArray>{Telegramm::anfrage(17, "X"), Telegramm::Quittung,
                                                  Telegramm::anfrage(17, "V"), Telegramm::Quittung}));
        QVERIFY(a.meldung.eintraege().isEmpty());
    }

    void einzelidentifikationOhneAntwort()
    {
        Aufbau a;
        a.ident.adressfeldVerlassen(QStringLiteral("12"));
        QSignalSpy beendet(&a.ident, &Adressidentifikation::einzelidentifikationBeendet);
        a.ident.ok();
        QTRY_COMPARE(beendet.count(), 1);
        QCOMPARE(beendet.first().first().toBool(), false);
        QCOMPARE(a.meldung.textnummern(), QList<int>{196});
        QCOMPARE(int(a.z.AdresseBekannt), 0);
        QTest::qWait(400);
        QCOMPARE(a.geschlossen, 0);  // the window stays open
    }

    void adresseNullFindetNieEineZeile()
    {
        // 0 in the field: the terminal answers, but no line is added.
        Aufbau a;
        a.terminal(0, 0);
        a.ident.adressfeldVerlassen(QStringLiteral("0"));
        QCOMPARE(int(a.z.Adresse), 0);
        a.ident.ok();
        QTRY_COMPARE(a.meldung.textnummern(), QList<int>{196});
    }

    void adressfeldBegrenzt_data()
    {
        QTest::addColumn<QString>("eingabe");
        QTest::addColumn<int>("adresse");
        QTest::newRow("300") << "300" << 0;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("leer") << "" << 0;
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("255") << "255" << 255;
        QTest::newRow("256") << "256" << 0;
        QTest::newRow("sehr lang") << "99999999999" << 0;
    }
    void adressfeldBegrenzt()
    {
        QFETCH(QString, eingabe);
        QFETCH(int, adresse);
        Aufbau a;
        a.ident.adressfeldVerlassen(eingabe);
        QCOMPARE(int(a.z.Adresse), adresse);
        QCOMPARE(a.ident.adressfeld(), QString::number(adresse));
    }

    void protokollAusAntwortlaenge_data()
    {
        QTest::addColumn<QByteArray>("antwort");
        QTest::addColumn<int>("protokoll");
        // Six answer bytes after the five-byte echo: the ninth character counts.
        QTest::newRow("C gibt 3") << QByteArray("\x02\x05XC\x03z", 6) << 3;
        QTest::newRow("@ gibt 0") << QByteArray("\x02\x05X@\x03z", 6) << 0;
        QTest::newRow("unter @ unbekannt") << QByteArray("\x02\x05X0\x03z", 6) << 255;
        QTest::newRow("A an Stelle 11") << QByteArray("\x02\x05X01A\x03z", 8) << 1;
        QTest::newRow("sonst unbekannt") << QByteArray("\x02\x05X01B\x03z", 8) << 255;
    }
    void protokollAusAntwortlaenge()
    {
        QFETCH(QByteArray, antwort);
        QFETCH(int, protokoll);
        Aufbau a;
        a.ident.adressfeldVerlassen(QStringLiteral("5"));
        QObject verbindung;
        QObject::connect(&a.port, &Port::gesendet, &verbindung, [&a, antwort] {
            if (a.port.writes().last().bytes == Telegramm::anfrage(5, "X"))
                QTimer::singleShot(0, &a.port, [&a, antwort] { a.port.inject(antwort); });
        });
        QSignalSpy beendet(&a.ident, &Adressidentifikation::einzelidentifikationBeendet);
        a.ident.ok();
        QTRY_COMPARE(beendet.count(), 1);
        QCOMPARE(int(a.z.Protokoll), protokoll);
        QCOMPARE(a.ident.liste().size(), 1);
        QVERIFY(a.ident.liste().first().endsWith(QString::number(protokoll).rightJustified(3, '0') + " "
                                                 + a.z.Protokollnamen.at(protokoll)));
    }

    void leereListeZeileUndOk()
    {
        Aufbau a;
        const QString t195 = a.z.Texte.at(195);
        int adresse = -1, protokoll = -1;
        a.ident.zeileLesen(t195, &adresse, &protokoll);
        QCOMPARE(adresse, 0);
        QCOMPARE(protokoll, 0);
        a.ident.zeileLesen(a.ident.listenzeile(42, 7), &adresse, &protokoll);
        QCOMPARE(adresse, 42);
        QCOMPARE(protokoll, 7);
    }

    void resetUndOkDanach()
    {
        Aufbau a;
        a.terminal(21, 1);
        a.ident.adressfeldVerlassen(QStringLiteral("21"));
        a.z.Protokoll = 1;
        a.ident.reset();
        QCOMPARE(a.gesendet(), QList<QByteArray>{Telegramm::anfrage(21, "R")});
        QTRY_VERIFY(!a.ident.timer1().isActive());
        QCOMPARE(a.z.Empfang, QByteArray());
        // OK right after a reset accepts address and protocol as they stand.
        a.ident.ok();
        QCOMPARE(a.angezeigtAdresse, QStringLiteral("21"));
        QCOMPARE(a.angezeigtProtokoll, QStringLiteral("QRX / Norvall"));
        QTRY_COMPARE(a.geschlossen, 1);
        QCOMPARE(a.angezeigtVersion, QStringLiteral("Ver 2.07 KD 1 00"));
    }

    void versionOhneAntwortSendetNichtsWeiter()
    {
        Aufbau a;
        a.terminal(30, 0);
        a.bus.terminals[30].versionsantwort = false;  // answers "X" but never "V"
        a.ident.adressfeldVerlassen(QStringLiteral("30"));
        a.ident.ok();
        QTRY_COMPARE(a.geschlossen, 1);
        QCOMPARE(int(a.z.Adresse), 30);
        QCOMPARE(int(a.z.Protokoll), 0);
        QCOMPARE(int(a.z.AdresseBekannt), 1);
        QCOMPARE(a.gesendet(), (QList<QByteArray>{Telegramm::anfrage(30, "X"), Telegramm::Quittung,
                                                  Telegramm::anfrage(30, "V")}));
        QVERIFY(a.meldung.eintraege().isEmpty());
    }

    void abbrechenVergisstTerminal()
    {
        Aufbau a;
        a.z.AdresseBekannt = 1;
        a.ident.abbrechen();
        QCOMPARE(int(a.z.AdresseBekannt), 0);
        QCOMPARE(a.geschlossen, 1);
    }
};

QTEST_GUILESS_MAIN(TestAdressidentifikation)
#include "tst_adressidentifikation.moc"
