#pragma once
// A port on the in-process SimBus named by its device: writes go to the bus model, echo and answers
// come back as receive events, its speed is the line's. No bus or a bus gone: no such device; a bus
// open on another port: busy.

#include "link/LineSettings.h"
#include "link/Port.h"

#include "sim/SimBus.h"

#include <QPointer>

#include <utility>

class SimPort : public Port {
    Q_OBJECT
public:
    explicit SimPort(QObject *parent = nullptr) : Port(parent) {}
    ~SimPort() override { close(); }

    void setDevice(const QString &device) override { m_device = device; }
    QString device() const override { return m_device; }

    bool open() override;
    void close() override;
    bool isOpen() const override { return m_bus != nullptr; }
    Oeffnungsfehler letzterFehler() const override { return m_fehler; }
    QString fehlertext() const override { return m_fehlertext; }

    bool setSettings(const QString &settings) override;
    QString settings() const override { return m_settings.toString(); }
    int baud() const override { return m_settings.baud; }

    void setDtr(bool) override {}
    void setRts(bool) override {}

    void write(const QByteArray &bytes) override { if (m_bus) m_bus->vomPc(bytes); }
    QByteArray readAll() override { return std::exchange(m_eingang, QByteArray()); }
    void flushOutput() override { if (m_bus) m_bus->verwerfen(); }
    void flushInput() override { m_eingang.clear(); }
    qint64 bytesToWrite() const override { return m_bus ? m_bus->unterwegs() : 0; }
    void drain() override { if (m_bus) m_bus->leeren(); }

    // --- the bus's side ---
    void empfange(const QByteArray &bytes);
    void gesendetMelden(qint64 bytes);
    void geraetWeg();

    int openCount() const { return m_openCount; }

private:
    QString m_device;
    LineSettings m_settings;
    QPointer<SimBus> m_bus;
    QByteArray m_eingang;
    Oeffnungsfehler m_fehler = Oeffnungsfehler::Keiner;
    QString m_fehlertext;
    int m_openCount = 0;
};
