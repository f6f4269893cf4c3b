#include "app/portavo2D.h"
#include "app/MeldungBox.h"
#include "base/Zustand.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("portavo"));
    QCoreApplication::setApplicationName(QStringLiteral("portavo"));
    // Standard buttons (Yes/No, OK/Cancel) and file dialogs speak the
    // desktop's language, as the system's own message boxes do.
    QTranslator qtTexte;
    if (qtTexte.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexte);
    Zustand z;
    MeldungBox meldung;
    portavo2D fenster(z, meldung);
    fenster.show();
    fenster.starte();
    return app.exec();
}
