// The editor in special-code mode: the card grid over the image, the card
// record dialogs with single cards and groups, the system number, the
// pages with their customer data, search, and the file set kept whole.

#include "support/Testlauf.h"
#include "Editorhilfe.h"

#include "app/Listengitter.h"
#include "app/Listenmodell.h"
#include "app/portadatei2D.h"
#include "base/Zustand.h"
#include "support/MeldungAufnahme.h"

#include "support/Fensterhilfe.h"

#include <QTest>
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

// What a user sees at point p of the grid (grid coordinates): (column,
// row) of the cell, row -1 for a column head.
QPoint sichtbar(Listengitter *g, QPoint p)
{
    QWidget *w = g->childAt(p);
    if (!w)
        return {-9, -9};
    if (auto *kopf = qobject_cast<QHeaderView *>(w->parentWidget()))
        return {kopf->logicalIndexAt(w->mapFrom(g, p)), -1};
    if (auto *v = qobject_cast<QAbstractItemView *>(w->parentWidget())) {
        const QModelIndex i = v->indexAt(w->mapFrom(g, p));
        return {i.column(), i.row()};
    }
    return {-9, -9};
}

// A point at the grid's left edge in the row zeile (which is on show).
QPoint sichtbarerPunkt(Listengitter *g, int zeile)
{
    const QRect r = g->visualRect(g->model()->index(zeile, 1));
    return {g->viewport()->x() + 3, g->viewport()->y() + r.center().y()};
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

        // qrxdatensp12000: a first name typed, then "Sperren": stored and
        // the page's customer files written.
        Listengitter *g = kind<Listengitter>(w.get(), "Mgd1");
        QString label;
        imDialog([&](QWidget *d) {
            QCOMPARE(d->objectName(), QStringLiteral("qrxdatensp12000"));
            label = kind<QLabel>(d, "Label1")->text() + QLatin1Char('/') + kind<QLineEdit>(d, "text8")->text();
            bild(d, QStringLiteral("qrxdatensp12000"));
            kind<QLineEdit>(d, "text8")->setText(QStringLiteral("Jörg"));
            kind<QPushButton>(d, "Command3")->click();
        });
        doppelklick(g, 27, 1);
        QCOMPARE(label, QStringLiteral("B 0024/V3D 24"));
        QCOMPARE(m_z.bild.Kundendaten[1][0][24], QStringLiteral("Jörg"));
        QVERIFY(m_z.bild.gesperrt(24));
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
        // A question of its own, not the one about unsaved changes.
        QCOMPARE(m_m.eintraege().at(0).titelnummer, 690);
        QCOMPARE(m_m.eintraege().at(0).titel, QStringLiteral("  Seite anlegen"));
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

    void jedesGitterDurchsuchbar_data()
    {
        QTest::addColumn<int>("ziffern2");
        QTest::addColumn<int>("ziffern31");
        QTest::addColumn<bool>("sperr");
        QTest::addColumn<int>("sprache");
        QTest::addColumn<int>("tab");        // tab on show before the search
        QTest::addColumn<QString>("knopf");
        QTest::addColumn<int>("liste");      // the grid it must search
        QTest::addColumn<QString>("beschriftung");
        QTest::addColumn<bool>("andererKnopf");  // the other button on show
        QTest::newRow("Spur 2 allein") << 6 << 0 << false << 0 << 1 << "Suchen1" << 1
                                       << "Suchen: Berechtigungen Spur 2" << false;
        QTest::newRow("Spur 2 allein, englisch, vom ersten Tab") << 6 << 0 << false << 1000 << 0 << "Suchen1" << 1
                                                                 << "Search: Authorizations track 2" << false;
        QTest::newRow("Spur 3 allein") << 0 << 8 << false << 0 << 1 << "Suchen2" << 2
                                       << "Suchen: Berechtigungen Spur 3" << false;
        QTest::newRow("beide Spuren, Spur 2") << 6 << 8 << false << 0 << 1 << "Suchen1" << 1
                                              << "Suchen: Berechtigungen Spur 2" << true;
        QTest::newRow("beide Spuren, Spur 3") << 6 << 8 << false << 0 << 1 << "Suchen2" << 2
                                              << "Suchen: Berechtigungen Spur 3" << true;
        QTest::newRow("Sperrliste Spur 2") << 6 << 8 << true << 0 << 2 << "Suchen1" << 3
                                           << "Suchen: Sperrliste Spur 2" << true;
        QTest::newRow("Sperrliste Spur 3, englisch") << 6 << 8 << true << 1000 << 2 << "Suchen2" << 4
                                                     << "Search: Block list track 3" << true;
    }

    void jedesGitterDurchsuchbar()
    {
        // Every grid on show can be searched, and its button says which.
        QFETCH(int, ziffern2);
        QFETCH(int, ziffern31);
        QFETCH(bool, sperr);
        QFETCH(int, sprache);
        QFETCH(int, tab);
        QFETCH(QString, knopf);
        QFETCH(int, liste);
        QFETCH(QString, beschriftung);
        QFETCH(bool, andererKnopf);
        m_z.Sprache = sprache;
        const QString datei = pfad("ST.S2D");
        schreibeDatei(datei, hauptdateiInhalt(standardbild(ziffern2, ziffern31, sperr)));
        schreibeDatei(pfad("ST.B2D"), begleitInhalt({}, 2001));
        auto w = oeffne(datei);
        kind<QTabWidget>(w.get(), "SSTab1")->setCurrentIndex(tab);
        Listenmodell *m = w->listenmodell(liste);
        // Entries 1 and 4 of the list match, whatever the case.
        m_z.bild.Begleittext[m->eintragsnummer(3)] = QStringLiteral("WAGNER vorn");
        m_z.bild.Begleittext[m->eintragsnummer(6)] = QStringLiteral("Wagner hinten");
        auto *b = kind<QPushButton>(w.get(), qPrintable(knopf));
        auto *anderer = kind<QPushButton>(w.get(), knopf == QLatin1String("Suchen1") ? "Suchen2" : "Suchen1");
        QVERIFY(b->isVisible());
        QCOMPARE(b->text(), beschriftung);
        QCOMPARE(anderer->isVisible(), andererKnopf);
        auto *g = kind<Listengitter>(w.get(), qPrintable(QStringLiteral("Mgd%1").arg(liste)));
        QStringList gesehen;
        imDialog([&](QWidget *d) {
            gesehen << d->windowTitle();
            kind<QLineEdit>(d, "Text1")->setText(QStringLiteral("wagner"));
            kind<QPushButton>(d, "Command1")->click();
            gesehen << QString::number(g->currentIndex().row()) << QString::number(g->currentIndex().column());
            kind<QPushButton>(d, "Command2")->click();
            gesehen << QString::number(g->currentIndex().row());
            kind<QPushButton>(d, "Command3")->click();
        });
        b->click();
        QCOMPARE(gesehen, (QStringList{beschriftung, "3", "1", "6"}));
        QCOMPARE(farbe(m, 6, 1, Qt::BackgroundRole), QColor(128, 255, 255));  // the match is marked
        QVERIFY(farbe(m, 3, 1, Qt::BackgroundRole) != QColor(128, 255, 255));
        QVERIFY(m_m.textnummern().isEmpty());
        QCOMPARE(w->uebergabe().Suchmodus, qint16(liste));
        QCOMPARE(kind<QTabWidget>(w.get(), "SSTab1")->currentIndex(), liste <= 2 ? 1 : 2);
    }

    void seiteBleibtNachDerSeitenansichtBeschriftet()
    {
        // Page 2 chosen, then back to the standard layout: the grid, the
        // tab, the caption and the card dialog all say page 2, and Save
        // writes page 2.
        auto w = oeffne(satz());
        const QByteArray s2 = leseDatei(pfad("SK.S2D"));
        QCOMPARE(leseDatei(pfad("SK.S3D")).split('\n').at(515), QByteArray(" 1 \r"));
        kind<QCheckBox>(w.get(), "Check12000")->click();
        kind<QRadioButton>(w.get(), "OptionSeite2")->click();
        kind<QCheckBox>(w.get(), "Check12000")->click();
        QVERIFY(m_m.textnummern().isEmpty());
        QCOMPARE(w->seite(), 2);
        QCOMPARE(w->hauptdatei(), pfad("SK.S3D"));
        QCOMPARE(w->windowTitle(), pfad("SK.S3D"));
        auto *tabs = kind<QTabWidget>(w.get(), "SSTab1");
        QCOMPARE(tabs->tabText(1), QStringLiteral("B - Karten bis 4095"));
        Listenmodell *m = w->listenmodell(1);
        QCOMPARE(m->columnCount(), 2);
        QCOMPARE(zelle(m, 27, 0), QStringLiteral("B 0024             Zeitzone 1"));
        QCOMPARE(zelle(m, 27, 1), QStringLiteral("Zwei 24"));
        QCOMPARE(zelle(m, 12, 0), QStringLiteral("B 0009     Gesperrt    "));
        QString label;
        imDialog([&](QWidget *d) {
            label = d->objectName() + QLatin1Char('/') + kind<QLabel>(d, "Label1")->text();
            kind<QPushButton>(d, "Command3")->click();
        });
        doppelklick(gitter1(w.get()), 27, 0);
        QCOMPARE(label, QStringLiteral("qrxdatensp2D/B 0024"));
        kind<QAction>(w.get(), "mnuSave")->trigger();
        QCOMPARE(leseDatei(pfad("SK.S3D")).split('\n').at(515), QByteArray(" 0 \r"));  // card 24 blocked
        QCOMPARE(leseDatei(pfad("SK.S2D")), s2);

        // Opened as page 1, the plain grid keeps its ">" and the dialog no prefix.
        w.reset();
        auto w1 = oeffne(pfad("SK.S2D"));
        QCOMPARE(zelle(w1->listenmodell(1), 12, 0), QStringLiteral(">0009             Zeitzone 13"));
        QCOMPARE(kind<QTabWidget>(w1.get(), "SSTab1")->tabText(1), QStringLiteral("Berechtigungen"));
        imDialog([&](QWidget *d) {
            label = kind<QLabel>(d, "Label1")->text();
            kind<QPushButton>(d, "Command1")->click();
        });
        doppelklick(gitter1(w1.get()), 12, 0);
        QCOMPARE(label, QStringLiteral("0009"));
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
        kind<QCheckBox>(w.get(), "Check12000")->click();
        kind<QRadioButton>(w.get(), "OptionSeite2")->click();
        const auto dateien = [&] {
            QMap<QString, QByteArray> inhalt;
            for (const QString &n : QDir(m_dir.path()).entryList(QDir::Files))
                inhalt[n] = leseDatei(pfad(n));
            return inhalt;
        };
        const auto vorher = dateien();
        const Datenbild bildVorher = m_z.bild;
        QStringList gesehen;
        imDialog([&](QWidget *d) {
            QApplication::setActiveWindow(d);
            QVERIFY(QTest::qWaitForWindowActive(d));
            // A click into a box selects its text; nothing is emptied.
            auto *text8 = kind<QLineEdit>(d, "text8");
            QTest::mouseClick(text8, Qt::LeftButton, {}, text8->rect().center());
            gesehen << text8->text() << text8->selectedText();
            QTest::keyClicks(text8, "Joerg");
            auto *text7 = kind<QLineEdit>(d, "text7");
            QTest::mouseClick(text7, Qt::LeftButton, {}, text7->rect().center());
            gesehen << text7->selectedText();
            QTest::keyClicks(text7, "neu");
            kind<QLineEdit>(d, "text1")->setFocus(Qt::TabFocusReason);
            QTest::keyClicks(kind<QLineEdit>(d, "text1"), "Anders");
            kind<QLineEdit>(d, "text3")->setFocus(Qt::TabFocusReason);
            gesehen << text8->text();
            if (wie == QLatin1String("Escape"))
                QTest::keyClick(d, Qt::Key_Escape);
            else if (wie == QLatin1String("close"))
                d->close();
            else
                kind<QPushButton>(d, qPrintable(wie))->click();
        });
        doppelklick(kind<Listengitter>(w.get(), "Mgd1"), 27, 1);
        QCOMPARE(gesehen, (QStringList{"V3D 24", "V3D 24", "M3D 24", "Joerg"}));
        QCOMPARE(w->uebergabe().Dialogergebnis, qint16(0));
        for (int feld = 0; feld < 6; ++feld)
            QCOMPARE(m_z.bild.Kundendaten[1][feld], bildVorher.Kundendaten[1][feld]);
        QCOMPARE(m_z.bild.Seitennamen[0], bildVorher.Seitennamen[0]);
        QCOMPARE(zelle(w->listenmodell(1), 27, 2), QStringLiteral("V3D 24"));
        QCOMPARE(dateien(), vorher);
        QVERIFY(m_z.bild.zeitzone(24, 1));

        // Confirmed, what was typed is stored and written.
        imDialog([&](QWidget *d) {
            kind<QLineEdit>(d, "text8")->selectAll();
            QTest::keyClicks(kind<QLineEdit>(d, "text8"), "Joerg");
            kind<QPushButton>(d, "Command2")->click();
        });
        doppelklick(kind<Listengitter>(w.get(), "Mgd1"), 27, 1);
        QCOMPARE(m_z.bild.Kundendaten[1][0][24], QStringLiteral("Joerg"));
        QVERIFY(leseDatei(pfad("SK.V3D")).contains("\r\nJoerg\r\n"));
        QCOMPARE(zelle(w->listenmodell(1), 27, 2), QStringLiteral("Joerg"));
    }

    void nummernspalteUndKoepfeBleibenSichtbar()
    {
        auto w = oeffne(satz());
        w->resize(640, 480);
        Listengitter *g = gitter1(w.get());
        // A search far down in the plain grid scrolls it there.
        imDialog([&](QWidget *d) {
            kind<QLineEdit>(d, "Text1")->setText(QStringLiteral("Name 3000"));
            kind<QPushButton>(d, "Command1")->click();
            kind<QPushButton>(d, "Command3")->click();
        });
        kind<QPushButton>(w.get(), "Suchen1")->click();
        QCOMPARE(g->currentIndex().row(), 3003);
        QCOMPARE(g->rowAt(0), 3003);

        // The page view opens at its top left corner.
        kind<QCheckBox>(w.get(), "Check12000")->click();
        kind<QRadioButton>(w.get(), "OptionSeite2")->click();
        QCOMPARE(g->rowAt(0), 1);
        QCOMPARE(g->horizontalScrollBar()->value(), 0);
        QVERIFY(g->horizontalScrollBar()->maximum() > 0);  // wider than the window

        // A match in the remarks, the last and widest column: the column
        // heads and the card number of its row stay on show beside it.
        imDialog([&](QWidget *d) {
            kind<QLineEdit>(d, "Text1")->setText(QStringLiteral("m3d 7"));
            kind<QPushButton>(d, "Command1")->click();
            kind<QPushButton>(d, "Command3")->click();
        });
        kind<QPushButton>(w.get(), "Suchen1")->click();
        QCOMPARE(g->currentIndex(), g->model()->index(10, 7));
        QVERIFY(g->horizontalScrollBar()->value() > g->columnWidth(0));  // column 0 scrolled past
        const QRect treffer = g->visualRect(g->currentIndex()).translated(g->viewport()->pos());
        const int links = g->viewport()->x() + 3;
        const int oben = g->horizontalHeader()->y() + 3;
        const int mitte = treffer.left() + 20;
        QCOMPARE(sichtbar(g, {mitte, treffer.center().y()}), QPoint(7, 10));
        QCOMPARE(sichtbar(g, {links, treffer.center().y()}), QPoint(0, 10));
        QCOMPARE(sichtbar(g, {links, oben}), QPoint(0, -1));
        QCOMPARE(sichtbar(g, {mitte, oben}), QPoint(7, -1));
        QCOMPARE(g->model()->headerData(7, Qt::Horizontal).toString(), zelle(w->listenmodell(1), 0, 7));
        bild(w.get(), QStringLiteral("seitenansicht-suche"));

        // A click on the number column makes that card current in the grid.
        const QPoint nummer = sichtbarerPunkt(g, 12);
        QTest::mouseClick(g->childAt(nummer), Qt::LeftButton, {}, g->childAt(nummer)->mapFrom(g, nummer));
        QCOMPARE(g->currentIndex(), g->model()->index(12, 0));
        QString label;
        imDialog([&](QWidget *d) {
            label = kind<QLabel>(d, "Label1")->text();
            kind<QPushButton>(d, "Command1")->click();
        });
        QTest::mouseDClick(g->childAt(nummer), Qt::LeftButton, {}, g->childAt(nummer)->mapFrom(g, nummer));
        QCOMPARE(label, QStringLiteral("B 0009"));
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

        // A town typed for a group goes to every card of it (and to its
        // file); the other fields stay each card's own.
        klick(g, 60, 2);
        klick(g, 58, 2, Qt::ShiftModifier);
        imDialog([&](QWidget *d) {
            auto *text4 = kind<QLineEdit>(d, "text4");
            text4->selectAll();
            QTest::keyClicks(text4, "Neustadt");
            kind<QPushButton>(d, "Command3")->click();
        });
        QTest::keyClick(g, Qt::Key_Enter);
        for (int k = 54; k <= 58; ++k) {
            QVERIFY(m_z.bild.gesperrt(k));
            QCOMPARE(m_z.bild.Kundendaten[0][2][k], k <= 57 && k >= 55 ? QStringLiteral("Neustadt") : QStringLiteral("O2D %1").arg(k));
            QCOMPARE(m_z.bild.Kundendaten[0][1][k], QStringLiteral("P2D %1").arg(k));
        }
        QVERIFY(leseDatei(pfad("SK.O2D")).contains("\r\nO2D 54\r\nNeustadt\r\nNeustadt\r\nNeustadt\r\nO2D 58\r\n"));
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
            const QString fremd = dateiWaehlen(fd, ziel);
            QVERIFY2(fremd.isEmpty(), qPrintable(fremd));
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
                const QString fremd = dateiWaehlen(fd, pfad(name));
                QVERIFY2(fremd.isEmpty(), qPrintable(fremd));
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

PORTAVO_TESTKLASSE(tst_sondercode)
#include "tst_sondercode.moc"
