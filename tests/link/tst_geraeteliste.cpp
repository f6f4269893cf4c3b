// The stable name of a serial device and the port map entries that name it, on a folder of links
// laid out as udev lays out /dev/serial/by-id.

#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "link/Geraeteliste.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestGeraeteliste : public QObject {
    Q_OBJECT
    QTemporaryDir m_wurzel;
    QString pfad(const QString &name) const { return name.isEmpty() ? name : m_wurzel.filePath(name); }
    QString byId() const { return m_wurzel.filePath("by-id"); }

private slots:
    void initTestCase()
    {
        QDir d(m_wurzel.path());
        QVERIFY(d.mkpath("dev") && d.mkpath("by-id") && d.mkpath("andere"));
        for (const char *geraet : {"dev/ttyUSB0", "dev/ttyUSB1", "dev/ttyS0"}) {
            QFile f(pfad(geraet));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        // udev's links are relative; a link may also be absolute, dangle, or be reached through another link.
        QVERIFY(QFile::link("../dev/ttyUSB1", pfad("by-id/usb-FTDI_FT232R_A10K1234-if00-port0")));
        QVERIFY(QFile::link(pfad("dev/ttyUSB0"), pfad("by-id/usb-Prolific_PL2303-if00-port0")));
        QVERIFY(QFile::link("../dev/ttyUSB9", pfad("by-id/usb-weg-if00-port0")));
        QVERIFY(QFile::link("../by-id/usb-FTDI_FT232R_A10K1234-if00-port0", pfad("andere/bus")));
    }

    void stabilerName_data()
    {
        spalten<QString, QString>("name", "stabil");
        const QString ftdi = "by-id/usb-FTDI_FT232R_A10K1234-if00-port0";
        QTest::newRow("relativer Link") << "dev/ttyUSB1" << ftdi;
        QTest::newRow("absoluter Link") << "dev/ttyUSB0" << "by-id/usb-Prolific_PL2303-if00-port0";
        QTest::newRow("kein Link") << "dev/ttyS0" << "";
        QTest::newRow("Geraet fehlt, Link haengt") << "dev/ttyUSB9" << "";
        QTest::newRow("schon stabil") << ftdi << ftdi;
        QTest::newRow("ueber einen anderen Link") << "andere/bus" << ftdi;
        QTest::newRow("leer") << "" << "";
    }
    void stabilerName()
    {
        const auto [name, stabil] = werte<QString, QString>("name", "stabil");
        QCOMPARE(Geraeteliste::stabilerName(pfad(name), byId()), pfad(stabil));
    }

    void portnummern_data()
    {
        spalten<QString, QVector<int>>("name", "nummern");
        QTest::newRow("Geraet, direkt und ueber Link") << "dev/ttyUSB1" << QVector<int>{1, 2, 6};
        QTest::newRow("stabiler Name") << "by-id/usb-FTDI_FT232R_A10K1234-if00-port0" << QVector<int>{1, 2, 6};
        QTest::newRow("absoluter Link") << "dev/ttyUSB0" << QVector<int>{3};
        QTest::newRow("fehlt, nur derselbe Pfad") << "dev/ttyUSB9" << QVector<int>{4};
        QTest::newRow("in keinem Eintrag") << "dev/ttyS0" << QVector<int>{};
    }
    void portnummern()
    {
        const auto [name, nummern] = werte<QString, QVector<int>>("name", "nummern");
        const QStringList karte{"dev/ttyUSB1", "by-id/usb-FTDI_FT232R_A10K1234-if00-port0",
                                "by-id/usb-Prolific_PL2303-if00-port0", "dev/ttyUSB9", "", "andere/bus",
                                "by-id/usb-weg-if00-port0"};
        const auto eintrag = [&](int n) { return pfad(karte.value(n - 1)); };
        QCOMPARE(Geraeteliste::portnummern(pfad(name), eintrag), nummern);
    }
};

PORTAVO_TESTKLASSE(TestGeraeteliste)
#include "tst_geraeteliste.moc"
