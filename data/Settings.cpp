#include "data/Settings.h"
