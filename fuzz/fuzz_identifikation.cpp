// The identification answers on a fuzzed bus: the answers to "X" (address
// and protocol) and to "V" (the version string) come from the input, the
// sequences run on 0 ms timers. Byte 0 of the input chooses the sequence:
// the scan of the whole bus, the identification of one typed address with
// its version check, or the protocol identification's version check. The
// rest is split into the answers to the requests in turn.

#include "Antwortgeber.h"
#include "Fuzzhilfe.h"

#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "diag/Adressidentifikation.h"
#include "diag/Protokollidentifikation.h"
#include "link/Programmstart.h"
#include "link/Verbindung.h"
#include "support/MeldungAufnahme.h"

namespace {

const Zustand *g_vorlage = nullptr;

// Every line of the list names an address 1..255 and a protocol, and reads
// back as it was made.
void listePruefen(const Adressidentifikation &ident)
{
    for (const QString &zeile : ident.liste()) {
        int adresse = -1, protokoll = -1;
        ident.zeileLesen(zeile, &adresse, &protokoll);
        if (adresse == 0 && protokoll == 0)
            continue;  // the "nothing found" line
        FUZZ_PRUEFE(adresse >= 1 && adresse <= 255);
        FUZZ_PRUEFE(protokoll >= 0 && protokoll <= 255);
        FUZZ_PRUEFE(ident.listenzeile(adresse, protokoll) == zeile);
    }
}

void pruefeVersion(const QString &version, bool passt, const Zustand &z)
{
    FUZZ_PRUEFE(version.size() <= 16);
    FUZZ_PRUEFE(passt == (version.size() >= 13 && version.at(12) == z.einstellungen.familienkennung.at(0)));
}

void adressidentifikation(Zustand &z, Verbindung &v, Meldung &meldung, bool scan)
{
    Adressidentifikation ident(z, v, meldung);
    bool ende = false;
    QObject::connect(&ident, &Adressidentifikation::scanBeendet, [&](bool) { ende = true; });
    QObject::connect(&ident, &Adressidentifikation::einzelidentifikationBeendet, [&](bool gefunden) {
        if (!gefunden)
            ende = true;
    });
    QObject::connect(&ident, &Adressidentifikation::versionGeprueft, [&](const QString &version, bool passt) {
        pruefeVersion(version, passt, z);
        if (!passt)
            FUZZ_PRUEFE(!z.terminal.adresseBekannt);
        ende = true;
    });
    QObject::connect(&ident, &Adressidentifikation::schliessen, [&] { ende = true; });
    const Empfangsrecht recht = ident.empfangNehmen();
    ident.laden();
    ident.setTaktabstand(1, 0);
    if (scan) {
        ident.scan();
    } else {
        ident.adressfeldVerlassen(QStringLiteral("7"));
        ident.ok();
    }
    Antwortgeber::laufe([&] { return ende; }, 3000);
    if (scan)
        FUZZ_PRUEFE(ende);
    FUZZ_PRUEFE(z.terminal.protokoll >= 0 && z.terminal.protokoll <= 255);
    FUZZ_PRUEFE(z.terminal.adresse >= 0 && z.terminal.adresse <= 256);
    listePruefen(ident);
    ident.abbrechen();
}

void protokollidentifikation(Zustand &z, Verbindung &v, Meldung &meldung)
{
    Protokollidentifikation ident(z, v, meldung);
    int geprueft = -1;
    QObject::connect(&ident, &Protokollidentifikation::versionGeprueft, [&](bool ok) { geprueft = ok; });
    z.terminal.adresse = 7;
    z.bild.Daten[8] = 7;
    z.bild.Daten[10] = 0;
    ident.laden();
    ident.startschritt();
    ident.setAdressfeld(QStringLiteral("7"));
    ident.ok();
    FUZZ_PRUEFE(ident.wartetAufVersion());
    // The answer arrives, then the wait for it is over at once.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    ident.naechsterTakt(2);
    Antwortgeber::laufe([&] { return geprueft >= 0; }, 100);
    FUZZ_PRUEFE(geprueft >= 0);
    FUZZ_PRUEFE(!ident.haeltStrom());
    if (geprueft == 1) {
        FUZZ_PRUEFE(ident.version().size() == 16);
        pruefeVersion(ident.version(), true, z);
        FUZZ_PRUEFE(z.terminal.protokollGewaehlt);
        FUZZ_PRUEFE(z.terminal.protokoll == 0 || z.terminal.protokoll == 1);
    }
    ident.geschlossen();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzzhilfe::start(argc, argv);
    auto *z = new Zustand;
    Texttabelle::ladeTexte(*z, 101, 389);
    Programmstart::protokollnamenSetzen(*z);
    g_vorlage = z;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *daten, size_t groesse)
{
    if (groesse < 1)
        return 0;
    const int wahl = daten[0] % 3;
    const QList<QByteArray> antworten = Fuzzhilfe::stuecke(daten + 1, groesse - 1);

    // A copy of the one made once shares its big text arrays until they change.
    Zustand z = *g_vorlage;
    Programmstart::rs485Betrieb(z);
    z.Timerintervall.fill(0);

    FakePort port;
    port.setSettings(QStringLiteral("19200,n,8,1"));
    port.open();
    Verbindung v(z);
    v.setPort(&port);
    MeldungAufnahme meldung;
    Antwortgeber bus(port, antworten);
    QObject::connect(&v, &Verbindung::monitorZeile, [](const QString &zeile) { FUZZ_PRUEFE(!zeile.isEmpty()); });
    Empfangsrecht beobachtung;
    if (daten[0] & 4)
        beobachtung = v.beobachten();

    if (wahl == 2)
        protokollidentifikation(z, v, meldung);
    else
        adressidentifikation(z, v, meldung, wahl == 0);
    return 0;
}
