#include "shell/Zustand.h"

Zustand::Zustand()
{
    Protokollnamen.fill(QString());
}
