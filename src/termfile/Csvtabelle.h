#pragma once
// Comma-separated values as RFC 4180 has them: fields separated by commas,
// records by CR LF (a lone LF is read too), a field that holds a comma, a
// quote or a line break is enclosed in quotes and its quotes are doubled.
// Text is UTF-8; a byte-order mark at the start is skipped.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

namespace Csvtabelle {

enum class Fehlerart { Keiner, KeinUtf8, Anfuehrung };

struct Lesefehler {
    int zeile = 0;  // record number, 1 = the first (header) record
    QString grund;
    Fehlerart art = Fehlerart::Keiner;
};

// Hands the records to jeSatz one by one, with their record number, as
// they are parsed; no more of the text is looked at once jeSatz returns
// false. A quote inside an unquoted field, text after a closing quote, a
// quoted field left open at the end or bytes that are not UTF-8 end the
// reading with false (fehler says where); the records before went out.
bool lesen(const QByteArray &text, const std::function<bool(const QStringList &satz, int zeile)> &jeSatz,
           Lesefehler *fehler = nullptr);

// Parses the whole text into records; on an error the result is empty.
QVector<QStringList> lesen(const QByteArray &text, Lesefehler *fehler = nullptr);

// One record per entry, CR LF after each, fields quoted only where needed.
QByteArray schreiben(const QVector<QStringList> &saetze);

}  // namespace Csvtabelle
