#include "image/output_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

// The new file's hidden name, for the signal handler to remove. One at a time: a second output
// open at once is not guarded.
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
        sigset_t ending{};
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

// Keeps a long output name's hidden sibling within the length a file name may have.
constexpr std::size_t kMaxNameInTemporary = 64;

// The start of a hidden name beside target, ".out.tga.", which six letters or digits complete.
std::string hiddenPrefix(const std::string& target) {
    return folderOf(target) + "/." + baseOf(target).substr(0, kMaxNameInTemporary) + ".";
}

// Gives a new file the owner and mode that opening target itself would have given: those of the
// existing file, or the umask's.
bool takeOwnerAndMode(int descriptor, const struct stat* existing) {
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
    return fchmod(descriptor, mode) == 0;
}

// A stream on the new file's descriptor, which is closed when either step fails.
std::FILE* streamOnNewFile(int descriptor, const struct stat* existing) {
    std::FILE* stream = takeOwnerAndMode(descriptor, existing) ? fdopen(descriptor, "wb") : nullptr;
    if (stream == nullptr) {
        const int error = errno;
        ::close(descriptor);
        errno = error;
    }
    return stream;
}

// Opens a file without a name in target's folder; it vanishes if the process ends before it is
// linked. Null, with errno telling why, when it cannot be made.
std::FILE* createUnnamedBeside(const std::string& target, const struct stat* existing) {
    // It is linked through its entry in /proc, which a chroot may lack.
    if (access("/proc/self/fd", X_OK) != 0) {
        errno = EOPNOTSUPP;
        return nullptr;
    }
    const int descriptor = open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY, 0600);
    return descriptor < 0 ? nullptr : streamOnNewFile(descriptor, existing);
}

// How creating a file without a name fails where it cannot be done.
bool lacksUnnamedFiles(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Creates a hidden temporary file beside target (".out.tga.a1B2c3"). Null when it cannot be made.
std::FILE* createBeside(const std::string& target, const struct stat* existing,
                        std::string& temporary) {
    std::string pattern = hiddenPrefix(target) + "XXXXXX";
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0) return nullptr;
    std::FILE* stream = streamOnNewFile(descriptor, existing);
    if (stream == nullptr) {
        const int error = errno;
        unlink(pattern.c_str());
        errno = error;
        return nullptr;
    }
    temporary = pattern;
    return stream;
}

// A hidden name beside target that no one can foresee, as mkstemp would make; none without the
// kernel's random source.
std::optional<std::string> randomHiddenName(const std::string& target) {
    static constexpr char kSymbols[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[6];
    const bool drawn = getrandom(bytes, sizeof bytes, 0) == static_cast<ssize_t>(sizeof bytes);
    if (!drawn) return std::nullopt;
    std::string name = hiddenPrefix(target);
    for (const unsigned char byte : bytes) name += kSymbols[byte % (sizeof kSymbols - 1)];
    return name;
}

// A name already taken is someone else's file; this many tries at a fresh one.
constexpr int kNamingAttempts = 100;

}  // namespace

OutputFile::OutputFile(const std::string& name) {
    if (name == kStandardOutputName) {
        // A duplicate, so that closing the picture leaves the standard output open.
        const int descriptor = dup(STDOUT_FILENO);
        stream_ = descriptor < 0 ? nullptr : fdopen(descriptor, "wb");
        if (descriptor >= 0 && stream_ == nullptr) ::close(descriptor);
        return;
    }
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
        const struct stat* owner = exists ? &existing : nullptr;
        stream_ = createUnnamedBeside(target_, owner);
        unnamed_ = stream_ != nullptr;
        if (unnamed_) return;
        if (lacksUnnamedFiles(errno)) {
            installHandlers();
            const EndingSignalsHeld held;
            stream_ = createBeside(target_, owner, temporary_);
            if (stream_ != nullptr) {
                guarded_ = guard(temporary_);
                return;
            }
        }
    }
    // A folder we may not create files in may still hold a file we may write.
    stream_ = std::fopen(name.c_str(), "wb");
}

OutputFile::~OutputFile() { discard(); }

bool OutputFile::close() {
    if (stream_ == nullptr) return false;
    bool written = std::fflush(stream_) == 0;
    // A file without a name is gone once closed: it is linked while still open.
    if (unnamed_ && written) written = nameUnnamedFile();
    written = std::fclose(stream_) == 0 && written;
    stream_ = nullptr;
    if (temporary_.empty()) return written;
    const bool placed = written && std::rename(temporary_.c_str(), target_.c_str()) == 0;
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

// The name is guarded before the link is made, so that there is no moment at which a signal could
// end the process and leave it behind.
bool OutputFile::nameUnnamedFile() {
    installHandlers();
    const std::string self = "/proc/self/fd/" + std::to_string(fileno(stream_));
    for (int attempt = 0; attempt < kNamingAttempts; ++attempt) {
        const std::optional<std::string> name = randomHiddenName(target_);
        if (!name) return false;
        guarded_ = guard(*name);
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name->c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temporary_ = *name;
            return true;
        }
        const bool taken = errno == EEXIST;
        forgetTemporary();
        if (!taken) return false;
    }
    return false;
}

void OutputFile::forgetTemporary() {
    if (guarded_) pending.store(false);
    guarded_ = false;
    temporary_.clear();
}
