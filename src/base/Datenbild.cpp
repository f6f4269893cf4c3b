#include "base/Datenbild.h"

#include "base/Displayzeichen.h"

const QString Leerzeile = QStringLiteral("----------");

namespace {
constexpr int Kartenzahl = 4096;
constexpr int Ebenengroesse = 512;

bool imSpeicher(int adresse)
{
    return adresse >= 0 && adresse < Bildgroesse;
}

// Nibble value of one data string character, or -1.
int nibble(QChar c)
{
    if (c == QLatin1Char('#'))
        return 14;
    const int v = int(c.unicode()) - 48;
    return (v >= 0 && v <= 15) ? v : -1;
}

QChar nibbleZeichen(int v)
{
    return v == 14 ? QLatin1Char('#') : QChar(char16_t(48 + v));
}
}  // namespace

Datenbild::Datenbild()
{
    for (auto &seite : Kundendaten)
        for (auto &feld : seite)
            feld = QVector<QString>(Textobergrenze + 1, Leerzeile);
}

// --- Bytes and bits ------------------------------------------------------

Flagort flagort(Flag f)
{
    const int n = int(f);
    if (n < 8)
        return {Adresse::FlagA, n};
    if (n < 16)
        return {Adresse::FlagB, n - 8};
    return {Adresse::FlagC, n - 16};
}

int Datenbild::byte(int adresse) const
{
    return imSpeicher(adresse) ? (Daten[adresse] & 0xFF) : 0;
}

void Datenbild::setzeByte(int adresse, int wert)
{
    if (imSpeicher(adresse))
        Daten[adresse] = qint16(wert & 0xFF);
}

bool Datenbild::bit(int adresse, int bit) const
{
    return bit >= 0 && bit < 8 && (byte(adresse) >> bit) & 1;
}

void Datenbild::setzeBit(int adresse, int bit, bool an)
{
    if (bit < 0 || bit > 7)
        return;
    const int maske = 1 << bit;
    setzeByte(adresse, an ? (byte(adresse) | maske) : (byte(adresse) & ~maske));
}

bool Datenbild::flag(Flag f) const
{
    const Flagort o = flagort(f);
    return bit(o.adresse, o.bit);
}

void Datenbild::setzeFlag(Flag f, bool an)
{
    const Flagort o = flagort(f);
    setzeBit(o.adresse, o.bit, an);
}

// --- Data lengths --------------------------------------------------------

int Datenbild::datenlaenge(Spur s) const
{
    if (s == Spur::Spur2)
        return 2 * byte(Adresse::LaengeSpur2) - (flag(Flag::Spur2Ungerade) ? 1 : 0);
    return 2 * byte(Adresse::LaengeSpur31) - (flag(Flag::Spur31Ungerade) ? 1 : 0);
}

int Datenbild::setzeDatenlaenge(Spur s, int ziffern)
{
    if (ziffern < 1 || ziffern > hoechstlaenge(s))
        ziffern = 1;
    const bool spur2 = s == Spur::Spur2;
    setzeByte(spur2 ? Adresse::LaengeSpur2 : Adresse::LaengeSpur31, (ziffern + 1) / 2);
    setzeFlag(spur2 ? Flag::Spur2Ungerade : Flag::Spur31Ungerade, ziffern % 2 == 1);
    return ziffern;
}

int Datenbild::eintragslaenge(int liste) const
{
    if (liste == 1 || liste == 3)
        return byte(Adresse::LaengeSpur2);
    if (liste == 2 || liste == 4)
        return byte(Adresse::LaengeSpur31);
    return 0;
}

// --- Password ------------------------------------------------------------

QString Datenbild::passwortZiffern() const
{
    QString ziffern;
    for (int a = Adresse::Passwort; a < Adresse::Passwort + 3; ++a) {
        ziffern.append(QChar(char16_t(48 + (byte(a) & 15))));
        ziffern.append(QChar(char16_t(48 + (byte(a) >> 4))));
    }
    return ziffern;
}

