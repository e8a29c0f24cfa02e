#include "swap.h"

#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "fake_shell.h"
#include "file_ops.h"
#include "support/temp_dir.h"

namespace tn::updater {
namespace {

using tn::test::TempDir;

TEST(LeftoverShellsTest, EndsOnlyThisFoldersShellEvenWhenItsFileWasReplaced) {
    TempDir dir;
    fake::installSleeper(dir, "tumblenest");
    fake::installSleeper(dir, "Tumblenest");  // differs in case only
    fake::installSleeper(dir, "tumblenest-helper");
    fake::installSleeper(dir, "other/tumblenest");  // another installation
    fake::Running shell(dir.file("tumblenest"));
    fake::Running upper_case(dir.file("Tumblenest"));
    fake::Running helper(dir.file("tumblenest-helper"));
    fake::Running other(dir.file("other/tumblenest"));
    // An older shell whose file an earlier update replaced while it ran.
    fake::Running replaced(dir.file("tumblenest"));
    dir.write("newexe.bin", "#!/bin/sh\n");
    ASSERT_FALSE(replaceWithCopy(dir.file("newexe.bin"), dir.file("tumblenest")));
    fake::installSleeper(dir, "tumblenest");
    fake::Running current(dir.file("tumblenest"));

    std::vector<pid_t> ended = endLeftoverShells(dir.path() + "/");
    std::sort(ended.begin(), ended.end());
    std::vector<pid_t> expected{shell.pid(), replaced.pid(), current.pid()};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ended, expected);
    // The wait for them is over: none runs the shell any more.
    for (auto* process : {&shell, &replaced, &current})
        EXPECT_EQ(process->endedBy(), SIGKILL);
    for (auto* process : {&upper_case, &helper, &other})
        EXPECT_EQ(process->endedBy(), 0);

    EXPECT_TRUE(endLeftoverShells(dir.path() + "/").empty());
}

struct SwapCase {
    const char* name;
    std::optional<std::string> restart;  // nullopt: no restart file
    bool new_executable;                 // "newexe.bin" present
    bool error;
    bool replaced;
    const char* started;                       // marker of the shell that was started, "" for none
    std::optional<std::string> restart_after;  // nullopt: still no restart file
};

TEST(SwapTest, FollowsTheRestartFile) {
    const std::string old_shell = fake::markerScript("old");
    const std::string new_shell = fake::markerScript("new");
    const SwapCase cases[] = {
        {"start only: old shell restarted", "yes\r\n", true, false, false, "old", "no\r\n"},
        {"replace only: file left as it was", "no\nyes", true, false, true, "", "no\nyes"},
        {"replace and start", "yes\r\nyes\r\n", true, false, true, "new", "no\r\nyes\r\n"},
        {"further lines kept", "yes\r\nno\r\nextra\n", true, false, false, "old", "no\r\nno\r\nextra\r\n"},
        {"no restart file: nothing happens", std::nullopt, true, true, false, "", std::nullopt},
        {"no new executable: start still honoured", "yes\r\nyes\r\n", false, false, false, "old",
         "no\r\nyes\r\n"},
        {"neither", "no\r\nno\r\n", true, false, false, "", "no\r\nno\r\n"},
        {"empty restart file", "", true, false, false, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.write("tumblenest", old_shell);
        ::chmod(dir.file("tumblenest").c_str(), 0755);
        if (c.new_executable) dir.write("newexe.bin", new_shell);
        if (c.restart) dir.write("restart.ini", *c.restart);

        const SwapOutcome outcome = swapAndRestart(dir.path() + "/");

        EXPECT_EQ(!outcome.error.empty(), c.error) << outcome.error;
        if (c.error) {
            EXPECT_NE(outcome.error.find("\"" + dir.file("restart.ini") + "\""), std::string::npos);
        }
        EXPECT_EQ(outcome.replaced, c.replaced);
        EXPECT_FALSE(outcome.replace_error);
        EXPECT_EQ(dir.read("tumblenest"), c.replaced ? new_shell : old_shell);
        if (c.new_executable) {
            EXPECT_EQ(dir.read("newexe.bin"), new_shell) << "never deleted";
        }
        EXPECT_EQ(outcome.shell_started, *c.started != '\0');
        if (*c.started != '\0') {
            EXPECT_TRUE(fake::eventually([&] { return dir.exists("started"); }));
            EXPECT_EQ(dir.read("started"), c.started);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            EXPECT_FALSE(dir.exists("started"));
        }
        EXPECT_EQ(dir.exists("restart.ini"), c.restart_after.has_value());
        if (c.restart_after) {
            EXPECT_EQ(dir.read("restart.ini"), *c.restart_after);
        }
    }
}

TEST(SwapTest, SecondRunAfterReplaceAndStartCopiesAgainButStartsNothing) {
    TempDir dir;
    dir.write("tumblenest", fake::markerScript("old"));
    dir.write("newexe.bin", fake::markerScript("new"));
    dir.write("restart.ini", "yes\r\nyes\r\n");
    ASSERT_TRUE(swapAndRestart(dir.path() + "/").shell_started);
    ASSERT_TRUE(fake::eventually([&] { return dir.exists("started"); }));
    ::unlink(dir.file("started").c_str());
    dir.write("newexe.bin", fake::markerScript("newer"));

    const SwapOutcome again = swapAndRestart(dir.path() + "/");
    EXPECT_TRUE(again.replaced);
    EXPECT_FALSE(again.shell_started);
    EXPECT_EQ(dir.read("tumblenest"), fake::markerScript("newer"));
    EXPECT_EQ(dir.read("restart.ini"), "no\r\nyes\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(dir.exists("started"));
}

TEST(SwapTest, FailedCopyKeepsTheOldShellWholeAndStillStartsIt) {
    TempDir dir;
    dir.write("tumblenest", fake::markerScript("old"));
    ::chmod(dir.file("tumblenest").c_str(), 0755);
    dir.write("newexe.bin/not-a-file", "");
    dir.write("restart.ini", "yes\r\nyes\r\n");

    const SwapOutcome outcome = swapAndRestart(dir.path() + "/");
    EXPECT_TRUE(outcome.error.empty()) << outcome.error;
    EXPECT_FALSE(outcome.replaced);
    EXPECT_TRUE(outcome.replace_error);
    EXPECT_EQ(dir.read("tumblenest"), fake::markerScript("old"));
    EXPECT_TRUE(fake::eventually([&] { return dir.exists("started"); }));
    EXPECT_EQ(dir.read("started"), "old");
}

TEST(SwapTest, ShellThatCannotBeStartedIsReported) {
    TempDir dir;
    dir.write("restart.ini", "yes\r\n");
    const SwapOutcome outcome = swapAndRestart(dir.path() + "/");
    EXPECT_FALSE(outcome.shell_started);
    EXPECT_NE(outcome.error.find("\"" + dir.file("tumblenest") + "\""), std::string::npos) << outcome.error;
}

}  // namespace
}  // namespace tn::updater
