// portavo-sim seen from the PC side: the real program over a real
// pseudo-terminal, driven with plain POSIX calls and bytes computed here.
#include "support/Testlauf.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace
{

const char STX = 0x02, ETX = 0x03, ACK = 0x06, NAK = 0x15;

QByteArray telegram(int address, const QByteArray &command)
{
    QByteArray body;
    body += char(address);
    body += command;
    body += ETX;
    char check = 0;
    for (char c : body)
        check ^= c;
    return STX + body + check;
}

QByteArray block(const QByteArray &memory)
{
    char check = ETX;
    for (char c : memory)
        check ^= c;
    return STX + memory + ETX + check;
}

// A memory image with every kind of byte in it and 0xA7 at 100; the packed
// password (default 203000, packed 02 03 00) in 5..7, address and protocol
// in 8 and 10 as the simulator keeps them.
QByteArray image(int address, int protocol = 0, const QByteArray &packed = QByteArray("\x02\x03\x00", 3))
{
    QByteArray m(2048, 0);
    for (int i = 0; i < 2048; ++i)
        m[i] = char((i * 37 + 11) & 0xFF);
    m.replace(5, 3, packed);
    m[8] = char(address);
    m[10] = char(protocol);
    m[100] = char(0xA7);
    return m;
}

// The memory bytes of a read-out stream: character pairs, low nibble first.
QByteArray decode(const QByteArray &stream, int dataFrom)
{
    QByteArray m;
    for (int i = dataFrom; i < dataFrom + 4096 && i + 1 < stream.size(); i += 2)
        m += char((stream[i] & 0xCF) | ((stream[i + 1] & 0xCF) << 4));
    return m;
}

QString imageJson(const QByteArray &m)
{
    QJsonArray a;
    for (char c : m)
        a.append(int(uint8_t(c)));
    return QString::fromUtf8(QJsonDocument(a).toJson(QJsonDocument::Compact));
}

QByteArray mainFile(const QByteArray &m)
{
    QByteArray text;
    for (char c : m)
        text += " " + QByteArray::number(int(uint8_t(c))) + " \r\n";
    return text;
}

class Sim
{
public:
    ~Sim()
    {
        if (fd >= 0)
            ::close(fd);
        if (proc.state() != QProcess::NotRunning) {
            proc.terminate();
            if (!proc.waitForFinished(3000))
                proc.kill();
            proc.waitForFinished(1000);
        }
    }

    bool start(const QString &scenario, QStringList args = {})
    {
        const QString exe = qEnvironmentVariable("PORTAVO_SIM");
        if (exe.isEmpty() || !dir.isValid())
            return false;
        if (!scenario.isEmpty()) {
            QFile f(dir.filePath("scenario.json"));
            if (!f.open(QIODevice::WriteOnly))
                return false;
            f.write(scenario.toUtf8());
            f.close();
            args << "--scenario" << f.fileName();
        }
        args << "--state-dir" << state();
        proc.setStandardErrorFile(dir.filePath("sim.err"));
        proc.start(exe, args);
        QElapsedTimer t;
        t.start();
        while (!proc.canReadLine() && t.elapsed() < 5000 && proc.state() != QProcess::NotRunning)
            proc.waitForReadyRead(100);
        if (!proc.canReadLine())
            return false;
        device = QString::fromLocal8Bit(proc.readLine()).trimmed();
        fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        return fd >= 0 && setSpeed(19200);
    }

    QString state() const { return dir.filePath("state"); }
    QString log() const
    {
        QFile f(dir.filePath("sim.err"));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
    }

    bool setSpeed(int baud)
    {
        termios t{};
        if (tcgetattr(fd, &t) != 0)
            return false;
        cfmakeraw(&t);
        const speed_t s = baud == 2400 ? B2400 : baud == 9600 ? B9600 : B19200;
        cfsetispeed(&t, s);
        cfsetospeed(&t, s);
        return tcsetattr(fd, TCSANOW, &t) == 0;
    }

    void send(const QByteArray &bytes)
    {
        qint64 done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0) {
                done += n;
            } else {
                pollfd p{fd, POLLOUT, 0};
                ::poll(&p, 1, 100);
            }
        }
    }

    // Reads until `count` bytes are in, `until` shows up, or the time is over.
    QByteArray read(int ms, int count = -1, const QByteArray &until = {})
    {
        QByteArray got;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, int(std::max<qint64>(1, ms - t.elapsed()))) <= 0)
                continue;
            char buf[8192];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) {
                got.append(buf, int(n));
            } else if (n == 0 || errno != EAGAIN) { // the other side is gone
                hungUp = true;
                break;
            }
            if ((count >= 0 && got.size() >= count) || (!until.isEmpty() && got.contains(until)))
                break;
        }
        return got;
    }

    // Sends and waits for the echo, so that the simulator has taken every byte.
    QByteArray sendAndEcho(const QByteArray &bytes, int ms = 1000)
    {
        send(bytes);
        return read(ms, bytes.size());
    }

    bool login(int address, const QByteArray &password)
    {
        const QByteArray t = telegram(address, "P" + password);
        send(t);
        QByteArray got = read(300, -1, QByteArray("J") + ETX);
        got += read(20);
        return got.indexOf(QByteArray("J") + ETX, 4) >= t.size();
    }

    QByteArray stateFile(int address) const
    {
        QFile f(state() + "/terminal-" + QString::number(address) + ".S2D");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QProcess proc;
    QString device;
    int fd = -1;
    bool hungUp = false;
};

