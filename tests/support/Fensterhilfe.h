#pragma once
// Hands the modal window of that name to the test once it is open. The
// window runs its own event loop, so the test acts from a timer inside it;
// a window left open after a failed check is closed.

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>

inline bool mitModal(const QString &name, const std::function<void(QWidget *)> &tun, int grenzeMs = 5000)
{
    bool erledigt = false;
    QTimer blick;
    blick.setInterval(20);
    QObject::connect(&blick, &QTimer::timeout, [&] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || w->objectName() != name)
            return;
        blick.stop();
        tun(w);
        if (QTest::currentTestFailed() && QApplication::activeModalWidget() == w)
            w->close();
        erledigt = true;
    });
    blick.start();
    return QTest::qWaitFor([&] { return erledigt; }, grenzeMs);
}

template <class T = QWidget>
T *kind(QObject *o, const char *name)
{
    return o->findChild<T *>(QLatin1String(name));
}
