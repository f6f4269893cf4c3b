#pragma once
// Port on QSerialPort: a device path (any path, pseudo-terminals included),
// no flow control, DTR and RTS off after opening.

#include "link/LineSettings.h"
#include "link/Port.h"

#include <QSerialPort>

class SerialPort : public Port {
    Q_OBJECT
public:
    explicit SerialPort(QObject *parent = nullptr);
    ~SerialPort() override;

    void setDevice(const QString &device) override;
    QString device() const override { return m_device; }

    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    Oeffnungsfehler letzterFehler() const override { return m_fehler; }
    QString fehlertext() const override { return m_fehlertext; }

    // Taken at once while the port is open, otherwise at the next open().
    // False, and the settings unchanged, when the string is no settings
    // string or the open device refuses it.
    bool setSettings(const QString &settings) override;
    QString settings() const override { return m_settings.toString(); }
    int baud() const override { return m_settings.baud; }

    void setDtr(bool on) override;
    void setRts(bool on) override;
    bool dtr() const override { return m_dtr; }
    // XON/XOFF and RTS/CTS at once is refused: the serial layer has no such mode.
    bool setHandshake(int modus) override;
    bool kannHandshake(int modus) const override { return modus >= 0 && modus <= 2; }
    int handshake() const override { return m_handshake; }

    void write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    void flushOutput() override;
    void flushInput() override;
    // Qt's own buffer plus what the driver still holds.
    qint64 bytesToWrite() const override;
    void drain() override;
    void abholen() override;

    // How a refused open is told: DeviceNotFoundError means the device does
    // not exist. Qt reports PermissionError both when the user may not open
    // the device (EACCES) and when another program holds it (EBUSY from the
    // exclusive mode, or its lock file); the two are told apart by asking
    // whether the user could read and write the device at all.
    static Oeffnungsfehler einordnen(QSerialPort::SerialPortError fehler, bool zugriffErlaubt);

private:
    void fehlerAufgetreten(QSerialPort::SerialPortError fehler);
    void datenDa();
    bool anwenden();
    void zaehlerMerken();
    int neuerLeitungsfehler();

    QSerialPort m_port;
    QString m_device;
    LineSettings m_settings;
    Oeffnungsfehler m_fehler = Oeffnungsfehler::Keiner;
    QString m_fehlertext;
    QMetaObject::Connection m_fehlerVerbindung;
    bool m_verloren = false;
    bool m_dtr = false;
    int m_handshake = 0;
    // Line error counters of the driver at the last look (where it has them).
    bool m_zaehlerGueltig = false;
    int m_zaehler[4] = {0, 0, 0, 0};  // frame, parity, break, overrun
};
