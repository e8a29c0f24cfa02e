// The virtual desktop form with recording doubles: opening, the delayed start, its launcher
// buttons and the close action.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "platform/doubles/recording.h"
#include "programs/virtual_desktop.h"
#include "support/qt_support.h"
#include "support/temp_dir.h"
#include "support/x_server.h"

namespace tn {
namespace {

using Strings = std::vector<std::string>;
using namespace std::chrono_literals;

class VirtualDesktopFormTest : public ::testing::Test {
protected:
    VirtualDesktopFormTest() {
        test::qtApp();
        dir.write("my games/run", "");
        windows.windows = {{101, "Tumblenest"}, {102, "Hidden helper", false}};
    }
    ~VirtualDesktopFormTest() override { vd.reset(); }

    TVirtualDesktop& form() {
        if (!vd) {
            vd = std::make_unique<TVirtualDesktop>(
                TVirtualDesktop::Services{windows, shell_open, links, dialogs, display_mode},
                TVirtualDesktop::Actions{[this] { log->add("minimize main"); },
                                         [this] { log->add("maximize main"); },
                                         [this] { log->add("play slip"); }},
                names, paths, pending);
        }
        return *vd;
    }
    // Processes events until condition holds (or a few seconds pass).
    static bool until(const std::function<bool()>& condition) {
        return test::eventually([&] {
            QCoreApplication::processEvents();
            return condition();
        });
    }

