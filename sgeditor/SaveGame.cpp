#include "sgeditor/SaveGame.h"
