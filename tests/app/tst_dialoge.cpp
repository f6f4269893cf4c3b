// The dialogs: message boxes over the window they belong to and Qt's button texts in the chosen language;
// the one file dialog (the text table's filters, main files whatever the case of their extension); the small
// field dialogs (entering a field selects its text, OK refuses a bad value and leaves the dialog open).

#include "support/Testlauf.h"
#include "app/Dateidialog.h"
#include "app/Displayzeilendialog.h"
#include "app/Kartendatendialog.h"
#include "app/MeldungBox.h"
#include "app/Passwortdialog.h"
#include "app/QtTexte.h"
#include "app/Systemnummerdialog.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "support/Datentabelle.h"
#include "support/Fensterhilfe.h"
#include "support/MeldungAufnahme.h"
#include "termfile/Uebergabe.h"

#include <QtWidgets>
#include <memory>

namespace {
struct Gesehen {
    QWidget *eltern = nullptr;
    QString ja;
    int antwort = -1;
};

// Shows a Yes/No question and answers No: the box's parent, its Yes button's text, and the answer given back.
Gesehen frage(MeldungBox &m)
{
    Gesehen gesehen;
    imDialog([&](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        QVERIFY(box);
        gesehen.eltern = box->parentWidget();
        gesehen.ja = box->button(QMessageBox::Yes)->text();
        box->done(QMessageBox::No);
    });
    gesehen.antwort = m.zeige(QStringLiteral("t"), QStringLiteral("T"), Meldung::Knoepfe::JaNein, Meldung::Symbol::Frage, -1, -1);
    return gesehen;
}

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

struct Aufbau {
    Zustand z;
    MeldungAufnahme meldung;
    Uebergabe u;
    QLineEdit zeilenbox;
    std::unique_ptr<QDialog> dialog;

    Aufbau(const QString &art)
    {
        u.Eintragsnummer = 3;
        u.Systemnummer = 42;
        u.Displayzeile = 2;
        z.bild.Zeilentext[3] = QStringLiteral("0123456789");
        z.bild.Begleittext[3] = QStringLiteral("Tor Nord");
        zeilenbox.setText(QStringLiteral("ABCDEFGHIJKLMNOPQRS"));
        dialog = art == "Kartendaten"    ? std::unique_ptr<QDialog>(new Kartendatendialog(z, meldung, u))
                 : art == "Systemnummer" ? std::unique_ptr<QDialog>(new Systemnummerdialog(z, meldung, u))
                 : art == "Displayzeile" ? std::unique_ptr<QDialog>(new Displayzeilendialog(z, u, &zeilenbox))
                                         : std::unique_ptr<QDialog>(new Passwortdialog(z, meldung));
    }
    QLineEdit *feld(const QString &name) const { return kind<QLineEdit>(dialog.get(), qPrintable(name)); }
};
}  // namespace

class TestDialoge : public QObject {
    Q_OBJECT
private slots:
    // Qt's buttons in the chosen language; over the main window, and asked while a modal dialog is open, over that.
    void knoepfeInDerGewaehltenSprache_data()
    {
        spalten<int, QString>("sprache", "ja");
        for (const auto &[sprache, ja] : {std::pair{2000, "&Oui"}, {3000, "&Sí"}, {1000, "&Yes"}, {0, "&Ja"}})
            QTest::addRow("%d", sprache) << sprache << QString::fromUtf8(ja);
    }
    void knoepfeInDerGewaehltenSprache()
    {
        const auto [sprache, ja] = werte<int, QString>("sprache", "ja");
        QVERIFY(QtTexte::waehle(sprache));
        QMainWindow haupt;
        haupt.show();
        MeldungBox m;
        m.setEltern(&haupt);
        const Gesehen g = frage(m);
        QVERIFY(g.ja == ja && g.eltern == &haupt && g.antwort == int(Meldung::Nein));
        QDialog dialog(&haupt);
        QWidget *eltern = nullptr;
        QTimer::singleShot(0, &dialog, [&] {
            eltern = frage(m).eltern;
            dialog.reject();
        });
        dialog.exec();
        QCOMPARE(eltern, &dialog);
    }

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

        // Cancel gives nothing (a file chosen: the editor's CSV import and comparison).
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

        // Showing a folder reads no file: a file that never answers a read (/proc/kmsg, readable for root) would
        // otherwise freeze the window while the dialog only lists it.
        Dateidialog proc(nullptr, QStringLiteral("Laden"), QStringLiteral("/proc"), QStringLiteral("Alle|*"));
        proc.show();
        QTRY_VERIFY(angeboten(proc).contains(QStringLiteral("kmsg")));
        QCOMPARE(proc.iconProvider()->type(QFileInfo(QStringLiteral("/proc/kmsg"))), QString());
    }

    void betretenMarkiert_data()
    {
        spalten<QString, QString, QString>("art", "feld", "markiert");
        QTest::newRow("Kartendaten") << "Kartendaten" << "text1" << "0123456789";
        QTest::newRow("Kartendaten, Begleittext") << "Kartendaten" << "Text2" << "Tor Nord";
        QTest::newRow("Systemnummer") << "Systemnummer" << "Text1" << "0042";
        QTest::newRow("Displayzeile, 16 Zeichen") << "Displayzeile" << "Text1" << "ABCDEFGHIJKLMNOP";
    }
    void betretenMarkiert()
    {
        const auto [art, feld, markiert] = werte<QString, QString, QString>("art", "feld", "markiert");
        Aufbau a(art);
        QLineEdit *box = a.feld(feld);
        a.dialog->show();
        QCoreApplication::processEvents();
        box->deselect();
        QFocusEvent hinein(QEvent::FocusIn, Qt::MouseFocusReason);  // QLineEdit itself selects nothing then
        QApplication::sendEvent(box, &hinein);
        QTRY_COMPARE(box->selectedText(), markiert);
    }

    void okAbgewiesen_data()
    {
        spalten<QString, QString, QString, QString, int>("art", "feld", "text", "okKnopf", "meldung");
        QTest::newRow("Systemnummer zu gross") << "Systemnummer" << "Text1" << "4096" << "Co2" << 413;
        QTest::newRow("Systemnummer keine Zahl") << "Systemnummer" << "Text1" << "12a4" << "Co2" << 413;
        QTest::newRow("Passwort zu kurz") << "Passwort" << "Text1" << "12345" << "OK" << 342;
    }
    void okAbgewiesen()
    {
        const auto [art, feld, text, okKnopf, meldung] =
            werte<QString, QString, QString, QString, int>("art", "feld", "text", "okKnopf", "meldung");
        Aufbau a(art);
        a.dialog->show();
        a.feld(feld)->setText(text);
        a.dialog->findChild<QPushButton *>(okKnopf)->click();
        QCOMPARE(a.meldung.textnummern(), QList<int>{meldung});
        QVERIFY(a.dialog->isVisible() && a.u.Dialogergebnis == 0 && a.z.bild.Aenderungszaehler == 0);
        QCOMPARE(a.z.bild.Zeilentext.at(3), QStringLiteral("0123456789"));
    }
};

PORTAVO_TESTKLASSE(TestDialoge)
#include "tst_dialoge.moc"
