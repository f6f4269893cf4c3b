#include "app/Schreibpanel.h"

#include "app/Dateidialog.h"
#include "app/Protokollidentfenster.h"
#include "app/Vergleichsdialog.h"
#include "link/Anmeldung.h"
#include "link/Schreiben.h"
#include "link/Troublesuche.h"
#include "base/Meldung.h"
#include "app/Passwortdialog.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "termfile/Dateivergleich.h"
#include "termfile/Sicherungsablage.h"
#include "workflow/Schreibablauf.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>
#include <QDir>

#include <utility>

namespace {
constexpr int Fortschrittsende = 2045;
}

Schreibpanel::Schreibpanel(Zustand &z, Verbindung &v, Anmeldung &anmeldung, Meldung &meldung, QWidget *parent)
    : QGroupBox(parent), m_z(z), m_anmeldung(anmeldung), m_meldung(meldung), m_v(v)
{
    setObjectName(QStringLiteral("FrameSchreiben"));
    m_ablauf = new Schreibablauf(z, v, anmeldung, meldung, this);

    m_frameDatei = new QGroupBox(this);
    m_frameDatei->setObjectName(QStringLiteral("FrameDatei"));
    m_dateiLabel = new QLabel(m_frameDatei);
    m_dateiLabel->setObjectName(QStringLiteral("LabelDatei"));
    m_dateiLabel->setWordWrap(true);
    (new QVBoxLayout(m_frameDatei))->addWidget(m_dateiLabel);

    m_frameSchreiben = new QGroupBox(this);
    m_frameSchreiben->setObjectName(QStringLiteral("FrameSchreibknopf"));
    m_schreibknopf = new QPushButton(m_frameSchreiben);
    m_schreibknopf->setObjectName(QStringLiteral("CommandSchreiben"));
    m_abbrechen = new QPushButton(m_frameSchreiben);
    m_abbrechen->setObjectName(QStringLiteral("CommandSchreibenAbbrechen"));
    m_fortschritt = new QProgressBar(m_frameSchreiben);
    m_fortschritt->setObjectName(QStringLiteral("ProgressBar1"));
    m_fortschritt->setRange(0, Fortschrittsende);
    m_fortschritt->setValue(0);
    m_sicherung = new QCheckBox(m_frameSchreiben);
    m_sicherung->setObjectName(QStringLiteral("CheckSicherung"));
    m_sicherung->setChecked(Sicherungsablage::einstellung().aktiv);
    m_sicherungsstand = new QLabel(m_frameSchreiben);
    m_sicherungsstand->setObjectName(QStringLiteral("LabelSicherung"));
    m_sicherungsstand->setWordWrap(true);
    auto *sl = new QVBoxLayout(m_frameSchreiben);
    sl->addWidget(m_sicherung);
    sl->addWidget(m_sicherungsstand);
    sl->addWidget(m_schreibknopf);
    sl->addWidget(m_abbrechen);
    sl->addWidget(m_fortschritt);
    auto *l = new QVBoxLayout(this);
    l->addWidget(m_frameDatei);
    l->addWidget(m_frameSchreiben);
    faerbe(m_schreibknopf, true);

    connect(m_schreibknopf, &QPushButton::clicked, this, &Schreibpanel::schreibknopf);
    connect(m_sicherung, &QCheckBox::clicked, this, &Schreibpanel::sicherungGewaehlt);
    // The backup read-out is part of the write: the button stays pressed until the write ends.
    connect(m_ablauf, &Schreibablauf::sicherungBegonnen, this, [this] {
        faerbe(m_schreibknopf, false);
        m_schreibknopf->setEnabled(false);
        m_sicherungsstand->setText(text(841));
    });
    connect(m_ablauf, &Schreibablauf::gesichert, this,
            [this](const QString &datei) { m_sicherungsstand->setText(text(843).arg(QDir::toNativeSeparators(datei))); });
    m_ablauf->setVergleichsfrage([this](const Dateivergleich &v) {
        const QString kopf = text(851).arg(m_z.terminal.adresse).arg(QDir::toNativeSeparators(m_ablauf->datei()));
        Vergleichsdialog d(m_z, v, Vergleichsdialog::Art::Frage, kopf, window());
        return d.exec() == QDialog::Accepted;
    });
    connect(m_ablauf, &Schreibablauf::nichtBereit, this, [this] { m_selbstSchreiben = false; });
    connect(m_abbrechen, &QPushButton::clicked, m_ablauf, &Schreibablauf::abbrechen);
    connect(&schreiben(), &Schreiben::gestartet, this, [this] {
        faerbe(m_schreibknopf, false);
        m_schreibknopf->setEnabled(false);
        m_fortschritt->setValue(0);
    });
    connect(&schreiben(), &Schreiben::angekuendigt, this, [this] { m_frameSchreiben->setTitle(text(556)); });
    connect(&schreiben(), &Schreiben::blockBegonnen, this, [this] {
        const QString modem = m_z.sitzung.leitung == Leitungsart::Modem ? QStringLiteral("Modem ") : QString();
        m_frameSchreiben->setTitle(modem + text(169));
    });
    connect(&schreiben(), &Schreiben::fortschritt, this, [this](int bytes, int gesamt) {
        m_fortschritt->setValue(gesamt > 0 ? int(qint64(bytes) * Fortschrittsende / gesamt) : 0);
    });
    connect(m_ablauf, &Schreibablauf::befehlBegonnen, this, [this] {
        emit auslesePanelVerbergen();
        m_dateiLabel->clear();
    });
    connect(m_ablauf, &Schreibablauf::dateiGewaehlt, this, [this](const QString &datei) {
        m_dateiLabel->setText(datei);
        emit dateiGewaehlt(datei);
    });
    connect(m_ablauf, &Schreibablauf::bereit, this, &Schreibpanel::bereit);
    connect(m_ablauf, &Schreibablauf::schreibenBeendet, this, &Schreibpanel::beendet);
    connect(m_ablauf, &Schreibablauf::laeuftGeaendert, this, &Schreibpanel::laeuftGeaendert);
    connect(m_ablauf, &Schreibablauf::sanduhr, this, &Schreibpanel::sanduhr);

    m_dateiwahl = [this](const QString &titel, const QString &filter, const QString &ordner, const QString &name) {
        return Dateidialog::oeffnen(window(), titel, filter, ordner, name);
    };
    m_passwortdialog = [this] { standardPasswortdialog(); };
    m_protokolldialog = [this] { standardProtokolldialog(); };
    m_ablauf->setDateiwahl([this](const QString &titel, const QString &filter, const QString &ordner,
                                  const QString &name) {
        if (!m_vorgabe.isEmpty())
            return std::exchange(m_vorgabe, QString());
        return m_dateiwahl(titel, filter, ordner, name);
    });
    m_ablauf->setPasswortfrage([this] {
        m_passwortdialog();
        return m_z.terminal.passwortOK;
    });
    m_ablauf->setProtokollwahl([this] {
        m_protokolldialog();
        return m_z.terminal.protokollGewaehlt;
    });
    texteSetzen();
    hide();
}

