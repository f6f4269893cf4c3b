#pragma once
// The base of the small dialogs that edit one or two text fields of the
// terminal data: a field chosen from the keyboard or by the mouse shows its
// text selected, a Cancel and an OK button, and an OK that refuses a value
// with a message and gives the field the focus back, the dialog staying open.
// Each dialog keeps only its fields and its checks.

#include "base/Meldung.h"

#include <QDialog>
#include <QHash>
#include <functional>
#include <initializer_list>
#include <optional>

struct Zustand;
class QHBoxLayout;
class QKeyEvent;
class QLineEdit;
class QPushButton;

class Felddialog : public QDialog {
    Q_OBJECT
protected:
    // meldung: where refusals are shown; nullptr for a dialog that refuses nothing.
    Felddialog(Zustand &z, Meldung *meldung, const QString &formname, QWidget *parent);

    // What entering the field selects; the whole text when empty.
    using Markierung = std::function<void(QLineEdit *)>;
    void markiereBeimBetreten(QLineEdit *feld, Markierung markierung = {});
    // Key presses in the field go to taste() first.
    void beobachteTasten(QLineEdit *feld);

    enum class Rolle { Abbrechen, Ok };
    // A button that does not take Enter for itself: Cancel rejects, OK calls ok().
    QPushButton *knopf(const QString &text, const QString &name, Rolle rolle);
    // The buttons in a row, pushed to the right when rechts.
    static QHBoxLayout *knopfzeile(std::initializer_list<QPushButton *> knoepfe, bool rechts);

    // The value is refused: message text/titel, the focus back to feld.
    void abweisen(int text, int titel, QLineEdit *feld, Meldung::Symbol symbol = Meldung::Symbol::Ausrufezeichen);

    virtual void ok() = 0;
    // A key pressed in a watched field: true swallows it, false lets it
    // through, nothing leaves it to the dialog.
    virtual std::optional<bool> taste(QLineEdit *feld, QKeyEvent *taste);

    bool eventFilter(QObject *objekt, QEvent *ereignis) override;

    Zustand &m_z;

private:
    Meldung *m_meldung;
    QHash<QLineEdit *, Markierung> m_markierung;
};
