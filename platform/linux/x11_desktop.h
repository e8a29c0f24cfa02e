#pragma once

#include <string>

#include "platform/linux/x11_windows.h"
#include "platform/lockdown.h"

namespace tn {

// The desktop around the shell on an X display, through its own Xlib connection (see X11Windows
// for which windows count as application windows and how X errors are kept harmless).
class X11Desktop final : public IDesktop {
public:
    // display_name: as for XOpenDisplay; empty means $DISPLAY.
    explicit X11Desktop(const std::string& display_name = {});

    // Asks the window manager to iconify every application window, visible or not (windows on
    // other workspaces too). The shell calls this before its own window is shown. Without a window
    // manager nothing can be minimised, and the windows are left as they are: unmapping them would
    // leave them with no way back for the user.
    void minimizeAll() override;
    // Maps and raises every window of type DOCK (panels, task bars, docks), those that were unmapped
    // included. With a window manager the mapping goes through it, so the panel is managed again.
    void showTaskBar() override;

private:
    X11Windows windows_;
};

}  // namespace tn
