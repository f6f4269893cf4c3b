#include "sim/SimBus.h"

#include "sim/SimPort.h"

#include "sim/Bus.h"
#include "sim/Scenario.h"

#include <QDir>
#include <QJsonDocument>
#include <QMap>

namespace {
QMap<QString, SimBus *> &geraete()
{
    static QMap<QString, SimBus *> g;
    return g;
}
int naechsteNummer = 0;
// Enough for any read-out or write block; a model that never settles is a fault.
constexpr int HoechsteSchritte = 1000000;
}  // namespace

QJsonObject SimBus::terminal(int adresse, int protokoll, const QJsonObject &extra)
{
    QJsonObject t{{"address", adresse}, {"protocol", protokoll}, {"password", "246810"}};
    for (auto i = extra.begin(); i != extra.end(); ++i)
        t[i.key()] = i.value();
    return t;
}

SimBus::SimBus(QObject *parent) : QObject(parent), m_device(QStringLiteral("sim:%1").arg(++naechsteNummer))
{
    m_pumpe.setSingleShot(true);
    m_pumpe.setTimerType(Qt::PreciseTimer);
    connect(&m_pumpe, &QTimer::timeout, this, &SimBus::pumpen);
    m_zustellung.setSingleShot(true);
    m_zustellung.setInterval(0);
    connect(&m_zustellung, &QTimer::timeout, this, &SimBus::zustellen);
}

SimBus::~SimBus()
{
    geraete().remove(m_device);
}

SimBus *SimBus::zuGeraet(const QString &device)
{
    return geraete().value(device, nullptr);
}

QString SimBus::starten(const QJsonArray &terminals, const QStringList &optionen)
{
    return starten(QJsonObject{{"terminals", terminals}}, optionen);
}

QString SimBus::starten(const QJsonObject &szenario, const QStringList &optionen)
{
    return aufbauen(QJsonDocument(szenario).toJson(QJsonDocument::Compact), optionen);
}

QString SimBus::aufbauen(const QByteArray &json, const QStringList &optionen)
{
    if (m_bus)
        return QStringLiteral("the bus runs already");
    sim::Scenario szenario;
    std::string fehler;
    if (!sim::parseScenario(json.toStdString(), QDir::currentPath().toStdString(), szenario, fehler))
        return QString::fromStdString(fehler);
    sim::BusOptions o = sim::BusOptions::of(szenario);
    for (int i = 0; i < optionen.size(); ++i) {
        const QString &a = optionen.at(i);
        if (a == QLatin1String("--no-echo")) {
            o.echo = false;
        } else if (a == QLatin1String("--no-pacing")) {
            o.pacing = false;
        } else if (a == QLatin1String("--turnaround") && i + 1 < optionen.size()) {
            bool ok = false;
            const int turnaroundMs = optionen.at(++i).toInt(&ok);
            if (!ok || turnaroundMs < 0)
                return QStringLiteral("--turnaround wants milliseconds");
            o.turnaroundUs = qint64(turnaroundMs) * 1000;
        } else {
            return QStringLiteral("unknown option %1").arg(a);
        }
    }
    m_bus = std::make_unique<sim::Bus>(szenario, o);
    m_bus->lineSpeed = [this] { return m_baud; };
    m_bus->onArrived = [this](int64_t t, int baud, uint8_t b) {
        m_verkehr.append({qint64(t), baud, quint8(b)});
        ++m_angekommen;
    };
    m_bus->log = [this](const std::string &text) { m_notizen << QString::fromStdString(text); };
    m_uhr.start();
    geraete().insert(m_device, this);
    planen();
    return QString();
}

qint64 SimBus::jetztUs() const
{
    return m_uhr.isValid() ? m_uhr.nsecsElapsed() / 1000 + m_vorlaufUs : 0;
}

bool SimBus::ruhig() const
{
    return m_bus && m_ausstehend.isEmpty() && !m_pumpe.isActive() && m_stuecke.empty() && !m_zustellung.isActive();
}

