#include "programs/allowed_programs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "programs/launcher.h"
#include "programs/shell_links.h"
#include "support/temp_dir.h"

namespace tn {
namespace {

std::vector<std::string> lines(const TextList& list) {
    return list.toVector();
}

TEST(LauncherLayout, ButtonsTwoToARowBelowTheFirstRowPitch) {
    // A 400-pixel panel: buttons 194 wide; rows at 29, 58, ...
    struct Case {
        std::size_t index;
        int first_row;
        Rect expected;
    };
    const Case cases[] = {
        {0, 1, {2, 29, 194, 25}},   {1, 1, {198, 29, 194, 25}}, {2, 1, {2, 58, 194, 25}},
        {3, 1, {198, 58, 194, 25}}, {0, 2, {2, 58, 194, 25}},   {2, 2, {2, 87, 194, 25}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(launcherButtonGeometry(c.index, 400, c.first_row), c.expected)
            << "button " << c.index << ", first row " << c.first_row;
    }
    // An odd panel width rounds the half down before the margin is taken off.
    EXPECT_EQ(launcherButtonGeometry(1, 401, 1).width, 194);
}

TEST(LauncherLayout, ButtonNamesCarryTheirIndex) {
    EXPECT_EQ(launcherButtonName(0), "TEMPBUTTON0");
    EXPECT_EQ(launcherButtonIndex(launcherButtonName(12)), 12u);
    for (const char* bad :
         {"TEMPBUTTON", "TEMPBUTTONx", "TEMPBUTTON1x", "tempbutton1", "Button1", "TEMPBUTTON-1"})
        EXPECT_FALSE(launcherButtonIndex(bad).has_value()) << bad;
}

TEST(AllowedPrograms, ProgramNamesDropOnlyProgramAndShortcutEndings) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:/Windows/Paint.lnk", "Paint"},
        {"/opt/games/Chess.EXE", "Chess"},
        {"/usr/share/applications/org.example.Draw.desktop", "org.example.Draw"},
        {"/usr/bin/xcalc", "xcalc"},  // no extension: the whole name
        {"/home/kid/My 100% Game.lnk", "My 100% Game"},
        {"/docs/story.txt", "story.txt"},
        {".lnk", ".lnk"},  // nothing would be left
        {"/usr/bin/", ""},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(programName(path), name) << path;
}

class AllowedProgramsFiles : public ::testing::Test {
protected:
    test::TempDir dir;
    LinuxShellLinks links;
    TextList names = TextList::fromLines({"paint", "Chess"});
    TextList paths = TextList::fromLines({"/usr/bin/paint", "/opt/chess"});
    AllowedPrograms programs{names, paths};
};

TEST_F(AllowedProgramsFiles, DuplicateNameIsRefusedWhateverItsCase) {
    const auto result = programs.add(dir.file("Paint.lnk"), links);
    EXPECT_FALSE(result.added);
    EXPECT_EQ(result.message, "Item \"Paint\" already exists");
    EXPECT_EQ(lines(names), (std::vector<std::string>{"paint", "Chess"}));
    EXPECT_EQ(lines(paths), (std::vector<std::string>{"/usr/bin/paint", "/opt/chess"}));
}

TEST_F(AllowedProgramsFiles, StoresTheLinkTargetOrThePickItself) {
    ASSERT_TRUE(links.create(dir.file("Draw.lnk"), {"/usr/bin/xpaint", "/usr/bin"}));
    dir.write("Broken.lnk", "not a shell link");
    dir.write("Calc.desktop", "[Desktop Entry]\nType=Application\nExec=xcalc -rv\n");

    EXPECT_TRUE(programs.add(dir.file("Draw.lnk"), links).added);
    EXPECT_TRUE(programs.add(dir.file("Broken.lnk"), links).added);
    EXPECT_TRUE(programs.add(dir.file("Calc.desktop"), links).added);
    EXPECT_TRUE(programs.add("/usr/bin/xcalc", links).added);

    EXPECT_EQ(lines(names), (std::vector<std::string>{"paint", "Chess", "Draw", "Broken", "Calc", "xcalc"}));
    EXPECT_EQ(lines(paths),
              (std::vector<std::string>{"/usr/bin/paint", "/opt/chess", "/usr/bin/xpaint",
                                        dir.file("Broken.lnk"), dir.file("Calc.desktop"), "/usr/bin/xcalc"}));
    EXPECT_EQ(resolveShortcut(links, dir.file("Calc.desktop")), "xcalc -rv");
    EXPECT_EQ(resolveShortcut(links, dir.file("Broken.lnk")), "");
}

TEST_F(AllowedProgramsFiles, RemoveTakesThePairAndIgnoresNoSelection) {
    programs.remove(std::nullopt);
    programs.remove(7);
    EXPECT_EQ(names.size(), 2u);
    programs.remove(0);
    EXPECT_EQ(lines(names), std::vector<std::string>{"Chess"});
    EXPECT_EQ(lines(paths), std::vector<std::string>{"/opt/chess"});
}

TEST_F(AllowedProgramsFiles, UnequalFilesKeepTheirSurplusAndTheirPairs) {
    names.append("Orphan name");
    EXPECT_EQ(programs.count(), 2u);
    EXPECT_TRUE(programs.add("/usr/bin/xcalc", links).added);
    // The new pair sits right after the last pair; the surplus line stays, after it.
    EXPECT_EQ(lines(names), (std::vector<std::string>{"paint", "Chess", "xcalc", "Orphan name"}));
    EXPECT_EQ(lines(paths), (std::vector<std::string>{"/usr/bin/paint", "/opt/chess", "/usr/bin/xcalc"}));
    programs.remove(3);  // the surplus entry is not a pair
    EXPECT_EQ(names.size(), 4u);
    programs.remove(1);
    EXPECT_EQ(lines(names), (std::vector<std::string>{"paint", "xcalc", "Orphan name"}));
    EXPECT_EQ(lines(paths), (std::vector<std::string>{"/usr/bin/paint", "/usr/bin/xcalc"}));
}

TEST(AllowedPrograms, ShortcutTreeShowsFoldersAndShortcutsOnly) {
    EXPECT_TRUE(shortcutTreeAdmits("Games", true));
    EXPECT_TRUE(shortcutTreeAdmits("Paint.LNK", false));
    EXPECT_TRUE(shortcutTreeAdmits("xcalc.desktop", false));
    EXPECT_FALSE(shortcutTreeAdmits("xcalc", false));
    EXPECT_FALSE(shortcutTreeAdmits("notes.txt", false));
}

TEST(AllowedPrograms, ProgramMenuFoldersFollowTheDataDirectories) {
    test::TempDir dir;
    dir.write("home/applications/a.desktop", "");
    dir.write("sys/applications/b.desktop", "");
    setenv("XDG_DATA_HOME", dir.file("home").c_str(), 1);
    const std::string dirs = dir.file("sys") + ":" + dir.file("missing") + "::" + dir.file("sys");
    setenv("XDG_DATA_DIRS", dirs.c_str(), 1);
    EXPECT_EQ(programMenuFolders(),
              (std::vector<std::string>{dir.file("home/applications"), dir.file("sys/applications")}));
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_DATA_DIRS");
}

}  // namespace
}  // namespace tn
