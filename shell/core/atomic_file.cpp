#include "core/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tn {
namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ".<name>.tmp-": what every temporary of the target starts with; "<pid>-<suffix>" follows.
std::string temporaryPrefix(const std::string& target) {
    return "." + nameOf(target) + ".tmp-";
}

bool isAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The writer's process id when rest is "<pid>-<suffix>", else 0.
pid_t writerOf(std::string_view rest) {
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    if (ec != std::errc{} || pid <= 0) return 0;
    std::string_view suffix(end, static_cast<std::size_t>(rest.data() + rest.size() - end));
    if (suffix.size() < 2 || suffix.front() != '-') return 0;
    suffix.remove_prefix(1);
    return std::all_of(suffix.begin(), suffix.end(), isAlnum) ? pid : 0;
}

bool processRuns(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// Temporaries of this target whose writer was killed before it could remove them would otherwise
// stay for good (and a blocked list's temporary can be large). A writer that still runs, or this
// process (another thread may be saving the same file), is left alone.
void removeStrayTemporaries(const std::string& folder, const std::string& prefix) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    std::vector<std::string> strays;
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (!name.starts_with(prefix)) continue;
        const pid_t writer = writerOf(name.substr(prefix.size()));
        if (writer != 0 && writer != self && !processRuns(writer)) strays.emplace_back(name);
    }
    for (const auto& name : strays)
        ::unlinkat(::dirfd(dir), name.c_str(), 0);
    ::closedir(dir);
}

// Linking an unnamed file goes through /proc/self/fd (linkat with AT_EMPTY_PATH needs a privilege).
bool canNameUnnamedFiles() {
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable;
}

}  // namespace

AtomicFile::AtomicFile(std::string target_path) : target_(std::move(target_path)) {
    const std::string folder = folderOf(target_);
    removeStrayTemporaries(folder, temporaryPrefix(target_));

    if (canNameUnnamedFiles()) fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        // No unnamed files here (or an error that mkostemp will meet and report as well).
        std::string pattern =
            folder + "/" + temporaryPrefix(target_) + std::to_string(::getpid()) + "-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        fd_ = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd_ < 0) {
            fail(errno);
            return;
        }
        temp_.assign(name.data());
    }
    // Keep the permissions of the file being replaced, so a save never widens or narrows access.
    struct stat st {};
    const mode_t mode = ::stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    if (::fchmod(fd_, mode) != 0) fail(errno);
}

AtomicFile::~AtomicFile() {
    if (!done_) discard();
}

void AtomicFile::giveTemporaryAName() {
    // The suffix only has to be unique among this process's saves: the pid in front separates
    // processes, and a name left by an earlier process with the same pid is skipped over.
    static std::atomic<unsigned> counter{0};
    const std::string proc = "/proc/self/fd/" + std::to_string(fd_);
    const std::string stem =
        folderOf(target_) + "/" + temporaryPrefix(target_) + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = stem + "u" + std::to_string(counter.fetch_add(1, std::memory_order_relaxed));
        if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temp_ = std::move(name);
            return;
        }
        if (errno != EEXIST) break;
    }
    fail(errno);
}

void AtomicFile::fail(int error_number) {
    if (!error_) error_ = std::error_code(error_number, std::generic_category());
}

void AtomicFile::write(std::string_view bytes) {
    if (error_ || done_) return;
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
            return;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

std::error_code AtomicFile::commit() {
    if (done_) return error_;
    if (!error_ && ::fsync(fd_) != 0) fail(errno);
    if (!error_ && temp_.empty()) giveTemporaryAName();
    if (fd_ >= 0 && ::close(fd_) != 0) fail(errno);
    fd_ = -1;
    if (!error_ && ::rename(temp_.c_str(), target_.c_str()) != 0) fail(errno);
    if (error_) {
        discard();
        return error_;
    }
    done_ = true;
    // The rename is durable only once the folder entry is on disk.
    const int dir = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
        fail(errno);
    } else {
        if (::fsync(dir) != 0) fail(errno);
        ::close(dir);
    }
    return error_;
}

void AtomicFile::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    done_ = true;
}

std::error_code writeFileAtomically(const std::string& path, std::string_view bytes) {
    AtomicFile file(path);
    file.write(bytes);
    return file.commit();
}

bool readWholeFile(const std::string& path, std::string& out) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return false;
    }
    // One byte more than the file's size lets the first pass see the end of file; reading on until
    // then (rather than trusting st_size) copes with a file that grows while it is read.
    out.resize(st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 65536);
    std::size_t used = 0;
    for (;;) {
        if (used == out.size()) out.resize(out.size() * 2);
        const ssize_t n = ::read(fd, out.data() + used, out.size() - used);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            out.clear();
            return false;
        }
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    out.resize(used);
    return true;
}

}  // namespace tn
