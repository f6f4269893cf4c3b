#include "termfile/Dateiablauf.h"

#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "termfile/Terminaldatei.h"

#include <QDir>
#include <QFileInfo>

namespace Dateiablauf {

namespace {

void meldeFehler(Zustand &z, Meldung &m, int textnummer, int titelnummer, const QString &grund)
{
    // The main window and the write command call this without the editor's
    // text slice loaded.
    const auto text = [&z](int nummer) { return Texttabelle::text(z, nummer); };
    QString meldung = text(textnummer);
    if (!grund.isEmpty())
        meldung += QStringLiteral("\n\n") + grund;
    m.zeige(meldung, text(titelnummer), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, textnummer,
            titelnummer);
}

}  // namespace

bool istHauptdateiname(const QString &pfad)
{
    static const char *const endungen[] = {".S2D", ".s2d", ".S3D", ".s3d", ".S4D", ".s4d"};
    const QString ende = pfad.right(4);
    for (const char *e : endungen)
        if (ende == QLatin1String(e))
            return true;
    return false;
}

Ladeergebnis ladeRoutine(Zustand &z, Meldung &m, const QString &pfad)
{
    Ladeergebnis ergebnis;
    if (!istHauptdateiname(pfad)) {
        m.zeige(z, 176, 177, Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen);
        return ergebnis;
    }
    Terminaldatei::Speicherbytes bytes{};
    const Dateiergebnis e = Terminaldatei::leseHauptdatei(pfad, bytes, z.sprache.versatz);
    if (!e.ok) {
        meldeFehler(z, m, 384, 385, e.meldung);
        return ergebnis;
    }
    int pruefsumme = 0;
    for (int n = 0; n < Bildgroesse; ++n) {
        z.bild.Daten[n] = bytes[n];
        pruefsumme ^= bytes[n];
    }
    ergebnis.geladen = true;
    ergebnis.Blockpruefsumme = pruefsumme ^ 3;
    if (z.sitzung.ladenZumBearbeiten) {
        z.sitzung.ladenZumBearbeiten = false;
        ergebnis.bearbeiten = true;
    }
    return ergebnis;
}

bool verworfeneErsetzen(Zustand &z, Meldung &m, const QVector<Terminaldatei::Satzteil> &teile)
{
    for (const QString &pfad : Terminaldatei::verworfeneDateien(teile)) {
        const QString name = QDir::toNativeSeparators(pfad);
        const QString frage = Texttabelle::text(z, 669).arg(name, Terminaldatei::sicherungsname(name));
        if (m.zeige(frage, Texttabelle::text(z, 324), Meldung::Knoepfe::JaNein, Meldung::Symbol::Frage, 669, 324)
            != Meldung::Ja)
            return false;
    }
    return true;
}

bool speichern(Zustand &z, Meldung &m, const QString &basis, int seite)
{
    if (!verworfeneErsetzen(z, m, Terminaldatei::speicherteile(z.bild, basis, seite)))
        return false;
    const Dateiergebnis e = Terminaldatei::speichern(z.bild, basis, seite, z.sprache.versatz);
    if (!e.ok)
        meldeFehler(z, m, 315, 316, e.meldung);
    return e.ok;
}

Ergebnis speichernUnter(Zustand &z, Meldung &m, const QString &hauptdatei)
{
    if (QFileInfo::exists(hauptdatei)) {
        const QString frage = z.sprache.texte.value(386) + hauptdatei + z.sprache.texte.value(387);
        if (m.zeige(frage, z.sprache.texte.value(324), Meldung::Knoepfe::JaNein, Meldung::Symbol::Frage, 386, 324)
            != Meldung::Ja)
            return Ergebnis::Abgelehnt;
    }
    const Dateiergebnis e = Terminaldatei::speichernUnter(z.bild, hauptdatei, z.sprache.versatz);
    if (!e.ok) {
        meldeFehler(z, m, 315, 316, e.meldung);
        return Ergebnis::Fehlgeschlagen;
    }
    return Ergebnis::Gespeichert;
}

}  // namespace Dateiablauf
