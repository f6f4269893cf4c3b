#include "cli/Busanschluss.h"

#include "link/Echoablage.h"
#include "link/Wiederanschluss.h"
#include "cli/Unterbrechung.h"

#include "base/Einstellungsdatei.h"
#include "base/Pfade.h"
#include "link/Programmstart.h"
#include "base/Dateizugriff.h"
#include "base/Texttabelle.h"
#include "modem/Modemeinstellungen.h"
#include "modem/Modemsitzung.h"
#include "modem/Waehlstring.h"

#include <QEventLoop>

#include <cstdlib>

namespace {
std::optional<int> spracheAus(const QString &text)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("de") || t == QLatin1String("0"))
        return 0;
    if (t == QLatin1String("en") || t == QLatin1String("1000"))
        return 1000;
    if (t == QLatin1String("fr") || t == QLatin1String("2000"))
        return 2000;
    if (t == QLatin1String("es") || t == QLatin1String("3000"))
        return 3000;
    return std::nullopt;
}

// The language of a message about the arguments themselves: --lang wherever
// it stands, else the settings file's.
int meldungssprache(const QStringList &args)
{
    for (int i = 0; i + 1 < args.size(); ++i)
        if (args.at(i) == QLatin1String("--lang"))
            if (const auto s = spracheAus(args.at(i + 1)))
                return *s;
    const auto e = Einstellungsdatei::lesen(Pfade::einstellungsdatei());
    return e ? spracheAus(e->SpracheText).value_or(0) : 0;
}
}  // namespace

QString optionswert(const QStringList &args, int &i, QString &fehler)
{
    if (i + 1 >= args.size()) {
        fehler = QStringLiteral("%1 needs a value").arg(args.at(i));
        return QString();
    }
    return args.at(++i);
}

bool leseBusoption(const QStringList &args, int &i, Busoptionen &o, QString &fehler)
{
    const QString &a = args.at(i);
    const bool portOption = a == QLatin1String("--port") || a == QLatin1String("--device");
    const bool waehlOption = a == QLatin1String("--dial");
    const bool echoOption = a == QLatin1String("--echo");
    if (!portOption && !waehlOption && !echoOption && a != QLatin1String("--lang"))
        return false;
    if (i + 1 >= args.size()) {
        optionswert(args, i, fehler);  // says what is missing
        return true;
    }
    const QString wert = args.at(++i);
    if (echoOption) {
        Verbindung::Echomodus modus = Verbindung::Echomodus::Automatisch;
        if (Verbindung::echomodusAusText(wert, &modus))
            o.echo = modus;
        else
            fehler = QStringLiteral("--echo takes auto, yes or no");
    } else if (waehlOption) {
        o.waehlen = wert;
        const Waehlstring::Fehler f = Waehlstring::pruefeNummer(wert);
        if (wert.trimmed().isEmpty())
            fehler = QStringLiteral("--dial takes a telephone number");
        else if (f != Waehlstring::Fehler::Keiner)
            fehler = Texttabelle::text(Waehlstring::textnummer(f) + meldungssprache(args));
    } else if (portOption) {
        o.port = wert;
        bool zahl = false;
        const int n = wert.toInt(&zahl);
        if (wert.isEmpty() || (zahl && (n < 1 || n > 16)))
            fehler = QStringLiteral("%1 takes a port number 1..16 or a device path").arg(a);
    } else {
        o.sprache = spracheAus(wert);
        if (!o.sprache)
            fehler = QStringLiteral("unknown language \"%1\" (de, en, fr, es)").arg(wert);
    }
    return true;
}

