#include "base/Zustand.h"

Zustand::Zustand()
{
}
