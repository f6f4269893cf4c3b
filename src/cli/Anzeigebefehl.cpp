// portavo-cli show FILE [--json]: a terminal file as a technician reads it.
// The file is loaded exactly as the editor loads it (so the settings read as
// the editor shows them), but nothing on disk is created or changed.

#include "cli/Befehlstabelle.h"

#include "base/Texttabelle.h"
#include "base/Datenbild.h"
#include "termfile/Terminaldatei.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

namespace {

constexpr int Kartenzahl = 4096;

QString protokollname(int protokoll)
{
    // The names the main window puts into Protokollnamen at start (0..7)
    // and the address identification for 255.
    if (protokoll >= 0 && protokoll <= 7)
        return Texttabelle::text(125 + protokoll);
    if (protokoll == 255)
        return Texttabelle::text(190);
    return QString();
}


QString listenname(int liste)
{
    // Caption of the list's grid, without its second column.
    return Texttabelle::text(329 + liste).section(QLatin1Char('|'), 0, 0).trimmed();
}

QString jaNein(bool ja)
{
    return ja ? QStringLiteral("Ja") : QStringLiteral("nein");
}

// Control characters from a file would be obeyed by the terminal that shows
// them (an ESC sequence can move the cursor, rewrite the screen or set the
// window title); show them as their symbols instead, one character each, so
// a display line stays 16 wide.
QString sichtbar(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 32)
            c = QChar(char16_t(0x2400 + c.unicode()));
        else if (c.unicode() == 127)
            c = QChar(char16_t(0x2421));
        else if (c.unicode() >= 0x80 && c.unicode() < 0xA0)
            c = QChar(char16_t(0xFFFD));  // C1 controls (CSI and the like)
    }
    return text;
}

QChar seitenmarke(int seite)
{
    return seite == 2 ? QLatin1Char('B') : seite == 3 ? QLatin1Char('C') : QLatin1Char('>');
}

const QVector<QString> &kartennamen(const Datenbild &bild, int seite)
{
    return seite == 1 ? bild.Begleittext : bild.Seitennamen[seite - 2];
}

