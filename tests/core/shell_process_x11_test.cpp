// The real shell program under a private X server: one instance per desktop, no way to close it
// from the keyboard, an orderly end on a termination signal, and a clear stop on a broken settings file.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <memory>

#include "platform/linux/x11_windows.h"
#include "support/shell_copy.h"
#include "support/temp_dir.h"
#include "support/x_input.h"
#include "support/x_server.h"

namespace tn {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::eventually;

class ShellProcessTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        server = std::make_unique<test::XServer>(test::XServer::Options{GetParam()});
        ASSERT_TRUE(server->ok());
        x = std::make_unique<test::XConnection>(server->display());
        ASSERT_TRUE(x->ok());
        shell = test::copyShell(dir.path());
    }

    std::unique_ptr<ChildProcess> startShell() {
        return std::make_unique<ChildProcess>(
            std::vector<std::string>{shell},
            std::map<std::string, std::string>{{"DISPLAY", server->display()},
                                               {"QT_QPA_PLATFORM", "xcb"},
                                               {"TUMBLENEST_REGISTRY_MACHINE", dir.file("registry/machine")},
                                               {"TUMBLENEST_REGISTRY_USER", dir.file("registry/user")}});
    }
    bool shellShown(int count = 1) {
        return eventually([&] { return x->countMapped("Tumblenest") == count; }, 30s);
    }
    ino_t inode(const std::string& relative) {
        struct stat st {};
        return ::stat(dir.file(relative).c_str(), &st) == 0 ? st.st_ino : 0;
    }

    test::TempDir dir;
    std::unique_ptr<test::XServer> server;
    std::unique_ptr<test::XConnection> x;
    std::string shell;
};

TEST_P(ShellProcessTest, SecondInstanceBringsBackTheFirstAndEnds) {
    auto first = startShell();
    ASSERT_TRUE(shellShown());
    X11Windows windows(server->display());
    const auto id = windows.findByTitle("Tumblenest");
    ASSERT_TRUE(id);
    if (GetParam()) {
        // With a window manager the first shell is minimised, so coming back is visible.
        x->iconify(*id);
        ASSERT_TRUE(eventually([&] { return x->countMapped("Tumblenest") == 0; }));
    }
    auto second = startShell();
    EXPECT_EQ(second->wait(30s), 0);
    EXPECT_TRUE(shellShown(1));
    EXPECT_TRUE(first->running());
    if (GetParam()) {
        EXPECT_TRUE(eventually([&] { return windows.foreground() == id; }));
    }
}

TEST_P(ShellProcessTest, AltF4ClosesNothingAndATerminationSignalEndsTheShellInOrder) {
    auto proc = startShell();
    ASSERT_TRUE(shellShown());
    const ino_t before = inode("files/config.ini");
    x->pressKeys({XK_Alt_L, XK_F4});
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(proc->running());
    EXPECT_EQ(x->countMapped("Tumblenest"), 1);

    proc->kill(SIGTERM);
    EXPECT_EQ(proc->wait(30s), 0);
    // The close sequence replaced the settings file (an atomic save gives it a new inode).
    EXPECT_NE(inode("files/config.ini"), before);
}

TEST_P(ShellProcessTest, BrokenSettingsFileStopsWithAMessageAndWritesNothing) {
    for (int lines : {24, 25}) {
        std::string text;
        for (int i = 0; i < lines; ++i)
            text += (i == 5 ? "five" : "") + std::string("\r\n");
        dir.write("files/config.ini", text);
        auto proc = startShell();
        ASSERT_TRUE(eventually([&] { return x->countMapped("Tumblenest cannot start") == 1; }, 30s))
            << lines << " lines";
        EXPECT_EQ(x->countMapped("Tumblenest"), 0);
        // The box may take a moment to get the keyboard focus: press Enter until it has gone.
        EXPECT_TRUE(eventually([&] {
            x->pressKeys({XK_Return});
            return proc->wait(200ms) != -1;
        }));
        EXPECT_EQ(proc->wait(1s), 2);
        EXPECT_EQ(dir.read("files/config.ini"), text);
    }
}

INSTANTIATE_TEST_SUITE_P(WindowManager, ShellProcessTest, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "Openbox" : "NoWindowManager"; });

}  // namespace
}  // namespace tn
