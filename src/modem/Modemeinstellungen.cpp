#include "modem/Modemeinstellungen.h"

#include "base/Pfade.h"

#include <QSettings>
#include <memory>

const char *const Modemeinstellungen::Abschnitt = "Einstellungen";
const char *const Modemeinstellungen::SchluesselEinstellungen = "Einstellungen";
const char *const Modemeinstellungen::SchluesselCom = "COM-Anschlu\xc3\x9f";
const char *const Modemeinstellungen::SchluesselHandshaking = "Handshaking";
const char *const Modemeinstellungen::SchluesselEcho = "Echo";

namespace {
bool imRegister()
{
#ifdef Q_OS_WIN
    return qEnvironmentVariableIsEmpty("PORTAVO_HOME");
#else
    return false;
#endif
}

std::unique_ptr<QSettings> speicher()
{
    if (imRegister())
        return std::make_unique<QSettings>(QStringLiteral("portavo"), QStringLiteral("portavo"));
    return std::make_unique<QSettings>(Modemeinstellungen::datei(), QSettings::IniFormat);
}

QString schluessel(const char *name)
{
    return QString::fromUtf8(Modemeinstellungen::Abschnitt) + QLatin1Char('/') + QString::fromUtf8(name);
}
}  // namespace

QString Modemeinstellungen::datei()
{
    return imRegister() ? QString() : Pfade::konfiguration() + QStringLiteral("/portavo.ini");
}

Modemeinstellungen Modemeinstellungen::lesen()
{
    const auto s = speicher();
    Modemeinstellungen e;
    e.Einstellungen = s->value(schluessel(SchluesselEinstellungen)).toString();
    e.ComAnschluss = s->value(schluessel(SchluesselCom)).toString();
    e.Handshaking = s->value(schluessel(SchluesselHandshaking)).toString();
    e.Echo = s->value(schluessel(SchluesselEcho)).toString();
    return e;
}

bool Modemeinstellungen::schreiben(const Modemeinstellungen &e)
{
    const auto s = speicher();
    s->setValue(schluessel(SchluesselEinstellungen), e.Einstellungen);
    s->setValue(schluessel(SchluesselCom), e.ComAnschluss);
    s->setValue(schluessel(SchluesselHandshaking), e.Handshaking);
    s->setValue(schluessel(SchluesselEcho), e.Echo);
    s->sync();
    return s->status() == QSettings::NoError;
}
