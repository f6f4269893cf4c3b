#include "app/Hauptfenster.h"
#include "app/MeldungBox.h"
#include "app/QtTexte.h"
#include "base/Zustand.h"

#include <QApplication>
#include <QFileInfo>
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
    Hauptfenster fenster(z, meldung);
    meldung.setEltern(&fenster);
    // portavo FILE: the terminal file opens in the editor once the start
    // window has been answered, as if chosen with Datei / Laden.
    const QStringList argumente = QCoreApplication::arguments();
    if (argumente.size() > 1) {
        const QString datei = QFileInfo(argumente.at(1)).absoluteFilePath();
        QObject::connect(
            &fenster, &Hauptfenster::betriebsbereit, &fenster,
            [&fenster, &z, datei] {
                z.sitzung.ladenZumBearbeiten = true;
                fenster.ladeDatei(datei);
                z.sitzung.ladenZumBearbeiten = false;
            },
            Qt::ConnectionType(Qt::SingleShotConnection | Qt::QueuedConnection));
    }
    fenster.show();
    fenster.starte();
    return app.exec();
}
