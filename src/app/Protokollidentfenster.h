#pragma once
// The protocol selection window before a write: shows the state of
// Protokollidentifikation and forwards the user's actions to it. Accepted
// (QDialog::Accepted) exactly when ProtokollGewaehlt was set.

#include "diag/Protokollidentifikation.h"

#include <QDialog>
#include <QVector>

class QLineEdit;
class QRadioButton;
class QPushButton;

class Protokollidentfenster : public QDialog {
    Q_OBJECT
public:
    Protokollidentfenster(Zustand &z, Verbindung &v, Meldung &meldung, QWidget *parent = nullptr);

    Protokollidentifikation &ident() { return *m_ident; }
    void done(int ergebnis) override;

signals:
    // The main window's version display.
    void versionAnzeigen(const QString &version);

protected:
    bool eventFilter(QObject *objekt, QEvent *ereignis) override;

private:
    void felderZeigen();

    Zustand &m_z;
    Protokollidentifikation *m_ident;
    QLineEdit *m_text1;
    QLineEdit *m_text2;
    QVector<QRadioButton *> m_ptk;
    QPushButton *m_cd2;
};
