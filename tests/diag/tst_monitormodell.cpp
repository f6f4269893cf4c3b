// The monitor's list model: lines in batches with direction and time, the trim at 25 000 lines, the pause
// that keeps counting, the hex view of marker lines and the export.

#include "support/Testlauf.h"
#include "support/Datentabelle.h"

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
        for (const char *z : {"**<02><11>S<03>A**", "2", "65"})
            m.zeile(QLatin1String(z));
        QCOMPARE(m.rowCount(), 0);
        QCOMPARE(m.anzahl(), 3);
        QTRY_COMPARE(m.rowCount(), 3);
        QCOMPARE(eingefuegt.count(), 1);  // one batch
        QCOMPARE(m.zeileText(2), QStringLiteral("65"));
        QCOMPARE(m.zeileText(3), QString());
        QVERIFY(m.index(0).data(Monitormodell::GesendetRolle).toBool());
        QVERIFY(!m.index(1).data(Monitormodell::GesendetRolle).toBool());
        const qint64 ms = m.index(2).data(Monitormodell::ZeitRolle).toLongLong();
        QCOMPARE(m.index(2).data().toString(), QStringLiteral("%1 ms  \u2190  65").arg(ms, 8));
        QVERIFY(m.index(0).data().toString().contains(QStringLiteral("\u2192  **<02>")));
    }

    // Lines held back by a pause are counted, and count for the trim.
    void pauseUndTrimmen()
    {
        Monitormodell m;
        for (int i = 0; i < Monitormodell::Grenze - 1; ++i)
            m.zeile(QStringLiteral("7"));
        m.nachtragen();
        QVERIFY(!m.trimmen());
        m.setPause(true);
        m.zeile(QStringLiteral("8"));  // the 25 000th, held back
        m.nachtragen();
        QCOMPARE(m.rowCount(), Monitormodell::Grenze - 1);
        QCOMPARE(m.wartend(), 1);
        m.setPause(false);
        QCOMPARE(m.rowCount(), Monitormodell::Grenze);
        QCOMPARE(m.zeileText(Monitormodell::Grenze - 1), QStringLiteral("8"));
        QVERIFY(m.trimmen());
        QCOMPARE(m.rowCount(), 0);
        m.setPause(true);
        for (int i = 0; i < Monitormodell::Grenze; ++i)
            m.zeile(QStringLiteral("3"));
        QVERIFY(m.trimmen());
        QCOMPARE(m.anzahl(), 0);
    }

    void hexAnsicht_data()
    {
        spalten<QString, QString>("zeile", "hex");
        QTest::newRow("Telegramm") << "**<02><11>S<03>A**" << "02 11 53 03 41";
        QTest::newRow("Kleiner-Zeichen") << "**<02><01>E<3C><03>G**" << "02 01 45 3C 03 47";
        QTest::newRow("ACK") << "**06**" << "06";
        QTest::newRow("Quittung 1") << "**02060305**" << "02 06 03 05";
        QTest::newRow("Blockbyte") << "**255**" << "FF";
        QTest::newRow("Blockbyte 10") << "**10**" << "0A";
        QTest::newRow("empfangen") << "65" << "";
        QTest::newRow("leer") << "****" << "";
    }
    void hexAnsicht()
    {
        const auto [zeile, hex] = werte<QString, QString>("zeile", "hex");
        QCOMPARE(Monitormodell::hexAnsicht(zeile), hex);
    }

    // One line per entry, held-back lines too: time TAB direction TAB line CR LF.
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
        const QRegularExpression form(QStringLiteral("^\\d+\t>\t\\*\\*06\\*\\*\r\n\\d+\t<\t233\r\n\\d+\t<\t4\r\n$"));
        QVERIFY2(form.match(QString::fromLatin1(lies(pfad))).hasMatch(), lies(pfad).constData());
        QString grund;  // a folder cannot be written; the reason comes back
        QVERIFY(!m.exportieren(ordner.path(), &grund));
        QVERIFY(!grund.isEmpty());
    }
};

PORTAVO_TESTKLASSE(TestMonitormodell)
#include "tst_monitormodell.moc"
