// The editor in special-code mode: card grid, card dialogs, system number, pages, search, the file set.

#include "support/Testlauf.h"
#include "Editorhilfe.h"
#include "support/Fensterhilfe.h"
#include "support/Datentabelle.h"

#include "app/Listengitter.h"

#include <QtWidgets>

namespace {

// Special code (track 2), system number 531, card 9 in zones 1 and 3, card 100 always authorized.
Bytes sonderbild()
{
    Bytes b = grundbild();
    b[2] = 0x81, b[3] = b[4] = 4, b[272] = 18, b[273] = 243, b[513] = b[1537] = 2;
    for (int plane : {512, 1024, 1536})
        b[plane + 12] = 16;  // card 100 = byte 12, bit 4
    return b;
}

QStringList namen(const QString &praefix)
{
    QStringList l;
    for (int i = 0; i < 5001; ++i)
        l << praefix + QString::number(i);
    return l;
}

void klick(Listengitter *g, int zeile, int spalte, Qt::KeyboardModifiers mod = {})
{
    g->scrollTo(g->model()->index(zeile, spalte));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, mod, g->visualRect(g->model()->index(zeile, spalte)).center());
}

void doppelklick(Listengitter *g, int zeile, int spalte)
{
    klick(g, zeile, spalte);
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(zeile, spalte)).center());
}

QString label1(QWidget *d) { return kind<QLabel>(d, "Label1")->text(); }
void knopf(QWidget *d, const char *name) { kind<QPushButton>(d, name)->click(); }

}  // namespace

