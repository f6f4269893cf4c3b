#pragma once
// The editor's first tab, "Grundeinstellungen": every control shows one
// byte or bit of the data image and writes it back at once. The rules of
// each press and each number box live in Einstellungsregeln; this page
// only shows the image again afterwards and tells the editor when the
// lists have to be rebuilt.

#include "termfile/Einstellungsregeln.h"

#include <QWidget>
#include <array>
#include <functional>

struct Zustand;
class Meldung;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QRadioButton;

// Opens the password dialog modally; it leaves its result in Passwort and
// PasswortOK of the shared state.
using Passwortabfrage = std::function<void(Zustand &, QWidget *parent)>;

class Grundeinstellungsseite : public QWidget {
    Q_OBJECT
public:
    Grundeinstellungsseite(Zustand &z, Meldung &m, QWidget *parent = nullptr);

    void setPasswortabfrage(Passwortabfrage abfrage) { m_passwortabfrage = std::move(abfrage); }

    // Shows every setting from the image and applies the enabling rules.
    void zeigeEinstellungen();
    // Takes the value of a number box still being typed into (before
    // saving, closing or another press). Returns whether it changed lists.
    bool uebernimmOffeneBox();
    // Forgets a number box being typed into (a new file was loaded).
    void vergisOffeneBox() { m_offeneBox = nullptr; }
    // Special-code page view: only the protocol/address frame stays visible.
    void setNurProtokoll(bool nurProtokoll);

signals:
    // The list area changed or was laid out afresh: rebuild the grids.
    void listenGeaendert();
    // Enter in a box or a cancelled question: the focus goes to the tabs.
    void fokusAbgeben();
    // The settings were shown again.
    void angezeigt();

protected:
    bool eventFilter(QObject *objekt, QEvent *event) override;

private:
    struct Optionspaar {
        Einstellungsregeln::Option option;
        QGroupBox *rahmen;
        QRadioButton *ja;
        QRadioButton *nein;
    };
    struct Zahlbox {
        Einstellungsregeln::Zahlfeld feld;
        QGroupBox *rahmen;
        QLineEdit *box;
    };

    QGroupBox *neuerRahmen(const QString &name, int textnummer);
    Optionspaar &paar(Einstellungsregeln::Option o);
    void optionGedrueckt(Einstellungsregeln::Option o, bool ja);
    void zahlboxBetreten(Zahlbox &z, Qt::FocusReason grund);
    bool zahlboxTaste(Zahlbox &z, QKeyEvent *event);
    void passwortEingeben();
    Zahlbox *zahlboxVon(QObject *objekt);

    Zustand &m_z;
    Meldung &m_meldung;
    Passwortabfrage m_passwortabfrage;
    std::array<Optionspaar, Einstellungsregeln::Optionszahl> m_optionen{};
    std::array<Zahlbox, 4> m_zahlboxen{};
    Zahlbox *m_offeneBox = nullptr;  // the number box being typed into
    QGroupBox *m_passwortrahmen = nullptr;
    QGroupBox *m_zeitrahmen = nullptr;
    QLineEdit *m_passwort = nullptr;
    QLabel *m_protokoll = nullptr;
    bool m_nurProtokoll = false;
};
