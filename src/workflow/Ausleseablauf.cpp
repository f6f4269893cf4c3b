#include "workflow/Ausleseablauf.h"

#include "base/Meldung.h"
#include "base/Zustand.h"
#include "link/Auslesen.h"
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
    m_z.PasswortOK = 0;
    if (!m_passwortfrage || !m_passwortfrage())
        return Start::KeinPasswort;
    return m_auslesen->starte() ? Start::Gestartet : Start::NichtGesendet;
}

void Ausleseablauf::speichern()
{
    const QString datei = QFileInfo(m_zieldatei).absoluteFilePath();
    const Dateiergebnis ergebnis = Terminaldatei::schreibeHauptdatei(m_z.bild, datei);
    if (!ergebnis) {
        // The memory is read, but the file is not there: say so rather than
        // letting the editor open a file that was never written.
        m_z.Identifiziert = 0;
        m_meldung.zeige(datei + QStringLiteral("\n") + ergebnis.meldung, m_z.Texte.value(159), Meldung::Knoepfe::Ok,
                        Meldung::Symbol::Ausrufezeichen, -1, 159);
        emit fehlgeschlagen(-1);
        return;
    }
    QFile::remove(Terminaldatei::basis(datei) + QStringLiteral(".B2D"));
    emit fertig(datei);
}