class tst_sondercode : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    Zustand m_z;
    MeldungAufnahme m_m;

    QString pfad(const QString &name) const { return m_dir.filePath(name); }
    // A set "SK": pages 1 and 2 with names; customer files of both pages.
    QString satz()
    {
        for (const QString &n : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(pfad(n));
        schreib(pfad("SK.S2D"), hauptdateiInhalt(sonderbild()));
        Bytes b2 = sonderbild();
        b2[513] = b2[1537] = 0;
        b2[515] = 1;  // page 2: card 24 in zone 1
        schreib(pfad("SK.S3D"), hauptdateiInhalt(b2));
        schreib(pfad("SK.B2D"), begleitInhalt(namen("Name "), 5001));
        schreib(pfad("SK.B3D"), begleitInhalt(namen("Zwei "), 5001));
        for (const QString f : {"V", "P", "O", "R", "T", "M"})
            for (const QString s : {"2D", "3D"}) {
                QStringList l = namen(f + s + QLatin1Char(' '));
                if (f + s == QLatin1String("T3D"))
                    l[7] = QStringLiteral("0711 4711");
                schreib(pfad(QStringLiteral("SK.") + f + s), begleitInhalt(l, 5001));
            }
        return pfad("SK.S2D");
    }

    QMap<QString, QByteArray> dateien() const { return ordnerinhalt(m_dir.path()); }

    std::unique_ptr<Editorfenster> oeffne(const QString &datei) { return editor(m_z, m_m, datei); }
    static Listengitter *gitter1(Editorfenster *w)
    {
        kind<QTabWidget>(w, "SSTab1")->setCurrentIndex(1);
        return kind<Listengitter>(w, "Mgd1");
    }

    // The page view of page seite (answering No to a question on the way).
    static void seitenansicht(Editorfenster *w, MeldungAufnahme &m, int seite)
    {
        kind<QCheckBox>(w, "Check12000")->click();
        m.antworte(Meldung::Nein);
        kind<QRadioButton>(w, qPrintable(QStringLiteral("OptionSeite%1").arg(seite)))->click();
    }

    // Searches for text with the search button knopfname and closes the dialog.
    static void suche(Editorfenster *w, const QString &text, const char *knopfname = "Suchen1")
    {
        imDialog([text](QWidget *d) {
            kind<QLineEdit>(d, "Text1")->setText(text);
            knopf(d, "Command1");
            knopf(d, "Command3");
        });
        kind<QPushButton>(w, knopfname)->click();
    }

private slots:
    void init()
    {
        m_z = Zustand();
        m_m.leeren();
        m_z.sprache.protokollnamen[0] = "Standard";
    }

    void kartengitterUndSystemnummer()
    {
        auto w = oeffne(satz());
        Listengitter *g = gitter1(w.get());
        Listenmodell *m = w->listenmodell(1);
        QCOMPARE(m->rowCount(), 4099);
        QCOMPARE(zelle(m, 2, 0), QStringLiteral("System:  >>>>0531<<<<<<<<<<"));
        QCOMPARE(zelle(m, 12, 0), QStringLiteral(">0009             Zeitzone 13"));
        QCOMPARE(zelle(m, 103, 0), QStringLiteral(">0100           Berechtigt "));

        // The count row opens nothing; the system row the system-number dialog.
        QTimer *wache = imDialog([](QWidget *d) { QFAIL(qPrintable(d->objectName())); });
        doppelklick(g, 1, 0);
        delete wache;
        QString gesehen;
        imDialog([&](QWidget *d) {
            gesehen = d->objectName() + kind<QLineEdit>(d, "Text1")->text();
            kind<QLineEdit>(d, "Text1")->setText(QStringLiteral("256"));
            knopf(d, "Co2");
        });
        doppelklick(g, 2, 0);
        QCOMPARE(gesehen, QStringLiteral("qrxgruco2d0531"));
        QVERIFY(m_z.bild.byte(272) == 1 && m_z.bild.byte(273) == 240);
        QCOMPARE(zelle(m, 2, 0), QStringLiteral("System:  >>>>0256<<<<<<<<<<"));
    }

    void karteBerechtigenUndSperren()
    {
        auto w = oeffne(satz());
        Listengitter *g = gitter1(w.get());
        QStringList gesehen;
        imDialog([&](QWidget *d) {
            gesehen << label1(d) << kind<QLabel>(d, "Label2")->text() << kind<QLineEdit>(d, "Text2")->text();
            for (int i = 0; i < 4; ++i) {
                auto *zone = kind<QCheckBox>(d, qPrintable(QStringLiteral("Check1_%1").arg(i)));
                gesehen << QString::number(zone->isChecked());
                zone->setChecked(false);
            }
            knopf(d, "Command2");  // no zone: "Zeitzone eingeben", the dialog stays
            kind<QCheckBox>(d, "Check1_3")->click();  // "alle"
            kind<QLineEdit>(d, "Text2")->setText(QStringLiteral("Grüße Müller"));
            knopf(d, "Command2");
        });
        doppelklick(g, 12, 1);
        QCOMPARE(gesehen, (QStringList{"0009", "berechtigt", "Name 9", "1", "0", "1", "0"}));
        QCOMPARE(m_m.textnummern(), QList<int>{216});
        QCOMPARE(m_z.bild.zeitzonenziffern(9), QStringLiteral("123"));
        QCOMPARE(zelle(w->listenmodell(1), 12, 0), QStringLiteral(">0009           Berechtigt "));

        imDialog([](QWidget *d) { knopf(d, "Command3"); });
        doppelklick(g, 103, 0);
        QVERIFY(m_z.bild.gesperrt(100));
        kind<QAction>(w.get(), "mnuSave")->trigger();
        QVERIFY(lies(pfad("SK.B2D")).contains("\r\nGr\xfc\xdf" "e M\xfcller\r\n"));
    }

    void gruppeMitShift()
    {
        auto w = oeffne(satz());
        Listengitter *g = gitter1(w.get());
        // Card 17, Shift+Down to card 20, Enter: the group 17..20.
        klick(g, 20, 0);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(g, Qt::Key_Down, Qt::ShiftModifier);
        QString label;
        imDialog([&](QWidget *d) {
            label = label1(d) + QLatin1Char('/') + kind<QLineEdit>(d, "Text2")->text();
            kind<QCheckBox>(d, "Check1_0")->setChecked(false);
            kind<QCheckBox>(d, "Check1_1")->setChecked(true);
            knopf(d, "Command2");
        });
        QTest::keyClick(g, Qt::Key_Return);
        QCOMPARE(label, QStringLiteral("0017-0020/----------"));
        for (int k = 17; k <= 20; ++k) {
            QCOMPARE(m_z.bild.zeitzonenziffern(k), QStringLiteral("2"));
            QCOMPARE(m_z.bild.Begleittext[k], QStringLiteral("Name %1").arg(k));  // own names kept
        }
        QVERIFY(m_z.bild.gesperrt(16) && m_z.bild.gesperrt(21));
    }

    // Save writes the page that is open (a lower-case name as it is), never page 1.
    void speichernSchreibtDieOffeneSeite_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("Seite 2") << "SK.S3D";
        QTest::newRow("klein geschrieben") << "t7.s2d";
    }
    void speichernSchreibtDieOffeneSeite()
    {
        QFETCH(QString, name);
        satz();
        schreib(pfad("t7.s2d"), hauptdateiInhalt(sonderbild()));
        schreib(pfad("t7.b2d"), begleitInhalt(namen("klein "), 5001));
        auto vorher = dateien();
        auto w = oeffne(pfad(name));
        QCOMPARE(zelle(w->listenmodell(1), 3, 1), name == "t7.s2d" ? QStringLiteral("klein 0") : QStringLiteral("Zwei 0"));
        kind<QRadioButton>(w.get(), "SummerJa")->click();
        kind<QAction>(w.get(), "mnuSave")->trigger();
        QVERIFY(lies(pfad(name)).startsWith(" 5 \r\n 21 \r\n"));
        QCOMPARE(w->hauptdatei(), pfad(name));
        auto nachher = dateien();
        vorher.remove(name), nachher.remove(name);
        QCOMPARE(nachher, vorher);
    }

    void seitenansicht()
    {
        auto w = oeffne(satz());
        auto *tabs = kind<QTabWidget>(w.get(), "SSTab1");
        kind<QCheckBox>(w.get(), "Check12000")->click();
        QVERIFY(!tabs->isTabVisible(1) && !tabs->isTabVisible(3));
        kind<QRadioButton>(w.get(), "OptionSeite2")->click();
        QCOMPARE(w->hauptdatei(), pfad("SK.S3D"));
        QVERIFY(tabs->isTabVisible(1));
        Listenmodell *m = w->listenmodell(1);
        QCOMPARE(zelle(m, 27, 0), QStringLiteral("B 0024             Zeitzone 1"));
        QCOMPARE(zelle(m, 27, 1) + zelle(m, 27, 2) + zelle(m, 27, 7), QStringLiteral("Zwei 24V3D 24M3D 24"));

        // A first name typed, then "Sperren": stored and the page's customer files written.
        Listengitter *g = kind<Listengitter>(w.get(), "Mgd1");
        QString label;
        imDialog([&](QWidget *d) {
            label = d->objectName() + QLatin1Char('/') + label1(d) + QLatin1Char('/') + kind<QLineEdit>(d, "text8")->text();
            kind<QLineEdit>(d, "text8")->setText(QStringLiteral("Jörg"));
            knopf(d, "Command3");
        });
        doppelklick(g, 27, 1);
        QCOMPARE(label, QStringLiteral("qrxdatensp12000/B 0024/V3D 24"));
        QVERIFY(m_z.bild.gesperrt(24) && lies(pfad("SK.V3D")).contains("\r\nJ\xf6rg\r\n"));

        // Another page with unsaved changes: the question first (No drops them).
        m_m.leeren();
        m_m.antworte(Meldung::Nein);
        kind<QRadioButton>(w.get(), "OptionSeite1")->click();
        QCOMPARE(m_m.textnummern(), QList<int>{275});
        QVERIFY(w->seite() == 1 && zelle(m, 3, 2) == "V2D 0");
        QVERIFY(lies(pfad("SK.S3D")).contains("\r\n 0 \r\n"));  // page 2 not saved
    }

    void seiteAnlegen()
    {
        auto w = oeffne(satz());
        const auto vorher = dateien();
        // Page 3 has no main file: No leaves everything as it was.
        seitenansicht(w.get(), m_m, 3);
        QCOMPARE(m_m.textnummern(), QList<int>{414});
        QCOMPARE(m_m.eintraege().at(0).titelnummer, 690);  // its own question, not the one about changes
        QVERIFY(dateien() == vorher && w->seite() == 1);

        m_m.leeren();
        m_m.antworte(Meldung::Ja);
        kind<QRadioButton>(w.get(), "OptionSeite3")->click();
        QCOMPARE(w->seite(), 3);
        Bytes erwartet = sonderbild();
        std::fill(erwartet.begin() + 512, erwartet.end(), 0);
        QCOMPARE(lies(pfad("SK.S4D")), hauptdateiInhalt(erwartet));
        QVERIFY(lies(pfad("SK.B4D")) == begleitInhalt({}, 5001) && lies(pfad("SK.M4D")) == begleitInhalt({}, 5001));
    }

    void suchen()
    {
        auto w = oeffne(satz());
        m_z.bild.Begleittext[0] = QStringLiteral("Meyer");
        m_z.bild.Begleittext[6] = QStringLiteral("MEYERHOF");
        Listengitter *g = gitter1(w.get());
        QStringList treffer;
        imDialog([&](QWidget *d) {
            kind<QLineEdit>(d, "Text1")->setText(QStringLiteral("meyer"));
            knopf(d, "Command1");
            treffer << QString::number(g->currentIndex().row());
            knopf(d, "Command2");
            treffer << QString::number(g->currentIndex().row());
            knopf(d, "Command2");  // no more
            knopf(d, "Command3");
        });
        kind<QPushButton>(w.get(), "Suchen1")->click();
        QCOMPARE(treffer, (QStringList{"3", "9"}));  // card 0 is found
        QCOMPARE(m_m.textnummern(), QList<int>{405});
        QCOMPARE(w->listenmodell(1)->treffer(), w->listenmodell(1)->index(9, 1));

        // Page view: a text only in the telephone column (card 7 of page 2).
        seitenansicht(w.get(), m_m, 2);
        suche(w.get(), QStringLiteral("4711"));
        QCOMPARE(g->currentIndex(), g->model()->index(10, 6));
        QCOMPARE(g->rowAt(0), 10);  // scrolled to the top; the card numbers stay on show beside it
        auto *nummern = kind<QTableView>(g, "FesteSpalte");
        QVERIFY(nummern->isVisible() && nummern->rowAt(0) == 10);
    }

    // Track 3 and the block lists are searched in their own grids.
    void jedesGitterDurchsuchbar_data()
    {
        spalten<bool, int>("sperr", "liste");
        QTest::newRow("Spur 3") << false << 2;
        QTest::newRow("Sperrliste Spur 3") << true << 4;
    }
    void jedesGitterDurchsuchbar()
    {
        const auto [sperr, liste] = werte<bool, int>("sperr", "liste");
        Bytes b = standardbild(6, 8);
        b[1] |= sperr ? 0x40 : 0;
        schreib(pfad("ST.S2D"), hauptdateiInhalt(b));
        schreib(pfad("ST.B2D"), begleitInhalt({}, 2001));
        auto w = oeffne(pfad("ST.S2D"));
        kind<QTabWidget>(w.get(), "SSTab1")->setCurrentIndex(sperr ? 2 : 0);  // the button follows the tab
        Listenmodell *m = w->listenmodell(liste);
        m_z.bild.Begleittext[m->eintragsnummer(6)] = QStringLiteral("Wagner hinten");
        suche(w.get(), QStringLiteral("WAGNER"), "Suchen2");
        QCOMPARE(kind<Listengitter>(w.get(), qPrintable(QStringLiteral("Mgd%1").arg(liste)))->currentIndex(), m->index(6, 1));
        QCOMPARE(kind<QTabWidget>(w.get(), "SSTab1")->currentIndex(), liste <= 2 ? 1 : 2);
    }

    // Page 2 chosen, then back to the standard layout: grid, card dialog and Save stay with page 2.
    void seiteBleibtNachDerSeitenansicht()
    {
        auto w = oeffne(satz());
        const QByteArray s2 = lies(pfad("SK.S2D"));
        seitenansicht(w.get(), m_m, 2);
        kind<QCheckBox>(w.get(), "Check12000")->click();
        QVERIFY(m_m.textnummern().isEmpty());
        QVERIFY(w->hauptdatei() == pfad("SK.S3D") && w->windowTitle() == pfad("SK.S3D"));
        QCOMPARE(zelle(w->listenmodell(1), 27, 1), QStringLiteral("Zwei 24"));
        imDialog([](QWidget *d) { knopf(d, "Command3"); });  // "Sperren" on card 24
        doppelklick(gitter1(w.get()), 27, 0);
        kind<QAction>(w.get(), "mnuSave")->trigger();
        QCOMPARE(lies(pfad("SK.S3D")).split('\n').at(515), QByteArray(" 0 \r"));  // card 24 blocked
        QCOMPARE(lies(pfad("SK.S2D")), s2);
    }

    void kartendialogAbbrechenSchreibtNichts_data()
    {
        QTest::addColumn<QString>("wie");
        QTest::newRow("abbrechen") << "Command1";
        QTest::newRow("Escape") << "Escape";
        QTest::newRow("Fenster schliessen") << "close";
    }
    void kartendialogAbbrechenSchreibtNichts()
    {
        QFETCH(QString, wie);
        auto w = oeffne(satz());
        seitenansicht(w.get(), m_m, 2);
        const auto vorher = dateien();
        const Datenbild bildVorher = m_z.bild;
        QStringList gesehen;
        imDialog([&](QWidget *d) {
            QApplication::setActiveWindow(d);
            QVERIFY(QTest::qWaitForWindowActive(d));
            // A click into a box selects its text; nothing is emptied.
            auto *text8 = kind<QLineEdit>(d, "text8");
            QTest::mouseClick(text8, Qt::LeftButton, {}, text8->rect().center());
            gesehen << text8->selectedText();
            QTest::keyClicks(text8, "Joerg");
            kind<QLineEdit>(d, "text1")->setFocus(Qt::TabFocusReason);
            QTest::keyClicks(kind<QLineEdit>(d, "text1"), "Anders");
            kind<QLineEdit>(d, "text3")->setFocus(Qt::TabFocusReason);
            gesehen << text8->text();
            if (wie == QLatin1String("Escape"))
                QTest::keyClick(d, Qt::Key_Escape);
            else if (wie == QLatin1String("close"))
                d->close();
            else
                knopf(d, qPrintable(wie));
        });
        doppelklick(kind<Listengitter>(w.get(), "Mgd1"), 27, 1);
        QCOMPARE(gesehen, (QStringList{"V3D 24", "Joerg"}));
        QVERIFY(m_z.bild.Kundendaten == bildVorher.Kundendaten && m_z.bild.Begleittext == bildVorher.Begleittext);
        QCOMPARE(dateien(), vorher);
    }

    // A group in the page view keeps each card's names; a town typed goes to every card and its file.
    void seitenansichtGruppe()
    {
        auto w = oeffne(satz());
        seitenansicht(w.get(), m_m, 1);
        Listengitter *g = kind<Listengitter>(w.get(), "Mgd1");
        klick(g, 60, 2);
        klick(g, 58, 2, Qt::ShiftModifier);
        QStringList gesehen;
        imDialog([&](QWidget *d) {
            gesehen << label1(d) << kind<QLineEdit>(d, "text1")->text();
            kind<QLineEdit>(d, "text4")->selectAll();
            QTest::keyClicks(kind<QLineEdit>(d, "text4"), "Neustadt");  // typed, as a user does
            knopf(d, "Command2");
        });
        QTest::keyClick(g, Qt::Key_Enter);
        QCOMPARE(gesehen, (QStringList{"0057-0055", "Name"}));
        for (int k = 54; k <= 58; ++k) {
            const bool drin = k >= 55 && k <= 57;
            QCOMPARE(m_z.bild.zeitzonenziffern(k), drin ? QStringLiteral("1") : QString());
            QCOMPARE(m_z.bild.Kundendaten[0][2][k], drin ? QStringLiteral("Neustadt") : QStringLiteral("O2D %1").arg(k));
            QCOMPARE(m_z.bild.Kundendaten[0][1][k], QStringLiteral("P2D %1").arg(k));
            QCOMPARE(m_z.bild.Begleittext[k], QStringLiteral("Name %1").arg(k));
        }
        QVERIFY(lies(pfad("SK.O2D")).contains("\r\nO2D 54\r\nNeustadt\r\nNeustadt\r\nNeustadt\r\nO2D 58\r\n"));
    }

    void speichernAlsNimmtDenSatzMit()
    {
        satz();
        auto w = oeffne(pfad("SK.S3D"));
        QDir().mkpath(pfad("neu"));
        imDialog([&](QWidget *d) { dateiWaehlen(d, pfad("neu/KOPIE.S2D")); });
        kind<QAction>(w.get(), "mnuSaveAs")->trigger();
        // Page 2 stays page 2; every other file of the set comes along.
        QCOMPARE(w->hauptdatei(), pfad("neu/KOPIE.S3D"));
        for (const char *e : {"S2D", "S3D", "B2D", "B3D", "V2D", "T3D", "M3D"})
            QCOMPARE(lies(pfad(QStringLiteral("neu/KOPIE.") + e)), lies(pfad(QStringLiteral("SK.") + e)));
        QVERIFY(!QFile::exists(pfad("neu/KOPIE.S4D")));
    }

    void csvImportImEditor()
    {
        auto w = oeffne(satz());
        const auto alt = dateien();
        QTemporaryDir anderswo;
        const QString csv = anderswo.filePath("x.csv");
        const QByteArray kopf("Karte,Zeitzonen,Name,Vorname,PLZ,Ort,Strasse,Telefon,Bemerkungen\r\n1,2,A,,,,,,\r\n");
        schreib(csv, kopf + "4096,1,B,,,,,,\r\n");  // a bad line: said, nothing taken
        imDialog([&](QWidget *d) { dateiWaehlen(d, csv); });
        kind<QAction>(w.get(), "mnuCsvImport")->trigger();
        QCOMPARE(m_m.textnummern(), QList<int>{420});
        QCOMPARE(dateien(), alt);
        schreib(csv, kopf);
        m_m.leeren();
        imDialog([&](QWidget *d) { dateiWaehlen(d, csv); });
        kind<QAction>(w.get(), "mnuCsvImport")->trigger();
        QCOMPARE(m_m.textnummern(), QList<int>{421});
        QCOMPARE(zelle(w->listenmodell(1), 4, 0), QStringLiteral(">0001             Zeitzone 2"));
        QVERIFY(lies(pfad("SK.B2D")).startsWith("Name 0\r\nA\r\n") && lies(pfad("SK.V2D")).startsWith("V2D 0\r\n\r\n"));
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(0));
    }
};

PORTAVO_TESTKLASSE(tst_sondercode)
#include "tst_sondercode.moc"
