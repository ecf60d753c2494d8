#include "app/driver.h"

#include <cstdint>
#include <memory>

#include "app/command_line.h"
#include "app/ordered_rows.h"
#include "app/progress_line.h"
#include "app/thread_count.h"
#include "scene/scene.h"

namespace {

void printBanner(std::FILE* console) {
    std::fputs("Orvane 0.93 - a ray tracer of spheres, cylinders and planes\n", console);
    std::fflush(console);
    std::fputs("Usage: Orvane <sceneFile.ray> <XRes> <YRes> <outfile.tga> [-recurse n]\n", console);
    std::fflush(console);
    std::fputs("\n", console);
    std::fflush(console);
    std::fputs("(the -recurse option specifies the level of reflection-depth to compute)\n", console);
    std::fflush(console);
    std::fputs("\n", console);
    std::fflush(console);
}

// The ray count as a signed 32-bit number, wrapping as the product of two such numbers does.
std::int32_t primaryRayCount(int width, int height) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(width) *
                                     static_cast<std::uint32_t>(height));
}

void endLine(std::FILE* console) {
    std::fputc('\n', console);
    std::fflush(console);
}

}  // namespace

int runOrvane(int argc, const char* const argv[], std::FILE* console, std::FILE* errors) {
    printBanner(console);
    const std::optional<CommandLine> line = parseCommandLine(argc, argv);
    if (!line) return -1;

    std::fprintf(console, "Ray tracing %d primary rays.\n", primaryRayCount(line->width, line->height));
    std::fflush(console);
    std::fprintf(console, "Using %d recursions.\n", line->depth);
    std::fflush(console);

    auto scene = std::make_unique<Scene>(line->width, line->height, line->sceneFile, line->outFile,
                                         line->depth, console, errors);
    // Without a framebuffer no row can be traced: the run ends after the error.
    if (!scene->framebuffer.obtained()) return 0;

    ProgressLine ruler(line->height);
    for (int row = 0; row < line->height; ++row) {
        if (ruler.countRow()) std::fputc('.', console);
    }
    endLine(console);

    ProgressLine bar(line->height);
    const int topRow = line->height / 2;
    traceRowsInOrder(
        line->height, renderThreadCount(), [&](int row) { scene->traceRow(topRow - row); },
        [&](int row) {
            scene->writeRow(topRow - row);
            if (bar.countRow()) {
                std::fputc('*', console);
                std::fflush(console);
            }
        });
    endLine(console);

    const bool pictureBroken = scene->writer.failed();
    scene.reset();
    return pictureBroken ? 1 : 0;
}
