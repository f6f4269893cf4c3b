#include "link/Telegramm.h"

namespace Telegramm {

const QByteArray Quittung(1, ACK);
const QByteArray Protokoll1Quittung = QByteArray() + STX + ACK + ETX + ENQ;
const QByteArray Schreibankuendigung("U24###");
const QByteArray Modemankuendigung("###");
const QByteArray Schreibbestaetigung("U19###");
const QByteArray Startstring = QByteArray() + STX + "07Pi6" + ETX;
const QByteArray Endstring = QByteArray("xxxxxxxxx") + STX + "8Ho9" + ETX;
const QByteArray Anmeldezusage = QByteArray("J") + ETX;

const QString MonitorQuittung = QStringLiteral("**06**");
const QString MonitorProtokoll1Quittung = QStringLiteral("**02060305**");
const QString MonitorStx = QStringLiteral("**02**");
const QString MonitorEtx = QStringLiteral("**03**");

quint8 blockpruefung(const quint8 *bytes, int anzahl, int von, int bis)
{
    if (von < 0)
        von = 0;
    if (bis > anzahl - 1)
        bis = anzahl - 1;
    quint8 pruef = 0;
    for (int i = von; i <= bis; ++i)
        pruef ^= bytes[i];
    return pruef;
}

quint8 blockpruefung(const QByteArray &bytes, int von, int bis)
{
    return blockpruefung(reinterpret_cast<const quint8 *>(bytes.constData()), int(bytes.size()), von, bis);
}

QByteArray anfrage(int adresse, const QByteArray &befehl)
{
    if (adresse < 0 || adresse > 255 || befehl.isEmpty())
        return {};
    QByteArray t;
    t.reserve(befehl.size() + 4);
    t += STX;
    t += char(adresse);
    t += befehl;
    t += ETX;
    t += char(blockpruefung(t, 1, int(t.size()) - 1));
    return t;
}

quint8 schreibblockPruefbyte(const QByteArray &speicher)
{
    return blockpruefung(speicher) ^ quint8(ETX);
}

QByteArray schreibblock(const QByteArray &speicher)
{
    if (speicher.size() != Speichergroesse)
        return {};
    QByteArray b;
    b.reserve(Schreibblocklaenge);
    b += STX;
    b += speicher;
    b += ETX;
    b += char(schreibblockPruefbyte(speicher));
    return b;
}

QByteArray packePasswort(const QString &ziffern)
{
    if (ziffern.size() != 6)
        return {};
    int d[6];
    for (int i = 0; i < 6; ++i) {
        const QChar c = ziffern.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return {};
        d[i] = c.unicode() - '0';
    }
    QByteArray p("0");
    for (int k = 0; k < 3; ++k)
        p += char(d[2 * k] + 16 * d[2 * k + 1]);
    return p;
}

bool antwortKomplett(int protokoll, int anzahl)
{
    switch (protokoll) {
    case 0:
        return anzahl == 4107;
    case 1:
        return anzahl == 4109;
    case 255:
        return anzahl == 4109 || anzahl == 4107;
    default:
        return false;
    }
}

std::optional<Ausleseformat> ausleseformat(int protokoll, int anzahl)
{
    if (!antwortKomplett(protokoll, anzahl))
        return std::nullopt;
    switch (protokoll) {
    case 0:
        return Ausleseformat{8, 4105, 4106, 9, 4104};
    case 1:
        return Ausleseformat{11, 4107, 4108, 11, 4105};
    default:  // 255, from the length that arrived
        return Ausleseformat{9, anzahl - 2, anzahl - 1, 10, anzahl - 3};
    }
}

quint8 auslesepruefsumme(const quint8 *bytes, int anzahl, const Ausleseformat &f)
{
    return blockpruefung(bytes, anzahl, f.pruefVon, f.pruefBis);
}

bool pruefbyteStimmt(const quint8 *bytes, int anzahl, const Ausleseformat &f)
{
    if (f.pruefbyte < 0 || f.pruefbyte >= anzahl)
        return false;
    return bytes[f.pruefbyte] == auslesepruefsumme(bytes, anzahl, f);
}

quint8 dekodierePaar(quint8 c1, quint8 c2)
{
    return quint8((c1 & 0xCF) | ((c2 & 0xCF) << 4));
}

QByteArray dekodiere(const quint8 *bytes, int anzahl, const Ausleseformat &f)
{
    QByteArray speicher;
    if (f.ersteDaten < 0)
        return speicher;
    speicher.reserve((f.grenze - f.ersteDaten) / 2 + 1);
    for (int i = f.ersteDaten; i <= f.grenze && i + 1 < anzahl; i += 2)
        speicher += char(dekodierePaar(bytes[i], bytes[i + 1]));
    return speicher;
}

QString monitorTelegramm(const QByteArray &telegramm)
{
    QString z = QStringLiteral("**");
    for (const char ch : telegramm) {
        const auto b = quint8(ch);
        if (b >= 0x20 && b <= 0x7E && b != '<')
            z += QLatin1Char(ch);
        else
            z += QStringLiteral("<%1>").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    }
    z += QStringLiteral("**");
    return z;
}

QString monitorBlockbyte(quint8 wert)
{
    return QStringLiteral("**%1**").arg(wert);
}

QStringList monitorSchreibblock(const QByteArray &block)
{
    QStringList zeilen;
    zeilen.reserve(block.size());
    for (int i = 0; i < block.size(); ++i) {
        const auto b = quint8(block.at(i));
        if (i == 0 && b == quint8(STX))
            zeilen << MonitorStx;
        else if (i == block.size() - 2 && b == quint8(ETX))
            zeilen << MonitorEtx;
        else
            zeilen << monitorBlockbyte(b);
    }
    return zeilen;
}

QString monitorEmpfang(quint8 wert)
{
    return QString::number(wert);
}

QString monitorEchoersatz(quint8 wert)
{
    return QLatin1Char('(') + QString::number(wert) + QLatin1Char(')');
}

}  // namespace Telegramm
