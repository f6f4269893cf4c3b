#include "Modem.h"

#include <algorithm>
#include <cctype>

namespace sim
{

namespace
{
constexpr int kTelegramBaud = 19200;

std::string upper(std::string s)
{
    for (char &c : s)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
} // namespace

bool parseModemResult(const std::string &text, ModemOptions::Result &result)
{
    using R = ModemOptions::Result;
    if (text == "connect")
        result = R::Connect;
    else if (text == "busy")
        result = R::Busy;
    else if (text == "no-carrier")
        result = R::NoCarrier;
    else if (text == "no-dialtone")
        result = R::NoDialtone;
    else if (text == "no-answer")
        result = R::NoAnswer;
    else if (text == "silent")
        result = R::Silent;
    else
        return false;
    return true;
}

Modem::Modem(Bus &bus, const ModemOptions &options) : m_bus(bus), m_opt(options) {}

void Modem::note(const std::string &text)
{
    if (log)
        log("modem: " + text);
}

void Modem::result(const std::string &text)
{
    m_pending += "\r\n" + text + "\r\n";
}

void Modem::fromPc(const uint8_t *data, size_t n, int64_t nowUs)
{
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = data[i];
        switch (m_state) {
        case State::Command:
        case State::Escaped:
            commandByte(b, nowUs);
            break;
        case State::Dialing:
            // Any character aborts a dial, except the line end that follows
            // the command line's CR.
            if (b == '\n' || b == '\r')
                break;
            m_state = State::Command;
            m_dialDoneUs = -1;
            note("dial aborted by a character from the PC");
            result("NO CARRIER");
            break;
        case State::Online:
            dataByte(b, nowUs);
            break;
        }
        m_lastFromPcUs = nowUs;
    }
}

void Modem::commandByte(uint8_t b, int64_t nowUs)
{
    if (m_echo)
        m_pending += char(b);
    if (b == '\r') {
        const std::string l = m_line;
        m_line.clear();
        command(l, nowUs);
        return;
    }
    if (b == '\n')
        return;
    if (b == 8 || b == 127) {
        if (!m_line.empty())
            m_line.pop_back();
        return;
    }
    if (m_line.size() < 256)
        m_line += char(b);
}

void Modem::command(const std::string &raw, int64_t nowUs)
{
    std::string l = upper(raw);
    const size_t at = l.find("AT");
    if (at == std::string::npos) {
        if (!l.empty())
            note("no AT in \"" + raw + "\": ignored");
        return;
    }
    l = l.substr(at + 2);
    size_t i = 0;
    while (i < l.size()) {
        const char c = l[i++];
        if (c == ' ')
            continue;
        if (c == 'D') {
            std::string number = l.substr(i);
            lastDial = number;
            note("dial \"" + number + "\"");
            if (carrier()) {
                result("ERROR");
                return;
            }
            m_state = State::Dialing;
            m_dialDoneUs = nowUs + m_opt.connectDelayUs;
            return;
        }
        if (c == 'H') {
            while (i < l.size() && std::isdigit(static_cast<unsigned char>(l[i])))
                ++i;
            if (carrier())
                note("hung up");
            m_state = State::Command;
            continue;
        }
        if (c == 'O') {
            while (i < l.size() && std::isdigit(static_cast<unsigned char>(l[i])))
                ++i;
            if (m_state == State::Escaped) {
                m_state = State::Online;
                result("CONNECT " + std::to_string(m_opt.connectSpeed));
                return;
            }
            result("NO CARRIER");
            return;
        }
        if (c == 'E') {
            m_echo = !(i < l.size() && l[i] == '0');
            if (i < l.size() && std::isdigit(static_cast<unsigned char>(l[i])))
                ++i;
            continue;
        }
        if (c == 'Z') {
            m_echo = true;
            if (carrier())
                note("hung up (ATZ)");
            m_state = State::Command;
            continue;
        }
        if (c == 'S') {
            // S<n>=<v> or S<n>?
            while (i < l.size() && (std::isdigit(static_cast<unsigned char>(l[i])) || l[i] == '=' || l[i] == '?'))
                ++i;
            continue;
        }
        if (c == '&' && i < l.size()) {
            ++i;
            while (i < l.size() && std::isdigit(static_cast<unsigned char>(l[i])))
                ++i;
            continue;
        }
        if (std::isalpha(static_cast<unsigned char>(c))) {
            // X3, V1, Q0, L, M and the like: taken without effect.
            while (i < l.size() && std::isdigit(static_cast<unsigned char>(l[i])))
                ++i;
            continue;
        }
        result("ERROR");
        return;
    }
    result("OK");
}

void Modem::toBus(const std::string &bytes, int64_t nowUs)
{
    if (bytes.empty())
        return;
    m_bus.fromPc(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), nowUs);
    m_lastToBus += bytes;
    if (m_lastToBus.size() > 8)
        m_lastToBus.erase(0, m_lastToBus.size() - 8);
}

