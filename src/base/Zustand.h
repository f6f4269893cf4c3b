#pragma once
// The program-wide shared variables. The application owns one instance and
// hands it by reference to windows and sequences; tests make their own.

#include "base/Datenbild.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <array>

struct Zustand {
    Zustand();

    // Language and texts
    qint16 Sprache = 0;               // 0, 1000, 2000, 3000
    QString SpracheText = QStringLiteral("0");
    QVector<QString> Texte = QVector<QString>(1001);  // 101..1000 used

    // Settings file
    qint16 Portnummer = 1;
    QString ModemText1;
    QString ModemText2;
    QString Startverzeichnis;

    QVector<QString> Protokollnamen = QVector<QString>(256);
    QString Familienkennung = QStringLiteral("1");

    // Terminal being served
    qint16 Adresse = 0;
    qint16 Protokoll = 0;
    qint16 AdresseBekannt = 0;
    qint16 Identifiziert = 0;

    // Password and write preparation
    QByteArray Passwort;       // "0" + three packed bytes, or "X" + free text
    qint16 PasswortOK = 0;
    qint16 ProtokollGewaehlt = 0;
    qint16 Variante = 0;
    qint16 Modembetrieb = 0;
    qint16 Modemverbindung = 0;
    // 1 after a write ended while the terminal may be left waiting for its
    // block (serious programming error, or cancelled after "D"); 0 after a
    // successful write. The recovery scan offers the repair write on it.
    qint16 Schreibfehler = 0;
    qint16 LadenZumBearbeiten = 0;

    // Intervals in ms of the main window's ticks Timer1..Timer5 (index 1..5),
    // taken by the sequences each time they start a tick. Start-up holds the
    // design values; the start window's operating-mode button sets the
    // values of that mode.
    std::array<int, 6> Timerintervall{0, 100, 200, 100, 2000, 10};

    // The terminal data image with its text arrays
    Datenbild bild;
};
