#include "base/MeldungDruck.h"

#include <QTextStream>

int MeldungDruck::zeige(const QString &text, const QString &titel, Knoepfe knoepfe, Symbol, int textnummer,
                        int)
{
    m_nummern.append(textnummer);
    QTextStream err(stderr);
    const QString t = titel.trimmed();
    if (!t.isEmpty())
        err << t << QStringLiteral(" ");
    err << text.trimmed() << Qt::endl;
    switch (knoepfe) {
    case Knoepfe::JaNein:
        return m_frage;
    case Knoepfe::OkAbbrechen:
        return m_frage == Ja ? Ok : Abbrechen;
    case Knoepfe::AbbrechenWiederholenIgnorieren:
        return Abbruch;
    case Knoepfe::Ok:
        break;
    }
    return Ok;
}
