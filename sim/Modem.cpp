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

Modem::Modem(Bus &bus, const ModemOptions &options) : bus_(bus), opt_(options) {}

void Modem::note(const std::string &text)
{
    if (log)
        log("modem: " + text);
}

void Modem::result(const std::string &text)
{
    pending_ += "\r\n" + text + "\r\n";
}

void Modem::fromPc(const uint8_t *data, size_t n, int64_t nowUs)
{
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = data[i];
        switch (state_) {
        case State::Command:
        case State::Escaped:
            commandByte(b, nowUs);
            break;
        case State::Dialing:
            // Any character aborts a dial, except the line end that follows
            // the command line's CR.
            if (b == '\n' || b == '\r')
                break;
            state_ = State::Command;
            dialDoneUs_ = -1;
            note("dial aborted by a character from the PC");
            result("NO CARRIER");
            break;
        case State::Online:
            dataByte(b, nowUs);
            break;
        }
        lastFromPcUs_ = nowUs;
    }
}

void Modem::commandByte(uint8_t b, int64_t nowUs)
{
    if (echo_)
        pending_ += char(b);
    if (b == '\r') {
        const std::string l = line_;
        line_.clear();
        command(l, nowUs);
        return;
    }
    if (b == '\n')
        return;
    if (b == 8 || b == 127) {
        if (!line_.empty())
            line_.pop_back();
        return;
    }
    if (line_.size() < 256)
        line_ += char(b);
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
            state_ = State::Dialing;
            dialDoneUs_ = nowUs + opt_.connectDelayUs;
            return;
        }
        if (c == 'H') {
            while (i < l.size() && std::isdigit(static_cast<unsigned char>(l[i])))
                ++i;
            if (carrier())
                note("hung up");
            state_ = State::Command;
            continue;
        }
        if (c == 'O') {
            while (i < l.size() && std::isdigit(static_cast<unsigned char>(l[i])))
                ++i;
            if (state_ == State::Escaped) {
                state_ = State::Online;
                result("CONNECT " + std::to_string(opt_.connectSpeed));
                return;
            }
            result("NO CARRIER");
            return;
        }
        if (c == 'E') {
            echo_ = !(i < l.size() && l[i] == '0');
            if (i < l.size() && std::isdigit(static_cast<unsigned char>(l[i])))
                ++i;
            continue;
        }
        if (c == 'Z') {
            echo_ = true;
            if (carrier())
                note("hung up (ATZ)");
            state_ = State::Command;
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
    bus_.fromPc(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), nowUs);
    lastToBus_ += bytes;
    if (lastToBus_.size() > 8)
        lastToBus_.erase(0, lastToBus_.size() - 8);
}

void Modem::dataByte(uint8_t b, int64_t nowUs)
{
    // Escape: "+" after a guard time of silence, then up to two more, each
    // within the guard time; the guard time after the third decides.
    if (b == '+' && plusCount_ < 3) {
        const bool quietBefore = plusCount_ == 0 && (lastFromPcUs_ < 0 || nowUs - lastFromPcUs_ >= opt_.guardUs);
        const bool next = plusCount_ > 0 && nowUs - lastFromPcUs_ < opt_.guardUs;
        if (quietBefore || next) {
            ++plusCount_;
            escapeAtUs_ = plusCount_ == 3 ? nowUs + opt_.guardUs : -1;
            return;
        }
    }
    if (plusCount_ > 0) {
        toBus(std::string(size_t(plusCount_), '+'), nowUs);
        plusCount_ = 0;
        escapeAtUs_ = -1;
    }
    const bool telegramSpeed = !bus_.lineSpeed || bus_.lineSpeed() == kTelegramBaud;
    if (b == '#' && telegramSpeed) {
        hashes_ += '#';
        if (hashes_.size() == 3) {
            const bool plain = lastToBus_.size() >= 3 && lastToBus_.compare(lastToBus_.size() - 3, 3, "U24") == 0;
            if (!plain)
                note("write announcement \"###\" passed to the bus as \"U24###\"");
            toBus(plain ? hashes_ : "U24" + hashes_, nowUs);
            hashes_.clear();
        }
        return;
    }
    if (!hashes_.empty()) {
        toBus(hashes_, nowUs);
        hashes_.clear();
    }
    toBus(std::string(1, char(b)), nowUs);
}

void Modem::advance(int64_t nowUs, std::string &toPc)
{
    if (state_ == State::Dialing && dialDoneUs_ >= 0 && nowUs >= dialDoneUs_) {
        dialDoneUs_ = -1;
        using R = ModemOptions::Result;
        switch (opt_.result) {
        case R::Connect:
            state_ = State::Online;
            plusCount_ = 0;
            dropAtUs_ = opt_.dropAfterUs >= 0 ? nowUs + opt_.dropAfterUs : -1;
            lastFromPcUs_ = nowUs;
            result("CONNECT " + std::to_string(opt_.connectSpeed));
            note("connected");
            break;
        case R::Busy:
            state_ = State::Command;
            result("BUSY");
            break;
        case R::NoCarrier:
            state_ = State::Command;
            result("NO CARRIER");
            break;
        case R::NoDialtone:
            state_ = State::Command;
            result("NO DIALTONE");
            break;
        case R::NoAnswer:
            state_ = State::Command;
            result("NO ANSWER");
            break;
        case R::Silent:
            break; // rings for ever
        }
    }
    if (state_ == State::Online && plusCount_ == 3 && escapeAtUs_ >= 0 && nowUs >= escapeAtUs_ &&
        lastFromPcUs_ + opt_.guardUs <= nowUs) {
        plusCount_ = 0;
        escapeAtUs_ = -1;
        state_ = State::Escaped;
        note("escape: command mode");
        result("OK");
    }
    if (carrier() && dropAtUs_ >= 0 && nowUs >= dropAtUs_) {
        dropAtUs_ = -1;
        plusCount_ = 0;
        escapeAtUs_ = -1;
        state_ = State::Command;
        note("carrier lost");
        result("NO CARRIER");
    }
    std::string fromBus;
    bus_.advance(nowUs, fromBus);
    if (state_ == State::Online)
        toPc += fromBus;
    toPc += pending_;
    pending_.clear();
}

int64_t Modem::nextWakeUs() const
{
    int64_t w = bus_.nextWakeUs();
    for (const int64_t t : {dialDoneUs_, escapeAtUs_, dropAtUs_}) {
        if (t >= 0 && (w < 0 || t < w))
            w = t;
    }
    return w;
}

} // namespace sim
