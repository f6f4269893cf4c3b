// portavo-cli print: the PDF of a terminal file, read back with poppler's
// pdfinfo and pdftotext (Debian package poppler-utils): page count and the
// text of given pages.

#include "support/Testlauf.h"
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "support/Dateigrenze.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Lauf {
    int status = -1;
    QString aus;
    QString fehler;
};

Lauf starte(const QStringList &args, const QProcessEnvironment &umgebung = QProcessEnvironment::systemEnvironment())
{
    const QString env = qEnvironmentVariable("PORTAVO_CLI");
    QProcess p;
    p.setProcessEnvironment(umgebung);
    p.start(env, args);
    Lauf l;
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit) {
        l.status = p.exitCode();
        l.aus = QString::fromUtf8(p.readAllStandardOutput());
        l.fehler = QString::fromUtf8(p.readAllStandardError());
    }
    return l;
}

QString werkzeug(const char *name)
{
    const QString pfad = QStandardPaths::findExecutable(QLatin1String(name));
    if (pfad.isEmpty())
        qWarning("%s not found: install poppler-utils (scripts/deps.sh)", name);
    return pfad;
}

int seitenzahl(const QString &pdf)
{
    QProcess p;
    p.start(werkzeug("pdfinfo"), {pdf});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return -1;
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"), QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The text of page n (from 1), laid out as on paper.
QString seitentext(const QString &pdf, int n)
{
    QProcess p;
    p.start(werkzeug("pdftotext"),
            {"-layout", "-f", QString::number(n), "-l", QString::number(n), pdf, "-"});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool hat(const QString &text, const QString &muster)
{
    return QRegularExpression(muster, QRegularExpression::MultilineOption).match(text).hasMatch();
}

}  // namespace

class TstCliPrint : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString datei(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY2(!werkzeug("pdftotext").isEmpty() && !werkzeug("pdfinfo").isEmpty(),
                 "poppler-utils is needed to read the PDFs back");
        for (const char *f : {"standard.S2D", "standard.B2D", "sondercode.S2D", "sondercode.B2D"})
            QVERIFY(QFile::copy(QStringLiteral(TESTDATA "/") + f, datei(QLatin1String(f))));
    }

    void allesAufDenErwartetenSeiten()
    {
        const QString pdf = datei("alles.pdf");
        const QDate vorher = QDate::currentDate();
        const Lauf l = starte({"print", datei("standard.S2D"), "--pdf", pdf});
        const QDate nachher = QDate::currentDate();
        QCOMPARE(l.status, 0);
        QCOMPARE(l.aus, pdf + QStringLiteral(": 14 pages\n"));
        // Settings 1 page; track-2 authorizations 45 rows: 2 pages; track
        // 3/1 322 rows: 8 pages; the two empty block lists 1 page each;
        // display texts 1 page.
        QCOMPARE(seitenzahl(pdf), 14);

        const QString s1 = seitentext(pdf, 1);
        QVERIFY2(hat(s1, QStringLiteral("^Liste der PORTAVOdatei\\s+") + QRegularExpression::escape(datei("standard.S2D"))), qPrintable(s1));
        QVERIFY(hat(s1, QStringLiteral("^Grundeinstellungen:")));
        QVERIFY(hat(s1, QStringLiteral("^Türöffnungszeit:\\s+5 Sekunden$")));
        QVERIFY(hat(s1, QStringLiteral("^Passwort:\\s+123456$")));
        QVERIFY(hat(s1, QStringLiteral("^Datenlänge Spur 2:\\s+21$")));
        QVERIFY(hat(s1, QStringLiteral("^Protokoll:\\s+QRX / Norvall$")));
        const QString heute1 = vorher.toString(QStringLiteral("dd-MM-yyyy"));
        const QString heute2 = nachher.toString(QStringLiteral("dd-MM-yyyy"));
        QVERIFY2(hat(s1, QStringLiteral("(%1|%2)\\s+\\d\\d:\\d\\d\\s+- Seite 1 -").arg(heute1, heute2)), qPrintable(s1));

        const QString s2 = seitentext(pdf, 2);
        QVERIFY(hat(s2, QStringLiteral("^Berechtigungen Spur 2:")));
        QVERIFY(hat(s2, QStringLiteral("^Anzahl\\(max\\)\\s+44$")));
        QVERIFY(hat(s2, QStringLiteral("^123456789012345678901#\\s+Meier, Tor 1$")));
        QVERIFY(!hat(s2, QStringLiteral("Keine weiteren Daten")));
        QVERIFY(hat(s2, QStringLiteral("- Seite 2 -")));

        // The continued grid: no page head, the column heads again.
        const QString s3 = seitentext(pdf, 3);
        QVERIFY(!hat(s3, QStringLiteral("Liste der PORTAVOdatei")));
        QVERIFY(hat(s3, QStringLiteral("^Berechtigungen Spur 2\\s+Begleittext$")));
        QVERIFY(hat(s3, QStringLiteral("^Keine weiteren Daten$")));
        QVERIFY(hat(s3, QStringLiteral("- Seite 3 -")));

        const QString s4 = seitentext(pdf, 4);
        QVERIFY(hat(s4, QStringLiteral("^Liste der PORTAVOdatei")));
        QVERIFY(hat(s4, QStringLiteral("^Berechtigungen Spur 3:")));
        QVERIFY(hat(s4, QStringLiteral("^87654321\\s+Müller Kasse$")));

        for (int n : {12, 13}) {
            const QString s = seitentext(pdf, n);
            QVERIFY(hat(s, QStringLiteral("^Liste der PORTAVOdatei")));
            QVERIFY(hat(s, n == 12 ? QStringLiteral("^Sperrlisten Spur 2:") : QStringLiteral("^Sperrlisten Spur 3:")));
            QVERIFY(hat(s, QStringLiteral("^Keine weiteren Daten$")));
        }
        const QString s14 = seitentext(pdf, 14);
        QVERIFY(hat(s14, QStringLiteral("^Displaytexte:")));
        QVERIFY(hat(s14, QStringLiteral("^Displaytext 1\\s+Grüße Tür 1")));
        QVERIFY(hat(s14, QStringLiteral("- Seite 14 -")));
        // Every page carries its number: none is blank.
        for (int n = 1; n <= 14; ++n)
            QVERIFY2(hat(seitentext(pdf, n), QStringLiteral("- Seite %1 -").arg(n)), qPrintable(QString::number(n)));
    }

    void teilUndSprache()
    {
        const QString pdf = datei("settings-en.pdf");
        const QDate vorher = QDate::currentDate();
        const Lauf l = starte({"print", datei("standard.S2D"), "--pdf", pdf, "--section", "settings", "--lang", "en"});
        const QDate nachher = QDate::currentDate();
        QCOMPARE(l.status, 0);
        QCOMPARE(seitenzahl(pdf), 1);
        const QString s = seitentext(pdf, 1);
        QVERIFY(hat(s, QStringLiteral("^List of PORTAVO file")));
        QVERIFY(hat(s, QStringLiteral("^Basic settings:")));
        QVERIFY(hat(s, QStringLiteral("^Door opener with buzzer:\\s+Yes$")));
        QVERIFY2(hat(s, QStringLiteral("(%1|%2)\\s+\\d\\d:\\d\\d\\s+- Page 1 -")
                             .arg(vorher.toString(QStringLiteral("MM-dd-yyyy")), nachher.toString(QStringLiteral("MM-dd-yyyy")))),
                 qPrintable(s));

        const QString anzeige = datei("display.pdf");
        QCOMPARE(starte({"print", datei("standard.S2D"), "--pdf", anzeige, "--section", "display"}).status, 0);
        QCOMPARE(seitenzahl(anzeige), 1);
        QVERIFY(hat(seitentext(anzeige, 1), QStringLiteral("^Displaytext 8\\s+")));
    }

    void sondercodeKarten()
    {
        const QString pdf = datei("karten.pdf");
        const Lauf l = starte({"print", datei("sondercode.S2D"), "--pdf", pdf, "--section", "authorizations"});
        QCOMPARE(l.status, 0);
        // 4096 cards three to a line: 32 pages, and one for the empty
        // track-3/1 grid.
        QCOMPARE(seitenzahl(pdf), 33);
        const QString s1 = seitentext(pdf, 1);
        QVERIFY(hat(s1, QStringLiteral("^System:\\s+>>>>\\d{4}<{10}")));
        QVERIFY2(hat(s1, QStringLiteral("^>0000 Berechtigt\\s+Chef\\s+>0001 Gesperrt\\s+>0002 Gesperrt$")), qPrintable(s1));
        QVERIFY(hat(s1, QStringLiteral(">0009 Zeitzone 13\\s+Gärtner")));
        const QString s32 = seitentext(pdf, 32);
        QVERIFY(hat(s32, QStringLiteral("^>4095 Zeitzone 2\\s+Letzte Karte$")));
        QVERIFY(hat(s32, QStringLiteral("^Keine weiteren Daten$")));
        QVERIFY(hat(seitentext(pdf, 33), QStringLiteral("^Berechtigungen Spur 3:")));
    }

    void ohneBildschirm()
    {
        QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
        for (const char *v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            umgebung.remove(QLatin1String(v));
        umgebung.insert(QStringLiteral("DISPLAY"), QStringLiteral(":97"));  // a display that is not there
        const QString pdf = datei("ohne.pdf");
        const Lauf l = starte({"print", datei("standard.S2D"), "--pdf", pdf, "--section", "display"}, umgebung);
        QCOMPARE(l.status, 0);
        QCOMPARE(seitenzahl(pdf), 1);
    }

    void ausgabeNurAlsGewoehnlicheDatei()
    {
        const QString standard = datei("standard.S2D");
        // A link planted at the PDF's name: the name gets the PDF, the file
        // the link points to stays as it was.
        const QString opfer = datei("opfer.txt");
        QFile o(opfer);
        QVERIFY(o.open(QIODevice::WriteOnly) && o.write("bleibt") == 6);
        o.close();
        const QString pdf = datei("link.pdf");
        QVERIFY(QFile::link(opfer, pdf));
        Lauf l = starte({"print", standard, "--pdf", pdf, "--section", "display"});
        QCOMPARE(l.status, 0);
        QVERIFY(!QFileInfo(pdf).isSymLink());
        QCOMPARE(seitenzahl(pdf), 1);
        QFile r(opfer);
        QVERIFY(r.open(QIODevice::ReadOnly));
        QCOMPARE(r.readAll(), QByteArray("bleibt"));

        // A FIFO of that name is refused and stays a FIFO.
        const QString fifo = datei("fifo.pdf");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        l = starte({"print", standard, "--pdf", fifo, "--section", "display", "--lang", "en"});
        QCOMPARE(l.status, 1);
        QVERIFY2(l.fehler.contains(fifo) && l.fehler.contains(QStringLiteral("not a regular file")), qPrintable(l.fehler));
        QCOMPARE(l.fehler.count(QLatin1Char('\n')), 1);
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    }

    void vollePlatte()
    {
        // A file size limit of 2000 bytes in the program: the PDF does not
        // fit. The message says so in the chosen language, names the file,
        // and no file is left.
        for (const auto &[sprache, text] : {std::pair<const char *, const char *>{"de", "der Datenträger ist voll"},
                                            {"en", "the disk is full"}}) {
            const QString pdf = datei(QStringLiteral("voll-%1.pdf").arg(QLatin1String(sprache)));
            QProcess p;
            p.setChildProcessModifier([] { Dateigrenze::imKind(2000); });
            const QString env = qEnvironmentVariable("PORTAVO_CLI");
            p.start(env,
                    {"print", datei("standard.S2D"), "--pdf", pdf, "--lang", QLatin1String(sprache)});
            QVERIFY(p.waitForFinished(60000));
            QCOMPARE(p.exitCode(), 1);
            const QString fehler = QString::fromUtf8(p.readAllStandardError());
            QVERIFY2(fehler.contains(QString::fromUtf8(text)) && fehler.contains(pdf), qPrintable(fehler));
            QVERIFY(!fehler.contains(QStringLiteral("Unknown error")));
            QVERIFY(!QFile::exists(pdf));
        }
        QCOMPARE(QDir(m_dir.path()).entryList({"*.pdf*", ".*pdf*"}, QDir::Files | QDir::Hidden).filter("voll").size(), 0);
    }

    void keineFremdenWarnungen()
    {
        // Without a runtime folder in the environment (cron, ssh) nothing
        // but the command's own output appears.
        QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
        umgebung.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        const QString pdf = datei("still.pdf");
        const Lauf l = starte({"print", datei("standard.S2D"), "--pdf", pdf, "--section", "display"}, umgebung);
        QCOMPARE(l.status, 0);
        QCOMPARE(l.fehler, QString());
    }

    void fehler()
    {
        // Wrong usage.
        for (const QStringList &args :
             {QStringList{"print", datei("standard.S2D")}, QStringList{"print", "--pdf", datei("x.pdf")},
              QStringList{"print", datei("standard.S2D"), "--pdf", datei("x.pdf"), "--section", "cards"},
              QStringList{"print", datei("standard.S2D"), "--pdf", datei("x.pdf"), "--lang", "it"},
              QStringList{"print", datei("standard.S2D"), "--pdf"}}) {
            const Lauf l = starte(args);
            QCOMPARE(l.status, 2);
            QVERIFY(l.fehler.contains(QStringLiteral("usage: portavo-cli print")));
        }
        QVERIFY(!QFile::exists(datei("x.pdf")));
        const Lauf hilfe = starte({"print", "--help"});
        QCOMPARE(hilfe.status, 0);
        QVERIFY(hilfe.aus.contains(QStringLiteral("--section")));

        // A file that is not there.
        Lauf l = starte({"print", datei("fehlt.S2D"), "--pdf", datei("x.pdf")});
        QCOMPARE(l.status, 1);
        QVERIFY(!QFile::exists(datei("x.pdf")));

        // A PDF that cannot be written.
        l = starte({"print", datei("standard.S2D"), "--pdf", datei("nirgends/x.pdf")});
        QCOMPARE(l.status, 1);
        QVERIFY(l.fehler.contains(datei("nirgends/x.pdf")));
    }
};

PORTAVO_TESTKLASSE(TstCliPrint)
#include "tst_cli_print.moc"
