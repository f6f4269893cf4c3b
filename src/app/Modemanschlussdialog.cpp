#include "app/Modemanschlussdialog.h"

#include "base/Meldung.h"
#include "link/LineSettings.h"
#include "link/Port.h"
#include "base/Pfade.h"
#include "link/Programmstart.h"
#include "modem/Modemeinstellungen.h"
#include "modem/Portmeldung.h"

#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
QLabel *beschriftung(const char *name, const QString &text, QWidget *eltern)
{
    auto *l = new QLabel(text, eltern);
    l->setObjectName(QLatin1String(name));
    return l;
}
QComboBox *liste(const char *name, bool editierbar, QWidget *eltern)
{
    auto *c = new QComboBox(eltern);
    c->setObjectName(QLatin1String(name));
    c->setEditable(editierbar);
    return c;
}
}  // namespace

Modemanschlussdialog::Modemanschlussdialog(Port &port, int &portnummer, bool &echo, Meldung &meldung, QAction *mnuOpen, QWidget *parent)
    : QDialog(parent), m_port(port), m_portnummer(portnummer), m_echo(echo), m_meldung(meldung), m_mnuOpen(mnuOpen)
{
    setObjectName(QStringLiteral("frmeinst1"));
    setWindowTitle(QStringLiteral("COM-Anschlu\u00df-Einstellungen"));
    setModal(true);

    auto *tab = new QWidget(this);
    tab->setObjectName(QStringLiteral("tabSettings"));
    auto *tabLayout = new QVBoxLayout(tab);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    auto *fra = new QGroupBox(QStringLiteral("Einstellungen"), tab);
    fra->setObjectName(QStringLiteral("fraSettings"));
    tabLayout->addWidget(fra);
    auto *gitter = new QGridLayout(fra);

    auto *port1 = new QHBoxLayout;
    m_cboPort = liste("cboPort", false, fra);
    port1->addWidget(beschriftung("Label1", QStringLiteral("Anschlu\u00df:"), fra));
    port1->addWidget(m_cboPort, 1);
    gitter->addLayout(port1, 0, 0);

    auto *frame1 = new QGroupBox(QStringLiteral("Maximale Geschwindigkeit"), fra);
    frame1->setObjectName(QStringLiteral("Frame1"));
    m_cboSpeed = liste("cboSpeed", true, frame1);
    (new QVBoxLayout(frame1))->addWidget(m_cboSpeed);
    gitter->addWidget(frame1, 1, 0);

    auto *verbindung = new QGroupBox(QStringLiteral("\u00dcbertragungsformat"), fra);
    verbindung->setObjectName(QStringLiteral("fraConnection"));
    auto *format = new QFormLayout(verbindung);
    m_cboDataBits = liste("cboDataBits", false, verbindung);
    m_cboParity = liste("cboParity", false, verbindung);
    m_cboStopBits = liste("cboStopBits", false, verbindung);
    format->addRow(beschriftung("Label3", QStringLiteral("Datenbits:"), verbindung), m_cboDataBits);
    format->addRow(beschriftung("Label4", QStringLiteral("Parit\u00e4t:"), verbindung), m_cboParity);
    format->addRow(beschriftung("Label5", QStringLiteral("Stopbits:"), verbindung), m_cboStopBits);
    gitter->addWidget(verbindung, 2, 0);

    auto *frame5 = new QGroupBox(QStringLiteral("&Protokoll"), fra);
    frame5->setObjectName(QStringLiteral("Frame5"));
    auto *flussLayout = new QVBoxLayout(frame5);
    static const char *const fluss[] = {"Kein", "Xon/Xoff", "RTS", "Xon/RTS"};
    for (int i = 0; i < 4; ++i) {
        m_optFlow[i] = new QRadioButton(QLatin1String(fluss[i]), frame5);
        m_optFlow[i]->setObjectName(QStringLiteral("optFlow_%1").arg(i));
        m_optFlow[i]->setProperty("Index", i);
        flussLayout->addWidget(m_optFlow[i]);
        connect(m_optFlow[i], &QRadioButton::toggled, this, [this, i](bool an) {
            if (an)
                m_handshake = i;
        });
    }
    gitter->addWidget(frame5, 0, 1, 2, 1);

    auto *frame7 = new QGroupBox(QStringLiteral("&Echo"), fra);
    frame7->setObjectName(QStringLiteral("Frame7"));
    auto *echoLayout = new QVBoxLayout(frame7);
    static const char *const echoText[] = {"Aus", "Ein"};
    for (int i = 0; i < 2; ++i) {
        m_optEcho[i] = new QRadioButton(QLatin1String(echoText[i]), frame7);
        m_optEcho[i]->setObjectName(QStringLiteral("optEcho_%1").arg(i));
        m_optEcho[i]->setProperty("Index", i);
        echoLayout->addWidget(m_optEcho[i]);
        connect(m_optEcho[i], &QRadioButton::toggled, this, [this, i](bool an) {
            if (an)
                m_echowahl = i == 1;
        });
    }
    gitter->addWidget(frame7, 2, 1);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *abbrechen = new QPushButton(QStringLiteral("Abbrechen"), this);
    abbrechen->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &Modemanschlussdialog::ok);
    connect(abbrechen, &QPushButton::clicked, this, &QDialog::reject);
    auto *knoepfe = new QHBoxLayout;
    knoepfe->addStretch(1);
    knoepfe->addWidget(ok);
    knoepfe->addWidget(abbrechen);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tab);
    layout->addLayout(knoepfe);

    LoadPropertySettings();
}

