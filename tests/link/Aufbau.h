#pragma once
// The write sequence on a FakePort (Aufbau: terminal 4, password 246810, a varied image) or on the
// in-process bus, with a main file loaded and the protocol identified as the write command does it.

#include "support/SimBus.h"
#include "support/Testhilfe.h"
#include "diag/Protokollidentifikation.h"
#include "link/Schreiben.h"
#include "termfile/Dateiablauf.h"
#include "termfile/Terminaldatei.h"

#include <QSignalSpy>

// A main file unlike the simulator's default image: password 246810, the address in byte 8, protocol 0.
inline QString hauptdateiMit(const QString &pfad, int saat, int adresse)
{
    const QMap<int, int> fest{{5, 0x42}, {6, 0x86}, {7, 0x01}, {8, adresse}, {10, 0}};
    return schreib(pfad, hauptdatei([&](int i) { return fest.value(i, (i * 31 + saat) & 0xFF); })) ? pfad : QString();
}

template <class P>
struct Schreibstrecke : Strecke<P> {
    using Strecke<P>::z;
    using Strecke<P>::v;
    using Strecke<P>::meldung;
    Schreiben schreiben{z, v, this->anmeldung, meldung};

    explicit Schreibstrecke(const QString &geraet = QString()) : Strecke<P>(geraet) {}

    bool warteAufPhase(Schreiben::Phase phase, int grenzeMs = 2000)
    {
        return QTest::qWaitFor([&] { return schreiben.phase() == phase; }, grenzeMs);
    }
    // Load routine and protocol identification as the write command runs them.
    bool vorbereiten(const QString &datei, int adresse, int neueAdresse, int protokoll)
    {
        if (!Dateiablauf::ladeRoutine(z, meldung, datei).geladen)
            return false;
        Protokollidentifikation p(z, v, meldung);
        QSignalSpy geprueft(&p, &Protokollidentifikation::versionGeprueft);
        z.terminal.adresse = qint16(adresse);
        p.waehleProtokoll(protokoll);
        p.setAdressfeld(QString::number(adresse));
        p.setNeueAdresse(QString::number(neueAdresse));
        p.ok();
        if (!geprueft.wait(2000))
            return false;
        p.geschlossen();
        return z.terminal.protokollGewaehlt;
    }
    // The write button; waits for the end. 0 success, else the text number.
    int schreibe()
    {
        z.terminal.passwort = Telegramm::packePasswort(QStringLiteral("246810"));
        QSignalSpy beendet(&schreiben, &Schreiben::beendet);
        QSignalSpy fehler(&schreiben, &Schreiben::fehlgeschlagen);
        if (!schreiben.starte() || !beendet.wait(30000))
            return -1;
        return fehler.isEmpty() ? 0 : fehler.first().first().toInt();
    }
    QByteArray block() const { return Schreiben::block(z, schreiben.blockpruefsumme()); }
};

struct Aufbau : Schreibstrecke<FakePort> {
    Aufbau()
    {
        z.terminal.adresse = 4;
        z.terminal.passwort = Telegramm::packePasswort(QStringLiteral("246810"));
        for (int i = 0; i < 2048; ++i)
            z.bild.Daten[size_t(i)] = qint16((i * 7 + 3) & 0xFF);
        z.bild.Daten[10] = 0;
    }
};
