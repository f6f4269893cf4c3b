// The editor window: settings shown and changed through the controls, the
// card-list grids, the record dialogs, display lines, saving and leaving.

#include "Editorhilfe.h"

#include "shell/MeldungAufnahme.h"
#include "shell/Texttabelle.h"
#include "shell/Zustand.h"
#include "termfile/Listenmodell.h"
#include "termfile/displayeingabe2D.h"
#include "termfile/portadatei2D.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// Runs f on the next modal dialog as soon as it is up.
void imDialog(std::function<void(QWidget *)> f)
{
    auto *t = new QTimer;
    t->setInterval(5);
    QObject::connect(t, &QTimer::timeout, [t, f] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w)
            return;
        t->stop();
        t->deleteLater();
        f(w);
    });
    t->start();
}

template <class T>
T *kind(QWidget *w, const char *name)
{
    T *k = w->findChild<T *>(QLatin1String(name));
    if (!k)
        qFatal("control %s missing", name);
    return k;
}

void tippe(QWidget *w, const QString &text)
{
    for (QChar c : text)
        QTest::keyClick(w, Qt::Key(c.toUpper().unicode()), Qt::NoModifier);
}

QColor hintergrund(Listenmodell *m, int zeile, int spalte)
{
    return m->data(m->index(zeile, spalte), Qt::BackgroundRole).value<QColor>();
}

}  // namespace

class tst_portadatei2D : public QObject {
    Q_OBJECT

    QString datei(const QString &name, const Bytes &b, const QStringList &kommentare = {})
    {
        const QString pfad = m_dir.filePath(name + ".S2D");
        if (!schreibeDatei(pfad, hauptdateiInhalt(b)))
            qFatal("cannot write");
        QFile::remove(m_dir.filePath(name + ".B2D"));
        if (!kommentare.isEmpty())
            schreibeDatei(m_dir.filePath(name + ".B2D"), begleitInhalt(kommentare, 2001));
        return pfad;
    }

    std::unique_ptr<portadatei2D> oeffne(const QString &pfad)
    {
        auto w = std::make_unique<portadatei2D>(m_z, m_m);
        if (!w->oeffne(pfad))
            return nullptr;
        w->show();
        QApplication::setActiveWindow(w.get());
        if (!QTest::qWaitForWindowActive(w.get()))
            qWarning("window not active");
        return w;
    }

    // Standard image with track 2 (digits) and track 3/1 (digits) evaluated
    // as asked, block lists optional.
    static Bytes standardbild(int ziffern2, int ziffern31, bool sperr)
    {
        Bytes b = grundbild();
        if (ziffern2) {
            b[2] |= 1;
            b[3] = (ziffern2 + 1) / 2;
            b[9] |= ziffern2 % 2;
        }
        if (ziffern31) {
            b[2] |= 2;
            b[4] = (ziffern31 + 1) / 2;
            b[9] |= (ziffern31 % 2) << 1;
        }
        if (sperr)
            b[1] |= 0x40;
        return b;
    }

private slots:
    void init()
    {
        m_z = Zustand();
        m_m.leeren();
        m_z.Protokollnamen[0] = "Standard";
    }

