// Which menu items of the main window can be chosen, for every kind of
// operation, modem line state and a bus command running or not.

#include "support/Testlauf.h"
#include "workflow/Menuefreigabe.h"
#include "support/Datentabelle.h"

#include <QTest>

Q_DECLARE_METATYPE(Menuelage::Betrieb)
Q_DECLARE_METATYPE(Menuelage::Modem)

namespace {
QStringList frei(const Menuefreigabe &f)
{
    const std::pair<bool, const char *> punkte[] = {
        {f.datei, "datei"},   {f.portavo, "portavo"}, {f.schnittstelle, "schnittstelle"}, {f.testbetrieb, "testbetrieb"},
        {f.dialog, "dialog"}, {f.modem, "modem"},     {f.trouble, "trouble"}};
    QStringList l;
    for (const auto &[an, name] : punkte)
        if (an)
            l << QString::fromLatin1(name);
    return l;
}
}  // namespace

class TestMenuefreigabe : public QObject {
    Q_OBJECT
private slots:
    void freigabe_data()
    {
        using B = Menuelage::Betrieb;
        using M = Menuelage::Modem;
        spalten<Menuelage::Betrieb, Menuelage::Modem, bool, QString>("betrieb", "modem", "belegt", "erwartet");
        const QString alles = QStringLiteral("datei portavo schnittstelle testbetrieb dialog trouble");
        QTest::newRow("Anlauf") << B::Anlauf << M::Unbenutzt << false << QString();
        QTest::newRow("Anlauf, Modem verbunden") << B::Anlauf << M::Verbunden << false << QString();
        QTest::newRow("RS485") << B::Rs485 << M::Unbenutzt << false << alles;
        QTest::newRow("RS485, Bus belegt") << B::Rs485 << M::Unbenutzt << true << "datei schnittstelle testbetrieb dialog";
        QTest::newRow("RS485 nach Modemereignis") << B::Rs485 << M::Beendet << false << alles;
        QTest::newRow("Modem, nicht verbunden") << B::Modem << M::Unbenutzt << false << "datei portavo testbetrieb modem";
        QTest::newRow("Modem, nicht verbunden, belegt") << B::Modem << M::Unbenutzt << true << "datei testbetrieb modem";
        QTest::newRow("Modem verbunden") << B::Modem << M::Verbunden << false << "datei portavo testbetrieb trouble";
        QTest::newRow("Modem verbunden, Bus belegt") << B::Modem << M::Verbunden << true << "datei testbetrieb";
        QTest::newRow("Modem legt auf") << B::Modem << M::Auflegen << false << "datei portavo testbetrieb";
        QTest::newRow("Modem legt auf, Bus belegt") << B::Modem << M::Auflegen << true << "datei testbetrieb";
        QTest::newRow("Modem aufgelegt") << B::Modem << M::Aufgelegt << false << "datei testbetrieb";
        QTest::newRow("Modem aufgelegt, Bus belegt") << B::Modem << M::Aufgelegt << true << "datei testbetrieb";
        QTest::newRow("Modemfenster zu") << B::Modem << M::Beendet << false << "datei testbetrieb modem";
        QTest::newRow("Modemfenster zu, Bus belegt") << B::Modem << M::Beendet << true << "datei testbetrieb modem";
    }
    void freigabe()
    {
        Menuelage lage;
        QString erwartet;
        std::tie(lage.betrieb, lage.modem, lage.busBelegt, erwartet) =
            werte<Menuelage::Betrieb, Menuelage::Modem, bool, QString>("betrieb", "modem", "belegt", "erwartet");
        QCOMPARE(frei(Menuefreigabe::fuer(lage)), erwartet.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    }
};

PORTAVO_TESTKLASSE(TestMenuefreigabe)
#include "tst_menuefreigabe.moc"
