// portavo-cli show and print against the terminal files in data/ (written by hand, not by our own writer) and
// against faulty files, and wrong usage. "@/" in a row stands for the class's folder. The PDFs are read back
// with poppler's pdfinfo and pdftotext (Debian package poppler-utils).

#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "support/Dateigrenze.h"
#include "support/Kommandozeile.h"
#include "support/Testhilfe.h"

#include <QDate>
#include <QJsonArray>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>


class TestCliDateien : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QDate m_heute = QDate::currentDate();

    QStringList pfade(const QStringList &l) const { return imOrdner(l, m_dir.path()); }
    QString pfad(const QString &s) const { return pfade({s}).first(); }
    static QString werkzeug(const char *name, const QStringList &args)
    {
        QProcess p;
        p.start(QStandardPaths::findExecutable(QLatin1String(name)), args);
        return p.waitForFinished(30000) && p.exitCode() == 0 ? QString::fromUtf8(p.readAllStandardOutput())
                                                             : QString();
    }
    static bool hat(const QString &text, const QString &muster)
    {
        return QRegularExpression(muster, QRegularExpression::MultilineOption).match(text).hasMatch();
    }
    // A JSON value by its path ("lists/1/entries/0/data"; "#" an array's size, "~" when there is none).
    static QString jsonWert(QJsonValue v, const QString &weg)
    {
        for (const QString &teil : weg.split(QLatin1Char('/'))) {
            if (teil == QLatin1String("#"))
                return QString::number(v.toArray().size());
            v = v.isArray() ? v.toArray().at(teil.toInt()) : v.toObject().value(teil);
        }
        return v.isUndefined() ? QStringLiteral("~") : v.toVariant().toString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable("pdftotext").isEmpty()
                     && !QStandardPaths::findExecutable("pdfinfo").isEmpty(),
                 "poppler-utils is needed to read the PDFs back (scripts/deps.sh)");
        for (const char *f : {"standard.S2D", "standard.B2D", "sondercode.S2D", "sondercode.B2D"})
            QVERIFY(QFile::copy(QStringLiteral(TESTDATA "/") + f, pfad(QStringLiteral("@/") + f)));
        QVERIFY(schreib(pfad("@/opfer.txt"), "bleibt") && QFile::link(pfad("@/opfer.txt"), pfad("@/link.pdf")));
        QVERIFY(schreib(pfad("@/kurz.S2D"), QByteArray(" 1 \r\n").repeated(100)));
        QVERIFY(schreib(pfad("@/gross.S2D"), QByteArray(" 1 \r\n").repeated(7) + " 300 \r\n"
                                                  + QByteArray(" 1 \r\n").repeated(2040)));
        // Page 2 takes its names from the .B3D.
        QVERIFY(QFile::copy(pfad("@/sondercode.S2D"), pfad("@/zwei.S3D")));
        QByteArray namen;
        for (int i = 0; i <= 5000; ++i)
            namen += i == 9 ? QByteArray("Seite zwei \xDC\r\n") : QByteArray("----------\r\n");
        QVERIFY(schreib(pfad("@/zwei.B3D"), namen));
        QByteArray g = lies(pfad("@/standard.S2D")), k = lies(pfad("@/sondercode.S2D"));
        QList<QByteArray> z = g.split('\n'), zk = k.split('\n');
        z[0] = " 9 \r", z[16] = " 72 \r", z[272] = " 17 \r", zk[513] = " 255 \r";  // door time, display, list 1
        QVERIFY(schreib(pfad("@/geaendert.S2D"), z.join('\n')) && schreib(pfad("@/karten.S2D"), zk.join('\n')));
        z = g.split('\n'), z[10] = " 70 \r";  // a protocol without a name
        QVERIFY(schreib(pfad("@/protokoll.S2D"), z.join('\n')));
        // A card name with ESC sequences that could rewrite the screen.
        QVERIFY(QFile::copy(pfad("@/standard.S2D"), pfad("@/esc.S2D")));
        QVERIFY(schreib(pfad("@/esc.B2D"), lies(pfad("@/standard.B2D"))
                                               .replace("Meier, Tor 1", "Mei\x1b]0;x\x07" "er\x1b[2J")));
    }

    void aufruf_data()
    {
        // fehlt: files that must not be there afterwards
        spalten<QStringList, int, QStringList, QStringList, QStringList>(
                "args", "status", "aus", "fehler", "fehlt");
        QTest::newRow("show Standard")
            << QStringList{"show", "@/standard.S2D"} << 0
            << QStringList{"  Türöffnungszeit            5 Sekunden\n  Türöffner mit Summer       Ja\n"
                           "  Türöffner Intervallton     nein\n", "  Passwort                   123456\n",
                           "  Protokoll                  1  QRX / Norvall\n  Adresse                    17\n",
                           "  Datenlänge Spur 2          21\n  Datenlänge Spur 3/1        8\n",
                           "\nListenanordnung  6\n", "\nBerechtigungen Spur 2  (Anzahl 44)\n",
                           "\n      0  123456789012345678901#  Meier, Tor 1\n",
                           "\n     43  000000000000000000000#  ----------\n",
                           "\n     44  87654321  Müller Kasse\n     45  1234#567  Öffner\n", "\n    364  00000000  ----------\n",
                           "\n   0  \"Grüße Tür 1     \"\n", "\n  15  \"Ende            \"\n", "!   365  ", "!Systemnummer"}
            << QStringList{"="} << QStringList{"@/standard.V2D"};
        QTest::newRow("show Sondercode")
            << QStringList{"show", "@/sondercode.S2D"} << 0
            << QStringList{"  Türöffnungszeit            1 Sekunden\n", "  Protokoll                  1  SKQRX / Norvall\n",
                           "  Passwort                   000009\n", "  Daten auf Display          nein\n",
                           "  Datenlänge Spur 2          8\n", "\nSystemnummer  0531\n", "\nKarten, nicht gesperrt: 3\n",
                           "\n  >0000  Berechtigt    Chef\n", "\n  >0009  Zeitzone 13   Gärtner\n",
                           "\n  >4095  Zeitzone 2    Letzte Karte\n", "\n   1  \"Zutritt         \"\n",
                           "!Gesperrter Name", "!Listenanordnung"}
            << QStringList{"="} << QStringList{};
        QTest::newRow("show Seite 2 mit B") << QStringList{"show", "@/zwei.S3D"} << 0
                                            << QStringList{"\n  B0009  Zeitzone 13   Seite zwei Ü\n"} << QStringList{}
                                            << QStringList{};
        QTest::newRow("show Steuerzeichen sichtbar")
            << QStringList{"show", "@/esc.S2D"} << 0
            << QStringList{"Mei\u241b]0;x\u2407er\u241b[2J", "!\x1b", "!\x07"} << QStringList{} << QStringList{};
        QTest::newRow("show zu kurz") << QStringList{"show", "@/kurz.S2D"} << 1 << QStringList{"="}
                                      << QStringList{"Zeile 101"} << QStringList{"@/kurz.B2D"};
        QTest::newRow("show Wert zu gross") << QStringList{"show", "@/gross.S2D", "--json"} << 1 << QStringList{"="}
                                            << QStringList{"Zeile 8", "300"} << QStringList{};
        QTest::newRow("show fehlt") << QStringList{"show", "@/gibtsnicht.S2D"} << 1 << QStringList{"="}
                                    << QStringList{"@/gibtsnicht.S2D"} << QStringList{};
        for (const QStringList &a : {QStringList{"show"}, QStringList{"show", "a.S2D", "b.S2D"},
                                     QStringList{"show", "--xml", "a.S2D"}, QStringList{"zeigen"}, QStringList{}})
            QTest::addRow("falsch: %s", qPrintable(a.join(' '))) << a << 2 << QStringList{"="} << QStringList{}
                                                                 << QStringList{};
        QTest::newRow("help") << QStringList{"help"} << 0 << QStringList{"show", "print"} << QStringList{"="}
                              << QStringList{};
        for (const QStringList &a :
             {QStringList{"print", "@/standard.S2D"}, QStringList{"print", "--pdf", "@/x.pdf"},
              QStringList{"print", "@/standard.S2D", "--pdf", "@/x.pdf", "--section", "cards"},
              QStringList{"print", "@/standard.S2D", "--pdf", "@/x.pdf", "--lang", "it"},
              QStringList{"print", "@/standard.S2D", "--pdf"}})
            QTest::addRow("falsch: %s", qPrintable(a.mid(1).join(' '))) << a << 2 << QStringList{"="}
                                                                    << QStringList{"usage: portavo-cli print"}
                                                                    << QStringList{"@/x.pdf"};
        // diff: the door-open time, list 1's first entry and display line 1 changed in a copy.
        QTest::newRow("diff gleich") << QStringList{"diff", "@/standard.S2D", "@/standard.S2D"} << 0
                                     << QStringList{"=Keine Unterschiede.\n"} << QStringList{"="} << QStringList{};
        QTest::newRow("diff drei Bytes")
            << QStringList{"diff", "@/standard.S2D", "@/geaendert.S2D"} << 1
            << QStringList{"=3 Byte(s) verschieden:\nGrundeinstellungen:\n  Türöffnungszeit: 5 Sekunden -> 9 Sekunden\n"
                           "Berechtigungen Spur 2:\n  1: 123456789012345678901# -> 113456789012345678901#\n"
                           "Displaytexte:\n  Displaytext 1a: Grüße Tür 1 -> Hrüße Tür 1\n"}
            << QStringList{"="} << QStringList{};
        QTest::newRow("diff json") << QStringList{"diff", "@/geaendert.S2D", "@/standard.S2D", "--json"} << 1
                                   << QStringList{"\"bytes\":[[0,9,5],[16,72,71],[272,17,33]],", "\"equal\":false"}
                                   << QStringList{"="} << QStringList{};
        QTest::newRow("diff Protokoll ohne Namen") << QStringList{"diff", "@/standard.S2D", "@/protokoll.S2D"} << 1
                                                   << QStringList{"=1 Byte(s) verschieden:\nGrundeinstellungen:\n"
                                                                  "  Protokoll: QRX / Norvall -> \n"}
                                                   << QStringList{"="} << QStringList{};
        QTest::newRow("diff Karten englisch") << QStringList{"diff", "@/sondercode.S2D", "@/karten.S2D", "--lang", "en"} << 1
                                              << QStringList{"^1 byte(s) differ:\nAuthorizations track 2:\n  0008: Gesperrt -> Zeitzone 1\n"}
                                              << QStringList{"="} << QStringList{};
        QTest::newRow("diff verschiedene Art") << QStringList{"diff", "@/standard.S2D", "@/sondercode.S2D"} << 1
                                               << QStringList{"\nDie Dateien sind verschiedener Art"} << QStringList{"="}
                                               << QStringList{};
        QTest::newRow("diff Datei fehlt") << QStringList{"diff", "@/standard.S2D", "@/fehlt.S2D"} << 2 << QStringList{"="}
                                          << QStringList{"@/fehlt.S2D"} << QStringList{};
        for (const QStringList &a : {QStringList{"diff", "@/standard.S2D"}, QStringList{"diff", "a", "b", "c"},
                                     QStringList{"diff", "a", "b", "--port", "1"}, QStringList{"diff", "a", "b", "--x"}})
            QTest::addRow("falsch: %s", qPrintable(a.join(' '))) << a << 2 << QStringList{"="}
                                                                 << QStringList{"usage: portavo-cli diff"} << QStringList{};
        QTest::newRow("print --help") << QStringList{"print", "--help"} << 0 << QStringList{"--section"}
                                      << QStringList{"="} << QStringList{};
        QTest::newRow("print Datei fehlt") << QStringList{"print", "@/fehlt.S2D", "--pdf", "@/x.pdf"} << 1
                                           << QStringList{"="} << QStringList{"@/fehlt.S2D"} << QStringList{"@/x.pdf"};
        QTest::newRow("print Ordner fehlt")
            << QStringList{"print", "@/standard.S2D", "--pdf", "@/nirgends/x.pdf"} << 1 << QStringList{"="}
            << QStringList{"@/nirgends/x.pdf"} << QStringList{"@/nirgends"};
    }
    void aufruf()
    {
        const auto [args, status, aus, fehler, fehlt] =
            werte<QStringList, int, QStringList, QStringList, QStringList>("args", "status", "aus", "fehler", "fehlt");
        const Kommandolauf l = kommando(pfade(args));
        QCOMPARE(l.status, status);
        kommandoPruefen(l.aus, pfade(aus));
        kommandoPruefen(l.fehler, pfade(fehler));
        for (const QString &f : pfade(fehlt))
            QVERIFY2(!QFileInfo::exists(f), qPrintable(f));
    }

    void json_data()
    {
        // paare: "path=value"
        spalten<QString, QStringList>("datei", "paare");
        QTest::newRow("Standard") << "@/standard.S2D"
                                  << QStringList{"specialCode=false", "arrangement=6", "settings/doorOpenTime=5",
                                                 "settings/password=123456", "settings/protocolName=QRX / Norvall",
                                                 "settings/blockLists=false", "lists/#=2", "lists/0/count=44",
                                                 "lists/1/firstEntry=44", "lists/1/entries/1/entry=45",
                                                 "lists/1/entries/1/data=1234#567", "lists/1/entries/1/comment=Öffner",
                                                 "display/0=Grüße Tür 1     ", "cards=~"};
        QTest::newRow("Sondercode") << "@/sondercode.S2D"
                                    << QStringList{"specialCode=true", "systemNumber=0531", "cards/#=3",
                                                   "cards/1/card=9", "cards/1/state=Zeitzone 13", "cards/1/zones=13",
                                                   "cards/1/name=Gärtner", "lists/#=0"};
    }
    void json()
    {
        const auto [datei, paare] = werte<QString, QStringList>("datei", "paare");
        const Kommandolauf l = kommando({"show", "--json", pfad(datei)});
        QCOMPARE(l.status, 0);
        for (const QString &w : paare)
            QCOMPARE(w.section('=', 0, 0) + '=' + jsonWert(l.json(), w.section('=', 0, 0)), w);
    }

    void pdf_data()
    {
        // umgebung: "-NAME" removed, "NAME=value" set
        // muster: "N:regex" page N has it, "N!regex" has it not
        spalten<QStringList, QStringList, int, QStringList>("args", "umgebung", "seiten", "muster");
        // Here the sections, the file, the date and the continued grid without its page head.
        const QStringList alles{"1:^Liste der PORTAVOdatei\\s+@/standard.S2D", "1:^Türöffnungszeit:\\s+5 Sekunden$",
                                "1:{dd-MM-yyyy}\\s+\\d\\d:\\d\\d\\s+- Seite 1 -",
                                "2:^123456789012345678901#\\s+Meier, Tor 1$", "3!Liste der PORTAVOdatei",
                                "3:^Keine weiteren Daten$", "4:^87654321\\s+Müller Kasse$", "12:^Sperrlisten Spur 2:",
                                "13:^Sperrlisten Spur 3:", "14:^Displaytext 1\\s+Grüße Tür 1"};
        // Settings 1 page, track 2: 2, track 3/1: 8, the empty block lists 1 each, display texts 1.
        QTest::newRow("alles") << QStringList{"print", "@/standard.S2D", "--pdf", "@/alles.pdf"} << QStringList{} << 14
                               << alles;
        QTest::newRow("Grundeinstellungen englisch")
            << QStringList{"print", "@/standard.S2D", "--pdf", "@/en.pdf", "--section", "settings", "--lang", "en"}
            << QStringList{} << 1
            << QStringList{"1:^List of PORTAVO file", "1:^Basic settings:", "1:^Door opener with buzzer:\\s+Yes$",
                           "1:{MM-dd-yyyy}\\s+\\d\\d:\\d\\d\\s+- Page 1 -"};
        // No display, no runtime folder (cron, ssh): nothing on stderr but the command's own output. A link
        // at the PDF's name is replaced, its target stays (the safe writer's other cases: TstTerminaldatei).
        QTest::newRow("ohne Bildschirm und Laufzeitordner, Link am Namen")
            << QStringList{"print", "@/standard.S2D", "--pdf", "@/link.pdf", "--section", "display"}
            << QStringList{"-WAYLAND_DISPLAY", "-QT_QPA_PLATFORM", "DISPLAY=:97", "-XDG_RUNTIME_DIR"} << 1
            << QStringList{"1:^Displaytext 8\\s+", "1:^Displaytexte:"};
    }
    void pdf()
    {
        const auto [args, umgebung, seiten, muster] =
            werte<QStringList, QStringList, int, QStringList>("args", "umgebung", "seiten", "muster");
        Kommandooptionen o;
        for (const QString &u : umgebung)
            u.startsWith('-') ? o.umgebung.remove(u.mid(1)) : o.umgebung.insert(u.section('=', 0, 0), u.section('=', 1));
        const QString pdf = pfad(args.at(3));
        const Kommandolauf l = kommando(pfade(args), o);
        QCOMPARE(l.status, 0);
        QCOMPARE(l.aus, pdf + QStringLiteral(": %1 page%2\n").arg(seiten).arg(seiten == 1 ? "" : "s"));
        QCOMPARE(l.fehler, QString());
        QVERIFY(!QFileInfo(pdf).isSymLink() && lies(pfad("@/opfer.txt")) == "bleibt");
        QVERIFY(hat(werkzeug("pdfinfo", {pdf}), QStringLiteral("^Pages:\\s+%1$").arg(seiten)));
        QStringList texte;
        for (int n = 1; n <= seiten; ++n) {
            texte << werkzeug("pdftotext", {"-layout", "-f", QString::number(n), "-l", QString::number(n), pdf, "-"});
            // Every page carries its number: none is blank.
            QVERIFY2(hat(texte.last(), QStringLiteral("- (Seite|Page) %1 -").arg(n)), qPrintable(QString::number(n)));
        }
        const QDate jetzt = QDate::currentDate();  // the print may cross midnight
        for (QString p : pfade(muster)) {
            for (const QString &form : {QStringLiteral("dd-MM-yyyy"), QStringLiteral("MM-dd-yyyy")})
                p.replace('{' + form + '}', QStringLiteral("(%1|%2)").arg(m_heute.toString(form), jetzt.toString(form)));
            const int trenner = int(p.indexOf(QRegularExpression(QStringLiteral("[:!]"))));
            const QString &text = texte.value(p.left(trenner).toInt() - 1);
            QVERIFY2(hat(text, p.mid(trenner + 1)) == (p.at(trenner) == ':'),
                     qPrintable(p + QStringLiteral("\n--- in:\n") + text));
        }
    }

    // A file size limit of 2000 bytes: said in the chosen language with the file's name; no file is left.
    void vollePlatte()
    {
        Kommandooptionen o;
        o.imKind = [] { Dateigrenze::imKind(2000); };
        const QString pdf = pfad("@/voll.pdf");
        const Kommandolauf l = kommando({"print", pfad("@/standard.S2D"), "--pdf", pdf, "--lang", "en"}, o);
        QCOMPARE(l.status, 1);
        kommandoPruefen(l.fehler, {"the disk is full", pdf, "!Unknown error"});
        QCOMPARE(QDir(m_dir.path()).entryList({"*voll*"}, QDir::Files | QDir::Hidden), QStringList());
    }
};

PORTAVO_TESTKLASSE(TestCliDateien)
#include "tst_cli_dateien.moc"
