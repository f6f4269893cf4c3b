#include "base/Dateiersatz.h"

#include "base/Dateisystem.h"
#include "base/Texttabelle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>


namespace Dateiersatz {

namespace {

std::function<void(const QString &)> &beobachter()
{
    static std::function<void(const QString &)> b;
    return b;
}

Schreibfehler fehlerFuer(const QString &pfad, int fehler)
{
    Schreibfehler f;
    f.pfad = pfad;
    f.art = Dateisystem::istVoll(fehler) ? Fehlerart::Voll : Fehlerart::System;
    f.fehlernummer = fehler;
    return f;
}

// One file of the set on its way: the temporary file with the new
// content, and a second name of the old file while the step runs, so that
// a rename failing halfway can put the earlier ones back.
struct Vorbereitet {
    QByteArray ziel;
    QByteArray neu;      // temporary file; empty for a file to remove
    QByteArray sicherung;  // second name of the old file; empty when none
    bool entfernen = false;
};

void raeumeAuf(const QVector<Vorbereitet> &teile)
{
    for (const Vorbereitet &t : teile) {
        if (!t.neu.isEmpty())
            Dateisystem::entfernen(t.neu);
        if (!t.sicherung.isEmpty())
            Dateisystem::entfernen(t.sicherung);
    }
}

// Is the name fit to be replaced? A link is replaced as a name; a regular
// file only when it may be written (checked by its permission bits too, so
// that root does not overwrite a file its owner protected).
bool zielPasst(const QString &pfad, const QByteArray &ziel, Schreibfehler *fehler)
{
    const Dateisystem::Eintrag e = Dateisystem::ansehen(ziel);
    if (e.fehler != 0) {
        *fehler = fehlerFuer(pfad, e.fehler);
        return false;
    }
    if (e.art == Dateisystem::Art::Fehlt || e.art == Dateisystem::Art::Verweis)
        return true;
    if (e.art != Dateisystem::Art::Datei) {
        fehler->pfad = pfad;
        fehler->art = Fehlerart::KeineDatei;
        return false;
    }
    if (!e.schreibbar) {
        fehler->pfad = pfad;
        fehler->art = Fehlerart::Schreibgeschuetzt;
        return false;
    }
    return true;
}

// Writes one temporary file beside the target: complete, flushed to disk,
// with the old file's permissions. Its name goes to t.neu.
bool bereiteVor(const Ersatz &e, Vorbereitet &t, Schreibfehler *fehler)
{
    const QFileInfo info(e.pfad);
    QByteArray vorlage = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName()) + ".XXXXXX";
    const int fehlernummer = Dateisystem::temporaerSchreiben(vorlage, e.inhalt, t.ziel);
    if (fehlernummer != 0) {
        *fehler = fehlerFuer(e.pfad, fehlernummer);
        return false;
    }
    t.neu = vorlage;
    return true;
}

void ordnerSichern(const QVector<Vorbereitet> &teile)
{
    QVector<QByteArray> ordner;
    for (const Vorbereitet &t : teile) {
        const QByteArray o = QFile::encodeName(QFileInfo(QFile::decodeName(t.ziel)).absolutePath());
        if (ordner.contains(o))
            continue;
        ordner.append(o);
        Dateisystem::ordnerSichern(o);
    }
}

}  // namespace

QString Schreibfehler::text(int sprache) const
{
    const QString name = QDir::toNativeSeparators(pfad);
    const QString grund = fehlernummer != 0 ? Dateisystem::grund(fehlernummer) : QString();
    if (pfad.isEmpty())
        return Texttabelle::text(668 + sprache).arg(grund.isEmpty() ? Dateisystem::grund(Dateisystem::fehlerVoll()) : grund);
    switch (art) {
    case Fehlerart::Voll:
        return Texttabelle::text(660 + sprache).arg(name);
    case Fehlerart::KeineDatei:
        return Texttabelle::text(661 + sprache).arg(name);
    case Fehlerart::Schreibgeschuetzt:
        return Texttabelle::text(662 + sprache).arg(name);
    case Fehlerart::Keiner:
    case Fehlerart::System:
        break;
    }
    return Texttabelle::text(663 + sprache).arg(name, grund);
}

