// portavo-sim: a simulated RS485 bus with PORTAVO 485 terminals on a
// pseudo-terminal. See --help and README.md.
#include "Bus.h"
#include "Modem.h"
#include "PtyDevice.h"
#include "Scenario.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const char *const kVersion = "portavo-sim 1.2";

enum ExitCode { ExitOk = 0, ExitUsage = 1, ExitSystem = 2, ExitGone = 3 };

const char *const kHelp = R"(Usage: portavo-sim [options]

Plays the RS485 interface module and PORTAVO 485 terminals on a
pseudo-terminal. The first line on stdout is the device the program opens
(for example /dev/pts/5). Terminals listen at 19200 baud; every byte takes
10 bit times at the speed the program has set on the device.

Options:
  --scenario FILE   terminals, test-mode events and faults (JSON, below);
                    without it the demo bus below is served
  --state-dir DIR   keep DIR/terminal-<address>.S2D (main-file format) up to
                    date: written at start and after every accepted write
                    block; append one line per byte received from the PC to
                    DIR/traffic.log: "<microseconds since start> <baud> <hex>"
  --link PATH       also create PATH as a symbolic link to the device
                    (removed at exit)
  --no-pacing       bytes take no line time (speeds are still recorded)
  --turnaround MS   pause between the end of a request and the answer
                    (default 3; overrides the scenario)
  --no-echo         the interface module gives no echo
  --verbose         log every telegram and answer on stderr
  --modem           a Hayes modem stands in front of the bus (AT commands,
                    ATD dials, data mode after CONNECT, "+++" escape, ATH)
  --modem-result R  what a dial ends in: connect (default), busy,
                    no-carrier, no-dialtone, no-answer, silent (no answer
                    at all)
  --modem-delay MS  from the dial to its result (default 1500)
  --modem-guard MS  escape guard time (default 1000)
  --modem-drop MS   the carrier is lost this long after CONNECT (the modem
                    says NO CARRIER; default: never)
  --help            this text
  --version         the version

Exit: 0 after SIGTERM/SIGINT, 1 bad options or scenario, 2 device or state
folder could not be set up, 3 a "gone" fault removed the device.

Scenario file (JSON object; unknown keys are refused):
  "echo": true            the interface module echoes every byte
  "turnaroundMs": 3       pause between request and answer
  "blockGapMs": 50        silence that ends a write block (a lone STX
                          followed by this silence is a wake-up)
  "goneAtMs": N           the device disappears N ms after start
  "terminals": [ {
    "address": 1..255     required; one terminal per address
    "protocol": 0..191    identify answer layout; 1 = protocol-1 answers
    "version": "Ver 3.12 TS 1 04"   16 characters; 11th "M" = variant M,
                          13th = family character ("1")
    "variant": "M" | "standard"     default: from the version string
    "password": "123456"  six digits (stored in memory bytes 5..7, login
                          "P0"+packed bytes) or any other text (login "PX"+text)
    "image": [2048 numbers] | "file.S2D"   memory; a file name is relative
                          to the scenario; default: a standard image
    "events": [ {"type": "card"|"misread"|"errorBooking"|"fault"|
                 "skimming"|"sabotage", "atMs": 0, "afterPolls": N,
                 "data": "4001234567890", "number": 0..999, "polls": 1} ]
    "faults": [ {"type": "drop"|"badCheck"|"noise"|"delay"|"silence"|"gone",
                 "command": "X"|"V"|"P"|"E"|"D"|"d"|"R"|"S"|"L"|"K"|"O"|"G"|
                            "block"|"wakeup",
                 "count": N, "skip": N, "ms": N, "afterBytes": N,
                 "bytes": [255, 0], "where": "before"|"after"} ]
  } ]
Address, protocol and six-digit password are written into the memory (bytes
8, 10, 5..7); an accepted write block takes them from the new memory.
Answer layouts and details: sim/README.md.

Demo bus (no --scenario):
)";

volatile sig_atomic_t g_stop = 0;

void onSignal(int)
{
    g_stop = 1;
}

