// SerialPort on a pseudo-terminal made by the test: settings, open errors,
// modem lines, traffic in both directions, speed change, device loss.

#include "link/LineSettings.h"
#include "link/SerialPort.h"
#include "link/Verbindung.h"
#include "shell/Zustand.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The master side of a pseudo-terminal; the port under test opens the slave.
class Pty {
public:
    Pty()
    {
        m_fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd >= 0 && ::grantpt(m_fd) == 0 && ::unlockpt(m_fd) == 0)
            m_slave = QString::fromLocal8Bit(::ptsname(m_fd));
    }
    ~Pty() { schliessen(); }
    bool ok() const { return m_fd >= 0 && !m_slave.isEmpty(); }
    QString slave() const { return m_slave; }
    void schliessen()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    void schreibe(const QByteArray &b) { QCOMPARE(::write(m_fd, b.constData(), size_t(b.size())), ssize_t(b.size())); }
    // Whatever the slave wrote, collected until n bytes are there or time is up.
    QByteArray lies(int n, int ms = 2000)
    {
        QByteArray alles;
        QElapsedTimer t;
        t.start();
        while (alles.size() < n && t.elapsed() < ms) {
            char buf[4096];
            const ssize_t r = ::read(m_fd, buf, sizeof buf);
            if (r > 0)
                alles.append(buf, int(r));
            else
                QTest::qWait(5);
        }
        return alles;
    }
    // Line speed as the slave has set it (the pair shares its settings).
    speed_t geschwindigkeit() const
    {
        termios t{};
        ::tcgetattr(m_fd, &t);
        return ::cfgetospeed(&t);
    }
    tcflag_t cflag() const
    {
        termios t{};
        ::tcgetattr(m_fd, &t);
        return t.c_cflag;
    }

private:
    int m_fd = -1;
    QString m_slave;
};

double cpuSekunden()
{
    rusage r{};
    ::getrusage(RUSAGE_SELF, &r);
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

}  // namespace

class TestSerialPort : public QObject {
    Q_OBJECT
private slots:
    void einstellungenLesen_data();
    void einstellungenLesen();
    void fehlerEinordnen();
    void gibtEsNicht();
    void keineBerechtigung();
    void oeffnenOhneModemleitungen();
    void belegt();
    void verkehrInBeidenRichtungen();
    void geschwindigkeitSofort();
    void geraetWeg();
    void verbindungMeldetVerlustEinmal();
};

void TestSerialPort::einstellungenLesen_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("gueltig");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QString>("normal");
    QTest::newRow("19200") << "19200,n,8,1" << true << 19200 << "19200,n,8,1";
    QTest::newRow("2400") << "2400,n,8,1" << true << 2400 << "2400,n,8,1";
    QTest::newRow("gerade, 7, 2") << "9600,E,7,2" << true << 9600 << "9600,e,7,2";
    QTest::newRow("anderthalb") << " 1200 , o , 5 , 1.5 " << true << 1200 << "1200,o,5,1.5";
    QTest::newRow("mark") << "300,m,6,1" << true << 300 << "300,m,6,1";
    QTest::newRow("space") << "300,s,8,1" << true << 300 << "300,s,8,1";
    QTest::newRow("leer") << "" << false << 0 << "";
    QTest::newRow("drei Felder") << "19200,n,8" << false << 0 << "";
    QTest::newRow("fuenf Felder") << "19200,n,8,1,x" << false << 0 << "";
    QTest::newRow("Paritaet x") << "19200,x,8,1" << false << 0 << "";
    QTest::newRow("Paritaet lang") << "19200,no,8,1" << false << 0 << "";
    QTest::newRow("9 Datenbits") << "19200,n,9,1" << false << 0 << "";
    QTest::newRow("4 Datenbits") << "19200,n,4,1" << false << 0 << "";
    QTest::newRow("3 Stoppbits") << "19200,n,8,3" << false << 0 << "";
    QTest::newRow("Baud 0") << "0,n,8,1" << false << 0 << "";
    QTest::newRow("Baud negativ") << "-2400,n,8,1" << false << 0 << "";
    QTest::newRow("Baud Text") << "fast,n,8,1" << false << 0 << "";
    QTest::newRow("Baud Hex") << "0x960,n,8,1" << false << 0 << "";
}

