// The virtual desktop on a real X server, with and without a window manager: clicks pass through
// it, "X" closes only the windows that appeared while it was open, minimised programs come back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/text_list.h"
#include "platform/doubles/recording.h"
#include "platform/linux/x11_windows.h"
#include "programs/virtual_desktop.h"
#include "support/qt_support.h"
#include "support/temp_dir.h"
#include "support/x_input.h"
#include "support/x_server.h"

// Xlib last: its macros would break the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace tn {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;
using test::ChildProcess;
using test::eventually;

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

class VirtualDesktopX11Test : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        // Qt binds itself to one display for the life of the process; ctest runs each test alone.
        if (QCoreApplication::instance() != nullptr) GTEST_SKIP() << "needs a process of its own";
        server_ = std::make_unique<test::XServer>(test::XServer::Options{.window_manager = GetParam()});
        ASSERT_TRUE(server_->ok());
        qputenv("DISPLAY", server_->display().c_str());
        qputenv("QT_QPA_PLATFORM", "xcb");
        test::qtApp();
        x_ = std::make_unique<test::XConnection>(server_->display());
        windows_ = std::make_unique<X11Windows>(server_->display());
        ASSERT_TRUE(x_->ok());
        vd_ = std::make_unique<TVirtualDesktop>(
            TVirtualDesktop::Services{*windows_, shell_open_, links_, dialogs_, display_mode_},
            TVirtualDesktop::Actions{[this] { log_->add("minimize main"); },
                                     [this] { log_->add("maximize main"); },
                                     [this] { log_->add("play slip"); }},
            names_, paths_, pending_);
    }
    void TearDown() override {
        vd_.reset();
        helpers_.clear();
    }

    // The helper program with one window per title, reporting to the file `report`.
    void openWindows(const Strings& titles, const std::string& report) {
        std::vector<std::string> argv{"/bin/sh", "-c", "exec \"$0\" \"$@\" >\"$TN_REPORT\"", TN_TEST_WINDOW};
        argv.insert(argv.end(), titles.begin(), titles.end());
        helpers_.push_back(std::make_unique<ChildProcess>(
            argv, std::map<std::string, std::string>{{"DISPLAY", server_->display()},
                                                     {"TN_REPORT", dir_.file(report)}}));
    }
    int count(const std::string& title, bool visible_only) {
        const auto listed = windows_->list(visible_only);
        return static_cast<int>(
            std::count_if(listed.begin(), listed.end(), [&](const auto& w) { return w.title == title; }));
    }
    // Processes Qt's events while waiting.
    static bool until(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s) {
        return eventually(
            [&] {
                QCoreApplication::processEvents();
                return condition();
            },
            timeout);
    }
    void openVirtualDesktop() {
        vd_->open();
        ASSERT_TRUE(until([&] {
            return vd_->isVisible() && vd_->windowHandle()->isExposed() &&
                   vd_->geometry() == QRect(0, 0, kScreenWidth, kScreenHeight);
        }));
        // Settled when the server has it mapped, on top of the windows opened before.
        ASSERT_TRUE(until([&] { return x_->countMapped(TVirtualDesktop::kCaption) == 1; }));
    }
    // A real left click at a point of the screen, as the mouse makes it.
    void click(int x, int y) {
        Display* d = x_->get();
        XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
        XTestFakeButtonEvent(d, 1, True, CurrentTime);
        XTestFakeButtonEvent(d, 1, False, CurrentTime);
        XSync(d, False);
    }
    // Where a window's top-left corner is on the screen.
    QPoint origin(IWindows::Id id) {
        int x = 0, y = 0;
        ::Window child = 0;
        XTranslateCoordinates(x_->get(), id, XDefaultRootWindow(x_->get()), 0, 0, &x, &y, &child);
        return {x, y};
    }
    std::string report(const std::string& name) { return dir_.exists(name) ? dir_.read(name) : ""; }

    std::unique_ptr<test::XServer> server_;
    std::unique_ptr<test::XConnection> x_;
    std::unique_ptr<X11Windows> windows_;
    test::TempDir dir_;
    std::shared_ptr<CallLog> log_ = std::make_shared<CallLog>();
    RecordingShellOpen shell_open_{log_};
    RecordingShellLinks links_{log_};
    RecordingDisplayMode display_mode_{log_};
    test::ScriptedDialogs dialogs_;
    TextList names_ = TextList::fromLines({"Paint"});
    TextList paths_ = TextList::fromLines({"/usr/bin/paint"});
    std::string pending_;
    std::unique_ptr<TVirtualDesktop> vd_;
    std::vector<std::unique_ptr<ChildProcess>> helpers_;
};

INSTANTIATE_TEST_SUITE_P(Desktops, VirtualDesktopX11Test, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& desktop) {
                             return std::string(desktop.param ? "Openbox" : "NoWindowManager");
                         });

