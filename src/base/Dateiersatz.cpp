#include "base/Dateiersatz.h"

#include <QSaveFile>

namespace Dateiersatz {

bool ersetze(const QString &pfad, const QByteArray &inhalt, QString *grund)
{
    QSaveFile datei(pfad);
    const auto fehlschlag = [&](const QString &warum) {
        if (grund)
            *grund = warum;
        return false;
    };
    // QSaveFile (Qt 6.4) commits a cut-off file when the disk fills up: a
    // short write is no error to it, and a buffered one is not even seen.
    // So write unbuffered and check that every byte went out.
    if (!datei.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fehlschlag(datei.errorString());
    const qint64 geschrieben = datei.write(inhalt);
    if (geschrieben != inhalt.size() || !datei.flush() || datei.error() != QFileDevice::NoError) {
        const QString warum = geschrieben >= 0 && geschrieben < inhalt.size()
            ? QStringLiteral("Datenträger voll? Nur %1 von %2 Bytes geschrieben").arg(geschrieben).arg(inhalt.size())
            : datei.errorString();
        datei.cancelWriting();
        return fehlschlag(warum);
    }
    if (!datei.commit())
        return fehlschlag(datei.errorString());
    return true;
}

}  // namespace Dateiersatz
