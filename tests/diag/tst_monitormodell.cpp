// The monitor's list model: lines in batches, direction and time, the trim
// at 25 000 lines, the pause that keeps counting, the hex view of marker
// lines and the export.

#include "support/Testlauf.h"

#include <QSignalSpy>
#include "support/Testhilfe.h"
#include "diag/Monitormodell.h"

class TestMonitormodell : public QObject {
    Q_OBJECT

private slots:
    void zeilenKommenGesammeltAn()
    {
        Monitormodell m;
        QSignalSpy eingefuegt(&m, &QAbstractItemModel::rowsInserted);
        m.zeile(QStringLiteral("**<02><11>S<03>A**"));
        m.zeile(QStringLiteral("2"));
        m.zeile(QStringLiteral("65"));
        QCOMPARE(m.rowCount(), 0);
        QCOMPARE(m.anzahl(), 3);
        QTRY_COMPARE(m.rowCount(), 3);
        QCOMPARE(eingefuegt.count(), 1);  // one batch
        QCOMPARE(m.zeileText(0), QStringLiteral("**<02><11>S<03>A**"));
        QCOMPARE(m.zeileText(2), QStringLiteral("65"));
        QCOMPARE(m.zeileText(3), QString());
        QVERIFY(m.index(0).data(Monitormodell::GesendetRolle).toBool());
        QVERIFY(!m.index(1).data(Monitormodell::GesendetRolle).toBool());
        const qint64 ms = m.index(2).data(Monitormodell::ZeitRolle).toLongLong();
        QVERIFY(ms >= 0);
        const QString anzeige = m.index(2).data().toString();
        QCOMPARE(anzeige, QStringLiteral("%1 ms  \u2190  65").arg(ms, 8));
        QVERIFY(m.index(0).data().toString().contains(QStringLiteral("\u2192  **<02>")));
    }

    void trimmenErstAbDerGrenze()
    {
        Monitormodell m;
        for (int i = 0; i < Monitormodell::Grenze - 1; ++i)
            m.zeile(QStringLiteral("7"));
        m.nachtragen();
        QVERIFY(!m.trimmen());
        QCOMPARE(m.rowCount(), Monitormodell::Grenze - 1);
        m.zeile(QStringLiteral("8"));  // the 25 000th, not yet shown
        QCOMPARE(m.rowCount(), Monitormodell::Grenze - 1);
        QVERIFY(m.trimmen());
        QCOMPARE(m.rowCount(), 0);
        QCOMPARE(m.anzahl(), 0);
        m.zeile(QStringLiteral("9"));
        m.nachtragen();
        QCOMPARE(m.zeileText(0), QStringLiteral("9"));
    }

    void pauseZaehltWeiter()
    {
        Monitormodell m;
        m.zeile(QStringLiteral("1"));
        m.nachtragen();
        m.setPause(true);
        for (int i = 0; i < 5; ++i)
            m.zeile(QString::number(i));
        m.nachtragen();
        QTest::qWait(2 * Monitormodell::Sammelzeit);
        QCOMPARE(m.rowCount(), 1);
        QCOMPARE(m.wartend(), 5);
        QCOMPARE(m.anzahl(), 6);
        m.setPause(false);
        QCOMPARE(m.rowCount(), 6);
        QCOMPARE(m.wartend(), 0);
        QCOMPARE(m.zeileText(5), QStringLiteral("4"));
        // Lines held back by a pause count for the trim as well.
        m.setPause(true);
        for (int i = 0; i < Monitormodell::Grenze; ++i)
            m.zeile(QStringLiteral("3"));
        QVERIFY(m.trimmen());
        QCOMPARE(m.anzahl(), 0);
    }

    void hexAnsicht_data()
    {
        QTest::addColumn<QString>("zeile");
        QTest::addColumn<QString>("hex");
        QTest::newRow("Telegramm") << "**<02><11>S<03>A**" << "02 11 53 03 41";
        QTest::newRow("Kleiner-Zeichen") << "**<02><01>E<3C><03>G**" << "02 01 45 3C 03 47";
        QTest::newRow("ACK") << "**06**" << "06";
        QTest::newRow("Quittung 1") << "**02060305**" << "02 06 03 05";
        QTest::newRow("STX") << "**02**" << "02";
        QTest::newRow("Blockbyte") << "**255**" << "FF";
        QTest::newRow("Blockbyte 10") << "**10**" << "0A";
        QTest::newRow("empfangen") << "65" << "";
        QTest::newRow("leer") << "****" << "";
    }
    void hexAnsicht()
    {
        QFETCH(QString, zeile);
        QFETCH(QString, hex);
        QCOMPARE(Monitormodell::hexAnsicht(zeile), hex);
    }

    void exportieren()
    {
        QTemporaryDir ordner;
        Monitormodell m;
        m.zeile(QStringLiteral("**06**"));
        m.zeile(QStringLiteral("233"));
        m.nachtragen();
        m.setPause(true);
        m.zeile(QStringLiteral("4"));
        const QString pfad = ordner.filePath(QStringLiteral("monitor.txt"));
        QVERIFY(m.exportieren(pfad));
        const QList<QByteArray> zeilen = lies(pfad).split('\n');
        QCOMPARE(zeilen.size(), 4);
        QVERIFY(zeilen.last().isEmpty());
        const QList<QByteArray> erste = zeilen.at(0).split('\t');
        QCOMPARE(erste.size(), 3);
        bool zahl = false;
        erste.at(0).toLongLong(&zahl);
        QVERIFY(zahl);
        QCOMPARE(erste.at(1), QByteArray(">"));
        QCOMPARE(erste.at(2), QByteArray("**06**\r"));
        QVERIFY(zeilen.at(1).endsWith("\t<\t233\r"));
        QVERIFY(zeilen.at(2).endsWith("\t<\t4\r"));
        // A folder cannot be written; the reason comes back.
        QString grund;
        QVERIFY(!m.exportieren(ordner.path(), &grund));
        QVERIFY(!grund.isEmpty());
    }
};

PORTAVO_TESTKLASSE(TestMonitormodell)
#include "tst_monitormodell.moc"
