#pragma once

#include <functional>
#include <string>

namespace tn {

// An embedded web browser as the shell's subsystems drive it. The navigation hook runs before every
// navigation, the first load, redirects and sub-frames included; returning false cancels it and
// nothing is requested.
class IBrowser {
public:
    struct Events {
        // url, main frame (false for a sub-frame) → allow?
        std::function<bool(const std::string& url, bool main_frame)> before_navigate;
        std::function<void(const std::string& url)> document_complete;
        // Back and Forward availability changed.
        std::function<void(bool can_back, bool can_forward)> command_state;
        // A page asked for a new window for url.
        std::function<void(const std::string& url)> new_window;
    };

    virtual ~IBrowser() = default;
    virtual void setEvents(Events events) = 0;
    virtual void navigate(const std::string& url) = 0;
    virtual void back() = 0;
    virtual void forward() = 0;
    virtual void refresh() = 0;
    virtual void stop() = 0;
    virtual std::string location() const = 0;
};

}  // namespace tn
