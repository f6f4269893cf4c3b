// The simulated bus seen from the PC side with bytes computed here: the terminal model in-process
// (SimBus), and portavo-sim over a pseudo-terminal for what only the program does.
#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "support/SimBus.h"
#include "support/Testhilfe.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <array>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

const char STX = 0x02, ETX = 0x03, ACK = 0x06, NAK = 0x15;

char xorVon(const QByteArray &b)
{
    char x = 0;
    for (char c : b)
        x ^= c;
    return x;
}
// STX, body, ETX and the check byte over body and ETX.
QByteArray rahmen(const QByteArray &rumpf) { return STX + rumpf + ETX + xorVon(rumpf + ETX); }
QByteArray tel(int adresse, const QByteArray &befehl) { return rahmen(char(adresse) + befehl); }

// A memory image with every kind of byte; password 203000 in 5..7, address and protocol in 8 and 10.
QByteArray abbild(int adresse, int protokoll = 0, const QByteArray &passwort = QByteArray("\x02\x03\x00", 3))
{
    QByteArray m(2048, 0);
    for (int i = 0; i < 2048; ++i)
        m[i] = char((i * 37 + 11) & 0xFF);
    m.replace(5, 3, passwort);
    m[8] = char(adresse);
    m[10] = char(protokoll);
    return m;
}
QByteArray abbildJson(const QByteArray &m)
{
    QJsonArray a;
    for (char c : m)
        a.append(int(quint8(c)));
    return QJsonDocument(a).toJson(QJsonDocument::Compact);
}
QByteArray hauptdatei(const QByteArray &m) { return ::hauptdatei([&](int i) { return int(quint8(m[i])); }); }
// The read-out answer: each memory byte as two characters, low nibble first.
QByteArray auslesung(int adresse, int protokoll, const QByteArray &m, bool pruefbyteFalsch = false)
{
    QByteArray d;
    for (char c : m)
        d += QByteArray() + char(0x30 | (c & 0x0F)) + char(0x30 | ((c >> 4) & 0x0F));
    const char falsch = pruefbyteFalsch ? char(0xFF) : char(0);
    if (protokoll == 1)
        return QByteArray("\x02\x06\x03\x05\x02", 5) + d + ETX + char(xorVon(d + ETX) ^ falsch);
    return QByteArray(1, STX) + char(adresse) + 'E' + d + ETX + char(xorVon('E' + d + ETX) ^ falsch);
}
const QByteArray P123456("P0\x21\x43\x65", 5), P203000("P0\x02\x03\x00", 5);
QByteArray jn(int adresse, bool ja, int protokoll = 0)
{
    return rahmen(char(adresse) + QByteArray(protokoll == 1 ? "P00" : "P") + (ja ? 'J' : 'N'));
}

struct Schritt {
    QByteArray senden;
    QByteArray antwort;  // after the echo
    int baud = 19200;
    QString notiz;       // the model notes this once more before the next step
};
Schritt s(const QByteArray &senden, const QByteArray &antwort = {}, int baud = 19200, const QString &notiz = {})
{
    return {senden, antwort, baud, notiz};
}

