#pragma once
// The differences between two terminal memories as a list, in two forms:
//
//   Frage    "frmVergleich": before a write, what the write changes in the
//            terminal, with Continue and Cancel (exec() == Accepted goes on);
//   Anzeige  "frmUnterschiede": the editor's comparison, with Close.
//
// Equal memories say so instead of an empty list.
//
// Controls by name: ListeUnterschiede, LabelKopf, CommandWeiter,
// CommandAbbrechen (Frage), CommandSchliessen (Anzeige).

#include <QDialog>

struct Zustand;
struct Dateivergleich;
class QListWidget;

class Vergleichsdialog : public QDialog {
    Q_OBJECT
public:
    enum class Art { Frage, Anzeige };
    // kopf: a line above the list (what is compared with what), may be empty.
    Vergleichsdialog(const Zustand &z, const Dateivergleich &v, Art art, const QString &kopf,
                     QWidget *parent = nullptr);

    QListWidget *liste() const { return m_liste; }

private:
    QListWidget *m_liste;
};
