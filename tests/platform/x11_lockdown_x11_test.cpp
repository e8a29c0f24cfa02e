// The X11 lockdown and keyboard hook against a private X server. A second client proves a grab is in
// force: the server refuses it the same grab (BadAccess).
// gtest comes first: Xlib defines None and Bool as macros, which would break its headers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "lockdown/lockdown_sequences.h"
#include "platform/linux/x11_lockdown.h"
#include "support/x_input.h"
#include "support/x_server.h"

namespace tn {
namespace {

using test::eventually;
using test::XServer;
using XWindow = ::Window;

// In the X server's default keyboard map Alt is Mod1, NumLock Mod2 and Super Mod4.
constexpr unsigned kAlt = Mod1Mask;
constexpr unsigned kCtrl = ControlMask;
constexpr unsigned kShift = ShiftMask;
constexpr unsigned kCaps = LockMask;
constexpr unsigned kNum = Mod2Mask;
constexpr unsigned kSuper = Mod4Mask;

int last_error = Success;
int recordError(Display*, XErrorEvent* error) {
    last_error = error->error_code;
    return 0;
}

// Another client of the display, as a window manager or a program would be.
class Client {
public:
    explicit Client(const std::string& display) : d_(XOpenDisplay(display.c_str())) {}
    ~Client() {
        if (d_ != nullptr) XCloseDisplay(d_);
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;
    Display* get() const { return d_; }
    unsigned code(KeySym sym) const { return XKeysymToKeycode(d_, sym); }

    // Asks for the grab on the root window: Success or the server's error (BadAccess while another
    // client holds it). A grab obtained is let go at once unless kept.
    int grabCode(unsigned code, unsigned modifiers, bool keep = false) {
        const XErrorHandler previous = XSetErrorHandler(&recordError);
        last_error = Success;
        XGrabKey(d_, static_cast<int>(code), modifiers, XDefaultRootWindow(d_), False, GrabModeAsync,
                 GrabModeAsync);
        XSync(d_, False);
        const int result = last_error;
        if (result == Success && !keep) ungrabCode(code, modifiers);
        XSetErrorHandler(previous);
        return result;
    }
    int grab(KeySym sym, unsigned modifiers, bool keep = false) {
        return grabCode(code(sym), modifiers, keep);
    }
    void ungrabCode(unsigned code, unsigned modifiers) {
        XUngrabKey(d_, static_cast<int>(code), modifiers, XDefaultRootWindow(d_));
        XSync(d_, False);
    }

    XWindow window(const char* type = nullptr, bool mapped = true, bool ours = false) const {
        const XWindow w = XCreateSimpleWindow(d_, XDefaultRootWindow(d_), 0, 0, 100, 40, 0, 0, 0);
        if (type != nullptr) {
            const Atom atom = XInternAtom(d_, type, False);
            XChangeProperty(d_, w, XInternAtom(d_, "_NET_WM_WINDOW_TYPE", False),
                            XInternAtom(d_, "ATOM", False), 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&atom), 1);
        }
        if (ours) {
            const unsigned long pid = static_cast<unsigned long>(::getpid());
            XChangeProperty(d_, w, XInternAtom(d_, "_NET_WM_PID", False), XInternAtom(d_, "CARDINAL", False),
                            32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
        }
        if (mapped) XMapWindow(d_, w);
        XSync(d_, False);
        return w;
    }
    bool viewable(XWindow w) const {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(d_, w, &attributes) != 0 && attributes.map_state == IsViewable;
    }

private:
    Display* d_;
};

struct Probe {
    const char* what;
    KeySym key;
    unsigned modifiers;
};

// The key lock with Ctrl+Alt+Delete disabled, as locked mode has it with that setting on.
const Probe kLocked[] = {
    {"Ctrl+Alt+Escape", XK_Escape, kCtrl | kAlt},
    {"... with CapsLock", XK_Escape, kCtrl | kAlt | kCaps},
    {"... with NumLock", XK_Escape, kCtrl | kAlt | kNum},
    {"... with both", XK_Escape, kCtrl | kAlt | kCaps | kNum},
    {"Alt+Tab", XK_Tab, kAlt},
    {"Alt+Tab with NumLock", XK_Tab, kAlt | kNum},
    {"Alt+Shift+Tab", XK_Tab, kAlt | kShift},
    {"Alt+Shift+Tab with both locks", XK_Tab, kAlt | kShift | kCaps | kNum},
    {"Ctrl+Alt+F4 with NumLock", XK_F4, kCtrl | kAlt | kNum},
    {"Ctrl+Alt+Delete", XK_Delete, kCtrl | kAlt},
    {"Ctrl+Alt+Delete on the keypad, NumLock on", XK_KP_Delete, kCtrl | kAlt | kNum},
    {"Super_L", XK_Super_L, 0},
    {"Super_R", XK_Super_R, 0},
    {"Ctrl+Super_L with NumLock", XK_Super_L, kCtrl | kNum},
};
// What the lock leaves to programs and the shell itself.
const Probe kFree[] = {
    {"Tab", XK_Tab, 0},
    {"Ctrl+Tab", XK_Tab, kCtrl},
    {"Ctrl+Alt+Tab", XK_Tab, kCtrl | kAlt},
    {"Alt+Escape", XK_Escape, kAlt},
    {"Alt+F4", XK_F4, kAlt},
    {"Delete", XK_Delete, 0},
    {"Ctrl+Alt+Super+Escape", XK_Escape, kCtrl | kAlt | kSuper},
};

class X11LockdownTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.ok());
        ASSERT_NE(other_.get(), nullptr);
        ASSERT_TRUE(lockdown_.connected());
    }
    // Every key of the probes is free of grabs, whatever the modifiers.
    void expectAllFree(const char* when) {
        for (const auto& p : kLocked)
            EXPECT_EQ(other_.grab(p.key, AnyModifier), Success) << when << ": " << p.what;
    }
    // Never the developer's own display, should the private server not have started.
    std::string display() const { return server_.ok() ? server_.display() : ":-1"; }

