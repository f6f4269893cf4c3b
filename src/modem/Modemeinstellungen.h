#pragma once
// The per-user settings of the modem port: section "Einstellungen", four
// string values. Kept with QSettings in "portavo.ini" in the configuration
// folder (under PORTAVO_HOME when it is set); on Windows without
// PORTAVO_HOME in the user's registry under the program's name.

#include <QString>

struct Modemeinstellungen {
    QString Einstellungen;  // the port's settings string, "19200,n,8,1"
    QString ComAnschluss;   // port number, decimal
    QString Handshaking;    // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both
    QString Echo;           // "True" or "False"

    static const char *const Abschnitt;     // "Einstellungen"
    static const char *const SchluesselEinstellungen;
    static const char *const SchluesselCom; // "COM-Anschluß"
    static const char *const SchluesselHandshaking;
    static const char *const SchluesselEcho;

    // Empty strings for values never stored.
    static Modemeinstellungen lesen();
    static bool schreiben(const Modemeinstellungen &e);
    static QString echoText(bool echo) { return echo ? QStringLiteral("True") : QStringLiteral("False"); }
    static bool echoAus(const QString &text) { return text.trimmed().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0; }
    // Where the values are kept (the INI file; empty for the registry).
    static QString datei();
};
