#include "app/portavo2D.h"
#include "app/MeldungBox.h"
#include "app/QtTexte.h"
#include "base/Zustand.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("portavo"));
    QCoreApplication::setApplicationName(QStringLiteral("portavo"));
    // Until the settings file names the language, Qt's own texts (Yes/No,
    // file dialogs) follow the desktop; the main window switches them to
    // the chosen language.
    QtTexte::waehle(QLocale::system());
    Zustand z;
    MeldungBox meldung;
    portavo2D fenster(z, meldung);
    meldung.setEltern(&fenster);
    fenster.show();
    fenster.starte();
    return app.exec();
}
