#pragma once
// Decides, from the bytes that come back after the PC has sent, whether the
// interface module echoed them. Many USB-RS485 adapters with automatic
// direction control switch their receiver off while they send: the terminal's
// answer then arrives with no echo ahead of it. Taken as it is, every answer
// position would be off by the length of what was sent, and every sequence
// would report a dead terminal although it answered. The other way round, the
// echo of an interface that does echo must never be taken for the answer.
//
// An answer begins like its request (STX, address, command), so the echo is
// only confirmed once all of it is there, and a difference anywhere counts as
// "no echo". A garbled echo therefore looks like a missing one: the sequence
// then sees more bytes than it expects and fails with its own message, and the
// next echo that comes back whole settles it again.

#include <QByteArray>

class Echopruefung {
public:
    enum class Befund {
        Offen,    // what came so far begins the sent bytes (or nothing came): wait for more
        Echo,     // the bytes begin with everything sent
        KeinEcho  // they differ from the sent bytes somewhere
    };
    // gesendet: the bytes sent whose echo is outstanding; eingang: all that came back since.
    static Befund pruefe(const QByteArray &gesendet, const QByteArray &eingang);
};
