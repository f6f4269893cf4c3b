#include "app/Dateidialog.h"

#include <QRegularExpression>

namespace {

QStringList beideFormen(const QString &muster)
{
    QStringList liste;
    const QStringList teile = muster.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts);
    for (const QString &m : teile) {
        for (const QString &form : {m, m.toUpper(), m.toLower()})
            if (!liste.contains(form))
                liste.append(form);
    }
    return liste;
}

}  // namespace

Dateidialog::Dateidialog(QWidget *parent, const QString &titel, const QString &ordner, const QString &tabellenfilter)
    : QFileDialog(parent, titel, ordner)
{
    setObjectName(QStringLiteral("Dateidialog"));
    setOption(QFileDialog::DontUseNativeDialog);
    setIconProvider(&m_arten);
    setNameFilters(qtFilter(tabellenfilter).split(QStringLiteral(";;"), Qt::SkipEmptyParts));
}

QString Dateidialog::qtFilter(const QString &tabellenfilter)
{
    const QStringList teile = tabellenfilter.split(QLatin1Char('|'));
    QStringList filter;
    for (int i = 0; i + 1 < teile.size(); i += 2) {
        const QStringList formen = beideFormen(teile[i + 1]);
        if (formen.isEmpty())
            continue;
        filter.append(QStringLiteral("%1 (%2)").arg(teile[i].trimmed(), formen.join(QLatin1Char(' '))));
    }
    return filter.join(QStringLiteral(";;"));
}

QStringList Dateidialog::muster(const QString &tabellenfilter)
{
    const QStringList teile = tabellenfilter.split(QLatin1Char('|'));
    QStringList liste;
    for (int i = 1; i < teile.size(); i += 2)
        liste += beideFormen(teile[i]);
    return liste;
}

QString Dateidialog::oeffnen(QWidget *parent, const QString &titel, const QString &tabellenfilter,
                             const QString &ordner, const QString &name, const QString &objektname)
{
    Dateidialog d(parent, titel, ordner, tabellenfilter);
    d.setObjectName(objektname);
    d.setAcceptMode(QFileDialog::AcceptOpen);
    d.setFileMode(QFileDialog::ExistingFile);
    if (!name.isEmpty())
        d.selectFile(name);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return QString();
    return d.selectedFiles().constFirst();
}

QString Dateidialog::speichern(QWidget *parent, const QString &titel, const QString &tabellenfilter,
                               const QString &ordner, const QString &name, const QString &endung,
                               const QString &objektname, bool ueberschreibenFragen)
{
    Dateidialog d(parent, titel, ordner, tabellenfilter);
    d.setObjectName(objektname);
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setFileMode(QFileDialog::AnyFile);
    d.setOption(QFileDialog::DontConfirmOverwrite, !ueberschreibenFragen);
    if (!endung.isEmpty())
        d.setDefaultSuffix(endung);
    if (!name.isEmpty())
        d.selectFile(name);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return QString();
    return d.selectedFiles().constFirst();
}
