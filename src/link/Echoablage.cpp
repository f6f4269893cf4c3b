#include "link/Echoablage.h"

#include "base/Pfade.h"
#include "base/Zustand.h"

#include <QSettings>
#include <QUrl>

namespace {
QString schluessel(const QString &geraet)
{
    return QStringLiteral("Echo/") + QString::fromLatin1(QUrl::toPercentEncoding(geraet));
}
}  // namespace

QString Echoablage::datei()
{
    return Pfade::konfiguration() + QStringLiteral("/echo.ini");
}

Verbindung::Echostand Echoablage::lesen(const QString &geraet)
{
    const QSettings s(datei(), QSettings::IniFormat);
    const QString wert = s.value(schluessel(geraet)).toString();
    if (wert == QLatin1String("yes"))
        return Verbindung::Echostand::Vorhanden;
    if (wert == QLatin1String("no"))
        return Verbindung::Echostand::Fehlt;
    return Verbindung::Echostand::Unbekannt;
}

bool Echoablage::schreiben(const QString &geraet, bool vorhanden)
{
    QSettings s(datei(), QSettings::IniFormat);
    s.setValue(schluessel(geraet), vorhanden ? QStringLiteral("yes") : QStringLiteral("no"));
    s.sync();
    return s.status() == QSettings::NoError;
}

Verbindung::Echomodus Echoablage::modus()
{
    const QSettings s(datei(), QSettings::IniFormat);
    Verbindung::Echomodus m = Verbindung::Echomodus::Automatisch;
    // An unknown word in the file counts as no choice.
    if (!Verbindung::echomodusAusText(s.value(QStringLiteral("Modus")).toString(), &m))
        return Verbindung::Echomodus::Automatisch;
    return m;
}

bool Echoablage::setModus(Verbindung::Echomodus modus)
{
    QSettings s(datei(), QSettings::IniFormat);
    s.setValue(QStringLiteral("Modus"), Verbindung::echomodusText(modus));
    s.sync();
    return s.status() == QSettings::NoError;
}

void Echoablage::anwenden(Verbindung &v, Verbindung::Echomodus modus, Port *port)
{
    v.setEchomodus(modus);
    if (!port)
        return;
    // Applied again (another mode, another device): the keeper of before goes.
    delete port->findChild<QObject *>(QStringLiteral("Echoablage"), Qt::FindDirectChildrenOnly);
    // Over a modem the far installation's interface echoes or not: what is
    // found there says nothing about the adapter on this port, and what is
    // kept for this port says nothing about the far one.
    if (modus != Verbindung::Echomodus::Automatisch || v.zustand().sitzung.leitung == Leitungsart::Modem)
        return;
    // An echo found before is checked again on the line anyway; only a
    // missing one changes how the link starts.
    if (!port->device().isEmpty() && lesen(port->device()) == Verbindung::Echostand::Fehlt)
        v.setEchostand(Verbindung::Echostand::Fehlt);
    auto *halter = new QObject(port);
    halter->setObjectName(QStringLiteral("Echoablage"));
    QObject::connect(&v, &Verbindung::echoErkannt, halter, [port, &v](bool vorhanden) {
        if (!port->device().isEmpty() && v.zustand().sitzung.leitung != Leitungsart::Modem)
            schreiben(port->device(), vorhanden);
    });
}