    XServer server_;
    Client other_{display()};
    X11Lockdown lockdown_{display()};
};

TEST_F(X11LockdownTest, KeyLockHoldsEachCombinationWithEveryLockKeyUntilUnlock) {
    keyLock(lockdown_);
    setCtrlAltDelDisabled(lockdown_, true);
    EXPECT_TRUE(lockdown_.conflicts().empty());
    for (const auto& p : kLocked)
        EXPECT_EQ(other_.grab(p.key, p.modifiers), BadAccess) << p.what;
    for (const auto& p : kFree)
        EXPECT_EQ(other_.grab(p.key, p.modifiers), Success) << p.what;

    keyUnlock(lockdown_);
    setCtrlAltDelDisabled(lockdown_, false);
    expectAllFree("after the unlock");
}

TEST_F(X11LockdownTest, RepeatedCallsChangeNothing) {
    // Enabling what was never disabled is harmless.
    lockdown_.wlDisableKey(0, 27, 3, 0);
    lockdown_.wlDisableKey(0, 27, 3, 1);
    lockdown_.wlDisableKey(0, 27, 3, 1);
    EXPECT_EQ(other_.grab(XK_Escape, kCtrl | kAlt | kNum), BadAccess);
    // One enable undoes any number of disables.
    lockdown_.wlDisableKey(0, 27, 3, 0);
    EXPECT_EQ(other_.grab(XK_Escape, AnyModifier), Success);
    lockdown_.wlDisableKey(0, 27, 3, 0);
    EXPECT_EQ(other_.grab(XK_Escape, AnyModifier), Success);
}

