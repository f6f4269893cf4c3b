// Interrupt and termination requests on POSIX: the handler writes one byte
// into a socket pair, whose reading end a QSocketNotifier watches, so the
// request reaches the event loop without anything unsafe in the handler.

#include "cli/Unterbrechung.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

int g_paar[2] = {-1, -1};
QSocketNotifier *g_melder = nullptr;
std::vector<Unterbrechung *> g_hoerer;

extern "C" void signalAngekommen(int)
{
    const char c = 1;
    if (::write(g_paar[1], &c, 1) < 0) {
        // nothing more can be done inside a signal handler
    }
}

void behandeln(void (*handler)(int))
{
    struct sigaction sa {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

}  // namespace

Unterbrechung::Unterbrechung(QObject *parent) : QObject(parent)
{
    anmelden(this);
}

Unterbrechung::~Unterbrechung()
{
    abmelden(this);
}

void Unterbrechung::anmelden(Unterbrechung *u)
{
    if (g_paar[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_paar) != 0)
        return;  // without a pair the requests end the program as usual
    if (!g_melder) {
        g_melder = new QSocketNotifier(g_paar[0], QSocketNotifier::Read);
        QObject::connect(g_melder, &QSocketNotifier::activated, [] {
            char c;
            if (::read(g_paar[0], &c, 1) < 0 || g_hoerer.empty())
                return;
            emit g_hoerer.back()->angekommen();
        });
    }
    if (g_hoerer.empty())
        behandeln(signalAngekommen);
    g_hoerer.push_back(u);
}

void Unterbrechung::abmelden(Unterbrechung *u)
{
    for (auto it = g_hoerer.begin(); it != g_hoerer.end(); ++it)
        if (*it == u) {
            g_hoerer.erase(it);
            break;
        }
    if (g_hoerer.empty() && g_paar[0] >= 0)
        behandeln(SIG_DFL);
}
