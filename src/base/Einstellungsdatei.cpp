#include "base/Einstellungsdatei.h"

#include "base/Ansi.h"
#include "base/Dateiersatz.h"
#include "base/Dateizugriff.h"
#include "base/Zustand.h"

#include <QFile>

namespace {
bool schreibeZeilen(const QString &pfad, const QStringList &zeilen)
{
    QByteArray inhalt;
    for (const QString &z : zeilen)
        inhalt += Ansi::kodieren(z) + "\r\n";
    return Dateiersatz::ersetze(pfad, inhalt);
}

bool istSprache(const QString &text, qint16 *wert)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || (v != 0 && v != 1000 && v != 2000 && v != 3000))
        return false;
    *wert = qint16(v);
    return true;
}
}  // namespace

namespace Einstellungsdatei {

std::optional<Einstellungen> lesen(const QString &pfad)
{
    // Five short lines; a FIFO, a device or a huge file is no settings file.
    const Dateizugriff::Leseergebnis gelesen = Dateizugriff::lesen(pfad, 64 * 1024);
    if (!gelesen.ok())
        return std::nullopt;
    const QByteArray inhalt = gelesen.inhalt;
    QList<QByteArray> zeilen = inhalt.split('\n');
    // A last line ended by CR LF leaves one empty piece behind it.
    if (!zeilen.isEmpty() && zeilen.last().isEmpty() && inhalt.endsWith('\n'))
        zeilen.removeLast();
    if (zeilen.size() < 5)
        return std::nullopt;
    QStringList text;
    for (int i = 0; i < 5; ++i) {
        QByteArray z = zeilen.at(i);
        if (z.endsWith('\r'))
            z.chop(1);
        text << Ansi::dekodieren(z);
    }
    Einstellungen e;
    e.Leitung = text.at(0);
    bool ok = false;
    e.Portnummer = text.at(1).trimmed().toInt(&ok);
    if (!ok || e.Portnummer < 1 || e.Portnummer > 16)
        return std::nullopt;
    e.ModemText1 = text.at(2);
    e.ModemText2 = text.at(3);
    e.SpracheText = text.at(4);
    qint16 sprache = 0;
    if (!istSprache(e.SpracheText, &sprache))
        return std::nullopt;
    return e;
}

bool schreiben(const QString &pfad, int portnummer, const QString &modemText1,
               const QString &modemText2, const QString &spracheText)
{
    // A number is written with the sign place before it and a blank after it.
    return schreibeZeilen(pfad, {QStringLiteral("19200,n,8,1"), QStringLiteral(" %1 ").arg(portnummer),
                                 modemText1, modemText2, spracheText});
}

bool schreibeStandard(const QString &pfad)
{
    return schreibeZeilen(pfad, {QStringLiteral("19200,n,8,1"), QStringLiteral("1"), QStringLiteral("0"),
                                 QString(), QStringLiteral("0")});
}

void uebernehmen(Zustand &z, const Einstellungen &e)
{
    z.Portnummer = qint16(e.Portnummer);
    z.ModemText1 = e.ModemText1;
    z.ModemText2 = e.ModemText2;
    z.SpracheText = e.SpracheText;
    qint16 sprache = 0;
    z.Sprache = istSprache(e.SpracheText, &sprache) ? sprache : 0;
}

bool schreibe(const QString &pfad, const Zustand &z, int portnummer)
{
    return schreiben(pfad, portnummer, z.ModemText1, z.ModemText2, z.SpracheText);
}

}  // namespace Einstellungsdatei
