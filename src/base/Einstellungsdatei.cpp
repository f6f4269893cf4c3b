#include "base/Einstellungsdatei.h"

#include "base/Ansi.h"
#include "base/Dateiersatz.h"
#include "base/Dateizugriff.h"
#include "base/Zustand.h"

#include <QList>

namespace {
// Five short lines; a FIFO, a device or a huge file is no settings file.
constexpr qint64 Hoechstens = 64 * 1024;
constexpr int Zeilen = 5;
constexpr int ZeilePort = 1;
constexpr int ZeileSprache = 4;

// One line as it stands in the file: its bytes and its line end ("\r\n",
// "\n" or nothing for a last line without one).
struct Zeile {
    QByteArray text;
    QByteArray ende;
};

QList<Zeile> zerlege(const QByteArray &inhalt)
{
    QList<Zeile> zeilen;
    qsizetype anfang = 0;
    while (anfang < inhalt.size()) {
        qsizetype lf = inhalt.indexOf('\n', anfang);
        if (lf < 0)
            lf = inhalt.size();
        qsizetype ende = lf;
        if (ende > anfang && inhalt.at(ende - 1) == '\r')
            --ende;
        zeilen.append({inhalt.mid(anfang, ende - anfang), inhalt.mid(ende, lf + 1 - ende)});
        anfang = lf + 1;
    }
    return zeilen;
}

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

bool istPortnummer(const QString &text, int *wert)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < 1 || v > 16)
        return false;
    *wert = v;
    return true;
}

// A number is written with the sign place before it and a blank after it.
QString zahlzeile(int wert)
{
    return QStringLiteral(" %1 ").arg(wert);
}

// Line index (0..4) becomes text, unless it already holds the number
// wert; every other line stays as it is.
bool setzeZeile(const QString &pfad, int index, const QString &text, int wert, const QStringList &fuellung)
{
    const Dateizugriff::Leseergebnis gelesen = Dateizugriff::lesen(pfad, Hoechstens);
    if (gelesen.stand != Dateizugriff::Lesestand::Fehlt && !gelesen.ok())
        return false;
    QList<Zeile> zeilen = zerlege(gelesen.inhalt);
    if (index < zeilen.size()) {
        bool ok = false;
        const int alt = Ansi::dekodieren(zeilen.at(index).text).trimmed().toInt(&ok);
        if (ok && alt == wert)
            return true;
    }
    while (zeilen.size() < Zeilen) {
        if (!zeilen.isEmpty() && zeilen.last().ende.isEmpty())
            zeilen.last().ende = "\r\n";
        zeilen.append({Ansi::kodieren(fuellung.at(zeilen.size())), "\r\n"});
    }
    zeilen[index].text = Ansi::kodieren(text);
    if (zeilen.at(index).ende.isEmpty())
        zeilen[index].ende = "\r\n";
    QByteArray inhalt;
    for (const Zeile &z : zeilen)
        inhalt += z.text + z.ende;
    return Dateiersatz::ersetze(pfad, inhalt);
}

QStringList fuellung(const Zustand &z, int portnummer)
{
    return {QStringLiteral("19200,n,8,1"), zahlzeile(portnummer), z.einstellungen.modemText1, z.einstellungen.modemText2, z.sprache.dateiwert};
}
}  // namespace

namespace Einstellungsdatei {

std::optional<Einstellungen> lesen(const QString &pfad)
{
    const Startwerte s = lesenSoweitMoeglich(pfad);
    if (s.stand != Stand::Gelesen)
        return std::nullopt;
    return s.werte;
}

Startwerte lesenSoweitMoeglich(const QString &pfad)
{
    Startwerte s;
    const Dateizugriff::Leseergebnis gelesen = Dateizugriff::lesen(pfad, Hoechstens);
    if (gelesen.stand == Dateizugriff::Lesestand::Fehlt)
        return s;
    s.stand = Stand::Unlesbar;
    if (!gelesen.ok())
        return s;
    const QList<Zeile> zeilen = zerlege(gelesen.inhalt);
    const auto text = [&zeilen](int i) { return Ansi::dekodieren(zeilen.at(i).text); };
    bool heil = zeilen.size() >= Zeilen;
    Einstellungen &e = s.werte;
    if (zeilen.size() > 0)
        e.Leitung = text(0);
    if (zeilen.size() > 1)
        heil = istPortnummer(text(1), &e.Portnummer) && heil;
    if (zeilen.size() > 2)
        e.ModemText1 = text(2);
    if (zeilen.size() > 3)
        e.ModemText2 = text(3);
    qint16 sprache = 0;
    if (zeilen.size() > 4) {
        if (istSprache(text(4), &sprache))
            e.SpracheText = text(4);
        else
            heil = false;
    }
    s.stand = heil ? Stand::Gelesen : Stand::Beschaedigt;
    return s;
}

bool schreiben(const QString &pfad, int portnummer, const QString &modemText1,
               const QString &modemText2, const QString &spracheText)
{
    return schreibeZeilen(pfad, {QStringLiteral("19200,n,8,1"), zahlzeile(portnummer), modemText1, modemText2,
                                 spracheText});
}

bool schreibeStandard(const QString &pfad)
{
    return schreibeZeilen(pfad, {QStringLiteral("19200,n,8,1"), QStringLiteral("1"), QStringLiteral("0"),
                                 QString(), QStringLiteral("0")});
}

void uebernehmen(Zustand &z, const Einstellungen &e)
{
    z.einstellungen.portnummer = qint16(e.Portnummer);
    z.einstellungen.modemText1 = e.ModemText1;
    z.einstellungen.modemText2 = e.ModemText2;
    z.sprache.dateiwert = e.SpracheText;
    qint16 sprache = 0;
    z.sprache.versatz = istSprache(e.SpracheText, &sprache) ? sprache : 0;
}

bool schreibe(const QString &pfad, const Zustand &z, int portnummer)
{
    return schreiben(pfad, portnummer, z.einstellungen.modemText1, z.einstellungen.modemText2, z.sprache.dateiwert);
}

bool setzePortnummer(const QString &pfad, const Zustand &z, int portnummer)
{
    return setzeZeile(pfad, ZeilePort, zahlzeile(portnummer), portnummer, fuellung(z, portnummer));
}

bool setzeSprache(const QString &pfad, const Zustand &z, int portnummer)
{
    bool ok = false;
    const int wert = z.sprache.dateiwert.trimmed().toInt(&ok);
    return setzeZeile(pfad, ZeileSprache, z.sprache.dateiwert, ok ? wert : -1, fuellung(z, portnummer));
}

}  // namespace Einstellungsdatei
