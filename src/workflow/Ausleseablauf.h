#pragma once
// The read-out of an identified terminal, from the read-out button on: the
// password (asked through a seam), login and read-out (Auslesen), then the
// file step: the decoded image is saved through the file set as a main file
// ("PORTAVO.S2D" in the current folder unless another file is set), and the
// companion text file of that name is removed so that no texts of an
// earlier file stay attached to the new one.
//
// Failure endings keep their text numbers (154 login, 156 record error,
// 158 compare error, 193 port gone; their message is shown by Auslesen);
// a main file that cannot be written is reported with the file's name and
// the reason under title 159, leaves the file that was there as it was and
// ends with -1.

#include <QObject>
#include <QString>

#include <functional>

struct Zustand;
class Verbindung;
class Anmeldung;
class Meldung;
class Auslesen;

class Ausleseablauf : public QObject {
    Q_OBJECT
public:
    // Asks for the password; true when one was confirmed (Passwort holds it).
    using Passwortfrage = std::function<bool()>;

    Ausleseablauf(Zustand &z, Verbindung &v, Anmeldung &anmeldung, Meldung &meldung, QObject *parent = nullptr);

    void setPasswortfrage(Passwortfrage frage) { m_passwortfrage = std::move(frage); }
    // Where the main file goes; a relative name is taken in the current
    // folder at the moment the file is written.
    void setZieldatei(const QString &pfad) { m_zieldatei = pfad; }
    QString zieldatei() const { return m_zieldatei; }
    // Why pfad cannot take a read-out (German, for the user), or empty. A
    // name without a main-file extension is refused: its companion files
    // are found by cutting the extension off, and another name would make
    // the read-out remove an unrelated file ("notes.txt" -> "notes.B2D").
    // The folder must exist and be writable, so that a read-out is not
    // thrown away at the end.
    static QString zielFehler(const Zustand &z, const QString &pfad);

    enum class Start { KeinPasswort, NichtGesendet, Gestartet };
    // PasswortOK := 0, the password question, then the login. Nothing
    // happens when no password was confirmed.
    Start starte();
    bool laeuft() const;
    Auslesen &auslesen() { return *m_auslesen; }

signals:
    // The login went out.
    void gestartet();
    // Bytes collected since "E" against the bytes the protocol needs.
    void fortschritt(int datenbytes, int gesamt);
    // The main file is written (its full path); Identifiziert = 1.
    void fertig(const QString &datei);
    // A failure ending with its text number, its message already shown;
    // -1 when the memory was read but the file could not be written.
    void fehlgeschlagen(int textnummer);

private:
    void speichern();

    Zustand &m_z;
    Meldung &m_meldung;
    Auslesen *m_auslesen;
    Passwortfrage m_passwortfrage;
    QString m_zieldatei = QStringLiteral("PORTAVO.S2D");
};
