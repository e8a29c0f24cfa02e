// The X11 windows and desktop against a private X server, with and without a window manager.
// gtest comes first: Xlib defines None and Bool as macros, which would break its headers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/x11_desktop.h"
#include "platform/linux/x11_windows.h"
#include "support/temp_dir.h"
#include "support/x_server.h"

namespace tn {
namespace {

using test::ChildProcess;
using test::eventually;
using test::TempDir;
using test::XServer;
using XWindow = ::Window;
using Id = IWindows::Id;

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

// Runs a query that may meet a window that has vanished, with X errors ignored for its duration
// only: outside these queries the process keeps Xlib's default handler, which ends it on an error,
// so an error the code under test lets through fails the test.
template <typename F>
auto quietly(Display* display, F query) {
    const XErrorHandler previous = XSetErrorHandler(&ignoreXError);
    const auto result = query();
    XSync(display, False);
    XSetErrorHandler(previous);
    return result;
}

// The test's own Xlib connection: it looks at windows independently of the code under test and
// makes windows of kinds the helper program does not.
class Observer {
public:
    explicit Observer(const std::string& display) : d_(XOpenDisplay(display.c_str())) {}
    ~Observer() {
        if (d_ != nullptr) XCloseDisplay(d_);
    }
    Observer(const Observer&) = delete;
    Observer& operator=(const Observer&) = delete;

    Display* get() const { return d_; }
    Atom atom(const char* name) const { return XInternAtom(d_, name, False); }

    struct Kind {
        bool override_redirect = false;
        const char* type = nullptr;  // _NET_WM_WINDOW_TYPE_...
        bool mapped = true;
    };
    XWindow create(const std::string& title, Kind kind) const {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = kind.override_redirect ? True : False;
        const XWindow w = XCreateWindow(d_, XDefaultRootWindow(d_), 10, 10, 200, 100, 0, CopyFromParent,
                                        InputOutput, nullptr, CWOverrideRedirect, &attributes);
        if (!title.empty()) setText(w, "_NET_WM_NAME", "UTF8_STRING", title);
        if (kind.type != nullptr) {
            const Atom type = atom(kind.type);
            XChangeProperty(d_, w, atom("_NET_WM_WINDOW_TYPE"), atom("ATOM"), 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&type), 1);
        }
        if (kind.mapped) XMapWindow(d_, w);
        XSync(d_, False);
        return w;
    }
    void setText(XWindow w, const char* property, const char* type, const std::string& bytes) const {
        XChangeProperty(d_, w, atom(property), atom(type), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
        XSync(d_, False);
    }

    bool viewable(Id w) const {
        return quietly(d_, [&] {
            XWindowAttributes attributes{};
            return XGetWindowAttributes(d_, w, &attributes) != 0 && attributes.map_state == IsViewable;
        });
    }
    bool iconic(Id w) const {
        const auto state = longs(w, "WM_STATE", "WM_STATE");
        return !viewable(w) && !state.empty() && state[0] == IconicState;
    }
    bool maximized(Id w) const {
        const auto states = longs(w, "_NET_WM_STATE", "ATOM");
        return std::count(states.begin(), states.end(), atom("_NET_WM_STATE_MAXIMIZED_VERT")) == 1 &&
               std::count(states.begin(), states.end(), atom("_NET_WM_STATE_MAXIMIZED_HORZ")) == 1;
    }
    bool coversScreen(Id w) const {
        XWindow root = None;
        XWindow child = None;
        int x = -1, y = -1, rx = -1, ry = -1;
        unsigned width = 0, height = 0, border = 0, depth = 0;
        if (!quietly(d_, [&] {
                return XGetGeometry(d_, w, &root, &x, &y, &width, &height, &border, &depth) != 0;
            })) {
            return false;
        }
        quietly(d_, [&] { return XTranslateCoordinates(d_, w, root, 0, 0, &rx, &ry, &child); });
        return rx == 0 && ry == 0 && width == kScreenWidth && height == kScreenHeight;
    }
    XWindow focus() const {
        XWindow w = None;
        int revert = 0;
        XGetInputFocus(d_, &w, &revert);
        return w;
    }
    std::string netWmName(Id w) const {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        quietly(d_, [&] {
            return XGetWindowProperty(d_, w, atom("_NET_WM_NAME"), 0, 1024, False, atom("UTF8_STRING"), &type,
                                      &format, &count, &after, &data);
        });
        std::string text = data != nullptr ? std::string(reinterpret_cast<char*>(data), count) : "";
        if (data != nullptr) XFree(data);
        return text;
    }

private:
    std::vector<unsigned long> longs(Id w, const char* property, const char* type) const {
        Atom actual = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<unsigned long> values;
        if (quietly(d_,
                    [&] {
                        return XGetWindowProperty(d_, w, atom(property), 0, 64, False, atom(type), &actual,
                                                  &format, &count, &after, &data);
                    }) == Success &&
            format == 32) {
            const auto* items = reinterpret_cast<const unsigned long*>(data);
            values.assign(items, items + count);
        }
        if (data != nullptr) XFree(data);
        return values;
    }

    Display* d_;
};

std::vector<Id> ids(const std::vector<IWindows::Window>& windows) {
    std::vector<Id> out;
    for (const auto& w : windows)
        out.push_back(w.id);
    return out;
}

bool contains(const std::vector<Id>& ids, Id id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

class X11WindowsTest : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.ok());
        ASSERT_NE(x_.get(), nullptr);
        ASSERT_TRUE(windows_.connected());
    }
    bool managed() const { return GetParam(); }

