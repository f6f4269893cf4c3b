// The small field dialogs: entering a field selects its text (a display line only as far as it fits), and OK
// refuses a bad value with its message and leaves the dialog open with nothing stored.

#include "support/Testlauf.h"
#include "app/Displayzeilendialog.h"
#include "app/Kartendatendialog.h"
#include "app/Passwortdialog.h"
#include "app/Systemnummerdialog.h"
#include "base/Zustand.h"
#include "support/MeldungAufnahme.h"
#include "termfile/Uebergabe.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace {
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
        if (art == QLatin1String("Kartendaten"))
            dialog = std::make_unique<Kartendatendialog>(z, meldung, u);
        else if (art == QLatin1String("Systemnummer"))
            dialog = std::make_unique<Systemnummerdialog>(z, meldung, u);
        else if (art == QLatin1String("Displayzeile"))
            dialog = std::make_unique<Displayzeilendialog>(z, u, &zeilenbox);
        else
            dialog = std::make_unique<Passwortdialog>(z, meldung);
    }
    QLineEdit *feld(const QString &name) const { return dialog->findChild<QLineEdit *>(name); }
};
}  // namespace

class TestFelddialog : public QObject {
    Q_OBJECT
private slots:
    void betretenMarkiert_data()
    {
        QTest::addColumn<QString>("art");
        QTest::addColumn<QString>("feld");
        QTest::addColumn<QString>("markiert");
        QTest::newRow("Kartendaten") << "Kartendaten" << "text1" << "0123456789";
        QTest::newRow("Kartendaten, Begleittext") << "Kartendaten" << "Text2" << "Tor Nord";
        QTest::newRow("Systemnummer") << "Systemnummer" << "Text1" << "0042";
        QTest::newRow("Displayzeile, 16 Zeichen") << "Displayzeile" << "Text1" << "ABCDEFGHIJKLMNOP";
    }
    void betretenMarkiert()
    {
        QFETCH(QString, art);
        QFETCH(QString, feld);
        QFETCH(QString, markiert);
        Aufbau a(art);
        QLineEdit *box = a.feld(feld);
        QVERIFY(box);
        a.dialog->show();
        QCoreApplication::processEvents();
        box->deselect();
        QFocusEvent hinein(QEvent::FocusIn, Qt::MouseFocusReason);  // QLineEdit itself selects nothing then
        QApplication::sendEvent(box, &hinein);
        QTRY_COMPARE(box->selectedText(), markiert);
    }

    void okAbgewiesen_data()
    {
        QTest::addColumn<QString>("art");
        QTest::addColumn<QString>("feld");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("okKnopf");
        QTest::addColumn<int>("meldung");
        QTest::newRow("Kartendaten zu kurz") << "Kartendaten" << "text1" << "012345678" << "Command2" << 203;
        QTest::newRow("Systemnummer zu gross") << "Systemnummer" << "Text1" << "4096" << "Co2" << 413;
        QTest::newRow("Systemnummer keine Zahl") << "Systemnummer" << "Text1" << "12a4" << "Co2" << 413;
        QTest::newRow("Passwort zu kurz") << "Passwort" << "Text1" << "12345" << "OK" << 342;
    }
    void okAbgewiesen()
    {
        QFETCH(QString, art);
        QFETCH(QString, feld);
        QFETCH(QString, text);
        QFETCH(QString, okKnopf);
        QFETCH(int, meldung);
        Aufbau a(art);
        const auto vorher = a.z.bild.Aenderungszaehler;
        a.dialog->show();
        a.feld(feld)->setText(text);
        a.dialog->findChild<QPushButton *>(okKnopf)->click();
        QCOMPARE(a.meldung.textnummern(), QList<int>{meldung});
        QVERIFY(a.dialog->isVisible());
        QCOMPARE(a.u.Dialogergebnis, qint16(0));
        QCOMPARE(a.z.bild.Aenderungszaehler, vorher);
        QCOMPARE(a.z.bild.Zeilentext.at(3), QStringLiteral("0123456789"));
    }
};

PORTAVO_TESTKLASSE(TestFelddialog)
#include "tst_felddialog.moc"
