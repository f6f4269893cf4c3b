#include "termfile/Dateivergleich.h"

#include "base/Texttabelle.h"

#include <QJsonArray>

#include <algorithm>

namespace {

QString vtext(int nummer, int sprache)
{
    const QString t = Texttabelle::text(nummer + sprache);
    return t.isNull() ? Texttabelle::text(nummer) : t;
}

Datenbild bildAus(const Terminaldatei::Speicherbytes &bytes)
{
    Datenbild b;
    std::copy(bytes.begin(), bytes.end(), b.Daten.begin());
    b.baueListen();
    return b;
}

// The settings as the print shows them: label and value.
QVector<QPair<QString, QString>> einstellungszeilen(const Datenbild &b, int sprache,
                                                    const QVector<QString> &protokollnamen)
{
    const Grundeinstellungen g = b.grundeinstellungen();
    const auto ja = [sprache](bool j) { return vtext(j ? 287 : 288, sprache); };
    const auto laenge = [](bool an, int ziffern) { return an ? QString::number(ziffern) : QStringLiteral("----"); };
    const auto t = [sprache](int n) { return vtext(n, sprache).trimmed(); };
    return {{t(285), QString::number(g.tueroeffnungszeit) + vtext(286, sprache)},
            {t(289), ja(g.tueroeffnerMitSummer)},
            {t(290), ja(g.tueroeffnerIntervallton)},
            {t(291), ja(g.ueberwachungsmodul)},
            {t(292), g.passwort},
            {t(293), ja(g.meldungChipkarte)},
            {t(294), ja(g.tuerAufBeiStoerung)},
            {t(295), ja(g.startzeichenSenden)},
            {t(296), ja(g.datenAufDisplay)},
            {t(297), ja(g.sperrlisten)},
            {t(298), ja(g.spur2Auswerten)},
            {t(299), ja(g.spur31Auswerten)},
            {t(300), laenge(g.spur2Auswerten, g.laengeSpur2)},
            {t(301), laenge(g.spur31Auswerten, g.laengeSpur31)},
            {t(302), QString::number(g.adresse)},
            {t(303), b.protokollbeschriftung(protokollnamen)},
            {QStringLiteral("System"), b.istSondercode() ? b.systemnummerText() : QString()}};
}

QJsonArray werteJson(const QVector<Dateivergleich::Wert> &werte)
{
    QJsonArray a;
    for (const auto &w : werte)
        a.append(QJsonObject{{"name", w.name}, {"old", w.alt}, {"new", w.neu}});
    return a;
}

}  // namespace

Dateivergleich Dateivergleich::vergleiche(const Terminaldatei::Speicherbytes &vorher, const Terminaldatei::Speicherbytes &nachher, int sprache,
                                          const QVector<QString> &protokollnamen)
{
    Dateivergleich v;
    for (int i = 0; i < int(vorher.size()); ++i)
        if (vorher[size_t(i)] != nachher[size_t(i)])
            v.bytes.append({i, vorher[size_t(i)], nachher[size_t(i)]});
    if (v.gleich())
        return v;
    const Datenbild a = bildAus(vorher), b = bildAus(nachher);
    v.artVerschieden = a.istSondercode() != b.istSondercode();

    const auto ea = einstellungszeilen(a, sprache, protokollnamen), eb = einstellungszeilen(b, sprache, protokollnamen);
    for (int i = 0; i < ea.size(); ++i)
        if (ea[i].second != eb[i].second)
            v.einstellungen.append({ea[i].first, ea[i].second, eb[i].second});

    if (a.istSondercode() && b.istSondercode()) {
        // The card grid stands in list 1, or in list 2 when only track 3/1 is read.
        const size_t liste = b.flag(Flag::Spur31Auswerten) && !b.flag(Flag::Spur2Auswerten) ? 1 : 0;
        for (int karte = 0; karte < 4096; ++karte)
            if (a.kartenstatus(karte) != b.kartenstatus(karte))
                v.listen[liste].append({QStringLiteral("%1").arg(karte, 4, 10, QLatin1Char('0')), a.kartenstatus(karte),
                                    b.kartenstatus(karte)});
    } else if (!v.artVerschieden) {
        // Slot by slot: entry k of a list before and after ("" past its end).
        for (int liste = 1; liste <= 4; ++liste) {
            const int na = qMax(0, a.Listenanzahl[size_t(liste - 1)]), nb = qMax(0, b.Listenanzahl[size_t(liste - 1)]);
            for (int k = 0; k < qMax(na, nb); ++k) {
                const QString alt = k < na ? a.eintrag(liste, k) : QString();
                const QString neu = k < nb ? b.eintrag(liste, k) : QString();
                if (alt != neu)
                    v.listen[size_t(liste - 1)].append({QString::number(k + 1), alt, neu});
            }
        }
    }
    for (int z = 0; z < 16; ++z)
        if (a.displayzeile(z) != b.displayzeile(z))
            v.displayzeilen.append({vtext(282, sprache) + QString::number(z / 2 + 1) + (z % 2 ? QStringLiteral("b") : QStringLiteral("a")),
                                    a.displayzeile(z), b.displayzeile(z)});
    return v;
}

QStringList Dateivergleich::zusammenfassung(int sprache) const
{
    if (gleich())
        return {vtext(800, sprache)};
    QStringList l{vtext(801, sprache).arg(bytes.size())};
    if (artVerschieden)
        l << vtext(802, sprache);
    // A list slot appears (+) or goes (-); a setting or display line only changes, an empty value too.
    const auto werte = [&](int titel, const QVector<Wert> &w, bool stellen) {
        if (w.isEmpty())
            return;
        l << vtext(titel, sprache).trimmed();
        for (const Wert &x : w) {
            const QString name = x.name.endsWith(QLatin1Char(':')) ? x.name : x.name + QLatin1Char(':');
            if (!stellen)
                l << QStringLiteral("  %1 %2 -> %3").arg(name, x.alt.trimmed(), x.neu.trimmed());
            else if (x.alt.isEmpty())
                l << QStringLiteral("  %1 + %2").arg(name, x.neu.trimmed());
            else if (x.neu.isEmpty())
                l << QStringLiteral("  %1 - %2").arg(name, x.alt.trimmed());
            else
                l << QStringLiteral("  %1 %2 -> %3").arg(name, x.alt.trimmed(), x.neu.trimmed());
        }
    };
    werte(284, einstellungen, false);
    for (int liste = 1; liste <= 4; ++liste)
        werte(276 + liste, listen[size_t(liste - 1)], true);
    werte(281, displayzeilen, false);
    return l;
}

QJsonObject Dateivergleich::json() const
{
    QJsonArray b, listenJson;
    for (const Byte &x : bytes)
        b.append(QJsonArray{x.adresse, x.alt, x.neu});
    for (const auto &w : listen)
        listenJson.append(werteJson(w));
    return {{"equal", gleich()},        {"kindsDiffer", artVerschieden},
            {"bytes", b},               {"settings", werteJson(einstellungen)},
            {"lists", listenJson},      {"displayLines", werteJson(displayzeilen)}};
}