int64_t nowUs(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

bool needValue(int argc, char **argv, int &i, std::string &out)
{
    if (i + 1 >= argc) {
        std::fprintf(stderr, "portavo-sim: %s needs a value\n", argv[i]);
        return false;
    }
    out = argv[++i];
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    std::string scenarioPath, stateDir, linkPath;
    int turnaroundMs = -1;
    bool noEcho = false, noPacing = false, verbose = false;
    bool withModem = false;
    sim::ModemOptions modemOptions;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        std::string v;
        if (a == "--help" || a == "-h") {
            std::fputs(kHelp, stdout);
            std::fputs(sim::describe(sim::demoScenario()).c_str(), stdout);
            return ExitOk;
        } else if (a == "--version") {
            std::puts(kVersion);
            return ExitOk;
        } else if (a == "--scenario") {
            if (!needValue(argc, argv, i, scenarioPath))
                return ExitUsage;
        } else if (a == "--state-dir") {
            if (!needValue(argc, argv, i, stateDir))
                return ExitUsage;
        } else if (a == "--link") {
            if (!needValue(argc, argv, i, linkPath))
                return ExitUsage;
        } else if (a == "--turnaround") {
            if (!needValue(argc, argv, i, v))
                return ExitUsage;
            char *end = nullptr;
            const long ms = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end != 0 || ms < 0 || ms > 10000) {
                std::fprintf(stderr, "portavo-sim: --turnaround wants milliseconds 0..10000\n");
                return ExitUsage;
            }
            turnaroundMs = int(ms);
        } else if (a == "--no-pacing") {
            noPacing = true;
        } else if (a == "--no-echo") {
            noEcho = true;
        } else if (a == "--verbose") {
            verbose = true;
        } else if (a == "--modem") {
            withModem = true;
        } else if (a == "--modem-result") {
            if (!needValue(argc, argv, i, v))
                return ExitUsage;
            if (!sim::parseModemResult(v, modemOptions.result)) {
                std::fprintf(stderr, "portavo-sim: --modem-result wants connect, busy, no-carrier, "
                                     "no-dialtone, no-answer or silent\n");
                return ExitUsage;
            }
        } else if (a == "--modem-delay" || a == "--modem-guard" || a == "--modem-drop") {
            if (!needValue(argc, argv, i, v))
                return ExitUsage;
            char *end = nullptr;
            const long ms = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end != 0 || ms < 0 || ms > 600000) {
                std::fprintf(stderr, "portavo-sim: %s wants milliseconds 0..600000\n", a.c_str());
                return ExitUsage;
            }
            (a == "--modem-delay"  ? modemOptions.connectDelayUs
             : a == "--modem-guard" ? modemOptions.guardUs
                                    : modemOptions.dropAfterUs) = int64_t(ms) * 1000;
        } else {
            std::fprintf(stderr, "portavo-sim: unknown option %s (see --help)\n", a.c_str());
            return ExitUsage;
        }
    }

    sim::Scenario scenario;
    if (scenarioPath.empty()) {
        scenario = sim::demoScenario();
    } else {
        std::string error;
        if (!sim::loadScenario(scenarioPath, scenario, error)) {
            std::fprintf(stderr, "portavo-sim: %s\n", error.c_str());
            return ExitUsage;
        }
    }
    sim::BusOptions options = sim::BusOptions::of(scenario);
    options.pacing = !noPacing;
    options.verbose = verbose;
    options.echo = options.echo && !noEcho;
    if (turnaroundMs >= 0)
        options.turnaroundUs = int64_t(turnaroundMs) * 1000;

    std::signal(SIGPIPE, SIG_IGN);
    sigset_t blocked, waitMask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGINT);
    sigprocmask(SIG_BLOCK, &blocked, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
    struct sigaction sa {
    };
    sa.sa_handler = onSignal;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);

    const auto start = std::chrono::steady_clock::now();
    sim::Bus bus(scenario, options);

    FILE *traffic = nullptr;
    if (!stateDir.empty()) {
        if (mkdir(stateDir.c_str(), 0777) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "portavo-sim: %s: %s\n", stateDir.c_str(), std::strerror(errno));
            return ExitSystem;
        }
        traffic = std::fopen((stateDir + "/traffic.log").c_str(), "a");
        if (!traffic) {
            std::fprintf(stderr, "portavo-sim: %s/traffic.log: %s\n", stateDir.c_str(), std::strerror(errno));
            return ExitSystem;
        }
        for (const auto &t : bus.terminals()) {
            std::string error;
            if (!sim::writeMainFileAtomically(stateDir + "/terminal-" + std::to_string(t.address) + ".S2D",
                                              *t.memory, error)) {
                std::fprintf(stderr, "portavo-sim: %s\n", error.c_str());
                return ExitSystem;
            }
        }
        bus.onArrived = [traffic](int64_t t, int baud, uint8_t b) {
            std::fprintf(traffic, "%lld %d %02X\n", static_cast<long long>(t), baud, unsigned(b));
        };
        bus.onMemoryChanged = [stateDir](int address, const sim::Memory &memory) {
            std::string error;
            if (!sim::writeMainFileAtomically(stateDir + "/terminal-" + std::to_string(address) + ".S2D",
                                              memory, error))
                std::fprintf(stderr, "portavo-sim: %s\n", error.c_str());
        };
    }
    bus.log = [start](const std::string &text) {
        std::fprintf(stderr, "portavo-sim %9.3f  %s\n", double(nowUs(start)) / 1e6, text.c_str());
    };

    sim::PtyDevice pty;
    std::string error;
    if (!pty.open(error)) {
        std::fprintf(stderr, "portavo-sim: %s\n", error.c_str());
        return ExitSystem;
    }
    bus.lineSpeed = [&pty] { return pty.lineSpeed(); };
    std::unique_ptr<sim::Modem> modem;
    if (withModem) {
        modem = std::make_unique<sim::Modem>(bus, modemOptions);
        modem->log = bus.log;
    }

    bool linked = false;
    if (!linkPath.empty()) {
        struct stat st {
        };
        if (lstat(linkPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            unlink(linkPath.c_str());
        if (symlink(pty.slavePath().c_str(), linkPath.c_str()) != 0) {
            std::fprintf(stderr, "portavo-sim: %s: %s\n", linkPath.c_str(), std::strerror(errno));
            return ExitSystem;
        }
        linked = true;
    }
    auto removeLink = [&] {
        char target[512];
        const ssize_t n = linked ? readlink(linkPath.c_str(), target, sizeof target - 1) : -1;
        if (n > 0 && std::string(target, size_t(n)) == pty.slavePath())
            unlink(linkPath.c_str());
        linked = false;
    };

    std::printf("%s\n", pty.slavePath().c_str());
    std::fflush(stdout);
    std::fprintf(stderr, "portavo-sim: bus on %s%s%s%s\n%s", pty.slavePath().c_str(),
                 options.pacing ? "" : " (no pacing)", options.echo ? "" : " (no echo)",
                 modem ? " behind a Hayes modem" : "",
                 sim::describe(scenario).c_str());

    std::string toPc;
    const size_t kMaxPending = 1 << 20;
    uint8_t buf[4096];
    while (!g_stop) {
        if (modem)
            modem->advance(nowUs(start), toPc);
        else
            bus.advance(nowUs(start), toPc);
        while (!toPc.empty()) {
            const ssize_t n = write(pty.masterFd(), toPc.data(), toPc.size());
            if (n <= 0)
                break;
            toPc.erase(0, size_t(n));
        }
        if (toPc.size() > kMaxPending) // nobody reads the device: forget the oldest
            toPc.erase(0, toPc.size() - kMaxPending);
        if (traffic)
            std::fflush(traffic);
        if (bus.gone())
            break;

        const int64_t wake = modem ? modem->nextWakeUs() : bus.nextWakeUs();
        timespec timeout{};
        timespec *tp = nullptr;
        if (wake >= 0) {
            const int64_t wait = std::max<int64_t>(0, wake - nowUs(start));
            timeout.tv_sec = time_t(wait / 1000000);
            timeout.tv_nsec = long(wait % 1000000) * 1000;
            tp = &timeout;
        }
        pollfd pfd{pty.masterFd(), short(POLLIN | (toPc.empty() ? 0 : POLLOUT)), 0};
        const int r = ppoll(&pfd, 1, tp, &waitMask);
        if (r < 0 && errno != EINTR) {
            std::fprintf(stderr, "portavo-sim: poll: %s\n", std::strerror(errno));
            break;
        }
        if (r > 0 && (pfd.revents & POLLIN)) {
            const ssize_t n = read(pty.masterFd(), buf, sizeof buf);
            if (n > 0 && modem)
                modem->fromPc(buf, size_t(n), nowUs(start));
            else if (n > 0)
                bus.fromPc(buf, size_t(n), nowUs(start));
        }
    }

    const bool gone = bus.gone();
    if (gone) {
        // What was on the line before the device went reaches the PC: give it
        // time to read it (the kernel hands it over with a small delay), then
        // pull the device away.
        const int64_t from = nowUs(start);
        while ((pty.unread() > 0 || nowUs(start) < from + 100000) && nowUs(start) < from + 1000000) {
            const timespec pause{0, 5000000};
            ppoll(nullptr, 0, &pause, &waitMask);
        }
    }
    pty.close();
    removeLink();
    if (traffic)
        std::fclose(traffic);
    if (gone) {
        std::fprintf(stderr, "portavo-sim: device removed\n");
        return ExitGone;
    }
    return ExitOk;
}
