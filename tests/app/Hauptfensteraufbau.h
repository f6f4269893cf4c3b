#pragma once
// The main window on a port of its own (the one port 1 of the port map names), started up to the start
// window and beyond, and a terminal identified through the address box.

#include "app/Hauptfenster.h"
#include "base/Zustand.h"
#include "support/FakePort.h"
#include "support/Fensterhilfe.h"
#include "support/MeldungAufnahme.h"

#include <QAction>

template <class P = FakePort>
struct Hauptfensteraufbau {
    Zustand z;
    MeldungAufnahme meldung;
    P port;
    Hauptfenster f{z, meldung, &port};
    void starte()
    {
        f.show();
        f.starte();
    }
    // Start-up up to the start window, confirmed with "Rs485 Betrieb".
    void bereit()
    {
        starte();
        QVERIFY(mitModal(QStringLiteral("start2d"), [](QWidget *w) { kind<QAbstractButton>(w, "Command1")->click(); }));
        QTRY_VERIFY(kind<QAction>(&f, "mnuSchnittstelle")->isEnabled());
    }
    // "Auslesen" with the address typed into the identification box, ended with Return.
    void identifiziere(const QString &adresse)
    {
        imDialog([adresse](QWidget *d) {
            auto *feld = kind<QLineEdit>(d, "text1");
            feld->setFocus();
            QTest::keyClicks(feld, adresse);
            QTest::keyClick(feld, Qt::Key_Return);
        }, QStringLiteral("Adressident2D"));
        kind<QAction>(&f, "mnuAuslesen")->trigger();
    }
};
