#pragma once
// A serial settings string such as "19200,n,8,1": speed, parity letter,
// data bits, stop bits, separated by commas.

#include <QString>
#include <optional>

struct LineSettings {
    qint32 baud = 19200;
    char parity = 'n';  // n, e, o, m, s (lower case)
    int dataBits = 8;   // 5..8
    int stopBits = 10;  // tenths: 10, 15, 20

    // Nothing for anything else than four fields of the above; blanks around
    // a field are allowed, the parity letter in either case, the speed a
    // positive decimal number.
    static std::optional<LineSettings> parse(const QString &text);
    // Back to text in the same form ("2400,n,8,1", "9600,e,7,1.5").
    QString toString() const;
};
