#pragma once
// Reads the modem's result messages out of the receive chunks. A port hands
// over whatever has arrived, so a message may come split over several chunks;
// the chunks are put together into lines here.
//
// The connect message counts when "CON" stands at the start of a line that
// follows a line end (the modem sends CR LF ahead of every result), and is
// reported as soon as those three characters are there. The other results
// count as whole lines.

#include <QByteArray>
#include <QVector>

class Modemzeilen {
public:
    enum class Rueckmeldung { Connect, Ok, Busy, NoCarrier, NoDialtone, NoAnswer, Error };

    // A new dial: nothing seen yet, no line end either.
    void zuruecksetzen();
    // What this chunk completes, in order of arrival.
    QVector<Rueckmeldung> lies(const QByteArray &chunk);

private:
    static constexpr int Zeilengrenze = 80;  // longer lines are no result message
    QByteArray m_zeile;
    bool m_nachZeilenende = false;  // the last byte seen was CR or LF
    bool m_zeileGueltig = false;    // the current line began after a line end
    bool m_connectGemeldet = false;
};
