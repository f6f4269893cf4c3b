// portavo-cli show against the terminal files in data/ (written by hand,
// not by our own writer) and against faulty files.

#include <QDir>
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
};

QString cliPfad()
{
    const QString env = qEnvironmentVariable("PORTAVO_CLI");
    return env.isEmpty() ? QStringLiteral(PORTAVO_CLI_PATH) : env;
}

Lauf starte(const QStringList &args)
{
    QProcess p;
    p.start(cliPfad(), args);
    Lauf l;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return l;
    l.status = p.exitCode();
    l.aus = QString::fromUtf8(p.readAllStandardOutput());
    l.fehler = QString::fromUtf8(p.readAllStandardError());
    return l;
}

}  // namespace

class TstCliShow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void standardText();
    void standardJson();
    void sondercodeText();
    void sondercodeJson();
    void seiteZwei();
    void schlechteDateien();
    void falscherAufruf();

private:
    QTemporaryDir m_dir;
    QString datei(const QString &name) const { return m_dir.filePath(name); }
};

void TstCliShow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(QFile::exists(cliPfad()), qPrintable(cliPfad()));
    const QDir daten(QStringLiteral(TESTDATA));
    for (const QString &f : daten.entryList(QDir::Files))
        QVERIFY(QFile::copy(daten.filePath(f), datei(f)));
}

void TstCliShow::standardText()
{
    const Lauf l = starte({QStringLiteral("show"), datei(QStringLiteral("standard.S2D"))});
    QCOMPARE(l.status, 0);
    QVERIFY(l.fehler.isEmpty());
    const QStringList zeilen = l.aus.split(QLatin1Char('\n'));
    const QStringList erwartet = {
        QStringLiteral("  Türöffnungszeit            5 Sekunden"),
        QStringLiteral("  Türöffner mit Summer       Ja"),
        QStringLiteral("  Türöffner Intervallton     nein"),
        QStringLiteral("  Passwort                   123456"),
        QStringLiteral("  Startzeichen senden        Ja"),
        QStringLiteral("  Spur 3 oder 1 auswerten    Ja"),
        QStringLiteral("  Protokoll                  1  QRX / Norvall"),
        QStringLiteral("  Adresse                    17"),
        QStringLiteral("  Datenlänge Spur 2          21"),
        QStringLiteral("  Datenlänge Spur 3/1        8"),
        QStringLiteral("Listenanordnung  6"),
        QStringLiteral("Berechtigungen Spur 2  (Anzahl 44)"),
        QStringLiteral("      0  123456789012345678901#  Meier, Tor 1"),
        QStringLiteral("     43  000000000000000000000#  ----------"),
        QStringLiteral("     44  87654321  Müller Kasse"),
        QStringLiteral("     45  1234#567  Öffner"),
        QStringLiteral("    364  00000000  ----------"),
        QStringLiteral("   0  \"Grüße Tür 1     \""),
        QStringLiteral("  15  \"Ende            \""),
    };
    for (const QString &z : erwartet)
        QVERIFY2(zeilen.contains(z), qPrintable(QStringLiteral("missing line: ") + z));
    QVERIFY(!l.aus.contains(QStringLiteral("   365  ")));
    QVERIFY(!l.aus.contains(QStringLiteral("Systemnummer")));
    // Showing creates nothing beside the file.
    QVERIFY(!QFile::exists(datei(QStringLiteral("standard.V2D"))));
}

void TstCliShow::standardJson()
{
    const Lauf l = starte({QStringLiteral("show"), datei(QStringLiteral("standard.S2D")), QStringLiteral("--json")});
    QCOMPARE(l.status, 0);
    QJsonParseError fehler{};
    const QJsonObject o = QJsonDocument::fromJson(l.aus.toUtf8(), &fehler).object();
    QCOMPARE(fehler.error, QJsonParseError::NoError);
    QCOMPARE(o.value("specialCode").toBool(true), false);
    QCOMPARE(o.value("arrangement").toInt(), 6);
    const QJsonObject s = o.value("settings").toObject();
    QCOMPARE(s.value("doorOpenTime").toInt(), 5);
    QCOMPARE(s.value("password").toString(), QStringLiteral("123456"));
    QCOMPARE(s.value("protocolName").toString(), QStringLiteral("QRX / Norvall"));
    QCOMPARE(s.value("dataLengthTrack2").toInt(), 21);
    QCOMPARE(s.value("doorOpenerWithBuzzer").toBool(), true);
    QCOMPARE(s.value("blockLists").toBool(true), false);
    const QJsonArray listen = o.value("lists").toArray();
    QCOMPARE(listen.size(), 2);
    QCOMPARE(listen[0].toObject().value("count").toInt(), 44);
    const QJsonObject liste2 = listen[1].toObject();
    QCOMPARE(liste2.value("list").toInt(), 2);
    QCOMPARE(liste2.value("firstEntry").toInt(), 44);
    QCOMPARE(liste2.value("entries").toArray().size(), 321);
    const QJsonObject e = liste2.value("entries").toArray()[1].toObject();
    QCOMPARE(e.value("entry").toInt(), 45);
    QCOMPARE(e.value("data").toString(), QStringLiteral("1234#567"));
    QCOMPARE(e.value("comment").toString(), QStringLiteral("Öffner"));
    const QJsonArray display = o.value("display").toArray();
    QCOMPARE(display.size(), 16);
    QCOMPARE(display[0].toString(), QStringLiteral("Grüße Tür 1     "));
    QVERIFY(!o.contains("cards"));
}

