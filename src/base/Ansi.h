#pragma once
// Text files move between PCs in the Windows ANSI code page (Windows-1252).

#include <QByteArray>
#include <QString>

namespace Ansi {
// Characters without a Windows-1252 code become '?'.
QByteArray kodieren(const QString &text);
QString dekodieren(const QByteArray &bytes);
// Windows-1252 code of one character, or -1.
int code(QChar c);
QChar zeichen(quint8 code);
}  // namespace Ansi
