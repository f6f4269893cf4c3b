#include "diag/Monitormodell.h"

#include "base/Ansi.h"
#include "base/Dateiersatz.h"

#include <QRegularExpression>

Monitormodell::Monitormodell(QObject *parent) : QAbstractListModel(parent)
{
    m_uhr.start();
    m_sammler.setSingleShot(true);
    m_sammler.setInterval(Sammelzeit);
    connect(&m_sammler, &QTimer::timeout, this, &Monitormodell::nachtragen);
}

int Monitormodell::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_zeilen.size());
}

QVariant Monitormodell::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_zeilen.size())
        return {};
    const Eintrag &e = m_zeilen.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return anzeige(e);
    case ZeileRolle:
        return e.zeile;
    case ZeitRolle:
        return e.ms;
    case GesendetRolle:
        return istGesendet(e.zeile);
    default:
        return {};
    }
}

void Monitormodell::zeile(const QString &zeile)
{
    m_neu.append({m_uhr.elapsed(), zeile});
    if (!m_pause && !m_sammler.isActive())
        m_sammler.start();
}

void Monitormodell::nachtragen()
{
    m_sammler.stop();
    if (m_pause || m_neu.isEmpty())
        return;
    const int erste = int(m_zeilen.size());
    beginInsertRows(QModelIndex(), erste, erste + int(m_neu.size()) - 1);
    m_zeilen += m_neu;
    m_neu.clear();
    endInsertRows();
}

void Monitormodell::leeren()
{
    m_sammler.stop();
    beginResetModel();
    m_zeilen.clear();
    m_neu.clear();
    endResetModel();
}

bool Monitormodell::trimmen()
{
    if (anzahl() < Grenze)
        return false;
    leeren();
    return true;
}

void Monitormodell::setPause(bool pause)
{
    m_pause = pause;
    if (!pause)
        nachtragen();
}

QString Monitormodell::zeileText(int zeile) const
{
    return zeile >= 0 && zeile < m_zeilen.size() ? m_zeilen.at(zeile).zeile : QString();
}

QString Monitormodell::anzeige(const Eintrag &e)
{
    return QStringLiteral("%1 ms  %2  %3")
        .arg(e.ms, 8)
        .arg(istGesendet(e.zeile) ? QChar(0x2192) : QChar(0x2190))
        .arg(e.zeile);
}

QString Monitormodell::hexAnsicht(const QString &zeile)
{
    if (zeile.size() < 4 || !istGesendet(zeile) || !zeile.endsWith(QLatin1String("**")))
        return {};
    const QString innen = zeile.mid(2, zeile.size() - 4);
    QStringList bytes;
    const auto hex = [](int wert) { return QStringLiteral("%1").arg(wert, 2, 16, QLatin1Char('0')).toUpper(); };
    static const QRegularExpression nurZiffern(QStringLiteral("^[0-9]+$"));
    if (nurZiffern.match(innen).hasMatch()) {
        // Control strings are written as pairs of hex digits ("06",
        // "02060305"); a byte of a write block as its decimal value.
        if (innen == QLatin1String("06") || innen == QLatin1String("02") || innen == QLatin1String("03")
            || innen == QLatin1String("02060305")) {
            for (int i = 0; i + 1 < innen.size(); i += 2)
                bytes << innen.mid(i, 2);
        } else {
            bytes << hex(innen.toInt() & 0xFF);
        }
        return bytes.join(QLatin1Char(' '));
    }
    // A telegram: printable characters stand as themselves, others as <XX>.
    for (int i = 0; i < innen.size(); ++i) {
        const QChar c = innen.at(i);
        if (c == QLatin1Char('<') && i + 3 < innen.size() && innen.at(i + 3) == QLatin1Char('>')) {
            bool ok = false;
            const int wert = innen.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                bytes << hex(wert);
                i += 3;
                continue;
            }
        }
        bytes << hex(Ansi::code(c) < 0 ? '?' : Ansi::code(c));
    }
    return bytes.join(QLatin1Char(' '));
}

bool Monitormodell::exportieren(const QString &pfad, QString *grund) const
{
    QByteArray text;
    text.reserve((m_zeilen.size() + m_neu.size()) * 24);
    for (const QVector<Eintrag> *teil : {&m_zeilen, &m_neu})
        for (const Eintrag &e : *teil)
            text += QByteArray::number(e.ms) + '\t' + (istGesendet(e.zeile) ? '>' : '<') + '\t'
                    + Ansi::kodieren(e.zeile) + "\r\n";
    return Dateiersatz::ersetze(pfad, text, grund);
}
