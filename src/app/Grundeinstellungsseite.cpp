#include "app/Grundeinstellungsseite.h"
#include "app/Tasten.h"

#include "app/Passwortdialog.h"
#include "base/Meldung.h"
#include "base/Zustand.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTimer>

using Einstellungsregeln::Option;
using Einstellungsregeln::Zahlfeld;

namespace {

// Option pairs: option, frame caption, object name stem.
struct Optionsangabe {
    Option option;
    int text;
    const char *name;
};
const Optionsangabe Optionsangaben[Einstellungsregeln::Optionszahl] = {
    {Option::Summer, 253, "Summer"},
    {Option::Intervallton, 256, "Intervallton"},
    {Option::Ueberwachungsmodul, 257, "Ueberwachungsmodul"},
    {Option::Chipkarte, 259, "Chipkarte"},
    {Option::Startzeichen, 260, "Startzeichen"},
    {Option::Display, 261, "Display"},
    {Option::Spur2, 262, "Spur2"},
    {Option::Spur31, 263, "Spur31"},
    {Option::Stoerung, 264, "Stoerung"},
    {Option::Sperrlisten, 266, "Sperrlisten"},
};

void erhoeheZaehler(Datenbild &bild)
{
    if (bild.Aenderungszaehler < 1)
        bild.Aenderungszaehler = 1;
}

}  // namespace

Grundeinstellungsseite::Grundeinstellungsseite(Zustand &z, Meldung &m, QWidget *parent)
    : QWidget(parent), m_z(z), m_meldung(m)
{
    m_passwortabfrage = [this](Zustand &zustand, QWidget *eltern) {
        Passwortdialog dialog(zustand, m_meldung, nullptr, eltern);
        dialog.exec();
    };
    setObjectName(QStringLiteral("TabGrundeinstellungen"));
    auto *gitter = new QGridLayout(this);
    const auto zahlbox = [&](int index, Zahlfeld feld, const QString &name, int textnummer) -> QGroupBox * {
        QGroupBox *rahmen = neuerRahmen(name, textnummer);
        auto *box = new QLineEdit(rahmen);
        box->setObjectName(QStringLiteral("Text") + name);
        box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
        box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
        box->installEventFilter(this);
        m_zahlboxen[index] = {feld, rahmen, box};
        auto *l = new QHBoxLayout(rahmen);
        l->addWidget(box);
        return rahmen;
    };

    // Door-open time with its unit.
    m_zeitrahmen = zahlbox(0, Zahlfeld::Tueroeffnungszeit, QStringLiteral("Tueroeffnungszeit"), 251);
    auto *sekunden = new QLabel(m_z.sprache.texte.value(252), m_zeitrahmen);
    sekunden->setObjectName(QStringLiteral("LabelSekunden"));
    m_zeitrahmen->layout()->addWidget(sekunden);
    gitter->addWidget(m_zeitrahmen, 0, 0);

    int position = 1;
    const auto setze = [&](QWidget *w) {
        gitter->addWidget(w, position % 5, position / 5);
        ++position;
    };
    for (int i = 0; i < Einstellungsregeln::Optionszahl; ++i) {
        const Optionsangabe &a = Optionsangaben[i];
        const QString name = QLatin1String(a.name);
        QGroupBox *rahmen = neuerRahmen(name, a.text);
        auto *ja = new QRadioButton(m_z.sprache.texte.value(254), rahmen);
        ja->setObjectName(name + QStringLiteral("Ja"));
        auto *nein = new QRadioButton(m_z.sprache.texte.value(255), rahmen);
        nein->setObjectName(name + QStringLiteral("Nein"));
        auto *l = new QHBoxLayout(rahmen);
        l->addWidget(ja);
        l->addWidget(nein);
        m_optionen[i] = {a.option, rahmen, ja, nein};
        const Option o = a.option;
        connect(ja, &QRadioButton::clicked, this, [this, o] { optionGedrueckt(o, true); });
        connect(nein, &QRadioButton::clicked, this, [this, o] { optionGedrueckt(o, false); });
        setze(rahmen);
        if (a.option == Option::Ueberwachungsmodul) {
            m_passwortrahmen = neuerRahmen(QStringLiteral("Passwort"), 258);
            m_passwort = new QLineEdit(m_passwortrahmen);
            m_passwort->setObjectName(QStringLiteral("TextPasswort"));
            m_passwort->setReadOnly(true);
            m_passwort->installEventFilter(this);
            (new QHBoxLayout(m_passwortrahmen))->addWidget(m_passwort);
            setze(m_passwortrahmen);
        }
        if (a.option == Option::Stoerung) {
            QGroupBox *rahmen2 = zahlbox(1, Zahlfeld::Adresse, QStringLiteral("Adresse"), 265);
            rahmen2->setObjectName(QStringLiteral("FrameProtokoll"));
            m_protokoll = new QLabel(rahmen2);
            m_protokoll->setObjectName(QStringLiteral("LabelProtokoll"));
            m_protokoll->setMinimumWidth(m_protokoll->fontMetrics().horizontalAdvance(QString(14, QLatin1Char('M'))));
            auto *l2 = static_cast<QHBoxLayout *>(rahmen2->layout());
            l2->insertWidget(0, m_protokoll);
            setze(rahmen2);
        }
    }
    setze(zahlbox(2, Zahlfeld::LaengeSpur2, QStringLiteral("LaengeSpur2"), 267));
    setze(zahlbox(3, Zahlfeld::LaengeSpur31, QStringLiteral("LaengeSpur31"), 268));
}

