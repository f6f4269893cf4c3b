#pragma once
// One card-list grid of the editor over the data image: no item objects,
// every cell is read from the image's decoded lists when it is drawn.
//
// Rows as the grid shows them: row 0 the caption ("entry|comment"), row 1
// the count ("Anzahl(max)" and the number of slots), from row 2 one row per
// entry slot with the card data string and its comment. A grid whose list
// is not in the current arrangement has 25 blank rows.

#include <QAbstractTableModel>
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

    int liste() const { return m_liste; }
    bool leer() const { return m_anzahl == 0; }
    int anzahl() const { return m_anzahl; }
    // Running entry number of a grid row, or -1 for rows 0, 1 and blank rows.
    int eintragsnummer(int zeile) const;
    // Caption parts as shown (the comment caption may carry widening blanks).
    QString spaltenbeschriftung(int spalte) const;

    // Cell colours: the highlighted cell (&H00FF), cells changed by a dialog
    // (button face), all others the window colour.
    void setHervorhebung(int zeile, int spalte);  // -1: none
    QModelIndex hervorhebung() const;
    void markiereGeaendert(int zeile, int spalte);
    bool geaendert(int zeile, int spalte) const;
    void zeileNeuZeichnen(int zeile);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
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
    QSet<int> m_geaendert;  // zeile * 2 + spalte
};
