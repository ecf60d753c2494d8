#include "app/thread_count.h"

#include <sched.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

namespace {

constexpr long kMostThreads = 256;

int processorsAllowed() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        const int count = CPU_COUNT(&allowed);
        if (count > 0) return count;
    }
    const unsigned reported = std::thread::hardware_concurrency();
    return reported > 0 ? static_cast<int>(reported) : 1;
}

}  // namespace

int renderThreadCount() {
    if (const char* setting = std::getenv("ORVANE_THREADS")) {
        char* end = nullptr;
        errno = 0;
        const long count = std::strtol(setting, &end, 10);
        if (errno == 0 && end != setting && *end == '\0' && count >= 1 && count <= kMostThreads) {
            return static_cast<int>(count);
        }
    }
    return processorsAllowed();
}
