#pragma once
// Which ticks of a sequence's timer count.
//
// After the UI thread stood still for longer than a tick interval (a modal
// box opening, the system swapping), Qt delivers the missed timeouts of a
// repeating timer back to back. A sequence that sends a request on one tick
// and judges its answer on the next would then judge it a moment after
// sending, before even the echo could come back, and report a dead
// interface or count a failed try. A tick counts only when at least half an
// interval has passed since the tick that counted last (or since the start).

#include <QtGlobal>

#include <functional>

class QTimer;
class Verbindung;

class Taktwaechter {
public:
    // Milliseconds on a monotonic clock; tests put in a clock of their own.
    using Uhr = std::function<qint64()>;
    void setUhr(Uhr uhr) { m_uhr = std::move(uhr); }

    // The timer was (re)started: the next tick counts only after half the
    // interval.
    void start() { m_bezug = m_uhr(); }
    // True when this tick counts (and it is then the new reference); false
    // for a tick that follows the last counted one too closely. Without a
    // start() every tick counts.
    bool zaehlt(int intervallMs)
    {
        const qint64 jetzt = m_uhr();
        if (m_bezug >= 0 && jetzt - m_bezug < intervallMs / 2)
            return false;
        m_bezug = jetzt;
        return true;
    }

    // The start of every sequence tick: fetches the bytes waiting on the
    // port first (Verbindung::abholen), then tells whether the tick is to
    // run. False when the timer stopped meanwhile (the port went away and
    // ended the sequence while its bytes were fetched) or when the tick is
    // a missed timeout delivered late (zaehlt()).
    bool tickNehmen(Verbindung &v, const QTimer &timer);

    static qint64 monoton();

private:
    Uhr m_uhr = &Taktwaechter::monoton;
    qint64 m_bezug = -1;  // when the last counted tick (or the start) was
};
