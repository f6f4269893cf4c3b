#pragma once
// The bytes on the bus: request telegrams, the write block, the nibble-coded
// read-out answer, the plain strings and the monitor lines that echo them.
// Pure functions, no state.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace Telegramm {

constexpr char STX = 0x02;
constexpr char ETX = 0x03;
constexpr char ENQ = 0x05;
constexpr char ACK = 0x06;
constexpr char NAK = 0x15;

constexpr int Speichergroesse = 2048;                   // terminal memory bytes
constexpr int Schreibblocklaenge = Speichergroesse + 3;  // STX, memory, ETX, check

// Plain strings, sent or expected as they stand.
extern const QByteArray Quittung;             // ACK
extern const QByteArray Protokoll1Quittung;   // STX ACK ETX ENQ
extern const QByteArray Schreibankuendigung;  // "U24###" on the bus at 19200 baud
extern const QByteArray Modemankuendigung;    // "###" on the modem port
extern const QByteArray Schreibbestaetigung;  // "U19###" from the terminal
extern const QByteArray Startstring;          // STX "07Pi6" ETX
extern const QByteArray Endstring;            // "xxxxxxxxx" STX "8Ho9" ETX
extern const QByteArray Anmeldezusage;        // "J" ETX in the login answer

// XOR of bytes[von..bis] (both inclusive). Indexes outside the array are
// left out, so an empty or inverted range gives 0.
quint8 blockpruefung(const QByteArray &bytes, int von, int bis);
quint8 blockpruefung(const quint8 *bytes, int anzahl, int von, int bis);
inline quint8 blockpruefung(const QByteArray &bytes) { return blockpruefung(bytes, 0, int(bytes.size()) - 1); }

// STX, address byte, command, ETX, check over address..ETX. The check byte is
// raw and may be 0x02 or 0x03. Empty when the address is outside 0..255 or
// the command is empty.
QByteArray anfrage(int adresse, const QByteArray &befehl);

// STX, the 2048 memory bytes, ETX, XOR over memory and ETX. Empty unless
// speicher holds exactly 2048 bytes.
QByteArray schreibblock(const QByteArray &speicher);
quint8 schreibblockPruefbyte(const QByteArray &speicher);

// Six digits as the login carries them: "0" and three bytes, byte k holding
// digit 2k-1 in the low and digit 2k in the high nibble. Empty unless the
// text is exactly six digits 0..9.
QByteArray packePasswort(const QString &ziffern);

// Where things sit in the byte stream collected after "E" (echo included).
struct Ausleseformat {
    int pruefVon;    // first index of the checked region
    int pruefBis;    // last index of the checked region
    int pruefbyte;   // index of the check byte
    int ersteDaten;  // index of the first character pair
    int grenze;      // last index a pair may start at
};

// Protocol 0: 4107 bytes; 1: 4109; 255: 4109 or 4107; any other: never.
bool antwortKomplett(int protokoll, int anzahl);
// The layout for a complete answer of that length; nothing when incomplete.
std::optional<Ausleseformat> ausleseformat(int protokoll, int anzahl);
// XOR over the checked region, and whether the check byte matches it.
quint8 auslesepruefsumme(const quint8 *bytes, int anzahl, const Ausleseformat &f);
bool pruefbyteStimmt(const quint8 *bytes, int anzahl, const Ausleseformat &f);
// One memory byte from its two characters, low nibble first ("7:" gives 0xA7).
quint8 dekodierePaar(quint8 c1, quint8 c2);
// Every pair from ersteDaten in steps of two while the pair starts at or
// before grenze (and both characters lie inside the stream).
QByteArray dekodiere(const quint8 *bytes, int anzahl, const Ausleseformat &f);

// Lines for the RS485 diagnosis monitor.
// A telegram reads "**" + bytes + "**": printable ASCII stands as itself,
// every other byte (control bytes, bytes above 0x7E) and '<' itself as
// "<XX>" with two upper-case hex digits, e.g. "**<02><01>E<03>G**".
QString monitorTelegramm(const QByteArray &telegramm);
extern const QString MonitorQuittung;            // "**06**"
extern const QString MonitorProtokoll1Quittung;  // "**02060305**"
extern const QString MonitorStx;                 // "**02**"
extern const QString MonitorEtx;                 // "**03**"
// "**" + decimal value + "**", a memory byte or the check byte of a block.
QString monitorBlockbyte(quint8 wert);
// The lines of a whole write block: "**02**", one per memory byte, "**03**", check.
QStringList monitorSchreibblock(const QByteArray &block);
// A received byte: its code in decimal, no leading zeros.
QString monitorEmpfang(quint8 wert);
// A byte of the echo the link stood in for (the interface does not echo): "(" value ")".
QString monitorEchoersatz(quint8 wert);

}  // namespace Telegramm
