// Protocol identification before a write: the start-up question, the
// fields, the version request and its evaluation.

#include "Aufbau.h"
#include "diag/Protokollident.h"

#include <QSignalSpy>
#include <QtTest>

class TestProtokollident : public QObject {
    Q_OBJECT

    static QByteArray versionsantwort(int adresse, const QByteArray &version, bool protokoll1)
    {
        QByteArray a = QByteArray() + Telegramm::STX + char(adresse) + 'V' + version + Telegramm::ETX;
        a += char(Telegramm::blockpruefung(a, 1, int(a.size()) - 1));
        return protokoll1 ? Telegramm::Protokoll1Quittung + a : a;
    }

private slots:
    void startfrageNurBeiDifferenz_data()
    {
        QTest::addColumn<int>("byte8");
        QTest::addColumn<int>("byte10");
        QTest::addColumn<bool>("frage");
        QTest::newRow("gleich") << 4 << 0 << false;
        QTest::newRow("andere Adresse") << 9 << 0 << true;
        QTest::newRow("anderes Protokoll") << 4 << 1 << true;
        QTest::newRow("Protokoll ueber 7 wird 0") << 4 << 200 << false;
    }
    void startfrageNurBeiDifferenz()
    {
        QFETCH(int, byte8);
        QFETCH(int, byte10);
        QFETCH(bool, frage);
        Aufbau a;
        a.z.Adresse = 4;
        a.z.Protokoll = 0;
        a.z.bild.Daten[8] = qint16(byte8);
        a.z.bild.Daten[10] = qint16(byte10);
        a.meldung.setStandardantwort(Meldung::Nein);
        Protokollidentifikation p(a.z, a.v, a.meldung);
        p.laden();
        QCOMPARE(p.adressfeld(), QStringLiteral("4"));
        QVERIFY(p.timer1().isActive());
        QCOMPARE(p.timer1().interval(), 100);
        QTRY_VERIFY(!p.timer1().isActive());
        QCOMPARE(p.neueAdresse(), QString::number(byte8));
        QCOMPARE(p.protokollwahl(), byte10 > 7 ? 0 : byte10);
        QCOMPARE(a.meldung.textnummern(), frage ? QList<int>{354} : QList<int>{});
        QVERIFY(a.port.writes().isEmpty());  // No: nothing sent
    }

    void jaOhneAdresseMeldet356()
    {
        Aufbau a;
        a.z.Adresse = 0;
        a.z.bild.Daten[8] = 5;
        a.meldung.antworte(Meldung::Ja);
        Protokollidentifikation p(a.z, a.v, a.meldung);
        p.laden();
        QCOMPARE(p.adressfeld(), QString());
        QTRY_COMPARE(a.meldung.textnummern(), (QList<int>{354, 356}));
        QVERIFY(a.port.writes().isEmpty());
    }

    void felderWerdenBegrenzt()
    {
        Aufbau a;
        Protokollidentifikation p(a.z, a.v, a.meldung);
        p.neueAdresseVerlassen(QStringLiteral("0"));
        QCOMPARE(p.neueAdresse(), QStringLiteral("1"));
        p.neueAdresseVerlassen(QStringLiteral("300"));
        QCOMPARE(p.neueAdresse(), QStringLiteral("1"));
        p.neueAdresseVerlassen(QStringLiteral("255"));
        QCOMPARE(p.neueAdresse(), QStringLiteral("255"));
        p.adressfeldVerlassen(QStringLiteral("256"));
        QCOMPARE(p.adressfeld(), QStringLiteral("1"));
        p.adressfeldVerlassen(QStringLiteral("0"));
        QCOMPARE(p.adressfeld(), QStringLiteral("0"));
        // Only named protocols can be chosen.
        QVERIFY(p.protokollFrei(0));
        QVERIFY(p.protokollFrei(1));
        QVERIFY(!p.protokollFrei(2));
        QVERIFY(!p.protokollFrei(8));
    }

    void okOhneAdresse()
    {
        Aufbau a;
        Protokollidentifikation p(a.z, a.v, a.meldung);
        QSignalSpy fokus(&p, &Protokollidentifikation::adressfeldFokus);
        p.ok();
        QCOMPARE(a.meldung.textnummern(), QList<int>{350});
        QCOMPARE(fokus.count(), 1);
        QVERIFY(a.port.writes().isEmpty());
    }