void Modemanschlussdialog::LoadPropertySettings()
{
    m_cboPort->clear();
    for (int n = 1; n <= 16; ++n) {
        // With the device behind the number, unless that is "COMn" itself.
        const QString com = QStringLiteral("Com%1").arg(n);
        const QString geraet = Pfade::geraet(n);
        m_cboPort->addItem(geraet.compare(com, Qt::CaseInsensitive) == 0 ? com
                                                                          : QStringLiteral("%1  (%2)").arg(com, geraet));
    }
    for (int i = 0; i < 4; ++i)
        m_optFlow[i]->setEnabled(m_port.kannHandshake(i));
    m_cboSpeed->clear();
    for (const char *g : {"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "28800", "38400",
                          "56000", "57600", "115200", "128000", "256000"})
        m_cboSpeed->addItem(QLatin1String(g));
    m_cboDataBits->clear();
    for (const char *d : {"4", "5", "6", "7", "8"})
        m_cboDataBits->addItem(QLatin1String(d));
    m_cboParity->clear();
    for (const char *p : {"Even", "Odd", "None", "Mark", "Space"})
        m_cboParity->addItem(QLatin1String(p));
    m_cboStopBits->clear();
    for (const char *s : {"1", "1.5", "2"})
        m_cboStopBits->addItem(QLatin1String(s));

    // The port's settings string, read by position from its end.
    const QString s = m_port.settings();
    const int k = s.contains(QLatin1Char('.')) ? 2 : 0;
    const int n = int(s.size());
    m_cboSpeed->setEditText(s.left(qMax(0, n - 6 - k)));
    const int paritaet = n - 4 - k;  // 1-based
    const QChar p = paritaet >= 1 && paritaet <= n ? s.at(paritaet - 1).toLower() : QChar();
    m_cboParity->setCurrentIndex(int(QStringLiteral("eonms").indexOf(p.isNull() ? QChar(u'?') : p)));
    const int daten = n - 2 - k;
    m_cboDataBits->setCurrentText(daten >= 1 && daten <= n ? QString(s.at(daten - 1)) : QString());
    m_cboStopBits->setCurrentText(s.right(1 + k));

    m_cboPort->setCurrentIndex(m_portnummer - 1);
    const int h = m_port.handshake();
    if (h >= 0 && h < 4)
        m_optFlow[h]->setChecked(true);
    m_optEcho[m_echo ? 1 : 0]->setChecked(true);
    m_handshake = h;
    m_echowahl = m_echo;
}

void Modemanschlussdialog::fehler(const QString &text)
{
    m_meldung.zeige(text, windowTitle(), Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen, -1, -1);
}

void Modemanschlussdialog::ok()
{
    m_echo = m_echowahl;

    const int neu = m_cboPort->currentIndex() + 1;
    if (neu >= 1 && neu != m_portnummer) {
        const bool warOffen = m_port.isOpen();
        if (warOffen)
            m_port.close();
        Programmstart::setzePortnummer(m_port, neu);
        if (warOffen && !m_port.open()) {
            // The new port cannot be opened: back to the old one.
            fehler(Portmeldung::oeffnen(m_sprache, neu, m_port));
            Programmstart::setzePortnummer(m_port, m_portnummer);
            m_port.open();
            if (m_mnuOpen)
                m_mnuOpen->setChecked(m_port.isOpen());
            return;
        }
        m_portnummer = neu;
        if (warOffen && m_mnuOpen)
            m_mnuOpen->setChecked(m_port.isOpen());
    }

    const QString paritaet = m_cboParity->currentIndex() >= 0 ? m_cboParity->currentText().left(1) : QString();
    const QString einstellung = m_cboSpeed->currentText().trimmed() + QLatin1Char(',') + paritaet +
                                QLatin1Char(',') + m_cboDataBits->currentText().trimmed() + QLatin1Char(',') +
                                m_cboStopBits->currentText().trimmed();
    if (!LineSettings::parse(einstellung) || !m_port.setSettings(einstellung)) {
        fehler(Portmeldung::einstellung(m_sprache, einstellung));
        return;
    }
    if (!m_port.setHandshake(m_handshake)) {
        fehler(Portmeldung::handshake(m_sprache, m_optFlow[m_handshake]->text()));
        return;
    }

    Modemeinstellungen e;
    e.Einstellungen = einstellung;
    e.ComAnschluss = QString::number(m_portnummer);
    e.Handshaking = QString::number(m_port.handshake());
    e.Echo = Modemeinstellungen::echoText(m_echo);
    Modemeinstellungen::schreiben(e);
    accept();
}
