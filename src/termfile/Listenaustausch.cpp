#include "termfile/Listenaustausch.h"

#include "base/Ansi.h"
#include "base/Dateizugriff.h"
#include "base/Texttabelle.h"
#include "termfile/Csvtabelle.h"
#include "termfile/Kartenregeln.h"

#include <QDir>
#include <QSet>

#include <array>
#include <memory>

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

// C0 controls but TAB, DEL and the C1 controls: a terminal that shows such
// a text would obey them, and CR or LF would break a companion file's lines.
bool steuerzeichen(QChar c)
{
    const char16_t u = c.unicode();
    return (u < 0x20 && u != u'\t') || u == 0x7F || (u >= 0x80 && u < 0xA0);
}

// What a spreadsheet would take for a formula gets a ' in front, and so
// does a ' itself, so that taking one ' away on import is always right.
QString zelle(QString text)
{
    for (QChar &c : text)
        if (steuerzeichen(c))
            c = QLatin1Char(' ');
    static const QString formelanfang = QStringLiteral("=+-@'\t\r");
    if (!text.isEmpty() && formelanfang.contains(text.at(0)))
        text.prepend(QLatin1Char('\''));
    return text;
}

QString ausZelle(const QString &feld)
{
    return feld.startsWith(QLatin1Char('\'')) ? feld.mid(1) : feld;
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

// Checks a CSV row by row and keeps what the sound rows change. A row that
// is refused ends the reading; its text is in fehler.
class Pruefung {
public:
    Pruefung(const Datenbild &bild, int sprache) : m_bild(bild), m_sprache(sprache) {}
    virtual ~Pruefung() = default;
    virtual bool zeile(const QStringList &s) = 0;
    virtual void anwenden(Datenbild &bild) const = 0;
    virtual int anzahl() const = 0;
    QString fehler;

protected:
    QString t(int nummer) const { return Texttabelle::text(nummer + m_sprache); }
    bool abgelehnt(const QString &grund)
    {
        fehler = grund;
        return false;
    }
    // Why a text cannot go into a companion file, or empty.
    QString textfehler(const QString &text) const
    {
        for (QChar c : text) {
            if (steuerzeichen(c))
                return t(679).arg(QStringLiteral("U+%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0')).toUpper());
            if (Ansi::code(c) < 0)
                return t(680).arg(c);
        }
        return QString();
    }
    bool felderPassen(const QStringList &s, int soll)
    {
        return s.size() == soll || abgelehnt(t(673).arg(soll).arg(s.size()));
    }
    const Datenbild &m_bild;
    int m_sprache;
};

class Standardpruefung : public Pruefung {
public:
    using Pruefung::Pruefung;
    bool zeile(const QStringList &roh) override
    {
        if (!felderPassen(roh, int(Standardkopf.size())))
            return false;
        QStringList s;
        for (const QString &f : roh)
            s.append(ausZelle(f));
        const int liste = zahl(s[0]);
        int erste = -1;
        for (const Listenlage &lage : m_bild.listenlagen())
            if (lage.liste == liste)
                erste = m_bild.ersteEintragsnummer(liste);
        if (liste < 1 || liste > 4 || erste < 0)
            return abgelehnt(t(674).arg(s[0]));
        const int eintrag = zahl(s[1]);
        const int anzahl = m_bild.Listenanzahl[liste - 1];
        if (eintrag < 0 || eintrag >= anzahl || erste + eintrag > Zeilenobergrenze)
            return abgelehnt(t(675).arg(liste).arg(s[1]).arg(anzahl - 1));
        const int k = erste + eintrag;
        if (m_gesehen.contains(k))
            return abgelehnt(t(676).arg(eintrag).arg(liste));
        m_gesehen.insert(k);
        const QString &daten = s[2];
        const int laenge = 2 * m_bild.eintragslaenge(liste);
        if (daten.size() != laenge)
            return abgelehnt(t(677).arg(daten.size()).arg(laenge));
        for (QChar c : daten) {
            if (!(c == QLatin1Char('#') || (c >= QLatin1Char('0') && c <= QLatin1Char('?'))))
                return abgelehnt(t(678).arg(c));
        }
        const QString grund = textfehler(s[3]);
        if (!grund.isEmpty())
            return abgelehnt(grund);
        m_aenderungen.append({k, daten, s[3]});
        return true;
    }
    void anwenden(Datenbild &bild) const override
    {
        for (const Aenderung &a : m_aenderungen) {
            bild.Zeilentext[a.k] = a.daten;
            bild.schreibeEintragZurueck(a.k);
            bild.Begleittext[a.k] = a.kommentar;
        }
    }
    int anzahl() const override { return int(m_aenderungen.size()); }

private:
    struct Aenderung {
        int k;
        QString daten;
        QString kommentar;
    };
    QVector<Aenderung> m_aenderungen;
    QSet<int> m_gesehen;
};

class Sonderpruefung : public Pruefung {
public:
    Sonderpruefung(const Datenbild &bild, int sprache, int seite) : Pruefung(bild, sprache), m_seite(seite) {}
    bool zeile(const QStringList &roh) override
    {
        if (!felderPassen(roh, int(Sonderkopf.size())))
            return false;
        QStringList s;
        for (const QString &f : roh)
            s.append(ausZelle(f));
        const int karte = zahl(s[0]);
        if (karte < 0 || karte >= Kartenregeln::Kartenzahl)
            return abgelehnt(t(681).arg(s[0]));
        if (m_gesehen[karte])
            return abgelehnt(t(682).arg(karte));
        m_gesehen[karte] = true;
        Aenderung a{karte, {false, false, false}, {}};
        for (QChar c : s[1].trimmed()) {
            const int zone = c.unicode() - '0';
            if (zone < 1 || zone > 3 || a.zonen[zone - 1])
                return abgelehnt(t(683).arg(s[1]));
            a.zonen[zone - 1] = true;
        }
        for (int feld = 2; feld < s.size(); ++feld) {
            const QString grund = textfehler(s[feld]);
            if (!grund.isEmpty())
                return abgelehnt(QStringLiteral("%1: %2").arg(Sonderkopf[feld], grund));
            a.texte.append(s[feld]);
        }
        m_aenderungen.append(a);
        return true;
    }
    void anwenden(Datenbild &bild) const override
    {
        for (const Aenderung &a : m_aenderungen) {
            for (int zone = 1; zone <= 3; ++zone)
                bild.setzeZeitzone(a.karte, zone, a.zonen[zone - 1]);
            for (int feld = 0; feld <= 6; ++feld)
                Kartenregeln::kundenfeld(bild, m_seite, feld)[a.karte] = a.texte[feld];
        }
    }
    int anzahl() const override { return int(m_aenderungen.size()); }

private:
    struct Aenderung {
        int karte;
        std::array<bool, 3> zonen;
        QStringList texte;
    };
    int m_seite;
    QVector<Aenderung> m_aenderungen;
    std::array<bool, Kartenregeln::Kartenzahl> m_gesehen{};
};

Ergebnis abgelehnt(int zeile, const QString &grund, int sprache, bool csvFehler = true)
{
    Ergebnis e;
    e.ok = false;
    e.zeile = zeile;
    e.csvFehler = csvFehler;
    e.meldung = zeile > 0 ? Texttabelle::text(672 + sprache).arg(zeile).arg(grund) : grund;
    return e;
}

// --- Export ----------------------------------------------------------------------

QByteArray standardExport(const Datenbild &bild)
{
    Datenbild b = bild;  // baueListen works on a copy: the caller's lists stay as shown
    b.baueListen();
    QVector<QStringList> saetze{Standardkopf};
    for (const Listenlage &lage : b.listenlagen()) {
        const int erste = b.ersteEintragsnummer(lage.liste);
        const int anzahl = b.Listenanzahl[lage.liste - 1];
        for (int i = 0; i < anzahl && erste + i <= Zeilenobergrenze; ++i) {
            saetze.append({QString::number(lage.liste), QString::number(i), zelle(b.Zeilentext[erste + i]),
                           zelle(b.Begleittext.value(erste + i))});
        }
    }
    return Csvtabelle::schreiben(saetze);
}

QByteArray sonderExport(const Datenbild &bild, int seite)
{
    QVector<QStringList> saetze{Sonderkopf};
    saetze.reserve(Kartenregeln::Kartenzahl + 1);
    for (int karte = 0; karte < Kartenregeln::Kartenzahl; ++karte) {
        QStringList s{QString::number(karte), bild.zeitzonenziffern(karte)};
        for (int feld = 0; feld <= 6; ++feld)
            s.append(zelle(Kartenregeln::kundenfeld(bild, seite, feld).value(karte)));
        saetze.append(s);
    }
    return Csvtabelle::schreiben(saetze);
}

Dateiergebnis ladeSatz(Datenbild &bild, const QString &hauptdatei, int seite, int sprache)
{
    const QString basis = Terminaldatei::basis(hauptdatei);
    const QString datei = Terminaldatei::hauptdateiname(basis, seite);
    Dateiergebnis e =
        Terminaldatei::laden(bild, seite == Terminaldatei::seiteVonHauptdatei(hauptdatei) ? hauptdatei : datei,
                             Terminaldatei::Ablage::NurLesen, sprache);
    if (!e.ok)
        return e;
    if (bild.istSondercode())
        Terminaldatei::ladeSeitendateien(bild, basis, seite, Terminaldatei::Ablage::NurLesen);
    else if (seite != 1)
        return Dateiergebnis::fehler(Texttabelle::text(688 + sprache), e.pfad);
    return e;
}

}  // namespace

QByteArray exportieren(const Datenbild &bild, int seite)
{
    return bild.istSondercode() ? sonderExport(bild, seiteOderEins(seite)) : standardExport(bild);
}

Ergebnis uebernehmen(Datenbild &bild, int seite, const QByteArray &csv, int sprache)
{
    const bool sonder = bild.istSondercode();
    const QStringList &kopf = sonder ? Sonderkopf : Standardkopf;
    Datenbild neu = bild;
    neu.baueListen();
    std::unique_ptr<Pruefung> pruefung;
    if (sonder)
        pruefung = std::make_unique<Sonderpruefung>(neu, sprache, seiteOderEins(seite));
    else
        pruefung = std::make_unique<Standardpruefung>(neu, sprache);

    int fehlerzeile = 0;
    QString grund;
    bool kopfGelesen = false;
    Csvtabelle::Lesefehler lesefehler;
    const bool gelesen = Csvtabelle::lesen(
        csv,
        [&](const QStringList &satz, int zeile) {
            if (!kopfGelesen) {
                kopfGelesen = true;
                if (kopfPasst(satz, kopf))
                    return true;
                grund = Texttabelle::text(685 + sprache).arg(kopf.join(QLatin1Char(',')));
            } else if (leer(satz) || pruefung->zeile(satz)) {
                return true;
            } else {
                grund = pruefung->fehler;
            }
            fehlerzeile = zeile;
            return false;
        },
        &lesefehler);
    if (!gelesen) {
        const int nummer = lesefehler.art == Csvtabelle::Fehlerart::KeinUtf8 ? 686 : 687;
        return abgelehnt(lesefehler.zeile, Texttabelle::text(nummer + sprache), sprache);
    }
    if (fehlerzeile > 0)
        return abgelehnt(fehlerzeile, grund, sprache);
    if (!kopfGelesen)
        return abgelehnt(0, Texttabelle::text(684 + sprache), sprache);

    Ergebnis e;
    e.zeilen = pruefung->anzahl();
    pruefung->anwenden(neu);
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

Dateiergebnis exportiereDatei(const QString &hauptdatei, int seite, QByteArray &csv, int sprache)
{
    seite = seiteFuer(hauptdatei, seite);
    Datenbild bild;
    const Dateiergebnis e = ladeSatz(bild, hauptdatei, seite, sprache);
    if (e.ok)
        csv = exportieren(bild, seite);
    return e;
}

Dateiergebnis leseCsv(const QString &pfad, QByteArray &csv, int sprache)
{
    Dateizugriff::Leseergebnis gelesen = Dateizugriff::lesen(pfad, HoechsteCsvgroesse);
    if (!gelesen.ok())
        return Dateiergebnis::fehler(gelesen.text(pfad, sprache), pfad);
    csv = std::move(gelesen.inhalt);
    return Dateiergebnis::erfolg(pfad);
}

QVector<Terminaldatei::Satzteil> satzteile(const Datenbild &bild, const QString &basis, int seite)
{
    seite = bild.istSondercode() ? seiteOderEins(seite) : 1;
    QVector<Terminaldatei::Satzteil> teile;
    teile.append({Terminaldatei::hauptdateiname(basis, seite), Terminaldatei::hauptdateitext(bild), 0});
    const int grenze = seite == 1 ? bild.Begleittextgrenze : Textobergrenze;
    teile.append({Terminaldatei::namensdateiname(basis, seite),
                  Terminaldatei::begleittext(Kartenregeln::namen(bild, seite), grenze), grenze});
    if (bild.istSondercode()) {
        for (int feld = 0; feld < Terminaldatei::Kundenfelder; ++feld)
            teile.append({Terminaldatei::kundendateiname(basis, seite, feld),
                          Terminaldatei::begleittext(bild.Kundendaten[seite - 1][feld], Textobergrenze),
                          Textobergrenze});
    }
    return teile;
}

Dateiergebnis speichereSatz(Datenbild &bild, const QString &basis, int seite, int sprache)
{
    const QVector<Terminaldatei::Satzteil> teile = satzteile(bild, basis, seite);
    Dateiergebnis e = Terminaldatei::schreibeSatz(teile, sprache);
    if (!e.ok)
        return e;
    bild.Aenderungszaehler = 0;
    return Dateiergebnis::erfolg(Terminaldatei::vorhandeneDatei(teile.first().pfad));
}

Ergebnis importiereDatei(const QString &hauptdatei, int seite, const QByteArray &csv, int sprache,
                         bool verworfeneErsetzen)
{
    seite = seiteFuer(hauptdatei, seite);
    Datenbild bild;
    const Dateiergebnis geladen = ladeSatz(bild, hauptdatei, seite, sprache);
    if (!geladen.ok)
        return abgelehnt(0, geladen.meldung, sprache, false);
    Ergebnis e = uebernehmen(bild, seite, csv, sprache);
    if (!e.ok)
        return e;
    const QString basis = Terminaldatei::basis(hauptdatei);
    const QStringList verworfen = Terminaldatei::verworfeneDateien(satzteile(bild, basis, seite));
    if (!verworfen.isEmpty() && !verworfeneErsetzen) {
        const QString name = QDir::toNativeSeparators(verworfen.first());
        return abgelehnt(0, Texttabelle::text(670 + sprache).arg(name, Terminaldatei::sicherungsname(name)), sprache,
                         false);
    }
    const Dateiergebnis gespeichert = speichereSatz(bild, basis, seite, sprache);
    if (!gespeichert.ok)
        return abgelehnt(0, gespeichert.meldung, sprache, false);
    for (const QString &v : verworfen)
        e.gesichert.append(Terminaldatei::sicherungsname(v));
    return e;
}

}  // namespace Listenaustausch
