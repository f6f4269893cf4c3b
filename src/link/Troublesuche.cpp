#include "link/Troublesuche.h"

#include "link/Port.h"
#include "link/Schreiben.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "base/Meldung.h"
#include "base/Zustand.h"

namespace {
int sprachindex(int sprache)
{
    const int i = sprache / 1000;
    return i >= 0 && i <= 3 ? i : 0;
}
}  // namespace

QString Troublesuche::reparaturfrage(int sprache)
{
    static const char *const texte[4] = {
        "Der PORTAVO hat seine Daten nicht vollständig erhalten. Soll er jetzt ohne Anmeldung neu "
        "beschrieben werden (Reparatur)?",
        "The PORTAVO did not receive its data completely. Write it again now without login (repair)?",
        "Le PORTAVO n'a pas reçu toutes ses données. Faut-il le réécrire maintenant sans connexion "
        "(réparation) ?",
        "El PORTAVO no recibió todos sus datos. ¿Desea escribirlo de nuevo ahora sin inicio de sesión "
        "(reparación)?",
    };
    return QString::fromUtf8(texte[sprachindex(sprache)]);
}

QString Troublesuche::reparaturtitel(int sprache)
{
    static const char *const texte[4] = {"  Reparatur", "  Repair", "  Réparation", "  Reparación"};
    return QString::fromUtf8(texte[sprachindex(sprache)]);
}

Troublesuche::Troublesuche(Zustand &z, Verbindung &v, Meldung &meldung, Schreiben *schreiben, QObject *parent)
    : QObject(parent), m_z(z), m_v(v), m_meldung(meldung), m_schreiben(schreiben)
{
    m_timer8.setParent(this);  // so that windows and tests find them by name
    m_timer8.setObjectName(QStringLiteral("Timer8"));
    m_timer8.setTimerType(Qt::PreciseTimer);
    m_timer6.setParent(this);
    m_timer6.setObjectName(QStringLiteral("Timer6"));
    m_timer6.setSingleShot(true);
    connect(&m_timer8, &QTimer::timeout, this, &Troublesuche::tick8);
    connect(&m_timer6, &QTimer::timeout, this, &Troublesuche::tick6);
}

void Troublesuche::starte()
{
    if (m_schreiben && m_schreiben->laeuft())
        m_schreiben->abbrechen();
    m_timer6.stop();
    m_z.Empfangszahl = 0;
    m_suchzaehler = 0;
    m_gesendet = 0;
    m_gesehen = false;
    m_timer8.start(m_ersterTick);
}

void Troublesuche::stoppe()
{
    if (!m_timer8.isActive())
        return;
    m_timer8.stop();
    emit sanduhr(false);
}

bool Troublesuche::antwortDa() const
{
    const int zahl = qMin<int>(m_z.Empfangszahl, int(m_z.Empfangsbytes.size()));
    if (zahl <= 40)
        return false;
    for (int i = 0; i + 2 < zahl; ++i) {
        if (m_z.Empfangsbytes[size_t(i)] == quint8(Telegramm::ACK) &&
            m_z.Empfangsbytes[size_t(i + 1)] == quint8(Telegramm::STX) && m_z.Empfangsbytes[size_t(i + 2)] == 0xFF)
            return true;
    }
    return false;
}

void Troublesuche::tick8()
{
    ++m_suchzaehler;
    emit sanduhr(true);
    if (m_suchzaehler > HoechsterZaehler) {
        ende();
        return;
    }
    // Without a modem window there is no modem port to ask about.
    Port *modem = m_v.modemPort();
    if (modem && !modem->isOpen() && !modem->open()) {
        m_suchzaehler = HoechsterZaehler + 2;
    } else if (m_z.Modemverbindung == 1 && modem) {
        ++m_gesendet;
        if (m_suchzaehler % 10 == 0)
            m_v.sendeRoh(QByteArrayLiteral("\r\n"), modem);
        m_v.sendeRoh(Telegramm::anfrage(255, QByteArrayLiteral("X")), modem);
    } else {
        ++m_gesendet;
        m_v.sendeRoh(QByteArray(3, char('0' + m_suchzaehler % 10)), m_v.port());
    }
    m_timer8.setInterval(m_abstand);
    if (antwortDa()) {
        m_z.Empfangszahl = 0;
        m_suchzaehler = HoechsterZaehler + 2;
        m_gesehen = true;
    } else {
        m_z.Empfang.clear();
    }
}

void Troublesuche::ende()
{
    m_timer8.stop();
    emit sanduhr(false);
    emit beendet(m_gesehen);
    if (m_z.Schreibfehler != 1 && !m_gesehen)
        return;
    const int antwort = m_meldung.zeige(reparaturfrage(m_z.Sprache), reparaturtitel(m_z.Sprache),
                                        Meldung::Knoepfe::JaNein, Meldung::Symbol::Frage, Reparaturfragenummer,
                                        Reparaturfragenummer + 1);
    if (antwort == Meldung::Ja)
        m_timer6.start(Reparaturverzoegerung);
}

void Troublesuche::tick6()
{
    m_timer6.stop();
    m_z.Reparatur = 1;
    emit reparaturStarten();
}
