#pragma once
// One test program per layer: every test class of the program registers
// itself with PORTAVO_TESTKLASSE and the shared main (Testlauf.cpp) runs them.
//
//   tst_link                      every class in turn
//   tst_link Klasse [qtest args]  one class, e.g. "tst_link TestVerbindung -v2"
//   tst_link -klassen             lists the classes

#include <QObject>

namespace Testlauf {
using Erzeuger = QObject *(*)();
// Registers a test class; returns a dummy so it can run at static set-up.
int anmelden(const char *name, Erzeuger erzeugen);
}  // namespace Testlauf

#define PORTAVO_TESTKLASSE(Klasse)                                           \
    static const int portavo_testklasse_##Klasse [[maybe_unused]] =          \
        Testlauf::anmelden(#Klasse, []() -> QObject * { return new Klasse; });
