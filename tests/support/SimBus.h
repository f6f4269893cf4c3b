#pragma once
// The in-process simulator for the tests, and how a test starts it or the pty simulator.
#include "sim/SimBus.h"
#include "sim/SimPort.h"

#include <QTest>

// Starts a SimBus or a Simulator, or fails the test function.
#define BUS_STARTEN(bus, ...)                                                                                  \
    do {                                                                                                       \
        const QString busFehler_ = (bus).starten(__VA_ARGS__);                                                 \
        QVERIFY2(busFehler_.isEmpty(), qPrintable(busFehler_));                                                \
    } while (false)
