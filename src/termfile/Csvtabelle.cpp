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

// Works on the bytes: every delimiter is ASCII and no byte of a multi-byte
// UTF-8 sequence is, so each field is decoded (and checked) on its own.
bool lesen(const QByteArray &text, const std::function<bool(const QStringList &, int)> &jeSatz, Lesefehler *fehler)
{
    const auto melde = [fehler](int zeile, Fehlerart art, const QString &grund) {
        if (fehler)
            *fehler = {zeile, grund, art};
        return false;
    };
    QStringList satz;
    QByteArray feld;
    bool quotiert = false;     // inside a quoted field
    bool warQuotiert = false;  // the current field was quoted and is closed
    int zeile = 1;
    const auto feldFertig = [&]() {
        // The file's own mark was skipped above, once: a mark that begins a
        // field is text and must not be dropped by the decoder as well.
        QStringDecoder utf8(QStringDecoder::Utf8,
                            QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        QString f = utf8.decode(feld);
        if (utf8.hasError())
            return false;
        satz.append(f);
        feld.clear();
        warQuotiert = false;
        return true;
    };
    const QString keinUtf8 = QStringLiteral("Die Datei ist nicht in UTF-8 geschrieben.");
    const qsizetype n = text.size();
    qsizetype i = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    for (; i < n; ++i) {
        const char c = text.at(i);
        if (quotiert) {
            if (c == '"') {
                if (i + 1 < n && text.at(i + 1) == '"') {
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
        if (c == ',') {
            if (!feldFertig())
                return melde(zeile, Fehlerart::KeinUtf8, keinUtf8);
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < n && text.at(i + 1) == '\n')
                ++i;
            if (!feldFertig())
                return melde(zeile, Fehlerart::KeinUtf8, keinUtf8);
            if (!jeSatz(satz, zeile))
                return true;
            satz.clear();
            ++zeile;
        } else if (c == '"') {
            if (!feld.isEmpty() || warQuotiert)
                return melde(zeile, Fehlerart::Anfuehrung, QStringLiteral("Anführungszeichen mitten in einem Feld."));
            quotiert = true;
        } else {
            if (warQuotiert)
                return melde(zeile, Fehlerart::Anfuehrung,
                             QStringLiteral("Text nach dem schließenden Anführungszeichen."));
            feld.append(c);
        }
    }
    if (quotiert)
        return melde(zeile, Fehlerart::Anfuehrung,
                     QStringLiteral("Ein Feld in Anführungszeichen wird nicht geschlossen."));
    if (!feld.isEmpty() || !satz.isEmpty() || warQuotiert) {
        if (!feldFertig())
            return melde(zeile, Fehlerart::KeinUtf8, keinUtf8);
        jeSatz(satz, zeile);
    }
    return true;
}

QVector<QStringList> lesen(const QByteArray &text, Lesefehler *fehler)
{
    QVector<QStringList> saetze;
    const bool ok = lesen(
        text,
        [&saetze](const QStringList &satz, int) {
            saetze.append(satz);
            return true;
        },
        fehler);
    return ok ? saetze : QVector<QStringList>();
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
