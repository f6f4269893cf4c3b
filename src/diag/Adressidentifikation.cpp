#include "diag/Adressidentifikation.h"

#include "diag/Identhilfen.h"
#include "link/Verbindung.h"
#include "base/Ansi.h"
#include "base/Meldung.h"
#include "base/Texttabelle.h"
#include "base/Zustand.h"

namespace {
constexpr int Antwortmindestlaenge = 7;  // echo of the request (5) and more
constexpr int Versionsmindestlaenge = Identhilfen::Versionslaenge;
constexpr int Letzte = 255;
}  // namespace

Adressidentifikation::Adressidentifikation(Zustand &z, Verbindung &v, Meldung &meldung, QObject *parent)
    : Ablauf(z, v, &meldung, parent)
{
    taktAnlegen(1, Wache::Verspaetet, false, [this] { tick1(); });
    taktAnlegen(2, Wache::Keine, false, [this] { tick2(); });
}

void Adressidentifikation::laden()
{
    Texttabelle::ladeTexte(m_z, 183, 197);
    Texttabelle::ladeTexte(m_z, 388, 388);
    Texttabelle::ladeTexte(m_z, 880, 881);
    setzeOkFrei(false);
    stoppeAlleTakte();
    m_liste.clear();
    m_auswahl = -1;
    emit listeGeaendert();
    m_z.terminal.adresse = 48;
    m_z.terminal.protokoll = 0;
    m_z.terminal.adresseBekannt = false;
    setzeAdressfeld(QStringLiteral("48"));
    m_zeilenmodus = 0;
    m_anfragestatus = 0;
    m_z.sprache.protokollnamen[Letzte] = text(190);
    const bool modem = m_z.sitzung.leitung == Leitungsart::Modem;
    setTaktabstand(1, modem ? 250 : 50);
    setTaktabstand(2, modem ? 1000 : 300);
}

Empfangsrecht Adressidentifikation::empfangNehmen()
{
    m_empfang.leeren();
    return m_v.nimmStrom(m_empfang, Empfaenger::Vorrang::Identifikation);
}

void Adressidentifikation::sendeAnfrage()
{
    // Verbindung sends nothing (and the store stays) from address 256 on.
    if (m_v.sendeAnfrage(m_v.befehl()))
        m_empfang.leeren();
}

void Adressidentifikation::scan()
{
    m_liste.clear();
    m_auswahl = -1;
    emit listeGeaendert();
    m_zeilenmodus = 0;
    beginnen();
    starteTakt(1);
    m_z.terminal.adresse = 1;
    m_v.setzeBefehl(QByteArray("X"));
    // One blank, so that the first tick does not take an empty store for a
    // missing interface.
    m_empfang.bytes() = QByteArray(" ");
    m_anfragestatus = 0;
    setzeGesperrt(true);
}

void Adressidentifikation::reset()
{
    m_v.setzeBefehl(QByteArray("R"));
    m_anfragestatus = 1;
    sendeAnfrage();
    starteTakt(1);
}

void Adressidentifikation::einzelidentifikation()
{
    m_v.setzeBefehl(QByteArray("X"));
    m_anfragestatus = 2;
    beginnen();
    sendeAnfrage();
    starteTakt(1);
}

void Adressidentifikation::versionsanfrage()
{
    m_v.setzeBefehl(QByteArray("V"));
    m_anfragestatus = 2;
    sendeAnfrage();
    starteTakt(1);
}

void Adressidentifikation::ok()
{
    m_zeilenmodus = 1;
    if (m_v.befehl() != "R") {
        if (m_liste.isEmpty())
            einzelidentifikation();
        if (m_auswahl >= 0 && m_auswahl < m_liste.size() && m_liste.at(m_auswahl) == text(195)) {
            m_liste.clear();
            m_auswahl = -1;
            emit listeGeaendert();
            return;
        }
        if (m_anfragestatus > 0)
            return;
    }
    emit terminalAnzeigen(m_z.terminal.adresse, m_z.sprache.protokollnamen.value(m_z.terminal.protokoll));
    m_z.terminal.adresseBekannt = true;
    einzelidentifikation();
    starteTakt(2);
}

