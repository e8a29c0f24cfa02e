// Real processes: the test starts children, finds them through /proc and ends them.
#include "platform/linux/linux_processes.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "lockdown/desktop_policy.h"
#include "platform/doubles/recording.h"
#include "support/temp_dir.h"

extern char** environ;

namespace tn {
namespace {

std::string realPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? resolved : "";
}

// A child running `program 30`; killed and reaped at the end unless the test reaped it.
class Child {
public:
    explicit Child(const std::string& program) {
        std::string seconds = "30";
        char* argv[] = {const_cast<char*>(program.c_str()), seconds.data(), nullptr};
        if (::posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ) != 0) pid_ = 0;
    }
    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            reap();
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    int pid() const { return pid_; }
    // Waits for the child; returns the signal that ended it, 0 when it exited.
    int reap() {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = 0;
        return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }

private:
    pid_t pid_ = 0;
};

std::optional<std::string> listedExecutable(LinuxProcesses& processes, int pid) {
    for (const auto& p : processes.list()) {
        if (p.pid == pid) return p.executable;
    }
    return std::nullopt;
}

const std::string kSleep = realPath("/bin/sleep");

TEST(LinuxProcesses, FindsAChildByItsExecutableAndKillsIt) {
    ASSERT_FALSE(kSleep.empty());
    LinuxProcesses processes;
    Child child(kSleep);
    ASSERT_GT(child.pid(), 0);

    EXPECT_EQ(listedExecutable(processes, child.pid()), kSleep);
    EXPECT_EQ(listedExecutable(processes, ::getpid()), realPath("/proc/self/exe"));

    EXPECT_TRUE(processes.terminate(child.pid()));
    EXPECT_EQ(child.reap(), SIGKILL);
}

TEST(LinuxProcesses, RefusesPidsThatReachGroupsInitOrTheShellItself) {
    LinuxProcesses processes;
    // 0 and negative pids would signal whole process groups or every process; we would not survive.
    for (const int pid : {0, -1, 1, ::getpid(), -::getpid(), INT_MIN}) {
        SCOPED_TRACE(pid);
        EXPECT_FALSE(processes.terminate(pid));
    }
    // A pid above the kernel's limit names no process.
    EXPECT_FALSE(processes.terminate(INT_MAX));
}

TEST(LinuxProcesses, ListsAReplacedExecutableUnderItsOriginalPath) {
    ASSERT_FALSE(kSleep.empty());
    test::TempDir dir;
    const std::string removed = realPath(dir.path()) + "/game";
    const std::string marked = realPath(dir.path()) + "/game (deleted)";
    for (const auto& copy : {removed, marked})
        std::filesystem::copy_file(kSleep, copy);
    LinuxProcesses processes;
    Child removed_child(removed);
    Child marked_child(marked);
    ASSERT_GT(removed_child.pid(), 0);
    ASSERT_GT(marked_child.pid(), 0);
    std::filesystem::remove(removed);

    EXPECT_EQ(listedExecutable(processes, removed_child.pid()), removed);
    // A mark that is part of an existing file's name stays.
    EXPECT_EQ(listedExecutable(processes, marked_child.pid()), marked);
}

// The follow-up of the desktop lock against real processes: only the exact name is ended.
TEST(LinuxProcesses, DesktopPolicyFollowUpEndsOnlyTheExactSidebarName) {
    ASSERT_FALSE(kSleep.empty());
    test::TempDir dir;
    const std::string exact = dir.file("sidebar.exe");
    const std::string other_case = dir.file("Sidebar.exe");
    for (const auto& copy : {exact, other_case})
        std::filesystem::copy_file(kSleep, copy);
    Child sidebar(exact);
    Child look_alike(other_case);
    ASSERT_GT(sidebar.pid(), 0);
    ASSERT_GT(look_alike.pid(), 0);

    auto log = std::make_shared<CallLog>();
    MemoryRegistry registry(log);
    RecordingShellOpen shell(log);
    RecordingLockdown lockdown(log);
    LinuxProcesses processes;
    DesktopPolicy policy(
        registry, shell, processes, lockdown, true, [] {}, [](std::string_view) {});
    policy.DelayLockdouwnW7Timer();

    EXPECT_EQ(sidebar.reap(), SIGKILL);
    EXPECT_TRUE(policy.sidebarFlag());
    EXPECT_EQ(::kill(look_alike.pid(), 0), 0) << "the look-alike must still run";
}

}  // namespace
}  // namespace tn
