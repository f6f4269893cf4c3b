#pragma once
// The bus model of portavo-sim in-process, as a device a SimPort opens by name: the simulator without
// a pseudo-terminal. It runs on its own clock (µs): real time plus every stretch skipped. Line time (10 bit times per byte at the port's
// speed, the turnaround) is skipped at once but counted; silences, delay faults and disappearances
// stay real. Echo and answers reach the port in pieces: a new one after a quiet byte time.
#include <QByteArray>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <deque>
#include <memory>

namespace sim {
class Bus;
}
class SimPort;

// Shares its interface with Simulator (portavo-sim on a pseudo-terminal): a template scenario runs on either.
class SimBus : public QObject {
    Q_OBJECT
public:
    using Port = SimPort;
    // A byte from the PC as the terminals got it: end of its line time (µs), speed, value.
    struct Byte {
        qint64 us;
        int baud;
        quint8 wert;
    };

    // A terminal of the scenario; password 246810 unless the extra keys say otherwise.
    static QJsonObject terminal(int adresse, int protokoll = 0, const QJsonObject &extra = {});

    explicit SimBus(QObject *parent = nullptr);
    ~SimBus() override;

    // Builds the bus (portavo-sim's scenario format). Options: "--no-echo", "--no-pacing" (no line
    // time counted), "--turnaround MS". Empty on success, otherwise why not.
    QString starten(const QJsonArray &terminals, const QStringList &optionen = {});
    // The same with a whole scenario object ("echo", "blockGapMs", "goneAtMs", ...).
    QString starten(const QJsonObject &szenario, const QStringList &optionen = {});

    // The name a SimPort opens ("sim:1", ...); each bus has its own.
    QString device() const { return m_device; }
    static SimBus *zuGeraet(const QString &device);

    // The terminal's memory in main-file format; empty when no terminal answers there.
    QByteArray speicher(int adresse) const;
    // Every byte received from the PC so far, from the ab-th on.
    QVector<Byte> verkehr(int ab = 0) const { return m_verkehr.mid(ab); }
    static QByteArray bytes(const QVector<Byte> &v);
    // The model's notes (logins refused, blocks accepted or refused, faults).
    QStringList notizen() const { return m_notizen; }
    // The bus clock now (µs since the start).
    qint64 jetztUs() const;
    // Nothing more comes by itself: all written has arrived and all answers reached the port.
    bool ruhig() const;

    // After a "gone" fault of the scenario: the port has lost the device and cannot open it again.
    bool weg() const { return m_weg; }

    // --- the port's side (SimPort) ---
    bool belegen(SimPort *port);
    // The speed the port has set; bytes take it when they start on the line.
    void setBaud(int baud) { m_baud = baud; }
    void freigeben(SimPort *port);
    void vomPc(const QByteArray &bytes);
    // Bytes written and not yet on the line's far end.
    qint64 unterwegs() const;
    void verwerfen();  // flush output: what has not started on the line goes
    // Everything written so far starts on the line now, at the speed set now.
    void leeren() { pumpen(); }

private:
    void pumpen();
    void zustellen();
    void planen();
    void verschwinden();
    QString aufbauen(const QByteArray &json, const QStringList &optionen);

    std::unique_ptr<sim::Bus> m_bus;
    QString m_device;
    QPointer<SimPort> m_port;
    QElapsedTimer m_uhr;
    qint64 m_vorlaufUs = 0;
    int m_baud = 19200;
    bool m_weg = false;
    QByteArray m_ausstehend;  // written, not yet handed to the model
    qint64 m_angekommen = 0;  // bytes the model has received
    qint64 m_uebergeben = 0;  // bytes handed to the model
    qint64 m_gemeldet = 0;    // of those, reported to the port as sent
    QVector<Byte> m_verkehr;
    QStringList m_notizen;
    std::deque<QByteArray> m_stuecke;  // echo and answers on their way to the port
    qint64 m_letzteAusgabeUs = -1;
    QTimer m_pumpe;
    QTimer m_zustellung;
};
