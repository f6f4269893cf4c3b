#pragma once
// A bus behind a FakePort for unit tests: every write comes back as echo,
// and the terminals of the table answer "X", "V", "P" and "E" the way the
// program expects them. Answers arrive from the event loop, never inside
// the write, as on a real line.

#include "link/FakePort.h"
#include "link/Telegramm.h"

#include <QByteArray>
#include <QMap>
#include <QTimer>

struct Testterminal {
    int protokoll = 0;
    QByteArray version = "Ver 2.07 KD 1 00";  // family character "1" at position 13
    QString passwort = QStringLiteral("123456");
    QByteArray speicher = QByteArray(2048, '\0');
    bool antwortet = true;
    bool versionsantwort = true;  // answers "V"
    int abbruchNach = -1;  // read-out answer stops after this many bytes
};

class Busattrappe : public QObject {
public:
    explicit Busattrappe(FakePort &port) : m_port(port)
    {
        connect(&port, &Port::gesendet, this, [this](qint64) { geschrieben(); });
    }

    QMap<int, Testterminal> terminals;
    bool echo = true;
    int stueckgroesse = 512;  // bytes per receive event for long answers

    // The answer of protocol 0 or 1 to "E", as the terminal sends it.
    static QByteArray ausleseantwort(const Testterminal &t)
    {
        QByteArray daten;
        for (const char b : t.speicher) {
            daten += char(0x30 + (quint8(b) & 0x0F));
            daten += char(0x30 + (quint8(b) >> 4));
        }
        QByteArray a;
        if (t.protokoll == 1) {
            a = QByteArray("\x02\x01" "E1", 4) + QByteArray(1, 'x');  // five bytes not inspected
            QByteArray geprueft = daten + char(Telegramm::ETX);
            a += geprueft + char(Telegramm::blockpruefung(geprueft));
        } else {
            a = QByteArray("\x02\x01", 2);  // two bytes not inspected
            QByteArray geprueft = QByteArray("K") + daten + char(Telegramm::ETX);
            a += geprueft + char(Telegramm::blockpruefung(geprueft));
        }
        return a;
    }

private:
    void liefere(const QByteArray &bytes)
    {
        for (int i = 0; i < bytes.size(); i += stueckgroesse) {
            const QByteArray stueck = bytes.mid(i, stueckgroesse);
            QTimer::singleShot(0, &m_port, [this, stueck] { m_port.inject(stueck); });
        }
    }

    void geschrieben()
    {
        const QByteArray w = m_port.writes().last().bytes;
        QByteArray zurueck = echo ? w : QByteArray();
        if (w.size() >= 5 && w.at(0) == Telegramm::STX) {
            const int adresse = quint8(w.at(1));
            const QByteArray befehl = w.mid(2, w.size() - 4);
            m_letzteAdresse = adresse;
            if (terminals.contains(adresse) && terminals[adresse].antwortet)
                zurueck += antwort(terminals[adresse], adresse, befehl);
        }
        if (!zurueck.isEmpty())
            liefere(zurueck);
    }

    QByteArray rahmen(int adresse, const QByteArray &inhalt)
    {
        QByteArray k = QByteArray(1, char(adresse)) + inhalt + char(Telegramm::ETX);
        return QByteArray(1, Telegramm::STX) + k + char(Telegramm::blockpruefung(k));
    }

    QByteArray antwort(const Testterminal &t, int adresse, const QByteArray &befehl)
    {
        if (befehl == "X") {
            if (t.protokoll == 1)
                return QByteArray("\x02") + char(adresse) + "X01A" + char(Telegramm::ETX) + 'c';
            return QByteArray("\x02") + char(adresse) + "X" + char('@' + t.protokoll) + char(Telegramm::ETX)
                   + 'c';
        }
        if (befehl == "V" && !t.versionsantwort)
            return QByteArray();
        if (befehl == "V")
            return rahmen(adresse, t.version.leftJustified(16, ' ', true));
        if (befehl.startsWith('P')) {
            if (befehl == QByteArray("P") + Telegramm::packePasswort(t.passwort))
                return rahmen(adresse, "J");
            return rahmen(adresse, "N");
        }
        if (befehl == "E") {
            QByteArray a = ausleseantwort(t);
            if (t.abbruchNach >= 0)
                a.truncate(t.abbruchNach);
            return a;
        }
        return QByteArray();
    }

    FakePort &m_port;
    int m_letzteAdresse = -1;
};
