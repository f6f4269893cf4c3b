#include "Bus.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace sim
{

namespace
{

constexpr uint8_t STX = 0x02;
constexpr uint8_t ETX = 0x03;
constexpr uint8_t NAK = 0x15;
constexpr int kListenBaud = 19200;     // terminals listen for telegrams at this speed only
constexpr int64_t kFrameGapUs = 10000; // a telegram arrives in one piece; a pause ends it
constexpr size_t kBlockSize = 2051;
constexpr size_t kMaxFreeText = 16;

uint8_t xorOf(const std::string &s, size_t from, size_t to)
{
    uint8_t x = 0;
    for (size_t i = from; i < to; ++i)
        x ^= uint8_t(s[i]);
    return x;
}

std::string hex(const std::string &bytes, size_t max = 24)
{
    std::string out;
    char buf[4];
    for (size_t i = 0; i < bytes.size() && i < max; ++i) {
        std::snprintf(buf, sizeof buf, "%02X ", unsigned(uint8_t(bytes[i])));
        out += buf;
    }
    if (bytes.size() > max)
        out += "... (" + std::to_string(bytes.size()) + " bytes)";
    else if (!out.empty())
        out.pop_back();
    return out;
}

std::string commandName(char cmd, const std::string &args)
{
    if (cmd == 'P')
        return "P (login)";
    return std::string(1, cmd) + args;
}

} // namespace

BusOptions BusOptions::of(const Scenario &s)
{
    BusOptions o;
    o.echo = s.echo;
    o.echoGarbleEvery = s.echoGarbleEvery;
    o.echoDropEvery = s.echoDropEvery;
    o.echoMissEvery = s.echoMissEvery;
    o.turnaroundUs = int64_t(s.turnaroundMs) * 1000;
    o.blockGapUs = int64_t(s.blockGapMs) * 1000;
    o.goneAtUs = s.goneAtMs >= 0 ? s.goneAtMs * 1000 : -1;
    return o;
}

Bus::Bus(const Scenario &scenario, const BusOptions &options) : m_opt(options)
{
    for (const TerminalConfig &cfg : scenario.terminals) {
        Terminal t;
        t.cfg = cfg;
        t.address = cfg.address;
        t.protocol = cfg.protocol;
        t.eventDone.assign(cfg.events.size(), false);
        for (const Fault &f : cfg.faults) {
            t.faultSkip.push_back(f.skip);
            t.faultCount.push_back(f.count);
        }
        m_terms.push_back(std::move(t));
    }
}

std::vector<Bus::TerminalView> Bus::terminals() const
{
    std::vector<TerminalView> v;
    for (const Terminal &t : m_terms)
        v.push_back({t.address, t.protocol, &t.cfg.memory});
    return v;
}

void Bus::note(const std::string &text) const
{
    if (log)
        log(text);
}

void Bus::trace(const std::string &text) const
{
    if (m_opt.verbose && log)
        log(text);
}

void Bus::fromPc(const uint8_t *data, size_t n, int64_t nowUs)
{
    for (size_t i = 0; i < n; ++i)
        m_pc.push_back({data[i], nowUs});
}

// ---------------------------------------------------------------- the line

void Bus::advance(int64_t nowUs, std::string &toPc)
{
    m_out = &toPc;
    do {
        while (!m_gone) {
            if (m_onLine) {
                if (m_onLine->endUs > nowUs)
                    break;
                const OnLine b = *m_onLine;
                m_onLine.reset();
                complete(b);
                continue;
            }
            const bool running = !m_answers.empty() && m_answers.front().sent > 0;
            const int64_t pcReady = m_pc.empty() ? INT64_MAX : m_pc.front().readyUs;
            const int64_t answerReady = m_answers.empty() ? INT64_MAX : m_answers.front().readyUs;
            const bool takeAnswer = running || answerReady < pcReady;
            const int64_t ready = running ? m_lineFreeUs : std::min(pcReady, answerReady);
            if (ready == INT64_MAX || ready > nowUs)
                break;
            int baud = lineSpeed ? lineSpeed() : kListenBaud;
            const int64_t start = std::max(m_lineFreeUs, ready);
            const int64_t duration = m_opt.pacing ? (10000000 + (baud > 0 ? baud : kListenBaud) / 2) /
                                                       (baud > 0 ? baud : kListenBaud)
                                                 : 0;
            OnLine b;
            b.fromPc = !takeAnswer;
            b.endUs = start + duration;
            b.baud = baud;
            if (takeAnswer) {
                Answer &a = m_answers.front();
                b.value = uint8_t(a.bytes[a.sent]);
            } else {
                b.value = m_pc.front().value;
                m_pc.pop_front();
            }
            m_lineFreeUs = b.endUs;
            m_onLine = b;
            if (takeAnswer)
                ++m_answers.front().sent; // counts as started
        }
    } while (!m_gone && checkTimeouts(nowUs));
    m_out = nullptr;
}

int64_t Bus::nextWakeUs() const
{
    int64_t w = INT64_MAX;
    if (m_onLine) {
        w = m_onLine->endUs;
    } else {
        if (!m_pc.empty())
            w = std::min(w, m_pc.front().readyUs);
        if (!m_answers.empty())
            w = std::min(w, m_answers.front().sent > 0 ? m_lineFreeUs : m_answers.front().readyUs);
    }
    for (const Terminal &t : m_terms) {
        if (!t.block.empty())
            w = std::min(w, t.blockLastUs + m_opt.blockGapUs);
    }
    if (m_opt.goneAtUs >= 0)
        w = std::min(w, m_opt.goneAtUs);
    return w == INT64_MAX ? -1 : w;
}

int64_t Bus::nextLineUs() const
{
    if (m_gone)
        return -1;
    if (m_onLine)
        return m_onLine->endUs;
    int64_t w = INT64_MAX;
    if (!m_pc.empty())
        w = std::min(w, m_pc.front().readyUs);
    if (!m_answers.empty()) {
        const Answer &a = m_answers.front();
        if (a.sent > 0)
            w = std::min(w, m_lineFreeUs);
        else if (a.readyUs <= m_lineFreeUs + m_opt.turnaroundUs)
            w = std::min(w, a.readyUs);
    }
    return w == INT64_MAX ? -1 : w;
}

void Bus::complete(const OnLine &b)
{
    if (b.fromPc) {
        arrived(b.value, b.baud, b.endUs);
        return;
    }
    Answer &a = m_answers.front();
    *m_out += char(b.value);
    const bool goneNow = a.goneAfter >= 0 && int64_t(a.sent) >= a.goneAfter;
    if (a.sent >= a.bytes.size())
        m_answers.pop_front();
    if (goneNow)
        disappear("device gone after " + std::to_string(a.goneAfter) + " answer bytes");
}

void Bus::disappear(const std::string &why)
{
    if (!m_gone)
        note(why);
    m_gone = true;
}

bool Bus::checkTimeouts(int64_t t)
{
    bool queued = false;
    if (m_opt.goneAtUs >= 0 && t >= m_opt.goneAtUs)
        disappear("device gone by schedule");
    for (Terminal &term : m_terms) {
        if (term.block.empty() || t < term.blockLastUs + m_opt.blockGapUs)
            continue;
        const int64_t at = term.blockLastUs + m_opt.blockGapUs;
        if (term.block.size() == 1) {
            term.block.clear();
            term.state = State::Repair;
            trace("terminal " + std::to_string(term.address) + ": wake-up STX, answering NAK");
            queued = answer(term, "wakeup", std::string(1, char(NAK)), at) || queued;
        } else {
            note("terminal " + std::to_string(term.address) + ": write block broke off after " +
                 std::to_string(term.block.size()) + " bytes; waiting for a new block");
            term.block.clear();
            term.state = State::Waiting;
        }
    }
    return queued;
}

void Bus::arrived(uint8_t b, int baud, int64_t t)
{
    checkTimeouts(t);
    if (onArrived)
        onArrived(t, baud, b);
    // A pause of more than half a byte time between two bytes begins a new telegram.
    if (m_lastArrivedUs < 0 || t - m_lastArrivedUs > 15000000 / std::max(baud, 1))
        ++m_telegrams;
    m_lastArrivedUs = t;
    const bool missed = m_opt.echoMissEvery > 0 && m_telegrams % m_opt.echoMissEvery == 0;
    if (m_opt.echo && !missed) {
        ++m_echoed;
        const bool garble = m_opt.echoGarbleEvery > 0 && m_echoed % m_opt.echoGarbleEvery == 0;
        if (m_opt.echoDropEvery <= 0 || m_echoed % m_opt.echoDropEvery != 0)
            *m_out += char(garble ? b ^ 0x01 : b);
    }
    if (m_gone)
        return;

    for (Terminal &term : m_terms) {
        if (owner(term)) {
            feedBlock(term, b, baud, t);
            return;
        }
    }
    bool owned = false;
    for (Terminal &term : m_terms) {
        if (term.state == State::Announced || term.state == State::Waiting || term.state == State::Repair) {
            feedBlock(term, b, baud, t);
            owned = owned || owner(term);
        }
    }
    if (owned || m_gone)
        return;
    if (baud != kListenBaud) {
        m_frameBuf.clear();
        m_plain.clear();
        return;
    }

    m_plain += char(b);
    if (m_plain.size() > 6)
        m_plain.erase(0, m_plain.size() - 6);
    if (m_plain == "U24###") {
        for (Terminal &term : m_terms) {
            if (term.state == State::Prepared) {
                term.state = State::Announced;
                trace("terminal " + std::to_string(term.address) + ": write block announced");
            }
        }
    }
    const size_t n = m_plain.size();
    if (n >= 3 && m_plain[n - 1] >= '0' && m_plain[n - 1] <= '9' && m_plain[n - 1] == m_plain[n - 2] &&
        m_plain[n - 1] == m_plain[n - 3]) {
        // A terminal left waiting for a block stays waiting (only a block
        // brings it back) and tells the recovery scan so: ACK STX 0xFF.
        const std::string triple = m_plain.substr(n - 3);
        m_plain.clear();
        for (Terminal &term : m_terms) {
            if ((term.state == State::Announced || term.state == State::Waiting ||
                 term.state == State::Repair) &&
                !owner(term)) {
                if (!term.recoverySeen)
                    note("terminal " + std::to_string(term.address) + ": recovery string \"" + triple +
                         "\", still waiting for a write block");
                term.recoverySeen = true;
                answer(term, "recovery", std::string("\x06\x02\xFF", 3), t);
            }
        }
    }
    feedParser(b, t);
}

// ---------------------------------------------------------------- telegrams

void Bus::feedParser(uint8_t b, int64_t t)
{
    if (!m_frameBuf.empty() && t - m_frameLastUs > kFrameGapUs)
        m_frameBuf.clear();
    m_frameLastUs = t;
    if (m_frameBuf.empty() && b != STX)
        return;
    m_frameBuf += char(b);
    while (!m_frameBuf.empty()) {
        size_t length = 0;
        const Parse p = tryParse(length);
        if (p == Parse::NeedMore)
            return;
        if (p == Parse::Complete) {
            const std::string f = m_frameBuf.substr(0, length);
            m_frameBuf.erase(0, length);
            frame(f, t);
            if (m_gone)
                return;
        } else {
            m_frameBuf.erase(0, 1);
        }
        const size_t s = m_frameBuf.find(char(STX));
        if (s == std::string::npos)
            m_frameBuf.clear();
        else
            m_frameBuf.erase(0, s);
    }
}

// A telegram is STX, address, command, ETX, check. Its length follows from the
// command, never from looking for ETX: packed password bytes and the check may
// be 0x02 or 0x03 themselves.
Bus::Parse Bus::tryParse(size_t &length) const
{
    const std::string &f = m_frameBuf;
    if (f.size() < 3)
        return Parse::NeedMore;
    size_t n = 0;
    switch (f[2]) {
    case 'X':
    case 'V':
    case 'E':
    case 'D':
    case 'd':
    case 'R':
    case 'S':
    case 'K':
    case 'O':
    case 'G':
        n = 1;
        break;
    case 'L':
        n = 2;
        break;
    case 'P':
        if (f.size() < 4)
            return Parse::NeedMore;
        if (f[3] == '0') {
            n = 5;
        } else if (f[3] == 'X') {
            const size_t etx = f.find(char(ETX), 4);
            if (etx == std::string::npos)
                return f.size() < 4 + kMaxFreeText + 1 ? Parse::NeedMore : Parse::Invalid;
            n = etx - 2;
        } else {
            return Parse::Invalid;
        }
        break;
    default:
        return Parse::Invalid;
    }
    if (f.size() < n + 4)
        return Parse::NeedMore;
    if (uint8_t(f[2 + n]) != ETX || uint8_t(f[3 + n]) != xorOf(f, 1, 3 + n))
        return Parse::Invalid;
    length = n + 4;
    return Parse::Complete;
}

Bus::Terminal *Bus::terminalAt(int address)
{
    for (Terminal &t : m_terms) {
        if (t.address == address)
            return &t;
    }
    return nullptr;
}

void Bus::frame(const std::string &f, int64_t t)
{
    const int address = uint8_t(f[1]);
    const char cmd = f[2];
    const std::string args = f.substr(3, f.size() - 5);
    Terminal *term = terminalAt(address);
    if (!term) {
        trace("telegram " + commandName(cmd, args) + " to " + std::to_string(address) + ": nobody there");
        return;
    }
    if (term->state != State::Normal && term->state != State::Prepared) {
        trace("telegram " + commandName(cmd, args) + " to " + std::to_string(address) +
              ": terminal waits for a write block");
        return;
    }
    if (term->state == State::Prepared) {
        note("terminal " + std::to_string(address) + ": no write announcement came, preparation dropped");
        term->state = State::Normal;
    }
    trace("telegram " + commandName(cmd, args) + " to " + std::to_string(address));
    handle(*term, cmd, args, t);
}

bool Bus::strikes(Terminal &term, size_t i)
{
    if (term.faultSkip[i] > 0) {
        --term.faultSkip[i];
        return false;
    }
    if (term.faultCount[i] == 0)
        return false;
    if (term.faultCount[i] > 0)
        --term.faultCount[i];
    return true;
}

std::string Bus::framed(const Terminal &term, char cmd, const std::string &payload) const
{
    std::string body;
    body += char(term.address);
    body += cmd;
    if (term.protocol == 1)
        body += "00";
    body += payload;
    body += char(ETX);
    return char(STX) + body + char(xorOf(body, 0, body.size()));
}

void Bus::handle(Terminal &term, char cmd, const std::string &args, int64_t t)
{
    const std::string c(1, cmd);
    for (size_t i = 0; i < term.cfg.faults.size(); ++i) {
        const Fault &f = term.cfg.faults[i];
        if (f.kind == Fault::Kind::Gone && f.afterBytes < 0 && (f.command.empty() || f.command == c) &&
            strikes(term, i)) {
            disappear("device gone at telegram " + commandName(cmd, args) + " to " +
                      std::to_string(term.address));
            return;
        }
    }
    const bool login = term.loggedIn;
    term.loggedIn = false;
    const std::string who = "terminal " + std::to_string(term.address) + ": ";

    switch (cmd) {
    case 'X':
        answer(term, c,
               framed(term, 'X', term.protocol == 1 ? "A" : std::string(1, char(64 + term.protocol))), t);
        break;
    case 'V': {
        std::string s = framed(term, 'V', term.cfg.version);
        if (term.protocol == 1)
            s = std::string("\x02\x06\x03\x05", 4) + s;
        answer(term, c, s, t);
        break;
    }
    case 'P': {
        bool ok;
        if (term.cfg.passwordIsText) {
            ok = args == "X" + term.cfg.password;
        } else {
            const Memory &m = term.cfg.memory;
            ok = args.size() == 4 && args[0] == '0' && uint8_t(args[1]) == m[5] && uint8_t(args[2]) == m[6] &&
                 uint8_t(args[3]) == m[7];
        }
        term.loggedIn = ok;
        if (!ok)
            note(who + "wrong password");
        answer(term, c, framed(term, 'P', ok ? "J" : "N"), t);
        break;
    }
    case 'E': {
        if (!login) {
            note(who + "read-out without login ignored");
            break;
        }
        std::string data;
        data.reserve(4096);
        for (uint8_t b : term.cfg.memory) {
            data += char(0x30 + (b & 15));
            data += char(0x30 + (b >> 4));
        }
        data += char(ETX);
        std::string s;
        if (term.protocol == 1) {
            s = std::string("\x02\x06\x03\x05\x02", 5) + data;
            s += char(xorOf(data, 0, data.size()));
        } else {
            s = std::string(1, char(STX)) + char(term.address) + 'E' + data;
            s += char(xorOf(s, 2, s.size()));
        }
        note(who + "read out");
        answer(term, c, s, t);
        break;
    }
    case 'D':
    case 'd':
        if (!login) {
            note(who + "write command without login ignored");
            break;
        }
        if (cmd != (term.variantM() ? 'd' : 'D')) {
            note(who + "write command \"" + c + "\" does not fit variant " +
                 (term.variantM() ? "M" : "standard") + ", ignored");
            break;
        }
        term.state = State::Prepared;
        trace(who + "prepared for a write block");
        break;
    case 'R':
        term.mode = 'K';
        note(who + "reset");
        break;
    case 'S':
        answer(term, c, framed(term, 'S', std::string(1, char(status(term, t)))), t);
        break;
    case 'L': {
        const std::string payload = args;
        std::string data;
        int number = 0;
        if (!term.cards.empty()) {
            data = term.cards.front().data;
            number = term.cards.front().number;
            term.cards.pop_front();
        }
        data.resize(25, ' ');
        char num[8];
        std::snprintf(num, sizeof num, "%03d", number);
        std::string body;
        body += char(term.address);
        body += 'L';
        body += payload + num + data;
        body += char(ETX);
        answer(term, c, char(STX) + body + char(xorOf(body, 0, body.size())), t);
        break;
    }
    case 'K':
    case 'O':
    case 'G':
        if (term.mode != cmd)
            note(who + "mode " + c);
        term.mode = cmd;
        answer(term, c, framed(term, cmd, "@"), t);
        break;
    default:
        break;
    }
}

uint8_t Bus::status(Terminal &term, int64_t t)
{
    const int64_t elapsedMs = t / 1000;
    for (size_t i = 0; i < term.cfg.events.size(); ++i) {
        const TestEvent &e = term.cfg.events[i];
        if (term.eventDone[i] || elapsedMs < e.atMs || (e.afterPolls >= 0 && term.polls < e.afterPolls))
            continue;
        term.eventDone[i] = true;
        switch (e.kind) {
        case TestEvent::Kind::Card:
            term.cards.push_back({false, e.data, e.number});
            break;
        case TestEvent::Kind::ErrorBooking:
            term.cards.push_back({true, e.data, e.number});
            break;
        case TestEvent::Kind::Fault:
            term.faultPolls += e.polls;
            break;
        case TestEvent::Kind::Skimming:
            term.skimmingPolls += e.polls;
            break;
        case TestEvent::Kind::Sabotage:
            term.sabotagePolls += e.polls;
            break;
        }
    }
    uint8_t st = 0x40;
    if (term.faultPolls > 0) {
        st |= 0x01;
        --term.faultPolls;
    }
    if (term.skimmingPolls > 0) {
        st |= 0x10;
        --term.skimmingPolls;
    }
    if (term.sabotagePolls > 0) {
        st |= 0x20;
        --term.sabotagePolls;
    }
    for (const Card &card : term.cards)
        st |= card.errorBooking ? 0x08 : 0x04;
    ++term.polls;
    return st;
}

bool Bus::answer(Terminal &term, const std::string &cmd, std::string bytes, int64_t t)
{
    int64_t ready = t + m_opt.turnaroundUs;
    int64_t goneAfter = -1;
    bool drop = false;
    for (size_t i = 0; i < term.cfg.faults.size(); ++i) {
        const Fault &f = term.cfg.faults[i];
        if (!f.command.empty() && f.command != cmd)
            continue;
        // Gone at the telegram itself and everything about the write block are judged on arrival.
        if (f.kind == Fault::Kind::Gone && ((f.afterBytes < 0 && cmd != "wakeup") || cmd == "block"))
            continue;
        if (f.kind == Fault::Kind::Refuse)
            continue;
        if (!strikes(term, i))
            continue;
        switch (f.kind) {
        case Fault::Kind::Drop:
            drop = true;
            break;
        case Fault::Kind::BadCheck:
            if (!bytes.empty())
                bytes.back() = char(uint8_t(bytes.back()) ^ 0xFF);
            break;
        case Fault::Kind::Noise: {
            const std::string noise(f.bytes.begin(), f.bytes.end());
            bytes = f.noiseAfter ? bytes + noise : noise + bytes;
            break;
        }
        case Fault::Kind::Delay:
            ready += int64_t(f.delayMs) * 1000;
            break;
        case Fault::Kind::Silence:
            if (bytes.size() > size_t(f.afterBytes))
                bytes.resize(size_t(f.afterBytes));
            break;
        case Fault::Kind::Gone:
            goneAfter = std::max<int64_t>(f.afterBytes, 0);
            break;
        case Fault::Kind::Refuse:
            break;
        }
    }
    if (drop) {
        trace("terminal " + std::to_string(term.address) + ": answer to " + cmd + " dropped");
        return false;
    }
    if (goneAfter == 0 || (goneAfter > 0 && bytes.empty())) {
        disappear("device gone before the answer to " + cmd);
        return false;
    }
    if (bytes.empty())
        return false;
    trace("terminal " + std::to_string(term.address) + " answers " + cmd + ": " + hex(bytes));
    Answer a;
    a.readyUs = ready;
    a.bytes = std::move(bytes);
    a.goneAfter = goneAfter;
    // Keep the queue ordered by start time, but never push in front of an answer on the line.
    auto pos = m_answers.end();
    while (pos != m_answers.begin()) {
        auto prev = std::prev(pos);
        if (prev->readyUs <= a.readyUs || prev->sent > 0)
            break;
        pos = prev;
    }
    m_answers.insert(pos, std::move(a));
    return true;
}

// ---------------------------------------------------------------- write block

bool Bus::owner(const Terminal &term) const
{
    return (term.state == State::Announced || term.state == State::Repair) && !term.block.empty();
}

int Bus::blockBaud(const Terminal &term) const
{
    return term.variantM() ? 19200 : 2400;
}

void Bus::feedBlock(Terminal &term, uint8_t b, int baud, int64_t t)
{
    if (term.block.empty()) {
        if (b != STX)
            return;
        term.blockSpeedOk = true;
        term.blockGoneAt = -1;
    }
    term.block.push_back(b);
    term.blockLastUs = t;
    if (baud != blockBaud(term))
        term.blockSpeedOk = false;
    // A second byte makes it a block rather than a wake-up: now a "gone" fault may strike.
    if (term.block.size() == 2 && (term.state == State::Announced || term.state == State::Repair)) {
        for (size_t i = 0; i < term.cfg.faults.size(); ++i) {
            const Fault &f = term.cfg.faults[i];
            if (f.kind == Fault::Kind::Gone && f.command == "block" && strikes(term, i))
                term.blockGoneAt = std::max(f.afterBytes, 2);
        }
    }
    if (term.blockGoneAt > 0 && int(term.block.size()) >= term.blockGoneAt) {
        disappear("device gone after " + std::to_string(term.block.size()) + " bytes of the write block");
        return;
    }
    if (term.block.size() == kBlockSize)
        finishBlock(term, t);
}

void Bus::finishBlock(Terminal &term, int64_t t)
{
    const std::string who = "terminal " + std::to_string(term.address) + ": ";
    const std::vector<uint8_t> &blk = term.block;
    uint8_t check = 0;
    for (size_t i = 1; i < kBlockSize - 1; ++i)
        check ^= blk[i];
    std::string why;
    if (blk[kBlockSize - 2] != ETX)
        why = "no ETX at its end";
    else if (blk[kBlockSize - 1] != check)
        why = "wrong check byte";
    else if (!term.blockSpeedOk)
        why = "bytes not at " + std::to_string(blockBaud(term)) + " baud";
    for (size_t i = 0; why.empty() && i < term.cfg.faults.size(); ++i) {
        const Fault &f = term.cfg.faults[i];
        if (f.kind == Fault::Kind::Refuse && (f.command.empty() || f.command == "block") && strikes(term, i))
            why = "refuse fault";
    }
    if (!why.empty()) {
        note(who + "write block refused (" + why + "); waiting for a new block");
        term.block.clear();
        term.state = State::Waiting;
        return;
    }
    std::copy(blk.begin() + 1, blk.begin() + 1 + kMemorySize, term.cfg.memory.begin());
    term.block.clear();
    term.state = State::Normal;
    term.loggedIn = false;
    term.recoverySeen = false;
    const int oldAddress = term.address;
    // The new memory carries the terminal's address and protocol.
    const Memory &m = term.cfg.memory;
    if (m[8] != 0 && m[8] != term.address) {
        if (terminalAt(m[8]))
            note(who + "address " + std::to_string(m[8]) + " of the new memory is taken, keeping " +
                 std::to_string(term.address));
        else
            term.address = m[8];
    }
    if (m[10] <= 191)
        term.protocol = m[10];
    note(who + "write block accepted" +
         (term.address == oldAddress ? std::string() : ", now address " + std::to_string(term.address)) +
         ", protocol " + std::to_string(term.protocol));
    if (onMemoryChanged)
        onMemoryChanged(term.address, term.cfg.memory);
    answer(term, "block", "U19###", t);
}

} // namespace sim
