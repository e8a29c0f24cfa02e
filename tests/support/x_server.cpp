#include "support/x_server.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace tn::test {
namespace {

pid_t spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
            int keep_fd = -1) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    // Child: its own process group, and killed with the test process, so that a test that dies never
    // leaves an X server or a shell running.
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    for (const auto& [k, v] : env)
        ::setenv(k.c_str(), v.c_str(), 1);
    if (keep_fd < 0) {
        // Quiet children: their chatter would bury the test's own output.
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0 && std::getenv("TN_TEST_VERBOSE") == nullptr) {
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
    }
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
}

bool windowManagerRunning(const std::string& display) {
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return false;
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW, &type,
                                          &format, &items, &after, &data) == Success &&
                       items == 1;
    if (data) XFree(data);
    XCloseDisplay(d);
    return found;
}

// openbox names itself before it acts on map requests, and a window mapped in between stays unmapped;
// a probe window that it has taken on (given WM_STATE) shows that it is ready.
bool windowManagerManages(const std::string& display) {
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return false;
    const Atom wm_state = XInternAtom(d, "WM_STATE", False);
    bool managed = false;
    for (int attempt = 0; attempt < 20 && !managed; ++attempt) {
        const Window probe = XCreateSimpleWindow(d, XDefaultRootWindow(d), 0, 0, 10, 10, 0, 0, 0);
        XMapWindow(d, probe);
        XSync(d, False);
        managed = eventually(
            [&] {
                Atom type = None;
                int format = 0;
                unsigned long items = 0, after = 0;
                unsigned char* data = nullptr;
                const bool has = XGetWindowProperty(d, probe, wm_state, 0, 2, False, AnyPropertyType, &type,
                                                    &format, &items, &after, &data) == Success &&
                                 items > 0;
                if (data) XFree(data);
                return has;
            },
            std::chrono::milliseconds(500));
        XDestroyWindow(d, probe);
        XSync(d, False);
    }
    XCloseDisplay(d);
    return managed;
}

}  // namespace

XServer::XServer(Options options) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    const std::string screen = std::to_string(options.width) + "x" + std::to_string(options.height) + "x24";
    server_ = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten", "tcp",
                     "-noreset"},
                    {}, fds[1]);
    ::close(fds[1]);
    // Xvfb writes the display number it picked once it accepts connections.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (::poll(&p, 1, 200) <= 0) continue;
        char buf[32];
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n <= 0) break;
        number.append(buf, static_cast<std::size_t>(n));
        if (number.find('\n') != std::string::npos) break;
    }
    ::close(fds[0]);
    while (!number.empty() && (number.back() == '\n' || number.back() == ' '))
        number.pop_back();
    if (number.empty()) return;
    display_ = ":" + number;
    if (options.window_manager) {
        window_manager_ = spawn({"openbox", "--sm-disable"}, {{"DISPLAY", display_}});
        if (!eventually([&] { return windowManagerRunning(display_); }) || !windowManagerManages(display_)) {
            display_.clear();
        }
    }
}

XServer::~XServer() {
    for (pid_t pid : {window_manager_, server_}) {
        if (pid <= 0) continue;
        ::kill(pid, SIGTERM);
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::map<std::string, std::string>& env)
    : pid_(spawn(argv, env)) {}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && running()) {
        ::kill(pid_, SIGKILL);
        wait(std::chrono::seconds(5));
    }
}

bool ChildProcess::running() {
    if (reaped_ || pid_ <= 0) return false;
    int status = 0;
    const pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
        status_ = status;
        reaped_ = true;
        return false;
    }
    return r == 0;
}

int ChildProcess::wait(std::chrono::milliseconds timeout) {
    if (!eventually([&] { return !running(); }, timeout)) return -1;
    if (WIFEXITED(status_)) return WEXITSTATUS(status_);
    if (WIFSIGNALED(status_)) return 128 + WTERMSIG(status_);
    return -1;
}

void ChildProcess::kill(int signal) {
    if (pid_ > 0 && !reaped_) ::kill(pid_, signal);
}

}  // namespace tn::test
