// The main window's start-up, close and exit sequences, driven with recording doubles.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QImage>
#include <QLabel>
#include <QSlider>
#include <filesystem>
#include <memory>

#include "core/list_file.h"
#include "core/main_form.h"
#include "lockdown/volume_control.h"
#include "platform/doubles/recording.h"
#include "support/qt_support.h"
#include "support/shell_services.h"
#include "support/temp_dir.h"
#include "websites/carousel_view.h"
#include "websites/highlight_image.h"
#include "websites/link_panel_view.h"

namespace tn {
namespace {

using test::TempDir;

std::string settingsText(const std::string& line3 = "no") {
    std::string text;
    for (int i = 0; i < 25; ++i) {
        std::string v;
        switch (i) {
            case 1:
                v = "kept one";
                break;
            case 3:
                v = line3;
                break;
            case 5:
                v = "5";
                break;
            case 12:
                v = " reserved \xE9";
                break;
            default:
                break;
        }
        text += v + "\r\n";
    }
    return text + "extra line 25\r\n\r\nextra line 27\r\n";
}

class StartupTest : public ::testing::Test {
protected:
    StartupTest() {
        test::qtApp();
        dir.write("files/blocked.ini", "badword\r\nbad.example\r\n");
        dir.write("files/sites.ini",
                  "Home #| HOMEHOMEHOME #| home.jpg\r\n"
                  "Books #| https://books.example/ #| books.jpg #| ignored\r\n"
                  "\r\n"
                  "Space #| https://space.example/ #| space.jpg\n");
        for (const char* picture : {"home.jpg", "books.jpg", "space.jpg"}) {
            std::filesystem::create_directories(dir.file("files/links"));
            QImage(8, 8, QImage::Format_RGB32)
                .save(QString::fromStdString(dir.file("files/links/") + picture), "JPG");
        }
        dir.write("files/appnames.ini", "Calculator\r\n");
        dir.write("files/activities.ini", "");
        std::filesystem::create_directories(dir.file("Activities"));
        dir.write("files/SuggestedWebsites.ini", "https://suggested.example/\r\n");
        dir.write("files/summary.ini", "Nothing new\r\n");
        sounds.present = std::set<std::string>{};
        for (const char* f : {"tick", "timeup", "decent", "bass", "exit", "slip"}) {
            sounds.present->insert(dir.path() + "/files/" + f + ".wav");
        }
    }

    std::unique_ptr<TForm1> start(const std::string& config) {
        dir.write("files/config.ini", config);
        Settings settings;
        EXPECT_FALSE(loadSettingsFile(dir.file("files/config.ini"), "config.ini", settings));
        auto form = std::make_unique<TForm1>(doubles.services([this] { ++terminated; }), dir.path() + "/",
                                             std::move(settings));
        form->FormCreate();
        return form;
    }

    std::vector<std::string> itemCalls(int state) {
        std::vector<std::string> out;
        for (int id : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 14}) {
            out.push_back("wlDisableItem " + std::to_string(id) + " " + std::to_string(state));
        }
        return out;
    }
    std::vector<std::string> keyCalls(int state) {
        const std::string s = " " + std::to_string(state);
        return {"wlDisableKey 0 27 3" + s, "wlDisableKey 0 9 1" + s, "wlDisableKey 0 115 3" + s,
                "wlDisableKey 0 0 8" + s};
    }

