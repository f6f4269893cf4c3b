#pragma once
// Editor test helpers: terminal files written by hand in the file format,
// the editor opened on one, and a grid cell's text.

#include "support/Testhilfe.h"
#include "app/Listenmodell.h"
#include "app/Editorfenster.h"

#include <QApplication>
#include <algorithm>
#include <array>
#include <memory>

using Bytes = std::array<int, 2048>;

// A plain standard image: door-open time 5, flag A bits 2 and 4 set,
// address 7, password 123456, display lines of blanks.
inline Bytes grundbild()
{
    Bytes b{};
    b[0] = 5, b[1] = 0x14, b[5] = 0x21, b[6] = 0x43, b[7] = 0x65, b[8] = 7;
    std::fill(b.begin() + 16, b.begin() + 272, 32);
    return b;
}

// grundbild() with track 2 and track 3/1 of the given digits evaluated (0: not evaluated).
inline Bytes standardbild(int ziffern2 = 6, int ziffern31 = 0)
{
    Bytes b = grundbild();
    b[2] = (ziffern2 ? 1 : 0) | (ziffern31 ? 2 : 0), b[3] = (ziffern2 + 1) / 2, b[4] = (ziffern31 + 1) / 2;
    b[9] = (ziffern2 % 2) | (ziffern31 % 2) << 1;
    return b;
}

inline QByteArray hauptdateiInhalt(const Bytes &b)
{
    return hauptdatei([&b](int i) { return b[i]; });
}

// A companion file of anzahl lines, "----------" after the given ones.
inline QByteArray begleitInhalt(const QStringList &zeilen, int anzahl)
{
    QByteArray text;
    for (int i = 0; i < anzahl; ++i)
        text += (i < zeilen.size() ? zeilen[i] : QStringLiteral("----------")).toLatin1() + "\r\n";
    return text;
}

// The editor on datei, shown and active.
inline std::unique_ptr<Editorfenster> editor(Zustand &z, Meldung &m, const QString &datei)
{
    auto w = std::make_unique<Editorfenster>(z, m);
    if (!w->oeffne(datei))
        qFatal("cannot open %s", qPrintable(datei));
    w->show();
    QApplication::setActiveWindow(w.get());
    if (!QTest::qWaitForWindowActive(w.get()))
        qWarning("window not active");
    return w;
}

inline QString zelle(Listenmodell *m, int zeile, int spalte) { return m->data(m->index(zeile, spalte)).toString(); }
