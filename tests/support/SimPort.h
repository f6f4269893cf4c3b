#pragma once
// A port on the simulated bus in-process (see SimBus): what is written goes
// to the bus model, echo and answers come back as receive events, the speed
// set here is the speed the model's line runs at. It opens the SimBus named by
// its device; a name without a bus does not exist, a bus already open on
// another port is busy, a bus that went away is gone.

#include "link/LineSettings.h"
#include "link/Port.h"

#include <QPointer>

#include "support/SimBus.h"

class SimPort : public Port {
    Q_OBJECT
public:
    explicit SimPort(QObject *parent = nullptr);
    ~SimPort() override;

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

    void write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    void flushOutput() override;
    void flushInput() override;
    qint64 bytesToWrite() const override;
    void drain() override;

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
