#pragma once
// Qt's own texts (the Yes/No/Cancel buttons, file dialogs) in the language
// the program speaks. Without Qt's translation for it they stay English
// whatever language the user chose.

#include <QLocale>
#include <QString>

class QTranslator;

class QtTexte {
public:
    // The program's language offset (0, 1000, 2000, 3000) as a locale;
    // anything else: the desktop's language.
    static QLocale gebietsschema(int sprache);
    // Installs Qt's translation for the language (English needs none),
    // replacing the one installed before. False when no translation could
    // be loaded; Qt's texts are then English.
    static bool waehle(int sprache);
    static bool waehle(const QLocale &gebietsschema);
    // The language of the translation installed now ("de", "fr", "es"), or
    // empty for none.
    static QString aktuelleSprache();

private:
    static QTranslator *&uebersetzung();
    static QString &sprache();
};
