#pragma once
// The test mode window: shows the state of Testbetrieb (request and answer
// as byte codes, fault, skimming and data indicators, card data) and the
// movement log controls, and forwards the user's actions. Modal to the main
// window only, so that the RS485 monitor stays usable beside it.
// Test mode's answer store holds the stream exactly while it is shown.

#include "diag/Testbetrieb.h"

#include <QDialog>
#include <functional>

class Meldung;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class Testfenster : public QDialog {
    Q_OBJECT
public:
    Testfenster(Zustand &z, Verbindung &v, Meldung &meldung, QWidget *parent = nullptr);
    ~Testfenster() override;

    Testbetrieb &ablauf() { return *m_ablauf; }
    // The port is open again after its adapter went away: polling that
    // ended for the loss starts again.
    void portWiederDa();

    // Replaces the file dialog: (title, filter, folder, file name) -> chosen path or "".
    using Dateiwahl = std::function<QString(const QString &, const QString &, const QString &, const QString &)>;
    void setDateiwahl(Dateiwahl wahl) { m_dateiwahl = std::move(wahl); }
    // Shows the log (default: the desktop's text viewer, else a window of our own).
    void setAnzeiger(std::function<void(const QString &)> anzeiger) { m_anzeiger = std::move(anzeiger); }

protected:
    void showEvent(QShowEvent *ereignis) override;
    void hideEvent(QHideEvent *ereignis) override;
    bool eventFilter(QObject *objekt, QEvent *ereignis) override;

private:
    void laden();
    void anzeigen();
    void anlagennameWaehlen();
    void uebernehmen();
    void protokollFehler(const QString &pfad, const QString &grund);
    void portVerloren();

    Zustand &m_z;
    Verbindung &m_v;
    Meldung &m_meldung;
    Testbetrieb *m_ablauf;
    Empfangsrecht m_recht;
    Dateiwahl m_dateiwahl;
    std::function<void(const QString &)> m_anzeiger;
    bool m_hauptfensterVerborgen = false;
    bool m_verlorenBeimLaufen = false;

    QLineEdit *m_text1, *m_text2, *m_text3, *m_text4;
    QLabel *m_label3, *m_label4, *m_label6, *m_text5;
    QButtonGroup *m_betriebsart;
    QRadioButton *m_option1, *m_option2, *m_option3, *m_option5, *m_option4, *m_option7, *m_option6;
    QGroupBox *m_frame4;
    QCheckBox *m_check2;
    QPushButton *m_command1, *m_command3, *m_command4;
};
