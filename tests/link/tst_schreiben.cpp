// The write command: protocol identification, the write on the bus (bytes, speeds, quiet line), its endings.

#include "support/Testlauf.h"
#include "support/Datentabelle.h"

#include "Aufbau.h"
#include "support/SimBus.h"

#include <QElapsedTimer>

class TestSchreiben : public QObject {
    Q_OBJECT

private slots:
    // --- protocol identification ---

    void startfrage_data()
    {
        spalten<int, int, int, QList<int>>("adresse", "byte8", "byte10", "texte");
        QTest::newRow("gleich") << 4 << 4 << 0 << QList<int>{};
        QTest::newRow("andere Adresse") << 4 << 9 << 0 << QList<int>{354};
        QTest::newRow("anderes Protokoll") << 4 << 4 << 1 << QList<int>{354};
        QTest::newRow("Protokoll ueber 7 wird 0") << 4 << 4 << 200 << QList<int>{};
        // Yes to the question, but no address to send to.
        QTest::newRow("Ja ohne Adresse") << 0 << 5 << 0 << QList<int>{354, 356};
    }
    void startfrage()
    {
        const auto [adresse, byte8, byte10, texte] =
            werte<int, int, int, QList<int>>("adresse", "byte8", "byte10", "texte");
        Aufbau a;
        a.z.terminal.adresse = qint16(adresse);
        a.z.bild.Daten[8] = qint16(byte8);
        a.z.bild.Daten[10] = qint16(byte10);
        a.meldung.setStandardantwort(adresse == 0 ? Meldung::Ja : Meldung::Nein);
        Protokollidentifikation p(a.z, a.v, a.meldung);
        p.laden();
        QCOMPARE(p.adressfeld(), adresse == 0 ? QString() : QString::number(adresse));
        QTRY_VERIFY(!p.taktLaeuft(1));
        QCOMPARE(p.neueAdresse(), QString::number(byte8));
        QCOMPARE(p.protokollwahl(), byte10 > 7 ? 0 : byte10);
        QCOMPARE(a.meldung.textnummern(), texte);
        QVERIFY(a.port.writes().isEmpty());
    }

    void felderOkUndSchliessen()
    {
        Aufbau a;
        Protokollidentifikation p(a.z, a.v, a.meldung);
        for (const auto &[eingabe, neu, feld] : {std::tuple{"0", "1", "0"}, {"300", "1", "1"}, {"255", "255", "255"}}) {
            p.neueAdresseVerlassen(QLatin1String(eingabe));
            p.adressfeldVerlassen(QLatin1String(eingabe));
            QCOMPARE(p.neueAdresse(), QLatin1String(neu));
            QCOMPARE(p.adressfeld(), QLatin1String(feld));
        }
        // Only named protocols can be chosen.
        QVERIFY(p.protokollFrei(0) && p.protokollFrei(1) && !p.protokollFrei(2) && !p.protokollFrei(8));
        // OK without an address: text 350, back to the field, nothing sent.
        Protokollidentifikation leer(a.z, a.v, a.meldung);
        QSignalSpy fokus(&leer, &Protokollidentifikation::adressfeldFokus);
        leer.ok();
        QCOMPARE(a.meldung.textnummern(), QList<int>{350});
        QCOMPARE(fokus.count(), 1);
        QVERIFY(a.port.writes().isEmpty());
        // Closing the window while the version request runs stops it.
        p.setAdressfeld(QStringLiteral("4"));
        p.ok();
        p.geschlossen();
        QVERIFY(stillgelegt(p));
    }