void TestSerialPort::einstellungenLesen()
{
    QFETCH(QString, text);
    QFETCH(bool, gueltig);
    QFETCH(int, baud);
    QFETCH(QString, normal);
    const auto s = LineSettings::parse(text);
    QCOMPARE(bool(s), gueltig);
    if (s) {
        QCOMPARE(s->baud, baud);
        QCOMPARE(s->toString(), normal);
    }
    // A port refuses the same strings and keeps what it had.
    SerialPort p;
    QVERIFY(p.setSettings("4800,n,8,1"));
    QCOMPARE(p.setSettings(text), gueltig);
    QCOMPARE(p.settings(), gueltig ? normal : QStringLiteral("4800,n,8,1"));
}

void TestSerialPort::fehlerEinordnen()
{
    using F = Port::Oeffnungsfehler;
    QCOMPARE(SerialPort::einordnen(QSerialPort::DeviceNotFoundError, true), F::GibtEsNicht);
    QCOMPARE(SerialPort::einordnen(QSerialPort::PermissionError, false), F::KeineBerechtigung);
    QCOMPARE(SerialPort::einordnen(QSerialPort::PermissionError, true), F::Belegt);
    QCOMPARE(SerialPort::einordnen(QSerialPort::OpenError, true), F::Sonstiger);
    QCOMPARE(SerialPort::einordnen(QSerialPort::UnknownError, false), F::Sonstiger);
}

void TestSerialPort::gibtEsNicht()
{
    SerialPort p;
    p.setDevice(QStringLiteral("/dev/portavo-gibt-es-nicht"));
    QVERIFY(!p.open());
    QVERIFY(!p.isOpen());
    QCOMPARE(p.letzterFehler(), Port::Oeffnungsfehler::GibtEsNicht);
    QVERIFY(!p.fehlertext().isEmpty());
    SerialPort leer;
    QVERIFY(!leer.open());
    QCOMPARE(leer.letzterFehler(), Port::Oeffnungsfehler::GibtEsNicht);
}

void TestSerialPort::keineBerechtigung()
{
    if (::geteuid() == 0)
        QSKIP("root may open any device");
    QTemporaryDir dir;
    const QString pfad = dir.filePath(QStringLiteral("tty"));
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QVERIFY(f.setPermissions(QFileDevice::Permissions()));
    SerialPort p;
    p.setDevice(pfad);
    QVERIFY(!p.open());
    QCOMPARE(p.letzterFehler(), Port::Oeffnungsfehler::KeineBerechtigung);
}

void TestSerialPort::oeffnenOhneModemleitungen()
{
    Pty pty;
    QVERIFY(pty.ok());
    SerialPort p;
    QSignalSpy verloren(&p, &Port::verloren);
    p.setDevice(pty.slave());
    // DTR and RTS fail on a pseudo-terminal; the port is open all the same.
    QVERIFY(p.open());
    QVERIFY(p.isOpen());
    QCOMPARE(p.letzterFehler(), Port::Oeffnungsfehler::Keiner);
    p.setDtr(true);
    p.setRts(true);
    QTest::qWait(50);
    QVERIFY(p.isOpen());
    QCOMPARE(verloren.size(), 0);
    QVERIFY(p.open());  // already open: fine
    p.close();
    QVERIFY(!p.isOpen());
    QVERIFY(p.open());  // and again
}

void TestSerialPort::belegt()
{
    Pty pty;
    QVERIFY(pty.ok());
    SerialPort erster;
    erster.setDevice(pty.slave());
    QVERIFY(erster.open());
    SerialPort zweiter;
    zweiter.setDevice(pty.slave());
    QVERIFY(!zweiter.open());
    QCOMPARE(zweiter.letzterFehler(), Port::Oeffnungsfehler::Belegt);
    erster.close();
    QVERIFY(zweiter.open());
}

void TestSerialPort::verkehrInBeidenRichtungen()
{
    Pty pty;
    QVERIFY(pty.ok());
    SerialPort p;
    p.setDevice(pty.slave());
    QVERIFY(p.open());
    Zustand z;
    Verbindung v(z);
    v.setPort(&p);
    QSignalSpy gesendet(&p, &Port::gesendet);

    z.Adresse = 1;
    z.Befehl = "E";
    QVERIFY(v.sendeAnfrage());
    QCOMPARE(pty.lies(5).toHex(), QByteArray("0201450347"));
    QTRY_VERIFY(!gesendet.isEmpty());
    QTRY_COMPARE(p.bytesToWrite(), qint64(0));

    // Every byte value comes through unchanged: the port is raw.
    QByteArray alle(256, 0);
    for (int i = 0; i < 256; ++i)
        alle[i] = char(i);
    QSignalSpy empfangen(&v, &Verbindung::empfangen);
    pty.schreibe(alle);
    QTRY_COMPARE(int(z.Empfangszahl), 256);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(z.Empfangsbytes.data()), 256), alle);
    QVERIFY(!empfangen.isEmpty());
}

