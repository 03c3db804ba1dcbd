// Writes the program's icon as an .ico file for the executable's resources. Built and run on
// the build machine: the picture is the one the program draws for the notification area.
#include <cstdio>
#include <fstream>

#include "mainwin/program_icon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon OUTPUT.ico\n");
        return 2;
    }
    const std::string bytes = kvr::ProgramIconFile({16, 24, 32, 48});
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out ? 0 : 1;
}