const QByteArray k123456("\x21\x43\x65", 3);
const QByteArray kPacked123456 = "0" + k123456;
const QByteArray kPacked203000("0\x02\x03\x00", 4);

} // namespace

class TestPortavoSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("PORTAVO_SIM"))
            QSKIP("PORTAVO_SIM is not set (run under ctest)");
    }

    void echoesEveryByteAndNothingElse()
    {
        Sim sim;
        QVERIFY(sim.start(R"({"terminals": [{"address": 3}]})", {"--no-pacing"}));
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all += char(i);
        sim.send(all);
        QCOMPARE(sim.read(2000, 256), all);
        QCOMPARE(sim.read(100), QByteArray());
        // Every byte lands in the traffic log with the speed it came at.
        QFile traffic(sim.state() + "/traffic.log");
        QVERIFY(traffic.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = traffic.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 256);
        QCOMPARE(lines[65].split(' ').mid(1), (QList<QByteArray>{"19200", "41"}));

        // Without the echo only the answers come back.
        Sim quiet;
        QVERIFY(quiet.start(R"({"echo": false, "terminals": [{"address": 1}]})", {"--no-pacing"}));
        quiet.send(telegram(1, "X"));
        QCOMPARE(quiet.read(100), QByteArray("\x02\x01X@\x03\x1A", 6));
        quiet.send("U24###");
        QCOMPARE(quiet.read(80), QByteArray());
    }

    void identifyAnswersDecodeToTheProtocol()
    {
        Sim sim;
        QVERIFY(sim.start(R"({"terminals": [{"address": 5}, {"address": 6, "protocol": 1},
            {"address": 9, "protocol": 3}, {"address": 88}, {"address": 89}]})"));
        const QList<std::tuple<int, int, QByteArray>> rows{
            {5, 0, QByteArray("\x02\x05X@\x03\x1E", 6)},
            {6, 1, QByteArray("\x02\x06X00A\x03\x1C", 8)},
            {9, 3, QByteArray("\x02\x09XC\x03\x11", 6)},
            // Their requests end in a check byte of 0x03 and 0x02.
            {88, 0, QByteArray("\x02XX@\x03\x43", 6)},
            {89, 0, QByteArray("\x02YX@\x03\x42", 6)}};
        for (const auto &[address, protocol, answer] : rows) {
            const QByteArray request = telegram(address, "X");
            sim.send(request);
            const QByteArray empfang = sim.read(3000, request.size() + answer.size());
            QCOMPARE(empfang, request + answer);
            QCOMPARE(sim.read(60), QByteArray());
            // The program's rule: 11 characters -> code at 9 minus 64, else "A" at 11 -> 1, else 255.
            const int decoded = empfang.size() == 11                           ? uint8_t(empfang[8]) - 64
                                : (empfang.size() >= 11 && empfang[10] == 'A') ? 1
                                                                               : 255;
            QCOMPARE(decoded, protocol);
        }
        // Foreign addresses, the broadcast and a wrong check byte: echo only.
        QByteArray bad = telegram(5, "X");
        bad[4] = char(bad[4] ^ 1);
        for (const QByteArray &request : {telegram(2, "X"), telegram(255, "X"), telegram(0, "X"), bad}) {
            sim.send(request);
            QCOMPARE(sim.read(80), request);
        }
    }

    void versionAnswerTellsProtocolAndVariant()
    {
        Sim sim;
        QVERIFY(sim.start(R"({"terminals": [
            {"address": 1, "protocol": 0, "version": "Ver 3.12 TM 1 04"},
            {"address": 2, "protocol": 1, "version": "Ver 4.02 TS 1 11"}]})",
                          {"--no-pacing"}));
        for (int a : {1, 2}) {
            sim.send(telegram(a, "V"));
            const QByteArray empfang = sim.read(150);
            const int at = empfang.indexOf("Ver");
            QVERIFY(at >= 5);
            QCOMPARE(empfang.mid(at, 16), a == 1 ? QByteArray("Ver 3.12 TM 1 04") : QByteArray("Ver 4.02 TS 1 11"));
            QCOMPARE(empfang.contains(QByteArray("\x02\x06\x03\x05", 4)), a == 2); // STX ACK ETX ENQ
            sim.read(50);
        }
    }

    void loginChecksThePassword()
    {
        Sim sim;
        QVERIFY(sim.start(QString(R"({"terminals": [
            {"address": 1, "image": %1},
            {"address": 2, "password": "123456"},
            {"address": 3, "password": "geheim"}]})")
                              .arg(imageJson(image(1))),
                          {"--no-pacing"}));
        // Packed bytes 02 03 of the password sit inside the telegram.
        QVERIFY(sim.login(1, kPacked203000));
        QVERIFY(!sim.login(1, kPacked123456));
        QVERIFY(sim.login(2, kPacked123456));
        QVERIFY(!sim.login(2, QByteArray("0\x21\x43\x66", 4)));
        QVERIFY(sim.login(3, "Xgeheim"));
        QVERIFY(!sim.login(3, "Xgeheix"));
        QVERIFY(!sim.login(3, kPacked123456));
        // A wrong password answers N, never J.
        const QByteArray t = telegram(2, QByteArray("P0\x11\x11\x11", 5));
        sim.send(t);
        QCOMPARE(sim.read(200, t.size() + 6).mid(t.size()), QByteArray("\x02\x02PN\x03") + char(0x02 ^ 'P' ^ 'N' ^ 0x03));
    }

    void readOutStream_data()
    {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("checkedFrom");
        QTest::addColumn<int>("dataFrom");
        QTest::newRow("protocol 0") << 0 << 4107 << 8 << 9;
        QTest::newRow("protocol 1") << 1 << 4109 << 11 << 11;
    }

    void readOutStream()
    {
        QFETCH(int, protocol);
        QFETCH(int, total);
        QFETCH(int, checkedFrom);
        QFETCH(int, dataFrom);
        Sim sim;
        QVERIFY(sim.start(QString(R"({"terminals": [{"address": 4, "protocol": %1, "image": %2}]})")
                              .arg(protocol)
                              .arg(imageJson(image(99, 99))),
                          {"--no-pacing"}));
        // Without a login "E" is not answered.
        sim.send(ACK + telegram(4, "E"));
        QCOMPARE(sim.read(150).size(), 6);

        QVERIFY(sim.login(4, kPacked203000));
        sim.send(ACK + telegram(4, "E"));
        const QByteArray s = sim.read(3000, total);
        QCOMPARE(s.size(), total);
        QCOMPARE(sim.read(100), QByteArray());
        QCOMPARE(s.left(6), ACK + telegram(4, "E"));
        QCOMPARE(s[total - 2], ETX);
        char check = 0;
        for (int i = checkedFrom; i <= total - 2; ++i)
            check ^= s[i];
        QCOMPARE(s[total - 1], check);
        QCOMPARE(decode(s, dataFrom), image(4, protocol));
        QCOMPARE(s.mid(dataFrom + 200, 2), QByteArray("7:")); // 0xA7, low nibble first
        QCOMPARE(sim.stateFile(4), mainFile(image(4, protocol)));
    }

    void writeBlockAtTheRightSpeedIsStored()
    {
        Sim sim;
        QVERIFY(sim.start(R"({"terminals": [{"address": 1}, {"address": 2}]})", {"--no-pacing"}));
        const QByteArray before = sim.stateFile(1);
        QCOMPARE(before.count("\r\n"), 2048);
        QVERIFY(before.startsWith(" 5 \r\n"));

        const QByteArray written = image(1, 0, k123456);
        QVERIFY(sim.login(1, kPacked123456));
        sim.sendAndEcho(ACK + telegram(1, "D") + "U24###");
        QVERIFY(sim.setSpeed(2400));
        sim.send(block(written));
        const QByteArray got = sim.read(3000, -1, "U19###");
        QVERIFY2(got.endsWith("U19###"), qPrintable(sim.log()));
        QCOMPARE(got.size(), 2051 + 6);
        QCOMPARE(sim.stateFile(1), mainFile(written));

        // The terminal now reads out what was written; the other one saw nothing.
        QVERIFY(sim.setSpeed(19200));
        QVERIFY(sim.login(1, kPacked123456));
        sim.send(ACK + telegram(1, "E"));
        const QByteArray s = sim.read(3000, 4107);
        QCOMPARE(s.size(), 4107);
        QCOMPARE(decode(s, 9), written);
        QVERIFY(!sim.log().contains("terminal 2"));
    }

    void refusedBlocksLeaveTheTerminalWaitingForRepair()
    {
        Sim sim;
        QVERIFY(sim.start(R"({"terminals": [{"address": 1}]})", {"--no-pacing"}));
        const QByteArray before = sim.stateFile(1);
        const QByteArray written = image(1);
        const QByteArray wakeUp = QByteArray() + STX + NAK;

        // Block at 19200 where 2400 is due: no confirmation, memory unchanged.
        QVERIFY(sim.login(1, kPacked123456));
        sim.sendAndEcho(ACK + telegram(1, "D") + "U24###");
        sim.send(block(written));
        QVERIFY(!sim.read(500, 2051 + 6).contains("U19###"));

        // Now waiting: telegrams are not answered, a lone STX gets NAK.
        sim.send(telegram(1, "X"));
        QCOMPARE(sim.read(150).size(), 5);
        sim.send(QByteArray(1, STX));
        QCOMPARE(sim.read(500, 2), wakeUp);

        // Neither a broken-off block nor one with a wrong check byte is taken.
        QVERIFY(sim.setSpeed(2400));
        sim.send(block(written).left(1000));
        QCOMPARE(sim.read(300).size(), 1000);
        QByteArray bad = block(written);
        bad[2050] = char(bad[2050] ^ 0x01);
        sim.send(bad);
        QVERIFY(!sim.read(400, 2057).contains("U19###"));
        QCOMPARE(sim.stateFile(1), before);
        QVERIFY(sim.log().contains("broke off after 1000 bytes"));
        QVERIFY(sim.log().contains("wrong check byte"));

        // The recovery triples are answered with ACK STX 0xFF each (so that
        // the scan can end early), and the terminal stays waiting.
        QVERIFY(sim.setSpeed(19200));
        // Echo and answer may come in one read on a busy machine: take both.
        sim.send("111");
        QCOMPARE(sim.read(500, 6), QByteArray("111\x06\x02\xFF", 6));
        sim.send("222");
        QCOMPARE(sim.read(300, 6), QByteArray("222\x06\x02\xFF", 6));
        sim.send(telegram(1, "X"));
        QCOMPARE(sim.read(200).size(), 5);
        QCOMPARE(sim.log().count("recovery string"), 1);
        // Two equal digits or a triple at 2400 baud are no recovery string.
        sim.send("33");
        QCOMPARE(sim.read(150), QByteArray("33"));
        QVERIFY(sim.setSpeed(2400));
        sim.send("444");
        QCOMPARE(sim.read(300), QByteArray("444"));

        // Repair: wake-up, then the whole block at 2400 without a login.
        // Afterwards the triples pass unanswered and telegrams are answered.
        QVERIFY(sim.setSpeed(19200));
        sim.send(QByteArray(1, STX));
        QCOMPARE(sim.read(500, 2), wakeUp);
        QVERIFY(sim.setSpeed(2400));
        sim.send(block(written));
        QVERIFY(sim.read(3000, -1, "U19###").endsWith("U19###"));
        QCOMPARE(sim.stateFile(1), mainFile(written));
        QVERIFY(sim.setSpeed(19200));
        QCOMPARE(sim.sendAndEcho("555", 300), QByteArray("555"));
        QCOMPARE(sim.read(150), QByteArray());
        sim.send(telegram(1, "X"));
        QCOMPARE(sim.read(200, 11).size(), 11);
    }

    void variantMTakesItsBlockAt19200()
    {
        Sim sim;
        QVERIFY(sim.start(R"({"terminals": [{"address": 20, "variant": "M"}, {"address": 21}]})",
                          {"--no-pacing"}));
        QByteArray written = image(20, 0, k123456);
        // "D" is not the command of a variant-M terminal.
        QVERIFY(sim.login(20, kPacked123456));
        sim.sendAndEcho(ACK + telegram(20, "D") + "U24###");
        sim.send(block(written));
        QVERIFY(!sim.read(400, 2057).contains("U19###"));
        sim.sendAndEcho("222");

        QVERIFY(sim.login(20, kPacked123456));
        sim.sendAndEcho(ACK + telegram(20, "d") + "U24###");
        // Block content that looks like a telegram to terminal 21 stays the block's.
        written.replace(300, 5, telegram(21, "X"));
        sim.send(block(written));
        const QByteArray got = sim.read(2000, -1, "U19###");
        QVERIFY(got.endsWith("U19###"));
        QCOMPARE(got.size(), 2051 + 6);
        QCOMPARE(sim.stateFile(20), mainFile(written));
    }

    void testModeStatusAndCardData()
    {
        Sim sim;
        QVERIFY(sim.start(R"({"terminals": [
            {"address": 1, "events": [{"type": "card", "afterPolls": 1, "data": "40012345", "number": 17},
                                       {"type": "fault", "afterPolls": 2}]},
            {"address": 2, "protocol": 1, "events": [{"type": "skimming"}, {"type": "misread", "afterPolls": 1}]}]})",
                          {"--no-pacing"}));
        auto poll = [&sim](int address, const QByteArray &cmd) {
            const QByteArray t = telegram(address, cmd);
            sim.send(t);
            const QByteArray got = sim.read(60);
            sim.sendAndEcho(QByteArray(1, ACK));
            return got.mid(t.size());
        };
        QCOMPARE(uint8_t(poll(1, "S")[3]), uint8_t(0x40));
        QCOMPARE(uint8_t(poll(1, "S")[3]), uint8_t(0x44)); // card waiting
        const QByteArray card = poll(1, "L2");
        QCOMPARE(card.mid(7, 25), QByteArray("40012345").leftJustified(25, ' '));
        QCOMPARE(card.mid(4, 3), QByteArray("017"));
        QCOMPARE(uint8_t(poll(1, "S")[3]), uint8_t(0x41)); // fault, card fetched
        QCOMPARE(uint8_t(poll(1, "S")[3]), uint8_t(0x40));
        QCOMPARE(poll(1, "O")[3], '@');

        QCOMPARE(uint8_t(poll(2, "S")[5]), uint8_t(0x50)); // skimming, 6th character
        QCOMPARE(uint8_t(poll(2, "S")[5]), uint8_t(0x44));
        QVERIFY(poll(2, "LC").mid(7, 25).contains("??"));
    }

    void faultsStrikeAsConfigured()
    {
        Sim sim;
        QVERIFY(sim.start(R"({"terminals": [
            {"address": 1, "faults": [{"type": "drop", "command": "X", "count": 1}]},
            {"address": 2, "faults": [{"type": "noise", "command": "X", "bytes": [255, 0]},
                                       {"type": "delay", "command": "V", "ms": 150}]},
            {"address": 3, "faults": [{"type": "badCheck", "command": "E"},
                                       {"type": "silence", "command": "V", "afterBytes": 4}]}]})",
                          {"--no-pacing"}));
        const QByteArray x1 = telegram(1, "X");
        sim.send(x1);
        QCOMPARE(sim.read(100), x1); // dropped once
        sim.send(x1);
        QCOMPARE(sim.read(100).size(), 11);

        sim.send(telegram(2, "X"));
        QCOMPARE(sim.read(100).mid(5, 3), QByteArray("\xFF\x00\x02", 3));
        QElapsedTimer t;
        t.start();
        sim.send(telegram(2, "V"));
        QCOMPARE(sim.read(1000, 5 + 21).size(), 5 + 21);
        QVERIFY(t.elapsed() >= 150);

        sim.send(telegram(3, "V"));
        QCOMPARE(sim.read(150).size(), 5 + 4);
        QVERIFY(sim.login(3, kPacked123456));
        sim.send(ACK + telegram(3, "E"));
        const QByteArray s = sim.read(3000, 4107);
        QCOMPARE(s.size(), 4107);
        char check = 0;
        for (int i = 8; i <= 4105; ++i)
            check ^= s[i];
        QCOMPARE(char(s[4106] ^ 0xFF), check);
    }

    void deviceDisappears_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<int>("bytes"); // what comes back before the device goes
        QTest::newRow("read-out") << false << 6 + 100;
        QTest::newRow("write block") << true << 500;
    }

    void deviceDisappears()
    {
        QFETCH(bool, write);
        QFETCH(int, bytes);
        Sim sim;
        QVERIFY(sim.start(QString(R"({"terminals": [{"address": 1, "faults": [{"type": "gone", "command": "%1",
                                     "afterBytes": %2}]}]})")
                              .arg(write ? "block" : "E")
                              .arg(write ? 500 : 100),
                          {"--no-pacing"}));
        QVERIFY(sim.login(1, kPacked123456));
        if (write) {
            sim.sendAndEcho(ACK + telegram(1, "D") + "U24###");
            QVERIFY(sim.setSpeed(2400));
            sim.send(block(QByteArray(2048, 0)));
        } else {
            sim.send(ACK + telegram(1, "E"));
        }
        QCOMPARE(sim.read(2000, 5000).size(), bytes);
        QVERIFY(sim.hungUp);
        QVERIFY(sim.proc.waitForFinished(3000));
        QCOMPARE(sim.proc.exitCode(), 3);
    }

    void pacingAndTurnaround()
    {
        Sim sim;
        QVERIFY(sim.start(R"({"terminals": [{"address": 1}]})", {"--turnaround", "30"}));
        QVERIFY(sim.setSpeed(2400));
        QElapsedTimer t;
        t.start();
        sim.send(QByteArray(100, 'a'));
        QCOMPARE(sim.read(2000, 100).size(), 100);
        const qint64 slow = t.elapsed(); // 100 x 10 bits at 2400 baud = 417 ms (bench_sim prints it)
        QVERIFY2(slow >= 400, qPrintable(QString::number(slow)));

        QVERIFY(sim.setSpeed(19200));
        t.restart();
        sim.send(QByteArray(100, 'b'));
        QCOMPARE(sim.read(2000, 100).size(), 100);
        const qint64 fast = t.elapsed(); // 52 ms
        QVERIFY2(fast >= 45, qPrintable(QString::number(fast)));

        // The log line of a byte may follow its echo by a moment.
        QList<QByteArray> lines;
        const auto logLines = [&] {
            QFile traffic(sim.state() + "/traffic.log");
            lines = traffic.open(QIODevice::ReadOnly) ? traffic.readAll().trimmed().split('\n')
                                                      : QList<QByteArray>();
            return lines.size();
        };
        QTRY_COMPARE_WITH_TIMEOUT(logLines(), 200, 2000);
        QCOMPARE(lines[99].split(' ')[1], QByteArray("2400"));
        QCOMPARE(lines[100].split(' ')[1], QByteArray("19200"));
        // The simulator's own clock: 10 bit times apart at each speed.
        const auto at = [&](int i) { return lines[i].split(' ')[0].toLongLong(); };
        QVERIFY(qAbs(at(99) - at(0) - 99 * 4167) < 2000);
        QVERIFY(qAbs(at(199) - at(100) - 99 * 521) < 2000);

        // The answer waits for the whole request and then the turnaround.
        const QByteArray request = telegram(1, "X");
        t.restart();
        sim.send(request);
        QCOMPARE(sim.read(200, 5), request);
        const qint64 echo = t.elapsed();
        QCOMPARE(sim.read(200, 6).size(), 6);
        QVERIFY(t.elapsed() - echo >= 25);
    }

    void linkAndSignals()
    {
        Sim sim;
        const QString link = sim.dir.filePath("bus");
        QVERIFY(sim.start(QString(), {"--link", link}));
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.device);
        ::kill(pid_t(sim.proc.processId()), SIGTERM);
        QVERIFY(sim.proc.waitForFinished(3000));
        QCOMPARE(sim.proc.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.proc.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
        // The demo bus lists its terminals and passwords at start.
        QVERIFY(sim.log().contains("address 12, protocol 0"));
        QVERIFY(sim.log().contains("password 123456"));
    }

    void scenarioErrorsAndImageFiles()
    {
        QTemporaryDir dir;
        auto run = [&](const QByteArray &json) {
            QFile f(dir.filePath("s.json"));
            f.open(QIODevice::WriteOnly);
            f.write(json);
            f.close();
            QProcess p;
            p.start(qEnvironmentVariable("PORTAVO_SIM"), {"--scenario", f.fileName()});
            p.waitForFinished(3000);
            return std::make_pair(p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError()));
        };
        const auto misspelt = run(R"({"terminals": [{"address": 1, "pasword": "1"}]})");
        QCOMPARE(misspelt.first, 1);
        QVERIFY(misspelt.second.contains("pasword"));
        for (const char *json : {"{", R"({"terminals": [{"address": 1}, {"address": 1}]})",
                                 R"({"terminals": [{"address": 1, "version": "Ver short"}]})",
                                 R"({"terminals": [{"address": 1, "image": "missing.S2D"}]})"})
            QVERIFY2(run(json).first == 1, json);

        // An image file relative to the scenario, as the terminal's memory;
        // address and protocol come from the scenario.
        Sim sim;
        QDir(sim.dir.path()).mkdir("files");
        QFile img(sim.dir.filePath("files/Halle.S2D"));
        QVERIFY(img.open(QIODevice::WriteOnly));
        img.write(mainFile(image(50, 7)));
        img.close();
        QVERIFY(sim.start(R"({"terminals": [{"address": 9, "image": "files/Halle.S2D"}]})"));
        QCOMPARE(sim.stateFile(9), mainFile(image(9, 0)));
    }
};

PORTAVO_TESTKLASSE(TestPortavoSim)
#include "tst_portavosim.moc"
