// Scenario of the simulated bus: the interface module's settings and the
// terminals with their memory, test-mode events and faults.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sim
{

constexpr int kMemorySize = 2048;
using Memory = std::array<uint8_t, kMemorySize>;

// A misbehaviour of one terminal, optionally limited to one command and to a
// number of occurrences.
struct Fault {
    enum class Kind { Drop, BadCheck, Noise, Delay, Silence, Gone, Refuse };
    Kind kind = Kind::Drop;
    std::string command;        // "" = every command; "X", "V", "P", "E", "D", "d", "R", "S", "L",
                                // "K", "O", "G", "block" (write block), "wakeup" (repair wake-up),
                                // "recovery" (answer to a recovery triple)
    int count = -1;             // how many times it strikes; -1 = always
    int skip = 0;               // matching occasions let through before it strikes
    int delayMs = 0;            // Delay
    int afterBytes = -1;        // Silence: bytes sent before the line goes quiet; Gone: answer or
                                // block bytes on the line before the device disappears (-1: at once)
    std::vector<uint8_t> bytes; // Noise
    bool noiseAfter = false;    // Noise: after the answer instead of before it
};

// Something that happens at the terminal while the PC watches it in test mode.
struct TestEvent {
    enum class Kind { Card, ErrorBooking, Fault, Skimming, Sabotage };
    Kind kind = Kind::Card;
    int64_t atMs = 0;    // due this long after the start of the simulator ...
    int afterPolls = -1; // ... or once the terminal has answered this many status polls
    std::string data;    // Card, ErrorBooking: card data (blank-padded to 25 characters)
    int number = 0;      // Card, ErrorBooking: three-digit number field of the answer
    int polls = 1;       // Fault, Skimming, Sabotage: number of status answers showing it
};

struct TerminalConfig {
    int address = 1;
    int protocol = 0;
    std::string version; // 16 characters
    bool variantM = false;
    bool passwordIsText = false;
    std::string password; // six digits, or the free text of an "X" login (Latin-1 bytes)
    Memory memory{};
    std::vector<TestEvent> events;
    std::vector<Fault> faults;
};

struct Scenario {
    bool echo = true;
    int echoGarbleEvery = 0;
    int echoDropEvery = 0;
    int echoMissEvery = 0;
    int turnaroundMs = 3;
    int blockGapMs = 50;
    int64_t goneAtMs = -1;
    std::vector<TerminalConfig> terminals;
};

// Reads a scenario file. Image files named in it are relative to the file.
bool loadScenario(const std::string &path, Scenario &out, std::string &error);
bool parseScenario(const std::string &json, const std::string &baseDir, Scenario &out, std::string &error);

// The demo bus used when no scenario is given.
Scenario demoScenario();
std::string describe(const Scenario &scenario);

// A plausible standard-mode memory: door settings, track-2 list with empty
// entries, display lines, the given address, protocol and password.
Memory standardImage(int address, int protocol, const std::string &sixDigits);

// Main file: 2048 lines, each " value " and CR LF.
bool readMainFile(const std::string &path, Memory &out, std::string &error);
std::string mainFileText(const Memory &memory);
bool writeMainFileAtomically(const std::string &path, const Memory &memory, std::string &error);

// Password digits d1..d6 as the terminal stores them in memory bytes 5..7.
void packPassword(const std::string &sixDigits, uint8_t out[3]);
bool isSixDigits(const std::string &text);

} // namespace sim
