#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <vector>

namespace tn {
namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

AtomicFile::AtomicFile(std::string target_path) : target_(std::move(target_path)) {
    // mkstemp gives a unique name, so two saves of the same file never share a temporary. The
    // leading dot and the ".tmp-" part let a reader of the folder tell a stray temporary apart.
    const std::string folder = folderOf(target_);
    const auto slash = target_.find_last_of('/');
    const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    std::string pattern = folder + "/." + base + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) {
        fail(errno);
        return;
    }
    temp_.assign(name.data());
    // Keep the permissions of the file being replaced, so a save never widens or narrows access.
    struct stat st {};
    const mode_t mode = ::stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    if (::fchmod(fd_, mode) != 0) fail(errno);
}

AtomicFile::~AtomicFile() {
    if (!done_) discard();
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
