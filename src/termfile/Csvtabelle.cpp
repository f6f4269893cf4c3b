#include "termfile/Csvtabelle.h"

#include <QStringDecoder>

namespace Csvtabelle {

namespace {

bool mussQuotiert(const QString &feld)
{
    // A byte-order mark at the start of the text would be skipped on reading.
    if (feld.startsWith(QChar(0xFEFF)))
        return true;
    for (QChar c : feld)
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return true;
    return false;
}

}  // namespace

QVector<QStringList> lesen(const QByteArray &text, Lesefehler *fehler)
{
    // The mark is skipped below, once: the decoder must not drop one as well.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString s = utf8.decode(text);
    const auto melde = [fehler](int zeile, const QString &grund) {
        if (fehler)
            *fehler = {zeile, grund};
        return QVector<QStringList>();
    };
    if (utf8.hasError())
        return melde(0, QStringLiteral("Die Datei ist nicht in UTF-8 geschrieben."));
    if (s.startsWith(QChar(0xFEFF)))
        s.remove(0, 1);

    QVector<QStringList> saetze;
    QStringList satz;
    QString feld;
    bool quotiert = false;   // inside a quoted field
    bool warQuotiert = false;  // the current field was quoted and is closed
    int zeile = 1;
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = s.at(i);
        if (quotiert) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && s.at(i + 1) == QLatin1Char('"')) {
                    feld.append(c);
                    ++i;
                } else {
                    quotiert = false;
                    warQuotiert = true;
                }
            } else {
                feld.append(c);
            }
            continue;
        }
        if (c == QLatin1Char(',')) {
            satz.append(feld);
            feld.clear();
            warQuotiert = false;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && s.at(i + 1) == QLatin1Char('\n'))
                ++i;
            satz.append(feld);
            saetze.append(satz);
            satz.clear();
            feld.clear();
            warQuotiert = false;
            ++zeile;
        } else if (c == QLatin1Char('"')) {
            if (!feld.isEmpty() || warQuotiert)
                return melde(zeile, QStringLiteral("Anführungszeichen mitten in einem Feld."));
            quotiert = true;
        } else {
            if (warQuotiert)
                return melde(zeile, QStringLiteral("Text nach dem schließenden Anführungszeichen."));
            feld.append(c);
        }
    }
    if (quotiert)
        return melde(zeile, QStringLiteral("Ein Feld in Anführungszeichen wird nicht geschlossen."));
    if (!feld.isEmpty() || !satz.isEmpty() || warQuotiert) {
        satz.append(feld);
        saetze.append(satz);
    }
    return saetze;
}

QByteArray schreiben(const QVector<QStringList> &saetze)
{
    QString text;
    for (const QStringList &satz : saetze) {
        for (qsizetype i = 0; i < satz.size(); ++i) {
            if (i > 0)
                text.append(QLatin1Char(','));
            const QString &feld = satz.at(i);
            if (mussQuotiert(feld)) {
                QString q = feld;
                q.replace(QLatin1String("\""), QLatin1String("\"\""));
                text.append(QLatin1Char('"') + q + QLatin1Char('"'));
            } else {
                text.append(feld);
            }
        }
        text.append(QLatin1String("\r\n"));
    }
    return text.toUtf8();
}

}  // namespace Csvtabelle