bool ersetzeAlle(const QVector<Ersatz> &satz, Schreibfehler *fehler)
{
    Schreibfehler eigener;
    if (!fehler)
        fehler = &eigener;
    *fehler = Schreibfehler();
    QVector<Vorbereitet> teile;
    teile.reserve(satz.size());
    for (const Ersatz &e : satz) {
        Vorbereitet t;
        t.ziel = QFile::encodeName(QFileInfo(e.pfad).absoluteFilePath());
        t.entfernen = e.entfernen;
        if (!e.entfernen && !zielPasst(e.pfad, t.ziel, fehler)) {
            raeumeAuf(teile);
            return false;
        }
        if (!e.entfernen && !bereiteVor(e, t, fehler)) {
            teile.append(t);
            raeumeAuf(teile);
            return false;
        }
        teile.append(t);
    }
    // A second name for every old file, so that the step below can be
    // undone should a rename fail (it practically never does: every new
    // file lies in its target's own folder).
    for (Vorbereitet &t : teile) {
        if (Dateisystem::ansehen(t.ziel).art == Dateisystem::Art::Fehlt)
            continue;
        const QFileInfo info(QFile::decodeName(t.ziel));
        const QByteArray name =
            t.neu.isEmpty() ? QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".alt"))
                            : t.neu + ".alt";
        if (Dateisystem::zweitname(t.ziel, name) == 0)
            t.sicherung = name;
    }

    bool ok = true;
    {
        const Dateisystem::Signalsperre sperre;
        int geschafft = 0;
        for (; geschafft < teile.size(); ++geschafft) {
            Vorbereitet &t = teile[geschafft];
            const int r = t.entfernen ? Dateisystem::entfernen(t.ziel) : Dateisystem::umbenennen(t.neu, t.ziel);
            if (r != 0 && !(t.entfernen && Dateisystem::istFehlend(r))) {
                *fehler = fehlerFuer(satz[geschafft].pfad, r);
                ok = false;
                break;
            }
            t.neu.clear();
            if (beobachter())
                beobachter()(satz[geschafft].pfad);
        }
        // Undo what was done: old files back under their names, new ones gone.
        for (int j = geschafft - 1; !ok && j >= 0; --j) {
            Vorbereitet &t = teile[j];
            if (!t.sicherung.isEmpty() && Dateisystem::umbenennen(t.sicherung, t.ziel) == 0)
                t.sicherung.clear();
            else if (t.sicherung.isEmpty() && !t.entfernen)
                Dateisystem::entfernen(t.ziel);
        }
    }
    raeumeAuf(teile);
    if (ok)
        ordnerSichern(teile);
    return ok;
}

bool ersetze(const QString &pfad, const QByteArray &inhalt, Schreibfehler *fehler)
{
    return ersetzeAlle({Ersatz{pfad, inhalt, false}}, fehler);
}

bool ersetze(const QString &pfad, const QByteArray &inhalt, QString *grund)
{
    Schreibfehler fehler;
    if (ersetze(pfad, inhalt, &fehler))
        return true;
    if (grund)
        *grund = fehler.text();
    return false;
}

bool ausgeben(int fd, const QByteArray &inhalt, Schreibfehler *fehler)
{
    const int fehlernummer = Dateisystem::ausgeben(fd, inhalt);
    if (fehlernummer == 0)
        return true;
    if (fehler) {
        *fehler = fehlerFuer(QString(), fehlernummer);
    }
    return false;
}

void setzeBeobachter(std::function<void(const QString &)> b)
{
    beobachter() = std::move(b);
}

}  // namespace Dateiersatz
