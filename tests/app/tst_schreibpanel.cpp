// The main window's panels: the write panel's view of the recovery scan (progress and a cancel, never a
// wait), its protocol choice, and the read-out button's caption.

#include "support/Testlauf.h"
#include "app/Auslesepanel.h"
#include "app/Protokollidentfenster.h"
#include "app/Schreibpanel.h"
#include "link/Troublesuche.h"
#include "support/Testhilfe.h"

#include <QtWidgets>

class TstSchreibpanel : public QObject {
    Q_OBJECT
private slots:
    // The scan would run nearly two minutes: the panel shows how far it
    // got and lets the user stop it; without a port it does not start.
    void troubleMitFortschrittUndAbbruch()
    {
        for (bool mitPort : {true, false}) {
            Strecke<FakePort> s;
            if (!mitPort)
                s.port.close();
            QWidget fenster;
            Schreibpanel panel(s.z, s.v, s.anmeldung, s.meldung, &fenster);
            fenster.show();
            panel.trouble().setTakt(1, 2);
            panel.troubleStarten();
            auto *dialog = fenster.findChild<QProgressDialog *>(QStringLiteral("Troublefortschritt"));
            QVERIFY(dialog);
            QCOMPARE(dialog->isVisible(), mitPort);
            if (!mitPort) {
                QCOMPARE(s.meldung.textnummern(), QList<int>{193});
                continue;
            }
            QCOMPARE(dialog->maximum(), 2048);
            QTRY_VERIFY(dialog->value() >= 5);
            QVERIFY(panel.trouble().laeuft());
            dialog->findChild<QPushButton *>()->click();
            QVERIFY(!panel.trouble().laeuft() && panel.trouble().abgebrochen());
            QVERIFY(!dialog->isVisible());
            QCOMPARE(s.meldung.textnummern(), QList<int>{557});
            QVERIFY(QApplication::overrideCursor() == nullptr);  // no wait cursor left behind
        }
    }

    // Only protocols with a name are offered, not as empty greyed options.
    void nurBenannteProtokolle()
    {
        Strecke<FakePort> s;
        Protokollidentfenster d(s.z, s.v, s.meldung);
        d.show();
        int sichtbar = 0;
        for (int k = 0; k < 8; ++k) {
            auto *b = d.findChild<QRadioButton *>(QStringLiteral("ptk%1").arg(k));
            QCOMPARE(b->isVisible(), !s.z.sprache.protokollnamen.at(k).trimmed().isEmpty());
            sichtbar += b->isVisible();
        }
        QCOMPARE(sichtbar, 2);
    }

    // Two lines without gaps, the words of the text as they are.
    void beschriftungOhneLuecke()
    {
        for (int sprache : {0, 1000, 2000, 3000}) {
            const QString roh = Texttabelle::text(124 + sprache);
            const QString b = Auslesepanel::beschriftung(roh);
            QCOMPARE(b.count(QLatin1Char('\n')), 1);
            QVERIFY2(!b.contains(QStringLiteral("  ")) && b == b.trimmed(), qPrintable(b));
            QCOMPARE(QString(b).replace(QLatin1Char('\n'), QLatin1Char(' ')), roh.simplified());
        }
    }
};

PORTAVO_TESTKLASSE(TstSchreibpanel)
#include "tst_schreibpanel.moc"