void Modem::dataByte(uint8_t b, int64_t nowUs)
{
    // Escape: "+" after a guard time of silence, then up to two more, each
    // within the guard time; the guard time after the third decides.
    if (b == '+' && m_plusCount < 3) {
        const bool quietBefore = m_plusCount == 0 && (m_lastFromPcUs < 0 || nowUs - m_lastFromPcUs >= m_opt.guardUs);
        const bool next = m_plusCount > 0 && nowUs - m_lastFromPcUs < m_opt.guardUs;
        if (quietBefore || next) {
            ++m_plusCount;
            m_escapeAtUs = m_plusCount == 3 ? nowUs + m_opt.guardUs : -1;
            return;
        }
    }
    if (m_plusCount > 0) {
        toBus(std::string(size_t(m_plusCount), '+'), nowUs);
        m_plusCount = 0;
        m_escapeAtUs = -1;
    }
    const bool telegramSpeed = !m_bus.lineSpeed || m_bus.lineSpeed() == kTelegramBaud;
    if (b == '#' && telegramSpeed) {
        m_hashes += '#';
        if (m_hashes.size() == 3) {
            const bool plain = m_lastToBus.size() >= 3 && m_lastToBus.compare(m_lastToBus.size() - 3, 3, "U24") == 0;
            if (!plain)
                note("write announcement \"###\" passed to the bus as \"U24###\"");
            toBus(plain ? m_hashes : "U24" + m_hashes, nowUs);
            m_hashes.clear();
        }
        return;
    }
    if (!m_hashes.empty()) {
        toBus(m_hashes, nowUs);
        m_hashes.clear();
    }
    toBus(std::string(1, char(b)), nowUs);
}

void Modem::advance(int64_t nowUs, std::string &toPc)
{
    if (m_state == State::Dialing && m_dialDoneUs >= 0 && nowUs >= m_dialDoneUs) {
        m_dialDoneUs = -1;
        using R = ModemOptions::Result;
        switch (m_opt.result) {
        case R::Connect:
            m_state = State::Online;
            m_plusCount = 0;
            m_dropAtUs = m_opt.dropAfterUs >= 0 ? nowUs + m_opt.dropAfterUs : -1;
            m_lastFromPcUs = nowUs;
            result("CONNECT " + std::to_string(m_opt.connectSpeed));
            note("connected");
            break;
        case R::Busy:
            m_state = State::Command;
            result("BUSY");
            break;
        case R::NoCarrier:
            m_state = State::Command;
            result("NO CARRIER");
            break;
        case R::NoDialtone:
            m_state = State::Command;
            result("NO DIALTONE");
            break;
        case R::NoAnswer:
            m_state = State::Command;
            result("NO ANSWER");
            break;
        case R::Silent:
            break; // rings for ever
        }
    }
    if (m_state == State::Online && m_plusCount == 3 && m_escapeAtUs >= 0 && nowUs >= m_escapeAtUs &&
        m_lastFromPcUs + m_opt.guardUs <= nowUs) {
        m_plusCount = 0;
        m_escapeAtUs = -1;
        m_state = State::Escaped;
        note("escape: command mode");
        result("OK");
    }
    if (carrier() && m_dropAtUs >= 0 && nowUs >= m_dropAtUs) {
        m_dropAtUs = -1;
        m_plusCount = 0;
        m_escapeAtUs = -1;
        m_state = State::Command;
        note("carrier lost");
        result("NO CARRIER");
    }
    std::string fromBus;
    m_bus.advance(nowUs, fromBus);
    if (m_state == State::Online)
        toPc += fromBus;
    toPc += m_pending;
    m_pending.clear();
}

int64_t Modem::nextWakeUs() const
{
    int64_t w = m_bus.nextWakeUs();
    for (const int64_t t : {m_dialDoneUs, m_escapeAtUs, m_dropAtUs}) {
        if (t >= 0 && (w < 0 || t < w))
            w = t;
    }
    return w;
}

} // namespace sim
