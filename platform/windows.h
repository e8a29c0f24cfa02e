#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tn {

// Top-level windows of the desktop, as other programs and the shell itself own them.
//
// A window id is valid only for the moment it was read: ids are reused by the display server, so a
// caller never keeps one across timer ticks. Operations on a window that has gone away do nothing.
class IWindows {
public:
    using Id = std::uint64_t;
    // Normal: on screen. Minimized: iconified, waiting to be restored (not visible). Hidden: neither
    // (withdrawn or unmapped by its program).
    enum class State { Normal, Minimized, Hidden };
    struct Window {
        Id id;
        std::string title;  // UTF-8; empty when the window has none
        State state = State::Normal;
    };

    virtual ~IWindows() = default;
    // Top-level application windows (not the desktop's own docks and panels), optionally only the
    // visible ones (state Normal), in stacking order from bottom to top.
    virtual std::vector<Window> list(bool visible_only) = 0;
    // First top-level window whose title is exactly title.
    virtual std::optional<Id> findByTitle(const std::string& title) = 0;
    virtual void showMaximized(Id id) = 0;
    virtual void showNormal(Id id) = 0;  // restores a minimised window
    virtual void bringToForeground(Id id) = 0;
    virtual void askToClose(Id id) = 0;  // the polite close request, as a close button sends it
    virtual std::optional<Id> foreground() = 0;
};

}  // namespace tn
