#include "link/Taktwaechter.h"

#include "link/Verbindung.h"

#include <QTimer>

bool Taktwaechter::tickNehmen(Verbindung &v, const QTimer &timer)
{
    v.abholen();
    return timer.isActive() && zaehlt(timer.interval());
}
