#include "termfile/Kartenregeln.h"

#include "termfile/Uebergabe.h"

namespace Kartenregeln {

namespace {

int gueltigeSeite(int seite)
{
    return seite == 2 || seite == 3 ? seite : 1;
}

void raiseZaehler(Datenbild &bild)
{
    if (bild.Aenderungszaehler < 0)
        bild.Aenderungszaehler = 0;
    ++bild.Aenderungszaehler;
}

// The dialogs' range walk: Gruppenende, then Eintragsnummer runs from the
// first card to the last; Gruppenanfang is moved past a range chosen
// upwards, as the dialogs always left it.
Bereich laufe(Uebergabe &u)
{
    const int start = u.Gruppenanfang;
    const int karte = u.Eintragsnummer;
    Bereich b;
    u.Gruppenende = qint16(karte);
    if (start < karte) {
        u.Gruppenende = qint16(karte);
        u.Eintragsnummer = qint16(start);
    } else if (start > karte) {
        u.Gruppenende = qint16(start);
        u.Gruppenanfang = qint16(start + 1);
    }
    b.von = qBound(0, int(u.Eintragsnummer), Kartenzahl - 1);
    b.bis = qBound(b.von, int(u.Gruppenende), Kartenzahl - 1);
    u.Eintragsnummer = qint16(b.bis);
    return b;
}

}  // namespace

QVector<QString> &namen(Datenbild &bild, int seite)
{
    seite = gueltigeSeite(seite);
    return seite == 1 ? bild.Begleittext : bild.Seitennamen[seite - 2];
}

const QVector<QString> &namen(const Datenbild &bild, int seite)
{
    seite = gueltigeSeite(seite);
    return seite == 1 ? bild.Begleittext : bild.Seitennamen[seite - 2];
}

QVector<QString> &kundenfeld(Datenbild &bild, int seite, int feld)
{
    if (feld <= 0 || feld > 6)
        return namen(bild, seite);
    return bild.Kundendaten[gueltigeSeite(seite) - 1][feld - 1];
}

const QVector<QString> &kundenfeld(const Datenbild &bild, int seite, int feld)
{
    if (feld <= 0 || feld > 6)
        return namen(bild, seite);
    return bild.Kundendaten[gueltigeSeite(seite) - 1][feld - 1];
}

QString statustext(const Datenbild &bild, int karte, const Zeilentexte &t)
{
    const QString ziffern = bild.zeitzonenziffern(karte);
    if (ziffern.isEmpty())
        return t.gesperrt;
    if (ziffern == QLatin1String("123"))
        return t.berechtigt;
    return t.zeitzone + ziffern;
}

QString kartenzeile(const Datenbild &bild, int karte, const QString &marker, const Zeilentexte &t)
{
    return marker + QStringLiteral("%1").arg(karte, 4, 10, QLatin1Char('0')) + statustext(bild, karte, t);
}

QString systemzeile(const Datenbild &bild, const Zeilentexte &t)
{
    return t.system + bild.systemnummerText() + QString(10, QLatin1Char('<'));
}

QString systemzeileRechts()
{
    return QString(22, QLatin1Char('<'));
}

QString marker(int seite, bool seitenansicht)
{
    // Pages 2 and 3 carry their letter in every view, so that a card of
    // page 2 is never shown as one of page 1.
    seite = gueltigeSeite(seite);
    if (seite == 2)
        return QStringLiteral("B ");
    if (seite == 3)
        return QStringLiteral("C ");
    return seitenansicht ? QStringLiteral("> ") : QStringLiteral(">");
}

QString seitenpraefix(int seite)
{
    seite = gueltigeSeite(seite);
    return seite == 2 ? QStringLiteral("B ") : seite == 3 ? QStringLiteral("C ") : QString();
}

Bereich bereich(const Uebergabe &u)
{
    Bereich b;
    b.von = qBound(0, int(qMin(u.Gruppenanfang, u.Eintragsnummer)), Kartenzahl - 1);
    b.bis = qBound(0, int(qMax(u.Gruppenanfang, u.Eintragsnummer)), Kartenzahl - 1);
    return b;
}

bool berechtigen(Datenbild &bild, Uebergabe &u, int seite, const std::array<bool, 3> &zonen,
                 const std::optional<QString> &name)
{
    if (!zonen[0] && !zonen[1] && !zonen[2])
        return false;
    const Bereich b = laufe(u);
    QVector<QString> &n = namen(bild, seite);
    QString ziffern;
    for (int zone = 1; zone <= 3; ++zone)
        if (zonen[zone - 1])
            ziffern.append(QChar(char16_t('0' + zone)));
    u.Zonenziffern.reserve(u.Zonenziffern.size() + ziffern.size() * (b.bis - b.von + 1));
    for (int karte = b.von; karte <= b.bis; ++karte) {
        for (int zone = 1; zone <= 3; ++zone)
            bild.setzeZeitzone(karte, zone, zonen[zone - 1]);
        u.Zonenziffern.append(ziffern);
        if (name && karte < n.size())
            n[karte] = *name;
    }
    u.Dialogergebnis = 1;
    raiseZaehler(bild);
    return true;
}

void sperren(Datenbild &bild, Uebergabe &u)
{
    const Bereich b = laufe(u);
    for (int karte = b.von; karte <= b.bis; ++karte)
        for (int zone = 1; zone <= 3; ++zone)
            bild.setzeZeitzone(karte, zone, false);
    u.Dialogergebnis = 2;
    raiseZaehler(bild);
}

bool systemnummerUebernehmen(Datenbild &bild, Uebergabe &u, const QString &text)
{
    const std::optional<int> n = Datenbild::systemnummerAusText(text);
    if (!n || !bild.setzeSystemnummer(*n))
        return false;
    u.Systemnummer = qint16(*n);
    u.Dialogergebnis = 1;
    raiseZaehler(bild);
    return true;
}

std::optional<Treffer> suche(const std::function<QString(int, int)> &text, int zeilen,
                             const QVector<int> &spalten, int startzeile, const QString &suchtext,
                             std::optional<Treffer> ab)
{
    const QString gesucht = suchtext.toUpper();
    int ersteSpalte = 0;
    int ersteZeile = startzeile;
    if (ab) {
        ersteSpalte = int(spalten.indexOf(ab->spalte));
        if (ersteSpalte < 0)
            ersteSpalte = 0;
        ersteZeile = ab->zeile + 1;
    }
    for (int s = ersteSpalte; s < spalten.size(); ++s) {
        const int spalte = spalten[s];
        for (int zeile = s == ersteSpalte ? ersteZeile : startzeile; zeile < zeilen; ++zeile) {
            const QString zelle = text(zeile, spalte);
            if (gesucht.isEmpty() ? !zelle.isEmpty() : zelle.contains(gesucht, Qt::CaseInsensitive))
                return Treffer{zeile, spalte};
        }
    }
    return std::nullopt;
}

}  // namespace Kartenregeln