    void zeigtJedeEinstellung()
    {
        Bytes b = standardbild(21, 0, false);
        b[0] = 0;  // shown and written back as 1
        b[1] |= 0x01 | 0x08 | 0x80;
        b[2] |= 0x04 | 0x08;
        b[10] = 0;
        b[8] = 200;
        auto w = oeffne(datei("E", b));
        QVERIFY(w);
        QCOMPARE(kind<QLineEdit>(w.get(), "TextTueroeffnungszeit")->text(), QStringLiteral("1"));
        QCOMPARE(m_z.bild.byte(0), 1);
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(0));
        QVERIFY(kind<QRadioButton>(w.get(), "SummerJa")->isChecked());
        QVERIFY(kind<QRadioButton>(w.get(), "IntervalltonNein")->isChecked());
        QVERIFY(kind<QRadioButton>(w.get(), "UeberwachungsmodulJa")->isChecked());
        QVERIFY(kind<QRadioButton>(w.get(), "ChipkarteJa")->isChecked());
        QVERIFY(kind<QRadioButton>(w.get(), "StartzeichenNein")->isChecked());
        QVERIFY(kind<QRadioButton>(w.get(), "DisplayNein")->isChecked());
        QVERIFY(kind<QRadioButton>(w.get(), "Spur2Ja")->isChecked());
        QVERIFY(kind<QRadioButton>(w.get(), "Spur31Nein")->isChecked());
        QVERIFY(kind<QRadioButton>(w.get(), "StoerungJa")->isChecked());
        QVERIFY(kind<QRadioButton>(w.get(), "SperrlistenNein")->isChecked());
        QCOMPARE(kind<QLineEdit>(w.get(), "TextPasswort")->text(), QStringLiteral("123456"));
        QCOMPARE(kind<QLineEdit>(w.get(), "TextAdresse")->text(), QStringLiteral("200"));
        QCOMPARE(kind<QLabel>(w.get(), "LabelProtokoll")->text(), QStringLiteral("Standard"));
        QCOMPARE(kind<QLineEdit>(w.get(), "TextLaengeSpur2")->text(), QStringLiteral("21"));
        QVERIFY(kind<QGroupBox>(w.get(), "FrameLaengeSpur2")->isEnabled());
        QVERIFY(!kind<QGroupBox>(w.get(), "FrameLaengeSpur31")->isEnabled());
        QVERIFY(kind<QGroupBox>(w.get(), "FrameChipkarte")->isEnabled());
        QVERIFY(kind<QPushButton>(w.get(), "Suchen2")->isVisible());
        QVERIFY(!kind<QPushButton>(w.get(), "Suchen1")->isVisible());
        QVERIFY(!kind<QCheckBox>(w.get(), "Check12000")->isVisible());
        QCOMPARE(kind<QGroupBox>(w.get(), "FrameTueroeffnungszeit")->title(), QStringLiteral("Türöffnungszeit   (1-255)"));
    }

    void menueUndDruckbeschriftung()
    {
        auto w = oeffne(datei("M", standardbild(6, 0, false)));
        QAction *drucken = kind<QAction>(w.get(), "mnuPrint");
        QCOMPARE(drucken->text(), QStringLiteral("Grundeinstellungen &drucken"));
        QVERIFY(!kind<QAction>(w.get(), "mnuCode")->isEnabled());
        auto *tabs = kind<QTabWidget>(w.get(), "SSTab1");
        QCOMPARE(tabs->count(), 4);
        const QStringList erwartet = {"Berechtigungen &drucken", "Sperrliste/n &drucken", "Displaytexte &drucken",
                                      "Grundeinstellungen &drucken"};
        for (int i = 0; i < 4; ++i) {
            tabs->setCurrentIndex((i + 1) % 4);
            QCOMPARE(drucken->text(), erwartet[i]);
            QVERIFY(tabs->widget((i + 1) % 4)->isEnabled());
            QVERIFY(!tabs->widget((i + 2) % 4)->isEnabled());
        }
    }

    void tueroeffnungszeitImFenster_data()
    {
        QTest::addColumn<QString>("getippt");
        QTest::addColumn<int>("byte");
        QTest::newRow("300") << "300" << 1;
        QTest::newRow("0") << "0" << 1;
        QTest::newRow("255") << "255" << 255;
        QTest::newRow("Buchstaben verschluckt") << "2a5" << 25;
    }
    void tueroeffnungszeitImFenster()
    {
        QFETCH(QString, getippt);
        QFETCH(int, byte);
        auto w = oeffne(datei("T", standardbild(6, 0, false)));
        auto *box = kind<QLineEdit>(w.get(), "TextTueroeffnungszeit");
        box->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(box->hasSelectedText());
        tippe(box, getippt);
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(1));
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(!box->hasFocus());
        QCOMPARE(m_z.bild.byte(0), byte);
        QCOMPARE(box->text(), QString::number(byte));
        QVERIFY(m_m.eintraege().isEmpty());
    }

    void laengenboxWarntUndLegtNeuAn()
    {
        auto w = oeffne(datei("L", standardbild(6, 0, false), {"eins", "zwei"}));
        auto *box = kind<QLineEdit>(w.get(), "TextLaengeSpur2");
        box->setFocus(Qt::TabFocusReason);
        QCOMPARE(m_m.textnummern(), QList<int>{317});
        // Leaving without a change still empties lists and comments.
        kind<QTabWidget>(w.get(), "SSTab1")->tabBar()->setFocus();
        QCOMPARE(m_z.bild.Begleittext[0], QStringLiteral("----------"));
        QVERIFY(m_z.bild.Aenderungszaehler > 0);

        box->setFocus(Qt::TabFocusReason);
        box->selectAll();
        tippe(box, "21");
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(m_z.bild.byte(3), 11);
        QVERIFY(m_z.bild.bit(9, 0));
        Listenmodell *m1 = w->listenmodell(1);
        QCOMPARE(m1->rowCount(), (2046 - 272) / 11 + 2);
        QCOMPARE(m1->data(m1->index(2, 0)).toString(), QStringLiteral("000000000000000000000#"));
        QCOMPARE(m_z.bild.byte(272 + 10), 224);

        auto *adresse = kind<QLineEdit>(w.get(), "TextAdresse");
        m_m.leeren();
        adresse->setFocus(Qt::TabFocusReason);
        QCOMPARE(m_m.textnummern(), QList<int>{321});
    }

    void sperrlistenImFenster()
    {
        Bytes b = standardbild(6, 0, false);
        b[1] |= 0x08;
        auto w = oeffne(datei("S", b));
        auto *ja = kind<QRadioButton>(w.get(), "SperrlistenJa");
        m_m.antworte(Meldung::Abbrechen);
        ja->click();
        QVERIFY(!ja->isChecked());
        QVERIFY(kind<QRadioButton>(w.get(), "SperrlistenNein")->isChecked());
        QCOMPARE(w->listenmodell(3)->rowCount(), Listenmodell::Leerzeilen);

        m_m.antworte(Meldung::Ok);
        ja->click();
        QVERIFY(ja->isChecked());
        QVERIFY(kind<QRadioButton>(w.get(), "ChipkarteNein")->isChecked());
        QVERIFY(!kind<QGroupBox>(w.get(), "FrameChipkarte")->isEnabled());
        QCOMPARE(w->listenmodell(3)->rowCount(), (2046 - 1295) / 3 + 2);
        QCOMPARE(m_m.textnummern(), (QList<int>{319, 319}));

        // A second "nein" of the tracks is refused.
        m_m.leeren();
        kind<QRadioButton>(w.get(), "Spur2Nein")->click();
        QCOMPARE(m_m.textnummern(), QList<int>{323});
        QVERIFY(kind<QRadioButton>(w.get(), "Spur2Ja")->isChecked());
        QVERIFY(kind<QRadioButton>(w.get(), "Spur31Nein")->isChecked());

        // Ja on the selected option: nothing at all.
        m_m.leeren();
        const qint16 zaehler = m_z.bild.Aenderungszaehler;
        kind<QRadioButton>(w.get(), "Spur2Ja")->click();
        kind<QRadioButton>(w.get(), "SperrlistenJa")->click();
        QVERIFY(m_m.eintraege().isEmpty());
        QCOMPARE(m_z.bild.Aenderungszaehler, zaehler);
    }

    void anordnungenFuellenDieGitter_data()
    {
        QTest::addColumn<int>("code");
        for (int c = 0; c < 8; ++c)
            QTest::newRow(qPrintable(QString::number(c))) << c;
    }
    void anordnungenFuellenDieGitter()
    {
        QFETCH(int, code);
        Bytes b = standardbild((code & 2) ? 22 : 0, (code & 4) ? 11 : 0, code & 1);
        if (!(code & 2))
            b[3] = 11;
        if (!(code & 4))
            b[4] = 6;
        auto w = oeffne(datei("A", b));
        int erste = 0;
        for (int liste = 1; liste <= 4; ++liste) {
            const auto [anfang, ende] = listenbereich(code, liste);
            Listenmodell *m = w->listenmodell(liste);
            if (anfang == 0) {
                QCOMPARE(m->rowCount(), 25);
                QCOMPARE(m->data(m->index(1, 0)).toString(), QString());
                QCOMPARE(m->data(m->index(2, 0)).toString(), QString());
                continue;
            }
        }
        // Running numbers follow list order 1, 2, 3, 4 as the table lists them.
        const int reihenfolge[4] = {1, 2, 3, 4};
        for (int liste : reihenfolge) {
            const auto [anfang, ende] = listenbereich(code, liste);
            if (anfang == 0)
                continue;
            const int L = (liste == 1 || liste == 3) ? b[3] : b[4];
            const int anzahl = (ende - anfang) / L;
            Listenmodell *m = w->listenmodell(liste);
            QCOMPARE(m->rowCount(), anzahl + 2);
            QCOMPARE(m->data(m->index(1, 0)).toString(), QStringLiteral("Anzahl(max)   %1").arg(anzahl));
            QCOMPARE(m->eintragsnummer(2), erste);
            QCOMPARE(m_z.bild.Zeilenadresse[erste + 1], anfang + L);
            erste += anzahl;
        }
        QCOMPARE(w->listenmodell(1)->data(w->listenmodell(1)->index(0, 0)).toString(),
                 QStringLiteral("Berechtigungen Spur 2            "));
    }

    void eintragBearbeiten_data()
    {
        QTest::addColumn<int>("ziffern");
        QTest::addColumn<QString>("eingabe");
        QTest::addColumn<QList<int>>("bytes");
        QTest::newRow("ungerade") << 5 << "12345#" << QList<int>{0x21, 0x43, 0xE5};
        QTest::newRow("gerade") << 6 << "123456" << QList<int>{0x21, 0x43, 0x65};
        QTest::newRow("Raute innen") << 4 << "#:?0" << QList<int>{0xAE, 0x0F};
    }
    void eintragBearbeiten()
    {
        QFETCH(int, ziffern);
        QFETCH(QString, eingabe);
        QFETCH(QList<int>, bytes);
        const int adresse = 272 + (ziffern + 1) / 2;
        Bytes b = standardbild(ziffern, 8, false);
        b[adresse - 1] = 0x77;
        auto w = oeffne(datei("D", b));
        kind<QTabWidget>(w.get(), "SSTab1")->setCurrentIndex(1);
        auto *gitter = kind<Listengitter>(w.get(), "Mgd1");
        Listenmodell *m = w->listenmodell(1);
        const int zeile = 3;  // entry 1

        QString kurzMeldung;
        imDialog([&](QWidget *d) {
            QCOMPARE(d->objectName(), QStringLiteral("Datensp2D"));
            auto *text1 = kind<QLineEdit>(d, "text1");
            QCOMPARE(text1->maxLength(), ((ziffern + 1) / 2) * 2);
            text1->setText(eingabe.left(eingabe.size() - 1));
            kind<QPushButton>(d, "Command2")->click();  // too short: stays open
            text1->setText(eingabe);
            kind<QLineEdit>(d, "Text2")->setText(QStringLiteral("Grüße an Müller"));
            kind<QPushButton>(d, "Command2")->click();
        });
        QTest::mouseDClick(gitter->viewport(), Qt::LeftButton, {}, gitter->visualRect(m->index(zeile, 1)).center());
        QCOMPARE(m_m.textnummern(), QList<int>{203});
        QCOMPARE(w->uebergabe().Dialogergebnis, qint16(1));
        for (int i = 0; i < bytes.size(); ++i)
            QCOMPARE(m_z.bild.byte(adresse + i), bytes[i]);
        QCOMPARE(m_z.bild.byte(adresse - 1), 0x77);  // entry 0 untouched
        QCOMPARE(m->data(m->index(zeile, 0)).toString(), eingabe);
        QCOMPARE(m->data(m->index(zeile, 1)).toString(), QStringLiteral("Grüße an Müller"));
        QCOMPARE(m_z.bild.Begleittext[1], QStringLiteral("Grüße an Müller"));
        QVERIFY(m_z.bild.Aenderungszaehler > 0);
        gitter->clearFocus();
        QCOMPARE(hintergrund(m, zeile, 1), QApplication::palette().color(QPalette::Button));
        QCOMPARE(hintergrund(m, zeile, 0), QApplication::palette().color(QPalette::Base));
    }

    void datenstringTastenUndAbbruch()
    {
        auto w = oeffne(datei("K", standardbild(4, 0, false)));
        kind<QTabWidget>(w.get(), "SSTab1")->setCurrentIndex(1);
        auto *gitter = kind<Listengitter>(w.get(), "Mgd1");
        gitter->setFocus();
        gitter->setCurrentIndex(w->listenmodell(1)->index(2, 0));
        QCOMPARE(hintergrund(w->listenmodell(1), 2, 0), QColor(255, 0, 0));
        QString getippt;
        imDialog([&](QWidget *d) {
            auto *text1 = kind<QLineEdit>(d, "text1");
            text1->setFocus();
            text1->clear();
            QTest::keyClicks(text1, "A1:?b#");
            getippt = text1->text();
            kind<QPushButton>(d, "Command1")->click();
        });
        QTest::keyClick(gitter, Qt::Key_Return);
        QCOMPARE(getippt, QStringLiteral("1:?#"));
        QCOMPARE(w->uebergabe().Dialogergebnis, qint16(0));
        QCOMPARE(m_z.bild.byte(272), 0);
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(0));
        gitter->clearFocus();
        QCOMPARE(hintergrund(w->listenmodell(1), 2, 0), QApplication::palette().color(QPalette::Base));

        // Count row and caption do not react.
        bool geoeffnet = false;
        QTimer::singleShot(50, [&] { geoeffnet = QApplication::activeModalWidget() != nullptr; });
        QTest::mouseDClick(gitter->viewport(), Qt::LeftButton, {},
                           gitter->visualRect(w->listenmodell(1)->index(1, 0)).center());
        QTest::qWait(80);
        QVERIFY(!geoeffnet);
    }

    void langerKommentarVerbreitert()
    {
        const QString lang(40, QLatin1Char('x'));
        auto w = oeffne(datei("B", standardbild(4, 4, false), {"kurz", lang}));
        Listenmodell *m1 = w->listenmodell(1);
        Listenmodell *m2 = w->listenmodell(2);
        QCOMPARE(m1->spaltenbeschriftung(1), QStringLiteral("Begleittext") + QString(36 + 54, ' '));
        QCOMPARE(m2->spaltenbeschriftung(1), QStringLiteral("Begleittext") + QString(36, ' '));
        auto *g1 = kind<Listengitter>(w.get(), "Mgd1");
        auto *g2 = kind<Listengitter>(w.get(), "Mgd2");
        QVERIFY(g1->columnWidth(1) > g2->columnWidth(1));
        QCOMPARE(m1->data(m1->index(3, 1)).toString(), lang);
    }

    void displayzeilen()
    {
        Bytes b = grundbild();
        b[16 + 16 * 3] = 226;
        b[16 + 16 * 3 + 1] = 223;
        auto w = oeffne(datei("Z", b));
        QCOMPARE(kind<QLineEdit>(w.get(), "Zeile0")->text(), QString(16, ' '));
        const QString zeile3 = kind<QLineEdit>(w.get(), "Zeile3")->text();
        QCOMPARE(zeile3.size(), 16);
        QCOMPARE(zeile3.at(0), QChar(0xDF));                // 226: the display's ß
        QCOMPARE(zeile3.at(1), QChar(0xDF));                // 223: the code page's ß
        QCOMPARE(kind<QGroupBox>(w.get(), "FrameDisplaytext1")->title(), QStringLiteral("Displaytext  1"));

        struct Fall {
            int zeile;
            QString text;
            QList<int> bytes;
        };
        const QList<Fall> faelle = {
            {0, QStringLiteral("Grüße"), {71, 114, 245, 226, 101}},
            {1, QStringLiteral("ÄÖÜ"), {225, 239, 245}},
            {15, QStringLiteral("ABCDEFGHIJKLMNOPQRST"), {65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 80}},
        };
        kind<QTabWidget>(w.get(), "SSTab1")->setCurrentIndex(3);
        for (const Fall &f : faelle) {
            auto *box = kind<QLineEdit>(w.get(), qPrintable(QStringLiteral("Zeile%1").arg(f.zeile)));
            imDialog([&](QWidget *d) {
                QCOMPARE(d->objectName(), QStringLiteral("displayeingabe2D"));
                auto *text1 = kind<QLineEdit>(d, "Text1");
                text1->setText(f.text);
                kind<QPushButton>(d, "Co2")->click();
            });
            QTest::mouseClick(box, Qt::LeftButton);
            const int anfang = 16 + 16 * f.zeile;
            for (int j = 0; j < 16; ++j)
                QCOMPARE(m_z.bild.byte(anfang + j), j < f.bytes.size() ? f.bytes[j] : 32);
            QCOMPARE(box->text().size(), 16);
            QCOMPARE(box->palette().color(QPalette::Text), displayeingabe2D::farbeNachBearbeitung());
        }
        QCOMPARE(kind<QLineEdit>(w.get(), "Zeile1")->text(), QStringLiteral("äöü") + QString(13, ' '));
        QCOMPARE(m_z.bild.byte(272), 0);  // line 15 ends at 271
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(3));

        // Cancel changes nothing.
        imDialog([](QWidget *d) {
            kind<QLineEdit>(d, "Text1")->setText("weg");
            kind<QPushButton>(d, "Co1")->click();
        });
        QTest::keyClick(kind<QLineEdit>(w.get(), "Zeile0"), Qt::Key_Return);
        QCOMPARE(m_z.bild.byte(16), 71);
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(3));
    }

    void speichernSchreibtByteFuerByte()
    {
        Bytes b = standardbild(5, 0, false);
        b[1] = 0;  // bits 2 and 4 clear in the file: set again on loading
        for (int i = 272; i < 2048; ++i)
            b[i] = 0;
        const QString pfad = datei("P", b, {"null", "eins"});
        auto w = oeffne(pfad);
        kind<QTabWidget>(w.get(), "SSTab1")->setCurrentIndex(1);
        auto *gitter = kind<Listengitter>(w.get(), "Mgd1");
        imDialog([](QWidget *d) {
            kind<QLineEdit>(d, "text1")->setText("98#76#");
            kind<QLineEdit>(d, "Text2")->setText(QStringLiteral("Müller"));
            kind<QPushButton>(d, "Command2")->click();
        });
        gitter->setFocus();
        gitter->setCurrentIndex(w->listenmodell(1)->index(2, 0));
        QTest::keyClick(gitter, Qt::Key_Return);
        QVERIFY(m_z.bild.Aenderungszaehler > 0);
        kind<QAction>(w.get(), "mnuSave")->trigger();
        QCOMPARE(m_z.bild.Aenderungszaehler, qint16(0));

        Bytes erwartet = b;
        erwartet[1] = 0x14;
        erwartet[272] = 9 + 16 * 8;
        erwartet[273] = 14 + 16 * 7;
        erwartet[274] = 6 + 16 * 14;
        QCOMPARE(leseDatei(pfad), hauptdateiInhalt(erwartet));
        QCOMPARE(leseDatei(m_dir.filePath("P.B2D")), begleitInhalt({QStringLiteral("Müller"), "eins"}, 2001));
        QCOMPARE(w->hauptdatei(), pfad);
    }

    void speichernAlsMitUeberschreibfrage()
    {
        const QString pfad = datei("Q", standardbild(6, 0, false));
        const QString ziel = m_dir.filePath("ZIEL.S2D");
        QVERIFY(schreibeDatei(ziel, "alt"));
        auto w = oeffne(pfad);
        const auto waehle = [&](const QString &name) {
            imDialog([name](QWidget *d) {
                auto *fd = qobject_cast<QFileDialog *>(d);
                QVERIFY(fd);
                QCOMPARE(fd->windowTitle(), QStringLiteral("Datei speichern als"));
                fd->selectFile(name);
                static_cast<QDialog *>(fd)->accept();
            });
        };
        waehle(ziel);
        m_m.antworte(Meldung::Nein);
        kind<QAction>(w.get(), "mnuSaveAs")->trigger();
        QCOMPARE(m_m.textnummern(), QList<int>{386});
        QCOMPARE(leseDatei(ziel), QByteArray("alt"));
        QVERIFY(!QFile::exists(m_dir.filePath("ZIEL.B2D")));
        QCOMPARE(w->hauptdatei(), pfad);

        waehle(ziel);
        m_m.antworte(Meldung::Ja);
        kind<QAction>(w.get(), "mnuSaveAs")->trigger();
        QCOMPARE(leseDatei(ziel), hauptdateiInhalt(standardbild(6, 0, false)));
        QVERIFY(QFile::exists(m_dir.filePath("ZIEL.B2D")));
        QCOMPARE(w->windowTitle(), ziel);
        QCOMPARE(w->hauptdatei(), ziel);
    }

    void ungespeicherteAenderungenBeimSchliessen()
    {
        const QString pfad = datei("U", standardbild(6, 0, false));
        const QByteArray vorher = leseDatei(pfad);
        {
            auto w = oeffne(pfad);
            w->close();  // nothing changed: no question
            QVERIFY(m_m.eintraege().isEmpty());
            QVERIFY(!w->isVisible());
        }
        {
            auto w = oeffne(pfad);
            kind<QRadioButton>(w.get(), "SummerJa")->click();
            m_m.antworte(Meldung::Nein);
            kind<QAction>(w.get(), "mnuFileExit")->trigger();
            QCOMPARE(m_m.textnummern(), QList<int>{275});
            QVERIFY(!w->isVisible());
            QCOMPARE(leseDatei(pfad), vorher);
        }
        {
            m_m.leeren();
            auto w = oeffne(pfad);
            kind<QRadioButton>(w.get(), "SummerJa")->click();
            m_m.antworte(Meldung::Ja);
            w->close();
            QCOMPARE(m_m.textnummern(), QList<int>{275});
            QVERIFY(!w->isVisible());
            QVERIFY(leseDatei(pfad) != vorher);
            QCOMPARE(m_z.bild.Aenderungszaehler, qint16(0));
        }
    }

    void passwortfeldOeffnetDenDialog()
    {
        auto w = oeffne(datei("W", standardbild(6, 0, false)));
        int aufrufe = 0;
        w->setPasswortabfrage([&](Zustand &z, QWidget *) {
            ++aufrufe;
            QCOMPARE(z.PasswortOK, qint16(0));
            z.Passwort = QByteArray("0") + char(0x10) + char(0x32) + char(0x54);
            z.PasswortOK = 1;
        });
        auto *box = kind<QLineEdit>(w.get(), "TextPasswort");
        box->setFocus(Qt::MouseFocusReason);
        QCOMPARE(aufrufe, 1);
        QVERIFY(!box->hasFocus());
        QCOMPARE(box->text(), QStringLiteral("012345"));
        QCOMPARE(m_z.bild.byte(5), 0x10);
        QCOMPARE(m_z.bild.byte(7), 0x54);
        QVERIFY(m_z.bild.Aenderungszaehler > 0);
    }

    void passwortfeldMitPasswort2D()
    {
        auto w = oeffne(datei("V", standardbild(6, 0, false)));
        imDialog([](QWidget *d) {
            QCOMPARE(d->objectName(), QStringLiteral("Passwort2D"));
            kind<QLineEdit>(d, "Text1")->setText("654321");
            kind<QPushButton>(d, "OK")->click();
        });
        kind<QLineEdit>(w.get(), "TextPasswort")->setFocus(Qt::TabFocusReason);
        QCOMPARE(kind<QLineEdit>(w.get(), "TextPasswort")->text(), QStringLiteral("654321"));
        QCOMPARE(m_z.bild.byte(5), 0x56);
        QCOMPARE(m_z.bild.byte(6), 0x34);
        QCOMPARE(m_z.bild.byte(7), 0x12);

        // Free entry ("X...") leaves the image alone.
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        imDialog([](QWidget *d) {
            auto *t = kind<QLineEdit>(d, "Text1");
            QTest::keyClicks(t, "X");
            t->setText("Xabc");
            kind<QPushButton>(d, "OK")->click();
        });
        kind<QLineEdit>(w.get(), "TextPasswort")->setFocus(Qt::TabFocusReason);
        QCOMPARE(m_z.bild.byte(5), 0x56);
    }

    void sondercodebildVerbirgtListeneinstellungen()
    {
        Bytes b = grundbild();
        b[1] |= 0x60;
        b[2] = 0x81;
        b[3] = 11;
        auto w = oeffne(datei("X", b));
        QCOMPARE(m_z.bild.byte(3), 4);
        QVERIFY(!m_z.bild.bit(1, 6));
        QVERIFY(!kind<QGroupBox>(w.get(), "FrameDisplay")->isEnabled());
        QVERIFY(!kind<QRadioButton>(w.get(), "SperrlistenJa")->isVisible());
        QVERIFY(!kind<QLineEdit>(w.get(), "TextLaengeSpur2")->isVisible());
        QVERIFY(kind<QPushButton>(w.get(), "Suchen1")->isVisible());
        QVERIFY(kind<QCheckBox>(w.get(), "Check12000")->isVisible());
        for (int liste = 1; liste <= 4; ++liste)
            QCOMPARE(w->listenmodell(liste)->rowCount(), 25);
    }

    void dateiLadenOeffnetDenEditor()
    {
        const QString gut = datei("G", standardbild(6, 0, false));
        const QString falsch = m_dir.filePath("G.S2d");
        QVERIFY(QFile::copy(gut, falsch));
        m_z.Startverzeichnis = m_dir.path();
        const auto waehle = [](const QString &pfad) {
            imDialog([pfad](QWidget *d) {
                auto *fd = qobject_cast<QFileDialog *>(d);
                QVERIFY(fd);
                QCOMPARE(fd->windowTitle(), QStringLiteral("Datei zum Laden auswählen"));
                fd->selectFile(pfad);
                static_cast<QDialog *>(fd)->accept();
            });
        };
        waehle(falsch);
        Ladeablauf a = dateiLaden(m_z, m_m);
        QVERIFY(a.gewaehlt);
        QVERIFY(!a.ergebnis.geladen);
        QCOMPARE(m_m.textnummern(), QList<int>{176});
        QCOMPARE(m_z.LadenZumBearbeiten, qint16(0));

        QString titel;
        waehle(gut);
        QTimer::singleShot(100, [&] {
            imDialog([&](QWidget *d) {
                titel = d->windowTitle();
                QCOMPARE(d->objectName(), QStringLiteral("portadatei2D"));
                QCOMPARE(kind<QTabWidget>(d, "SSTab1")->currentIndex(), 0);
                d->close();
            });
        });
        a = dateiLaden(m_z, m_m);
        QVERIFY(a.ergebnis.geladen);
        QCOMPARE(titel, gut);
        QCOMPARE(a.hauptdateiNachher, gut);
        QCOMPARE(m_z.bild.byte(8), 7);
    }

    void fehlerhafteDateiWirdGemeldet()
    {
        QVERIFY(schreibeDatei(m_dir.filePath("F.S2D"), " 1 \r\n 2 \r\n"));
        portadatei2D w(m_z, m_m);
        QVERIFY(!w.oeffne(m_dir.filePath("F.S2D")));
        QCOMPARE(m_m.textnummern(), QList<int>{384});
        QCOMPARE(bearbeiteTerminaldatei(m_z, m_m, m_dir.filePath("fehlt.S2D"), "x"), QString());
    }

private:
    QTemporaryDir m_dir;
    Zustand m_z;
    MeldungAufnahme m_m;
};

QTEST_MAIN(tst_portadatei2D)
#include "tst_portadatei2D.moc"
