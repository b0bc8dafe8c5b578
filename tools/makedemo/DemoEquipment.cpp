#include "tools/makedemo/Demo.h"

void WriteDemoEquipment(const std::string&) {}
