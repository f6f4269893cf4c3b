// A lost adapter opened again when it is back, under its old or another device name, and never
// another device in its place.

#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "support/FakePort.h"
#include "support/Testhilfe.h"
#include "link/Wiederanschluss.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// "device|serial|stable name|usb" -> a listed device.
QVector<Geraeteliste::Geraet> liste(const QStringList &zeilen, const QString &ordner = {})
{
    QVector<Geraeteliste::Geraet> l;
    for (const QString &z : zeilen) {
        const QStringList f = z.split('|');
        const auto pfad = [&](const QString &s) { return s.isEmpty() || ordner.isEmpty() ? s : ordner + '/' + s; };
        l.append({pfad(f.value(0)), "USB-RS485", "FTDI", f.value(1), pfad(f.value(2)), f.value(3) == "usb"});
    }
    return l;
}
const QString Link = QStringLiteral("by-id/usb-FTDI_A1-if00-port0");
}  // namespace

class TestWiederanschluss : public QObject {
    Q_OBJECT
private slots:
    void entscheide_data()
    {
        spalten<QString, QString, QString, QStringList, QString>("name", "serie", "stabil", "jetzt", "oeffnen");
        const QString usb0 = "ttyUSB0";
        QTest::newRow("derselbe Link, anderes Geraet") << usb0 << "A1" << Link << QStringList{"ttyUSB1|A1|" + Link + "|usb"} << "ttyUSB1";
        QTest::newRow("ueber den Link geoeffnet") << Link << "A1" << Link << QStringList{"ttyUSB1|A1|" + Link + "|usb"} << Link;
        QTest::newRow("nur die Seriennummer") << usb0 << "A1" << "" << QStringList{"ttyS0||", "ttyUSB3|A1||usb"} << "ttyUSB3";
        QTest::newRow("Link ohne Seriennummer") << usb0 << "" << Link << QStringList{"ttyUSB2||" + Link + "|usb"} << "ttyUSB2";
        QTest::newRow("anderer Adapter") << usb0 << "A1" << Link << QStringList{"ttyUSB0|B2|by-id/usb-B2|usb"} << "";
        QTest::newRow("noch nicht zurueck") << usb0 << "A1" << Link << QStringList{} << "";
        QTest::newRow("nichts bekannt") << usb0 << "" << "" << QStringList{"ttyUSB0|||usb"} << "";
        QTest::newRow("zwei mit derselben Seriennummer") << usb0 << "A1" << "" << QStringList{"ttyUSB1|A1||usb", "ttyUSB2|A1||usb"} << "";
        QTest::newRow("Seriennummer ohne USB") << usb0 << "A1" << "" << QStringList{"ttyS0|A1||"} << "";
    }
    void entscheide()
    {
        const auto [name, serie, stabil, jetzt, oeffnen] =
            werte<QString, QString, QString, QStringList, QString>("name", "serie", "stabil", "jetzt", "oeffnen");
        QCOMPARE(Wiederanschluss::entscheide({name, serie, stabil}, liste(jetzt)), oeffnen);
    }

    // The watcher on a port: the identity noted while the adapter is there, the loss, looks at the list
    // on its timer until the adapter is back, never opening another; refused at first (rights not yet
    // given), it tries again (opened at once and said once: the replug scenario of TestHauptfenster).
    // Nothing looked for when nothing tells the adapter apart.
    void nachVerlust_data()
    {
        spalten<QString>("vorher");
        QTest::newRow("Rechte erst spaeter") << "ttyUSB0|A1|" + Link + "|usb";
        QTest::newRow("Geraet ohne Kennung") << "ttyUSB0|||usb";
    }
    void nachVerlust()
    {
        const auto [vorher] = werte<QString>("vorher");
        QTemporaryDir dev;
        QVERIFY(QDir(dev.path()).mkdir("by-id"));
        QVERIFY(schreib(dev.filePath("ttyUSB0"), QByteArray()));
        FakePort port;
        port.setDevice(dev.filePath("ttyUSB0"));
        QVERIFY(port.open());
        Wiederanschluss w(port);
        QStringList jetzt{vorher};
        int geschaut = 0;
        w.setGeraeteliste([&] { return ++geschaut, liste(jetzt, dev.path()); });
        QSignalSpy da(&w, &Wiederanschluss::wiederDa);
        w.merken();
        port.loseDevice();
        QVERIFY(!port.isOpen());
        QCOMPARE(w.suchtNoch(), vorher.contains("A1"));
        if (!w.suchtNoch())
            return;
        jetzt.clear();  // gone from the list as well
        QTRY_VERIFY(geschaut >= 3);
        port.setOpenFailure(Port::Oeffnungsfehler::KeineBerechtigung);
        jetzt = QStringList{"ttyS0|||", "ttyUSB2|B2|by-id/usb-B2|usb", "ttyUSB1|A1|" + Link + "|usb"};
        const int bisher = geschaut;
        QTRY_VERIFY(geschaut >= bisher + 2);  // found, refused, found again
        QVERIFY(!port.isOpen() && w.suchtNoch() && da.isEmpty());
        port.setOpenFailure(Port::Oeffnungsfehler::Keiner);
        QTRY_VERIFY(port.isOpen());
        QCOMPARE(port.device(), dev.filePath("ttyUSB1"));
        QCOMPARE(da.size(), 1);
        QCOMPARE(da.first().first().toString(), port.device());
        QVERIFY(!w.suchtNoch() && !port.dtr() && !port.rts());
    }
};

PORTAVO_TESTKLASSE(TestWiederanschluss)
#include "tst_wiederanschluss.moc"
