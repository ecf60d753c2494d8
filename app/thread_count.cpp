#include "app/thread_count.h"

#include <sched.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

namespace {

constexpr long kMostThreads = 256;

// The count a setting names, when it is a whole number from 1 to kMostThreads and nothing else.
std::optional<int> usableThreadCount(const char* setting) {
    char* end = nullptr;
    errno = 0;
    const long count = std::strtol(setting, &end, 10);
    if (errno != 0 || end == setting || *end != '\0' || count < 1 || count > kMostThreads) {
        return std::nullopt;
    }
    return static_cast<int>(count);
}

}  // namespace

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

int renderThreadCount(std::FILE* errors) {
    const char* setting = std::getenv("ORVANE_THREADS");
    // An empty value, as in "ORVANE_THREADS= Orvane ...", is no setting: it draws no warning.
    if (setting == nullptr || *setting == '\0') return processorsAllowed();
    if (const std::optional<int> chosen = usableThreadCount(setting)) return *chosen;
    const int count = processorsAllowed();
    if (errors == nullptr) return count;
    const std::string warning = "WARNING: ORVANE_THREADS is \"" + std::string(setting) +
                                "\", not a whole number from 1 to " + std::to_string(kMostThreads) +
                                ": using " + std::to_string(count) +
                                (count == 1 ? " thread.\n" : " threads.\n");
    std::fputs(warning.c_str(), errors);
    std::fflush(errors);
    return count;
}