TEST_P(VirtualDesktopX11Test, ClicksPassThroughEverywhereButOnItsButtons) {
    openWindows({"Below"}, "below");
    ASSERT_TRUE(eventually([&] { return count("Below", true) == 1; }));
    const IWindows::Id below = *windows_->findByTitle("Below");
    // Under the first launcher button, wherever the window manager put it.
    XMoveWindow(x_->get(), below, 100, 20);
    XSync(x_->get(), False);
    ASSERT_TRUE(eventually([&] { return QRect(origin(below), QSize(320, 200)).contains(200, 70); }));
    openVirtualDesktop();
    const QPoint at = origin(below);
    ASSERT_LT(at.x() + 200, kScreenWidth - 43);  // clear of "X"

    // Beside the buttons, the window below gets the click.
    click(at.x() + 160, at.y() + 150);
    EXPECT_TRUE(eventually([&] { return report("below") == "click Below\n"; }));

    // On a launcher button (over the same window), the virtual desktop does.
    const QPushButton* first = vd_->launcherButtons()[0].data();
    ASSERT_NE(first, nullptr);
    const QRect button = first->geometry();
    ASSERT_TRUE(QRect(at, QSize(320, 200)).intersects(button));
    const QPoint on_button = QRect(at, QSize(320, 200)).intersected(button).center();
    click(on_button.x(), on_button.y());
    EXPECT_TRUE(until([&] { return !log_->starting("shellOpen").empty(); }));
    EXPECT_EQ(log_->starting("shellOpen"), Strings{"shellOpen [] [/usr/bin/paint] [] []"});
    EXPECT_EQ(report("below"), "click Below\n");

    // The window manager's close request is refused; "X" closes it.
    QSignalSpy closed(vd_.get(), &TVirtualDesktop::closed);
    windows_->askToClose(vd_->winId());
    QTest::qWait(300);
    EXPECT_TRUE(vd_->isVisible());
    click(kScreenWidth - 2 - 41 / 2, 33 / 2);
    EXPECT_TRUE(until([&] { return closed.count() == 1; }));
    EXPECT_TRUE(until([&] { return x_->countMapped(TVirtualDesktop::kCaption) == 0; }));
    EXPECT_EQ(log_->starting("maximize"), Strings{"maximize main"});
    EXPECT_EQ(report("below"), "click Below\n");
    EXPECT_EQ(count("Below", true), 1);
}

TEST_P(VirtualDesktopX11Test, ExitClosesOnlyTheWindowsThatAppearedWhileOpen) {
    openWindows({"Old", "Shared"}, "old");
    ASSERT_TRUE(eventually([&] { return count("Old", true) == 1 && count("Shared", true) == 1; }));
    openVirtualDesktop();
    // Without a window manager, toolkits' unmapped helper windows with titles are listed too.
    const Strings& original = vd_->titles().OriginalListBox;
    const Strings old = {"Old", "Shared"};
    EXPECT_NE(std::search(original.begin(), original.end(), old.begin(), old.end()), original.end());
    EXPECT_EQ(std::count(original.begin(), original.end(), TVirtualDesktop::kCaption), 0);

    openWindows({"New", "New", "Shared", "Other"}, "new");
    ASSERT_TRUE(eventually(
        [&] { return count("New", true) == 2 && count("Shared", true) == 2 && count("Other", true) == 1; }));
    vd_->ExitButtonClick();

    // Both requests for "New" reach its first window; a new window with an old title is not tracked.
    EXPECT_EQ(vd_->titles().DifferenceListBox, (Strings{"New", "New", "Other"}));
    EXPECT_TRUE(eventually([&] {
        const std::string closed = report("new");
        return closed.find("closed New\n") != std::string::npos &&
               closed.find("closed Other\n") != std::string::npos;
    }));
    QTest::qWait(300);
    EXPECT_EQ(count("New", true), 1);
    EXPECT_EQ(count("Shared", true), 2);
    EXPECT_EQ(count("Old", true), 1);
    EXPECT_EQ(report("old"), "");
    EXPECT_FALSE(vd_->isVisible());
}

TEST(VirtualDesktopX11Restore, BringsBackAMinimisedProgramWindow) {
    if (QCoreApplication::instance() != nullptr) GTEST_SKIP() << "needs a process of its own";
    // Minimising needs a window manager.
    test::XServer server({.window_manager = true});
    ASSERT_TRUE(server.ok());
    qputenv("DISPLAY", server.display().c_str());
    qputenv("QT_QPA_PLATFORM", "xcb");
    test::qtApp();
    test::XConnection x(server.display());
    X11Windows windows(server.display());
    auto log = std::make_shared<CallLog>();
    RecordingShellOpen shell_open(log);
    RecordingShellLinks links(log);
    RecordingDisplayMode display_mode(log);
    test::ScriptedDialogs dialogs;
    TextList names;
    TextList paths;
    std::string pending;
    TVirtualDesktop vd({windows, shell_open, links, dialogs, display_mode}, {}, names, paths, pending);
    vd.open();
    ASSERT_TRUE(eventually([&] {
        QCoreApplication::processEvents();
        return x.countMapped(TVirtualDesktop::kCaption) == 1;
    }));

    ChildProcess game({TN_TEST_WINDOW, "Game"}, {{"DISPLAY", server.display()}});
    std::optional<IWindows::Id> id;
    ASSERT_TRUE(eventually([&] { return (id = windows.findByTitle("Game")) && x.countMapped("Game") == 1; }));
    x.iconify(*id);
    ASSERT_TRUE(eventually([&] { return x.countMapped("Game") == 0; }));

    // The restore timer, within its 3 seconds.
    EXPECT_TRUE(eventually(
        [&] {
            QCoreApplication::processEvents();
            return x.countMapped("Game") == 1;
        },
        5s));
}

}  // namespace
}  // namespace tn
