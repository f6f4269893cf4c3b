#pragma once
// The logic of the port selection dialog: probes ports 1..16 through the
// port map, keeps the location names of orte.dat, switches the RS485 port
// and writes orte.dat and the port number into the settings file on OK.

#include "link/Geraeteliste.h"
#include "link/Port.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

struct Zustand;

class Schnittstellenwahl {
public:
    static constexpr int Ports = 16;
    static const QString LeererOrt;  // "-------"

    struct Eintrag {
        QString text;    // as the list shows it: "COM 2 OCCUPIED  ( Halle 3 )"
        QString geraet;  // the device behind it
        Port::Oeffnungsfehler fehler = Port::Oeffnungsfehler::Keiner;
        QString fehlertext;
        // What the system tells of the device (a USB adapter: description,
        // maker, serial number, its by-id link); empty when it does not list it.
        Geraeteliste::Geraet info;
    };

    // portnummer: the number currently set on the RS485 port; it changes
    // with the choice. The device of a number comes from the port map.
    Schnittstellenwahl(Zustand &z, Port &port, int &portnummer);
    void setGeraetequelle(std::function<QString(int)> quelle) { m_geraet = std::move(quelle); }
    // The serial devices the system lists (Geraeteliste::vorhandene).
    void setGeraeteliste(std::function<QVector<Geraeteliste::Geraet>()> liste) { m_liste = std::move(liste); }

    // Open: names from orte.dat (created empty when missing), port closed,
    // every port probed. Returns the index of the entry to show.
    int laden();
    const QVector<Eintrag> &eintraege() const { return m_eintraege; }
    int aktuellerPort() const { return m_aktuell; }
    QString ort(int port) const { return m_orte.value(port - 1); }
    QString ortText() const { return ort(m_aktuell); }

    // Choosing entry i: the typed name stays with the current port; a usable
    // entry's number becomes Portnummer and the port's number at once.
    // Returns the name to show for the new current port.
    QString waehle(int index, const QString &text1);
    void ortGeaendert(const QString &text1);

    // OK with entry i shown. orte.dat is written in any case. Opens the
    // port; if it does not open, the settings file stays as it is and
    // fehlermeldung tells why (the dialog stays open). Otherwise line 2 of
    // the settings file becomes the port number.
    bool ok(int index, QString *fehlermeldung);
    // Closing the dialog: the port opens again if it is closed.
    void schliessen();
    // For an entry whose device exists but may not be opened by this user:
    // how to get the permission. Empty for every other entry.
    QString hinweis(int index) const;

    // The lines that tell the entry's device: its path; for a device the
    // system lists, description, maker and serial number, and its stable
    // name where one exists.
    QStringList details(int index) const;
    // The entry's device has a by-id link the port map does not use yet.
    bool stabilerNameMoeglich(int index) const;
    // Puts the entry's by-id link into the port map in place of its device
    // path, so the port keeps its adapter when that comes back under another
    // /dev/ttyUSBn. The RS485 port follows when it is this port.
    bool stabilenNamenVerwenden(int index);

    // Characters 5 and 6 of an entry as a number ("1 " -> 1, "12" -> 12).
    static int nummer(const QString &eintrag);
    // Usable when "NC" stands nowhere in the entry.
    static bool nutzbar(const QString &eintrag);

    // orte.dat: lines 1..16 (further lines ignored); always 16 lines written.
    static QStringList leseOrte(const QString &pfad);
    static bool schreibeOrte(const QString &pfad, const QStringList &orte);

private:
    QString meldungFuer(const Eintrag &e, int nummer) const;

    Zustand &m_z;
    Port &m_port;
    int &m_portnummer;
    std::function<QString(int)> m_geraet;
    std::function<QVector<Geraeteliste::Geraet>()> m_liste;
    QStringList m_orte;
    QVector<Eintrag> m_eintraege;
    int m_aktuell = 1;
};
