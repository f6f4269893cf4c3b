#pragma once
// The terminal's configuration as it was before each write, kept so that a
// wrong file (or the right file at the wrong door) can be undone.
//
// Under the root folder each terminal has a folder of its own ("Adresse 005",
// or "<installation> - Adresse 005" for a modem installation), and each backup
// a folder in it named by date and time, holding the file set a read-out
// leaves: PORTAVO.S2D (the memory) and PORTAVO.B2D (no comments). The
// terminal folder's index (index.json) lists them newest first with address,
// protocol, version string, time and the file that replaced it; it is
// replaced whole through a temporary file, so a crash leaves the old index or
// the new one, never half of one. Only the newest `behalten` backups stay.

#include "termfile/Terminaldatei.h"

#include <QDateTime>
#include <QString>
#include <QVector>

class Sicherungsablage {
public:
    struct Eintrag {
        QString ordner;  // the backup's folder (absolute)
        int adresse = 0;
        int protokoll = 0;
        QString version;
        QDateTime zeit;
        QString ersetztDurch;  // the file written over it
        QString hauptdatei() const;
    };

    static constexpr int StandardBehalten = 20;

    // The user's choice, kept in sicherung.ini in the configuration folder:
    // whether a write backs up first (default yes) and how many backups per
    // terminal stay (default 20). The backups live in the program's data
    // folder, under "Sicherungen".
    struct Einstellung {
        bool aktiv = true;
        int behalten = StandardBehalten;
    };
    static Einstellung einstellung();
    static bool setzeEinstellung(const Einstellung &e);
    static QString standardwurzel();

    explicit Sicherungsablage(const QString &wurzel, int behalten = StandardBehalten);

    QString wurzel() const { return m_wurzel; }
    // The folder of one terminal's backups.
    QString terminalordner(const QString &anlage, int adresse) const;

    // Stores speicher as a new backup of the terminal described by kopf
    // (ordner is filled in). On failure nothing new is left behind, the
    // index is as it was, and the result says why in the language sprache.
    Dateiergebnis sichere(const QString &anlage, Eintrag &kopf, const Terminaldatei::Speicherbytes &speicher,
                          int sprache = 0);
    // The terminal's backups, newest first (none yet: empty, ok). A damaged
    // index is reported, not taken for an empty one.
    Dateiergebnis liste(const QString &anlage, int adresse, QVector<Eintrag> &ziel, int sprache = 0) const;
    // Every terminal folder that has an index, by name.
    QStringList terminals() const;

private:
    Dateiergebnis listeIn(const QString &ordner, QVector<Eintrag> &ziel, int sprache) const;

    QString m_wurzel;
    int m_behalten;
};
