#include "link/Passworteingabe.h"

#include "link/Telegramm.h"
#include "base/Ansi.h"
#include "base/Zustand.h"

Passworteingabe::Taste Passworteingabe::taste(QChar zeichen, const QString &textVorher, Zustand &z)
{
    if (zeichen == QChar(8))
        return Taste::Weiter;
    z.terminal.passwort = Ansi::kodieren(textVorher);
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
    z.terminal.passwort = Ansi::kodieren(text);
    if (m_modus == Normal) {
        const QByteArray gepackt = Telegramm::packePasswort(text);
        if (gepackt.isEmpty())
            return Ergebnis::ZuKurz;
        z.terminal.passwortOK = true;
        z.terminal.passwort = gepackt;
        return Ergebnis::Angenommen;
    }
    z.terminal.passwortOK = true;
    z.terminal.passwort = QByteArray("X") + Ansi::kodieren(text);
    return Ergebnis::Angenommen;
}
