#pragma once
// Ctrl-C and termination requests as a signal in the event loop.
//
// While an Unterbrechung lives, an interrupt or termination request does not
// end the program; the newest living Unterbrechung emits angekommen() on the
// event loop instead (a write cancels, a modem session hangs up first). When
// the last one goes, the requests end the program again as usual. The
// operating system's part is in UnterbrechungPosix.cpp; a port to another
// system adds one file beside it.

#include <QObject>

class Unterbrechung : public QObject {
    Q_OBJECT
public:
    explicit Unterbrechung(QObject *parent = nullptr);
    ~Unterbrechung() override;

signals:
    void angekommen();

private:
    // The system's side: install the handlers while anyone listens, and
    // reach the newest listener from them.
    static void anmelden(Unterbrechung *u);
    static void abmelden(Unterbrechung *u);
};
