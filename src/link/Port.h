#pragma once
// One serial port as the link sees it. SerialPort runs it on QSerialPort,
// FakePort records writes and injects received bytes for tests.

#include <QByteArray>
#include <QObject>
#include <QString>

// Event codes of a receive event.
namespace Ereigniscode {
constexpr int Empfangen = 2;
constexpr int Break = 1001;
constexpr int CtsTimeout = 1002;
constexpr int DsrTimeout = 1003;
constexpr int Framing = 1004;
constexpr int Overrun = 1006;
constexpr int CdTimeout = 1007;
constexpr int RxOverflow = 1008;
constexpr int Parity = 1009;
constexpr int TxFull = 1010;
constexpr int Dcb = 1011;
}  // namespace Ereigniscode

class Port : public QObject {
    Q_OBJECT
public:
    enum class Oeffnungsfehler { Keiner, GibtEsNicht, Belegt, KeineBerechtigung, Sonstiger };

    using QObject::QObject;
    ~Port() override = default;

    // Device path of the port ("/dev/ttyUSB0", a pseudo-terminal, "COM3").
    virtual void setDevice(const QString &device) = 0;
    virtual QString device() const = 0;

    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Why the last open() failed, and the system's wording of it.
    virtual Oeffnungsfehler letzterFehler() const = 0;
    virtual QString fehlertext() const = 0;

    // "19200,n,8,1"; false for a settings string the port cannot take.
    virtual bool setSettings(const QString &settings) = 0;
    virtual QString settings() const = 0;
    virtual int baud() const = 0;

    virtual void setDtr(bool on) = 0;
    virtual void setRts(bool on) = 0;
    // The DTR line as last set.
    virtual bool dtr() const { return false; }

    // Handshake: 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both. False, and the mode
    // unchanged, when the port cannot use it (fehlertext() tells why).
    virtual bool setHandshake(int modus) { return modus == 0; }
    // Whether the port can use that handshake at all (what a settings
    // dialog offers).
    virtual bool kannHandshake(int modus) const { return modus == 0; }
    virtual int handshake() const { return 0; }

    virtual void write(const QByteArray &bytes) = 0;
    // Every byte waiting in the input buffer.
    virtual QByteArray readAll() = 0;
    virtual void flushOutput() = 0;
    virtual void flushInput() = 0;
    // Bytes handed to the port that have not yet left it.
    virtual qint64 bytesToWrite() const = 0;
    // Blocks until the output has left the line driver; only for a speed change
    // right after a short write (never for long blocks on the UI thread).
    virtual void drain() = 0;
    // Takes the bytes the system holds for the port right now, without
    // waiting, and reports them as a receive event before it returns. A
    // tick calls it before it decides that nothing came back: after a
    // stall of the UI thread the tick's timer may run before the event
    // that would have delivered the waiting answer.
    virtual void abholen() {}

signals:
    // Event code 2 when bytes are waiting; 1001..1011 for line errors.
    void ereignis(int code);
    // The device went away (adapter pulled, other side closed). Sent once;
    // the port is closed by then.
    void verloren();
    // Bytes the port has handed to the line since the last signal.
    void gesendet(qint64 bytes);
};
