#pragma once
// What the address identification and the protocol identification share:
// their texts and the reading of a terminal's version answer.

#include "base/Texttabelle.h"
#include "base/Zustand.h"

#include <QByteArray>
#include <QString>

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

}  // namespace Identhilfen
