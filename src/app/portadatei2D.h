#pragma once
// The terminal-file editor portadatei2D: the window with its menu, the
// file commands (Save, Save as, the unsaved-changes question on leaving)
// and four tabs, each a class of its own: basic settings
// (Grundeinstellungsseite), the card lists of standard mode
// (Kartenlistenseite, twice) and the sixteen display lines
// (Displaytextseite). Ladeablauf.h holds the main window's entry points.

#include "app/Grundeinstellungsseite.h"
#include "termfile/Uebergabe.h"

#include <QDialog>

struct Zustand;
class Meldung;
class Listenmodell;
class Kartenlistenseite;
class Displaytextseite;
class QAction;
class QCheckBox;
class QPushButton;
class QTabWidget;

class portadatei2D : public QDialog {
    Q_OBJECT
public:
    portadatei2D(Zustand &z, Meldung &m, QWidget *parent = nullptr);

    // Loads the terminal file (main file path) and shows it on the first tab.
    // A missing or faulty main file is reported (text 384) and false returned.
    bool oeffne(const QString &hauptdatei);
    void setPasswortabfrage(Passwortabfrage abfrage);

    // The main file Save writes (Save and Save as change it).
    QString hauptdatei() const { return m_hauptdatei; }
    Uebergabe &uebergabe() { return m_u; }
    Listenmodell *listenmodell(int liste) const;

    // Rebuilds the four grids from the image.
    void baueListenNeu();
    // Shows every basic setting from the image and applies the enabling rules.
    void zeigeEinstellungen();
    void zeigeDisplaytexte();

public slots:
    bool speichern();
    void speichernAls();

signals:
    void hauptdateiGeaendert(const QString &hauptdatei);

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void kopfAnpassen();
    void tabGewechselt(int tab);
    void fokusAufTabs();
    int seite() const;

    Zustand &m_z;
    Meldung &m_meldung;
    Uebergabe m_u;
    QString m_hauptdatei;
    QString m_basis;

    QTabWidget *m_tabs = nullptr;
    QAction *m_drucken = nullptr;
    QAction *m_code = nullptr;
    QPushButton *m_suchen1 = nullptr;
    QPushButton *m_suchen2 = nullptr;
    QCheckBox *m_karten12000 = nullptr;
    Grundeinstellungsseite *m_grund = nullptr;
    Kartenlistenseite *m_berechtigungen = nullptr;
    Kartenlistenseite *m_sperrlisten = nullptr;
    Displaytextseite *m_display = nullptr;
};
