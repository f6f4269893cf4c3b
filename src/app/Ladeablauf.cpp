#include "app/Ladeablauf.h"

#include "app/Dateidialog.h"
#include "app/Editorfenster.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"

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

Ladeablauf dateiLaden(Zustand &z, Meldung &m, QWidget *parent, Passwortabfrage abfrage)
{
    Ladeablauf ablauf;
    Texttabelle::ladeTexte(z, 140, 142);
    Texttabelle::ladeTexte(z, 176, 177);
    ablauf.pfad = Dateidialog::oeffnen(parent, z.sprache.texte.value(142), z.sprache.texte.value(141), z.einstellungen.startverzeichnis,
                                       z.sprache.texte.value(140), QStringLiteral("DateiLaden"));
    if (ablauf.pfad.isEmpty())
        return ablauf;
    ablauf.gewaehlt = true;
    z.sitzung.ladenZumBearbeiten = true;
    ablauf.ergebnis = Dateiablauf::ladeRoutine(z, m, ablauf.pfad);
    // A refused file must not leave the request behind for the next load.
    z.sitzung.ladenZumBearbeiten = false;
    if (ablauf.ergebnis.bearbeiten)
        ablauf.hauptdateiNachher = bearbeiteTerminaldatei(z, m, ablauf.pfad, ablauf.pfad, parent, std::move(abfrage));
    return ablauf;
}
