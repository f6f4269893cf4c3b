#pragma once
// The terminal data image: the 2048 memory bytes of one terminal plus the
// text arrays the terminal itself does not store.
//
// Memory map (element n of Daten is memory address n, one byte 0..255 each):
//   0  door-open time      1  flag byte A      2  flag byte B
//   3  track-2 length (bytes)                  4  track-3/1 length (bytes)
//   5..7 password (two digits per byte, low nibble first)
//   8  bus address         9  flag byte C      10 protocol number
//   11..15 kept as loaded  16..271 display lines (16 x 16)
//   272..2047 list area: card lists (standard mode) or, in special-code mode,
//   the system number (272, 273) and three time-zone bit planes (512..2047).

#include <QString>
#include <QVector>
#include <array>
#include <optional>

constexpr int Bildgroesse = 2048;         // memory bytes 0..2047
constexpr int Datenobergrenze = 2200;     // Daten(0..2200)
constexpr int Textobergrenze = 5000;      // text arrays 0..5000
constexpr int Zeilenobergrenze = 2000;    // Zeilentext / Zeilenadresse 0..2000
extern const QString Leerzeile;           // "----------"

// Addresses of the image.
namespace Adresse {
constexpr int Tueroeffnungszeit = 0;
constexpr int FlagA = 1;
constexpr int FlagB = 2;
constexpr int LaengeSpur2 = 3;
constexpr int LaengeSpur31 = 4;
constexpr int Passwort = 5;  // 5, 6, 7
constexpr int Busadresse = 8;
constexpr int FlagC = 9;
constexpr int Protokoll = 10;
constexpr int Displaytexte = 16;  // 16..271
constexpr int Listenbereich = 272;  // 272..2047
constexpr int Systemnummer = 272;  // 272, 273 (special-code mode)
constexpr int Zeitzonenebene1 = 512;  // 512..1023, +512 zone 2, +1024 zone 3
}  // namespace Adresse

// Every bit of the flag bytes A (1), B (2) and C (9) by name.
enum class Flag {
    TueroeffnerMitSummer,     // A bit 0
    TueroeffnerIntervallton,  // A bit 1
    FestBit2,                 // A bit 2, always 1 after loading
    MeldungChipkarte,         // A bit 3
    FestBit4,                 // A bit 4, always 1 after loading
    DatenAufDisplay,          // A bit 5
    Sperrlisten,              // A bit 6
    TuerAufBeiStoerung,       // A bit 7
    Spur2Auswerten,           // B bit 0
    Spur31Auswerten,          // B bit 1
    Ueberwachungsmodul,       // B bit 2
    StartzeichenNichtSenden,  // B bit 3 (set = "nein", clear = "Ja")
    FlagB4,                   // B bits 4..6: no meaning to the editor
    FlagB5,
    FlagB6,
    Sondercodemodus,          // B bit 7: 12 000-card mode
    Spur2Ungerade,            // C bit 0: track-2 length in digits is odd
    Spur31Ungerade,           // C bit 1: track-3/1 length in digits is odd
};
struct Flagort {
    int adresse;
    int bit;
};
Flagort flagort(Flag f);

enum class Spur { Spur2, Spur31 };

// One list of the current arrangement. liste 1..4: authorizations track 2,
// authorizations track 3/1, block list track 2, block list track 3/1.
struct Listenlage {
    int liste;
    int erstes;    // first byte
    int sichtende; // view end: counts and shows the entries
    int grenze;    // limit: used when the area is laid out afresh
};

// Basic settings as the editor shows them.
struct Grundeinstellungen {
    int tueroeffnungszeit = 1;
    bool tueroeffnerMitSummer = false;
    bool tueroeffnerIntervallton = false;
    bool ueberwachungsmodul = false;
    QString passwort;  // six digit characters
    bool meldungChipkarte = false;
    bool startzeichenSenden = false;
    bool datenAufDisplay = false;
    bool spur2Auswerten = false;
    bool spur31Auswerten = false;
    bool tuerAufBeiStoerung = false;
    int protokoll = 0;
    int adresse = 0;
    bool sperrlisten = false;
    int laengeSpur2 = 0;   // digits
    int laengeSpur31 = 0;  // digits
    bool sondercode = false;
};

