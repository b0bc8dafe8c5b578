#include "data/UnitCodes.h"
