// Opening files, shortcuts and programs with real processes: what runs, where, with which
// arguments, detached from the test, and which failures are reported.
#include "platform/linux/linux_shell_open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "programs/shell_links.h"
#include "support/temp_dir.h"
#include "support/x_server.h"

namespace tn {
namespace {

using test::eventually;
using test::TempDir;
using Strings = std::vector<std::string>;

// Writes what it finds about itself into "report" beside itself.
constexpr const char* kReporter = R"sh(#!/bin/sh
here=$(dirname "$0")
{
    echo "stat $(cat /proc/$$/stat)"
    echo "dir $(pwd)"
    echo "stdin $(readlink /proc/$$/fd/0)"
    if [ -e "/proc/$$/fd/$TN_TEST_LEAK_FD" ]; then echo "leaked"; fi
    for a in "$@"; do echo "arg $a"; done
} >"$here/report.tmp"
mv "$here/report.tmp" "$here/report"
)sh";

struct Report {
    pid_t ppid = 0;
    pid_t session = 0;
    std::string dir;
    std::string stdin_path;
    bool leaked = false;
    Strings args;
};

Report parse(const std::string& text) {
    Report r;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("stat ", 0) == 0) {
            // "pid (name) state ppid group session ..."
            std::istringstream fields(line.substr(line.rfind(')') + 1));
            std::string state;
            pid_t group = 0;
            fields >> state >> r.ppid >> group >> r.session;
        } else if (line.rfind("dir ", 0) == 0) {
            r.dir = line.substr(4);
        } else if (line.rfind("stdin ", 0) == 0) {
            r.stdin_path = line.substr(6);
        } else if (line == "leaked") {
            r.leaked = true;
        } else if (line.rfind("arg ", 0) == 0) {
            r.args.push_back(line.substr(4));
        }
    }
    return r;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// This process's children, zombies included.
Strings children() {
    Strings out;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream in(task.path() / "children");
        std::string pid;
        while (in >> pid)
            out.push_back(pid);
    }
    return out;
}

class LinuxShellOpenTest : public ::testing::Test {
protected:
    LinuxShellOpenTest() {
        dir.write("My Programs/game", kReporter);
        ::chmod(script().c_str(), 0755);
        // A descriptor the test leaves open across exec; the started programs must not get it.
        leak_fd = ::open("/dev/null", O_RDONLY);
        ::setenv("TN_TEST_LEAK_FD", std::to_string(leak_fd).c_str(), 1);
    }
    ~LinuxShellOpenTest() override { ::close(leak_fd); }

    std::string folder() const { return dir.file("My Programs"); }
    std::string script() const { return dir.file("My Programs/game"); }
    std::string report() const { return dir.file("My Programs/report"); }

    TempDir dir;
    LinuxShellLinks links;
    LinuxShellOpen shell{links};
    int leak_fd = -1;
};

