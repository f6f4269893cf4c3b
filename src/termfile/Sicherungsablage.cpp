#include "termfile/Sicherungsablage.h"

#include "base/Dateiersatz.h"
#include "base/Dateizugriff.h"
#include "base/Datenbild.h"
#include "base/Pfade.h"
#include "base/Texttabelle.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

namespace {

constexpr qint64 HoechsteIndexgroesse = 4 * 1024 * 1024;
const QString Indexname = QStringLiteral("index.json");
const QString Hauptname = QStringLiteral("PORTAVO.S2D");

QString satztext(int nummer, int sprache)
{
    const QString t = Texttabelle::text(nummer + sprache);
    return t.isNull() ? Texttabelle::text(nummer) : t;
}

// A name part that stays one folder name: no separators, controls or leading dots.
QString ordnerteil(const QString &text)
{
    QString s = text.simplified();
    for (QChar &c : s)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    while (s.startsWith(QLatin1Char('.')))
        s[0] = QLatin1Char('_');
    return s.left(64);
}

QJsonObject alsJson(const Sicherungsablage::Eintrag &e)
{
    return {{"folder", QDir(e.ordner).dirName()}, {"address", e.adresse}, {"protocol", e.protokoll},
            {"version", e.version}, {"time", e.zeit.toString(Qt::ISODate)}, {"replacedBy", e.ersetztDurch}};
}

}  // namespace

Sicherungsablage::Einstellung Sicherungsablage::einstellung()
{
    const QSettings s(Pfade::konfiguration() + QStringLiteral("/sicherung.ini"), QSettings::IniFormat);
    Einstellung e;
    e.aktiv = s.value(QStringLiteral("Sicherung/Aktiv"), true).toBool();
    e.behalten = qBound(1, s.value(QStringLiteral("Sicherung/Behalten"), StandardBehalten).toInt(), 999);
    return e;
}

bool Sicherungsablage::setzeEinstellung(const Einstellung &e)
{
    QSettings s(Pfade::konfiguration() + QStringLiteral("/sicherung.ini"), QSettings::IniFormat);
    s.setValue(QStringLiteral("Sicherung/Aktiv"), e.aktiv);
    s.setValue(QStringLiteral("Sicherung/Behalten"), qBound(1, e.behalten, 999));
    s.sync();
    return s.status() == QSettings::NoError;
}

QString Sicherungsablage::standardwurzel()
{
    return Pfade::programm() + QStringLiteral("/Sicherungen");
}

QString Sicherungsablage::Eintrag::hauptdatei() const
{
    return QDir(ordner).filePath(Hauptname);
}

Sicherungsablage::Sicherungsablage(const QString &wurzel, int behalten)
    : m_wurzel(wurzel), m_behalten(qMax(1, behalten))
{
}

QString Sicherungsablage::terminalordner(const QString &anlage, int adresse) const
{
    const QString name = QStringLiteral("Adresse %1").arg(adresse, 3, 10, QLatin1Char('0'));
    const QString teil = ordnerteil(anlage);
    return QDir(m_wurzel).filePath(teil.isEmpty() ? name : teil + QStringLiteral(" - ") + name);
}

