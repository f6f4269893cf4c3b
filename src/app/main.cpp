#include "app/portavo2D.h"
#include "app/MeldungBox.h"
#include "base/Zustand.h"

#include <QApplication>
#include <QFileInfo>
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
    // portavo FILE: the terminal file opens in the editor once the start
    // window has been answered, as if chosen with Datei / Laden.
    const QStringList argumente = QCoreApplication::arguments();
    if (argumente.size() > 1) {
        const QString datei = QFileInfo(argumente.at(1)).absoluteFilePath();
        QObject::connect(
            &fenster, &portavo2D::betriebsbereit, &fenster,
            [&fenster, &z, datei] {
                z.LadenZumBearbeiten = 1;
                fenster.ladeDatei(datei);
                z.LadenZumBearbeiten = 0;
            },
            Qt::ConnectionType(Qt::SingleShotConnection | Qt::QueuedConnection));
    }
    fenster.show();
    fenster.starte();
    return app.exec();
}
