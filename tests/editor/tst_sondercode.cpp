// The editor in special-code mode: the card grid over the image, the card
// record dialogs with single cards and groups, the system number, the
// pages with their customer data, search, and the file set kept whole.

#include "Editorhilfe.h"

#include "app/Listengitter.h"
#include "app/Listenmodell.h"
#include "app/portadatei2D.h"
#include "base/Zustand.h"
#include "support/MeldungAufnahme.h"

#include "support/Fensterhilfe.h"

#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <memory>

namespace {

template <class T>
T *kind(QWidget *w, const char *name)
{
    T *k = w->findChild<T *>(QLatin1String(name));
    if (!k)
        qFatal("control %s missing", name);
    return k;
}

QString zelle(Listenmodell *m, int zeile, int spalte) { return m->data(m->index(zeile, spalte)).toString(); }

QColor farbe(Listenmodell *m, int zeile, int spalte, int rolle)
{
    return m->data(m->index(zeile, spalte), rolle).value<QColor>();
}

// A special-code image (track 2), system number 531, card 9 in zones 1
// and 3, card 100 authorized at all times.
Bytes sonderbild()
{
    Bytes b = grundbild();
    b[2] = 0x81;
    b[3] = 4;
    b[4] = 4;
    b[272] = 18;
    b[273] = 243;
    b[513] = 2;
    b[1537] = 2;
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

// Windows-grabbed pictures for a look at the windows (PORTAVO_BILDER=folder).
void bild(QWidget *w, const QString &name)
{
    const QString ordner = qEnvironmentVariable("PORTAVO_BILDER");
    if (!ordner.isEmpty())
        w->grab().save(QDir(ordner).filePath(name + QStringLiteral(".png")));
}

void klick(Listengitter *g, int zeile, int spalte, Qt::KeyboardModifiers mod = {})
{
    g->scrollTo(g->model()->index(zeile, spalte));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, mod, g->visualRect(g->model()->index(zeile, spalte)).center());
}

void doppelklick(Listengitter *g, int zeile, int spalte)
{
    g->scrollTo(g->model()->index(zeile, spalte));
    const QPoint p = g->visualRect(g->model()->index(zeile, spalte)).center();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, p);
}

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
        QDir d(m_dir.path());
        for (const QString &n : d.entryList(QDir::Files))
            d.remove(n);
        schreibeDatei(pfad("SK.S2D"), hauptdateiInhalt(sonderbild()));
        Bytes b2 = sonderbild();
        b2[513] = 0;
        b2[1537] = 0;
        b2[515] = 1;  // page 2: card 24 in zone 1
        schreibeDatei(pfad("SK.S3D"), hauptdateiInhalt(b2));
        schreibeDatei(pfad("SK.B2D"), begleitInhalt(namen("Name "), 5001));
        schreibeDatei(pfad("SK.B3D"), begleitInhalt(namen("Zwei "), 5001));
        const char *felder[] = {"V", "P", "O", "R", "T", "M"};
        for (const char *f : felder) {
            for (const char *s : {"2D", "3D"}) {
                QStringList l = namen(QString::fromLatin1(f) + s + QLatin1Char(' '));
                if (QLatin1String(f) == QLatin1String("T") && QLatin1String(s) == QLatin1String("3D"))
                    l[7] = QStringLiteral("0711 4711");
                schreibeDatei(pfad(QStringLiteral("SK.") + f + s), begleitInhalt(l, 5001));
            }
        }
        return pfad("SK.S2D");
    }

    std::unique_ptr<portadatei2D> oeffne(const QString &datei)
    {
        auto w = std::make_unique<portadatei2D>(m_z, m_m);
        if (!w->oeffne(datei))
            qFatal("cannot open %s", qPrintable(datei));
        w->show();
        QApplication::setActiveWindow(w.get());
        if (!QTest::qWaitForWindowActive(w.get()))
            qWarning("window not active");
        return w;
    }

    Listengitter *gitter1(portadatei2D *w)
    {
        kind<QTabWidget>(w, "SSTab1")->setCurrentIndex(1);
        return kind<Listengitter>(w, "Mgd1");
    }

