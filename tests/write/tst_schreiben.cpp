// The write sequence on a FakePort: bytes, speeds, when the confirmation wait
// starts, and every ending with its text and the port back at 19200 baud.

#include "Aufbau.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

class TestSchreiben : public QObject {
    Q_OBJECT

    // Runs the login and waits until the block has been handed to the port.
    static void bisZumBlock(Aufbau &a)
    {
        QVERIFY(a.schreiben.starte());
        QCOMPARE(a.schreiben.phase(), Schreiben::Phase::Anmeldung);
        a.loginAntwort();
        QVERIFY(QTest::qWaitFor([&] { return a.schreiben.phase() == Schreiben::Phase::Senden; }, 5000));
    }

private slots:
    void blockMitErzwungenenBytes()
    {
        Zustand z;
        z.bild.Daten.fill(0);
        // The bare block of an all-zero image ends with ETX and 0x03 ...
        QByteArray nullen(2048, 0);
        QCOMPARE(Telegramm::schreibblock(nullen).right(2), QByteArray("\x03\x03"));
        // ... the one the write sends has bytes 12 = 0 and 13 = 15 first.
        Aufbau a;
        a.z.bild.Daten.fill(0);
        a.z.bild.Daten[12] = 99;
        a.z.Timerintervall[4] = 20;
        bisZumBlock(a);
        const QByteArray b = a.letzterWrite();
        QCOMPARE(b.size(), 2051);
        QCOMPARE(b.right(2), QByteArray("\x03\x0C"));
        QCOMPARE(int(b.at(1 + 12)), 0);
        QCOMPARE(int(b.at(1 + 13)), 15);
        QCOMPARE(a.schreiben.blockpruefsumme(), 0x0C);
        a.schreiben.abbrechen();
    }

    void ganzerAblaufProtokoll1()
    {
        Aufbau a;
        a.z.bild.Daten[10] = 1;
        a.z.bild.Daten[12] = 5;
        a.z.bild.Daten[13] = 6;
        a.z.Protokoll = 0;
        QSignalSpy fortschritt(&a.schreiben, &Schreiben::fortschritt);
        QSignalSpy erfolg(&a.schreiben, &Schreiben::erfolgreich);

        QVERIFY(a.schreiben.starte());
        QCOMPARE(a.z.Protokoll, qint16(1));  // byte 10 of the image
        const QByteArray login = Telegramm::anfrage(4, QByteArray("P") + a.z.Passwort);
        QCOMPARE(a.port.written(), login);
        a.port.clearWrites();
        a.loginAntwort();
        QVERIFY(QTest::qWaitFor([&] { return a.schreiben.phase() == Schreiben::Phase::Angekuendigt; }, 2000));

        // ACK, "D" and the announcement, all at 19200 baud.
        QCOMPARE(a.port.written(), Telegramm::Quittung + Telegramm::anfrage(4, "D") + "U24###");
        for (const FakePort::Write &w : a.port.writes())
            QCOMPARE(w.baud, 19200);
        // Timer4: 2500 ms, counted from the moment those 12 bytes have left.
        QVERIFY(a.schreiben.timer4().isActive());
        QCOMPARE(a.schreiben.timer4().interval(), 2500 + 7);
        a.port.clearWrites();
        a.schreiben.timer4().setInterval(10);
        a.schreiben.timer4().start();
        QVERIFY(QTest::qWaitFor([&] { return a.schreiben.phase() == Schreiben::Phase::Senden; }, 2000));

        // The block in one piece at 2400 baud.
        QCOMPARE(a.port.writes().size(), 1);
        const QByteArray block = a.letzterWrite();
        QCOMPARE(a.port.writes().first().baud, 2400);
        QCOMPARE(block.size(), 2051);
        QCOMPARE(block.at(0), Telegramm::STX);
        QCOMPARE(block.at(2049), Telegramm::ETX);
        QCOMPARE(quint8(block.at(2050)), Telegramm::blockpruefung(block, 1, 2049));
        QCOMPARE(int(block.at(11)), 1);

        // The port took it at once, but the wait begins only with the echo.
        QTest::qWait(100);
        QVERIFY(!a.schreiben.timer2().isActive());
        a.port.inject(block.left(1000));
        QCOMPARE(a.schreiben.aufDerLeitung(), 1000);
        QCOMPARE(fortschritt.last().at(0).toInt(), 1000);
        QCOMPARE(a.schreiben.phase(), Schreiben::Phase::Senden);
        a.port.inject(block.mid(1000));
        QCOMPARE(a.schreiben.phase(), Schreiben::Phase::Bestaetigung);
        QVERIFY(a.schreiben.timer2().isActive());
        QCOMPARE(fortschritt.last().at(0).toInt(), 2051);

        a.port.inject("U19###");
        QVERIFY(erfolg.wait(1000));
        QCOMPARE(a.meldung.textnummern(), QList<int>{165});
        QCOMPARE(a.meldung.eintraege().first().text, QStringLiteral("PORTAVO erfolgreich programmiert"));
        QCOMPARE(a.port.baud(), 19200);
        QVERIFY(!a.schreiben.laeuft());
        QVERIFY(a.schreiben.rueckmeldung().endsWith("U19###"));
        QCOMPARE(a.schreiben.rueckmeldung().size(), 200);
        QCOMPARE(a.z.Schreibfehler, qint16(0));
    }

