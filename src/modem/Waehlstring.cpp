#include "modem/Waehlstring.h"

const QByteArray Waehlstring::Waehloption = QByteArrayLiteral("X3");

bool Waehlstring::nurWaehlzeichen(const QString &text)
{
    for (const QChar c : text) {
        const ushort u = c.unicode();
        const bool ziffer = u >= '0' && u <= '9';
        if (!ziffer && u != '*' && u != '#' && u != ',' && u != 'W' && u != 'P' && u != ' ')
            return false;
    }
    return true;
}

QString Waehlstring::vorwahl(const QString &modemText1, const QString &modemText2)
{
    return modemText1 == QLatin1String("1") ? modemText2 + QLatin1Char(',') : QString();
}

QByteArray Waehlstring::baue(const QString &modemText1, const QString &modemText2, const QString &nummer,
                             Fehler *fehler)
{
    Fehler f = Fehler::Keiner;
    const QString prefix = vorwahl(modemText1, modemText2);
    if (nummer.isEmpty())
        f = Fehler::LeereNummer;
    else if (!nurWaehlzeichen(nummer))
        f = Fehler::Nummer;
    else if (!nurWaehlzeichen(prefix))
        f = Fehler::Amtsholung;
    if (fehler)
        *fehler = f;
    if (f != Fehler::Keiner)
        return QByteArray();
    // Only ASCII is left at this point.
    return QByteArrayLiteral("AT") + Waehloption + QByteArrayLiteral("DT") + prefix.toLatin1() + nummer.toLatin1() +
           QByteArrayLiteral("\r\n");
}

int Waehlstring::textnummer(Fehler fehler)
{
    switch (fehler) {
    case Fehler::Nummer:
        return 501;
    case Fehler::Amtsholung:
        return 502;
    default:
        return 0;
    }
}
