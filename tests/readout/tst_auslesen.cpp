// Login and read-out against a FakePort bus: bytes sent, files written,
// and every failure ending.

#include "Busattrappe.h"
#include "link/Anmeldung.h"
#include "link/Auslesen.h"
#include "link/Verbindung.h"
#include "shell/MeldungAufnahme.h"
#include "shell/Programmstart.h"
#include "shell/Texttabelle.h"
#include "shell/Zustand.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QByteArray muster(int saat)
{
    QByteArray m(2048, '\0');
    for (int i = 0; i < m.size(); ++i)
        m[i] = char((i * 7 + saat) & 0xFF);
    return m;
}
}  // namespace

class TestAuslesen : public QObject {
    Q_OBJECT

    struct Aufbau {
        Zustand z;
        FakePort port;
        Busattrappe bus{port};
        Verbindung v{z};
        MeldungAufnahme meldung;
        Anmeldung anmeldung{z, v};
        Auslesen auslesen{z, v, anmeldung, meldung};

        explicit Aufbau(int protokoll, const QString &passwort = QStringLiteral("123456"))
        {
            Texttabelle::ladeTexte(z, 101, 178);
            Programmstart::rs485Betrieb(z);
            port.open();
            v.setPort(&port);
            z.Adresse = 1;
            z.Protokoll = qint16(protokoll);
            Testterminal t;
            t.protokoll = protokoll;
            t.speicher = muster(protokoll);
            bus.terminals.insert(1, t);
            z.Passwort = Telegramm::packePasswort(passwort);
        }
        // Runs until the read-out ends; returns the text number (0 = success).
        int lauf(int grenzeMs = 8000)
        {
            QSignalSpy fertig(&auslesen, &Auslesen::fertig);
            QSignalSpy fehler(&auslesen, &Auslesen::fehlgeschlagen);
            if (!auslesen.starte())
                return -2;
            if (!QTest::qWaitFor([&] { return fertig.count() + fehler.count() > 0; }, grenzeMs))
                return -3;
            return fehler.isEmpty() ? 0 : fehler.first().first().toInt();
        }
    };