    void ohneEchoZaehltDieLeitungszeit()
    {
        // Variant M: "d", the block at 19200 baud (1069 ms on the line).
        Aufbau a;
        a.z.Variante = 1;
        a.z.Timerintervall[4] = 10;
        QVERIFY(a.schreiben.starte());
        a.loginAntwort();
        QElapsedTimer uhr;
        QSignalSpy begonnen(&a.schreiben, &Schreiben::blockBegonnen);
        QVERIFY(begonnen.wait(2000));
        uhr.start();
        QVERIFY(a.port.written().contains(Telegramm::anfrage(4, "d") + "U24###"));
        QCOMPARE(a.port.writes().last().baud, 19200);
        QSignalSpy aufDerLeitung(&a.schreiben, &Schreiben::blockAufDerLeitung);
        QVERIFY(aufDerLeitung.wait(3000));
        const qint64 dauer = uhr.elapsed();
        QVERIFY2(dauer >= 1069 && dauer < 1300, qPrintable(QString::number(dauer)));
        // Nothing came back: fewer than 200 bytes at the first tick end the write.
        QSignalSpy fehler(&a.schreiben, &Schreiben::fehlgeschlagen);
        QVERIFY(fehler.wait(1000));
        QCOMPARE(fehler.first().first().toInt(), 167);
        QCOMPARE(a.meldung.eintraege().first().titelnummer, 168);
        QCOMPARE(a.z.Schreibfehler, qint16(1));
    }

    void bytesNochImPortHaltenDieBestaetigungAuf()
    {
        Aufbau a;
        a.z.Variante = 1;
        a.z.Timerintervall[4] = 10;
        a.port.setHoldOutput(true);
        QVERIFY(a.schreiben.starte());
        a.port.sent(1000);
        a.loginAntwort();
        QVERIFY(QTest::qWaitFor([&] { return a.schreiben.phase() == Schreiben::Phase::Senden; }, 2000));
        a.port.sent(1000);  // part of the block is out
        QTest::qWait(1300);  // the line time is over, but bytes still wait in the port
        QCOMPARE(a.schreiben.phase(), Schreiben::Phase::Senden);
        QVERIFY(a.schreiben.aufDerLeitung() <= 1000 + 30);
        a.port.sent(a.port.bytesToWrite());
        QVERIFY(QTest::qWaitFor([&] { return a.schreiben.phase() == Schreiben::Phase::Bestaetigung; }, 500));
        // Variant M: the first tick with 200 bytes counts as success.
        a.port.inject(QByteArray(2051, 'x'));
        QSignalSpy erfolg(&a.schreiben, &Schreiben::erfolgreich);
        QVERIFY(erfolg.wait(1000));
        QCOMPARE(a.schreiben.versuche(), 0);
    }

    void keineBestaetigungNach31Ticks()
    {
        Aufbau a;
        a.z.Timerintervall[4] = 10;
        a.z.Timerintervall[2] = 5;
        bisZumBlock(a);
        a.port.inject(a.letzterWrite());
        QCOMPARE(a.schreiben.phase(), Schreiben::Phase::Bestaetigung);
        QSignalSpy fehler(&a.schreiben, &Schreiben::fehlgeschlagen);
        QTest::qWait(100);
        a.port.inject("U19##");  // not quite
        QVERIFY(fehler.wait(2000));
        QCOMPARE(fehler.first().first().toInt(), 167);
        QCOMPARE(a.meldung.textnummern(), QList<int>{167});
        QCOMPARE(a.meldung.eintraege().first().titel, a.z.Texte.value(168));
        QCOMPARE(a.port.baud(), 19200);
        QCOMPARE(a.port.settings(), QStringLiteral("19200,n,8,1"));
    }

    void falschesPasswort()
    {
        Aufbau a;
        a.z.Timerintervall[1] = 5;
        QSignalSpy fehler(&a.schreiben, &Schreiben::fehlgeschlagen);
        QVERIFY(a.schreiben.starte());
        a.loginAntwort(false);
        QVERIFY(fehler.wait(1000));
        QCOMPARE(fehler.first().first().toInt(), 154);
        QCOMPARE(a.port.writes().size(), 1);  // the login only
        QCOMPARE(a.z.Schreibfehler, qint16(0));
        QVERIFY(!a.anmeldung.laeuft());
    }

