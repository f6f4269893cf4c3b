#include "app/Listenmodell.h"

#include "base/Datenbild.h"

#include <QApplication>
#include <QPalette>

namespace {
const QColor Hervorgehoben(255, 0, 0);  // &H00FF
const QColor Gruen(0, 128, 0);          // &H8000
const QColor Blau(0, 0, 255);           // &HFF0000
const QColor Gefunden(128, 255, 255);   // &H00FFFF80

QColor fensterfarbe()
{
    return QApplication::palette().color(QPalette::Base);  // &H80000005
}

QColor schaltflaechenfarbe()
{
    return QApplication::palette().color(QPalette::Button);  // &H8000000F
}
}  // namespace

const QColor Listenmodell::Unterschied(255, 200, 120);

Listenmodell::Listenmodell(Datenbild &bild, int liste, int verbreiterung, QObject *parent)
    : QAbstractTableModel(parent), m_bild(bild), m_liste(liste), m_verbreiterung(verbreiterung)
{
}

void Listenmodell::setTexte(const QString &beschriftung, const QString &anzahltext)
{
    const int trenner = beschriftung.indexOf(QLatin1Char('|'));
    m_beschriftung[0] = trenner < 0 ? beschriftung : beschriftung.left(trenner);
    m_beschriftung[1] = trenner < 0 ? QString() : beschriftung.mid(trenner + 1);
    m_anzahltext = anzahltext;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(1, 1));
}

void Listenmodell::setKartentexte(const Kartenregeln::Zeilentexte &texte, const QString &seitenbeschriftung)
{
    m_kartentexte = texte;
    m_seitenbeschriftung = seitenbeschriftung.split(QLatin1Char('|'));
}

void Listenmodell::setSeite(int seite, bool seitenansicht)
{
    m_seite = seite;
    m_seitenansicht = seitenansicht && m_liste == 1;
    neuAufbauen();
}

int Listenmodell::karte(int zeile) const
{
    if (!m_karten || zeile < Kartenregeln::ErsteKartenzeile || zeile >= Kartenregeln::Gitterzeilen)
        return -1;
    return zeile - Kartenregeln::ErsteKartenzeile;
}

void Listenmodell::neuAufbauen()
{
    beginResetModel();
    m_inAnordnung = false;
    m_anzahl = 0;
    m_erste = 0;
    m_breit = false;
    m_karten = false;
    m_angenommen.clear();
    m_gruppeVon = m_gruppeBis = -1;
    m_tZeile = m_tSpalte = -1;
    if (m_bild.istSondercode()) {
        // One track only in special-code mode: grid 1 for track 2, grid 2
        // for track 3/1; the page view always uses grid 1.
        const bool spur2 = m_bild.flag(Flag::Spur2Auswerten);
        const bool spur31 = m_bild.flag(Flag::Spur31Auswerten);
        m_karten = m_seitenansicht || (m_liste == 1 && spur2) || (m_liste == 2 && spur31 && !spur2);
        if (m_karten)
            m_anzahl = Kartenregeln::Kartenzahl - 1;
    } else {
        for (const Listenlage &lage : m_bild.listenlagen()) {
            if (lage.liste != m_liste)
                continue;
            m_inAnordnung = true;
            m_erste = qMax(0, m_bild.ersteEintragsnummer(m_liste));
            // Entries past the last running number the arrays hold are not shown.
            m_anzahl = qBound(0, m_bild.Listenanzahl[m_liste - 1], Zeilenobergrenze + 1 - m_erste);
            for (int i = 0; i < m_anzahl && !m_breit; ++i)
                m_breit = m_bild.Begleittext.at(m_erste + i).size() > Kommentarbreite;
        }
    }
    m_hZeile = m_hSpalte = -1;
    m_geaendert.clear();
    m_unterschiede.clear();
    endResetModel();
}

int Listenmodell::eintragsnummer(int zeile) const
{
    if (m_karten)
        return karte(zeile);
    if (!m_inAnordnung || zeile < 2 || zeile >= m_anzahl + 2)
        return -1;
    return m_erste + zeile - 2;
}

QString Listenmodell::spaltenbeschriftung(int spalte) const
{
    if (m_karten && m_seitenansicht)
        return m_seitenbeschriftung.value(spalte);
    if (spalte == 0)
        return m_beschriftung[0];
    return m_breit ? m_beschriftung[1] + QString(m_verbreiterung, QLatin1Char(' ')) : m_beschriftung[1];
}

QString Listenmodell::gittername() const
{
    return spaltenbeschriftung(0).trimmed();
}

void Listenmodell::setHervorhebung(int zeile, int spalte)
{
    if (zeile < 2 || spalte < 0)
        zeile = spalte = -1;
    if (zeile == m_hZeile && spalte == m_hSpalte)
        return;
    const int alt = m_hZeile;
    const int altSpalte = m_hSpalte;
    m_hZeile = zeile;
    m_hSpalte = spalte;
    if (alt >= 0)
        emit dataChanged(index(alt, altSpalte), index(alt, altSpalte), {Qt::BackgroundRole});
    if (zeile >= 0)
        emit dataChanged(index(zeile, spalte), index(zeile, spalte), {Qt::BackgroundRole});
}

QModelIndex Listenmodell::hervorhebung() const
{
    return m_hZeile < 0 ? QModelIndex() : index(m_hZeile, m_hSpalte);
}

void Listenmodell::setUnterschiede(const QSet<int> &zeilen)
{
    if (zeilen == m_unterschiede)
        return;
    m_unterschiede = zeilen;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::BackgroundRole});
}

