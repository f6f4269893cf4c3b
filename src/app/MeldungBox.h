#pragma once
// Meldung as a QMessageBox, modal over the dialog that asks or the main window.

#include "base/Meldung.h"

class QWidget;

class MeldungBox : public Meldung {
public:
    explicit MeldungBox(QWidget *eltern = nullptr) : m_eltern(eltern) {}
    void setEltern(QWidget *eltern) { m_eltern = eltern; }
    int zeige(const QString &text, const QString &titel, Knoepfe knoepfe, Symbol symbol, int textnummer,
              int titelnummer) override;
    using Meldung::zeige;

private:
    QWidget *m_eltern;
};
