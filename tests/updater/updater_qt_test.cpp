// The real updater program, run as the shell runs it: no arguments, from its own folder, with a
// leftover shell still running.
#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "fake_shell.h"
#include "support/temp_dir.h"
#include "support/x_server.h"

namespace tn::updater {
namespace {

using namespace std::chrono_literals;
using tn::test::ChildProcess;
using tn::test::TempDir;

// A folder laid out like an installation: the updater, a running shell, and whatever the test adds.
void installUpdater(const TempDir& dir) {
    std::string binary;
    if (FILE* in = std::fopen(TN_BIN_DIR "/update", "rb")) {
        char buffer[65536];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
            binary.append(buffer, got);
        std::fclose(in);
    }
    ASSERT_FALSE(binary.empty());
    dir.write("update", binary);
    ::chmod(dir.file("update").c_str(), 0755);
}

TEST(UpdaterProgramTest, WaitsEndsTheLeftoverShellSwapsAndStartsTheNewOne) {
    TempDir dir;
    installUpdater(dir);
    fake::installSleeper(dir, "tumblenest");
    fake::installSleeper(dir, "Tumblenest");
    dir.write("newexe.bin", fake::markerScript("new"));
    dir.write("restart.ini", "yes\r\nyes\r\n");
    fake::Running leftover(dir.file("tumblenest"));
    fake::Running other_case(dir.file("Tumblenest"));

    ChildProcess updater({dir.file("update")}, {});
    // The ending shell is given two seconds to go on its own.
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(leftover.endedBy(0ms), 0);
    EXPECT_EQ(dir.read("restart.ini"), "yes\r\nyes\r\n");

    EXPECT_EQ(updater.wait(20s), 0);
    EXPECT_EQ(leftover.endedBy(), SIGKILL);
    EXPECT_EQ(other_case.endedBy(), 0);
    EXPECT_EQ(dir.read("tumblenest"), fake::markerScript("new"));
    EXPECT_EQ(dir.read("restart.ini"), "no\r\nyes\r\n");
    ASSERT_TRUE(fake::eventually([&] { return dir.exists("started"); }));
    EXPECT_EQ(dir.read("started"), "new");
}

TEST(UpdaterProgramTest, MissingRestartFileIsReportedAndChangesNothing) {
    TempDir dir;
    installUpdater(dir);
    dir.write("tumblenest", fake::markerScript("old"));
    ::chmod(dir.file("tumblenest").c_str(), 0755);
    dir.write("newexe.bin", fake::markerScript("new"));

    ChildProcess updater({"/bin/sh", "-c", "exec \"$0\" 2>\"$1\"", dir.file("update"), dir.file("errors")},
                         {});
    // Past the timer and the clean-up, the updater waits with its message until it is closed.
    const std::string named = "\"" + dir.file("restart.ini") + "\"";
    EXPECT_TRUE(fake::eventually(
        [&] { return dir.exists("errors") && dir.read("errors").find(named) != std::string::npos; }, 15s))
        << dir.read("errors");
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(updater.running());
    EXPECT_EQ(dir.read("tumblenest"), fake::markerScript("old"));
    EXPECT_FALSE(dir.exists("started"));
    EXPECT_FALSE(dir.exists("restart.ini"));
}

}  // namespace
}  // namespace tn::updater
