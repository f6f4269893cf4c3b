#pragma once
// What the program took from the settings file and from its start.

#include <QString>

struct Einstellungsstand {
    qint16 portnummer = 1;  // serial port of the RS485 link
    QString modemText1;     // modem dialer lines
    QString modemText2;
    QString startverzeichnis;                          // working folder at start-up
    QString familienkennung = QStringLiteral("1");    // terminal family this program serves
};
