#include "access/settings_save.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/doubles/recording.h"
#include "support/temp_dir.h"

namespace tn {
namespace {

class SettingsSaveTest : public ::testing::Test {
protected:
    SettingsSaveTest() {
        TextList lines;
        for (int i = 0; i < 25; ++i)
            lines.append(i == 1 ? "kept" : "");
        model.SettingsList = Settings(std::move(lines));
        model.BlockedSiteListBox.assign(TextList::fromLines({"bad.example"}));
        model.sites.titles = TextList::fromLines({"Books", "Space"});
        model.sites.links = TextList::fromLines({"https://books.example/", "https://space.example/"});
        model.sites.thumbnails = TextList::fromLines({"books.jpg", "space.jpg"});
        model.ListBox1 = TextList::fromLines({"stale line"});
        model.AppNameListBox = TextList::fromLines({"Calculator"});
        model.AppPathListBox = TextList::fromLines({"/usr/bin/xcalc"});
        model.activities.EnabledActivityListBox = TextList::fromLines({"PaintBox"});
        for (const char* f :
             {"blocked", "sites", "appnames", "apppaths", "activities", "deletedbl", "config"})
            dir.write(std::string("files/") + f + ".ini", "old\r\n");
    }
    SaveResult save(const AdminChecks& checks) {
        return saveSettings(model, checks, lockdown, dir.path() + "/", [this] { log->add("carousel"); });
    }

    test::TempDir dir;
    ShellModel model;
    std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    RecordingLockdown lockdown{log};
};

TEST_F(SettingsSaveTest, WritesTheChecksAndEveryFile) {
    AdminChecks checks;
    checks.ctrl_alt_del = true;
    checks.link_scroll = true;
    checks.block_popups = true;
    checks.large_link_popup = false;
    ASSERT_TRUE(save(checks).ok);
    // Ctrl+Alt+Del is locked at once, before anything is written.
    EXPECT_EQ(log->calls, (std::vector<std::string>{"wlDisableKey 0 46 3 1", "carousel"}));
    EXPECT_EQ(dir.read("files/blocked.ini"), "bad.example\r\n");
    EXPECT_EQ(
        dir.read("files/sites.ini"),
        "Books #| https://books.example/ #| books.jpg\r\nSpace #| https://space.example/ #| space.jpg\r\n");
    EXPECT_EQ(dir.read("files/appnames.ini"), "Calculator\r\n");
    EXPECT_EQ(dir.read("files/apppaths.ini"), "/usr/bin/xcalc\r\n");
    EXPECT_EQ(dir.read("files/activities.ini"), "PaintBox\r\n");
    EXPECT_EQ(dir.read("files/deletedbl.ini"), "");
    const TextList config = TextList::fromText(dir.read("files/config.ini"));
    ASSERT_EQ(config.size(), 25u);
    EXPECT_EQ(config[1], "kept");
    const std::pair<std::size_t, const char*> expected[] = {{3, "yes"}, {4, "no"},   {6, "yes"}, {9, "no"},
                                                            {11, "no"}, {14, "yes"}, {21, "no"}, {24, "no"}};
    for (const auto& [line, value] : expected)
        EXPECT_EQ(config[line], value) << "line " << line;
}

TEST_F(SettingsSaveTest, UntickedCtrlAltDelWritesNoAndLeavesTheLockAlone) {
    ASSERT_TRUE(save({}).ok);
    EXPECT_EQ(log->calls, std::vector<std::string>{"carousel"});
    EXPECT_EQ(TextList::fromText(dir.read("files/config.ini"))[3], "no");
}

TEST_F(SettingsSaveTest, AFileThatCannotBeWrittenStopsTheSaveThere) {
    std::filesystem::remove(dir.file("files/apppaths.ini"));
    std::filesystem::create_directory(dir.file("files/apppaths.ini"));  // rename cannot replace a folder
    const SaveResult result = save({});
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(result.failed_file, "files/apppaths.ini");
    EXPECT_NE(result.message().find("\"files/apppaths.ini\" could not be written"), std::string::npos);
    // Written before it: kept. After it: untouched, and no temporary file is left behind.
    EXPECT_EQ(dir.read("files/appnames.ini"), "Calculator\r\n");
    for (const char* f : {"activities", "deletedbl", "config"})
        EXPECT_EQ(dir.read(std::string("files/") + f + ".ini"), "old\r\n") << f;
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.file("files")))
        ++entries;
    EXPECT_EQ(entries, 7u);
}

}  // namespace
}  // namespace tn
