#include "app/driver.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/help.h"
#include "app/ordered_rows.h"
#include "app/progress_line.h"
#include "app/thread_count.h"
#include "image/output_file.h"
#include "image/tga_writer.h"
#include "render/shape_index.h"
#include "scene/scene.h"
#include "scene/scene_checker.h"

namespace {

void printError(std::FILE* errors, const std::string& line) {
    std::fputs(line.c_str(), errors);
    std::fflush(errors);
}

// Runs the command a first argument names, which prints no banner; nothing for a render.
std::optional<int> runCommand(int argc, const char* const argv[], std::FILE* out,
                              std::FILE* errors) {
    if (argc < 2) return std::nullopt;
    const std::string command = argv[1];
    if (command == "--help") {
        printHelp(out);
        return 0;
    }
    if (command == "--version") {
        std::fputs("Orvane " ORVANE_VERSION
                   "\nCopyright (c) 2026 The Orvane developers\n"
                   "MIT licence: free to use, copy, change and share, with no warranty.\n",
                   out);
        std::fflush(out);
        return 0;
    }
    if (command != "--check") return std::nullopt;
    if (argc == 2) {
        printError(errors,
                   "ERROR: Nothing to check: give one or more scene files, as in Orvane --check "
                   "scene.ray\n");
        return 1;
    }
    return checkSceneFiles(argc - 2, argv + 2, out);
}

void printBanner(std::FILE* console) {
    for (const char* line :
         {"Orvane " ORVANE_VERSION " - a ray tracer of spheres, cylinders and planes\n",
          "Usage: Orvane <sceneFile.ray> <XRes> <YRes> <outfile.tga> [-recurse n]\n", "\n",
          "(the -recurse option specifies the level of reflection-depth to compute)\n", "\n"}) {
        std::fputs(line, console);
        std::fflush(console);
    }
}

// Whether the picture would go down the pipe the console writes to, as in
// "Orvane s.ray 64 48 /dev/stdout | convert tga:- s.png".
bool pictureSharesConsolePipe(const char* outFile, std::FILE* console) {
    struct stat consoleFile;
    struct stat picture;
    const int descriptor = fileno(console);
    return descriptor >= 0 && fstat(descriptor, &consoleFile) == 0 &&
           S_ISFIFO(consoleFile.st_mode) && stat(outFile, &picture) == 0 &&
           picture.st_dev == consoleFile.st_dev && picture.st_ino == consoleFile.st_ino;
}

bool writesToStandardOutput(const char* outFile) {
    return std::strcmp(outFile, kStandardOutputName) == 0;
}

// An option given before the output file takes its place, as in "Orvane s.ray 64 48 -recurse 3
// out.tga"; "-" itself names standard output.
bool misplacedOption(const char* outFile) {
    return outFile[0] == '-' && !writesToStandardOutput(outFile);
}

bool drawable(int side) { return side >= 1 && side <= kMaxPictureSide; }

void endLine(std::FILE* console) {
    std::fputc('\n', console);
    std::fflush(console);
}

}  // namespace

int runOrvane(int argc, const char* const argv[], std::FILE* console, std::FILE* errors) {
    if (const std::optional<int> status = runCommand(argc, argv, console, errors)) return *status;
    // The picture must reach standard output or the pipe's reader alone, so the messages take
    // the error stream.
    if (argc >= 5 &&
        (writesToStandardOutput(argv[4]) || pictureSharesConsolePipe(argv[4], console))) {
        console = errors;
    }
    printBanner(console);
    const std::optional<CommandLine> line = parseCommandLine(argc, argv);
    if (!line) return -1;

    std::fprintf(console, "Ray tracing %lld primary rays.\n",
                 static_cast<long long>(line->width) * line->height);
    std::fflush(console);
    std::fprintf(console, "Using %d recursions.\n", line->depth);
    std::fflush(console);

    if (misplacedOption(line->outFile)) {
        printError(errors, "ERROR: \"" + std::string(line->outFile) +
                               "\" stands where the output file belongs: give the options after "
                               "it, as in Orvane <sceneFile.ray> <XRes> <YRes> <outfile.tga> "
                               "[-recurse n] (a file whose name begins with - can be written as "
                               "./-name).\n");
        return 1;
    }
    if (!drawable(line->width) || !drawable(line->height)) {
        printError(errors, "ERROR: Picture sides must be 1 to " + std::to_string(kMaxPictureSide) +
                               " pixels, not " + std::to_string(line->width) + " x " +
                               std::to_string(line->height) + ".\n");
        return 1;
    }

    // A bad thread count is warned of once a picture is to be made.
    auto scene = std::make_unique<Scene>(line->width, line->height, line->sceneFile, line->depth,
                                         console, errors, renderThreadCount(nullptr));
    // The output is touched only when a picture can be made of it.
    if (!scene->openOutput(line->outFile)) return 1;

    const int threadCount = renderThreadCount(errors);
    ProgressLine ruler(line->height);
    for (int row = 0; row < line->height; ++row) {
        if (ruler.countRow()) std::fputc('.', console);
    }
    endLine(console);

    ProgressLine bar(line->height);
    const int topRow = line->height / 2;
    // Threads take bands of a few rows, which are traced a few columns at a time.
    constexpr int kBandRows = 4;
    const int bandCount = (line->height - 1) / kBandRows + 1;
    // Worker 0 searches the scene's index, the others copies that each makes for itself.
    std::vector<std::unique_ptr<const ShapeIndex>> copies(static_cast<std::size_t>(threadCount));
    traceRowsInOrder(
        bandCount, threadCount,
        [&](int band, int worker) {
            std::unique_ptr<const ShapeIndex>& copy = copies[static_cast<std::size_t>(worker)];
            if (worker > 0 && !copy) copy = std::make_unique<const ShapeIndex>(scene->index);
            scene->traceRows(topRow - band * kBandRows, kBandRows,
                             worker > 0 ? *copy : scene->index);
        },
        [&](int band) {
            const int end = std::min(line->height, (band + 1) * kBandRows);
            for (int row = band * kBandRows; row < end; ++row) {
                scene->writeRow(topRow - row);
                if (bar.countRow()) {
                    std::fputc('*', console);
                    std::fflush(console);
                }
            }
        });
    endLine(console);

    const bool pictureWritten = scene->writer->complete();
    scene.reset();
    return pictureWritten ? 0 : 1;
}
