#pragma once
// The read-out panel of the main window: shown once a terminal is
// identified, it runs the read-out (Ausleseablauf) from its button and
// shows its state. The main window asks what happens with the file.
//
// Controls by name: FrameAuslesen (this panel), CommandAuslesen,
// CommandNichtAuslesen, LabelStatus, ProgressBarAuslesen.

#include <QGroupBox>

struct Zustand;
class Verbindung;
class Anmeldung;
class Meldung;
class Ausleseablauf;
class QLabel;
class QProgressBar;
class QPushButton;

class Auslesepanel : public QGroupBox {
    Q_OBJECT
public:
    // A button caption from the text table: a run of three or more blanks
    // becomes a line break, blanks at the ends go.
    static QString beschriftung(const QString &text);
    Auslesepanel(Zustand &z, Verbindung &v, Anmeldung &anmeldung, Meldung &meldung, QWidget *parent = nullptr);

    Ausleseablauf &ablauf() { return *m_ablauf; }
    // Captions from the current text slice (after the language changed).
    void texteSetzen();
    // A terminal was identified: the panel with both buttons usable.
    void freigeben();

signals:
    // The main file is written (its full path), the panel is ready again.
    void fertig(const QString &datei);
    // A failure ending (its message is out), the panel is ready again.
    void fehlgeschlagen(int textnummer);

private:
    void bereitAnzeigen();

    Zustand &m_z;
    Ausleseablauf *m_ablauf;
    QPushButton *m_auslesen;
    QPushButton *m_nichtAuslesen;
    QLabel *m_status;
    QProgressBar *m_fortschritt;
};
