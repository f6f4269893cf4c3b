#include "app/Listenmodell.h"

#include "base/Datenbild.h"

#include <QApplication>
#include <QPalette>

namespace {
const QColor Hervorgehoben(255, 0, 0);  // &H00FF

QColor fensterfarbe()
{
    return QApplication::palette().color(QPalette::Base);  // &H80000005
}

QColor schaltflaechenfarbe()
{
    return QApplication::palette().color(QPalette::Button);  // &H8000000F
}
}  // namespace

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

void Listenmodell::neuAufbauen()
{
    beginResetModel();
    m_inAnordnung = false;
    m_anzahl = 0;
    m_erste = 0;
    m_breit = false;
    if (!m_bild.istSondercode()) {
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
    endResetModel();
}

int Listenmodell::eintragsnummer(int zeile) const
{
    if (!m_inAnordnung || zeile < 2 || zeile >= m_anzahl + 2)
        return -1;
    return m_erste + zeile - 2;
}

QString Listenmodell::spaltenbeschriftung(int spalte) const
{
    if (spalte == 0)
        return m_beschriftung[0];
    return m_breit ? m_beschriftung[1] + QString(m_verbreiterung, QLatin1Char(' ')) : m_beschriftung[1];
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

void Listenmodell::markiereGeaendert(int zeile, int spalte)
{
    m_geaendert.insert(zeile * 2 + spalte);
    emit dataChanged(index(zeile, spalte), index(zeile, spalte), {Qt::BackgroundRole});
}

bool Listenmodell::geaendert(int zeile, int spalte) const
{
    return m_geaendert.contains(zeile * 2 + spalte);
}

void Listenmodell::zeileNeuZeichnen(int zeile)
{
    emit dataChanged(index(zeile, 0), index(zeile, 1));
}

int Listenmodell::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_inAnordnung ? m_anzahl + 2 : Leerzeilen;
}

int Listenmodell::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant Listenmodell::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const int zeile = index.row();
    const int spalte = index.column();
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
        if (zeile == m_hZeile && spalte == m_hSpalte)
            return Hervorgehoben;
        if (geaendert(zeile, spalte))
            return schaltflaechenfarbe();
        return fensterfarbe();
    }
    return QVariant();
}

Qt::ItemFlags Listenmodell::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
