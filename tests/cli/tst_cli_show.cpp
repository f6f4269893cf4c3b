// portavo-cli show against the terminal files in data/ (written by hand,
// not by our own writer) and against faulty files.

#include "support/Testlauf.h"
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Lauf {
    int status = -1;
    QString aus;
    QString fehler;
    QStringList zeilen() const { return aus.split(QLatin1Char('\n')); }
    QJsonObject json() const { return QJsonDocument::fromJson(aus.toUtf8()).object(); }
};

Lauf starte(const QStringList &args)
{
    const QString env = qEnvironmentVariable("PORTAVO_CLI");
    QProcess p;
    p.start(env, args);
    Lauf l;
    if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit) {
        l.status = p.exitCode();
        l.aus = QString::fromUtf8(p.readAllStandardOutput());
        l.fehler = QString::fromUtf8(p.readAllStandardError());
    }
    return l;
}

void enthaeltZeilen(const Lauf &l, const QStringList &erwartet)
{
    QCOMPARE(l.status, 0);
    for (const QString &z : erwartet)
        QVERIFY2(l.zeilen().contains(z), qPrintable(QStringLiteral("missing line: ") + z + "\n" + l.aus));
}

}  // namespace

class TstCliShow : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString datei(const char *name) const { return m_dir.filePath(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        for (const char *f : {"standard.S2D", "standard.B2D", "sondercode.S2D", "sondercode.B2D"})
            QVERIFY(QFile::copy(QStringLiteral(TESTDATA "/") + f, datei(f)));
    }

    void standard()
    {
        const Lauf l = starte({"show", datei("standard.S2D")});
        enthaeltZeilen(l, {"  Türöffnungszeit            5 Sekunden", "  Türöffner mit Summer       Ja",
                           "  Türöffner Intervallton     nein", "  Passwort                   123456",
                           "  Startzeichen senden        Ja", "  Spur 3 oder 1 auswerten    Ja",
                           "  Protokoll                  1  QRX / Norvall", "  Adresse                    17",
                           "  Datenlänge Spur 2          21", "  Datenlänge Spur 3/1        8",
                           "Listenanordnung  6", "Berechtigungen Spur 2  (Anzahl 44)",
                           "      0  123456789012345678901#  Meier, Tor 1",
                           "     43  000000000000000000000#  ----------", "     44  87654321  Müller Kasse",
                           "     45  1234#567  Öffner", "    364  00000000  ----------",
                           "   0  \"Grüße Tür 1     \"", "  15  \"Ende            \""});
        QVERIFY(l.fehler.isEmpty());
        QVERIFY(!l.aus.contains(QStringLiteral("   365  ")));
        QVERIFY(!l.aus.contains(QStringLiteral("Systemnummer")));
        QVERIFY(!QFile::exists(datei("standard.V2D")));  // showing creates nothing

        const QJsonObject o = starte({"show", datei("standard.S2D"), "--json"}).json();
        QCOMPARE(o.value("specialCode").toBool(true), false);
        QCOMPARE(o.value("arrangement").toInt(), 6);
        const QJsonObject s = o.value("settings").toObject();
        QCOMPARE(s.value("doorOpenTime").toInt(), 5);
        QCOMPARE(s.value("password").toString(), QStringLiteral("123456"));
        QCOMPARE(s.value("protocolName").toString(), QStringLiteral("QRX / Norvall"));
        QCOMPARE(s.value("blockLists").toBool(true), false);
        const QJsonArray listen = o.value("lists").toArray();
        QCOMPARE(listen.size(), 2);
        QCOMPARE(listen[0].toObject().value("count").toInt(), 44);
        const QJsonObject liste2 = listen[1].toObject();
        QCOMPARE(liste2.value("firstEntry").toInt(), 44);
        const QJsonObject e = liste2.value("entries").toArray()[1].toObject();
        QCOMPARE(e.value("entry").toInt(), 45);
        QCOMPARE(e.value("data").toString(), QStringLiteral("1234#567"));
        QCOMPARE(e.value("comment").toString(), QStringLiteral("Öffner"));
        QCOMPARE(o.value("display").toArray()[0].toString(), QStringLiteral("Grüße Tür 1     "));
        QVERIFY(!o.contains("cards"));
    }

