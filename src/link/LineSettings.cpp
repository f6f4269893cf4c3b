#include "link/LineSettings.h"

#include <QStringList>

std::optional<LineSettings> LineSettings::parse(const QString &text)
{
    const QStringList f = text.split(QLatin1Char(','));
    if (f.size() != 4)
        return std::nullopt;
    LineSettings s;

    const QString baud = f.at(0).trimmed();
    bool ok = false;
    s.baud = baud.toInt(&ok, 10);
    if (!ok || s.baud <= 0 || baud.startsWith(QLatin1Char('+')))
        return std::nullopt;

    const QString parity = f.at(1).trimmed().toLower();
    if (parity.size() != 1 || !QStringLiteral("neoms").contains(parity.at(0)))
        return std::nullopt;
    s.parity = char(parity.at(0).unicode());

    const QString data = f.at(2).trimmed();
    if (data.size() != 1 || data.at(0) < QLatin1Char('5') || data.at(0) > QLatin1Char('8'))
        return std::nullopt;
    s.dataBits = data.at(0).unicode() - '0';

    const QString stop = f.at(3).trimmed();
    if (stop == QLatin1String("1"))
        s.stopBits = 10;
    else if (stop == QLatin1String("1.5"))
        s.stopBits = 15;
    else if (stop == QLatin1String("2"))
        s.stopBits = 20;
    else
        return std::nullopt;
    return s;
}

QString LineSettings::toString() const
{
    const QString stop = stopBits == 15 ? QStringLiteral("1.5") : QString::number(stopBits / 10);
    return QStringLiteral("%1,%2,%3,%4").arg(baud).arg(QLatin1Char(parity)).arg(dataBits).arg(stop);
}
