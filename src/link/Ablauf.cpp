#include "link/Ablauf.h"

#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "link/Verbindung.h"

#include <QTimer>

struct Ablauf::Takt {
    QTimer timer;
    Taktwaechter waechter;
    Wache wache = Wache::Keine;
    std::function<void()> schritt;
};

Ablauf::Ablauf(Zustand &z, Verbindung &v, Meldung *meldung, QObject *parent)
    : QObject(parent), m_z(z), m_v(v), m_meldung(meldung)
{
    connect(&m_v, &Verbindung::portVerloren, this, [this] {
        if (!laeuft())
            return;
        m_imPortverlust = true;
        beiPortverlust();
        m_imPortverlust = false;
    });
    connect(&m_v, &Verbindung::verbindungAbgebrochen, this, [this] {
        if (laeuft())
            beiVerbindungsabbruch();
    });
}

Ablauf::~Ablauf() = default;

void Ablauf::abschliessen(Ende ende)
{
    if (!m_offen)
        return;
    m_offen = false;
    emit beendet(m_imPortverlust ? Ende::Portverlust : ende);
}

Ablauf::Takt *Ablauf::takt(int nummer) const
{
    const auto it = m_takte.find(nummer);
    return it == m_takte.end() ? nullptr : it->second.get();
}

void Ablauf::taktAnlegen(int nummer, Wache wache, bool einmal, std::function<void()> schritt, int ms, bool genau)
{
    auto t = std::make_unique<Takt>();
    t->timer.setParent(this);  // so that windows and tests find it by name
    t->timer.setObjectName(QStringLiteral("Timer%1").arg(nummer));
    t->timer.setSingleShot(einmal);
    t->timer.setInterval(ms);
    if (genau)
        t->timer.setTimerType(Qt::PreciseTimer);
    t->wache = wache;
    t->schritt = std::move(schritt);
    Takt *roh = t.get();
    connect(&t->timer, &QTimer::timeout, this, [this, roh] { tick(*roh); });
    m_takte[nummer] = std::move(t);
}

void Ablauf::tick(Takt &t)
{
    switch (t.wache) {
    case Wache::Keine:
        break;
    case Wache::Abholen:
        m_v.abholen();
        if (!t.timer.isSingleShot() && !t.timer.isActive())
            return;  // the port went away while its bytes were fetched
        break;
    case Wache::Verspaetet:
        if (!t.waechter.tickNehmen(m_v, t.timer))
            return;
        break;
    }
    t.schritt();
}

bool Ablauf::laeuft() const
{
    for (const auto &[nummer, t] : m_takte)
        if (t->timer.isActive())
            return true;
    return false;
}

bool Ablauf::taktLaeuft(int nummer) const
{
    const Takt *t = takt(nummer);
    return t && t->timer.isActive();
}

int Ablauf::taktabstand(int nummer) const
{
    const Takt *t = takt(nummer);
    return t ? t->timer.interval() : 0;
}

void Ablauf::setTaktabstand(int nummer, int ms)
{
    if (Takt *t = takt(nummer))
        t->timer.setInterval(ms);
}

void Ablauf::naechsterTakt(int nummer)
{
    if (Takt *t = takt(nummer))
        tick(*t);
}

void Ablauf::starteTakt(int nummer)
{
    if (Takt *t = takt(nummer)) {
        t->timer.start();
        t->waechter.start();
    }
}

void Ablauf::starteTakt(int nummer, int ms)
{
    if (Takt *t = takt(nummer)) {
        t->timer.start(ms);
        t->waechter.start();
    }
}

void Ablauf::stoppeTakt(int nummer)
{
    if (Takt *t = takt(nummer))
        t->timer.stop();
}

void Ablauf::stoppeAlleTakte()
{
    for (auto &[nummer, t] : m_takte)
        t->timer.stop();
}

QString Ablauf::text(int nummer) const
{
    return Texttabelle::text(m_z, nummer);
}

int Ablauf::zeige(int textnummer, int titelnummer, Meldung::Knoepfe knoepfe, Meldung::Symbol symbol)
{
    if (!m_meldung)
        return 0;
    return m_meldung->zeige(text(textnummer), text(titelnummer), knoepfe, symbol, textnummer, titelnummer);
}
