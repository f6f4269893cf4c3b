#include "termfile/Terminaldatei.h"

#include "base/Ansi.h"
#include "base/Dateiersatz.h"
#include "base/Dateizugriff.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// A main file holds about 14 KB; anything far larger is not one.
constexpr qint64 HoechsteHauptdateigroesse = 1 << 20;
// 5001 lines of names or customer data; far more is not such a file.
constexpr qint64 HoechsteBegleitdateigroesse = 16 << 20;

const char *const Kundenbuchstaben[Terminaldatei::Kundenfelder] = {"V", "P", "O", "R", "T", "M"};

QString seitenkennung(int seite)
{
    return seite == 2 ? QStringLiteral("3D") : seite == 3 ? QStringLiteral("4D") : QStringLiteral("2D");
}

// Splits into lines at LF, dropping one CR before it; a final line without
// a line end counts, the empty rest after a final line end does not.
QList<QByteArray> zeilen(const QByteArray &inhalt, int hoechstens)
{
    QList<QByteArray> liste;
    qsizetype anfang = 0;
    while (anfang < inhalt.size() && liste.size() < hoechstens) {
        qsizetype ende = inhalt.indexOf('\n', anfang);
        if (ende < 0)
            ende = inhalt.size();
        QByteArray zeile = inhalt.mid(anfang, ende - anfang);
        if (zeile.endsWith('\r'))
            zeile.chop(1);
        liste.append(zeile);
        anfang = ende + 1;
    }
    return liste;
}

QString anzeigename(const QString &pfad)
{
    return QDir::toNativeSeparators(pfad);
}

// Writes the whole content to a temporary file beside pfad and renames it
// over pfad. On failure the previous file is untouched.
Dateiergebnis schreibeAtomar(const QString &gesucht, const QByteArray &inhalt)
{
    const QString pfad = Terminaldatei::vorhandeneDatei(gesucht);
    QString grund;
    if (!Dateiersatz::ersetze(pfad, inhalt, &grund))
        return Dateiergebnis::fehler(
            QStringLiteral("Die Datei „%1“ konnte nicht gespeichert werden (%2). "
                           "Eine vorhandene Datei dieses Namens ist unverändert.")
                .arg(anzeigename(pfad), grund),
            pfad);
    return Dateiergebnis::erfolg(pfad);
}

}  // namespace

