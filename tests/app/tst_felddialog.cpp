// The small field dialogs: entering a field selects its text (a display line only as far as it fits), and OK
// refuses a bad value with its message and leaves the dialog open with nothing stored.

#include "support/Testlauf.h"
#include "app/Displayzeilendialog.h"
#include "app/Kartendatendialog.h"
#include "app/Passwortdialog.h"
#include "app/Systemnummerdialog.h"
#include "base/Zustand.h"
#include "support/MeldungAufnahme.h"
#include "support/Datentabelle.h"
#include "support/Fensterhilfe.h"
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
        dialog = art == "Kartendaten"    ? std::unique_ptr<QDialog>(new Kartendatendialog(z, meldung, u))
                 : art == "Systemnummer" ? std::unique_ptr<QDialog>(new Systemnummerdialog(z, meldung, u))
                 : art == "Displayzeile" ? std::unique_ptr<QDialog>(new Displayzeilendialog(z, u, &zeilenbox))
                                         : std::unique_ptr<QDialog>(new Passwortdialog(z, meldung));
    }
    QLineEdit *feld(const QString &name) const { return kind<QLineEdit>(dialog.get(), qPrintable(name)); }
};
}  // namespace

class TestFelddialog : public QObject {
    Q_OBJECT
private slots:
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
        QTest::newRow("Kartendaten zu kurz") << "Kartendaten" << "text1" << "012345678" << "Command2" << 203;
        QTest::newRow("Systemnummer zu gross") << "Systemnummer" << "Text1" << "4096" << "Co2" << 413;
        QTest::newRow("Systemnummer keine Zahl") << "Systemnummer" << "Text1" << "12a4" << "Co2" << 413;
        QTest::newRow("Passwort zu kurz") << "Passwort" << "Text1" << "12345" << "OK" << 342;
    }
    void okAbgewiesen()
    {
        const auto [art, feld, text, okKnopf, meldung] =
            werte<QString, QString, QString, QString, int>("art", "feld", "text", "okKnopf", "meldung");
        Aufbau a(art);
        const auto vorher = a.z.bild.Aenderungszaehler;
        a.dialog->show();
        a.feld(feld)->setText(text);
        a.dialog->findChild<QPushButton *>(okKnopf)->click();
        QCOMPARE(a.meldung.textnummern(), QList<int>{meldung});
        QVERIFY(a.dialog->isVisible() && a.u.Dialogergebnis == 0 && a.z.bild.Aenderungszaehler == vorher);
        QCOMPARE(a.z.bild.Zeilentext.at(3), QStringLiteral("0123456789"));
    }
};

PORTAVO_TESTKLASSE(TestFelddialog)
#include "tst_felddialog.moc"
