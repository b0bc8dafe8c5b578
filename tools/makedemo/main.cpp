// makedemo DIR: writes a synthetic game directory for the demo and the tests.
#include "tools/makedemo/Demo.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv)
{
    // An empty name would put the demo into the root directory.
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: makedemo DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    if (dir.back() != '/')
        dir += '/';
    try {
        WriteDemoEquipment(dir);
        WriteDemoSaveGames(dir);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "makedemo: %s\n", e.what());
        return 1;
    }
    return 0;
}
