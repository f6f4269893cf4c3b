#include "app/Druckablauf.h"

#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "print/Seitenmaler.h"
#include "app/Dateidialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {

void richteEin(QPrinter &drucker, const QString &dokumentname)
{
    drucker.setDocName(dokumentname);
    drucker.setPageSize(QPageSize(QPageSize::A4));
    drucker.setPageOrientation(QPageLayout::Portrait);
    // The layout measures from the paper's corner.
    drucker.setFullPage(true);
}

// Paints the pages on the printer; false when the printer refused.
bool aufDrucker(QPrinter &drucker, const QVector<Druckseite> &seiten)
{
    QPainter p;
    if (!p.begin(&drucker))
        return false;
    const bool ok = Seitenmaler::male(p, drucker, seiten);
    const bool beendet = p.end();
    return ok && beendet && drucker.printerState() != QPrinter::Error;
}

}  // namespace

Druckablauf::Druckablauf(Zustand &z, Meldung &m, QWidget *eltern) : m_z(z), m_meldung(m), m_eltern(eltern)
{
    m_wahl = [](QPrinter &drucker, QWidget *e) {
        QPrintDialog dialog(&drucker, e);
        dialog.setObjectName(QStringLiteral("Druckdialog"));
        return dialog.exec() == QDialog::Accepted;
    };
    Texttabelle::ladeTexte(m_z, 430, 437);
}

Druckablauf::Ergebnis Druckablauf::drucken(const QVector<Druckseite> &seiten, const QString &dokumentname)
{
    QPrinter drucker(QPrinter::HighResolution);
    richteEin(drucker, dokumentname);
    if (!m_wahl || !m_wahl(drucker, m_eltern))
        return Ergebnis::Abgebrochen;
    if (seiten.isEmpty())
        return Ergebnis::Erledigt;
    if (!aufDrucker(drucker, seiten)) {
        m_meldung.zeige(m_z, 435, 436, Meldung::Knoepfe::Ok, Meldung::Symbol::Kritisch);
        return Ergebnis::Fehler;
    }
    return Ergebnis::Erledigt;
}

void Druckablauf::seitenansicht(const QVector<Druckseite> &seiten, const QString &dokumentname)
{
    QPrinter drucker(QPrinter::HighResolution);
    richteEin(drucker, dokumentname);
    QPrintPreviewDialog dialog(&drucker, m_eltern);
    dialog.setObjectName(QStringLiteral("Seitenansicht"));
    dialog.setWindowTitle(m_z.sprache.texte.value(432));
    bool fehler = false;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *ziel) {
        // The preview paints into its own pictures; printing from it goes to
        // the printer chosen there.
        if (!aufDrucker(*ziel, seiten))
            fehler = true;
    });
    dialog.exec();
    if (fehler)
        m_meldung.zeige(m_z, 435, 436, Meldung::Knoepfe::Ok, Meldung::Symbol::Kritisch);
}

Druckablauf::Ergebnis Druckablauf::alsPdf(const QVector<Druckseite> &seiten, const QString &vorschlag)
{
    const QString pfad = Dateidialog::speichern(
        m_eltern, m_z.sprache.texte.value(433), m_z.sprache.texte.value(434), QFileInfo(vorschlag).absolutePath(),
        QFileInfo(vorschlag).completeBaseName() + QStringLiteral(".pdf"), QStringLiteral("pdf"),
        QStringLiteral("PdfExport"), true);
    if (pfad.isEmpty())
        return Ergebnis::Abgebrochen;
    QString grund;
    if (!Seitenmaler::schreibePdf(seiten, pfad, vorschlag, &grund, m_z.sprache.versatz)) {
        m_meldung.zeige(m_z.sprache.texte.value(437) + pfad + QStringLiteral("\n\n") + grund, m_z.sprache.texte.value(436),
                        Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 437, 436);
        return Ergebnis::Fehler;
    }
    return Ergebnis::Erledigt;
}