QGroupBox *Grundeinstellungsseite::neuerRahmen(const QString &name, int textnummer)
{
    auto *rahmen = new QGroupBox(m_z.sprache.texte.value(textnummer), this);
    rahmen->setObjectName(QStringLiteral("Frame") + name);
    return rahmen;
}

Grundeinstellungsseite::Optionspaar &Grundeinstellungsseite::paar(Option o)
{
    for (Optionspaar &p : m_optionen)
        if (p.option == o)
            return p;
    return m_optionen[0];
}

void Grundeinstellungsseite::zeigeEinstellungen()
{
    const Datenbild &b = m_z.bild;
    for (Optionspaar &p : m_optionen) {
        const bool ja = Einstellungsregeln::istJa(b, p.option);
        const QSignalBlocker s1(p.ja), s2(p.nein);
        (ja ? p.ja : p.nein)->setChecked(true);
        p.rahmen->setEnabled(true);
        p.ja->setVisible(true);
        p.nein->setVisible(true);
    }
    for (Zahlbox &z : m_zahlboxen) {
        z.box->setText(QString::number(Einstellungsregeln::wert(b, z.feld)));
        z.rahmen->setEnabled(true);
        z.box->setVisible(true);
    }
    m_passwort->setText(b.passwortZiffern());
    m_passwortrahmen->setEnabled(true);
    m_protokoll->setText(b.protokollbeschriftung(m_z.sprache.protokollnamen));

    paar(Option::Chipkarte).rahmen->setEnabled(Einstellungsregeln::chipkarteFreigegeben(b));
    m_zahlboxen[2].rahmen->setEnabled(b.flag(Flag::Spur2Auswerten));
    m_zahlboxen[3].rahmen->setEnabled(b.flag(Flag::Spur31Auswerten));

    if (b.istSondercode()) {
        for (Option o : {Option::Display, Option::Sperrlisten}) {
            paar(o).rahmen->setEnabled(false);
            paar(o).ja->setVisible(false);
            paar(o).nein->setVisible(false);
        }
        for (int i : {2, 3}) {
            m_zahlboxen[i].rahmen->setEnabled(false);
            m_zahlboxen[i].box->setVisible(false);
        }
    }
    emit angezeigt();
}

void Grundeinstellungsseite::setNurProtokoll(bool nurProtokoll)
{
    m_nurProtokoll = nurProtokoll;
    for (Optionspaar &p : m_optionen)
        p.rahmen->setVisible(!nurProtokoll);
    for (Zahlbox &z : m_zahlboxen)
        z.rahmen->setVisible(!nurProtokoll || z.feld == Zahlfeld::Adresse);
    m_passwortrahmen->setVisible(!nurProtokoll);
}

