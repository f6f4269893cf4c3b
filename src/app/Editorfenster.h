#pragma once
// The terminal-file editor Editorfenster: the window with its menu, the
// file commands (Save, Save as, the unsaved-changes question on leaving)
// and four tabs, each a class of its own: basic settings
// (Grundeinstellungsseite), the card lists of standard mode
// (Kartenlistenseite, twice) and the sixteen display lines
// (Displaytextseite). Ladeablauf.h holds the main window's entry points.
//
// A special-code file (12 000 cards) has three pages, each with its own
// main file (.S2D, .S3D, .S4D): Save writes the page that is open. Ticking
// "12 000 Karten" shows the page options and, once a page is chosen, the
// page view with the customer data of that page.
//
// "Mit Terminal vergleichen" reads the identified terminal's memory into a
// scratch folder (password, login, read-out) and "Mit Datei vergleichen"
// reads another main file; either way the editor's own memory stays as it
// is. The differences (the other side -> this file) show in a list
// (Vergleichsdialog "frmUnterschiede") and the list slots or cards that
// differ are coloured in the grids until the next comparison or edit.

#include "app/Druckablauf.h"
#include "app/Grundeinstellungsseite.h"
#include "base/Datenbild.h"
#include "termfile/Terminaldatei.h"
#include "termfile/Uebergabe.h"

#include <QDialog>

#include <array>
#include <memory>

struct Zustand;
class Meldung;
class Listenmodell;
class Kartenlistenseite;
class Displaytextseite;
class QAction;
class QButtonGroup;
class QCheckBox;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTemporaryDir;
class Verbindung;
class Anmeldung;
class Ausleseablauf;
struct Dateivergleich;

class Editorfenster : public QDialog {
    Q_OBJECT
public:
    Editorfenster(Zustand &z, Meldung &m, QWidget *parent = nullptr);
    ~Editorfenster() override;

    // Loads the terminal file (main file path) and shows it on the first tab.
    // A missing or faulty main file is reported (text 384) and false returned.
    bool oeffne(const QString &hauptdatei);
    void setPasswortabfrage(Passwortabfrage abfrage);
    // The link to the terminals: enables "Mit Terminal vergleichen".
    void setTerminalzugang(Verbindung *v, Anmeldung *anmeldung);

    // The main file Save writes (Save and Save as change it).
    QString hauptdatei() const { return m_hauptdatei; }
    Uebergabe &uebergabe() { return m_u; }
    Listenmodell *listenmodell(int liste) const;
    // The page that is open (1..3; standard mode 1) and whether the page
    // view is on show.
    int seite() const { return m_seite; }
    bool seitenansicht() const { return m_seitenansicht; }
    Druckablauf &druckablauf() { return m_druck; }

    // Rebuilds the four grids from the image.
    void baueListenNeu();
    // Shows every basic setting from the image and applies the enabling rules.
    void zeigeEinstellungen();
    void zeigeDisplaytexte();

public slots:
    bool speichern();
    void speichernAls();
    // "12 000 Karten" ticked or unticked, a page option chosen.
    void karten12000(bool an);
    bool seiteWaehlen(int seite);
    // The lists as CSV, and back (menu items texts 415, 416).
    void listenExportieren();
    void listenImportieren();
    // File menu: print the current tab's section, print all four, the
    // preview of the current tab's section, all four as a PDF file.
    void druckeTeil();
    void druckeAlles();
    void druckvorschau();
    void alsPdfExportieren();
    // The comparisons (menu items texts 849, 850).
    void mitTerminalVergleichen();
    void mitDateiVergleichen();

signals:
    void hauptdateiGeaendert(const QString &hauptdatei);

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void kopfAnpassen();
    void tabGewechselt(int tab);
    void fokusAufTabs();
    // Search button 1 or 2: the grid it searches (1..4) and the search.
    int suchliste(int knopf) const;
    void suchen(int knopf);
    // Asks "Soll die Datei gespeichert werden?" when something changed and
    // saves on Yes. False when saving failed (the caller stays).
    bool aenderungenSichern();
    void zeigeSeite();
    void setzeSeitenwahl(int seite);  // 0: none chosen
    void allesAnzeigen();
    QVector<Druckseite> druckseiten(bool alles);
    Terminaldatei::Speicherbytes eigenerSpeicher() const;
    void zeigeUnterschiede(const Terminaldatei::Speicherbytes &anderer, const QString &kopf);
    void terminalGelesen();
    void terminalVergleichEnde();

    Zustand &m_z;
    Meldung &m_meldung;
    Uebergabe m_u;
    Druckablauf m_druck;
    QString m_hauptdatei;
    QString m_basis;
    int m_seite = 1;
    bool m_seitenansicht = false;

    QTabWidget *m_tabs = nullptr;
    QAction *m_drucken = nullptr;
    QAction *m_code = nullptr;
    QAction *m_vergleichTerminal = nullptr;
    Verbindung *m_verbindung = nullptr;
    Anmeldung *m_anmeldung = nullptr;
    Ausleseablauf *m_auslese = nullptr;
    std::unique_ptr<QTemporaryDir> m_ablage;  // the terminal's memory while it is compared
    decltype(Datenbild::Daten) m_gerettet{};  // the editor's image meanwhile
    QPushButton *m_suchen1 = nullptr;
    QPushButton *m_suchen2 = nullptr;
    QCheckBox *m_karten12000 = nullptr;
    QButtonGroup *m_seitenwahl = nullptr;
    QRadioButton *m_seitenoption[3] = {};
    Grundeinstellungsseite *m_grund = nullptr;
    Kartenlistenseite *m_berechtigungen = nullptr;
    Kartenlistenseite *m_sperrlisten = nullptr;
    Displaytextseite *m_display = nullptr;
};