TEST_F(X11LockdownTest, ACombinationAnotherProgramHoldsIsReportedAndTakenOnceFree) {
    ASSERT_EQ(other_.grab(XK_Tab, kAlt, /*keep=*/true), Success);

    testing::internal::CaptureStderr();
    lockdown_.wlDisableKey(0, 9, 1, 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "tumblenest: key combination Alt+Tab is held by another program; it stays available to the "
              "child\n");
    EXPECT_EQ(lockdown_.conflicts(), std::vector<std::string>{"Alt+Tab"});
    // What could be taken is ours meanwhile.
    EXPECT_EQ(other_.grab(XK_Tab, kAlt | kNum), BadAccess);

    // Still held by the other program: the next call tries again and reports again.
    testing::internal::CaptureStderr();
    lockdown_.wlDisableKey(0, 9, 1, 1);
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");

    other_.ungrabCode(other_.code(XK_Tab), kAlt);
    testing::internal::CaptureStderr();
    lockdown_.wlDisableKey(0, 9, 1, 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(lockdown_.conflicts().empty());
    EXPECT_EQ(other_.grab(XK_Tab, kAlt), BadAccess);

    lockdown_.wlDisableKey(0, 9, 1, 0);
    EXPECT_EQ(other_.grab(XK_Tab, AnyModifier), Success);
}

TEST_F(X11LockdownTest, GrabbedPressesReachOnlyTheLockdown) {
    test::XConnection keyboard(display());
    const XWindow focused = other_.window();
    XSelectInput(other_.get(), focused, KeyPressMask);
    XSetInputFocus(other_.get(), focused, RevertToParent, CurrentTime);
    XSync(other_.get(), False);
    keyLock(lockdown_);

    keyboard.pressKeys({XK_Alt_L, XK_Tab});
    keyboard.pressKeys({XK_Super_L, XK_e});
    keyboard.pressKeys({XK_Tab});  // last, so that once it arrives everything before it has

    std::vector<unsigned> pressed;
    ASSERT_TRUE(eventually([&] {
        while (XPending(other_.get()) > 0) {
            XEvent event;
            XNextEvent(other_.get(), &event);
            if (event.type == KeyPress) pressed.push_back(event.xkey.keycode);
        }
        return !pressed.empty() && pressed.back() == other_.code(XK_Tab);
    }));
    // Alt reaches the window; the Tab pressed with it, Super and the key pressed under Super do not.
    EXPECT_EQ(pressed, (std::vector<unsigned>{other_.code(XK_Alt_L), other_.code(XK_Tab)}));

    // The presses wait at the lockdown's connection until drained.
    pollfd readable{lockdown_.fd(), POLLIN, 0};
    EXPECT_EQ(::poll(&readable, 1, 2000), 1);
    lockdown_.drain();
    EXPECT_EQ(::poll(&readable, 1, 100), 0);
}

TEST_F(X11LockdownTest, KeysMovedToOtherKeyCodesAreHeldThere) {
    lockdown_.wlDisableKey(0, 27, 3, 1);
    const unsigned old_code = other_.code(XK_Escape);
    // A key code that produces nothing yet.
    int min = 0, max = 0, per = 0;
    XDisplayKeycodes(other_.get(), &min, &max);
    KeySym* map = XGetKeyboardMapping(other_.get(), static_cast<KeyCode>(min), max - min + 1, &per);
    int spare = 0;
    for (int code = max; code >= min && spare == 0; --code) {
        const KeySym* syms = map + (code - min) * per;
        if (std::all_of(syms, syms + per, [](KeySym s) { return s == NoSymbol; })) spare = code;
    }
    XFree(map);
    ASSERT_NE(spare, 0);

    KeySym escape = XK_Escape;
    KeySym f13 = XK_F13;
    XChangeKeyboardMapping(other_.get(), spare, 1, &escape, 1);
    XChangeKeyboardMapping(other_.get(), static_cast<int>(old_code), 1, &f13, 1);
    XSync(other_.get(), False);

    EXPECT_TRUE(eventually([&] {
        lockdown_.drain();
        return other_.grabCode(static_cast<unsigned>(spare), kCtrl | kAlt | kNum) == BadAccess &&
               other_.grabCode(old_code, kCtrl | kAlt) == Success;
    }));
}

TEST(X11KeyboardHook, HoldsTheSuperKeysUntilFreedTogetherWithTheLockdownsSuperEntry) {
    XServer server;
    ASSERT_TRUE(server.ok());
    Client other(server.display());
    const auto superHeld = [&] {
        return other.grab(XK_Super_L, 0) == BadAccess &&
               other.grab(XK_Super_R, kAlt | kShift | kNum) == BadAccess;
    };
    const auto superFree = [&] {
        return other.grab(XK_Super_L, AnyModifier) == Success &&
               other.grab(XK_Super_R, AnyModifier) == Success;
    };

    auto lockdown = std::make_unique<X11Lockdown>(server.display());
    X11KeyboardHook hook(*lockdown);
    EXPECT_TRUE(superHeld());
    // The lockdown wants the same grab: no conflict with itself.
    lockdown->wlDisableKey(0, 0, 8, 1);
    EXPECT_TRUE(lockdown->conflicts().empty());
    hook.FreeHook();
    EXPECT_TRUE(superHeld()) << "the lockdown still holds Super";
    lockdown->wlDisableKey(0, 0, 8, 0);
    EXPECT_TRUE(superFree());
    hook.FreeHook();
    EXPECT_TRUE(superFree());

    // A hook outlives the lockdown it was made from, which takes its own grabs along.
    auto second = std::make_unique<X11KeyboardHook>(*lockdown);
    keyLock(*lockdown);
    lockdown.reset();
    EXPECT_TRUE(superHeld());
    EXPECT_EQ(other.grab(XK_Escape, AnyModifier), Success);
    EXPECT_EQ(other.grab(XK_Tab, AnyModifier), Success);
    second.reset();
    EXPECT_TRUE(superFree());
}

TEST(X11LockdownWithWindowManager, ACombinationTheWindowManagerHoldsIsReported) {
    XServer server(XServer::Options{.window_manager = true});
    ASSERT_TRUE(server.ok());
    Client other(server.display());
    X11Lockdown lockdown(server.display());

    testing::internal::CaptureStderr();
    keyLock(lockdown);
    const std::string log = testing::internal::GetCapturedStderr();
    // openbox binds Alt+Tab and Alt+Shift+Tab; nothing else of the key lock.
    EXPECT_EQ(lockdown.conflicts(), std::vector<std::string>{"Alt+Tab"});
    EXPECT_NE(log.find("key combination Alt+Tab is held by another program"), std::string::npos) << log;
    EXPECT_EQ(other.grab(XK_Escape, kCtrl | kAlt), BadAccess);
    EXPECT_EQ(other.grab(XK_Super_L, 0), BadAccess);
}

TEST(X11LockdownWithoutDisplay, EveryCallIsHarmless) {
    testing::internal::CaptureStderr();
    X11Lockdown lockdown(":-1");
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(lockdown.connected());
    EXPECT_EQ(lockdown.fd(), -1);
    X11KeyboardHook hook(lockdown);
    itemLock(lockdown);
    keyLock(lockdown);
    lockdown.drain();
    EXPECT_TRUE(lockdown.conflicts().empty());
    hook.FreeHook();
    itemUnlock(lockdown);
    keyUnlock(lockdown);
}

class X11LockdownItems : public testing::TestWithParam<bool> {
protected:
    std::string display() const { return server_.ok() ? server_.display() : ":-1"; }
    XServer server_{XServer::Options{.window_manager = GetParam()}};
    Client x_{display()};
};

INSTANTIATE_TEST_SUITE_P(Desktops, X11LockdownItems, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& desktop) {
                             return std::string(desktop.param ? "Openbox" : "NoWindowManager");
                         });

