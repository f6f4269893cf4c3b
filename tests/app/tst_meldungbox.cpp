// Message boxes open over the window they belong to, and Qt's own button
// texts follow the chosen language.

#include "support/Testlauf.h"
#include "app/MeldungBox.h"
#include "app/QtTexte.h"

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTest>

namespace {

// Closes the next message box once it is up and notes its parent window.
struct Beobachter {
    QWidget *eltern = nullptr;
    QString jaText;
    bool gesehen = false;

    void naechsteBox()
    {
        QTimer::singleShot(0, [this] { pruefe(); });
    }
    void pruefe()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(10, [this] { pruefe(); });
            return;
        }
        gesehen = true;
        eltern = box->parentWidget();
        if (QAbstractButton *ja = box->button(QMessageBox::Yes))
            jaText = ja->text();
        box->done(QMessageBox::No);
    }
};

}  // namespace

class TstMeldungBox : public QObject {
    Q_OBJECT
private slots:
    void ueberDemHauptfenster()
    {
        QMainWindow haupt;
        haupt.show();
        MeldungBox m;
        m.setEltern(&haupt);
        Beobachter b;
        b.naechsteBox();
        QCOMPARE(m.zeige(QStringLiteral("t"), QStringLiteral("T"), Meldung::Knoepfe::JaNein,
                         Meldung::Symbol::Frage, -1, -1),
                 int(Meldung::Nein));
        QVERIFY(b.gesehen);
        QCOMPARE(b.eltern, &haupt);
    }

    // A question asked while a modal dialog is open belongs to that dialog,
    // not to the main window behind it.
    void ueberDemFragendenDialog()
    {
        QMainWindow haupt;
        haupt.show();
        MeldungBox m;
        m.setEltern(&haupt);
        QDialog dialog(&haupt);
        Beobachter b;
        QTimer::singleShot(0, &dialog, [&] {
            b.naechsteBox();
            m.zeige(QStringLiteral("t"), QStringLiteral("T"), Meldung::Knoepfe::JaNein, Meldung::Symbol::Frage, -1,
                    -1);
            dialog.reject();
        });
        dialog.exec();
        QVERIFY(b.gesehen);
        QCOMPARE(b.eltern, &dialog);
    }

    void knoepfeInDerGewaehltenSprache_data()
    {
        QTest::addColumn<int>("sprache");
        QTest::addColumn<QString>("ja");
        QTest::newRow("Deutsch") << 0 << QStringLiteral("&Ja");
        QTest::newRow("Französisch") << 2000 << QStringLiteral("&Oui");
        QTest::newRow("Spanisch") << 3000 << QStringLiteral("&Sí");
        QTest::newRow("Englisch") << 1000 << QStringLiteral("&Yes");
    }
    void knoepfeInDerGewaehltenSprache()
    {
        QFETCH(int, sprache);
        QFETCH(QString, ja);
        QVERIFY(QtTexte::waehle(sprache));
        MeldungBox m;
        Beobachter b;
        b.naechsteBox();
        m.zeige(QStringLiteral("t"), QStringLiteral("T"), Meldung::Knoepfe::JaNein, Meldung::Symbol::Frage, -1, -1);
        QCOMPARE(b.jaText, ja);
        QCOMPARE(QtTexte::aktuelleSprache(), sprache == 1000 ? QString() : QLocale::languageToCode(QtTexte::gebietsschema(sprache).language()));
    }
};

PORTAVO_TESTKLASSE(TstMeldungBox)
#include "tst_meldungbox.moc"