QByteArray Datenbild::passwortGepackt() const
{
    QByteArray drei;
    for (int a = Adresse::Passwort; a < Adresse::Passwort + 3; ++a)
        drei.append(char(byte(a)));
    return drei;
}

bool Datenbild::uebernimmPasswort(const QByteArray &Passwort)
{
    if (Passwort.size() < 4 || Passwort.startsWith('X'))
        return false;
    for (int i = 0; i < 3; ++i)
        setzeByte(Adresse::Passwort + i, quint8(Passwort[1 + i]));
    return true;
}

// --- Display lines -------------------------------------------------------

QString Datenbild::displayzeile(int zeile) const
{
    QString text;
    if (zeile < 0 || zeile > 15)
        return text;
    const int anfang = Adresse::Displaytexte + Displayzeichen::Zeilenlaenge * zeile;
    for (int j = 0; j < Displayzeichen::Zeilenlaenge; ++j)
        text.append(Displayzeichen::zeichen(byte(anfang + j)));
    return text;
}

QString Datenbild::setzeDisplayzeile(int zeile, const QString &text)
{
    if (zeile < 0 || zeile > 15)
        return QString();
    const QString zeilentext = Displayzeichen::aufZeilenlaenge(text);
    const int anfang = Adresse::Displaytexte + Displayzeichen::Zeilenlaenge * zeile;
    for (int j = 0; j < Displayzeichen::Zeilenlaenge; ++j)
        setzeByte(anfang + j, Displayzeichen::code(zeilentext[j]));
    return displayzeile(zeile);
}

// --- Standard-mode lists -------------------------------------------------

int Datenbild::listenanordnung() const
{
    return (flag(Flag::Sperrlisten) ? 1 : 0) + (flag(Flag::Spur2Auswerten) ? 2 : 0)
        + (flag(Flag::Spur31Auswerten) ? 4 : 0);
}

QVector<Listenlage> Datenbild::listenlagen(int code)
{
    switch (code) {
    case 2: return {{1, 272, 2046, 2047}};
    case 3: return {{1, 272, 1293, 1294}, {3, 1295, 2046, 2047}};
    case 4: return {{2, 272, 2046, 2047}};
    case 5: return {{2, 272, 1293, 1294}, {4, 1295, 2046, 2047}};
    case 6: return {{1, 272, 758, 759}, {2, 760, 2046, 2047}};
    case 7:
        return {{1, 272, 758, 759}, {2, 760, 1293, 1294}, {3, 1295, 1782, 1783},
                {4, 1784, 2046, 2047}};
    default: return {};
    }
}

int Datenbild::slotanzahl(const Listenlage &lage) const
{
    const int L = eintragslaenge(lage.liste);
    return L > 0 ? (lage.sichtende - lage.erstes) / L : 0;
}

QString Datenbild::dekodiereEintrag(int adresse, int laenge) const
{
    QString text;
    text.reserve(2 * laenge);
    for (int i = 0; i < laenge; ++i) {
        const int b = byte(adresse + i);
        text.append(nibbleZeichen(b & 15));
        text.append(nibbleZeichen(b >> 4));
    }
    return text;
}

QString Datenbild::eintrag(int liste, int k) const
{
    for (const Listenlage &lage : listenlagen()) {
        if (lage.liste != liste)
            continue;
        if (k < 0 || k >= slotanzahl(lage))
            return QString();
        const int L = eintragslaenge(liste);
        return dekodiereEintrag(lage.erstes + k * L, L);
    }
    return QString();
}