void zeigeText(const Datenbild &bild, const QString &datei, int seite, QTextStream &out)
{
    const Grundeinstellungen g = bild.grundeinstellungen();
    const auto zeile = [&out](const QString &name, const QString &wert) {
        out << "  " << name.leftJustified(26) << ' ' << wert << '\n';
    };

    out << "Terminaldatei  " << sichtbar(datei) << '\n';
    if (g.sondercode)
        out << "Sondercode (12 000 Karten), Seite " << seite << '\n';
    out << '\n' << "Grundeinstellungen\n";
    zeile(QStringLiteral("Türöffnungszeit"), QStringLiteral("%1 Sekunden").arg(g.tueroeffnungszeit));
    zeile(QStringLiteral("Türöffner mit Summer"), jaNein(g.tueroeffnerMitSummer));
    zeile(QStringLiteral("Türöffner Intervallton"), jaNein(g.tueroeffnerIntervallton));
    zeile(QStringLiteral("Überwachungsmodul"), jaNein(g.ueberwachungsmodul));
    zeile(QStringLiteral("Passwort"), g.passwort);
    zeile(QStringLiteral("Meldung Chipkarte"), jaNein(g.meldungChipkarte));
    zeile(QStringLiteral("Startzeichen senden"), jaNein(g.startzeichenSenden));
    zeile(QStringLiteral("Daten auf Display"), jaNein(g.datenAufDisplay));
    zeile(QStringLiteral("Spur 2 auswerten"), jaNein(g.spur2Auswerten));
    zeile(QStringLiteral("Spur 3 oder 1 auswerten"), jaNein(g.spur31Auswerten));
    zeile(QStringLiteral("Tür auf bei Störung"), jaNein(g.tuerAufBeiStoerung));
    zeile(QStringLiteral("Protokoll"),
          QStringLiteral("%1  %2").arg(g.protokoll).arg(bild.protokollbeschriftung(protokollnamen())).trimmed());
    zeile(QStringLiteral("Adresse"), QString::number(g.adresse));
    zeile(QStringLiteral("Sperrliste/n"), jaNein(g.sperrlisten));
    zeile(QStringLiteral("Datenlänge Spur 2"), QString::number(g.laengeSpur2));
    zeile(QStringLiteral("Datenlänge Spur 3/1"), QString::number(g.laengeSpur31));

    if (g.sondercode) {
        out << '\n' << "Systemnummer  " << bild.systemnummerText() << '\n';
        const QVector<QString> &namen = kartennamen(bild, seite);
        int berechtigt = 0;
        QString karten;
        QTextStream k(&karten);
        for (int c = 0; c < Kartenzahl; ++c) {
            if (bild.gesperrt(c))
                continue;
            ++berechtigt;
            k << "  " << seitenmarke(seite) << QStringLiteral("%1").arg(c, 4, 10, QLatin1Char('0')) << "  "
              << bild.kartenstatus(c).leftJustified(12) << "  " << sichtbar(namen[c]) << '\n';
        }
        k.flush();
        out << '\n' << "Karten, nicht gesperrt: " << berechtigt << '\n' << karten;
    } else {
        out << '\n' << "Listenanordnung  " << bild.listenanordnung() << '\n';
        for (const Listenlage &lage : bild.listenlagen()) {
            const int anzahl = bild.Listenanzahl[lage.liste - 1];
            const int erste = bild.ersteEintragsnummer(lage.liste);
            out << '\n' << listenname(lage.liste) << "  (Anzahl " << anzahl << ")\n";
            for (int k = erste; k < erste + anzahl && k <= Zeilenobergrenze; ++k) {
                out << "  " << QString::number(k).rightJustified(5) << "  " << bild.Zeilentext[k] << "  "
                    << sichtbar(bild.Begleittext[k]) << '\n';
            }
        }
    }

    out << '\n' << "Displaytexte\n";
    for (int i = 0; i < 16; ++i)
        out << "  " << QString::number(i).rightJustified(2) << "  \"" << sichtbar(bild.displayzeile(i)) << "\"\n";
}

QJsonObject alsJson(const Datenbild &bild, const QString &datei, int seite)
{
    const Grundeinstellungen g = bild.grundeinstellungen();
    QJsonObject einstellungen{
        {QStringLiteral("doorOpenTime"), g.tueroeffnungszeit},
        {QStringLiteral("doorOpenerWithBuzzer"), g.tueroeffnerMitSummer},
        {QStringLiteral("doorOpenerIntervalTone"), g.tueroeffnerIntervallton},
        {QStringLiteral("monitoringModule"), g.ueberwachungsmodul},
        {QStringLiteral("password"), g.passwort},
        {QStringLiteral("chipCardMessage"), g.meldungChipkarte},
        {QStringLiteral("sendStartCharacter"), g.startzeichenSenden},
        {QStringLiteral("dataOnDisplay"), g.datenAufDisplay},
        {QStringLiteral("evaluateTrack2"), g.spur2Auswerten},
        {QStringLiteral("evaluateTrack3or1"), g.spur31Auswerten},
        {QStringLiteral("doorOpenOnFault"), g.tuerAufBeiStoerung},
        {QStringLiteral("protocol"), g.protokoll},
        {QStringLiteral("protocolName"), bild.protokollbeschriftung(protokollnamen())},
        {QStringLiteral("address"), g.adresse},
        {QStringLiteral("blockLists"), g.sperrlisten},
        {QStringLiteral("dataLengthTrack2"), g.laengeSpur2},
        {QStringLiteral("dataLengthTrack3or1"), g.laengeSpur31},
    };

    QJsonObject wurzel{
        {QStringLiteral("file"), datei},
        {QStringLiteral("page"), seite},
        {QStringLiteral("specialCode"), g.sondercode},
        {QStringLiteral("settings"), einstellungen},
        {QStringLiteral("arrangement"), bild.listenanordnung()},
    };

    QJsonArray listen;
    QJsonArray karten;
    if (g.sondercode) {
        const QVector<QString> &namen = kartennamen(bild, seite);
        for (int c = 0; c < Kartenzahl; ++c) {
            if (bild.gesperrt(c))
                continue;
            karten.append(QJsonObject{{QStringLiteral("card"), c},
                                      {QStringLiteral("state"), bild.kartenstatus(c)},
                                      {QStringLiteral("zones"), bild.zeitzonenziffern(c)},
                                      {QStringLiteral("name"), namen[c]}});
        }
        wurzel.insert(QStringLiteral("systemNumber"), bild.systemnummerText());
        wurzel.insert(QStringLiteral("cards"), karten);
    } else {
        for (const Listenlage &lage : bild.listenlagen()) {
            const int anzahl = bild.Listenanzahl[lage.liste - 1];
            const int erste = bild.ersteEintragsnummer(lage.liste);
            QJsonArray eintraege;
            for (int k = erste; k < erste + anzahl && k <= Zeilenobergrenze; ++k) {
                eintraege.append(QJsonObject{{QStringLiteral("entry"), k},
                                             {QStringLiteral("data"), bild.Zeilentext[k]},
                                             {QStringLiteral("comment"), bild.Begleittext[k]}});
            }
            listen.append(QJsonObject{{QStringLiteral("list"), lage.liste},
                                      {QStringLiteral("name"), listenname(lage.liste)},
                                      {QStringLiteral("count"), anzahl},
                                      {QStringLiteral("firstEntry"), erste},
                                      {QStringLiteral("entries"), eintraege}});
        }
    }
    wurzel.insert(QStringLiteral("lists"), listen);

    QJsonArray display;
    for (int i = 0; i < 16; ++i)
        display.append(bild.displayzeile(i));
    wurzel.insert(QStringLiteral("display"), display);
    return wurzel;
}

}  // namespace

