#pragma once
// A port for tests: keeps every write with the settings in force, delivers injected bytes through the
// receive event, raises any event code, refuses to open or loses its device on demand. It starts closed;
// writes and injected bytes while closed are lost (writes are counted).

#include "link/LineSettings.h"
#include "link/Port.h"

#include <QVector>

#include <utility>

class FakePort : public Port {
    Q_OBJECT
public:
    struct Write {
        QByteArray bytes;
        QString settings;  // e.g. "2400,n,8,1"
        int baud;
    };

    explicit FakePort(QObject *parent = nullptr) : Port(parent) {}

    void setDevice(const QString &device) override { m_device = device; }
    QString device() const override { return m_device; }

    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    Oeffnungsfehler letzterFehler() const override { return m_fehler; }
    QString fehlertext() const override { return m_fehlertext; }

    bool setSettings(const QString &settings) override;
    QString settings() const override { return m_settings.toString(); }
    int baud() const override { return m_settings.baud; }

    void setDtr(bool on) override { m_dtr = on; }
    void setRts(bool on) override { m_rts = on; }
    bool dtr() const override { return m_dtr; }
    bool rts() const { return m_rts; }
    // Every mode 0..3 can be asked for; refuseHandshake() makes setting one fail with its text.
    bool setHandshake(int modus) override;
    bool kannHandshake(int modus) const override { return modus >= 0 && modus <= 3; }
    int handshake() const override { return m_handshake; }
    void refuseHandshake(int modus, const QString &text) { m_verweigerterHandshake = modus, m_handshakeVerweigerung = text; }
    // setSettings() refuses every string with this speed, like a device that cannot take it.
    void refuseBaud(int baud, const QString &text) { m_verweigerteBaud = baud, m_verweigerung = text; }

    void write(const QByteArray &bytes) override;
    QByteArray readAll() override { return std::exchange(m_eingang, QByteArray()); }
    void flushOutput() override { ++m_flushOutputCount, m_ausstehend = 0; }
    void flushInput() override { ++m_flushInputCount, m_eingang.clear(); }
    qint64 bytesToWrite() const override { return m_ausstehend; }
    void drain() override { ++m_drainCount, sent(m_ausstehend); }

    // --- test side ---
    const QVector<Write> &writes() const { return m_writes; }
    QByteArray written() const;  // every byte written, in order
    void clearWrites() { m_writes.clear(); }
    int lostWrites() const { return m_verloreneWrites; }
    // Queues bytes for readAll() and raises the receive event (only while open).
    void inject(const QByteArray &bytes);
    // Queues bytes without an event (they wait in the input buffer).
    void queue(const QByteArray &bytes) { m_eingang += m_open ? bytes : QByteArray(); }
    QByteArray pending() const { return m_eingang; }
    void injectEvent(int code) { emit ereignis(code); }
    // Every later open() fails this way until set back to Keiner.
    void setOpenFailure(Oeffnungsfehler fehler) { m_openFailure = fehler; }
    // The device goes away: the port closes and reports the loss once.
    void loseDevice();
    // Written bytes count as not yet on the line until sent() hands them on.
    void setHoldOutput(bool hold) { m_halten = hold; }
    void sent(qint64 bytes);

    int openCount() const { return m_openCount; }
    int closeCount() const { return m_closeCount; }
    int drainCount() const { return m_drainCount; }
    int flushInputCount() const { return m_flushInputCount; }
    int flushOutputCount() const { return m_flushOutputCount; }

private:
    QString m_device = QStringLiteral("fake");
    LineSettings m_settings;
    bool m_open = false, m_dtr = true, m_rts = true, m_halten = false;
    int m_handshake = 0, m_verweigerterHandshake = -1, m_verweigerteBaud = -1;
    QString m_verweigerung, m_handshakeVerweigerung, m_fehlertext;
    Oeffnungsfehler m_fehler = Oeffnungsfehler::Keiner, m_openFailure = Oeffnungsfehler::Keiner;
    QVector<Write> m_writes;
    QByteArray m_eingang;
    qint64 m_ausstehend = 0;
    int m_verloreneWrites = 0, m_openCount = 0, m_closeCount = 0, m_drainCount = 0, m_flushInputCount = 0,
        m_flushOutputCount = 0;
};
