#include "Scenario.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cmath>
#include <set>
#include <sstream>

namespace sim
{

namespace
{

const char *const kDefaultVersion = "Ver 3.12 TS 1 04";
const char *const kDefaultPassword = "123456";

struct Reader {
    std::string &error;

    bool fail(const std::string &where, const std::string &what)
    {
        error = where + ": " + what;
        return false;
    }

    bool checkKeys(const QJsonObject &o, const std::set<QString> &allowed, const std::string &where)
    {
        for (auto it = o.begin(); it != o.end(); ++it) {
            if (!allowed.count(it.key()))
                return fail(where, "unknown key \"" + it.key().toStdString() + "\"");
        }
        return true;
    }

    bool integer(const QJsonObject &o, const char *key, int64_t lo, int64_t hi, int64_t &out,
                 const std::string &where)
    {
        if (!o.contains(key))
            return true;
        const QJsonValue v = o.value(key);
        const double d = v.toDouble(std::nan(""));
        if (!v.isDouble() || std::floor(d) != d || d < double(lo) || d > double(hi))
            return fail(where, std::string("\"") + key + "\" must be a whole number " + std::to_string(lo) +
                                   ".." + std::to_string(hi));
        out = int64_t(d);
        return true;
    }

    bool integer(const QJsonObject &o, const char *key, int lo, int hi, int &out, const std::string &where)
    {
        int64_t v = out;
        if (!integer(o, key, int64_t(lo), int64_t(hi), v, where))
            return false;
        out = int(v);
        return true;
    }

    // The string under `key`, if there is one; anything else there fails.
    bool text(const QJsonObject &o, const char *key, QString &out, bool &present, const std::string &where)
    {
        present = o.contains(key);
        if (!present)
            return true;
        if (!o.value(key).isString())
            return fail(where, std::string("\"") + key + "\" must be a string");
        out = o.value(key).toString();
        return true;
    }

    bool string(const QJsonObject &o, const char *key, std::string &out, bool &present,
                const std::string &where)
    {
        QString s;
        if (!text(o, key, s, present, where))
            return false;
        if (present)
            out = s.toStdString();
        return true;
    }

    bool latin1(const QJsonObject &o, const char *key, std::string &out, bool &present,
                const std::string &where)
    {
        QString s;
        if (!text(o, key, s, present, where))
            return false;
        if (!present)
            return true;
        for (QChar c : s) {
            if (c.unicode() > 255)
                return fail(where, std::string("\"") + key + "\" holds a character outside Latin-1");
        }
        out = s.toLatin1().toStdString();
        return true;
    }

    bool byteArray(const QJsonValue &v, std::vector<uint8_t> &out, const std::string &where)
    {
        if (!v.isArray())
            return fail(where, "must be an array of numbers 0..255");
        for (const QJsonValue &e : v.toArray()) {
            const double d = e.toDouble(-1);
            if (!e.isDouble() || std::floor(d) != d || d < 0 || d > 255)
                return fail(where, "must be an array of numbers 0..255");
            out.push_back(uint8_t(d));
        }
        return true;
    }