void TestSerialPort::geschwindigkeitSofort()
{
    Pty pty;
    QVERIFY(pty.ok());
    SerialPort p;
    p.setDevice(pty.slave());
    QVERIFY(p.setSettings("19200,n,8,1"));
    QVERIFY(p.open());
    QCOMPARE(pty.geschwindigkeit(), speed_t(B19200));
    QCOMPARE(pty.cflag() & (PARENB | CSIZE | CSTOPB | CRTSCTS), tcflag_t(CS8));

    p.write("U24###");
    p.drain();
    QCOMPARE(p.bytesToWrite(), qint64(0));
    QVERIFY(p.setSettings("2400,n,8,1"));
    QCOMPARE(pty.geschwindigkeit(), speed_t(B2400));
    QCOMPARE(p.baud(), 2400);
    QCOMPARE(pty.lies(6), QByteArray("U24###"));

    // A pseudo-terminal takes no parity: refused as a whole, nothing changes.
    QVERIFY(!p.setSettings("9600,e,7,2"));
    QCOMPARE(p.settings(), QStringLiteral("2400,n,8,1"));
    QCOMPARE(pty.geschwindigkeit(), speed_t(B2400));
    QVERIFY(p.isOpen());

    // Settings made while closed take effect at the next open.
    p.close();
    QVERIFY(p.setSettings("19200,n,8,1"));
    QVERIFY(p.open());
    QCOMPARE(pty.geschwindigkeit(), speed_t(B19200));
}

void TestSerialPort::geraetWeg()
{
    auto pty = std::make_unique<Pty>();
    QVERIFY(pty->ok());
    SerialPort p;
    p.setDevice(pty->slave());
    QVERIFY(p.open());
    QSignalSpy verloren(&p, &Port::verloren);
    QSignalSpy ereignis(&p, &Port::ereignis);
    pty->schreibe("vorher");
    QTRY_VERIFY(!ereignis.isEmpty());
    p.readAll();

    pty->schliessen();
    QVERIFY(verloren.wait(2000));
    QVERIFY(!p.isOpen());
    // No flood afterwards: the process stays mostly idle.
    const double cpu0 = cpuSekunden();
    QTest::qWait(500);
    const double cpu = cpuSekunden() - cpu0;
    QVERIFY2(cpu < 0.25, qPrintable(QStringLiteral("CPU %1 s in 0.5 s").arg(cpu)));
    QCOMPARE(verloren.size(), 1);
    // Writing to the lost port is harmless.
    p.write("x");
    QCOMPARE(p.bytesToWrite(), qint64(0));
    QVERIFY(p.readAll().isEmpty());
}

void TestSerialPort::verbindungMeldetVerlustEinmal()
{
    auto pty = std::make_unique<Pty>();
    QVERIFY(pty->ok());
    SerialPort p;
    p.setDevice(pty->slave());
    QVERIFY(p.open());
    Zustand z;
    Verbindung v(z);
    v.setPort(&p);
    QSignalSpy verloren(&v, &Verbindung::portVerloren);
    z.Adresse = 1;
    z.Befehl = "E";
    v.sendeAnfrage();
    pty.reset();
    QVERIFY(verloren.wait(2000));
    QTest::qWait(300);
    QCOMPARE(verloren.size(), 1);
    // A new device later: the same port object opens again and reports a
    // second loss once more.
    Pty zweites;
    QVERIFY(zweites.ok());
    p.setDevice(zweites.slave());
    QVERIFY(p.open());
    v.sendeAnfrage();
    QCOMPARE(zweites.lies(5).toHex(), QByteArray("0201450347"));
    zweites.schliessen();
    QTRY_COMPARE(verloren.size(), 2);
    QTest::qWait(200);
    QCOMPARE(verloren.size(), 2);
}

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
