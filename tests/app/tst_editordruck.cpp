// Printing from the editor: the print items of the File menu, the printer
// dialog (cancel is silent), a printer error reported, the preview and the
// PDF export.

#include "support/Testlauf.h"
#include "Editorhilfe.h"

#include "app/portadatei2D.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "support/Fensterhilfe.h"
#include "support/MeldungAufnahme.h"

#include <QTest>
#include <QtWidgets>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <memory>

namespace {

// Page objects of a PDF written by Qt.
int pdfSeiten(const QString &pfad)
{
    const QByteArray inhalt = lies(pfad);
    if (!inhalt.startsWith("%PDF"))
        return -1;
    return int(inhalt.count("/Type /Page\n")) + int(inhalt.count("/Type /Page ")) + int(inhalt.count("/Type /Page>"));
}

// The words of page n (from 1) of a PDF, as pdftotext (poppler-utils) reads them.
QStringList pdfWoerter(const QString &pfad, int n)
{
    const QString werkzeug = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (werkzeug.isEmpty())
        qWarning("pdftotext not found: install poppler-utils (scripts/deps.sh)");
    QProcess p;
    p.start(werkzeug, {"-f", QString::number(n), "-l", QString::number(n), pfad, "-"});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput()).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

}  // namespace

class tst_editordruck : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    Zustand m_z;
    MeldungAufnahme m_m;
    QString m_datei;

    std::unique_ptr<portadatei2D> oeffne(QString datei = QString())
    {
        if (datei.isEmpty())
            datei = m_datei;
        auto w = std::make_unique<portadatei2D>(m_z, m_m);
        if (!w->oeffne(datei))
            qFatal("cannot open %s", qPrintable(datei));
        w->show();
        return w;
    }

    // Prints into a PDF file instead of asking for a printer.
    static void druckeNach(portadatei2D &w, const QString &pfad)
    {
        w.druckablauf().setDruckerwahl([pfad](QPrinter &d, QWidget *) {
            d.setOutputFormat(QPrinter::PdfFormat);
            d.setOutputFileName(pfad);
            return true;
        });
    }

    static void waehle(portadatei2D &w, const char *aktion)
    {
        QAction *a = w.findChild<QAction *>(QLatin1String(aktion));
        QVERIFY2(a, aktion);
        a->trigger();
    }

