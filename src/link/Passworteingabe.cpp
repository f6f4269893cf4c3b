#include "link/Passworteingabe.h"

#include "link/Telegramm.h"
#include "base/Ansi.h"
#include "base/Zustand.h"

Passworteingabe::Taste Passworteingabe::taste(QChar zeichen, const QString &textVorher, Zustand &z)
{
    if (zeichen == QChar(8))
        return Taste::Weiter;
    z.Passwort = Ansi::kodieren(textVorher);
    if (m_modus == Frei)
        return Taste::Weiter;
    if (zeichen == QChar(13))
        return Taste::Ok;
    if (zeichen == QLatin1Char('X') && textVorher.size() <= 1)
        m_modus = Frei;
    if (zeichen >= QLatin1Char('0') && zeichen <= QLatin1Char('9'))
        return Taste::Weiter;
    return Taste::Verschluckt;
}

Passworteingabe::Ergebnis Passworteingabe::ok(const QString &text, Zustand &z) const
{
    z.Passwort = Ansi::kodieren(text);
    if (m_modus == Normal) {
        const QByteArray gepackt = Telegramm::packePasswort(text);
        if (gepackt.isEmpty())
            return Ergebnis::ZuKurz;
        z.PasswortOK = 1;
        z.Passwort = gepackt;
        return Ergebnis::Angenommen;
    }
    z.PasswortOK = 1;
    z.Passwort = QByteArray("X") + Ansi::kodieren(text);
    return Ergebnis::Angenommen;
}
