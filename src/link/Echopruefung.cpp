#include "link/Echopruefung.h"

Echopruefung::Befund Echopruefung::pruefe(const QByteArray &gesendet, const QByteArray &eingang)
{
    const qsizetype n = qMin(gesendet.size(), eingang.size());
    if (gesendet.left(n) != eingang.left(n))
        return Befund::KeinEcho;
    return eingang.size() >= gesendet.size() ? Befund::Echo : Befund::Offen;
}
