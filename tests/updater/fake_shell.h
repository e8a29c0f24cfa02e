#pragma once

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace tn::updater::fake {

// Stand-ins for the shell: a real executable file that stays running (a copy of sleep, so that
// /proc/<pid>/exe names the copy, which a script would not), and a script that leaves a marker.
inline void installSleeper(const tn::test::TempDir& dir, const std::string& name) {
    std::string binary;
    if (FILE* in = std::fopen("/bin/sleep", "rb")) {
        char buffer[65536];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
            binary.append(buffer, got);
        std::fclose(in);
    }
    dir.write(name, binary);
    ::chmod(dir.file(name).c_str(), 0755);
}

// A shell that writes "<tag>" into "started" next to itself when it runs.
inline std::string markerScript(const std::string& tag) {
    return "#!/bin/sh\nprintf " + tag + " > \"${0%/*}/started\"\n";
}

inline std::string exeOf(pid_t pid) {
    char target[4096];
    const ssize_t length =
        ::readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), target, sizeof target);
    return length > 0 ? std::string(target, static_cast<std::size_t>(length)) : std::string();
}

// A child process running path; killed and reaped when the object goes.
class Running {
public:
    explicit Running(const std::string& path) : pid_(::fork()) {
        if (pid_ == 0) {
            ::execl(path.c_str(), path.c_str(), "600", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (exeOf(pid_) != path && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~Running() {
        if (reaped_) return;  // its id may belong to another process by now
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

    pid_t pid() const { return pid_; }
    // The signal that ended it, 0 while it runs (or if it exited). A process that has just been
    // killed may take a moment to become waitable: it is waited for up to `wait`.
    int endedBy(std::chrono::milliseconds wait = std::chrono::seconds(1)) {
        if (reaped_) return signal_;
        for (auto waited = std::chrono::milliseconds(0);; waited += std::chrono::milliseconds(20)) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                reaped_ = true;
                signal_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
                return signal_;
            }
            if (waited >= wait) return 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

private:
    pid_t pid_;
    bool reaped_ = false;
    int signal_ = 0;
};

template <typename F>
bool eventually(F condition, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace tn::updater::fake