// portavo-sim on its pseudo-terminal, opened raw; its state folder is dir.
struct Programm {
    QTemporaryDir dir;
    QProcess proc;
    QString device;
    int fd = -1;
    bool aufgelegt = false;
    ~Programm()
    {
        ::close(fd);
        proc.kill();
        proc.waitForFinished(3000);
    }
    bool start(const QByteArray &szenario, QStringList args = {})
    {
        if (!szenario.isEmpty() && schreib(dir.filePath("szenario.json"), szenario))
            args << "--scenario" << dir.filePath("szenario.json");
        proc.setStandardErrorFile(dir.filePath("sim.err"));
        proc.start(qEnvironmentVariable("PORTAVO_SIM"), args << "--state-dir" << dir.path());
        if (!QTest::qWaitFor([this] { return proc.canReadLine() || proc.state() == QProcess::NotRunning; }, 10000))
            return false;
        device = QString::fromLocal8Bit(proc.readLine()).trimmed();
        fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        return fd >= 0 && baud(19200);
    }
    bool baud(int b)
    {
        termios t{};
        cfmakeraw(&t);
        cfsetspeed(&t, b == 2400 ? B2400 : B19200);
        return tcsetattr(fd, TCSANOW, &t) == 0;
    }
    void senden(const QByteArray &b)
    {
        for (qint64 fertig = 0; fertig < b.size(); ::poll(std::array{pollfd{fd, POLLOUT, 0}}.data(), 1, 100))
            fertig += qMax<ssize_t>(0, ::write(fd, b.constData() + fertig, size_t(b.size() - fertig)));
    }
    // Reads until n bytes are in or the other side hangs up.
    QByteArray lesen(int n)
    {
        QByteArray da;
        (void)QTest::qWaitFor([&] {
            char buf[8192];
            const ssize_t r = ::read(fd, buf, sizeof buf);
            da.append(buf, int(qMax<ssize_t>(r, 0)));
            aufgelegt = r == 0 || (r < 0 && errno != EAGAIN);
            return da.size() >= n || aufgelegt;
        }, 10000);
        return da;
    }
    QByteArray datei(const QString &name) const { return lies(dir.filePath(name)); }
};

}  // namespace

Q_DECLARE_METATYPE(Schritt)

