#include "app/Schreibpanel.h"

#include "app/Protokollident2D.h"
#include "link/Anmeldung.h"
#include "link/Schreiben.h"
#include "link/Troublesuche.h"
#include "base/Meldung.h"
#include "app/Passwort2D.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "termfile/Dateiablauf.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int Fortschrittsende = 2045;
}

Schreibpanel::Schreibpanel(Zustand &z, Verbindung &v, Anmeldung &anmeldung, Meldung &meldung, QWidget *parent)
    : QGroupBox(parent), m_z(z), m_anmeldung(anmeldung), m_meldung(meldung), m_v(v)
{
    setObjectName(QStringLiteral("FrameSchreiben"));
    m_schreiben = new Schreiben(z, v, anmeldung, meldung, this);
    m_trouble = new Troublesuche(z, v, meldung, m_schreiben, this);

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
    auto *sl = new QVBoxLayout(m_frameSchreiben);
    sl->addWidget(m_schreibknopf);
    sl->addWidget(m_abbrechen);
    sl->addWidget(m_fortschritt);
    auto *l = new QVBoxLayout(this);
    l->addWidget(m_frameDatei);
    l->addWidget(m_frameSchreiben);
    faerbe(m_schreibknopf, true);

    connect(m_schreibknopf, &QPushButton::clicked, this, &Schreibpanel::schreibknopf);
    connect(m_abbrechen, &QPushButton::clicked, this, &Schreibpanel::abbrechenknopf);
    connect(m_schreiben, &Schreiben::gestartet, this, [this] {
        faerbe(m_schreibknopf, false);
        m_schreibknopf->setEnabled(false);
        m_fortschritt->setValue(0);
        emit laeuftGeaendert(true);
    });
    connect(m_schreiben, &Schreiben::blockBegonnen, this,
            [this] {
                const QString modem = m_z.Modembetrieb == 1 ? QStringLiteral("Modem ") : QString();
                m_frameSchreiben->setTitle(modem + text(169));
            });
    connect(m_schreiben, &Schreiben::fortschritt, this, [this](int bytes, int gesamt) {
        m_fortschritt->setValue(gesamt > 0 ? int(qint64(bytes) * Fortschrittsende / gesamt) : 0);
    });
    connect(m_schreiben, &Schreiben::fehlgeschlagen, this, [this](int text) { m_letzterFehler = text; });
    connect(m_schreiben, &Schreiben::beendet, this, &Schreibpanel::beendet);
    connect(m_trouble, &Troublesuche::sanduhr, this, &Schreibpanel::sanduhr);
    connect(m_trouble, &Troublesuche::beendet, this, [this] { emit laeuftGeaendert(false); });
    connect(m_trouble, &Troublesuche::reparaturStarten, this, &Schreibpanel::schreibbefehl);

    m_dateiwahl = [this](const QString &titel, const QString &filter, const QString &ordner, const QString &name) {
        QString f = filter;
        // "Name|*.S2D|Name|*.B2D" -> "Name (*.S2D);;Name (*.B2D)"
        const QStringList teile = f.split(QLatin1Char('|'));
        QStringList filterliste;
        for (int i = 0; i + 1 < teile.size(); i += 2)
            filterliste << teile.at(i) + QStringLiteral(" (") + teile.at(i + 1) + QLatin1Char(')');
        return QFileDialog::getOpenFileName(window(), titel, ordner + QLatin1Char('/') + name,
                                            filterliste.join(QStringLiteral(";;")));
    };
    m_passwortdialog = [this] { standardPasswortdialog(); };
    m_protokolldialog = [this] { standardProtokolldialog(); };
    texteSetzen();
    hide();
}

Schreibpanel::~Schreibpanel()
{
    if (m_sanduhr)
        QApplication::restoreOverrideCursor();
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
    if (m_z.Reparatur != 1)
        setTitle(text(117));
    m_frameDatei->setTitle(text(118));
    m_frameSchreiben->setTitle(text(119));
    m_schreibknopf->setText(text(120));
    m_abbrechen->setText(text(121));
}

