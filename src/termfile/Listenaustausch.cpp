#include "termfile/Listenaustausch.h"

#include "base/Ansi.h"
#include "base/Dateiersatz.h"
#include "termfile/Csvtabelle.h"
#include "termfile/Kartenregeln.h"

#include <QFile>
#include <QHash>
#include <QSet>

namespace Listenaustausch {

namespace {

const QStringList Standardkopf = {QStringLiteral("Liste"), QStringLiteral("Eintrag"), QStringLiteral("Datenstring"),
                                  QStringLiteral("Begleittext")};
const QStringList Sonderkopf = {QStringLiteral("Karte"), QStringLiteral("Zeitzonen"), QStringLiteral("Name"),
                                QStringLiteral("Vorname"), QStringLiteral("PLZ"), QStringLiteral("Ort"),
                                QStringLiteral("Strasse"), QStringLiteral("Telefon"), QStringLiteral("Bemerkungen")};

int seiteOderEins(int seite)
{
    return seite == 2 || seite == 3 ? seite : 1;
}

// A whole number of digits only, or -1.
int zahl(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 6)
        return -1;
    int n = 0;
    for (QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        n = 10 * n + (c.unicode() - '0');
    }
    return n;
}

// Why a text cannot go into a companion file, or empty.
QString textfehler(const QString &text)
{
    for (QChar c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return QStringLiteral("ein Text darf keinen Zeilenumbruch enthalten");
        if (Ansi::code(c) < 0)
            return QStringLiteral("das Zeichen „%1“ gibt es in der Terminaldatei nicht").arg(c);
    }
    return QString();
}

Ergebnis abgelehnt(int zeile, const QString &grund)
{
    Ergebnis e;
    e.ok = false;
    e.zeile = zeile;
    const QString punkt = grund.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".");
    e.meldung = (zeile > 0 ? QStringLiteral("Zeile %1: %2").arg(zeile).arg(grund) : grund) + punkt;
    return e;
}

bool kopfPasst(const QStringList &satz, const QStringList &kopf)
{
    if (satz.size() != kopf.size())
        return false;
    for (int i = 0; i < kopf.size(); ++i)
        if (satz[i].trimmed().compare(kopf[i], Qt::CaseInsensitive) != 0)
            return false;
    return true;
}

bool leer(const QStringList &satz)
{
    return satz.size() == 1 && satz[0].isEmpty();
}

// --- Standard mode -------------------------------------------------------------

QByteArray standardExport(const Datenbild &bild)
{
    Datenbild b = bild;  // baueListen works on a copy: the caller's lists stay as shown
    b.baueListen();
    QVector<QStringList> saetze{Standardkopf};
    for (const Listenlage &lage : b.listenlagen()) {
        const int erste = b.ersteEintragsnummer(lage.liste);
        const int anzahl = b.Listenanzahl[lage.liste - 1];
        for (int i = 0; i < anzahl && erste + i <= Zeilenobergrenze; ++i) {
            saetze.append({QString::number(lage.liste), QString::number(i), b.Zeilentext[erste + i],
                           b.Begleittext.value(erste + i)});
        }
    }
    return Csvtabelle::schreiben(saetze);
}

Ergebnis standardImport(Datenbild &bild, const QVector<QStringList> &saetze)
{
    bild.baueListen();
    struct Aenderung {
        int k;
        QString daten;
        QString kommentar;
    };
    QVector<Aenderung> aenderungen;
    QSet<int> gesehen;
    for (int r = 1; r < saetze.size(); ++r) {
        const QStringList &s = saetze[r];
        const int zeile = r + 1;
        if (leer(s))
            continue;
        if (s.size() != Standardkopf.size())
            return abgelehnt(zeile, QStringLiteral("%1 Felder erwartet, %2 gefunden").arg(Standardkopf.size()).arg(s.size()));
        const int liste = zahl(s[0]);
        int erste = -1;
        for (const Listenlage &lage : bild.listenlagen())
            if (lage.liste == liste)
                erste = bild.ersteEintragsnummer(liste);
        if (liste < 1 || liste > 4 || erste < 0)
            return abgelehnt(zeile, QStringLiteral("die Liste „%1“ gibt es in dieser Terminaldatei nicht").arg(s[0]));
        const int eintrag = zahl(s[1]);
        const int anzahl = bild.Listenanzahl[liste - 1];
        if (eintrag < 0 || eintrag >= anzahl || erste + eintrag > Zeilenobergrenze)
            return abgelehnt(zeile, QStringLiteral("Liste %1 hat keinen Eintrag „%2“ (0 bis %3)").arg(liste).arg(s[1]).arg(anzahl - 1));
        const int k = erste + eintrag;
        if (gesehen.contains(k))
            return abgelehnt(zeile, QStringLiteral("Eintrag %1 der Liste %2 steht zweimal in der Datei").arg(eintrag).arg(liste));
        gesehen.insert(k);
        const QString &daten = s[2];
        const int laenge = 2 * bild.eintragslaenge(liste);
        if (daten.size() != laenge)
            return abgelehnt(zeile, QStringLiteral("der Datenstring hat %1 Zeichen, die Liste verlangt %2").arg(daten.size()).arg(laenge));
        for (QChar c : daten) {
            if (!(c == QLatin1Char('#') || (c >= QLatin1Char('0') && c <= QLatin1Char('?'))))
                return abgelehnt(zeile, QStringLiteral("„%1“ ist kein Zeichen eines Datenstrings (0 bis 9, : ; < = > ? und #)").arg(c));
        }
        const QString fehler = textfehler(s[3]);
        if (!fehler.isEmpty())
            return abgelehnt(zeile, fehler);
        aenderungen.append({k, daten, s[3]});
    }
    for (const Aenderung &a : aenderungen) {
        bild.Zeilentext[a.k] = a.daten;
        bild.schreibeEintragZurueck(a.k);
        bild.Begleittext[a.k] = a.kommentar;
    }
    Ergebnis e;
    e.zeilen = int(aenderungen.size());
    return e;
}

