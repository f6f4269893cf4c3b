#pragma once
// Hands the modal window of that name to the test once it is open. The
// window runs its own event loop, so the test acts from a timer inside it;
// a window left open after a failed check is closed.

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <QTest>

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

// Runs f on the next modal dialog as soon as it is up (the test then
// opens the dialog); returns the timer that watches, which deletes itself.
inline QTimer *imDialog(std::function<void(QWidget *)> f)
{
    auto *t = new QTimer;
    t->setInterval(5);
    QObject::connect(t, &QTimer::timeout, [t, f] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            t->stop();
            t->deleteLater();
            f(w);
        }
    });
    t->start();
    return t;
}

template <class T = QWidget>
T *kind(QObject *o, const char *name)
{
    return o->findChild<T *>(QLatin1String(name));
}

// Chooses name (a whole path) in a file dialog and accepts it. The dialog's
// directory listing is filled in the background and must not decide which
// file is meant, so the whole path goes into the name box. A message of the
// dialog itself ("not found", ...) would wait for a click for ever: it is
// closed and its text returned (empty when there was none).
inline QString dateiWaehlen(QFileDialog *fd, const QString &name)
{
    fd->selectFile(name);
    if (auto *feld = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        feld->setText(name);
    QString fremd;
    QTimer wache;
    wache.setInterval(50);
    QObject::connect(&wache, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            fremd = box->text();
            box->reject();
        }
    });
    wache.start();
    static_cast<QDialog *>(fd)->accept();
    return fremd;
}