    bool fault(const QJsonObject &o, Fault &f, const std::string &where)
    {
        if (!checkKeys(o, {"type", "command", "count", "skip", "ms", "afterBytes", "bytes", "where"}, where))
            return false;
        std::string type;
        bool has = false;
        if (!string(o, "type", type, has, where))
            return false;
        if (type == "drop")
            f.kind = Fault::Kind::Drop;
        else if (type == "badCheck")
            f.kind = Fault::Kind::BadCheck;
        else if (type == "noise")
            f.kind = Fault::Kind::Noise;
        else if (type == "delay")
            f.kind = Fault::Kind::Delay;
        else if (type == "silence")
            f.kind = Fault::Kind::Silence;
        else if (type == "gone")
            f.kind = Fault::Kind::Gone;
        else if (type == "refuse")
            f.kind = Fault::Kind::Refuse;
        else
            return fail(where, "\"type\" must be drop, badCheck, noise, delay, silence, gone or refuse");
        if (!string(o, "command", f.command, has, where))
            return false;
        static const std::set<std::string> commands = {"X", "V", "P", "E", "D", "d",     "R",
                                                       "S", "L", "K", "O", "G", "block", "wakeup", "recovery"};
        if (has && !commands.count(f.command))
            return fail(where, "unknown \"command\" \"" + f.command + "\"");
        if (f.kind == Fault::Kind::Refuse && has && f.command != "block")
            return fail(where, "a \"refuse\" fault belongs to the write block (\"command\": \"block\")");
        if (!integer(o, "count", -1, 1000000, f.count, where) ||
            !integer(o, "skip", 0, 1000000, f.skip, where) ||
            !integer(o, "ms", 0, 600000, f.delayMs, where) ||
            !integer(o, "afterBytes", -1, 1000000, f.afterBytes, where))
            return false;
        if (f.kind == Fault::Kind::Delay && !o.contains("ms"))
            return fail(where, "a delay needs \"ms\"");
        if (f.kind == Fault::Kind::Silence && f.afterBytes < 0)
            return fail(where, "a silence needs \"afterBytes\"");
        if (o.contains("bytes") && !byteArray(o.value("bytes"), f.bytes, where + ".bytes"))
            return false;
        if (f.kind == Fault::Kind::Noise && f.bytes.empty())
            f.bytes = {0xFF, 0x00, 0x55};
        std::string place;
        if (!string(o, "where", place, has, where))
            return false;
        if (has && place != "before" && place != "after")
            return fail(where, "\"where\" must be before or after");
        f.noiseAfter = place == "after";
        return true;
    }

    bool event(const QJsonObject &o, TestEvent &e, const std::string &where)
    {
        if (!checkKeys(o, {"type", "atMs", "afterPolls", "data", "number", "polls"}, where))
            return false;
        std::string type;
        bool has = false;
        if (!string(o, "type", type, has, where))
            return false;
        if (type == "card" || type == "misread")
            e.kind = TestEvent::Kind::Card;
        else if (type == "errorBooking")
            e.kind = TestEvent::Kind::ErrorBooking;
        else if (type == "fault")
            e.kind = TestEvent::Kind::Fault;
        else if (type == "skimming")
            e.kind = TestEvent::Kind::Skimming;
        else if (type == "sabotage")
            e.kind = TestEvent::Kind::Sabotage;
        else
            return fail(where, "\"type\" must be card, misread, errorBooking, fault, skimming or sabotage");
        e.data = type == "misread" ? "1234??7890123" : "4001234567890";
        if (!latin1(o, "data", e.data, has, where))
            return false;
        if (e.data.size() > 25)
            return fail(where, "\"data\" holds more than 25 characters");
        if (!integer(o, "atMs", int64_t(0), int64_t(86400000), e.atMs, where) ||
            !integer(o, "afterPolls", 0, 1000000, e.afterPolls, where) ||
            !integer(o, "number", 0, 999, e.number, where) ||
            !integer(o, "polls", 1, 1000000, e.polls, where))
            return false;
        return true;
    }

