#pragma once

namespace tn {

// Suppresses desktop items and system key combinations while the child uses the shell.
//
// Contract: a call with state 1 suppresses the item or combination until a call with state 0 for the
// same arguments; repeating a call leaves the state as it is. Calls never fail towards the caller:
// a problem is logged by the implementation and the previous state stays.
//
// Item identifiers are the ones the shell's sequences use (1 to 10 and 14). Key entries are
// (window, key code, modifier set, state) with Windows virtual-key codes (27 Escape, 9 Tab, 115 F4,
// 46 Delete, 0 none) and modifier bits 1 Alt, 2 Ctrl, 4 Shift, 8 Super.
class ILockdown {
public:
    virtual ~ILockdown() = default;
    virtual void wlDisableItem(int item, int state) = 0;
    virtual void wlDisableKey(int window, int key, int modifiers, int state) = 0;
};

// The keyboard hook that is in force from start-up (it keeps the Super keys from the desktop) and
// is ended, once and for good, by FreeHook. Further calls are harmless.
class IKeyboardHook {
public:
    virtual ~IKeyboardHook() = default;
    virtual void FreeHook() = 0;
};

// The desktop around the shell.
class IDesktop {
public:
    virtual ~IDesktop() = default;
    // Minimises every other top-level window.
    virtual void minimizeAll() = 0;
    // Makes the desktop's task bar (panels, docks) visible and usable again.
    virtual void showTaskBar() = 0;
};

}  // namespace tn
