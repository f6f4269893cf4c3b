// The terminal file set on disk: load, save, and failures that must not cost the previous file.

#include "support/Testlauf.h"
#include "support/Datentabelle.h"
#include "support/Dateigrenze.h"
#include "support/Testhilfe.h"
#include "base/Dateiersatz.h"
#include "termfile/Dateiablauf.h"
#include "termfile/Terminaldatei.h"

#include <QTest>

#include <csignal>
#include <memory>

namespace {

// An image whose every part differs from what a test loads.
std::unique_ptr<Datenbild> bildMitMuster()
{
    auto b = std::make_unique<Datenbild>();
    for (int i = 0; i < Bildgroesse; ++i)
        b->Daten[i] = qint16((i * 13) % 256);
    for (int i = 0; i <= Textobergrenze; ++i)
        b->Begleittext[i] = b->Kundendaten[0][0][i] = b->Seitennamen[0][i] = QStringLiteral("vorher %1").arg(i);
    b->Dateiname = QStringLiteral("vorher.B2D"), b->Aenderungszaehler = 5;
    return b;
}

QByteArray standardtext(bool sondercode = false) { return hauptdatei([=](int i) { return satzbyte(sondercode, i); }); }


}  // namespace

class TstTerminaldatei : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir; // a fresh folder for each test

    QString pfad(const QString &name) const { return m_dir->filePath(name); }
    int eintraege() const
    {
        return int(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size());
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    // " value " CR LF for bytes 0..2047; LF, tabs, a byte-order mark, blank lines at the end are read too.
    void hauptdateiRundreise()
    {
        auto b = bildMitMuster();
        b->Daten[2100] = 77; // beyond the memory: never saved
        const QString datei = pfad("R.S2D");
        QVERIFY(Terminaldatei::schreibeHauptdatei(*b, datei).ok && lies(datei).startsWith(" 0 \r\n 13 \r\n"));
        QVERIFY(lies(datei).count('\n') == Bildgroesse && lies(datei).count("\r\n") == Bildgroesse);
        Terminaldatei::Speicherbytes zurueck{};
        QVERIFY(Terminaldatei::leseHauptdatei(datei, zurueck).ok && std::equal(zurueck.begin(), zurueck.end(), b->Daten.begin()));
        QVERIFY(Terminaldatei::parseHauptdatei("\xEF\xBB\xBF\t12  \n" + standardtext().mid(5).replace("\r\n", "\n") + "\r\n \r\n", zurueck).ok);
        QVERIFY(zurueck[0] == 12 && zurueck[2047] == satzbyte(false, 2047));
    }

    // A faulty main file is refused with its line and reason; the image stays as it was.
    void hauptdateiVerweigert_data()
    {
        // inhalt: or what legeAn() puts there; erwartet: part of the message
        spalten<QByteArray, QString>("inhalt", "erwartet");
        const QByteArray gut = standardtext();
        const auto ersetzt = [&](const char *durch) { return QByteArray(gut).replace(0, 5, durch); };
        QTest::newRow("empty") << QByteArray() << "nur 0 von 2048";
        QTest::newRow("2047 lines") << gut.left(gut.lastIndexOf(" \r\n ") + 3) << "nur 2047 von 2048";
        QTest::newRow("256") << hauptdatei([](int i) { return i == 999 ? 256 : 0; }) << "Zeile 1000 (Speicherbyte 999): 256";
        QTest::newRow("word") << ersetzt(" zwoelf \r\n") << "Zeile 1 (Speicherbyte 0): „zwoelf“ ist keine Zahl";
        QTest::newRow("two numbers") << ersetzt(" 1 2 \r\n") << "ist keine Zahl";
        QTest::newRow("huge") << ersetzt(" 99999999999999999999999 \r\n") << "Zeile 1 (Speicherbyte 0)";
        QTest::newRow("blank line") << ersetzt(" 5 \r\n\r\n") << "Zeile 2 (Speicherbyte 1) ist leer";
        QTest::newRow("2049 numbers") << gut + " 5 \r\n" << "Zeile 2049";
        for (const char *art : {"fehlt", "fifo", "zero", "ordner"})
            QTest::newRow(art) << QByteArray(art) << "F.S2D";
    }
    void hauptdateiVerweigert()
    {
        const auto [inhalt, erwartet] = werte<QByteArray, QString>("inhalt", "erwartet");
        const QString haupt = pfad("F.S2D");
        QVERIFY(inhalt.size() < 7 && !inhalt.isEmpty() ? legeAn(QString::fromLatin1(inhalt), haupt) : schreib(haupt, inhalt));
        schreib(pfad("F.B2D"), textzeilen(2001, "neu "));
        auto b = bildMitMuster();
        const auto daten = b->Daten;
        const Dateiergebnis e = Terminaldatei::laden(*b, haupt);
        QVERIFY2(!e.ok && e.meldung.contains(erwartet) && e.meldung.contains(QStringLiteral("F.S2D")), qPrintable(e.meldung));
        QVERIFY(b->Daten == daten && b->Begleittext[2000] == "vorher 2000" && b->Dateiname == "vorher.B2D" && b->Aenderungszaehler == 5);
    }

    // A companion file needs its lines or all of it is reset; a FIFO or a dangling link counts as missing.
    void begleitdateiKurzOderVoll_data()
    {
        spalten<bool, QString, QString, int>("sondercode", "datei", "art", "zeilen");
        for (const auto &[sonder, datei, zeilen] : {std::tuple{false, "B2D", 2000}, {false, "B2D", 1999}, {false, "B2D", 5001},
                                                    {true, "B2D", 5000}, {true, "B2D", 4999}, {false, "V2D", 5000},
                                                    {false, "V2D", 4999}, {false, "B3D", 4999}})
            QTest::addRow("%s %s %d", sonder ? "special" : "standard", datei, zeilen) << sonder << datei << "" << zeilen;
        for (const char *art : {"fifo", "toterLink"})
            QTest::newRow(art) << false << "B2D" << art << 0;
    }
    void begleitdateiKurzOderVoll()
    {
        const auto [sondercode, datei, art, zeilen] = werte<bool, QString, QString, int>("sondercode", "datei", "art", "zeilen");
        const QString basis = pfad("K"), teil = basis + '.' + datei;
        schreib(basis + ".S2D", standardtext(sondercode));
        // A CR inside a line reads as a blank; it is no line end.
        QVERIFY(art.isEmpty() ? schreib(teil, textzeilen(zeilen).replace("zeile 1\r", "zeile\r1\r")) : legeAn(art, teil));
        auto b = bildMitMuster();
        QVERIFY(Terminaldatei::laden(*b, basis + ".S2D").ok);
        Terminaldatei::ladeSeitendateien(*b, basis, datei == "B3D" ? 2 : 1);
        QVERIFY(b->Begleittextgrenze == (sondercode ? 5000 : 2000) && !QFile::exists(teil + ".fehlt"));
        QVERIFY(art.isEmpty() || !QFileInfo(teil).isFile());  // a FIFO stays, nothing is created through the link
        QVERIFY(QFile::exists(basis + (datei == "B3D" ? ".T3D" : ".T2D")));  // a missing customer file is created empty
        const QVector<QString> &z = datei == "B2D" ? b->Begleittext : datei == "V2D" ? b->Kundendaten[0][0] : b->Seitennamen[0];
        const int grenze = datei == "B2D" ? b->Begleittextgrenze : 5000, gelesen = qMin(zeilen, grenze + 1);
        for (int i = 0; zeilen < grenze && i <= Textobergrenze; ++i)
            QCOMPARE(z[i], Leerzeile);
        const QString erwartet = QStringLiteral("zeile %1").arg(gelesen - 1);
        QVERIFY(zeilen < grenze || (z[1] == "zeile 1" && z[gelesen - 1] == erwartet && z[gelesen] == QStringLiteral("vorher %1").arg(gelesen)));
    }

    // Each save writes the files of its page and nothing else.
    void speichernSchreibtDieTeileDerSeite()
    {
        const QString basis = pfad("T");
        schreib(basis + ".B2D", "unberührt\r\n");
        auto b = bildMitMuster();
        const Dateiergebnis e = Terminaldatei::speichern(*b, basis, 3);
        QVERIFY(e.ok && e.pfad == basis + ".S4D" && lies(basis + ".S4D") == Terminaldatei::hauptdateitext(*b));
        QVERIFY(lies(basis + ".B2D") == "unberührt\r\n" && b->Aenderungszaehler == 0);
        // Save as: main file and .B2D (a line break inside a text as blanks); no extension: refused.
        b->Begleittextgrenze = 5000;
        b->Begleittext[1] = QStringLiteral("Müller €\r\nzwei");
        QVERIFY(Terminaldatei::speichernUnter(*b, pfad("neu.S2D")).ok);
        const QByteArray b2d = lies(pfad("neu.B2D"));
        QVERIFY(b2d.count("\r\n") == 5001 && b2d.contains("\r\nM\xfcller \x80  zwei\r\nvorher 2\r\n"));
        b->Aenderungszaehler = 3;
        QVERIFY(!Terminaldatei::speichernUnter(*b, pfad("ab")).ok && b->Aenderungszaehler == 3);
        QCOMPARE(eintraege(), 4);  // no temporary file
        schreib(pfad("a1.S2D"), "x");  // brackets are no wildcards
        for (const QString &name : {QStringLiteral("a[1].S2D"), QStringLiteral("fehlt.S2D")})
            QCOMPARE(Terminaldatei::vorhandeneDatei(pfad(name)), pfad(name));
    }

    // Save writes its files all or nothing, and leaves no temporary file.
    void speichernAllesOderNichts_data()
    {
        // art: what stands at A.B2D; grenze: file size limit, 0: none; datei: named in the message
        spalten<QString, int, bool, QString>("art", "grenze", "kunden", "datei");
        QTest::newRow("B2D is a folder") << "ordner" << 0 << false << "A.B2D";
        QTest::newRow("B2D is read-only") << "schreibgeschuetzt" << 0 << false << "A.B2D";
        QTest::newRow("disk full at the main file") << "" << 4096 << false << "A.S2D";
        QTest::newRow("disk full at the B2D") << "" << 16000 << false << "A.B2D";
        QTest::newRow("disk full, customer data") << "" << 4096 << true << "A.B3D";
    }
    void speichernAllesOderNichts()
    {
        const auto [art, grenze, kunden, datei] = werte<QString, int, bool, QString>("art", "grenze", "kunden", "datei");
        const QString basis = pfad("A");
        schreib(basis + ".S2D", standardtext());
        QVERIFY(art.isEmpty() ? schreib(basis + ".B2D", textzeilen(2001)) : legeAn(art, basis + ".B2D"));
        const auto vorher = ordnerinhalt(m_dir->path());
        auto b = bildMitMuster();
        b->Begleittextgrenze = 2000;
        const Dateiergebnis e = Dateigrenze::unter(grenze ? rlim_t(grenze) : RLIM_INFINITY, [&, kunden = kunden] {
            return kunden ? Terminaldatei::speichereKundendaten(*b, basis, 2) : Terminaldatei::speichern(*b, basis, 1);
        });
        QVERIFY2(!e.ok && e.meldung.contains(datei), qPrintable(e.meldung));
        QVERIFY(ordnerinhalt(m_dir->path()) == vorher && b->Aenderungszaehler == 5 && eintraege() == 2);
    }

    // The writer replaces regular files (keeping their permissions) and links as names only.
    void ersetzenNurGewoehnlicheDateien_data()
    {
        spalten<QString, int>("art", "fehler");
        using F = Dateiersatz::Fehlerart; // "neu": no file yet, "rechte": a file with mode 0640
        for (const auto &[art, fehler] : {std::pair{"neu", F::Keiner}, {"rechte", F::Keiner}, {"link", F::Keiner}, {"toterLink", F::Keiner},
                                          {"fifo", F::KeineDatei}, {"ordner", F::KeineDatei}, {"schreibgeschuetzt", F::Schreibgeschuetzt}})
            QTest::newRow(art) << art << int(fehler);
    }
    void ersetzenNurGewoehnlicheDateien()
    {
        const auto [art, fehler] = werte<QString, int>("art", "fehler");
        const QString ziel = pfad("ziel"), opfer = pfad("opfer");
        schreib(opfer, "bleibt");
        QVERIFY(legeAn(art, ziel, opfer));
        if (art == "rechte")
            QVERIFY(schreib(ziel, "alt") && QFile::setPermissions(ziel, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        Dateiersatz::Schreibfehler f;
        const bool ok = Dateiersatz::ersetze(ziel, "neu", &f);
        struct stat st {};
        QVERIFY2(int(f.art) == fehler && ok == !fehler && ::lstat(QFile::encodeName(ziel).constData(), &st) == 0, qPrintable(f.text()));
        QVERIFY(lies(opfer) == "bleibt" && !QFile::exists(ziel + ".fehlt") && eintraege() == 2);
        // Replaced: a regular file, the mode kept; refused: named, and what stood there stands still.
        QVERIFY(ok ? S_ISREG(st.st_mode) && lies(ziel) == "neu" && (art != "rechte" || (st.st_mode & 0777) == 0640)
                   : f.text().contains(ziel)
                         && (art == "fifo" ? S_ISFIFO(st.st_mode) : art == "ordner" ? S_ISDIR(st.st_mode) : lies(ziel) == "alt"));
    }

    // Ctrl-C during the renames takes effect when all files are in place.
    void signalWartetBisDerSatzSteht()
    {
        static QByteArray stand; // what the handler saw: 'n' new, 'a' old, per file
        static QString haupt, begleit;
        haupt = terminalsatz(m_dir->path(), QStringLiteral("STD"), false), begleit = pfad("STD.B2D"), stand.clear();
        const auto alterHandler = std::signal(SIGINT, [](int) {
            stand += lies(haupt).startsWith(" 99 \r\n") ? 'n' : 'a';
            stand += lies(begleit).startsWith("neu\r\n") ? 'n' : 'a';
        });
        int umbenannt = 0;
        Dateiersatz::setzeBeobachter([&umbenannt](const QString &) {
            if (umbenannt++ == 0)
                std::raise(SIGINT);
        });
        Datenbild b;
        QVERIFY(Terminaldatei::laden(b, haupt, Terminaldatei::Ablage::NurLesen).ok);
        b.setzeByte(0, 99);
        b.Begleittext[0] = QStringLiteral("neu");
        const Dateiergebnis e = Terminaldatei::speichern(b, Terminaldatei::basis(haupt), 1);
        Dateiersatz::setzeBeobachter({});
        std::signal(SIGINT, alterHandler);
        QVERIFY2(e.ok && umbenannt == 2 && stand == "nn", qPrintable(e.meldung));
    }

    // A discarded companion file is saved over only after a question, and kept as a copy.
    void verworfeneBegleitdateiNurNachFrage()
    {
        const QString basis = pfad("K");
        schreib(basis + ".S2D", standardtext());
        const QByteArray kurz = textzeilen(1999, "Kommentar ");
        schreib(basis + ".B2D", kurz);
        Zustand z;
        z.sprache.versatz = 1000;
        QVERIFY(Terminaldatei::laden(z.bild, basis + ".S2D").ok);
        MeldungAufnahme m;
        m.antworte(Meldung::Nein);
        QVERIFY(!Dateiablauf::speichern(z, m, basis, 1));
        const QString frage = m.eintraege().value(0).text;
        QVERIFY2(m.textnummern() == QList<int>{669} && frage.contains("K.B2D.bak") && frage.contains("too few lines"), qPrintable(frage));
        QVERIFY(lies(basis + ".B2D") == kurz && !QFile::exists(basis + ".B2D.bak"));
        m.antworte(Meldung::Ja);
        QVERIFY(Dateiablauf::speichern(z, m, basis, 1) && lies(basis + ".B2D.bak") == kurz && lies(basis + ".B2D").count("\r\n") == 2001);
        m.leeren();
        QVERIFY(Dateiablauf::speichern(z, m, basis, 1) && m.eintraege().isEmpty());  // saved whole: no question

        // Short or unended: discarded; enough lines, or empty: nothing to lose.
        schreib(basis + ".B3D", textzeilen(4999)), schreib(basis + ".V3D", textzeilen(5000));
        schreib(basis + ".P3D", QByteArray()), schreib(basis + ".O3D", "eine Zeile ohne Ende");
        const auto teile = Terminaldatei::kundendatenteile(z.bild, basis, 2);
        QCOMPARE(Terminaldatei::verworfeneDateien(teile), (QStringList{basis + ".B3D", basis + ".O3D"}));
        QVERIFY(Terminaldatei::speichereKundendaten(z.bild, basis, 2).ok);
        QVERIFY(lies(basis + ".B3D.bak") == textzeilen(4999) && lies(basis + ".O3D.bak") == "eine Zeile ohne Ende");
        QVERIFY(!QFile::exists(basis + ".V3D.bak") && !QFile::exists(basis + ".P3D.bak"));
    }
};

PORTAVO_TESTKLASSE(TstTerminaldatei)
#include "tst_terminaldatei.moc"
