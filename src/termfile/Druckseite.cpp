#include "termfile/Druckseite.h"

#include <algorithm>

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
