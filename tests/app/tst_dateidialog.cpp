// The one file dialog: the text table's filters as dialog filters, and main
// files offered whatever the case of their extension.

#include "support/Testlauf.h"
#include "app/Dateidialog.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"

#include "support/Fensterhilfe.h"

#include <QTest>
#include <QtWidgets>

namespace {

bool schreibe(const QString &pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::WriteOnly) && f.write(" 0 \r\n") == 5;
}

// The names the dialog's file list shows for the folder, once it has read it.
QStringList angeboten(QFileDialog &d)
{
    auto *liste = d.findChild<QListView *>(QStringLiteral("listView"));
    QStringList namen;
    if (!liste || !liste->model())
        return namen;
    const QModelIndex wurzel = liste->rootIndex();
    for (int i = 0; i < liste->model()->rowCount(wurzel); ++i)
        namen << liste->model()->index(i, 0, wurzel).data().toString();
    namen.sort();
    return namen;
}

}  // namespace

class tst_dateidialog : public QObject {
    Q_OBJECT

private slots:
    void filterAusDerTexttabelle_data()
    {
        QTest::addColumn<QString>("tabelle");
        QTest::addColumn<QString>("qt");
        QTest::newRow("load") << "PORTAVOdateien|*.S2D|Begleittexte|*.B2D|(alle Dateien)|*.*"
                              << "PORTAVOdateien (*.S2D *.s2d);;Begleittexte (*.B2D *.b2d);;(alle Dateien) (*.*)";
        QTest::newRow("save as") << "PORTAVOdateien|*.S2D|alle Dateien)|*.*"
                                 << "PORTAVOdateien (*.S2D *.s2d);;alle Dateien) (*.*)";
        QTest::newRow("lower case given") << "x|*.csv" << "x (*.csv *.CSV)";
        QTest::newRow("several patterns") << "Haupt|*.S2D;*.S3D" << "Haupt (*.S2D *.s2d *.S3D *.s3d)";
        QTest::newRow("name without pattern") << "PORTAVOdateien|*.S2D|Rest" << "PORTAVOdateien (*.S2D *.s2d)";
        QTest::newRow("empty pattern") << "leer||PORTAVO|*.S2D" << "PORTAVO (*.S2D *.s2d)";
    }
    void filterAusDerTexttabelle()
    {
        QFETCH(QString, tabelle);
        QFETCH(QString, qt);
        QCOMPARE(Dateidialog::qtFilter(tabelle), qt);
    }

    void kleingeschriebeneHauptdateiWirdAngeboten()
    {
        // Every text of the four languages that names main files offers
        // a lower-case "t7.s2d" beside "T8.S2D", but no other file.
        for (int sprache : {0, 1000, 2000, 3000}) {
            Zustand z;
            z.Sprache = qint16(sprache);
            for (int nummer : {141, 147, 312}) {
                const QString tabelle = Texttabelle::text(z, nummer);
                const QStringList muster = Dateidialog::muster(tabelle);
                QVERIFY2(QDir::match(muster, QStringLiteral("t7.s2d")), qPrintable(tabelle));
                QVERIFY(QDir::match(muster, QStringLiteral("T8.S2D")));
            }
        }
        QTemporaryDir dir;
        for (const char *name : {"t7.s2d", "T8.S2D", "notiz.txt"})
            QVERIFY(schreibe(dir.filePath(QLatin1String(name))));
        Zustand z;
        Dateidialog d(nullptr, QStringLiteral("Laden"), dir.path(), Texttabelle::text(z, 141));
        QCOMPARE(d.objectName(), QStringLiteral("Dateidialog"));
        QVERIFY(d.testOption(QFileDialog::DontUseNativeDialog));
        d.show();
        QTRY_COMPARE(angeboten(d), (QStringList{"T8.S2D", "t7.s2d"}));
        // The last filter shows everything.
        d.selectNameFilter(d.nameFilters().constLast());
        QTRY_COMPARE(angeboten(d), (QStringList{"T8.S2D", "notiz.txt", "t7.s2d"}));
    }

    void oeffnenGibtDieGewaehlteDatei()
    {
        QTemporaryDir dir;
        QVERIFY(schreibe(dir.filePath("t7.s2d")));
        QTimer::singleShot(0, [&] {
            auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(d);
            const QString fremd = dateiWaehlen(d, dir.filePath("t7.s2d"));
            QVERIFY2(fremd.isEmpty(), qPrintable(fremd));
        });
        QCOMPARE(Dateidialog::oeffnen(nullptr, "Laden", "PORTAVOdateien|*.S2D", dir.path(), "PORTAVO"),
                 dir.filePath("t7.s2d"));
        QTimer::singleShot(0, [] {
            if (auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget()))
                d->reject();
        });
        QCOMPARE(Dateidialog::oeffnen(nullptr, "Laden", "PORTAVOdateien|*.S2D", dir.path(), "PORTAVO"), QString());
    }
};

PORTAVO_TESTKLASSE(tst_dateidialog)
#include "tst_dateidialog.moc"
