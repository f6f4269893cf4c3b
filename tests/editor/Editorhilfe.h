#pragma once
// Test helpers: terminal files written by hand in the file format, and the
// expected bytes of a saved file computed independently of the program.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <array>

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

// View end of list 1..4 for arrangement code 0..7 as the terminal divides
// its list area (first byte, view end); {0, 0} when not in the arrangement.
inline std::pair<int, int> listenbereich(int code, int liste)
{
    switch (code) {
    case 2: if (liste == 1) return {272, 2046}; break;
    case 3: if (liste == 1) return {272, 1293}; if (liste == 3) return {1295, 2046}; break;
    case 4: if (liste == 2) return {272, 2046}; break;
    case 5: if (liste == 2) return {272, 1293}; if (liste == 4) return {1295, 2046}; break;
    case 6: if (liste == 1) return {272, 758}; if (liste == 2) return {760, 2046}; break;
    case 7:
        if (liste == 1) return {272, 758};
        if (liste == 2) return {760, 1293};
        if (liste == 3) return {1295, 1782};
        if (liste == 4) return {1784, 2046};
        break;
    default: break;
    }
    return {0, 0};
}