    bool terminal(const QJsonObject &o, const std::string &baseDir, TerminalConfig &t,
                  const std::string &where)
    {
        if (!checkKeys(o,
                       {"address", "protocol", "version", "variant", "password", "image", "events", "faults"},
                       where))
            return false;
        if (!o.contains("address"))
            return fail(where, "\"address\" is missing");
        if (!integer(o, "address", 1, 255, t.address, where) ||
            !integer(o, "protocol", 0, 191, t.protocol, where))
            return false;

        bool has = false;
        std::string variant;
        if (!string(o, "variant", variant, has, where))
            return false;
        if (has && variant != "M" && variant != "standard")
            return fail(where, "\"variant\" must be \"M\" or \"standard\"");
        t.version = kDefaultVersion;
        if (has && variant == "M")
            t.version[10] = 'M';
        bool hasVersion = false;
        if (!latin1(o, "version", t.version, hasVersion, where))
            return false;
        if (t.version.size() != 16)
            return fail(where, "\"version\" must have exactly 16 characters");
        for (unsigned char c : t.version) {
            if (c < 0x20 || c == 0x7F)
                return fail(where, "\"version\" must not hold control characters");
        }
        t.variantM = has ? variant == "M" : t.version[10] == 'M';

        if (o.contains("image")) {
            const QJsonValue image = o.value("image");
            if (image.isString()) {
                QString file = image.toString();
                if (QFileInfo(file).isRelative())
                    file = QDir(QString::fromStdString(baseDir)).filePath(file);
                std::string why;
                if (!readMainFile(file.toStdString(), t.memory, why))
                    return fail(where + ".image", why);
            } else {
                std::vector<uint8_t> bytes;
                if (!byteArray(image, bytes, where + ".image"))
                    return false;
                if (bytes.size() != size_t(kMemorySize))
                    return fail(where + ".image", "must hold exactly 2048 numbers");
                std::copy(bytes.begin(), bytes.end(), t.memory.begin());
            }
        } else {
            t.memory = standardImage(t.address, t.protocol, kDefaultPassword);
        }

        if (!latin1(o, "password", t.password, has, where))
            return false;
        if (has && t.password.empty())
            return fail(where, "\"password\" must not be empty");
        if (has && !isSixDigits(t.password)) {
            t.passwordIsText = true;
        } else if (has) {
            packPassword(t.password, &t.memory[5]);
        }
        // The memory is the terminal's configuration: address and protocol live there.
        t.memory[8] = uint8_t(t.address);
        t.memory[10] = uint8_t(t.protocol);

        return list(o, "events", &Reader::event, t.events, where) &&
               list(o, "faults", &Reader::fault, t.faults, where);
    }