struct Datenbild {
    std::array<qint16, Datenobergrenze + 1> Daten{};

    // Standard mode: comment per list entry; special-code mode: names of page 1.
    QVector<QString> Begleittext = QVector<QString>(Textobergrenze + 1, Leerzeile);
    // Names of page 2 and page 3 (.B3D, .B4D).
    std::array<QVector<QString>, 2> Seitennamen{QVector<QString>(Textobergrenze + 1, Leerzeile),
                                                QVector<QString>(Textobergrenze + 1, Leerzeile)};
    // Kundendaten[page 0..2][field 0..5]: first name, post code, town, street, telephone, remarks.
    std::array<std::array<QVector<QString>, 6>, 3> Kundendaten;

    int Begleittextgrenze = 2000;
    qint16 Aenderungszaehler = 0;
    qint16 Sondercode = 0;
    QString Dateiname;  // the .B2D the editor reads and writes

    // Editor working state of the decoded lists.
    QVector<QString> Zeilentext = QVector<QString>(2001);
    QVector<int> Zeilenadresse = QVector<int>(2001, 0);
    std::array<int, 4> Listenanzahl{};

    Datenbild();

    // --- Bytes and bits --------------------------------------------------
    // Memory byte 0..2047 as 0..255; 0 for an address outside the memory.
    int byte(int adresse) const;
    // Stores wert AND 255; an address outside the memory is ignored.
    void setzeByte(int adresse, int wert);
    bool bit(int adresse, int bit) const;
    void setzeBit(int adresse, int bit, bool an);
    bool flag(Flag f) const;
    void setzeFlag(Flag f, bool an);
    bool istSondercode() const { return flag(Flag::Sondercodemodus); }

    // --- Data lengths ----------------------------------------------------
    static int hoechstlaenge(Spur s) { return s == Spur::Spur2 ? 22 : 26; }
    // Length in digits: 2 * byte 3 (or 4), minus 1 when the odd bit is set.
    int datenlaenge(Spur s) const;
    // Stores a length in digits: byte = digits / 2 rounded up, odd bit from
    // the digits. A value outside 1..limit becomes 1, as the editor's box
    // does. Returns the length stored.
    int setzeDatenlaenge(Spur s, int ziffern);
    // Entry length L in bytes of a list 1..4 (byte 3 for lists 1 and 3,
    // byte 4 for lists 2 and 4).
    int eintragslaenge(int liste) const;

    // --- Password --------------------------------------------------------
    // The six digits: character 48 + nibble, order 5 low, 5 high, 6 low, ...
    QString passwortZiffern() const;
    // Bytes 5, 6, 7 as three raw bytes.
    QByteArray passwortGepackt() const;
    // Takes the password dialog's result: "X..." has no usable digits and is
    // refused; otherwise characters 2, 3, 4 are bytes 5, 6, 7.
    bool uebernimmPasswort(const QByteArray &Passwort);

    // --- Display lines ---------------------------------------------------
    // Line 0..15, always 16 characters, display codes mapped.
    QString displayzeile(int zeile) const;
    // Cuts or pads text to 16 characters, writes the 16 display codes and
    // returns the 16 characters as they now read.
    QString setzeDisplayzeile(int zeile, const QString &text);

