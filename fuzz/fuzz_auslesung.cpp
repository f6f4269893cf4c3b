// The read-out on a fuzzed bus: the login answer and the nibble-coded
// answer to "E" come from the input, the sequence runs on 0 ms timers.
// Byte 0 of the input chooses the protocol (0, 1, 255) and whether the
// monitor runs; the rest is split into the answers to the requests in turn
// (login, then "E", then whatever a retry sends).
//
// Whatever arrives, the read-out ends, keeps its stores within bounds,
// fills only the memory bytes (and, for protocol 255, the one element after
// them that its longer answer carries) and leaves them alone when it fails.

#include "Antwortgeber.h"
#include "Fuzzhilfe.h"

#include "base/Texttabelle.h"
#include "base/Zustand.h"
#include "link/Anmeldung.h"
#include "link/Auslesen.h"
#include "link/Programmstart.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "support/MeldungAufnahme.h"

namespace {
const Zustand *g_vorlage = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzzhilfe::start(argc, argv);
    auto *z = new Zustand;
    Texttabelle::ladeTexte(*z, 101, 389);
    g_vorlage = z;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *daten, size_t groesse)
{
    if (groesse < 1)
        return 0;
    const int wahl = daten[0];
    const QList<QByteArray> antworten = Fuzzhilfe::stuecke(daten + 1, groesse - 1);

    // A copy of the one made once shares its big text arrays until they change.
    Zustand z = *g_vorlage;
    Programmstart::rs485Betrieb(z);
    z.Timerintervall.fill(0);
    z.terminal.adresse = 7;
    z.terminal.protokoll = qint16(wahl % 3 == 0 ? 0 : wahl % 3 == 1 ? 1 : 255);
    z.terminal.passwort = Telegramm::packePasswort(QStringLiteral("123456"));
    for (size_t i = 0; i < z.bild.Daten.size(); ++i)
        z.bild.Daten[i] = qint16(1000 + int(i));  // no memory byte can hold this
    const auto vorher = z.bild.Daten;

    FakePort port;
    port.setSettings(QStringLiteral("19200,n,8,1"));
    port.open();
    Verbindung v(z);
    v.setPort(&port);
    Empfangsrecht beobachtung;
    if (wahl & 4)
        beobachtung = v.beobachten();
    MeldungAufnahme meldung;
    Anmeldung anmeldung(z, v);
    Auslesen auslesen(z, v, anmeldung, meldung);
    Antwortgeber bus(port, antworten);
    int monitorzeilen = 0;
    QObject::connect(&v, &Verbindung::monitorZeile, [&](const QString &) { ++monitorzeilen; });
    bool fertig = false;
    int fehler = 0;
    QObject::connect(&auslesen, &Auslesen::fertig, [&] { fertig = true; });
    QObject::connect(&auslesen, &Auslesen::fehlgeschlagen, [&](int nummer) { fehler = nummer; });

    FUZZ_PRUEFE(auslesen.starte());
    Antwortgeber::laufe([&] { return !auslesen.laeuft(); });

    FUZZ_PRUEFE(!auslesen.laeuft());
    FUZZ_PRUEFE(fertig != (fehler != 0));
    FUZZ_PRUEFE(v.ablage().zahl() >= 0 && v.ablage().zahl() <= Empfangsablage::Grenze + 1);
    if (fertig) {
        FUZZ_PRUEFE(z.terminal.identifiziert);
        const size_t gefuellt = Bildgroesse + (z.terminal.protokoll == 255 ? 1 : 0);
        for (size_t i = 0; i < Bildgroesse; ++i)
            FUZZ_PRUEFE(z.bild.Daten[i] >= 0 && z.bild.Daten[i] <= 255);
        for (size_t i = gefuellt; i < z.bild.Daten.size(); ++i)
            FUZZ_PRUEFE(z.bild.Daten[i] == vorher[i]);
    } else {
        FUZZ_PRUEFE(fehler == 154 || fehler == 156 || fehler == 158);
        FUZZ_PRUEFE(z.bild.Daten == vorher);
        FUZZ_PRUEFE(meldung.textnummern().contains(fehler));
    }
    return 0;
}
