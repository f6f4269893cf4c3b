#pragma once
// What differs between two terminal memories, as a technician reads it
// before a write or when comparing files: every byte that differs, the basic
// settings that change (named as the print names them), each list slot whose
// entry changes, appears or goes (in special code: each card whose state
// changes) and the display lines that change. Comments and names are not in
// the terminal and are not compared.

#include "termfile/Terminaldatei.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

struct Dateivergleich {
    struct Byte {
        int adresse;
        int alt;
        int neu;
    };
    // A named value that changes (a list slot is named by its number 1, 2,
    // ...); in a list an empty alt means added, an empty neu gone.
    struct Wert {
        QString name;
        QString alt;
        QString neu;
    };

    QVector<Byte> bytes;
    QVector<Wert> einstellungen;
    std::array<QVector<Wert>, 4> listen;  // lists 1..4; in special code the cards in list 1
    QVector<Wert> displayzeilen;
    // One memory is a standard image, the other a special-code image.
    bool artVerschieden = false;

    bool gleich() const { return bytes.isEmpty(); }

    // sprache: text offset 0, 1000, 2000, 3000 for the names.
    static Dateivergleich vergleiche(const Terminaldatei::Speicherbytes &vorher, const Terminaldatei::Speicherbytes &nachher, int sprache,
                                     const QVector<QString> &protokollnamen);
    // Lines for a window or the command line, in the language sprache.
    QStringList zusammenfassung(int sprache) const;
    // For scripts: {"equal", "kindsDiffer", "bytes": [[address, old, new]...],
    // "settings"/"displayLines": [{"name", "old", "new"}...], "lists": [[...] x 4]}.
    QJsonObject json() const;
};
