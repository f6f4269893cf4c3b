#pragma once
// One card-list grid of the editor over the data image: no item objects,
// every cell is read from the image's decoded lists when it is drawn.
//
// Rows as the grid shows them: row 0 the caption ("entry|comment"), row 1
// the count ("Anzahl(max)" and the number of slots), from row 2 one row per
// entry slot with the card data string and its comment. A grid whose list
// is not in the current arrangement has 25 blank rows.
//
// A special-code image shows in grid 1 (track 2) or grid 2 (track 3/1) as
// the card grid of 4099 rows: caption, count 4095, the system row (row 2),
// card c in row c + 3 with marker, number and status, green while the card
// is not blocked, and its name. In the page view grid 1 has eight columns:
// status, then name and the six customer fields of the page.

#include "termfile/Kartenregeln.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QSet>

struct Datenbild;

class Listenmodell : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int Leerzeilen = 25;
    static constexpr int Kommentarbreite = 33;  // characters before the comment column widens

    // liste 1..4; widening: the blanks added to the caption when a comment
    // is longer than 33 characters.
    Listenmodell(Datenbild &bild, int liste, int verbreiterung, QObject *parent = nullptr);

    // Caption "entry|comment" and the count row's text ("Anzahl(max)  ").
    void setTexte(const QString &beschriftung, const QString &anzahltext);
    // Re-reads the list from the image (after Datenbild::baueListen).
    void neuAufbauen();

    // The card grid: the page view (eight columns, grid 1 only) and the
    // page whose names and customer data are shown; the row texts 390..393
    // and the page view's caption (394).
    void setKartentexte(const Kartenregeln::Zeilentexte &texte, const QString &seitenbeschriftung);
    void setSeite(int seite, bool seitenansicht);
    int seite() const { return m_seite; }
    bool seitenansicht() const { return m_seitenansicht; }
    // Whether this grid shows the special-code card grid.
    bool kartengitter() const { return m_karten; }
    // Card number of a grid row (row - 3), or -1.
    int karte(int zeile) const;

    int liste() const { return m_liste; }
    bool leer() const { return !m_karten && m_anzahl == 0; }
    int anzahl() const { return m_anzahl; }
    // Running entry number of a grid row, or -1 for rows 0, 1 and blank rows.
    int eintragsnummer(int zeile) const;
    // Caption parts as shown (the comment caption may carry widening blanks).
    QString spaltenbeschriftung(int spalte) const;
    // What the grid is called ("Berechtigungen Spur 2"): its first caption
    // part without the blanks that set the column's width.
    QString gittername() const;
    // Whether there is anything to search: a list of the arrangement or
    // the card grid (a grid of blank rows has nothing).
    bool durchsuchbar() const { return m_karten || m_inAnordnung; }

    // Cell colours: the highlighted cell (&H00FF), cells changed by a dialog
    // (button face), all others the window colour.
    void setHervorhebung(int zeile, int spalte);  // -1: none
    QModelIndex hervorhebung() const;
    void markiereGeaendert(int zeile, int spalte);
    bool geaendert(int zeile, int spalte) const;
    void zeileNeuZeichnen(int zeile);
    // Card grid: rows accepted by a record dialog are drawn blue (and the
    // system row after a change); the group being chosen (rows von..bis,
    // -1: none); the cell a search found.
    void markiereAngenommen(int vonZeile, int bisZeile);
    bool angenommen(int zeile) const { return m_angenommen.contains(zeile); }
    void setGruppe(int vonZeile, int bisZeile);
    void setTreffer(int zeile, int spalte);  // -1: none
    QModelIndex treffer() const;
    // Rows that differ from the file or terminal compared last, drawn in
    // their own colour until the next comparison or an edit of the grid.
    static const QColor Unterschied;
    void setUnterschiede(const QSet<int> &zeilen);
    QSet<int> unterschiede() const { return m_unterschiede; }
    // The cell's text as the search reads it (any row, any column).
    QString zelltext(int zeile, int spalte) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // The column heads are row 0's captions, so that a view can keep them
    // on show while it scrolls.
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QVariant kartendaten(int zeile, int spalte, int role) const;

    Datenbild &m_bild;
    int m_liste;
    int m_verbreiterung;
    QString m_beschriftung[2];
    QString m_anzahltext;
    bool m_inAnordnung = false;
    int m_anzahl = 0;
    int m_erste = 0;
    bool m_breit = false;
    int m_hZeile = -1;
    int m_hSpalte = -1;
    QSet<int> m_geaendert;  // zeile * 8 + spalte
    bool m_karten = false;
    bool m_seitenansicht = false;
    int m_seite = 1;
    Kartenregeln::Zeilentexte m_kartentexte;
    QStringList m_seitenbeschriftung;
    QSet<int> m_angenommen;
    QSet<int> m_unterschiede;
    int m_gruppeVon = -1;
    int m_gruppeBis = -1;
    int m_tZeile = -1;
    int m_tSpalte = -1;
};