    // An optional array of objects under `key`, each read by `read`.
    template <typename T>
    bool list(const QJsonObject &o, const char *key,
              bool (Reader::*read)(const QJsonObject &, T &, const std::string &), std::vector<T> &out,
              const std::string &where)
    {
        if (!o.contains(key))
            return true;
        if (!o.value(key).isArray())
            return fail(where, std::string("\"") + key + "\" must be an array");
        int i = 0;
        for (const QJsonValue &v : o.value(key).toArray()) {
            const std::string w = where + "." + key + "[" + std::to_string(i++) + "]";
            if (!v.isObject())
                return fail(w, "must be an object");
            T item;
            if (!(this->*read)(v.toObject(), item, w))
                return false;
            out.push_back(item);
        }
        return true;
    }
};

void putText(Memory &m, int line, const std::string &text)
{
    for (int j = 0; j < 16; ++j)
        m[size_t(16 + 16 * line + j)] = uint8_t(j < int(text.size()) ? text[size_t(j)] : ' ');
}

void putCard(Memory &m, int entry, int length, const std::string &digits)
{
    for (int k = 0; k < length; ++k) {
        const int lo = digits[size_t(2 * k)] - '0';
        const int hi = digits[size_t(2 * k + 1)] - '0';
        m[size_t(272 + entry * length + k)] = uint8_t(lo | (hi << 4));
    }
}

} // namespace

bool isSixDigits(const std::string &text)
{
    if (text.size() != 6)
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

void packPassword(const std::string &sixDigits, uint8_t out[3])
{
    for (int k = 0; k < 3; ++k)
        out[k] = uint8_t((sixDigits[size_t(2 * k)] - '0') | ((sixDigits[size_t(2 * k + 1)] - '0') << 4));
}

Memory standardImage(int address, int protocol, const std::string &sixDigits)
{
    Memory m{};
    m[0] = 5;    // door open for 5 s
    m[1] = 0x15; // buzzer, fixed bits 2 and 4
    m[2] = 0x01; // evaluate track 2: one authorization list
    m[3] = 4;    // track 2: 8 digits
    m[4] = 5;    // track 3/1: 10 digits
    packPassword(sixDigits, &m[5]);
    m[8] = uint8_t(address);
    m[10] = uint8_t(protocol);
    m[13] = 15;
    const char addr[4] = {char('0' + address / 100), char('0' + address / 10 % 10), char('0' + address % 10),
                          0};
    putText(m, 0, "PORTAVO 485");
    putText(m, 1, std::string("Terminal ") + addr);
    putText(m, 2, "Bitte Karte");
    putText(m, 3, "Zutritt frei");
    putText(m, 4, "Karte gesperrt");
    putText(m, 5, "Karte ung\xF5ltig"); // the display's own code for the u-umlaut
    putText(m, 6, "T\xF5r offen");
    putText(m, 7, "T\xF5r zu");
    putText(m, 8, "St\xEFrung");
    for (int line = 9; line < 16; ++line)
        putText(m, line, "");
    // Fresh list area: empty 4-byte entries while they end before 2047, the rest 255.
    int at = 272;
    while (at + 4 <= 2047)
        at += 4;
    for (int i = at; i < kMemorySize; ++i)
        m[size_t(i)] = 255;
    return m;
}

Scenario demoScenario()
{
    Scenario s;
    TerminalConfig t1;
    t1.address = 1;
    t1.protocol = 0;
    t1.version = "Ver 3.12 TS 1 04";
    t1.memory = standardImage(1, 0, kDefaultPassword);
    putCard(t1.memory, 0, 4, "40012345");
    putCard(t1.memory, 1, 4, "40012346");
    putCard(t1.memory, 2, 4, "40017788");
    putCard(t1.memory, 3, 4, "51000001");
    putText(t1.memory, 9, "Haupteingang");
    putText(t1.memory, 10, "Guten Tag");
    TestEvent card;
    card.atMs = 0;
    card.afterPolls = 3;
    card.data = "40012345";
    card.number = 1;
    t1.events.push_back(card);
    TestEvent misread = card;
    misread.afterPolls = 8;
    misread.data = "4001??45";
    misread.number = 0;
    t1.events.push_back(misread);
    TestEvent fault;
    fault.kind = TestEvent::Kind::Fault;
    fault.afterPolls = 12;
    t1.events.push_back(fault);
    s.terminals.push_back(t1);

    TerminalConfig t7;
    t7.address = 7;
    t7.protocol = 1;
    t7.version = "Ver 4.02 TS 1 11";
    t7.memory = standardImage(7, 1, kDefaultPassword);
    putCard(t7.memory, 0, 4, "70000001");
    putText(t7.memory, 9, "Lager");
    TestEvent skim;
    skim.kind = TestEvent::Kind::Skimming;
    skim.afterPolls = 5;
    t7.events.push_back(skim);
    TestEvent card7 = card;
    card7.afterPolls = 7;
    card7.data = "70000001";
    t7.events.push_back(card7);
    s.terminals.push_back(t7);

    TerminalConfig t12;
    t12.address = 12;
    t12.protocol = 0;
    t12.version = "Ver 3.20 SS 1 12";
    Memory &m = t12.memory;
    m = standardImage(12, 0, kDefaultPassword);
    m[1] = 0x15;
    m[2] = 0x81; // special code, track 2
    m[3] = 4;
    m[4] = 4;
    m[9] = 0;
    std::fill(m.begin() + 272, m.end(), uint8_t(0));
    m[272] = 18; // system number 531
    m[273] = 3;
    auto zones = [&m](int card, int planes) {
        for (int p = 0; p < 3; ++p) {
            if (planes & (1 << p))
                m[size_t(512 + 512 * p + card / 8)] |= uint8_t(1 << (card % 8));
        }
    };
    zones(1, 1);
    zones(2, 1 | 4);
    zones(9, 7);
    for (int c = 100; c < 108; ++c)
        zones(c, 7);
    zones(200, 2);
    putText(m, 9, "Sondercode");
    s.terminals.push_back(t12);

    TerminalConfig t20;
    t20.address = 20;
    t20.protocol = 0;
    t20.version = "Ver 3.12 TM 1 04";
    t20.variantM = true;
    t20.memory = standardImage(20, 0, kDefaultPassword);
    s.terminals.push_back(t20);
    return s;
}

std::string describe(const Scenario &scenario)
{
    std::ostringstream out;
    for (const TerminalConfig &t : scenario.terminals) {
        out << "  address " << t.address << ", protocol " << t.protocol << ", version \"" << t.version << "\""
            << (t.variantM ? ", variant M" : "") << ", password ";
        if (t.passwordIsText) {
            out << "X" << t.password << " (free entry)";
        } else {
            for (int i = 5; i <= 7; ++i) {
                const int lo = t.memory[size_t(i)] & 15, hi = t.memory[size_t(i)] >> 4;
                out << char(lo < 10 ? '0' + lo : '?') << char(hi < 10 ? '0' + hi : '?');
            }
        }
        out << ((t.memory[2] & 0x80) ? ", special code" : "") << "\n";
    }
    return out.str();
}

bool parseScenario(const std::string &json, const std::string &baseDir, Scenario &out, std::string &error)
{
    QJsonParseError perr;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &perr);
    if (doc.isNull()) {
        error = "not valid JSON: " + perr.errorString().toStdString() + " at offset " +
                std::to_string(perr.offset);
        return false;
    }
    if (!doc.isObject()) {
        error = "the scenario must be a JSON object";
        return false;
    }
    Reader r{error};
    const QJsonObject o = doc.object();
    Scenario s;
    if (!r.checkKeys(o, {"echo", "echoGarbleEvery", "echoDropEvery", "echoMissEvery", "turnaroundMs", "blockGapMs", "goneAtMs", "terminals"}, "scenario"))
        return false;
    if (o.contains("echo")) {
        if (!o.value("echo").isBool())
            return r.fail("scenario", "\"echo\" must be true or false");
        s.echo = o.value("echo").toBool();
    }
    if (!r.integer(o, "echoGarbleEvery", 0, 1000000, s.echoGarbleEvery, "scenario") ||
        !r.integer(o, "echoDropEvery", 0, 1000000, s.echoDropEvery, "scenario") ||
        !r.integer(o, "echoMissEvery", 0, 1000000, s.echoMissEvery, "scenario") ||
        !r.integer(o, "turnaroundMs", 0, 10000, s.turnaroundMs, "scenario") ||
        !r.integer(o, "blockGapMs", 5, 10000, s.blockGapMs, "scenario") ||
        !r.integer(o, "goneAtMs", int64_t(0), int64_t(86400000), s.goneAtMs, "scenario"))
        return false;
    if (!o.value("terminals").isArray())
        return r.fail("scenario", "\"terminals\" must be an array");
    std::set<int> addresses;
    int i = 0;
    for (const QJsonValue &v : o.value("terminals").toArray()) {
        const std::string where = "terminals[" + std::to_string(i++) + "]";
        if (!v.isObject())
            return r.fail(where, "must be an object");
        TerminalConfig t;
        if (!r.terminal(v.toObject(), baseDir, t, where))
            return false;
        if (!addresses.insert(t.address).second)
            return r.fail(where, "address " + std::to_string(t.address) + " is taken twice");
        s.terminals.push_back(t);
    }
    out = s;
    return true;
}

bool loadScenario(const std::string &path, Scenario &out, std::string &error)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) {
        error = path + ": " + f.errorString().toStdString();
        return false;
    }
    const QByteArray json = f.readAll();
    const std::string base = QFileInfo(f).absolutePath().toStdString();
    if (!parseScenario(json.toStdString(), base, out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool readMainFile(const std::string &path, Memory &out, std::string &error)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) {
        error = path + ": " + f.errorString().toStdString();
        return false;
    }
    const QList<QByteArray> lines = f.readAll().split('\n');
    int n = 0;
    for (const QByteArray &raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() && n >= kMemorySize)
            continue;
        bool ok = false;
        const int v = line.toInt(&ok);
        if (!ok || v < 0 || v > 255) {
            error = path + ": line " + std::to_string(n + 1) + " is not a number 0..255";
            return false;
        }
        if (n >= kMemorySize) {
            error = path + ": more than 2048 lines";
            return false;
        }
        out[size_t(n++)] = uint8_t(v);
    }
    if (n < kMemorySize) {
        error = path + ": only " + std::to_string(n) + " of 2048 values";
        return false;
    }
    return true;
}

std::string mainFileText(const Memory &memory)
{
    std::string text;
    text.reserve(size_t(kMemorySize) * 7);
    for (uint8_t b : memory)
        text += " " + std::to_string(b) + " \r\n";
    return text;
}

bool writeMainFileAtomically(const std::string &path, const Memory &memory, std::string &error)
{
    QSaveFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly)) {
        error = path + ": " + f.errorString().toStdString();
        return false;
    }
    const std::string text = mainFileText(memory);
    f.write(text.data(), qint64(text.size()));
    if (!f.commit()) {
        error = path + ": " + f.errorString().toStdString();
        return false;
    }
    return true;
}

} // namespace sim
