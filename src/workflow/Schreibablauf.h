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
// Questions go through the Meldung seam; the file choice, the password and
// the protocol identification through the seams below.

#include <QObject>
#include <QString>

#include <functional>

struct Zustand;
class Verbindung;
class Anmeldung;
class Meldung;
class Schreiben;
class Troublesuche;
class Adresspruefung;

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
    // Ends a running write (through schreibenBeendet()).
    void abbrechen();
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
    // A write ended: 0 success or cancel, otherwise its failure's text number.
    void schreibenBeendet(int textnummer);
    // A write or a scan runs (bus commands must wait).
    void laeuftGeaendert(bool laeuft);
    // The hourglass pointer while the recovery scan runs.
    void sanduhr(bool an);

private:
    QString text(int nummer) const;
    void adresseGeprueft(bool frei);

    Zustand &m_z;
    Verbindung &m_verbindung;
    Meldung &m_meldung;
    Schreiben *m_schreiben;
    Troublesuche *m_trouble;
    Adresspruefung *m_adresspruefung;
    Dateiwahl m_dateiwahl;
    Frage m_passwortfrage;
    Frage m_protokollwahl;
    QString m_datei;
    int m_letzterFehler = 0;
};