void Busanschluss::einstellen(const Busoptionen &o)
{
    // Once per command: the commands take the settings before they check
    // their arguments and the port opens after that.
    if (m_eingestellt)
        return;
    m_eingestellt = true;
    const auto e = Einstellungsdatei::lesen(Pfade::einstellungsdatei());
    if (e) {
        Einstellungsdatei::uebernehmen(z, *e);
        m_portnummer = e->Portnummer;
        m_leitung = e->Leitung;
    }
    if (o.sprache) {
        z.sprache.versatz = qint16(*o.sprache);
        z.sprache.dateiwert = QString::number(*o.sprache);
    }
    Texttabelle::ladeTexte(z, 101, 178);
    // A damaged settings file or port map is said once; the command line
    // never rewrites them, it works on with the defaults.
    {
        QTextStream fehler(stderr);
        if (!e && Dateizugriff::belegt(Pfade::einstellungsdatei()))
            fehler << Texttabelle::text(z, 562).arg(Pfade::einstellungsdatei()) << Qt::endl;
        const Dateizugriff::Leseergebnis karte = Dateizugriff::lesen(Pfade::portsDatei(), 64 * 1024);
        if (karte.stand != Dateizugriff::Lesestand::Gelesen && Dateizugriff::belegt(Pfade::portsDatei()))
            fehler << Texttabelle::text(z, 563).arg(Pfade::portsDatei(), karte.grund) << Qt::endl;
    }
    Programmstart::protokollnamenSetzen(z);
    Programmstart::rs485Betrieb(z);
}

bool Busanschluss::oeffnen(const Busoptionen &o, QTextStream &err)
{
    einstellen(o);
    m_err = &err;
    if (!o.waehlen.isEmpty()) {
        // With the outside-line prefix of the settings file: before the port opens.
        Waehlstring::Fehler f = Waehlstring::Fehler::Keiner;
        Waehlstring::baue(z.einstellungen.modemText1, z.einstellungen.modemText2, o.waehlen, &f);
        if (f != Waehlstring::Fehler::Keiner) {
            err << Texttabelle::text(z, f == Waehlstring::Fehler::LeereNummer ? 501 : Waehlstring::textnummer(f))
                << '\n';
            return false;
        }
    }
    int portnummer = m_portnummer;
    // A modem's port and settings are those the modem window stored.
    const Modemeinstellungen modem = o.waehlen.isEmpty() ? Modemeinstellungen() : Modemeinstellungen::lesen();
    bool zahl = false;
    if (const int n = modem.ComAnschluss.trimmed().toInt(&zahl); zahl && n >= 1 && n <= 16)
        portnummer = n;
    QString geraet;
    bool zahlPort = false;
    if (!o.port.isEmpty()) {
        const int n = o.port.toInt(&zahlPort);
        if (zahlPort)
            portnummer = n;
        else
            geraet = o.port;
    }
    if (geraet.isEmpty())
        geraet = Pfade::geraet(portnummer);
    port.setDevice(geraet);
    if (!port.setSettings(modem.Einstellungen.isEmpty() ? m_leitung : modem.Einstellungen))
        port.setSettings(QStringLiteral("19200,n,8,1"));
    if (!modem.Handshaking.isEmpty())
        port.setHandshake(modem.Handshaking.trimmed().toInt());
    if (!port.open()) {
        if (port.letzterFehler() == Port::Oeffnungsfehler::KeineBerechtigung)
            err << Programmstart::berechtigungshinweis(z.sprache.versatz, geraet) << '\n';
        else if (port.letzterFehler() == Port::Oeffnungsfehler::Belegt)
            err << Texttabelle::text(z, 561).arg(geraet) << '\n';
        else
            err << Programmstart::oeffnungsfehler(z.sprache.versatz, o.port.isEmpty() || zahlPort ? portnummer : 0, geraet,
                                                  port.fehlertext())
                << '\n';
        return false;
    }
    QObject::connect(&port, &Port::verloren, &port,
                     [this] { verlust(Texttabelle::text(z, 633).arg(port.device())); });
    if (!o.waehlen.isEmpty()) {
        v.setEchomodus(o.echo.value_or(Echoablage::modus()));
        return waehlen(o.waehlen, err);
    }
    port.setDtr(false);
    port.setRts(false);
    v.setPort(&port);
    Echoablage::anwenden(v, o.echo.value_or(Echoablage::modus()), &port);
    QObject::connect(&v, &Verbindung::echoErkannt, &port, [this](bool vorhanden) {
        if (!vorhanden && m_err)
            *m_err << Texttabelle::text(z, 885).arg(port.device()) << Qt::endl;
    });
    return true;
}

