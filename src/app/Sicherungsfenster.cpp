#include "app/Sicherungsfenster.h"

#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "termfile/Dateivergleich.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

Sicherungsfenster::Sicherungsfenster(Zustand &z, Meldung &meldung, const QString &wurzel, const QString &anlage,
                                     const QString &schreibdatei, QWidget *parent)
    : QDialog(parent), m_z(z), m_meldung(meldung), m_schreibdatei(schreibdatei)
{
    setObjectName(QStringLiteral("frmSicherungen"));
    QString titel = text(854);
    setWindowTitle(titel.remove(QLatin1Char('&')).remove(QStringLiteral(" ...")));
    auto *l = new QVBoxLayout(this);

    const int adresse = z.terminal.adresse;
    auto *kopf = new QLabel(anlage.isEmpty() ? text(855).arg(adresse) : anlage + QStringLiteral(" - ") + text(855).arg(adresse),
                            this);
    kopf->setObjectName(QStringLiteral("LabelTerminal"));
    l->addWidget(kopf);

    m_liste = new QTreeWidget(this);
    m_liste->setObjectName(QStringLiteral("ListeSicherungen"));
    m_liste->setRootIsDecorated(false);
    m_liste->setHeaderLabels({text(856), text(857), text(858)});
    l->addWidget(m_liste, 2);

    m_vergleichKopf = new QLabel(this);
    m_vergleichKopf->setObjectName(QStringLiteral("LabelVergleich"));
    m_vergleichKopf->setWordWrap(true);
    l->addWidget(m_vergleichKopf);
    m_vergleich = new QListWidget(this);
    m_vergleich->setObjectName(QStringLiteral("ListeVergleich"));
    QFont fest(QStringLiteral("monospace"));
    fest.setStyleHint(QFont::TypeWriter);
    m_vergleich->setFont(fest);
    l->addWidget(m_vergleich, 3);

    auto *form = new QFormLayout;
    m_behalten = new QSpinBox(this);
    m_behalten->setObjectName(QStringLiteral("SpinBehalten"));
    m_behalten->setRange(1, 999);
    m_behalten->setValue(Sicherungsablage::einstellung().behalten);
    form->addRow(text(861), m_behalten);
    l->addLayout(form);
    connect(m_behalten, &QSpinBox::editingFinished, this, [this] {
        Sicherungsablage::Einstellung e = Sicherungsablage::einstellung();
        if (e.behalten == m_behalten->value())
            return;
        e.behalten = m_behalten->value();
        if (!Sicherungsablage::setzeEinstellung(e))
            m_meldung.zeige(text(865), windowTitle(), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 865, 854);
    });

    auto *knoepfe = new QDialogButtonBox(this);
    m_zurueck = knoepfe->addButton(text(860), QDialogButtonBox::ActionRole);
    m_zurueck->setObjectName(QStringLiteral("CommandZurueckschreiben"));
    m_zurueck->setEnabled(false);
    QPushButton *zu = knoepfe->addButton(text(848), QDialogButtonBox::RejectRole);
    zu->setObjectName(QStringLiteral("CommandSchliessen"));
    connect(m_zurueck, &QPushButton::clicked, this, &Sicherungsfenster::schreibeZurueck);
    connect(knoepfe, &QDialogButtonBox::rejected, this, &QDialog::reject);
    l->addWidget(knoepfe);

    const Sicherungsablage ablage(wurzel);
    const Dateiergebnis e = ablage.liste(anlage, adresse, m_eintraege, z.sprache.versatz);
    if (!z.terminal.identifiziert && !z.terminal.adresseBekannt)
        m_vergleichKopf->setText(text(853));
    else if (!e.ok)
        m_vergleichKopf->setText(e.meldung);  // a damaged index is not taken for an empty one
    else if (m_eintraege.isEmpty())
        m_vergleichKopf->setText(text(863));
    // What the terminal holds now is the file that replaced its newest backup; the file chosen for
    // writing stands in only while no write of this terminal was backed up.
    if (!m_eintraege.isEmpty() && !m_eintraege.first().ersetztDurch.isEmpty())
        m_schreibdatei = m_eintraege.first().ersetztDurch;
    for (const Sicherungsablage::Eintrag &s : m_eintraege)
        new QTreeWidgetItem(m_liste, {QLocale().toString(s.zeit, QStringLiteral("yyyy-MM-dd HH:mm:ss")), s.version,
                                      QDir::toNativeSeparators(s.ersetztDurch)});
    m_liste->header()->resizeSections(QHeaderView::ResizeToContents);
    connect(m_liste, &QTreeWidget::currentItemChanged, this, &Sicherungsfenster::gewaehlt);
    resize(680, 520);
}

QString Sicherungsfenster::text(int nummer) const
{
    return Texttabelle::text(m_z, nummer);
}

void Sicherungsfenster::gewaehlt()
{
    const int i = m_liste->indexOfTopLevelItem(m_liste->currentItem());
    m_vergleich->clear();
    m_zurueck->setEnabled(i >= 0);
    if (i < 0)
        return;
    Terminaldatei::Speicherbytes sicherung{};
    const Dateiergebnis e = Terminaldatei::leseHauptdatei(m_eintraege.at(i).hauptdatei(), sicherung, m_z.sprache.versatz);
    if (!e.ok) {
        m_vergleichKopf->setText(text(862).arg(e.meldung));
        return;
    }
    if (m_schreibdatei.isEmpty()) {
        m_vergleichKopf->setText(text(859));
        return;
    }
    // What writing the backup back changes against the file in the terminal now.
    Terminaldatei::Speicherbytes jetzt{};
    const Dateiergebnis d = Terminaldatei::leseHauptdatei(m_schreibdatei, jetzt, m_z.sprache.versatz);
    m_vergleichKopf->setText(text(864).arg(QDir::toNativeSeparators(m_schreibdatei)));
    if (!d.ok) {
        m_vergleich->addItem(text(866).arg(d.meldung));
        return;
    }
    m_vergleich->addItems(
        Dateivergleich::vergleiche(jetzt, sicherung, m_z.sprache.versatz, m_z.sprache.protokollnamen).zusammenfassung(m_z.sprache.versatz));
}

void Sicherungsfenster::schreibeZurueck()
{
    const int i = m_liste->indexOfTopLevelItem(m_liste->currentItem());
    if (i < 0)
        return;
    const QString datei = m_eintraege.at(i).hauptdatei();
    Terminaldatei::Speicherbytes sicherung{};
    const Dateiergebnis e = Terminaldatei::leseHauptdatei(datei, sicherung, m_z.sprache.versatz);
    if (!e.ok) {
        m_meldung.zeige(text(862).arg(e.meldung), windowTitle(), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen,
                        862, 854);
        return;
    }
    accept();
    emit zurueckschreiben(datei);
}
