#include "platform/linux/caps_lock.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace tn {

bool capsLockOn() {
    return capsLockOn(std::string());
}

bool capsLockOn(const std::string& display_name) {
    Display* display = XOpenDisplay(display_name.empty() ? nullptr : display_name.c_str());
    if (display == nullptr) return false;
    // The locked modifiers, not an indicator: which LED shows Caps Lock depends on the keymap, while
    // a toggled Caps Lock always locks the Lock modifier.
    XkbStateRec state{};
    const bool on =
        XkbGetState(display, XkbUseCoreKbd, &state) == Success && (state.locked_mods & LockMask) != 0;
    XCloseDisplay(display);
    return on;
}

}  // namespace tn