    QTemporaryDir m_ordner;
    QString m_vorher;

private slots:
    void init()
    {
        m_vorher = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_ordner.path()));
        QFile::remove(QStringLiteral("PORTAVO.S2D"));
        QFile::remove(QStringLiteral("PORTAVO.B2D"));
    }
    void cleanup() { QDir::setCurrent(m_vorher); }

    void liestBeideProtokolleInDatei_data()
    {
        QTest::addColumn<int>("protokoll");
        QTest::addColumn<int>("bytes");
        QTest::newRow("Protokoll 0") << 0 << 4107;
        QTest::newRow("Protokoll 1") << 1 << 4109;
    }
    void liestBeideProtokolleInDatei()
    {
        QFETCH(int, protokoll);
        QFETCH(int, bytes);
        Aufbau a(protokoll);
        {
            QFile alt(QStringLiteral("PORTAVO.B2D"));
            QVERIFY(alt.open(QIODevice::WriteOnly));
            alt.write("Kommentar einer alten Datei\r\n");
        }
        QSignalSpy fortschritt(&a.auslesen, &Auslesen::fortschritt);
        QCOMPARE(a.lauf(), 0);
        QCOMPARE(int(a.z.Empfangszahl), bytes);
        QVERIFY(a.meldung.eintraege().isEmpty());
        QCOMPARE(int(a.z.Identifiziert), 1);

        // Bytes on the line: login, ACK, "E", then the protocol's acknowledgement.
        const QByteArray login = Telegramm::anfrage(1, QByteArray("P") + Telegramm::packePasswort("123456"));
        QByteArray erwartet = login + Telegramm::Quittung + Telegramm::anfrage(1, "E");
        erwartet += protokoll == 1 ? Telegramm::Protokoll1Quittung : Telegramm::Quittung;
        QCOMPARE(a.port.written(), erwartet);
        QCOMPARE(a.port.written().mid(login.size() + 1), QByteArray("\x02\x01\x45\x03\x47", 5)
                                                              + erwartet.mid(login.size() + 6));

        const QByteArray speicher = muster(protokoll);
        for (int i = 0; i < 2048; ++i)
            QCOMPARE(int(a.z.bild.Daten[size_t(i)]), int(quint8(speicher.at(i))));
        QFile datei(QStringLiteral("PORTAVO.S2D"));
        QVERIFY(datei.open(QIODevice::ReadOnly));
        const QList<QByteArray> zeilen = datei.readAll().split('\n');
        QCOMPARE(zeilen.size(), 2049);  // 2048 lines, each ended by CR LF
        QCOMPARE(zeilen.at(0), QByteArray(" ") + QByteArray::number(quint8(speicher.at(0))) + " \r");
        QCOMPARE(zeilen.at(2047), QByteArray(" ") + QByteArray::number(quint8(speicher.at(2047))) + " \r");
        QVERIFY(!QFile::exists(QStringLiteral("PORTAVO.B2D")));

        // Progress counts real bytes up to the protocol's length.
        QVERIFY(fortschritt.count() > 3);
        QCOMPARE(fortschritt.last().at(0).toInt(), bytes);
        QCOMPARE(fortschritt.last().at(1).toInt(), bytes);
    }

    void falschesPasswortEndetNachSechsTicks()
    {
        Aufbau a(0, QStringLiteral("654321"));
        QElapsedTimer uhr;
        uhr.start();
        QCOMPARE(a.lauf(), 154);
        QVERIFY2(uhr.elapsed() >= 550 && uhr.elapsed() < 1500, qPrintable(QString::number(uhr.elapsed())));
        QCOMPARE(a.meldung.textnummern(), QList<int>{154});
        QCOMPARE(a.meldung.eintraege().first().text, a.z.Texte.at(154));
        QCOMPARE(a.meldung.eintraege().first().titelnummer, 155);
        // Only the login went out.
        QCOMPARE(a.port.writes().size(), 1);
        QVERIFY(!a.anmeldung.laeuft());
        QVERIFY(!QFile::exists(QStringLiteral("PORTAVO.S2D")));
    }

    void protokollOhneAuslesungEndetAlsDatensatzfehler()
    {
        Aufbau a(0);
        a.z.Protokoll = 2;  // the terminal sends a protocol-0 answer, which never counts for 2
        QCOMPARE(a.lauf(), 156);
    }

    void zuLangeAntwortZaehltNieAlsKomplett()
    {
        Aufbau a(0);
        a.bus.terminals[1].protokoll = 1;  // 4109 bytes where 4107 are expected
        QCOMPARE(a.lauf(), 156);
        QCOMPARE(int(a.z.Empfangszahl), 4109);
    }

    void echoDesEigenenLoginsZaehltNicht()
    {
        // Free entry ending in "J": the echo holds "J" ETX from position 5 on.
        Aufbau a(0);
        a.bus.terminals[1].antwortet = false;
        a.z.Passwort = QByteArray("XabJ");
        QCOMPARE(a.lauf(), 154);
        QCOMPARE(a.port.writes().size(), 1);
        QVERIFY(a.port.written().contains(QByteArray("J\x03")));
    }

    void geraeteverlustBeendetSofort()
    {
        Aufbau a(0);
        a.bus.stueckgroesse = 256;
        QSignalSpy fehler(&a.auslesen, &Auslesen::fehlgeschlagen);
        QSignalSpy fort(&a.auslesen, &Auslesen::fortschritt);
        QVERIFY(a.auslesen.starte());
        QTRY_VERIFY(fort.count() >= 2);
        a.port.loseDevice();
        QCOMPARE(fehler.count(), 1);
        QCOMPARE(fehler.first().first().toInt(), 193);
        QCOMPARE(a.meldung.eintraege().first().textnummer, 193);
        QVERIFY(!a.meldung.eintraege().first().text.isEmpty());
        QVERIFY(!a.auslesen.timer3().isActive());
        QVERIFY(!a.auslesen.laeuft());
        QTest::qWait(300);
        QCOMPARE(fehler.count(), 1);
    }

    void zusageVorStelleFuenfWirdVerfehlt()
    {
        // The echo is gone (no interface echo) and the answer comes as "J" ETX
        // alone in its own tick: it stands at position 1 and is missed.
        Aufbau a(0);
        a.bus.echo = false;
        a.bus.terminals[1].antwortet = false;
        QSignalSpy fehler(&a.auslesen, &Auslesen::fehlgeschlagen);
        QVERIFY(a.auslesen.starte());
        QTest::qWait(150);
        a.port.inject(QByteArray("J\x03", 2));
        QTRY_COMPARE(fehler.count(), 1);
        QCOMPARE(fehler.first().first().toInt(), 154);
    }

    void zusageNachEchoImSelbenTick()
    {
        Aufbau a(0);
        a.bus.terminals[1].antwortet = false;
        QSignalSpy angemeldet(&a.anmeldung, &Anmeldung::angemeldet);
        QVERIFY(a.auslesen.starte());
        // "J" ETX right after the echo of the nine-byte login, in the same tick.
        QTRY_COMPARE(a.z.Antwort.size(), 9);
        a.port.inject(QByteArray("J\x03", 2));
        QTRY_COMPARE(angemeldet.count(), 1);
        QCOMPARE(angemeldet.first().first().toInt(), 1);
        QCOMPARE(a.port.writes().at(1).bytes, Telegramm::Quittung);
        QCOMPARE(a.port.writes().at(2).bytes, Telegramm::anfrage(1, "E"));
        a.auslesen.timer3().stop();
    }

    void intervalleKommenAusDemZustand()
    {
        Aufbau a(0);
        a.z.Timerintervall[1] = 200;
        a.z.Timerintervall[3] = 300;
        a.bus.terminals[1].abbruchNach = 10;
        QVERIFY(a.auslesen.starte());
        QCOMPARE(a.anmeldung.timer1().interval(), 200);
        QTRY_VERIFY(a.auslesen.timer3().isActive());
        QCOMPARE(a.auslesen.timer3().interval(), 300);
        a.auslesen.timer3().stop();
    }
};

QTEST_GUILESS_MAIN(TestAuslesen)
#include "tst_auslesen.moc"
