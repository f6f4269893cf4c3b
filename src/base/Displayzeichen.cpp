#include "base/Displayzeichen.h"

#include "base/Ansi.h"

namespace Displayzeichen {

QChar zeichen(int code)
{
    switch (code) {
    case 225: return QChar(0x00E4);  // ä
    case 239: return QChar(0x00F6);  // ö
    case 245: return QChar(0x00FC);  // ü
    case 226: return QChar(0x00DF);  // ß
    default: return Ansi::zeichen(quint8(code & 0xFF));
    }
}

int code(QChar c)
{
    switch (c.unicode()) {
    case 0x00E4: case 0x00C4: return 225;
    case 0x00F6: case 0x00D6: return 239;
    case 0x00FC: case 0x00DC: return 245;
    case 0x00DF: return 226;
    default: {
        const int b = Ansi::code(c);
        return b < 0 ? '?' : b;
    }
    }
}

QString aufZeilenlaenge(const QString &text)
{
    return text.left(Zeilenlaenge).leftJustified(Zeilenlaenge, QLatin1Char(' '));
}

}  // namespace Displayzeichen
