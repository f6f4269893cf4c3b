#include "diag/Bewegungsprotokoll.h"

#include "base/Ansi.h"
#include "base/Pfade.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

const QString Bewegungsprotokoll::Dateiname = QStringLiteral("Bewegungen.dat");

namespace {
constexpr int Kartendatenbeginn = 7;  // 8th character of the answer
constexpr int Kartendatenlaenge = 25;

QByteArray datum(const QDateTime &zeit)
{
    return zeit.toString(QStringLiteral("dd.MM.yy")).toLatin1();
}
}  // namespace

Bewegungsprotokoll::Bewegungsprotokoll() : Bewegungsprotokoll(QDir(Pfade::programm()).filePath(Dateiname)) {}

Bewegungsprotokoll::Bewegungsprotokoll(const QString &pfad)
    : m_pfad(pfad), m_uhr([] { return QDateTime::currentDateTime(); })
{
}

QByteArray Bewegungsprotokoll::kopf(const QString &anlagenname, bool geschlossen, const QDateTime &zeit)
{
    QByteArray z = geschlossen ? "Geschlossene Gesellschaft vom:" : "Veranstaltung vom:";
    z += "   " + datum(zeit) + "   Ort:   ";
    // A name never breaks the header line.
    QByteArray name = Ansi::kodieren(anlagenname);
    for (char &c : name)
        if (quint8(c) < 0x20 || c == 0x7F)
            c = ' ';
    z += name + "\r\n";
    z += "  \r\n";
    return z;
}

QByteArray Bewegungsprotokoll::bewegungszeile(const QByteArray &antwort, const QDateTime &zeit)
{
    QByteArray karte = antwort.mid(Kartendatenbeginn, Kartendatenlaenge);
    for (char &c : karte)
        if (quint8(c) < 0x20 || c == 0x7F)
            c = ' ';
    return "am:;" + datum(zeit) + "; um: ;" + zeit.toString(QStringLiteral("HH.mm")).toLatin1() + "  Uhr;"
           + "Kartennummer:" + karte + "\r\n";
}

bool Bewegungsprotokoll::schreibeKopf(const QString &anlagenname, bool geschlossen)
{
    return anhaengen(kopf(anlagenname, geschlossen, m_uhr()));
}

bool Bewegungsprotokoll::schreibeBewegung(const QByteArray &antwort)
{
    return anhaengen(bewegungszeile(antwort, m_uhr()));
}

bool Bewegungsprotokoll::anhaengen(const QByteArray &bytes)
{
    m_fehlerNeu = false;
    QFile datei(m_pfad);
    // Unbuffered, so that a full disk shows in the count of this write and
    // not only when a buffer is flushed at close.
    bool ok = datei.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    if (ok)
        ok = datei.write(bytes) == bytes.size();
    if (ok)
        return true;
    m_fehlertext = datei.errorString();
    m_fehlerNeu = !m_fehler;
    m_fehler = true;
    return false;
}

Bewegungsprotokoll::Auszug Bewegungsprotokoll::lesen(const QString &pfad, qint64 hoechstens)
{
    Auszug a;
    const QFileInfo info(pfad);
    if (!info.exists()) {
        a.stand = Auszug::Stand::Fehlt;
        return a;
    }
    // A FIFO or a device in its place would block or never end.
    if (!info.isFile()) {
        a.grund = QStringLiteral("not a regular file");
        return a;
    }
    QFile datei(pfad);
    if (!datei.open(QIODevice::ReadOnly)) {
        a.grund = datei.errorString();
        return a;
    }
    const qint64 groesse = datei.size();
    if (groesse > hoechstens && !datei.seek(groesse - hoechstens)) {
        a.grund = datei.errorString();
        return a;
    }
    QByteArray inhalt = datei.read(hoechstens);
    if (inhalt.isEmpty() && datei.error() != QFileDevice::NoError) {
        a.grund = datei.errorString();
        return a;
    }
    if (groesse > hoechstens) {
        a.gekuerzt = true;
        // The first line is cut off: the text begins with the next one.
        inhalt.remove(0, inhalt.indexOf('\n') + 1);
    }
    inhalt.replace("\r\n", "\n");
    a.text = Ansi::dekodieren(inhalt);
    a.stand = Auszug::Stand::Gelesen;
    return a;
}