void Schreibpanel::standardPasswortdialog()
{
    Passwort2D d(m_z, m_meldung, &m_anmeldung.timer1(), window());
    d.exec();
}

void Schreibpanel::standardProtokolldialog()
{
    Protokollident2D d(m_z, m_v, m_meldung, window());
    connect(&d, &Protokollident2D::versionAnzeigen, this, &Schreibpanel::versionAnzeigen);
    d.exec();
}

void Schreibpanel::schreibbefehl()
{
    if (m_schreiben->laeuft() || m_trouble->laeuft())
        return;
    const bool reparatur = m_z.Reparatur == 1;
    // A repair that does not reach the panel must not leave the receive
    // routing in repair mode.
    const auto abbruch = [this, reparatur] {
        if (reparatur)
            m_z.Reparatur = 0;
    };
    m_z.Empfangszahl = 0;
    emit auslesePanelVerbergen();
    m_dateiLabel->clear();
    if (reparatur)
        m_z.Identifiziert = 1;
    if (m_z.Identifiziert == 0 &&
        m_meldung.zeige(text(144), text(145), Meldung::Knoepfe::JaNein, Meldung::Symbol::Frage, 144, 145) !=
            Meldung::Ja)
        return;

    const QString datei = m_dateiwahl(text(148), text(147), m_z.Startverzeichnis, text(146));
    if (datei.isEmpty()) {
        abbruch();
        return;
    }
    m_z.LadenZumBearbeiten = 0;
    Texttabelle::ladeTexte(m_z, 384, 385);  // the load routine's own message
    // A refused or unreadable file ends the command: the terminal never
    // gets an image that was not chosen.
    if (!Dateiablauf::ladeRoutine(m_z, m_meldung, datei).geladen) {
        abbruch();
        return;
    }
    m_datei = datei;
    m_dateiLabel->setText(datei);
    emit dateiGewaehlt(datei);

    if (!reparatur) {
        // The waiting terminal of a repair answers no version request; the
        // block goes out without address anyway.
        m_z.ProtokollGewaehlt = 0;
        m_protokolldialog();
        if (m_z.ProtokollGewaehlt == 0)
            return;
    }
    m_z.ProtokollGewaehlt = 0;
    m_schreibknopf->setEnabled(true);
    faerbe(m_schreibknopf, true);
    m_abbrechen->setEnabled(true);
    m_fortschritt->setValue(0);
    m_z.LadenZumBearbeiten = 0;
    m_frameSchreiben->setTitle(text(119));
    if (reparatur) {
        setStyleSheet(QStringLiteral("QGroupBox#FrameSchreiben { background-color: rgb(255, 255, 0); }"));
        setTitle(text(150));
    } else {
        setStyleSheet(QString());
        setTitle(text(117));
    }
    show();
    if (reparatur)
        m_meldung.zeige(text(151), text(152), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 151, 152);
}

void Schreibpanel::schreibknopf()
{
    if (m_schreiben->laeuft())
        return;
    m_letzterFehler = 0;
    if (m_schreiben->brauchtPasswort()) {
        m_z.Passwort.clear();
        m_z.PasswortOK = 0;
        m_passwortdialog();
        if (m_z.PasswortOK != 1)
            return;
    }
    if (!m_schreiben->starte())
        m_meldung.zeige(text(193), text(194), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, 193, 194);
}

void Schreibpanel::abbrechenknopf()
{
    // Ends through beendet(): panel hidden, port at 19200, Reparatur 0.
    m_schreiben->abbrechen();
}

void Schreibpanel::beendet()
{
    setStyleSheet(QString());
    setTitle(text(164));
    m_frameSchreiben->setTitle(text(119));
    faerbe(m_schreibknopf, true);
    m_schreibknopf->setEnabled(true);
    m_abbrechen->setEnabled(true);
    // A refused login leaves the panel ready for another try with the
    // same file; every other ending closes it.
    if (m_letzterFehler != 154)
        hide();
    m_letzterFehler = 0;
    emit laeuftGeaendert(false);
}

void Schreibpanel::troubleStarten()
{
    emit laeuftGeaendert(true);
    m_trouble->starte();
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