void Listenmodell::markiereGeaendert(int zeile, int spalte)
{
    setUnterschiede({});
    m_geaendert.insert(zeile * 8 + spalte);
    emit dataChanged(index(zeile, spalte), index(zeile, spalte), {Qt::BackgroundRole});
}

bool Listenmodell::geaendert(int zeile, int spalte) const
{
    return m_geaendert.contains(zeile * 8 + spalte);
}

void Listenmodell::zeileNeuZeichnen(int zeile)
{
    emit dataChanged(index(zeile, 0), index(zeile, columnCount() - 1));
}

void Listenmodell::markiereAngenommen(int vonZeile, int bisZeile)
{
    setUnterschiede({});
    for (int z = vonZeile; z <= bisZeile; ++z)
        m_angenommen.insert(z);
    emit dataChanged(index(vonZeile, 0), index(bisZeile, columnCount() - 1));
}

void Listenmodell::setGruppe(int vonZeile, int bisZeile)
{
    if (vonZeile > bisZeile)
        std::swap(vonZeile, bisZeile);
    const int altVon = m_gruppeVon;
    const int altBis = m_gruppeBis;
    m_gruppeVon = vonZeile;
    m_gruppeBis = bisZeile;
    if (altVon >= 0)
        emit dataChanged(index(altVon, 0), index(altBis, 0), {Qt::BackgroundRole});
    if (vonZeile >= 0)
        emit dataChanged(index(vonZeile, 0), index(bisZeile, 0), {Qt::BackgroundRole});
}

void Listenmodell::setTreffer(int zeile, int spalte)
{
    const int alt = m_tZeile;
    const int altSpalte = m_tSpalte;
    m_tZeile = zeile;
    m_tSpalte = spalte;
    if (alt >= 0)
        emit dataChanged(index(alt, altSpalte), index(alt, altSpalte), {Qt::BackgroundRole});
    if (zeile >= 0)
        emit dataChanged(index(zeile, spalte), index(zeile, spalte), {Qt::BackgroundRole});
}

QModelIndex Listenmodell::treffer() const
{
    return m_tZeile < 0 ? QModelIndex() : index(m_tZeile, m_tSpalte);
}

QString Listenmodell::zelltext(int zeile, int spalte) const
{
    return data(index(zeile, spalte), Qt::DisplayRole).toString();
}

int Listenmodell::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    if (m_karten)
        return Kartenregeln::Gitterzeilen;
    return m_inAnordnung ? m_anzahl + 2 : Leerzeilen;
}

int Listenmodell::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_karten && m_seitenansicht ? 8 : 2;
}

QVariant Listenmodell::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const int zeile = index.row();
    const int spalte = index.column();
    if (m_karten)
        return kartendaten(zeile, spalte, role);
    if (role == Qt::DisplayRole) {
        if (zeile == 0)
            return spaltenbeschriftung(spalte);
        if (zeile == 1) {
            if (!m_inAnordnung || spalte != 0)
                return QString();
            return m_anzahltext + QLatin1Char(' ') + QString::number(m_anzahl);
        }
        const int k = eintragsnummer(zeile);
        if (k < 0)
            return QString();
        return spalte == 0 ? m_bild.Zeilentext.value(k) : m_bild.Begleittext.value(k);
    }
    if (role == Qt::BackgroundRole) {
        if (zeile == 0)
            return schaltflaechenfarbe();
        if (zeile == m_tZeile && spalte == m_tSpalte)
            return Gefunden;
        if (zeile == m_hZeile && spalte == m_hSpalte)
            return Hervorgehoben;
        if (geaendert(zeile, spalte))
            return schaltflaechenfarbe();
        if (m_unterschiede.contains(zeile))
            return Unterschied;
        return fensterfarbe();
    }
    return QVariant();
}

QVariant Listenmodell::kartendaten(int zeile, int spalte, int role) const
{
    const int k = karte(zeile);
    if (role == Qt::DisplayRole) {
        if (zeile == 0)
            return spaltenbeschriftung(spalte);
        if (zeile == 1)
            return spalte == 0 ? m_anzahltext + QLatin1Char(' ') + QString::number(m_anzahl) : QString();
        if (zeile == Kartenregeln::Systemzeile) {
            if (spalte == 0)
                return Kartenregeln::systemzeile(m_bild, m_kartentexte);
            return spalte == 1 ? Kartenregeln::systemzeileRechts() : QString();
        }
        if (spalte == 0)
            return Kartenregeln::kartenzeile(m_bild, k, Kartenregeln::marker(m_seite, m_seitenansicht), m_kartentexte);
        return Kartenregeln::kundenfeld(m_bild, m_seite, spalte - 1).value(k);
    }
    if (role == Qt::ForegroundRole) {
        if (m_angenommen.contains(zeile))
            return Blau;
        if (k >= 0 && !m_bild.gesperrt(k))
            return Gruen;
        return QVariant();
    }
    if (role == Qt::BackgroundRole) {
        if (zeile == 0)
            return schaltflaechenfarbe();
        if (zeile == m_tZeile && spalte == m_tSpalte)
            return Gefunden;
        if ((zeile == m_hZeile && spalte == m_hSpalte) || (spalte == 0 && zeile >= m_gruppeVon && zeile <= m_gruppeBis))
            return Hervorgehoben;
        if (geaendert(zeile, spalte))
            return schaltflaechenfarbe();
        if (m_unterschiede.contains(zeile))
            return Unterschied;
        return fensterfarbe();
    }
    return QVariant();
}

QVariant Listenmodell::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount())
        return spaltenbeschriftung(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags Listenmodell::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
