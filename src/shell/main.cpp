#include "shell/Hauptfenster.h"
#include "shell/MeldungBox.h"
#include "shell/Zustand.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("portavo"));
    QCoreApplication::setApplicationName(QStringLiteral("portavo"));
    Zustand z;
    MeldungBox meldung;
    portavo2D fenster(z, meldung);
    fenster.show();
    fenster.starte();
    return app.exec();
}
