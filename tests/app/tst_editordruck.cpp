// Printing from the editor: the tab on show decides what is printed, the printer dialog's cancel is silent, a
// printer error is reported, the preview, the PDF export, and long card names printed whole.

#include "support/Testlauf.h"
#include "Editorhilfe.h"
#include "support/Fensterhilfe.h"

#include <QtWidgets>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

namespace {
// Page objects of a PDF written by Qt.
int pdfSeiten(const QString &pfad)
{
    const QByteArray inhalt = lies(pfad);
    if (!inhalt.startsWith("%PDF"))
        return -1;
    return int(inhalt.count("/Type /Page\n") + inhalt.count("/Type /Page ") + inhalt.count("/Type /Page>"));
}

// The words of page 1 of a PDF, as pdftotext (poppler-utils) reads them.
QStringList pdfWoerter(const QString &pfad)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {"-f", "1", "-l", "1", pfad, "-"});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        qWarning("pdftotext failed: install poppler-utils (scripts/deps.sh)");
    return QString::fromUtf8(p.readAllStandardOutput()).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

void tab(QWidget *w, int i) { kind<QTabWidget>(w, "SSTab1")->setCurrentIndex(i); }
void waehle(QWidget *w, const char *aktion) { kind<QAction>(w, aktion)->trigger(); }
}  // namespace

class tst_editordruck : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    Zustand m_z;
    MeldungAufnahme m_m;

    // Track 2 only, 21 digits: list 1 has 161 entries. Printing goes into
    // the PDF file pdf instead of asking for a printer (when one is given).
    std::unique_ptr<Editorfenster> oeffne(const QString &pdf = QString(), const Bytes &b = standardbild(21),
                                         const QStringList &namen = {"Meier"})
    {
        const QString datei = m_dir.filePath(QStringLiteral("DRUCK.S2D"));
        if (!schreib(datei, hauptdateiInhalt(b)) ||
            !schreib(m_dir.filePath(QStringLiteral("DRUCK.B2D")), begleitInhalt(namen, b[2] & 0x80 ? 5001 : 2001)))
            qFatal("cannot write");
        auto w = editor(m_z, m_m, datei);
        if (!pdf.isEmpty())
            w->druckablauf().setDruckerwahl([pdf](QPrinter &d, QWidget *) {
                d.setOutputFormat(QPrinter::PdfFormat);
                d.setOutputFileName(pdf);
                return true;
            });
        return w;
    }

private slots:
    void init()
    {
        m_z = Zustand();
        m_m.leeren();
    }

    void druckdialogAbbrechenBleibtStill()
    {
        auto w = oeffne();
        bool gesehen = false;
        imDialog([&](QWidget *d) {
            gesehen = qobject_cast<QPrintDialog *>(d) != nullptr;
            static_cast<QDialog *>(d)->reject();
        }, QStringLiteral("Druckdialog"));
        waehle(w.get(), "mnuPrint");
        QVERIFY(gesehen);
        QVERIFY(m_m.eintraege().isEmpty());
    }

    void teilUndAllesDrucken()
    {
        const QString pdf = m_dir.filePath(QStringLiteral("drucker.pdf"));
        auto w = oeffne(pdf);
        // The current tab decides the section: 162 grid rows take 4 pages
        // (36, then 43 each), then the empty track-3/1 list.
        const int seiten[] = {1, 5, 2};
        for (int i = 0; i < 3; ++i) {
            tab(w.get(), i);
            waehle(w.get(), "mnuPrint");
            QCOMPARE(pdfSeiten(pdf), seiten[i]);
        }
        waehle(w.get(), "mnuPrintAll");
        QCOMPARE(pdfSeiten(pdf), 1 + 5 + 2 + 1);
        QVERIFY(m_m.eintraege().isEmpty());

        // A printer that cannot be written is reported.
        w.reset();
        auto f = oeffne(m_dir.filePath(QStringLiteral("gibtsnicht/drucker.pdf")));
        waehle(f.get(), "mnuPrintAll");
        QCOMPARE(m_m.textnummern(), QList<int>{435});
    }

    void seitenansicht()
    {
        auto w = oeffne();
        tab(w.get(), 1);
        int seiten = -1;
        imDialog([&](QWidget *d) {
            auto *vorschau = d->findChild<QPrintPreviewWidget *>();
            QVERIFY(vorschau);
            QTRY_VERIFY(vorschau->pageCount() > 0);
            seiten = vorschau->pageCount();
            d->close();
        }, QStringLiteral("Seitenansicht"));
        waehle(w.get(), "mnuPreview");
        QCOMPARE(seiten, 5);
        QVERIFY(m_m.eintraege().isEmpty());
    }

    // Special code, three cards to a printed line: long names are set
    // smaller or wrapped, every word of them on paper.
    void langeNamenImKartendruckGanz()
    {
        Bytes b = grundbild();
        b[2] = 0x81;
        b[3] = 4;
        b[4] = 4;
        const QStringList lang{QStringLiteral("Friederike von Hohenstein-Waldburg, Lichtenau Nord"),
                               QStringLiteral("Maximilian Mustermann-Oberhausen"),
                               QStringLiteral("Bauunternehmung Rheinland-Pfalz Gesellschaft mbH Zweigstelle")};
        const QString pdf = m_dir.filePath(QStringLiteral("karten.pdf"));
        auto w = oeffne(pdf, b, {"----------", lang[0], "Meier", "----------", "----------", lang[1], lang[2]});
        tab(w.get(), 1);
        waehle(w.get(), "mnuPrint");
        QVERIFY(m_m.eintraege().isEmpty());
        const QStringList woerter = pdfWoerter(pdf);
        for (const QString &wort : (lang.join(' ') + QStringLiteral(" Meier")).split(QLatin1Char(' ')))
            QVERIFY2(woerter.contains(wort), qPrintable(wort + QStringLiteral(" missing in: ") + woerter.join(' ')));
    }

    void pdfExport()
    {
        auto w = oeffne();
        const QString ziel = m_dir.filePath(QStringLiteral("export.pdf"));
        // Cancelled: nothing written, nothing said.
        imDialog([](QWidget *d) { d->close(); }, QStringLiteral("PdfExport"));
        waehle(w.get(), "mnuExportPdf");
        QVERIFY(!QFile::exists(ziel));
        QVERIFY(m_m.eintraege().isEmpty());

        // All four sections, whatever tab is open.
        tab(w.get(), 3);
        imDialog([&](QWidget *d) { dateiWaehlen(d, ziel); }, QStringLiteral("PdfExport"));
        waehle(w.get(), "mnuExportPdf");
        QCOMPARE(pdfSeiten(ziel), 9);
        QVERIFY(m_m.eintraege().isEmpty());

        // A file that cannot be written (no one creates files in /proc) is reported with its path.
        const QString falsch = QStringLiteral("/proc/portavo-export.pdf");
        imDialog([&](QWidget *d) { dateiWaehlen(d, falsch); }, QStringLiteral("PdfExport"));
        waehle(w.get(), "mnuExportPdf");
        QCOMPARE(m_m.textnummern(), QList<int>{437});
        QVERIFY(m_m.eintraege().constFirst().text.contains(falsch));
    }
};

PORTAVO_TESTKLASSE(tst_editordruck)
#include "tst_editordruck.moc"
