#pragma once
// The backups window "frmSicherungen": the backups kept of the terminal at
// hand (newest first: time, version, the file written over it), and for the
// one selected what writing it back would change against the file now
// chosen for writing. "zurückschreiben" hands the backup's main file to the
// write path (zurueckschreiben()), which backs the terminal up again before
// it writes. A backup whose main file cannot be read is refused with the
// reason. The number of backups kept per terminal is set here.
//
// Controls by name: LabelTerminal, ListeSicherungen, LabelVergleich,
// ListeVergleich, SpinBehalten, CommandZurueckschreiben, CommandSchliessen.

#include "termfile/Sicherungsablage.h"

#include <QDialog>

struct Zustand;
class Meldung;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTreeWidget;

class Sicherungsfenster : public QDialog {
    Q_OBJECT
public:
    // wurzel: the backup store's root; schreibdatei: the file chosen for
    // writing ("" when none).
    Sicherungsfenster(Zustand &z, Meldung &meldung, const QString &wurzel, const QString &anlage,
                      const QString &schreibdatei, QWidget *parent = nullptr);

    const QVector<Sicherungsablage::Eintrag> &eintraege() const { return m_eintraege; }

signals:
    // The backup's main file, to be written into the terminal.
    void zurueckschreiben(const QString &hauptdatei);

private:
    void gewaehlt();
    void schreibeZurueck();
    QString text(int nummer) const;

    Zustand &m_z;
    Meldung &m_meldung;
    QString m_schreibdatei;
    QVector<Sicherungsablage::Eintrag> m_eintraege;

    QTreeWidget *m_liste;
    QLabel *m_vergleichKopf;
    QListWidget *m_vergleich;
    QSpinBox *m_behalten;
    QPushButton *m_zurueck;
};
