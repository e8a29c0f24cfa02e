#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/x11_windows.h"
#include "platform/lockdown.h"

namespace tn {

// The lockdown on an X display: key combinations held as passive grabs on the root window, and the
// desktop's own windows hidden.
//
// Key entries (window, key, modifiers, state):
// - window is ignored: the grabs sit on the root window of every screen, so they take effect
//   whichever window has the focus.
// - key is a Windows virtual-key code. 27 Escape, 9 Tab, 115 F4, 46 Delete (the main Delete key and
//   the keypad's, so Ctrl+Alt+Delete is held on both), 8 BackSpace, 13 Return, 32 space, 33-40 the
//   page and arrow keys, 45 Insert, 48-57 digits, 65-90 letters, 112-135 F1-F24. Key 0 with modifier
//   set 8 alone means the Super keys themselves (Super_L, Super_R), held with any other modifiers
//   down: a passive grab gives us the whole keyboard from the Super press to its release, so no
//   Super+key shortcut of the desktop is reachable either. Other codes, and key 0 with other
//   modifiers, have no X equivalent here: the call is logged and holds nothing.
// - modifiers: bit 1 Alt, 2 Ctrl, 4 Shift, 8 Super, mapped to the X modifiers that carry Alt_L and
//   Super_L in the server's modifier map (normally Mod1 and Mod4). Other bits: logged, nothing held.
//   An entry without Shift holds its Shift variant too: desktops bind it to the same action in the
//   other direction (Alt+Shift+Tab). Each variant is held with CapsLock, NumLock, both and neither,
//   as X matches modifiers exactly and a lock key would otherwise let the combination through.
// - state: nonzero holds the combination, 0 releases it. The call for an entry already in that state
//   changes nothing.
// A combination another program already holds (a window manager's Alt+Tab) cannot be taken: X
// refuses the grab. That is logged on stderr ("tumblenest: key combination Alt+Tab is held by another
// program; it stays available to the child"), the combination is listed by conflicts(), and every
// later call tries again to take what is still missing, so it becomes ours once the other program
// lets go. The parts of a combination that could be taken are kept meanwhile.
// The keyboard is never grabbed as a whole: programs the child starts need it.
//
// Items (item, state):
// - 1: the desktop's panels, task bars and docks (windows of type DOCK);
// - 2: the desktop window (type DESKTOP: the icons and background a file manager draws, which a
//   click through a transparent part of the shell would otherwise reach).
// A disable call withdraws (unmaps) each such window that is mapped and remembers it; a repeated
// disable call hides those that appeared or were shown again since. The enable call maps exactly the
// windows it hid that still exist. The shell's own windows (_NET_WM_PID of this process) are never
// touched, and nothing is ever ended.
// - Every other identifier is accepted and its state recorded, with no effect on X11: the Windows
//   desktop items it stands for have no counterpart of their own here.
//
// Events: grabbed key presses, and the changes of the keyboard mapping that move keys to other key
// codes, arrive at the instance's own connection. The owner must call drain() whenever fd() becomes
// readable (a QSocketNotifier on fd(), Read) so that they are consumed; a mapping change re-takes
// every grab on the new key codes. The public calls also drain what is pending.
//
// Destruction releases what the instance holds: its grabs, and the windows it hid are mapped again.
// Calls never fail towards the caller. If the display cannot be opened, that is logged once and
// every call only records the state. An instance is used from one thread (Xlib's error handler is
// process-wide, and is replaced for the duration of each call).
class X11Lockdown final : public ILockdown {
public:
    // display_name: as for XOpenDisplay; empty means $DISPLAY. The instance has its own connection.
    explicit X11Lockdown(const std::string& display_name = {});
    ~X11Lockdown() override;
    X11Lockdown(const X11Lockdown&) = delete;
    X11Lockdown& operator=(const X11Lockdown&) = delete;

    bool connected() const;
    // The connection's socket, to watch for readability; -1 without a connection.
    int fd() const;
    // Consumes every event that has arrived, without waiting.
    void drain();
    // The names ("Alt+Tab") of the combinations asked for that are not wholly ours, because another
    // program holds them.
    std::vector<std::string> conflicts() const;

    void wlDisableItem(int item, int state) override;
    void wlDisableKey(int window, int key, int modifiers, int state) override;

private:
    friend class X11KeyboardHook;
    struct Connection;  // shared with the keyboard hook, which holds the Super keys through it
    void hide(int item);
    void show(int item);

    std::shared_ptr<Connection> x_;
    X11Windows windows_;
    std::set<int> disabled_items_;
    std::map<int, std::vector<unsigned long>> hidden_;  // item -> windows it withdrew
};

// Keeps the Super keys (Super_L, Super_R, with any modifiers) from the desktop from construction until
// FreeHook, through the lockdown's connection: the lockdown's own Super entry holds the same grab, and
// X lets one connection hold a grab only once. The grab stays while either of them wants it.
// A Super key another program holds is reported as the lockdown reports it.
// FreeHook releases the hook's part once and for good; further calls, and destruction, do nothing
// more. The hook may outlive the lockdown.
class X11KeyboardHook final : public IKeyboardHook {
public:
    explicit X11KeyboardHook(X11Lockdown& lockdown);
    ~X11KeyboardHook() override;
    X11KeyboardHook(const X11KeyboardHook&) = delete;
    X11KeyboardHook& operator=(const X11KeyboardHook&) = delete;

    void FreeHook() override;

private:
    std::shared_ptr<X11Lockdown::Connection> x_;
    bool freed_ = false;
};

}  // namespace tn
