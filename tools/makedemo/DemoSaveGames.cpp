#include "tools/makedemo/Demo.h"

void WriteDemoSaveGames(const std::string&) {}
