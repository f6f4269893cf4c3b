#pragma once
// What the address identification and the protocol identification share:
// their texts and the reading of a terminal's version answer.

#include "base/Texttabelle.h"
#include "base/Zustand.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace Identhilfen {

constexpr int Versionslaenge = 16;

// Text `nummer` as loaded into Texte, else straight from the table.
inline QString text(const Zustand &z, int nummer)
{
    return Texttabelle::text(z, nummer);
}

// The version string in a receive store: 16 characters from "Ver" on
// (fewer where the store ends early); empty when there is no "Ver".
inline QByteArray version(const QByteArray &empfang)
{
    const int stelle = int(empfang.indexOf("Ver"));
    return stelle < 0 ? QByteArray() : empfang.mid(stelle, Versionslaenge);
}

// The 13th character of the version string names the terminal family.
inline bool familiePasst(const QString &version, const QString &familienkennung)
{
    return version.size() >= 13 && version.mid(12, 1) == familienkennung;
}

// One answer to the identify command "X": the address it names and the
// protocol its layout gives.
struct Kennung {
    int adresse;
    int protokoll;
};

// Every answer to "X" in a receive store, in order. An answer is STX, the
// terminal's address (1..255), "X" and at least one more character before ETX; STX,
// address, "X", ETX and its check is the echo of a request and is passed
// over. The protocol follows from the answer's length up to the next answer
// (or the end of the store): six characters give the code of the fourth
// minus 64 ("A" gives 1), otherwise "A" as the sixth character gives 1;
// anything else, or a number outside 0..255, gives 255. With the echo of
// the request in front these are the 9th and 11th characters of the store.
inline QVector<Kennung> kennungen(const QByteArray &empfang)
{
    constexpr char STX = 0x02, ETX = 0x03;
    const int n = int(empfang.size());
    QVector<int> anfaenge;
    int i = 0;
    while (i + 3 < n) {
        // No station has address 0: such bytes are noise, not an answer.
        if (empfang.at(i) != STX || empfang.at(i + 1) == 0 || empfang.at(i + 2) != 'X') {
            ++i;
            continue;
        }
        if (empfang.at(i + 3) == ETX) {
            const char pruef = char(empfang.at(i + 1) ^ 'X' ^ ETX);
            i += i + 4 < n && empfang.at(i + 4) == pruef ? 5 : 4;
            continue;
        }
        anfaenge.append(i);
        const int etx = int(empfang.indexOf(ETX, i + 3));
        i = etx < 0 ? n : etx + 2;
    }
    QVector<Kennung> r;
    for (int k = 0; k < anfaenge.size(); ++k) {
        const int anfang = anfaenge.at(k);
        const int laenge = (k + 1 < anfaenge.size() ? anfaenge.at(k + 1) : n) - anfang;
        int protokoll;
        if (laenge == 6)
            protokoll = quint8(empfang.at(anfang + 3)) - 64;
        else
            protokoll = laenge > 5 && empfang.at(anfang + 5) == 'A' ? 1 : 255;
        if (protokoll < 0 || protokoll > 255)
            protokoll = 255;
        r.append({quint8(empfang.at(anfang + 1)), protokoll});
    }
    return r;
}

}  // namespace Identhilfen
