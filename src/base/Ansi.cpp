#include "base/Ansi.h"

namespace {
// 0x80..0x9F of Windows-1252; 0 marks the five unassigned codes.
const char16_t kObererBlock[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
}  // namespace

namespace Ansi {

QChar zeichen(quint8 code)
{
    if (code >= 0x80 && code <= 0x9F) {
        const char16_t u = kObererBlock[code - 0x80];
        // Unassigned codes map to the C1 control of the same value, so that
        // every byte survives a round trip.
        return u ? QChar(u) : QChar(code);
    }
    return QChar(code);
}

int code(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < 32; ++i) {
        if (kObererBlock[i] == u)
            return 0x80 + i;
        if (kObererBlock[i] == 0 && u == 0x80 + i)
            return u;
    }
    return -1;
}

QByteArray kodieren(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        const int k = code(c);
        out.append(k < 0 ? '?' : char(k));
    }
    return out;
}

QString dekodieren(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char b : bytes)
        out.append(zeichen(quint8(b)));
    return out;
}

}  // namespace Ansi