namespace Terminaldatei {

// --- Names -------------------------------------------------------------------

QString vorhandeneDatei(const QString &pfad)
{
    const QFileInfo info(pfad);
    if (info.exists() || pfad.isEmpty())
        return pfad;
    // The folder's name filter ignores case; brackets in a name would act
    // as wildcards, so only names equal but for case count.
    QStringList treffer;
    for (const QString &name : info.dir().entryList({info.fileName()}, QDir::Files))
        if (name.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            treffer.append(name);
    return treffer.size() == 1 ? info.dir().filePath(treffer.first()) : pfad;
}

QString basis(const QString &hauptdatei)
{
    return hauptdatei.left(qMax<qsizetype>(0, hauptdatei.size() - 4));
}

QString hauptdateiname(const QString &basis, int seite)
{
    return basis + QStringLiteral(".S") + seitenkennung(seite);
}

QString namensdateiname(const QString &basis, int seite)
{
    return basis + QStringLiteral(".B") + seitenkennung(seite);
}

QString kundendateiname(const QString &basis, int seite, int feld)
{
    if (feld < 0 || feld >= Kundenfelder)
        return QString();
    return basis + QLatin1Char('.') + QLatin1String(Kundenbuchstaben[feld]) + seitenkennung(seite);
}

int seiteVonHauptdatei(const QString &hauptdatei)
{
    if (hauptdatei.endsWith(QLatin1String(".S3D"), Qt::CaseInsensitive))
        return 2;
    if (hauptdatei.endsWith(QLatin1String(".S4D"), Qt::CaseInsensitive))
        return 3;
    return 1;
}

// --- Main file -----------------------------------------------------------------

Dateiergebnis parseHauptdatei(const QByteArray &rohinhalt, Speicherbytes &ziel)
{
    // An editor that saved the file as UTF-8 may have put a byte-order mark
    // in front of the first number.
    const QByteArray inhalt = rohinhalt.startsWith("\xEF\xBB\xBF") ? rohinhalt.mid(3) : rohinhalt;
    const QList<QByteArray> liste = zeilen(inhalt, Bildgroesse + 1 + 64);
    Speicherbytes neu{};
    for (int n = 0; n < Bildgroesse; ++n) {
        const QString ort = QStringLiteral("Zeile %1 (Speicherbyte %2)").arg(n + 1).arg(n);
        if (n >= liste.size()) {
            return Dateiergebnis::fehler(
                QStringLiteral("Die Hauptdatei ist zu kurz: sie enthält nur %1 von 2048 Zeilen; "
                               "%2 fehlt.")
                    .arg(liste.size())
                    .arg(ort));
        }
        const QByteArray text = liste[n].trimmed();
        if (text.isEmpty())
            return Dateiergebnis::fehler(QStringLiteral("%1 ist leer, erwartet wird eine Zahl 0 bis 255.").arg(ort));
        bool zahl = false;
        const qlonglong wert = text.toLongLong(&zahl, 10);
        if (!zahl) {
            return Dateiergebnis::fehler(
                QStringLiteral("%1: „%2“ ist keine Zahl.").arg(ort, Ansi::dekodieren(text.left(40))));
        }
        if (wert < 0 || wert > 255) {
            return Dateiergebnis::fehler(
                QStringLiteral("%1: %2 liegt nicht im Bereich 0 bis 255.").arg(ort).arg(wert));
        }
        neu[n] = qint16(wert);
    }
    // Blank lines after the last number are harmless; another number is
    // not: the file was not written for this memory, and dropping the rest
    // silently would load something else than the file says.
    for (int n = Bildgroesse; n < liste.size(); ++n) {
        if (!liste[n].trimmed().isEmpty()) {
            return Dateiergebnis::fehler(
                QStringLiteral("Zeile %1: die Hauptdatei enthält mehr als 2048 Zahlen.").arg(n + 1));
        }
    }
    ziel = neu;
    return Dateiergebnis::erfolg();
}

Dateiergebnis leseHauptdatei(const QString &gesucht, Speicherbytes &ziel)
{
    const QString pfad = vorhandeneDatei(gesucht);
    const Dateizugriff::Leseergebnis gelesen = Dateizugriff::lesen(pfad, HoechsteHauptdateigroesse);
    switch (gelesen.stand) {
    case Dateizugriff::Lesestand::Gelesen:
        break;
    case Dateizugriff::Lesestand::Fehlt:
        return Dateiergebnis::fehler(
            QStringLiteral("Die Hauptdatei „%1“ gibt es nicht.").arg(anzeigename(pfad)), pfad);
    case Dateizugriff::Lesestand::KeineDatei:
    case Dateizugriff::Lesestand::ZuGross:
        return Dateiergebnis::fehler(
            QStringLiteral("„%1“ ist keine Hauptdatei: %2").arg(anzeigename(pfad), gelesen.grund), pfad);
    case Dateizugriff::Lesestand::Fehler:
        return Dateiergebnis::fehler(QStringLiteral("Die Hauptdatei „%1“ lässt sich nicht lesen (%2).")
                                         .arg(anzeigename(pfad), gelesen.grund),
                                     pfad);
    }
    Dateiergebnis e = parseHauptdatei(gelesen.inhalt, ziel);
    e.pfad = pfad;
    if (!e.ok)
        e.meldung = QStringLiteral("„%1“ lässt sich nicht laden. ").arg(anzeigename(pfad)) + e.meldung;
    return e;
}

QByteArray hauptdateitext(const Datenbild &bild)
{
    QByteArray text;
    text.reserve(Bildgroesse * 7);
    for (int n = 0; n < Bildgroesse; ++n) {
        text.append(' ');
        text.append(QByteArray::number(bild.byte(n)));
        text.append(" \r\n");
    }
    return text;
}

Dateiergebnis schreibeHauptdatei(const Datenbild &bild, const QString &pfad)
{
    return schreibeAtomar(pfad, hauptdateitext(bild));
}

// --- Companion files -------------------------------------------------------------

int leseBegleitdatei(const QString &gesucht, QVector<QString> &ziel, int hoechstindex,
                     int mindestzeilen, Ablage ablage)
{
    const QString pfad = vorhandeneDatei(gesucht);
    if (ziel.size() < Textobergrenze + 1)
        ziel.resize(Textobergrenze + 1, Leerzeile);
    hoechstindex = qBound(0, hoechstindex, int(ziel.size()) - 1);

    // Anything but a regular file of sensible size counts as no file: a
    // FIFO or a link to a device must neither hang the editor nor fill
    // the memory.
    const Dateizugriff::Leseergebnis gelesen = Dateizugriff::lesen(pfad, HoechsteBegleitdateigroesse);
    if (gelesen.stand == Dateizugriff::Lesestand::Fehlt && ablage == Ablage::Anlegen)
        Dateizugriff::leerAnlegen(pfad);
    const QByteArray inhalt = gelesen.ok() ? gelesen.inhalt : QByteArray();

    const QList<QByteArray> liste = zeilen(inhalt, hoechstindex + 1);
    if (liste.size() < mindestzeilen) {
        ziel.fill(Leerzeile);
        return int(liste.size());
    }
    // A CR inside a line is no line end here, and no string may hold a line
    // break: it reads as the blank that saving would write.
    for (int i = 0; i < liste.size(); ++i)
        ziel[i] = Ansi::dekodieren(liste[i]).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return int(liste.size());
}

QByteArray begleittext(const QVector<QString> &zeilen, int hoechstindex)
{
    QByteArray text;
    for (int i = 0; i <= hoechstindex; ++i) {
        QString zeile = i < zeilen.size() ? zeilen[i] : Leerzeile;
        zeile.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        text.append(Ansi::kodieren(zeile));
        text.append("\r\n");
    }
    return text;
}

Dateiergebnis schreibeBegleitdatei(const QString &pfad, const QVector<QString> &zeilen, int hoechstindex)
{
    return schreibeAtomar(pfad, begleittext(zeilen, hoechstindex));
}

// --- The whole set -------------------------------------------------------------------

Dateiergebnis laden(Datenbild &bild, const QString &hauptdatei, Ablage ablage)
{
    Speicherbytes bytes{};
    Dateiergebnis e = leseHauptdatei(hauptdatei, bytes);
    if (!e.ok)
        return e;
    std::copy(bytes.begin(), bytes.end(), bild.Daten.begin());
    bild.setzeFlag(Flag::FestBit2, true);
    bild.setzeFlag(Flag::FestBit4, true);
    bild.Aenderungszaehler = -1;
    bild.einstellungenAnzeigen();

    bild.Dateiname = basis(hauptdatei) + QStringLiteral(".B2D");
    bild.Begleittextgrenze = bild.Sondercode == 1 ? Textobergrenze : 2000;
    leseBegleitdatei(bild.Dateiname, bild.Begleittext, bild.Begleittextgrenze, bild.Begleittextgrenze,
                     ablage);
    bild.baueListen();
    return e;
}

void ladeSeitendateien(Datenbild &bild, const QString &basis, int seite, Ablage ablage)
{
    if (seite < 1 || seite > 3)
        seite = 1;
    if (seite > 1) {
        leseBegleitdatei(namensdateiname(basis, seite), bild.Seitennamen[seite - 2], Textobergrenze,
                         Textobergrenze, ablage);
    }
    for (int feld = 0; feld < Kundenfelder; ++feld) {
        leseBegleitdatei(kundendateiname(basis, seite, feld), bild.Kundendaten[seite - 1][feld],
                         Textobergrenze, Textobergrenze, ablage);
    }
}

Dateiergebnis ladeSeite(Datenbild &bild, const QString &basis, int seite, Ablage ablage)
{
    const Dateiergebnis e = laden(bild, hauptdateiname(basis, seite), ablage);
    if (e.ok)
        ladeSeitendateien(bild, basis, seite, ablage);
    return e;
}

Dateiergebnis speichern(Datenbild &bild, const QString &basis, int seite)
{
    if (seite < 1 || seite > 3)
        seite = 1;
    const QString hauptdatei = hauptdateiname(basis, seite);
    Dateiergebnis e = schreibeHauptdatei(bild, hauptdatei);
    if (!e.ok)
        return e;
    if (seite == 1) {
        bild.Dateiname = basis + QStringLiteral(".B2D");
        const Dateiergebnis b = schreibeBegleitdatei(bild.Dateiname, bild.Begleittext, bild.Begleittextgrenze);
        if (!b.ok)
            return b;
    }
    bild.Aenderungszaehler = 0;
    return Dateiergebnis::erfolg(hauptdatei);
}

Dateiergebnis speichernUnter(Datenbild &bild, const QString &hauptdatei)
{
    const QString name = QFileInfo(hauptdatei).fileName();
    if (name.size() < 5 || name.at(name.size() - 4) != QLatin1Char('.')) {
        return Dateiergebnis::fehler(
            QStringLiteral("„%1“ braucht eine Endung aus Punkt und drei Zeichen, etwa .S2D.")
                .arg(anzeigename(hauptdatei)),
            hauptdatei);
    }
    Dateiergebnis e = schreibeHauptdatei(bild, hauptdatei);
    if (!e.ok)
        return e;
    const Dateiergebnis b = schreibeBegleitdatei(basis(hauptdatei) + QStringLiteral(".B2D"), bild.Begleittext,
                                                 bild.Begleittextgrenze);
    if (!b.ok)
        return b;
    bild.Aenderungszaehler = 0;
    return e;
}

Dateiergebnis speichereKundendaten(Datenbild &bild, const QString &basis, int seite)
{
    if (seite < 1 || seite > 3)
        seite = 1;
    Dateiergebnis e = Dateiergebnis::erfolg();
    if (seite > 1)
        e = schreibeBegleitdatei(namensdateiname(basis, seite), bild.Seitennamen[seite - 2], Textobergrenze);
    for (int feld = 0; e.ok && feld < Kundenfelder; ++feld) {
        e = schreibeBegleitdatei(kundendateiname(basis, seite, feld), bild.Kundendaten[seite - 1][feld],
                                 Textobergrenze);
    }
    bild.Dateiname = basis + QStringLiteral(".B2D");
    return e;
}

QStringList satzdateien(const QString &basis)
{
    QStringList dateien;
    for (int seite = 1; seite <= 3; ++seite) {
        dateien << hauptdateiname(basis, seite) << namensdateiname(basis, seite);
        for (int feld = 0; feld < Kundenfelder; ++feld)
            dateien << kundendateiname(basis, seite, feld);
    }
    return dateien;
}

Dateiergebnis uebertrageSatz(const QString &alteBasis, const QString &neueBasis, const QStringList &schonGeschrieben)
{
    if (QFileInfo(alteBasis).absoluteFilePath() == QFileInfo(neueBasis).absoluteFilePath())
        return Dateiergebnis::erfolg();
    const QStringList alt = satzdateien(alteBasis);
    const QStringList neu = satzdateien(neueBasis);
    for (int i = 0; i < alt.size(); ++i) {
        if (schonGeschrieben.contains(neu[i]))
            continue;
        QFile quelle(vorhandeneDatei(alt[i]));
        if (!quelle.exists())
            continue;
        if (!quelle.open(QIODevice::ReadOnly)) {
            return Dateiergebnis::fehler(QStringLiteral("„%1“ lässt sich nicht lesen (%2).")
                                             .arg(anzeigename(alt[i]), quelle.errorString()),
                                         alt[i]);
        }
        const Dateiergebnis e = schreibeAtomar(neu[i], quelle.readAll());
        if (!e.ok)
            return e;
    }
    return Dateiergebnis::erfolg(neueBasis);
}

Dateiergebnis legeSeiteAn(const Datenbild &vorlage, const QString &basis, int seite)
{
    if (seite < 1 || seite > 3)
        seite = 1;
    Datenbild neu;
    neu.Daten = vorlage.Daten;
    for (int a = Adresse::Zeitzonenebene1; a < Bildgroesse; ++a)
        neu.setzeByte(a, 0);
    const QString hauptdatei = hauptdateiname(basis, seite);
    Dateiergebnis e = schreibeHauptdatei(neu, hauptdatei);
    const QVector<QString> leer(Textobergrenze + 1, Leerzeile);
    if (e.ok)
        e = schreibeBegleitdatei(namensdateiname(basis, seite), leer, Textobergrenze);
    for (int feld = 0; e.ok && feld < Kundenfelder; ++feld)
        e = schreibeBegleitdatei(kundendateiname(basis, seite, feld), leer, Textobergrenze);
    if (e.ok)
        e.pfad = hauptdatei;
    return e;
}

}  // namespace Terminaldatei
