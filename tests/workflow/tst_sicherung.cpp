// The backup before a write on the in-process bus: the terminal's memory is read out, stored and compared
// with the file before anything of the write goes out.

#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "support/SimBus.h"
#include "support/Testhilfe.h"
#include "termfile/Dateivergleich.h"
#include "termfile/Sicherungsablage.h"
#include "workflow/Schreibablauf.h"

#include <QSignalSpy>

class TestSicherung : public QObject {
    Q_OBJECT

    struct Lauf : Strecke<SimPort> {
        Schreibablauf ablauf{z, v, anmeldung, meldung};
        Sicherungsablage ablage;
        QVector<Dateivergleich> vergleiche;

        Lauf(const SimBus &bus, const QString &wurzel, const QString &datei) : Strecke(bus.device()), ablage(wurzel)
        {
            z.terminal.adresse = 4;
            z.terminal.identifiziert = true;
            z.terminal.version = QStringLiteral("Ver 3.12 TS 1 04");
            z.Timerintervall[1] = z.Timerintervall[3] = 20;  // the bus answers at once
            z.Timerintervall[4] = 300;
            ablauf.setDateiwahl([datei](auto &&...) { return datei; });
            ablauf.setProtokollwahl([this] { return z.terminal.protokollGewaehlt = true; });
            ablauf.setPasswortfrage([this] {
                z.terminal.passwort = Telegramm::packePasswort(QStringLiteral("246810"));
                return z.terminal.passwortOK = true;
            });
            ablauf.setSicherung(&ablage);
            ablauf.setVergleichsfrage([this](const Dateivergleich &v) {
                vergleiche << v;
                return true;
            });
        }
    };

    QTemporaryDir m_ordner;

private slots:
    // The question answered yes (no, and the panel's flow: TestHauptfenster::sicherungVorDemSchreiben).
    void vorDemSchreiben_data()
    {
        // ablage: "ok" or "Datei" (a file where the backup folder should be)
        spalten<QString, int>("ablage", "ende");
        QTest::newRow("gesichert und geschrieben") << "ok" << 0;
        QTest::newRow("Ablage nicht schreibbar") << "Datei" << 805;
    }
    void vorDemSchreiben()
    {
        const auto [art, ende] = werte<QString, int>("ablage", "ende");
        SimBus bus;
        BUS_STARTEN(bus, QJsonArray{SimBus::terminal(4, 0)});
        const QByteArray vorher = bus.speicher(4);
        const QString datei = m_ordner.filePath(QStringLiteral("tuer.S2D"));
        QVERIFY(schreib(datei, hauptdatei([](int i) { return i == 8 ? 4 : i == 5 ? 0x42 : i == 6 ? 0x86 : i == 7 ? 1 : (i * 7) & 0xFF; })));
        const QString wurzel = m_ordner.filePath(QTest::currentDataTag());
        if (art == "Datei")
            QVERIFY(schreib(wurzel, "kein Ordner"));
        Lauf l(bus, wurzel, datei);
        QSignalSpy beendet(&l.ablauf, &Schreibablauf::schreibenBeendet);
        QVERIFY(l.ablauf.schreibbefehl() && l.ablauf.schreibknopf());
        QVERIFY(beendet.wait(30000));
        QCOMPARE(beendet.first().first().toInt(), ende);
        QCOMPARE(l.meldung.textnummern(), QList<int>{ende ? 805 : 165});
        // Nothing of the write goes out without the backup.
        QCOMPARE(SimBus::bytes(bus.verkehr()).contains(Telegramm::anfrage(4, "D")), !ende);
        QVector<Sicherungsablage::Eintrag> liste;
        QVERIFY(l.ablage.liste(QString(), 4, liste).ok);
        QCOMPARE(liste.size(), ende ? 0 : 1);
        if (ende)
            return;
        QCOMPARE(l.vergleiche.size(), 1);
        QCOMPARE(lies(liste.first().hauptdatei()), vorher);  // the memory before, byte for byte
        QCOMPARE(liste.first().ersetztDurch, datei);
        QCOMPARE(liste.first().version, QStringLiteral("Ver 3.12 TS 1 04"));
        // The terminal holds the file as the write sends it.
        Terminaldatei::Speicherbytes block{};
        QVERIFY(Terminaldatei::leseHauptdatei(datei, block).ok);
        block[12] = 0, block[13] = 15;
        Datenbild gesendet;
        std::copy(block.begin(), block.end(), gesendet.Daten.begin());
        QTRY_COMPARE(bus.speicher(4), Terminaldatei::hauptdateitext(gesendet));
    }

    // Older backups beyond the number kept go; the index lists the newest first; a damaged index is
    // reported and left as it is.
    void ablageBehaeltDieNeuesten()
    {
        const QString wurzel = m_ordner.filePath(QStringLiteral("behalten"));
        Sicherungsablage a(wurzel, 2);
        Terminaldatei::Speicherbytes speicher{};
        for (int n = 0; n < 3; ++n) {
            speicher[0] = qint16(n);
            Sicherungsablage::Eintrag e;
            e.adresse = 7, e.protokoll = 1, e.zeit = QDateTime(QDate(2026, 12, 7), QTime(8, 0));
            QVERIFY(a.sichere(QStringLiteral("Halle/3"), e, speicher).ok);
        }
        QVector<Sicherungsablage::Eintrag> l;
        QVERIFY(a.liste(QStringLiteral("Halle/3"), 7, l).ok);
        QCOMPARE(l.size(), 2);
        QCOMPARE(QDir(l[0].ordner).dirName(), QStringLiteral("2026-12-07_08-00-00_3"));
        QCOMPARE(QDir(l[1].ordner).dirName(), QStringLiteral("2026-12-07_08-00-00_2"));
        QCOMPARE(a.terminals(), QStringList{QStringLiteral("Halle_3 - Adresse 007")});
        QVERIFY(!QFileInfo::exists(a.terminalordner(QStringLiteral("Halle/3"), 7) + QStringLiteral("/2026-12-07_08-00-00")));
        Terminaldatei::Speicherbytes b{};
        QVERIFY(Terminaldatei::leseHauptdatei(l[0].hauptdatei(), b).ok && b[0] == 2);

        const QString index = a.terminalordner(QStringLiteral("Halle/3"), 7) + QStringLiteral("/index.json");
        QVERIFY(schreib(index, "{\"backups\": [{\"folder\": \"../x\""));
        Sicherungsablage::Eintrag e;
        e.adresse = 7, e.zeit = QDateTime::currentDateTime();
        QVERIFY(!a.liste(QStringLiteral("Halle/3"), 7, l).ok);
        QVERIFY(!a.sichere(QStringLiteral("Halle/3"), e, speicher).ok);
        QCOMPARE(lies(index), QByteArray("{\"backups\": [{\"folder\": \"../x\""));
    }
};

PORTAVO_TESTKLASSE(TestSicherung)
#include "tst_sicherung.moc"