    // The helper program with one window per title; its reports go to the file `report` in dir_.
    std::unique_ptr<ChildProcess> openWindows(std::vector<std::string> titles,
                                              const std::string& report = "") {
        std::vector<std::string> argv{"/bin/sh", "-c", "exec \"$0\" \"$@\" >\"$TN_REPORT\"", TN_TEST_WINDOW};
        argv.insert(argv.end(), titles.begin(), titles.end());
        const std::string out = report.empty() ? "/dev/null" : dir_.file(report);
        return std::make_unique<ChildProcess>(
            argv, std::map<std::string, std::string>{{"DISPLAY", server_.display()}, {"TN_REPORT", out}});
    }
    Id waitFor(const std::string& title) {
        std::optional<Id> id;
        eventually([&] { return (id = windows_.findByTitle(title)).has_value(); });
        EXPECT_TRUE(id) << title;
        return id.value_or(0);
    }
    // Never the developer's own display, should the private server not have started.
    std::string display() const { return server_.ok() ? server_.display() : ":-1"; }

    XServer server_{XServer::Options{.window_manager = GetParam()}};
    Observer x_{display()};
    X11Windows windows_{display()};
    TempDir dir_;
};

INSTANTIATE_TEST_SUITE_P(Desktops, X11WindowsTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& desktop) {
                             return std::string(desktop.param ? "Openbox" : "NoWindowManager");
                         });

TEST_P(X11WindowsTest, FindsWindowsByExactTitleWhetherOlderOrNewer) {
    const std::string utf8 = "Grüße aus Köln – 東京 🌍";
    auto older = openWindows({"Alpha", utf8});
    waitFor("Alpha");
    // A second instance made after those windows, while the first was made before them.
    X11Windows later(display());
    auto newer = openWindows({"Alpha Beta"});
    waitFor("Alpha Beta");

    for (const std::string& title : {std::string("Alpha"), utf8, std::string("Alpha Beta")}) {
        const auto id = later.findByTitle(title);
        ASSERT_TRUE(id) << title;
        EXPECT_EQ(x_.netWmName(*id), title);
        EXPECT_EQ(windows_.findByTitle(title), id);
    }
    for (const char* near : {"Alph", "alpha", "Alpha ", "Grüße", ""}) {
        EXPECT_FALSE(windows_.findByTitle(near)) << near;
    }
}