void Grundeinstellungsseite::optionGedrueckt(Option o, bool ja)
{
    uebernimmOffeneBox();
    const Einstellungsregeln::Folge folge = Einstellungsregeln::optionGedrueckt(m_z, m_meldung, o, ja);
    zeigeEinstellungen();  // also puts a refused or cancelled press back
    if (folge != Einstellungsregeln::Folge::Nichts)
        emit listenGeaendert();
    else if (Einstellungsregeln::istJa(m_z.bild, o) != ja)
        emit fokusAbgeben();
}

Grundeinstellungsseite::Zahlbox *Grundeinstellungsseite::zahlboxVon(QObject *objekt)
{
    for (Zahlbox &z : m_zahlboxen)
        if (z.box == objekt)
            return &z;
    return nullptr;
}

void Grundeinstellungsseite::zahlboxBetreten(Zahlbox &z, Qt::FocusReason grund)
{
    if (Tasten::istFensterwechsel(grund))
        return;
    m_offeneBox = &z;
    if (z.feld == Zahlfeld::LaengeSpur2 || z.feld == Zahlfeld::LaengeSpur31)
        m_meldung.zeige(m_z, 317, 318, Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen);
    else if (z.feld == Zahlfeld::Adresse)
        m_meldung.zeige(m_z, 321, 322, Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen);
    QLineEdit *box = z.box;
    QTimer::singleShot(0, box, &QLineEdit::selectAll);
}

bool Grundeinstellungsseite::zahlboxTaste(Zahlbox &z, QKeyEvent *e)
{
    if (e->key() == Qt::Key_Backspace)
        return false;
    const bool enter = Tasten::istEnter(e);
    const QString t = e->text();
    const bool zeichen = enter || (!t.isEmpty() && t.at(0).isPrint());
    if (!zeichen)
        return false;  // cursor and editing keys
    m_z.bild.Aenderungszaehler = 1;
    m_offeneBox = &z;
    if (enter) {
        emit fokusAbgeben();
        return true;
    }
    return !Einstellungsregeln::zifferErlaubt(t);
}

bool Grundeinstellungsseite::uebernimmOffeneBox()
{
    Zahlbox *z = m_offeneBox;
    if (!z)
        return false;
    m_offeneBox = nullptr;
    const int vorher = Einstellungsregeln::wert(m_z.bild, z->feld);
    const int wert = Einstellungsregeln::verlassen(m_z.bild, z->feld, z->box->text());
    z->box->setText(QString::number(wert));
    const bool laenge = z->feld == Zahlfeld::LaengeSpur2 || z->feld == Zahlfeld::LaengeSpur31;
    if (laenge || wert != vorher)
        erhoeheZaehler(m_z.bild);
    if (laenge) {
        zeigeEinstellungen();
        emit listenGeaendert();
    }
    return laenge;
}

void Grundeinstellungsseite::passwortEingeben()
{
    m_z.terminal.passwortOK = false;
    emit fokusAbgeben();
    if (m_passwortabfrage)
        m_passwortabfrage(m_z, window());
    if (Einstellungsregeln::passwortUebernehmen(m_z))
        zeigeEinstellungen();
}

bool Grundeinstellungsseite::eventFilter(QObject *objekt, QEvent *event)
{
    const QEvent::Type typ = event->type();
    if (Zahlbox *z = zahlboxVon(objekt)) {
        if (typ == QEvent::FocusIn)
            zahlboxBetreten(*z, static_cast<QFocusEvent *>(event)->reason());
        else if (typ == QEvent::FocusOut && !Tasten::istFensterwechsel(static_cast<QFocusEvent *>(event)->reason())
                 && m_offeneBox == z)
            uebernimmOffeneBox();
        else if (typ == QEvent::KeyPress)
            return zahlboxTaste(*z, static_cast<QKeyEvent *>(event));
        return false;
    }
    if (objekt == m_passwort) {
        if (typ == QEvent::FocusIn && !Tasten::istFensterwechsel(static_cast<QFocusEvent *>(event)->reason())) {
            passwortEingeben();
            return true;
        }
        return false;
    }
    return QWidget::eventFilter(objekt, event);
}
