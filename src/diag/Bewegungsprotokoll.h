#pragma once
// The movement log "Bewegungen.dat": one line per card data answer fetched
// in test mode, and a two-line header when an installation name is applied.
// Plain text in the Windows code page, CR LF; opened for appending for every
// write and closed at once, so the file only ever grows.
//
// A log that cannot be opened or written does not stop test mode: the write
// returns false, and the first failure of an instance is flagged for the
// caller to report once.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>

class Bewegungsprotokoll {
public:
    static const QString Dateiname;  // "Bewegungen.dat"

    // The log in the program's data folder.
    Bewegungsprotokoll();
    explicit Bewegungsprotokoll(const QString &pfad);

    QString pfad() const { return m_pfad; }
    void setPfad(const QString &pfad) { m_pfad = pfad; }
    // The clock the lines take their date and time from (default: now).
    void setUhr(std::function<QDateTime()> uhr) { m_uhr = std::move(uhr); }

    // The two header lines, with "Geschlossene Gesellschaft vom:" when
    // geschlossen is set, else "Veranstaltung vom:".
    static QByteArray kopf(const QString &anlagenname, bool geschlossen, const QDateTime &zeit);
    // One movement line for a card data answer: the 25 characters from its
    // 8th on (fewer for a shorter answer). Control characters of the answer
    // (ETX, check byte, CR, LF, ...) become blanks, so one answer is always
    // exactly one line.
    static QByteArray bewegungszeile(const QByteArray &antwort, const QDateTime &zeit);

    // The log as text for viewing: at most hoechstens bytes from its end,
    // beginning with a whole line, decoded from the Windows code page.
    struct Auszug {
        enum class Stand { Gelesen, Fehlt, Fehler };
        Stand stand = Stand::Fehler;
        QString text;
        bool gekuerzt = false;  // the file is longer; only its end is in text
        QString grund;          // why it could not be read
    };
    static Auszug lesen(const QString &pfad, qint64 hoechstens);

    bool schreibeKopf(const QString &anlagenname, bool geschlossen);
    bool schreibeBewegung(const QByteArray &antwort);

    // True once, right after the first failed write of this instance.
    bool fehlerNeu() const { return m_fehlerNeu; }
    bool fehlerGemeldet() const { return m_fehler; }
    // The system's reason of the last failure.
    QString fehlertext() const { return m_fehlertext; }

private:
    bool anhaengen(const QByteArray &bytes);
    QString m_pfad;
    std::function<QDateTime()> m_uhr;
    bool m_fehler = false;
    bool m_fehlerNeu = false;
    QString m_fehlertext;
};
