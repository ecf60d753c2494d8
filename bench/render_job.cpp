#include "bench/render_job.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "scene/scene_reader.h"

std::optional<RenderJob> readRenderJob(int argc, char** argv, const char* program) {
    if (argc != 4 && !(argc == 6 && std::strcmp(argv[4], "-recurse") == 0)) {
        std::fprintf(stderr, "usage: %s <sceneFile.ray> <XRes> <YRes> [-recurse n]\n", program);
        return std::nullopt;
    }
    return RenderJob{argv[1], std::atoi(argv[2]), std::atoi(argv[3]),
                     argc == 6 ? std::max(0, std::atoi(argv[5])) : 0};
}

bool loadSilently(const char* sceneFile, ShapeList& shapes, LightList& lights) {
    std::FILE* quiet = std::fopen("/dev/null", "w");
    if (quiet == nullptr) return false;
    { SceneReader reader(sceneFile, shapes, lights, quiet); }
    std::fclose(quiet);
    return true;
}
