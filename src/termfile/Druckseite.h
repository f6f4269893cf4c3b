#pragma once
// One printed page as positioned text, independent of any printer: every
// item carries its text, font and place in twips (1/1440 inch) measured
// from the paper's top left corner; y is the top of the text line.

#include <QString>
#include <QVector>

struct Druckelement {
    QString text;
    int x = 0;
    int y = 0;
    int groesse = 10;  // points
    bool fett = false;
    QString schrift = QStringLiteral("arial");
    int breite = 0;    // twips the text may take; 0: no limit, otherwise cut to fit
};

struct Druckseite {
    int nummer = 0;  // page number of the print run, from 1
    QVector<Druckelement> elemente;

    // The texts in reading order (top to bottom, left to right), one item
    // per line; items on the same y are joined by a tab.
    QString lesetext() const;
    // The first item whose text is exactly text, or nullptr.
    const Druckelement *finde(const QString &text) const;
};