    TempDir dir;
    test::RecordingServices doubles;
    std::shared_ptr<CallLog>& log = doubles.log;
    RecordingSoundSystem& sounds = doubles.sounds;
    test::ScriptedDialogs& dialogs = doubles.dialogs;
    int terminated = 0;
};

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST_F(StartupTest, LocksInOrderAndPlaysTheWelcome) {
    for (const auto& [line3, state] : {std::pair{"yes", 1}, std::pair{"no", 0}, std::pair{"Yes", 0}}) {
        log->calls.clear();
        auto form = start(settingsText(line3));
        const auto expected = concat({itemCalls(1),
                                      keyCalls(1),
                                      {"minimizeAll"},
                                      {"wlDisableKey 0 46 3 " + std::to_string(state)},
                                      {"play bass.wav"}});
        EXPECT_EQ(log->calls, expected) << "line 3 = " << line3;
        EXPECT_EQ(form->windowTitle().toStdString(), "Tumblenest");
    }
}

TEST_F(StartupTest, LoadsEveryListIntoItsPlace) {
    dir.write("files/deletedbl.ini", "un-blocked\r\n");
    auto form = start(settingsText());
    const ShellModel& m = form->model();
    EXPECT_EQ(m.SettingsList.line(1), "kept one");
    EXPECT_EQ(m.BlockedSiteListBox.entries().toVector(),
              (std::vector<std::string>{"badword", "bad.example"}));
    EXPECT_EQ(m.DeletedBlackListBox.toVector(), std::vector<std::string>{"un-blocked"});
    EXPECT_EQ(m.ListBox1.size(), 4u);
    // The empty record line is no site; the columns stay equal in length.
    EXPECT_EQ(m.sites.titles.toVector(), (std::vector<std::string>{"Home", "Books", "Space"}));
    EXPECT_EQ(m.sites.links.toVector(),
              (std::vector<std::string>{"HOMEHOMEHOME", "https://books.example/", "https://space.example/"}));
    EXPECT_EQ(m.sites.thumbnails.toVector(),
              (std::vector<std::string>{"home.jpg", "books.jpg", "space.jpg"}));
    EXPECT_EQ(m.AppNameListBox.toVector(), std::vector<std::string>{"Calculator"});
    EXPECT_TRUE(m.AppPathListBox.empty());  // file missing: empty, no message
    EXPECT_EQ(m.SuggestedSiteLinks.size(), 1u);
    EXPECT_TRUE(m.SuggestedWebsitesListBox.empty());
    EXPECT_EQ(m.UpdateSummary.toVector(), std::vector<std::string>{"Nothing new"});
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(dir.exists("Activities/Activities.html"));  // the activities page is built at start-up
    // The carousel shows the three sites and, with no more than five, leaves its queues empty; the
    // large link panel shows its first page.
    EXPECT_EQ(form->carousel()->state().slot(3).title, "Space");
    EXPECT_TRUE(form->carousel()->state().imageQueBox().empty());
    EXPECT_EQ(form->linkPanel()->state().cursor(), 6);
    EXPECT_FALSE(form->linkPanel()->state().button17Enabled());
}

TEST_F(StartupTest, MissingSoundsLeaveStartUpAndHandlersRunning) {
    sounds.present = std::set<std::string>{};  // not one wave file opens
    auto form = start(settingsText());
    EXPECT_TRUE(log->starting("play").empty());
    dialogs.answers = {true};
    form->ExitButtonClick();
    EXPECT_EQ(terminated, 1);
}

TEST_F(StartupTest, CloseFromOutsideUnlocksAndWritesTheSettingsFile) {
    auto form = start(settingsText("yes"));
    form->model().SettingsList.set(setting::kVolumePosition, "7");
    log->calls.clear();
    form->closeFromOutside();
    // The Ctrl+Alt+Del entry keeps its state when the shell closes.
    EXPECT_EQ(log->calls, concat({{"FreeHook"}, itemCalls(0), keyCalls(0)}));
    EXPECT_TRUE(doubles.lockdown.keyDisabled(46, 3));
    EXPECT_EQ(terminated, 1);
    std::string expected = settingsText("yes");
    expected.replace(expected.find("\r\n5\r\n"), 5, "\r\n7\r\n");
    EXPECT_EQ(dir.read("files/config.ini"), expected);
}

TEST_F(StartupTest, ExitAskedNoChangesNothing) {
    auto form = start(settingsText());
    const std::string sites_before = dir.read("files/sites.ini");
    log->calls.clear();
    dialogs.answers = {false};
    form->ExitButtonClick();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].toStdString(), "Are you sure you want to exit Tumblenest?");
    EXPECT_TRUE(log->calls.empty());
    EXPECT_EQ(terminated, 0);
    EXPECT_EQ(dir.read("files/sites.ini"), sites_before);
}

TEST_F(StartupTest, ExitRewritesTheSiteListAndEndsWithoutTheCloseSequence) {
    auto form = start(settingsText());
    log->calls.clear();
    dialogs.answers = {true};
    form->ExitButtonClick();
    EXPECT_EQ(log->calls, std::vector<std::string>{"play exit.wav"});
    EXPECT_EQ(terminated, 1);
    EXPECT_EQ(dir.read("files/sites.ini"),
              "Home #| HOMEHOMEHOME #| home.jpg\r\n"
              "Books #| https://books.example/ #| books.jpg\r\n"
              "Space #| https://space.example/ #| space.jpg\r\n");
    log->calls.clear();
    form.reset();
    EXPECT_EQ(log->calls, std::vector<std::string>{"FreeHook"});
}

