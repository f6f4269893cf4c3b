#include "termfile/Druckinhalt.h"

#include "base/Texttabelle.h"

namespace {

constexpr int Kartenzahl = 4096;

QString text(int nummer, int sprache)
{
    const QString t = Texttabelle::text(nummer + sprache);
    return t.isNull() ? Texttabelle::text(nummer) : t;
}

// Caption "column 0|column 1" of grid liste.
std::array<QString, 2> koepfe(int liste, int sprache)
{
    const QString beschriftung = text(329 + liste, sprache);
    const int trenner = beschriftung.indexOf(QLatin1Char('|'));
    if (trenner < 0)
        return {beschriftung, QString()};
    return {beschriftung.left(trenner), beschriftung.mid(trenner + 1)};
}

QString anzahlzeile(int anzahl, int sprache)
{
    return text(329, sprache) + QLatin1Char(' ') + QString::number(anzahl);
}

// Column 0 of a card row as the grid shows it: marker, four digits, status.
QString kartenzeile(const Datenbild &bild, int karte, const QString &marker)
{
    const QString ziffern = bild.zeitzonenziffern(karte);
    QString status;
    if (ziffern.isEmpty())
        status = QStringLiteral("     Gesperrt    ");
    else if (ziffern == QLatin1String("123"))
        status = QStringLiteral("           Berechtigt ");
    else
        status = QStringLiteral("             Zeitzone ") + ziffern;
    return marker + QStringLiteral("%1").arg(karte, 4, 10, QLatin1Char('0')) + status;
}

Druckgitter kartengitter(const Datenbild &bild, int liste, int seite, int sprache)
{
    Druckgitter g;
    g.kopf = koepfe(liste, sprache);
    g.zeilen.reserve(Kartenzahl + 2);
    g.zeilen.append({anzahlzeile(Kartenzahl - 1, sprache), QString()});
    g.zeilen.append({QStringLiteral("System:  >>>>") + bild.systemnummerText() + QString(10, QLatin1Char('<')),
                     QString(22, QLatin1Char('<'))});
    g.kartenAb = g.zeilen.size();
    const QString marker = seite == 2 ? QStringLiteral("B ") : seite == 3 ? QStringLiteral("C ") : QStringLiteral(">");
    const QVector<QString> &namen = seite == 2 || seite == 3 ? bild.Seitennamen[seite - 2] : bild.Begleittext;
    for (int c = 0; c < Kartenzahl; ++c)
        g.zeilen.append({kartenzeile(bild, c, marker), namen.value(c)});
    return g;
}

Druckgitter listengitter(const Datenbild &bild, int liste, int sprache)
{
    Druckgitter g;
    g.kopf = koepfe(liste, sprache);
    for (const Listenlage &lage : bild.listenlagen()) {
        if (lage.liste != liste)
            continue;
        const int erste = qMax(0, bild.ersteEintragsnummer(liste));
        // Entries past the last running number the arrays hold are not shown.
        const int anzahl = qBound(0, bild.Listenanzahl[liste - 1], Zeilenobergrenze + 1 - erste);
        if (anzahl == 0)
            break;
        g.zeilen.append({anzahlzeile(anzahl, sprache), QString()});
        for (int k = erste; k < erste + anzahl; ++k)
            g.zeilen.append({bild.Zeilentext.value(k), bild.Begleittext.value(k)});
    }
    return g;
}

}  // namespace

Druckinhalt Druckinhalt::ausBild(const Datenbild &bild, const QString &datei, int sprache,
                                 const QVector<QString> &Protokollnamen, int seite)
{
    Druckinhalt d;
    d.datei = datei;
    d.sprache = sprache >= 0 && sprache <= 3000 && sprache % 1000 == 0 ? sprache : 0;
    d.einstellungen = bild.grundeinstellungen();
    d.protokoll = bild.protokollbeschriftung(Protokollnamen);
    for (int liste = 1; liste <= 4; ++liste)
        d.gitter[liste - 1].kopf = koepfe(liste, d.sprache);
    if (bild.istSondercode()) {
        // The card grid stands in grid 1 (track 2) or grid 2 (track 3/1);
        // the page view always uses grid 1.
        const bool spur31 = seite == 1 && bild.flag(Flag::Spur31Auswerten) && !bild.flag(Flag::Spur2Auswerten);
        const int liste = spur31 ? 2 : 1;
        d.gitter[liste - 1] = kartengitter(bild, liste, seite, d.sprache);
    } else {
        for (int liste = 1; liste <= 4; ++liste)
            d.gitter[liste - 1] = listengitter(bild, liste, d.sprache);
    }
    for (int i = 0; i < 16; ++i)
        d.displayzeilen[i] = bild.displayzeile(i);
    return d;
}
