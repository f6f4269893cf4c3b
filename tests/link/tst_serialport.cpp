// SerialPort on a pseudo-terminal made by the test.

#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "link/LineSettings.h"
#include "link/SerialPort.h"
#include "link/Verbindung.h"
#include "base/Zustand.h"

#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The master side of a pseudo-terminal; the port under test opens the slave.
struct Pty {
    int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    QString slave = fd >= 0 && ::grantpt(fd) == 0 && ::unlockpt(fd) == 0 ? QString::fromLocal8Bit(::ptsname(fd))
                                                                        : QString();
    ~Pty() { schliessen(); }
    void schliessen()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    // Whatever the slave wrote, collected until n bytes are there (or 5 s passed).
    QByteArray lies(int n)
    {
        QByteArray alles;
        (void)QTest::qWaitFor([&] {
            char buf[4096];
            const ssize_t r = ::read(fd, buf, sizeof buf);
            if (r > 0)
                alles.append(buf, int(r));
            return alles.size() >= n;
        }, 5000);
        return alles;
    }
    // The line settings as the slave has set them (the pair shares them).
    termios attr() const
    {
        termios t{};
        ::tcgetattr(fd, &t);
        return t;
    }
    speed_t tempo() const
    {
        const termios t = attr();
        return ::cfgetospeed(&t);
    }
};

}  // namespace

class TestSerialPort : public QObject {
    Q_OBJECT
private slots:
    void einstellungenLesen_data()
    {
        // normal: the settings as the port keeps them; empty: refused
        spalten<QString, QString>("text", "normal");
        QTest::newRow("2400") << "2400,n,8,1" << "2400,n,8,1";
        QTest::newRow("gerade, 7, 2") << "9600,E,7,2" << "9600,e,7,2";
        QTest::newRow("anderthalb") << " 1200 , o , 5 , 1.5 " << "1200,o,5,1.5";
        QTest::newRow("mark") << "300,m,6,1" << "300,m,6,1";
        QTest::newRow("space") << "300,s,8,1" << "300,s,8,1";
        for (const char *falsch : {"", "19200,n,8", "19200,n,8,1,x", "19200,x,8,1", "19200,no,8,1", "19200,n,9,1",
                                   "19200,n,4,1", "19200,n,8,3", "0,n,8,1", "-2400,n,8,1", "fast,n,8,1",
                                   "0x960,n,8,1"})
            QTest::newRow(falsch) << falsch << QString();
    }

    void einstellungenLesen()
    {
        const auto [text, normal] = werte<QString, QString>("text", "normal");
        const auto s = LineSettings::parse(text);
        QCOMPARE(bool(s), !normal.isEmpty());
        if (s)
            QCOMPARE(s->toString(), normal);
        // A port refuses the same strings and keeps what it had.
        SerialPort p;
        QVERIFY(p.setSettings("4800,n,8,1"));
        QCOMPARE(p.setSettings(text), !normal.isEmpty());
        QCOMPARE(p.settings(), normal.isEmpty() ? QStringLiteral("4800,n,8,1") : normal);
    }

    // A port in use by another: the command line's portBelegt.
    void oeffnungsfehler()
    {
        using F = Port::Oeffnungsfehler;
        QCOMPARE(SerialPort::einordnen(QSerialPort::DeviceNotFoundError, true), F::GibtEsNicht);
        QCOMPARE(SerialPort::einordnen(QSerialPort::PermissionError, false), F::KeineBerechtigung);
        QCOMPARE(SerialPort::einordnen(QSerialPort::OpenError, true), F::Sonstiger);

        SerialPort p;
        QVERIFY(!p.open());  // no device set
        QCOMPARE(p.letzterFehler(), F::GibtEsNicht);
        p.setDevice(QStringLiteral("/dev/portavo-gibt-es-nicht"));
        QVERIFY(!p.open());
        QCOMPARE(p.letzterFehler(), F::GibtEsNicht);
        QVERIFY(!p.fehlertext().isEmpty());
    }

    // Both directions raw; a change of speed holds at once.
    void verkehrUndGeschwindigkeit()
    {
        Pty pty;
        SerialPort p;
        p.setDevice(pty.slave);
        QVERIFY(p.setSettings("19200,n,8,1"));
        // DTR and RTS fail on a pseudo-terminal; the port is open all the same.
        QVERIFY(p.open());
        QCOMPARE(pty.tempo(), speed_t(B19200));
        QCOMPARE(pty.attr().c_cflag & (PARENB | CSIZE | CSTOPB | CRTSCTS), tcflag_t(CS8));
        p.setDtr(true);
        p.setRts(true);
        QVERIFY(p.open());  // already open: fine
        Zustand z;
        Verbindung v(z);
        v.setPort(&p);
        QSignalSpy gesendet(&p, &Port::gesendet);
        z.terminal.adresse = 1;
        QVERIFY(v.sendeAnfrage("E"));
        QCOMPARE(pty.lies(5).toHex(), QByteArray("0201450347"));
        QTRY_VERIFY(!gesendet.isEmpty());
        QTRY_COMPARE(p.bytesToWrite(), qint64(0));

        // Every byte value comes through unchanged: the port is raw.
        QByteArray alle(256, 0);
        for (int i = 0; i < 256; ++i)
            alle[i] = char(i);
        QCOMPARE(::write(pty.fd, alle.constData(), 256), ssize_t(256));
        QTRY_COMPARE(int(v.ablage().zahl()), 256);
        QCOMPARE(v.ablage().abschnitt(0, 256), alle);

        // Bytes already written go out at the old speed, the new one holds at once.
        p.write("U24###");
        p.drain();
        QCOMPARE(p.bytesToWrite(), qint64(0));
        QVERIFY(p.setSettings("2400,n,8,1"));
        QCOMPARE(pty.tempo(), speed_t(B2400));
        QCOMPARE(p.baud(), 2400);
        QCOMPARE(pty.lies(6), QByteArray("U24###"));

        // A pseudo-terminal takes no parity: refused as a whole, nothing changes.
        QVERIFY(!p.setSettings("9600,e,7,2"));
        QCOMPARE(p.settings(), QStringLiteral("2400,n,8,1"));
        QCOMPARE(pty.tempo(), speed_t(B2400));
        QVERIFY(p.isOpen());

        // Settings made while closed take effect at the next open.
        p.close();
        QVERIFY(p.setSettings("19200,n,8,1") && p.open());
        QCOMPARE(pty.tempo(), speed_t(B19200));
    }

    void geraetWeg()
    {
        SerialPort p;
        Zustand z;
        Verbindung v(z);
        v.setPort(&p);
        z.terminal.adresse = 1;
        QSignalSpy portVerloren(&p, &Port::verloren);
        QSignalSpy verloren(&v, &Verbindung::portVerloren);
        // Twice with the same port object: each new device's loss is reported once.
        for (int runde = 1; runde <= 2; ++runde) {
            Pty pty;
            p.setDevice(pty.slave);
            QVERIFY(p.open() && v.sendeAnfrage("E"));
            QCOMPARE(pty.lies(5).toHex(), QByteArray("0201450347"));
            pty.schliessen();
            QTRY_COMPARE(verloren.size(), runde);
            QVERIFY(!p.isOpen());
            QCOMPARE(portVerloren.size(), runde);
        }
        // Writing to the lost port is harmless.
        p.write("x");
        QCOMPARE(p.bytesToWrite(), qint64(0));
        QVERIFY(p.readAll().isEmpty());
    }
};

PORTAVO_TESTKLASSE(TestSerialPort)
#include "tst_serialport.moc"
