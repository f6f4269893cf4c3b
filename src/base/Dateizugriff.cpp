#include "base/Dateizugriff.h"

#include "base/Dateisystem.h"
#include "base/Texttabelle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>


namespace Dateizugriff {

namespace {

Leseergebnis ergebnis(Lesestand stand, const QString &grund, qint64 hoechstens, int fehlernummer = 0)
{
    Leseergebnis e;
    e.stand = stand;
    e.grund = grund;
    e.hoechstens = hoechstens;
    e.fehlernummer = fehlernummer;
    return e;
}

}  // namespace

QString Leseergebnis::text(const QString &pfad, int sprache) const
{
    const QString name = QDir::toNativeSeparators(pfad);
    switch (stand) {
    case Lesestand::Gelesen:
        return QString();
    case Lesestand::Fehlt:
        return Texttabelle::text(664 + sprache).arg(name);
    case Lesestand::KeineDatei:
        return Texttabelle::text(665 + sprache).arg(name);
    case Lesestand::ZuGross:
        return Texttabelle::text(666 + sprache).arg(name).arg(hoechstens);
    case Lesestand::Fehler:
        break;
    }
    return Texttabelle::text(667 + sprache).arg(name, fehlernummer ? Dateisystem::grund(fehlernummer) : grund);
}

Leseergebnis lesen(const QString &pfad, qint64 hoechstens)
{
    const Dateisystem::Lesung l = Dateisystem::lesen(QFile::encodeName(pfad), hoechstens);
    switch (l.stand) {
    case Dateisystem::Lesung::Gelesen: {
        Leseergebnis e = ergebnis(Lesestand::Gelesen, QString(), hoechstens);
        e.inhalt = l.inhalt;
        return e;
    }
    case Dateisystem::Lesung::Fehlt:
        return ergebnis(Lesestand::Fehlt, QStringLiteral("Die Datei gibt es nicht."), hoechstens);
    case Dateisystem::Lesung::KeineDatei:
        return ergebnis(Lesestand::KeineDatei, QStringLiteral("Das ist keine gewöhnliche Datei."), hoechstens);
    case Dateisystem::Lesung::ZuGross:
        if (l.groesse >= 0)
            return ergebnis(Lesestand::ZuGross,
                            QStringLiteral("Die Datei ist zu groß (%1 Bytes, höchstens %2).").arg(l.groesse).arg(hoechstens),
                            hoechstens);
        // It grew while it was read.
        return ergebnis(Lesestand::ZuGross,
                        QStringLiteral("Die Datei ist zu groß (höchstens %1 Bytes).").arg(hoechstens), hoechstens);
    case Dateisystem::Lesung::Fehler:
        break;
    }
    return ergebnis(Lesestand::Fehler, Dateisystem::grund(l.fehler), hoechstens, l.fehler);
}

bool leerAnlegen(const QString &pfad)
{
    return Dateisystem::exklusivAnlegen(QFile::encodeName(pfad));
}

bool belegt(const QString &pfad)
{
    const Dateisystem::Eintrag e = Dateisystem::ansehen(QFile::encodeName(pfad));
    return e.art != Dateisystem::Art::Fehlt;
}

}  // namespace Dateizugriff