// --- Special-code mode -----------------------------------------------------------

QByteArray sonderExport(const Datenbild &bild, int seite)
{
    QVector<QStringList> saetze{Sonderkopf};
    saetze.reserve(Kartenregeln::Kartenzahl + 1);
    for (int karte = 0; karte < Kartenregeln::Kartenzahl; ++karte) {
        QStringList s{QString::number(karte), bild.zeitzonenziffern(karte)};
        for (int feld = 0; feld <= 6; ++feld)
            s.append(Kartenregeln::kundenfeld(bild, seite, feld).value(karte));
        saetze.append(s);
    }
    return Csvtabelle::schreiben(saetze);
}

Ergebnis sonderImport(Datenbild &bild, int seite, const QVector<QStringList> &saetze)
{
    struct Aenderung {
        int karte;
        std::array<bool, 3> zonen;
        QStringList texte;
    };
    QVector<Aenderung> aenderungen;
    aenderungen.reserve(saetze.size());
    std::array<bool, Kartenregeln::Kartenzahl> gesehen{};
    for (int r = 1; r < saetze.size(); ++r) {
        const QStringList &s = saetze[r];
        const int zeile = r + 1;
        if (leer(s))
            continue;
        if (s.size() != Sonderkopf.size())
            return abgelehnt(zeile, QStringLiteral("%1 Felder erwartet, %2 gefunden").arg(Sonderkopf.size()).arg(s.size()));
        const int karte = zahl(s[0]);
        if (karte < 0 || karte >= Kartenregeln::Kartenzahl)
            return abgelehnt(zeile, QStringLiteral("„%1“ ist keine Kartennummer von 0 bis 4095").arg(s[0]));
        if (gesehen[karte])
            return abgelehnt(zeile, QStringLiteral("Karte %1 steht zweimal in der Datei").arg(karte));
        gesehen[karte] = true;
        Aenderung a{karte, {false, false, false}, {}};
        for (QChar c : s[1].trimmed()) {
            const int zone = c.unicode() - '0';
            if (zone < 1 || zone > 3 || a.zonen[zone - 1])
                return abgelehnt(zeile, QStringLiteral("„%1“ sind keine Zeitzonen (Ziffern 1, 2, 3, jede einmal)").arg(s[1]));
            a.zonen[zone - 1] = true;
        }
        for (int feld = 2; feld < s.size(); ++feld) {
            const QString fehler = textfehler(s[feld]);
            if (!fehler.isEmpty())
                return abgelehnt(zeile, QStringLiteral("%1: %2").arg(Sonderkopf[feld], fehler));
            a.texte.append(s[feld]);
        }
        aenderungen.append(a);
    }
    for (const Aenderung &a : aenderungen) {
        for (int zone = 1; zone <= 3; ++zone)
            bild.setzeZeitzone(a.karte, zone, a.zonen[zone - 1]);
        for (int feld = 0; feld <= 6; ++feld)
            Kartenregeln::kundenfeld(bild, seite, feld)[a.karte] = a.texte[feld];
    }
    Ergebnis e;
    e.zeilen = int(aenderungen.size());
    return e;
}

struct Satzdatei {
    QString pfad;
    QByteArray inhalt;
};

// The files an import writes, with their new contents.
QVector<Satzdatei> satzdateien(const Datenbild &bild, const QString &basis, int seite)
{
    seite = bild.istSondercode() ? seiteOderEins(seite) : 1;
    QVector<Satzdatei> dateien;
    dateien.append({Terminaldatei::hauptdateiname(basis, seite), Terminaldatei::hauptdateitext(bild)});
    const int grenze = seite == 1 ? bild.Begleittextgrenze : Textobergrenze;
    dateien.append({Terminaldatei::namensdateiname(basis, seite),
                    Terminaldatei::begleittext(Kartenregeln::namen(bild, seite), grenze)});
    if (bild.istSondercode()) {
        for (int feld = 0; feld < Terminaldatei::Kundenfelder; ++feld)
            dateien.append({Terminaldatei::kundendateiname(basis, seite, feld),
                            Terminaldatei::begleittext(bild.Kundendaten[seite - 1][feld], Textobergrenze)});
    }
    return dateien;
}

}  // namespace