    // The answers that confirm a protocol: amBus on the in-process bus.
    void versionsantwort_data()
    {
        // automatisch: the link finds out about the echo itself
        spalten<QByteArray, int, QByteArray, bool>("antwort", "text", "echo", "automatisch");
        const QByteArray echo = Telegramm::anfrage(4, "V");
        QByteArray fremd("\x02\x04VVer 3.12 TS 2 04\x03", 20);
        QTest::newRow("fremde Familie") << fremd + char(Telegramm::blockpruefung(fremd, 1, 19)) << 388 << echo << false;
        QTest::newRow("keine Antwort") << QByteArray() << 196 << echo << false;
        QTest::newRow("abgeschnitten") << QByteArray("\x02\x04VVer 3.1", 9) << 196 << echo << false;
        // Half an echo and then silence: neither echo nor answer; the message names both causes.
        QTest::newRow("halbes Echo, dann nichts") << QByteArray() << 880 << echo.left(3) << true;
    }
    void versionsantwort()
    {
        const auto [antwort, text, echo, automatisch] =
            werte<QByteArray, int, QByteArray, bool>("antwort", "text", "echo", "automatisch");
        Aufbau a;
        if (automatisch)
            a.v.setEchomodus(Verbindung::Echomodus::Automatisch);
        a.z.bild.Daten[8] = 4;
        Protokollidentifikation p(a.z, a.v, a.meldung);
        QSignalSpy schliessen(&p, &Protokollidentifikation::schliessen);
        p.waehleProtokoll(1);  // the file's protocol choice
        p.setAdressfeld(QStringLiteral("4"));
        p.setNeueAdresse(QStringLiteral("12"));
        p.ok();
        QCOMPARE(a.z.bild.Daten[8], qint16(12));
        QCOMPARE(a.port.written(), Telegramm::anfrage(4, "V"));
        a.port.clearWrites();
        a.port.inject(echo + antwort);
        QTRY_VERIFY(stillgelegt(p));
        QCOMPARE((QList<int>{a.z.terminal.protokollGewaehlt, a.z.terminal.varianteM, a.z.terminal.protokoll}),
                 (QList<int>{0, 0, 1}));  // the protocol stays the one chosen
        QVERIFY(a.port.writes().isEmpty());  // not acknowledged
        QCOMPARE(a.meldung.textnummern(), QList<int>{text});
        QCOMPARE(a.z.bild.Daten[10], qint16(1));
        // Closed when refused (388, critical); 196 leaves the window open.
        QCOMPARE(schliessen.count(), text == 388 ? 1 : 0);
        if (text == 388)
            QCOMPARE(a.meldung.eintraege().first().symbol, Meldung::Symbol::Kritisch);
    }

    // --- the write sequence ---

