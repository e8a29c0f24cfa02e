#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace tn::test {

// A private X server (Xvfb) for one test, optionally with a window manager (openbox), so tests that
// need real X run side by side without disturbing each other or the developer's own desktop.
class XServer {
public:
    struct Options {
        bool window_manager = false;
        int width = 1024;
        int height = 768;
    };
    explicit XServer(Options options);
    XServer() : XServer(Options{}) {}
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // ":N"; empty when the server could not be started (ok() is then false).
    const std::string& display() const { return display_; }
    bool ok() const { return !display_.empty(); }

private:
    std::string display_;
    pid_t server_ = -1;
    pid_t window_manager_ = -1;
};

// A child process started with fork/exec; its environment is this process's plus `env`.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env);
    ~ChildProcess();  // kills the process if it is still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // Waits for the exit; returns the exit code, 128 + signal when killed, or -1 on time-out.
    int wait(std::chrono::milliseconds timeout);
    bool running();
    void kill(int signal);

private:
    pid_t pid_ = -1;
    int status_ = -1;
    bool reaped_ = false;
};

// Polls condition every 20 ms until it holds or timeout passes; returns its last value.
template <typename F>
bool eventually(F condition, std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace tn::test

#include <thread>

template <typename F>
bool tn::test::eventually(F condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
