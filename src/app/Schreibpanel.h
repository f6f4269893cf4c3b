#pragma once
// The write panel of the main window ("    Schreibablauf PORTAVO") with the
// write command that prepares it and the "Trouble" menu item. It drives the
// write workflow (Schreibablauf: write sequence and recovery scan) and shows
// its state; the main window embeds the panel (hidden until a file is
// chosen) and forwards its two menu items:
//
//   PORTAVO &beschreiben -> schreibbefehl()
//   Tro&uble             -> troubleStarten()
//
// Controls by name: FrameSchreiben (this panel), FrameDatei, LabelDatei,
// FrameSchreibknopf, CommandSchreiben, CommandSchreibenAbbrechen,
// ProgressBar1 (0..2045), CheckSicherung, LabelSicherung.
//
// With "Sicherung vor dem Schreiben" ticked (the stored setting) the write
// button first backs the terminal's memory up under the data folder and
// shows what the write changes (Vergleichsdialog) before anything goes out;
// unticked, the panel says that no backup is made.

#include <QGroupBox>
#include <functional>
#include <memory>

struct Zustand;
class Verbindung;
class Anmeldung;
class Meldung;
class Schreiben;
class Schreibablauf;
class Troublesuche;
class QCheckBox;
class QLabel;
class Sicherungsablage;
class QProgressBar;
class QProgressDialog;
class QPushButton;

class Schreibpanel : public QGroupBox {
    Q_OBJECT
public:
    Schreibpanel(Zustand &z, Verbindung &v, Anmeldung &anmeldung, Meldung &meldung, QWidget *parent = nullptr);
    ~Schreibpanel() override;

    Schreibablauf &ablauf() { return *m_ablauf; }
    Schreiben &schreiben();
    Troublesuche &trouble();

    // The file dialog: (title, filter, folder, file name) -> chosen path or "".
    using Dateiwahl = std::function<QString(const QString &, const QString &, const QString &, const QString &)>;
    void setDateiwahl(Dateiwahl wahl) { m_dateiwahl = std::move(wahl); }
    // A modal dialog; the result is read from the shared state afterwards.
    // Defaults: Passwortdialog (PasswortOK) and Protokollidentfenster (ProtokollGewaehlt).
    using Dialog = std::function<void()>;
    void setPasswortdialog(Dialog d) { m_passwortdialog = std::move(d); }
    void setProtokolldialog(Dialog d) { m_protokolldialog = std::move(d); }

    // The installation the terminal belongs to (modem operation), for the
    // backup's folder; unset: none.
    void setAnlage(std::function<QString()> anlage) { m_anlage = std::move(anlage); }
    // The write button: the backup as the check box says, then the write.
    void schreibknopf();
    // The write command with pfad as the file chosen (no file dialog); once
    // the panel is ready the write button is pressed, so the write runs its
    // password, backup and comparison as always.
    void schreibeDatei(const QString &pfad);

    // Captions from the current text slice (after the language changed).
    void texteSetzen();
    // The file chosen for writing.
    QString datei() const;

    // "PORTAVO &beschreiben": question 144 when nothing is identified, the
    // file dialog, the load routine, the protocol identification, then the
    // panel. In repair mode (Schreiben::reparatur()) without question and protocol
    // identification, and with the repair caption and notice.
    void schreibbefehl();
    // "Tro&uble": the recovery scan; its repair question may lead back
    // into schreibbefehl() in repair mode.
    void troubleStarten();

signals:
    // Step 1 of the write command: the read-out panel goes away.
    void auslesePanelVerbergen();
    // The version string from the protocol identification.
    void versionAnzeigen(const QString &version);
    // The chosen file becomes the main window's current file name.
    void dateiGewaehlt(const QString &datei);
    // A write or a scan runs (the main window may lock its menus).
    void laeuftGeaendert(bool laeuft);

private:
    void bereit(bool reparatur);
    void beendet(int textnummer);
    void sanduhr(bool an);
    void standardPasswortdialog();
    void standardProtokolldialog();
    static void faerbe(QPushButton *knopf, bool bereit);
    void sicherungGewaehlt(bool an);
    QString text(int nummer) const;

    Zustand &m_z;
    Anmeldung &m_anmeldung;
    Meldung &m_meldung;
    Verbindung &m_v;
    Schreibablauf *m_ablauf;
    Dateiwahl m_dateiwahl;
    Dialog m_passwortdialog;
    Dialog m_protokolldialog;
    bool m_sanduhr = false;
    std::function<QString()> m_anlage;
    std::unique_ptr<Sicherungsablage> m_ablage;
    QString m_vorgabe;          // schreibeDatei(): the file instead of the dialog
    bool m_selbstSchreiben = false;  // schreibeDatei(): press the button once ready

    QGroupBox *m_frameDatei;
    QLabel *m_dateiLabel;
    QGroupBox *m_frameSchreiben;
    QPushButton *m_schreibknopf;
    QPushButton *m_abbrechen;
    QProgressBar *m_fortschritt;
    QCheckBox *m_sicherung;
    QLabel *m_sicherungsstand;
    QProgressDialog *m_troublefortschritt = nullptr;
};
