// Message boxes open over the window they belong to, and Qt's own button texts follow the chosen language.

#include "support/Testlauf.h"
#include "support/Fensterhilfe.h"
#include "app/MeldungBox.h"
#include "app/QtTexte.h"
#include "support/Datentabelle.h"

#include <QtWidgets>

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
}  // namespace

class TstMeldungBox : public QObject {
    Q_OBJECT
private slots:
    // Over the main window; asked while a modal dialog is open, over that dialog.
    void ueberDemRichtigenFenster()
    {
        QMainWindow haupt;
        haupt.show();
        MeldungBox m;
        m.setEltern(&haupt);
        const Gesehen g = frage(m);
        QCOMPARE(g.eltern, &haupt);
        QCOMPARE(g.antwort, int(Meldung::Nein));
        QDialog dialog(&haupt);
        QWidget *eltern = nullptr;
        QTimer::singleShot(0, &dialog, [&] {
            eltern = frage(m).eltern;
            dialog.reject();
        });
        dialog.exec();
        QCOMPARE(eltern, &dialog);
    }

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
        MeldungBox m;
        QCOMPARE(frage(m).ja, ja);
    }
};

PORTAVO_TESTKLASSE(TstMeldungBox)
#include "tst_meldungbox.moc"
