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
// A discarded companion file larger than this is not copied before it is
// replaced: the save is refused instead.
constexpr qint64 HoechsteSicherungsgroesse = 64 << 20;

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

Dateiergebnis schreibeAtomar(const QString &gesucht, const QByteArray &inhalt, int sprache)
{
    return Terminaldatei::schreibeSatz({Terminaldatei::Satzteil{gesucht, inhalt}}, sprache);
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

Dateiergebnis leseHauptdatei(const QString &gesucht, Speicherbytes &ziel, int sprache)
{
    const QString pfad = vorhandeneDatei(gesucht);
    const Dateizugriff::Leseergebnis gelesen = Dateizugriff::lesen(pfad, HoechsteHauptdateigroesse);
    if (!gelesen.ok())
        return Dateiergebnis::fehler(gelesen.text(pfad, sprache), pfad);
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

Dateiergebnis schreibeHauptdatei(const Datenbild &bild, const QString &pfad, int sprache)
{
    return schreibeAtomar(pfad, hauptdateitext(bild), sprache);
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
    return schreibeAtomar(pfad, begleittext(zeilen, hoechstindex), 0);
}

// --- The whole set -------------------------------------------------------------------

Dateiergebnis laden(Datenbild &bild, const QString &hauptdatei, Ablage ablage, int sprache)
{
    Speicherbytes bytes{};
    Dateiergebnis e = leseHauptdatei(hauptdatei, bytes, sprache);
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

// --- Saving a set ------------------------------------------------------------------------

QString sicherungsname(const QString &pfad)
{
    return pfad + QStringLiteral(".bak");
}

QStringList verworfeneDateien(const QVector<Satzteil> &teile)
{
    QStringList verworfen;
    for (const Satzteil &t : teile) {
        if (t.mindestzeilen <= 0 || t.entfernen)
            continue;
        const QString pfad = vorhandeneDatei(t.pfad);
        const Dateizugriff::Leseergebnis gelesen = Dateizugriff::lesen(pfad, HoechsteBegleitdateigroesse);
        if (gelesen.stand == Dateizugriff::Lesestand::ZuGross
            || (gelesen.ok() && !gelesen.inhalt.isEmpty()
                && zeilen(gelesen.inhalt, t.mindestzeilen).size() < t.mindestzeilen))
            verworfen.append(pfad);
    }
    return verworfen;
}

Dateiergebnis schreibeSatz(const QVector<Satzteil> &teile, int sprache)
{
    QVector<Dateiersatz::Ersatz> satz;
    // Copies of what would be lost first, in the same step as the rest.
    for (const QString &verworfen : verworfeneDateien(teile)) {
        const Dateizugriff::Leseergebnis gelesen = Dateizugriff::lesen(verworfen, HoechsteSicherungsgroesse);
        if (!gelesen.ok())
            return Dateiergebnis::fehler(gelesen.text(verworfen, sprache), verworfen);
        satz.append({sicherungsname(verworfen), gelesen.inhalt, false});
    }
    for (const Satzteil &t : teile)
        satz.append({vorhandeneDatei(t.pfad), t.inhalt, t.entfernen});
    Dateiersatz::Schreibfehler fehler;
    if (!Dateiersatz::ersetzeAlle(satz, &fehler))
        return Dateiergebnis::fehler(fehler.text(sprache), fehler.pfad);
    return Dateiergebnis::erfolg(teile.isEmpty() ? QString() : satz[satz.size() - teile.size()].pfad);
}

QVector<Satzteil> speicherteile(const Datenbild &bild, const QString &basis, int seite)
{
    if (seite < 1 || seite > 3)
        seite = 1;
    QVector<Satzteil> teile{{hauptdateiname(basis, seite), hauptdateitext(bild), 0}};
    if (seite == 1) {
        teile.append({basis + QStringLiteral(".B2D"), begleittext(bild.Begleittext, bild.Begleittextgrenze),
                      bild.Begleittextgrenze});
    }
    return teile;
}

Dateiergebnis speichern(Datenbild &bild, const QString &basis, int seite, int sprache)
{
    if (seite < 1 || seite > 3)
        seite = 1;
    const Dateiergebnis e = schreibeSatz(speicherteile(bild, basis, seite), sprache);
    if (seite == 1)
        bild.Dateiname = basis + QStringLiteral(".B2D");
    if (!e.ok)
        return e;
    bild.Aenderungszaehler = 0;
    return Dateiergebnis::erfolg(hauptdateiname(basis, seite));
}

Dateiergebnis speichernUnter(Datenbild &bild, const QString &hauptdatei, int sprache)
{
    const QString name = QFileInfo(hauptdatei).fileName();
    if (name.size() < 5 || name.at(name.size() - 4) != QLatin1Char('.')) {
        return Dateiergebnis::fehler(
            QStringLiteral("„%1“ braucht eine Endung aus Punkt und drei Zeichen, etwa .S2D.")
                .arg(anzeigename(hauptdatei)),
            hauptdatei);
    }
    const QVector<Satzteil> teile = {
        {hauptdatei, hauptdateitext(bild), 0},
        {basis(hauptdatei) + QStringLiteral(".B2D"), begleittext(bild.Begleittext, bild.Begleittextgrenze),
         bild.Begleittextgrenze}};
    const Dateiergebnis e = schreibeSatz(teile, sprache);
    if (!e.ok)
        return e;
    bild.Aenderungszaehler = 0;
    return e;
}

QVector<Satzteil> kundendatenteile(const Datenbild &bild, const QString &basis, int seite)
{
    if (seite < 1 || seite > 3)
        seite = 1;
    QVector<Satzteil> teile;
    if (seite > 1) {
        teile.append({namensdateiname(basis, seite), begleittext(bild.Seitennamen[seite - 2], Textobergrenze),
                      Textobergrenze});
    }
    for (int feld = 0; feld < Kundenfelder; ++feld) {
        teile.append({kundendateiname(basis, seite, feld),
                      begleittext(bild.Kundendaten[seite - 1][feld], Textobergrenze), Textobergrenze});
    }
    return teile;
}

Dateiergebnis speichereKundendaten(Datenbild &bild, const QString &basis, int seite, int sprache)
{
    const QVector<Satzteil> teile = kundendatenteile(bild, basis, seite);
    bild.Dateiname = basis + QStringLiteral(".B2D");
    return schreibeSatz(teile, sprache);
}

Dateiergebnis schreibeAuslesung(const Datenbild &bild, const QString &hauptdatei, bool ohneNamen, int sprache)
{
    QVector<Satzteil> teile{{hauptdatei, hauptdateitext(bild), 0}};
    if (ohneNamen)
        teile.append({namensdateiname(basis(hauptdatei), seiteVonHauptdatei(hauptdatei)), QByteArray(), 0, true});
    Dateiergebnis e = schreibeSatz(teile, sprache);
    e.pfad = hauptdatei;
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

Dateiergebnis uebertrageSatz(const QString &alteBasis, const QString &neueBasis, const QStringList &schonGeschrieben,
                             int sprache)
{
    if (QFileInfo(alteBasis).absoluteFilePath() == QFileInfo(neueBasis).absoluteFilePath())
        return Dateiergebnis::erfolg();
    const QStringList alt = satzdateien(alteBasis);
    const QStringList neu = satzdateien(neueBasis);
    QVector<Satzteil> teile;
    for (int i = 0; i < alt.size(); ++i) {
        if (schonGeschrieben.contains(neu[i]))
            continue;
        const QString quelle = vorhandeneDatei(alt[i]);
        const Dateizugriff::Leseergebnis gelesen = Dateizugriff::lesen(
            quelle, i % (2 + Kundenfelder) == 0 ? HoechsteHauptdateigroesse : HoechsteBegleitdateigroesse);
        if (gelesen.stand == Dateizugriff::Lesestand::Fehlt)
            continue;
        if (!gelesen.ok())
            return Dateiergebnis::fehler(gelesen.text(quelle, sprache), quelle);
        teile.append({neu[i], gelesen.inhalt, 0});
    }
    Dateiergebnis e = schreibeSatz(teile, sprache);
    if (e.ok)
        e.pfad = neueBasis;
    return e;
}

Dateiergebnis legeSeiteAn(const Datenbild &vorlage, const QString &basis, int seite, int sprache)
{
    if (seite < 1 || seite > 3)
        seite = 1;
    Datenbild neu;
    neu.Daten = vorlage.Daten;
    for (int a = Adresse::Zeitzonenebene1; a < Bildgroesse; ++a)
        neu.setzeByte(a, 0);
    const QString hauptdatei = hauptdateiname(basis, seite);
    const QByteArray leer = begleittext(QVector<QString>(Textobergrenze + 1, Leerzeile), Textobergrenze);
    QVector<Satzteil> teile{{hauptdatei, hauptdateitext(neu), 0}, {namensdateiname(basis, seite), leer, Textobergrenze}};
    for (int feld = 0; feld < Kundenfelder; ++feld)
        teile.append({kundendateiname(basis, seite, feld), leer, Textobergrenze});
    Dateiergebnis e = schreibeSatz(teile, sprache);
    if (e.ok)
        e.pfad = hauptdatei;
    return e;
}

}  // namespace Terminaldatei
