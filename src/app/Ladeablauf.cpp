#include "app/Ladeablauf.h"

#include "app/Editorfenster.h"

QString bearbeiteTerminaldatei(Zustand &z, Meldung &m, const QString &hauptdatei, const QString &titel,
                               QWidget *parent, Passwortabfrage abfrage)
{
    Editorfenster editor(z, m, parent);
    if (abfrage)
        editor.setPasswortabfrage(std::move(abfrage));
    if (!editor.oeffne(hauptdatei))
        return QString();
    editor.setWindowTitle(titel);
    editor.exec();
    return editor.hauptdatei();
}

