#include "workflow/Ausleseablauf.h"

#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "link/Auslesen.h"
#include "termfile/Dateiablauf.h"
#include "termfile/Terminaldatei.h"

#include <QFile>
#include <QFileInfo>

Ausleseablauf::Ausleseablauf(Zustand &z, Verbindung &v, Anmeldung &anmeldung, Meldung &meldung, QObject *parent)
    : QObject(parent), m_z(z), m_meldung(meldung), m_auslesen(new Auslesen(z, v, anmeldung, meldung, this))
{
    connect(m_auslesen, &Auslesen::gestartet, this, &Ausleseablauf::gestartet);
    connect(m_auslesen, &Auslesen::fortschritt, this, &Ausleseablauf::fortschritt);
    connect(m_auslesen, &Auslesen::fehlgeschlagen, this, &Ausleseablauf::fehlgeschlagen);
    connect(m_auslesen, &Auslesen::fertig, this, &Ausleseablauf::speichern);
}

bool Ausleseablauf::laeuft() const
{
    return m_auslesen->laeuft();
}

Ausleseablauf::Start Ausleseablauf::starte()
{
    if (m_auslesen->laeuft())
        return Start::NichtGesendet;
    m_z.terminal.passwortOK = false;
    if (!m_passwortfrage || !m_passwortfrage())
        return Start::KeinPasswort;
    return m_auslesen->starte() ? Start::Gestartet : Start::NichtGesendet;
}

QString Ausleseablauf::zielFehler(const Zustand &z, const QString &pfad)
{
    if (!Dateiablauf::istHauptdateiname(pfad))
        return Texttabelle::text(z, 176) + QStringLiteral(" (.S2D, .S3D, .S4D): ") + pfad;
    const QFileInfo ziel(pfad);
    if (ziel.isDir())
        return Texttabelle::text(z, 560).arg(pfad);
    const QFileInfo ordner(ziel.absolutePath());
    if (!ordner.isDir())
        return Texttabelle::text(z, 558).arg(ordner.filePath());
    if (!ordner.isWritable())
        return Texttabelle::text(z, 559).arg(ordner.filePath());
    return QString();
}

void Ausleseablauf::speichern()
{
    const QString datei = QFileInfo(m_zieldatei).absoluteFilePath();
    // The companion names file of the same page goes in the same step as
    // the main file arrives, so that no names of an earlier file stay
    // attached to the new memory; only for a proper main-file name, whose
    // base name is the file's own.
    const Dateiergebnis ergebnis =
        Terminaldatei::schreibeAuslesung(m_z.bild, datei, Dateiablauf::istHauptdateiname(datei), m_z.sprache.versatz);
    if (!ergebnis) {
        // The memory is read, but the file is not there: say so rather than
        // letting the editor open a file that was never written.
        m_z.terminal.identifiziert = false;
        m_meldung.zeige(datei + QStringLiteral("\n") + ergebnis.meldung, m_z.sprache.texte.value(159), Meldung::Knoepfe::Ok,
                        Meldung::Symbol::Ausrufezeichen, -1, 159);
        emit fehlgeschlagen(-1);
        return;
    }
    emit fertig(datei);
}