Schreibpanel::~Schreibpanel()
{
    if (m_sanduhr)
        QApplication::restoreOverrideCursor();
}

Schreiben &Schreibpanel::schreiben()
{
    return m_ablauf->schreiben();
}

Troublesuche &Schreibpanel::trouble()
{
    return m_ablauf->trouble();
}

QString Schreibpanel::datei() const
{
    return m_ablauf->datei();
}

QString Schreibpanel::text(int nummer) const
{
    return Texttabelle::text(m_z, nummer);
}

void Schreibpanel::faerbe(QPushButton *knopf, bool bereit)
{
    knopf->setStyleSheet(bereit ? QStringLiteral("background-color: rgb(0, 255, 0); color: black;")
                                : QStringLiteral("background-color: rgb(255, 0, 0); color: black;"));
    knopf->setProperty("bereit", bereit);
}

void Schreibpanel::texteSetzen()
{
    if (!schreiben().reparatur())
        setTitle(text(117));
    m_frameDatei->setTitle(text(118));
    m_frameSchreiben->setTitle(text(119));
    m_schreibknopf->setText(text(120));
    m_abbrechen->setText(text(121));
    m_sicherung->setText(text(840));
}

void Schreibpanel::sicherungGewaehlt(bool an)
{
    Sicherungsablage::Einstellung e = Sicherungsablage::einstellung();
    e.aktiv = an;
    if (!Sicherungsablage::setzeEinstellung(e))
        m_meldung.zeige(text(865), text(840), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 865, 840);
    m_sicherungsstand->setText(an ? QString() : text(842));
}

