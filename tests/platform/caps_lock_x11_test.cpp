// The Caps Lock reader against a private X server.
// gtest comes first: Xlib defines None and Bool as macros, which would break its headers.
#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include "platform/linux/caps_lock.h"
#include "support/x_server.h"

namespace tn {
namespace {

TEST(CapsLock, FollowsTheKeyboardsLockedModifier) {
    test::XServer server;
    ASSERT_TRUE(server.ok());
    Display* keyboard = XOpenDisplay(server.display().c_str());
    ASSERT_NE(keyboard, nullptr);
    const auto lock = [&](bool on) {
        XkbLockModifiers(keyboard, XkbUseCoreKbd, LockMask, on ? LockMask : 0);
        XSync(keyboard, False);
    };

    EXPECT_FALSE(capsLockOn(server.display()));
    lock(true);
    EXPECT_TRUE(capsLockOn(server.display()));
    // Num Lock is another locked modifier; it must not read as Caps Lock.
    lock(false);
    XkbLockModifiers(keyboard, XkbUseCoreKbd, Mod2Mask, Mod2Mask);
    XSync(keyboard, False);
    EXPECT_FALSE(capsLockOn(server.display()));
    XCloseDisplay(keyboard);
}

TEST(CapsLock, NoDisplayMeansOff) {
    EXPECT_FALSE(capsLockOn(":12345"));
}

}  // namespace
}  // namespace tn
