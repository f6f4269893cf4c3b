#include "shell/Hauptfenster.h"
#include "shell/Zustand.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("portavo"));
    QCoreApplication::setApplicationName(QStringLiteral("portavo"));
    Zustand z;
    portavo2D fenster(z);
    fenster.show();
    return app.exec();
}