TEST_P(X11LockdownItems, HideDocksAndTheDesktopUntilUnlockThenShowExactlyThose) {
    ASSERT_TRUE(server_.ok());
    const XWindow dock = x_.window("_NET_WM_WINDOW_TYPE_DOCK");
    const XWindow desktop = x_.window("_NET_WM_WINDOW_TYPE_DESKTOP");
    const XWindow doomed = x_.window("_NET_WM_WINDOW_TYPE_DOCK");
    const XWindow idle = x_.window("_NET_WM_WINDOW_TYPE_DOCK", /*mapped=*/false);
    const XWindow own = x_.window("_NET_WM_WINDOW_TYPE_DOCK", true, /*ours=*/true);
    const XWindow plain = x_.window();
    for (const XWindow w : {dock, desktop, doomed, own, plain})
        ASSERT_TRUE(eventually([&] { return x_.viewable(w); })) << w;

    X11Lockdown lockdown(display());
    itemLock(lockdown);
    for (const XWindow w : {dock, desktop, doomed})
        EXPECT_TRUE(eventually([&] { return !x_.viewable(w); })) << w;
    EXPECT_TRUE(x_.viewable(own));
    EXPECT_TRUE(x_.viewable(plain));

    // Shown again meanwhile (as the task bar is on one path) and locked again: hidden again.
    XMapWindow(x_.get(), dock);
    XDestroyWindow(x_.get(), doomed);
    XSync(x_.get(), False);
    ASSERT_TRUE(eventually([&] { return x_.viewable(dock); }));
    itemLock(lockdown);
    EXPECT_TRUE(eventually([&] { return !x_.viewable(dock); }));

    itemUnlock(lockdown);
    for (const XWindow w : {dock, desktop})
        EXPECT_TRUE(eventually([&] { return x_.viewable(w); })) << w;
    EXPECT_FALSE(x_.viewable(idle));

    // Unlocked twice, and a lockdown that goes away while it hides windows shows them again.
    itemUnlock(lockdown);
    {
        X11Lockdown other(display());
        other.wlDisableItem(1, 1);
        ASSERT_TRUE(eventually([&] { return !x_.viewable(dock); }));
    }
    EXPECT_TRUE(eventually([&] { return x_.viewable(dock); }));
    EXPECT_TRUE(x_.viewable(desktop));
    EXPECT_FALSE(x_.viewable(idle));
}

}  // namespace
}  // namespace tn
