#include "link/SerialPort.h"

#include "link/Geraetezugang.h"

#include <QMetaObject>
#include <QTimer>


SerialPort::SerialPort(QObject *parent) : Port(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialPort::datenDa);
    connect(&m_port, &QSerialPort::bytesWritten, this, [this](qint64 n) { emit gesendet(n); });
}

SerialPort::~SerialPort()
{
    // Quietly: no signals from a port that is being destroyed.
    disconnect(m_fehlerVerbindung);
    m_port.disconnect(this);
    if (m_port.isOpen())
        m_port.close();
}

void SerialPort::setDevice(const QString &device)
{
    m_device = device;
}

Port::Oeffnungsfehler SerialPort::einordnen(QSerialPort::SerialPortError fehler, bool zugriffErlaubt)
{
    switch (fehler) {
    case QSerialPort::NoError:
        return Oeffnungsfehler::Keiner;
    case QSerialPort::DeviceNotFoundError:
        return Oeffnungsfehler::GibtEsNicht;
    case QSerialPort::PermissionError:
        return zugriffErlaubt ? Oeffnungsfehler::Belegt : Oeffnungsfehler::KeineBerechtigung;
    default:
        return Oeffnungsfehler::Sonstiger;
    }
}

bool SerialPort::anwenden()
{
    static const QSerialPort::Parity paritaet[] = {QSerialPort::NoParity, QSerialPort::EvenParity,
                                                   QSerialPort::OddParity, QSerialPort::MarkParity,
                                                   QSerialPort::SpaceParity};
    const int p = int(QByteArrayLiteral("neoms").indexOf(m_settings.parity));
    const QSerialPort::StopBits stop = m_settings.stopBits == 20   ? QSerialPort::TwoStop
                                       : m_settings.stopBits == 15 ? QSerialPort::OneAndHalfStop
                                                                   : QSerialPort::OneStop;
    bool ok = m_port.setBaudRate(m_settings.baud);
    ok = m_port.setParity(paritaet[p < 0 ? 0 : p]) && ok;
    ok = m_port.setDataBits(QSerialPort::DataBits(m_settings.dataBits)) && ok;
    ok = m_port.setStopBits(stop) && ok;
    ok = m_port.setFlowControl(m_handshake == 1   ? QSerialPort::SoftwareControl
                               : m_handshake == 2 ? QSerialPort::HardwareControl
                                                  : QSerialPort::NoFlowControl) &&
         ok;
    return ok;
}

bool SerialPort::setSettings(const QString &settings)
{
    const auto s = LineSettings::parse(settings);
    if (!s)
        return false;
    const LineSettings vorher = m_settings;
    m_settings = *s;
    if (!m_port.isOpen())
        return true;
    bool ok = anwenden();
    if (!ok) {
        // The device refuses (a pseudo-terminal takes neither parity nor
        // fewer than 8 data bits): keep what it had.
        m_fehlertext = m_port.errorString();
        m_settings = vorher;
        anwenden();
    }
    // A refused setting leaves an error behind that is no port failure.
    m_port.clearError();
    return ok;
}

bool SerialPort::open()
{
    if (m_port.isOpen())
        return true;
    m_fehler = Oeffnungsfehler::Keiner;
    m_fehlertext.clear();
    m_verloren = false;

    m_port.setPortName(m_device);
    anwenden();
    m_port.clearError();
    if (m_device.isEmpty() || !m_port.open(QIODevice::ReadWrite)) {
        const bool zugriff = Geraetezugang::zugriffErlaubt(m_device);
        m_fehler = m_device.isEmpty() ? Oeffnungsfehler::GibtEsNicht : einordnen(m_port.error(), zugriff);
        if (m_fehler == Oeffnungsfehler::Keiner)
            m_fehler = Oeffnungsfehler::Sonstiger;
        m_fehlertext = m_port.errorString();
        m_port.clearError();
        return false;
    }

    // A pseudo-terminal has no modem lines: both calls fail there with an
    // unsupported operation, which leaves the port perfectly usable.
    m_port.setDataTerminalReady(false);
    m_port.setRequestToSend(false);
    // Bytes that reached the device before it was opened answer nobody's
    // request here (the echo of a previous program's last ACK, noise of
    // the adapter being plugged in); they would stand in front of the
    // first answer.
    m_port.clear(QSerialPort::Input);
    m_port.clearError();

    m_fehlerVerbindung =
        connect(&m_port, &QSerialPort::errorOccurred, this, &SerialPort::fehlerAufgetreten);
    zaehlerMerken();
    return true;
}

void SerialPort::close()
{
    disconnect(m_fehlerVerbindung);
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
    m_zaehlerGueltig = false;
}