void Adressidentifikation::abbrechen()
{
    if (m_gesperrt && taktLaeuft(1) && m_v.befehl() == "X" && m_anfragestatus == 0) {
        // Cancel during a scan stops the scan and keeps what it found; the
        // window stays open for a choice.
        stoppeTakt(1);
        m_z.terminal.adresse = 1;
        setzeAdressfeld(QStringLiteral("1"));
        setzeGesperrt(false);
        if (m_liste.isEmpty()) {
            fuegeZeileHinzu(text(195));
        } else {
            setzeOkFrei(true);
        }
        waehleZeile(0);
        emit listeFokus();
        emit scanBeendet(true);
        abschliessen(Ende::Abbruch);
        return;
    }
    stoppeTakt(1);
    stoppeTakt(2);
    m_z.terminal.adresseBekannt = false;
    abschliessen(Ende::Abbruch);
    emit schliessen();
}

void Adressidentifikation::tick2()
{
    stoppeTakt(2);
    stoppeTakt(1);
    // The terminal was accepted; its version answer need not have come.
    abschliessen(Ende::Erfolg);
    emit schliessen();
}

void Adressidentifikation::waehleZeile(int zeile)
{
    if (zeile < 0 || zeile >= m_liste.size())
        return;
    m_auswahl = zeile;
    int adresse = 0;
    int protokoll = 0;
    zeileLesen(m_liste.at(zeile), &adresse, &protokoll);
    m_z.terminal.adresse = qint16(adresse);
    m_z.terminal.protokoll = qint16(protokoll);
    setzeAdressfeld(QString::number(adresse));
    emit auswahlGeaendert(zeile);
}

void Adressidentifikation::adressfeldVerlassen(const QString &feld)
{
    QString ziffern;
    for (const QChar c : feld)
        if (c.isDigit() && c.unicode() < 128)
            ziffern += c;
    // More digits than any address has are out of range as well.
    int wert = ziffern.size() > 4 ? 0 : ziffern.toInt();
    if (wert < 1 || wert > Letzte)
        wert = 0;
    m_z.terminal.adresse = qint16(wert);
    setzeAdressfeld(QString::number(wert));
    // A typed address can be identified at once: no scan of the whole bus
    // needed first.
    if (wert > 0 && !m_gesperrt && m_liste.isEmpty())
        setzeOkFrei(true);
}

QString Adressidentifikation::listenzeile(int adresse, int protokoll) const
{
    return text(191) + QStringLiteral("%1").arg(adresse, 3, 10, QLatin1Char('0')) + text(192)
           + QStringLiteral("%1").arg(protokoll, 3, 10, QLatin1Char('0')) + QLatin1Char(' ')
           + m_z.sprache.protokollnamen.value(protokoll);
}

void Adressidentifikation::zeileLesen(const QString &zeile, int *adresse, int *protokoll) const
{
    const auto zahlNach = [&zeile](const QString &marke, int ab, int *ende) {
        const int stelle = int(zeile.indexOf(marke, ab));
        if (marke.isEmpty() || stelle < 0)
            return 0;
        *ende = stelle + int(marke.size()) + 3;
        bool ok = false;
        const int wert = zeile.mid(stelle + marke.size(), 3).trimmed().toInt(&ok);
        return ok ? wert : 0;
    };
    int ende = 0;
    *adresse = zahlNach(text(191), 0, &ende);
    *protokoll = ende > 0 ? zahlNach(text(192), ende, &ende) : 0;
}

void Adressidentifikation::fuegeZeileHinzu(const QString &zeile)
{
    m_liste.append(zeile);
    emit listeGeaendert();
}

void Adressidentifikation::setzeAdressfeld(const QString &t)
{
    m_adressfeld = t;
    emit adressfeldGeaendert(t);
}

void Adressidentifikation::setzeGesperrt(bool g)
{
    m_gesperrt = g;
    emit sperre(g);
}

void Adressidentifikation::setzeOkFrei(bool f)
{
    m_okFrei = f;
    emit okFreigabe(f);
}

