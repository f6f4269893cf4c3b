#pragma once
// A full disk: while it lives no file of this process grows beyond the limit (RLIMIT_FSIZE); writes beyond
// fail with EFBIG (also for root). imKind(bytes) does the same as a QProcess child process modifier.

#include <csignal>
#include <sys/resource.h>

class Dateigrenze {
public:
    explicit Dateigrenze(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_vorher);
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit eng = m_vorher;
        eng.rlim_cur = bytes;
        m_gesetzt = ::setrlimit(RLIMIT_FSIZE, &eng) == 0;
    }
    ~Dateigrenze()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_vorher);
        std::signal(SIGXFSZ, m_signal);
    }
    Dateigrenze(const Dateigrenze &) = delete;
    Dateigrenze &operator=(const Dateigrenze &) = delete;
    bool gesetzt() const { return m_gesetzt; }

    // Runs f with the limit in force and returns what it returns.
    template <class F>
    static auto unter(rlim_t bytes, F f)
    {
        const Dateigrenze grenze(bytes);
        return f();
    }

    // Runs in the child between fork and exec: the limit for that program.
    static void imKind(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit eng{};
        ::getrlimit(RLIMIT_FSIZE, &eng);
        eng.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &eng);
    }

private:
    rlimit m_vorher{};
    void (*m_signal)(int) = SIG_DFL;
    bool m_gesetzt = false;
};
