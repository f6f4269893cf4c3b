#pragma once
#include "support/SimBus.h"
