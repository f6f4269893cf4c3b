// The main window's panels: the write panel's view of the recovery scan
// (progress and a cancel) and the read-out panel's button captions.

#include "support/Testlauf.h"
#include "app/Auslesepanel.h"
#include "app/Schreibpanel.h"
#include "link/Troublesuche.h"
#include "support/Testhilfe.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>

class TstSchreibpanel : public QObject {
    Q_OBJECT
private slots:
    // Nothing waits: the scan would run nearly two minutes; the panel
    // shows how far it got and lets the user stop it.
    void troubleMitFortschrittUndAbbruch()
    {
        Strecke<FakePort> s;
        QWidget fenster;
        Schreibpanel panel(s.z, s.v, s.anmeldung, s.meldung, &fenster);
        fenster.show();
        panel.trouble().setTakt(1, 2);
        panel.troubleStarten();
        auto *dialog = fenster.findChild<QProgressDialog *>(QStringLiteral("Troublefortschritt"));
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->maximum(), 2048);
        QCOMPARE(dialog->labelText(), Texttabelle::text(552));
        QTRY_VERIFY(dialog->value() >= 5);
        QVERIFY(panel.trouble().laeuft());
        auto *knopf = dialog->findChild<QPushButton *>();
        QVERIFY(knopf);
        QCOMPARE(knopf->text(), Texttabelle::text(553));
        knopf->click();
        QVERIFY(!panel.trouble().laeuft());
        QVERIFY(panel.trouble().abgebrochen());
        QVERIFY(!dialog->isVisible());
        QCOMPARE(s.meldung.textnummern(), QList<int>{557});
        QVERIFY(QApplication::overrideCursor() == nullptr);  // no wait cursor left behind
    }

    void beschriftungOhneLuecke()
    {
        for (int sprache : {0, 1000, 2000, 3000}) {
            const QString roh = Texttabelle::text(124 + sprache);
            const QString b = Auslesepanel::beschriftung(roh);
            QCOMPARE(b.count(QLatin1Char('\n')), 1);
            QVERIFY2(!b.contains(QStringLiteral("  ")) && b == b.trimmed(), qPrintable(b));
            QCOMPARE(QString(b).replace(QLatin1Char('\n'), QLatin1Char(' ')), roh.simplified());
        }
        QCOMPARE(Auslesepanel::beschriftung(QStringLiteral("  a b  c ")), QStringLiteral("a b  c"));
    }

    // Without a port the scan does not start: the dialog goes again at once.
    void troubleOhnePort()
    {
        Strecke<FakePort> s;
        s.port.close();
        QWidget fenster;
        Schreibpanel panel(s.z, s.v, s.anmeldung, s.meldung, &fenster);
        panel.troubleStarten();
        auto *dialog = fenster.findChild<QProgressDialog *>(QStringLiteral("Troublefortschritt"));
        QVERIFY(dialog);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(s.meldung.textnummern(), QList<int>{193});
    }
};

PORTAVO_TESTKLASSE(TstSchreibpanel)
#include "tst_schreibpanel.moc"
