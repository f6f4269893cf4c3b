#pragma once
// The chosen language and the texts of that language.

#include <QString>
#include <QVector>

struct Sprachstand {
    // Offset into the text table: 0, 1000, 2000 or 3000 (German, English,
    // French, Spanish); a text number plus this offset is the text shown.
    qint16 versatz = 0;
    // The language line as the settings file holds it; written back as is.
    QString dateiwert = QStringLiteral("0");
    QVector<QString> texte = QVector<QString>(1001);           // 101..1000 used
    QVector<QString> protokollnamen = QVector<QString>(256);  // by protocol number
};
