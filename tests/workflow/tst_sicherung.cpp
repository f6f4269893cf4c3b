// The backup store: the newest kept, listed newest first, a damaged index left alone. The backup before a
// write on the bus (memory before, file named, nothing sent when it cannot be stored):
// TestCliBus::sicherungUndRueckschreiben and nichtsGeschrieben.

#include "support/Testlauf.h"
#include "support/Testhilfe.h"
#include "termfile/Sicherungsablage.h"
#include "termfile/Terminaldatei.h"

#include <QTest>

class TestSicherung : public QObject {
    Q_OBJECT

    QTemporaryDir m_ordner;

private slots:
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
