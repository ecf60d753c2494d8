#include "image/output_file.h"

#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {

// The temporary file being written, for the signal handler to remove. One at a time: a second
// output open at once is not guarded.
char pendingPath[PATH_MAX];
std::atomic<bool> pending{false};
static_assert(std::atomic<bool>::is_always_lock_free, "read from a signal handler");

// Signals that end a process by default and may arrive while a picture is written: ^C, a closed
// terminal, a closed console pipe, kill, and the file size limit.
constexpr int kEndingSignals[] = {SIGHUP, SIGINT, SIGPIPE, SIGTERM, SIGXFSZ};

extern "C" void removePendingAndEnd(int signal) {
    if (pending.load()) unlink(pendingPath);
    // SA_RESETHAND has restored the default action, which ends the process once this returns.
    raise(signal);
}

// Once per process, and only over default actions: a signal the caller ignores or handles stays so.
void installHandlers() {
    static const bool installed = [] {
        for (const int signal : kEndingSignals) {
            struct sigaction current {};
            if (sigaction(signal, nullptr, &current) != 0) continue;
            if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) continue;
            struct sigaction action {};
            action.sa_handler = removePendingAndEnd;
            sigemptyset(&action.sa_mask);
            action.sa_flags = SA_RESETHAND;
            sigaction(signal, &action, nullptr);
        }
        return true;
    }();
    static_cast<void>(installed);
}

bool guard(const std::string& path) {
    if (pending.load() || path.size() >= sizeof pendingPath) return false;
    std::memcpy(pendingPath, path.c_str(), path.size() + 1);
    pending.store(true);
    return true;
}

// Holds back the ending signals while a temporary file is created and guarded, so that none can
// end the process between the two. Only the calling thread runs while the output is opened.
class EndingSignalsHeld {
public:
    EndingSignalsHeld() {
        sigset_t ending;
        sigemptyset(&ending);
        for (const int signal : kEndingSignals) sigaddset(&ending, signal);
        pthread_sigmask(SIG_BLOCK, &ending, &previous_);
    }
    ~EndingSignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

private:
    sigset_t previous_;
};

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Keeps a long output name's temporary sibling within the length a file name may have.
constexpr std::size_t kMaxNameInTemporary = 64;

// Creates a temporary file beside target, named after it (".out.tga.a1B2c3"), with the owner and
// mode that opening target itself would have given: those of the existing file, or the umask's.
// Null when it cannot be made.
std::FILE* createBeside(const std::string& target, const struct stat* existing,
                        std::string& temporary) {
    std::string pattern =
        folderOf(target) + "/." + baseOf(target).substr(0, kMaxNameInTemporary) + ".XXXXXX";
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0) return nullptr;
    mode_t mode;
    if (existing != nullptr) {
        if (existing->st_uid != geteuid() || existing->st_gid != getegid()) {
            if (fchown(descriptor, existing->st_uid, existing->st_gid) != 0) {
                // Only root may give a file away: anyone else's picture becomes their own.
            }
        }
        mode = existing->st_mode & 0777;
    } else {
        // Read and put back at once: nothing else runs while the output is opened.
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    std::FILE* stream = fchmod(descriptor, mode) == 0 ? fdopen(descriptor, "wb") : nullptr;
    if (stream == nullptr) {
        const int error = errno;
        ::close(descriptor);
        unlink(pattern.c_str());
        errno = error;
        return nullptr;
    }
    temporary = pattern;
    return stream;
}

}  // namespace

OutputFile::OutputFile(const std::string& name) {
    struct stat existing;
    const bool exists = stat(name.c_str(), &existing) == 0;
    struct stat link;
    if (exists && S_ISREG(existing.st_mode)) {
        // Through a link, the file it leads to is replaced and the link stays.
        char* resolved = realpath(name.c_str(), nullptr);
        if (resolved != nullptr) target_ = resolved;
        std::free(resolved);
        // Replacing needs only the folder's permission: a file we may not write stays refused.
        if (!target_.empty() && access(target_.c_str(), W_OK) != 0) return;
    } else if (!exists && lstat(name.c_str(), &link) != 0) {
        target_ = name;
    }
    // Otherwise a pipe, terminal or device is written as it is, a directory fails to open, and a
    // link to nothing creates the file it names.
    if (!target_.empty()) {
        installHandlers();
        const EndingSignalsHeld held;
        stream_ = createBeside(target_, exists ? &existing : nullptr, temporary_);
        if (stream_ != nullptr) {
            guarded_ = guard(temporary_);
            return;
        }
    }
    // A folder we may not create files in may still hold a file we may write.
    stream_ = std::fopen(name.c_str(), "wb");
}

OutputFile::~OutputFile() { discard(); }

bool OutputFile::close() {
    if (stream_ == nullptr) return false;
    const bool flushed = std::fflush(stream_) == 0;
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (temporary_.empty()) return flushed && closed;
    const bool placed = flushed && closed && std::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (!placed) unlink(temporary_.c_str());
    forgetTemporary();
    return placed;
}

void OutputFile::discard() {
    if (stream_ != nullptr) std::fclose(stream_);
    stream_ = nullptr;
    if (temporary_.empty()) return;
    unlink(temporary_.c_str());
    forgetTemporary();
}

void OutputFile::forgetTemporary() {
    if (guarded_) pending.store(false);
    guarded_ = false;
    temporary_.clear();
}
