// The one file dialog: the text table's filters as dialog filters, and main
// files offered and chosen whatever the case of their extension.

#include "support/Testlauf.h"
#include "app/Dateidialog.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "support/Fensterhilfe.h"
#include "support/Datentabelle.h"

#include <QtWidgets>

namespace {
// The names the dialog's file list shows for the folder, once it has read it.
QStringList angeboten(QFileDialog &d)
{
    auto *liste = kind<QListView>(&d, "listView");
    QStringList namen;
    for (int i = 0; i < liste->model()->rowCount(liste->rootIndex()); ++i)
        namen << liste->model()->index(i, 0, liste->rootIndex()).data().toString();
    namen.sort();
    return namen;
}
}  // namespace

class tst_dateidialog : public QObject {
    Q_OBJECT

private slots:
    void filterAusDerTexttabelle_data()
    {
        spalten<QString, QString>("tabelle", "qt");
        QTest::newRow("load") << "PORTAVOdateien|*.S2D|Begleittexte|*.B2D|(alle Dateien)|*.*"
                              << "PORTAVOdateien (*.S2D *.s2d);;Begleittexte (*.B2D *.b2d);;(alle Dateien) (*.*)";
        QTest::newRow("lower case given") << "x|*.csv" << "x (*.csv *.CSV)";
        QTest::newRow("several patterns") << "Haupt|*.S2D;*.S3D" << "Haupt (*.S2D *.s2d *.S3D *.s3d)";
        QTest::newRow("name without pattern") << "PORTAVOdateien|*.S2D|Rest" << "PORTAVOdateien (*.S2D *.s2d)";
        QTest::newRow("empty pattern") << "leer||PORTAVO|*.S2D" << "PORTAVO (*.S2D *.s2d)";
    }
    void filterAusDerTexttabelle()
    {
        const auto [tabelle, qt] = werte<QString, QString>("tabelle", "qt");
        QCOMPARE(Dateidialog::qtFilter(tabelle), qt);
    }

    // Showing a folder reads no file: a file that never answers a read (/proc/kmsg, readable for root) would
    // otherwise freeze the window while the dialog only lists it.
    void ordnerZeigenLiestKeineDatei()
    {
        Dateidialog d(nullptr, QStringLiteral("Laden"), QStringLiteral("/proc"), QStringLiteral("Alle|*"));
        d.show();
        QTRY_VERIFY(angeboten(d).contains(QStringLiteral("kmsg")));
        QCOMPARE(d.iconProvider()->type(QFileInfo(QStringLiteral("/proc/kmsg"))), QString());
    }

    void kleingeschriebeneHauptdateiWirdAngeboten()
    {
        // Every text of the four languages that names main files offers
        // a lower-case "t7.s2d" beside "T8.S2D".
        for (int sprache : {0, 1000, 2000, 3000})
            for (int nummer : {141, 147, 312}) {
                const QStringList muster = Dateidialog::muster(Texttabelle::text(nummer + sprache));
                QVERIFY2(QDir::match(muster, "t7.s2d") && QDir::match(muster, "T8.S2D"), qPrintable(muster.join(' ')));
            }
        QTemporaryDir dir;
        for (const char *name : {"t7.s2d", "T8.S2D", "notiz.txt"})
            QVERIFY(QFile(dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
        Dateidialog d(nullptr, QStringLiteral("Laden"), dir.path(), Texttabelle::text(141));
        d.show();
        QTRY_COMPARE(angeboten(d), (QStringList{"T8.S2D", "t7.s2d"}));
        d.selectNameFilter(d.nameFilters().constLast());  // the last filter shows everything
        QTRY_COMPARE(angeboten(d), (QStringList{"T8.S2D", "notiz.txt", "t7.s2d"}));

        // The file chosen comes back as it is named; cancel gives nothing.
        imDialog([&](QWidget *w) { dateiWaehlen(w, dir.filePath("t7.s2d")); });
        QCOMPARE(Dateidialog::oeffnen(nullptr, "Laden", "PORTAVOdateien|*.S2D", dir.path(), "PORTAVO"),
                 dir.filePath("t7.s2d"));
        imDialog([](QWidget *w) { w->close(); });
        QCOMPARE(Dateidialog::oeffnen(nullptr, "Laden", "PORTAVOdateien|*.S2D", dir.path(), "PORTAVO"), QString());

        // A missing file: the dialog's own message is answered, not waited for.
        QString fremd;
        imDialog([&](QWidget *w) {
            fremd = dateiWaehlenMeldung(qobject_cast<QFileDialog *>(w), dir.filePath("fehlt.S2D"));
            w->close();
        });
        QCOMPARE(Dateidialog::oeffnen(nullptr, "Laden", "PORTAVOdateien|*.S2D", dir.path(), "PORTAVO"), QString());
        QVERIFY2(fremd.contains(QStringLiteral("fehlt.S2D")), qPrintable(fremd));
    }
};

PORTAVO_TESTKLASSE(tst_dateidialog)
#include "tst_dateidialog.moc"
