// The shared main for test programs with windows (a QApplication).
#define PORTAVO_TEST_WIDGETS
#include "Testlauf.cpp"
