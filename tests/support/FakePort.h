#pragma once
// A port for tests: keeps every write with the settings in force when it was
// made, delivers injected bytes through the receive event, raises any event
// code, refuses to open on demand and loses its device on demand.
// It starts closed, like a real port; writes and injected bytes while it is
// closed are lost (and counted).

#include "link/LineSettings.h"
#include "link/Port.h"

#include <QVector>

class FakePort : public Port {
    Q_OBJECT
public:
    struct Write {
        QByteArray bytes;
        QString settings;  // e.g. "2400,n,8,1"
        int baud;
    };

    explicit FakePort(QObject *parent = nullptr);

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
    // Takes every mode 0..3 unless refuseHandshake() says otherwise.
    bool setHandshake(int modus) override;
    // Every mode can be asked for; refuseHandshake() makes setting it fail.
    bool kannHandshake(int modus) const override { return modus >= 0 && modus <= 3; }
    int handshake() const override { return m_handshake; }
    void refuseHandshake(int modus, const QString &text)
    {
        m_verweigerterHandshake = modus;
        m_handshakeVerweigerung = text;
    }
    // setSettings() refuses every string with this speed, like a device that cannot take it.
    void refuseBaud(int baud, const QString &text)
    {
        m_verweigerteBaud = baud;
        m_verweigerung = text;
    }
    bool rts() const { return m_rts; }

    void write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    void flushOutput() override;
    void flushInput() override;
    qint64 bytesToWrite() const override { return m_ausstehend; }
    void drain() override;

    // --- test side ---
    const QVector<Write> &writes() const { return m_writes; }
    // Every byte written, in order, as one string.
    QByteArray written() const;
    void clearWrites() { m_writes.clear(); }
    int lostWrites() const { return m_verloreneWrites; }

    // Queue bytes for readAll() and raise event 2 (only while open).
    void inject(const QByteArray &bytes);
    // Queue bytes without an event (they wait in the input buffer).
    void queue(const QByteArray &bytes);
    QByteArray pending() const { return m_eingang; }
    // Raise any event code as it stands.
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
    bool m_open = false;
    bool m_dtr = true;
    bool m_rts = true;
    int m_handshake = 0;
    int m_verweigerterHandshake = -1;
    int m_verweigerteBaud = -1;
    QString m_verweigerung;
    QString m_handshakeVerweigerung;
    Oeffnungsfehler m_fehler = Oeffnungsfehler::Keiner;
    Oeffnungsfehler m_openFailure = Oeffnungsfehler::Keiner;
    QString m_fehlertext;
    QVector<Write> m_writes;
    QByteArray m_eingang;
    qint64 m_ausstehend = 0;
    bool m_halten = false;
    int m_verloreneWrites = 0;
    int m_openCount = 0;
    int m_closeCount = 0;
    int m_drainCount = 0;
    int m_flushInputCount = 0;
    int m_flushOutputCount = 0;
};
