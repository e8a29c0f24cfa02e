#include "file_ops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace tn::updater {
namespace {

std::error_code lastError() {
    return {errno, std::system_category()};
}

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

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A file descriptor that is closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and says whether the close worked (a failed close can mean lost data).
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// The temporary for target: created next to it, filled by fill, synced, given the permissions and
// renamed over target. Whatever goes wrong removes the temporary and leaves target as it was.
template <typename Fill>
std::error_code replaceAtomically(const std::string& target, mode_t default_mode, bool executable,
                                  Fill fill) {
    struct stat old {};
    mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 0777) : default_mode;
    // An executable that lost its execute bits somehow must not come back as one that cannot be
    // started: whoever may read it may run it.
    if (executable) mode |= (mode & 0444) >> 2;

    const std::string folder = folderOf(target);
    std::string temp = folder + "/." + nameOf(target) + ".tmp-XXXXXX";
    Descriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.valid()) return lastError();

    std::error_code error;
    if (!fill(fd.get(), error)) {
        if (!error) error = lastError();
    } else if (::fchmod(fd.get(), mode) != 0 || ::fsync(fd.get()) != 0 || !fd.close()) {
        error = lastError();
    } else if (::rename(temp.c_str(), target.c_str()) != 0) {
        error = lastError();
    }
    if (error) {
        ::unlink(temp.c_str());
        return error;
    }
    // The new file is in place from here on. Syncing the folder makes the rename itself durable;
    // should that fail, there is nothing left to undo.
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid()) ::fsync(dir.get());
    return {};
}

}  // namespace

std::error_code readWholeFile(const std::string& path, std::string& out) {
    out.clear();
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) return lastError();
    std::vector<char> buffer(64 * 1024);
    while (true) {
        const ssize_t got = ::read(fd.get(), buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            const auto error = lastError();
            out.clear();
            return error;
        }
        if (got == 0) return {};
        out.append(buffer.data(), static_cast<std::size_t>(got));
    }
}

std::error_code writeFileAtomically(const std::string& path, std::string_view bytes) {
    return replaceAtomically(path, 0644, false,
                             [&](int fd, std::error_code&) { return writeAll(fd, bytes); });
}

std::error_code replaceWithCopy(const std::string& source, const std::string& target) {
    Descriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid()) return lastError();
    struct stat info {};
    if (::fstat(in.get(), &info) != 0) return lastError();
    if (!S_ISREG(info.st_mode)) return std::make_error_code(std::errc::invalid_argument);

    return replaceAtomically(target, 0755, true, [&](int out, std::error_code& error) {
        std::vector<char> buffer(256 * 1024);
        while (true) {
            const ssize_t got = ::read(in.get(), buffer.data(), buffer.size());
            if (got < 0) {
                if (errno == EINTR) continue;
                error = lastError();
                return false;
            }
            if (got == 0) return true;
            if (!writeAll(out, {buffer.data(), static_cast<std::size_t>(got)})) return false;
        }
    });
}

}  // namespace tn::updater