void Adressidentifikation::tick1()
{
    QByteArray &empfang = m_empfang.bytes();
    if (m_anfragestatus == 1) {
        empfang.clear();
        stoppeTakt(1);
        return;
    }
    setzeAdressfeld(QString::number(m_z.terminal.adresse));

    // A version request waits for its whole answer: a tick with only part
    // of it (or none) neither acknowledges nor polls further addresses, so
    // Adresse and Protokoll of the accepted terminal stay as they are.
    // Timer2 closes the window in any case.
    if (m_v.befehl() == "V" && m_anfragestatus == 2 && empfang.size() < Versionsmindestlaenge)
        return;

    if (empfang.size() < Antwortmindestlaenge) {
        if (m_v.befehl() == "X" && m_anfragestatus == 2) {
            m_anfragestatus = 1;
            stoppeTakt(1);
            einzelidentifikationAbschliessen();
            return;
        }
        // A scan step.
        if (empfang.isEmpty()) {
            // Not even the echo of the last request came back.
            stoppeTakt(1);
            zeige(193, 194, Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen);
            m_z.terminal.adresse = 1;
            setzeAdressfeld(QStringLiteral("1"));
            setzeGesperrt(false);
            emit scanBeendet(false);
            abschliessen(Ende::Fehlschlag);
            return;
        }
        sendeAnfrage();
        m_z.terminal.adresse = qint16(m_z.terminal.adresse + 1);
        if (m_z.terminal.adresse == Letzte + 2) {
            m_z.terminal.adresse = 1;
            setzeOkFrei(true);
            setzeGesperrt(false);
            stoppeTakt(1);
            if (m_liste.isEmpty()) {
                fuegeZeileHinzu(text(195));
                // Behind an interface that has not echoed, an empty bus and a
                // missing or unpowered interface look alike.
                if (m_v.echostand() != Verbindung::Echostand::Vorhanden)
                    zeige(881, 194, Meldung::Knoepfe::Ok, Meldung::Symbol::Ausrufezeichen);
            }
            waehleZeile(0);
            emit listeFokus();
            emit scanBeendet(true);
            abschliessen(Ende::Erfolg);
        }
        return;
    }

    // An answer.
    m_v.sendeAck();
    if (m_v.befehl() == "V" && empfang.size() >= Versionsmindestlaenge) {
        stoppeTakt(1);
        versionAuswerten();
        return;
    }
    // Each answer names the terminal that sent it: an answer that comes
    // later than one tick stands behind the echo of the next request and
    // still belongs to its own address.
    const QVector<Identhilfen::Kennung> antworten = Identhilfen::kennungen(empfang);
    for (const Identhilfen::Kennung &k : antworten) {
        m_z.terminal.protokoll = qint16(k.protokoll);
        if (m_z.terminal.adresse != 0)
            fuegeZeileHinzu(listenzeile(k.adresse, k.protokoll));
    }
    if (!antworten.isEmpty())
        m_zeilenmodus = 0;
    if (m_v.befehl() == "X" && m_anfragestatus == 2) {
        m_anfragestatus = 1;
        stoppeTakt(1);
        einzelidentifikationAbschliessen();
    } else {
        empfang.clear();
    }
}

void Adressidentifikation::einzelidentifikationAbschliessen()
{
    if (m_liste.isEmpty()) {
        // No echo came back either: the interface may be the cause as well.
        zeige(m_v.echostand() == Verbindung::Echostand::Vorhanden ? 196 : 880, 197, Meldung::Knoepfe::Ok,
              Meldung::Symbol::Ausrufezeichen);
        m_empfang.leeren();
        emit adressfeldFokus();
        emit einzelidentifikationBeendet(false);
        abschliessen(Ende::Fehlschlag);
        return;
    }
    emit terminalAnzeigen(m_z.terminal.adresse, m_z.sprache.protokollnamen.value(m_z.terminal.protokoll));
    m_z.terminal.adresseBekannt = true;
    versionsanfrage();
    starteTakt(2);
    emit einzelidentifikationBeendet(true);
}

void Adressidentifikation::versionAuswerten()
{
    const QByteArray roh = Identhilfen::version(m_empfang.bytes());
    if (roh.isEmpty())
        return;
    const QString version = Ansi::dekodieren(roh);
    m_empfang.leeren();
    const bool passt = Identhilfen::familiePasst(version, m_z.einstellungen.familienkennung);
    if (!passt) {
        zeige(388, 197, Meldung::Knoepfe::Ok, Meldung::Symbol::Kritisch);
        m_empfang.leeren();
        m_z.terminal.adresseBekannt = false;
    }
    emit versionAnzeigen(version);
    emit versionGeprueft(version, passt);
    abschliessen(passt ? Ende::Erfolg : Ende::Fehlschlag);
}
