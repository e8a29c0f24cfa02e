#include "platform/linux/linux_processes.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace tn {
namespace {

constexpr std::string_view kDeletedMark = " (deleted)";

// The pid a /proc entry names, or 0 for every entry that is not all digits.
int pidOf(const char* name) {
    if (name[0] < '1' || name[0] > '9') return 0;
    long value = 0;
    for (const char* c = name; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') return 0;
        value = value * 10 + (*c - '0');
        if (value > INT_MAX) return 0;
    }
    return static_cast<int>(value);
}

std::string executableOf(int pid) {
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return {};
    target.resize(static_cast<std::size_t>(length));
    if (target.size() > kDeletedMark.size() && target.ends_with(kDeletedMark)) {
        // The link still reaches the file itself: a link count of 0 says the mark is the kernel's.
        struct stat file {};
        if (::stat(link.c_str(), &file) == 0 && file.st_nlink == 0)
            target.resize(target.size() - kDeletedMark.size());
    }
    return target;
}

}  // namespace

std::vector<IProcesses::Process> LinuxProcesses::list() {
    std::vector<Process> processes;
    const std::unique_ptr<DIR, int (*)(DIR*)> proc(::opendir("/proc"), ::closedir);
    if (!proc) return processes;
    while (const dirent* entry = ::readdir(proc.get())) {
        const int pid = pidOf(entry->d_name);
        if (pid == 0) continue;
        processes.push_back({pid, executableOf(pid)});
    }
    return processes;
}

bool LinuxProcesses::terminate(int pid) {
    if (pid <= 1 || pid == ::getpid()) return false;
    return ::kill(pid, SIGKILL) == 0;
}

}  // namespace tn