TEST_P(X11WindowsTest, ListsOnlyApplicationWindows) {
    enum class Listed { kNo, kHidden, kVisible };
    struct Case {
        const char* title;
        Observer::Kind kind;
        Listed without_manager;
        Listed with_manager;
    };
    const Case cases[] = {
        {"Menu", {.override_redirect = true}, Listed::kNo, Listed::kNo},
        {"Panel", {.type = "_NET_WM_WINDOW_TYPE_DOCK"}, Listed::kNo, Listed::kNo},
        {"Wallpaper", {.type = "_NET_WM_WINDOW_TYPE_DESKTOP"}, Listed::kNo, Listed::kNo},
        // Never mapped: with a manager, a withdrawn window that it does not manage.
        {"Withdrawn", {.mapped = false}, Listed::kHidden, Listed::kNo},
        {"Dialog", {.type = "_NET_WM_WINDOW_TYPE_DIALOG"}, Listed::kVisible, Listed::kVisible},
        {"", {}, Listed::kVisible, Listed::kVisible},
        {"Plain", {}, Listed::kVisible, Listed::kVisible},
    };
    std::vector<XWindow> made;
    for (const auto& c : cases)
        made.push_back(x_.create(c.title, c.kind));
    // The windows are handled in the order made, so once the last is shown all are settled (a window
    // manager lists a window before its frame is mapped).
    EXPECT_TRUE(eventually([&] { return contains(ids(windows_.list(true)), made.back()); }));

    const auto all = ids(windows_.list(false));
    const auto visible = ids(windows_.list(true));
    for (std::size_t i = 0; i < made.size(); ++i) {
        const Listed expected = managed() ? cases[i].with_manager : cases[i].without_manager;
        EXPECT_EQ(contains(all, made[i]), expected != Listed::kNo) << '"' << cases[i].title << '"';
        EXPECT_EQ(contains(visible, made[i]), expected == Listed::kVisible) << '"' << cases[i].title << '"';
    }
    // Bottom to top: the windows were stacked in the order they were made.
    EXPECT_LT(std::find(all.begin(), all.end(), made[5]), std::find(all.begin(), all.end(), made[6]));
}

TEST_P(X11WindowsTest, AskToCloseClosesOnlyThatWindow) {
    auto helper = openWindows({"Keep", "Close me"}, "report");
    const Id keep = waitFor("Keep");
    const Id close = waitFor("Close me");

    windows_.askToClose(close);
    EXPECT_TRUE(eventually([&] { return !windows_.findByTitle("Close me"); }));
    EXPECT_EQ(dir_.read("report"), "closed Close me\n");
    EXPECT_EQ(windows_.findByTitle("Keep"), keep);

    windows_.askToClose(keep);
    EXPECT_EQ(helper->wait(std::chrono::seconds(10)), 0);
    EXPECT_EQ(dir_.read("report"), "closed Close me\nclosed Keep\n");
}

TEST_P(X11WindowsTest, ShowMaximizedBringsBackAndMaximizesAHiddenWindow) {
    auto helper = openWindows({"Big"});
    const Id id = waitFor("Big");
    // Minimised with a window manager; merely unmapped without one.
    if (managed()) {
        XIconifyWindow(x_.get(), id, XDefaultScreen(x_.get()));
        ASSERT_TRUE(eventually([&] { return x_.iconic(id); }));
    } else {
        XUnmapWindow(x_.get(), id);
        XSync(x_.get(), False);
    }
    ASSERT_FALSE(contains(ids(windows_.list(true)), id));

    windows_.showMaximized(id);
    EXPECT_TRUE(eventually([&] { return x_.viewable(id); }));
    if (managed()) {
        EXPECT_TRUE(eventually([&] { return x_.maximized(id); }));
    } else {
        EXPECT_TRUE(x_.coversScreen(id));
    }
    EXPECT_TRUE(contains(ids(windows_.list(true)), id));
}

TEST_P(X11WindowsTest, BringToForegroundMakesTheWindowTheForegroundOne) {
    auto helper = openWindows({"First", "Second"});
    const Id first = waitFor("First");
    const Id second = waitFor("Second");
    for (const Id target : {first, second, first}) {
        windows_.bringToForeground(target);
        EXPECT_TRUE(eventually([&] { return windows_.foreground() == target; })) << target;
        EXPECT_TRUE(eventually([&] { return x_.focus() == target; })) << target;
    }
}

