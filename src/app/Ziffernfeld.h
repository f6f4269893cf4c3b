#pragma once
// The digit-only address fields of the identification windows.

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace Ziffernfeld {

inline bool istEnter(const QEvent *ereignis)
{
    if (ereignis->type() != QEvent::KeyPress)
        return false;
    const int taste = static_cast<const QKeyEvent *>(ereignis)->key();
    return taste == Qt::Key_Return || taste == Qt::Key_Enter;
}

// Selects the whole field when it is entered or clicked. True for a key
// press that would type anything but a digit: the caller swallows it.
// Backspace and keys without text (the cursor keys) pass; Enter is the
// caller's to handle first.
inline bool filtern(QLineEdit *feld, const QEvent *ereignis)
{
    switch (ereignis->type()) {
    case QEvent::FocusIn:
    case QEvent::MouseButtonRelease:
        QTimer::singleShot(0, feld, &QLineEdit::selectAll);
        return false;
    case QEvent::KeyPress: {
        const auto *taste = static_cast<const QKeyEvent *>(ereignis);
        const QString t = taste->text();
        return taste->key() != Qt::Key_Backspace && !t.isEmpty()
               && (t.at(0) < QLatin1Char('0') || t.at(0) > QLatin1Char('9'));
    }
    default:
        return false;
    }
}

}  // namespace Ziffernfeld