int Datenbild::baueListen()
{
    Listenanzahl.fill(0);
    Zeilentext.fill(QString());
    Zeilenadresse.fill(0);
    if (istSondercode())
        return 0;
    int k = 0;
    for (const Listenlage &lage : listenlagen()) {
        const int L = eintragslaenge(lage.liste);
        const int anzahl = slotanzahl(lage);
        Listenanzahl[lage.liste - 1] = anzahl;
        for (int i = 0; i < anzahl && k <= Zeilenobergrenze; ++i, ++k) {
            Zeilenadresse[k] = lage.erstes + i * L;
            Zeilentext[k] = dekodiereEintrag(Zeilenadresse[k], L);
        }
    }
    return k;
}

int Datenbild::ersteEintragsnummer(int liste) const
{
    int k = 0;
    for (const Listenlage &lage : listenlagen()) {
        if (lage.liste == liste)
            return k;
        k += Listenanzahl[lage.liste - 1];
    }
    return -1;
}

int Datenbild::listeVonEintrag(int k) const
{
    if (k < 0)
        return 0;
    int anfang = 0;
    for (const Listenlage &lage : listenlagen()) {
        const int anzahl = Listenanzahl[lage.liste - 1];
        if (k < anfang + anzahl)
            return lage.liste;
        anfang += anzahl;
    }
    return 0;
}

bool Datenbild::schreibeDatenstring(int adresse, const QString &text)
{
    if (text.size() % 2 != 0 || adresse < 0 || adresse + text.size() / 2 > Bildgroesse)
        return false;
    for (QChar c : text)
        if (nibble(c) < 0)
            return false;
    for (int i = 0; i < text.size(); i += 2)
        setzeByte(adresse + i / 2, nibble(text[i]) + 16 * nibble(text[i + 1]));
    return true;
}

bool Datenbild::schreibeEintragZurueck(int k)
{
    const int liste = listeVonEintrag(k);
    if (liste == 0 || k > Zeilenobergrenze)
        return false;
    const int L = eintragslaenge(liste);
    if (Zeilentext[k].size() != 2 * L)
        return false;
    return schreibeDatenstring(Zeilenadresse[k], Zeilentext[k]);
}

QVector<int> Datenbild::leereintrag(int liste) const
{
    const int L = eintragslaenge(liste);
    QVector<int> bytes(L, 0);
    const bool ungerade = (liste == 1 || liste == 3) ? flag(Flag::Spur2Ungerade)
                                                     : flag(Flag::Spur31Ungerade);
    if (L > 0 && ungerade)
        bytes[L - 1] = 224;
    return bytes;
}

void Datenbild::legeListenbereichNeuAn()
{
    for (int a = Adresse::Listenbereich; a < Bildgroesse; ++a)
        Daten[a] = 0;
    for (const Listenlage &lage : listenlagen()) {
        const QVector<int> leer = leereintrag(lage.liste);
        const int L = leer.size();
        int a = lage.erstes;
        while (L > 0 && a + L <= lage.grenze) {
            for (int i = 0; i < L; ++i)
                setzeByte(a + i, leer[i]);
            a += L;
        }
        for (; a <= lage.grenze; ++a)
            setzeByte(a, 255);
    }
    Begleittext.fill(Leerzeile);
    baueListen();
}

// --- Special-code mode ---------------------------------------------------

bool Datenbild::zeitzone(int karte, int zone) const
{
    if (karte < 0 || karte >= Kartenzahl || zone < 1 || zone > 3)
        return false;
    return bit(Adresse::Zeitzonenebene1 + (zone - 1) * Ebenengroesse + karte / 8, karte % 8);
}

void Datenbild::setzeZeitzone(int karte, int zone, bool an)
{
    if (karte < 0 || karte >= Kartenzahl || zone < 1 || zone > 3)
        return;
    setzeBit(Adresse::Zeitzonenebene1 + (zone - 1) * Ebenengroesse + karte / 8, karte % 8, an);
}

QString Datenbild::zeitzonenziffern(int karte) const
{
    QString ziffern;
    for (int zone = 1; zone <= 3; ++zone)
        if (zeitzone(karte, zone))
            ziffern.append(QChar(char16_t('0' + zone)));
    return ziffern;
}