void Schreibpanel::schreibknopf()
{
    if (m_ablauf->schreibenLaeuft())
        return;
    // The number kept may have changed in the backups window since the last write.
    if (m_sicherung->isChecked()) {
        m_ablage = std::make_unique<Sicherungsablage>(Sicherungsablage::standardwurzel(),
                                                      Sicherungsablage::einstellung().behalten);
        m_ablauf->setSicherung(m_ablage.get(), m_anlage ? m_anlage() : QString());
        m_sicherungsstand->clear();
    } else {
        m_ablauf->setSicherung(nullptr);
        m_sicherungsstand->setText(text(842));
    }
    m_ablauf->schreibknopf();
}

void Schreibpanel::schreibeDatei(const QString &pfad)
{
    m_vorgabe = pfad;
    m_selbstSchreiben = true;
    if (!m_ablauf->schreibbefehl())
        m_selbstSchreiben = false;
    m_vorgabe.clear();
}

void Schreibpanel::standardPasswortdialog()
{
    Passwortdialog d(m_z, m_meldung, &m_anmeldung.timer1(), window());
    d.exec();
}

void Schreibpanel::standardProtokolldialog()
{
    Protokollidentfenster d(m_z, m_v, m_meldung, window());
    connect(&d, &Protokollidentfenster::versionAnzeigen, this, &Schreibpanel::versionAnzeigen);
    d.exec();
}

void Schreibpanel::schreibbefehl()
{
    m_ablauf->schreibbefehl();
}

void Schreibpanel::bereit(bool reparatur)
{
    m_schreibknopf->setEnabled(true);
    faerbe(m_schreibknopf, true);
    m_abbrechen->setEnabled(true);
    m_fortschritt->setValue(0);
    m_frameSchreiben->setTitle(text(119));
    if (reparatur) {
        setStyleSheet(QStringLiteral("QGroupBox#FrameSchreiben { background-color: rgb(255, 255, 0); }"));
        setTitle(text(150));
    } else {
        setStyleSheet(QString());
        setTitle(text(117));
    }
    m_sicherung->setEnabled(!reparatur);  // a repair has nothing to back up
    m_sicherungsstand->setText(reparatur || m_sicherung->isChecked() ? QString() : text(842));
    show();
    if (std::exchange(m_selbstSchreiben, false) && !reparatur) {
        schreibknopf();
        return;
    }
    if (reparatur)
        m_meldung.zeige(text(151), text(152), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 151, 152);
}

void Schreibpanel::beendet(int textnummer)
{
    setStyleSheet(QString());
    setTitle(text(164));
    m_frameSchreiben->setTitle(text(119));
    faerbe(m_schreibknopf, true);
    m_schreibknopf->setEnabled(true);
    m_abbrechen->setEnabled(true);
    // A refused login leaves the panel ready for another try with the
    // same file; every other ending closes it.
    if (textnummer != 154)
        hide();
}

// The scan takes nearly two minutes when nothing waits: its progress and a
// way to stop it are shown, not only the wait cursor.
void Schreibpanel::troubleStarten()
{
    Troublesuche &suche = trouble();
    if (!m_troublefortschritt) {
        m_troublefortschritt = new QProgressDialog(window());
        m_troublefortschritt->setObjectName(QStringLiteral("Troublefortschritt"));
        m_troublefortschritt->setWindowModality(Qt::WindowModal);
        m_troublefortschritt->setAutoClose(false);
        m_troublefortschritt->setAutoReset(false);
        m_troublefortschritt->setMinimumDuration(0);
        m_troublefortschritt->setRange(0, Troublesuche::HoechsterZaehler);
        connect(&suche, &Troublesuche::fortschritt, m_troublefortschritt, &QProgressDialog::setValue);
        connect(&suche, &Troublesuche::beendet, m_troublefortschritt, &QProgressDialog::hide);
        connect(m_troublefortschritt, &QProgressDialog::canceled, this, [this] {
            if (!trouble().laeuft())
                return;
            trouble().abbrechen();
            m_meldung.zeige(text(557), text(555), Meldung::Knoepfe::Ok, Meldung::Symbol::Information, 557, 555);
        });
    }
    m_troublefortschritt->setWindowTitle(text(555));
    m_troublefortschritt->setLabelText(text(552));
    m_troublefortschritt->setCancelButtonText(text(553));
    m_troublefortschritt->setValue(0);
    m_troublefortschritt->show();
    m_ablauf->troubleStarten();
    if (!suche.laeuft())
        m_troublefortschritt->hide();  // ended at once (no port)
}

void Schreibpanel::sanduhr(bool an)
{
    if (an == m_sanduhr)
        return;
    m_sanduhr = an;
    if (an)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
