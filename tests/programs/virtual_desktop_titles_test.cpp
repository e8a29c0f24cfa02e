// The virtual desktop's title snapshots and the restore and close steps built on them.
#include "programs/virtual_desktop_titles.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/doubles/recording.h"
#include "support/temp_dir.h"

namespace tn {
namespace {

using Strings = std::vector<std::string>;

constexpr IWindows::Id kOwnWindow = 99;

class VirtualDesktopTitlesTest : public ::testing::Test {
protected:
    void add(IWindows::Id id, std::string title, bool visible = true, bool minimized = false) {
        windows.windows.push_back({id, std::move(title), visible, minimized});
    }

    std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    RecordingWindows windows{log};
    VirtualDesktopTitles titles{windows, [](IWindows::Id id) { return id == kOwnWindow; }};
};

TEST_F(VirtualDesktopTitlesTest, SnapshotsKeepTitledWindowsInOrderCutTo254Characters) {
    const std::string long_ascii(300, 'a');
    // 253 characters, then a two-byte one, then more: the cut falls after the two-byte character.
    const std::string long_utf8 = std::string(253, 'x') + "\xC3\xA9" + "zz";
    add(1, "Tumblenest");
    add(2, "");
    add(3, "Hidden", false);
    add(4, "Minimised", false, true);
    add(kOwnWindow, "Brightwing Virtual Desktop");
    add(5, long_ascii);
    add(6, long_utf8);

    titles.takeOriginal(false);
    const Strings all = {"Tumblenest", "Hidden", "Minimised", std::string(254, 'a'),
                         std::string(253, 'x') + "\xC3\xA9"};
    EXPECT_EQ(titles.OriginalListBox, all);

    titles.takeOriginal(true);
    EXPECT_EQ(titles.OriginalListBox, (Strings{"Tumblenest", "Minimised", std::string(254, 'a'),
                                               std::string(253, 'x') + "\xC3\xA9"}));
    EXPECT_TRUE(log->calls.empty());
}

TEST_F(VirtualDesktopTitlesTest, DifferenceIgnoresCaseAndKeepsDuplicates) {
    add(1, "Tumblenest");
    add(2, "Paint");
    add(3, "Caf\xC3\xA9 Cr\xC3\xA8me");
    titles.takeOriginal(false);

    add(4, "Game");
    add(5, "PAINT");                     // a new window with an old title is not tracked
    add(6, "CAF\xC3\x89 CR\xC3\x88ME");  // nor with an old title in other letter case
    add(7, "Game");
    add(8, "Hidden new", false);
    add(9, "Minimised new", false, true);
    titles.difference();

    EXPECT_EQ(titles.NewListBox, (Strings{"Tumblenest", "Paint", "Caf\xC3\xA9 Cr\xC3\xA8me", "Game", "PAINT",
                                          "CAF\xC3\x89 CR\xC3\x88ME", "Game", "Minimised new"}));
    EXPECT_EQ(titles.DifferenceListBox, (Strings{"Game", "Game", "Minimised new"}));
}

TEST(VirtualDesktopTitleCase, ComparesWholeTitlesIgnoringLetterCase) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"Paint", "pAINT", true},
        {"Paint", "Paint ", false},
        {"Paint", "Pain", false},
        {"", "", true},
        {"Caf\xC3\xA9", "CAF\xC3\x89", true},                                    // é É
        {"\xC5\x81\xC3\xB3\x64\xC5\xBA", "\xC5\x82\xC3\x93\x44\xC5\xB9", true},  // Łódź łÓDŹ
        {"\xD0\x9F\xD1\x80\xD0\xB8", "\xD0\xBF\xD0\xA0\xD0\x98", true},          // При пРИ
        {"\xCE\x8C\xCE\xBC\xCE\xB1", "\xCF\x8C\xCE\x9C\xCE\x91", true},          // Όμα όΜΑ
        {"\xC3\x97", "\xC3\xB7", false},                                         // × ÷
        {"i", "\xC4\xB0", false},                                                // i İ
        {"a\xC3", "A\xC3", true},                                                // a cut character
        {"\xC3", "\xE3", false},
        {"\xFF", "\xC3\xBF", false},  // a stray byte is not ÿ
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sameTitleIgnoringCase(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(sameTitleIgnoringCase(c.b, c.a), c.same) << c.b << " / " << c.a;
    }
}

TEST_F(VirtualDesktopTitlesTest, RestoreShowsNewWindowsUnlessTheyAreInFront) {
    add(1, "Tumblenest");
    add(2, "Notes");
    titles.takeOriginal(false);

    add(3, "Game", false, true);
    add(4, "Chat");
    add(5, "Notes", false, true);  // same title as a window that was there: left alone
    add(kOwnWindow, "Help");
    add(6, "Help", false, true);
    windows.foreground_ = 4;
    titles.restore();

    EXPECT_EQ(titles.DifferenceListBox, (Strings{"Game", "Chat", "Help"}));
    EXPECT_EQ(log->calls, (Strings{"showNormal 3", "showNormal 6"}));
}

TEST_F(VirtualDesktopTitlesTest, CloseAsksTheFirstWindowOfEachNewTitle) {
    const std::string long_title(300, 'L');
    add(1, "Tumblenest");
    add(2, "Notes");
    titles.takeOriginal(false);

    add(kOwnWindow, "Game");
    add(3, "Game");
    add(4, "Game");
    add(5, "notes");
    add(6, "Hidden", false);
    add(7, long_title);
    EXPECT_TRUE(titles.closeNew());
    // Both requests for "Game" go to the first window with that title.
    EXPECT_EQ(log->calls, (Strings{"askToClose 3", "askToClose 3", "askToClose 7"}));

    // The recorded titles stay: a later close reaches what has appeared since, as long as it is open.
    log->calls.clear();
    windows.windows.erase(windows.windows.begin() + 4, windows.windows.end());
    add(8, "Later");
    EXPECT_TRUE(titles.closeNew());
    EXPECT_EQ(log->calls, (Strings{"askToClose 3", "askToClose 8"}));
}

TEST_F(VirtualDesktopTitlesTest, CloseWithNothingRecordedClosesNothing) {
    add(1, "Game");
    EXPECT_FALSE(titles.closeNew());

    // An opening that found no titled window records nothing either.
    windows.windows = {{2, ""}, {kOwnWindow, "Brightwing Virtual Desktop"}};
    titles.takeOriginal(false);
    add(3, "Game");
    EXPECT_FALSE(titles.closeNew());
    EXPECT_TRUE(log->calls.empty());
    EXPECT_TRUE(titles.DifferenceListBox.empty());
}

TEST(VirtualDesktopStartFolder, IsTheFolderOfTheProgramFile) {
    test::TempDir dir;
    dir.write("My Games/run game", "");
    const std::string games = dir.file("My Games/");
    struct Case {
        std::string program;
        std::string folder;
    };
    const Case cases[] = {
        {games + "run game", games},                  // a file, spaces and all
        {"\"" + games + "run game\" --fast", games},  // a desktop entry's command line
        {"/usr/bin/game --level 2", "/usr/bin/"},     // no such file: its first word
        {"game", ""},
        {"", ""},
        {"/game", "/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(startFolder(c.program), c.folder) << c.program;
    }
}

}  // namespace
}  // namespace tn
