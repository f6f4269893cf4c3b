#pragma once
// The AT string of a dial: "AT", the dial option "X3" (blind dialing, the
// modem does not wait for a dial tone), "DT", the outside-line prefix, the
// number and CR LF, in one piece. The prefix is ModemText2 and the dial pause
// "," when ModemText1 is exactly "1", otherwise nothing.
//
// Only dial characters reach the modem: digits, "*", "#", ",", "W", "P" and
// blanks. Anything else in the number or the outside-line number is refused
// before a string is built, so that no other AT command can ride along.
// A modem takes a command line of 40 characters after "AT" at most; a longer
// one it refuses or cuts, so the outside-line prefix and the number together
// may hold 36 characters ("X3DT" goes first).

#include <QByteArray>
#include <QString>

class Waehlstring {
public:
    enum class Fehler { Keiner, LeereNummer, Nummer, Amtsholung, ZuLang };

    static const QByteArray Waehloption;  // "X3"
    static constexpr int Befehlszeile = 40;   // characters after "AT"
    static constexpr int Hoechstlaenge = 36;  // prefix and number together

    // The number alone, before the outside-line prefix is known: empty,
    // other than dial characters, or too long already.
    static Fehler pruefeNummer(const QString &nummer);

    static bool nurWaehlzeichen(const QString &text);
    static QString vorwahl(const QString &modemText1, const QString &modemText2);
    // The whole string, or empty with the reason in fehler.
    static QByteArray baue(const QString &modemText1, const QString &modemText2, const QString &nummer,
                           Fehler *fehler = nullptr);
    // Number of the text that explains a refusal (0 for Keiner).
    static int textnummer(Fehler fehler);
};
