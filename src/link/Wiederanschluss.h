#pragma once
// Brings a lost USB adapter back: the port's adapter is known by its serial
// number and its by-id link while it is there; once it has gone, the list of
// serial devices is looked at on a timer, and when that same adapter is back
// (under its old or another /dev/ttyUSBn) the port opens on it again. A
// device that cannot be told for the same adapter is never opened instead.

#include "link/Geraeteliste.h"

#include <QObject>
#include <QString>
#include <QVector>
#include <functional>

class Port;
class QTimer;

class Wiederanschluss : public QObject {
    Q_OBJECT
public:
    // What tells the port's adapter from any other.
    struct Kennung {
        QString name;          // the name the port was opened with
        QString seriennummer;  // of a USB adapter; empty when it has none
        QString stabilerName;  // its by-id link; empty when none
        bool bekannt() const { return !seriennummer.isEmpty() || !stabilerName.isEmpty(); }
    };

    // The name to open the adapter of `kennung` on, among the devices listed
    // now; empty when it is not back or no device is surely that adapter
    // (nothing known of it, or two devices with its serial number).
    static QString entscheide(const Kennung &kennung, const QVector<Geraeteliste::Geraet> &jetzt);

    // The identity of the device `name` among the listed devices.
    static Kennung kennung(const QString &name, const QVector<Geraeteliste::Geraet> &jetzt,
                           const QString &ordner = Geraeteliste::standardOrdner());

    static constexpr int Abstand = 500;  // ms between two looks at the device list

    explicit Wiederanschluss(Port &port, QObject *parent = nullptr);
    void setGeraeteliste(std::function<QVector<Geraeteliste::Geraet>()> liste) { m_liste = std::move(liste); }

    // Notes the identity of the device the port has open now; call after
    // every open the user asked for (start, another port chosen).
    void merken();
    const Kennung &gemerkt() const { return m_kennung; }
    // Looking for the adapter after a loss.
    bool suchtNoch() const;
    // No more looking (the user chose another port, the program ends).
    void aufhoeren();

signals:
    // The port is open again, on `geraet`.
    void wiederDa(const QString &geraet);

private:
    void verloren();
    void nachsehen();

    Port &m_port;
    std::function<QVector<Geraeteliste::Geraet>()> m_liste;
    Kennung m_kennung;
    QTimer *m_timer;
};
