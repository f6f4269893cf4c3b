#pragma once
// One printed page as positioned text, independent of any printer: every
// item carries its text, font and place in twips (1/1440 inch) measured
// from the paper's top left corner; y is the top of the text line.

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

struct Druckelement {
    QString text;
    int x = 0;
    int y = 0;
    int groesse = 10;  // points
    bool fett = false;
    QString schrift = QStringLiteral("arial");
    int breite = 0;    // twips the text may take; 0: no limit, otherwise cut to fit
    // Twips the text may take downwards (with breite): a text too wide for
    // breite is then not cut but set smaller and, where that is not enough,
    // wrapped onto further lines inside breite x hoehe. 0: one line.
    int hoehe = 0;

    static constexpr qreal Kleinstgroesse = 5.0;  // points; no smaller than this

    // How the text is set: its point size and its lines, top to bottom.
    struct Satz {
        qreal groesse = 10;
        QStringList zeilen;
    };
    // Measures in twips as the device will print: the width of a text at a
    // point size, and the distance from one line to the next at a size.
    using Textbreite = std::function<qreal(const QString &text, qreal groesse)>;
    using Zeilenabstand = std::function<qreal(qreal groesse)>;
    // The largest size, in half points from groesse down to Kleinstgroesse,
    // at which the text fits into breite x hoehe, on one line or broken
    // between words (a word wider than breite between its letters). Should
    // nothing fit, the smallest size with as many lines as hoehe holds, the
    // last taking the rest (to be cut where it overruns). Without breite or
    // hoehe: the text as it is, one line at groesse.
    Satz setze(const Textbreite &textbreite, const Zeilenabstand &zeilenabstand) const;
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
