#pragma once
// The terminal being served: where it answers and what is known about it.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

struct Terminalstand {
    qint16 adresse = 0;
    qint16 protokoll = 0;
    bool adresseBekannt = false;
    bool identifiziert = false;
    bool protokollGewaehlt = false;
    bool varianteM = false;  // the terminal takes the write block as variant M ("d")
    QString version;         // its version string, once the protocol identification confirmed it
    QByteArray passwort;     // "0" + three packed bytes, or "X" + free text
    bool passwortOK = false;
    // Set after a write ended while the terminal may be left waiting for its
    // block (serious programming error, or cancelled after "D"); cleared after
    // a successful write. The recovery scan offers the repair write on it.
    bool schreibfehler = false;
};
