#pragma once
// Replacing a file whole: the new content goes into a temporary file beside
// the old one, which is renamed over it only when every byte was written.
// A full disk or a crash never leaves a cut-off file behind.

#include <QByteArray>
#include <QString>

namespace Dateiersatz {
// True when pfad now holds inhalt; otherwise the old file is untouched and
// grund (if given) says why.
bool ersetze(const QString &pfad, const QByteArray &inhalt, QString *grund = nullptr);
}  // namespace Dateiersatz