    std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    RecordingWindows windows{log};
    RecordingShellOpen shell_open{log};
    RecordingShellLinks links{log};
    RecordingDisplayMode display_mode{log};
    test::ScriptedDialogs dialogs;
    TextList names = TextList::fromLines({"Paint", "Game", "Notes"});
    TextList paths = TextList::fromLines({"/usr/bin/paint", "/home/kid/Game.desktop", "/usr/bin/notes"});
    std::string pending;
    test::TempDir dir;
    std::unique_ptr<TVirtualDesktop> vd;
};

TEST_F(VirtualDesktopFormTest, OpensFullScreenWithItsButtonsAndRecordsTheTitles) {
    TVirtualDesktop& d = form();
    d.open();
    ASSERT_TRUE(until([&] { return d.isVisible(); }));

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Brightwing Virtual Desktop"));
    EXPECT_EQ(d.geometry(), screen);
    EXPECT_TRUE(d.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(d.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(d.exitButton()->text(), QStringLiteral("X"));
    EXPECT_EQ(d.exitButton()->toolTip(),
              QStringLiteral("Close the virtual desktop and return to Tumblenest"));
    EXPECT_EQ(d.exitButton()->geometry(), QRect(screen.width() - 43, 0, 41, 33));
    const int half = screen.width() / 2 - 6;
    const std::vector<QRect> expected = {{2, 58, half, 25}, {half + 4, 58, half, 25}, {2, 87, half, 25}};
    ASSERT_EQ(d.launcherButtons().size(), 3u);
    QRegion drawn(d.exitButton()->geometry());
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(d.launcherButtons()[i]->objectName(), QString("TEMPBUTTON%1").arg(i));
        EXPECT_EQ(d.launcherButtons()[i]->geometry(), expected[i]);
        drawn += expected[i];
    }
    EXPECT_EQ(d.launcherButtons()[1]->text(), QStringLiteral("Game"));
    // Everything but the buttons is see-through.
    EXPECT_EQ(d.mask(), drawn);

    EXPECT_EQ(d.titles().OriginalListBox, (Strings{"Tumblenest", "Hidden helper"}));
    EXPECT_TRUE(d.restoreTimer()->isActive());
    EXPECT_EQ(d.restoreTimer()->interval(), 3000);
    EXPECT_FALSE(d.delayTimer()->isActive());
    EXPECT_TRUE(d.timer1()->isActive());
    EXPECT_EQ(log->calls, Strings{"display record"});

    // Knocked out of place, it goes back at the next tick of Timer1.
    d.showNormal();
    d.setGeometry(10, 10, 300, 200);
    d.Timer1Timer();
    EXPECT_TRUE(until([&] { return d.geometry() == screen; }));
    EXPECT_EQ(d.exitButton()->geometry(), QRect(screen.width() - 43, 0, 41, 33));
}

TEST_F(VirtualDesktopFormTest, DelayedStartStartsThePendingTargetInItsFolder) {
    for (const bool starts : {true, false}) {
        SCOPED_TRACE(starts ? "starts" : "fails");
        log->calls.clear();
        dialogs.shown.clear();
        shell_open.start_result = starts;
        const std::string target = dir.file("my games/run");
        pending = target;
        windows.windows = {{101, "Tumblenest"}, {102, "Hidden helper", false}};
        TVirtualDesktop& d = form();
        d.open();
        ASSERT_TRUE(d.delayTimer()->isActive());
        EXPECT_EQ(d.delayTimer()->interval(), 1000);
        // Appears before the start: the fresh snapshot takes it as already there.
        windows.windows.push_back({103, "Launched by hand"});
        d.DelayTimerTimer();  // the tick, a second after opening

        ASSERT_TRUE(until([&] { return !log->starting("start").empty(); }));
        EXPECT_FALSE(d.delayTimer()->isActive());
        EXPECT_EQ(d.titles().OriginalListBox, (Strings{"Tumblenest", "Launched by hand"}));
        EXPECT_EQ(log->starting("start"), Strings{"start " + target + " " + dir.file("my games/")});
        if (starts) {
            EXPECT_EQ(log->starting("minimize"), Strings{"minimize main"});
            EXPECT_TRUE(dialogs.shown.empty());
            EXPECT_TRUE(until([&] { return pending.empty(); }));
        } else {
            EXPECT_TRUE(log->starting("minimize").empty());
            EXPECT_EQ(dialogs.shown,
                      std::vector<QString>{QStringLiteral("Unable to Load Software Application!")});
            // Kept for the next opening.
            QTest::qWait(700);
            EXPECT_EQ(pending, target);
        }
        d.ExitButtonClick();
    }
}

TEST_F(VirtualDesktopFormTest, ATargetSetWhileTheStartSettlesIsKept) {
    pending = "/opt/game";
    TVirtualDesktop& d = form();
    d.open();
    d.DelayTimerTimer();
    ASSERT_TRUE(until([&] { return !log->starting("start").empty(); }));
    pending = "/opt/other";
    QTest::qWait(700);
    EXPECT_EQ(pending, "/opt/other");
}

TEST_F(VirtualDesktopFormTest, LauncherButtonsOpenTheirProgramOnly) {
    pending = "/left/over";
    TVirtualDesktop& d = form();
    d.open();
    d.delayTimer()->stop();
    log->calls.clear();
    QTest::mouseClick(d.launcherButtons()[1], Qt::LeftButton);

    EXPECT_EQ(log->calls, Strings{"shellOpen [] [/home/kid/Game.desktop] [] []"});
    EXPECT_TRUE(pending.empty());
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(d.delayTimer()->isActive());
}

TEST_F(VirtualDesktopFormTest, ExitClosesTheNewWindowsAndReturnsToTheShell) {
    TVirtualDesktop& d = form();
    QSignalSpy closed(&d, &TVirtualDesktop::closed);
    d.open();
    windows.windows.push_back({105, "Game"});
    windows.windows.push_back({106, "tumblenest"});  // an old title in other letter case: not tracked
    log->calls.clear();
    QTest::mouseClick(d.exitButton(), Qt::LeftButton);

    EXPECT_EQ(log->calls, (Strings{"askToClose 105", "display restore", "play slip", "maximize main"}));
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(d.isVisible());
    EXPECT_FALSE(d.restoreTimer()->isActive());

    // A time-up later reaches the windows that appeared since that opening, with the form closed.
    windows.windows.push_back({107, "Chat"});
    log->calls.clear();
    d.ExitButtonClick();
    EXPECT_EQ(log->starting("askToClose"), (Strings{"askToClose 105", "askToClose 107"}));
    EXPECT_EQ(closed.count(), 2);
}

TEST_F(VirtualDesktopFormTest, TimeUpBeforeItWasEverOpenedClosesNothing) {
    windows.windows.push_back({105, "Game"});
    form().ExitButtonClick();
    EXPECT_TRUE(log->starting("askToClose").empty());
    EXPECT_EQ(log->starting("maximize"), Strings{"maximize main"});
}

}  // namespace
}  // namespace tn
