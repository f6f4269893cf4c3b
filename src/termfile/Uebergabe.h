#pragma once
// The hand-back variables between the editor and its record dialogs: the
// editor sets them, opens a dialog modally and reads them after it closed.
// The editor window owns one instance and passes it to every dialog.

#include <QString>

struct Uebergabe {
    qint16 Eintragsnummer = 0;   // running entry number (standard) or card number
    qint16 Gruppenanfang = 0;    // card number of the highlighted row
    qint16 Gruppenende = 0;
    qint16 Dialogergebnis = 0;   // 0 cancelled, otherwise accepted
    QString Zonenziffern;
    qint16 Displayzeile = 0;     // 0..15
    qint16 Systemnummer = 0;     // 0..4095
    qint16 Suchmodus = 0;        // the grid searched last: 1..4 (Mgd1..Mgd4)
};
