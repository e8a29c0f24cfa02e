#pragma once

// Xlib's headers define macros (Bool, Status, None, …) that break Qt and GoogleTest headers, so this
// header keeps them out: tests talk to the X server through these helpers.
#include <initializer_list>
#include <string>
#include <vector>

struct _XDisplay;

namespace tn::test {

// A connection of the test's own to an X server, to check what the server says and to press keys.
class XConnection {
public:
    explicit XConnection(const std::string& display);
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;
    bool ok() const { return display_ != nullptr; }
    _XDisplay* get() const { return display_; }

    // Real key presses through the XTest extension, as a keyboard sends them: the keys (X keysyms,
    // XK_… from <X11/keysym.h>) are pressed in order and released in reverse order.
    void pressKeys(std::initializer_list<unsigned long> keysyms);
    // Titles of the top-level windows that are mapped, straight from the server (for checks that do
    // not trust the code under test).
    std::vector<std::string> mappedTitles();
    int countMapped(const std::string& title);
    // Asks the window manager to minimise the window.
    void iconify(unsigned long window);

private:
    _XDisplay* display_ = nullptr;
};

}  // namespace tn::test
