// A whole parental session with the real shell under a private X server: the first password, the
// child's locked keys, the way into the administration panel and back.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <memory>
#include <thread>

#include "access/scramble.h"
#include "core/list_file.h"
#include "support/shell_copy.h"
#include "support/temp_dir.h"
#include "support/x_input.h"
#include "support/x_server.h"

namespace tn {
namespace {

using namespace std::chrono_literals;
using test::eventually;
using test::XConnection;

constexpr int kBadAccess = 10;

struct Combination {
    const char* what;
    unsigned long key;
    unsigned modifiers;
};
const Combination kLocked[] = {
    {"Alt+Tab", XK_Tab, XConnection::kAlt},
    {"Alt+Tab with NumLock", XK_Tab, XConnection::kAlt | XConnection::kNumLock},
    {"Ctrl+Alt+Escape", XK_Escape, XConnection::kCtrl | XConnection::kAlt},
    {"Ctrl+Alt+F4", XK_F4, XConnection::kCtrl | XConnection::kAlt},
    {"Super", XK_Super_L, 0},
};

class ParentalSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        server = std::make_unique<test::XServer>();
        ASSERT_TRUE(server->ok());
        x = std::make_unique<XConnection>(server->display());
        shell = test::copyShell(dir.path());
        test::setShellPassword(dir.path(), "");  // a new installation
    }
    std::unique_ptr<test::ChildProcess> start() {
        return std::make_unique<test::ChildProcess>(
            std::vector<std::string>{shell},
            std::map<std::string, std::string>{{"DISPLAY", server->display()},
                                               {"QT_QPA_PLATFORM", "xcb"},
                                               {"TUMBLENEST_REGISTRY_MACHINE", dir.file("registry/machine")},
                                               {"TUMBLENEST_REGISTRY_USER", dir.file("registry/user")}});
    }
    // Whether another program can take every locked combination (true) or none of them (false).
    bool allFree(bool free) {
        for (const Combination& c : kLocked) {
            if ((x->tryGrab(c.key, c.modifiers) != kBadAccess) != free) return false;
        }
        return true;
    }
    bool shown(const std::string& title, int count = 1) {
        return eventually([&] { return x->countMapped(title) == count; }, 30s);
    }
    std::string line0() {
        TextList lines;
        loadListFile(dir.file("files/config.ini"), lines);
        return std::string(lines.at_or_empty(0));
    }

    test::TempDir dir;
    std::unique_ptr<test::XServer> server;
    std::unique_ptr<XConnection> x;
    std::string shell;
};

TEST_F(ParentalSessionTest, FirstPasswordLockedKeysAdministrationAndBack) {
    auto proc = start();
    ASSERT_TRUE(shown("Set Password"));
    EXPECT_TRUE(allFree(false)) << "the child's screen is locked from the start";

    // The first password, typed twice.
    std::this_thread::sleep_for(300ms);
    x->typeText("kite42");
    x->pressKeys({XK_Tab});
    x->typeText("kite42");
    x->pressKeys({XK_Return});
    ASSERT_TRUE(eventually([&] { return line0() == ScrambleText("kite42"); }, 30s)) << [&] {
        std::string out = "line 0 has " + std::to_string(line0().size()) + " bytes; windows:";
        for (const std::string& t : x->mappedTitles())
            out += " [" + t + "]";
        return out;
    }();
    // "Password Saved" is acknowledged with Enter; then the form has gone.
    ASSERT_TRUE(eventually([&] {
        x->pressKeys({XK_Return});
        return x->countMapped("Tumblenest") == 1 && x->countMapped("Set Password") == 0;
    }));

    // The gear, the password, and the administration panel: nothing is locked any more.
    x->click(1024 - 13, 13);
    ASSERT_TRUE(shown("Password"));
    std::this_thread::sleep_for(300ms);
    x->typeText("kite42");
    x->pressKeys({XK_Return});
    ASSERT_TRUE(shown("Password", 0));
    EXPECT_TRUE(eventually([&] { return allFree(true); }));

    // "Return to Tumblenest", the second button of the panel's row: locked again.
    x->click(160 + 80, 16);
    EXPECT_TRUE(eventually([&] { return allFree(false); }));

    proc->kill(SIGTERM);
    EXPECT_EQ(proc->wait(30s), 0);
    EXPECT_TRUE(allFree(true)) << "the grabs end with the shell";
}

}  // namespace
}  // namespace tn