private slots:
    void init()
    {
        m_z = Zustand();
        m_m.leeren();
        m_z.Protokollnamen[0] = "Standard";
    }

    void kartengitterZeigtDasBild()
    {
        auto w = oeffne(satz());
        Listengitter *g = gitter1(w.get());
        Listenmodell *m = w->listenmodell(1);
        QCOMPARE(m->rowCount(), 4099);
        QCOMPARE(m->columnCount(), 2);
        QCOMPARE(zelle(m, 1, 0), QStringLiteral("Anzahl(max)   4095"));
        QCOMPARE(zelle(m, 2, 0), QStringLiteral("System:  >>>>0531<<<<<<<<<<"));
        QCOMPARE(zelle(m, 2, 1), QString(22, QLatin1Char('<')));
        QCOMPARE(zelle(m, 3, 0), QStringLiteral(">0000     Gesperrt    "));
        QCOMPARE(zelle(m, 3, 1), QStringLiteral("Name 0"));
        QCOMPARE(zelle(m, 12, 0), QStringLiteral(">0009             Zeitzone 13"));
        QCOMPARE(zelle(m, 103, 0), QStringLiteral(">0100           Berechtigt "));
        QCOMPARE(zelle(m, 4098, 0), QStringLiteral(">4095     Gesperrt    "));
        QCOMPARE(zelle(m, 4098, 1), QStringLiteral("Name 4095"));
        QCOMPARE(farbe(m, 12, 0, Qt::ForegroundRole), QColor(0, 128, 0));
        QVERIFY(!m->data(m->index(3, 0), Qt::ForegroundRole).isValid());
        QCOMPARE(w->listenmodell(2)->rowCount(), 25);
        QCOMPARE(kind<QLabel>(w.get(), "LabelProtokoll")->text(), QStringLiteral("SKStandard"));
        bild(w.get(), QStringLiteral("sondercode-gitter"));

        // Double click on the count row does nothing; on the system row it
        // opens the system-number dialog.
        bool offen = false;
        QTimer *wache = imDialog([&](QWidget *d) {
            offen = true;
            static_cast<QDialog *>(d)->reject();
        });
        doppelklick(g, 1, 0);
        QVERIFY(!offen);
        delete wache;
        QString titel;
        imDialog([&](QWidget *d) {
            titel = d->objectName();
            static_cast<QDialog *>(d)->reject();
        });
        doppelklick(g, 2, 0);
        QCOMPARE(titel, QStringLiteral("qrxgruco2d"));
    }

    void systemnummerDialog()
    {
        auto w = oeffne(satz());
        Listengitter *g = gitter1(w.get());
        QStringList gesehen;
        imDialog([&](QWidget *d) {
            auto *text1 = kind<QLineEdit>(d, "Text1");
            gesehen << text1->text() << QString::number(text1->maxLength()) << d->windowTitle();
            bild(d, QStringLiteral("qrxgruco2d"));
            text1->setText(QStringLiteral("5000"));
            kind<QPushButton>(d, "Co2")->click();  // refused: stays open
            gesehen << QString::number(d->isVisible());
            text1->setText(QStringLiteral("12x"));
            kind<QPushButton>(d, "Co2")->click();
            text1->setText(QStringLiteral("256"));
            kind<QPushButton>(d, "Co2")->click();
        });
        doppelklick(g, 2, 0);
        QCOMPARE(gesehen, (QStringList{"0531", "4", "Systemnummer verändern", "1"}));
        QCOMPARE(m_m.textnummern(), (QList<int>{413, 413}));
        QCOMPARE(m_z.bild.byte(272), 1);
        QCOMPARE(m_z.bild.byte(273), 240);
        QCOMPARE(w->uebergabe().Dialogergebnis, qint16(1));
        QCOMPARE(zelle(w->listenmodell(1), 2, 0), QStringLiteral("System:  >>>>0256<<<<<<<<<<"));
        QCOMPARE(farbe(w->listenmodell(1), 2, 0, Qt::ForegroundRole), QColor(0, 0, 255));
        QVERIFY(m_z.bild.Aenderungszaehler > 0);
    }

    void karteBerechtigenUndSperren()
    {
        auto w = oeffne(satz());
        Listengitter *g = gitter1(w.get());
        Listenmodell *m = w->listenmodell(1);
        // Card 9 (row 12): zones 1 and 3 ticked on opening, "berechtigt".
        QStringList gesehen;
        imDialog([&](QWidget *d) {
            QCOMPARE(d->objectName(), QStringLiteral("qrxdatensp2D"));
            gesehen << kind<QLabel>(d, "Label1")->text() << kind<QLabel>(d, "Label2")->text()
                    << kind<QLineEdit>(d, "Text2")->text();
            for (int i = 0; i < 4; ++i)
                gesehen << QString::number(kind<QCheckBox>(d, qPrintable(QStringLiteral("Check1_%1").arg(i)))->isChecked());
            bild(d, QStringLiteral("qrxdatensp2D"));
            // No zone: "Zeitzone eingeben", the dialog stays.
            for (int i = 0; i < 3; ++i)
                kind<QCheckBox>(d, qPrintable(QStringLiteral("Check1_%1").arg(i)))->setChecked(false);
            kind<QPushButton>(d, "Command2")->click();
            QVERIFY(d->isVisible());
            kind<QCheckBox>(d, "Check1_3")->click();  // "alle"
            kind<QLineEdit>(d, "Text2")->setText(QStringLiteral("Grüße Müller"));
            kind<QPushButton>(d, "Command2")->click();
        });
        doppelklick(g, 12, 1);
        QCOMPARE(gesehen, (QStringList{"0009", "berechtigt", "Name 9", "1", "0", "1", "0"}));
        QCOMPARE(m_m.textnummern(), QList<int>{216});
        QCOMPARE(m_z.bild.zeitzonenziffern(9), QStringLiteral("123"));
        QCOMPARE(w->uebergabe().Zonenziffern, QStringLiteral("123"));
        QCOMPARE(m_z.bild.Begleittext[9], QStringLiteral("Grüße Müller"));
        QCOMPARE(zelle(m, 12, 0), QStringLiteral(">0009           Berechtigt "));
        QCOMPARE(farbe(m, 12, 0, Qt::ForegroundRole), QColor(0, 0, 255));

        // A blocked card shows "gesperrt"; "Sperren" on card 100.
        imDialog([&](QWidget *d) { kind<QPushButton>(d, "Command3")->click(); });
        doppelklick(g, 103, 0);
        QVERIFY(m_z.bild.gesperrt(100));
        QCOMPARE(w->uebergabe().Dialogergebnis, qint16(2));
        QString zustand;
        imDialog([&](QWidget *d) {
            zustand = kind<QLabel>(d, "Label2")->text();
            kind<QPushButton>(d, "Command1")->click();
        });
        doppelklick(g, 103, 0);
        QCOMPARE(zustand, QStringLiteral("gesperrt"));
        QCOMPARE(w->uebergabe().Dialogergebnis, qint16(0));

        // Saved page 1 writes the names into the .B2D.
        kind<QAction>(w.get(), "mnuSave")->trigger();
        QVERIFY(leseDatei(pfad("SK.B2D")).contains("\r\nGr\xfc\xdf" "e M\xfcller\r\n"));
    }

    void gruppeMitShift()
    {
        auto w = oeffne(satz());
        Listengitter *g = gitter1(w.get());
        Listenmodell *m = w->listenmodell(1);
        // Click card 17, Shift+click card 20, Enter: the group 17..20.
        klick(g, 20, 0);
        klick(g, 23, 0, Qt::ShiftModifier);
        QCOMPARE(farbe(m, 21, 0, Qt::BackgroundRole), QColor(255, 0, 0));
        QString label;
        imDialog([&](QWidget *d) {
            label = kind<QLabel>(d, "Label1")->text() + QLatin1Char('/') + kind<QLabel>(d, "Label2")->text() +
                    QLatin1Char('/') + kind<QLineEdit>(d, "Text2")->text();
            kind<QCheckBox>(d, "Check1_0")->setChecked(false);
            kind<QCheckBox>(d, "Check1_1")->setChecked(true);
            kind<QCheckBox>(d, "Check1_2")->setChecked(false);
            kind<QPushButton>(d, "Command2")->click();
        });
        QTest::keyClick(g, Qt::Key_Return);
        QCOMPARE(label, QStringLiteral("0017-0020/Gruppe/----------"));
        QCOMPARE(w->uebergabe().Zonenziffern, QStringLiteral("2222"));
        for (int k = 17; k <= 20; ++k) {
            QCOMPARE(m_z.bild.zeitzonenziffern(k), QStringLiteral("2"));
            QCOMPARE(m_z.bild.Begleittext[k], QStringLiteral("Name %1").arg(k));  // own names kept
            QCOMPARE(farbe(m, k + 3, 0, Qt::ForegroundRole), QColor(0, 0, 255));
        }
        QVERIFY(m_z.bild.gesperrt(16) && m_z.bild.gesperrt(21));

        // Upwards with Shift+arrow: anchor card 20, up to 17, block.
        klick(g, 23, 0);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(g, Qt::Key_Up, Qt::ShiftModifier);
        imDialog([&](QWidget *d) {
            label = kind<QLabel>(d, "Label1")->text();
            kind<QPushButton>(d, "Command3")->click();
        });
        QTest::keyClick(g, Qt::Key_Return);
        QCOMPARE(label, QStringLiteral("0020-0017"));
        for (int k = 17; k <= 20; ++k)
            QVERIFY(m_z.bild.gesperrt(k));
        QCOMPARE(w->uebergabe().Gruppenende, qint16(20));
        QCOMPARE(w->uebergabe().Eintragsnummer, qint16(20));
        QCOMPARE(w->uebergabe().Gruppenanfang, qint16(21));

        // A plain double click afterwards is one card again.
        imDialog([&](QWidget *d) {
            label = kind<QLabel>(d, "Label1")->text();
            kind<QPushButton>(d, "Command1")->click();
        });
        doppelklick(g, 30, 0);
        QCOMPARE(label, QStringLiteral("0027"));
    }

    void speichernSchreibtDieOffeneSeite()
    {
        satz();
        const QByteArray s2 = leseDatei(pfad("SK.S2D"));
        const QByteArray b2 = leseDatei(pfad("SK.B2D"));
        // Opened as page 2: Save writes the .S3D, never page 1.
        auto w = oeffne(pfad("SK.S3D"));
        QCOMPARE(w->seite(), 2);
        QCOMPARE(zelle(w->listenmodell(1), 3, 1), QStringLiteral("Zwei 0"));
        kind<QRadioButton>(w.get(), "SummerJa")->click();
        kind<QAction>(w.get(), "mnuSave")->trigger();
        QCOMPARE(leseDatei(pfad("SK.S2D")), s2);
        QCOMPARE(leseDatei(pfad("SK.B2D")), b2);
        QVERIFY(leseDatei(pfad("SK.S3D")).startsWith(" 5 \r\n 21 \r\n"));
        QCOMPARE(w->hauptdatei(), pfad("SK.S3D"));
    }

    void seitenansicht()
    {
        auto w = oeffne(satz());
        auto *tabs = kind<QTabWidget>(w.get(), "SSTab1");
        kind<QCheckBox>(w.get(), "Check12000")->click();
        QVERIFY(kind<QGroupBox>(w.get(), "FrameProtokoll")->isVisible());
        QVERIFY(!kind<QGroupBox>(w.get(), "FrameSummer")->isVisible());
        QVERIFY(!kind<QGroupBox>(w.get(), "FrameTueroeffnungszeit")->isVisible());
        QVERIFY(!tabs->isTabVisible(1) && !tabs->isTabVisible(3));
        QVERIFY(kind<QRadioButton>(w.get(), "OptionSeite2")->isVisible());
        QVERIFY(!kind<QPushButton>(w.get(), "Suchen2")->isVisible());
        bild(w.get(), QStringLiteral("seitenwahl"));

        kind<QRadioButton>(w.get(), "OptionSeite2")->click();
        QCOMPARE(w->seite(), 2);
        QCOMPARE(w->hauptdatei(), pfad("SK.S3D"));
        QVERIFY(tabs->isTabVisible(1));
        QCOMPARE(tabs->tabText(1), QStringLiteral("B - Karten bis 4095"));
        QCOMPARE(tabs->currentIndex(), 1);
        QVERIFY(!kind<Listengitter>(w.get(), "Mgd2")->isVisible());
        Listenmodell *m = w->listenmodell(1);
        QCOMPARE(m->columnCount(), 8);
        QCOMPARE(zelle(m, 0, 2), QStringLiteral("Vorname             "));
        QCOMPARE(zelle(m, 27, 0), QStringLiteral("B 0024             Zeitzone 1"));
        const QStringList erwartet = {"Zwei 24", "V3D 24", "P3D 24", "O3D 24", "R3D 24", "T3D 24", "M3D 24"};
        for (int s = 1; s <= 7; ++s)
            QCOMPARE(zelle(m, 27, s), erwartet[s - 1]);
        bild(w.get(), QStringLiteral("seitenansicht"));

        // qrxdatensp12000: a first name typed and left is kept even when cancelled.
        Listengitter *g = kind<Listengitter>(w.get(), "Mgd1");
        QString label;
        imDialog([&](QWidget *d) {
            QCOMPARE(d->objectName(), QStringLiteral("qrxdatensp12000"));
            label = kind<QLabel>(d, "Label1")->text() + QLatin1Char('/') + kind<QLineEdit>(d, "text8")->text();
            bild(d, QStringLiteral("qrxdatensp12000"));
            auto *text8 = kind<QLineEdit>(d, "text8");
            QApplication::setActiveWindow(d);
            QVERIFY(QTest::qWaitForWindowActive(d));
            text8->setFocus(Qt::MouseFocusReason);
            QTest::mouseClick(text8, Qt::LeftButton);  // empties it
            text8->setText(QStringLiteral("Jörg"));
            text8->setModified(true);
            kind<QLineEdit>(d, "text3")->setFocus(Qt::TabFocusReason);
            kind<QPushButton>(d, "Command1")->click();
        });
        doppelklick(g, 27, 1);
        QCOMPARE(label, QStringLiteral("B 0024/V3D 24"));
        QCOMPARE(m_z.bild.Kundendaten[1][0][24], QStringLiteral("Jörg"));
        QVERIFY(m_z.bild.zeitzone(24, 1));
        QVERIFY(leseDatei(pfad("SK.V3D")).contains("\r\nJ\xf6rg\r\n"));

        // Authorizing: zone 1 only; name stored; the page's files rewritten.
        imDialog([&](QWidget *d) {
            kind<QLineEdit>(d, "text1")->setText(QStringLiteral("Neuer Name"));
            kind<QPushButton>(d, "Command2")->click();
        });
        doppelklick(g, 3, 0);
        QCOMPARE(m_z.bild.zeitzonenziffern(0), QStringLiteral("1"));
        QCOMPARE(zelle(m, 3, 1), QStringLiteral("Neuer Name"));
        QVERIFY(leseDatei(pfad("SK.B3D")).startsWith("Neuer Name\r\nZwei 1\r\n"));
        QVERIFY(!leseDatei(pfad("SK.B2D")).contains("Neuer Name"));

        // Another page with unsaved changes: the question comes first (No
        // drops them), then page 1 is loaded.
        m_m.leeren();
        m_m.antworte(Meldung::Nein);
        kind<QRadioButton>(w.get(), "OptionSeite1")->click();
        QCOMPARE(m_m.textnummern(), QList<int>{275});
        QCOMPARE(w->seite(), 1);
        QCOMPARE(tabs->tabText(1), QStringLiteral("bis Kartennummer 4095"));
        QCOMPARE(zelle(m, 3, 0), QStringLiteral("> 0000     Gesperrt    "));
        QCOMPARE(zelle(m, 3, 2), QStringLiteral("V2D 0"));
        QVERIFY(leseDatei(pfad("SK.S3D")).contains("\r\n 0 \r\n"));  // page 2 not saved

        // Unticking restores the standard layout and reads the file again
        // (after the question about the unsaved change, answered No).
        m_z.bild.setzeByte(0, 77);
        m_z.bild.Aenderungszaehler = 1;
        m_m.leeren();
        m_m.antworte(Meldung::Nein);
        kind<QCheckBox>(w.get(), "Check12000")->click();
        QCOMPARE(m_m.textnummern(), QList<int>{275});
        QCOMPARE(m_z.bild.byte(0), 5);
        QCOMPARE(w->hauptdatei(), pfad("SK.S2D"));
        QVERIFY(kind<QGroupBox>(w.get(), "FrameSummer")->isVisible());
        QCOMPARE(tabs->tabText(1), QStringLiteral("Berechtigungen"));
        QVERIFY(tabs->isTabVisible(3));
        QCOMPARE(w->listenmodell(1)->columnCount(), 2);
        QVERIFY(!kind<QRadioButton>(w.get(), "OptionSeite1")->isVisible());
    }

    void seiteAnlegen()
    {
        auto w = oeffne(satz());
        kind<QCheckBox>(w.get(), "Check12000")->click();
        // Page 3 has no main file: No leaves everything as it was.
        m_m.antworte(Meldung::Nein);
        kind<QRadioButton>(w.get(), "OptionSeite3")->click();
        QCOMPARE(m_m.textnummern(), QList<int>{414});
        QVERIFY(!QFile::exists(pfad("SK.S4D")));
        QVERIFY(!kind<QRadioButton>(w.get(), "OptionSeite3")->isChecked());
        QCOMPARE(w->seite(), 1);

        m_m.leeren();
        m_m.antworte(Meldung::Ja);
        kind<QRadioButton>(w.get(), "OptionSeite3")->click();
        QCOMPARE(w->seite(), 3);
        Bytes erwartet = sonderbild();
        for (int a = 512; a < 2048; ++a)
            erwartet[a] = 0;
        erwartet[1] |= 0x14;
        QCOMPARE(leseDatei(pfad("SK.S4D")), hauptdateiInhalt(erwartet));
        QCOMPARE(leseDatei(pfad("SK.B4D")), begleitInhalt({}, 5001));
        QCOMPARE(leseDatei(pfad("SK.M4D")), begleitInhalt({}, 5001));
        QCOMPARE(zelle(w->listenmodell(1), 12, 0), QStringLiteral("C 0009     Gesperrt    "));

        // Save with page 3 writes only the .S4D; the .B2D stays.
        const QByteArray b2 = leseDatei(pfad("SK.B2D"));
        const QByteArray s2 = leseDatei(pfad("SK.S2D"));
        kind<QRadioButton>(w.get(), "SummerJa")->setEnabled(true);
        m_z.bild.setzeByte(0, 9);
        m_z.bild.Aenderungszaehler = 1;
        kind<QAction>(w.get(), "mnuSave")->trigger();
        QVERIFY(leseDatei(pfad("SK.S4D")).startsWith(" 9 \r\n"));
        QCOMPARE(leseDatei(pfad("SK.B2D")), b2);
        QCOMPARE(leseDatei(pfad("SK.S2D")), s2);
    }

    void suchen()
    {
        auto w = oeffne(satz());
        m_z.bild.Begleittext[0] = QStringLiteral("Meyer");
        m_z.bild.Begleittext[6] = QStringLiteral("MEYERHOF");
        Listengitter *g = gitter1(w.get());
        QStringList treffer;
        QString textNachher;
        imDialog([&](QWidget *d) {
            QCOMPARE(d->objectName(), QStringLiteral("suchen2d"));
            auto *text1 = kind<QLineEdit>(d, "Text1");
            QApplication::setActiveWindow(d);
            QVERIFY(QTest::qWaitForWindowActive(d));
            text1->setFocus(Qt::TabFocusReason);
            QTRY_COMPARE(text1->selectedText(), QStringLiteral("?????"));
            text1->setText(QStringLiteral("meyer"));
            kind<QPushButton>(d, "Command1")->click();
            textNachher = text1->text();
            treffer << QString::number(g->currentIndex().row());
            bild(d, QStringLiteral("suchen2d"));
            kind<QPushButton>(d, "Command2")->click();
            treffer << QString::number(g->currentIndex().row());
            kind<QPushButton>(d, "Command2")->click();  // no more
            kind<QPushButton>(d, "Command3")->click();
        });
        kind<QPushButton>(w.get(), "Suchen1")->click();
        QCOMPARE(treffer, (QStringList{"3", "9"}));  // card 0 is found
        QCOMPARE(textNachher, QStringLiteral("MEYER"));
        QCOMPARE(m_m.textnummern(), QList<int>{405});
        QCOMPARE(w->listenmodell(1)->treffer(), w->listenmodell(1)->index(9, 1));
        QCOMPARE(farbe(w->listenmodell(1), 9, 1, Qt::BackgroundRole), QColor(128, 255, 255));
        QCOMPARE(w->uebergabe().Suchmodus, qint16(1));

        // Page view: a text only in the telephone column (card 7 of page 2).
        kind<QCheckBox>(w.get(), "Check12000")->click();
        m_m.antworte(Meldung::Nein);
        kind<QRadioButton>(w.get(), "OptionSeite2")->click();
        QPoint gefunden;
        imDialog([&](QWidget *d) {
            kind<QLineEdit>(d, "Text1")->setText(QStringLiteral("4711"));
            kind<QPushButton>(d, "Command1")->click();
            gefunden = {g->currentIndex().column(), g->currentIndex().row()};
            kind<QPushButton>(d, "Command3")->click();
        });
        kind<QPushButton>(w.get(), "Suchen1")->click();
        QCOMPARE(gefunden, QPoint(6, 10));
        QCOMPARE(g->rowAt(0), 10);  // scrolled to the top
    }

    void standardlisteDurchsuchen()
    {
        // Grid 2 of a standard image (track 3/1 only): the first entry (row 2)
        // is found, in capitals for a lower-case text.
        const QString datei = pfad("ST.S2D");
        schreibeDatei(datei, hauptdateiInhalt(standardbild(0, 8)));
        schreibeDatei(pfad("ST.B2D"), begleitInhalt({"WAGNER vorn", "x", "y", "Wagner hinten"}, 2001));
        auto w = oeffne(datei);
        Listengitter *g = kind<Listengitter>(w.get(), "Mgd2");
        QVERIFY(!kind<QPushButton>(w.get(), "Suchen1")->isVisible());
        bild(w.get(), QStringLiteral("standard-grundeinstellungen"));
        QStringList zeilen;
        imDialog([&](QWidget *d) {
            kind<QLineEdit>(d, "Text1")->setText(QStringLiteral("wagner"));
            kind<QPushButton>(d, "Command1")->click();
            zeilen << QString::number(g->currentIndex().row()) << QString::number(g->currentIndex().column());
            kind<QPushButton>(d, "Command2")->click();
            zeilen << QString::number(g->currentIndex().row());
            kind<QPushButton>(d, "Command3")->click();
        });
        kind<QPushButton>(w.get(), "Suchen2")->click();
        QCOMPARE(zeilen, (QStringList{"2", "1", "5"}));
        QCOMPARE(w->uebergabe().Suchmodus, qint16(2));
    }

    void seitenansichtGruppeBehaeltNamen()
    {
        auto w = oeffne(satz());
        kind<QCheckBox>(w.get(), "Check12000")->click();
        kind<QRadioButton>(w.get(), "OptionSeite1")->click();
        Listengitter *g = kind<Listengitter>(w.get(), "Mgd1");
        klick(g, 53, 2);
        klick(g, 55, 2, Qt::ShiftModifier);
        QStringList gesehen;
        imDialog([&](QWidget *d) {
            gesehen << kind<QLabel>(d, "Label1")->text() << kind<QLineEdit>(d, "text1")->text()
                    << kind<QLineEdit>(d, "text7")->text();
            kind<QPushButton>(d, "Command2")->click();
        });
        QTest::keyClick(g, Qt::Key_Enter);
        QCOMPARE(gesehen, (QStringList{"0050-0052", "Name", "Bemerkungen"}));
        for (int k = 50; k <= 52; ++k) {
            QCOMPARE(m_z.bild.zeitzonenziffern(k), QStringLiteral("1"));
            QCOMPARE(m_z.bild.Begleittext[k], QStringLiteral("Name %1").arg(k));
            QCOMPARE(m_z.bild.Kundendaten[0][5][k], QStringLiteral("M2D %1").arg(k));
        }
        QCOMPARE(w->uebergabe().Zonenziffern, QStringLiteral("111"));
    }

    void kleingeschriebeneDateiWirdGespeichert()
    {
        // The file dialog offers "t7.s2d": Save must write that very file.
        satz();
        const QString klein = pfad("t7.s2d");
        schreibeDatei(klein, hauptdateiInhalt(sonderbild()));
        schreibeDatei(pfad("t7.b2d"), begleitInhalt(namen("klein "), 5001));
        auto w = oeffne(klein);
        QCOMPARE(zelle(w->listenmodell(1), 3, 1), QStringLiteral("klein 0"));
        kind<QRadioButton>(w.get(), "SummerJa")->click();
        kind<QAction>(w.get(), "mnuSave")->trigger();
        QVERIFY(leseDatei(klein).startsWith(" 5 \r\n 21 \r\n"));
        QVERIFY(!QDir(m_dir.path()).entryList(QDir::Files).contains(QStringLiteral("t7.S2D")));
        QVERIFY(!QDir(m_dir.path()).entryList(QDir::Files).contains(QStringLiteral("t7.B2D")));
        QCOMPARE(w->hauptdatei(), klein);
    }

    void speichernAlsNimmtDenSatzMit()
    {
        satz();
        auto w = oeffne(pfad("SK.S3D"));
        QDir().mkpath(pfad("neu"));
        const QString ziel = pfad("neu/KOPIE.S2D");
        imDialog([&](QWidget *d) {
            auto *fd = qobject_cast<QFileDialog *>(d);
            QVERIFY(fd);
            fd->selectFile(ziel);
            static_cast<QDialog *>(fd)->accept();
        });
        kind<QAction>(w.get(), "mnuSaveAs")->trigger();
        // Page 2 stays page 2; every other file of the set comes along.
        QCOMPARE(w->hauptdatei(), pfad("neu/KOPIE.S3D"));
        QCOMPARE(leseDatei(pfad("neu/KOPIE.S2D")), leseDatei(pfad("SK.S2D")));
        for (const char *e : {"S3D", "B2D", "B3D", "V2D", "T3D", "M3D"})
            QCOMPARE(leseDatei(pfad(QStringLiteral("neu/KOPIE.") + e)), leseDatei(pfad(QStringLiteral("SK.") + e)));
        QVERIFY(!QFile::exists(pfad("neu/KOPIE.S4D")));
    }

    void csvImportImEditor()
    {
        const QString datei = satz();
        const auto vorher = [&] {
            QMap<QString, QByteArray> m;
            for (const QString &n : QDir(m_dir.path()).entryList(QDir::Files))
                m[n] = leseDatei(pfad(n));
            return m;
        };
        const auto alt = vorher();
        auto w = oeffne(datei);
        schreibeDatei(pfad("x.csv"), "Karte,Zeitzonen,Name,Vorname,PLZ,Ort,Strasse,Telefon,Bemerkungen\r\n"
                                     "1,2,A,,,,,,\r\n4096,1,B,,,,,,\r\n");
        const auto waehle = [&](const QString &name) {
            imDialog([=](QWidget *d) {
                auto *fd = qobject_cast<QFileDialog *>(d);
                QVERIFY(fd);
                fd->selectFile(pfad(name));
                static_cast<QDialog *>(fd)->accept();
            });
        };
        waehle("x.csv");
        kind<QAction>(w.get(), "mnuCsvImport")->trigger();
        QCOMPARE(m_m.textnummern(), QList<int>{420});
        QVERIFY(m_m.eintraege().at(0).text.contains(QStringLiteral("Zeile 3")));
        QVERIFY(m_z.bild.gesperrt(1));
        QFile::remove(pfad("x.csv"));
        QCOMPARE(vorher(), alt);

        schreibeDatei(pfad("x.csv"), "Karte,Zeitzonen,Name,Vorname,PLZ,Ort,Strasse,Telefon,Bemerkungen\r\n"
                                     "1,2,A,,,,,,\r\n");
        waehle("x.csv");
        m_m.leeren();
        kind<QAction>(w.get(), "mnuCsvImport")->trigger();
        QCOMPARE(m_m.textnummern(), QList<int>{421});
        QCOMPARE(zelle(w->listenmodell(1), 4, 0), QStringLiteral(">0001             Zeitzone 2"));
        QVERIFY(leseDatei(pfad("SK.B2D")).startsWith("Name 0\r\nA\r\n"));
        QVERIFY(leseDatei(pfad("SK.V2D")).startsWith("V2D 0\r\n\r\n"));
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(0));
    }
};

QTEST_MAIN(tst_sondercode)
#include "tst_sondercode.moc"
