#pragma once
// The write sequence on a FakePort, with fast ticks where a test allows them.

#include "link/Anmeldung.h"
#include "link/FakePort.h"
#include "link/Schreiben.h"
#include "link/Telegramm.h"
#include "link/Verbindung.h"
#include "shell/MeldungAufnahme.h"
#include "shell/Programmstart.h"
#include "shell/Texttabelle.h"
#include "shell/Zustand.h"

struct Aufbau {
    Zustand z;
    FakePort port;
    Verbindung v{z};
    MeldungAufnahme meldung;
    Anmeldung anmeldung{z, v};
    Schreiben schreiben{z, v, anmeldung, meldung};

    Aufbau()
    {
        Texttabelle::ladeTexte(z, 101, 389);
        Programmstart::rs485Betrieb(z);
        Programmstart::protokollnamenSetzen(z);
        port.open();
        v.setPort(&port);
        z.Adresse = 4;
        z.Passwort = Telegramm::packePasswort(QStringLiteral("246810"));
        for (int i = 0; i < 2048; ++i)
            z.bild.Daten[size_t(i)] = qint16((i * 7 + 3) & 0xFF);
        z.bild.Daten[10] = 0;
    }

    // The terminal's answer to the login, after the echo of the login telegram.
    void loginAntwort(bool richtig = true)
    {
        QByteArray a = QByteArray() + Telegramm::STX + char(z.Adresse) + 'P' + (richtig ? 'J' : 'N') + Telegramm::ETX;
        a += char(Telegramm::blockpruefung(a, 1, int(a.size()) - 1));
        port.inject(z.Rumpf + a);
    }

    QByteArray letzterWrite() const { return port.writes().isEmpty() ? QByteArray() : port.writes().last().bytes; }
};
