#pragma once
// Answering modal windows from a test: a timer acts inside the window's own event loop; a window
// left open after a failed check is closed, so nothing waits for a click that never comes.

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QTest>

#include <functional>
#include <memory>

// Runs tun on the next modal window (of that object name, if given) once it is up; the test opens
// it after this call. The timer returned deletes itself once it has acted.
inline QTimer *imDialog(std::function<void(QWidget *)> tun, const QString &name = QString())
{
    auto *t = new QTimer;
    t->setInterval(5);
    QObject::connect(t, &QTimer::timeout, [t, tun, name] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || (!name.isEmpty() && w->objectName() != name))
            return;
        t->stop();
        t->deleteLater();
        tun(w);
        if (QTest::currentTestFailed() && QApplication::activeModalWidget() == w)
            w->close();
    });
    t->start();
    return t;
}

// For windows that open on their own: waits until that window came up and tun ran; false if never.
inline bool mitModal(const QString &name, const std::function<void(QWidget *)> &tun)
{
    auto erledigt = std::make_shared<bool>(false);
    QTimer *t = imDialog([tun, erledigt](QWidget *w) { tun(w); *erledigt = true; }, name);
    if (QTest::qWaitFor([&] { return *erledigt; }))
        return true;
    delete t;
    return false;
}

// The child of that name; a missing one ends the run (the test is wrong).
template <class T = QWidget>
T *kind(QObject *o, const char *name)
{
    T *k = o->findChild<T *>(QLatin1String(name));
    if (!k)
        qFatal("control %s missing", name);
    return k;
}

// Chooses pfad in the file dialog and accepts it; the whole path goes into the name box, as the
// listing is filled in the background. A message of the dialog itself ("not found", ...) is closed
// and its text returned (empty when there was none).
inline QString dateiWaehlenMeldung(QFileDialog *fd, const QString &pfad)
{
    fd->selectFile(pfad);
    kind<QLineEdit>(fd, "fileNameEdit")->setText(pfad);
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

// The same for the file dialog d that must take pfad without a word.
inline void dateiWaehlen(QWidget *d, const QString &pfad)
{
    auto *fd = qobject_cast<QFileDialog *>(d);
    QVERIFY2(fd, qPrintable(d->objectName()));
    const QString fremd = dateiWaehlenMeldung(fd, pfad);
    QVERIFY2(fremd.isEmpty(), qPrintable(fremd));
}