    // --- Standard-mode lists ---------------------------------------------
    // (flag A bit 6 ? 1 : 0) + (flag B bit 0 ? 2 : 0) + (flag B bit 1 ? 4 : 0)
    int listenanordnung() const;
    // The lists of an arrangement code 0..7 in list order; none for 0, 1.
    static QVector<Listenlage> listenlagen(int code);
    QVector<Listenlage> listenlagen() const { return listenlagen(listenanordnung()); }
    // Slots shown for a list: (view end - first) / L; 0 when L is 0.
    int slotanzahl(const Listenlage &lage) const;
    // Card data string of the L bytes at adresse: two characters per byte,
    // low nibble first; 14 is "#", any other v is the character 48 + v.
    QString dekodiereEintrag(int adresse, int laenge) const;
    // Entry k (0-based) of list 1..4 of the current arrangement; empty when
    // the list is not in the arrangement or k is out of range.
    QString eintrag(int liste, int k) const;
    // Rebuilds Listenanzahl, Zeilentext and Zeilenadresse from the image,
    // numbering the entries across the lists in list order. A special-code
    // image has no lists (all counts 0). Returns the number of entries.
    int baueListen();
    // Running number of the first entry of list 1..4 (after baueListen);
    // -1 when the list is not in the arrangement.
    int ersteEintragsnummer(int liste) const;
    // The list 1..4 a running entry number belongs to, or 0.
    int listeVonEintrag(int k) const;
    // Writes a card data string back at adresse: two characters per byte,
    // first character the low nibble, "#" = 14, other characters code - 48.
    // Refuses (and writes nothing) an odd length, a character outside
    // "0".."?" and "#", or a string running past the memory end.
    bool schreibeDatenstring(int adresse, const QString &text);
    // Writes Zeilentext(k) back at Zeilenadresse(k). Refused unless k is an
    // entry of the current lists and the text has exactly 2 * L characters.
    bool schreibeEintragZurueck(int k);
    // L bytes of 0; for an odd length in digits the last byte is 224.
    QVector<int> leereintrag(int liste) const;
    // Lays the list area out afresh: bytes 272..2047 = 0, empty entries from
    // each list's first byte while start + L <= limit, 255 from the first
    // unused byte up to and including the limit; every Begleittext line
    // becomes "----------"; the lists are rebuilt. Meant for standard mode.
    void legeListenbereichNeuAn();

    // --- Special-code mode -----------------------------------------------
    // Time-zone bit of card 0..4095, zone 1..3: bit c%8 of byte
    // 512 + c/8 (+512 zone 2, +1024 zone 3). False for any other card/zone.
    bool zeitzone(int karte, int zone) const;
    void setzeZeitzone(int karte, int zone, bool an);
    // Digits of the set zones in ascending order, e.g. "13".
    QString zeitzonenziffern(int karte) const;
    bool gesperrt(int karte) const { return zeitzonenziffern(karte).isEmpty(); }
    // "Gesperrt", "Berechtigt" or "Zeitzone " + digits.
    QString kartenstatus(int karte) const;

    // System number 0..4095 from bytes 272, 273.
    int systemnummer() const;
    QString systemnummerText() const;  // four digits
    // Encodes n into bytes 272, 273. A value outside 0..4095 is refused and
    // leaves the image unchanged.
    bool setzeSystemnummer(int n);
    // The value of a system number text: 1..4 digits (surrounding blanks
    // ignored) giving 0..4095. Anything else (empty, not a number, above
    // 4095) is refused: the image could not hold it.
    static std::optional<int> systemnummerAusText(const QString &text);

    // --- Basic settings --------------------------------------------------
    // The data rules of showing the settings: a door-open time of 0 is
    // written back as 1; Sondercode follows flag B bit 7; in special-code
    // mode both lengths become 8 digits (bytes 3, 4 = 4, byte 9 bits 0, 1
    // cleared) and flag A bits 5 and 6 are cleared; Aenderungszaehler rises
    // by one.
    void einstellungenAnzeigen();
    // The settings as the editor shows them (pure reading).
    Grundeinstellungen grundeinstellungen() const;
    // Protocol caption: Protokollnamen(byte 10), with "SK" before it in
    // special-code mode.
    QString protokollbeschriftung(const QVector<QString> &Protokollnamen) const;
};