TEST_F(StartupTest, APendingRestartStartsTheUpdaterOnceOnExitOrClose) {
    for (const bool exit_command : {true, false}) {
        auto form = start(settingsText());
        form->model().RestartMemo = TextList::fromLines({"yes"});
        log->calls.clear();
        terminated = 0;
        if (exit_command) {
            dialogs.answers = {true};
            form->ExitButtonClick();
        } else {
            form->closeFromOutside();
        }
        EXPECT_EQ(log->starting("shellOpen"),
                  std::vector<std::string>{"shellOpen [] [" + dir.path() + "/update] [] []"});
        EXPECT_EQ(form->model().RestartMemo[0], "Already Restarting");
        EXPECT_EQ(terminated, 1);
        // The exit path ends without the close sequence; the close path runs it first.
        EXPECT_EQ(log->starting("wlDisableItem").empty(), exit_command);
    }
}

TEST_F(StartupTest, ExitThatCannotSaveKeepsTheShellOpen) {
    auto form = start(settingsText());
    // "files/sites.ini" becomes a folder that is not empty, so the save's rename must fail.
    std::filesystem::remove(dir.file("files/sites.ini"));
    dir.write("files/sites.ini/blocker", "");
    dialogs.answers = {true};
    form->ExitButtonClick();
    EXPECT_EQ(terminated, 0);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_NE(dialogs.shown[1].indexOf("files/sites.ini"), -1);
}

TEST_F(StartupTest, WindowManagerCloseRequestsAreRefused) {
    auto form = start(settingsText());
    form->show();
    QCloseEvent close;
    QApplication::sendEvent(form.get(), &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(log->starting("FreeHook").empty());
}

TEST_F(StartupTest, TabSwitchesMoveTheCarouselAndThePictures) {
    std::string config = settingsText();
    config.replace(config.find("\r\n5\r\n\r\n"), 7, "\r\n5\r\nyes\r\n");  // line 6: scrolling on
    auto form = start(config);
    form->show();
    auto* carousel = form->carousel();
    ASSERT_TRUE(carousel->ScrollTimer.isActive() || carousel->state().imageQueBox().empty());
    form->linkPanel()->show();
    log->calls.clear();

    form->SpTBXTabItem2Click();  // Activities
    EXPECT_EQ(log->calls, std::vector<std::string>{"play slip.wav"});
    EXPECT_TRUE(form->homeImage()->isVisible());
    EXPECT_FALSE(form->virtualDesktopImage()->isVisible());
    EXPECT_FALSE(form->linkPanel()->isVisible());
    EXPECT_FALSE(carousel->LeftArrow->isVisible());
    EXPECT_FALSE(carousel->ScrollTimer.isActive());

    form->SpTBXTabItem3Click();  // Software
    EXPECT_FALSE(form->homeImage()->isVisible());
    EXPECT_TRUE(form->virtualDesktopImage()->isVisible());
    EXPECT_FALSE(carousel->LeftArrow->isVisible());

    form->linkPanel()->show();
    form->SpTBXTabItem1Click();  // World Wide Web: the panel keeps its state
    EXPECT_FALSE(form->homeImage()->isVisible());
    EXPECT_FALSE(form->virtualDesktopImage()->isVisible());
    EXPECT_TRUE(carousel->LeftArrow->isVisible());
    EXPECT_TRUE(form->linkPanel()->isVisible());
    EXPECT_EQ(carousel->state().scrollTimer().enabled, true);
    EXPECT_EQ(log->starting("play").size(), 3u);
    // The pictures stand where the carousel was.
    EXPECT_EQ(form->homeImage()->x(), carousel->LeftArrow->x());
    EXPECT_EQ(form->virtualDesktopImage()->x(), carousel->LeftArrow->x());
    // The strip's pictures and the volume slider are as high as a thumbnail; the slider stands 20
    // pixels left of the gear in the top right corner.
    const int strip = carousel->slotHeight();
    EXPECT_EQ(form->homeImage()->height(), strip);
    EXPECT_EQ(form->virtualDesktopImage()->height(), strip);
    const QSlider* volume = form->volumeControl()->slider();
    EXPECT_EQ(volume->height(), strip);
    EXPECT_EQ(form->gears()->x(), QGuiApplication::primaryScreen()->size().width() - form->gears()->width());
    EXPECT_EQ(volume->geometry().topLeft(), QPoint(form->gears()->x() - 41 - 20, 0));
}

}  // namespace
}  // namespace tn
