#include "app/help.h"

namespace {

// Lines fit a terminal 80 columns wide.
constexpr const char* kHelp =
    "Usage: Orvane <sceneFile.ray> <XRes> <YRes> <outfile.tga> [-recurse n]\n"
    "       Orvane --check SCENE...\n"
    "       Orvane --help | --version\n"
    "\n"
    "Renders the scene file to a picture of XRes x YRes pixels, each 1 to 65535.\n"
    "\n"
    "Options:\n"
    "  -recurse n        follow up to n mirror reflections from every ray (0 when\n"
    "                    absent); it must come right after the output file\n"
    "  --check SCENE...  check scene files, naming each mistake's line and column;\n"
    "                    write no picture; exit status 0 if no errors, 1 otherwise\n"
    "  --help            print this help\n"
    "  --version         print the name, version and licence\n"
    "\n"
    "Output file:\n"
    "  NAME.png          a PNG picture (the ending in any case)\n"
    "  -                 the Targa picture to standard output, the console lines to\n"
    "                    standard error\n"
    "  any other name    a Targa picture\n"
    "\n"
    "Environment:\n"
    "  ORVANE_THREADS    number of render threads, 1 to 256 (default: every\n"
    "                    processor the process may run on)\n"
    "\n"
    "More in the manual page: man Orvane\n";

}  // namespace

void printHelp(std::FILE* out) {
    std::fputs(kHelp, out);
    std::fflush(out);
}