QByteArray exportieren(const Datenbild &bild, int seite)
{
    return bild.istSondercode() ? sonderExport(bild, seiteOderEins(seite)) : standardExport(bild);
}

Ergebnis uebernehmen(Datenbild &bild, int seite, const QByteArray &csv)
{
    Csvtabelle::Lesefehler lesefehler;
    const QVector<QStringList> saetze = Csvtabelle::lesen(csv, &lesefehler);
    if (saetze.isEmpty()) {
        if (!lesefehler.grund.isEmpty())
            return abgelehnt(lesefehler.zeile, lesefehler.grund);
        return abgelehnt(0, QStringLiteral("Die CSV-Datei ist leer."));
    }
    const bool sonder = bild.istSondercode();
    const QStringList &kopf = sonder ? Sonderkopf : Standardkopf;
    if (!kopfPasst(saetze[0], kopf)) {
        return abgelehnt(1, QStringLiteral("die Kopfzeile muss „%1“ lauten (%2)")
                                .arg(kopf.join(QLatin1Char(',')),
                                     sonder ? QStringLiteral("Terminaldatei im Sondercode")
                                            : QStringLiteral("Terminaldatei mit Kartenlisten")));
    }
    Datenbild neu = bild;
    Ergebnis e = sonder ? sonderImport(neu, seiteOderEins(seite), saetze) : standardImport(neu, saetze);
    if (!e.ok)
        return e;
    if (e.zeilen > 0) {
        if (neu.Aenderungszaehler < 0)
            neu.Aenderungszaehler = 0;
        ++neu.Aenderungszaehler;
    }
    neu.baueListen();
    bild = std::move(neu);
    return e;
}

int seiteFuer(const QString &hauptdatei, int seite)
{
    return seite >= 1 && seite <= 3 ? seite : Terminaldatei::seiteVonHauptdatei(hauptdatei);
}

namespace {

Dateiergebnis ladeSatz(Datenbild &bild, const QString &hauptdatei, int seite)
{
    const QString basis = Terminaldatei::basis(hauptdatei);
    const QString datei = Terminaldatei::hauptdateiname(basis, seite);
    Dateiergebnis e = Terminaldatei::laden(bild, seite == Terminaldatei::seiteVonHauptdatei(hauptdatei) ? hauptdatei : datei,
                                           Terminaldatei::Ablage::NurLesen);
    if (!e.ok)
        return e;
    if (bild.istSondercode())
        Terminaldatei::ladeSeitendateien(bild, basis, seite, Terminaldatei::Ablage::NurLesen);
    else if (seite != 1)
        return Dateiergebnis::fehler(QStringLiteral("Seiten 2 und 3 gibt es nur im Sondercode."), e.pfad);
    return e;
}

}  // namespace

Dateiergebnis exportiereDatei(const QString &hauptdatei, int seite, QByteArray &csv)
{
    seite = seiteFuer(hauptdatei, seite);
    Datenbild bild;
    const Dateiergebnis e = ladeSatz(bild, hauptdatei, seite);
    if (e.ok)
        csv = exportieren(bild, seite);
    return e;
}

Dateiergebnis speichereSatz(Datenbild &bild, const QString &basis, int seite)
{
    QVector<Satzdatei> dateien = satzdateien(bild, basis, seite);
    QVector<Satzdatei> vorher;
    QVector<bool> gab;
    for (Satzdatei &d : dateien) {
        d.pfad = Terminaldatei::vorhandeneDatei(d.pfad);
        QFile f(d.pfad);
        gab.append(f.exists());
        vorher.append({d.pfad, f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray()});
    }
    for (int i = 0; i < dateien.size(); ++i) {
        QString grund;
        if (!Dateiersatz::ersetze(dateien[i].pfad, dateien[i].inhalt, &grund)) {
            // Back to the set as it was: old contents, no new files.
            for (int j = 0; j < i; ++j) {
                if (gab[j])
                    Dateiersatz::ersetze(vorher[j].pfad, vorher[j].inhalt);
                else
                    QFile::remove(vorher[j].pfad);
            }
            return Dateiergebnis::fehler(QStringLiteral("„%1“ konnte nicht geschrieben werden (%2); "
                                                        "die Terminaldatei ist unverändert.")
                                             .arg(dateien[i].pfad, grund),
                                         dateien[i].pfad);
        }
    }
    bild.Aenderungszaehler = 0;
    return Dateiergebnis::erfolg(dateien.first().pfad);
}

Ergebnis importiereDatei(const QString &hauptdatei, int seite, const QByteArray &csv)
{
    seite = seiteFuer(hauptdatei, seite);
    Datenbild bild;
    const Dateiergebnis geladen = ladeSatz(bild, hauptdatei, seite);
    if (!geladen.ok)
        return abgelehnt(0, geladen.meldung);
    Ergebnis e = uebernehmen(bild, seite, csv);
    if (!e.ok)
        return e;
    const Dateiergebnis gespeichert = speichereSatz(bild, Terminaldatei::basis(hauptdatei), seite);
    if (!gespeichert.ok)
        return abgelehnt(0, gespeichert.meldung);
    return e;
}

}  // namespace Listenaustausch
