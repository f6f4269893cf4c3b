#pragma once
// The lines of the RS485 diagnosis monitor as a list model: every received
// byte as its decimal code, every telegram or control string the program
// sends between "**" markers. Each line carries the milliseconds since the
// monitor opened and its direction.
//
// Lines arrive in bursts (a read-out brings some 4 100 in two seconds), so
// they are collected and handed to the view in batches. While paused they
// are still taken and counted, and shown when the pause ends.

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QVector>

class Monitormodell : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int Grenze = 25000;     // the list is emptied from this many lines on
    static constexpr int Sammelzeit = 50;    // ms between two batches shown

    enum Rolle {
        ZeileRolle = Qt::UserRole + 1,  // the line as the traffic gave it ("65", "**06**")
        ZeitRolle,                      // ms since the monitor opened (qint64)
        GesendetRolle,                  // true for a line the program sent
    };

    struct Eintrag {
        qint64 ms;
        QString zeile;
    };

    explicit Monitormodell(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // One line of traffic (connected to Verbindung::monitorZeile).
    void zeile(const QString &zeile);
    // Shows the lines collected so far at once (otherwise within Sammelzeit).
    void nachtragen();
    void leeren();
    // The one-second trim: empties the list when it holds Grenze lines or
    // more, lines still waiting to be shown included. True when it did.
    bool trimmen();

    void setPause(bool pause);
    bool pause() const { return m_pause; }
    // Lines taken but not shown yet (held back by the pause or the batch).
    int wartend() const { return int(m_neu.size()); }
    // Lines in the list, shown or waiting.
    int anzahl() const { return int(m_zeilen.size() + m_neu.size()); }

    QString zeileText(int zeile) const;
    // "  1234 ms  →  **<02>...**": time, direction (→ sent, ← received), line.
    static QString anzeige(const Eintrag &e);
    static bool istGesendet(const QString &zeile) { return zeile.startsWith(QLatin1String("**")); }
    // The bytes of a marker line in hexadecimal ("02 11 53 03 41"); empty
    // for a line that is no marker line.
    static QString hexAnsicht(const QString &zeile);

    // Every line of the list (shown and waiting) as text, CR LF, Windows
    // code page. False, with the reason in grund, when the file cannot be
    // written; an existing file is then left as it was.
    bool exportieren(const QString &pfad, QString *grund = nullptr) const;

private:
    QVector<Eintrag> m_zeilen;
    QVector<Eintrag> m_neu;
    QElapsedTimer m_uhr;
    QTimer m_sammler;
    bool m_pause = false;
};
