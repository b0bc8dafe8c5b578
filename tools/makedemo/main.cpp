// makedemo [--large] DIR: writes a synthetic game directory for the demo and
// the tests. --large fills all 1024 slots of the table, and the save games
// then hold codes of four digits.
#include "tools/makedemo/Demo.h"
#include "tools/makedemo/DemoUnits.h"
#include "data/Equipment.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv)
{
    const bool large = argc == 3 && std::string(argv[1]) == "--large";
    // An empty name would put the demo into the root directory; a name
    // starting with '-' is a mistyped option.
    if ((argc != 2 && !large) || argv[argc - 1][0] == '\0' || argv[argc - 1][0] == '-') {
        std::fprintf(stderr, "usage: makedemo [--large] DIR\n");
        return 2;
    }
    std::string dir = argv[argc - 1];
    const std::uint16_t count = large ? EquipCapacity : DemoUnit::Count;
    if (dir.back() != '/')
        dir += '/';
    try {
        WriteDemoEquipment(dir, count);
        WriteDemoSaveGames(dir, static_cast<std::uint16_t>(count - 1));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "makedemo: %s\n", e.what());
        return 1;
    }
    return 0;
}