QString Datenbild::kartenstatus(int karte) const
{
    const QString ziffern = zeitzonenziffern(karte);
    if (ziffern.isEmpty())
        return QStringLiteral("Gesperrt");
    if (ziffern == QLatin1String("123"))
        return QStringLiteral("Berechtigt");
    return QStringLiteral("Zeitzone ") + ziffern;
}

int Datenbild::systemnummer() const
{
    const int b0 = byte(Adresse::Systemnummer);
    const int b1 = byte(Adresse::Systemnummer + 1);
    return (b0 & 15) * 256 + (b0 & 240) + (b1 & 15);
}

QString Datenbild::systemnummerText() const
{
    return QStringLiteral("%1").arg(systemnummer(), 4, 10, QLatin1Char('0'));
}

bool Datenbild::setzeSystemnummer(int n)
{
    if (n < 0 || n > 4095)
        return false;
    setzeByte(Adresse::Systemnummer, n / 256 + ((n % 256) & 240));
    setzeByte(Adresse::Systemnummer + 1, 240 + (n & 15));
    return true;
}

std::optional<int> Datenbild::systemnummerAusText(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 4)
        return std::nullopt;
    int n = 0;
    for (QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        n = 10 * n + (c.unicode() - '0');
    }
    if (n > 4095)
        return std::nullopt;
    return n;
}

// --- Basic settings ------------------------------------------------------

void Datenbild::einstellungenAnzeigen()
{
    if (byte(Adresse::Tueroeffnungszeit) == 0)
        setzeByte(Adresse::Tueroeffnungszeit, 1);
    Sondercode = istSondercode() ? 1 : 0;
    if (Sondercode) {
        setzeByte(Adresse::LaengeSpur2, 4);
        setzeByte(Adresse::LaengeSpur31, 4);
        setzeFlag(Flag::Spur2Ungerade, false);
        setzeFlag(Flag::Spur31Ungerade, false);
        setzeFlag(Flag::DatenAufDisplay, false);
        setzeFlag(Flag::Sperrlisten, false);
    }
    if (Aenderungszaehler < 32767)
        ++Aenderungszaehler;
}

Grundeinstellungen Datenbild::grundeinstellungen() const
{
    Grundeinstellungen g;
    const int zeit = byte(Adresse::Tueroeffnungszeit);
    g.tueroeffnungszeit = zeit == 0 ? 1 : zeit;
    g.tueroeffnerMitSummer = flag(Flag::TueroeffnerMitSummer);
    g.tueroeffnerIntervallton = flag(Flag::TueroeffnerIntervallton);
    g.ueberwachungsmodul = flag(Flag::Ueberwachungsmodul);
    g.passwort = passwortZiffern();
    g.meldungChipkarte = flag(Flag::MeldungChipkarte);
    g.startzeichenSenden = !flag(Flag::StartzeichenNichtSenden);
    g.datenAufDisplay = flag(Flag::DatenAufDisplay);
    g.spur2Auswerten = flag(Flag::Spur2Auswerten);
    g.spur31Auswerten = flag(Flag::Spur31Auswerten);
    g.tuerAufBeiStoerung = flag(Flag::TuerAufBeiStoerung);
    g.protokoll = byte(Adresse::Protokoll);
    g.adresse = byte(Adresse::Busadresse);
    g.sperrlisten = flag(Flag::Sperrlisten);
    g.laengeSpur2 = datenlaenge(Spur::Spur2);
    g.laengeSpur31 = datenlaenge(Spur::Spur31);
    g.sondercode = istSondercode();
    return g;
}

QString Datenbild::protokollbeschriftung(const QVector<QString> &Protokollnamen) const
{
    const int p = byte(Adresse::Protokoll);
    const QString name = p < Protokollnamen.size() ? Protokollnamen[p] : QString();
    return istSondercode() ? QStringLiteral("SK") + name : name;
}
