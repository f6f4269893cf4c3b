#pragma once
// Writing a terminal file into a terminal, and the recovery after a failed
// write, as the write panel and portavo-cli run them. It owns the write
// sequence (Schreiben) and the recovery scan (Troublesuche).
//
//   schreibbefehl()   "PORTAVO &beschreiben": question 144 when nothing is
//                     identified, the file choice, the load routine, the
//                     protocol identification, the check that a new
//                     address is free (Adresspruefung), then ready for the
//                     write button. In repair mode (Schreiben::reparatur()) without
//                     the question, the protocol identification and the
//                     check.
//   schreibknopf()    the password (not in repair mode), then the write.
//   troubleStarten()  "Tro&uble": the recovery scan; its repair question
//                     leads back into schreibbefehl() in repair mode.
//
// With a backup store (setSicherung) the write button first reads the
// terminal's present memory (the read-out sequence, after its own login),
// puts what the write will change to the question (setVergleichsfrage),
// stores the memory as a backup and only then begins the write. A read-out or a
// backup that fails ends the command before anything of the write is sent.
//
// Questions go through the Meldung seam; the file choice, the password and
// the protocol identification through the seams below.

#include <QObject>
#include <QString>

#include <array>
#include <functional>

struct Zustand;
class Verbindung;
class Anmeldung;
class Meldung;
class Schreiben;
class Troublesuche;
class Adresspruefung;
class Auslesen;
class Sicherungsablage;
struct Dateivergleich;

class Schreibablauf : public QObject {
    Q_OBJECT
public:
    // (title, filter, folder, file name) -> chosen path or "".
    using Dateiwahl = std::function<QString(const QString &, const QString &, const QString &, const QString &)>;
    // A question answered with true (password confirmed, protocol chosen).
    using Frage = std::function<bool()>;

    Schreibablauf(Zustand &z, Verbindung &v, Anmeldung &anmeldung, Meldung &meldung, QObject *parent = nullptr);

    void setDateiwahl(Dateiwahl wahl) { m_dateiwahl = std::move(wahl); }
    // True when a password was confirmed (Passwort holds it).
    void setPasswortfrage(Frage frage) { m_passwortfrage = std::move(frage); }
    // The protocol identification with the loaded file: true when the
    // terminal answered and a protocol was chosen.
    void setProtokollwahl(Frage frage) { m_protokollwahl = std::move(frage); }
    // The backup store before each write (not a repair), for the terminal of
    // installation anlage ("" on RS485); nullptr: no backup.
    void setSicherung(Sicherungsablage *ablage, const QString &anlage = QString());
    // What the write will change (the terminal now -> the file): true goes
    // on (and the backup is stored), false ends the command with nothing
    // stored or sent. Unset: the write goes on.
    using Vergleichsfrage = std::function<bool(const Dateivergleich &)>;
    void setVergleichsfrage(Vergleichsfrage frage) { m_vergleichsfrage = std::move(frage); }

    Schreiben &schreiben() { return *m_schreiben; }
    Troublesuche &trouble() { return *m_trouble; }
    // The file chosen for writing.
    QString datei() const { return m_datei; }

    // True when the write button may be pressed (bereit() was signalled),
    // or while the new address is checked (adresspruefungLaeuft(); bereit()
    // or nichtBereit() follows). False when the command ended (nichtBereit()
    // was signalled) or another write, scan or check runs.
    bool schreibbefehl();
    bool adresspruefungLaeuft() const;
    // False when nothing was started (no password, or the sequence could
    // not start: text 193 is shown then).
    bool schreibknopf();
    // Ends a running write or its backup read-out (through schreibenBeendet()).
    void abbrechen();
    // The backup read-out or the write runs.
    bool schreibenLaeuft() const;
    void troubleStarten();

signals:
    // Step 1 of the write command: the read-out panel goes, no file is shown.
    void befehlBegonnen();
    // The chosen file was loaded.
    void dateiGewaehlt(const QString &datei);
    // Ready for the write button; in repair mode after the recovery scan.
    void bereit(bool reparatur);
    // The write command ended before that (declined, refused file, no
    // protocol, the new address taken).
    void nichtBereit();
    // The backup read-out went out / the backup is stored (its main file).
    void sicherungBegonnen();
    void gesichert(const QString &hauptdatei);
    // A write ended: 0 success or cancel, otherwise its failure's text number
    // (805: the backup failed, nothing was sent).
    void schreibenBeendet(int textnummer);
    // A write or a scan runs (bus commands must wait).
    void laeuftGeaendert(bool laeuft);
    // The hourglass pointer while the recovery scan runs.
    void sanduhr(bool an);

private:
    QString text(int nummer) const;
    void adresseGeprueft(bool frei);
    void gelesen();
    void sicherungFehlgeschlagen(int textnummer, const QString &grund);
    void bildZurueck();

    Zustand &m_z;
    Verbindung &m_verbindung;
    Meldung &m_meldung;
    Schreiben *m_schreiben;
    Troublesuche *m_trouble;
    Adresspruefung *m_adresspruefung;
    Auslesen *m_auslesen;
    Sicherungsablage *m_ablage = nullptr;
    QString m_anlage;
    Vergleichsfrage m_vergleichsfrage;
    std::array<qint16, 2048> m_bild{};  // the file's memory while the terminal's is read
    Dateiwahl m_dateiwahl;
    Frage m_passwortfrage;
    Frage m_protokollwahl;
    QString m_datei;
    int m_letzterFehler = 0;
};
