// Sequences over the real serial code against portavo-sim when the UI
// thread stalls for a moment (a window repainting, the system swapping):
// the answer is then waiting in the port when the next tick comes, and the
// tick must take it, not report a dead interface.

#include "support/Testlauf.h"

#include <QSignalSpy>
#include "support/Simulator.h"
#include "support/Testhilfe.h"
#include "diag/Adressidentifikation.h"
#include "link/SerialPort.h"

#include <QJsonArray>
#include <QThread>

class TestStillstand : public QObject {
    Q_OBJECT

    // Blocks the UI thread for ms milliseconds: on purpose, this is the
    // stall under test.
    static void stillstand(int ms) { QThread::msleep(ulong(ms)); }

private slots:
    void scanUeberlebtStillstaende()
    {
        Simulator sim;
        SIM_STARTEN(sim, QJsonArray{Simulator::terminal(3), Simulator::terminal(40, 1), Simulator::terminal(90)});
        Strecke<SerialPort> s(sim.device());
        QVERIFY(s.port.isOpen());
        Adressidentifikation ident(s.z, s.v, s.meldung);
        const Empfangsrecht recht = ident.empfangNehmen();
        ident.laden();
        // Twice the program's 50 ms, so that a busy test machine's scheduler
        // alone cannot make the simulator miss a tick; a 250 ms stall still
        // spans several ticks.
        ident.setTaktabstand(1, 100);
        QSignalSpy ende(&ident, &Adressidentifikation::scanBeendet);
        // Stalls right after a request went out, across the whole scan.
        int stalls = 0;
        QTimer stoerer;
        stoerer.setInterval(97);
        connect(&stoerer, &QTimer::timeout, this, [&] {
            if (stalls >= 8) {
                stoerer.stop();
                return;
            }
            stillstand(250);
            ++stalls;
        });
        ident.scan();
        stoerer.start();
        QVERIFY(ende.wait(60000));
        QVERIFY2(ende.first().first().toBool(), qPrintable(QStringLiteral("scan stopped at address %1 after %2 stalls").arg(s.z.Adresse).arg(stalls)));
        QCOMPARE(stalls, 8);
        QVERIFY2(s.meldung.eintraege().isEmpty(), qPrintable(s.meldung.textnummern().isEmpty()
                                                                 ? QString()
                                                                 : s.meldung.eintraege().first().text));
        QCOMPARE(ident.liste().size(), 3);
    }
};

PORTAVO_TESTKLASSE(TestStillstand)
#include "tst_e2e_stillstand.moc"
