// Writes a benchmark scene on standard output:
//   orvane_scene_generator [--pov] [--recurse n] <spheres|mixed> <N> [seed]
// --pov writes the same scene for POV-Ray, reflections followed as deep as "-recurse n" (2 when
// absent) would follow them in Orvane.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "bench/field_scene.h"
#include "bench/scene_writers.h"

namespace {

constexpr std::uint64_t kDefaultSeed = 1;

std::optional<long> parseInteger(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0') return std::nullopt;
    return value;
}

int usage() {
    std::fputs("usage: orvane_scene_generator [--pov] [--recurse n] <spheres|mixed> <N> [seed]\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool pov = false;
    long recurse = 2;
    int next = 1;
    for (; next < argc && std::strncmp(argv[next], "--", 2) == 0; ++next) {
        if (std::strcmp(argv[next], "--pov") == 0) {
            pov = true;
        } else if (std::strcmp(argv[next], "--recurse") == 0 && next + 1 < argc) {
            const auto depth = parseInteger(argv[++next]);
            if (!depth || *depth < 0 || *depth > 1000) return usage();
            recurse = *depth;
        } else {
            return usage();
        }
    }
    if (argc - next < 2 || argc - next > 3) return usage();

    FieldKind kind;
    if (std::strcmp(argv[next], "spheres") == 0) {
        kind = FieldKind::spheres;
    } else if (std::strcmp(argv[next], "mixed") == 0) {
        kind = FieldKind::mixed;
    } else {
        return usage();
    }
    const auto count = parseInteger(argv[next + 1]);
    if (!count || *count < 0 || *count > 100000000) return usage();
    std::uint64_t seed = kDefaultSeed;
    if (argc - next == 3) {
        const auto given = parseInteger(argv[next + 2]);
        if (!given || *given < 0) return usage();
        seed = static_cast<std::uint64_t>(*given);
    }

    const FieldScene scene = makeFieldScene(kind, static_cast<int>(*count), seed);
    if (pov) {
        writePovScene(stdout, scene, static_cast<int>(recurse));
    } else {
        writeRayScene(stdout, scene);
    }
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}