class TestPortavoSim : public QObject {
    Q_OBJECT

private slots:
    void modell_data()
    {
        // speicher: that terminal's memory afterwards; empty: not checked
        spalten<QByteArray, QList<Schritt>, int, QByteArray>("terminals", "schritte", "adresse", "speicher");
        QByteArray falsch5 = tel(5, "X");
        falsch5[4] = char(falsch5[4] ^ 1);
        // Requests to 88 and 89 end in a check byte of 0x03 and 0x02.
        QTest::newRow("Kennung je Protokoll")
            << QByteArray(R"([{"address": 5}, {"address": 6, "protocol": 1}, {"address": 9, "protocol": 3},
                             {"address": 88}, {"address": 89}])")
            << QList<Schritt>{s(tel(5, "X"), tel(5, "X@")), s(tel(6, "X"), tel(6, "X00A")), s(tel(9, "X"), tel(9, "XC")),
                              s(tel(88, "X"), tel(88, "X@")), s(tel(89, "X"), tel(89, "X@")), s(tel(2, "X")),
                              s(tel(255, "X")), s(tel(0, "X")), s(falsch5)}
            << 0 << QByteArray();
        for (int p : {0, 1})
            QTest::addRow("Auslesen Protokoll %d", p)
                << "[{\"address\": 4, \"protocol\": " + QByteArray::number(p) + ", \"image\": "
                       + abbildJson(abbild(99, 99)) + "}]"
                << QList<Schritt>{s(ACK + tel(4, "E")),  // not without a login
                                  s(tel(4, P203000), jn(4, true, p)),
                                  s(ACK + tel(4, "E"), auslesung(4, p, abbild(4, p)))}
                << 4 << hauptdatei(abbild(4, p));
        // Status with its 6th character, skimming, a misread (protocol 0: the command-line test mode).
        QTest::newRow("Testbetrieb Protokoll 1")
            << QByteArray(R"([{"address": 2, "protocol": 1, "events": [{"type": "skimming"},
                                                                      {"type": "misread", "afterPolls": 1}]}])")
            << QList<Schritt>{s(tel(2, "S"), tel(2, "S00\x50")), s(QByteArray(1, ACK)), s(tel(2, "S"), tel(2, "S00\x44")),
                              s(QByteArray(1, ACK)),
                              s(tel(2, "LC"), tel(2, "LC000" + QByteArray("1234??7890123").leftJustified(25)))}
            << 0 << QByteArray();
        QTest::newRow("Stoerungen")
            << QByteArray(R"([{"address": 1, "faults": [{"type": "drop", "command": "X", "count": 1}]},
                             {"address": 2, "faults": [{"type": "noise", "command": "X", "bytes": [255, 0]}]},
                             {"address": 3, "image": )") + abbildJson(abbild(3)) + R"(, "faults": [{"type": "badCheck", "command": "E"},
                                             {"type": "silence", "command": "V", "afterBytes": 4}]}])"
            << QList<Schritt>{s(tel(1, "X")), s(tel(1, "X"), tel(1, "X@")), s(tel(2, "X"), "\xFF" + QByteArray(1, 0) + tel(2, "X@")),
                              s(tel(3, "V"), tel(3, "VVer 3.12 TS 1 04").left(4)), s(tel(3, P203000), jn(3, true)),
                              s(ACK + tel(3, "E"), auslesung(3, 0, abbild(3), true))}
            << 0 << QByteArray();
        const QByteArray neu = abbild(1, 0, "\x21\x43\x65");
        const QByteArray schreiben = ACK + tel(1, "D") + "U24###";
        // A refused block: no telegram answered, a lone STX gets NAK, each triple ACK STX 0xFF; the
        // whole block at 2400 after a wake-up repairs it.
        QByteArray kaputt = rahmen(neu);
        kaputt[2050] = char(kaputt[2050] ^ 0x01);
        QTest::newRow("Block verweigert, Reparatur")
            << QByteArray(R"([{"address": 1}])")
            << QList<Schritt>{s(tel(1, P123456), jn(1, true)), s(schreiben),
                              s(rahmen(neu), {}, 19200, "not at 2400 baud"), s(tel(1, "X"), {}, 19200, "after 5 bytes"),
                              s(QByteArray(1, STX), QByteArray(1, NAK)),
                              s(rahmen(neu).left(1000), {}, 2400, "broke off after 1000 bytes"),
                              s(kaputt, {}, 2400, "wrong check byte"), s("111", "\x06\x02\xFF"), s("222", "\x06\x02\xFF"),
                              s(tel(1, "X"), {}, 19200, "after 5 bytes"), s("33"), s("444", {}, 2400), s(QByteArray(1, STX), QByteArray(1, NAK)),
                              s(rahmen(neu), "U19###", 2400), s("555"), s(tel(1, "X"), tel(1, "X@"))}
            << 1 << hauptdatei(neu);
        // Variant M takes "d" and its block at 19200; a telegram to another terminal inside stays the block's.
        QByteArray m = neu;
        m.replace(300, 5, tel(21, "X"));
        QTest::newRow("Variante M")
            << QByteArray(R"([{"address": 1, "variant": "M"}, {"address": 21}])")
            << QList<Schritt>{s(tel(1, P123456), jn(1, true)), s(schreiben), s(rahmen(neu)), s("222"),
                              s(tel(1, P123456), jn(1, true)), s(ACK + tel(1, "d") + "U24###"), s(rahmen(m), "U19###")}
            << 1 << hauptdatei(m);
    }
    void modell()
    {
        auto [terminals, schritte, adresse, speicher] =
            werte<QByteArray, QList<Schritt>, int, QByteArray>("terminals", "schritte", "adresse", "speicher");
        SimBus bus;
        BUS_STARTEN(bus, QJsonDocument::fromJson(terminals).array());
        SimPort port;
        port.setDevice(bus.device());
        QVERIFY(port.open());
        QByteArray da, erwartet;
        connect(&port, &Port::ereignis, &port, [&](int code) {
            if (code == Ereigniscode::Empfangen)
                da += port.readAll();
        });
        // A telegram nobody answers closes the run: all before it has come.
        schritte << s(tel(250, "X"));
        for (const Schritt &x : std::as_const(schritte)) {
            QVERIFY(port.setSettings(QStringLiteral("%1,n,8,1").arg(x.baud)));
            const auto notiert = [&] { return x.notiz.isEmpty() ? 0 : bus.notizen().join('\n').count(x.notiz); };
            const int vorher = notiert();
            port.write(x.senden);
            erwartet += x.senden + x.antwort;
            QTRY_VERIFY2(da.size() >= erwartet.size(), qPrintable(x.senden.left(20).toHex(' ') + " / " + bus.notizen().join('|')));
            if (!x.notiz.isEmpty())  // the model has noted it (a block ends on a real pause)
                QTRY_VERIFY2(notiert() > vorher, qPrintable(x.notiz));
        }
        const qsizetype i = std::mismatch(da.cbegin(), da.cend(), erwartet.cbegin(), erwartet.cend()).first - da.cbegin();
        QVERIFY2(da == erwartet, qPrintable(QStringLiteral("byte %1: %2\nnot %3").arg(i).arg(
                                     da.mid(i, 30).toHex(' '), erwartet.mid(i, 30).toHex(' '))));
        if (!speicher.isEmpty())
            QCOMPARE(bus.speicher(adresse), speicher);
    }

    // The program echoes every byte and logs each with its speed, 10 bit times apart. An image file
    // relative to the scenario becomes the memory (address and protocol from the scenario); the
    // terminals are listed at start. --link names the device; SIGTERM ends cleanly, without the link.
    void programmAmPseudoterminal()
    {
        Programm sim;
        QVERIFY(QDir(sim.dir.path()).mkdir("dateien") && schreib(sim.dir.filePath("dateien/Halle.S2D"), hauptdatei(abbild(50, 7))));
        const QString link = sim.dir.filePath("bus");
        QVERIFY(sim.start(R"({"terminals": [{"address": 9, "image": "dateien/Halle.S2D"}]})", {"--link", link}));
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.device);
        QCOMPARE(sim.datei("terminal-9.S2D"), hauptdatei(abbild(9, 0)));
        QVERIFY(sim.datei("sim.err").contains("address 9, protocol 0"));
        QByteArray alle;
        for (int i = 0; i < 256; ++i)
            alle += char(i);
        sim.senden(alle);
        QCOMPARE(sim.lesen(256), alle);
        QVERIFY(sim.baud(2400));
        sim.senden(QByteArray(100, 'a'));
        QCOMPARE(sim.lesen(100), QByteArray(100, 'a'));
        QList<QByteArray> z;
        QTRY_COMPARE((z = sim.datei("traffic.log").trimmed().split('\n')).size(), 356);
        QCOMPARE(z[65].split(' ').mid(1), (QList<QByteArray>{"19200", "41"}));
        QCOMPARE(z[256].split(' ').mid(1), (QList<QByteArray>{"2400", "61"}));
        const auto us = [&](int i) { return z[i].split(' ')[0].toLongLong(); };
        QVERIFY(qAbs(us(255) - us(0) - 255 * 521) < 2000);
        QVERIFY(qAbs(us(355) - us(256) - 99 * 4167) < 2000);
        ::kill(pid_t(sim.proc.processId()), SIGTERM);
        QTRY_COMPARE(sim.proc.state(), QProcess::NotRunning);
        QCOMPARE(sim.proc.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.proc.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    // The program ends: on a faulty scenario at once with status 1 and its reason; on a "gone" fault after
    // what came before has reached the PC, with status 3.
    void programmEndet_data()
    {
        spalten<QByteArray, int, QString>("json", "status", "meldung");
        QTest::newRow("vertippter Schluessel") << QByteArray(R"({"terminals": [{"address": 1, "pasword": "1"}]})") << 1
                                               << "pasword";
        QTest::newRow("kein JSON") << QByteArray("{") << 1 << "";
        QTest::newRow("Adresse doppelt") << QByteArray(R"({"terminals": [{"address": 1}, {"address": 1}]})") << 1 << "";
        QTest::newRow("Abbild fehlt") << QByteArray(R"({"terminals": [{"address": 1, "image": "missing.S2D"}]})") << 1 << "";
        QTest::newRow("Geraet verschwindet")
            << QByteArray(R"({"terminals": [{"address": 1, "faults": [{"type": "gone", "command": "E", "afterBytes": 100}]}]})")
            << 3 << "";
    }
    void programmEndet()
    {
        const auto [json, status, meldung] = werte<QByteArray, int, QString>("json", "status", "meldung");
        Programm sim;
        QCOMPARE(sim.start(json, {"--no-pacing"}), status == 3);
        if (status == 3) {
            sim.senden(tel(1, P123456) + ACK + tel(1, "E"));
            QCOMPARE(sim.lesen(5000).size(), 9 + 6 + 6 + 100);
            QVERIFY(sim.aufgelegt);
        }
        QTRY_COMPARE(sim.proc.state(), QProcess::NotRunning);
        QCOMPARE(sim.proc.exitCode(), status);
        QVERIFY(sim.datei("sim.err").contains(meldung.toUtf8()));
    }
};

PORTAVO_TESTKLASSE(TestPortavoSim)
#include "tst_portavosim.moc"
