// The simulated two-wire bus: one half-duplex line with the interface module
// (echo) and the terminals of a scenario. Knows nothing about the device:
// bytes from the PC go in with their read time, bytes for the PC come out of
// advance(); all times are microseconds on the caller's clock.
#pragma once

#include "Scenario.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sim
{

struct BusOptions {
    bool pacing = true;
    bool echo = true;
    int echoGarbleEvery = 0;  // every n-th echoed byte comes back with its lowest bit flipped (0: none)
    int echoDropEvery = 0;    // every n-th echoed byte is lost (0: none)
    int echoMissEvery = 0;    // the echo of every n-th telegram is missing altogether (0: none)
    int64_t turnaroundUs = 3000;
    int64_t blockGapUs = 50000;
    int64_t goneAtUs = -1;
    bool verbose = false;

    // The scenario's line: its echo, timings and disappearance. The command
    // line's options (--no-echo, --no-pacing, --turnaround) go on top.
    static BusOptions of(const Scenario &s);
};

class Bus
{
public:
    // Line speed in baud as the PC has set it now; asked once per byte.
    std::function<int()> lineSpeed = [] { return 19200; };
    // A byte from the PC has arrived at the terminals (end of its line time).
    std::function<void(int64_t timeUs, int baud, uint8_t byte)> onArrived;
    // A terminal's memory has changed (a write block was accepted).
    std::function<void(int address, const Memory &memory)> onMemoryChanged;
    // Notes for the operator (stderr).
    std::function<void(const std::string &)> log;

    Bus(const Scenario &scenario, const BusOptions &options);

    void fromPc(const uint8_t *data, size_t n, int64_t nowUs);
    // Runs the line up to nowUs and appends what reaches the PC by then.
    void advance(int64_t nowUs, std::string &toPc);
    // When advance() has something to do next; -1 = only when the PC sends.
    int64_t nextWakeUs() const;
    // When the line itself has something to do next: a byte on the line, a
    // byte from the PC, an answer under way or one due after the ordinary
    // turnaround; -1 when it waits for anything else (a block gap, a delay
    // fault, a scheduled disappearance, the PC). A caller that wants line time
    // without real waiting may jump its clock to this time.
    int64_t nextLineUs() const;
    // A "gone" fault struck: the device must disappear now.
    bool gone() const { return m_gone; }

    struct TerminalView {
        int address;
        int protocol;
        const Memory *memory;
    };
    std::vector<TerminalView> terminals() const;

private:
    enum class State { Normal, Prepared, Announced, Waiting, Repair };

    struct Card {
        bool errorBooking;
        std::string data;
        int number;
    };

    struct Terminal {
        TerminalConfig cfg;
        int address;
        int protocol;
        State state = State::Normal;
        bool loggedIn = false;
        char mode = 'K';
        int polls = 0;
        std::vector<bool> eventDone;
        std::deque<Card> cards;
        int faultPolls = 0, skimmingPolls = 0, sabotagePolls = 0;
        std::vector<int> faultSkip, faultCount;
        // write block being collected
        std::vector<uint8_t> block;
        bool blockSpeedOk = true;
        int64_t blockLastUs = 0;
        int blockGoneAt = -1;
        // a recovery triple was seen while waiting (noted once)
        bool recoverySeen = false;

        bool variantM() const { return cfg.variantM; }
    };

    struct Answer {
        int64_t readyUs;
        std::string bytes;
        size_t sent = 0;
        int64_t goneAfter = -1;
    };

    struct OnLine {
        bool fromPc = false;
        uint8_t value = 0;
        int64_t endUs = 0;
        int baud = 0;
    };

    struct PcByte {
        uint8_t value;
        int64_t readyUs;
    };

    // line
    void startNext(int64_t nowUs);
    void complete(const OnLine &b);
    void arrived(uint8_t b, int baud, int64_t t);
    bool checkTimeouts(int64_t t); // true: an answer was queued

    // frames at 19200 baud
    enum class Parse { Complete, NeedMore, Invalid };
    Parse tryParse(size_t &length) const;
    void feedParser(uint8_t b, int64_t t);
    void frame(const std::string &f, int64_t t);

    // terminal side
    Terminal *terminalAt(int address);
    void handle(Terminal &term, char cmd, const std::string &args, int64_t t);
    void feedBlock(Terminal &term, uint8_t b, int baud, int64_t t);
    void finishBlock(Terminal &term, int64_t t);
    bool owner(const Terminal &term) const;
    int blockBaud(const Terminal &term) const;
    uint8_t status(Terminal &term, int64_t t);
    bool answer(Terminal &term, const std::string &cmd, std::string bytes, int64_t t);
    bool strikes(Terminal &term, size_t fault);
    void disappear(const std::string &why);
    std::string framed(const Terminal &term, char cmd, const std::string &payload) const;
    void note(const std::string &text) const;
    void trace(const std::string &text) const;

    BusOptions m_opt;
    int64_t m_echoed = 0;
    int64_t m_telegrams = 0;       // runs of bytes from the PC, for echoMissEvery
    int64_t m_lastArrivedUs = -1;
    std::vector<Terminal> m_terms;
    std::deque<PcByte> m_pc;
    std::deque<Answer> m_answers; // ordered by readyUs
    std::optional<OnLine> m_onLine;
    int64_t m_lineFreeUs = 0;
    std::string m_frameBuf;
    int64_t m_frameLastUs = -1;
    std::string m_plain; // last bytes at 19200 for the plain strings
    bool m_gone = false;
    std::string *m_out = nullptr;
};

} // namespace sim