    void versionsantwort_data()
    {
        QTest::addColumn<QByteArray>("antwort");
        QTest::addColumn<bool>("bestaetigt");
        QTest::addColumn<int>("variante");
        QTest::addColumn<int>("protokoll");
        QTest::addColumn<QByteArray>("quittung");
        QTest::addColumn<int>("text");
        QTest::newRow("Protokoll 0") << versionsantwort(4, "Ver 3.12 TS 1 04", false) << true << 0 << 0
                                     << Telegramm::Quittung << -1;
        QTest::newRow("Protokoll 1") << versionsantwort(4, "Ver 4.02 TS 1 11", true) << true << 0 << 1
                                     << Telegramm::Protokoll1Quittung << -1;
        QTest::newRow("Variante M") << versionsantwort(4, "Ver 3.12 TM 1 04", false) << true << 1 << 0
                                    << Telegramm::Quittung << -1;
        QTest::newRow("fremde Familie") << versionsantwort(4, "Ver 3.12 TS 2 04", false) << false << 0 << -1
                                        << QByteArray() << 388;
        QTest::newRow("keine Antwort") << QByteArray() << false << 0 << -1 << QByteArray() << 196;
        QTest::newRow("abgeschnitten") << QByteArray("\x02\x04VVer 3.1", 9) << false << 0 << -1 << QByteArray()
                                       << 196;
    }
    void versionsantwort()
    {
        QFETCH(QByteArray, antwort);
        QFETCH(bool, bestaetigt);
        QFETCH(int, variante);
        QFETCH(int, protokoll);
        QFETCH(QByteArray, quittung);
        QFETCH(int, text);
        Aufbau a;
        a.z.Protokoll = 0;
        a.z.bild.Daten[8] = 4;
        Protokollidentifikation p(a.z, a.v, a.meldung);
        QSignalSpy schliessen(&p, &Protokollidentifikation::schliessen);
        QSignalSpy version(&p, &Protokollidentifikation::versionAnzeigen);
        p.waehleProtokoll(1);  // the file's protocol choice
        p.setAdressfeld(QStringLiteral("4"));
        p.setNeueAdresse(QStringLiteral("12"));
        p.ok();
        QCOMPARE(a.z.bild.Daten[8], qint16(12));
        QCOMPARE(a.z.bild.Daten[10], qint16(1));
        QCOMPARE(a.port.written(), Telegramm::anfrage(4, "V"));
        QCOMPARE(a.z.AdressSuche, qint16(1));
        QCOMPARE(p.timer2().interval(), 300);
        a.port.clearWrites();
        a.port.inject(Telegramm::anfrage(4, "V") + antwort);
        QTRY_VERIFY(!p.timer2().isActive());
        QCOMPARE(a.z.AdressSuche, qint16(0));
        QCOMPARE(a.z.ProtokollGewaehlt, qint16(bestaetigt ? 1 : 0));
        QCOMPARE(a.z.Empfang, QByteArray());
        QCOMPARE(a.port.written(), quittung);
        QCOMPARE(a.meldung.textnummern(), text < 0 ? QList<int>{} : QList<int>{text});
        if (bestaetigt) {
            QCOMPARE(a.z.Variante, qint16(variante));
            QCOMPARE(a.z.Protokoll, qint16(protokoll));
            QCOMPARE(version.count(), 1);
            QCOMPARE(schliessen.count(), 1);
            QCOMPARE(schliessen.first().first().toBool(), true);
        } else {
            QCOMPARE(schliessen.count(), text == 388 ? 1 : 0);  // 196: the window stays open
            if (text == 388)
                QCOMPARE(a.meldung.eintraege().first().symbol, Meldung::Symbol::Kritisch);
        }
        QCOMPARE(a.z.bild.Daten[10], qint16(1));  // the file keeps the chosen protocol
    }

    void schliessenStelltRoutingZurueck()
    {
        Aufbau a;
        Protokollidentifikation p(a.z, a.v, a.meldung);
        p.setAdressfeld(QStringLiteral("4"));
        p.setNeueAdresse(QStringLiteral("4"));
        p.ok();
        QCOMPARE(a.z.AdressSuche, qint16(1));
        a.z.AdresseBekannt = 1;
        p.geschlossen();
        QCOMPARE(a.z.AdressSuche, qint16(0));
        QCOMPARE(a.z.AdresseBekannt, qint16(0));
        QVERIFY(!p.timer2().isActive());
    }
};

QTEST_GUILESS_MAIN(TestProtokollident)
#include "tst_protokollident.moc"
