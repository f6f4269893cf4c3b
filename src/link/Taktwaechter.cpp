#include "link/Taktwaechter.h"

#include "link/Verbindung.h"

#include <QElapsedTimer>
#include <QTimer>

qint64 Taktwaechter::monoton()
{
    static const QElapsedTimer uhr = [] {
        QElapsedTimer u;
        u.start();
        return u;
    }();
    return uhr.elapsed();
}

bool Taktwaechter::tickNehmen(Verbindung &v, const QTimer &timer)
{
    v.abholen();
    return timer.isActive() && zaehlt(timer.interval());
}
