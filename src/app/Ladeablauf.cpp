#include "app/Ladeablauf.h"

#include "app/Editorfenster.h"

QString bearbeiteTerminaldatei(Zustand &z, Meldung &m, const QString &hauptdatei, const QString &titel,
                               QWidget *parent, Passwortabfrage abfrage, Verbindung *v, Anmeldung *anmeldung)
{
    Editorfenster editor(z, m, parent);
    if (v && anmeldung)
        editor.setTerminalzugang(v, anmeldung);
    if (abfrage)
        editor.setPasswortabfrage(std::move(abfrage));
    if (!editor.oeffne(hauptdatei))
        return QString();
    editor.setWindowTitle(titel);
    editor.exec();
    return editor.hauptdatei();
}