    void sondercode()
    {
        const Lauf l = starte({"show", datei("sondercode.S2D")});
        enthaeltZeilen(l, {"  Türöffnungszeit            1 Sekunden", "  Protokoll                  1  SKQRX / Norvall",
                           "  Passwort                   000009", "  Daten auf Display          nein",
                           "  Datenlänge Spur 2          8", "Systemnummer  0531", "Karten, nicht gesperrt: 3",
                           "  >0000  Berechtigt    Chef", "  >0009  Zeitzone 13   Gärtner",
                           "  >4095  Zeitzone 2    Letzte Karte", "   1  \"Zutritt         \""});
        QVERIFY(!l.aus.contains(QStringLiteral("Gesperrter Name")));
        QVERIFY(!l.aus.contains(QStringLiteral("Listenanordnung")));

        const QJsonObject o = starte({"show", "--json", datei("sondercode.S2D")}).json();
        QCOMPARE(o.value("specialCode").toBool(), true);
        QCOMPARE(o.value("systemNumber").toString(), QStringLiteral("0531"));
        const QJsonArray karten = o.value("cards").toArray();
        QCOMPARE(karten.size(), 3);
        const QJsonObject k9 = karten[1].toObject();
        QCOMPARE(k9.value("card").toInt(), 9);
        QCOMPARE(k9.value("state").toString(), QStringLiteral("Zeitzone 13"));
        QCOMPARE(k9.value("zones").toString(), QStringLiteral("13"));
        QCOMPARE(k9.value("name").toString(), QStringLiteral("Gärtner"));
        QCOMPARE(o.value("lists").toArray().size(), 0);

        // Page 2 takes its names from the .B3D and marks its cards with "B".
        QVERIFY(QFile::copy(datei("sondercode.S2D"), datei("zwei.S3D")));
        QFile namen(datei("zwei.B3D"));
        QVERIFY(namen.open(QIODevice::WriteOnly));
        for (int i = 0; i <= 5000; ++i)
            namen.write(i == 9 ? QByteArray("Seite zwei \xDC\r\n") : QByteArray("----------\r\n"));
        namen.close();
        enthaeltZeilen(starte({"show", datei("zwei.S3D")}), {"  B0009  Zeitzone 13   Seite zwei Ü"});
    }

    void schlechteDateien()
    {
        QFile kurz(datei("kurz.S2D"));
        QVERIFY(kurz.open(QIODevice::WriteOnly));
        kurz.write(QByteArray(" 1 \r\n").repeated(100));
        kurz.close();
        Lauf l = starte({"show", datei("kurz.S2D")});
        QCOMPARE(l.status, 1);
        QVERIFY(l.aus.isEmpty());
        QVERIFY2(l.fehler.contains(QStringLiteral("Zeile 101")), qPrintable(l.fehler));
        QVERIFY(!QFile::exists(datei("kurz.B2D")));

        QFile gross(datei("gross.S2D"));
        QVERIFY(gross.open(QIODevice::WriteOnly));
        gross.write(QByteArray(" 1 \r\n").repeated(7) + " 300 \r\n" + QByteArray(" 1 \r\n").repeated(2040));
        gross.close();
        l = starte({"show", datei("gross.S2D"), "--json"});
        QCOMPARE(l.status, 1);
        QVERIFY(l.aus.isEmpty());
        QVERIFY2(l.fehler.contains(QStringLiteral("Zeile 8")) && l.fehler.contains(QStringLiteral("300")),
                 qPrintable(l.fehler));
        QCOMPARE(starte({"show", datei("gibtsnicht.S2D")}).status, 1);

        // Wrong use: status 2.
        for (const QStringList &args : QList<QStringList>{{"show"}, {"show", "a.S2D", "b.S2D"},
                                                           {"show", "--xml", "a.S2D"}, {"zeigen"}, {}})
            QCOMPARE(starte(args).status, 2);
        QCOMPARE(starte({"help"}).status, 0);
    }

    // A comment or card name with an ESC sequence must not reach the
    // terminal as one: the screen could be rewritten or the title changed.
    void steuerzeichenSichtbar()
    {
        QVERIFY(QFile::copy(datei("standard.S2D"), datei("esc.S2D")));
        QByteArray namen;
        {
            QFile b(datei("standard.B2D"));
            QVERIFY(b.open(QIODevice::ReadOnly));
            namen = b.readAll();
        }
        namen.replace("Meier, Tor 1", QByteArray("Mei\x1b]0;x\x07" "er\x1b[2J"));
        {
            QFile b(datei("esc.B2D"));
            QVERIFY(b.open(QIODevice::WriteOnly));
            b.write(namen);
        }
        const Lauf l = starte({"show", datei("esc.S2D")});
        QCOMPARE(l.status, 0);
        QVERIFY(!l.aus.contains(QChar(0x1b)));
        QVERIFY(!l.aus.contains(QChar(0x07)));
        QVERIFY2(l.aus.contains(QStringLiteral("Mei\u241b]0;x\u2407er\u241b[2J")), qPrintable(l.aus));
    }
};

PORTAVO_TESTKLASSE(TstCliShow)
#include "tst_cli_show.moc"
