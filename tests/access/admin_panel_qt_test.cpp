// The administration panel's Allowed Programs page: the shortcut tree, adding and removing.
#include "access/admin_panel.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdlib>

#include "platform/doubles/recording.h"
#include "programs/shell_links.h"
#include "support/qt_support.h"
#include "support/temp_dir.h"

namespace tn {
namespace {

class ProgramsPageTest : public ::testing::Test {
protected:
    ProgramsPageTest() {
        dir.write("menu/applications/Games/chess.desktop", "[Desktop Entry]\nType=Application\nExec=chess\n");
        dir.write("menu/applications/notes.txt", "not a shortcut");
        dir.write("menu/applications/xcalc.desktop", "[Desktop Entry]\nType=Application\nExec=xcalc\n");
        setenv("XDG_DATA_HOME", dir.file("menu").c_str(), 1);
        setenv("XDG_DATA_DIRS", dir.file("none").c_str(), 1);
        panel.loadShortcutTree();
    }
    ~ProgramsPageTest() override {
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_DATA_DIRS");
    }
    QTreeWidgetItem* item(const QString& name) {
        const auto found = panel.ShellTreeView1->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }

    QApplication& app = test::qtApp();  // before any widget
    test::TempDir dir;
    TextList names = TextList::fromLines({"Paint"});
    TextList paths = TextList::fromLines({"/usr/bin/paint"});
    LinuxShellLinks links;
    test::ScriptedDialogs dialogs;
    AdminPanel panel{nullptr, {}, {names, paths, links}, dialogs};
};

TEST_F(ProgramsPageTest, TheTreeShowsFoldersAndShortcutsAndAddsTheSelectedOne) {
    ASSERT_NE(item(QStringLiteral("Games")), nullptr);
    ASSERT_NE(item(QStringLiteral("chess.desktop")), nullptr);
    EXPECT_EQ(item(QStringLiteral("notes.txt")), nullptr);

    panel.ShellTreeView1->setCurrentItem(item(QStringLiteral("Games")));
    EXPECT_FALSE(panel.Button9->isEnabled());  // a folder cannot be added
    panel.ShellTreeView1->setCurrentItem(item(QStringLiteral("xcalc.desktop")));
    EXPECT_TRUE(panel.Button9->isEnabled());
    panel.Button9Click();
    EXPECT_EQ(names.toVector(), (std::vector<std::string>{"Paint", "xcalc"}));
    EXPECT_EQ(paths[1], dir.file("menu/applications/xcalc.desktop"));
    EXPECT_EQ(panel.AppNameListBox->count(), 2);
}

TEST_F(ProgramsPageTest, BrowsingAddsAFileOnceAndRemoveNeedsASelection) {
    dialogs.files = {QStringLiteral("/opt/games/paint.exe"), QStringLiteral("/usr/bin/xeyes")};
    panel.SpTBXButton4Click();
    EXPECT_EQ(dialogs.shown.back(), QStringLiteral("Item \"paint\" already exists"));
    panel.SpTBXButton4Click();
    EXPECT_EQ(names.toVector(), (std::vector<std::string>{"Paint", "xeyes"}));
    panel.SpTBXButton4Click();  // cancelled: nothing happens
    EXPECT_EQ(names.size(), 2u);

    panel.AppNameListBox->setCurrentRow(-1);
    panel.Button11Click();
    EXPECT_EQ(names.size(), 2u);
    panel.AppNameListBox->setCurrentRow(0);
    panel.Button11Click();
    EXPECT_EQ(names.toVector(), std::vector<std::string>{"xeyes"});
    EXPECT_EQ(paths.toVector(), std::vector<std::string>{"/usr/bin/xeyes"});
}

}  // namespace
}  // namespace tn
