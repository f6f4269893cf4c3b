#pragma once
// The program's one file dialog. Every file choice (Datei / Laden, the
// write command's file, the editor's Save as) goes through it, so the
// text table's filters ("name|*.S2D|name|*.*") are turned into dialog
// filters in this one place.
//
// Main files are found whatever the case of their extension: a filter
// pattern offers both its upper-case and its lower-case form ("*.S2D
// *.s2d"), so a "t7.s2d" copied from another system shows like "T7.S2D".
// The dialog is always Qt's own, never the desktop's native one, so that
// the filters behave the same on every platform.

#include "app/Dateiarten.h"

#include <QFileDialog>

class Dateidialog : public QFileDialog {
    Q_OBJECT
public:
    // tabellenfilter in the text table's form "name|pattern|name|pattern".
    Dateidialog(QWidget *parent, const QString &titel, const QString &ordner, const QString &tabellenfilter);

    // "name|*.S2D|name|*.*" -> "name (*.S2D *.s2d);;name (*.*)". Several
    // patterns of one entry ("*.S2D;*.S3D" or "*.S2D *.S3D") each get both
    // cases; a trailing name without a pattern is dropped.
    static QString qtFilter(const QString &tabellenfilter);
    // The patterns of one text-table filter, both cases, for matching by hand.
    static QStringList muster(const QString &tabellenfilter);

    // Open dialog for an existing file: the chosen path, or empty when cancelled.
    static QString oeffnen(QWidget *parent, const QString &titel, const QString &tabellenfilter,
                           const QString &ordner, const QString &name,
                           const QString &objektname = QStringLiteral("Dateidialog"));
    // Save dialog: any name; default suffix appended when the name has none.
    // Overwriting is asked by the caller, not by the dialog, unless
    // ueberschreibenFragen. Empty when cancelled.
    static QString speichern(QWidget *parent, const QString &titel, const QString &tabellenfilter,
                             const QString &ordner, const QString &name, const QString &endung,
                             const QString &objektname = QStringLiteral("Dateidialog"),
                             bool ueberschreibenFragen = false);

private:
    Dateiarten m_arten;
};
