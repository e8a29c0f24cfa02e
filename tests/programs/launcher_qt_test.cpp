// The Software tab's launcher buttons and the launch, with recording doubles.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QResizeEvent>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "core/main_form.h"
#include "programs/virtual_desktop.h"
#include "support/qt_support.h"
#include "support/shell_services.h"
#include "support/temp_dir.h"

namespace tn {
namespace {

class LauncherTest : public ::testing::Test {
protected:
    LauncherTest() {
        test::qtApp();
        std::filesystem::create_directories(dir.file("Activities"));
        dir.write("files/activities.ini", "");
        dir.write("files/config.ini", test::minimalSettingsText());
        dir.write("files/appnames.ini", "Calculator\r\nPaint 100%\r\nDraw & Play\r\nNo path\r\n");
        dir.write("files/apppaths.ini", "/usr/bin/xcalc\r\n/opt/paint.lnk\r\n/opt/draw\r\n");
        doubles.shell_links.links["/opt/paint.lnk"] = {"/opt/paint/paint", "/opt/paint"};
    }
    std::unique_ptr<TForm1> start() {
        Settings settings;
        EXPECT_FALSE(loadSettingsFile(dir.file("files/config.ini"), "config.ini", settings));
        auto form = std::make_unique<TForm1>(doubles.services([] {}), dir.path() + "/", std::move(settings));
        form->FormCreate();
        form->createForms();
        form->launcherPanel()->resize(600, 400);
        doubles.log->calls.clear();
        return form;
    }
    std::vector<QPushButton*> buttons(TForm1& form) {
        std::vector<QPushButton*> out;
        for (QPushButton* b : form.launcherPanel()->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly))
            out.push_back(b);
        return out;
    }

    test::TempDir dir;
    test::RecordingServices doubles;
};

TEST_F(LauncherTest, OneButtonPerProgramPairTwoToARow) {
    auto form = start();
    form->SpTBXTabItem3Click();
    const auto list = buttons(*form);
    // The fourth name has no path: only the three pairs get buttons.
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]->objectName(), QStringLiteral("TEMPBUTTON0"));
    EXPECT_EQ(list[0]->geometry(), QRect(2, 29, 294, 25));
    EXPECT_EQ(list[1]->geometry(), QRect(298, 29, 294, 25));
    EXPECT_EQ(list[2]->geometry(), QRect(2, 58, 294, 25));
    EXPECT_EQ(list[1]->text(), QStringLiteral("Paint 100%"));
    EXPECT_EQ(list[2]->text().replace(QStringLiteral("&&"), QStringLiteral("&")),
              QStringLiteral("Draw & Play"));
    // The panel's width decides the buttons' width, also after a resize.
    form->launcherPanel()->resize(400, 400);
    QResizeEvent resized(QSize(400, 400), QSize(600, 400));  // a hidden panel hears of it once shown
    QCoreApplication::sendEvent(form->launcherPanel(), &resized);
    EXPECT_EQ(list[1]->geometry(), QRect(198, 29, 194, 25));
}

TEST_F(LauncherTest, SelectingSoftwareTwiceRebuildsTheButtons) {
    auto form = start();
    form->SpTBXTabItem3Click();
    const QPushButton* first = buttons(*form).front();
    form->SpTBXTabItem3Click();
    EXPECT_EQ(buttons(*form).size(), 3u);
    EXPECT_NE(buttons(*form).front(), first);
    EXPECT_EQ(doubles.log->starting("play slip").size(), 2u);
}

TEST_F(LauncherTest, LaunchOpensAProgramOrLeavesAShortcutToTheDelayedStart) {
    auto form = start();
    form->Launch(0);
    EXPECT_EQ(doubles.log->starting("shellOpen").size(), 1u);
    EXPECT_TRUE(form->pendingShortcutTarget().empty());
    EXPECT_TRUE(form->virtualDesktop()->isVisible());
    EXPECT_TRUE(form->virtualDesktop()->delayTimer() && !form->virtualDesktop()->delayTimer()->isActive());
    form->virtualDesktop()->ExitButtonClick();
    EXPECT_FALSE(form->virtualDesktop()->isVisible());

    doubles.log->calls.clear();
    form->Launch(1);
    // A shortcut starts once: its target, by the virtual desktop's delayed start.
    EXPECT_TRUE(doubles.log->starting("shellOpen").empty());
    EXPECT_EQ(form->pendingShortcutTarget(), "/opt/paint/paint");
    EXPECT_TRUE(form->virtualDesktop()->delayTimer()->isActive());
    form->virtualDesktop()->ExitButtonClick();
}

}  // namespace
}  // namespace tn
