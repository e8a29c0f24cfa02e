#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_shell.h"
#include "file_ops.h"
#include "support/temp_dir.h"

namespace tn::updater {
namespace {

using tn::test::TempDir;

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

mode_t permissions(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(UpdaterFilesTest, AtomicWriteReplacesContentAndKeepsPermissions) {
    TempDir dir;
    dir.write("restart.ini", "yes\r\nyes\r\n");
    ::chmod(dir.file("restart.ini").c_str(), 0640);
    ASSERT_FALSE(writeFileAtomically(dir.file("restart.ini"), "no\r\nyes\r\n"));
    EXPECT_EQ(dir.read("restart.ini"), "no\r\nyes\r\n");
    EXPECT_EQ(permissions(dir.file("restart.ini")), 0640u);

    ASSERT_FALSE(writeFileAtomically(dir.file("new.ini"), "no\r\n"));
    EXPECT_EQ(dir.read("new.ini"), "no\r\n");
    EXPECT_EQ(permissions(dir.file("new.ini")), 0644u);
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"new.ini", "restart.ini"}));
}

TEST(UpdaterFilesTest, FailedReplacementKeepsTheOldFileAndLeavesNoTemporary) {
    TempDir dir;
    dir.write("tumblenest", "old shell");
    dir.write("target-is-a-folder/x", "");
    dir.write("folder/inside", "");

    // Source missing, source not a regular file, target that cannot be renamed over.
    EXPECT_TRUE(replaceWithCopy(dir.file("newexe.bin"), dir.file("tumblenest")));
    EXPECT_TRUE(replaceWithCopy(dir.file("folder"), dir.file("tumblenest")));
    dir.write("newexe.bin", "new shell");
    EXPECT_TRUE(replaceWithCopy(dir.file("newexe.bin"), dir.file("target-is-a-folder")));
    EXPECT_TRUE(writeFileAtomically(dir.file("target-is-a-folder"), "text"));
    EXPECT_TRUE(writeFileAtomically(dir.file("no-such-folder/restart.ini"), "text"));

    EXPECT_EQ(dir.read("tumblenest"), "old shell");
    EXPECT_EQ(folderEntries(dir.path()),
              (std::vector<std::string>{"folder", "newexe.bin", "target-is-a-folder", "tumblenest"}));
    EXPECT_EQ(folderEntries(dir.file("target-is-a-folder")), std::vector<std::string>{"x"});
}

TEST(UpdaterFilesTest, CopyReplacesARunningExecutableWhichCarriesOn) {
    TempDir dir;
    fake::installSleeper(dir, "tumblenest");
    ::chmod(dir.file("tumblenest").c_str(), 0750);
    dir.write("newexe.bin", "#!/bin/sh\nexit 0\n");  // the download keeps no executable bit
    fake::Running running(dir.file("tumblenest"));
    ASSERT_EQ(fake::exeOf(running.pid()), dir.file("tumblenest"));

    // Writing into the file of a running program is refused (ETXTBSY); replacing the file is not.
    EXPECT_FALSE(replaceWithCopy(dir.file("newexe.bin"), dir.file("tumblenest")));
    EXPECT_EQ(dir.read("tumblenest"), "#!/bin/sh\nexit 0\n");
    EXPECT_EQ(permissions(dir.file("tumblenest")), 0750u);
    EXPECT_EQ(dir.read("newexe.bin"), "#!/bin/sh\nexit 0\n");
    EXPECT_EQ(fake::exeOf(running.pid()), dir.file("tumblenest") + " (deleted)") << "it carries on";
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"newexe.bin", "tumblenest"}));
}

TEST(UpdaterFilesTest, CopiedExecutableCanAlwaysBeRun) {
    TempDir dir;
    dir.write("newexe.bin", "#!/bin/sh\n");
    ::chmod(dir.file("newexe.bin").c_str(), 0600);
    ASSERT_FALSE(replaceWithCopy(dir.file("newexe.bin"), dir.file("tumblenest")));
    EXPECT_EQ(permissions(dir.file("tumblenest")), 0755u) << "no shell before";

    ::chmod(dir.file("tumblenest").c_str(), 0640);
    ASSERT_FALSE(replaceWithCopy(dir.file("newexe.bin"), dir.file("tumblenest")));
    EXPECT_EQ(permissions(dir.file("tumblenest")), 0750u) << "a shell without execute bits";
}

}  // namespace
}  // namespace tn::updater
