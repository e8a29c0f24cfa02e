#include "core/atomic_file.h"

#include <dirent.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/list_file.h"
#include "core/text_list.h"
#include "support/temp_dir.h"

namespace tn {
namespace {

using Names = std::vector<std::string>;

Names folderEntries(const std::string& folder) {
    Names names;
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

// Runs body in a child process and returns its wait status. The child never returns into the test.
int inChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

// What a child reports: 0 for a save that worked, else the error number it got.
int saveResult(const std::string& path, const TextList& list) {
    const std::error_code error = saveListFile(path, list);
    return error ? error.value() : 0;
}

TextList domainList(char tag, int count) {
    TextList list;
    for (int i = 0; i < count; ++i) {
        list.append(std::string(1, tag) + "-" + std::to_string(i) + ".tracker-" + std::string(1, tag) +
                    std::to_string(i * 7919 % 10007) + ".example.com");
    }
    return list;
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// A writer killed at any moment leaves the file whole: one of the two contents it keeps saving.
// Killed writers cannot remove their temporaries; the next save removes them.
TEST(AtomicFileCrash, KilledWriterLeavesAWholeFileAndNoTemporaries) {
    test::TempDir dir;
    const std::string target = dir.file("blocked.ini");
    const TextList lists[2] = {domainList('a', 12000), domainList('b', 9000)};
    const std::string texts[2] = {lists[0].toText(), lists[1].toText()};
    ASSERT_GT(texts[1].size(), 300000u);
    ASSERT_FALSE(saveListFile(target, lists[0]));

    // Spread the kills over a few whole saves, timed as the writers below run: in a new process,
    // whose first save also pays for starting up.
    const auto start = std::chrono::steady_clock::now();
    const int timed = inChild([&] { return saveResult(target, lists[1]); });
    ASSERT_TRUE(WIFEXITED(timed) && WEXITSTATUS(timed) == 0);
    const auto one_save =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    const long longest_delay = std::clamp(3 * one_save.count(), 2000L, 30000L);

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> delay(0, longest_delay);
    int seen[2] = {0, 0};
    for (int round = 0; round < 200; ++round) {
        const pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            for (auto i = static_cast<unsigned>(round);; ++i) {
                if (saveListFile(target, lists[i % 2])) ::_exit(1);
            }
        }
        ::usleep(static_cast<useconds_t>(delay(random)));
        ::kill(writer, SIGKILL);
        int status = 0;
        ::waitpid(writer, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the writer stopped on its own";

        std::string now;
        ASSERT_TRUE(readWholeFile(target, now));
        const int which = now == texts[0] ? 0 : now == texts[1] ? 1 : -1;
        ASSERT_NE(which, -1) << "torn file after kill " << round << ": " << now.size() << " bytes";
        ++seen[which];
        // Each save removes what earlier killed writers left, so at most the last one's remains.
        ASSERT_LE(folderEntries(dir.path()).size(), 2u) << "after kill " << round;
    }
    // Both contents were published between kills: the kills really did land across whole saves.
    EXPECT_GE(seen[0], 3);
    EXPECT_GE(seen[1], 3);

    ASSERT_FALSE(saveListFile(target, lists[0]));
    EXPECT_EQ(folderEntries(dir.path()), Names{"blocked.ini"});
    EXPECT_TRUE(dir.read("blocked.ini") == texts[0]);
}

TEST(AtomicFile, SaveRemovesTemporariesOnlyOfItsTargetWhoseWriterIsGone) {
    test::TempDir dir;
    dir.write("sites.ini", "old\r\n");
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const pid_t running = ::fork();
    if (running == 0) {
        ::pause();
        ::_exit(0);
    }
    const std::string g = std::to_string(gone);
    const Names removed = {".sites.ini.tmp-" + g + "-Ab3xYz", ".sites.ini.tmp-" + g + "-u17"};
    const Names kept = {
        ".sites.ini.tmp-" + std::to_string(running) + "-Ab3xYz",     // its writer is still at work
        ".sites.ini.tmp-" + std::to_string(::getpid()) + "-Ab3xYz",  // another thread here may be
        ".apps.ini.tmp-" + g + "-Ab3xYz",                            // another file's
        ".sites.ini.tmp-" + g + "-",
        ".sites.ini.tmp-" + g + "-a.b",
        ".sites.ini.tmp-" + g,
        ".sites.ini.tmp-x" + g + "-Ab3xYz",
        "sites.ini.tmp-" + g + "-Ab3xYz",
        ".sites.ini.bak",
    };
    for (const auto& name : removed)
        dir.write(name, "stray");
    for (const auto& name : kept)
        dir.write(name, "stray");

    EXPECT_FALSE(saveListFile(dir.file("sites.ini"), TextList::fromLines({"new"})));
    ::kill(running, SIGKILL);
    ::waitpid(running, nullptr, 0);

    Names expected = kept;
    expected.push_back("sites.ini");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folderEntries(dir.path()), expected);
    EXPECT_EQ(dir.read("sites.ini"), "new\r\n");
}

// The file system refuses to grow the file (as when the disk is full): the old file stays.
TEST(AtomicFileFailure, WriteErrorKeepsOldFileAndRemovesTemporary) {
    test::TempDir dir;
    const std::string target = dir.file("blocked.ini");
    dir.write("blocked.ini", "old\r\n");
    const int status = inChild([&] {
        const rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_IGN);
        return saveResult(target, domainList('z', 20000));
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), EFBIG);
    EXPECT_EQ(dir.read("blocked.ini"), "old\r\n");
    EXPECT_EQ(folderEntries(dir.path()), Names{"blocked.ini"});
}

// Run as a user without write access (root ignores folder permissions, so the child drops to nobody).
TEST(AtomicFileFailure, ReadOnlyFolderKeepsOldFile) {
    test::TempDir dir;
    dir.write("ro/list.ini", "old\r\n");
    ASSERT_EQ(::chmod(dir.path().c_str(), 0711), 0);
    ASSERT_EQ(::chmod(dir.file("ro").c_str(), 0555), 0);
    const int status = inChild([&] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) return 255;
        return saveResult(dir.file("ro/list.ini"), TextList::fromLines({"new"}));
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), EACCES);
    EXPECT_EQ(dir.read("ro/list.ini"), "old\r\n");
    EXPECT_EQ(folderEntries(dir.file("ro")), Names{"list.ini"});
}

