#pragma once
// What the two card record dialogs (Kartendialog, Kundendatendialog) share:
// the caption of the card or group and their row of buttons.

#include <QString>
#include <functional>

struct Uebergabe;
class QDialog;
class QGroupBox;
class QHBoxLayout;
class QLabel;

namespace Kartendialogteile {

// "0042" for one card (after praefix, e.g. "B " on page 2), "0040-0042"
// for a group from Gruppenanfang to Eintragsnummer.
QString kartenbereich(const Uebergabe &u, int karte, bool gruppe, const QString &praefix = QString());

// The first frame, Frame1 (text 208): Label1 with the card or group, Label2
// for its state (the caller sets it), in a row (Frame1's layout). Clears the
// hand-over's answer (zones, result) first.
struct Kopf {
    QGroupBox *rahmen = nullptr;
    QHBoxLayout *zeile = nullptr;
    QLabel *zustand = nullptr;  // Label2
    int karte = 0;              // the entry, within the card range
    bool gruppe = false;        // several consecutive cards
};
Kopf kopf(QDialog *dialog, Uebergabe &u, const QString &praefix, const std::function<QString(int)> &text);

// Command2 (authorize), Command3 (block) and Command1 (cancel, rejects the
// dialog) with the captions of texts 211, 212, 201 of the slice loaded.
QHBoxLayout *knopfzeile(QDialog *dialog, const std::function<QString(int)> &text,
                        const std::function<void()> &berechtigen, const std::function<void()> &sperren);

}  // namespace Kartendialogteile
