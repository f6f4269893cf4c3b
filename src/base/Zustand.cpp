#include "base/Zustand.h"

Zustand::Zustand()
{
    Protokollnamen.fill(QString());
}