QVector<QString> protokollnamen()
{
    QVector<QString> namen(256);
    for (int p = 0; p < namen.size(); ++p)
        namen[p] = protokollname(p);
    return namen;
}

int runShow(const QStringList &argumente, QTextStream &out, QTextStream &err)
{
    if (argumente.contains(QStringLiteral("--help")) || argumente.contains(QStringLiteral("-h"))) {
        out << "show FILE [--json] [--lang de|en|fr|es]\n"
               "  Prints a terminal file (.S2D/.S3D/.S4D and its companion files) as a technician reads\n"
               "  it: basic settings, card lists with comments (standard mode) or the cards that are not\n"
               "  blocked with their names (special-code mode), display texts. Control characters are\n"
               "  shown as their symbols. --json gives the same as one JSON object. Nothing is written.\n"
               "  --lang chooses the language of the messages.\n";
        return 0;
    }
    QStringList args = argumente;
    const int sprache = sprachoption(args, err);
    if (sprache < 0)
        return 2;
    bool json = false;
    QString datei;
    for (const QString &a : args) {
        if (a == QLatin1String("--json")) {
            json = true;
        } else if (a.startsWith(QLatin1String("--")) || !datei.isEmpty()) {
            err << "usage: portavo-cli show FILE [--json]\n";
            return 2;
        } else {
            datei = a;
        }
    }
    if (datei.isEmpty()) {
        err << "usage: portavo-cli show FILE [--json]\n";
        return 2;
    }

    auto bild = std::make_unique<Datenbild>();
    const Dateiergebnis e = Terminaldatei::laden(*bild, datei, Terminaldatei::Ablage::NurLesen, sprache);
    if (!e.ok) {
        err << "portavo-cli show: " << e.meldung << '\n';
        return 1;
    }
    const int seite = Terminaldatei::seiteVonHauptdatei(datei);
    if (seite > 1)
        Terminaldatei::ladeSeitendateien(*bild, Terminaldatei::basis(datei), seite,
                                         Terminaldatei::Ablage::NurLesen);

    if (json)
        out << QString::fromUtf8(QJsonDocument(alsJson(*bild, datei, seite)).toJson(QJsonDocument::Indented));
    else
        zeigeText(*bild, datei, seite, out);
    // A full disk or a closed pipe must not pass for the whole listing.
    return standardausgabe(out, err, QByteArray(), sprache) ? 0 : 1;
}