void TstCliShow::sondercodeText()
{
    const Lauf l = starte({QStringLiteral("show"), datei(QStringLiteral("sondercode.S2D"))});
    QCOMPARE(l.status, 0);
    const QStringList zeilen = l.aus.split(QLatin1Char('\n'));
    const QStringList erwartet = {
        QStringLiteral("  Türöffnungszeit            1 Sekunden"),
        QStringLiteral("  Protokoll                  1  SKQRX / Norvall"),
        QStringLiteral("  Passwort                   000009"),
        QStringLiteral("  Daten auf Display          nein"),
        QStringLiteral("  Datenlänge Spur 2          8"),
        QStringLiteral("Systemnummer  0531"),
        QStringLiteral("Karten, nicht gesperrt: 3"),
        QStringLiteral("  >0000  Berechtigt    Chef"),
        QStringLiteral("  >0009  Zeitzone 13   Gärtner"),
        QStringLiteral("  >4095  Zeitzone 2    Letzte Karte"),
        QStringLiteral("   1  \"Zutritt         \""),
    };
    for (const QString &z : erwartet)
        QVERIFY2(zeilen.contains(z), qPrintable(QStringLiteral("missing line: ") + z));
    QVERIFY(!l.aus.contains(QStringLiteral("Gesperrter Name")));
    QVERIFY(!l.aus.contains(QStringLiteral("Listenanordnung")));
}

void TstCliShow::sondercodeJson()
{
    const Lauf l = starte({QStringLiteral("show"), QStringLiteral("--json"), datei(QStringLiteral("sondercode.S2D"))});
    QCOMPARE(l.status, 0);
    const QJsonObject o = QJsonDocument::fromJson(l.aus.toUtf8()).object();
    QCOMPARE(o.value("specialCode").toBool(), true);
    QCOMPARE(o.value("systemNumber").toString(), QStringLiteral("0531"));
    QCOMPARE(o.value("settings").toObject().value("protocolName").toString(), QStringLiteral("SKQRX / Norvall"));
    const QJsonArray karten = o.value("cards").toArray();
    QCOMPARE(karten.size(), 3);
    const QJsonObject k9 = karten[1].toObject();
    QCOMPARE(k9.value("card").toInt(), 9);
    QCOMPARE(k9.value("state").toString(), QStringLiteral("Zeitzone 13"));
    QCOMPARE(k9.value("zones").toString(), QStringLiteral("13"));
    QCOMPARE(k9.value("name").toString(), QStringLiteral("Gärtner"));
    QCOMPARE(o.value("lists").toArray().size(), 0);
}

void TstCliShow::seiteZwei()
{
    // Page 2 takes its names from the .B3D and marks its cards with "B".
    QVERIFY(QFile::copy(datei(QStringLiteral("sondercode.S2D")), datei(QStringLiteral("zwei.S3D"))));
    QFile namen(datei(QStringLiteral("zwei.B3D")));
    QVERIFY(namen.open(QIODevice::WriteOnly));
    for (int i = 0; i <= 5000; ++i)
        namen.write(i == 9 ? QByteArray("Seite zwei \xDC\r\n") : QByteArray("----------\r\n"));
    namen.close();
    const Lauf l = starte({QStringLiteral("show"), datei(QStringLiteral("zwei.S3D"))});
    QCOMPARE(l.status, 0);
    QVERIFY2(l.aus.split(QLatin1Char('\n')).contains(QStringLiteral("  B0009  Zeitzone 13   Seite zwei Ü")),
             qPrintable(l.aus));
}

void TstCliShow::schlechteDateien()
{
    QFile kurz(datei(QStringLiteral("kurz.S2D")));
    QVERIFY(kurz.open(QIODevice::WriteOnly));
    for (int i = 0; i < 100; ++i)
        kurz.write(" 1 \r\n");
    kurz.close();
    Lauf l = starte({QStringLiteral("show"), datei(QStringLiteral("kurz.S2D"))});
    QCOMPARE(l.status, 1);
    QVERIFY(l.aus.isEmpty());
    QVERIFY2(l.fehler.contains(QStringLiteral("Zeile 101")), qPrintable(l.fehler));
    QVERIFY(!QFile::exists(datei(QStringLiteral("kurz.B2D"))));

    QFile gross(datei(QStringLiteral("gross.S2D")));
    QVERIFY(gross.open(QIODevice::WriteOnly));
    for (int i = 0; i < 2048; ++i)
        gross.write(i == 7 ? " 300 \r\n" : " 1 \r\n");
    gross.close();
    l = starte({QStringLiteral("show"), datei(QStringLiteral("gross.S2D")), QStringLiteral("--json")});
    QCOMPARE(l.status, 1);
    QVERIFY(l.aus.isEmpty());
    QVERIFY2(l.fehler.contains(QStringLiteral("Zeile 8")) && l.fehler.contains(QStringLiteral("300")),
             qPrintable(l.fehler));

    l = starte({QStringLiteral("show"), datei(QStringLiteral("gibtsnicht.S2D"))});
    QCOMPARE(l.status, 1);
    QVERIFY(!l.fehler.isEmpty());
}

void TstCliShow::falscherAufruf()
{
    QCOMPARE(starte({QStringLiteral("show")}).status, 2);
    QCOMPARE(starte({QStringLiteral("show"), QStringLiteral("a.S2D"), QStringLiteral("b.S2D")}).status, 2);
    QCOMPARE(starte({QStringLiteral("show"), QStringLiteral("--xml"), QStringLiteral("a.S2D")}).status, 2);
    QCOMPARE(starte({QStringLiteral("zeigen")}).status, 2);
    QCOMPARE(starte({}).status, 2);
    QCOMPARE(starte({QStringLiteral("help")}).status, 0);
}

QTEST_GUILESS_MAIN(TstCliShow)
#include "tst_cli_show.moc"
