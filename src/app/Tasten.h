#pragma once
// Small judgements on input events and the old program's screen measure,
// shared by the windows.

#include <QKeyEvent>

namespace Tasten {

// Twips per pixel at 96 dpi: the positions the windows take are given in
// twips.
constexpr int Twips = 15;

// Enter on either keyboard block.
inline bool istEnter(const QKeyEvent *e)
{
    return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}

// Focus that comes or goes because another window (or a popup) took over,
// not because the user moved within this one.
inline bool istFensterwechsel(Qt::FocusReason grund)
{
    return grund == Qt::ActiveWindowFocusReason || grund == Qt::PopupFocusReason;
}

}  // namespace Tasten
