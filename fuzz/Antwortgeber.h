#pragma once
// The terminal side of a fuzzed bus: every request telegram written to the
// port (STX, address, command ..., at least five bytes) is answered with the
// next piece of the input, from the event loop as on a real line. Once the
// pieces run out, requests stay unanswered.

#include "support/FakePort.h"
#include "link/Telegramm.h"

#include <QCoreApplication>
#include <QList>
#include <QTimer>

class Antwortgeber : public QObject {
public:
    Antwortgeber(FakePort &port, const QList<QByteArray> &antworten) : m_port(port), m_antworten(antworten)
    {
        connect(&port, &Port::gesendet, this, [this](qint64) { geschrieben(); });
    }

    int offen() const { return int(m_antworten.size()); }

    // Runs the event loop until fertig() holds, at most `runden` passes:
    // every wait of the sequences runs on timers set to 0 ms.
    template <class F>
    static void laufe(F fertig, int runden = 5000)
    {
        for (int i = 0; i < runden && !fertig(); ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
    }

private:
    void geschrieben()
    {
        const QByteArray w = m_port.writes().last().bytes;
        if (w.size() < 5 || w.at(0) != Telegramm::STX || m_antworten.isEmpty())
            return;
        const QByteArray antwort = m_antworten.takeFirst();
        QTimer::singleShot(0, &m_port, [this, antwort] { m_port.inject(antwort); });
    }

    FakePort &m_port;
    QList<QByteArray> m_antworten;
};
