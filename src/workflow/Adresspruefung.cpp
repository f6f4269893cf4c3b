#include "workflow/Adresspruefung.h"

#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "link/Verbindung.h"

Adresspruefung::Adresspruefung(Zustand &z, Verbindung &v, Meldung &meldung, QObject *parent)
    : QObject(parent), m_z(z), m_v(v), m_meldung(meldung)
{
    m_timer.setParent(this);  // so that tests find it by name
    m_timer.setObjectName(QStringLiteral("Adresspruefung"));
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &Adresspruefung::auswerten);
}

bool Adresspruefung::starte(int adresse)
{
    if (laeuft() || adresse < 1 || adresse > 255)
        return false;
    m_adresse = adresse;
    m_empfang.leeren();
    m_recht = m_v.nimmStrom(m_empfang, Empfaenger::Vorrang::Identifikation);
    // The request goes to the new address; the terminal being written keeps its own.
    const qint16 vorher = m_z.terminal.adresse;
    m_z.terminal.adresse = qint16(adresse);
    const bool gesendet = m_v.sendeAnfrage(QByteArray("V"));
    m_z.terminal.adresse = vorher;
    if (!gesendet) {
        m_recht.freigeben();
        return false;
    }
    m_timer.start(Wartezeit);
    return true;
}

void Adresspruefung::auswerten()
{
    m_v.abholen();
    m_timer.stop();
    const bool belegt = m_empfang.bytes().contains("Ver");
    m_empfang.leeren();
    m_recht.freigeben();
    if (belegt) {
        const QString text =
            Texttabelle::text(m_z, 352) + QString::number(m_adresse) + Texttabelle::text(m_z, 353);
        m_meldung.zeige(text, Texttabelle::text(m_z, 351), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen,
                        352, 351);
    }
    emit geprueft(!belegt);
}