    void abbrechen_data()
    {
        QTest::addColumn<int>("phase");
        QTest::addColumn<int>("text");
        QTest::newRow("bereit") << int(Schreiben::Phase::Bereit) << -1;
        QTest::newRow("anmeldung") << int(Schreiben::Phase::Anmeldung) << -1;
        QTest::newRow("angekuendigt") << int(Schreiben::Phase::Angekuendigt) << 167;
        QTest::newRow("senden") << int(Schreiben::Phase::Senden) << 167;
    }
    void abbrechen()
    {
        QFETCH(int, phase);
        QFETCH(int, text);
        Aufbau a;
        a.z.Timerintervall[4] = phase == int(Schreiben::Phase::Senden) ? 10 : 300;
        a.port.setHoldOutput(true);
        if (phase >= int(Schreiben::Phase::Anmeldung))
            QVERIFY(a.schreiben.starte());
        if (phase >= int(Schreiben::Phase::Angekuendigt)) {
            a.loginAntwort();
            QVERIFY(QTest::qWaitFor([&] { return int(a.schreiben.phase()) == phase; }, 2000));
        }
        a.z.Reparatur = 1;
        QSignalSpy beendet(&a.schreiben, &Schreiben::beendet);
        a.schreiben.abbrechen();
        QCOMPARE(beendet.count(), 1);
        QCOMPARE(a.z.Reparatur, qint16(0));
        QCOMPARE(a.port.baud(), 19200);
        if (phase == int(Schreiben::Phase::Senden))
            QCOMPARE(a.port.bytesToWrite(), 0);  // the rest of the block is discarded
        QCOMPARE(a.meldung.textnummern(), text < 0 ? QList<int>{} : QList<int>{text});
        // Nothing goes out afterwards: every tick of the write is stopped.
        const int writes = int(a.port.writes().size());
        a.loginAntwort();
        QTest::qWait(400);
        QCOMPARE(int(a.port.writes().size()), writes);
        QVERIFY(!a.schreiben.laeuft());
    }

    void geraetWegBeimSenden()
    {
        Aufbau a;
        a.z.Timerintervall[4] = 10;
        bisZumBlock(a);
        QSignalSpy fehler(&a.schreiben, &Schreiben::fehlgeschlagen);
        a.port.loseDevice();
        QCOMPARE(fehler.count(), 1);
        QCOMPARE(fehler.first().first().toInt(), 193);
        QCOMPARE(a.port.settings(), QStringLiteral("19200,n,8,1"));
        QCOMPARE(a.z.Schreibfehler, qint16(1));
        QVERIFY(!a.schreiben.laeuft());
        QVERIFY(!a.schreiben.starte());  // no port, no start
    }

    void reparaturOhneAnmeldung()
    {
        Aufbau a;
        a.z.Reparatur = 1;
        a.z.Befehl = "P0xyz";
        a.z.Timerintervall[5] = 20;
        a.z.Timerintervall[4] = 30;
        QVERIFY(!a.schreiben.brauchtPasswort());
        QVERIFY(a.schreiben.starte());
        QCOMPARE(a.schreiben.phase(), Schreiben::Phase::Wecken);
        QVERIFY(QTest::qWaitFor([&] { return a.port.writes().size() >= 3; }, 1000));
        for (const FakePort::Write &w : a.port.writes())
            QCOMPARE(w.bytes, QByteArray(1, Telegramm::STX));
        // The echo of one STX is no answer ...
        a.port.inject(QByteArray(1, Telegramm::STX));
        QCOMPARE(a.schreiben.phase(), Schreiben::Phase::Wecken);
        // ... the NAK is.
        a.port.inject(QByteArray(1, Telegramm::NAK));
        QCOMPARE(a.schreiben.phase(), Schreiben::Phase::Angekuendigt);
        QCOMPARE(a.z.Reparatur, qint16(0));
        const int wecker = int(a.port.writes().size());
        QVERIFY(QTest::qWaitFor([&] { return a.schreiben.phase() == Schreiben::Phase::Senden; }, 1000));
        QCOMPARE(int(a.port.writes().size()), wecker + 1);
        QCOMPARE(a.port.writes().last().baud, 2400);
        QCOMPARE(a.letzterWrite().size(), 2051);
        a.port.inject(a.letzterWrite() + "U19###");
        QSignalSpy erfolg(&a.schreiben, &Schreiben::erfolgreich);
        QVERIFY(erfolg.wait(1000));
        // Never a login.
        QVERIFY(!a.port.written().contains(Telegramm::anfrage(4, QByteArray("P") + a.z.Passwort)));
    }

    void leitungszeit()
    {
        QCOMPARE(Schreiben::leitungszeitMs(2051, 2400), qint64(8546));
        QCOMPARE(Schreiben::leitungszeitMs(2051, 19200), qint64(1069));
        QCOMPARE(Schreiben::leitungszeitMs(12, 19200), qint64(7));
        QCOMPARE(Schreiben::leitungszeitMs(5, 0), qint64(0));
    }
};

QTEST_GUILESS_MAIN(TestSchreiben)
#include "tst_schreiben.moc"
