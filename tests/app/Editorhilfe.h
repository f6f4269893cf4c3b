#pragma once
// Test helpers: terminal files written by hand in the file format, and the
// expected bytes of a saved file computed independently of the program.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <array>
#include <utility>

using Bytes = std::array<int, 2048>;

// A plain standard image: door-open time 5, flag A bits 2 and 4 set,
// address 7, password 123456, display lines of blanks.
inline Bytes grundbild()
{
    Bytes b{};
    b[0] = 5;
    b[1] = 0x14;
    b[5] = 0x21;
    b[6] = 0x43;
    b[7] = 0x65;
    b[8] = 7;
    for (int i = 16; i < 272; ++i)
        b[i] = 32;
    return b;
}

// grundbild() with track 2 and track 3/1 of the given digits evaluated
// (0: not evaluated) and block lists on or off.
inline Bytes standardbild(int ziffern2 = 6, int ziffern31 = 0, bool sperr = false)
{
    Bytes b = grundbild();
    b[2] = (ziffern2 ? 1 : 0) | (ziffern31 ? 2 : 0);
    b[3] = (ziffern2 + 1) / 2;
    b[4] = (ziffern31 + 1) / 2;
    b[9] = (ziffern2 % 2) | (ziffern31 % 2) << 1;
    b[1] |= sperr ? 0x40 : 0;
    return b;
}

inline QByteArray hauptdateiInhalt(const Bytes &b)
{
    QByteArray text;
    for (int v : b)
        text += ' ' + QByteArray::number(v) + " \r\n";
    return text;
}

inline QByteArray begleitInhalt(const QStringList &zeilen, int anzahl)
{
    QByteArray text;
    for (int i = 0; i < anzahl; ++i) {
        const QString z = i < zeilen.size() ? zeilen[i] : QStringLiteral("----------");
        for (QChar c : z)
            text += char(c.unicode() < 256 ? c.unicode() : '?');  // Latin-1 part of Windows-1252
        text += "\r\n";
    }
    return text;
}

inline bool schreibeDatei(const QString &pfad, const QByteArray &inhalt)
{
    QFile f(pfad);
    return f.open(QIODevice::WriteOnly) && f.write(inhalt) == inhalt.size();
}

inline QByteArray leseDatei(const QString &pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// First byte and view end of list 1..4 for arrangement code 0..7 as the
// terminal divides its list area; {0, 0} when not in the arrangement.
inline std::pair<int, int> listenbereich(int code, int liste)
{
    static const int bereiche[8][4][2] = {
        {}, {},
        {{272, 2046}}, {{272, 1293}, {}, {1295, 2046}},
        {{}, {272, 2046}}, {{}, {272, 1293}, {}, {1295, 2046}},
        {{272, 758}, {760, 2046}}, {{272, 758}, {760, 1293}, {1295, 1782}, {1784, 2046}},
    };
    return {bereiche[code][liste - 1][0], bereiche[code][liste - 1][1]};
}
