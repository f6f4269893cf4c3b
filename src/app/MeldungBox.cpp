#include "app/MeldungBox.h"

#include <QApplication>
#include <QMessageBox>

int MeldungBox::zeige(const QString &text, const QString &titel, Knoepfe knoepfe, Symbol symbol, int textnummer,
                      int)
{
    // Over the window it belongs to: the modal dialog that asks, else the
    // main window. The active window is no guide: while the program is not
    // in front there is none, and the box would open in the screen centre.
    QWidget *eltern = QApplication::activeModalWidget();
    if (!eltern)
        eltern = m_eltern ? m_eltern : QApplication::activeWindow();
    QMessageBox box(eltern);
    box.setObjectName(QStringLiteral("Meldung"));
    box.setProperty("textnummer", textnummer);
    box.setWindowTitle(titel);
    box.setText(text);
    switch (symbol) {
    case Symbol::Ausrufezeichen:
        box.setIcon(QMessageBox::Warning);
        break;
    case Symbol::Kritisch:
        box.setIcon(QMessageBox::Critical);
        break;
    case Symbol::Frage:
        box.setIcon(QMessageBox::Question);
        break;
    case Symbol::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Symbol::Keins:
        break;
    }
    switch (knoepfe) {
    case Knoepfe::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Knoepfe::OkAbbrechen:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Knoepfe::JaNein:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Knoepfe::AbbrechenWiederholenIgnorieren:
        box.setStandardButtons(QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Cancel:
        return Abbrechen;
    case QMessageBox::Yes:
        return Ja;
    case QMessageBox::No:
        return Nein;
    case QMessageBox::Abort:
        return Abbruch;
    case QMessageBox::Retry:
        return Wiederholen;
    case QMessageBox::Ignore:
        return Ignorieren;
    default:
        return Ok;
    }
}