void SerialPort::fehlerAufgetreten(QSerialPort::SerialPortError fehler)
{
    switch (fehler) {
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
    case QSerialPort::WriteError:
        break;
    default:
        // Unsupported operations (modem lines of a pseudo-terminal), time-outs:
        // the port goes on working.
        return;
    }
    if (m_verloren)
        return;
    // The device is gone. Qt would repeat this error for as long as the port
    // stays open, at full speed: stop listening now, close once control is
    // back in the event loop (not inside Qt's own notification), report once.
    m_verloren = true;
    disconnect(m_fehlerVerbindung);
    m_fehlertext = m_port.errorString();
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_port.isOpen())
                m_port.close();
            m_port.clearError();
            m_zaehlerGueltig = false;
            emit verloren();
        },
        Qt::QueuedConnection);
}

void SerialPort::datenDa()
{
    const int code = neuerLeitungsfehler();
    emit ereignis(code ? code : Ereigniscode::Empfangen);
}

// Qt 6 no longer reports framing, parity, break or overrun. Where the driver
// counts them (real UARTs and most USB adapters under Linux) a rising counter
// turns the receive event into the matching line error event. Pseudo-terminals
// have no counters; their events stay plain receive events.
void SerialPort::zaehlerMerken()
{
    const Geraetezugang::Leitungszaehler z = Geraetezugang::zaehler(m_port.handle());
    m_zaehlerGueltig = z.gueltig;
    if (z.gueltig) {
        m_zaehler[0] = z.rahmen;
        m_zaehler[1] = z.paritaet;
        m_zaehler[2] = z.unterbrechung;
        m_zaehler[3] = z.ueberlauf;
    }
}

int SerialPort::neuerLeitungsfehler()
{
    if (!m_zaehlerGueltig)
        return 0;
    const int alt[4] = {m_zaehler[0], m_zaehler[1], m_zaehler[2], m_zaehler[3]};
    zaehlerMerken();
    if (!m_zaehlerGueltig)
        return 0;
    if (m_zaehler[2] != alt[2])
        return Ereigniscode::Break;
    if (m_zaehler[0] != alt[0])
        return Ereigniscode::Framing;
    if (m_zaehler[1] != alt[1])
        return Ereigniscode::Parity;
    if (m_zaehler[3] != alt[3])
        return Ereigniscode::Overrun;
    return 0;
}

bool SerialPort::setHandshake(int modus)
{
    if (modus < 0 || modus > 3) {
        m_fehlertext = QStringLiteral("Unknown handshake mode %1").arg(modus);
        return false;
    }
    if (modus == 3) {
        m_fehlertext = QStringLiteral("XON/XOFF and RTS/CTS flow control cannot be used together on this port");
        return false;
    }
    const int vorher = m_handshake;
    m_handshake = modus;
    if (m_port.isOpen() && !anwenden()) {
        m_fehlertext = m_port.errorString();
        m_handshake = vorher;
        anwenden();
        m_port.clearError();
        return false;
    }
    return true;
}

void SerialPort::setDtr(bool on)
{
    m_dtr = on;
    if (m_port.isOpen()) {
        m_port.setDataTerminalReady(on);
        m_port.clearError();
    }
}

void SerialPort::setRts(bool on)
{
    if (m_port.isOpen()) {
        m_port.setRequestToSend(on);
        m_port.clearError();
    }
}

void SerialPort::write(const QByteArray &bytes)
{
    if (!m_port.isOpen() || bytes.isEmpty())
        return;
    m_port.write(bytes);
    // QSerialPort only queues the bytes until the event loop next looks at
    // the device. Hand them to the driver now (flush() never blocks): a
    // request must leave when its tick sends it, or a stalled UI thread
    // would make the next tick see no echo of a request still queued here.
    m_port.flush();
}

QByteArray SerialPort::readAll()
{
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

void SerialPort::flushOutput()
{
    if (m_port.isOpen())
        m_port.clear(QSerialPort::Output);
}

void SerialPort::flushInput()
{
    if (m_port.isOpen())
        m_port.clear(QSerialPort::Input);
}

qint64 SerialPort::bytesToWrite() const
{
    if (!m_port.isOpen())
        return 0;
    qint64 n = m_port.bytesToWrite();
    n += Geraetezugang::imTreiber(m_port.handle());
    return n;
}

void SerialPort::abholen()
{
    // A zero time-out only looks: readyRead (and so the receive event)
    // comes at once when bytes are waiting, and nothing blocks.
    if (m_port.isOpen())
        m_port.waitForReadyRead(0);
}

void SerialPort::drain()
{
    if (!m_port.isOpen())
        return;
    // Hand Qt's buffer to the driver first (flush() writes without reading,
    // so no receive event runs in here), then wait for the driver.
    for (int i = 0; i < 64 && m_port.bytesToWrite() > 0; ++i) {
        if (!m_port.flush())
            break;
    }
    Geraetezugang::ausgabeAbwarten(m_port.handle());
}
