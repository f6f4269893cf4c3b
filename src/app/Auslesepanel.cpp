#include "app/Auslesepanel.h"

#include "app/Passwortdialog.h"
#include "app/Hauptfenster.h"
#include "base/Zustand.h"
#include "link/Anmeldung.h"
#include "workflow/Ausleseablauf.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

Auslesepanel::Auslesepanel(Zustand &z, Verbindung &v, Anmeldung &anmeldung, Meldung &meldung, QWidget *parent)
    : QGroupBox(parent), m_z(z)
{
    setObjectName(QStringLiteral("FrameAuslesen"));
    m_ablauf = new Ausleseablauf(z, v, anmeldung, meldung, this);
    m_ablauf->setPasswortfrage([this, &anmeldung, &meldung] {
        Passwortdialog fenster(m_z, meldung, &anmeldung.timer1(), window());
        fenster.exec();
        return m_z.terminal.passwortOK;
    });

    m_auslesen = new QPushButton(this);
    m_auslesen->setObjectName(QStringLiteral("CommandAuslesen"));
    m_nichtAuslesen = new QPushButton(this);
    m_nichtAuslesen->setObjectName(QStringLiteral("CommandNichtAuslesen"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("LabelStatus"));
    m_fortschritt = new QProgressBar(this);
    m_fortschritt->setObjectName(QStringLiteral("ProgressBarAuslesen"));
    m_fortschritt->setFormat(QStringLiteral("%v / %m"));
    m_fortschritt->hide();
    auto *l = new QVBoxLayout(this);
    l->addWidget(m_auslesen);
    l->addWidget(m_nichtAuslesen);
    l->addWidget(m_status);
    l->addWidget(m_fortschritt);
    Hauptfenster::faerbe(m_auslesen, true);

    connect(m_auslesen, &QPushButton::clicked, m_ablauf, &Ausleseablauf::starte);
    connect(m_nichtAuslesen, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_ablauf, &Ausleseablauf::gestartet, this, [this] {
        m_status->setText(m_z.sprache.texte.at(153));
        Hauptfenster::faerbe(m_auslesen, false);
        m_auslesen->setEnabled(false);
        m_nichtAuslesen->setEnabled(false);
        m_fortschritt->setValue(0);
        m_fortschritt->show();
    });
    connect(m_ablauf, &Ausleseablauf::fortschritt, this, [this](int empfangen, int erwartet) {
        m_fortschritt->setMaximum(qMax(1, erwartet));
        m_fortschritt->setValue(qMin(empfangen, qMax(1, erwartet)));
    });
    connect(m_ablauf, &Ausleseablauf::fertig, this, [this](const QString &datei) {
        bereitAnzeigen();
        emit fertig(datei);
    });
    connect(m_ablauf, &Ausleseablauf::fehlgeschlagen, this, [this](int textnummer) {
        bereitAnzeigen();
        emit fehlgeschlagen(textnummer);
    });
}

// The caption of the cancel button was laid out for a narrow button that
// wraps: a run of blanks stands where its second line begins. On a button
// that does not wrap the run shows as a gap; it becomes the line break.
QString Auslesepanel::beschriftung(const QString &text)
{
    static const QRegularExpression luecke(QStringLiteral("\\s{3,}"));
    return text.trimmed().replace(luecke, QStringLiteral("\n"));
}

void Auslesepanel::texteSetzen()
{
    setTitle(m_z.sprache.texte.at(122));
    m_auslesen->setText(m_z.sprache.texte.at(123));
    m_nichtAuslesen->setText(beschriftung(m_z.sprache.texte.at(124)));
}

void Auslesepanel::freigeben()
{
    show();
    m_auslesen->setEnabled(true);
    m_nichtAuslesen->setEnabled(true);
}

void Auslesepanel::bereitAnzeigen()
{
    Hauptfenster::faerbe(m_auslesen, true);
    m_auslesen->setEnabled(true);
    m_nichtAuslesen->setEnabled(true);
    m_status->clear();
    m_fortschritt->hide();
}
