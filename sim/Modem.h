// A Hayes modem in front of the simulated bus, as a remote installation is
// reached by telephone. Command mode: "AT" command lines ended by CR, echoed
// while echo is on (ATE0/ATE1), answered with verbose result codes. ATD dials:
// after a delay the line connects ("CONNECT 9600") or ends with BUSY,
// NO CARRIER, NO DIALTONE or NO ANSWER, as chosen; "silent" never answers.
// Data mode passes every byte to the bus and the bus's bytes back. "+++"
// with a guard time of silence before and after returns to command mode
// ("OK"); ATH then hangs up, ATO goes back online.
//
// The installation's interface module takes the modem's write announcement
// "###" as the bus announcement: three "#" at the telegram speed reach the
// bus as "U24###".
#pragma once

#include "Bus.h"

#include <cstdint>
#include <functional>
#include <string>

namespace sim
{

struct ModemOptions {
    enum class Result { Connect, Busy, NoCarrier, NoDialtone, NoAnswer, Silent };
    Result result = Result::Connect;
    int64_t connectDelayUs = 1500000;
    int64_t guardUs = 1000000;
    int connectSpeed = 9600;
    int64_t dropAfterUs = -1;  // carrier lost this long after CONNECT; -1 never
};

// "connect", "busy", "no-carrier", "no-dialtone", "no-answer", "silent".
bool parseModemResult(const std::string &text, ModemOptions::Result &result);

class Modem
{
public:
    std::function<void(const std::string &)> log;
    // The last number dialled ("T47", "T0,47"), for the operator.
    std::string lastDial;

    Modem(Bus &bus, const ModemOptions &options);

    void fromPc(const uint8_t *data, size_t n, int64_t nowUs);
    void advance(int64_t nowUs, std::string &toPc);
    int64_t nextWakeUs() const;
    bool online() const { return m_state == State::Online; }
    bool carrier() const { return m_state == State::Online || m_state == State::Escaped; }

private:
    enum class State { Command, Dialing, Online, Escaped };
    void commandByte(uint8_t b, int64_t nowUs);
    void command(const std::string &line, int64_t nowUs);
    void dataByte(uint8_t b, int64_t nowUs);
    void toBus(const std::string &bytes, int64_t nowUs);
    void result(const std::string &text);
    void note(const std::string &text);

    Bus &m_bus;
    ModemOptions m_opt;
    State m_state = State::Command;
    bool m_echo = true;
    std::string m_line;
    std::string m_pending; // for the PC
    int64_t m_dialDoneUs = -1;
    int64_t m_lastFromPcUs = -1;
    int64_t m_silenceBeforePlusUs = -1;
    int m_plusCount = 0;
    int64_t m_escapeAtUs = -1;
    int64_t m_dropAtUs = -1;
    std::string m_hashes;
    std::string m_lastToBus;
};

} // namespace sim