TEST(AtomicFileFailure, UnusableTargetPathsReportTheError) {
    test::TempDir dir;
    dir.write("folder/inside.ini", "x");
    dir.write("plain.ini", "x");
    const struct {
        const char* path;
        int error;
    } cases[] = {
        {"nofolder/list.ini", ENOENT},
        {"folder", EISDIR},
        {"plain.ini/list.ini", ENOTDIR},
    };
    const Names before = folderEntries(dir.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const std::error_code error = saveListFile(dir.file(c.path), TextList::fromLines({"new"}));
        EXPECT_EQ(error.value(), c.error) << error.message();
    }
    EXPECT_EQ(folderEntries(dir.path()), before);
    EXPECT_EQ(folderEntries(dir.file("folder")), Names{"inside.ini"});
}

TEST(AtomicFile, UncommittedSaveLeavesNothing) {
    test::TempDir dir;
    dir.write("list.ini", "old\r\n");
    {
        AtomicFile file(dir.file("list.ini"));
        file.write("new\r\n");
    }
    EXPECT_EQ(dir.read("list.ini"), "old\r\n");
    EXPECT_EQ(folderEntries(dir.path()), Names{"list.ini"});
}

TEST(AtomicFile, ReplacedFileKeepsItsPermissions) {
    test::TempDir dir;
    for (const mode_t mode : {0600u, 0640u, 0444u, 0755u}) {
        SCOPED_TRACE(mode);
        dir.write("list.ini", "old\r\n");
        ASSERT_EQ(::chmod(dir.file("list.ini").c_str(), mode), 0);
        ASSERT_FALSE(saveListFile(dir.file("list.ini"), TextList::fromLines({"new"})));
        EXPECT_EQ(modeOf(dir.file("list.ini")), mode);
        EXPECT_EQ(dir.read("list.ini"), "new\r\n");
    }
}

}  // namespace
}  // namespace tn
