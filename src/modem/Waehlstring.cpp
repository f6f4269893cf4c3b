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

Waehlstring::Fehler Waehlstring::pruefeNummer(const QString &nummer)
{
    if (nummer.isEmpty())
        return Fehler::LeereNummer;
    if (!nurWaehlzeichen(nummer))
        return Fehler::Nummer;
    if (nummer.size() > Hoechstlaenge)
        return Fehler::ZuLang;
    return Fehler::Keiner;
}

QString Waehlstring::vorwahl(const QString &modemText1, const QString &modemText2)
{
    return modemText1 == QLatin1String("1") ? modemText2 + QLatin1Char(',') : QString();
}

QByteArray Waehlstring::baue(const QString &modemText1, const QString &modemText2, const QString &nummer,
                             Fehler *fehler)
{
    const QString prefix = vorwahl(modemText1, modemText2);
    Fehler f = pruefeNummer(nummer);
    if (f == Fehler::Keiner && !nurWaehlzeichen(prefix))
        f = Fehler::Amtsholung;
    if (f == Fehler::Keiner && prefix.size() + nummer.size() > Hoechstlaenge)
        f = Fehler::ZuLang;
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
    case Fehler::ZuLang:
        return 630;
    default:
        return 0;
    }
}
