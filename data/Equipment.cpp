#include "data/Equipment.h"
