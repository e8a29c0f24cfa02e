#include "processes.h"

#include <dirent.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <thread>

extern char** environ;

namespace tn::updater {
namespace {

// The target of a symbolic link; empty when it cannot be read (gone, a zombie, not ours to read).
std::string linkTarget(const std::string& link) {
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<std::size_t>(length) >= target.size()) return {};
    target.resize(static_cast<std::size_t>(length));
    return target;
}

bool runs(pid_t pid, const std::string& executable) {
    const std::string exe = linkTarget("/proc/" + std::to_string(pid) + "/exe");
    return exe == executable || exe == executable + " (deleted)";
}

bool ownedByUs(pid_t pid) {
    struct stat info {};
    return ::stat(("/proc/" + std::to_string(pid)).c_str(), &info) == 0 && info.st_uid == ::geteuid();
}

}  // namespace

std::string programFolder() {
    const std::string self = linkTarget("/proc/self/exe");
    const auto slash = self.find_last_of('/');
    return slash == std::string::npos ? std::string() : self.substr(0, slash + 1);
}

std::vector<pid_t> processesRunning(const std::string& executable) {
    std::vector<pid_t> found;
    DIR* proc = ::opendir("/proc");
    if (!proc) return found;
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(proc)) {
        const std::string_view name(entry->d_name);
        pid_t pid = 0;
        const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), pid);
        if (ec != std::errc{} || end != name.data() + name.size() || pid <= 0 || pid == self) continue;
        if (ownedByUs(pid) && runs(pid, executable)) found.push_back(pid);
    }
    ::closedir(proc);
    return found;
}

std::vector<pid_t> endProcessesRunning(const std::string& executable, std::chrono::milliseconds patience) {
    const std::vector<pid_t> found = processesRunning(executable);
    // A process that cannot be killed is left alone: the executable is replaced by a rename, which a
    // running process does not prevent.
    for (const pid_t pid : found)
        ::kill(pid, SIGKILL);
    // A killed process is gone for our purpose once its exe link is: a zombie has none, and a
    // process id that was reused meanwhile runs something else.
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (std::any_of(found.begin(), found.end(), [&](pid_t pid) { return runs(pid, executable); }) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return found;
}

std::error_code startDetached(const std::string& executable) {
    posix_spawnattr_t attributes;
    if (const int error = ::posix_spawnattr_init(&attributes)) return {error, std::system_category()};
    posix_spawn_file_actions_t actions;
    if (const int error = ::posix_spawn_file_actions_init(&actions)) {
        ::posix_spawnattr_destroy(&attributes);
        return {error, std::system_category()};
    }
    // A session of its own, default signal handling and mask, and none of our descriptors but the
    // standard ones: the shell must not depend on the updater, which ends at once.
    sigset_t none;
    sigset_t all;
    ::sigemptyset(&none);
    ::sigfillset(&all);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setsigdefault(&attributes, &all);
    ::posix_spawnattr_setflags(&attributes,
                               POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    std::string argument0 = executable;
    char* argv[] = {argument0.data(), nullptr};
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, executable.c_str(), &actions, &attributes, argv, environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attributes);
    return {error, std::system_category()};
}

}  // namespace tn::updater
