#include "termfile/Druckseite.h"

#include <algorithm>

namespace {

// Greedy line breaking of text into lines no wider than breite.
QStringList umbrechen(const QString &text, qreal breite, const std::function<qreal(const QString &)> &miss)
{
    QStringList zeilen;
    QString zeile;
    const auto anfuegen = [&](const QString &wort) {
        const QString mit = zeile.isEmpty() ? wort : zeile + QLatin1Char(' ') + wort;
        if (miss(mit) <= breite) {
            zeile = mit;
            return;
        }
        if (!zeile.isEmpty())
            zeilen.append(zeile);
        zeile.clear();
        // A word wider than the column is broken between its letters.
        for (const QChar c : wort) {
            if (!zeile.isEmpty() && miss(zeile + c) > breite) {
                zeilen.append(zeile);
                zeile.clear();
            }
            zeile += c;
        }
    };
    for (const QString &wort : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        anfuegen(wort);
    if (!zeile.isEmpty())
        zeilen.append(zeile);
    return zeilen;
}

}  // namespace

Druckelement::Satz Druckelement::setze(const Textbreite &textbreite, const Zeilenabstand &zeilenabstand) const
{
    if (breite <= 0 || hoehe <= 0 || textbreite(text, groesse) <= breite)
        return {qreal(groesse), {text}};
    QStringList zeilen;
    qreal g = groesse;
    for (; g >= Kleinstgroesse; g -= 0.5) {
        const int platz = qMax(1, int(hoehe / zeilenabstand(g)));
        zeilen = umbrechen(text, breite, [&](const QString &t) { return textbreite(t, g); });
        if (zeilen.size() <= platz)
            return {g, zeilen};
    }
    // Too long even at the smallest size: the last line that has room
    // takes the rest.
    g = Kleinstgroesse;
    const int platz = qMax(1, int(hoehe / zeilenabstand(g)));
    zeilen = umbrechen(text, breite, [&](const QString &t) { return textbreite(t, g); });
    if (zeilen.size() > platz) {
        const QString rest = zeilen.mid(platz - 1).join(QLatin1Char(' '));
        zeilen = zeilen.mid(0, platz - 1);
        zeilen.append(rest);
    }
    return {g, zeilen};
}

QString Druckseite::lesetext() const
{
    QVector<const Druckelement *> folge;
    folge.reserve(elemente.size());
    for (const Druckelement &e : elemente)
        folge.append(&e);
    std::stable_sort(folge.begin(), folge.end(), [](const Druckelement *a, const Druckelement *b) {
        return a->y != b->y ? a->y < b->y : a->x < b->x;
    });
    QString text;
    for (int i = 0; i < folge.size(); ++i) {
        if (i > 0)
            text += folge[i]->y == folge[i - 1]->y ? QLatin1Char('\t') : QLatin1Char('\n');
        text += folge[i]->text;
    }
    return text;
}

const Druckelement *Druckseite::finde(const QString &text) const
{
    for (const Druckelement &e : elemente)
        if (e.text == text)
            return &e;
    return nullptr;
}
