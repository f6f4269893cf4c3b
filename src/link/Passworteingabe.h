#pragma once
// The rules of the password box: normal entry takes six digits and packs
// them, "X" typed into a box of at most one character switches to free
// entry of up to eight characters taken as typed.

#include <QChar>
#include <QString>

struct Zustand;

class Passworteingabe {
public:
    enum Modus { Normal = 0, Frei = 8 };
    enum class Taste { Weiter, Verschluckt, Ok };
    enum class Ergebnis { Angenommen, ZuKurz };

    int modus() const { return m_modus; }
    int hoechstlaenge() const { return m_modus == Frei ? 8 : 6; }

    // A key typed into a box that held textVorher. Every key but backspace
    // first copies textVorher into Passwort. Ok: the key runs OK instead.
    Taste taste(QChar zeichen, const QString &textVorher, Zustand &z);
    // OK: Passwort := "0" and the three packed bytes (normal) or "X" and the
    // text (free); PasswortOK := 1. ZuKurz leaves PasswortOK alone.
    Ergebnis ok(const QString &text, Zustand &z) const;

private:
    int m_modus = Normal;
};
