#pragma once
// A bus behind a FakePort: every write comes back as echo, the table's terminals answer "X" and "V",
// from the event loop, never inside the write.

#include "support/FakePort.h"
#include "link/Telegramm.h"

#include <QMap>
#include <QTimer>

class Busattrappe : public QObject {
public:
    struct Terminal {
        int protokoll = 0;
        QByteArray version;  // empty: no answer to "V"
    };
    QMap<int, Terminal> terminals;
    bool echo = true;

    explicit Busattrappe(FakePort &port) : m_port(port)
    {
        connect(&port, &Port::gesendet, this, [this](qint64) { geschrieben(); });
    }
    // The version's family character "1" at position 13 matches the program's.
    void terminal(int adresse, int protokoll, const QByteArray &version = "Ver 2.07 KD 1 00")
    {
        terminals.insert(adresse, {protokoll, version});
    }

private:
    void geschrieben()
    {
        const QByteArray w = m_port.writes().last().bytes;
        QByteArray zurueck = echo ? w : QByteArray();
        const int adresse = w.size() == 5 && w.at(0) == Telegramm::STX ? quint8(w.at(1)) : -1;
        if (terminals.contains(adresse)) {
            const Terminal t = terminals.value(adresse);
            QByteArray inhalt;
            if (w.at(2) == 'X')
                inhalt = t.protokoll == 1 ? QByteArray("X01A") : QByteArray("X") + char('@' + t.protokoll);
            else if (w.at(2) == 'V' && !t.version.isEmpty())
                inhalt = "V" + t.version;
            const QByteArray k = char(adresse) + inhalt + char(Telegramm::ETX);
            if (!inhalt.isEmpty())
                zurueck += Telegramm::STX + k + char(Telegramm::blockpruefung(k));
        }
        if (!zurueck.isEmpty())
            QTimer::singleShot(0, &m_port, [this, zurueck] { m_port.inject(zurueck); });
    }

    FakePort &m_port;
};
