#include "workflow/Adresspruefung.h"

#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "link/Empfangsweiche.h"
#include "link/Verbindung.h"

Adresspruefung::Adresspruefung(Zustand &z, Verbindung &v, Meldung &meldung, QObject *parent)
    : QObject(parent), m_z(z), m_v(v), m_meldung(meldung)
{
    m_timer.setParent(this);  // so that tests find it by name
    m_timer.setObjectName(QStringLiteral("Adresspruefung"));
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &Adresspruefung::auswerten);
}

Adresspruefung::~Adresspruefung() = default;

bool Adresspruefung::starte(int adresse)
{
    if (laeuft() || adresse < 1 || adresse > 255)
        return false;
    m_adresse = adresse;
    m_weiche = std::make_unique<Empfangsweiche>(m_z);
    // The request goes to the new address; the terminal being written keeps its own.
    const qint16 vorher = m_z.Adresse;
    m_z.Adresse = qint16(adresse);
    m_z.Befehl = QByteArray("V");
    const bool gesendet = m_v.sendeAnfrage();
    m_z.Adresse = vorher;
    if (!gesendet) {
        m_weiche.reset();
        return false;
    }
    m_timer.start(Wartezeit);
    return true;
}

void Adresspruefung::auswerten()
{
    m_v.abholen();
    m_timer.stop();
    const bool belegt = m_z.Empfang.contains("Ver");
    m_z.Empfang.clear();
    m_weiche.reset();
    if (belegt) {
        const QString text =
            Texttabelle::text(m_z, 352) + QString::number(m_adresse) + Texttabelle::text(m_z, 353);
        m_meldung.zeige(text, Texttabelle::text(m_z, 351), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen,
                        352, 351);
    }
    emit geprueft(!belegt);
}
