#pragma once

#include <string>

namespace tn {

// Whether Caps Lock is toggled on: the keyboard's locked modifiers on the X display ($DISPLAY, or
// display_name) include Lock. False when there is no display or it has no keyboard extension.
//
// Every call opens its own short connection, so the answer is always the keyboard's state at that
// moment and a server that has gone away costs nothing but a false.
bool capsLockOn();
bool capsLockOn(const std::string& display_name);

}  // namespace tn
