#include "core/settings.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/list_file.h"
#include "support/temp_dir.h"

namespace tn {
namespace {

using Lines = std::vector<std::string>;

// A usable settings file. Reserved lines (1, 2, 12, 13, 15, 16, 19, 20, 23) and the lines after 24
// hold bytes that any normalising would change.
Lines validLines() {
    return {
        "secret",          // 0 password
        " reserved one ",  // 1
        "",                // 2
        "yes",             // 3
        "no",              // 4
        "50",              // 5 volume position
        "yes",             // 6
        "2024-01-01",      // 7
        "1.0.3",           // 8
        "no",              // 9
        "http://updates",  // 10
        "yes",             // 11
        "\xe9t\xe9\t",     // 12
        "  ",              // 13
        "yes",             // 14
        "Yes",             // 15
        "0x10",            // 16
        "",                // 17 proxy address
        "",                // 18 proxy port
        "reserved 19",     // 19
        "\xff",            // 20
        "no",              // 21 timer at every start
        "",                // 22 timer length
        "reserved 23 ",    // 23
        "no",              // 24
        "extra after the last one",
        "",
        "\tmore extra",
    };
}

std::string crlfText(const Lines& lines) {
    std::string out;
    for (const auto& line : lines)
        out += line + "\r\n";
    return out;
}

// True when message holds "line <n>" not followed by a further digit.
bool namesLine(const std::string& message, std::size_t n) {
    const std::string needle = "line " + std::to_string(n);
    for (auto at = message.find(needle); at != std::string::npos; at = message.find(needle, at + 1)) {
        const auto after = at + needle.size();
        if (after == message.size() || !std::isdigit(static_cast<unsigned char>(message[after]))) return true;
    }
    return false;
}

struct LoadCase {
    const char* name;
    std::vector<std::pair<std::size_t, std::string>> changes;  // setting number, new value
    std::optional<std::size_t> faulty;                         // 0-based setting at fault; none = loads
};

std::ostream& operator<<(std::ostream& out, const LoadCase& c) {
    return out << c.name;
}

const LoadCase kLoadCases[] = {
    {"Valid", {}, std::nullopt},
    {"VolumeWord", {{5, "fifty"}}, 5},
    {"VolumeEmpty", {{5, ""}}, 5},
    {"VolumeLeadingBlank", {{5, " 5"}}, 5},
    {"VolumeTrailingBlank", {{5, "5 "}}, 5},
    {"VolumeHex", {{5, "0x5"}}, 5},
    {"VolumeFraction", {{5, "5.0"}}, 5},
    {"VolumeOverflow", {{5, "2147483648"}}, 5},
    {"VolumeSignOnly", {{5, "-"}}, 5},
    {"VolumeTwoSigns", {{5, "+-1"}}, 5},
    {"VolumeNegative", {{5, "-1"}}, std::nullopt},
    {"VolumePlusSign", {{5, "+5"}}, std::nullopt},
    {"VolumeSmallestInt", {{5, "-2147483648"}}, std::nullopt},
    {"TimerOnLengthWord", {{21, "yes"}, {22, "ten"}}, 22},
    {"TimerOnLengthEmpty", {{21, "yes"}, {22, ""}}, 22},
    {"TimerOnLengthOverflow", {{21, "yes"}, {22, "99999999999"}}, 22},
    {"TimerOnLengthNumber", {{21, "yes"}, {22, "30"}}, std::nullopt},
    {"TimerOffLengthNotChecked", {{21, "no"}, {22, "ten"}}, std::nullopt},
    {"TimerCapitalYesIsOff", {{21, "Yes"}, {22, "ten"}}, std::nullopt},
    {"ProxyPortWord", {{17, "proxy.local"}, {18, "http"}}, 18},
    {"ProxyPortLeadingBlank", {{17, "proxy.local"}, {18, " 5"}}, 18},
    {"ProxyPortTrailingBlank", {{17, "proxy.local"}, {18, "5 "}}, 18},
    {"ProxyPortHex", {{17, "proxy.local"}, {18, "0x5"}}, 18},
    {"ProxyPortOverflow", {{17, "proxy.local"}, {18, "99999999999"}}, 18},
    {"ProxyPortPlusSign", {{17, "proxy.local"}, {18, "+5"}}, std::nullopt},
    {"ProxyPortNegative", {{17, "proxy.local"}, {18, "-1"}}, std::nullopt},
    {"ProxyPortEmpty", {{17, "proxy.local"}, {18, ""}}, std::nullopt},
    {"PortWithoutProxyNotChecked", {{17, ""}, {18, "http"}}, std::nullopt},
    {"VolumeReportedBeforePort", {{5, "x"}, {17, "proxy.local"}, {18, "y"}}, 5},
};

class SettingsLoad : public testing::TestWithParam<LoadCase> {};

TEST_P(SettingsLoad, ChecksNumbersAndNamesFileAndLine) {
    const LoadCase& c = GetParam();
    test::TempDir dir;
    Lines lines = validLines();
    for (const auto& [n, value] : c.changes)
        lines[n] = value;
    dir.write("config.ini", crlfText(lines));

    Settings settings;
    const auto problem = loadSettingsFile(dir.file("config.ini"), "files/config.ini", settings);
    if (!c.faulty) {
        ASSERT_FALSE(problem) << problem->message;
        EXPECT_EQ(settings.lines().toVector(), lines);
        return;
    }
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->line, c.faulty);
    EXPECT_NE(problem->message.find("files/config.ini"), std::string::npos) << problem->message;
    EXPECT_TRUE(namesLine(problem->message, *c.faulty + 1)) << problem->message;
    EXPECT_TRUE(settings.lines().empty()) << "a refused file must not be taken";
}

INSTANTIATE_TEST_SUITE_P(Lines, SettingsLoad, testing::ValuesIn(kLoadCases),
                         [](const testing::TestParamInfo<LoadCase>& p) { return p.param.name; });

TEST(SettingsLoadFile, MissingFileIsNamed) {
    test::TempDir dir;
    Settings settings;
    const auto problem = loadSettingsFile(dir.file("config.ini"), "files/config.ini", settings);
    ASSERT_TRUE(problem);
    EXPECT_FALSE(problem->line);
    EXPECT_NE(problem->message.find("files/config.ini"), std::string::npos) << problem->message;
}

// Too short a file is at fault at its first missing line; the message counts as an editor does.
TEST(SettingsLoadFile, TooFewLinesNamesTheFirstMissingLine) {
    test::TempDir dir;
    for (const std::size_t count : {0u, 1u, 24u}) {
        SCOPED_TRACE(count);
        Lines lines = validLines();
        lines.resize(count);
        dir.write("config.ini", crlfText(lines));
        Settings settings;
        const auto problem = loadSettingsFile(dir.file("config.ini"), "files/config.ini", settings);
        ASSERT_TRUE(problem);
        EXPECT_EQ(problem->line, count);
        EXPECT_NE(problem->message.find("files/config.ini"), std::string::npos) << problem->message;
        EXPECT_TRUE(namesLine(problem->message, count + 1)) << problem->message;
    }
    // A NUL ends the text, so the lines after it do not count.
    std::string text = crlfText(validLines());
    text.insert(text.find("no\r\n"), 1, '\0');
    dir.write("config.ini", text);
    Settings settings;
    const auto problem = loadSettingsFile(dir.file("config.ini"), "files/config.ini", settings);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->line, 4u);
}