QByteArray SimBus::speicher(int adresse) const
{
    if (!m_bus)
        return QByteArray();
    for (const auto &t : m_bus->terminals())
        if (t.address == adresse)
            return QByteArray::fromStdString(sim::mainFileText(*t.memory));
    return QByteArray();
}

QByteArray SimBus::bytes(const QVector<Byte> &v)
{
    QByteArray b;
    for (const Byte &x : v)
        b += char(x.wert);
    return b;
}

bool SimBus::belegen(SimPort *port)
{
    if (m_port && m_port != port)
        return false;
    m_port = port;
    return true;
}

void SimBus::freigeben(SimPort *port)
{
    if (m_port == port)
        m_port = nullptr;
}

void SimBus::vomPc(const QByteArray &bytes)
{
    if (!m_bus || m_weg || bytes.isEmpty())
        return;
    m_ausstehend += bytes;
    m_pumpe.start(0);
}

qint64 SimBus::unterwegs() const
{
    return m_ausstehend.size() + (m_uebergeben - m_angekommen);
}

void SimBus::verwerfen()
{
    m_ausstehend.clear();
}

void SimBus::pumpen()
{
    if (!m_bus || m_weg)
        return;
    if (!m_ausstehend.isEmpty()) {
        m_bus->fromPc(reinterpret_cast<const uint8_t *>(m_ausstehend.constData()), size_t(m_ausstehend.size()),
                      jetztUs());
        m_uebergeben += m_ausstehend.size();
        m_ausstehend.clear();
    }
    for (int schritt = 0; schritt < HoechsteSchritte; ++schritt) {
        const qint64 jetzt = jetztUs();
        std::string aus;
        m_bus->advance(jetzt, aus);
        if (!aus.empty()) {
            // A new piece wherever the line was quiet for longer than a byte.
            const qint64 byteUs = 10000000 / qMax(1, m_baud);
            if (m_stuecke.empty() || m_letzteAusgabeUs < 0 || jetzt - m_letzteAusgabeUs > byteUs + 500)
                m_stuecke.emplace_back();
            m_stuecke.back().append(aus.data(), int(aus.size()));
            m_letzteAusgabeUs = jetzt;
        }
        if (m_bus->gone())
            break;
        const qint64 naechste = m_bus->nextLineUs();
        if (naechste < 0)
            break;
        if (naechste > jetzt)
            m_vorlaufUs += naechste - jetzt;  // line time passes at once
    }
    if (m_angekommen > m_gemeldet) {
        const qint64 n = m_angekommen - m_gemeldet;
        m_gemeldet = m_angekommen;
        if (m_port)
            m_port->gesendetMelden(n);
    }
    if (m_bus->gone()) {
        m_weg = true;
        m_ausstehend.clear();
    }
    if ((!m_stuecke.empty() || m_weg) && !m_zustellung.isActive())
        m_zustellung.start();
    planen();
}

void SimBus::planen()
{
    if (!m_bus || m_weg)
        return;
    if (!m_ausstehend.isEmpty()) {
        m_pumpe.start(0);
        return;
    }
    const qint64 wann = m_bus->nextWakeUs();
    if (wann < 0) {
        m_pumpe.stop();
        return;
    }
    m_pumpe.start(int(qMax<qint64>(0, (wann - jetztUs() + 999) / 1000)));
}

void SimBus::zustellen()
{
    if (m_stuecke.empty()) {
        // Everything before the disappearance has arrived: now the device goes.
        if (m_weg && m_port) {
            SimPort *p = m_port;
            m_port = nullptr;
            p->geraetWeg();
        }
        return;
    }
    const QByteArray stueck = m_stuecke.front();
    m_stuecke.pop_front();
    if (m_port)
        m_port->empfange(stueck);
    if (!m_stuecke.empty() || m_weg)
        m_zustellung.start();
}
