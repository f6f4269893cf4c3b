#include "base/Texttabelle.h"

#include "base/Zustand.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QVector>
#include <QtGlobal>

// The text table lives in the resources of the static core library; a static
// library's resources must be registered by hand, and Q_INIT_RESOURCE may only
// be used outside any namespace.
static void registriereKernressourcen()
{
    Q_INIT_RESOURCE(core);
}

namespace Texttabelle {
namespace {

constexpr int ErsteNummer = 101;
constexpr int LetzteGrundnummer = 389;  // 101..389 are all there, without gaps
constexpr int HoechsteNummer = 999;
constexpr int Sprachen = 4;   // German, English, French, Spanish: offsets 0, 1000, 2000, 3000
constexpr int Sprachabstand = 1000;

const char *const Kopfzeile = "nr\tde\ten\tfr\tes";

// texte[sprache * Sprachabstand + nummer]; a null string where the table has
// no text; empty when the resource could not be read.
using Tabelle = QVector<QString>;

bool fehler(int zeile, const char *grund)
{
    qCritical("texte.tsv, line %d: %s; the text table stays empty", zeile, grund);
    return false;
}

// One line per text number in ascending order: 101..389 without gaps, then
// the program's later texts with numbers up to 999 (gaps allowed, so that
// the texts of one window can keep a block of numbers of their own).
bool parse(const QByteArray &inhalt, Tabelle &texte)
{
    QList<QByteArray> zeilen = inhalt.split('\n');
    // A final line end leaves one empty piece behind; nothing else may be empty.
    if (!zeilen.isEmpty() && zeilen.constLast().isEmpty())
        zeilen.removeLast();
    for (QByteArray &z : zeilen) {
        if (z.endsWith('\r'))   // tolerate a checkout with CR LF line ends
            z.chop(1);
    }

    if (zeilen.isEmpty() || zeilen.first() != Kopfzeile)
        return fehler(1, "header missing or not \"nr<TAB>de<TAB>en<TAB>fr<TAB>es\"");

    Tabelle neu(Sprachen * Sprachabstand);
    int vorige = ErsteNummer - 1;
    for (int i = 1; i < zeilen.size(); ++i) {
        const int zeilennummer = i + 1;
        const QList<QByteArray> felder = zeilen.at(i).split('\t');
        if (felder.size() != 1 + Sprachen)
            return fehler(zeilennummer, "expected exactly five tab-separated columns");

        const QByteArray &nr = felder.at(0);
        bool ok = !nr.isEmpty() && nr.size() <= 3;
        for (char c : nr)
            ok = ok && c >= '0' && c <= '9';
        const int nummer = ok ? nr.toInt(&ok) : 0;
        if (!ok || nummer <= vorige || nummer > HoechsteNummer)
            return fehler(zeilennummer, "text numbers must ascend, from 101 up to 999");
        if (nummer <= LetzteGrundnummer && nummer != vorige + 1)
            return fehler(zeilennummer, "text numbers 101 to 389 must run without gaps");
        vorige = nummer;

        for (int s = 0; s < Sprachen; ++s) {
            const QByteArray &roh = felder.at(1 + s);
            if (roh.isEmpty())
                return fehler(zeilennummer, "empty text");
            // Invalid sequences decode to U+FFFD and so do not survive the round trip.
            QString text = QString::fromUtf8(roh);
            if (text.toUtf8() != roh)
                return fehler(zeilennummer, "text is not valid UTF-8");
            neu[s * Sprachabstand + nummer] = std::move(text);
        }
    }
    if (vorige < LetzteGrundnummer)
        return fehler(int(zeilen.size()), "texts 101 to 389 incomplete");
    texte = std::move(neu);
    return true;
}

Tabelle lade()
{
    registriereKernressourcen();
    Tabelle texte;
    QFile datei(QStringLiteral(":/texte.tsv"));
    if (!datei.open(QIODevice::ReadOnly)) {
        qCritical("text table resource :/texte.tsv not found; the text table stays empty");
        return texte;
    }
    parse(datei.readAll(), texte);
    return texte;
}

const Tabelle &tabelle()
{
    static const Tabelle texte = lade();
    return texte;
}

// Index into the table, or -1 for an id the table has no text for.
int index(int id)
{
    if (id < 0 || id >= Sprachen * Sprachabstand || id >= tabelle().size())
        return -1;
    if (id % Sprachabstand < ErsteNummer || tabelle().at(id).isNull())
        return -1;
    return id;
}

}  // namespace

QString text(int id)
{
    const int i = index(id);
    return i < 0 ? QString() : tabelle().at(i);
}

bool vorhanden(int id)
{
    return index(id) >= 0;
}

void ladeTexte(Zustand &z, int erster, int letzter)
{
    const int von = qMax(erster, 0);
    const int bis = qMin(letzter, int(z.sprache.texte.size()) - 1);
    // An unknown language offset (a damaged settings file) falls back to
    // German rather than leaving captions blank or picking unrelated texts.
    const int sprache = z.sprache.versatz;
    const bool bekannt = sprache >= 0 && sprache < Sprachen * Sprachabstand && sprache % Sprachabstand == 0;
    const int versatz = bekannt ? sprache : 0;
    for (int k = von; k <= bis; ++k)
        z.sprache.texte[k] = text(k + versatz);
}

QString text(const Zustand &z, int nummer)
{
    const QString t = z.sprache.texte.value(nummer);
    return t.isEmpty() ? text(nummer + z.sprache.versatz) : t;
}

}  // namespace Texttabelle
