#pragma once
// The address identification window: shows the state of Adressidentifikation
// and forwards the user's actions to it.

#include "diag/Adressidentifikation.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class Adressidentfenster : public QDialog {
    Q_OBJECT
public:
    Adressidentfenster(Zustand &z, Verbindung &v, Meldung &meldung, QWidget *parent = nullptr);

    Adressidentifikation &ident() { return *m_ident; }
    void done(int ergebnis) override;

protected:
    bool eventFilter(QObject *objekt, QEvent *ereignis) override;

private:
    void listeZeigen();

    Zustand &m_z;
    Adressidentifikation *m_ident;
    Empfangsrecht m_recht;  // the identification's store, while the window lives
    QLineEdit *m_text1;
    QListWidget *m_list3;
    QPushButton *m_command2 = nullptr;
    QPushButton *m_command1;
    QPushButton *m_command3;
};
