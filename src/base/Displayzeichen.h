#pragma once
// The display's own character codes: 225 "ä", 239 "ö", 245 "ü", 226 "ß";
// every other code is the Windows-1252 character of that value.

#include <QChar>
#include <QString>

namespace Displayzeichen {
constexpr int Zeilenlaenge = 16;
// Display code -> character.
QChar zeichen(int code);
// Character -> display code: "ä"/"Ä" 225, "ö"/"Ö" 239, "ü"/"Ü" 245, "ß" 226,
// anything else its Windows-1252 code ('?' when the code page lacks it).
int code(QChar c);
// Cut to 16 characters or pad with blanks on the right.
QString aufZeilenlaenge(const QString &text);
}  // namespace Displayzeichen
