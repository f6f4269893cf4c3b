#pragma once
// The movement log in a read-only window of the program's own: for a
// system on which no viewer for text files can be started. It names the
// file, shows its end (the newest movements) and reads it again on request.

#include <QDialog>
#include <QUrl>
#include <functional>

struct Zustand;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class Bewegungsanzeige : public QDialog {
    Q_OBJECT
public:
    // More than this is not read; a longer log shows its end.
    static constexpr qint64 Hoechstens = 4 * 1024 * 1024;

    Bewegungsanzeige(Zustand &z, const QString &pfad, QWidget *parent = nullptr, qint64 hoechstens = Hoechstens);

    QString pfad() const { return m_pfad; }
    // Reads the file again and shows its last line.
    void aktualisieren();

    // "anzeigen": the log in the desktop's viewer for text; when none can be
    // started, in the window of parent for it (made once, then read again).
    // Returns that window, or nullptr when the desktop's viewer took the file.
    using Desktop = std::function<bool(const QUrl &)>;
    static Bewegungsanzeige *zeige(Zustand &z, const QString &pfad, QWidget *parent, const Desktop &desktop);
    static Bewegungsanzeige *zeige(Zustand &z, const QString &pfad, QWidget *parent);

private:
    Zustand &m_z;
    QString m_pfad;
    qint64 m_hoechstens;
    QLabel *m_datei;
    QLabel *m_hinweis;
    QPlainTextEdit *m_text;
};