TEST(SettingsValues, YesOnlyForExactlyYes) {
    const std::pair<std::string, bool> cases[] = {
        {"yes", true},   {"Yes", false}, {"YES", false}, {" yes", false}, {"yes ", false},
        {"", false},     {"no", false},  {"y", false},   {"yess", false}, {std::string("yes\0", 4), false},
        {"true", false}, {"1", false},
    };
    for (const auto& [text, yes] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(isYes(text), yes);
        Settings settings(TextList::fromLines({"x", text}));
        EXPECT_EQ(settings.yes(1), yes);
    }
    Settings settings(TextList::fromLines({"yes"}));
    EXPECT_FALSE(settings.yes(1)) << "a line past the end reads as no";
    settings.setYes(0, false);
    EXPECT_EQ(settings.line(0), "no");
    settings.setYes(0, true);
    EXPECT_EQ(settings.line(0), "yes");
}

TEST(SettingsValues, IntegerOfEmptyOrMissingLineIsZero) {
    Settings settings(TextList::fromLines({"-12", "", "+7"}));
    EXPECT_EQ(settings.integer(0), -12);
    EXPECT_EQ(settings.integer(1), 0);
    EXPECT_EQ(settings.integer(2), 7);
    EXPECT_EQ(settings.integer(3), 0);
}

// Every setting that the shell writes is changed, repeatedly, and the file is written back: the
// reserved lines and those after line 24 come back byte for byte, and no line is added or lost.
TEST(SettingsFile, WriteKeepsReservedAndExtraLines) {
    test::TempDir dir;
    // Read from a mixture of line breaks; written back with CR LF.
    Lines original = validLines();
    std::string text;
    for (std::size_t i = 0; i < original.size(); ++i) {
        const bool next_empty = i + 1 == original.size() || original[i + 1].empty();
        text += original[i] + (i % 3 == 2 && !next_empty ? "\r" : i % 2 ? "\n" : "\r\n");
    }
    dir.write("config.ini", text);

    Settings settings;
    const auto problem = loadSettingsFile(dir.file("config.ini"), "config.ini", settings);
    ASSERT_FALSE(problem) << problem->message;

    Lines expected = original;
    const std::size_t written[] = {0, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 17, 18, 21, 22, 24};
    for (int round = 0; round < 500; ++round) {
        for (const std::size_t n : written) {
            std::string value =
                std::to_string(round) + std::string(static_cast<std::size_t>(round % 40), 's');
            settings.set(n, value);
            expected[n] = value;
        }
    }
    settings.setYes(21, true);
    expected[21] = "yes";
    EXPECT_THROW(settings.set(original.size(), "x"), std::out_of_range);

    ASSERT_FALSE(saveListFile(dir.file("config.ini"), settings.lines()));
    EXPECT_TRUE(dir.read("config.ini") == crlfText(expected));
}

}  // namespace
}  // namespace tn
