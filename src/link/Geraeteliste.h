#pragma once
// The serial devices this machine has, and what names a USB adapter for
// good: its serial number and its link under /dev/serial/by-id, which stay
// the same when the adapter comes back as another /dev/ttyUSBn.

#include <QString>
#include <QVector>
#include <functional>

namespace Geraeteliste {

// Where udev keeps a link per serial device, named after maker, product and
// serial number; PORTAVO_SERIAL_BY_ID names another folder (the tests'
// links to pseudo-terminals).
QString standardOrdner();

struct Geraet {
    QString geraet;        // the device node: /dev/ttyUSB0
    QString beschreibung;  // product description
    QString hersteller;
    QString seriennummer;
    QString stabilerName;  // the link in the by-id folder that points to it; empty when none does
    bool usb = false;      // a USB device (it has a vendor id)
};

// The link in `ordner` that resolves to the same device as `name` (which
// may itself be a link); `name` itself when it already lies in `ordner`.
// Empty when the device is not there or no link names it.
QString stabilerName(const QString &name, const QString &ordner = standardOrdner());

// The device a name stands for, every link followed; empty when it is not
// there.
QString aufgeloest(const QString &name);

// Port numbers 1..16 whose port map entry (karte(n)) names the device of
// `name`, by the same path or through a link.
QVector<int> portnummern(const QString &name, const std::function<QString(int)> &karte);

// The serial devices the system lists now (no pseudo-terminals), and each
// device a link in `ordner` names that the system did not list, sorted by
// device, each with its stable name from `ordner`.
QVector<Geraet> vorhandene(const QString &ordner = standardOrdner());

}  // namespace Geraeteliste
