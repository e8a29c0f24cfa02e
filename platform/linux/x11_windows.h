#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/windows.h"

namespace tn {

// The top-level windows of an X display, read and driven through Xlib, on the display's default
// screen.
//
// Which windows count as application windows:
// - With a window manager that follows the extended hints (it sets _NET_SUPPORTING_WM_CHECK), the
//   windows of its client list, _NET_CLIENT_LIST_STACKING (bottom to top), or _NET_CLIENT_LIST when
//   it keeps no stacking list. Minimised windows stay in that list; they count as not visible.
// - With a window manager without those hints, the windows that carry WM_STATE, found among the
//   root's children and inside the frames the manager made for them.
// - With no window manager, the root's direct children that are mapped or have a title; unmapped
//   untitled children are the helper windows toolkits keep (client leaders, selection owners).
// In every case override-redirect windows (menus, tooltips), input-only windows and windows whose
// _NET_WM_WINDOW_TYPE says DOCK or DESKTOP (the desktop's own panels and background) are left out.
// Windows without a title are kept, with an empty title, where the rules above keep them.
// A window is minimised when its WM_STATE is Iconic, visible (Normal) when it is viewable (it and
// its frame are mapped) and not minimised, and hidden otherwise.
//
// The window manager is looked for on every call, as it may start or stop while the shell runs.
// Requests go out before a call returns. X errors raised by a call (a window that vanished in the
// meantime, a reused id) are swallowed for its duration, so a call never ends the process; that
// error handler is process-wide in Xlib, so an instance is used from one thread only.
// If the display cannot be opened, every call does nothing and returns an empty result.
class X11Windows final : public IWindows {
public:
    // display_name: as for XOpenDisplay; empty means $DISPLAY. The instance has its own connection.
    explicit X11Windows(const std::string& display_name = {});
    ~X11Windows() override;
    X11Windows(const X11Windows&) = delete;
    X11Windows& operator=(const X11Windows&) = delete;

    bool connected() const;

    std::vector<Window> list(bool visible_only) override;
    // Looks among all application windows, visible or not, bottom to top.
    std::optional<Id> findByTitle(const std::string& title) override;
    // Un-minimises and activates the window, then asks the window manager to maximise it
    // (_NET_WM_STATE). Without a manager that follows the extended hints, maps, raises and focuses it
    // and sizes it to cover the screen.
    void showMaximized(Id id) override;
    // Un-minimises and activates the window (_NET_ACTIVE_WINDOW, or map, raise and focus without a
    // window manager). A maximised window stays maximised.
    void showNormal(Id id) override;
    // Activates the window: _NET_ACTIVE_WINDOW with a window manager, which also un-minimises it;
    // without one, maps, raises and focuses it.
    void bringToForeground(Id id) override;
    // Sends WM_DELETE_WINDOW when the window takes part in that protocol; otherwise asks the window
    // manager (_NET_CLOSE_WINDOW), which decides what to do with such a window; without a window
    // manager nothing happens. The client is never killed from here.
    void askToClose(Id id) override;
    // _NET_ACTIVE_WINDOW with a window manager; otherwise the top-level window that holds the input
    // focus. Empty when nothing has the focus.
    std::optional<Id> foreground() override;

    // For the desktop implementation:
    // Asks the window manager to iconify the window (WM_CHANGE_STATE); without one, does nothing.
    void minimize(Id id);
    // The desktop's panels and docks (windows of type DOCK), mapped or not, bottom to top.
    std::vector<Id> panels();
    // Maps and raises a window without activating it.
    void mapRaised(Id id);

private:
    struct Connection;
    std::unique_ptr<Connection> x_;
};

}  // namespace tn
