// Stands in for the updater where the launched process's own state matters: writes the
// "SigBlk" line of its own /proc status into the file named by its first argument. A script
// cannot do this, as a shell changes its mask around its own forks and waits.
#include <stdio.h>

#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line) && line.rfind("SigBlk:", 0) != 0) {
    }
    const std::string part = std::string(argv[1]) + ".part";
    {
        std::ofstream out(part);
        out << line << '\n';
        if (!out) return 1;
    }
    // Renamed into place so the test never reads half a file.
    return rename(part.c_str(), argv[1]) == 0 ? 0 : 1;
}