// --- --dial ------------------------------------------------------------------

Busanschluss::Busanschluss() = default;

Busanschluss::~Busanschluss()
{
    auflegen();
}

bool Busanschluss::waehlen(const QString &nummer, QTextStream &err)
{
    m_err = &err;
    Programmstart::modemBetrieb(z);
    // A modem takes commands only while DTR is on.
    port.setDtr(true);
    v.setModemPort(&port);
    m_sitzung = std::make_unique<Modemsitzung>(z, v, port);

    // Ctrl-C while the call stands hangs up before the program ends.
    if (!m_ctrlC) {
        m_ctrlC = std::make_unique<Unterbrechung>();
        QObject::connect(m_ctrlC.get(), &Unterbrechung::angekommen, m_ctrlC.get(), [this] {
            if (m_err)
                *m_err << Texttabelle::text(z, 513) << Qt::endl;
            auflegen();
            std::exit(130);
        });
    }

    QEventLoop schleife;
    int fehler = 0;
    QObject::connect(m_sitzung.get(), &Modemsitzung::verbunden, &schleife, &QEventLoop::quit);
    QObject::connect(m_sitzung.get(), &Modemsitzung::fehlgeschlagen, &schleife, [&](int nr) {
        fehler = nr;
        schleife.quit();
    });
    QObject::connect(m_sitzung.get(), &Modemsitzung::verbindungVerloren, m_sitzung.get(),
                     [this] { verlust(Texttabelle::text(z, 512)); });
    if (m_sitzung->waehle(nummer)) {
        err << Texttabelle::text(z, 508) << ' ' << nummer << Qt::endl;
        schleife.exec();
    }
    if (fehler != 0 || !m_sitzung->steht()) {
        const QString text = Texttabelle::text(z, fehler != 0 ? fehler : 506);
        err << (fehler == 632 ? text.arg(port.device()) : text) << Qt::endl;
        auflegen();
        return false;
    }
    err << Texttabelle::text(z, 509) << Qt::endl;
    return true;
}

void Busanschluss::verlust(const QString &meldung)
{
    if (m_verloren)
        return;
    m_verloren = true;
    if (m_err)
        *m_err << meldung << Qt::endl;
    if (m_beiVerlust)
        m_beiVerlust();
}

bool Busanschluss::wiederanschliessen(std::function<void()> wiederDa)
{
    if (!wiederDa || m_sitzung || !port.isOpen()) {
        if (m_wiederanschluss)
            m_wiederanschluss->aufhoeren();
        m_wiederDa = {};
        return false;
    }
    if (!m_wiederanschluss) {
        m_wiederanschluss = std::make_unique<Wiederanschluss>(port);
        QObject::connect(m_wiederanschluss.get(), &Wiederanschluss::wiederDa, m_wiederanschluss.get(),
                         [this](const QString &geraet) {
                             m_verloren = false;
                             if (m_err)
                                 *m_err << Texttabelle::text(z, 913).arg(geraet) << Qt::endl;
                             if (m_wiederDa)
                                 m_wiederDa();
                         });
    }
    m_wiederanschluss->merken();
    m_wiederDa = std::move(wiederDa);
    return m_wiederanschluss->gemerkt().bekannt();
}

void Busanschluss::auflegen()
{
    if (!m_sitzung || !port.isOpen())
        return;
    // A sequence still running (Ctrl-C) must not write into the guard times
    // of the escape: from here on the link has no modem port.
    v.setModemPort(nullptr);
    QEventLoop schleife;
    QObject::connect(m_sitzung.get(), &Modemsitzung::aufgelegt, &schleife, &QEventLoop::quit);
    m_sitzung->legeAuf();
    if (port.isOpen())
        schleife.exec();
    if (m_err)
        *m_err << Texttabelle::text(z, 510) << Qt::endl;
    m_err = nullptr;
}
