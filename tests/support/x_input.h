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
    // A left click at (x, y) on the screen, through XTest.
    void click(int x, int y);
    // Types text (letters, digits and spaces) through XTest, key by key.
    void typeText(const std::string& text);
    // Tries to grab the key combination on the root window as another program would: the X error
    // code (0 when the grab was granted, 10 BadAccess while someone else holds it). A granted grab is
    // let go at once. Modifiers are the masks below.
    int tryGrab(unsigned long keysym, unsigned modifiers);
    static constexpr unsigned kShift = 1u << 0;
    static constexpr unsigned kCtrl = 1u << 2;
    static constexpr unsigned kAlt = 1u << 3;      // Mod1
    static constexpr unsigned kNumLock = 1u << 4;  // Mod2
    static constexpr unsigned kSuper = 1u << 6;    // Mod4

private:
    _XDisplay* display_ = nullptr;
};

}  // namespace tn::test
