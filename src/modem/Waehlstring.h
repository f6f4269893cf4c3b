#pragma once
// The AT string of a dial: "AT", the dial option "X3" (blind dialing, the
// modem does not wait for a dial tone), "DT", the outside-line prefix, the
// number and CR LF, in one piece. The prefix is ModemText2 and the dial pause
// "," when ModemText1 is exactly "1", otherwise nothing.
//
// Only dial characters reach the modem: digits, "*", "#", ",", "W", "P" and
// blanks. Anything else in the number or the outside-line number is refused
// before a string is built, so that no other AT command can ride along.

#include <QByteArray>
#include <QString>

class Waehlstring {
public:
    enum class Fehler { Keiner, LeereNummer, Nummer, Amtsholung };

    static const QByteArray Waehloption;  // "X3"

    static bool nurWaehlzeichen(const QString &text);
    static QString vorwahl(const QString &modemText1, const QString &modemText2);
    // The whole string, or empty with the reason in fehler.
    static QByteArray baue(const QString &modemText1, const QString &modemText2, const QString &nummer,
                           Fehler *fehler = nullptr);
    // Number of the text that explains a refusal (0 for Keiner).
    static int textnummer(Fehler fehler);
};