Dateiergebnis Sicherungsablage::listeIn(const QString &ordner, QVector<Eintrag> &ziel, int sprache) const
{
    ziel.clear();
    const QString index = QDir(ordner).filePath(Indexname);
    const Dateizugriff::Leseergebnis gelesen = Dateizugriff::lesen(index, HoechsteIndexgroesse);
    if (gelesen.stand == Dateizugriff::Lesestand::Fehlt)
        return Dateiergebnis::erfolg();
    if (!gelesen.ok())
        return Dateiergebnis::fehler(gelesen.text(index, sprache), index);
    QJsonParseError fehler{};
    const QJsonDocument doc = QJsonDocument::fromJson(gelesen.inhalt, &fehler);
    const QJsonValue liste = doc.object().value(QStringLiteral("backups"));
    if (fehler.error != QJsonParseError::NoError || !liste.isArray())
        return Dateiergebnis::fehler(satztext(804, sprache).arg(index, fehler.errorString()), index);
    for (const QJsonValue &v : liste.toArray()) {
        const QJsonObject o = v.toObject();
        const QString name = o.value(QStringLiteral("folder")).toString();
        Eintrag e;
        e.ordner = QDir(ordner).filePath(name);
        e.adresse = o.value(QStringLiteral("address")).toInt(-1);
        e.protokoll = o.value(QStringLiteral("protocol")).toInt(-1);
        e.version = o.value(QStringLiteral("version")).toString();
        e.zeit = QDateTime::fromString(o.value(QStringLiteral("time")).toString(), Qt::ISODate);
        e.ersetztDurch = o.value(QStringLiteral("replacedBy")).toString();
        if (name.isEmpty() || name != ordnerteil(name) || e.adresse < 0 || e.protokoll < 0 || !e.zeit.isValid())
            return Dateiergebnis::fehler(satztext(804, sprache).arg(index, QStringLiteral("#%1").arg(ziel.size())),
                                         index);
        ziel.append(e);
    }
    return Dateiergebnis::erfolg(index);
}

Dateiergebnis Sicherungsablage::liste(const QString &anlage, int adresse, QVector<Eintrag> &ziel, int sprache) const
{
    return listeIn(terminalordner(anlage, adresse), ziel, sprache);
}

QStringList Sicherungsablage::terminals() const
{
    QStringList l;
    for (const QString &n : QDir(m_wurzel).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (QFileInfo::exists(QDir(m_wurzel).filePath(n + QLatin1Char('/') + Indexname)))
            l << n;
    return l;
}

Dateiergebnis Sicherungsablage::sichere(const QString &anlage, Eintrag &kopf,
                                        const Terminaldatei::Speicherbytes &speicher, int sprache)
{
    const QString ordner = terminalordner(anlage, kopf.adresse);
    QVector<Eintrag> alte;
    if (const Dateiergebnis e = listeIn(ordner, alte, sprache); !e.ok)
        return e;  // a damaged index must not be written over with one entry
    const auto abgelehnt = [&](const QString &grund, const QString &pfad) {
        return Dateiergebnis::fehler(satztext(803, sprache).arg(grund), pfad);
    };
    QString name = kopf.zeit.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    for (int n = 2; QFileInfo::exists(QDir(ordner).filePath(name)); ++n)
        name = kopf.zeit.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")) + QStringLiteral("_%1").arg(n);
    kopf.ordner = QDir(ordner).filePath(name);
    if (!QDir().mkpath(kopf.ordner))
        return abgelehnt(kopf.ordner, kopf.ordner);

    Datenbild bild;
    std::copy(speicher.begin(), speicher.end(), bild.Daten.begin());
    const QVector<Dateiersatz::Ersatz> satz{
        {kopf.hauptdatei(), Terminaldatei::hauptdateitext(bild), false},
        {QDir(kopf.ordner).filePath(QStringLiteral("PORTAVO.B2D")),
         Terminaldatei::begleittext(bild.Begleittext, bild.Begleittextgrenze), false}};
    Dateiersatz::Schreibfehler fehler;
    QVector<Eintrag> neu{kopf};
    neu += alte;
    const QVector<Eintrag> weg = neu.mid(m_behalten);
    neu.resize(qMin(int(neu.size()), m_behalten));
    QJsonArray index;
    for (const Eintrag &e : neu)
        index.append(alsJson(e));
    const QByteArray indextext = QJsonDocument(QJsonObject{{"backups", index}}).toJson();
    if (!Dateiersatz::ersetzeAlle(satz, &fehler)
        || !Dateiersatz::ersetze(QDir(ordner).filePath(Indexname), indextext, &fehler)) {
        QDir(kopf.ordner).removeRecursively();
        return abgelehnt(fehler.text(sprache), fehler.pfad);
    }
    // The index no longer names them: a crash before this leaves only unlisted folders.
    for (const Eintrag &e : weg)
        QDir(e.ordner).removeRecursively();
    return Dateiergebnis::erfolg(kopf.hauptdatei());
}

