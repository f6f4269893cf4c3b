// The modem's result lines, as they arrive in receive chunks of any size.
// The pieces of the input are the chunks. The results must not depend on
// where the chunks were cut, and the receive side of the modem window must
// stay within its bounds whatever arrives before and after the connect.

#include "Fuzzhilfe.h"

#include "base/Zustand.h"
#include "link/Verbindung.h"
#include "modem/Modemterminal.h"
#include "modem/Modemzeilen.h"
#include "support/FakePort.h"
#include "support/MeldungAufnahme.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzzhilfe::start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *daten, size_t groesse)
{
    const QList<QByteArray> chunks = Fuzzhilfe::stuecke(daten, groesse);

    Modemzeilen stueckweise;
    QVector<Modemzeilen::Rueckmeldung> einzeln;
    QByteArray alles;
    for (const QByteArray &c : chunks) {
        einzeln += stueckweise.lies(c);
        alles += c;
    }
    Modemzeilen amStueck;
    FUZZ_PRUEFE(amStueck.lies(alles) == einzeln);
    // Byte by byte, too.
    Modemzeilen byteweise;
    QVector<Modemzeilen::Rueckmeldung> jeByte;
    for (const char c : alles)
        jeByte += byteweise.lies(QByteArray(1, c));
    FUZZ_PRUEFE(jeByte == einzeln);

    // The modem window's receive side on the same chunks.
    // A copy of one made before shares its big text arrays until they change.
    static const Zustand leer;
    Zustand z = leer;
    FakePort port;
    Verbindung v(z);
    MeldungAufnahme meldung;
    Modemterminal terminal(z, v, meldung);
    port.open();
    terminal.setPort(&port);
    v.setModemPort(&port);
    for (const QByteArray &c : chunks) {
        port.inject(c);
        FUZZ_PRUEFE(terminal.text().size() <= Modemterminal::Hoechstlaenge + c.size() + 100);
        FUZZ_PRUEFE(v.ablage().zahl() >= 0 && v.ablage().zahl() <= Empfangsablage::Grenze + 1);
    }
    FUZZ_PRUEFE(z.sitzung.modemVerbunden == einzeln.contains(Modemzeilen::Rueckmeldung::Connect));
    return 0;
}
