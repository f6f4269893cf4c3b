#include "app/QtTexte.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QTranslator *&QtTexte::uebersetzung()
{
    static QTranslator *t = nullptr;
    return t;
}

QString &QtTexte::sprache()
{
    static QString s;
    return s;
}

QLocale QtTexte::gebietsschema(int sprache)
{
    switch (sprache) {
    case 0:
        return QLocale(QLocale::German, QLocale::Germany);
    case 1000:
        return QLocale(QLocale::English, QLocale::UnitedKingdom);
    case 2000:
        return QLocale(QLocale::French, QLocale::France);
    case 3000:
        return QLocale(QLocale::Spanish, QLocale::Spain);
    default:
        return QLocale::system();
    }
}

bool QtTexte::waehle(int sprache)
{
    return waehle(gebietsschema(sprache));
}

bool QtTexte::waehle(const QLocale &ort)
{
    const QString kennung = QLocale::languageToCode(ort.language());
    if (kennung == sprache() && (uebersetzung() || kennung == QLatin1String("en")))
        return true;
    if (QTranslator *alt = uebersetzung()) {
        QCoreApplication::removeTranslator(alt);
        delete alt;
        uebersetzung() = nullptr;
    }
    sprache() = kennung;
    if (kennung == QLatin1String("en"))
        return true;  // Qt's own language
    auto *neu = new QTranslator(QCoreApplication::instance());
    if (!neu->load(ort, QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete neu;
        sprache().clear();
        return false;
    }
    QCoreApplication::installTranslator(neu);
    uebersetzung() = neu;
    return true;
}

QString QtTexte::aktuelleSprache()
{
    return uebersetzung() ? sprache() : QString();
}
