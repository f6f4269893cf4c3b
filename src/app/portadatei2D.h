#pragma once
// The terminal-file editor portadatei2D: basic settings, the card lists of
// standard mode (authorizations, block lists), the sixteen display lines,
// Save / Save as and the unsaved-changes question on leaving.
//
// Entry points for the main window:
//   bearbeiteTerminaldatei()  opens the editor modally on a main file with
//                             a caption (Datei / Laden, or the read-out's
//                             "Geladene Datei bearbeiten ?" Yes with the
//                             caption "PORTAVO.S2D");
//   dateiLaden()              the whole Datei / Laden command: file dialog,
//                             load routine, editor.

#include "app/Druckablauf.h"
#include "termfile/Dateiablauf.h"
#include "termfile/Einstellungsregeln.h"
#include "termfile/Uebergabe.h"

#include <QDialog>
#include <array>
#include <functional>

struct Zustand;
class Meldung;
class Listenmodell;
class Listengitter;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

// Opens the password dialog modally; it leaves its result in Passwort and
// PasswortOK of the shared state. The editor uses Passwort2D unless told
// otherwise.
using Passwortabfrage = std::function<void(Zustand &, QWidget *parent)>;

class portadatei2D : public QDialog {
    Q_OBJECT
public:
    portadatei2D(Zustand &z, Meldung &m, QWidget *parent = nullptr);

    // Loads the terminal file (main file path) and shows it on the first tab.
    // A missing or faulty main file is reported (text 384) and false returned.
    bool oeffne(const QString &hauptdatei);
    void setPasswortabfrage(Passwortabfrage abfrage) { m_passwortabfrage = std::move(abfrage); }

    // The main file Save writes (Save and Save as change it).
    QString hauptdatei() const { return m_hauptdatei; }
    Uebergabe &uebergabe() { return m_u; }
    Listenmodell *listenmodell(int liste) const { return m_modelle[liste - 1]; }
    Druckablauf &druckablauf() { return m_druck; }

    // Rebuilds the four grids from the image.
    void baueListenNeu();
    // Shows every basic setting from the image and applies the enabling rules.
    void zeigeEinstellungen();
    void zeigeDisplaytexte();

public slots:
    bool speichern();
    void speichernAls();
    // File menu: print the current tab's section, print all four, the
    // preview of the current tab's section, all four as a PDF file.
    void druckeTeil();
    void druckeAlles();
    void seitenansicht();
    void alsPdfExportieren();

signals:
    void hauptdateiGeaendert(const QString &hauptdatei);

protected:
    bool eventFilter(QObject *objekt, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

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

    QWidget *baueGrundeinstellungen();
    QWidget *baueListenseite(int ersteListe);
    QWidget *baueDisplayseite();
    QGroupBox *neuerRahmen(const QString &name, int textnummer, QWidget *eltern);
    void optionGedrueckt(Einstellungsregeln::Option o, bool ja);
    void zahlboxBetreten(Zahlbox &z, Qt::FocusReason grund);
    bool zahlboxTaste(Zahlbox &z, QKeyEvent *event);
    void uebernimmOffeneBox();
    void passwortEingeben();
    void eintragBearbeiten(int liste, int zeile, int spalte);
    void displayzeileBearbeiten(int zeile);
    void tabGewechselt(int tab);
    void fokusAufTabs();
    int seite() const;
    Zahlbox *zahlboxVon(QObject *objekt);
    QVector<Druckseite> druckseiten(bool alles);

    Zustand &m_z;
    Meldung &m_meldung;
    Uebergabe m_u;
    Passwortabfrage m_passwortabfrage;
    Druckablauf m_druck;
    QString m_hauptdatei;
    QString m_basis;

    QTabWidget *m_tabs = nullptr;
    QAction *m_drucken = nullptr;
    QAction *m_code = nullptr;
    QPushButton *m_suchen1 = nullptr;
    QPushButton *m_suchen2 = nullptr;
    QCheckBox *m_karten12000 = nullptr;
    std::array<Optionspaar, Einstellungsregeln::Optionszahl> m_optionen{};
    std::array<Zahlbox, 4> m_zahlboxen{};
    Zahlbox *m_offeneBox = nullptr;  // the number box being typed into
    QGroupBox *m_passwortrahmen = nullptr;
    QLineEdit *m_passwort = nullptr;
    QLabel *m_protokoll = nullptr;
    std::array<Listenmodell *, 4> m_modelle{};
    std::array<Listengitter *, 4> m_gitter{};
    std::array<QLineEdit *, 16> m_zeilen{};
};

// Opens the editor modally on hauptdatei with the given caption, on its
// first tab. Returns the main file current when it closed (Save as may
// have changed it), or an empty string when the file could not be loaded.
QString bearbeiteTerminaldatei(Zustand &z, Meldung &m, const QString &hauptdatei, const QString &titel,
                               QWidget *parent = nullptr, Passwortabfrage abfrage = {});

// Datei / Laden: the open-file dialog (texts 140..142, initial folder
// Startverzeichnis), LadenZumBearbeiten := 1, the load routine and then the
// editor with the file's full name as caption.
struct Ladeablauf {
    bool gewaehlt = false;  // a file was chosen (not cancelled)
    QString pfad;           // the chosen file: the main window's current file
    Dateiablauf::Ladeergebnis ergebnis;  // geladen: enable the write button
    QString hauptdateiNachher;  // the editor's main file when it closed
};
Ladeablauf dateiLaden(Zustand &z, Meldung &m, QWidget *parent = nullptr, Passwortabfrage abfrage = {});