TEST_P(X11WindowsTest, MinimizeAllThenShowNormalBringsOneBack) {
    auto helper = openWindows({"One", "Two"});
    const Id one = waitFor("One");
    const Id two = waitFor("Two");
    ASSERT_TRUE(eventually([&] { return x_.viewable(one) && x_.viewable(two); }));

    X11Desktop(display()).minimizeAll();
    if (managed()) {
        EXPECT_TRUE(eventually([&] { return x_.iconic(one) && x_.iconic(two); }));
        EXPECT_FALSE(contains(ids(windows_.list(true)), one));
        EXPECT_TRUE(contains(ids(windows_.list(false)), one));
    } else {
        // Nothing to minimise with: the windows stay as they were.
        EXPECT_TRUE(x_.viewable(one) && x_.viewable(two));
        XUnmapWindow(x_.get(), two);
        XSync(x_.get(), False);
    }

    windows_.showNormal(two);
    EXPECT_TRUE(eventually([&] { return x_.viewable(two); }));
    EXPECT_TRUE(contains(ids(windows_.list(true)), two));
    EXPECT_EQ(x_.iconic(one), managed());
}

TEST_P(X11WindowsTest, ShowTaskBarMapsHiddenPanelsOnly) {
    const XWindow panel = x_.create("Panel", {.type = "_NET_WM_WINDOW_TYPE_DOCK", .mapped = false});
    const XWindow other = x_.create("Other", {.mapped = false});

    X11Desktop(display()).showTaskBar();
    EXPECT_TRUE(eventually([&] { return x_.viewable(panel); }));
    EXPECT_FALSE(x_.viewable(other));
}

TEST_P(X11WindowsTest, RequestsForAVanishedWindowAreHarmless) {
    auto helper = openWindows({"Alive"});
    const Id alive = waitFor("Alive");
    const XWindow gone = x_.create("Gone", {});
    XDestroyWindow(x_.get(), gone);
    XSync(x_.get(), False);

    windows_.showMaximized(gone);
    windows_.showNormal(gone);
    windows_.bringToForeground(gone);
    windows_.askToClose(gone);
    windows_.minimize(gone);
    windows_.mapRaised(gone);
    EXPECT_EQ(windows_.findByTitle("Alive"), alive);
    EXPECT_FALSE(windows_.findByTitle("Gone"));
}

TEST(X11WindowsTitles, ReadsTheTitleInEveryEncoding) {
    struct Case {
        const char* wm_name_type;
        std::string wm_name;
        std::string net_wm_name;
        std::string expected;
    };
    const Case cases[] = {
        {"STRING", "Caf\xe9 cr\xe8me", "", "Café crème"},
        {"UTF8_STRING", "Café ✓", "", "Café ✓"},
        // ISO 8859-5 designated into the right half: "Привет".
        {"COMPOUND_TEXT", "\x1b-L\xbf\xe0\xd8\xd2\xd5\xe2", "", "Привет"},
        {"STRING", "Old", "Новый", "Новый"},
    };
    XServer server;
    ASSERT_TRUE(server.ok());
    Observer x(server.display());
    X11Windows windows(server.display());
    for (const auto& c : cases) {
        const XWindow w = x.create(c.net_wm_name, {});
        x.setText(w, "WM_NAME", c.wm_name_type, c.wm_name);
        const auto listed = windows.list(true);
        const auto it = std::find_if(listed.begin(), listed.end(), [&](const auto& l) { return l.id == w; });
        ASSERT_NE(it, listed.end()) << c.expected;
        EXPECT_EQ(it->title, c.expected);
    }
}

TEST(X11WindowsWithoutDisplay, EveryCallIsEmpty) {
    X11Windows windows(":-1");
    EXPECT_FALSE(windows.connected());
    EXPECT_TRUE(windows.list(false).empty());
    EXPECT_FALSE(windows.findByTitle(""));
    EXPECT_FALSE(windows.foreground());
    windows.showMaximized(1);
    windows.askToClose(1);
    X11Desktop desktop(":-1");
    desktop.minimizeAll();
    desktop.showTaskBar();
}

}  // namespace
}  // namespace tn
