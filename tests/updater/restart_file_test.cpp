#include "restart_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tn::updater {
namespace {

using Lines = std::vector<std::string>;

struct ParseCase {
    std::string bytes;
    Lines lines;
    bool starts_shell;
    bool replaces_executable;
};

TEST(RestartFileTest, ReadsLinesAndFlagsWhateverTheLineEnds) {
    const ParseCase cases[] = {
        {"", {}, false, false},
        {"yes\r\n", {"yes"}, true, false},
        {"yes", {"yes"}, true, false},
        {"no\r\nyes\r\n", {"no", "yes"}, false, true},
        {"yes\nyes\n", {"yes", "yes"}, true, true},
        {"yes\ryes\r", {"yes", "yes"}, true, true},
        {"yes\r\n\r\nyes\r\n", {"yes", "", "yes"}, true, false},
        {"\r\nyes\r\n", {"", "yes"}, false, true},
        // Only exactly "yes" counts.
        {"Yes\r\nYES\r\n", {"Yes", "YES"}, false, false},
        {"yes \r\n yes\r\n", {"yes ", " yes"}, false, false},
        // A NUL ends the text.
        {std::string("yes\r\nyes\0\r\nmore", 14), {"yes", "yes"}, true, true},
        {std::string("\0yes\r\n", 6), {}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        const RestartFile file = parseRestartFile(c.bytes);
        EXPECT_EQ(file.lines, c.lines);
        EXPECT_EQ(file.startsShell(), c.starts_shell);
        EXPECT_EQ(file.replacesExecutable(), c.replaces_executable);
    }
}

TEST(RestartFileTest, MarkingTheStartChangesOnlyLineOneAndWritesCrLf) {
    RestartFile file = parseRestartFile("yes\nyes\nsomething else\n");
    file.markShellStarted();
    EXPECT_EQ(formatRestartFile(file), "no\r\nyes\r\nsomething else\r\n");
    EXPECT_FALSE(file.startsShell());
    EXPECT_TRUE(file.replacesExecutable());

    RestartFile empty;
    empty.markShellStarted();
    EXPECT_EQ(formatRestartFile(empty), "no\r\n");
}

}  // namespace
}  // namespace tn::updater
