#pragma once
// The write sequence on a FakePort: terminal 4, password 246810 and an image
// whose bytes differ from one another.

#include "support/Testhilfe.h"
#include "link/Schreiben.h"

struct Aufbau : Strecke<FakePort> {
    Schreiben schreiben{z, v, anmeldung, meldung};

    Aufbau()
    {
        z.Adresse = 4;
        z.Passwort = Telegramm::packePasswort(QStringLiteral("246810"));
        for (int i = 0; i < 2048; ++i)
            z.bild.Daten[size_t(i)] = qint16((i * 7 + 3) & 0xFF);
        z.bild.Daten[10] = 0;
    }

    bool warteAufPhase(Schreiben::Phase phase, int grenzeMs = 2000)
    {
        return QTest::qWaitFor([&] { return schreiben.phase() == phase; }, grenzeMs);
    }
};
