#pragma once
// A card-list tab of the editor: "Berechtigungen" shows grids 1 and 2
// (authorizations track 2 and track 3/1), "Sperrlisten" grids 3 and 4
// (block lists). Double click or Enter on an entry opens the data-string
// dialog; an accepted string is written back into the image.

#include <QWidget>
#include <array>

struct Zustand;
struct Uebergabe;
class Meldung;
class Listenmodell;
class Listengitter;

class Kartenlistenseite : public QWidget {
    Q_OBJECT
public:
    // ersteListe 1 (tab "Berechtigungen") or 3 (tab "Sperrlisten").
    Kartenlistenseite(Zustand &z, Meldung &m, Uebergabe &u, int ersteListe, QWidget *parent = nullptr);

    int ersteListe() const { return m_ersteListe; }
    // List 1..4 of this tab; nullptr for a list of the other tab.
    Listenmodell *modell(int liste) const;
    Listengitter *gitter(int liste) const;
    // Re-reads both grids from the image's decoded lists.
    void neuAufbauen();
    // Special-code mode: the page on show (1..3), whether grid 1 is the page
    // view with customer data, and the base name of the file set (where the
    // page's companion files are written after an accepted card change).
    void setSeite(int seite, bool seitenansicht, const QString &basis);

private:
    void eintragBearbeiten(int liste, int zeile, int spalte);
    void karteBearbeiten(Listenmodell *modell, Listengitter *gitter, int zeile);
    void systemnummerBearbeiten(Listenmodell *modell);

    Zustand &m_z;
    Meldung &m_meldung;
    Uebergabe &m_u;
    int m_ersteListe;
    int m_seite = 1;
    bool m_seitenansicht = false;
    QString m_basis;
    std::array<Listenmodell *, 2> m_modelle{};
    std::array<Listengitter *, 2> m_gitter{};
};
