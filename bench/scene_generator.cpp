// Writes a benchmark scene on standard output:
//   orvane_scene_generator [--pov] [--recurse n] <spheres|mixed> <N> [seed]
// --pov writes the same scene for POV-Ray, reflections followed as deep as "-recurse n" (2 when
// absent) would follow them in Orvane.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

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

// Says what cannot be used, naming the argument, then shows the usage.
int refuse(const std::string& why) {
    std::fprintf(stderr,
                 "orvane_scene_generator: %s\n"
                 "usage: orvane_scene_generator [--pov] [--recurse n] <spheres|mixed> <N> [seed]\n",
                 why.c_str());
    return 2;
}

std::string quoted(const char* argument) { return std::string("\"") + argument + "\""; }

}  // namespace

int main(int argc, char** argv) {
    bool pov = false;
    long recurse = 2;
    int next = 1;
    for (; next < argc && std::strncmp(argv[next], "--", 2) == 0; ++next) {
        if (std::strcmp(argv[next], "--pov") == 0) {
            pov = true;
        } else if (std::strcmp(argv[next], "--recurse") == 0) {
            if (next + 1 == argc) return refuse("no depth after --recurse");
            const auto depth = parseInteger(argv[++next]);
            if (!depth || *depth < 0 || *depth > 1000) {
                return refuse("depth must be 0 to 1000, not " + quoted(argv[next]));
            }
            recurse = *depth;
        } else {
            return refuse("unknown option " + quoted(argv[next]));
        }
    }
    if (argc - next == 0) return refuse("missing the kind and the count");
    if (argc - next == 1) return refuse("missing the count after " + quoted(argv[next]));
    if (argc - next > 3) return refuse("one argument too many: " + quoted(argv[next + 3]));

    FieldKind kind;
    if (std::strcmp(argv[next], "spheres") == 0) {
        kind = FieldKind::spheres;
    } else if (std::strcmp(argv[next], "mixed") == 0) {
        kind = FieldKind::mixed;
    } else {
        return refuse("kind must be spheres or mixed, not " + quoted(argv[next]));
    }
    const auto count = parseInteger(argv[next + 1]);
    if (!count || *count < 0 || *count > 100000000) {
        return refuse("count must be 0 to 100000000, not " + quoted(argv[next + 1]));
    }
    std::uint64_t seed = kDefaultSeed;
    if (argc - next == 3) {
        const auto given = parseInteger(argv[next + 2]);
        if (!given || *given < 0) {
            return refuse("seed must be a whole number, not " + quoted(argv[next + 2]));
        }
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