TEST_F(LinuxShellOpenTest, RunsProgramsShortcutsAndCommandLinesDetached) {
    dir.write("Game.desktop", "[Desktop Entry]\nType=Application\nName=Game\nExec=\"" + script() +
                                  "\" --level \"two words\" %U\nPath=" + dir.path() + "\n");
    ASSERT_TRUE(links.create(dir.file("Game.lnk"), {script(), "/tmp"}));
    dir.write("bin/tn-test-game", kReporter);
    ::chmod(dir.file("bin/tn-test-game").c_str(), 0755);
    const char* path = std::getenv("PATH");
    const std::string old_path = path != nullptr ? path : "/usr/bin:/bin";
    ::setenv("PATH", (dir.file("bin") + ":" + old_path).c_str(), 1);
    const auto desktop_target = links.resolve(dir.file("Game.desktop"));
    ASSERT_TRUE(desktop_target);

    struct Case {
        const char* what;
        std::function<bool()> run;
        std::string report;
        Strings args;
        std::string dir;
    };
    const Case cases[] = {
        {"executable with parameters",
         [&] { return shell.open("", script(), "--level \"two words\"", dir.path()); },
         report(),
         {"--level", "two words"},
         dir.path()},
        {"desktop entry",
         [&] { return shell.open("", dir.file("Game.desktop"), "", "/"); },
         report(),
         {"--level", "two words"},
         dir.path()},
        {"shell link",
         [&] { return shell.open("Open", dir.file("Game.lnk"), "", "/"); },
         report(),
         {},
         "/tmp"},
        {"command line",
         [&] { return shell.open("", "\"" + script() + "\" --fast", "", ""); },
         report(),
         {"--fast"},
         std::filesystem::current_path().string()},
        {"command found in PATH",
         [&] { return shell.open("", "tn-test-game x", "", "/"); },
         dir.file("bin/report"),
         {"x"},
         "/"},
        {"start, path with a space",
         [&] { return shell.start(script(), folder() + "/"); },
         report(),
         {},
         folder()},
        {"start, desktop entry's target",
         [&] { return shell.start(desktop_target->path, "/"); },
         report(),
         {"--level", "two words"},
         "/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(c.report);
        ASSERT_TRUE(c.run());
        // Nothing of the program is left for the test to reap, now or later.
        EXPECT_EQ(children(), Strings{});
        ASSERT_TRUE(eventually([&] { return std::filesystem::exists(c.report); }));
        const Report r = parse(readFile(c.report));
        EXPECT_EQ(r.args, c.args);
        EXPECT_EQ(r.dir, c.dir);
        EXPECT_EQ(r.stdin_path, "/dev/null");
        EXPECT_FALSE(r.leaked);
        EXPECT_NE(r.ppid, ::getpid());
        EXPECT_NE(r.session, ::getsid(0));
    }
    ::setenv("PATH", old_path.c_str(), 1);
}

TEST_F(LinuxShellOpenTest, HandsDocumentsAndAddressesToTheOpener) {
    dir.write("opener/open", kReporter);
    ::chmod(dir.file("opener/open").c_str(), 0755);
    dir.write("notes.txt", "hello");
    LinuxShellOpen with_opener(links, dir.file("opener/open"));
    for (const std::string& target :
         {dir.file("notes.txt"), dir.path(), std::string("https://example.org/a?b=c"),
          std::string("mailto:parent@example.org")}) {
        SCOPED_TRACE(target);
        std::filesystem::remove(dir.file("opener/report"));
        ASSERT_TRUE(with_opener.open("", target, "", folder()));
        ASSERT_TRUE(eventually([&] { return dir.exists("opener/report"); }));
        const Report r = parse(dir.read("opener/report"));
        EXPECT_EQ(r.args, Strings{target});
        EXPECT_EQ(r.dir, folder());
    }
    EXPECT_EQ(children(), Strings{});
}

TEST_F(LinuxShellOpenTest, ReportsWhatCouldNotStart) {
    dir.write("text.txt", "not a program");
    dir.write("Broken.desktop", "[Desktop Entry]\nType=Application\nName=B\nExec=/nonexistent/game\n");
    ASSERT_TRUE(links.create(dir.file("Loop.lnk"), {dir.file("Game.lnk"), ""}));
    ASSERT_TRUE(links.create(dir.file("Game.lnk"), {script(), ""}));
    LinuxShellOpen no_opener(links, dir.file("no-such-opener"));
    struct Case {
        const char* what;
        std::function<bool()> run;
    };
    const Case cases[] = {
        {"missing program", [&] { return shell.start(dir.file("missing"), ""); }},
        {"file that is no program", [&] { return shell.start(dir.file("text.txt"), ""); }},
        {"missing working folder", [&] { return shell.start(script(), dir.file("gone/")); }},
        {"empty program", [&] { return shell.start("", ""); }},
        {"command not in PATH", [&] { return shell.start("tn-no-such-command --x", ""); }},
        {"open a missing file", [&] { return shell.open("", dir.file("missing.pdf"), "", ""); }},
        {"open with another verb", [&] { return shell.open("print", script(), "", ""); }},
        {"open with an unclosed quote", [&] { return shell.open("", script(), "\"open", ""); }},
        {"desktop entry of a missing program",
         [&] { return shell.open("", dir.file("Broken.desktop"), "", ""); }},
        {"link to a link", [&] { return shell.open("", dir.file("Loop.lnk"), "", ""); }},
        {"missing opener", [&] { return no_opener.open("", dir.file("text.txt"), "", ""); }},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(c.run()) << c.what;
    }
    EXPECT_EQ(children(), Strings{});
    EXPECT_FALSE(dir.exists("My Programs/report"));
}

}  // namespace
}  // namespace tn