    // Every byte in order, each at its speed, the quiet line before the block, the memory afterwards.
    void amBus_data()
    {
        spalten<int, int, int, bool, bool>("adresse", "neu", "protokoll", "m", "echo");
        for (const bool echo : {true, false}) {
            const auto zeile = [echo](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(QString::fromLatin1(name) + (echo ? ", mit Echo" : ", ohne Echo")));
            };
            zeile("Protokoll 0 nach 1, neue Adresse") << 4 << 14 << 1 << false << echo;
            zeile("Protokoll 1 nach 0") << 9 << 19 << 0 << false << echo;
            zeile("Variante M") << 20 << 20 << 0 << true << echo;
        }
    }
    void amBus()
    {
        const auto [adresse, neu, protokoll, m, echo] =
            werte<int, int, int, bool, bool>("adresse", "neu", "protokoll", "m", "echo");
        QTemporaryDir ordner;
        const QString datei = hauptdateiMit(ordner.filePath(QStringLiteral("halle.S2D")), 5, 1);
        SimBus sim;
        BUS_STARTEN(sim,
                    QJsonArray{SimBus::terminal(4, 0), SimBus::terminal(9, 1), SimBus::terminal(20, 0, {{"variant", "M"}})},
                    echo ? QStringList() : QStringList{QStringLiteral("--no-echo")});
        Schreibstrecke<SimPort> l(sim.device());
        l.v.setEchomodus(Verbindung::Echomodus::Automatisch);
        // The echo the link stands in for keeps the pace of the bus's line.
        l.v.setUhr([&sim] { return sim.jetztUs() / 1000; });
        l.z.Timerintervall[4] = 300;  // Timer4's quiet line, shorter than the program's 2500 ms
        QVERIFY(l.vorbereiten(datei, adresse, neu, protokoll));
        QCOMPARE((QList<int>{l.z.terminal.varianteM, l.z.terminal.protokoll}), (QList<int>{m, adresse == 9}));
        // The acknowledgement of the version answer is the last thing before the write.
        const QByteArray quittung = adresse == 9 ? Telegramm::Protokoll1Quittung : Telegramm::Quittung;
        QTRY_VERIFY(SimBus::bytes(sim.verkehr()).endsWith(Telegramm::anfrage(adresse, "V") + quittung));
        const int beginn = int(sim.verkehr().size());
        QCOMPARE(l.schreibe(), 0);
        QCOMPARE(l.meldung.textnummern(), QList<int>{165});
        QCOMPARE(l.meldung.eintraege().first().symbol, Meldung::Symbol::Information);  // a success, not a warning
        // The file with 12 = 0, 13 = 15, the new address and the chosen protocol.
        QCOMPARE((QList<int>{l.z.bild.Daten[8], l.z.bild.Daten[10], l.z.bild.Daten[12], l.z.bild.Daten[13]}),
                 (QList<int>{neu, protokoll, 0, 15}));
        QTRY_COMPARE(sim.speicher(neu), Terminaldatei::hauptdateitext(l.z.bild));

        const auto v = sim.verkehr(beginn);
        const QByteArray vorspann = Telegramm::anfrage(adresse, QByteArray("P") + l.z.terminal.passwort) + Telegramm::Quittung
                                    + Telegramm::anfrage(adresse, m ? "d" : "D") + "U24###";
        QCOMPARE(SimBus::bytes(v), vorspann + l.block());
        for (int i = 0; i < v.size(); ++i)
            QCOMPARE(v[i].baud, i < vorspann.size() || m ? 19200 : 2400);
        const qint64 luecke = v[vorspann.size()].us - v[vorspann.size() - 1].us;
        QVERIFY2(luecke >= 300000, qPrintable(QString::number(luecke)));
        QVERIFY(l.schreiben.rueckmeldung().endsWith("U19###"));
        QCOMPARE(l.v.echostand(), echo ? Verbindung::Echostand::Vorhanden : Verbindung::Echostand::Fehlt);
    }

    // Only the terminal's own "U19###" after the echo of the block confirms the write. The port takes the
    // block at once; the confirmation wait begins when all of its echo is back.
    void bestaetigung_data()
    {
        // art: what comes back: echo, "fremd" (2051 other bytes), none; antwort: after it; u19ImBild: the image
        // itself holds "U19###" near its end
        spalten<int, QByteArray, QByteArray, bool, int>("variante", "art", "antwort", "u19ImBild", "text");
        for (const int m : {0, 1}) {
            const char *v = m ? "M" : "Standard";
            QTest::addRow("%s: Echo und U19###", v) << m << QByteArray("echo") << QByteArray("U19###") << false << 0;
            QTest::addRow("%s: U19### in Stuecken", v) << m << QByteArray("echo") << QByteArray("U1|9##|#") << false
                                                        << 0;
            QTest::addRow("%s: Bild mit U19### und Antwort", v) << m << QByteArray("echo") << QByteArray("U19###")
                                                                 << true << 0;
            // Refused or dropped: nothing beyond the echo.
            QTest::addRow("%s: nur Echo", v) << m << QByteArray("echo") << QByteArray() << false << 167;
            QTest::addRow("%s: U19### nur im Echo", v) << m << QByteArray("echo") << QByteArray() << true << 167;
            QTest::addRow("%s: Antwort ohne U19###", v) << m << QByteArray("echo") << QByteArray("\x15") << false
                                                         << 167;
            QTest::addRow("%s: fremde Bytes statt Echo", v) << m << QByteArray("fremd") << QByteArray() << false
                                                             << 167;
        }
    }
    void bestaetigung()
    {
        const auto [variante, art, antwort, u19ImBild, text] =
            werte<int, QByteArray, QByteArray, bool, int>("variante", "art", "antwort", "u19ImBild", "text");
        Aufbau a;
        a.z.terminal.varianteM = qint16(variante);
        a.z.bild.Daten[10] = 1;
        a.z.Timerintervall[4] = 10;
        a.z.Timerintervall[2] = 10;
        if (u19ImBild) {
            for (int i = 0; i < 6; ++i)
                a.z.bild.Daten[size_t(2030 + i)] = qint16(quint8("U19###"[i]));
        }
        QSignalSpy beendet(&a.schreiben, &Schreiben::beendet);
        QSignalSpy fehler(&a.schreiben, &Schreiben::fehlgeschlagen);
        QSignalSpy fortschritt(&a.schreiben, &Schreiben::fortschritt);
        QSignalSpy angekuendigt(&a.schreiben, &Schreiben::angekuendigt);
        QVERIFY(a.schreiben.starte());
        QCOMPARE(a.z.terminal.protokoll, qint16(1));  // byte 10 of the image
        a.loginAntwort();
        QVERIFY(a.warteAufPhase(Schreiben::Phase::Senden));
        QCOMPARE(a.schreiben.taktabstand(4), 10 + 7);  // from when the 12 bytes have left
        QCOMPARE(angekuendigt.size(), 1);  // the panel says what it waits for
        QCOMPARE(a.gesendet().last(), a.block());  // the block in one piece
        const QByteArray block = a.letzterWrite();
        if (u19ImBild)
            QCOMPARE(block.mid(2031, 6), QByteArray("U19###"));
        const QByteArray zurueck = art == "echo" ? block : QByteArray(2051, 'x');
        a.port.inject(zurueck.left(1000));
        if (!variante) {  // at 2400 baud the line time cannot end the wait meanwhile
            QCOMPARE(a.schreiben.aufDerLeitung(), 1000);
            QCOMPARE(fortschritt.last(), (QList<QVariant>{1000, 2051}));
            QVERIFY(a.schreiben.phase() == Schreiben::Phase::Senden && !a.schreiben.taktLaeuft(2));
        }
        a.port.inject(zurueck.mid(1000));
        QVERIFY(a.schreiben.phase() == Schreiben::Phase::Bestaetigung && a.schreiben.taktLaeuft(2));
        QCOMPARE(fortschritt.last(), (QList<QVariant>{2051, 2051}));
        for (const QByteArray &stueck : antwort.split('|'))
            if (!stueck.isEmpty())
                a.port.inject(stueck);
        QVERIFY(beendet.wait(3000));
        QCOMPARE(fehler.isEmpty() ? 0 : fehler.first().first().toInt(), text);
        QCOMPARE(a.meldung.textnummern(), QList<int>{text ? text : 165});
        QCOMPARE(a.z.terminal.schreibfehler, qint16(text != 0));
        QCOMPARE(a.port.settings(), QStringLiteral("19200,n,8,1"));
        if (text)
            QCOMPARE(a.schreiben.versuche(), 0);
    }

    // Variant M without echo: the confirmation wait begins after the block's line time, with the port empty.
    void varianteMOhneEchoZaehltDieLeitungszeit()
    {
        Aufbau a;
        a.z.terminal.varianteM = true;
        a.z.Timerintervall[4] = 10;
        a.port.setHoldOutput(true);
        QSignalSpy fehler(&a.schreiben, &Schreiben::fehlgeschlagen);
        QVERIFY(a.schreiben.starte());
        a.port.sent(1000);
        a.loginAntwort();
        qint64 jetzt = 0;
        a.schreiben.setUhr([&jetzt] { return jetzt; });
        QVERIFY(a.warteAufPhase(Schreiben::Phase::Senden));
        const qint64 leitungszeit = Schreiben::leitungszeitMs(2051, 19200);
        QSignalSpy fortschritt(&a.schreiben, &Schreiben::fortschritt);
        const auto blick = [&] { const int n = int(fortschritt.size()); return QTest::qWaitFor([&] { return fortschritt.size() > n; }); };
        // The line time is over, part of the block still waits in the port; then the port is empty one
        // millisecond before the line time is over.
        jetzt = leitungszeit, a.port.sent(1000);
        QVERIFY(blick() && a.schreiben.phase() == Schreiben::Phase::Senden && a.schreiben.aufDerLeitung() <= 1000);
        jetzt = leitungszeit - 1, a.port.sent(a.port.bytesToWrite());
        QVERIFY(blick() && a.schreiben.phase() == Schreiben::Phase::Senden && a.schreiben.aufDerLeitung() == 2050);
        jetzt = leitungszeit;
        QVERIFY(a.warteAufPhase(Schreiben::Phase::Bestaetigung, 500));
        // Nothing came back: fewer than 200 bytes at the first tick end the write.
        QVERIFY(fehler.wait(1000));
        QCOMPARE(fehler.first().first().toInt(), 167);
    }

    void abbrechenOderGeraetWeg_data()
    {
        // weg: the port's device goes away instead of a cancel
        spalten<Schreiben::Phase, bool, int>("phase", "weg", "text");
        QTest::newRow("bereit") << Schreiben::Phase::Bereit << false << 0;
        QTest::newRow("anmeldung") << Schreiben::Phase::Anmeldung << false << 0;
        // A terminal told to expect a block is left waiting: reported like a failed write.
        QTest::newRow("angekuendigt") << Schreiben::Phase::Angekuendigt << false << 167;
        QTest::newRow("senden") << Schreiben::Phase::Senden << false << 167;
        QTest::newRow("Geraet weg beim Senden") << Schreiben::Phase::Senden << true << 193;
    }
    void abbrechenOderGeraetWeg()
    {
        const auto [phase, weg, text] = werte<Schreiben::Phase, bool, int>("phase", "weg", "text");
        Aufbau a;
        a.z.Timerintervall[4] = phase == Schreiben::Phase::Senden ? 10 : 300;
        a.port.setHoldOutput(true);
        if (phase != Schreiben::Phase::Bereit)
            QVERIFY(a.schreiben.starte());
        if (text) {
            a.loginAntwort();
            QVERIFY(a.warteAufPhase(phase));
        }
        if (!weg)
            a.schreiben.reparaturVormerken();  // a cancel ends a repair as well
        QSignalSpy beendet(&a.schreiben, &Schreiben::beendet);
        if (weg)
            a.port.loseDevice();
        else
            a.schreiben.abbrechen();
        QCOMPARE(beendet.count(), 1);
        QCOMPARE(beendet.first().first().value<Ablauf::Ende>(),
                 weg ? Ablauf::Ende::Portverlust : text ? Ablauf::Ende::Fehlschlag : Ablauf::Ende::Abbruch);
        QCOMPARE(a.meldung.textnummern(), text ? QList<int>{text} : QList<int>{});
        QCOMPARE(a.port.settings(), QStringLiteral("19200,n,8,1"));
        if (phase == Schreiben::Phase::Senden)
            QCOMPARE(a.port.bytesToWrite(), 0);  // the rest of the block is discarded
        QCOMPARE(a.z.terminal.schreibfehler, qint16(text != 0));
        QVERIFY(!a.schreiben.reparatur());
        // Nothing goes out afterwards: every tick of the write is stopped.
        QVERIFY(stillgelegt(a.schreiben) && stillgelegt(a.anmeldung) && !a.schreiben.laeuft());
        QCOMPARE(a.schreiben.starte(), !weg);  // no port, no start
        a.schreiben.abbrechen();
    }
};

PORTAVO_TESTKLASSE(TestSchreiben)
#include "tst_schreiben.moc"