private slots:
    void initTestCase()
    {
        // Track 2 only, 21 digits: list 1 has 161 entries.
        m_datei = m_dir.filePath(QStringLiteral("DRUCK.S2D"));
        QVERIFY(schreib(m_datei, hauptdateiInhalt(standardbild(21))));
        QVERIFY(schreib(m_dir.filePath(QStringLiteral("DRUCK.B2D")), begleitInhalt({"Meier"}, 2001)));
    }

    void init()
    {
        m_z = Zustand();
        m_m.leeren();
    }

    void menue()
    {
        auto w = oeffne();
        const QStringList namen = {"mnuSave",      "mnuSaveAs",    "mnuPrint", "mnuPrintAll",  "mnuPreview",
                                   "mnuExportPdf", QString(),      "mnuCsvExport", "mnuCsvImport", QString(),
                                   "mnuFileExit"};  // the unnamed ones are separators
        QMenu *datei = w->findChild<QMenu *>(QStringLiteral("mnuFile"));
        QVERIFY(datei);
        QStringList vorhanden;
        for (QAction *a : datei->actions())
            vorhanden << a->objectName();
        QCOMPARE(vorhanden, namen);
        QCOMPARE(w->findChild<QAction *>("mnuPrintAll")->text(), QStringLiteral("alles Drucke&n"));
        QCOMPARE(w->findChild<QAction *>("mnuPreview")->text(), QStringLiteral("Seitenansic&ht"));
        QCOMPARE(w->findChild<QAction *>("mnuExportPdf")->text(), QStringLiteral("Als &PDF exportieren"));

        m_z = Zustand();
        m_z.Sprache = 1000;
        auto en = oeffne();
        QCOMPARE(en->findChild<QAction *>("mnuPreview")->text(), QStringLiteral("Print pre&view"));
        QCOMPARE(en->findChild<QAction *>("mnuExportPdf")->text(), QStringLiteral("Export as P&DF"));
    }

    void druckdialogAbbrechenBleibtStill()
    {
        auto w = oeffne();
        bool gesehen = false;
        QTimer::singleShot(0, w.get(), [&] {
            mitModal(QStringLiteral("Druckdialog"), [&](QWidget *d) {
                gesehen = qobject_cast<QPrintDialog *>(d) != nullptr;
                static_cast<QDialog *>(d)->reject();
            });
        });
        waehle(*w, "mnuPrint");
        QVERIFY(gesehen);
        QVERIFY(m_m.eintraege().isEmpty());
    }

    void teilUndAllesDrucken()
    {
        auto w = oeffne();
        auto *tabs = w->findChild<QTabWidget *>(QStringLiteral("SSTab1"));
        const QString pdf = m_dir.filePath(QStringLiteral("drucker.pdf"));
        druckeNach(*w, pdf);

        // The current tab decides the section.
        waehle(*w, "mnuPrint");
        QCOMPARE(pdfSeiten(pdf), 1);
        tabs->setCurrentIndex(1);
        waehle(*w, "mnuPrint");
        // 162 grid rows: 36 on the first page, 43 on each further one; then
        // the empty track-3/1 list.
        QCOMPARE(pdfSeiten(pdf), 4 + 1);
        tabs->setCurrentIndex(2);
        waehle(*w, "mnuPrint");
        QCOMPARE(pdfSeiten(pdf), 2);

        waehle(*w, "mnuPrintAll");
        QCOMPARE(pdfSeiten(pdf), 1 + 5 + 2 + 1);
        QVERIFY(m_m.eintraege().isEmpty());
    }

    void druckerfehlerWirdGemeldet()
    {
        auto w = oeffne();
        druckeNach(*w, m_dir.filePath(QStringLiteral("gibtsnicht/drucker.pdf")));
        waehle(*w, "mnuPrintAll");
        QCOMPARE(m_m.textnummern(), QList<int>{435});
        QCOMPARE(m_m.eintraege().constFirst().titelnummer, 436);
        QCOMPARE(m_m.eintraege().constFirst().text, Texttabelle::text(435));
    }

    void seitenansicht()
    {
        auto w = oeffne();
        w->findChild<QTabWidget *>(QStringLiteral("SSTab1"))->setCurrentIndex(1);
        int seiten = -1;
        QString titel;
        QTimer::singleShot(0, w.get(), [&] {
            mitModal(QStringLiteral("Seitenansicht"), [&](QWidget *d) {
                titel = d->windowTitle();
                auto *vorschau = d->findChild<QPrintPreviewWidget *>();
                QVERIFY(vorschau);
                QTRY_VERIFY(vorschau->pageCount() > 0);
                seiten = vorschau->pageCount();
                d->close();
            });
        });
        waehle(*w, "mnuPreview");
        QCOMPARE(titel, QStringLiteral("Seitenansicht"));
        QCOMPARE(seiten, 5);
        QVERIFY(m_m.eintraege().isEmpty());
    }

    void langeNamenImKartendruckGanz()
    {
        // Special code, three cards to a printed line: long names are set
        // smaller or wrapped, every word of them on paper.
        const QString datei = m_dir.filePath(QStringLiteral("LANG.S2D"));
        Bytes b = grundbild();
        b[2] = 0x81;
        b[3] = 4;
        b[4] = 4;
        QVERIFY(schreib(datei, hauptdateiInhalt(b)));
        const QString lang1 = QStringLiteral("Friederike von Hohenstein-Waldburg, Lichtenau Nord");
        const QString lang2 = QStringLiteral("Maximilian Mustermann-Oberhausen");
        const QString lang3 = QStringLiteral("Bauunternehmung Rheinland-Pfalz Gesellschaft mbH Zweigstelle");
        QVERIFY(schreib(m_dir.filePath(QStringLiteral("LANG.B2D")),
                              begleitInhalt({"----------", lang1, "Meier", "----------", "----------", lang2, lang3}, 5001)));
        auto w = oeffne(datei);
        w->findChild<QTabWidget *>(QStringLiteral("SSTab1"))->setCurrentIndex(1);
        const QString pdf = m_dir.filePath(QStringLiteral("karten.pdf"));
        druckeNach(*w, pdf);
        waehle(*w, "mnuPrint");
        QVERIFY(m_m.eintraege().isEmpty());
        const QStringList woerter = pdfWoerter(pdf, 1);
        QVERIFY2(woerter.contains(QStringLiteral("Meier")), qPrintable(woerter.join(QLatin1Char(' '))));
        for (const QString &name : {lang1, lang2, lang3})
            for (const QString &wort : name.split(QLatin1Char(' ')))
                QVERIFY2(woerter.contains(wort), qPrintable(wort + QStringLiteral(" missing in: ") + woerter.join(QLatin1Char(' '))));
    }

    void pdfExport()
    {
        auto w = oeffne();
        const QString ziel = m_dir.filePath(QStringLiteral("export.pdf"));
        const auto exportiere = [&](const QString &name, bool annehmen) {
            QString titel;
            QTimer::singleShot(0, w.get(), [&] {
                mitModal(QStringLiteral("PdfExport"), [&](QWidget *d) {
                    auto *fd = qobject_cast<QFileDialog *>(d);
                    QVERIFY(fd);
                    titel = fd->windowTitle();
                    // The name typed into the dialog's name box.
                    auto *box = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                    QVERIFY(box);
                    box->setText(name);
                    if (annehmen)
                        static_cast<QDialog *>(fd)->accept();
                    else
                        fd->reject();
                });
            });
            waehle(*w, "mnuExportPdf");
            return titel;
        };

        // Cancelled: nothing written, nothing said.
        QCOMPARE(exportiere(ziel, false), QStringLiteral("Als PDF exportieren"));
        QVERIFY(!QFile::exists(ziel));
        QVERIFY(m_m.eintraege().isEmpty());

        // All four sections, whatever tab is open.
        w->findChild<QTabWidget *>(QStringLiteral("SSTab1"))->setCurrentIndex(3);
        exportiere(ziel, true);
        QCOMPARE(pdfSeiten(ziel), 9);
        QVERIFY(m_m.eintraege().isEmpty());

        // A file that cannot be written (no one creates files in /proc) is
        // reported with its path.
        const QString falsch = QStringLiteral("/proc/portavo-export.pdf");
        exportiere(falsch, true);
        QCOMPARE(m_m.textnummern(), QList<int>{437});
        QVERIFY(m_m.eintraege().constFirst().text.contains(falsch));
    }
};

PORTAVO_TESTKLASSE(tst_editordruck)
#include "tst_editordruck.moc"
